#pragma once
// Shows the menu model through QMenuBar and QMenu with one real QAction per item, so Qt's own
// keyboard and mouse handling works on every menu (Alt and F10, arrows, Enter, Escape,
// '&' mnemonics, hover and click). Each popup is rebuilt from the model right before it
// opens, after its owner's OnInitMenuPopup, so update handlers and changes by position are
// always seen. Owner-drawn items keep their QAction; a style hook asks the owner window to
// measure and draw them, and lays them out as the platform does: every item of a drop-down
// as wide as the widest, each as high as measured.
#include "framework/Menu.h"
#include "framework/Wnd.h"

class QMainWindow;
class QMenu;

namespace kv {

class MenuPresenter {
public:
    explicit MenuPresenter(CWnd* owner) : m_owner(owner) {}
    void InstallBar(QMainWindow* window, HMENU hMenu);

    // Fills a Qt popup from menu hMenu; nIndex is its position in the parent menu.
    static void Populate(QMenu* qmenu, HMENU hMenu, UINT nIndex, CWnd* owner);
    // Context menu; returns the chosen id with TPM_RETURNCMD, else TRUE/FALSE.
    static INT_PTR Track(HMENU hMenu, UINT nFlags, int x, int y, CWnd* owner);
    // Runs the update handlers of every command item of hMenu through owner's routing.
    static void UpdateItems(CWnd* owner, HMENU hMenu);
    // The default owner-draw dispatch: to the CMenu attached to the item's menu.
    static void DefaultMeasure(MEASUREITEMSTRUCT* mis);
    static void DefaultDraw(DRAWITEMSTRUCT* dis);

    // Room the platform adds to the measured width of an owner-drawn drop-down item: twice
    // the average character width of the menu font.
    static int OwnerDrawAllowance();

private:
    CWnd* m_owner;
};

} // namespace kv
