#pragma once
// The bar above the screen panel: acquisition state at the left ("RUN", "STOP", ...), the
// time-base format or a small overview of the record with the trigger position in the centre,
// and trigger source, level and kind at the right, each in a black box on a dark-grey bar.
// It reads the document; the only thing it writes is the wrap of the blink counter.
//
// The picture is drawn by DrawStrip on any context and client rectangle, so it can be drawn
// into a plain memory context without a window.
#include <cstdint>

#include "BufferedStatic.h"
#include "framework/DC.h"
#include "framework/Geometry.h"

class CKelvaneDoc;

class CStatusStrip : public CBufferedStatic {
public:
    static constexpr COLORREF kBarColor = RGB(50, 50, 50);
    static constexpr COLORREF kBoxColor = RGB(0, 0, 0);
    static constexpr COLORREF kStopColor = RGB(255, 0, 0);
    static constexpr COLORREF kStateColor = RGB(0, 255, 0);
    static constexpr COLORREF kCentreTextColor = RGB(255, 177, 100);
    static constexpr COLORREF kBracketColor = RGB(180, 200, 253);
    static constexpr COLORREF kAltColor = RGB(250, 170, 100);
    static constexpr COLORREF kExtColor = RGB(255, 0, 255);
    static constexpr COLORREF kWindowInColor = RGB(0, 255, 0);
    static constexpr COLORREF kWindowOutColor = RGB(255, 255, 255);

    CStatusStrip() = default;
    ~CStatusStrip() override = default;

    // A null pointer is ignored.
    void SetDocument(CKelvaneDoc* pDoc);
    CKelvaneDoc* GetDocument() const { return m_pDoc; }

    // Window handlers.
    void OnSize(UINT nType, int cx, int cy) override;

    // Drops the persistent pair, takes the client rectangle, lays out the boxes, invalidates.
    void RecreateBuffer();
    // One paint: a memory context over `pTarget`, the persistent pair made when missing, the
    // picture drawn into it and copied out. A 0-sized client paints nothing.
    void Paint(CDC* pTarget, const CRect& client) override;
    // The whole picture on `pDC` for the client rectangle (the boxes are laid out for it).
    void DrawStrip(CDC* pDC, const CRect& client);

    // Box layout for a client rectangle.
    void LayoutBoxes(const CRect& client);
    CRect GetLeftBox() const { return m_rcLeft; }
    CRect GetCentreBox() const { return m_rcCentre; }
    CRect GetRightBox() const { return m_rcRight; }
    CPoint GetTriggerMark() const { return m_ptTrigMark; }
    std::int16_t GetAltCount() const { return m_nAltCount; }

    // Drawing steps (public so each can be checked on its own).
    void DrawRunState(CDC* pDC);
    void CalcTriggerPosMarker();
    void DrawCentreBox(CDC* pDC);
    void DrawTriggerPosGraphic(CDC* pDC);
    void DrawTriggerSource(CDC* pDC);
    void DrawTriggerLevel(CDC* pDC);
    void DrawSlopeGlyph(CDC* pDC);
    void DrawPulseGlyph(CDC* pDC);

    // First and last overview pixel (0..127 window) shown green, as the overview computes them.
    void CalcOverviewWindow(int& start, int& end) const;
    // "1.50V", "-250mV", "0.00uV": the level readout text for a value in volts.
    static CString FormatLevel(double volts);

protected:
    // Run state and blink phase, trigger position, format, record overview and, in Y-T, the
    // trigger source, level and kind.
    CPictureKey GetPictureKey() const override;

private:
    COLORREF Ch1Color() const;
    COLORREF Ch2Color() const;
    // Colour of the trigger glyphs by source.
    COLORREF GlyphColor() const;

    CRect m_rcClient{0, 0, 0, 0};
    CPoint m_ptTrigMark{0, 0};
    CRect m_rcLeft{0, 0, 0, 0};
    CRect m_rcCentre{0, 0, 0, 0};
    CRect m_rcRight{0, 0, 0, 0};
    CKelvaneDoc* m_pDoc = nullptr;
    std::int16_t m_nAltCount = 0;
};
