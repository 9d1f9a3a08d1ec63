#include "app/KelvaneApp.h"

#include "app/EndSignals.h"
#include "app/KelvaneView.h"
#include "app/LanguageDialogAdapter.h"
#include "app/MainFrame.h"
#include "display/SplashWnd.h"
#include "engine/KelvaneDoc.h"
#include "framework/DataExchange.h"
#include "resources/Resource.h"
#include "resources/dialogs/DialogTemplates.h"
#include "resources/images/ImageResources.h"
#include "resources/menus/MenuResources.h"
#include "simulator/SimZendral.h"
#include "system/Paths.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QIcon>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QSessionManager>
#include <QUrl>
#include <QWidget>

#include <cmath>
#include <csignal>

#include <cstdlib>
#include <cstring>
#include <strings.h>
#include <thread>

namespace {

CKelvaneApp::UrlOpener& HelpOpener() {
    static CKelvaneApp::UrlOpener opener;
    return opener;
}

std::vector<std::string>& StartupArguments() {
    static std::vector<std::string> args;
    return args;
}

// The program's picture (window icon 130 and About bitmap 236): a small screen with a grid and
// the two channel traces.
QPixmap ProgramPicture(int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(QColor(50, 50, 50));
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF screen(size * 0.08, size * 0.08, size * 0.84, size * 0.84);
    p.fillRect(screen, Qt::black);
    p.setPen(QPen(QColor(90, 90, 90), 1));
    for (int i = 1; i < 4; ++i) {
        const double x = screen.left() + screen.width() * i / 4;
        const double y = screen.top() + screen.height() * i / 4;
        p.drawLine(QPointF(x, screen.top()), QPointF(x, screen.bottom()));
        p.drawLine(QPointF(screen.left(), y), QPointF(screen.right(), y));
    }
    const QColor colours[2] = {QColor(255, 255, 0), QColor(0, 255, 0)};
    for (int channel = 0; channel < 2; ++channel) {
        QPainterPath path;
        for (int i = 0; i <= 64; ++i) {
            const double t = i / 64.0;
            const double phase = 2 * 3.14159265358979 * (2 * t) + channel * 1.4;
            const double y = screen.center().y() + (channel ? 0.18 : -0.12) * screen.height() +
                             0.16 * screen.height() * std::sin(phase);
            const QPointF pt(screen.left() + t * screen.width(), y);
            if (i == 0)
                path.moveTo(pt);
            else
                path.lineTo(pt);
        }
        p.setPen(QPen(colours[channel], std::max(1.0, size / 48.0)));
        p.drawPath(path);
    }
    return pixmap;
}

// The program being ended by exit() instead of by its event loop. Qt's X11 layer calls exit(1) on
// the GUI thread when the connection to the display breaks (the X server went away); nothing
// returns, but the settings can still be saved from here. A call on any other thread is left
// alone: the GUI thread may be changing the settings at that very moment.
CKelvaneApp* g_exitWatcher = nullptr;
std::thread::id g_exitWatcherThread;

void SaveAtProcessExit() {
    if (g_exitWatcher && std::this_thread::get_id() == g_exitWatcherThread)
        g_exitWatcher->OnProcessExit();
}

void WatchProcessExit(CKelvaneApp* app) {
    static const bool registered = std::atexit(SaveAtProcessExit) == 0;
    if (!registered)
        return;
    g_exitWatcher = app;
    g_exitWatcherThread = std::this_thread::get_id();
}

void UnwatchEnds(CKelvaneApp* app) {
    if (g_exitWatcher == app)
        g_exitWatcher = nullptr;
}

bool OpenWithDesktop(const CString& path) {
    return QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromUtf8(path.GetString())));
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Command line

CKelvaneCommandLine CKelvaneCommandLine::Parse(const std::vector<std::string>& args) {
    CKelvaneCommandLine info;
    info.showSplash = CSplashWnd::SplashFlagFromArgs(args) != FALSE;
    return info;
}

// ---------------------------------------------------------------------------------------------
// About

CAboutDlg::CAboutDlg(CKelvaneDoc* pDoc, CWnd* pParent) : CDialog(IDD_ABOUTBOX, pParent), m_pDoc(pDoc) {}

void CAboutDlg::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_ABOUT_PICTURE, m_picture);
}

BOOL CAboutDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    if (m_pDoc) {
        TranslateWindow(m_pDoc->m_language, *this);
        SetWindowText(m_pDoc->GetText(static_cast<int>(IDD_ABOUTBOX)));
    }
    if (auto* label = qobject_cast<QLabel*>(m_picture.GetWidget())) {
        label->setPixmap(ProgramPicture(std::min(label->width(), label->height())));
        label->setAlignment(Qt::AlignCenter);
    }
    return TRUE;
}

// ---------------------------------------------------------------------------------------------
// Application

CKelvaneApp::CKelvaneApp() : CWinApp(nullptr) {
    // Made without a name, the application is known by the program's title; message boxes given
    // no caption show it.
    m_strAppName = CMainFrame::kTitle;
    m_args = StartupArguments();
    CCmdTarget::OnCommand(ID_APP_ABOUT, [this] { OnAppAbout(); });
    CCmdTarget::OnCommand(ID_HELP_CONTENTS, [this] { OnHelpContents(); });
    CCmdTarget::OnCommand(ID_APP_EXIT, [this] { OnAppExit(); });
}

CKelvaneApp::~CKelvaneApp() {
    UnwatchEnds(this);
    m_pEndSignals.reset();
    m_pEndHooks.reset();
    // A splash still showing belongs to the main frame: without this it would outlive the frame
    // and stay registered as the one splash window.
    if (CSplashWnd* splash = CSplashWnd::GetInstance())
        splash->DestroyWindow();
    // The frame (and its view) refer to the document: they go first.
    if (m_pFrame && m_pFrame->GetSafeHwnd())
        m_pFrame->DestroyWindow();
    if (m_pMainWnd == m_pFrame.get())
        m_pMainWnd = nullptr;
    m_pFrame.reset();
    m_pDoc.reset();
}

CKelvaneView* CKelvaneApp::GetView() const {
    return m_pFrame ? dynamic_cast<CKelvaneView*>(m_pFrame->GetActiveView()) : nullptr;
}

BOOL CKelvaneApp::InitInstance() {
    // Under a file-size limit a write past it then fails with EFBIG, reported like any failed
    // save, instead of ending the program with the person's unsaved work.
    std::signal(SIGXFSZ, SIG_IGN);

    // 1. The command line; the splash flag is kept for the view's start-up.
    m_bSplash = CKelvaneCommandLine::Parse(m_args).showSplash;
    CSplashWnd::EnableSplash(m_bSplash ? TRUE : FALSE);
    CSplashWnd::SetBitmapLoader(&CKelvaneApp::LoadResourceBitmap);

    kv::RegisterAppDialogTemplates();
    kv::RegisterMenuResources();
    kv::InstallSimulatorFromEnvironment();
    WatchEnds();

    // 4, 5. The document, the main frame and the view (which runs the start-up sequence).
    if (!OpenNewDocument())
        return FALSE;

    // 6. The owner-drawn menu bar.
    if (m_pFrame)
        m_pFrame->SetMenu(CMenu::FromHandle(m_pFrame->BuildMenu()));

    // 7. The window icon.
    if (QWidget* w = m_pFrame ? m_pFrame->GetWidget() : nullptr)
        w->setWindowIcon(QIcon(ProgramPicture(32)));
    return TRUE;
}

BOOL CKelvaneApp::OpenNewDocument() {
    auto doc = std::make_unique<CKelvaneDoc>();
    if (!doc->OnNewDocument())
        return FALSE;
    auto frame = std::make_unique<CMainFrame>();
    m_pDoc = std::move(doc);
    m_pFrame = std::move(frame);
    if (!m_pFrame->LoadFrame(IDR_MAINFRAME)) {
        m_pFrame.reset();
        return FALSE;
    }
    m_pMainWnd = m_pFrame.get();
    if (!m_pFrame->CreateView(std::make_unique<CKelvaneView>(), m_pDoc.get())) {
        m_pFrame->DestroyWindow();
        m_pMainWnd = nullptr;
        m_pFrame.reset();
        return FALSE;
    }
    m_pFrame->InitialUpdateFrame(m_pDoc.get(), TRUE);
    return TRUE;
}

BOOL CKelvaneApp::PreTranslateMessage(MSG* pMsg) {
    // The splash sees every message first; it never keeps one, but its answer is honoured.
    if (CSplashWnd::FilterAppMessage(pMsg))
        return TRUE;
    return CWinApp::PreTranslateMessage(pMsg);
}

void CKelvaneApp::SetStartupArguments(std::vector<std::string> args) {
    StartupArguments() = std::move(args);
}

BOOL CKelvaneApp::LoadResourceBitmap(UINT nID, CBitmap& bitmap) {
    kv::BitmapResource res;
    if (!kv::LoadBitmapResource(nID, res) || res.width <= 0 || res.height <= 0 ||
        res.pixels.size() < static_cast<std::size_t>(res.width) * static_cast<std::size_t>(res.height))
        return FALSE;
    return bitmap.CreateBitmap(res.width, res.height, 1, 32, res.pixels.data());
}

void CKelvaneApp::OnAppAbout() {
    CAboutDlg dlg(m_pDoc.get());
    dlg.DoModal();
}

CString CKelvaneApp::HelpFilePath(const CString& programFolder, const CString& languageTitle) {
    return HelpFileInFolder(programFolder + "/language", languageTitle);
}

CString CKelvaneApp::HelpFileInFolder(const CString& languageFolder, const CString& languageTitle) {
    CString name = languageTitle;
    const char* known[] = {"English", "French", "German"};
    bool ok = false;
    for (const char* k : known)
        ok = ok || strcasecmp(name.GetString(), k) == 0;
    if (!ok)
        name = "English";
    CString file;
    file.Format("OrvalaUSBHelp-%s.chm", name.GetString());
    // A help file whose name differs only in letter case is the same file to the user.
    const QDir dir(QString::fromUtf8(languageFolder.GetString()));
    const QString wanted = QString::fromUtf8(file.GetString());
    for (const QString& entry : dir.entryList(QDir::Files)) {
        if (entry.compare(wanted, Qt::CaseInsensitive) == 0) {
            file = entry.toUtf8().constData();
            break;
        }
    }
    return languageFolder + "/" + file;
}

void CKelvaneApp::SetHelpOpener(UrlOpener opener) {
    HelpOpener() = std::move(opener);
}

void CKelvaneApp::OnHelpContents() {
    const int index = m_pDoc ? m_pDoc->GetLanguageIndex() : -1;
    const CString title = m_pDoc ? m_pDoc->m_language.GetLanguageFileTitle(index) : CString("English");
    const CString folder =
        m_pDoc ? m_pDoc->m_language.GetLanguageFolder() : CString(kv::ProgramFolder() + "/language");
    const CString path = HelpFileInFolder(folder, title);
    // Without these checks F1 would do nothing visible when the help is missing or nothing on
    // the desktop can show it.
    CString problem;
    if (!QFileInfo(QString::fromUtf8(path.GetString())).isFile())
        problem = "The help file is missing: " + path;
    else if (!(HelpOpener() ? HelpOpener()(path) : OpenWithDesktop(path)))
        problem = "No program on this desktop opens the help file " + path;
    if (problem.IsEmpty())
        return;
    if (m_pDoc)
        m_pDoc->Ui().MessageBox(problem.GetString(), nullptr);
    else
        kv::ShowMessageBox(m_pMainWnd, problem.GetString(), nullptr, MB_OK);
}

void CKelvaneApp::WatchEnds() {
    if (m_pEndHooks)
        return;
    m_pEndHooks = std::make_unique<QObject>();
    if (auto* gui = qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        QObject::connect(gui, &QGuiApplication::commitDataRequest, m_pEndHooks.get(),
                         [this](QSessionManager&) { OnCommitData(); });
        QObject::connect(gui, &QCoreApplication::aboutToQuit, m_pEndHooks.get(), [this] { OnQuit(); });
    }
    m_pEndSignals = std::make_unique<CEndSignals>([this](int signal) { OnEndSignal(signal); });
    WatchProcessExit(this);
}

int CKelvaneApp::Run() {
    // Ended during start-up (a signal while the device search asked its question): the loop
    // would only wait for an end that has already come.
    if (m_bEnding)
        return ExitInstance();
    m_bRunning = true;
    return CWinApp::Run();
}

void CKelvaneApp::OnEndSignal(int) {
    if (m_bEnding)
        return;
    m_bEnding = true;
    if (m_pFrame && m_bRunning)
        m_pFrame->SaveSettings(CMainFrame::SettingsSave::EndingQuietly);
    // Leaves every event loop, a dialog's or a menu's as well as the main one, and makes any loop
    // opened after this return at once: no window is destroyed under a loop still running.
    QCoreApplication::exit(0);
}

void CKelvaneApp::OnCommitData() {
    if (m_pFrame && m_bRunning)
        m_pFrame->SaveSettings(CMainFrame::SettingsSave::Commit);
}

void CKelvaneApp::OnQuit() {
    if (m_pFrame && m_bRunning)
        m_pFrame->SaveSettings(CMainFrame::SettingsSave::EndingQuietly);
}

void CKelvaneApp::OnProcessExit() {
    m_bEnding = true;
    if (m_pFrame && m_bRunning)
        m_pFrame->SaveSettings(CMainFrame::SettingsSave::EndingQuietly);
}

void CKelvaneApp::OnAppExit() {
    if (m_pMainWnd)
        m_pMainWnd->PostMessage(WM_CLOSE);
}
