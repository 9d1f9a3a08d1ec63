#pragma once
// A memory context over a bitmap for drawing a window's picture and reading pixels back.
#include "framework/DC.h"

#include "TestOutput.h"
#include <algorithm>
#include <cstdlib>
#include <string>

struct PixelSurface {
    CDC dc;
    CBitmap bmp;
    CBitmap* old = nullptr;
    int w;
    int h;

    PixelSurface(int width, int height) : w(width), h(height) {
        dc.CreateCompatibleDC(nullptr);
        bmp.CreateCompatibleBitmap(&dc, w, h);
        old = dc.SelectObject(&bmp);
    }
    ~PixelSurface() { dc.SelectObject(old); }
    PixelSurface(const PixelSurface&) = delete;
    PixelSurface& operator=(const PixelSurface&) = delete;

    COLORREF At(int x, int y) const { return dc.GetPixel(x, y); }
    // Pixels of colour c in [l, r) x [t, b).
    int Count(COLORREF c, int l, int t, int r, int b) const {
        int n = 0;
        for (int y = std::max(t, 0); y < std::min(b, h); ++y)
            for (int x = std::max(l, 0); x < std::min(r, w); ++x)
                n += dc.GetPixel(x, y) == c;
        return n;
    }
    int Count(COLORREF c) const { return Count(c, 0, 0, w, h); }
    // Pixels in [l, r) x [t, b) that are not colour c.
    int CountOther(COLORREF c, int l, int t, int r, int b) const {
        return (std::min(r, w) - std::max(l, 0)) * (std::min(b, h) - std::max(t, 0)) - Count(c, l, t, r, b);
    }
    void Fill(COLORREF c) {
        RECT rc{0, 0, w, h};
        dc.FillSolidRect(&rc, c);
    }
    // Writes the picture under the build folder for a person to look at.
    void Save(const std::string& name) const {
        KvSaveDCPng(dc.GetSafeHdc(), (kvtest::OutputDir() + "/" + name + ".png").c_str());
    }
};
