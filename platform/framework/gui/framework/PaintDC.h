#pragma once
// Paint contexts. CPaintDC draws on the window's off-screen bitmap of its client size, which
// reaches the screen in one copy when OnPaint returns. With a client width or height of 0 it
// holds no context: drawing through it does nothing and nothing is copied.
#include "framework/DC.h"

class CWnd;

class CPaintDC : public CDC {
public:
    explicit CPaintDC(CWnd* pWnd);
    ~CPaintDC() override;

private:
    CWnd* m_pWnd;
};

// A context for measuring text with the window's default settings (CWnd::GetDC).
class CClientDC : public CDC {
public:
    explicit CClientDC(CWnd* pWnd);
    ~CClientDC() override;

private:
    HBITMAP m_bitmap = nullptr;
    HGDIOBJ m_old = nullptr;
};
