// Whether the user has asked for high contrast: the program then paints in the system's colours
// instead of its own pictures and colours.
#pragma once

namespace ui {

bool HighContrastOn();

// Wine neither keeps nor reports the setting (SPI_SETHIGHCONTRAST is ignored, SPI_GETHIGHCONTRAST
// always says off), so tests answer for the system here; `answer` null gives the system back.
void SetHighContrastSource(bool (*answer)());

}  // namespace ui
