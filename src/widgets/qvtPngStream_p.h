#pragma once
// A PNG file written strip by strip, so that a picture far taller than memory allows is
// exported in the memory of a few strips. A worker thread filters and compresses while the
// caller paints the next strip.

#include <QImage>

#include <condition_variable>
#include <cstdio>
#include <deque>
#include <exception>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <zlib.h>

namespace corvane {

class PngStream {
public:
    /// Opens the file and writes the header of an RGB picture of that size. Throws
    /// EQVTExportError when the file cannot be written.
    PngStream(const std::string& fileName, int width, int height);
    /// Stops the worker and removes the file unless finish() completed it.
    ~PngStream();
    PngStream(const PngStream&) = delete;
    PngStream& operator=(const PngStream&) = delete;

    /// Appends the lines of strip (width wide), which the stream keeps until they are written:
    /// the caller must not paint into it any more. Waits while two strips are still waiting to
    /// be written. Throws EQVTExportError for a failure of the strips written so far.
    void writeLines(QImage strip);
    /// Ends the picture once every strip is written; every line must have been given. Throws
    /// EQVTExportError when the file could not be written.
    void finish();

private:
    void work();
    void compress(const QImage& strip);
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

    // Strips waiting for the worker; an empty image ends the picture.
    std::mutex mutex;
    std::condition_variable changed;
    std::deque<QImage> strips;
    std::exception_ptr failure;
    bool stopping = false;
    std::thread worker;
};

} // namespace corvane
