#pragma once
// A PNG file written line by line, so that a picture far taller than memory allows is exported
// strip by strip.

#include <QImage>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include <zlib.h>

namespace corvane {

class PngStream {
public:
    /// Opens the file and writes the header of an RGB picture of that size. Throws
    /// EQVTExportError when the file cannot be written.
    PngStream(const std::string& fileName, int width, int height);
    /// Removes the file unless finish() completed it.
    ~PngStream();
    PngStream(const PngStream&) = delete;
    PngStream& operator=(const PngStream&) = delete;

    /// Appends count lines of image from line first on; image is at least width wide.
    void writeLines(const QImage& image, int first, int count);
    /// Ends the picture; every line must have been written.
    void finish();

private:
    void deflateInto(int flush);
    void writeChunk(const char* type, const unsigned char* data, std::size_t size);
    void writeBytes(const void* data, std::size_t size);

    std::string fileName;
    std::FILE* file = nullptr;
    int width;
    long long linesLeft;
    z_stream stream{};
    bool streamOpen = false;
    bool finished = false;
    std::vector<unsigned char> line;
    /// The last line written, unfiltered; zeros before the first.
    std::vector<unsigned char> previous;
    std::vector<unsigned char> compressed;
};

} // namespace corvane
