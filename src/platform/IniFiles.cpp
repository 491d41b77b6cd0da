#include "corvane/platform/IniFiles.h"

#include "corvane/platform/IniFiles_p.h"
#include "corvane/platform/RealText.h"
#include "corvane/platform/ScopeGuard_p.h"
#include "corvane/platform/Types.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace corvane {
namespace {

// ---- text helpers ---------------------------------------------------------

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

std::string_view Trim(std::string_view s)
{
    while (!s.empty() && IsBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

char LowerAscii(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool EqualNoCase(std::string_view a, std::string_view b)
{
    const auto same = [](char x, char y) { return LowerAscii(x) == LowerAscii(y); };
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), same);
}

std::uint32_t HashNoCase(std::string_view s)
{
    std::uint64_t hash = 14695981039346656037u; // FNV-1a
    for (const char c : s)
        hash = (hash ^ static_cast<unsigned char>(LowerAscii(c))) * 1099511628211u;
    // Mixes the high bits into the low ones that pick the slot.
    hash ^= hash >> 33;
    hash *= 0xFF51AFD7ED558CCDu;
    hash ^= hash >> 33;
    return static_cast<std::uint32_t>(hash);
}

bool IsQuoted(std::string_view s)
{
    return s.size() >= 2 && s.front() == '"' && s.back() == '"';
}

std::string_view KeyOf(std::string_view keyLine)
{
    return Trim(keyLine.substr(0, keyLine.find('=')));
}

// Trimmed, with one pair of surrounding quotes removed.
std::string_view ValueOf(std::string_view keyLine)
{
    const std::string_view value = Trim(keyLine.substr(keyLine.find('=') + 1));
    return IsQuoted(value) ? value.substr(1, value.size() - 2) : value;
}

// A line break inside a name or value would start a new key or section.
std::string WithoutLineBreaks(std::string_view s)
{
    std::string result(s);
    std::replace_if(
        result.begin(), result.end(), [](char c) { return c == '\r' || c == '\n'; }, ' ');
    return result;
}

// Names are stored as they read back: trimmed, on one line.
std::string CleanSectionName(std::string_view name)
{
    return std::string(Trim(WithoutLineBreaks(name)));
}

// A key cannot hold '=' nor begin like a comment or a section header.
std::string CleanKey(std::string_view key)
{
    std::string result = WithoutLineBreaks(key);
    std::replace(result.begin(), result.end(), '=', ' ');
    const std::size_t start = result.find_first_not_of(" \t;[");
    if (start == std::string::npos)
        return {};
    return std::string(Trim(std::string_view(result).substr(start)));
}

// Quotes protect what reading would strip: surrounding blanks and quotes.
std::string EncodeValue(std::string value)
{
    if (!value.empty() && (IsBlank(value.front()) || IsBlank(value.back()) || IsQuoted(value)))
        return '"' + value + '"';
    return value;
}

// Decimal with optional sign, or "$"/"0x" hexadecimal taken as a 32-bit pattern.
bool ParseInteger(std::string_view text, int& value)
{
    text = Trim(text);
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
bool ParseFloat(std::string_view text, double& value)
{
    std::string s(Trim(text));
    std::replace(s.begin(), s.end(), ',', '.');
    std::string_view digits = s;
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

void AppendUtf8(std::string& out, char32_t cp)
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

bool IsSurrogate(char32_t unit)
{
    return unit >= 0xD800 && unit <= 0xDFFF;
}

// Unpaired surrogates and an odd trailing byte become U+FFFD.
std::string Utf16ToUtf8(std::string_view bytes, bool bigEndian)
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
        AppendUtf8(out, IsSurrogate(cp) ? ReplacementChar : cp);
    }
    if (bytes.size() % 2 != 0)
        AppendUtf8(out, ReplacementChar);
    return out;
}

// Rejects overlong forms, surrogates and code points above U+10FFFF.
bool IsValidUtf8(std::string_view text)
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

std::string Cp1252ToUtf8(std::string_view bytes)
{
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 4);
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        AppendUtf8(out, byte >= 0x80 && byte <= 0x9F ? Cp1252Block80[byte - 0x80] : byte);
    }
    return out;
}

std::string DecodeText(std::string bytes)
{
    const std::string_view view = bytes;
    if (view.starts_with("\xFF\xFE"))
        return Utf16ToUtf8(view.substr(2), false);
    if (view.starts_with("\xFE\xFF"))
        return Utf16ToUtf8(view.substr(2), true);
    if (view.starts_with("\xEF\xBB\xBF"))
        bytes.erase(0, 3);
    return IsValidUtf8(bytes) ? std::move(bytes) : Cp1252ToUtf8(bytes);
}

// ---- files ----------------------------------------------------------------

[[noreturn]] void ThrowFileError(const char* action, const std::string& fileName, int error)
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

// The bytes of the file; empty when it does not exist.
std::string ReadFileBytes(const std::string& fileName)
{
    TFileHandle file(::open(fileName.c_str(), O_RDONLY | O_CLOEXEC));
    if (file.Get() < 0) {
        if (errno == ENOENT)
            return {};
        ThrowFileError("Cannot read", fileName, errno);
    }
    struct stat info {};
    const std::size_t expected = ::fstat(file.Get(), &info) == 0 && info.st_size > 0
                                     ? std::min(static_cast<std::size_t>(info.st_size), MaxFileSize)
                                     : 0;
    // One byte more than expected, so that the end shows without growing.
    std::string bytes(expected + 1, '\0');
    std::size_t size = 0;
    for (;;) {
        if (size > MaxFileSize)
            ThrowFileError("Cannot read", fileName, EFBIG);
        if (size == bytes.size())
            bytes.resize(bytes.size() * 2);
        const ssize_t count = ::read(file.Get(), bytes.data() + size, bytes.size() - size);
        if (count < 0 && errno == EINTR)
            continue;
        if (count < 0)
            ThrowFileError("Cannot read", fileName, errno);
        if (count == 0)
            break;
        size += static_cast<std::size_t>(count);
    }
    bytes.resize(size);
    return bytes;
}

// Answers errno of the first failure, 0 on success.
int WriteAll(int fd, std::string_view data)
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
int CreateTempFile(const std::filesystem::path& target, std::string& tempName)
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
std::filesystem::path ResolveLinks(const std::string& fileName)
{
    std::filesystem::path path = fileName;
    for (int hop = 0; hop < MaxLinkHops; ++hop) {
        std::error_code error;
        const std::filesystem::path target = std::filesystem::read_symlink(path, error);
        if (error.value() == EINVAL || error.value() == ENOENT) // no link, or nothing there yet
            return path;
        if (error)
            ThrowFileError("Cannot write", fileName, error.value());
        path = target.is_absolute() ? target : path.parent_path() / target;
    }
    ThrowFileError("Cannot write", fileName, ELOOP);
}

// Makes a rename in the folder survive a power loss. A folder that may be written to but not
// read cannot be opened for this; the rename stands all the same.
int SyncFolderOf(const std::filesystem::path& file)
{
    const std::filesystem::path folder = file.has_parent_path() ? file.parent_path() : ".";
    TFileHandle handle(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    // EINVAL: the file system cannot sync folders.
    if (handle.Get() < 0 || ::fsync(handle.Get()) == 0 || errno == EINVAL)
        return 0;
    return errno;
}

// Writes data to a new file beside the file that fileName leads to and renames it over that
// file, so that the file holds either all of its old or all of its new content.
void ReplaceFile(const std::string& fileName, std::string_view data)
{
    const std::filesystem::path target = ResolveLinks(fileName);
    std::string tempName;
    TFileHandle file(CreateTempFile(target, tempName));
    if (file.Get() < 0)
        ThrowFileError("Cannot write", fileName, errno);
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
    int error = WriteAll(file.Get(), data);
    if (error == 0 && ::fsync(file.Get()) != 0)
        error = errno;
    const int closeError = file.Close();
    error = error != 0 ? error : closeError;
    if (error == 0 && ::rename(tempName.c_str(), target.c_str()) != 0)
        error = errno;
    if (error != 0)
        ThrowFileError("Cannot write", fileName, error);
    renamed = true;
    if (const int syncError = SyncFolderOf(target); syncError != 0)
        ThrowFileError("Cannot write", fileName, syncError);
}

} // namespace

// ---- TIniNameIndex ---------------------------------------------------------
// Linear probing, at most three quarters full. Slots keep the hash, so that a
// probe reads an item's name only when the hash matches.

// The slot holding the name, or the free slot that ends its probe run.
template <class NameAt>
std::size_t TIniNameIndex::SlotOf(std::string_view name, std::uint32_t hash, const NameAt& nameAt) const
{
    const std::size_t mask = FSlots.size() - 1;
    for (std::size_t i = hash & mask;; i = (i + 1) & mask) {
        const TSlot& slot = FSlots[i];
        if (slot.Position == Free || (slot.Hash == hash && EqualNoCase(nameAt(slot.Position), name)))
            return i;
    }
}

template <class NameAt>
std::size_t TIniNameIndex::Find(std::string_view name, const NameAt& nameAt) const
{
    if (FSlots.empty())
        return NotFound;
    const TSlot& slot = FSlots[SlotOf(name, HashNoCase(name), nameAt)];
    return slot.Position == Free ? NotFound : slot.Position;
}

// Positions stay below Free because files are limited to MaxFileSize bytes.
template <class NameAt>
bool TIniNameIndex::Insert(std::string_view name, std::size_t position, const NameAt& nameAt)
{
    if ((FCount + 1) * 4 > FSlots.size() * 3)
        Grow();
    const std::uint32_t hash = HashNoCase(name);
    TSlot& slot = FSlots[SlotOf(name, hash, nameAt)];
    if (slot.Position != Free)
        return false;
    slot = TSlot{hash, static_cast<std::uint32_t>(position)};
    ++FCount;
    return true;
}

void TIniNameIndex::Grow()
{
    std::vector<TSlot> old = std::move(FSlots);
    FSlots.assign(std::max<std::size_t>(8, old.size() * 2), TSlot{});
    const std::size_t mask = FSlots.size() - 1;
    for (const TSlot& slot : old) {
        if (slot.Position == Free)
            continue;
        std::size_t i = slot.Hash & mask;
        while (FSlots[i].Position != Free)
            i = (i + 1) & mask;
        FSlots[i] = slot;
    }
}

// Moves later entries of the probe run back, so that no search stops early.
template <class NameAt>
void TIniNameIndex::Erase(std::string_view name, const NameAt& nameAt)
{
    if (FSlots.empty())
        return;
    std::size_t hole = SlotOf(name, HashNoCase(name), nameAt);
    if (FSlots[hole].Position == Free)
        return;
    const std::size_t mask = FSlots.size() - 1;
    FSlots[hole] = TSlot{};
    --FCount;
    for (std::size_t i = (hole + 1) & mask; FSlots[i].Position != Free; i = (i + 1) & mask) {
        const std::size_t home = FSlots[i].Hash & mask;
        if (((i - home) & mask) >= ((i - hole) & mask)) {
            FSlots[hole] = FSlots[i];
            FSlots[i] = TSlot{};
            hole = i;
        }
    }
}

// ---- TIniImage --------------------------------------------------------------

void TIniLine::Assign(std::string text)
{
    if (Own)
        *Own = std::move(text);
    else
        Own = std::make_unique<std::string>(std::move(text));
    Text = *Own;
}

std::string_view TIniSection::KeyAt(std::size_t line) const
{
    return KeyOf(Lines[line].Text);
}

TIniImage::TIniImage(std::string text) : FText(std::move(text))
{
    Parse();
}

void TIniImage::Parse()
{
    const std::string_view text = FText;
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t end = pos;
        while (end < text.size() && text[end] != '\n' && text[end] != '\r')
            ++end;
        std::size_t next = end;
        if (end < text.size())
            next += text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n' ? 2 : 1;
        if (pos == 0 && end < text.size())
            FLineEnd = next - end == 2 ? "\r\n" : text[end] == '\r' ? "\r" : "\n";

        const std::string_view line = text.substr(pos, end - pos);
        const std::string_view trimmed = Trim(line);
        const std::size_t close = trimmed.starts_with('[') ? trimmed.rfind(']') : std::string_view::npos;
        if (close != std::string_view::npos)
            AddSection(std::string(Trim(trimmed.substr(1, close - 1))), line);
        else if (FSections.empty())
            FPreamble.push_back(line);
        else if (trimmed.empty())
            FSections.back().Trailing.push_back(line);
        else
            AddLine(FSections.back(), line);
        pos = next;
    }
}

std::string_view TIniImage::SectionNameAt(std::size_t index) const
{
    return FSections[index].Name;
}

void TIniImage::AddSection(std::string name, std::string_view header)
{
    TIniSection& section = FSections.emplace_back();
    section.Name = std::move(name);
    section.Header = header;
    section.Shadowed =
        !FSectionIndex.Insert(section.Name, FSections.size() - 1, [this](std::size_t i) { return SectionNameAt(i); });
    FHasDuplicateSections = FHasDuplicateSections || section.Shadowed;
}

void TIniImage::AddLine(TIniSection& section, std::string_view text)
{
    for (const std::string_view blank : section.Trailing)
        section.Lines.push_back(TIniLine{blank, nullptr, TIniLineKind::Other});
    section.Trailing.clear();

    TIniLine& line = section.Lines.emplace_back(TIniLine{text, nullptr, TIniLineKind::Other});
    const std::string_view trimmed = Trim(text);
    // Lines of a shadowed section are never looked up; '[' without ']' is no key.
    if (section.Shadowed || trimmed.starts_with(';') || trimmed.starts_with('[') ||
        text.find('=') == std::string_view::npos)
        return;
    const bool first = section.Keys.Insert(KeyOf(text), section.Lines.size() - 1,
                                           [&section](std::size_t i) { return section.KeyAt(i); });
    line.Kind = first ? TIniLineKind::Key : TIniLineKind::Shadowed;
    section.HasDuplicateKeys = section.HasDuplicateKeys || !first;
}

std::size_t TIniImage::SectionIndexOf(const std::string& section) const
{
    return FSectionIndex.Find(CleanSectionName(section), [this](std::size_t i) { return SectionNameAt(i); });
}

const TIniLine* TIniImage::FindLine(const std::string& section, const std::string& ident) const
{
    const std::size_t index = SectionIndexOf(section);
    if (index == TIniNameIndex::NotFound)
        return nullptr;
    const TIniSection& s = FSections[index];
    const std::size_t line = s.Keys.Find(CleanKey(ident), [&s](std::size_t i) { return s.KeyAt(i); });
    return line == TIniNameIndex::NotFound ? nullptr : &s.Lines[line];
}

TIniSection& TIniImage::ObtainSection(const std::string& section)
{
    const std::size_t index = SectionIndexOf(section);
    if (index != TIniNameIndex::NotFound)
        return FSections[index];
    AddSection(CleanSectionName(section), {});
    return FSections.back();
}

bool TIniImage::SectionExists(const std::string& section) const
{
    return SectionIndexOf(section) != TIniNameIndex::NotFound;
}

void TIniImage::ReadSection(const std::string& section, std::vector<std::string>& idents) const
{
    idents.clear();
    const std::size_t index = SectionIndexOf(section);
    if (index == TIniNameIndex::NotFound)
        return;
    for (const TIniLine& line : FSections[index].Lines)
        if (line.Kind == TIniLineKind::Key)
            idents.emplace_back(KeyOf(line.Text));
}

void TIniImage::ReadSections(std::vector<std::string>& sections) const
{
    sections.clear();
    for (const TIniSection& s : FSections)
        if (!s.Erased && !s.Shadowed)
            sections.push_back(s.Name);
}

std::size_t TIniImage::KeyCount(const std::string& section) const
{
    const std::size_t index = SectionIndexOf(section);
    return index == TIniNameIndex::NotFound ? 0 : FSections[index].Keys.Size();
}

bool TIniImage::WriteString(const std::string& section, const std::string& ident, const std::string& value)
{
    const std::string key = CleanKey(ident);
    std::string text = WithoutLineBreaks(value);
    TIniSection& s = ObtainSection(section);
    const auto keyAt = [&s](std::size_t i) { return s.KeyAt(i); };
    const std::size_t found = s.Keys.Find(key, keyAt);
    if (found == TIniNameIndex::NotFound) {
        TIniLine& line = s.Lines.emplace_back();
        line.Kind = TIniLineKind::Key;
        line.Assign(key + '=' + EncodeValue(std::move(text)));
        s.Keys.Insert(key, s.Lines.size() - 1, keyAt);
        return true;
    }
    TIniLine& line = s.Lines[found];
    if (ValueOf(line.Text) == text)
        return false;
    // The key keeps its spelling in the file.
    line.Assign(std::string(KeyOf(line.Text)) + '=' + EncodeValue(std::move(text)));
    return true;
}

// Later duplicates go too, so that the name does not come back on the next read.
bool TIniImage::EraseSection(const std::string& section)
{
    const std::string name = CleanSectionName(section);
    const auto nameAt = [this](std::size_t i) { return SectionNameAt(i); };
    const std::size_t first = FSectionIndex.Find(name, nameAt);
    if (first == TIniNameIndex::NotFound)
        return false;
    FSectionIndex.Erase(name, nameAt);
    for (std::size_t i = first; i < FSections.size(); ++i) {
        TIniSection& s = FSections[i];
        if (i == first || (s.Shadowed && EqualNoCase(s.Name, name))) {
            s = TIniSection{};
            s.Erased = true;
        }
        if (!FHasDuplicateSections)
            break;
    }
    return true;
}

// Later duplicates of the key go too, so that it does not come back on the next read.
bool TIniImage::DeleteKey(const std::string& section, const std::string& ident)
{
    const std::size_t index = SectionIndexOf(section);
    if (index == TIniNameIndex::NotFound)
        return false;
    TIniSection& s = FSections[index];
    const std::string key = CleanKey(ident);
    const auto keyAt = [&s](std::size_t i) { return s.KeyAt(i); };
    const std::size_t found = s.Keys.Find(key, keyAt);
    if (found == TIniNameIndex::NotFound)
        return false;
    s.Keys.Erase(key, keyAt);
    s.Lines[found] = TIniLine{{}, nullptr, TIniLineKind::Deleted};
    if (s.HasDuplicateKeys)
        for (TIniLine& line : s.Lines)
            if (line.Kind == TIniLineKind::Shadowed && EqualNoCase(KeyOf(line.Text), key))
                line = TIniLine{{}, nullptr, TIniLineKind::Deleted};
    return true;
}

std::string TIniImage::Text() const
{
    std::string out;
    out.reserve(FText.size() + FText.size() / 8);
    const auto put = [&](std::string_view line) {
        out += line;
        out += FLineEnd;
    };
    for (const std::string_view line : FPreamble)
        put(line);
    for (const TIniSection& s : FSections) {
        if (s.Erased)
            continue;
        put(s.Header.empty() ? '[' + s.Name + ']' : std::string(s.Header));
        for (const TIniLine& line : s.Lines)
            if (line.Kind != TIniLineKind::Deleted)
                put(line.Text);
        for (const std::string_view blank : s.Trailing)
            put(blank);
    }
    return out;
}

// ---- TIniFile ---------------------------------------------------------------

TIniFile::TIniFile(std::string fileName)
    : FFileName(std::move(fileName)),
      FImage(std::make_unique<TIniImage>(DecodeText(ReadFileBytes(FFileName))))
{
}

TIniFile::~TIniFile() = default;

const std::string& TIniFile::FileName() const
{
    return FFileName;
}

bool TIniFile::Modified() const
{
    return FModified;
}

std::string TIniFile::ReadString(const std::string& section, const std::string& ident, const std::string& def) const
{
    const TIniLine* line = FImage->FindLine(section, ident);
    return line ? std::string(ValueOf(line->Text)) : def;
}

int TIniFile::ReadInteger(const std::string& section, const std::string& ident, int def) const
{
    const TIniLine* line = FImage->FindLine(section, ident);
    int value = def;
    return line && ParseInteger(ValueOf(line->Text), value) ? value : def;
}

bool TIniFile::ReadBool(const std::string& section, const std::string& ident, bool def) const
{
    return ReadInteger(section, ident, def ? 1 : 0) != 0;
}

double TIniFile::ReadFloat(const std::string& section, const std::string& ident, double def) const
{
    const TIniLine* line = FImage->FindLine(section, ident);
    double value = def;
    return line && ParseFloat(ValueOf(line->Text), value) ? value : def;
}

void TIniFile::WriteString(const std::string& section, const std::string& ident, const std::string& value)
{
    if (FImage->WriteString(section, ident, value))
        FModified = true;
}

void TIniFile::WriteInteger(const std::string& section, const std::string& ident, int value)
{
    WriteString(section, ident, std::to_string(value));
}

void TIniFile::WriteBool(const std::string& section, const std::string& ident, bool value)
{
    WriteString(section, ident, value ? "1" : "0");
}

void TIniFile::WriteFloat(const std::string& section, const std::string& ident, double value)
{
    WriteString(section, ident, RealToText(value));
}

bool TIniFile::ValueExists(const std::string& section, const std::string& ident) const
{
    return FImage->FindLine(section, ident) != nullptr;
}

bool TIniFile::SectionExists(const std::string& section) const
{
    return FImage->SectionExists(section);
}

void TIniFile::ReadSection(const std::string& section, std::vector<std::string>& idents) const
{
    FImage->ReadSection(section, idents);
}

void TIniFile::ReadSections(std::vector<std::string>& sections) const
{
    FImage->ReadSections(sections);
}

std::size_t TIniFile::KeyCount(const std::string& section) const
{
    return FImage->KeyCount(section);
}

void TIniFile::EraseSection(const std::string& section)
{
    if (FImage->EraseSection(section))
        FModified = true;
}

void TIniFile::DeleteKey(const std::string& section, const std::string& ident)
{
    if (FImage->DeleteKey(section, ident))
        FModified = true;
}

void TIniFile::Clear()
{
    FImage = std::make_unique<TIniImage>(std::string());
    FModified = true;
}

void TIniFile::UpdateFile()
{
    if (!FModified)
        return;
    ReplaceFile(FFileName, FImage->Text());
    FModified = false;
}

} // namespace corvane
