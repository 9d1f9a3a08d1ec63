#pragma once
// Menus as a model of items by position: each item has flags (state and kind), a command id
// or a sub-menu, a text and owner-draw data. Menu handles are checked against the live set
// before every use, so a stale or twice-destroyed handle is a harmless no-op.
#include "framework/CString.h"
#include "framework/WinDef.h"

#include <vector>

struct DRAWITEMSTRUCT;

constexpr UINT MF_BYCOMMAND = 0x0000;
constexpr UINT MF_BYPOSITION = 0x0400;
constexpr UINT MF_STRING = 0x0000;
constexpr UINT MF_ENABLED = 0x0000;
constexpr UINT MF_UNCHECKED = 0x0000;
constexpr UINT MF_GRAYED = 0x0001;
constexpr UINT MF_DISABLED = 0x0002;
constexpr UINT MF_CHECKED = 0x0008;
constexpr UINT MF_POPUP = 0x0010;
constexpr UINT MF_OWNERDRAW = 0x0100;
constexpr UINT MF_SEPARATOR = 0x0800;
constexpr UINT TPM_LEFTALIGN = 0x0000;
constexpr UINT TPM_RIGHTBUTTON = 0x0002;
constexpr UINT TPM_RETURNCMD = 0x0100;

// One item of a menu resource; an item with children (or MF_POPUP) opens a sub-menu.
struct MenuTemplateItem {
    CString text;
    UINT id = 0;
    UINT flags = 0;
    std::vector<MenuTemplateItem> children;
};

// Menu resources are registered by id before LoadMenu asks for them.
void RegisterMenuResource(UINT resourceId, std::vector<MenuTemplateItem> items);

class CMenu {
public:
    CMenu() = default;
    CMenu(const CMenu&) = delete;
    CMenu& operator=(const CMenu&) = delete;
    // Destroys the attached menu (and its sub-menus); detach first to keep it.
    virtual ~CMenu();

    HMENU m_hMenu = nullptr;

    BOOL CreateMenu();
    BOOL CreatePopupMenu();
    BOOL LoadMenu(UINT resourceId);
    BOOL DestroyMenu();
    BOOL Attach(HMENU hMenu);
    HMENU Detach();
    HMENU GetSafeHmenu() const { return m_hMenu; }
    operator HMENU() const { return m_hMenu; }

    // The attached CMenu object of a handle, or a temporary wrapper that lives as long as
    // the handle. FromHandlePermanent gives only attached objects.
    static CMenu* FromHandle(HMENU hMenu);
    static CMenu* FromHandlePermanent(HMENU hMenu);

    BOOL AppendMenu(UINT nFlags, UINT_PTR nIDNewItem = 0, const char* lpszNewItem = nullptr);
    BOOL AppendMenu(UINT nFlags, UINT_PTR nIDNewItem, const void* pOwnerDrawData);
    BOOL InsertMenu(UINT nPosition, UINT nFlags, UINT_PTR nIDNewItem = 0, const char* lpszNewItem = nullptr);
    BOOL InsertMenu(UINT nPosition, UINT nFlags, UINT_PTR nIDNewItem, const void* pOwnerDrawData);
    BOOL ModifyMenu(UINT nPosition, UINT nFlags, UINT_PTR nIDNewItem = 0, const char* lpszNewItem = nullptr);
    BOOL ModifyMenu(UINT nPosition, UINT nFlags, UINT_PTR nIDNewItem, const void* pOwnerDrawData);
    // RemoveMenu keeps a sub-menu alive (its handle is returned to the caller's care);
    // DeleteMenu destroys it.
    BOOL RemoveMenu(UINT nPosition, UINT nFlags);
    BOOL DeleteMenu(UINT nPosition, UINT nFlags);

    int GetMenuItemCount() const;
    // Command id at a position; (UINT)-1 for a sub-menu or a bad position, 0 for a separator.
    UINT GetMenuItemID(int nPos) const;
    // Item flags; for a sub-menu the item count sits in the high byte. (UINT)-1 if not found.
    UINT GetMenuState(UINT nID, UINT nFlags) const;
    int GetMenuString(UINT nIDItem, CString& rString, UINT nFlags) const;
    CMenu* GetSubMenu(int nPos) const;
    ULONG_PTR GetMenuItemData(UINT nIDItem, UINT nFlags) const;
    // Return the previous state, or (UINT)-1 when the item does not exist.
    UINT CheckMenuItem(UINT nIDCheckItem, UINT nCheck);
    UINT EnableMenuItem(UINT nIDEnableItem, UINT nEnable);

    // Shows the menu as a context menu at screen point (x, y); commands go to pWnd.
    // With TPM_RETURNCMD the chosen id is returned instead of sent.
    BOOL TrackPopupMenu(UINT nFlags, int x, int y, CWnd* pWnd, const RECT* lpRect = nullptr);

    // Owner-drawn items of this menu are measured and drawn here unless the owner window
    // handles them first.
    virtual void DrawItem(DRAWITEMSTRUCT* lpDrawItemStruct);
    virtual void MeasureItem(MEASUREITEMSTRUCT* lpMeasureItemStruct);

private:
    bool m_bTemporary = false;
};

// Whether a handle names a live menu.
bool IsMenu(HMENU hMenu);

// Whether a menu has the keyboard: a drop-down is open or the menu bar is in keyboard mode.
// Keys pressed then belong to the menu, not to any window's accelerators.
bool MenuHasKeyboard();
