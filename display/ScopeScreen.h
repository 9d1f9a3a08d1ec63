#pragma once
// The instrument's screen: a black plot area framed by dark-grey margins with the 10 x 8
// division graticule, the traces of CH1, CH2, MATH and REF (or the X-Y plot), persistence
// frames, the FFT trace, the pass/fail mask shading, the measurement texts, the averaging
// label and, in full-screen mode, the channel labels. Everything is read from the document;
// nothing in it is changed while drawing.
//
// The drawing methods take any device context and a client rectangle, so the picture can be
// painted into a window's off-screen buffer, a printer context or a plain memory context.
#include <cstdint>
#include <functional>

#include "OffScreenBuffer.h"
#include "framework/DC.h"
#include "framework/Geometry.h"
#include "system/wintypes.h"

class CKelvaneDoc;

class CScopeScreen {
public:
    static constexpr int kTraceCh1 = 0;
    static constexpr int kTraceCh2 = 1;
    static constexpr int kTraceMath = 2;
    static constexpr int kTraceRef = 3;

    static constexpr std::int16_t kMarginX = 21; // left and right border width in window mode
    static constexpr std::int16_t kMarginY = 14; // top and bottom border width in window mode
    static constexpr COLORREF kBandColor = RGB(50, 50, 50);
    static constexpr COLORREF kOutlineColor = RGB(255, 255, 255);
    static constexpr COLORREF kFftColor = RGB(128, 0, 255);
    static constexpr COLORREF kXYColor = RGB(0, 255, 255);
    static constexpr COLORREF kAverageLabelColor = RGB(225, 0, 225);
    static constexpr int kTextAverage = 1108;   // "Average"
    static constexpr int kTextCh1Label = 80200; // "CH1"
    static constexpr int kTextCh2Label = 80201; // "CH2"

    CScopeScreen();
    virtual ~CScopeScreen() = default;
    CScopeScreen(const CScopeScreen&) = delete;
    CScopeScreen& operator=(const CScopeScreen&) = delete;

    // --- Wiring ------------------------------------------------------------------------------
    void SetDocument(CKelvaneDoc* pDoc) { m_pDoc = pDoc; }
    CKelvaneDoc* GetDocument() const { return m_pDoc; }
    // The main frame's full-screen flag, read at every paint (no query: window mode).
    void SetFullScreenQuery(std::function<bool()> query) { m_fullScreen = std::move(query); }
    bool IsFullScreen() const { return m_fullScreen && m_fullScreen(); }
    // Called where the window must be repainted (the window glue invalidates it).
    void SetInvalidateHandler(std::function<void()> handler) { m_invalidate = std::move(handler); }

    // --- Display settings ----------------------------------------------------------------------
    // Every default of the display settings; clears the cursor pair, the button-down flag and
    // the level line.
    void ResetDisplaySettings();
    void SetGridOn(std::int32_t on);
    std::int32_t IsGridOn() const { return m_bGrid; }
    // Values above 255 are stored as 255, negative values as 0.
    void SetGridIntensity(int value);
    std::int16_t GetGridIntensity() const { return m_nGridIntensity; }
    void SetWaveformIntensity(int value);
    std::int16_t GetWaveformIntensity() const { return m_nWaveIntensity; }
    // Stored without repainting (the view sets it when leaving full-screen mode).
    void SetBorderOn(std::int32_t on) { m_bBorder = on; }
    std::int32_t IsBorderOn() const { return m_bBorder; }
    void SetDotMode(std::int16_t mode) { m_nDotMode = mode; }
    std::int16_t GetDotMode() const { return m_nDotMode; }
    void SetLabelsOn(std::int32_t on) { m_bLabels = on; }
    std::int32_t IsLabelsOn() const { return m_bLabels; }
    std::int16_t GetMarginX() const { return m_nMarginX; }
    std::int16_t GetMarginY() const { return m_nMarginY; }

    CRect GetScreenRect() const { return m_rcClient; }
    CRect GetPlotRect() const { return m_rcPlot; }
    // Colour of CH2 for 1, MATH for 2, CH1 for any other value (black without a document).
    COLORREF GetChannelColor(int index) const;

    // --- Window glue -----------------------------------------------------------------------------
    // One paint: a memory context over `pTarget` for the client rectangle, the persistent
    // off-screen pair made when missing, the picture drawn into it and copied out in one
    // transfer. A 0-sized client paints nothing.
    void Paint(CDC* pTarget, const CRect& client);
    // A size change: the cursor pair is dropped and the persistent pair is rebuilt at the next
    // paint with the new size.
    void OnSize(int cx, int cy);

    // --- Drawing -----------------------------------------------------------------------------------
    // The whole picture in paint order. Nothing is drawn for a null context or an empty client.
    void DrawScreen(CDC* pDC, const CRect& client);
    // Margins (0/0 in full-screen mode, else 21/14) and the plot rectangle from the client
    // rectangle; with the border off the plot is the whole client.
    void CalcPlotRect();
    // The graticule on any rectangle with the context's current pen; dots in colour c.
    void DrawGraticuleInRect(CDC* pDC, int left, int top, int right, int bottom, COLORREF c);
    // One 500-point trace (index 0 CH1, 1 CH2, 2 MATH, 3 REF) with its persistence records.
    void DrawWaveform(CDC* pDC, const std::int16_t* points, int index);
    void DrawFftTrace(CDC* pDC);
    void DrawXYPlot(CDC* pDC);
    void DrawMask(CDC* pDC);
    void DrawMeasurements(CDC* pDC);
    void DrawAverageLabel(CDC* pDC);
    void DrawChannelLabels(CDC* pDC);

    // Pointer, cursor and level-line layers of the paint order; drawn by the marker and cursor
    // code of the panel.
    void DrawMarkers(CDC* pDC);
    void DrawCursors(CDC* pDC);
    void DrawTriggerLevelLine(CDC* pDC);

private:
    static bool Usable(CDC* pDC) { return pDC && pDC->GetSafeHdc(); }
    void DrawBorder(CDC* pDC);
    void DrawGrid(CDC* pDC);
    void DrawOutline(CDC* pDC);
    void DrawTraces(CDC* pDC);
    // Colour with red, green and blue scaled by the waveform intensity.
    COLORREF ScaledColor(COLORREF color) const;
    void Invalidate() const {
        if (m_invalidate)
            m_invalidate();
    }

    std::int16_t m_nTrigPosState = 3;
    std::int32_t m_bFirstDragEvent = 1;
    float m_fDragAnchorX = 0.0f;
    float m_fDragAnchorY = 0.0f;
    std::int32_t m_bLabels = 1;
    std::int32_t m_bCursorPair = 0;
    CKelvaneDoc* m_pDoc = nullptr;
    CRect m_rcClient{0, 0, 0, 0};
    COffScreenBuffer m_buffer;
    std::int16_t m_nSelectedMarker = 1;
    std::int16_t m_nMarginX = kMarginX;
    std::int16_t m_nMarginY = kMarginY;
    std::int16_t m_nGridIntensity = 200;
    std::int16_t m_nWaveIntensity = 255;
    std::int16_t m_nCursorMode = 0;
    std::int16_t m_nDotMode = 0;
    std::int16_t m_nCursorSource = 0;
    std::int16_t m_nDragCounter = 0;
    std::int32_t m_bBorder = 1;
    std::int32_t m_bGrid = 1;
    std::int32_t m_bLevelLine = 0;
    CRect m_rcPlot{0, 0, 0, 0};
    std::int32_t m_bButtonDown = 0;
    std::int32_t m_bFirstCursorClick = 1;
    CPoint m_ptCursorA{0, 0};
    CPoint m_ptCursorB{0, 0};
    CPoint m_ptLastMouse{0, 0};

    std::function<bool()> m_fullScreen;
    std::function<void()> m_invalidate;
};
