#pragma once
// CWnd: a window over a Qt widget. Qt events arrive as the framework's virtual handlers;
// command ids and control notifications are routed through the command maps.
#include "framework/CString.h"
#include "framework/CmdTarget.h"
#include "framework/Geometry.h"
#include "framework/WinDef.h"

#include <functional>
#include <memory>

class QWidget;
class CDC;
class CMenu;
class CFrameWnd;
class CDataExchange;
struct DRAWITEMSTRUCT;

struct CREATESTRUCT {
    HMENU hMenu = nullptr;
    CWnd* hwndParent = nullptr;
    int cy = 0;
    int cx = 0;
    int y = 0;
    int x = 0;
    DWORD style = 0;
    const char* lpszName = nullptr;
    const char* lpszClass = nullptr;
    DWORD dwExStyle = 0;
};
using LPCREATESTRUCT = CREATESTRUCT*;

constexpr WPARAM MAKEWPARAM(UINT low, UINT high) {
    return static_cast<WPARAM>((low & 0xFFFF) | ((high & 0xFFFF) << 16));
}
constexpr UINT LOWORD(WPARAM w) {
    return static_cast<UINT>(w & 0xFFFF);
}
constexpr UINT HIWORD(WPARAM w) {
    return static_cast<UINT>((w >> 16) & 0xFFFF);
}

class CWnd : public CCmdTarget {
public:
    CWnd();
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;
    ~CWnd() override;

    // The Qt widget behind the window, or nullptr before creation and after destruction.
    QWidget* GetWidget() const;
    HWND GetSafeHwnd() const;
    // The CWnd attached to a widget, or nullptr.
    static CWnd* FromWidget(const QWidget* widget);

    // Creates a plain (custom-drawn) window; a null parent makes a top-level window.
    virtual BOOL Create(const char* lpszClassName, const char* lpszWindowName, DWORD dwStyle,
                        const RECT& rect, CWnd* pParentWnd, UINT nID);
    // Attaches this object to a widget made elsewhere (dialog controls); the widget's owner
    // keeps ownership. A plain window made by a dialog template forwards all its events here.
    BOOL SubclassWindow(QWidget* widget);
    BOOL SubclassDlgItem(UINT nID, CWnd* pParent);
    QWidget* UnsubclassWindow();
    virtual BOOL DestroyWindow();

    int GetDlgCtrlID() const { return static_cast<int>(m_nID); }
    void SetDlgCtrlID(int nID) { m_nID = static_cast<UINT>(nID); }
    CWnd* GetParent() const;
    CWnd* GetTopLevelParent() const;
    CFrameWnd* GetParentFrame() const;
    // The window of control nID among this window's descendants; controls without a CWnd of
    // their own get one that lives as long as their widget.
    CWnd* GetDlgItem(int nID) const;

    void SetWindowText(const char* lpszString);
    void GetWindowText(CString& rString) const;
    int GetWindowTextLength() const;
    void SetDlgItemText(int nID, const char* lpszString);
    int GetDlgItemText(int nID, CString& rString) const;
    void SetDlgItemInt(int nID, int nValue, BOOL bSigned = TRUE);
    UINT GetDlgItemInt(int nID, BOOL* lpTrans = nullptr, BOOL bSigned = TRUE) const;
    void CheckDlgButton(int nIDButton, UINT nCheck);
    UINT IsDlgButtonChecked(int nIDButton) const;
    void CheckRadioButton(int nIDFirstButton, int nIDLastButton, int nIDCheckButton);

    void MoveWindow(int x, int y, int nWidth, int nHeight, BOOL bRepaint = TRUE);
    void MoveWindow(const RECT* lpRect, BOOL bRepaint = TRUE);
    BOOL ShowWindow(int nCmdShow);
    BOOL IsWindowVisible() const;
    BOOL EnableWindow(BOOL bEnable = TRUE);
    BOOL IsWindowEnabled() const;
    BOOL IsZoomed() const;
    BOOL IsIconic() const;
    void GetClientRect(RECT* lpRect) const;
    void GetWindowRect(RECT* lpRect) const;
    void ClientToScreen(POINT* lpPoint) const;
    void ScreenToClient(POINT* lpPoint) const;
    void CenterWindow(CWnd* pAlternateOwner = nullptr);
    CWnd* SetFocus();
    // The window that holds the keyboard focus (a control made by a dialog template without an
    // object of its own gets a temporary one, as GetDlgItem does), or nullptr.
    static CWnd* GetFocus();

    DWORD GetStyle() const { return m_dwStyle; }
    DWORD GetExStyle() const { return m_dwExStyle; }
    // WS_CAPTION on a top-level window shows or removes its title bar; other bits are kept
    // for the caller to read back. A top-level window without a caption that is maximised
    // covers the whole screen: it is shown in the window system's full-screen state, which
    // keeps the window (and the keyboard focus in it) and gives its old placement back.
    BOOL ModifyStyle(DWORD dwRemove, DWORD dwAdd, UINT nFlags = 0);
    BOOL ModifyStyleEx(DWORD dwRemove, DWORD dwAdd, UINT nFlags = 0);

    void Invalidate(BOOL bErase = TRUE);
    void InvalidateRect(const RECT* lpRect, BOOL bErase = TRUE);
    // Paints pending invalid areas at once.
    void UpdateWindow();

    // Starts (or restarts) timer nIDEvent; OnTimer(nIDEvent) runs every nElapse ms.
    UINT_PTR SetTimer(UINT_PTR nIDEvent, UINT nElapse, void* lpfnTimer = nullptr);
    BOOL KillTimer(UINT_PTR nIDEvent);

    // All mouse input goes to this window until ReleaseCapture.
    CWnd* SetCapture();
    static CWnd* GetCapture();

    // A context for measuring text; give it back with ReleaseDC.
    CDC* GetDC();
    int ReleaseDC(CDC* pDC);

    int MessageBox(const char* lpszText, const char* lpszCaption = nullptr, UINT nType = MB_OK);

    BOOL GetWindowPlacement(WINDOWPLACEMENT* lpwndpl) const;
    BOOL SetWindowPlacement(const WINDOWPLACEMENT* lpwndpl);

    // The menu bar of a top-level window. The window only refers to the menu: the caller
    // keeps the menu handle alive and destroys it.
    CMenu* GetMenu() const;
    BOOL SetMenu(CMenu* pMenu);
    void DrawMenuBar();

    // WM_CLOSE and WM_COMMAND; posted messages run once control returns to the event loop.
    // SendMessage also takes BM_CLICK: a click of the left button on the window.
    BOOL PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);

    // Message-map entries for control notifications (ON_CONTROL, ON_BN_CLICKED, ON_EN_CHANGE,
    // ON_CBN_SELCHANGE, ...) and for WM_NOTIFY codes (ON_NOTIFY).
    void OnControl(UINT nCode, UINT nID, std::function<void()> handler);
    void OnNotifyCode(UINT nCode, UINT nID, std::function<void(NMHDR*, LRESULT*)> handler);

    // Runs a command as a menu item, accelerator or toolbar button does: unless the update
    // handler disables it, the command goes through OnCommand.
    BOOL ExecuteCommand(UINT nID);
    // Whether a command handler for nID is reachable from this window; items without one
    // are shown disabled.
    virtual BOOL IsCommandHandled(UINT nID);

    // Data exchange between member variables and the window's controls: TRUE reads the
    // controls (and reports a bad entry in a message box unless bReportErrors is FALSE),
    // FALSE writes them. Returns FALSE when an entry could not be read.
    BOOL UpdateData(BOOL bSaveAndValidate = TRUE, BOOL bReportErrors = TRUE);
    virtual void DoDataExchange(CDataExchange* pDX);

    // Handlers.
    virtual BOOL PreCreateWindow(CREATESTRUCT& cs);
    virtual int OnCreate(LPCREATESTRUCT lpCreateStruct);
    virtual void OnDestroy();
    virtual void PostNcDestroy();
    virtual void PreSubclassWindow();
    virtual BOOL PreTranslateMessage(MSG* pMsg);
    virtual BOOL OnCommand(WPARAM wParam, LPARAM lParam);
    virtual BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult);
    // Without an override, nothing is painted by this window beyond the default.
    virtual void OnPaint();
    virtual BOOL OnEraseBkgnd(CDC* pDC);
    virtual void OnSize(UINT nType, int cx, int cy);
    virtual void OnGetMinMaxInfo(MINMAXINFO* lpMMI);
    virtual void OnLButtonDown(UINT nFlags, CPoint point);
    virtual void OnLButtonUp(UINT nFlags, CPoint point);
    virtual void OnLButtonDblClk(UINT nFlags, CPoint point);
    virtual void OnRButtonDown(UINT nFlags, CPoint point);
    virtual void OnRButtonUp(UINT nFlags, CPoint point);
    virtual void OnMouseMove(UINT nFlags, CPoint point);
    virtual void OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags);
    virtual void OnKeyUp(UINT nChar, UINT nRepCnt, UINT nFlags);
    // The keys this window uses while it has the focus (DLGC_ flags); none by default.
    virtual UINT OnGetDlgCode();
    virtual void OnTimer(UINT_PTR nIDEvent);
    virtual void OnClose();
    virtual void OnContextMenu(CWnd* pWnd, CPoint pos);
    // Before a popup of this window's menu opens: updates its items through the command
    // routing (CCmdUI), then the popup is shown from the menu model.
    virtual void OnInitMenuPopup(CMenu* pPopupMenu, UINT nIndex, BOOL bSysMenu);
    // Owner-drawn menu items: the default passes them to the menu object attached to the
    // item's menu handle.
    virtual void OnMeasureItem(int nIDCtl, MEASUREITEMSTRUCT* lpMeasureItemStruct);
    virtual void OnDrawItem(int nIDCtl, DRAWITEMSTRUCT* lpDrawItemStruct);

    // The framework's part of the plumbing; not for handlers.
    struct Impl;
    Impl* GetImpl() const { return m_pImpl.get(); }
    void AttachWidget(QWidget* widget, bool owns);
    bool m_bPaintDefault = false;

protected:
    // Command-map entries keep their names next to the OnCommand handler.
    using CCmdTarget::OnCommand;
    // Makes the Qt widget for Create.
    virtual QWidget* CreateWidget(QWidget* parent);
    DWORD m_dwStyle = 0;
    DWORD m_dwExStyle = 0;
    UINT m_nID = 0;

private:
    // Gives a top-level window the frame WS_CAPTION asks for (not while it covers the screen).
    void ApplyCaptionStyle();
    std::unique_ptr<Impl> m_pImpl;
};

// Ends mouse capture.
BOOL ReleaseCapture();
// Whether hWnd is a window that exists (created and not destroyed).
BOOL IsWindow(HWND hWnd);
// Title-bar height and sizing-border width (SM_ values) in pixels.
int GetSystemMetrics(int nIndex);
// What the window system's frame adds to a window's size: both sizing borders across, the
// title bar and both borders down.
SIZE WindowFrameAllowance();
// SPI_GETWORKAREA: the primary screen's area not taken by the desktop's panels, into pvParam
// (a RECT).
BOOL SystemParametersInfo(UINT uiAction, UINT uiParam, void* pvParam, UINT fWinIni);
