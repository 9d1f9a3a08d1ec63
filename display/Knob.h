#pragma once
// A rotary control drawn as an instrument knob, 88 x 86 pixels, turned by pressing and
// dragging the mouse around its centre. Knob ids: 0 CH1 volts/div, 1 CH2 volts/div, 2 MATH
// volts/div (drawn only), 4 time base. Turning a knob changes the document's setting at once
// and mirrors the choice in the side panel's list through the document's user interface.
//
// The picture is drawn by DrawKnob on any context, so it can be drawn without a window.
#include <cstdint>

#include "BufferedStatic.h"
#include "framework/CString.h"
#include "framework/DC.h"
#include "framework/Geometry.h"

class CKelvaneDoc;

class CKnob : public CBufferedStatic {
public:
    static constexpr int kWidth = 88;
    static constexpr int kHeight = 86;
    static constexpr std::int16_t kKnobCh1 = 0;
    static constexpr std::int16_t kKnobCh2 = 1;
    static constexpr std::int16_t kKnobMath = 2;
    static constexpr std::int16_t kKnobTime = 4;
    // Face of buttons and panels, behind the knob.
    static constexpr COLORREF kButtonFace = RGB(239, 239, 239);
    static constexpr COLORREF kOffColor = RGB(155, 155, 155);
    static constexpr COLORREF kMathColor = RGB(230, 0, 0);
    static constexpr COLORREF kTimeColor = RGB(50, 50, 255);

    CKnob();
    ~CKnob() override;

    // A null pointer is ignored.
    void SetDocument(CKelvaneDoc* pDoc);
    CKelvaneDoc* GetDocument() const { return m_pDoc; }
    void SetKnobId(std::int16_t id) { m_nKnobId = id; }
    std::int16_t GetKnobId() const { return m_nKnobId; }

    // Window handlers. The knob never captures the mouse.
    void OnLButtonDown(UINT nFlags, CPoint point) override;
    void OnMouseMove(UINT nFlags, CPoint point) override;
    void OnLButtonUp(UINT nFlags, CPoint point) override;

    // One paint through a memory context and the persistent pair.
    void Paint(CDC* pTarget, const CRect& client) override;
    void FillBackground(CDC* pDC, const CRect& client);
    // The knob for knob id `id` at the document's current setting.
    void DrawKnob(CDC* pDC, std::int16_t id);

    // Steps of a volts/div knob beyond index 0: 9 on models 4 and 5, else 8.
    int GetStepCount() const;
    // Pointer step 0..87 of a knob id at the document's current setting (0 lower left,
    // 87 lower right).
    int GetPointerStep(std::int16_t id) const;
    // Knob colour of a knob id.
    COLORREF GetKnobColor(std::int16_t id) const;
    // End of the pointer line for pointer step c.
    static CPoint PointerEnd(int c);
    // Dial value of a point: 0 at the lower left, 50 straight up, 100 at the lower right.
    static double ValueFromPoint(int x, int y);
    // Applies a press or drag at (x, y) to the document; repaints the knob when it changed.
    void OnKnobTurned(int x, int y);

    // Time/div list labels: "2.00ns" (models 4 and 5 only), "4.00ns" .. "1.00h" in
    // time-base index order, as the side panel fills its time/div list.
    static CString TimeDivLabel(int index, int model);
    // Entry of the model's time/div list that a prefix search from the list's start finds for
    // `label` (case ignored), -1 when no label begins so. No rule looks a label up: the rules
    // use the time bases that engine/TimeBaseLimits.h names, which sit at these entries.
    static int TimeDivLabelPosition(const char* label, int model);

    // Repaints every knob window of this id (a channel colour changed).
    static void RepaintKnobs(std::int16_t id);

protected:
    // Knob colour and pointer step: the only inputs of the picture.
    CPictureKey GetPictureKey() const override;

private:
    void TurnVoltsPerDiv(int channel, int value);
    void TurnTimeBase(int value);
    // The list selection through the document's user interface (none: skipped).
    void SelectTimeDiv(std::int16_t index);
    void SetFormat(std::int16_t format);

    CRect m_rcClient{0, 0, 0, 0};
    std::int16_t m_nKnobId = 0;
    CKelvaneDoc* m_pDoc = nullptr;
};
