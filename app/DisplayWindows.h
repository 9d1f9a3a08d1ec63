#pragma once
// Window glue for the view's child windows: the screen panel as a window that paints the
// scope screen through its off-screen buffer, gives the screen the mouse capture and the mouse
// cursor, passes its context menu on to the view and supplies the status bar's cursor
// readouts; and a plain window that stands in for the side control panel until the panel
// itself exists.
#include "app/MainFrame.h"
#include "display/ScopeScreen.h"
#include "framework/Cursor.h"
#include "framework/Wnd.h"

class CScreenPanelWnd : public CWnd, public ICursorReadoutSource {
public:
    CScreenPanelWnd();

    CScopeScreen& Screen() { return m_screen; }
    const CScopeScreen& Screen() const { return m_screen; }

    void OnPaint() override;
    BOOL OnEraseBkgnd(CDC* pDC) override;
    void OnSize(UINT nType, int cx, int cy) override;
    // Mouse input goes to the screen's marker dragging.
    void OnLButtonDown(UINT nFlags, CPoint point) override;
    void OnMouseMove(UINT nFlags, CPoint point) override;
    void OnLButtonUp(UINT nFlags, CPoint point) override;
    // The panel has no menu of its own: a right click (or the menu key) goes to the view.
    void OnContextMenu(CWnd* pWnd, CPoint point) override;
    // Owner-drawn popups over the panel: the menu's items are measured and converted by the
    // owner-drawn menu.
    void OnInitMenuPopup(CMenu* pPopupMenu, UINT nIndex, BOOL bSysMenu) override;
    void OnMeasureItem(int nIDCtl, MEASUREITEMSTRUCT* lpMeasureItemStruct) override;

    // The readout texts of the screen's cursors for the status bar.
    CursorReadouts GetCursorReadouts() const override;

    // The standard shape shown for one of the screen's cursor resources.
    static UINT StandardCursorFor(int resourceId);

private:
    void ShowScreenCursor(int resourceId);
    // Mouse messages leave the arrow behind unless the screen chose a shape or holds the mouse.
    template <class Step> void MouseMessage(Step step);
    CMenuEx* OwnerDrawnMenu() const;

    CScopeScreen m_screen;
    bool m_bCursorChosen = false;
};

// A child window that only fills its client area with one colour.
class CPlaceholderWnd : public CWnd {
public:
    explicit CPlaceholderWnd(COLORREF color) : m_color(color) {}
    void OnPaint() override;
    BOOL OnEraseBkgnd(CDC* pDC) override;

private:
    COLORREF m_color;
};
