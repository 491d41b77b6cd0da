#include "corvane/platform/IniFiles.h"

#include "corvane/platform/IniFiles_p.h"
#include "corvane/platform/RealText.h"
#include "corvane/platform/ScopeGuard_p.h"
#include "corvane/platform/Types.h"
#include "corvane/platform/VectorState_p.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <bit>
#include <cassert>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstring>
#include <exception>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <system_error>
#include <thread>
#include <sys/stat.h>
#include <unistd.h>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace corvane {
namespace {

// ---- text helpers ---------------------------------------------------------

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

bool isLineBreak(char c)
{
    return c == '\n' || c == '\r';
}

std::string_view trim(std::string_view s)
{
    while (!s.empty() && isBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && isBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

bool isQuoted(std::string_view s)
{
    return s.size() >= 2 && s.front() == '"' && s.back() == '"';
}

std::string_view keyOf(std::string_view keyLine)
{
    return trim(keyLine.substr(0, keyLine.find('=')));
}

std::string_view unquoted(std::string_view value)
{
    return isQuoted(value) ? value.substr(1, value.size() - 2) : value;
}

// Trimmed, with one pair of surrounding quotes removed.
std::string_view valueOf(std::string_view keyLine)
{
    return unquoted(trim(keyLine.substr(keyLine.find('=') + 1)));
}

// A line that the file lookups see as a key: not a comment, not a broken header, with '='.
bool isKeyLine(std::string_view line)
{
    const std::string_view trimmed = trim(line);
    return !trimmed.starts_with(';') && !trimmed.starts_with('[') && line.find('=') != std::string_view::npos;
}

// The first byte from p on that is one of Bytes, or end. Sixteen bytes at a time where the
// processor has SSE2, eight elsewhere: lines are too short for memchr to pay for its call.
template <char... Bytes>
const char* findAny(const char* p, const char* end)
{
#if defined(__SSE2__)
    for (; end - p >= 16; p += 16) {
        const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        const __m128i hits = (_mm_cmpeq_epi8(block, _mm_set1_epi8(Bytes)) | ...);
        if (const int mask = _mm_movemask_epi8(hits))
            return p + std::countr_zero(static_cast<unsigned>(mask));
    }
#endif
    constexpr std::uint64_t Ones = 0x0101010101010101u;
    // The lowest byte that is zero in x sets its high bit (higher ones may be false).
    const auto zeroBytes = [](std::uint64_t x) { return (x - Ones) & ~x & (Ones << 7); };
    for (; end - p >= 8; p += 8) {
        std::uint64_t word;
        std::memcpy(&word, p, 8);
        const std::uint64_t hits = (zeroBytes(word ^ (Ones * static_cast<unsigned char>(Bytes))) | ...);
        if (hits != 0)
            return p + std::countr_zero(hits) / 8;
    }
    while (p < end && ((*p != Bytes) && ...))
        ++p;
    return p;
}

// How often c occurs from p to end.
std::size_t countByte(const char* p, const char* end, char c)
{
    std::size_t count = 0;
#if defined(__SSE2__)
    // Each byte of counts adds one per match; they are summed before they can overflow.
    while (end - p >= 16) {
        __m128i counts = _mm_setzero_si128();
        for (int blocks = 0; blocks < 255 && end - p >= 16; ++blocks, p += 16) {
            const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
            counts = _mm_sub_epi8(counts, _mm_cmpeq_epi8(block, _mm_set1_epi8(c)));
        }
        const __m128i sums = _mm_sad_epu8(counts, _mm_setzero_si128());
        count += static_cast<std::size_t>(_mm_cvtsi128_si32(sums) + _mm_extract_epi16(sums, 4));
    }
#endif
    return count + static_cast<std::size_t>(std::count(p, end, c));
}

// Where the line after a line that ends at lineEnd starts.
const char* afterLineBreak(const char* lineEnd, const char* end)
{
    if (lineEnd == end)
        return end;
    return lineEnd + (*lineEnd == '\r' && lineEnd + 1 < end && lineEnd[1] == '\n' ? 2 : 1);
}

bool hasLineBreak(std::string_view s)
{
    const char* const end = s.data() + s.size();
    return findAny<'\n', '\r'>(s.data(), end) != end;
}

// A line break inside a name or value would start a new key or section. Answers s itself when
// it has none, else the text in buffer.
std::string_view withoutLineBreaks(std::string_view s, std::string& buffer)
{
    if (!hasLineBreak(s))
        return s;
    buffer.assign(s);
    std::replace_if(buffer.begin(), buffer.end(), isLineBreak, ' ');
    return buffer;
}

// Names are stored as they read back: trimmed, on one line.
std::string_view cleanSectionName(std::string_view name, std::string& buffer)
{
    return trim(withoutLineBreaks(name, buffer));
}

// A key cannot hold '=' nor begin like a comment or a section header.
std::string_view cleanKey(std::string_view key, std::string& buffer)
{
    const auto needsCleaning = [](std::string_view k) {
        const char* const end = k.data() + k.size();
        return k.front() == ';' || k.front() == '[' || isBlank(k.front()) || isBlank(k.back()) ||
               findAny<'=', '\n', '\r'>(k.data(), end) != end;
    };
    if (key.empty() || !needsCleaning(key))
        return key;
    buffer.assign(key);
    std::replace_if(
        buffer.begin(), buffer.end(), [](char c) { return isLineBreak(c) || c == '='; }, ' ');
    const std::size_t start = buffer.find_first_not_of(" \t;[");
    return start == std::string::npos ? std::string_view() : trim(std::string_view(buffer).substr(start));
}

// A key line as written: line breaks in the value become blanks (they would start a new key or
// section) and quotes protect what reading would strip, surrounding blanks and quotes.
class TKeyLine {
public:
    TKeyLine(std::string_view key, std::string_view value) : FKey(key), FValue(value)
    {
        const auto blankWhenWritten = [](char c) { return isBlank(c) || isLineBreak(c); };
        FQuoted =
            !value.empty() && (blankWhenWritten(value.front()) || blankWhenWritten(value.back()) || isQuoted(value));
        FHasLineBreak = hasLineBreak(value);
    }
    std::size_t Length() const { return FKey.size() + 1 + FValue.size() + (FQuoted ? 2 : 0); }
    // The key may lie in out already, at out or after it.
    void WriteTo(char* out) const
    {
        std::memmove(out, FKey.data(), FKey.size());
        out += FKey.size();
        *out++ = '=';
        if (FQuoted)
            *out++ = '"';
        if (FHasLineBreak)
            out = std::transform(FValue.begin(), FValue.end(), out, [](char c) { return isLineBreak(c) ? ' ' : c; });
        else if (!FValue.empty())
            out = static_cast<char*>(std::memmove(out, FValue.data(), FValue.size())) + FValue.size();
        if (FQuoted)
            *out = '"';
    }

private:
    std::string_view FKey;
    std::string_view FValue;
    bool FQuoted;
    bool FHasLineBreak;
};

// Decimal with optional sign, or "$"/"0x" hexadecimal taken as a 32-bit pattern.
bool parseInteger(std::string_view text, int& value)
{
    text = trim(text);
    const bool negative = text.starts_with('-');
    if (negative || text.starts_with('+'))
        text.remove_prefix(1);
    int base = 10;
    if (text.starts_with('$')) {
        base = 16;
        text.remove_prefix(1);
    } else if (text.starts_with("0x") || text.starts_with("0X")) {
        base = 16;
        text.remove_prefix(2);
    }
    std::uint64_t magnitude = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), magnitude, base);
    if (error != std::errc{} || end != text.data() + text.size())
        return false;
    const std::uint64_t limit = base == 16 ? 0xFFFFFFFFu : negative ? 0x80000000u : 0x7FFFFFFFu;
    if (magnitude > limit)
        return false;
    const auto bits = static_cast<std::uint32_t>(magnitude);
    value = static_cast<int>(negative ? 0u - bits : bits);
    return true;
}

// Files written under German locales use ',' as decimal separator.
bool parseFloat(std::string_view text, double& value)
{
    std::string_view digits = trim(text);
    std::string buffer;
    if (digits.find(',') != std::string_view::npos) {
        buffer.assign(digits);
        std::replace(buffer.begin(), buffer.end(), ',', '.');
        digits = buffer;
    }
    if (digits.starts_with('+') && !digits.substr(1).starts_with('-'))
        digits.remove_prefix(1);
    double result = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), result);
    if (error != std::errc{} || end != digits.data() + digits.size() || !std::isfinite(result))
        return false;
    value = result;
    return true;
}

// ---- encodings ------------------------------------------------------------

constexpr char32_t ReplacementChar = 0xFFFD;

void appendUtf8(std::string& out, char32_t cp)
{
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

bool isSurrogate(char32_t unit)
{
    return unit >= 0xD800 && unit <= 0xDFFF;
}

// Unpaired surrogates and an odd trailing byte become U+FFFD.
std::string utf16ToUtf8(std::string_view bytes, bool bigEndian)
{
    const auto unitAt = [&](std::size_t i) {
        const auto first = static_cast<unsigned char>(bytes[i]);
        const auto second = static_cast<unsigned char>(bytes[i + 1]);
        return static_cast<char32_t>(bigEndian ? first << 8 | second : second << 8 | first);
    };
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 2);
    const std::size_t end = bytes.size() & ~std::size_t{1};
    for (std::size_t i = 0; i < end; i += 2) {
        char32_t cp = unitAt(i);
        if (cp >= 0xD800 && cp <= 0xDBFF && i + 2 < end) {
            const char32_t low = unitAt(i + 2);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
                i += 2;
            }
        }
        appendUtf8(out, isSurrogate(cp) ? ReplacementChar : cp);
    }
    if (bytes.size() % 2 != 0)
        appendUtf8(out, ReplacementChar);
    return out;
}

// Rejects overlong forms, surrogates and code points above U+10FFFF.
bool isValidUtf8(std::string_view text)
{
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    const auto* const end = p + text.size();
    while (p < end) {
        std::uint64_t word = 0;
        if (end - p >= 8 && (std::memcpy(&word, p, 8), (word & 0x8080808080808080u) == 0)) {
            p += 8;
            continue;
        }
        const unsigned lead = *p;
        if (lead < 0x80) {
            ++p;
            continue;
        }
        std::ptrdiff_t length = 0;
        unsigned low = 0x80, high = 0xBF;
        if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
            low = lead == 0xE0 ? 0xA0 : low;
            high = lead == 0xED ? 0x9F : high;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            low = lead == 0xF0 ? 0x90 : low;
            high = lead == 0xF4 ? 0x8F : high;
        } else {
            return false;
        }
        if (end - p < length || p[1] < low || p[1] > high)
            return false;
        for (std::ptrdiff_t k = 2; k < length; ++k)
            if ((p[k] & 0xC0) != 0x80)
                return false;
        p += length;
    }
    return true;
}

// 0x80-0x9F of Windows-1252; its five unassigned bytes keep their C1 code points.
constexpr std::array<char16_t, 32> Cp1252Block80 = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                                    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                                    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                                    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

std::string cp1252ToUtf8(std::string_view bytes)
{
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 4);
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        appendUtf8(out, byte >= 0x80 && byte <= 0x9F ? Cp1252Block80[byte - 0x80] : byte);
    }
    return out;
}

// Texts smaller than this are done before a thread would have started.
constexpr std::size_t ThreadsFrom = 16 * 1024 * 1024;

// Runs side on a thread of its own while this thread runs main, and returns when both are
// done; runs both here when no thread can be started. A failure of either is thrown here.
template <class Side, class Main>
void runBeside(const Side& side, const Main& main)
{
    std::exception_ptr sideFailure;
    const auto guardedSide = [&side, &sideFailure] {
        try {
            side();
        } catch (...) {
            sideFailure = std::current_exception();
        }
    };
    std::thread thread;
    try {
        thread = std::thread(guardedSide);
    } catch (const std::system_error&) {
        guardedSide();
    }
    std::exception_ptr mainFailure;
    try {
        main();
    } catch (...) {
        mainFailure = std::current_exception();
    }
    if (thread.joinable())
        thread.join();
    if (mainFailure)
        std::rethrow_exception(mainFailure);
    if (sideFailure)
        std::rethrow_exception(sideFailure);
}

bool isContinuationByte(char c)
{
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

// A large text is checked in two halves at once, split where a character starts: no valid
// sequence is cut there, and two valid halves make a valid whole.
bool isValidUtf8Text(std::string_view text)
{
    if (text.size() < ThreadsFrom)
        return isValidUtf8(text);
    std::size_t middle = text.size() / 2;
    for (int k = 0; k < 3 && isContinuationByte(text[middle]); ++k)
        ++middle;
    if (isContinuationByte(text[middle]))
        return false; // four continuation bytes in a row
    bool firstValid = false;
    bool secondValid = false;
    runBeside([&] { secondValid = isValidUtf8(text.substr(middle)); },
              [&] { firstValid = isValidUtf8(text.substr(0, middle)); });
    return firstValid && secondValid;
}

TIniText decodeText(TLargeBuffer bytes, std::size_t size)
{
    std::string_view view(bytes.Data(), size);
    if (view.starts_with("\xFF\xFE"))
        return TIniText(utf16ToUtf8(view.substr(2), false));
    if (view.starts_with("\xFE\xFF"))
        return TIniText(utf16ToUtf8(view.substr(2), true));
    const std::size_t begin = view.starts_with("\xEF\xBB\xBF") ? 3 : 0;
    view.remove_prefix(begin);
    if (!isValidUtf8Text(view))
        return TIniText(cp1252ToUtf8(view));
    return TIniText(std::move(bytes), begin, view.size());
}

// ---- files ----------------------------------------------------------------

[[noreturn]] void throwFileError(const char* action, const std::string& fileName, int error)
{
    throw EFileError(std::string(action) + " '" + fileName + "': " + std::strerror(error));
}

class TFileHandle {
public:
    explicit TFileHandle(int fd) : FFd(fd) {}
    ~TFileHandle()
    {
        if (FFd >= 0)
            ::close(FFd);
    }
    TFileHandle(const TFileHandle&) = delete;
    TFileHandle& operator=(const TFileHandle&) = delete;
    int Get() const { return FFd; }
    // Answers errno of a failed close, 0 on success.
    int Close()
    {
        const int result = ::close(FFd);
        FFd = -1;
        return result == 0 ? 0 : errno;
    }

private:
    int FFd;
};

// Every line, and so every section and key, has a 32-bit position.
constexpr std::size_t MaxFileSize = 0xFFFFFFF0u;

// Reads count bytes of the file at offset into data, fewer where the file ends; answers errno
// of a failure, 0 on success.
int readAt(int fd, char* data, std::size_t count, std::size_t offset, std::size_t& done)
{
    done = 0;
    while (done < count) {
        const ssize_t got = ::pread(fd, data + done, count - done, static_cast<off_t>(offset + done));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return errno;
        if (got == 0)
            break;
        done += static_cast<std::size_t>(got);
    }
    return 0;
}

// The text of the file; empty when it does not exist.
TIniText readFileText(const std::string& fileName)
{
    TFileHandle file(::open(fileName.c_str(), O_RDONLY | O_CLOEXEC));
    if (file.Get() < 0) {
        if (errno == ENOENT)
            return {};
        throwFileError("Cannot read", fileName, errno);
    }
    struct stat info {};
    const std::size_t expected = ::fstat(file.Get(), &info) == 0 && info.st_size > 0
                                     ? std::min(static_cast<std::size_t>(info.st_size), MaxFileSize)
                                     : 0;
    // One byte more than expected, so that the end shows without growing.
    TLargeBuffer bytes(expected + 1);
    std::size_t size = 0;
    // A large file is read in two halves at once: the buffer is fresh memory, whose pages the
    // kernel clears as they are first written, so that work is shared by two cores.
    if (expected >= ThreadsFrom) {
        const std::size_t middle = expected / 2;
        std::size_t firstRead = 0;
        std::size_t secondRead = 0;
        int firstError = 0;
        int secondError = 0;
        runBeside([&] { secondError = readAt(file.Get(), bytes.Data() + middle, expected - middle, middle, secondRead); },
                  [&] { firstError = readAt(file.Get(), bytes.Data(), middle, 0, firstRead); });
        if (firstError != 0 || secondError != 0)
            throwFileError("Cannot read", fileName, firstError != 0 ? firstError : secondError);
        // A file that has shrunk since it was opened is read on from where it ended.
        size = firstRead < middle ? firstRead : middle + secondRead;
        if (::lseek(file.Get(), static_cast<off_t>(size), SEEK_SET) < 0)
            throwFileError("Cannot read", fileName, errno);
    }
    for (;;) {
        if (size > MaxFileSize)
            throwFileError("Cannot read", fileName, EFBIG);
        if (size == bytes.Size()) {
            // The file has grown since it was opened.
            TLargeBuffer larger(bytes.Size() * 2);
            std::copy_n(bytes.Data(), size, larger.Data());
            bytes = std::move(larger);
        }
        const ssize_t count = ::read(file.Get(), bytes.Data() + size, bytes.Size() - size);
        if (count < 0 && errno == EINTR)
            continue;
        if (count < 0)
            throwFileError("Cannot read", fileName, errno);
        if (count == 0)
            break;
        size += static_cast<std::size_t>(count);
    }
    return decodeText(std::move(bytes), size);
}

// Answers errno of the first failure, 0 on success.
int writeAll(int fd, std::string_view data)
{
    while (!data.empty()) {
        const ssize_t count = ::write(fd, data.data(), data.size());
        if (count < 0 && errno == EINTR)
            continue;
        if (count < 0)
            return errno;
        data.remove_prefix(static_cast<std::size_t>(count));
    }
    return 0;
}

// A new file beside the target, created exclusively so that no other file is overwritten.
int createTempFile(const std::filesystem::path& target, std::string& tempName)
{
    static std::atomic<unsigned> counter{0};
    for (;;) {
        tempName = target.string() + '.' + std::to_string(::getpid()) + '-' + std::to_string(counter++) + ".tmp";
        const int fd = ::open(tempName.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
}

// Linux gives up after as many links in a row.
constexpr int MaxLinkHops = 40;

// The file a chain of symbolic links leads to, so that replacing it leaves the links in place.
std::filesystem::path resolveLinks(const std::string& fileName)
{
    std::filesystem::path path = fileName;
    for (int hop = 0; hop < MaxLinkHops; ++hop) {
        std::error_code error;
        const std::filesystem::path target = std::filesystem::read_symlink(path, error);
        if (error.value() == EINVAL || error.value() == ENOENT) // no link, or nothing there yet
            return path;
        if (error)
            throwFileError("Cannot write", fileName, error.value());
        path = target.is_absolute() ? target : path.parent_path() / target;
    }
    throwFileError("Cannot write", fileName, ELOOP);
}

// Makes a rename in the folder survive a power loss. A folder that may be written to but not
// read cannot be opened for this; the rename stands all the same.
int syncFolderOf(const std::filesystem::path& file)
{
    const std::filesystem::path folder = file.has_parent_path() ? file.parent_path() : ".";
    TFileHandle handle(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    // EINVAL: the file system cannot sync folders.
    if (handle.Get() < 0 || ::fsync(handle.Get()) == 0 || errno == EINVAL)
        return 0;
    return errno;
}

// Lets write fill a new file beside the file that fileName leads to and renames it over that
// file, so that the file holds either all of its old or all of its new content. write answers
// errno of its first failure, 0 on success.
void replaceFile(const std::string& fileName, const std::function<int(int fd)>& write)
{
    const std::filesystem::path target = resolveLinks(fileName);
    std::string tempName;
    TFileHandle file(createTempFile(target, tempName));
    if (file.Get() < 0)
        throwFileError("Cannot write", fileName, errno);
    bool renamed = false;
    const ScopeGuard removeTemp([&] {
        if (!renamed)
            ::unlink(tempName.c_str());
    });
    // Replacing the file must not widen who may read it.
    struct stat info {};
    // Best effort: some file systems have no permissions to keep.
    if (::stat(target.c_str(), &info) == 0)
        ::fchmod(file.Get(), info.st_mode & 07777);
    int error = write(file.Get());
    if (error == 0 && ::fsync(file.Get()) != 0)
        error = errno;
    const int closeError = file.Close();
    error = error != 0 ? error : closeError;
    if (error == 0 && ::rename(tempName.c_str(), target.c_str()) != 0)
        error = errno;
    if (error != 0)
        throwFileError("Cannot write", fileName, error);
    renamed = true;
    if (const int syncError = syncFolderOf(target); syncError != 0)
        throwFileError("Cannot write", fileName, syncError);
}

// A section with more keys than this gets an index of its keys; fewer are compared one by one.
constexpr std::uint32_t MaxScannedKeys = 16;

} // namespace

// ---- TIniSink ------------------------------------------------------------------

TIniSink::TIniSink(int fd) : FFd(fd), FBuffer(std::make_unique_for_overwrite<char[]>(Capacity)) {}

// Writes what is collected, then next too when it does not fit the buffer.
void TIniSink::drain(std::string_view next)
{
    write(std::string_view(FBuffer.get(), FUsed));
    FUsed = 0;
    if (next.size() <= Capacity)
        append(next);
    else
        write(next);
}

void TIniSink::write(std::string_view text)
{
    if (FError != 0 || text.empty())
        return;
    FError = writeAll(FFd, text);
#if defined(SYNC_FILE_RANGE_WRITE)
    // The disk starts on what is written while the rest is composed, so that the sync at the
    // end waits for less. Only a hint: the sync reports what fails.
    ::sync_file_range(FFd, static_cast<off_t>(FWritten), static_cast<off_t>(text.size()), SYNC_FILE_RANGE_WRITE);
#endif
    FWritten += text.size();
}

int TIniSink::Finish()
{
    drain({});
    return FError;
}

// ---- TIniImage: reading -------------------------------------------------------

namespace {

std::atomic<std::uint64_t> lastImageSerial{0};

} // namespace

static_assert(sizeof(TIniSection) == 24);

TIniImage::TIniImage(TIniText text)
    : FSerial(++lastImageSerial),
      FPositionSpace(++lastImageSerial),
      FText(std::move(text))
{
    assert(FText.size() <= MaxFileSize);
    parse();
}

namespace {

// Whether more than limit lines start from first to last, where every line but the last ends
// with lineBreak.
bool hasMoreLinesEndingWith(const char* first, const char* last, char lineBreak, std::size_t limit)
{
    const std::size_t breaks = countByte(first, last, lineBreak);
    return breaks + (first < last && !isLineBreak(last[-1]) ? 1 : 0) > limit;
}

// A section header line of the file text.
struct TFoundHeader {
    std::uint32_t Line;       // where it starts
    std::uint32_t Body;       // where the next line starts
    std::uint32_t Name;       // where the cleaned name starts
    std::uint32_t NameLength;
    std::uint32_t Hash;       // of the name
    std::int8_t ManyLines;    // whether the body has more than MaxScannedKeys lines; -1: not counted
};

struct TFoundHeaders {
    std::vector<TFoundHeader, TLargeAllocator<TFoundHeader>> Headers;
    bool CarriageReturns = false; // in the part of the text looked at
};

// The headers of the lines from begin to end of text; begin starts a line. A header is found by
// its '['; other lines are not looked at one by one. Bodies are counted where the lines end
// with "\n" alone, as they mostly do: other line ends are known only for the whole text.
TFoundHeaders findHeaders(std::string_view text, std::size_t begin, std::size_t end)
{
    TFoundHeaders found;
    const char* const first = text.data();
    const char* const last = first + end;
    found.CarriageReturns = std::memchr(first + begin, '\r', end - begin) != nullptr;
    // Every header has a '[' and takes four bytes at least; values rarely hold one.
    found.Headers.reserve(std::min(countByte(first + begin, last, '['), (end - begin) / 4 + 1));
    const auto countBodyOfLast = [&](const char* bodyEnd) {
        TFoundHeader& header = found.Headers.back();
        header.ManyLines = static_cast<std::int8_t>(
            hasMoreLinesEndingWith(first + header.Body, bodyEnd, '\n', MaxScannedKeys));
    };
    const char* bracket = first + begin;
    while ((bracket = static_cast<const char*>(std::memchr(bracket, '[', static_cast<std::size_t>(last - bracket))))) {
        const char* lineStart = bracket;
        while (lineStart > first && isBlank(lineStart[-1]))
            --lineStart;
        const char* const lineEnd = findAny<'\n', '\r'>(bracket, last);
        if (lineStart == first || isLineBreak(lineStart[-1])) {
            const std::string_view line = trim(std::string_view(bracket, static_cast<std::size_t>(lineEnd - bracket)));
            const std::size_t close = line.rfind(']');
            if (close != std::string_view::npos) {
                if (!found.Headers.empty() && !found.CarriageReturns)
                    countBodyOfLast(lineStart);
                const std::string_view name = trim(line.substr(1, close - 1));
                found.Headers.push_back(TFoundHeader{static_cast<std::uint32_t>(lineStart - first),
                                                     static_cast<std::uint32_t>(afterLineBreak(lineEnd, last) - first),
                                                     static_cast<std::uint32_t>(name.data() - first),
                                                     static_cast<std::uint32_t>(name.size()), hashNoCase(name), -1});
            }
        }
        bracket = lineEnd;
    }
    // The last body may go on past end.
    if (!found.Headers.empty() && !found.CarriageReturns && end == text.size())
        countBodyOfLast(last);
    return found;
}

} // namespace

// A large text is looked through in two halves at once; the sections are then indexed in the
// order of the text, so that of duplicates the first wins.
void TIniImage::parse()
{
    const std::string_view text = FText;
    const std::size_t middle =
        text.size() < ThreadsFrom
            ? text.size()
            : static_cast<std::size_t>(afterLineBreak(findAny<'\n', '\r'>(text.data() + text.size() / 2, text.data() + text.size()),
                                                      text.data() + text.size()) -
                                       text.data());
    TFoundHeaders firstHalf;
    TFoundHeaders secondHalf;
    if (middle < text.size())
        runBeside([&] { secondHalf = findHeaders(text, middle, text.size()); },
                  [&] { firstHalf = findHeaders(text, 0, middle); });
    else
        firstHalf = findHeaders(text, 0, text.size());
    if (firstHalf.CarriageReturns || secondHalf.CarriageReturns)
        detectLineEnds();
    const std::size_t firstCount = firstHalf.Headers.size();
    const std::size_t count = firstCount + secondHalf.Headers.size();
    const auto header = [&](std::size_t i) -> const TFoundHeader& {
        return i < firstCount ? firstHalf.Headers[i] : secondHalf.Headers[i - firstCount];
    };
    FPreambleEnd = count > 0 ? header(0).Line : static_cast<std::uint32_t>(text.size());
    FSections.reserve(count);
    FSectionIndex.Reserve(count);
    // The index's slots lie anywhere; each is asked for well before it is filled.
    constexpr std::size_t SlotsAhead = 16;
    for (std::size_t i = 0; i < count; ++i) {
        if (i + SlotsAhead < count)
            FSectionIndex.PrefetchForInsert(header(i + SlotsAhead).Hash);
        const TFoundHeader& found = header(i);
        TIniSection& section = FSections.emplace_back();
        section.Name = FText.data() + found.Name;
        section.NameLength = found.NameLength;
        section.Header = found.Line;
        section.End = i + 1 < count ? header(i + 1).Line : static_cast<std::uint32_t>(text.size());
        section.Shadowed = !FSectionIndex.Insert(section.NameText(), found.Hash, i,
                                                 [this](std::size_t k) { return FSections[k].NameText(); });
        FHasDuplicateSections = FHasDuplicateSections || section.Shadowed;
        if (section.Shadowed)
            continue;
        const bool manyLines =
            found.ManyLines >= 0 ? found.ManyLines > 0 : hasMoreLines(found.Body, section.End, MaxScannedKeys);
        if (manyLines)
            bodyOf(section);
    }
}

// The line end of the first line, and whether every other line ends the same way.
void TIniImage::detectLineEnds()
{
    const char* const text = FText.data();
    const char* const end = text + FText.size();
    const char* lineEnd = findAny<'\n', '\r'>(text, end);
    const char* next = afterLineBreak(lineEnd, end);
    const std::string_view first(lineEnd, static_cast<std::size_t>(next - lineEnd));
    FLineEnd = first == "\r\n" ? "\r\n" : first == "\r" ? "\r" : "\n";
    for (lineEnd = findAny<'\n', '\r'>(next, end); lineEnd < end; lineEnd = findAny<'\n', '\r'>(next, end)) {
        next = afterLineBreak(lineEnd, end);
        if (std::string_view(lineEnd, static_cast<std::size_t>(next - lineEnd)) != FLineEnd) {
            FUniformLineEnds = false;
            return;
        }
    }
}

// Whether there are more than limit lines from begin to end of the file text.
bool TIniImage::hasMoreLines(std::uint32_t begin, std::uint32_t end, std::size_t limit) const
{
    const char* const first = FText.data() + begin;
    const char* const last = FText.data() + end;
    if (FUniformLineEnds)
        return hasMoreLinesEndingWith(first, last, FLineEnd.back(), limit);
    std::size_t lines = 0;
    for (const char* line = first; line < last && lines <= limit;
         line = afterLineBreak(findAny<'\n', '\r'>(line, last), last))
        ++lines;
    return lines > limit;
}

std::uint32_t TIniImage::addSection(std::string_view name)
{
    TIniSection& section = FSections.emplace_back();
    section.Name = name.data();
    section.NameLength = static_cast<std::uint32_t>(name.size());
    section.Body = newBody();
    const auto index = static_cast<std::uint32_t>(FSections.size() - 1);
    [[maybe_unused]] const bool added =
        FSectionIndex.Insert(name, index, [this](std::size_t i) { return FSections[i].NameText(); });
    assert(added);
    return index;
}

TIniTextLine TIniImage::lineAt(std::uint32_t offset) const
{
    const char* const text = FText.data();
    const char* const end = text + FText.size();
    const char* const lineEnd = findAny<'\n', '\r'>(text + offset, end);
    return TIniTextLine{offset, static_cast<std::uint32_t>(lineEnd - text),
                        static_cast<std::uint32_t>(afterLineBreak(lineEnd, end) - text)};
}

std::string_view TIniImage::text(const TIniTextLine& line) const
{
    return std::string_view(FText).substr(line.Begin, line.End - line.Begin);
}

// ---- TIniImage: lookups -----------------------------------------------------

// A section found lately, with the keys of its text when it has no body. Loading reads an
// object's keys, then its children's, then the object's again, so a few sections serve nearly
// every read; the keys of a section are found once rather than kept for every section.
struct TIniRecentSection {
    // A key and its value as reading answers it (trimmed, without surrounding quotes), as
    // offsets in the file text.
    struct TKey {
        std::uint32_t KeyAt = 0;
        std::uint32_t KeyLength = 0;
        std::uint32_t ValueAt = 0;
        std::uint32_t ValueLength = 0;
    };
    std::uint64_t Image = 0;    // serial of the image; 0 for none
    std::uint64_t Erasures = 0; // erasures of the image when remembered
    std::size_t Section = 0;
    std::string_view Name;
    std::uint32_t KeyCount = 0;
    // Found for its position only and not read since: the reads have not got there yet.
    mutable bool Unread = false;
    std::array<TKey, MaxScannedKeys> Keys{};
};

namespace {

// Per thread, so that reading stays free of data races.
struct TRecentSections {
    static constexpr std::size_t Count = 8;
    std::array<TIniRecentSection, Count> Sections;
    std::array<std::uint8_t, Count> Order{0, 1, 2, 3, 4, 5, 6, 7}; // most recently used first
    // Sections are mostly first read in file order: the one after the last found comes next.
    std::uint64_t LastImage = 0;
    std::size_t LastFound = 0;
};

constinit thread_local TRecentSections recentSections;

std::string_view keyText(const TIniRecentSection& found, std::uint32_t i, std::string_view fileText)
{
    return {fileText.data() + found.Keys[i].KeyAt, found.Keys[i].KeyLength};
}

// Makes the entry at position in the order the most recently used one.
TIniRecentSection& moveToFront(std::size_t position)
{
    auto& order = recentSections.Order;
    if (position > 0)
        std::rotate(order.begin(), order.begin() + static_cast<std::ptrdiff_t>(position),
                    order.begin() + static_cast<std::ptrdiff_t>(position) + 1);
    return recentSections.Sections[order[0]];
}

} // namespace

const TIniRecentSection* TIniImage::findRecent(std::string_view name) const
{
    const auto& recent = recentSections;
    for (std::size_t i = 0; i < recent.Order.size(); ++i) {
        const TIniRecentSection& candidate = recent.Sections[recent.Order[i]];
        if (candidate.Image != FSerial || !equalNoCase(candidate.Name, name))
            continue;
        // An erasure since may have taken the section away.
        if (candidate.Erasures != FErasures && !FSections[candidate.Section].Live())
            continue;
        return &moveToFront(i);
    }
    return nullptr;
}

// A stored name is clean, so a name that matches one as it stands needs no cleaning.
const TIniRecentSection* TIniImage::findSection(std::string_view section, bool forRead) const
{
    // Most reads ask for the section read last, spelled alike.
    const TIniRecentSection& last = recentSections.Sections[recentSections.Order[0]];
    if (last.Image == FSerial && last.Name == section && (last.Erasures == FErasures || FSections[last.Section].Live()))
        return noteRead(&last, forRead);
    // Loaders go back to a section after loading its children: one of the recent sections,
    // found without cleaning or hashing the name.
    if (const TIniRecentSection* found = findRecent(section))
        return noteRead(found, forRead);
    std::string buffer;
    const std::string_view name = cleanSectionName(section, buffer);
    if (name.size() != section.size())
        if (const TIniRecentSection* found = findRecent(name))
            return noteRead(found, forRead);
    return findUnremembered(name, forRead);
}

// Sections are mostly first read in file order; one that was only looked up (a loader finding
// that it has loaded it already) says nothing about where the next read goes.
const TIniRecentSection* TIniImage::noteRead(const TIniRecentSection* found, bool forRead) const
{
    if (forRead && found->Unread) {
        found->Unread = false;
        recentSections.LastImage = FSerial;
        recentSections.LastFound = found->Section;
    }
    return found;
}

// The index, whose memory is far away, is searched only when the next section in the file is
// not the one: the name is not even hashed for most sections.
const TIniRecentSection* TIniImage::findUnremembered(std::string_view cleanName, bool forRead) const
{
    auto& recent = recentSections;
    const std::size_t next = recent.LastFound + 1;
    std::size_t index = TNameIndex::NotFound;
    if (recent.LastImage == FSerial && next < FSections.size() && FSections[next].Live() &&
        equalNoCase(FSections[next].NameText(), cleanName))
        index = next;
    else
        index = FSectionIndex.Find(cleanName, [this](std::size_t i) { return FSections[i].NameText(); });
    if (index == TNameIndex::NotFound)
        return nullptr;
    const TIniRecentSection& found = remember(index);
    found.Unread = true;
    return noteRead(&found, forRead);
}

// Takes the place of the least recently used entry; finds the keys of a section without body.
const TIniRecentSection& TIniImage::remember(std::size_t index) const
{
    TIniRecentSection& entry = moveToFront(recentSections.Order.size() - 1);
    const TIniSection& section = FSections[index];
    entry.Image = FSerial;
    entry.Erasures = FErasures;
    entry.Section = index;
    entry.Name = section.NameText();
    entry.KeyCount = 0;
    entry.Unread = false;
    // Sections are mostly first read in file order: the next one's text is likely read next.
    if (index + 1 < FSections.size() && FSections[index + 1].Header != TIniSection::NoHeader)
        __builtin_prefetch(FText.data() + FSections[index + 1].Header);
    if (section.Body)
        return entry;
    // Key lines in file order: not blank, no comment, no broken header, with '=' after the key.
    // Of duplicates the first is found first.
    const char* const text = FText.data();
    const char* const end = text + section.End;
    for (const char* line = text + lineAt(section.Header).Next; line < end;) {
        const char* first = line;
        while (first < end && isBlank(*first))
            ++first;
        const bool mayBeKey = first < end && *first != ';' && *first != '[';
        const char* const stop = mayBeKey ? findAny<'=', '\n', '\r'>(first, end) : first;
        const char* const lineEnd = findAny<'\n', '\r'>(stop, end);
        if (stop < end && *stop == '=') {
            assert(entry.KeyCount < MaxScannedKeys); // larger sections have bodies
            const std::string_view key = trim(std::string_view(line, static_cast<std::size_t>(stop - line)));
            const std::string_view value =
                unquoted(trim(std::string_view(stop + 1, static_cast<std::size_t>(lineEnd - stop - 1))));
            entry.Keys[entry.KeyCount++] = {static_cast<std::uint32_t>(key.data() - text),
                                            static_cast<std::uint32_t>(key.size()),
                                            static_cast<std::uint32_t>(value.data() - text),
                                            static_cast<std::uint32_t>(value.size())};
        }
        line = afterLineBreak(lineEnd, end);
    }
    return entry;
}

namespace {

auto keyAt(const TIniBody& body)
{
    return [&body](std::size_t i) { return keyOf(body.Lines[i].Text()); };
}

// Position in body.Lines of the line holding the key; NotFound when there is none.
std::size_t findBodyKey(const TIniBody& body, std::string_view key, std::uint32_t hash)
{
    if (body.Keys)
        return body.Keys->Find(key, hash, keyAt(body));
    for (std::size_t i = 0; i < body.Lines.size(); ++i)
        if (body.Lines[i].HasKey(hash) && equalNoCase(keyOf(body.Lines[i].Text()), key))
            return i;
    return TNameIndex::NotFound;
}

// Counts the key of the line at position, indexing the keys once they are many.
void addBodyKey(TIniBody& body, std::size_t position, std::string_view key, std::uint32_t hash)
{
    ++body.KeyCount;
    if (body.Keys) {
        body.Keys->Insert(key, hash, position, keyAt(body));
        return;
    }
    if (body.KeyCount <= MaxScannedKeys)
        return;
    body.Keys = std::make_unique<TNameIndex>();
    for (std::size_t i = 0; i < body.Lines.size(); ++i)
        if (body.Lines[i].Kind() == TIniLineKind::Key) {
            const std::string_view lineKey = keyOf(body.Lines[i].Text());
            body.Keys->Insert(lineKey, hashNoCase(lineKey), i, keyAt(body));
        }
}

} // namespace

bool TIniImage::findValue(const TIniRecentSection& found, std::string_view key, std::string_view& value) const
{
    if (const TIniBody* body = bodyAt(FSections[found.Section])) {
        const std::size_t position = findBodyKey(*body, key, hashNoCase(key));
        if (position == TNameIndex::NotFound)
            return false;
        value = valueOf(body->Lines[position].Text());
        return true;
    }
    // A few keys, told apart by their lengths mostly: hashing every key of every section read
    // cost more than comparing.
    for (std::uint32_t i = 0; i < found.KeyCount; ++i) {
        const TIniRecentSection::TKey& k = found.Keys[i];
        if (k.KeyLength == key.size() && equalNoCase(keyText(found, i, FText), key)) {
            value = std::string_view(FText.data() + k.ValueAt, k.ValueLength);
            return true;
        }
    }
    return false;
}

bool TIniImage::FindValue(std::string_view section, std::string_view ident, std::string_view& value) const
{
    const TIniRecentSection* found = findSection(section);
    if (!found)
        return false;
    std::string buffer;
    return findValue(*found, cleanKey(ident, buffer), value);
}

bool TIniImage::SectionExists(std::string_view section) const
{
    return findSection(section) != nullptr;
}

std::size_t TIniImage::SectionPosition(std::string_view section) const
{
    const TIniRecentSection* found = findSection(section, false);
    return found ? found->Section : TIniFile::NoSection;
}

namespace {

// Whether key i of a remembered section without body is the first of its name there; later
// ones are never read.
bool isFirstOfItsName(const TIniRecentSection& found, std::uint32_t i, std::string_view fileText)
{
    for (std::uint32_t j = 0; j < i; ++j)
        if (equalNoCase(keyText(found, j, fileText), keyText(found, i, fileText)))
            return false;
    return true;
}

} // namespace

void TIniImage::ReadSection(std::string_view section, std::vector<std::string>& idents) const
{
    idents.clear();
    const TIniRecentSection* found = findSection(section);
    if (!found)
        return;
    if (const TIniBody* body = bodyAt(FSections[found->Section])) {
        for (const TIniLine& line : body->Lines)
            if (line.Kind() == TIniLineKind::Key)
                idents.emplace_back(keyOf(line.Text()));
        return;
    }
    for (std::uint32_t i = 0; i < found->KeyCount; ++i)
        if (isFirstOfItsName(*found, i, FText))
            idents.emplace_back(keyText(*found, i, FText));
}

void TIniImage::ReadSections(std::vector<std::string>& sections) const
{
    sections.clear();
    for (const TIniSection& s : FSections)
        if (s.Live())
            sections.emplace_back(s.NameText());
}

std::size_t TIniImage::KeyCount(std::string_view section) const
{
    const TIniRecentSection* found = findSection(section);
    if (!found)
        return 0;
    if (const TIniBody* body = bodyAt(FSections[found->Section]))
        return body->KeyCount;
    std::size_t count = 0;
    for (std::uint32_t i = 0; i < found->KeyCount; ++i)
        count += isFirstOfItsName(*found, i, FText) ? 1 : 0;
    return count;
}

// ---- TIniImage: writing -------------------------------------------------------

char* TIniImage::store(std::size_t size)
{
    // Written text keeps 32-bit lengths like the text read.
    if (size > MaxFileSize)
        throw EFileError("A line of " + std::to_string(size) + " bytes does not fit an INI file");
    return FStore.Allocate(size);
}

TIniSection& TIniImage::obtainSection(std::string_view section)
{
    if (const TIniRecentSection* found = findSection(section))
        return FSections[found->Section];
    std::string buffer;
    const std::string_view name = cleanSectionName(section, buffer);
    char* copy = store(name.size());
    std::copy(name.begin(), name.end(), copy);
    const std::size_t index = addSection(std::string_view(copy, name.size()));
    remember(index);
    return FSections[index];
}

// The section's lines one by one, read from its text the first time.
TIniBody& TIniImage::bodyOf(TIniSection& section)
{
    if (TIniBody* body = bodyAt(section))
        return *body;
    assert(!section.Shadowed && section.Header != TIniSection::NoHeader);
    const std::uint32_t made = newBody();
    TIniBody* body = &FBodies[made - 1];
    for (TIniTextLine at = lineAt(lineAt(section.Header).Next); at.Begin < section.End; at = lineAt(at.Next)) {
        const std::string_view text = this->text(at);
        body->Lines.Insert(body->Lines.size(),
                           TIniLine{FText.data() + at.Begin, static_cast<std::uint32_t>(text.size()), 0}, FLinePool);
        TIniLine& line = body->Lines[body->Lines.size() - 1];
        body->Trailing = trim(text).empty() ? body->Trailing + 1 : 0;
        if (isKeyLine(text)) {
            const std::string_view key = keyOf(text);
            const std::uint32_t hash = hashNoCase(key);
            const bool first = findBodyKey(*body, key, hash) == TNameIndex::NotFound;
            line.Tag = hash;
            line.SetKind(first ? TIniLineKind::Key : TIniLineKind::Shadowed);
            if (first)
                addBodyKey(*body, body->Lines.size() - 1, key, hash);
            body->HasDuplicateKeys = body->HasDuplicateKeys || !first;
        }
    }
    section.Body = made;
    return *body;
}

std::uint32_t TIniImage::newBody()
{
    if (FFreeBodies.empty()) {
        // Only reachable after tens of gigabytes of bodies; the section keeps 30 bits for it.
        if (FBodies.size() >= TIniSection::MaxBodies)
            throw std::bad_alloc();
        FBodies.emplace_back();
        return static_cast<std::uint32_t>(FBodies.size());
    }
    const std::uint32_t body = FFreeBodies.back();
    FFreeBodies.pop_back();
    return body;
}

void TIniImage::appendLine(TIniBody& body, std::string_view key, std::uint32_t hash, std::string_view value)
{
    const TKeyLine text(key, value);
    char* data = store(text.Length());
    text.WriteTo(data);
    TIniLine line{data, static_cast<std::uint32_t>(text.Length()), hash};
    line.SetKind(TIniLineKind::Key);
    const std::size_t position = body.Lines.size() - body.Trailing;
    body.Lines.Insert(position, line, FLinePool);
    addBodyKey(body, position, key, hash);
}

// The key keeps its spelling in the file; the line is rewritten where it is when it fits.
void TIniImage::replaceValue(TIniLine& line, std::string_view value)
{
    const TKeyLine text(keyOf(line.Text()), value);
    char* data = text.Length() <= line.Length ? line.Data : store(text.Length());
    text.WriteTo(data);
    line.Data = data;
    line.Length = static_cast<std::uint32_t>(text.Length());
}

bool TIniImage::WriteString(std::string_view section, std::string_view ident, const std::string_view& value)
{
    std::string keyBuffer;
    const std::string_view key = cleanKey(ident, keyBuffer);
    TIniBody& body = bodyOf(obtainSection(section));
    const std::uint32_t hash = hashNoCase(key);
    const std::size_t found = findBodyKey(body, key, hash);
    if (found == TNameIndex::NotFound) {
        appendLine(body, key, hash, value);
        return true;
    }
    TIniLine& line = body.Lines[found];
    std::string valueBuffer;
    if (valueOf(line.Text()) == withoutLineBreaks(value, valueBuffer))
        return false;
    replaceValue(line, value);
    return true;
}

// Later duplicates go too, so that the name does not come back on the next read.
bool TIniImage::EraseSection(std::string_view section)
{
    std::string buffer;
    const std::string_view name = cleanSectionName(section, buffer);
    const auto nameAt = [this](std::size_t i) { return FSections[i].NameText(); };
    const std::size_t first = FSectionIndex.Find(name, nameAt);
    if (first == TNameIndex::NotFound)
        return false;
    FSectionIndex.Erase(name, nameAt);
    ++FErasures;
    FPositionSpace = ++lastImageSerial;
    for (std::size_t i = first; i < FSections.size(); ++i) {
        TIniSection& s = FSections[i];
        if (i == first || (s.Shadowed && equalNoCase(s.NameText(), name))) {
            s.Erased = true;
            if (TIniBody* body = bodyAt(s)) {
                body->Lines.Release(FLinePool);
                *body = TIniBody{};
                FFreeBodies.push_back(s.Body);
                s.Body = 0;
            }
        }
        if (!FHasDuplicateSections)
            break;
    }
    return true;
}

// Later duplicates of the key go too, so that it does not come back on the next read.
bool TIniImage::DeleteKey(std::string_view section, std::string_view ident)
{
    const TIniRecentSection* found = findSection(section);
    if (!found)
        return false;
    std::string buffer;
    const std::string_view key = cleanKey(ident, buffer);
    const std::uint32_t hash = hashNoCase(key);
    TIniBody& body = bodyOf(FSections[found->Section]);
    const std::size_t position = findBodyKey(body, key, hash);
    if (position == TNameIndex::NotFound)
        return false;
    if (body.Keys)
        body.Keys->Erase(key, keyAt(body));
    body.Lines[position].SetKind(TIniLineKind::Deleted);
    --body.KeyCount;
    if (body.HasDuplicateKeys)
        for (TIniLine& line : body.Lines)
            if (line.Kind() == TIniLineKind::Shadowed && equalNoCase(keyOf(line.Text()), key))
                line.SetKind(TIniLineKind::Deleted);
    return true;
}

// ---- TIniImage: output ---------------------------------------------------------

// Every line from begin to end of the file text, each ended with the file's line end.
void TIniImage::putLines(TIniSink& sink, std::uint32_t begin, std::uint32_t end) const
{
    for (TIniTextLine at = lineAt(begin); at.Begin < end; at = lineAt(at.Next)) {
        sink.Put(text(at));
        sink.Put(FLineEnd);
    }
}

// As putLines; text whose line ends are all the file's own goes out as it is.
void TIniImage::putSpan(TIniSink& sink, std::uint32_t begin, std::uint32_t end) const
{
    if (begin == end)
        return;
    if (!FUniformLineEnds) {
        putLines(sink, begin, end);
        return;
    }
    sink.Put(std::string_view(FText).substr(begin, end - begin));
    if (!isLineBreak(FText[end - 1]))
        sink.Put(FLineEnd);
}

void TIniImage::Write(TIniSink& sink) const
{
    putSpan(sink, 0, FPreambleEnd);
    for (const TIniSection& s : FSections) {
        if (s.Erased)
            continue;
        if (!s.Body) {
            putSpan(sink, s.Header, s.End);
            continue;
        }
        if (s.Header == TIniSection::NoHeader) {
            sink.Put("[");
            sink.Put(s.NameText());
            sink.Put("]");
        } else {
            sink.Put(text(lineAt(s.Header)));
        }
        sink.Put(FLineEnd);
        for (const TIniLine& line : bodyAt(s)->Lines) {
            if (line.Kind() == TIniLineKind::Deleted)
                continue;
            sink.Put(line.Text());
            sink.Put(FLineEnd);
        }
    }
}

// ---- TIniFile ---------------------------------------------------------------

namespace {

std::unique_ptr<TIniImage> readImage(const std::string& fileName)
{
    clearUpperVectorHalves();
    TIniText text = readFileText(fileName);
    // UTF-16 grows as UTF-8; positions in the text stay 32-bit.
    if (text.size() > MaxFileSize)
        throwFileError("Cannot read", fileName, EFBIG);
    return std::make_unique<TIniImage>(std::move(text));
}

} // namespace

TIniFile::TIniFile(std::string fileName) : FFileName(std::move(fileName)), FImage(readImage(FFileName)) {}

TIniFile::~TIniFile() = default;

const std::string& TIniFile::FileName() const
{
    return FFileName;
}

bool TIniFile::Modified() const
{
    return FModified;
}

bool TIniFile::ReadString(std::string_view section, std::string_view ident, std::string_view def,
                          std::string& value) const
{
    std::string_view text;
    if (!FImage->FindValue(section, ident, text)) {
        value = def;
        return false;
    }
    value.assign(text);
    return true;
}

bool TIniFile::ReadInteger(std::string_view section, std::string_view ident, int def, int& value) const
{
    std::string_view text;
    const bool found = FImage->FindValue(section, ident, text);
    if (!found || !parseInteger(text, value))
        value = def;
    return found;
}

bool TIniFile::ReadBool(std::string_view section, std::string_view ident, bool def, bool& value) const
{
    int number = 0;
    const bool found = ReadInteger(section, ident, def ? 1 : 0, number);
    value = number != 0;
    return found;
}

bool TIniFile::ReadFloat(std::string_view section, std::string_view ident, double def, double& value) const
{
    std::string_view text;
    const bool found = FImage->FindValue(section, ident, text);
    if (!found || !parseFloat(text, value))
        value = def;
    return found;
}

std::string TIniFile::ReadString(std::string_view section, std::string_view ident, std::string_view def) const
{
    std::string value;
    ReadString(section, ident, def, value);
    return value;
}

int TIniFile::ReadInteger(std::string_view section, std::string_view ident, int def) const
{
    int value = def;
    ReadInteger(section, ident, def, value);
    return value;
}

bool TIniFile::ReadBool(std::string_view section, std::string_view ident, bool def) const
{
    bool value = def;
    ReadBool(section, ident, def, value);
    return value;
}

double TIniFile::ReadFloat(std::string_view section, std::string_view ident, double def) const
{
    double value = def;
    ReadFloat(section, ident, def, value);
    return value;
}

void TIniFile::WriteString(std::string_view section, std::string_view ident, std::string_view value)
{
    if (FImage->WriteString(section, ident, value))
        FModified = true;
}

void TIniFile::WriteInteger(std::string_view section, std::string_view ident, int value)
{
    WriteString(section, ident, std::to_string(value));
}

void TIniFile::WriteBool(std::string_view section, std::string_view ident, bool value)
{
    WriteString(section, ident, value ? "1" : "0");
}

void TIniFile::WriteFloat(std::string_view section, std::string_view ident, double value)
{
    WriteString(section, ident, RealToText(value));
}

bool TIniFile::ValueExists(std::string_view section, std::string_view ident) const
{
    std::string_view value;
    return FImage->FindValue(section, ident, value);
}

bool TIniFile::SectionExists(std::string_view section) const
{
    return FImage->SectionExists(section);
}

std::size_t TIniFile::SectionCount() const
{
    return FImage->SectionCount();
}

std::size_t TIniFile::SectionPosition(std::string_view section) const
{
    return FImage->SectionPosition(section);
}

std::uint64_t TIniFile::PositionSpace() const
{
    return FImage->PositionSpace();
}

void TIniFile::ReadSection(std::string_view section, std::vector<std::string>& idents) const
{
    FImage->ReadSection(section, idents);
}

void TIniFile::ReadSections(std::vector<std::string>& sections) const
{
    FImage->ReadSections(sections);
}

std::size_t TIniFile::KeyCount(std::string_view section) const
{
    return FImage->KeyCount(section);
}

void TIniFile::EraseSection(std::string_view section)
{
    if (FImage->EraseSection(section))
        FModified = true;
}

void TIniFile::DeleteKey(std::string_view section, std::string_view ident)
{
    if (FImage->DeleteKey(section, ident))
        FModified = true;
}

void TIniFile::Clear()
{
    FImage = std::make_unique<TIniImage>(TIniText());
    FModified = true;
}

void TIniFile::UpdateFile()
{
    if (!FModified)
        return;
    clearUpperVectorHalves();
    replaceFile(FFileName, [this](int fd) {
        TIniSink sink(fd);
        FImage->Write(sink);
        return sink.Finish();
    });
    FModified = false;
}

} // namespace corvane
