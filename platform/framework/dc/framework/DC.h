#pragma once
// The framework's device-context class over the drawing layer. A CDC deletes the context it
// holds when destroyed; Detach() first to keep a context that belongs to someone else.
#include "framework/CString.h"
#include "framework/GdiObject.h"
#include "framework/Geometry.h"
#include "gdi/gdi.h"

#include <map>
#include <memory>

class CDC {
public:
    CDC() = default;
    virtual ~CDC();
    CDC(const CDC&) = delete;
    CDC& operator=(const CDC&) = delete;

    HDC m_hDC = nullptr;       // output context
    HDC m_hAttribDC = nullptr; // attribute context (the same as m_hDC unless shared)
    BOOL m_bPrinting = FALSE;

    HDC GetSafeHdc() const { return m_hDC; }
    operator HDC() const { return m_hDC; }
    BOOL IsPrinting() const { return m_bPrinting; }

    BOOL Attach(HDC hdc);
    HDC Detach();
    BOOL DeleteDC();
    BOOL CreateCompatibleDC(CDC* pDC);
    // A PDF print-to-file context (pages of width x height pixels at dpi); sets m_bPrinting.
    BOOL CreatePrintFileDC(const char* path, int width, int height, int dpi);

    int StartDoc(const DOCINFO* info) { return ::StartDoc(m_hDC, info); }
    int StartPage() { return ::StartPage(m_hDC); }
    int EndPage() { return ::EndPage(m_hDC); }
    int EndDoc() { return ::EndDoc(m_hDC); }
    int AbortDoc() { return ::AbortDoc(m_hDC); }
    int GetDeviceCaps(int index) const { return ::GetDeviceCaps(AttribDC(), index); }

    // Selection returns the object that was selected before (a temporary wrapper when no
    // permanent one owns it), or null on failure.
    CGdiObject* SelectObject(CGdiObject* obj);
    CPen* SelectObject(CPen* pen);
    CBrush* SelectObject(CBrush* brush);
    CFont* SelectObject(CFont* font);
    CBitmap* SelectObject(CBitmap* bitmap);
    CGdiObject* SelectStockObject(int index);

    COLORREF SetTextColor(COLORREF c) { return ::SetTextColor(m_hDC, c); }
    COLORREF GetTextColor() const { return ::GetTextColor(m_hDC); }
    COLORREF SetBkColor(COLORREF c) { return ::SetBkColor(m_hDC, c); }
    COLORREF GetBkColor() const { return ::GetBkColor(m_hDC); }
    int SetBkMode(int mode) { return ::SetBkMode(m_hDC, mode); }
    int GetBkMode() const { return ::GetBkMode(m_hDC); }
    int SetPolyFillMode(int mode) { return ::SetPolyFillMode(m_hDC, mode); }
    int SetMapMode(int mode) { return ::SetMapMode(m_hDC, mode); }
    int GetMapMode() const { return ::GetMapMode(AttribDC()); }

    CPoint SetWindowOrg(int x, int y);
    CPoint SetWindowOrg(POINT p) { return SetWindowOrg(p.x, p.y); }
    CPoint GetWindowOrg() const;
    CPoint SetViewportOrg(int x, int y);
    CPoint GetViewportOrg() const;
    void LPtoDP(POINT* points, int count = 1) const { ::LPtoDP(AttribDC(), points, count); }
    void LPtoDP(RECT* rect) const { ::LPtoDP(AttribDC(), reinterpret_cast<POINT*>(rect), 2); }
    void DPtoLP(POINT* points, int count = 1) const { ::DPtoLP(AttribDC(), points, count); }
    void DPtoLP(RECT* rect) const { ::DPtoLP(AttribDC(), reinterpret_cast<POINT*>(rect), 2); }
    int GetClipBox(RECT* rect) const { return ::GetClipBox(m_hDC, rect); }

    CPoint MoveTo(int x, int y);
    CPoint MoveTo(POINT p) { return MoveTo(p.x, p.y); }
    CPoint GetCurrentPosition() const;
    BOOL LineTo(int x, int y) { return ::LineTo(m_hDC, x, y); }
    BOOL LineTo(POINT p) { return LineTo(p.x, p.y); }
    BOOL Polyline(const POINT* points, int count) { return ::Polyline(m_hDC, points, count); }
    COLORREF SetPixel(int x, int y, COLORREF c) { return ::SetPixel(m_hDC, x, y, c); }
    COLORREF SetPixel(POINT p, COLORREF c) { return SetPixel(p.x, p.y, c); }
    BOOL SetPixelV(int x, int y, COLORREF c) { return ::SetPixelV(m_hDC, x, y, c); }
    COLORREF GetPixel(int x, int y) const { return ::GetPixel(m_hDC, x, y); }
    COLORREF GetPixel(POINT p) const { return GetPixel(p.x, p.y); }

    BOOL Rectangle(int l, int t, int r, int b) { return ::Rectangle(m_hDC, l, t, r, b); }
    BOOL Rectangle(const RECT* rc) {
        return rc ? Rectangle(rc->left, rc->top, rc->right, rc->bottom) : FALSE;
    }
    void FillRect(const RECT* rc, CBrush* brush);
    // Fills with a colour; the context's background colour becomes that colour.
    void FillSolidRect(const RECT* rc, COLORREF c);
    void FillSolidRect(int x, int y, int cx, int cy, COLORREF c);
    BOOL Ellipse(int l, int t, int r, int b) { return ::Ellipse(m_hDC, l, t, r, b); }
    BOOL Ellipse(const RECT* rc) { return rc ? Ellipse(rc->left, rc->top, rc->right, rc->bottom) : FALSE; }
    BOOL Arc(int l, int t, int r, int b, int x1, int y1, int x2, int y2) {
        return ::Arc(m_hDC, l, t, r, b, x1, y1, x2, y2);
    }
    BOOL Arc(const RECT* rc, POINT s, POINT e) {
        return rc ? Arc(rc->left, rc->top, rc->right, rc->bottom, s.x, s.y, e.x, e.y) : FALSE;
    }
    BOOL Pie(int l, int t, int r, int b, int x1, int y1, int x2, int y2) {
        return ::Pie(m_hDC, l, t, r, b, x1, y1, x2, y2);
    }
    BOOL Pie(const RECT* rc, POINT s, POINT e) {
        return rc ? Pie(rc->left, rc->top, rc->right, rc->bottom, s.x, s.y, e.x, e.y) : FALSE;
    }
    BOOL Chord(int l, int t, int r, int b, int x1, int y1, int x2, int y2) {
        return ::Chord(m_hDC, l, t, r, b, x1, y1, x2, y2);
    }
    BOOL Chord(const RECT* rc, POINT s, POINT e) {
        return rc ? Chord(rc->left, rc->top, rc->right, rc->bottom, s.x, s.y, e.x, e.y) : FALSE;
    }
    BOOL Polygon(const POINT* points, int count) { return ::Polygon(m_hDC, points, count); }
    // The frame that marks the control with the keyboard focus: a one-pixel dotted outline
    // just inside the rectangle (right and bottom excluded), its dots alternately black and
    // white so that it shows on any colour.
    void DrawFocusRect(const RECT* rc);
    BOOL FillRgn(CRgn* rgn, CBrush* brush);
    BOOL PaintRgn(CRgn* rgn);

    BOOL TextOut(int x, int y, const CString& text) { return TextOut(x, y, text, text.GetLength()); }
    BOOL TextOut(int x, int y, const char* text, int count) { return ::TextOut(m_hDC, x, y, text, count); }
    BOOL ExtTextOut(int x, int y, UINT options, const RECT* rc, const CString& text,
                    const int* dx = nullptr) {
        return ::ExtTextOut(m_hDC, x, y, options, rc, text, static_cast<UINT>(text.GetLength()), dx);
    }
    int DrawText(const CString& text, RECT* rc, UINT format) {
        return DrawText(text, text.GetLength(), rc, format);
    }
    int DrawText(const char* text, int count, RECT* rc, UINT format) {
        return ::DrawText(m_hDC, text, count, rc, format);
    }
    CSize GetTextExtent(const CString& text) const { return GetTextExtent(text, text.GetLength()); }
    CSize GetTextExtent(const char* text, int count) const;

    BOOL BitBlt(int x, int y, int w, int h, CDC* src, int xs, int ys, DWORD rop);
    BOOL StretchBlt(int x, int y, int w, int h, CDC* src, int xs, int ys, int ws, int hs, DWORD rop);

private:
    HDC AttribDC() const { return m_hAttribDC ? m_hAttribDC : m_hDC; }
    template <class T> T* Wrap(HGDIOBJ handle);

    std::map<HGDIOBJ, std::unique_ptr<CGdiObject>> m_temporaries;
};
