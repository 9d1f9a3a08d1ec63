#include "framework/Dialog.h"

#include "Bridge.h"
#include "ControlKeys.h"
#include "ControlWidgets.h"
#include "WidgetAccess.h"
#include "framework/WinApp.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QEventLoop>
#include <QFontMetrics>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProxyStyle>
#include <QPushButton>
#include <QRadioButton>
#include <QResizeEvent>
#include <QSlider>
#include <QStyle>
#include <QStyleOptionFocusRect>
#include <QToolButton>

#include <map>
#include <memory>

namespace {

std::map<UINT, DialogTemplate>& Templates() {
    static std::map<UINT, DialogTemplate> templates;
    return templates;
}

// Keeps a copy of the template a window was built from.
class TemplateHolder : public QObject {
public:
    TemplateHolder(const DialogTemplate& t, QObject* parent) : QObject(parent), tmpl(t) {
        setObjectName(QStringLiteral("kv_template"));
    }
    DialogTemplate tmpl;
};

CWnd* OwnerOf(QWidget* control) {
    for (QWidget* w = control ? control->parentWidget() : nullptr; w; w = w->parentWidget())
        if (CWnd* wnd = CWnd::FromWidget(w); wnd && kv::TemplateOf(wnd))
            return wnd;
    return nullptr;
}

UINT IdOf(const QWidget* control) {
    return static_cast<UINT>(control->property("kv_id").toInt());
}

void Notify(QWidget* control, UINT code) {
    CWnd* owner = OwnerOf(control);
    if (!owner)
        return;
    NMHDR hdr;
    hdr.hwndFrom = CWnd::FromWidget(control);
    hdr.idFrom = IdOf(control);
    hdr.code = code;
    LRESULT result = 0;
    owner->OnNotify(hdr.idFrom, reinterpret_cast<LPARAM>(&hdr), &result);
}

// The push buttons of a template mark the keyboard focus with the style's focus frame inside the
// button, as the other controls show theirs. The style's own look of a focused button is the
// look of the default button, so on the default button the focus would not show at all.
class PushButtonStyle : public QProxyStyle {
public:
    static PushButtonStyle* Instance() {
        static PushButtonStyle* style = new PushButtonStyle; // lives as long as the application
        return style;
    }
    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget) const override {
        QProxyStyle::drawControl(element, option, painter, widget);
        if (element != CE_PushButtonLabel || !(option->state & State_HasFocus) ||
            !(option->state & State_KeyboardFocusChange))
            return;
        QStyleOptionFocusRect focus;
        focus.QStyleOption::operator=(*option);
        focus.rect = option->rect.adjusted(1, 1, -1, -1);
        focus.backgroundColor = option->palette.color(QPalette::Button);
        proxy()->drawPrimitive(PE_FrameFocusRect, &focus, painter, widget);
    }

private:
    PushButtonStyle() = default;
};

// The arrows walk a group of automatic radio buttons, in template order and round from the last
// to the first; the choice goes with the keyboard when the button left had it, as a click
// would make it. The group is one Tab stop.
class RadioArrows : public QObject {
public:
    RadioArrows(QButtonGroup* group, QObject* parent) : QObject(parent), m_group(group) {}
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::KeyPress || !m_group)
            return false;
        auto* e = static_cast<QKeyEvent*>(event);
        const int key = e->key();
        if ((e->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier ||
            (key != Qt::Key_Up && key != Qt::Key_Down && key != Qt::Key_Left && key != Qt::Key_Right))
            return false;
        auto* from = qobject_cast<QAbstractButton*>(watched);
        const QList<QAbstractButton*> buttons = m_group->buttons();
        const int at = static_cast<int>(buttons.indexOf(from));
        if (!from || at < 0)
            return false;
        const int n = static_cast<int>(buttons.size());
        const int step = (key == Qt::Key_Down || key == Qt::Key_Right) ? 1 : n - 1;
        for (int i = (at + step) % n; i != at; i = (i + step) % n) {
            QAbstractButton* to = buttons.at(i);
            if (!to->isEnabled() || !to->isVisibleTo(to->window()))
                continue;
            to->setFocus(Qt::TabFocusReason);
            if (from->isChecked())
                to->click();
            break;
        }
        return true;
    }

private:
    QPointer<QButtonGroup> m_group;
};

QWidget* MakeControl(const DialogControlTemplate& c, QWidget* parent, QButtonGroup*& radioGroup) {
    const QString text = QString::fromUtf8(c.text.GetString());
    QWidget* w = nullptr;
    if (c.kind != ControlKind::RadioButton || (c.style & WS_GROUP))
        radioGroup = nullptr;
    switch (c.kind) {
    case ControlKind::Static:
    case ControlKind::Picture: {
        auto* label = new QLabel(text, parent);
        label->setWordWrap(c.kind == ControlKind::Static);
        w = label;
        break;
    }
    case ControlKind::Button: {
        auto* b = new QPushButton(text, parent);
        b->setStyle(PushButtonStyle::Instance());
        b->setAutoDefault(false);
        b->setDefault((c.style & BS_DEFPUSHBUTTON) != 0);
        QObject::connect(b, &QPushButton::clicked, b, [b] { kv::NotifyCommand(b, BN_CLICKED); });
        w = b;
        break;
    }
    case ControlKind::CheckBox: {
        auto* b = new QCheckBox(text, parent);
        QObject::connect(b, &QCheckBox::clicked, b, [b] { kv::NotifyCommand(b, BN_CLICKED); });
        w = b;
        break;
    }
    case ControlKind::RadioButton: {
        auto* b = new QRadioButton(text, parent);
        b->setAutoExclusive(false);
        if ((c.style & 0x0F) == BS_AUTORADIOBUTTON) {
            if (!radioGroup) {
                radioGroup = new QButtonGroup(parent);
                radioGroup->setExclusive(false);
                new RadioArrows(radioGroup, radioGroup);
            }
            radioGroup->addButton(b);
            b->installEventFilter(radioGroup->findChild<RadioArrows*>());
            QButtonGroup* group = radioGroup;
            // An automatic radio button checks itself and clears the others of its group.
            QObject::connect(b, &QRadioButton::clicked, b, [b, group] {
                for (QAbstractButton* other : group->buttons())
                    other->setChecked(other == b);
            });
        }
        QObject::connect(b, &QRadioButton::clicked, b, [b] { kv::NotifyCommand(b, BN_CLICKED); });
        w = b;
        break;
    }
    case ControlKind::GroupBox:
        w = new QGroupBox(text, parent);
        break;
    case ControlKind::Edit: {
        auto* e = new QLineEdit(text, parent);
        e->setReadOnly((c.style & ES_READONLY) != 0);
        QObject::connect(e, &QLineEdit::textChanged, e, [e] { kv::NotifyCommand(e, EN_CHANGE); });
        w = e;
        break;
    }
    case ControlKind::ComboBox: {
        auto* combo = new QComboBox(parent);
        for (const CString& item : c.items)
            combo->addItem(QString::fromUtf8(item.GetString()));
        combo->setCurrentIndex(-1);
        // Only a choice by the user notifies; selections set by code stay silent.
        QObject::connect(combo, QOverload<int>::of(&QComboBox::activated), combo,
                         [combo] { kv::NotifyCommand(combo, CBN_SELCHANGE); });
        w = combo;
        break;
    }
    case ControlKind::ListBox: {
        auto* list = new QListWidget(parent);
        for (const CString& item : c.items)
            list->addItem(QString::fromUtf8(item.GetString()));
        QObject::connect(list, &QListWidget::itemClicked, list,
                         [list] { kv::NotifyCommand(list, LBN_SELCHANGE); });
        w = list;
        break;
    }
    case ControlKind::Slider: {
        auto* s = new QSlider((c.style & TBS_VERT) ? Qt::Vertical : Qt::Horizontal, parent);
        s->setRange(0, 100);
        QObject::connect(s, &QSlider::sliderReleased, s, [s] { Notify(s, NM_RELEASEDCAPTURE); });
        // A step by key or wheel is over at once, as a drag is when the mouse lets go; the owner
        // hears of it once the slider stands at its new position.
        QObject::connect(s, &QSlider::actionTriggered, s, [s](int action) {
            if (action == QAbstractSlider::SliderMove || s->isSliderDown())
                return;
            QPointer<QSlider> guard(s);
            QMetaObject::invokeMethod(
                s,
                [guard] {
                    if (guard)
                        Notify(guard, NM_RELEASEDCAPTURE);
                },
                Qt::QueuedConnection);
        });
        w = s;
        break;
    }
    case ControlKind::Spin:
        w = new kv::SpinButton(c.id, c.style, parent);
        break;
    case ControlKind::TabControl: {
        auto* tab = new kv::TabControlWidget(parent);
        QObject::connect(tab->tabs, &QTabBar::tabBarClicked, tab, [tab] { Notify(tab, TCN_SELCHANGE); });
        w = tab;
        break;
    }
    case ControlKind::Custom: {
        auto* custom = new BridgedWidget<QWidget>(parent);
        custom->setMouseTracking(true);
        // A drawn control with a tab stop takes the keyboard by Tab and by click.
        if (c.style & WS_TABSTOP)
            custom->setFocusPolicy(Qt::StrongFocus);
        w = custom;
        break;
    }
    }
    w->setProperty("kv_id", static_cast<int>(c.id));
    w->setGeometry(c.rect.left, c.rect.top, std::max(0, c.rect.right - c.rect.left),
                   std::max(0, c.rect.bottom - c.rect.top));
    w->setEnabled(!(c.style & WS_DISABLED));
    w->setVisible((c.style & WS_VISIBLE) != 0);
    // Tab visits only the controls with a tab stop, in template order; the others take the focus
    // when clicked.
    if (!(c.style & WS_TABSTOP) && (w->focusPolicy() & Qt::TabFocus))
        w->setFocusPolicy(Qt::ClickFocus);
    return w;
}

} // namespace

// ---------------------------------------------------------------------------------------------

void RegisterDialogTemplate(DialogTemplate dialogTemplate) {
    const UINT id = dialogTemplate.id;
    Templates()[id] = std::move(dialogTemplate);
}

const DialogTemplate* FindDialogTemplate(UINT id) {
    auto it = Templates().find(id);
    return it == Templates().end() ? nullptr : &it->second;
}

namespace kv {

void NotifyCommand(QWidget* control, UINT code) {
    if (CWnd* owner = OwnerOf(control))
        owner->OnCommand(MAKEWPARAM(IdOf(control), code), 0);
}

const DialogTemplate* TemplateOf(const CWnd* owner) {
    QWidget* w = owner ? owner->GetWidget() : nullptr;
    if (!w)
        return nullptr;
    for (QObject* child : w->children())
        if (child->objectName() == QLatin1String("kv_template"))
            if (auto* holder = dynamic_cast<TemplateHolder*>(child))
                return &holder->tmpl;
    return nullptr;
}

void BuildDialogControls(CWnd* owner, const DialogTemplate& dialogTemplate) {
    QWidget* parent = owner ? owner->GetWidget() : nullptr;
    if (!parent || TemplateOf(owner))
        return;
    new TemplateHolder(dialogTemplate, parent);
    QButtonGroup* radioGroup = nullptr;
    QWidget* previous = nullptr;
    for (const DialogControlTemplate& c : dialogTemplate.controls) {
        QWidget* w = MakeControl(c, parent, radioGroup);
        // An up-down control with auto-buddy takes the control made just before it.
        if (auto* spin = dynamic_cast<SpinButton*>(w); spin && (c.style & UDS_AUTOBUDDY))
            spin->buddy = previous;
        previous = w;
    }
}

// ---------------------------------------------------------------------------------------------

SpinButton::SpinButton(UINT id, DWORD s, QWidget* parent) : QWidget(parent), style(s), m_id(id) {
    m_up = new QToolButton(this);
    m_up->setArrowType(Qt::UpArrow);
    m_down = new QToolButton(this);
    m_down->setArrowType(Qt::DownArrow);
    // The arrows act on the buddy; they never hold the keyboard focus themselves.
    m_up->setFocusPolicy(Qt::NoFocus);
    m_down->setFocusPolicy(Qt::NoFocus);
    QObject::connect(m_up, &QToolButton::clicked, this, [this] { Step(true); });
    QObject::connect(m_down, &QToolButton::clicked, this, [this] { Step(false); });
}

void SpinButton::resizeEvent(QResizeEvent*) {
    const int h = height() / 2;
    m_up->setGeometry(0, 0, width(), h);
    m_down->setGeometry(0, h, width(), height() - h);
}

void SpinButton::SetPos(int p) {
    const int lo = std::min(lower, upper);
    const int hi = std::max(lower, upper);
    pos = std::min(std::max(p, lo), hi);
    if (buddy && (style & UDS_SETBUDDYINT))
        kv::SetWidgetTextInt(buddy, pos);
}

void SpinButton::Step(bool up) {
    const int delta = (up == (upper >= lower)) ? 1 : -1;
    NMUPDOWN nm;
    nm.hdr.hwndFrom = CWnd::FromWidget(this);
    nm.hdr.idFrom = m_id;
    nm.hdr.code = UDN_DELTAPOS;
    nm.iPos = pos;
    nm.iDelta = delta;
    LRESULT result = 0;
    QPointer<SpinButton> guard(this);
    if (CWnd* owner = OwnerOf(this))
        owner->OnNotify(m_id, reinterpret_cast<LPARAM>(&nm.hdr), &result);
    // A non-zero answer keeps the position.
    if (guard && result == 0)
        SetPos(pos + nm.iDelta);
}

TabControlWidget::TabControlWidget(QWidget* parent) : QWidget(parent), tabs(new QTabBar(this)) {
    tabs->setVisible(false);
}

void TabControlWidget::resizeEvent(QResizeEvent*) {
    tabs->setGeometry(0, 0, width(), tabs->sizeHint().height());
}

} // namespace kv

// ---------------------------------------------------------------------------------------------
// CDialog

namespace {

// Widens a text control whose text does not fit its template rectangle, as far as the next
// control to its right (or the dialog's edge) allows. Templates are laid out in pixels for one
// font; the fonts Qt picks differ from system to system, and a translated text may be longer.
void FitTextControl(QWidget* control, const QList<QWidget*>& siblings, int clientWidth) {
    int needed = 0;
    if (auto* label = qobject_cast<QLabel*>(control)) {
        const QString text = label->text();
        const QFontMetrics metrics(label->font());
        // A label that is two lines high or more wraps its text on purpose.
        if (text.isEmpty() || text.contains('\n') || label->height() >= 2 * metrics.lineSpacing())
            return;
        needed = metrics.horizontalAdvance(text) + 2 * (label->margin() + label->frameWidth()) + 2;
    } else if (auto* push = qobject_cast<QPushButton*>(control)) {
        if (push->text().isEmpty())
            return;
        // The style's minimum button width is no reason to grow: only the text's own room counts.
        const QStyle* style = push->style();
        needed = push->fontMetrics().horizontalAdvance(push->text()) +
                 2 * (style->pixelMetric(QStyle::PM_ButtonMargin, nullptr, push) +
                      style->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, push));
    } else if (auto* button = qobject_cast<QAbstractButton*>(control)) {
        if (button->text().isEmpty())
            return;
        needed = button->sizeHint().width();
    } else {
        return;
    }
    if (needed <= control->width())
        return;
    constexpr int kGap = 2;
    int limit = clientWidth - kGap;
    const QRect own = control->geometry();
    for (QWidget* other : siblings) {
        if (other == control || other->x() <= own.x())
            continue;
        const QRect r = other->geometry();
        if (r.top() <= own.bottom() && r.bottom() >= own.top())
            limit = std::min(limit, r.x() - kGap);
    }
    const int width = std::min(needed, limit - own.x());
    if (width > own.width())
        control->resize(width, own.height());
}

// The window of a dialog: fits its texts when it is shown and whenever a text changes while it is
// visible (a changed text asks its parent for a new layout).
class DialogWidget : public BridgedWidget<QWidget> {
public:
    using BridgedWidget<QWidget>::BridgedWidget;

protected:
    bool event(QEvent* e) override {
        if (e->type() == QEvent::Show || e->type() == QEvent::LayoutRequest)
            FitTexts();
        return BridgedWidget<QWidget>::event(e);
    }

private:
    void FitTexts() {
        QList<QWidget*> controls;
        for (QObject* child : children())
            if (auto* w = qobject_cast<QWidget*>(child);
                w && !w->isWindow() && w->property("kv_id").isValid())
                controls.push_back(w);
        for (QWidget* w : controls)
            FitTextControl(w, controls, width());
    }
};

Qt::WindowFlags TopLevelFlags(DWORD style) {
    if (!(style & WS_CAPTION))
        return Qt::Dialog | Qt::FramelessWindowHint;
    Qt::WindowFlags flags = Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint;
    if (style & WS_SYSMENU)
        flags |= Qt::WindowCloseButtonHint;
    return flags;
}

} // namespace

CDialog::~CDialog() {
    if (m_pLoop)
        m_pLoop->exit(IDCANCEL);
}

QWidget* CDialog::CreateWidget(QWidget* parent) {
    auto* w = new DialogWidget(parent, parent ? Qt::Widget : Qt::Dialog);
    // A dialog paints its own background: nothing of the window below shows through.
    w->setAutoFillBackground(true);
    return w;
}

BOOL CDialog::MakeWindow(CWnd* pParentWnd, bool modal) {
    const DialogTemplate* tmpl = FindDialogTemplate(m_nIDTemplate);
    if (!tmpl || GetWidget())
        return FALSE;
    m_bModal = modal;
    // Only a modeless dialog whose template has the child style sits inside the window it is made
    // for. Every other dialog is a window of its own, owned by the top-level window of that window
    // (the main window when none is given): framed, titled, above its owner, never clipped into it.
    const bool child = !modal && (tmpl->style & WS_CHILD) && pParentWnd && pParentWnd->GetWidget();
    QWidget* owner = nullptr;
    if (!child) {
        CWnd* ownerWnd = pParentWnd && pParentWnd->GetWidget() ? pParentWnd : AfxGetMainWnd();
        owner = ownerWnd && ownerWnd->GetWidget() ? ownerWnd->GetWidget()->window() : nullptr;
    }
    const DWORD style = child ? (tmpl->style & ~(WS_POPUP | WS_VISIBLE))
                              : (tmpl->style & ~(WS_CHILD | WS_VISIBLE)) | WS_POPUP;
    RECT rc{0, 0, tmpl->size.cx, tmpl->size.cy};
    if (!CWnd::Create(nullptr, tmpl->caption.GetString(), style, rc, child ? pParentWnd : nullptr,
                      m_nIDTemplate))
        return FALSE;
    QWidget* w = GetWidget();
    if (!child) {
        w->setParent(owner, TopLevelFlags(style));
        w->setGeometry(rc.left, rc.top, rc.right, rc.bottom);
    }
    w->setFixedSize(std::max(0, static_cast<int>(tmpl->size.cx)),
                    std::max(0, static_cast<int>(tmpl->size.cy)));
    kv::BuildDialogControls(this, *tmpl);
    return TRUE;
}

INT_PTR CDialog::DoModal() {
    if (!MakeWindow(m_pParentWnd, true))
        return -1;
    m_bEnded = false;
    m_nResult = IDCANCEL;
    QWidget* w = GetWidget();
    w->setWindowModality(Qt::ApplicationModal);
    OnInitDialog();
    if (!m_bEnded && GetWidget()) {
        CenterWindow();
        w->show();
        QEventLoop loop;
        m_pLoop = &loop;
        loop.exec();
        m_pLoop = nullptr;
    }
    DestroyWindow();
    return m_nResult;
}

BOOL CDialog::Create(UINT nIDTemplate, CWnd* pParentWnd) {
    m_nIDTemplate = nIDTemplate;
    m_pParentWnd = pParentWnd;
    if (!MakeWindow(pParentWnd, false))
        return FALSE;
    OnInitDialog();
    const DialogTemplate* tmpl = kv::TemplateOf(this);
    if (tmpl && (tmpl->style & WS_VISIBLE))
        ShowWindow(SW_SHOW);
    return TRUE;
}

void CDialog::EndDialog(int nResult) {
    m_nResult = nResult;
    m_bEnded = true;
    if (m_bModal) {
        if (m_pLoop)
            m_pLoop->exit(nResult);
    } else {
        ShowWindow(SW_HIDE);
    }
}

BOOL CDialog::OnInitDialog() {
    if (const DialogTemplate* tmpl = kv::TemplateOf(this))
        SetWindowText(tmpl->caption);
    UpdateData(FALSE);
    return TRUE;
}

void CDialog::OnOK() {
    if (!UpdateData(TRUE))
        return;
    EndDialog(IDOK);
}

void CDialog::OnCancel() {
    EndDialog(IDCANCEL);
}

// Closing a dialog's window is the same as pressing Cancel.
void CDialog::OnClose() {
    OnCommand(MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
}

BOOL CDialog::OnCommand(WPARAM wParam, LPARAM lParam) {
    if (CWnd::OnCommand(wParam, lParam))
        return TRUE;
    if (HIWORD(wParam) != BN_CLICKED)
        return FALSE;
    if (LOWORD(wParam) == IDOK) {
        OnOK();
        return TRUE;
    }
    if (LOWORD(wParam) == IDCANCEL) {
        OnCancel();
        return TRUE;
    }
    return FALSE;
}

BOOL CDialog::PreTranslateMessage(MSG* pMsg) {
    if (!pMsg || pMsg->message != WM_KEYDOWN)
        return FALSE;
    if (pMsg->wParam == VK_ESCAPE) {
        OnCommand(MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        return TRUE;
    }
    if (pMsg->wParam != VK_RETURN)
        return FALSE;
    QWidget* self = GetWidget();
    if (!self)
        return FALSE;
    // A focused push button takes Enter; otherwise the default push button; a dialog without one
    // gets IDOK. A disabled default button swallows the key.
    QWidget* focus = QApplication::focusWidget();
    if (focus && self->isAncestorOf(focus) && kv::ControlUsesKey(focus, VK_RETURN, 0)) {
        // A push button drawn by the program (a colour swatch) is clicked the same way.
        if (auto* button = qobject_cast<QPushButton*>(focus))
            button->click();
        else
            CWnd::FromWidget(focus)->SendMessage(BM_CLICK);
        return TRUE;
    }
    for (QPushButton* button : self->findChildren<QPushButton*>()) {
        if (button->isDefault() && button->window() == self->window()) {
            if (button->isEnabled() && !button->isHidden())
                button->click();
            return TRUE;
        }
    }
    OnCommand(MAKEWPARAM(IDOK, BN_CLICKED), 0);
    return TRUE;
}
