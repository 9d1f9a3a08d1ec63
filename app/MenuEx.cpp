#include "app/MenuEx.h"

#include "framework/DC.h"
#include "framework/WinApp.h"

#include <algorithm>
#include <unordered_set>

namespace {

// Every record alive; owner-draw data is checked against it before it is used.
std::unordered_set<const CMenuExItem*>& LiveRecords() {
    static std::unordered_set<const CMenuExItem*> live;
    return live;
}

bool IsLiveRecord(ULONG_PTR data) {
    return data != 0 && LiveRecords().count(reinterpret_cast<const CMenuExItem*>(data)) != 0;
}

CString Clip(const char* text) {
    CString s(text ? text : "");
    if (s.GetLength() > CMenuEx::kMaxItemText)
        s = s.Left(CMenuEx::kMaxItemText);
    return s;
}

constexpr UINT kStateBits = MF_GRAYED | MF_DISABLED | MF_CHECKED;

// Holds a borrowed device context for one drawing step and gives it back untouched.
class BorrowedDC {
public:
    explicit BorrowedDC(HDC hdc) { m_dc.Attach(hdc); }
    ~BorrowedDC() { m_dc.Detach(); }
    CDC& Get() { return m_dc; }

private:
    CDC m_dc;
};

// Selects a pen and a brush for one drawing step and restores the previous ones.
class PenBrushScope {
public:
    PenBrushScope(CDC& dc, CPen& pen, CBrush& brush)
        : m_hdc(dc.GetSafeHdc()), m_prevPen(::SelectObject(m_hdc, pen.GetSafeHandle())),
          m_prevBrush(::SelectObject(m_hdc, brush.GetSafeHandle())) {}
    ~PenBrushScope() {
        if (m_prevPen)
            ::SelectObject(m_hdc, m_prevPen);
        if (m_prevBrush)
            ::SelectObject(m_hdc, m_prevBrush);
    }
    PenBrushScope(const PenBrushScope&) = delete;
    PenBrushScope& operator=(const PenBrushScope&) = delete;

private:
    HDC m_hdc;
    HGDIOBJ m_prevPen;
    HGDIOBJ m_prevBrush;
};

void IconSizeFrom(CImageList* list, int& width, int& height) {
    IMAGEINFO info;
    if (list && list->GetImageInfo(0, &info)) {
        width = info.rcImage.right - info.rcImage.left;
        height = info.rcImage.bottom - info.rcImage.top;
    }
}

// Separators (0) and popups (-1) are no commands to find.
bool IsCommandId(UINT nID) {
    return nID != 0 && nID != static_cast<UINT>(-1);
}

} // namespace

CMenuExItem::CMenuExItem() {
    LiveRecords().insert(this);
}

CMenuExItem::~CMenuExItem() {
    LiveRecords().erase(this);
}

CMenuEx::CMenuEx() = default;

CMenuEx::~CMenuEx() {
    DestroyMenuEx();
}

int CMenuEx::MeasureText(const CString& text) {
    // Texts are measured with the main window's context; without one, with a memory context.
    CWnd* main = AfxGetMainWnd();
    if (main && main->GetSafeHwnd()) {
        CDC* dc = main->GetDC();
        const int width = dc ? dc->GetTextExtent(text).cx : 0;
        main->ReleaseDC(dc);
        return width;
    }
    CDC mem;
    if (!mem.CreateCompatibleDC(nullptr))
        return 0;
    return mem.GetTextExtent(text).cx;
}

void CMenuEx::DestroyMenuEx() {
    // The handle goes first: it takes its sub-menu handles with it, so each handle is
    // destroyed exactly once and the sub-menu objects are left holding none.
    CMenu::DestroyMenu();
    m_items.clear();
}

BOOL CMenuEx::LoadMenu(UINT nIDResource) {
    CMenu source;
    if (!source.LoadMenu(nIDResource))
        return FALSE;
    DestroyMenuEx();
    if (!(m_bPopup ? CreatePopupMenu() : CreateMenu()))
        return FALSE;
    return CopyItems(&source);
}

BOOL CMenuEx::LoadFromMenu(HMENU hMenu) {
    CMenu* source = CMenu::FromHandle(hMenu);
    if (!source || source == this)
        return FALSE;
    DestroyMenuEx();
    if (!(m_bPopup ? CreatePopupMenu() : CreateMenu()))
        return FALSE;
    return CopyItems(source);
}

BOOL CMenuEx::CopyItems(CMenu* pSource) {
    if (!pSource || !IsMenu(pSource->m_hMenu))
        return FALSE;
    const int count = pSource->GetMenuItemCount();
    for (int pos = 0; pos < count; ++pos) {
        const UINT id = pSource->GetMenuItemID(pos);
        const UINT state = pSource->GetMenuState(static_cast<UINT>(pos), MF_BYPOSITION);
        CString text;
        pSource->GetMenuString(static_cast<UINT>(pos), text, MF_BYPOSITION);
        text = Clip(text);
        BOOL ok = FALSE;
        // A popup's state carries its item count in the high byte, so it is tested first.
        if (state & MF_POPUP) {
            CMenu* sub = pSource->GetSubMenu(pos);
            ok = sub && AppendItem((state & 0xFF & kStateBits) | MF_POPUP,
                                   reinterpret_cast<UINT_PTR>(sub->m_hMenu), text);
        } else if (state & MF_SEPARATOR) {
            ok = AppendItem(MF_SEPARATOR, 0, "");
        } else {
            ok = AppendItem(state & kStateBits, id, text);
        }
        if (!ok)
            return FALSE;
    }
    return TRUE;
}

std::unique_ptr<CMenuExItem> CMenuEx::MakeRecord(UINT nFlags, UINT_PTR nIDOrSub, const char* lpszText,
                                                 int extraWidth) {
    auto record = std::make_unique<CMenuExItem>();
    if (nFlags & MF_SEPARATOR) {
        record->m_nID = 0;
        record->m_nWidth = 0;
        record->m_nHeight = m_nSeparatorHeight;
        return record;
    }
    record->m_strText = Clip(lpszText);
    record->m_nHeight = 2;
    record->m_pNormal = m_pNormal;
    record->m_pDisabled = m_pDisabled;
    record->m_pHot = m_pHot;
    if (nFlags & MF_POPUP) {
        auto sub = std::make_unique<CMenuEx>();
        sub->m_bPopup = 1;
        sub->m_nSeparatorHeight = m_nSeparatorHeight;
        sub->m_pNormal = m_pNormal;
        sub->m_pDisabled = m_pDisabled;
        sub->m_pHot = m_pHot;
        sub->m_nIconWidth = m_nIconWidth;
        sub->m_nIconHeight = m_nIconHeight;
        if (!sub->LoadFromMenu(reinterpret_cast<HMENU>(nIDOrSub)))
            return nullptr;
        record->m_nID = -1;
        record->m_bPopup = 1;
        record->m_nWidth = MeasureText(record->m_strText) + 25;
        record->m_pSubMenu = std::move(sub);
        return record;
    }
    record->m_nID = static_cast<int>(nIDOrSub);
    record->m_nWidth = MeasureText(record->m_strText) + extraWidth;
    return record;
}

BOOL CMenuEx::AttachRecord(UINT nPosition, UINT nState, CMenuExItem* pRecord) {
    if (!pRecord)
        return FALSE;
    const UINT at = nPosition;
    if (pRecord->m_nID == 0)
        return ModifyMenu(at, MF_BYPOSITION | MF_SEPARATOR | MF_OWNERDRAW, 0,
                          static_cast<const void*>(pRecord));
    if (pRecord->m_bPopup && pRecord->m_pSubMenu)
        return ModifyMenu(at, MF_BYPOSITION | MF_POPUP | MF_OWNERDRAW | (nState & kStateBits),
                          reinterpret_cast<UINT_PTR>(pRecord->m_pSubMenu->m_hMenu),
                          static_cast<const void*>(pRecord));
    return ModifyMenu(at, MF_BYPOSITION | MF_OWNERDRAW | (nState & kStateBits),
                      static_cast<UINT_PTR>(pRecord->m_nID), static_cast<const void*>(pRecord));
}

BOOL CMenuEx::AppendItem(UINT nFlags, UINT_PTR nIDOrSub, const char* lpszText) {
    return InsertItem(static_cast<UINT>(-1), nFlags | MF_BYPOSITION, nIDOrSub, lpszText);
}

BOOL CMenuEx::InsertItem(UINT nPosition, UINT nFlags, UINT_PTR nIDOrSub, const char* lpszText) {
    if (!(nFlags & MF_BYPOSITION) || !IsMenu(m_hMenu))
        return FALSE;
    std::unique_ptr<CMenuExItem> record = MakeRecord(nFlags, nIDOrSub, lpszText, 10);
    if (!record)
        return FALSE;
    const UINT state = nFlags & kStateBits;
    BOOL inserted = FALSE;
    if (record->m_nID == 0)
        inserted = InsertMenu(nPosition, MF_BYPOSITION | MF_SEPARATOR, 0, static_cast<const char*>(nullptr));
    else if (record->m_bPopup)
        inserted = InsertMenu(nPosition, MF_BYPOSITION | MF_POPUP | state,
                              reinterpret_cast<UINT_PTR>(record->m_pSubMenu->m_hMenu),
                              record->m_strText.GetString());
    else
        inserted =
            InsertMenu(nPosition, MF_BYPOSITION | MF_STRING | state, nIDOrSub, record->m_strText.GetString());
    if (!inserted)
        return FALSE;
    const int count = GetMenuItemCount();
    const UINT at = std::min<UINT>(nPosition, static_cast<UINT>(count - 1));
    if (m_bPopup && !AttachRecord(at, state, record.get())) {
        DeleteMenu(at, MF_BYPOSITION);
        return FALSE;
    }
    const std::size_t slot = std::min<std::size_t>(at, m_items.size());
    m_items.insert(m_items.begin() + static_cast<long>(slot), std::move(record));
    return TRUE;
}

BOOL CMenuEx::DeleteItem(UINT nPosition) {
    if (!DeleteMenu(nPosition, MF_BYPOSITION))
        return FALSE;
    if (nPosition < m_items.size())
        m_items.erase(m_items.begin() + static_cast<long>(nPosition));
    return TRUE;
}

BOOL CMenuEx::AppendItem(CMenu* pMenu, UINT nFlags, UINT_PTR nIDOrSub, const char* lpszText) {
    if (auto* ex = dynamic_cast<CMenuEx*>(pMenu))
        return ex->AppendItem(nFlags, nIDOrSub, lpszText);
    return pMenu ? pMenu->AppendMenu(nFlags, nIDOrSub, lpszText) : FALSE;
}

BOOL CMenuEx::DeleteItem(CMenu* pMenu, UINT nPosition) {
    if (auto* ex = dynamic_cast<CMenuEx*>(pMenu))
        return ex->DeleteItem(nPosition);
    return pMenu ? pMenu->DeleteMenu(nPosition, MF_BYPOSITION) : FALSE;
}

BOOL CMenuEx::DeleteCommand(UINT nID) {
    if (!IsCommandId(nID))
        return FALSE;
    for (int i = 0; i < GetMenuItemCount(); ++i) {
        if (GetMenuItemID(i) == nID)
            return DeleteItem(static_cast<UINT>(i));
        if (CMenuEx* sub = GetSubMenuEx(i); sub && sub->DeleteCommand(nID))
            return TRUE;
    }
    return FALSE;
}

CMenuEx* CMenuEx::FindMenuHolding(UINT nID) {
    if (!IsCommandId(nID))
        return nullptr;
    for (int i = 0; i < GetMenuItemCount(); ++i) {
        if (GetMenuItemID(i) == nID)
            return this;
        if (CMenuEx* sub = GetSubMenuEx(i))
            if (CMenuEx* holder = sub->FindMenuHolding(nID))
                return holder;
    }
    return nullptr;
}

CMenuEx* CMenuEx::GetSubMenuEx(int nPosition) const {
    CMenuExItem* record = GetItem(nPosition);
    return record ? record->m_pSubMenu.get() : nullptr;
}

CMenuExItem* CMenuEx::GetItem(int nPosition) const {
    if (nPosition < 0 || static_cast<std::size_t>(nPosition) >= m_items.size())
        return nullptr;
    return m_items[static_cast<std::size_t>(nPosition)].get();
}

void CMenuEx::SetItemText(int nPosition, const char* lpszText) {
    if (nPosition < 0 || nPosition >= GetMenuItemCount())
        return;
    const CString text = Clip(lpszText);
    const UINT pos = static_cast<UINT>(nPosition);
    const UINT state = GetMenuState(pos, MF_BYPOSITION);
    const bool popup = state != static_cast<UINT>(-1) && (state & MF_POPUP) != 0;
    if (state == static_cast<UINT>(-1) || (!popup && (state & MF_SEPARATOR)))
        return;
    const UINT keep = state & kStateBits;
    CMenu* sub = popup ? GetSubMenu(nPosition) : nullptr;
    const UINT id = GetMenuItemID(nPosition);
    // The item's own text changes too, so the menu stays readable by position even while the
    // records are out of step (items deleted behind the menu's back).
    if (popup)
        ModifyMenu(pos, MF_BYPOSITION | MF_POPUP | keep,
                   reinterpret_cast<UINT_PTR>(sub ? sub->m_hMenu : nullptr), text.GetString());
    else
        ModifyMenu(pos, MF_BYPOSITION | MF_STRING | keep, id, text.GetString());
    CMenuExItem* record = GetItem(nPosition);
    const int itemId = popup ? -1 : static_cast<int>(id);
    if (!record || record->m_nID != itemId)
        return; // the next conversion makes a fresh record from the item's text
    record->m_strText = text;
    if (m_bPopup) {
        record->m_nWidth = MeasureText(text) + 25;
        record->m_nHeight = 2;
        AttachRecord(pos, keep, record);
    }
}

void CMenuEx::SetNormalImageList(CImageList* pList) {
    m_pNormal = pList;
    IconSizeFrom(pList, m_nIconWidth, m_nIconHeight);
    for (auto& record : m_items) {
        if (record->m_nID != 0)
            record->m_pNormal = pList;
        if (record->m_pSubMenu)
            record->m_pSubMenu->SetNormalImageList(pList);
    }
}

void CMenuEx::SetDisabledImageList(CImageList* pList) {
    m_pDisabled = pList;
    if (!m_pNormal && !m_pHot)
        IconSizeFrom(pList, m_nIconWidth, m_nIconHeight);
    for (auto& record : m_items) {
        if (record->m_nID != 0)
            record->m_pDisabled = pList;
        if (record->m_pSubMenu)
            record->m_pSubMenu->SetDisabledImageList(pList);
    }
}

void CMenuEx::SetHotImageList(CImageList* pList) {
    m_pHot = pList;
    if (!m_pNormal && !m_pDisabled)
        IconSizeFrom(pList, m_nIconWidth, m_nIconHeight);
    for (auto& record : m_items) {
        if (record->m_nID != 0)
            record->m_pHot = pList;
        if (record->m_pSubMenu)
            record->m_pSubMenu->SetHotImageList(pList);
    }
}

void CMenuEx::SetImageIndices(const UINT* pIDs, int nCount) {
    if ((!m_pNormal && !m_pDisabled && !m_pHot) || m_items.empty() || (!pIDs && nCount > 0))
        return;
    for (auto& record : m_items) {
        if (record->m_pSubMenu) {
            record->m_pSubMenu->SetImageIndices(pIDs, nCount);
            continue;
        }
        if (record->m_nID <= 0)
            continue;
        int image = -1;
        for (int i = 0; i < nCount; ++i)
            if (pIDs[i] == static_cast<UINT>(record->m_nID))
                image = i;
        record->m_nImage = image;
    }
}

void CMenuEx::OnInitMenuPopup(CMenu* pPopupMenu, UINT, BOOL bSysMenu) {
    if (bSysMenu || !pPopupMenu)
        return;
    if (auto* popup = dynamic_cast<CMenuEx*>(pPopupMenu))
        popup->ConvertPopup();
}

void CMenuEx::ConvertPopup() {
    if (!m_bPopup || !IsMenu(m_hMenu))
        return;
    const int count = GetMenuItemCount();
    for (int pos = 0; pos < count; ++pos) {
        const UINT upos = static_cast<UINT>(pos);
        const UINT state = GetMenuState(upos, MF_BYPOSITION);
        if (state == static_cast<UINT>(-1))
            continue;
        const UINT keep = state & kStateBits;
        const bool popup = (state & MF_POPUP) != 0;
        const bool separator = !popup && (state & MF_SEPARATOR) != 0;
        const UINT id = GetMenuItemID(pos);
        const int itemId = popup ? -1 : separator ? 0 : static_cast<int>(id);
        CString text;
        GetMenuString(upos, text, MF_BYPOSITION);
        CMenu* sub = popup ? GetSubMenu(pos) : nullptr;
        const HMENU subHandle = sub ? sub->m_hMenu : nullptr;

        CMenuExItem* record = GetItem(pos);
        const bool matches = record && record->m_nID == itemId &&
                             (!popup || (record->m_pSubMenu && record->m_pSubMenu->m_hMenu == subHandle));
        if (!matches) {
            // An item that was inserted, or moved into this position by a deletion.
            const UINT kind = separator ? MF_SEPARATOR : popup ? MF_POPUP : MF_STRING;
            std::unique_ptr<CMenuExItem> fresh =
                MakeRecord(kind, popup ? reinterpret_cast<UINT_PTR>(subHandle) : id, text, 10);
            if (!fresh)
                continue;
            CMenuExItem* raw = fresh.get();
            m_items.insert(m_items.begin() + std::min<long>(pos, static_cast<long>(m_items.size())),
                           std::move(fresh));
            AttachRecord(upos, keep, raw);
            continue;
        }
        const bool ownerDrawn = popup || separator || (state & MF_OWNERDRAW) != 0;
        // An update handler that relabels an item makes it a plain text item again: its new
        // text is taken over here, otherwise the old one would be drawn.
        if (!ownerDrawn) {
            record->m_strText = Clip(text);
            record->m_nWidth = MeasureText(record->m_strText) + 25;
        }
        const bool pointsHere = GetMenuItemData(upos, MF_BYPOSITION) == reinterpret_cast<ULONG_PTR>(record);
        if (!ownerDrawn || !pointsHere || (!popup && !(state & MF_OWNERDRAW)))
            AttachRecord(upos, keep, record);
    }
    // Records beyond the last item belong to items that are gone.
    const int items = GetMenuItemCount();
    if (items >= 0 && m_items.size() > static_cast<std::size_t>(items))
        m_items.resize(static_cast<std::size_t>(items));
}

void CMenuEx::OnMeasureItem(MEASUREITEMSTRUCT* mis) {
    // Without the check a stale or foreign item-data pointer would be read as a record.
    if (!mis || mis->CtlType != ODT_MENU || !IsLiveRecord(mis->itemData))
        return;
    const auto* record = reinterpret_cast<const CMenuExItem*>(mis->itemData);
    mis->itemWidth = static_cast<UINT>(std::max(0, record->m_nWidth));
    mis->itemHeight = static_cast<UINT>(std::max(0, record->m_nHeight));
    if (record->m_nID == 0)
        return;
    int width = 20, height = 20;
    IMAGEINFO info;
    for (CImageList* list : {record->m_pNormal, record->m_pDisabled, record->m_pHot}) {
        if (list && list->GetImageInfo(0, &info)) {
            width = info.rcImage.right - info.rcImage.left;
            height = info.rcImage.bottom - info.rcImage.top;
            break;
        }
    }
    mis->itemWidth += static_cast<UINT>(std::max(0, width));
    mis->itemHeight += static_cast<UINT>(std::max(0, height));
}

void CMenuEx::DrawItem(DRAWITEMSTRUCT* dis) {
    if (!dis || dis->CtlType != ODT_MENU || !dis->hDC || !IsLiveRecord(dis->itemData))
        return;
    const auto* record = reinterpret_cast<const CMenuExItem*>(dis->itemData);
    BorrowedDC borrowed(dis->hDC);
    CDC& dc = borrowed.Get();
    const RECT& r = dis->rcItem;
    const bool separator = record->m_nID == 0;
    const bool selected = (dis->itemState & ODS_SELECTED) != 0;
    const bool greyed = (dis->itemState & (ODS_GRAYED | ODS_DISABLED)) != 0;
    const bool checked = (dis->itemState & ODS_CHECKED) != 0;

    // 1. Background and icon column.
    dc.FillSolidRect(&r, m_crBack);
    dc.FillSolidRect(r.left, r.top, m_nIconWidth + 2, r.bottom - r.top, m_crIconBack);

    CPen selPen(PS_SOLID, 1, m_crSelFrame);
    CBrush selBrush(m_crSelFill);
    // 2. Selection: never on a greyed or disabled item.
    if (!separator && selected && !greyed) {
        PenBrushScope scope(dc, selPen, selBrush);
        dc.Rectangle(&r);
    }

    // 3. Text.
    const int oldMode = dc.SetBkMode(TRANSPARENT);
    RECT textRect{r.left + m_nIconWidth + 10, r.top, r.right - m_nIconWidth + 4, r.bottom};
    if (separator) {
        const int middle = (r.top + r.bottom) / 2;
        dc.FillSolidRect(textRect.left, middle - 1, textRect.right - textRect.left, 1, kSeparatorColour);
    } else {
        const CSize extent = dc.GetTextExtent(record->m_strText);
        textRect.top += ((r.bottom - r.top) - extent.cy) / 2;
        dc.SetTextColor(greyed ? kGreyedTextColour : selected ? m_crSelText : m_crText);
        const int hash = record->m_strText.Find('#');
        const CString left = hash < 0 ? record->m_strText : record->m_strText.Left(hash);
        const CString right = hash < 0 ? CString() : record->m_strText.Mid(hash + 1);
        RECT leftRect = textRect;
        dc.DrawText(left, &leftRect, DT_LEFT | DT_SINGLELINE | DT_EXPANDTABS);
        if (!right.IsEmpty()) {
            RECT rightRect = textRect;
            dc.DrawText(right, &rightRect, DT_RIGHT | DT_SINGLELINE | DT_EXPANDTABS);
        }
    }

    // 4. Icon, or the check box in its place.
    if (!separator) {
        if (!checked) {
            if (record->m_nImage >= 0) {
                CImageList* list = record->m_pNormal;
                if (greyed && record->m_pDisabled)
                    list = record->m_pDisabled;
                else if (selected && record->m_pHot)
                    list = record->m_pHot;
                if (list)
                    list->Draw(&dc, record->m_nImage, POINT{r.left + 1, r.top + 1}, ILD_TRANSPARENT);
            }
        } else {
            const RECT box{r.left + 1, r.top + 1, r.left + m_nIconWidth + 1, r.top + m_nIconHeight + 1};
            {
                PenBrushScope scope(dc, selPen, selBrush);
                dc.Rectangle(&box);
            }
            static const char* const kCheckMark = "\xE2\x88\x9A"; // U+221A
            RECT mark{box.left, box.top - 4, box.right, box.bottom - 4};
            const UINT format = DT_CENTER | DT_VCENTER | DT_SINGLELINE;
            if (greyed) {
                // The desktop's disabled look: a light copy one pixel down-right under a grey one.
                RECT shadow{mark.left + 1, mark.top + 1, mark.right + 1, mark.bottom + 1};
                dc.SetTextColor(RGB(255, 255, 255));
                dc.DrawText(kCheckMark, -1, &shadow, format);
                dc.SetTextColor(RGB(128, 128, 128));
            } else {
                dc.SetTextColor(selected ? m_crSelText : m_crText);
            }
            dc.DrawText(kCheckMark, -1, &mark, format);
        }
    }
    dc.SetBkMode(oldMode);
}

// ---- Language table adapter ------------------------------------------------------------------

int CMenuExLanguageMenu::GetMenuItemCount() const {
    return m_pMenu ? std::max(0, m_pMenu->GetMenuItemCount()) : 0;
}

UINT CMenuExLanguageMenu::GetMenuItemID(int position) const {
    return m_pMenu ? m_pMenu->GetMenuItemID(position) : 0;
}

CLanguageMenu* CMenuExLanguageMenu::GetSubMenu(int position) {
    if (!m_pMenu)
        return nullptr;
    auto* sub = dynamic_cast<CMenuEx*>(m_pMenu->GetSubMenu(position));
    if (!sub)
        return nullptr;
    auto& slot = m_subs[position];
    if (!slot || slot->m_pMenu != sub)
        slot = std::make_unique<CMenuExLanguageMenu>(sub);
    return slot.get();
}

void CMenuExLanguageMenu::SetItemText(int position, const char* text) {
    if (m_pMenu)
        m_pMenu->SetItemText(position, text);
}
