#pragma once
// Small helpers shared by the drawing tests: a bitmap-backed context and pixel probes.
#include "gdi/gdi.h"

#include "TestOutput.h"
#include <algorithm>
#include <cstdlib>
#include <string>

class TestSurface {
public:
    TestSurface(int w, int h, COLORREF fill = RGB(0, 0, 0)) : m_w(w), m_h(h) {
        m_dc = CreateCompatibleDC(nullptr);
        m_bmp = CreateCompatibleBitmap(m_dc, w, h);
        m_old = SelectObject(m_dc, m_bmp);
        HBRUSH b = CreateSolidBrush(fill);
        RECT rc{0, 0, w, h};
        FillRect(m_dc, &rc, b);
        DeleteObject(b);
    }
    ~TestSurface() {
        SelectObject(m_dc, m_old);
        DeleteObject(m_bmp);
        DeleteDC(m_dc);
    }
    TestSurface(const TestSurface&) = delete;
    TestSurface& operator=(const TestSurface&) = delete;

    HDC dc() const { return m_dc; }
    HBITMAP bitmap() const { return m_bmp; }
    COLORREF at(int x, int y) const { return GetPixel(m_dc, x, y); }
    // Number of pixels of colour c inside [l, r) x [t, b).
    int Count(COLORREF c, int l, int t, int r, int b) const {
        int n = 0;
        for (int y = t; y < b; ++y)
            for (int x = l; x < r; ++x)
                n += at(x, y) == c ? 1 : 0;
        return n;
    }
    int Count(COLORREF c) const { return Count(c, 0, 0, m_w, m_h); }
    // Bounding box of the pixels of colour c; false when there are none.
    bool Bounds(COLORREF c, RECT* box) const {
        bool any = false;
        for (int y = 0; y < m_h; ++y)
            for (int x = 0; x < m_w; ++x)
                if (at(x, y) == c) {
                    if (!any)
                        *box = {x, y, x, y};
                    any = true;
                    box->left = std::min<LONG>(box->left, x);
                    box->right = std::max<LONG>(box->right, x);
                    box->top = std::min<LONG>(box->top, y);
                    box->bottom = std::max<LONG>(box->bottom, y);
                }
        return any;
    }
    // Writes the picture under the build folder for a person to look at.
    void Save(const std::string& name) const {
        KvSaveDCPng(m_dc, (kvtest::OutputDir() + "/" + name + ".png").c_str());
    }

private:
    int m_w, m_h;
    HDC m_dc = nullptr;
    HBITMAP m_bmp = nullptr;
    HGDIOBJ m_old = nullptr;
};
