#pragma once
// The record an owner receives to draw one owner-drawn item (menu items here).
#include "framework/WinDef.h"
#include "gdi/gdi.h"

struct DRAWITEMSTRUCT {
    UINT CtlType = 0;
    UINT CtlID = 0;
    UINT itemID = 0;
    UINT itemAction = 0;
    UINT itemState = 0;
    HMENU hMenu = nullptr; // the menu that holds the item
    HDC hDC = nullptr;
    RECT rcItem;
    ULONG_PTR itemData = 0;
};
