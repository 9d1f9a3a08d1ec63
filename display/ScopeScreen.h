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
#include <utility>

#include "OffScreenBuffer.h"
#include "framework/CString.h"
#include "framework/DC.h"
#include "framework/Geometry.h"
#include "system/wintypes.h"

class CKelvaneDoc;
class CTrace;

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

    // ==== Pointers and mouse dragging (bodies in ScopeScreenMarkers.cpp) ====
    // The pointers in the order of their points and hit rectangles.
    enum Marker : int {
        kMarkerTrigPos,
        kMarkerXY,
        kMarkerCh1Zero,
        kMarkerCh2Zero,
        kMarkerRef,
        kMarkerMath,
        kMarkerCh1Level,
        kMarkerCh2Level,
        kMarkerExtLevel,
        kMarkerCount
    };
    struct MarkerPoint {
        float x = 0.0f;
        float y = 0.0f;
    };
    // Mouse cursor resources the panel shows.
    static constexpr int kCursorPositionPointer = 170;
    static constexpr int kCursorPointer = 173;
    static constexpr int kCursorCross = 192;
    static constexpr int kCursorZoomIn = 209;
    static constexpr int kCursorZoomOut = 210;
    static constexpr int kCursorDrag = 213;
    static constexpr COLORREF kTrigPosColor = RGB(250, 170, 100);
    static constexpr COLORREF kExtLevelColor = RGB(255, 0, 255);

    // Window services the hosting window provides: mouse capture (true takes it, false
    // releases it) and the mouse cursor by resource id. Without them nothing happens.
    void SetCaptureHandler(std::function<void(bool)> handler) { m_capture = std::move(handler); }
    void SetCursorHandler(std::function<void(int)> handler) { m_setCursor = std::move(handler); }

    // Mouse messages of the panel (the hosting window forwards them). Off in full-screen mode.
    void OnLButtonDown(UINT nFlags, CPoint point);
    void OnMouseMove(UINT nFlags, CPoint point);
    void OnLButtonUp(UINT nFlags, CPoint point);

    // Every pointer from the document; the view and the side panel call it after a change.
    void UpdateMarkerPositions();
    // Moves the trigger source's level pointer with a moved zero of channel 0 (CH1) or 1 (CH2).
    void FollowTriggerLevel(int channel);
    // The levels in volts of CH1, CH2 and the external input, recomputed from the document, on
    // the screen's vertical scale (the external input keeps its own 32 codes per volt).
    void UpdateTriggerLevelVolts();
    // The level offset of the current source: level pointer y minus the channel's zero y.
    void UpdateTriggerLevelOffset();
    // The Drag tool's anchor returns to the trigger-position pointer (Roll: the right edge).
    void ResetDragAnchor();
    // Right click with a zoom tool: Zoom In steps slower, Zoom Out faster; no plot test.
    void ZoomToolRightClick();
    void ShowTriggerLevelLine(std::int32_t on);
    std::int32_t IsTriggerLevelLineOn() const { return m_bLevelLine; }

    // Single pointers: store the point and the hit rectangle and invalidate.
    void SetTriggerPosMarker(float x, float y);
    void SetXYCh1Marker(float x, float y);
    void SetCh1ZeroMarker(float x, float y);
    void SetCh2ZeroMarker(float x, float y);
    void SetRefMarker(float x, float y);
    void SetMathMarker(float x, float y);
    void SetCh1TriggerLevelMarker(float x, float y);
    void SetCh2TriggerLevelMarker(float x, float y);
    void SetExtTriggerLevelMarker(float x, float y);
    // The level pointer of the current trigger source (ALT: the one being dragged).
    void SetTriggerLevelMarker(float x, float y);

    MarkerPoint GetMarkerPoint(Marker marker) const;
    CRect GetMarkerRect(Marker marker) const;
    std::int16_t GetSelectedMarker() const { return m_nSelectedMarker; }
    std::int16_t GetTrigPosState() const { return m_nTrigPosState; }
    // 0 pinned at the left edge, 1 pinned at the right edge, 3 inside (Horizontal Centre sets 3).
    void SetTrigPosState(std::int16_t state) { m_nTrigPosState = state; }
    MarkerPoint GetDragAnchor() const { return MarkerPoint{m_fDragAnchorX, m_fDragAnchorY}; }
    // Whether the mouse is over the plot in a tool or cursor mode.
    std::int32_t IsInPlot() const { return m_bInPlot; }
    // Whether any pointer is grabbed (its drag flag set).
    bool IsDraggingMarker() const;
    // ==== End of pointers and dragging ====

    // ==== Cursors and readouts (bodies in ScopeScreenCursors.cpp) ====
    static constexpr COLORREF kCursorColor = RGB(0, 200, 255);
    static constexpr std::int16_t kCursorSourceFft = 6;
    // 0 none, 1 cross-hairs, 2 trace marker, 3 vertical (time), 4 horizontal (voltage).
    // Changing the mode hides the pair until the next press.
    void SetCursorMode(std::int16_t mode);
    std::int16_t GetCursorMode() const { return m_nCursorMode; }
    // 0 CH1, 1 CH2, 2 MATH, 6 FFT.
    void SetCursorSource(std::int16_t source) { m_nCursorSource = source; }
    std::int16_t GetCursorSource() const { return m_nCursorSource; }
    std::int32_t IsCursorPairPlaced() const { return m_bCursorPair; }
    CPoint GetCursorA() const { return m_ptCursorA; }
    CPoint GetCursorB() const { return m_ptCursorB; }

    // Readout texts from the stored cursor points.
    CString FormatCursorFreq() const;
    CString FormatCursorTime() const;
    CString FormatCursorVolt() const;
    CString FormatVoltAtCursor() const;
    CString FormatFftCursorFreq() const;
    CString FormatFftCursorLevel() const;
    // The texts of the status bar's three readout panes for the current source and mode.
    void GetReadoutPanes(CString& pane1, CString& pane2, CString& pane3) const;
    // ==== End of cursors ====

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

    // Marker and drag steps of the mouse messages.
    void HitTestMarkers(CPoint point);
    void TrackPlotArea(CPoint point);
    void DragTriggerPosition(CPoint point);
    void DragMarker(CPoint point);
    void ZoomToolClick();
    void SetTriggerLevel(float level);
    void AfterZoomStep();
    void DrawPointer(CDC* pDC, Marker marker);
    void DrawFullScreenPointer(CDC* pDC, Marker marker);
    void DrawLevelPointer(CDC* pDC, Marker marker);
    void CapturePointer(int cursor);
    void Capture(bool take) const {
        if (m_capture)
            m_capture(take);
    }
    void ShowCursor(int id) const {
        if (m_setCursor)
            m_setCursor(id);
    }
    MarkerPoint& PointOf(Marker marker);
    CRect& RectOf(Marker marker);
    int LevelSourceOfMarker(Marker marker) const;
    // Which level the current source drags or shows: CH1, CH2 or EXT level marker; ALT picks
    // by the grabbed flags; kMarkerCount when none applies.
    Marker CurrentLevelMarker() const;

    // Cursor helpers.
    double CursorDeltaTime() const;
    // Trace point index under cursor B (0..499), or -1 when B lies beyond the plot.
    int CursorTraceIndex() const;
    // Spectrum point under cursor B, always inside the points shown.
    int CursorFftIndex() const;
    const CTrace* CursorSourceTrace() const;

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

    // Pointer points and hit rectangles, in the order of Marker.
    MarkerPoint m_ptTrigPos, m_ptXYPointer, m_ptCh1Zero, m_ptCh2Zero, m_ptRef, m_ptMath;
    MarkerPoint m_ptCh1Level, m_ptCh2Level, m_ptExtLevel;
    CRect m_rcTrigPos{0, 0, 0, 0}, m_rcXYPointer{0, 0, 0, 0}, m_rcCh1Zero{0, 0, 0, 0},
        m_rcCh2Zero{0, 0, 0, 0};
    CRect m_rcRef{0, 0, 0, 0}, m_rcMath{0, 0, 0, 0}, m_rcCh1Level{0, 0, 0, 0}, m_rcCh2Level{0, 0, 0, 0};
    CRect m_rcExtLevel{0, 0, 0, 0};
    std::int32_t m_bDragTrigPos = 0;
    std::int32_t m_bDragCh1Zero = 0;
    std::int32_t m_bDragCh2Zero = 0;
    std::int32_t m_bDragMath = 0;
    std::int32_t m_bDragRef = 0;
    std::int32_t m_bDragCh1Level = 0;
    std::int32_t m_bDragCh2Level = 0;
    std::int32_t m_bDragExtLevel = 0;
    std::int32_t m_bDragTool = 0;
    std::int32_t m_bInPlot = 0;

    std::function<bool()> m_fullScreen;
    std::function<void()> m_invalidate;
    std::function<void(bool)> m_capture;
    std::function<void(int)> m_setCursor;
};
