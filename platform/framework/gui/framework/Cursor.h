#pragma once
// Mouse cursor shapes. The standard shapes are loaded by their IDC_ ids and shown over a
// window: the shape stays while the mouse is over that window (or while it holds the capture)
// until it is set again.
#include "framework/Wnd.h"

struct HCURSOR__;
using HCURSOR = HCURSOR__*;

// Standard cursor ids.
constexpr UINT IDC_ARROW = 32512;
constexpr UINT IDC_IBEAM = 32513;
constexpr UINT IDC_WAIT = 32514;
constexpr UINT IDC_CROSS = 32515;
constexpr UINT IDC_UPARROW = 32516;
constexpr UINT IDC_SIZENWSE = 32642;
constexpr UINT IDC_SIZENESW = 32643;
constexpr UINT IDC_SIZEWE = 32644;
constexpr UINT IDC_SIZENS = 32645;
constexpr UINT IDC_SIZEALL = 32646;
constexpr UINT IDC_NO = 32648;
constexpr UINT IDC_HAND = 32649;

// The shared handle of a standard cursor (never freed); null for any other id.
HCURSOR LoadStandardCursor(UINT nIDCursor);
// The standard id behind a handle; 0 for null.
UINT GetStandardCursorId(HCURSOR hCursor);

// Shows `hCursor` over `pWnd` (null: the default arrow) and returns the shape set before
// (null when none was). Nothing happens for a window that does not exist.
HCURSOR SetWindowCursor(CWnd* pWnd, HCURSOR hCursor);
// The shape last set over `pWnd`, or null.
HCURSOR GetWindowCursor(const CWnd* pWnd);
