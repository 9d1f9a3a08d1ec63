#include "app/MainFrame.h"

#include "display/ScopeScreen.h"
#include "engine/KelvaneDoc.h"
#include "framework/DC.h"
#include "resources/Resource.h"
#include "resources/images/ImageResources.h"
#include "resources/menus/CommandImages.h"
#include "resources/menus/MenuResources.h"
#include "system/Paths.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {

const UINT kIndicators[] = {
    ID_INDICATOR_STATUS,  ID_INDICATOR_CURSOR1, ID_INDICATOR_CURSOR2,
    ID_INDICATOR_CURSOR3, ID_INDICATOR_STRETCH, ID_INDICATOR_CLOCK,
};
const int kPaneWidths[] = {100, 110, 110, 110, 1, 100};

// Adds every picture of bitmap `id` to `list`; false when the bitmap is missing.
bool AddBitmap(CImageList& list, unsigned id, bool masked) {
    kv::BitmapResource res;
    if (!kv::LoadBitmapResource(id, res) || res.width <= 0 || res.height <= 0)
        return false;
    CBitmap bitmap;
    if (!bitmap.CreateBitmap(res.width, res.height, 1, 32, res.pixels.data()))
        return false;
    const int first = masked ? list.Add(&bitmap, static_cast<COLORREF>(kv::kMenuImageMask))
                             : list.Add(&bitmap, static_cast<CBitmap*>(nullptr));
    return first >= 0;
}

// Copies at most `maxBytes` bytes of UTF-8 text without splitting a character.
void CopyTooltip(char* out, std::size_t size, const CString& text, std::size_t maxBytes) {
    std::size_t n =
        std::min<std::size_t>(static_cast<std::size_t>(text.GetLength()), std::min(maxBytes, size - 1));
    const char* s = text.GetString();
    while (n > 0 && n < static_cast<std::size_t>(text.GetLength()) &&
           (static_cast<unsigned char>(s[n]) & 0xC0) == 0x80)
        --n;
    std::memcpy(out, s, n);
    out[n] = '\0';
}

} // namespace

CMainFrame::CMainFrame() {
    kv::RegisterMenuResources();
}

CMainFrame::~CMainFrame() = default;

BOOL CMainFrame::PreCreateWindow(CREATESTRUCT& cs) {
    if (!CFrameWnd::PreCreateWindow(cs))
        return FALSE;
    // The title never names a document or the connected model.
    cs.lpszName = kTitle;
    cs.cx = kInitialWidth;
    cs.cy = kInitialHeight;
    cs.style &= ~FWS_ADDTOTITLE;
    return TRUE;
}

void CMainFrame::ActivateFrame(int) {
    // Hidden through start-up; the first pump tick shows the window.
    CFrameWnd::ActivateFrame(SW_HIDE);
}

int CMainFrame::OnCreate(LPCREATESTRUCT lpCreateStruct) {
    if (CFrameWnd::OnCreate(lpCreateStruct) == -1)
        return -1;
    const DWORD barStyle = WS_CHILD | WS_VISIBLE | CBRS_TOP | CBRS_TOOLTIPS | CBRS_FLYBY | CBRS_SIZE_DYNAMIC;
    if (!m_wndToolBar.CreateEx(this, TBSTYLE_FLAT, barStyle, CRect(0, 0, 0, 0), AFX_IDW_TOOLBAR) ||
        !m_wndToolBar.LoadToolBar(IDR_MAINFRAME))
        return -1;
    if (!m_wndStatusBar.Create(this, WS_CHILD | WS_VISIBLE | CBRS_BOTTOM, AFX_IDW_STATUS_BAR) ||
        !m_wndStatusBar.SetIndicators(kIndicators, static_cast<int>(std::size(kIndicators))))
        return -1;
    m_bFullScreen = 0;
    if (!CreateImageLists())
        return -1;
    for (int i = 0; i < static_cast<int>(std::size(kIndicators)); ++i) {
        const UINT style = SBPS_NOBORDERS | (kIndicators[i] == ID_INDICATOR_STRETCH ? SBPS_STRETCH : 0);
        m_wndStatusBar.SetPaneInfo(i, kIndicators[i], style, kPaneWidths[i]);
    }
    FitToWorkArea();
    CenterWindow();
    return 0;
}

void CMainFrame::FitToWorkArea() {
    // On a small screen (or a large scale factor) the first size would put the title bar and
    // the menu above the screen's top: the window then takes what the work area leaves beside
    // its frame, never less than its minimum size.
    RECT work;
    if (!SystemParametersInfo(SPI_GETWORKAREA, 0, &work, 0))
        return;
    const SIZE frame = WindowFrameAllowance();
    const int frameWidth = frame.cx;
    const int frameHeight = frame.cy;
    RECT rc;
    GetWindowRect(&rc);
    const int width = rc.right - rc.left;
    const int height = rc.bottom - rc.top;
    const int fitWidth =
        std::max(kMinTrackWidth, std::min(width, static_cast<int>(work.right - work.left) - frameWidth));
    const int fitHeight =
        std::max(kMinTrackHeight, std::min(height, static_cast<int>(work.bottom - work.top) - frameHeight));
    if (fitWidth != width || fitHeight != height)
        MoveWindow(rc.left, rc.top, fitWidth, fitHeight, FALSE);
}

BOOL CMainFrame::CreateImageLists() {
    for (CImageList& list : m_menuImages)
        if (!list.Create(kv::kImageSize, kv::kImageSize, ILC_COLOR24 | ILC_MASK, 17, 0))
            return FALSE;
    // Pixels of the strip's background colour are left out, so the pictures sit on the icon
    // column and on the selection alike.
    if (!AddBitmap(m_menuImages[0], IDB_MENU_NORMAL, true) ||
        !AddBitmap(m_menuImages[1], IDB_MENU_DISABLED, true) ||
        !AddBitmap(m_menuImages[2], IDB_MENU_NORMAL, true))
        return FALSE;
    for (CImageList& list : m_toolImages)
        if (!list.Create(kv::kImageSize, kv::kImageSize, ILC_COLOR24, 15, 0))
            return FALSE;
    if (!AddBitmap(m_toolImages[0], IDB_TOOLBAR_NORMAL, false) ||
        !AddBitmap(m_toolImages[1], IDB_TOOLBAR_DISABLED, false) ||
        !AddBitmap(m_toolImages[2], IDB_TOOLBAR_HOT, false))
        return FALSE;
    m_wndToolBar.GetToolBarCtrl().SetImageList(&m_toolImages[0]);
    m_wndToolBar.GetToolBarCtrl().SetDisabledImageList(&m_toolImages[1]);
    m_wndToolBar.GetToolBarCtrl().SetHotImageList(&m_toolImages[2]);
    return TRUE;
}

void CMainFrame::OnGetMinMaxInfo(MINMAXINFO* lpMMI) {
    if (lpMMI) {
        lpMMI->ptMinTrackSize.x = kMinTrackWidth;
        lpMMI->ptMinTrackSize.y = kMinTrackHeight;
    }
    CFrameWnd::OnGetMinMaxInfo(lpMMI);
}

BOOL CMainFrame::PreTranslateMessage(MSG* pMsg) {
    if (MenuHasKeyboard())
        return FALSE;
    return CFrameWnd::PreTranslateMessage(pMsg);
}

void CMainFrame::OnInitMenuPopup(CMenu* pPopupMenu, UINT nIndex, BOOL bSysMenu) {
    CFrameWnd::OnInitMenuPopup(pPopupMenu, nIndex, bSysMenu);
    m_menu.OnInitMenuPopup(pPopupMenu, nIndex, bSysMenu);
}

void CMainFrame::OnMeasureItem(int nIDCtl, MEASUREITEMSTRUCT* lpMeasureItemStruct) {
    CFrameWnd::OnMeasureItem(nIDCtl, lpMeasureItemStruct);
    m_menu.OnMeasureItem(lpMeasureItemStruct);
}

void CMainFrame::OnSize(UINT nType, int cx, int cy) {
    CFrameWnd::OnSize(nType, cx, cy);
}

CString CMainFrame::GetDefaultSetupPath() const {
    const CString folder = m_strSetupFolder.IsEmpty() ? CString(kv::SettingsFolder()) : m_strSetupFolder;
    return folder + "/Default.set";
}

CKelvaneDoc* CMainFrame::GetKelvaneDoc() const {
    return dynamic_cast<CKelvaneDoc*>(GetActiveDocument());
}

BOOL CMainFrame::SaveSettings(SettingsSave how) {
    if (m_bSettingsEnded)
        return TRUE;
    if (how != SettingsSave::Commit)
        m_bSettingsEnded = true;
    CKelvaneDoc* doc = GetKelvaneDoc();
    if (!doc)
        return FALSE;
    std::vector<std::uint8_t> settings = doc->BuildSetupFile();
    if (m_bSettingsWritten && settings == m_savedSettings)
        return TRUE;
    const CString path = GetDefaultSetupPath();
    // The user's own settings folder may not exist yet; it is private to the user.
    kv::MakeFolders(path.str().substr(0, path.str().rfind('/')), 0700);
    const bool quiet = how != SettingsSave::Ending;
    CString error;
    if (!doc->WriteSetupFile(path.GetString(), settings, quiet ? &error : nullptr)) {
        if (quiet && !error.IsEmpty())
            std::fprintf(stderr, "kelvane: %s\n", error.GetString());
        return FALSE;
    }
    m_savedSettings = std::move(settings);
    m_bSettingsWritten = true;
    return TRUE;
}

void CMainFrame::OnClose() {
    // Every road out (close box, File > Exit, a close posted at start-up) saves the settings;
    // a failed save has shown its own message and the window still closes.
    SaveSettings(SettingsSave::Ending);
    CFrameWnd::OnClose();
}

BOOL CMainFrame::OnToolTipText(UINT, NMHDR* pNMHDR, LRESULT*) {
    if (!pNMHDR)
        return FALSE;
    auto* ttt = reinterpret_cast<TOOLTIPTEXT*>(pNMHDR);
    CString text;
    if (CKelvaneDoc* doc = GetKelvaneDoc())
        text = doc->GetText(static_cast<int>(pNMHDR->idFrom));
    CopyTooltip(ttt->szText, sizeof ttt->szText, text, kTooltipChars);
    return FALSE;
}

HMENU CMainFrame::BuildMenu() {
    m_menu.m_bPopup = 0;
    if (!m_menu.LoadMenu(IDR_MAINFRAME) && !IsMenu(m_menu.m_hMenu))
        return nullptr;
    m_menu.SetNormalImageList(&m_menuImages[0]);
    m_menu.SetDisabledImageList(&m_menuImages[1]);
    m_menu.SetHotImageList(&m_menuImages[2]);
    SetMenuImages();
    return m_menu.m_hMenu;
}

BOOL CMainFrame::InstallMenu(HMENU hMenu) {
    if (!IsMenu(hMenu))
        return FALSE;
    m_bMenuOffWindow = false;
    return SetMenu(CMenu::FromHandle(hMenu));
}

void CMainFrame::SetMenuImages() {
    m_menu.SetImageIndices(kv::kMenuImageCommands, kv::kMenuImageCount);
}

void CMainFrame::SetFullScreen(BOOL bFullScreen) {
    if (bFullScreen) {
        // A second call would save the maximised placement over the one to return to.
        if (m_bMenuOffWindow)
            return;
        // The placement is taken before anything changes, so that leaving gives back exactly
        // the window the person had, whichever road led here.
        GetWindowPlacement(&m_wpPrev);
        m_wndStatusBar.ShowWindow(SW_HIDE);
        m_wndToolBar.ShowWindow(SW_HIDE);
        ModifyStyle(WS_CAPTION, 0);
        SetMenu(nullptr);
        m_bMenuOffWindow = true;
        ShowWindow(SW_MAXIMIZE);
    } else {
        if (!m_bMenuOffWindow)
            return;
        // The caption first: the window then leaves the whole screen straight for its old
        // placement with its frame, instead of being re-framed where it stands.
        ModifyStyle(0, WS_CAPTION);
        SetWindowPlacement(&m_wpPrev);
        m_wndStatusBar.ShowWindow(SW_SHOW);
        m_wndToolBar.ShowWindow(SW_SHOW);
        if (IsMenu(m_menu.m_hMenu))
            SetMenu(&m_menu);
        m_bMenuOffWindow = false;
    }
}

void CMainFrame::SetPane(UINT nID, const char* text) {
    const int index = m_wndStatusBar.CommandToIndex(nID);
    if (index >= 0)
        m_wndStatusBar.SetPaneText(index, text);
}

CString CMainFrame::FormatClock(const kv::LocalTime& t) {
    CString s;
    s.Format("%02d-%02d-%4d  %02d:%02d", t.day, t.month, t.year, t.hour, t.minute);
    return s;
}

void CMainFrame::UpdateStatusBar(const char* lpszText) {
    UpdateStatusBar(lpszText, kv::GetLocalTime());
}

void CMainFrame::UpdateStatusBar(const char* lpszText, const kv::LocalTime& now) {
    SetPane(ID_INDICATOR_STATUS, lpszText ? lpszText : "");
    const CursorReadouts r = m_pReadouts ? m_pReadouts->GetCursorReadouts() : CursorReadouts{};
    if (r.source == CScopeScreen::kCursorSourceFft) {
        SetPane(ID_INDICATOR_CURSOR1, r.fftFrequency);
        SetPane(ID_INDICATOR_CURSOR2, "");
        SetPane(ID_INDICATOR_CURSOR3, r.fftLevel);
    } else {
        const bool crossOrVertical = r.type == 1 || r.type == 3;
        SetPane(ID_INDICATOR_CURSOR1, crossOrVertical ? r.frequency.GetString() : "");
        SetPane(ID_INDICATOR_CURSOR2, crossOrVertical ? r.time.GetString() : "");
        const char* third = (r.type == 1 || r.type == 4) ? r.voltageDifference.GetString()
                            : r.type == 2                ? r.traceVoltage.GetString()
                                                         : "";
        SetPane(ID_INDICATOR_CURSOR3, third);
    }
    SetPane(ID_INDICATOR_CLOCK, FormatClock(now));
}
