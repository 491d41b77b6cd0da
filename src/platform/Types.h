#pragma once
// Value types and exceptions shared by every layer of the suite.

#include <cstdint>
#include <stdexcept>
#include <string>

namespace corvane {

/// Days since 30 December 1899; the fraction is the time of day.
using TDateTime = double;

/// Red in the low byte, then green, then blue; the top byte is kept as stored.
using TColor = std::uint32_t;

struct TPoint {
    std::int32_t X = 0;
    std::int32_t Y = 0;
    friend bool operator==(const TPoint&, const TPoint&) = default;
};

/// Right and Bottom are exclusive.
struct TRect {
    std::int32_t Left = 0;
    std::int32_t Top = 0;
    std::int32_t Right = 0;
    std::int32_t Bottom = 0;
    friend bool operator==(const TRect&, const TRect&) = default;
};

inline TRect Rect(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom)
{
    return TRect{left, top, right, bottom};
}

inline TPoint Point(std::int32_t x, std::int32_t y)
{
    return TPoint{x, y};
}

class Exception : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

/// Text that cannot be converted to the value asked for.
class EConvertError : public Exception {
public:
    using Exception::Exception;
};

/// A file that exists but cannot be read or written.
class EFileError : public Exception {
public:
    using Exception::Exception;
};

/// A cast to a class that the object does not belong to.
class EInvalidCast : public Exception {
public:
    using Exception::Exception;
};

/// A call that the object's current state does not allow.
class EInvalidOperation : public Exception {
public:
    using Exception::Exception;
};

} // namespace corvane
