#include "SplashWnd.h"

#include "framework/PaintDC.h"
#include "framework/WinApp.h"

CSplashWnd* CSplashWnd::c_pSplashWnd = nullptr;
BOOL CSplashWnd::c_bShowSplashWnd = TRUE;
CSplashWnd::BitmapLoader CSplashWnd::c_loader;

CSplashWnd::~CSplashWnd() {
    if (c_pSplashWnd == this)
        c_pSplashWnd = nullptr;
}

void CSplashWnd::EnableSplash(BOOL bEnable) {
    c_bShowSplashWnd = bEnable ? TRUE : FALSE;
}

BOOL CSplashWnd::SplashFlagFromArgs(const std::vector<std::string>& args) {
    for (const std::string& arg : args)
        if (arg == "--nosplash")
            return FALSE;
    return TRUE;
}

void CSplashWnd::SetBitmapLoader(BitmapLoader loader) {
    c_loader = std::move(loader);
}

BOOL CSplashWnd::FilterAppMessage(MSG*) {
    return FALSE;
}

void CSplashWnd::ShowSplash(CWnd* pParentWnd) {
    if (!c_bShowSplashWnd || c_pSplashWnd)
        return;
    // The window owns itself from here on: destroying it deletes the object (PostNcDestroy).
    c_pSplashWnd = new CSplashWnd;
    if (!c_pSplashWnd->CreateSplashWindow(pParentWnd)) {
        // A failed creation may already have destroyed (and deleted) the object; the
        // destructor clears the instance pointer, so only a survivor is deleted here.
        delete c_pSplashWnd;
        return;
    }
    c_pSplashWnd->UpdateWindow();
}

BOOL CSplashWnd::CreateSplashWindow(CWnd* pParentWnd) {
    if (!c_loader || !c_loader(kBitmapId, m_bitmap) || !m_bitmap.GetSafeHandle())
        return FALSE;
    BITMAP bm{};
    if (!m_bitmap.GetBitmap(&bm) || bm.bmWidth <= 0 || bm.bmHeight <= 0)
        return FALSE;
    return Create(nullptr, "", kStyle, CRect(0, 0, bm.bmWidth, bm.bmHeight), pParentWnd, 0);
}

BOOL CSplashWnd::PreCreateWindow(CREATESTRUCT& cs) {
    // Seen for its whole time: above the main window when that appears (and above the start-up
    // dialogs), and never taking the keyboard from the window the person is working in.
    cs.dwExStyle |= WS_EX_TOPMOST | WS_EX_NOACTIVATE;
    return CWnd::PreCreateWindow(cs);
}

int CSplashWnd::OnCreate(LPCREATESTRUCT lpCreateStruct) {
    if (CWnd::OnCreate(lpCreateStruct) == -1)
        return -1;
    CenterWindow();
    SetTimer(kTimerId, kShowMs);
    SetTimer(kFollowTimerId, kFollowMs);
    return 0;
}

void CSplashWnd::OnPaint() {
    CPaintDC dc(this);
    if (!dc.GetSafeHdc())
        return;
    CDC memDC;
    if (!memDC.CreateCompatibleDC(&dc))
        return;
    BITMAP bm{};
    m_bitmap.GetBitmap(&bm);
    CBitmap* pOld = memDC.SelectObject(&m_bitmap);
    dc.BitBlt(0, 0, bm.bmWidth, bm.bmHeight, &memDC, 0, 0, SRCCOPY);
    if (pOld)
        memDC.SelectObject(pOld);
}

void CSplashWnd::OnTimer(UINT_PTR nIDEvent) {
    if (nIDEvent == kFollowTimerId) {
        CenterWindow();
        return;
    }
    HideSplash();
}

void CSplashWnd::HideSplash() {
    CWnd* pMain = AfxGetMainWnd();
    if (pMain == this)
        pMain = nullptr;
    // The timer's own tick is running: let it go before the window (and this object) does.
    KillTimer(kTimerId);
    KillTimer(kFollowTimerId);
    DestroyWindow();
    // `this` is gone here.
    if (pMain)
        pMain->UpdateWindow();
}

void CSplashWnd::PostNcDestroy() {
    delete this;
}
