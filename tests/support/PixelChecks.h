#pragma once
// Painting tests read a handful of pixels after each drawing; a list of them reads as a table
// and still names the pixel that is wrong, and the line that listed it.

#include "corvane/platform/Graphics.h"
#include "corvane/platform/Types.h"

#include <concepts>
#include <gtest/gtest.h>
#include <initializer_list>
#include <source_location>

namespace corvane::test {

struct ExpectedPixel {
    int x, y;
    TColor color;
};

/// Expects `at(x, y)` to be each listed colour; a wrong one is reported with its position.
template <typename At>
requires std::invocable<At&, int, int>
void expectPixels(At&& at, std::initializer_list<ExpectedPixel> pixels,
                  std::source_location where = std::source_location::current())
{
    const testing::ScopedTrace trace(where.file_name(), static_cast<int>(where.line()), "pixels listed here");
    for (const ExpectedPixel& p : pixels)
        EXPECT_EQ(at(p.x, p.y), p.color) << "pixel " << p.x << "," << p.y;
}

/// Expects each listed pixel of the bitmap.
inline void expectPixels(const TBitmap& bitmap, std::initializer_list<ExpectedPixel> pixels,
                         std::source_location where = std::source_location::current())
{
    expectPixels([&bitmap](int x, int y) { return bitmap.Pixel(x, y); }, pixels, where);
}

} // namespace corvane::test
