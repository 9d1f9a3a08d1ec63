#include "MenuPresenter.h"

#include "MenuModel.h"
#include "PaintSurface.h"
#include "framework/OwnerDraw.h"

#include <QAction>
#include <QApplication>
#include <QFontInfo>
#include <QFontMetrics>
#include <QIconEngine>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPointer>
#include <QProxyStyle>
#include <QShortcut>
#include <QStyleOptionMenuItem>

#include <algorithm>
#include <cstring>
#include <map>
#include <memory>
#include <vector>

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

// An icon that paints nothing. Each owner-drawn action carries one of its own: the icon's
// cache key travels in the style option and names the item to the style hook.
class TagIconEngine : public QIconEngine {
public:
    void paint(QPainter*, const QRect&, QIcon::Mode, QIcon::State) override {}
    QIconEngine* clone() const override { return new TagIconEngine; }
};

// The menu font as a drawing-layer font, for the context an owner draws its items on.
HFONT CreateMenuFont() {
    const QFontInfo info(QApplication::font("QMenu"));
    LOGFONT lf;
    lf.lfHeight = -std::max(1, info.pixelSize());
    lf.lfWeight = info.bold() ? FW_BOLD : FW_NORMAL;
    lf.lfItalic = info.italic() ? 1 : 0;
    const QByteArray family = info.family().toUtf8();
    std::strncpy(lf.lfFaceName, family.constData(), LF_FACESIZE - 1);
    return CreateFontIndirect(&lf);
}

struct OwnerItem {
    HMENU menu = nullptr;
    MenuItem item;
    QSize measured;
};

// A drop-down of the presenter. Its sub-menus are windows of their own without a parent
// widget (they are owned here), so a key pressed in an open menu belongs to the menu alone
// and is never offered to the main window's accelerators.
class PopupMenu : public QMenu {
public:
    explicit PopupMenu(const QString& title = QString());
    ~PopupMenu() override { DeleteSubMenus(false); }
    PopupMenu(const PopupMenu&) = delete;
    PopupMenu& operator=(const PopupMenu&) = delete;

    void ClearItems() {
        m_items.clear();
        clear();
        DeleteSubMenus(true);
    }
    PopupMenu* AddSubMenu(const QString& title) {
        auto* sub = new PopupMenu(title); // owned by m_subs
        m_subs.emplace_back(sub);
        return sub;
    }
    // Makes `action` an owner-drawn item: the owner measured it at `measured`.
    void MakeOwnerDrawn(QAction* action, HMENU menu, const MenuItem& item, QSize measured) {
        const QIcon tag(new TagIconEngine);
        action->setIcon(tag);
        m_items[tag.cacheKey()] = OwnerItem{menu, item, measured};
    }
    const OwnerItem* Find(const QStyleOption* option) const {
        const auto* mi = qstyleoption_cast<const QStyleOptionMenuItem*>(option);
        if (!mi || mi->icon.isNull())
            return nullptr;
        auto it = m_items.find(mi->icon.cacheKey());
        return it == m_items.end() ? nullptr : &it->second;
    }
    void DrawItem(const OwnerItem& item, const QStyleOptionMenuItem& option, QPainter* painter) const;

    QPointer<QWidget> m_owner;

private:
    void DeleteSubMenus(bool later) {
        for (QPointer<PopupMenu>& sub : m_subs) {
            if (!sub)
                continue;
            if (later)
                sub->deleteLater(); // it may still be on its way out of a signal
            else
                delete sub.data();
        }
        m_subs.clear();
    }

    std::map<qint64, OwnerItem> m_items;
    std::vector<QPointer<PopupMenu>> m_subs;
    mutable kv::PaintSurface m_surface;
};

// The style hook of the presenter's menus: owner-drawn items get the size their owner
// measured and are drawn by their owner; Alt alone puts the menu bar into keyboard mode.
class MenuStyle : public QProxyStyle {
public:
    static MenuStyle* Instance() {
        static MenuStyle* style = new MenuStyle; // lives as long as the application
        return style;
    }

    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override {
        if (hint == SH_MenuBar_AltKeyNavigation)
            return 1;
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }

    QSize sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& size,
                           const QWidget* widget) const override {
        if (type == CT_MenuItem)
            if (const auto* menu = dynamic_cast<const PopupMenu*>(widget))
                if (const OwnerItem* item = menu->Find(option)) {
                    // The menu makes every item as wide as the widest; an item of width 0
                    // would count as empty and take no room at all.
                    const int width = item->measured.width() + kv::MenuPresenter::OwnerDrawAllowance();
                    return QSize(std::max(1, width), item->measured.height());
                }
        return QProxyStyle::sizeFromContents(type, option, size, widget);
    }

    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget) const override {
        // In keyboard mode (Alt, F10) the bar has the focus and its current menu is shown
        // highlighted, as an opened one is; some styles would show nothing until it opens.
        if (element == CE_MenuBarItem && widget && widget->hasFocus())
            if (const auto* item = qstyleoption_cast<const QStyleOptionMenuItem*>(option))
                if ((item->state & State_Selected) && !(item->state & State_Sunken)) {
                    QStyleOptionMenuItem current(*item);
                    current.state |= State_Sunken;
                    QProxyStyle::drawControl(element, &current, painter, widget);
                    return;
                }
        if (element == CE_MenuItem)
            if (const auto* menu = dynamic_cast<const PopupMenu*>(widget))
                if (const OwnerItem* item = menu->Find(option)) {
                    menu->DrawItem(*item, *qstyleoption_cast<const QStyleOptionMenuItem*>(option), painter);
                    return;
                }
        QProxyStyle::drawControl(element, option, painter, widget);
    }

private:
    MenuStyle() = default;
};

PopupMenu::PopupMenu(const QString& title) : QMenu(title) {
    setStyle(MenuStyle::Instance());
    // A menu shows every item it holds, separators included: one at the end (Language with no
    // language file yet) or next to another is still an item the owner placed there.
    setSeparatorsCollapsible(false);
}

void PopupMenu::DrawItem(const OwnerItem& record, const QStyleOptionMenuItem& option,
                         QPainter* painter) const {
    const QRect r = option.rect;
    CWnd* owner = CWnd::FromWidget(m_owner.data());
    HDC dc = m_surface.Begin(r.width(), r.height());
    if (!owner || !dc)
        return;
    const MenuItem& item = record.item;
    DRAWITEMSTRUCT dis;
    dis.CtlType = ODT_MENU;
    dis.itemID = (item.flags & MF_POPUP) ? static_cast<UINT>(-1) : static_cast<UINT>(item.id);
    dis.itemAction = ODA_DRAWENTIRE;
    if ((option.state & QStyle::State_Selected) && !(item.flags & MF_SEPARATOR))
        dis.itemState |= ODS_SELECTED;
    if (item.flags & MF_GRAYED)
        dis.itemState |= ODS_GRAYED;
    if (item.flags & MF_DISABLED)
        dis.itemState |= ODS_DISABLED;
    if (item.flags & MF_CHECKED)
        dis.itemState |= ODS_CHECKED;
    dis.hMenu = record.menu;
    dis.hDC = dc;
    dis.rcItem = RECT{0, 0, r.width(), r.height()};
    dis.itemData = item.itemData;
    // The owner draws on a context that holds the menu font, as a menu's context does.
    HFONT font = CreateMenuFont();
    HGDIOBJ oldFont = font ? SelectObject(dc, font) : nullptr;
    owner->OnDrawItem(0, &dis);
    if (oldFont)
        SelectObject(dc, oldFont);
    if (font)
        DeleteObject(font);
    painter->drawImage(r.topLeft(), m_surface.Image());

    // The platform draws the sub-menu arrow of an owner-drawn item itself, at its right end.
    if (item.flags & MF_POPUP) {
        const int cx = r.right() - 8;
        const int cy = r.center().y();
        const QPointF arrow[3] = {QPointF(cx - 2, cy - 4), QPointF(cx + 2, cy), QPointF(cx - 2, cy + 4)};
        const bool enabled = !(item.flags & (MF_GRAYED | MF_DISABLED));
        painter->save();
        painter->setPen(Qt::NoPen);
        painter->setBrush(enabled ? option.palette.color(QPalette::Active, QPalette::WindowText)
                                  : option.palette.color(QPalette::Disabled, QPalette::WindowText));
        painter->drawPolygon(arrow, 3);
        painter->restore();
    }
}

// Holds the drop-downs of one menu bar; they go with the bar.
class BarMenus : public QObject {
public:
    using QObject::QObject;
    ~BarMenus() override {
        for (QPointer<PopupMenu>& menu : m_menus)
            delete menu.data();
    }
    PopupMenu* Add(const QString& title) {
        auto* menu = new PopupMenu(title); // owned by m_menus
        m_menus.emplace_back(menu);
        return menu;
    }

private:
    std::vector<QPointer<PopupMenu>> m_menus;
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

bool MenuHasKeyboard() {
    if (!QApplication::instance())
        return false;
    if (qobject_cast<QMenu*>(QApplication::activePopupWidget()))
        return true;
    // The bar is in keyboard mode while it has the focus and a menu highlighted; a bar that
    // merely kept the focus after its menu closed has no say over the keys.
    auto* bar = qobject_cast<QMenuBar*>(QApplication::focusWidget());
    return bar && bar->activeAction();
}

namespace kv {

int MenuPresenter::OwnerDrawAllowance() {
    return 2 * QFontMetrics(QApplication::font("QMenu")).averageCharWidth();
}

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
    auto* popup = dynamic_cast<PopupMenu*>(qmenu);
    if (!popup || !owner || !menu::Model(hMenu))
        return;
    owner->OnInitMenuPopup(CMenu::FromHandle(hMenu), nIndex, FALSE);
    HMENU__* m = menu::Model(hMenu);
    if (!m)
        return;
    popup->ClearItems();
    popup->m_owner = owner->GetWidget();
    QPointer<QWidget> ownerWidget(owner->GetWidget());
    for (UINT pos = 0; pos < m->items.size(); ++pos) {
        const MenuItem item = m->items[pos];
        const bool enabled = !(item.flags & (MF_GRAYED | MF_DISABLED));
        const bool separator = (item.flags & MF_SEPARATOR) != 0;
        QAction* action = nullptr;
        if (item.flags & MF_POPUP) {
            PopupMenu* sub = popup->AddSubMenu(ItemText(item));
            const HMENU subHandle = item.subMenu;
            QObject::connect(sub, &QMenu::aboutToShow, sub, [sub, subHandle, pos, ownerWidget] {
                if (CWnd* wnd = CWnd::FromWidget(ownerWidget.data()))
                    Populate(sub, subHandle, pos, wnd);
            });
            action = popup->addMenu(sub);
        } else if (separator) {
            action = popup->addSeparator();
        } else {
            action = popup->addAction(ItemText(item));
            action->setCheckable((item.flags & MF_CHECKED) != 0);
            action->setChecked((item.flags & MF_CHECKED) != 0);
            const UINT id = static_cast<UINT>(item.id);
            QObject::connect(action, &QAction::triggered, popup,
                             [ownerWidget, id] { PostCommand(ownerWidget.data(), id); });
        }
        if (!separator)
            action->setEnabled(enabled);
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
            popup->MakeOwnerDrawn(action, hMenu, item, size);
        }
    }
}

void MenuPresenter::InstallBar(QMainWindow* window, HMENU hMenu) {
    auto* bar = new QMenuBar(window);
    bar->setStyle(MenuStyle::Instance());
    auto* menus = new BarMenus(bar);
    HMENU__* m = menu::Model(hMenu);
    QPointer<QWidget> ownerWidget(m_owner->GetWidget());
    if (m) {
        for (UINT pos = 0; pos < m->items.size(); ++pos) {
            const MenuItem& item = m->items[pos];
            if (item.flags & MF_SEPARATOR)
                continue;
            const bool enabled = !(item.flags & (MF_GRAYED | MF_DISABLED));
            if (item.flags & MF_POPUP) {
                PopupMenu* popup = menus->Add(ItemText(item));
                bar->addMenu(popup)->setEnabled(enabled);
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
    // F10 opens the menu bar as Alt does: the first menu drops down, the arrows walk on.
    auto* f10 = new QShortcut(QKeySequence(Qt::Key_F10), bar, nullptr, nullptr, Qt::WindowShortcut);
    QObject::connect(f10, &QShortcut::activated, bar, [bar] {
        for (QAction* action : bar->actions())
            if (action->isEnabled() && action->isVisible()) {
                bar->setActiveAction(action);
                break;
            }
    });
    window->setMenuBar(bar);
    bar->setVisible(m != nullptr);
}

INT_PTR MenuPresenter::Track(HMENU hMenu, UINT nFlags, int x, int y, CWnd* owner) {
    if (!menu::Model(hMenu) || !owner || !owner->GetWidget())
        return 0;
    PopupMenu qmenu;
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
