#include "framework/WinApp.h"

#include "Bridge.h"

#include <QApplication>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPushButton>

#include <memory>

namespace {

CWinApp* g_app = nullptr;
MessageBoxHook g_messageBoxHook;
int g_argc = 1;
char g_arg0[] = "kelvane";
char* g_argv[] = {g_arg0, nullptr};

// True when the widget takes the key for itself, asked the way Qt asks before a shortcut runs:
// an edit control claims every editing key (text, Space, Backspace, arrows, Ctrl+A, Ctrl+X, ...).
// The question goes to the widget alone, not through the application's event delivery: a second
// key event delivered in the middle of this one would make Qt forget that Tab moved the focus
// (no focus mark would be drawn), and the menu bar would take it for another press of Alt.
bool WidgetWantsKey(QWidget* widget, const QKeyEvent* e) {
    QKeyEvent probe(QEvent::ShortcutOverride, e->key(), e->modifiers(), e->nativeScanCode(),
                    e->nativeVirtualKey(), e->nativeModifiers(), e->text(), e->isAutoRepeat(), e->count());
    probe.setAccepted(false);
    static_cast<QObject*>(widget)->event(&probe);
    return probe.isAccepted();
}

// Offers key presses to PreTranslateMessage before Qt delivers them: the window the key is typed
// into and its parents up to its top-level window see it first, so the main window's accelerators
// act on keys aimed at the main window and its children only. Keys aimed at windows the framework
// did not make (file dialogs, message boxes, menus, drop-down lists) and editing keys aimed at edit
// controls are left to Qt alone.
class KeyFilter : public QObject {
public:
    using QObject::QObject;
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::KeyPress && event->type() != QEvent::KeyRelease)
            return false;
        auto* widget = qobject_cast<QWidget*>(watched);
        if (!widget || !g_app)
            return false;
        // Keys ignored by the focus widget travel on to its parents; offer each key once.
        QWidget* focus = QApplication::focusWidget();
        if (focus && widget != focus && widget->isAncestorOf(focus))
            return false;
        if (!CWnd::FromWidget(widget->window()))
            return false;
        auto* e = static_cast<QKeyEvent*>(event);
        const UINT vk = kv::bridge::VirtualKey(e->key());
        if (vk == 0 || WidgetWantsKey(widget, e))
            return false;
        CWnd* target = nullptr;
        for (QWidget* w = widget; w && !target; w = w->parentWidget())
            target = CWnd::FromWidget(w);
        if (!target)
            return false;
        const bool alt = (e->modifiers() & Qt::AltModifier) != 0;
        MSG msg;
        msg.hwnd = target;
        if (event->type() == QEvent::KeyPress)
            msg.message = alt ? WM_SYSKEYDOWN : WM_KEYDOWN;
        else
            msg.message = alt ? WM_SYSKEYUP : WM_KEYUP;
        msg.wParam = vk;
        msg.lParam = (e->modifiers() & Qt::ControlModifier ? 0x01 : 0) |
                     (e->modifiers() & Qt::ShiftModifier ? 0x02 : 0) | (alt ? 0x04 : 0);
        return g_app->PreTranslateMessage(&msg) != FALSE;
    }
};

// The caption of a message box given none: the application's name, else the main window's title.
CString DefaultCaption() {
    if (!g_app)
        return CString();
    if (!g_app->m_strAppName.IsEmpty() || !g_app->m_pMainWnd)
        return g_app->m_strAppName;
    CString title;
    g_app->m_pMainWnd->GetWindowText(title);
    return title;
}

} // namespace

namespace kv {

void EnsureApplication() {
    if (QApplication::instance())
        return;
    // The Qt application lives until the process ends: destroying it during static
    // destruction, after Qt's own globals are gone, would crash the exit.
    static QApplication* app = new QApplication(g_argc, g_argv);
    static KeyFilter* filter = new KeyFilter(app);
    app->installEventFilter(filter);
}

int ShowMessageBox(CWnd* parent, const char* text, const char* caption, UINT type) {
    const CString body = text ? text : "";
    CString title = caption ? caption : "";
    // An empty title bar tells the user nothing about where the message comes from.
    if (title.IsEmpty())
        title = DefaultCaption();
    if (g_messageBoxHook)
        return g_messageBoxHook(body, title, type);
    EnsureApplication();
    QMessageBox box(parent ? parent->GetWidget() : nullptr);
    box.setWindowTitle(QString::fromUtf8(title.GetString()));
    box.setText(QString::fromUtf8(body.GetString()));
    switch (type & 0xF0) {
    case MB_ICONERROR:
        box.setIcon(QMessageBox::Critical);
        break;
    case MB_ICONQUESTION:
        box.setIcon(QMessageBox::Question);
        break;
    case MB_ICONWARNING:
        box.setIcon(QMessageBox::Warning);
        break;
    case MB_ICONINFORMATION:
        box.setIcon(QMessageBox::Information);
        break;
    default:
        break;
    }
    struct Choice {
        QMessageBox::StandardButton button;
        int id;
    };
    Choice choices[3] = {};
    int count = 0;
    auto add = [&](QMessageBox::StandardButton button, int id) { choices[count++] = Choice{button, id}; };
    switch (type & 0x0F) {
    case MB_OKCANCEL:
        add(QMessageBox::Ok, IDOK);
        add(QMessageBox::Cancel, IDCANCEL);
        break;
    case MB_ABORTRETRYIGNORE:
        add(QMessageBox::Abort, IDABORT);
        add(QMessageBox::Retry, IDRETRY);
        add(QMessageBox::Ignore, IDIGNORE);
        break;
    case MB_YESNOCANCEL:
        add(QMessageBox::Yes, IDYES);
        add(QMessageBox::No, IDNO);
        add(QMessageBox::Cancel, IDCANCEL);
        break;
    case MB_YESNO:
        add(QMessageBox::Yes, IDYES);
        add(QMessageBox::No, IDNO);
        break;
    case MB_RETRYCANCEL:
        add(QMessageBox::Retry, IDRETRY);
        add(QMessageBox::Cancel, IDCANCEL);
        break;
    default:
        add(QMessageBox::Ok, IDOK);
        break;
    }
    QMessageBox::StandardButtons buttons;
    for (int i = 0; i < count; ++i)
        buttons |= choices[i].button;
    box.setStandardButtons(buttons);
    const int answer = box.exec();
    for (int i = 0; i < count; ++i)
        if (answer == choices[i].button)
            return choices[i].id;
    return count == 1 ? IDOK : IDCANCEL;
}

} // namespace kv

CWinApp::CWinApp(const char* lpszAppName) : m_strAppName(lpszAppName ? lpszAppName : "") {
    g_app = this;
}

CWinApp::~CWinApp() {
    if (g_app == this)
        g_app = nullptr;
}

BOOL CWinApp::InitInstance() {
    return TRUE;
}

int CWinApp::Run() {
    kv::EnsureApplication();
    QApplication::setQuitOnLastWindowClosed(true);
    const int code = QApplication::exec();
    return ExitInstance() != 0 ? ExitInstance() : code;
}

int CWinApp::ExitInstance() {
    return 0;
}

BOOL CWinApp::PreTranslateMessage(MSG* pMsg) {
    if (!pMsg)
        return FALSE;
    for (CWnd* wnd = pMsg->hwnd; wnd; wnd = wnd->GetParent()) {
        if (wnd->PreTranslateMessage(pMsg))
            return TRUE;
        // A key goes no further than the top-level window it was typed into: keys in a dialog
        // never reach the main window's accelerators through the dialog's owner.
        QWidget* w = wnd->GetWidget();
        if (wnd == m_pMainWnd || !w || w->isWindow())
            break;
    }
    return FALSE;
}

CWinApp* AfxGetApp() {
    return g_app;
}

CWnd* AfxGetMainWnd() {
    return g_app ? g_app->m_pMainWnd : nullptr;
}

int AfxWinMain(int argc, char** argv) {
    if (argc > 0 && argv) {
        g_argc = argc;
        static std::vector<char*> args;
        for (int i = 0; i < argc; ++i)
            args.push_back(argv[i]);
        args.push_back(nullptr);
        for (int i = 1; i < argc && g_app; ++i)
            g_app->m_args.emplace_back(argv[i]);
        static int qtArgc = argc;
        if (!QApplication::instance()) {
            static QApplication* app = new QApplication(qtArgc, args.data()); // lives until exit
            app->installEventFilter(new KeyFilter(app));
        }
    }
    kv::EnsureApplication();
    CWinApp* app = AfxGetApp();
    if (!app)
        return 1;
    if (!app->InitInstance())
        return app->ExitInstance();
    return app->Run();
}

int AfxMessageBox(const char* lpszText, UINT nType, UINT) {
    return kv::ShowMessageBox(AfxGetMainWnd(), lpszText, nullptr, nType);
}

void AfxSetMessageBoxHook(MessageBoxHook hook) {
    g_messageBoxHook = std::move(hook);
}
