#include "corvane/platform/RealText.h"

#include <array>
#include <charconv>

namespace corvane {

std::string RealToText(double value)
{
    std::array<char, 32> buffer{};
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value);
    return std::string(buffer.data(), result.ptr);
}

} // namespace corvane
