#pragma once
// The menu model behind HMENU handles; shared by CMenu and the Qt presentation.
#include "framework/Menu.h"

#include <string>
#include <vector>

struct MenuItem {
    UINT flags = 0; // MF_ state and kind bits, without MF_BYPOSITION
    UINT_PTR id = 0;
    HMENU subMenu = nullptr;
    std::string text;
    ULONG_PTR itemData = 0;
};

struct HMENU__ {
    bool popup = false;
    std::vector<MenuItem> items;
    CMenu* permanent = nullptr;
};

namespace kv::menu {
// The model of a live handle, or nullptr.
HMENU__* Model(HMENU hMenu);
// Locates an item by position or, recursively, by command id.
MenuItem* FindItem(HMENU hMenu, UINT idOrPos, UINT flags, HMENU* owner = nullptr, int* pos = nullptr);
} // namespace kv::menu
