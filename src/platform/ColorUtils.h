#pragma once
// Colour arithmetic on the desktop's hue-luminance-saturation scale, where
// hue, luminance and saturation each run from 0 to 240.

#include "corvane/platform/Types.h"

namespace corvane {

constexpr int HLSMax = 240;

/// Takes the colour apart as given (low byte red); system colours are not
/// resolved. A grey has saturation 0 and hue 160.
void ColorRGBToHLS(TColor color, int& hue, int& luminance, int& saturation);

/// Luminance and saturation are limited to 0-240; the hue wraps around.
TColor ColorHLSToRGB(int hue, int luminance, int saturation);

/// The colour with its luminance raised by n units (lowered for negative n),
/// kept within 0-240.
TColor ColorAdjustLuma(TColor color, int n);

} // namespace corvane
