#include "corvane/widgets/qvtPngStream_p.h"

#include "corvane/platform/ScopeGuard_p.h"
#include "corvane/widgets/qvtController.h"

#include <array>
#include <cstdio>

namespace corvane {

namespace {

constexpr std::array<unsigned char, 8> Signature = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
// Charts are mostly flat colour, and most lines repeat the one above: each line is stored as
// its difference to the line above (filter "up"), which makes such lines runs of zeros that the
// fastest compression packs well.
constexpr int CompressionLevel = Z_BEST_SPEED;
constexpr unsigned char FilterUp = 2;
constexpr std::size_t ChunkSize = 1 << 18;
// Strips painted ahead of the worker.
constexpr std::size_t StripsAhead = 2;

void putBigEndian(unsigned char* at, unsigned value)
{
    at[0] = static_cast<unsigned char>(value >> 24);
    at[1] = static_cast<unsigned char>(value >> 16);
    at[2] = static_cast<unsigned char>(value >> 8);
    at[3] = static_cast<unsigned char>(value);
}

} // namespace

PngStream::PngStream(const std::string& fileName, int width, int height)
    : fileName(fileName),
      width(width),
      linesLeft(height),
      line(static_cast<std::size_t>(width) * 3 + 1),
      previous(static_cast<std::size_t>(width) * 3),
      compressed(ChunkSize)
{
    file = std::fopen(fileName.c_str(), "wb");
    if (!file)
        throw EQVTExportError("cannot write \"" + fileName + "\"");
    // The destructor does not run for a constructor that throws.
    bool started = false;
    const ScopeGuard abandon([&] {
        if (started)
            return;
        if (streamOpen)
            deflateEnd(&stream);
        std::fclose(file);
        std::remove(fileName.c_str());
    });
    if (deflateInit(&stream, CompressionLevel) != Z_OK)
        throw EQVTExportError("cannot compress \"" + fileName + "\"");
    streamOpen = true;
    writeBytes(Signature.data(), Signature.size());
    std::array<unsigned char, 13> header{};
    putBigEndian(&header[0], static_cast<unsigned>(width));
    putBigEndian(&header[4], static_cast<unsigned>(height));
    header[8] = 8; // bits per channel
    header[9] = 2; // red, green, blue
    writeChunk("IHDR", header.data(), header.size());
    worker = std::thread([this] { work(); });
    started = true;
}

PngStream::~PngStream()
{
    if (worker.joinable()) {
        {
            const std::lock_guard lock(mutex);
            stopping = true;
        }
        changed.notify_all();
        worker.join();
    }
    if (streamOpen)
        deflateEnd(&stream);
    if (file)
        std::fclose(file);
    if (!finished)
        std::remove(fileName.c_str());
}

void PngStream::writeLines(QImage strip)
{
    std::unique_lock lock(mutex);
    changed.wait(lock, [this] { return strips.size() < StripsAhead || failure; });
    if (failure)
        std::rethrow_exception(failure);
    strips.push_back(std::move(strip));
    changed.notify_all();
}

void PngStream::finish()
{
    {
        std::unique_lock lock(mutex);
        strips.emplace_back();
        changed.notify_all();
    }
    worker.join();
    if (failure)
        std::rethrow_exception(failure);
    finished = true;
}

void PngStream::work()
{
    try {
        for (;;) {
            QImage strip;
            {
                std::unique_lock lock(mutex);
                changed.wait(lock, [this] { return !strips.empty() || stopping; });
                if (stopping)
                    return;
                strip = std::move(strips.front());
                strips.pop_front();
                changed.notify_all();
            }
            if (strip.isNull())
                break;
            compress(strip);
        }
        if (linesLeft != 0)
            throw EQVTExportError("\"" + fileName + "\" was left incomplete");
        stream.next_in = nullptr;
        stream.avail_in = 0;
        deflateInto(Z_FINISH);
        writeChunk("IEND", nullptr, 0);
        if (std::fflush(file) != 0 || std::ferror(file))
            throw EQVTExportError("cannot write \"" + fileName + "\"");
    } catch (...) {
        const std::lock_guard lock(mutex);
        failure = std::current_exception();
        changed.notify_all();
    }
}

void PngStream::compress(const QImage& strip)
{
    for (int y = 0; y < strip.height() && linesLeft > 0; ++y, --linesLeft) {
        const auto* pixels = reinterpret_cast<const QRgb*>(strip.constScanLine(y));
        unsigned char* out = line.data();
        *out++ = FilterUp;
        unsigned char* above = previous.data();
        for (int x = 0; x < width; ++x, out += 3, above += 3) {
            const unsigned char red = static_cast<unsigned char>(qRed(pixels[x]));
            const unsigned char green = static_cast<unsigned char>(qGreen(pixels[x]));
            const unsigned char blue = static_cast<unsigned char>(qBlue(pixels[x]));
            out[0] = static_cast<unsigned char>(red - above[0]);
            out[1] = static_cast<unsigned char>(green - above[1]);
            out[2] = static_cast<unsigned char>(blue - above[2]);
            above[0] = red;
            above[1] = green;
            above[2] = blue;
        }
        stream.next_in = line.data();
        stream.avail_in = static_cast<uInt>(line.size());
        deflateInto(Z_NO_FLUSH);
    }
}

void PngStream::deflateInto(int flush)
{
    int result = Z_OK;
    do {
        stream.next_out = compressed.data();
        stream.avail_out = static_cast<uInt>(compressed.size());
        result = deflate(&stream, flush);
        if (result == Z_STREAM_ERROR)
            throw EQVTExportError("cannot compress \"" + fileName + "\"");
        const std::size_t produced = compressed.size() - stream.avail_out;
        if (produced > 0)
            writeChunk("IDAT", compressed.data(), produced);
    } while (stream.avail_out == 0 || (flush == Z_FINISH && result != Z_STREAM_END));
}

void PngStream::writeChunk(const char* type, const unsigned char* data, std::size_t size)
{
    std::array<unsigned char, 4> length{};
    putBigEndian(length.data(), static_cast<unsigned>(size));
    writeBytes(length.data(), length.size());
    writeBytes(type, 4);
    if (size > 0)
        writeBytes(data, size);
    uLong crc = crc32(0L, reinterpret_cast<const Bytef*>(type), 4);
    if (size > 0)
        crc = crc32(crc, data, static_cast<uInt>(size));
    std::array<unsigned char, 4> check{};
    putBigEndian(check.data(), static_cast<unsigned>(crc));
    writeBytes(check.data(), check.size());
}

void PngStream::writeBytes(const void* data, std::size_t size)
{
    if (std::fwrite(data, 1, size, file) != size)
        throw EQVTExportError("cannot write \"" + fileName + "\"");
}

} // namespace corvane
