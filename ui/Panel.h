// A child container window; hiding it hides everything placed on it.
#pragma once

#include "ui/Container.h"

namespace ui {

class Panel : public Container {
public:
    [[nodiscard]] bool Create(HWND parent, int left, int top, int width, int height);
};

}  // namespace ui
