#pragma once
// Base of the frame's toolbar and status bar.
#include "framework/Wnd.h"

constexpr UINT AFX_IDW_TOOLBAR = 0xE800;    // 59392
constexpr UINT AFX_IDW_STATUS_BAR = 0xE801; // 59393
constexpr UINT AFX_IDW_PANE_FIRST = 0xE900;
constexpr DWORD CBRS_ALIGN_TOP = 0x1000;
constexpr DWORD CBRS_ALIGN_BOTTOM = 0x4000;
constexpr DWORD CBRS_BORDER_BOTTOM = 0x0800;
constexpr DWORD CBRS_TOOLTIPS = 0x0010;
constexpr DWORD CBRS_FLYBY = 0x0020;
constexpr DWORD CBRS_SIZE_DYNAMIC = 0x0040;
constexpr DWORD CBRS_TOP = CBRS_ALIGN_TOP | CBRS_BORDER_BOTTOM;
constexpr DWORD CBRS_BOTTOM = CBRS_ALIGN_BOTTOM;
constexpr DWORD CBRS_GRIPPER = 0x00400000;
constexpr DWORD TBSTYLE_FLAT = 0x0800;

class CControlBar : public CWnd {};
