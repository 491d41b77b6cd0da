#pragma once
// What the in-place controls of cells and text bars share: the document's fonts and colours
// in Qt's terms, and which focus changes end an edit.

#include "corvane/platform/Canvas.h"
#include "corvane/platform/Colors.h"

#include <QApplication>
#include <QColor>
#include <QFocusEvent>
#include <QFont>
#include <QFontMetricsF>
#include <QWidget>

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace corvane::inplace {

inline QColor qColor(TColor color)
{
    const TColor rgb = ColorToRGB(color);
    return QColor(static_cast<int>(rgb & 0xFF), static_cast<int>((rgb >> 8) & 0xFF),
                  static_cast<int>((rgb >> 16) & 0xFF));
}

/// The font as the canvas shows it: a negative height is the em size, a positive one the cell
/// height (ascent + descent).
inline QFont qFont(const TFont& font)
{
    constexpr int MaxPixels = 1000;
    QFont result(QString::fromStdString(font.Name));
    result.setBold(font.Style.Contains(fsBold));
    result.setItalic(font.Style.Contains(fsItalic));
    result.setUnderline(font.Style.Contains(fsUnderline));
    result.setStrikeOut(font.Style.Contains(fsStrikeOut));
    const int height = font.Height() == 0 ? TFont().Height() : font.Height();
    int pixels = std::min(std::abs(height), MaxPixels);
    if (height > 0) {
        constexpr int reference = 100;
        result.setPixelSize(reference);
        const QFontMetricsF metrics(result);
        pixels =
            std::max(1, static_cast<int>(std::lround(pixels * reference / (metrics.ascent() + metrics.descent()))));
    }
    result.setPixelSize(std::max(1, pixels));
    return result;
}

/// Whether losing the focus this way leaves the control: not for a popup coming up, another
/// window coming to the front (a dialog the control opened, another application), or the focus
/// moving inside the control, its popups (a list, a calendar) included.
inline bool leavesControl(const QFocusEvent& event, const QWidget* control)
{
    if (event.reason() == Qt::PopupFocusReason || event.reason() == Qt::ActiveWindowFocusReason)
        return false;
    // Popups are windows of their own whose parent is the control or a part of it.
    for (const QWidget* now = QApplication::focusWidget(); now; now = now->parentWidget())
        if (now == control)
            return false;
    return true;
}

} // namespace corvane::inplace
