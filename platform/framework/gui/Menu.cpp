#include "framework/Menu.h"

#include "MenuModel.h"
#include "MenuPresenter.h"

#include <map>
#include <memory>
#include <unordered_map>
#include <unordered_set>

namespace {

std::unordered_set<HMENU>& LiveMenus() {
    static std::unordered_set<HMENU> live;
    return live;
}

std::unordered_map<HMENU, std::unique_ptr<CMenu>>& TemporaryMenus() {
    static std::unordered_map<HMENU, std::unique_ptr<CMenu>> temps;
    return temps;
}

std::map<UINT, std::vector<MenuTemplateItem>>& MenuResources() {
    static std::map<UINT, std::vector<MenuTemplateItem>> resources;
    return resources;
}

HMENU NewMenu(bool popup) {
    auto* m = new HMENU__; // owned by the live set until DestroyMenuHandle
    m->popup = popup;
    LiveMenus().insert(m);
    return m;
}

void DestroyMenuHandle(HMENU h) {
    HMENU__* m = kv::menu::Model(h);
    if (!m)
        return;
    LiveMenus().erase(h);
    for (MenuItem& item : m->items)
        if (item.flags & MF_POPUP)
            DestroyMenuHandle(item.subMenu);
    if (m->permanent)
        m->permanent->m_hMenu = nullptr;
    auto& temps = TemporaryMenus();
    if (auto it = temps.find(h); it != temps.end()) {
        it->second->m_hMenu = nullptr;
        temps.erase(it);
    }
    delete m;
}

HMENU BuildFromTemplate(const std::vector<MenuTemplateItem>& items, bool popup) {
    HMENU h = NewMenu(popup);
    for (const MenuTemplateItem& t : items) {
        MenuItem item;
        item.text = t.text.str();
        if (!t.children.empty() || (t.flags & MF_POPUP)) {
            item.flags = (t.flags & ~MF_BYPOSITION) | MF_POPUP;
            item.subMenu = BuildFromTemplate(t.children, true);
            item.id = reinterpret_cast<UINT_PTR>(item.subMenu);
        } else {
            item.flags = t.flags & ~MF_BYPOSITION;
            item.id = (t.flags & MF_SEPARATOR) ? 0 : t.id;
        }
        h->items.push_back(std::move(item));
    }
    return h;
}

// Fills an item from the flags and id of an insert or modify call. A sub-menu handle must be
// live and not already placed in this menu's own chain; otherwise the call fails.
bool MakeItem(UINT nFlags, UINT_PTR nID, const char* text, const void* data, MenuItem& item, HMENU target) {
    item.flags = nFlags & ~MF_BYPOSITION;
    if (item.flags & MF_POPUP) {
        HMENU sub = reinterpret_cast<HMENU>(nID);
        // Without these checks a menu could hold itself or a dead handle, and destroying it
        // would recurse for ever or free memory twice.
        if (!kv::menu::Model(sub) || sub == target)
            return false;
        item.subMenu = sub;
        item.id = nID;
    } else {
        item.subMenu = nullptr;
        item.id = (item.flags & MF_SEPARATOR) ? 0 : nID;
    }
    if (item.flags & MF_OWNERDRAW)
        item.itemData = reinterpret_cast<ULONG_PTR>(data);
    else if (!(item.flags & MF_SEPARATOR))
        item.text = text ? text : "";
    return true;
}

} // namespace

namespace kv::menu {

HMENU__* Model(HMENU hMenu) {
    if (!hMenu || LiveMenus().count(hMenu) == 0)
        return nullptr;
    return hMenu;
}

MenuItem* FindItem(HMENU hMenu, UINT idOrPos, UINT flags, HMENU* owner, int* pos) {
    HMENU__* m = Model(hMenu);
    if (!m)
        return nullptr;
    if (flags & MF_BYPOSITION) {
        if (idOrPos >= m->items.size())
            return nullptr;
        if (owner)
            *owner = hMenu;
        if (pos)
            *pos = static_cast<int>(idOrPos);
        return &m->items[idOrPos];
    }
    for (size_t i = 0; i < m->items.size(); ++i) {
        MenuItem& item = m->items[i];
        if (item.flags & MF_POPUP) {
            if (MenuItem* found = FindItem(item.subMenu, idOrPos, flags, owner, pos))
                return found;
        } else if (!(item.flags & MF_SEPARATOR) && item.id == idOrPos) {
            if (owner)
                *owner = hMenu;
            if (pos)
                *pos = static_cast<int>(i);
            return &item;
        }
    }
    return nullptr;
}

} // namespace kv::menu

void RegisterMenuResource(UINT resourceId, std::vector<MenuTemplateItem> items) {
    MenuResources()[resourceId] = std::move(items);
}

bool IsMenu(HMENU hMenu) {
    return kv::menu::Model(hMenu) != nullptr;
}

CMenu::~CMenu() {
    if (!m_bTemporary)
        DestroyMenu();
}

BOOL CMenu::CreateMenu() {
    if (m_hMenu)
        return FALSE;
    return Attach(NewMenu(false));
}

BOOL CMenu::CreatePopupMenu() {
    if (m_hMenu)
        return FALSE;
    return Attach(NewMenu(true));
}

BOOL CMenu::LoadMenu(UINT resourceId) {
    auto it = MenuResources().find(resourceId);
    if (it == MenuResources().end() || m_hMenu)
        return FALSE;
    HMENU h = BuildFromTemplate(it->second, false);
    // A menu that could not be attached would otherwise stay alive with no owner.
    if (!Attach(h)) {
        DestroyMenuHandle(h);
        return FALSE;
    }
    return TRUE;
}

BOOL CMenu::DestroyMenu() {
    if (!m_hMenu)
        return FALSE;
    HMENU h = Detach();
    if (!kv::menu::Model(h))
        return FALSE;
    DestroyMenuHandle(h);
    return TRUE;
}

BOOL CMenu::Attach(HMENU hMenu) {
    HMENU__* m = kv::menu::Model(hMenu);
    // A handle already attached to another object would be destroyed by both owners.
    if (!m || m_hMenu || (m->permanent && m->permanent != this))
        return FALSE;
    m_hMenu = hMenu;
    m->permanent = this;
    return TRUE;
}

HMENU CMenu::Detach() {
    HMENU h = m_hMenu;
    if (HMENU__* m = kv::menu::Model(h); m && m->permanent == this)
        m->permanent = nullptr;
    m_hMenu = nullptr;
    return h;
}

CMenu* CMenu::FromHandle(HMENU hMenu) {
    HMENU__* m = kv::menu::Model(hMenu);
    if (!m)
        return nullptr;
    if (m->permanent)
        return m->permanent;
    auto& temps = TemporaryMenus();
    auto& slot = temps[hMenu];
    if (!slot) {
        slot = std::make_unique<CMenu>();
        slot->m_bTemporary = true;
        slot->m_hMenu = hMenu;
    }
    return slot.get();
}

CMenu* CMenu::FromHandlePermanent(HMENU hMenu) {
    HMENU__* m = kv::menu::Model(hMenu);
    return m ? m->permanent : nullptr;
}

BOOL CMenu::AppendMenu(UINT nFlags, UINT_PTR nIDNewItem, const char* lpszNewItem) {
    return InsertMenu(static_cast<UINT>(-1), nFlags | MF_BYPOSITION, nIDNewItem, lpszNewItem);
}

BOOL CMenu::AppendMenu(UINT nFlags, UINT_PTR nIDNewItem, const void* pOwnerDrawData) {
    return InsertMenu(static_cast<UINT>(-1), nFlags | MF_BYPOSITION, nIDNewItem, pOwnerDrawData);
}

BOOL CMenu::InsertMenu(UINT nPosition, UINT nFlags, UINT_PTR nIDNewItem, const char* lpszNewItem) {
    HMENU__* m = kv::menu::Model(m_hMenu);
    if (!m)
        return FALSE;
    MenuItem item;
    if (!MakeItem(nFlags, nIDNewItem, lpszNewItem, lpszNewItem, item, m_hMenu))
        return FALSE;
    if (nFlags & MF_BYPOSITION) {
        const size_t at = nPosition > m->items.size() ? m->items.size() : nPosition;
        m->items.insert(m->items.begin() + static_cast<long>(at), std::move(item));
        return TRUE;
    }
    HMENU owner = nullptr;
    int pos = -1;
    if (!kv::menu::FindItem(m_hMenu, nPosition, MF_BYCOMMAND, &owner, &pos))
        return FALSE;
    owner->items.insert(owner->items.begin() + pos, std::move(item));
    return TRUE;
}

BOOL CMenu::InsertMenu(UINT nPosition, UINT nFlags, UINT_PTR nIDNewItem, const void* pOwnerDrawData) {
    return InsertMenu(nPosition, nFlags | MF_OWNERDRAW, nIDNewItem, static_cast<const char*>(pOwnerDrawData));
}

BOOL CMenu::ModifyMenu(UINT nPosition, UINT nFlags, UINT_PTR nIDNewItem, const char* lpszNewItem) {
    MenuItem* item = kv::menu::FindItem(m_hMenu, nPosition, nFlags);
    if (!item)
        return FALSE;
    MenuItem changed = *item;
    if (!MakeItem(nFlags, nIDNewItem, lpszNewItem, lpszNewItem, changed, m_hMenu))
        return FALSE;
    // An item turned owner-drawn keeps its text, so the menu stays readable by position.
    if (changed.flags & MF_OWNERDRAW)
        changed.text = item->text;
    // A sub-menu replaced by something else is destroyed, as it is no longer reachable.
    if ((item->flags & MF_POPUP) && item->subMenu != changed.subMenu)
        DestroyMenuHandle(item->subMenu);
    *item = std::move(changed);
    return TRUE;
}

BOOL CMenu::ModifyMenu(UINT nPosition, UINT nFlags, UINT_PTR nIDNewItem, const void* pOwnerDrawData) {
    return ModifyMenu(nPosition, nFlags | MF_OWNERDRAW, nIDNewItem, static_cast<const char*>(pOwnerDrawData));
}

BOOL CMenu::RemoveMenu(UINT nPosition, UINT nFlags) {
    HMENU owner = nullptr;
    int pos = -1;
    if (!kv::menu::FindItem(m_hMenu, nPosition, nFlags, &owner, &pos))
        return FALSE;
    owner->items.erase(owner->items.begin() + pos);
    return TRUE;
}

BOOL CMenu::DeleteMenu(UINT nPosition, UINT nFlags) {
    HMENU owner = nullptr;
    int pos = -1;
    MenuItem* item = kv::menu::FindItem(m_hMenu, nPosition, nFlags, &owner, &pos);
    if (!item)
        return FALSE;
    HMENU sub = (item->flags & MF_POPUP) ? item->subMenu : nullptr;
    owner->items.erase(owner->items.begin() + pos);
    DestroyMenuHandle(sub);
    return TRUE;
}

int CMenu::GetMenuItemCount() const {
    HMENU__* m = kv::menu::Model(m_hMenu);
    return m ? static_cast<int>(m->items.size()) : -1;
}

UINT CMenu::GetMenuItemID(int nPos) const {
    if (nPos < 0)
        return static_cast<UINT>(-1);
    MenuItem* item = kv::menu::FindItem(m_hMenu, static_cast<UINT>(nPos), MF_BYPOSITION);
    if (!item || (item->flags & MF_POPUP))
        return static_cast<UINT>(-1);
    return static_cast<UINT>(item->id);
}

UINT CMenu::GetMenuState(UINT nID, UINT nFlags) const {
    MenuItem* item = kv::menu::FindItem(m_hMenu, nID, nFlags);
    if (!item)
        return static_cast<UINT>(-1);
    UINT state =
        item->flags & (MF_GRAYED | MF_DISABLED | MF_CHECKED | MF_POPUP | MF_OWNERDRAW | MF_SEPARATOR);
    if (HMENU__* sub = (item->flags & MF_POPUP) ? kv::menu::Model(item->subMenu) : nullptr)
        state = (state & 0xFF) | MF_POPUP | (static_cast<UINT>(sub->items.size() & 0xFF) << 8);
    return state;
}

int CMenu::GetMenuString(UINT nIDItem, CString& rString, UINT nFlags) const {
    MenuItem* item = kv::menu::FindItem(m_hMenu, nIDItem, nFlags);
    rString = item ? item->text.c_str() : "";
    return rString.GetLength();
}

CMenu* CMenu::GetSubMenu(int nPos) const {
    if (nPos < 0)
        return nullptr;
    MenuItem* item = kv::menu::FindItem(m_hMenu, static_cast<UINT>(nPos), MF_BYPOSITION);
    if (!item || !(item->flags & MF_POPUP))
        return nullptr;
    return FromHandle(item->subMenu);
}

ULONG_PTR CMenu::GetMenuItemData(UINT nIDItem, UINT nFlags) const {
    MenuItem* item = kv::menu::FindItem(m_hMenu, nIDItem, nFlags);
    return item ? item->itemData : 0;
}

UINT CMenu::CheckMenuItem(UINT nIDCheckItem, UINT nCheck) {
    MenuItem* item = kv::menu::FindItem(m_hMenu, nIDCheckItem, nCheck);
    if (!item)
        return static_cast<UINT>(-1);
    const UINT previous = item->flags & MF_CHECKED;
    item->flags = (item->flags & ~MF_CHECKED) | (nCheck & MF_CHECKED);
    return previous;
}

UINT CMenu::EnableMenuItem(UINT nIDEnableItem, UINT nEnable) {
    MenuItem* item = kv::menu::FindItem(m_hMenu, nIDEnableItem, nEnable);
    if (!item)
        return static_cast<UINT>(-1);
    const UINT previous = item->flags & (MF_GRAYED | MF_DISABLED);
    item->flags = (item->flags & ~(MF_GRAYED | MF_DISABLED)) | (nEnable & (MF_GRAYED | MF_DISABLED));
    return previous;
}

BOOL CMenu::TrackPopupMenu(UINT nFlags, int x, int y, CWnd* pWnd, const RECT*) {
    if (!kv::menu::Model(m_hMenu) || !pWnd)
        return FALSE;
    return static_cast<BOOL>(kv::MenuPresenter::Track(m_hMenu, nFlags, x, y, pWnd));
}

void CMenu::DrawItem(DRAWITEMSTRUCT*) {}

void CMenu::MeasureItem(MEASUREITEMSTRUCT*) {}
