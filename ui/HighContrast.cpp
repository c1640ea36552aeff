#include "ui/HighContrast.h"

#include <windows.h>

namespace ui {

namespace {

bool SystemHighContrast() {
    HIGHCONTRASTW contrast{};
    contrast.cbSize = sizeof(contrast);
    return SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof(contrast), &contrast, 0) &&
           (contrast.dwFlags & HCF_HIGHCONTRASTON) != 0;
}

bool (*source)() = &SystemHighContrast;

}  // namespace

bool HighContrastOn() { return source(); }

void SetHighContrastSource(bool (*answer)()) { source = answer ? answer : &SystemHighContrast; }

}  // namespace ui
