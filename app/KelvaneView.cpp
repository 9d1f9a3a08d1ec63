#include "app/KelvaneView.h"

#include "app/DocUiBridge.h"
#include "app/MainFrame.h"
#include "app/StartupDialogs.h"
#include "display/SplashWnd.h"
#include "engine/BitmapWriter.h"
#include "engine/KelvaneDoc.h"
#include "framework/CommonDialogs.h"
#include "framework/DataExchange.h"
#include "framework/PaintDC.h"
#include "framework/WinApp.h"
#include "resources/Resource.h"
#include "system/FileAccess.h"
#include "system/Paths.h"

#include <string>

namespace {

constexpr COLORREF kPanelColor = RGB(212, 208, 200);

} // namespace

CKelvaneView::CKelvaneView() : CFormView(IDD_KELVANE_FORM), m_sidebarPanel(kPanelColor) {
    m_bFirstTick = 1;
    CCmdTarget::OnCommand(ID_FULL_SCREEN_TOGGLE, [this] { OnFullScreenToggle(); });
    CCmdTarget::OnCommand(ID_VIEW_FULL_SCREEN, [this] { OnViewFullScreen(); });
    CCmdTarget::OnCommand(ID_VIEW_SIDEBAR, [this] { OnViewSidebar(); });
    CCmdTarget::OnCommand(ID_FILE_SAVE_WAVEFORM, [this] { OnFileSaveWaveform(); });
    CCmdTarget::OnCommand(ID_EDIT_UNDO, [] {});
    OnCommandRange(ID_LANGUAGE_FIRST, ID_LANGUAGE_LAST, [this](UINT id) { OnLanguage(id); });
    OnUpdateCommandRange(ID_LANGUAGE_FIRST, ID_LANGUAGE_UPDATE_LAST,
                         [this](CCmdUI* ui) { OnUpdateLanguage(ui); });
}

CKelvaneView::~CKelvaneView() {
    if (m_pDoc && &m_pDoc->Ui() == m_pUiBridge.get())
        m_pDoc->SetUi(nullptr);
}

CKelvaneDoc* CKelvaneView::GetDocument() const {
    return dynamic_cast<CKelvaneDoc*>(m_pDocument);
}

CMainFrame* CKelvaneView::GetMainFrame() const {
    return dynamic_cast<CMainFrame*>(GetParentFrame());
}

bool CKelvaneView::IsFrameFullScreen() const {
    const CMainFrame* frame = GetMainFrame();
    return frame && frame->m_bFullScreen != 0;
}

BOOL CKelvaneView::PreCreateWindow(CREATESTRUCT& cs) {
    return CFormView::PreCreateWindow(cs);
}

void CKelvaneView::DoDataExchange(CDataExchange* pDX) {
    CFormView::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_SIDEBAR_TAB, m_sidebarFrame);
    DDX_Control(pDX, IDC_STATUS_STRIP, m_statusStrip);
    DDX_Control(pDX, IDC_SCOPE_SCREEN, m_screenPanel);
    DDX_Control(pDX, IDC_CHANNEL_INFO, m_channelInfo);
}

// ---------------------------------------------------------------------------------------------
// Start-up

void CKelvaneView::OnInitialUpdate() {
    // 1. The form's own update binds the child windows; the frame keeps its own size.
    CFormView::OnInitialUpdate();
    if (CFrameWnd* frame = GetParentFrame())
        frame->RecalcLayout();

    // 2. The splash over the main window; it closes itself.
    CSplashWnd::ShowSplash(AfxGetMainWnd() ? AfxGetMainWnd() : GetParentFrame());

    // 4. Document and user-interface wiring.
    m_bFirstTick = 1;
    m_pDoc = GetDocument();
    if (!m_pDoc)
        return;
    if (!m_pUiBridge)
        m_pUiBridge = std::make_unique<CDocUiBridge>(*this);
    m_pDoc->SetUi(m_pUiBridge.get());

    // 5..9. Defaults, windows, language files and buffers.
    m_pDoc->SetDefaultSettings();
    Screen().SetDocument(m_pDoc);
    m_channelInfo.SetDocument(m_pDoc);
    m_statusStrip.SetDocument(m_pDoc);
    Screen().SetFullScreenQuery([this] { return IsFrameFullScreen(); });
    // The status bar's cursor readouts come from the screen panel.
    if (CMainFrame* frame = GetMainFrame())
        frame->SetCursorReadoutSource(&m_screenPanel);
    m_pDoc->m_language.ScanLanguageFiles();
    m_pDoc->AllocSampleBuffers();
    Screen().ResetDisplaySettings();

    // 10. The saved set-up, or the defaults again when it cannot be used.
    if (!LoadDefaultSetup()) {
        m_pDoc->SetDefaultSettings();
        Screen().ResetDisplaySettings();
    }

    // 11. The side control panel lives inside the tab control.
    if (!m_sidebarPanel.GetSafeHwnd() && m_sidebarFrame.GetSafeHwnd()) {
        RECT rc{0, 0, kSidebarWidth, 0};
        m_sidebarPanel.Create(nullptr, "", WS_CHILD | WS_VISIBLE, rc, &m_sidebarFrame, IDD_SIDEBAR);
    }
    m_sidebarPanel.ShowWindow(SW_SHOW);
    // The real panel then takes the stand-in's place, loaded from the document.
    CreateSidePanel();

    // 12. Layout values.
    m_bSidebarSaved = 1;
    m_bSidebarVisible = 1;
    m_nTopBarHeight = kBarHeight;
    m_nBottomBarHeight = kBarHeight;
    m_nSidebarWidth = kSidebarWidth;

    // 13, 14. Instrument or demo mode.
    SearchDevices();
    m_pDoc->m_usb.SetSettingsSent(1);

    // 15, 16. Layout and the pump.
    RecalcLayout();
    m_nPumpTimer = static_cast<UINT>(SetTimer(IDT_PUMP, kPumpPeriodMs));
}

int CKelvaneView::LoadDefaultSetup() {
    if (!m_pDoc)
        return 0;
    const CMainFrame* frame = GetMainFrame();
    const std::string path =
        frame ? frame->GetDefaultSetupPath().str() : kv::SettingsFolder() + "/Default.set";
    // Saves killed mid-way (a crash, a power cut) may have left temporaries beside it.
    kv::RemoveStaleSaveTemporaries(path.substr(0, path.rfind('/')));
    return m_pDoc->LoadSetupFile(path.c_str()) ? 1 : 0;
}

void CKelvaneView::SearchDevices() {
    CUsbDevice& usb = m_pDoc->m_usb;
    const std::int16_t count = usb.ScanDevices();
    CWnd* mainWnd = AfxGetMainWnd() ? AfxGetMainWnd() : GetParentFrame();
    if (count == 1) {
        // The one instrument may answer at any index; index 0 would leave it unreachable.
        for (std::int16_t index = 0; index < CUsbDevice::kMaxDevices; ++index) {
            if (usb.IsPresent(index)) {
                usb.SetDeviceIndex(index);
                break;
            }
        }
        m_pDoc->ApplySettingsToDevice();
    } else if (count >= 2) {
        CDeviceListDlg dlg;
        dlg.SetDocument(m_pDoc);
        if (dlg.DoModal() == IDOK)
            m_pDoc->ApplySettingsToDevice();
        else if (mainWnd)
            mainWnd->PostMessage(WM_CLOSE);
    } else {
        CSearchDeviceDlg dlg;
        dlg.SetDocument(m_pDoc);
        if (dlg.DoModal() == IDCANCEL) {
            m_pDoc->SetDefaultSettings();
            Screen().ResetDisplaySettings();
            m_pDoc->ApplySettingsToDevice();
            m_pDoc->SetDemoMode(1);
        } else if (mainWnd) {
            mainWnd->PostMessage(WM_CLOSE);
        }
    }
}

// ---------------------------------------------------------------------------------------------
// Layout

void CKelvaneView::RecalcLayout() {
    RECT rc;
    GetClientRect(&rc);
    const CRect client(rc);
    PlaceSidebar(client);
    PlaceTopBar(client);
    PlaceBottomBar(client);
    PlaceScopeScreen(client);
}

void CKelvaneView::PlaceSidebar(const CRect& client) {
    if (!m_sidebarFrame.GetSafeHwnd())
        return;
    m_sidebarFrame.ModifyStyle(0, WS_CLIPCHILDREN);
    const int w = m_nSidebarWidth;
    m_sidebarFrame.MoveWindow(client.right - w - client.left, 0, w, client.bottom - client.top);
    m_nSidebarWidth = m_bSidebarVisible ? kSidebarWidth : 0;
    PlaceSidebarPanel();
}

void CKelvaneView::PlaceSidebarPanel() {
    if (!m_sidebarPanel.GetSafeHwnd() || !m_sidebarFrame.GetSafeHwnd())
        return;
    RECT rc;
    m_sidebarFrame.GetClientRect(&rc);
    const int w = m_nSidebarWidth;
    m_sidebarPanel.MoveWindow(rc.right - w - rc.left, 0, w, rc.bottom - rc.top);
}

void CKelvaneView::PlaceTopBar(const CRect& client) {
    if (!m_statusStrip.GetSafeHwnd())
        return;
    m_statusStrip.ModifyStyleEx(0, WS_EX_CLIENTEDGE);
    const int w = m_bSidebarVisible ? m_nSidebarWidth : 0;
    m_statusStrip.MoveWindow(0, 0, client.right - client.left - w, m_nTopBarHeight);
}

void CKelvaneView::PlaceBottomBar(const CRect& client) {
    if (!m_channelInfo.GetSafeHwnd())
        return;
    m_channelInfo.ModifyStyleEx(0, WS_EX_CLIENTEDGE);
    m_channelInfo.MoveWindow(0, client.bottom - m_nBottomBarHeight - client.top,
                             client.right - client.left - m_nSidebarWidth, m_nBottomBarHeight);
}

void CKelvaneView::PlaceScopeScreen(const CRect& client) {
    if (!m_screenPanel.GetSafeHwnd())
        return;
    if (IsFrameFullScreen())
        m_screenPanel.ModifyStyleEx(WS_EX_CLIENTEDGE, 0);
    else
        m_screenPanel.ModifyStyleEx(0, WS_EX_CLIENTEDGE);
    m_screenPanel.MoveWindow(0, m_nTopBarHeight, client.right - client.left - m_nSidebarWidth,
                             client.bottom - client.top - m_nTopBarHeight - m_nBottomBarHeight);
    Screen().CalcPlotRect();
    Screen().UpdateMarkerPositions();
    m_screenPanel.Invalidate(FALSE);
}

void CKelvaneView::OnSize(UINT nType, int cx, int cy) {
    CFormView::OnSize(nType, cx, cy);
    if (!m_bFirstTick && cx != 0 && cy != 0)
        RecalcLayout();
}

// The child windows cover the whole view.
BOOL CKelvaneView::OnEraseBkgnd(CDC*) {
    return TRUE;
}

void CKelvaneView::OnPaint() {
    CPaintDC dc(this);
}

// ---------------------------------------------------------------------------------------------
// Commands

void CKelvaneView::OnFullScreenToggle() {
    CMainFrame* frame = GetMainFrame();
    if (!frame)
        return;
    if (!frame->m_bFullScreen) {
        m_hWndFocusSaved = CWnd::GetFocus();
        m_bSidebarSaved = m_bSidebarVisible;
        m_nTopBarHeight = 0;
        m_nBottomBarHeight = 0;
        m_nSidebarWidth = 0;
        m_statusStrip.ShowWindow(SW_HIDE);
        if (m_bSidebarVisible) {
            m_sidebarFrame.ShowWindow(SW_HIDE);
            m_bSidebarVisible = 0;
        }
        m_channelInfo.ShowWindow(SW_HIDE);
        frame->m_bFullScreen = 1;
        frame->SetFullScreen(TRUE);
    } else {
        frame->m_bFullScreen = 0;
        frame->SetFullScreen(FALSE);
        Screen().SetBorderOn(1);
        m_sidebarFrame.ShowWindow(SW_SHOW);
        m_nSidebarWidth = kSidebarWidth;
        m_bSidebarVisible = 1;
        m_statusStrip.ShowWindow(SW_SHOW);
        m_nTopBarHeight = kBarHeight;
        m_channelInfo.ShowWindow(SW_SHOW);
        m_nBottomBarHeight = kBarHeight;
        if (!m_bSidebarSaved) {
            m_nSidebarWidth = 0;
            m_bSidebarVisible = 0;
        }
    }
    // Leaving lays out at once; entering is laid out by the size change of the maximised frame,
    // and once more here for a frame that was maximised already.
    RecalcLayout();
    if (!frame->m_bFullScreen)
        RestoreFocusAfterFullScreen();
}

void CKelvaneView::RestoreFocusAfterFullScreen() {
    // The keyboard goes back where it was (a side-panel control, say); a window that is gone,
    // hidden or disabled by now leaves it with the view.
    HWND saved = m_hWndFocusSaved;
    m_hWndFocusSaved = nullptr;
    if (IsWindow(saved) && saved->GetTopLevelParent() == GetTopLevelParent() && saved->IsWindowVisible() &&
        saved->IsWindowEnabled())
        saved->SetFocus();
    else
        SetFocus();
}

void CKelvaneView::OnViewSidebar() {
    // Width and flag first, so that the side panel's frame moves to its new width in this pass.
    m_bSidebarVisible = m_bSidebarVisible ? 0 : 1;
    m_nSidebarWidth = m_bSidebarVisible ? kSidebarWidth : 0;
    m_sidebarFrame.ShowWindow(m_bSidebarVisible ? SW_SHOW : SW_HIDE);
    RecalcLayout();
}

void CKelvaneView::OnFileSaveWaveform() {
    CFileDialog dlg(FALSE, ".doc", nullptr, OFN_OVERWRITEPROMPT,
                    "Document File(*.doc)|*.doc|Spreadsheet File(*.xls)|*.xls|Text File(*.txt)|*.txt||",
                    this);
    dlg.m_ofn.lpstrTitle = "Save Data As...";
    if (dlg.DoModal() != IDOK)
        return;
    SaveWaveformByExtension(dlg.GetPathName().GetString());
}

int CKelvaneView::SaveWaveformByExtension(const char* path) {
    if (!m_pDoc || !path)
        return 0;
    const std::string ext = kv::ExtensionOf4(path);
    if (ext == ".doc")
        return m_pDoc->SaveWaveformDoc(path);
    if (ext == ".xls")
        return m_pDoc->SaveWaveformXls(path);
    return m_pDoc->SaveWaveformText(path);
}

void CKelvaneView::OnLanguage(UINT nID) {
    if (m_pDoc)
        m_pDoc->SelectLanguage(static_cast<int>(nID) - static_cast<int>(ID_LANGUAGE_FIRST));
}

void CKelvaneView::OnUpdateLanguage(CCmdUI* pCmdUI) {
    if (!pCmdUI || !m_pDoc)
        return;
    pCmdUI->SetCheck(static_cast<int>(pCmdUI->m_nID) ==
                             m_pDoc->GetLanguageIndex() + static_cast<int>(ID_LANGUAGE_FIRST)
                         ? 1
                         : 0);
}
