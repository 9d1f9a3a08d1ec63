#pragma once
// A memory device context with a black bitmap for drawing tests, read back pixel by pixel and
// saved as a PNG under the build folder for a person to look at.
#include <cstdlib>
#include <string>

#include "TestOutput.h"
#include "gdi/gdi.h"

class Canvas {
public:
    Canvas(int width, int height)
        : m_dc(CreateCompatibleDC(nullptr)), m_bitmap(CreateCompatibleBitmap(m_dc, width, height)) {
        m_previous = SelectObject(m_dc, m_bitmap);
    }
    ~Canvas() {
        SelectObject(m_dc, m_previous);
        DeleteObject(m_bitmap);
        DeleteDC(m_dc);
    }
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    HDC dc() const { return m_dc; }
    COLORREF At(int x, int y) const { return GetPixel(m_dc, x, y); }
    // Pixels of one colour inside [x0, x1) x [y0, y1).
    int Count(COLORREF colour, int x0, int y0, int x1, int y1) const {
        int n = 0;
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x)
                n += At(x, y) == colour ? 1 : 0;
        return n;
    }
    int CountNot(COLORREF colour, int x0, int y0, int x1, int y1) const {
        return (x1 - x0) * (y1 - y0) - Count(colour, x0, y0, x1, y1);
    }
    void Save(const std::string& name) const {
        KvSaveDCPng(m_dc, (kvtest::OutputDir() + "/" + name + ".png").c_str());
    }

private:
    HDC m_dc;
    HBITMAP m_bitmap;
    HGDIOBJ m_previous = nullptr;
};

constexpr COLORREF kBlack = RGB(0, 0, 0);
