#pragma once

#include "framework/ui/MenuItem.h"

namespace fw {

// The menu bar: a MenuItem whose children are the menus.
class MenuBar : public MenuItem {
public:
    MenuBar() = default;
};

} // namespace fw
