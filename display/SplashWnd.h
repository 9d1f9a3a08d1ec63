#pragma once
// The start-up window: bitmap 235 in the middle of the main window for 750 ms. At most one
// exists at a time, and only when enabled. The window object deletes itself when its window
// is destroyed.
#include <functional>
#include <string>
#include <vector>

#include "framework/DC.h"
#include "framework/Wnd.h"

class CSplashWnd : public CWnd {
public:
    static constexpr UINT kBitmapId = 235;
    static constexpr UINT_PTR kTimerId = 1;
    static constexpr UINT kShowMs = 750;
    // While it shows, the splash keeps itself centred over its owner, which the window manager
    // may still be placing.
    static constexpr UINT_PTR kFollowTimerId = 2;
    static constexpr UINT kFollowMs = 20;
    // Popup, visible, border, thick frame.
    static constexpr DWORD kStyle = 0x90840000;

    // Fills `bitmap` with bitmap resource nID; FALSE when there is no such bitmap.
    using BitmapLoader = std::function<BOOL(UINT nID, CBitmap& bitmap)>;

    ~CSplashWnd() override;

    // Class-wide switch; the splash is shown unless it has been switched off.
    static void EnableSplash(BOOL bEnable);
    static BOOL IsSplashEnabled() { return c_bShowSplashWnd; }
    // The splash switch of a command line: off when "--nosplash" is among the arguments.
    static BOOL SplashFlagFromArgs(const std::vector<std::string>& args);
    // Where the splash bitmap comes from (the program's resources).
    static void SetBitmapLoader(BitmapLoader loader);
    // Shows the splash over `pParentWnd` unless switched off or already showing.
    static void ShowSplash(CWnd* pParentWnd);
    // Offered every message before it is dispatched; never consumes one.
    static BOOL FilterAppMessage(MSG* pMsg);
    // The splash window now showing, or null.
    static CSplashWnd* GetInstance() { return c_pSplashWnd; }

    BOOL CreateSplashWindow(CWnd* pParentWnd);
    // Destroys the window (and with it this object), then updates the main window.
    void HideSplash();

    BOOL PreCreateWindow(CREATESTRUCT& cs) override;
    int OnCreate(LPCREATESTRUCT lpCreateStruct) override;
    void OnPaint() override;
    void OnTimer(UINT_PTR nIDEvent) override;
    void PostNcDestroy() override;

    const CBitmap& GetBitmap() const { return m_bitmap; }

private:
    CSplashWnd() = default;

    CBitmap m_bitmap;

    static CSplashWnd* c_pSplashWnd;
    static BOOL c_bShowSplashWnd;
    static BitmapLoader c_loader;
};
