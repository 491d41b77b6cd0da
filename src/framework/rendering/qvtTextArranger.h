#pragma once
// Breaks a text into lines for a width, measures it and paints it into a rectangle.

#include "corvane/platform/Types.h"

#include <string>
#include <vector>

namespace corvane {

class IQVTTextSettings;
class TBitmap;
class TQVTVisualContext;

class TQVTTextArranger {
public:
    /// The settings are not owned and must outlive the arranger.
    explicit TQVTTextArranger(IQVTTextSettings* textSettings);

    /// Lays the text out into textLines and sets FFitHeight. Line breaks are CR LF, a lone
    /// CR or a lone LF. With wrap, lines are broken after the last blank that still fits
    /// (the blank stays at the line's end), or inside a word that has none; a line always
    /// keeps at least one character, so every width gives a layout.
    void wordWrapText(const std::string& text, int width, bool wrap);
    /// Paints the lines into rect, aligned by the settings; colour clNone writes in the
    /// font's own colour. The background is filled unless the settings are transparent.
    void drawText(TQVTVisualContext& vc, TRect rect, bool fillBackground, TColor color);
    /// As drawText over a left-to-right ramp from color1 to color2 framed in black, in the
    /// font's own colour.
    void drawTextwhileFocused(TQVTVisualContext& vc, TRect rect, TColor color1, TColor color2);

    /// Width of "W" followed by s: one letter of padding. 0 without a font.
    int getTextWidth(const std::string& s) const;
    /// The largest getTextWidth of the lines; -1 when there are none.
    int getTextWidthMAX() const;
    /// Line height (that of "A") times the number of lines; 0 without a font.
    int getTextHeight() const;
    IQVTTextSettings* getTextSettings() const { return FTextSettings; }

    std::vector<std::string> textLines;
    /// Painted before the first line, which leaves room for it; not owned.
    TBitmap* Fimage = nullptr;
    /// Number of lines times line height, as of the last wordWrapText.
    int FFitHeight = 0;

private:
    /// Room the image takes before the first line, 0 without an image.
    int imageIndent() const;
    void paintLines(TQVTVisualContext& vc, const TRect& rect);

    IQVTTextSettings* FTextSettings;
};

} // namespace corvane
