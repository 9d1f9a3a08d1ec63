#include "MenuPresenter.h"

#include "MenuModel.h"
#include "PaintSurface.h"
#include "framework/OwnerDraw.h"

#include <QAction>
#include <QApplication>
#include <QEnterEvent>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPointer>
#include <QWidgetAction>

namespace {

HMENU g_measuring = nullptr;
// While a context menu runs with TPM_RETURNCMD, the chosen id lands here instead of being sent.
UINT* g_returnCommand = nullptr;

QString ItemText(const MenuItem& item) {
    return QString::fromUtf8(item.text.c_str());
}

void PostCommand(QWidget* ownerWidget, UINT id) {
    if (g_returnCommand) {
        *g_returnCommand = id;
        return;
    }
    QPointer<QWidget> guard(ownerWidget);
    // The command runs once the menu has closed, as a posted command would.
    QMetaObject::invokeMethod(
        qApp,
        [guard, id] {
            if (CWnd* wnd = CWnd::FromWidget(guard.data()))
                wnd->ExecuteCommand(id);
        },
        Qt::QueuedConnection);
}

void CloseMenus(QWidget* from) {
    for (QWidget* w = from; w; w = w->parentWidget())
        if (auto* m = qobject_cast<QMenu*>(w))
            m->hide();
    while (QWidget* popup = QApplication::activePopupWidget())
        popup->close();
}

// One owner-drawn menu item: its size comes from the owner's OnMeasureItem, its pixels from
// the owner's OnDrawItem on an off-screen context.
class OwnerDrawItem : public QWidget {
public:
    OwnerDrawItem(QWidget* ownerWidget, HMENU hMenu, const MenuItem& item, QMenu* subMenu, QSize size,
                  QWidget* parent)
        : QWidget(parent), m_owner(ownerWidget), m_menu(hMenu), m_item(item), m_sub(subMenu), m_size(size) {
        setMouseTracking(true);
        setAttribute(Qt::WA_OpaquePaintEvent);
        setFixedSize(size);
    }
    QSize sizeHint() const override { return m_size; }

protected:
    void paintEvent(QPaintEvent*) override {
        CWnd* owner = CWnd::FromWidget(m_owner.data());
        HDC dc = m_surface.Begin(width(), height());
        if (!owner || !dc)
            return;
        DRAWITEMSTRUCT dis;
        dis.CtlType = ODT_MENU;
        dis.itemID = (m_item.flags & MF_POPUP) ? static_cast<UINT>(-1) : static_cast<UINT>(m_item.id);
        dis.itemAction = ODA_DRAWENTIRE;
        if (m_hover)
            dis.itemState |= ODS_SELECTED;
        if (m_item.flags & MF_GRAYED)
            dis.itemState |= ODS_GRAYED;
        if (m_item.flags & MF_DISABLED)
            dis.itemState |= ODS_DISABLED;
        if (m_item.flags & MF_CHECKED)
            dis.itemState |= ODS_CHECKED;
        dis.hMenu = m_menu;
        dis.hDC = dc;
        dis.rcItem = RECT{0, 0, width(), height()};
        dis.itemData = m_item.itemData;
        owner->OnDrawItem(0, &dis);
        m_surface.Present(this);
    }
    void enterEvent(QEnterEvent*) override {
        m_hover = true;
        update();
        if (m_sub && isEnabled())
            m_sub->popup(mapToGlobal(QPoint(width(), 0)));
    }
    void leaveEvent(QEvent*) override {
        m_hover = false;
        update();
    }
    void mouseReleaseEvent(QMouseEvent* e) override {
        if (e->button() != Qt::LeftButton || m_sub ||
            (m_item.flags & (MF_SEPARATOR | MF_GRAYED | MF_DISABLED)))
            return;
        const UINT id = static_cast<UINT>(m_item.id);
        QWidget* owner = m_owner.data();
        CloseMenus(this);
        PostCommand(owner, id);
    }

private:
    QPointer<QWidget> m_owner;
    HMENU m_menu;
    MenuItem m_item;
    QMenu* m_sub;
    QSize m_size;
    bool m_hover = false;
    kv::PaintSurface m_surface;
};

// Update requests for one menu item by position.
class MenuCmdUI : public CCmdUI {
public:
    MenuCmdUI(HMENU h, UINT pos) : m_menu(h), m_pos(pos) {}
    void Enable(BOOL on) override {
        CCmdUI::Enable(on);
        CMenu::FromHandle(m_menu)->EnableMenuItem(m_pos, MF_BYPOSITION | (on ? MF_ENABLED : MF_GRAYED));
        m_bTouched = true;
    }
    void SetCheck(int check) override {
        CCmdUI::SetCheck(check);
        CMenu::FromHandle(m_menu)->CheckMenuItem(m_pos, MF_BYPOSITION | (check ? MF_CHECKED : MF_UNCHECKED));
    }
    // A new text makes the item a plain string item again (it is no longer owner-drawn);
    // its state bits stay.
    void SetText(const char* text) override {
        CCmdUI::SetText(text);
        MenuItem* item = kv::menu::FindItem(m_menu, m_pos, MF_BYPOSITION);
        if (!item)
            return;
        const UINT state = item->flags & (MF_GRAYED | MF_DISABLED | MF_CHECKED);
        CMenu::FromHandle(m_menu)->ModifyMenu(m_pos, MF_BYPOSITION | MF_STRING | state, item->id, text);
    }
    bool m_bTouched = false;

private:
    HMENU m_menu;
    UINT m_pos;
};

} // namespace

namespace kv {

void MenuPresenter::UpdateItems(CWnd* owner, HMENU hMenu) {
    HMENU__* m = menu::Model(hMenu);
    if (!m || !owner)
        return;
    for (UINT pos = 0; pos < m->items.size(); ++pos) {
        const MenuItem& item = m->items[pos];
        if (item.flags & (MF_SEPARATOR | MF_POPUP) || item.id == 0)
            continue;
        MenuCmdUI ui(hMenu, pos);
        ui.m_nID = static_cast<UINT>(item.id);
        ui.m_nIndex = pos;
        const bool handled = owner->OnCmdMsg(ui.m_nID, &ui);
        if (!handled)
            ui.Enable(owner->IsCommandHandled(ui.m_nID));
        // Handlers may delete items behind our back.
        if (!menu::Model(hMenu) || pos >= m->items.size())
            break;
    }
}

void MenuPresenter::DefaultMeasure(MEASUREITEMSTRUCT* mis) {
    if (CMenu* menu = CMenu::FromHandlePermanent(g_measuring))
        menu->MeasureItem(mis);
}

void MenuPresenter::DefaultDraw(DRAWITEMSTRUCT* dis) {
    if (!dis || dis->CtlType != ODT_MENU)
        return;
    if (CMenu* menu = CMenu::FromHandlePermanent(dis->hMenu))
        menu->DrawItem(dis);
}

void MenuPresenter::Populate(QMenu* qmenu, HMENU hMenu, UINT nIndex, CWnd* owner) {
    if (!owner || !menu::Model(hMenu))
        return;
    owner->OnInitMenuPopup(CMenu::FromHandle(hMenu), nIndex, FALSE);
    HMENU__* m = menu::Model(hMenu);
    if (!m)
        return;
    for (QMenu* child : qmenu->findChildren<QMenu*>(QString(), Qt::FindDirectChildrenOnly))
        child->deleteLater();
    qmenu->clear();
    QPointer<QWidget> ownerWidget(owner->GetWidget());
    for (UINT pos = 0; pos < m->items.size(); ++pos) {
        const MenuItem item = m->items[pos];
        const bool enabled = !(item.flags & (MF_GRAYED | MF_DISABLED));
        QMenu* sub = nullptr;
        if (item.flags & MF_POPUP) {
            sub = new QMenu(ItemText(item), qmenu);
            const HMENU subHandle = item.subMenu;
            QObject::connect(sub, &QMenu::aboutToShow, sub, [sub, subHandle, pos, ownerWidget] {
                if (CWnd* wnd = CWnd::FromWidget(ownerWidget.data()))
                    Populate(sub, subHandle, pos, wnd);
            });
        }
        if (item.flags & MF_OWNERDRAW) {
            MEASUREITEMSTRUCT mis;
            mis.CtlType = ODT_MENU;
            mis.itemID = (item.flags & MF_POPUP) ? static_cast<UINT>(-1) : static_cast<UINT>(item.id);
            mis.itemData = item.itemData;
            g_measuring = hMenu;
            owner->OnMeasureItem(0, &mis);
            g_measuring = nullptr;
            const QSize size(static_cast<int>(std::min<UINT>(mis.itemWidth, 4000)),
                             static_cast<int>(std::min<UINT>(mis.itemHeight, 1000)));
            auto* action = new QWidgetAction(qmenu);
            auto* widget = new OwnerDrawItem(owner->GetWidget(), hMenu, item, sub, size, qmenu);
            widget->setEnabled(enabled || (item.flags & MF_SEPARATOR));
            action->setDefaultWidget(widget);
            action->setEnabled(enabled);
            qmenu->addAction(action);
        } else if (item.flags & MF_SEPARATOR) {
            qmenu->addSeparator();
        } else if (sub) {
            QAction* action = qmenu->addMenu(sub);
            action->setEnabled(enabled);
        } else {
            QAction* action = qmenu->addAction(ItemText(item));
            action->setCheckable((item.flags & MF_CHECKED) != 0);
            action->setChecked((item.flags & MF_CHECKED) != 0);
            action->setEnabled(enabled);
            const UINT id = static_cast<UINT>(item.id);
            QObject::connect(action, &QAction::triggered, qmenu,
                             [ownerWidget, id] { PostCommand(ownerWidget.data(), id); });
        }
    }
}

void MenuPresenter::InstallBar(QMainWindow* window, HMENU hMenu) {
    auto* bar = new QMenuBar(window);
    HMENU__* m = menu::Model(hMenu);
    QPointer<QWidget> ownerWidget(m_owner->GetWidget());
    if (m) {
        for (UINT pos = 0; pos < m->items.size(); ++pos) {
            const MenuItem& item = m->items[pos];
            if (item.flags & MF_SEPARATOR)
                continue;
            const bool enabled = !(item.flags & (MF_GRAYED | MF_DISABLED));
            if (item.flags & MF_POPUP) {
                QMenu* popup = bar->addMenu(ItemText(item));
                popup->menuAction()->setEnabled(enabled);
                const HMENU subHandle = item.subMenu;
                QObject::connect(popup, &QMenu::aboutToShow, popup, [popup, subHandle, pos, ownerWidget] {
                    if (CWnd* wnd = CWnd::FromWidget(ownerWidget.data()))
                        Populate(popup, subHandle, pos, wnd);
                });
            } else {
                QAction* action = bar->addAction(ItemText(item));
                action->setEnabled(enabled);
                const UINT id = static_cast<UINT>(item.id);
                QObject::connect(action, &QAction::triggered, bar,
                                 [ownerWidget, id] { PostCommand(ownerWidget.data(), id); });
            }
        }
    }
    window->setMenuBar(bar);
    bar->setVisible(m != nullptr);
}

INT_PTR MenuPresenter::Track(HMENU hMenu, UINT nFlags, int x, int y, CWnd* owner) {
    if (!menu::Model(hMenu) || !owner || !owner->GetWidget())
        return 0;
    QMenu qmenu(owner->GetWidget());
    QPointer<QWidget> ownerWidget(owner->GetWidget());
    QObject::connect(&qmenu, &QMenu::aboutToShow, &qmenu, [&qmenu, hMenu, ownerWidget] {
        if (CWnd* wnd = CWnd::FromWidget(ownerWidget.data()))
            Populate(&qmenu, hMenu, 0, wnd);
    });
    UINT chosen = 0;
    UINT* previous = g_returnCommand;
    if (nFlags & TPM_RETURNCMD)
        g_returnCommand = &chosen;
    qmenu.exec(QPoint(x, y));
    g_returnCommand = previous;
    return (nFlags & TPM_RETURNCMD) ? static_cast<INT_PTR>(chosen) : TRUE;
}

} // namespace kv
