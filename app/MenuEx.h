#pragma once
// The owner-drawn menu: copies a menu item by item into a tree of its own records and draws
// every drop-down item itself (icon column, framed selection, text with its accelerator text
// right-aligned after '#', separators as a thin line, a framed check mark for checked items).
// The image lists are only referred to; their owner (the main frame) keeps and deletes them.
#include "engine/LanguageTable.h"
#include "framework/CString.h"
#include "framework/ImageList.h"
#include "framework/Menu.h"
#include "framework/OwnerDraw.h"

#include <map>
#include <memory>
#include <vector>

class CMenuEx;

// One item of a CMenuEx; also the item's owner-draw data.
struct CMenuExItem {
    CString m_strText; // '#' separates the accelerator text
    int m_nID = 0;     // command id; -1 a popup; 0 a separator
    int m_nWidth = 0;  // text width + 10 (commands) or + 25 (popups, relabelled items)
    int m_nHeight = 2; // the image height is added when measuring
    CImageList* m_pNormal = nullptr;
    CImageList* m_pDisabled = nullptr;
    CImageList* m_pHot = nullptr;
    int m_nImage = -1;
    int m_bPopup = 0;
    std::unique_ptr<CMenuEx> m_pSubMenu; // owned sub-menu of a popup item

    CMenuExItem();
    ~CMenuExItem();
    CMenuExItem(const CMenuExItem&) = delete;
    CMenuExItem& operator=(const CMenuExItem&) = delete;
};

class CMenuEx : public CMenu {
public:
    // Colours of the desktop's menus.
    static constexpr COLORREF kSystemMenuColour = RGB(255, 255, 255);
    static constexpr COLORREF kSystemMenuTextColour = RGB(0, 0, 0);
    static constexpr COLORREF kGreyedTextColour = RGB(200, 200, 200);
    static constexpr COLORREF kSeparatorColour = RGB(197, 194, 184);
    static constexpr int kMaxItemText = 256;

    CMenuEx();
    ~CMenuEx() override;

    int m_bPopup = 0;
    int m_nSeparatorHeight = 10;
    COLORREF m_crBack = kSystemMenuColour;
    COLORREF m_crSelText = kSystemMenuTextColour;
    COLORREF m_crText = kSystemMenuTextColour;
    COLORREF m_crIconBack = RGB(236, 233, 216);
    COLORREF m_crSelFrame = RGB(49, 106, 197);
    COLORREF m_crSelFill = RGB(200, 220, 253);
    int m_nIconWidth = 20;
    int m_nIconHeight = 20;

    // Replaces the contents with a copy of menu resource `nIDResource`.
    BOOL LoadMenu(UINT nIDResource);
    // Replaces the contents with a copy of an existing menu (the source is left as it is).
    BOOL LoadFromMenu(HMENU hMenu);
    BOOL CopyItems(CMenu* pSource);

    // Only MF_BYPOSITION insertion is accepted. With MF_POPUP, nIDOrSub is the sub-menu to copy.
    BOOL AppendItem(UINT nFlags, UINT_PTR nIDOrSub, const char* lpszText);
    BOOL InsertItem(UINT nPosition, UINT nFlags, UINT_PTR nIDOrSub, const char* lpszText);
    // Deletes the item at a position together with its record (and sub-menu).
    BOOL DeleteItem(UINT nPosition);
    // The same on any menu: through its CMenuEx when it has one, plainly otherwise.
    static BOOL AppendItem(CMenu* pMenu, UINT nFlags, UINT_PTR nIDOrSub, const char* lpszText);
    static BOOL DeleteItem(CMenu* pMenu, UINT nPosition);

    // Deletes the first item, depth first through the sub-menus, that carries command `nID`;
    // FALSE when the tree holds none.
    BOOL DeleteCommand(UINT nID);
    // The menu of the tree (this one or a sub-menu, depth first) that holds an item with command
    // `nID` itself: a sub-menu found by one of its items. Null when none does.
    CMenuEx* FindMenuHolding(UINT nID);
    CMenuEx* GetSubMenuEx(int nPosition) const;
    CMenuExItem* GetItem(int nPosition) const;
    int GetItemCount() const { return static_cast<int>(m_items.size()); }
    // New text of an item (its width becomes text width + 25); on the menu bar only the text.
    void SetItemText(int nPosition, const char* lpszText);

    void SetNormalImageList(CImageList* pList);
    void SetDisabledImageList(CImageList* pList);
    void SetHotImageList(CImageList* pList);
    CImageList* GetNormalImageList() const { return m_pNormal; }
    CImageList* GetDisabledImageList() const { return m_pDisabled; }
    CImageList* GetHotImageList() const { return m_pHot; }
    // For every command record of the tree: image := the last table position holding its id.
    void SetImageIndices(const UINT* pIDs, int nCount);

    // Forwarded by windows that show the menu, after the framework's own handling.
    void OnInitMenuPopup(CMenu* pPopupMenu, UINT nIndex, BOOL bSysMenu);
    void OnMeasureItem(MEASUREITEMSTRUCT* lpMeasureItemStruct);
    void DrawItem(DRAWITEMSTRUCT* lpDrawItemStruct) override;
    // Brings the records in line with the real items before the popup opens.
    void ConvertPopup();
    // Frees the records and sub-menus and destroys the menu; the image lists are not touched.
    virtual void DestroyMenuEx();

private:
    std::unique_ptr<CMenuExItem> MakeRecord(UINT nFlags, UINT_PTR nIDOrSub, const char* lpszText,
                                            int extraWidth);
    BOOL AttachRecord(UINT nPosition, UINT nState, CMenuExItem* pRecord);
    static int MeasureText(const CString& text);

    CImageList* m_pNormal = nullptr;
    CImageList* m_pDisabled = nullptr;
    CImageList* m_pHot = nullptr;
    std::vector<std::unique_ptr<CMenuExItem>> m_items;
};

// The language table's view of a CMenuEx tree: items by position, texts set through
// CMenuEx::SetItemText.
class CMenuExLanguageMenu : public CLanguageMenu {
public:
    explicit CMenuExLanguageMenu(CMenuEx* pMenu) : m_pMenu(pMenu) {}
    int GetMenuItemCount() const override;
    UINT GetMenuItemID(int position) const override;
    CLanguageMenu* GetSubMenu(int position) override;
    void SetItemText(int position, const char* text) override;

private:
    CMenuEx* m_pMenu;
    std::map<int, std::unique_ptr<CMenuExLanguageMenu>> m_subs;
};
