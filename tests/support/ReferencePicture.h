#pragma once
// Comparison of a painted picture with a reference PNG in tests/data, pixel for pixel. The
// picture of the last run is kept under the same name in the build folder. After an intended
// change of the drawing, CORVANE_UPDATE_GALLERY=1 writes the reference instead (look at it
// before committing it).

#include "corvane/platform/Graphics.h"

#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>

namespace corvane::test {

inline void expectMatchesReference(const TBitmap& bitmap, const std::string& fileName)
{
    const auto save = [&bitmap](const std::string& path) {
        TPngImage png;
        png.Assign(bitmap);
        png.SaveToFile(path);
    };
    const std::string painted = std::string(CORVANE_BINARY_DIR) + "/" + fileName;
    std::filesystem::create_directories(std::filesystem::path(painted).parent_path());
    save(painted);
    const std::string reference = std::string(CORVANE_TEST_DATA) + "/" + fileName;
    if (std::getenv("CORVANE_UPDATE_GALLERY")) {
        save(reference);
        GTEST_SKIP() << "reference written to " << reference;
    }
    TPngImage png;
    png.LoadFromFile(reference);
    TBitmap expected;
    expected.Assign(png);
    ASSERT_EQ(expected.Width(), bitmap.Width());
    ASSERT_EQ(expected.Height(), bitmap.Height());
    int differing = 0;
    std::string first;
    for (int y = 0; y < bitmap.Height(); ++y)
        for (int x = 0; x < bitmap.Width(); ++x)
            if (bitmap.Pixel(x, y) != expected.Pixel(x, y) && differing++ == 0)
                first = "(" + std::to_string(x) + ", " + std::to_string(y) + ")";
    EXPECT_EQ(differing, 0) << "first at " << first << "; the picture is " << painted;
}

} // namespace corvane::test
