#include "corvane/framework/rendering/qvtTextArranger.h"

#include "corvane/framework/rendering/qvtTextSettings.h"
#include "corvane/framework/rendering/qvtVisualContext.h"
#include "corvane/platform/Graphics.h"

#include <algorithm>
#include <climits>
#include <cstddef>
#include <string_view>

namespace corvane {

namespace {

// Measures in the settings font on a scratch surface of its own, so that measuring
// never disturbs a canvas being painted.
class TTextMeasurer {
public:
    explicit TTextMeasurer(const TFont& font) : canvas(device()) { canvas.Font() = font; }

    int width(std::string_view text) { return canvas.TextWidth(std::string(text)); }
    int lineHeight() { return canvas.TextHeight("A"); }

private:
    TCanvas& device()
    {
        bitmap.SetSize(1, 1);
        return bitmap.Canvas();
    }

    TBitmap bitmap;
    TCanvas& canvas;
};

int saturatedProduct(long long a, long long b)
{
    return static_cast<int>(std::min<long long>(a * b, INT_MAX));
}

bool isBreak(char c)
{
    return c == '\r' || c == '\n';
}

// Byte offsets at which the code points of text start, and text's length at the end.
// A byte that is not a UTF-8 continuation byte starts a code point, so a line break
// never falls inside a well-formed one.
std::vector<std::size_t> codePointStarts(std::string_view text)
{
    std::vector<std::size_t> starts;
    starts.reserve(text.size() + 1);
    for (std::size_t i = 0; i < text.size(); ++i)
        if (i == 0 || (static_cast<unsigned char>(text[i]) & 0xC0) != 0x80)
            starts.push_back(i);
    starts.push_back(text.size());
    return starts;
}

// The layout of one text: code points are indexed through their starts.
class TLineBreaker {
public:
    TLineBreaker(std::string_view text, std::vector<std::string>& lines)
        : text(text),
          starts(codePointStarts(text)),
          count(starts.size() - 1),
          lines(lines)
    {
    }

    bool done() const { return pos >= count; }
    std::string_view rest() const { return text.substr(starts[pos]); }

    // Each line break at the current position stands for an empty line of one blank.
    void takeEmptyLines()
    {
        while (pos < count && isBreak(at(pos))) {
            lines.emplace_back(" ");
            skipBreak();
        }
    }

    // Takes the next line of the text; indent is room kept free before it.
    void takeLine(int width, int indent, TTextMeasurer& measurer)
    {
        if (paragraphEnd <= pos)
            paragraphEnd = findBreak(pos);
        const std::size_t available = paragraphEnd - pos;
        // No text is narrower than nothing: without room every prefix overflows unmeasured.
        const auto overflows = [&](std::size_t n) {
            return indent >= width || measurer.width(span(pos, n)) + indent >= width;
        };
        const std::size_t fit = firstOverflow(available, lastFit, overflows);
        if (fit > available || fit == 1) {
            // The line ends at a break or at the end, or one character alone is too wide
            // and goes on a line of its own.
            const std::size_t n = std::min(fit, available);
            lines.emplace_back(span(pos, n));
            pos += n;
            if (pos < count && isBreak(at(pos)))
                skipBreak();
            return;
        }
        lastFit = fit;
        // The line overflows at fit characters: break after the last blank before the
        // last character, or else inside the word.
        std::size_t n = fit - 1;
        for (std::size_t j = fit - 1; j-- > 0;)
            if (at(pos + j) == ' ') {
                n = j + 1;
                break;
            }
        lines.emplace_back(span(pos, n));
        pos += n;
    }

private:
    char at(std::size_t index) const { return text[starts[index]]; }
    std::string_view span(std::size_t first, std::size_t n) const
    {
        return text.substr(starts[first], starts[first + n] - starts[first]);
    }

    // A line break is CR LF, CR or LF.
    void skipBreak()
    {
        if (at(pos++) == '\r' && pos < count && at(pos) == '\n')
            ++pos;
    }

    std::size_t findBreak(std::size_t from) const
    {
        while (from < count && !isBreak(at(from)))
            ++from;
        return from;
    }

    // The smallest n in [1, available] for which overflows(n) holds, or available + 1
    // when there is none. Prefix widths grow with their length, so a search that gallops
    // away from a guess and then bisects finds it with O(log d) measurements, d being the
    // guess's distance from the answer. Lines of one text tend to be alike, so the guess
    // is the answer for the line before.
    template <typename Predicate>
    static std::size_t firstOverflow(std::size_t available, std::size_t guess, Predicate overflows)
    {
        guess = std::clamp<std::size_t>(guess, 1, available);
        std::size_t fits = 0; // longest prefix known to fit
        std::size_t over = 0; // shortest prefix known to overflow
        if (overflows(guess)) {
            over = guess;
            for (std::size_t step = 1; over > 1; step *= 2) {
                const std::size_t probe = guess > step ? guess - step : 1;
                if (!overflows(probe)) {
                    fits = probe;
                    break;
                }
                over = probe;
            }
        } else {
            fits = guess;
            for (std::size_t step = 1; !over; step *= 2) {
                if (fits == available)
                    return available + 1;
                const std::size_t probe = std::min(guess + step, available);
                if (overflows(probe))
                    over = probe;
                else
                    fits = probe;
            }
        }
        while (over - fits > 1) {
            const std::size_t middle = fits + (over - fits) / 2;
            if (overflows(middle))
                over = middle;
            else
                fits = middle;
        }
        return over;
    }

    std::string_view text;
    std::vector<std::size_t> starts;
    std::size_t count;
    std::vector<std::string>& lines;
    std::size_t pos = 0;
    std::size_t paragraphEnd = 0;
    std::size_t lastFit = 1;
};

} // namespace

TQVTTextArranger::TQVTTextArranger(IQVTTextSettings* textSettings) : FTextSettings(textSettings) {}

int TQVTTextArranger::imageIndent() const
{
    return Fimage ? Fimage->Width() + 5 : 0;
}

void TQVTTextArranger::wordWrapText(const std::string& text, int width, bool wrap)
{
    TFont* font = FTextSettings ? FTextSettings->GetFont() : nullptr;
    if (wrap && !font)
        return;
    textLines.clear();
    TLineBreaker breaker(text, textLines);
    breaker.takeEmptyLines();
    if (!wrap) {
        textLines.emplace_back(breaker.rest());
        FFitHeight = getTextHeight();
        return;
    }
    TTextMeasurer measurer(*font);
    // Only the first line leaves room for the image.
    int indent = imageIndent();
    while (!breaker.done()) {
        breaker.takeLine(width, indent, measurer);
        breaker.takeEmptyLines();
        indent = 0;
    }
    FFitHeight = saturatedProduct(measurer.lineHeight(), static_cast<long long>(textLines.size()));
}

int TQVTTextArranger::getTextWidth(const std::string& s) const
{
    const TFont* font = FTextSettings ? FTextSettings->GetFont() : nullptr;
    return font ? TTextMeasurer(*font).width("W" + s) : 0;
}

int TQVTTextArranger::getTextWidthMAX() const
{
    if (textLines.empty())
        return -1;
    const TFont* font = FTextSettings ? FTextSettings->GetFont() : nullptr;
    if (!font)
        return 0;
    TTextMeasurer measurer(*font);
    int widest = 0;
    for (const std::string& line : textLines)
        widest = std::max(widest, measurer.width("W" + line));
    return widest;
}

int TQVTTextArranger::getTextHeight() const
{
    const TFont* font = FTextSettings ? FTextSettings->GetFont() : nullptr;
    if (!font)
        return 0;
    return saturatedProduct(TTextMeasurer(*font).lineHeight(), static_cast<long long>(textLines.size()));
}

void TQVTTextArranger::drawText(TQVTVisualContext& vc, TRect rect, bool fillBackground, TColor color)
{
    const TFont* font = FTextSettings ? FTextSettings->GetFont() : nullptr;
    if (!font)
        return;
    const TColor textColor = color == clNone ? font->Color : color;
    vc.setFont(font->Name, font->Size(), textColor, font->Style.Contains(fsBold), font->Style.Contains(fsItalic),
               font->Style.Contains(fsUnderline), 0);
    if (!FTextSettings->GetTransparent() && fillBackground)
        vc.FillArea(rect, FTextSettings->GetColor(), bsSolid);
    paintLines(vc, rect);
}

void TQVTTextArranger::drawTextwhileFocused(TQVTVisualContext& vc, TRect rect, TColor color1, TColor color2)
{
    const TFont* font = FTextSettings ? FTextSettings->GetFont() : nullptr;
    if (!font)
        return;
    vc.setFont(font->Name, font->Size(), font->Color, font->Style.Contains(fsBold), font->Style.Contains(fsItalic),
               font->Style.Contains(fsUnderline), 0);
    vc.setPenStyle(psSolid);
    vc.gradientFill(rect, color1, color2, true);
    vc.drawRect(rect, psSolid, clBlack);
    paintLines(vc, rect);
}

void TQVTTextArranger::paintLines(TQVTVisualContext& vc, const TRect& rect)
{
    const long long lineHeight = vc.TextHeight("A");
    const long long blockHeight = lineHeight * static_cast<long long>(textLines.size());
    const long long height = static_cast<long long>(rect.Bottom) - rect.Top;
    const long long width = static_cast<long long>(rect.Right) - rect.Left;
    long long top = rect.Top;
    switch (FTextSettings->GetVAlign()) {
    case vaBottom:
        top += height - blockHeight;
        break;
    case vaCenter:
        top += (height - blockHeight) / 2;
        break;
    default:
        break;
    }
    const int halign = FTextSettings->GetHAlign();
    for (std::size_t i = 0; i < textLines.size(); ++i) {
        const long long y = top + static_cast<long long>(i) * lineHeight;
        // Lines beyond the coordinate range could not be seen anyway.
        if (y < INT_MIN || y > INT_MAX)
            continue;
        const std::string& line = textLines[i];
        const int imageWidth = i == 0 ? imageIndent() : 0;
        long long x = rect.Left + imageWidth;
        switch (halign) {
        case haRight:
            x += width - vc.TextWidth(line) - imageWidth;
            break;
        case haCenter:
            x += (width - vc.TextWidth(line) - imageWidth) / 2;
            break;
        default:
            break;
        }
        if (x - imageWidth < INT_MIN || x > INT_MAX)
            continue;
        if (imageWidth > 0) {
            Fimage->SetTransparent(false);
            vc.drawGraphic(static_cast<int>(x) - imageWidth, static_cast<int>(y), *Fimage);
        }
        vc.textOutOriented(static_cast<int>(x), static_cast<int>(y), line, 0);
    }
}

} // namespace corvane
