// The pointers in the screen panel's margins and every mouse rule of the panel: grabbing and
// dragging the pointers, the Drag tool's pan, the zoom tools and placing the cursor pair.
#include "ScopeScreen.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "ScreenPixel.h"
#include "engine/KelvaneDoc.h"
#include "engine/SettingsCodes.h"
#include "scale/VerticalScale.h"
#include "system/Narrow.h"

namespace {

using kv::ToPixel;

// Trigger-position pointer states.
constexpr std::int16_t kPosLeft = 0;
constexpr std::int16_t kPosRight = 1;
constexpr std::int16_t kPosInside = 3;

constexpr float kTopMargin = static_cast<float>(CScopeScreen::kMarginY);

CRect HitRect(float l, float t, float r, float b) {
    return CRect(ToPixel(l), ToPixel(t), ToPixel(r), ToPixel(b));
}

struct Offset {
    int dx, dy;
};

// A filled pointer: five vertices around the point, then one letter.
struct FilledShape {
    Offset v[5];
    const char* letter;
    const char* face;
    int height;
    Offset text;
};

// An open arrow of full-screen mode: a three-point path and a two-point path.
struct ArrowShape {
    Offset a[3];
    Offset b[2];
};

constexpr FilledShape kTrigPosLeft{{{-5, 5}, {0, 0}, {11, 0}, {11, 11}, {0, 11}}, "T", "Arial", 14, {2, -1}};
constexpr FilledShape kTrigPosRight{
    {{5, 5}, {0, 0}, {-11, 0}, {-11, 11}, {0, 10}}, "T", "Arial", 14, {-8, -1}};
constexpr FilledShape kTrigPosInside{{{0, 13}, {-5, 7}, {-5, 0}, {6, 0}, {6, 7}}, "T", "Arial", 14, {-2, -2}};
constexpr FilledShape kXYPointer{
    {{0, 13}, {-5, 7}, {-5, 0}, {6, 0}, {6, 7}}, "1", "MS PMincho", 12, {-2, -1}};
constexpr FilledShape kCh1Zero{{{17, 0}, {10, 6}, {0, 6}, {0, -5}, {10, -6}}, "1", "MS PMincho", 13, {4, -6}};
constexpr FilledShape kCh2Zero{{{17, 0}, {10, 6}, {0, 6}, {0, -5}, {10, -6}}, "2", "MS PMincho", 13, {4, -6}};
constexpr FilledShape kRefShape{{{17, 0}, {10, 6}, {0, 6}, {0, -5}, {10, -6}}, "R", "Arial", 13, {3, -6}};
constexpr FilledShape kMathShape{{{17, 0}, {10, 6}, {0, 6}, {0, -5}, {10, -6}}, "M", "Arial", 13, {2, -6}};
constexpr FilledShape kLevelAboveShape{
    {{-6, 0}, {0, 6}, {0, 17}, {-11, 17}, {-11, 6}}, "T", "Arial", 14, {-8, 4}};
constexpr FilledShape kLevelBelowShape{
    {{-6, 0}, {0, -6}, {0, -17}, {-11, -17}, {-11, -6}}, "T", "Arial", 14, {-8, -17}};
constexpr FilledShape kLevelShape{
    {{-17, 0}, {-12, -5}, {0, -5}, {0, 6}, {-12, 6}}, "T", "Arial", 14, {-9, -6}};

constexpr ArrowShape kArrowPosLeft{{{17, 12}, {2, 12}, {8, 6}}, {{2, 12}, {8, 18}}};
constexpr ArrowShape kArrowPosRight{{{-17, 12}, {-2, 12}, {-8, 6}}, {{-2, 12}, {-8, 18}}};
constexpr ArrowShape kArrowDown{{{0, 0}, {0, 17}, {-9, 8}}, {{0, 17}, {9, 8}}};
constexpr ArrowShape kArrowZero{{{0, 0}, {15, 0}, {8, -7}}, {{15, 0}, {8, 7}}};
constexpr ArrowShape kArrowLevelAbove{{{-8, 22}, {-8, 8}, {-16, 16}}, {{-8, 8}, {0, 16}}};
constexpr ArrowShape kArrowLevelBelow{{{-8, -22}, {-8, -8}, {-16, -16}}, {{-8, -8}, {0, -16}}};
constexpr ArrowShape kArrowLevel{{{0, 0}, {-15, 0}, {-8, -7}}, {{-15, 0}, {-8, 7}}};

POINT Vertex(const CScopeScreen::MarkerPoint& p, Offset o) {
    return POINT{ToPixel(static_cast<double>(p.x) + o.dx), ToPixel(static_cast<double>(p.y) + o.dy)};
}

void FillShape(CDC* pDC, const CScopeScreen::MarkerPoint& p, const FilledShape& shape, COLORREF color) {
    POINT pts[5];
    for (int i = 0; i < 5; ++i)
        pts[i] = Vertex(p, shape.v[i]);
    CRgn rgn;
    CBrush brush(color);
    if (rgn.CreatePolygonRgn(pts, 5, ALTERNATE))
        pDC->FillRgn(&rgn, &brush);

    CFont font;
    if (!font.CreateFont(shape.height, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, FF_SWISS,
                         shape.face))
        return;
    CFont* pOldFont = pDC->SelectObject(&font);
    const int oldMode = pDC->SetBkMode(TRANSPARENT);
    POINT at = Vertex(p, shape.text);
    // The letter of a pointer at the window's top edge starts above it; its top row (the
    // crossbar of the "T") would be cut off there, so it starts at the edge instead.
    at.y = std::max<LONG>(at.y, 0);
    pDC->TextOut(at.x, at.y, shape.letter);
    pDC->SetBkMode(oldMode);
    if (pOldFont)
        pDC->SelectObject(pOldFont);
}

void DrawArrow(CDC* pDC, const CScopeScreen::MarkerPoint& p, const ArrowShape& shape, COLORREF color) {
    CPen pen(PS_SOLID, 2, color);
    CPen* pOld = pDC->SelectObject(&pen);
    const POINT a[3] = {Vertex(p, shape.a[0]), Vertex(p, shape.a[1]), Vertex(p, shape.a[2])};
    const POINT b[2] = {Vertex(p, shape.b[0]), Vertex(p, shape.b[1])};
    pDC->Polyline(a, 3);
    pDC->Polyline(b, 2);
    if (pOld)
        pDC->SelectObject(pOld);
}

} // namespace

// --- Pointer records ------------------------------------------------------------------------------

CScopeScreen::MarkerPoint& CScopeScreen::PointOf(Marker marker) {
    MarkerPoint* points[kMarkerCount] = {&m_ptTrigPos, &m_ptXYPointer, &m_ptCh1Zero,  &m_ptCh2Zero, &m_ptRef,
                                         &m_ptMath,    &m_ptCh1Level,  &m_ptCh2Level, &m_ptExtLevel};
    return *points[std::clamp<int>(marker, 0, kMarkerCount - 1)];
}

CRect& CScopeScreen::RectOf(Marker marker) {
    CRect* rects[kMarkerCount] = {&m_rcTrigPos, &m_rcXYPointer, &m_rcCh1Zero,  &m_rcCh2Zero, &m_rcRef,
                                  &m_rcMath,    &m_rcCh1Level,  &m_rcCh2Level, &m_rcExtLevel};
    return *rects[std::clamp<int>(marker, 0, kMarkerCount - 1)];
}

CScopeScreen::MarkerPoint CScopeScreen::GetMarkerPoint(Marker marker) const {
    return const_cast<CScopeScreen*>(this)->PointOf(marker);
}

CRect CScopeScreen::GetMarkerRect(Marker marker) const {
    return const_cast<CScopeScreen*>(this)->RectOf(marker);
}

bool CScopeScreen::IsDraggingMarker() const {
    return m_bDragTrigPos || m_bDragCh1Zero || m_bDragCh2Zero || m_bDragMath || m_bDragRef ||
           m_bDragCh1Level || m_bDragCh2Level || m_bDragExtLevel;
}

int CScopeScreen::LevelSourceOfMarker(Marker marker) const {
    switch (marker) {
    case kMarkerCh1Level:
        return CTrigger::kLevelCh1;
    case kMarkerCh2Level:
        return CTrigger::kLevelCh2;
    default:
        return CTrigger::kLevelExt;
    }
}

CScopeScreen::Marker CScopeScreen::CurrentLevelMarker() const {
    if (!m_pDoc)
        return kMarkerCount;
    switch (m_pDoc->m_trigger.GetSource()) {
    case kSourceCh1:
        return kMarkerCh1Level;
    case kSourceCh2:
        return kMarkerCh2Level;
    case kSourceAlt:
        if (m_bDragCh1Level || m_bDragCh1Zero || m_bDragTrigPos)
            return kMarkerCh1Level;
        if (m_bDragCh2Level || m_bDragCh2Zero)
            return kMarkerCh2Level;
        return kMarkerCount;
    case kSourceExt:
    case kSourceExt10:
        return kMarkerExtLevel;
    default:
        return kMarkerCount;
    }
}

// --- Single pointers ------------------------------------------------------------------------------

void CScopeScreen::SetTriggerPosMarker(float x, float y) {
    switch (m_nTrigPosState) {
    case kPosLeft:
        m_ptTrigPos = MarkerPoint{x, y + 1};
        m_rcTrigPos = HitRect(x - 5, y + 1, x + 11, y + 12);
        break;
    case kPosRight:
        m_ptTrigPos = MarkerPoint{x + 1, y + 1};
        m_rcTrigPos = HitRect(x - 4, y + 1, x + 12, y + 12);
        break;
    default:
        m_ptTrigPos = MarkerPoint{x, y};
        m_rcTrigPos = HitRect(x - 5, y, x + 6, y + 13);
        break;
    }
    Invalidate();
}

void CScopeScreen::SetXYCh1Marker(float x, float y) {
    m_ptXYPointer = MarkerPoint{x, y};
    m_rcXYPointer = HitRect(x - 5, y, x + 6, y + 13);
    Invalidate();
}

namespace {
void StoreZeroMarker(CScopeScreen::MarkerPoint& point, CRect& rect, float x, float y) {
    point = CScopeScreen::MarkerPoint{x, y};
    rect = HitRect(x, y - 5, x + 17, y + 6);
}
} // namespace

void CScopeScreen::SetCh1ZeroMarker(float x, float y) {
    StoreZeroMarker(m_ptCh1Zero, m_rcCh1Zero, x, y);
    Invalidate();
}

void CScopeScreen::SetCh2ZeroMarker(float x, float y) {
    StoreZeroMarker(m_ptCh2Zero, m_rcCh2Zero, x, y);
    Invalidate();
}

void CScopeScreen::SetRefMarker(float x, float y) {
    StoreZeroMarker(m_ptRef, m_rcRef, x, y);
    Invalidate();
}

void CScopeScreen::SetMathMarker(float x, float y) {
    StoreZeroMarker(m_ptMath, m_rcMath, x, y);
    Invalidate();
}

namespace {
// A level pointer's point and rectangle by its state.
void StoreLevelMarker(CScopeScreen::MarkerPoint& point, CRect& rect, float x, float y, std::int16_t state) {
    switch (state) {
    case kLevelAbove:
        point = CScopeScreen::MarkerPoint{x - 4, y - 6};
        rect = HitRect(x - 15, y - 6, x - 4, y + 11);
        break;
    case kLevelBelow:
        point = CScopeScreen::MarkerPoint{x - 4, y + 6};
        rect = HitRect(x - 15, y - 11, x - 4, y + 6);
        break;
    default:
        point = CScopeScreen::MarkerPoint{x, y};
        rect = HitRect(x - 17, y - 5, x, y + 6);
        break;
    }
}
} // namespace

void CScopeScreen::SetCh1TriggerLevelMarker(float x, float y) {
    y = std::clamp(y, static_cast<float>(m_rcPlot.top), static_cast<float>(m_rcPlot.bottom));
    const std::int16_t state = m_pDoc ? m_pDoc->m_trigger.GetMarkerWord(CTrigger::kLevelCh1) : 0;
    StoreLevelMarker(m_ptCh1Level, m_rcCh1Level, x, y, state);
    Invalidate();
}

void CScopeScreen::SetCh2TriggerLevelMarker(float x, float y) {
    y = std::clamp(y, static_cast<float>(m_rcPlot.top), static_cast<float>(m_rcPlot.bottom));
    const std::int16_t state = m_pDoc ? m_pDoc->m_trigger.GetMarkerWord(CTrigger::kLevelCh2) : 0;
    StoreLevelMarker(m_ptCh2Level, m_rcCh2Level, x, y, state);
    Invalidate();
}

void CScopeScreen::SetExtTriggerLevelMarker(float x, float y) {
    const std::int16_t state = m_pDoc ? m_pDoc->m_trigger.GetMarkerWord(CTrigger::kLevelExt) : 0;
    StoreLevelMarker(m_ptExtLevel, m_rcExtLevel, x, y, state);
    Invalidate();
}

void CScopeScreen::SetTriggerLevelMarker(float x, float y) {
    switch (CurrentLevelMarker()) {
    case kMarkerCh1Level:
        SetCh1TriggerLevelMarker(x, y);
        break;
    case kMarkerCh2Level:
        SetCh2TriggerLevelMarker(x, y);
        break;
    case kMarkerExtLevel:
        SetExtTriggerLevelMarker(x, y);
        break;
    default:
        break;
    }
}

// --- Positions from the document ----------------------------------------------------------------

void CScopeScreen::UpdateMarkerPositions() {
    if (!m_pDoc)
        return;
    CalcPlotRect();
    const CKelvaneDoc& doc = *m_pDoc;
    const float L = static_cast<float>(m_rcPlot.left);
    const float T = static_cast<float>(m_rcPlot.top);
    const float R = static_cast<float>(m_rcPlot.right);
    const float W = R - L;
    const float H = static_cast<float>(m_rcPlot.bottom) - T;
    const float x0 = IsFullScreen() ? 0.0f : 2.0f;

    const int p = doc.m_settings.GetHorizontalPosition();
    const float xPos = p >= 500 ? R : (p > 0 ? L + static_cast<float>(p) * (W * 0.002f) : L);
    SetTriggerPosMarker(xPos, 0.0f);
    SetXYCh1Marker(L + 0.1f * W + (511.0f - doc.m_ch1.GetPosition()) * W * 0.8f / 511.0f, 0.0f);

    SetCh1ZeroMarker(x0, T + doc.m_ch1.GetPosition() * H / 511.0f);
    SetCh2ZeroMarker(x0, T + doc.m_ch2.GetPosition() * H / 511.0f);
    SetRefMarker(x0, T + doc.m_ref.GetPosition() * H / 511.0f);
    SetMathMarker(x0, T + doc.m_math.GetPosition() * H / 511.0f);

    const float xLevel = R + static_cast<float>(m_nMarginX);
    SetCh1TriggerLevelMarker(xLevel, T + doc.m_trigger.GetLevel(CTrigger::kLevelCh1) * H / 511.0f);
    SetCh2TriggerLevelMarker(xLevel, T + doc.m_trigger.GetLevel(CTrigger::kLevelCh2) * H / 511.0f);
    SetExtTriggerLevelMarker(xLevel, T + doc.m_trigger.GetLevel(CTrigger::kLevelExt) * H / 511.0f);
}

void CScopeScreen::FollowTriggerLevel(int channel) {
    if (!m_pDoc || (channel != 0 && channel != 1))
        return;
    CKelvaneDoc& doc = *m_pDoc;
    const int source = doc.m_trigger.GetSource();
    if (source != channel && source != kSourceAlt)
        return;
    const float T = static_cast<float>(m_rcPlot.top);
    const float B = static_cast<float>(m_rcPlot.bottom);
    const float H = B - T;
    // A collapsed plot has no height to turn a pointer position into a level.
    if (H <= 0.0f)
        return;
    const CTrace& trace = channel == 0 ? static_cast<const CTrace&>(doc.m_ch1) : doc.m_ch2;
    const float z = doc.m_settings.GetTimeBaseFormat() == kFormatXY
                        ? T + trace.GetPosition() * H / 511.0f
                        : (channel == 0 ? m_ptCh1Zero.y : m_ptCh2Zero.y);
    const float offset = doc.m_trigger.GetDragValue();
    const int e = ToPixel(static_cast<double>(z) + offset);
    const int levelSource = channel == 0 ? CTrigger::kLevelCh1 : CTrigger::kLevelCh2;
    std::int16_t state = kLevelInside;
    float y = z + offset;
    if (e < m_rcPlot.top) {
        state = kLevelAbove;
        y = T;
    } else if (e > m_rcPlot.bottom) {
        state = kLevelBelow;
        y = B;
    }
    doc.m_trigger.SetMarkerWord(levelSource, state);
    const float xRight = static_cast<float>(m_rcClient.right);
    const float level = (z + offset - kTopMargin) / H * 511.0f;
    if (channel == 0) {
        SetCh1TriggerLevelMarker(xRight, y);
        doc.SetCh1TriggerLevel(level);
    } else {
        SetCh2TriggerLevelMarker(xRight, y);
        doc.SetCh2TriggerLevel(level);
    }
}

void CScopeScreen::UpdateTriggerLevelVolts() {
    if (!m_pDoc)
        return;
    CKelvaneDoc& doc = *m_pDoc;
    CTrigger& trigger = doc.m_trigger;
    auto channelVolts = [&](const CTrace& trace, int levelSource) {
        // The level's distance above the zero line, read on the graticule's own scale.
        const double volts = kv::scale::CodesToVolts(
            static_cast<double>(trace.GetPosition()) - trigger.GetLevel(levelSource), trace.GetVoltsPerDiv());
        trigger.SetLevelVolts(levelSource, static_cast<float>(volts));
    };
    // The external input has no volts/div and no trace: its level word reads 32 codes a volt
    // about word 128.
    const double extVolts = (128.0 - trigger.GetLevel(CTrigger::kLevelExt)) * 0.03125;
    // Every source's value follows the document, not only the current source's: ALT shows both
    // channel levels in turn, and a source chosen later shows its value at once. A value left
    // from before a volts/div, probe or position change would read a level that is not there.
    channelVolts(doc.m_ch1, CTrigger::kLevelCh1);
    channelVolts(doc.m_ch2, CTrigger::kLevelCh2);
    trigger.SetLevelVolts(
        CTrigger::kLevelExt,
        static_cast<float>(trigger.GetSource() == kSourceExt10 ? extVolts * 10.0 : extVolts));
}

void CScopeScreen::UpdateTriggerLevelOffset() {
    if (!m_pDoc)
        return;
    const int source = m_pDoc->m_trigger.GetSource();
    if (source == kSourceCh1 || (source == kSourceAlt && m_bDragCh1Level))
        m_pDoc->m_trigger.SetDragValue(m_ptCh1Level.y - m_ptCh1Zero.y);
    else if (source == kSourceCh2 || (source == kSourceAlt && m_bDragCh2Level))
        m_pDoc->m_trigger.SetDragValue(m_ptCh2Level.y - m_ptCh2Zero.y);
}

void CScopeScreen::ResetDragAnchor() {
    if (m_pDoc && m_pDoc->m_settings.GetTimeBaseFormat() == kFormatRoll) {
        m_fDragAnchorX = static_cast<float>(m_rcPlot.right);
        m_fDragAnchorY = 0.0f;
        return;
    }
    m_fDragAnchorX = m_ptTrigPos.x;
    m_fDragAnchorY = m_ptTrigPos.y;
}

void CScopeScreen::ShowTriggerLevelLine(std::int32_t on) {
    m_bLevelLine = on;
    Invalidate();
}

// --- Drawing ----------------------------------------------------------------------------------------

void CScopeScreen::DrawLevelPointer(CDC* pDC, Marker marker) {
    const int source = LevelSourceOfMarker(marker);
    const COLORREF color = marker == kMarkerCh1Level   ? m_pDoc->m_ch1.GetColor()
                           : marker == kMarkerCh2Level ? m_pDoc->m_ch2.GetColor()
                                                       : kExtLevelColor;
    const std::int16_t state = m_pDoc->m_trigger.GetMarkerWord(source);
    const MarkerPoint& p = PointOf(marker);
    if (IsFullScreen()) {
        DrawArrow(pDC, p,
                  state == kLevelAbove   ? kArrowLevelAbove
                  : state == kLevelBelow ? kArrowLevelBelow
                                         : kArrowLevel,
                  color);
        return;
    }
    FillShape(pDC, p,
              state == kLevelAbove   ? kLevelAboveShape
              : state == kLevelBelow ? kLevelBelowShape
                                     : kLevelShape,
              color);
}

void CScopeScreen::DrawFullScreenPointer(CDC* pDC, Marker marker) {
    switch (marker) {
    case kMarkerTrigPos:
        DrawArrow(pDC, m_ptTrigPos,
                  m_nTrigPosState == kPosLeft    ? kArrowPosLeft
                  : m_nTrigPosState == kPosRight ? kArrowPosRight
                                                 : kArrowDown,
                  kTrigPosColor);
        break;
    case kMarkerXY:
        DrawArrow(pDC, m_ptXYPointer, kArrowDown, m_pDoc->m_ch1.GetColor());
        break;
    case kMarkerCh1Zero:
        DrawArrow(pDC, m_ptCh1Zero, kArrowZero, m_pDoc->m_ch1.GetColor());
        break;
    case kMarkerCh2Zero:
        DrawArrow(pDC, m_ptCh2Zero, kArrowZero, m_pDoc->m_ch2.GetColor());
        break;
    default:
        break;
    }
}

void CScopeScreen::DrawPointer(CDC* pDC, Marker marker) {
    if (marker == kMarkerCh1Level || marker == kMarkerCh2Level || marker == kMarkerExtLevel) {
        DrawLevelPointer(pDC, marker);
        return;
    }
    // REF and MATH keep their filled shape in full-screen mode.
    if (IsFullScreen() && marker != kMarkerRef && marker != kMarkerMath) {
        DrawFullScreenPointer(pDC, marker);
        return;
    }
    const COLORREF oldText = pDC->SetTextColor(RGB(0, 0, 0));
    switch (marker) {
    case kMarkerTrigPos:
        FillShape(pDC, m_ptTrigPos,
                  m_nTrigPosState == kPosLeft    ? kTrigPosLeft
                  : m_nTrigPosState == kPosRight ? kTrigPosRight
                                                 : kTrigPosInside,
                  kTrigPosColor);
        break;
    case kMarkerXY:
        FillShape(pDC, m_ptXYPointer, kXYPointer, m_pDoc->m_ch1.GetColor());
        break;
    case kMarkerCh1Zero:
        FillShape(pDC, m_ptCh1Zero, kCh1Zero, m_pDoc->m_ch1.GetColor());
        break;
    case kMarkerCh2Zero:
        FillShape(pDC, m_ptCh2Zero, kCh2Zero, m_pDoc->m_ch2.GetColor());
        break;
    case kMarkerRef:
        FillShape(pDC, m_ptRef, kRefShape, m_pDoc->m_ref.GetColor());
        break;
    case kMarkerMath:
        FillShape(pDC, m_ptMath, kMathShape, m_pDoc->m_math.GetColor());
        break;
    default:
        break;
    }
    pDC->SetTextColor(oldText);
}

void CScopeScreen::DrawMarkers(CDC* pDC) {
    if (!Usable(pDC) || !m_pDoc)
        return;
    const CKelvaneDoc& doc = *m_pDoc;
    const int format = doc.m_settings.GetTimeBaseFormat();
    const bool yt = format == kFormatYT;

    enum Item { kCh1, kCh2, kRef, kMath, kLevel, kPos };
    // Drawing order by the selected pointer, so that it lies on top.
    static constexpr Item kOrders[6][6] = {
        {kCh1, kCh2, kRef, kMath, kLevel, kPos}, {kCh2, kRef, kMath, kLevel, kPos, kCh1},
        {kCh1, kRef, kMath, kLevel, kPos, kCh2}, {kCh1, kCh2, kRef, kLevel, kPos, kMath},
        {kCh1, kCh2, kMath, kLevel, kPos, kRef}, {kCh1, kCh2, kRef, kMath, kPos, kLevel},
    };
    const int selected = m_nSelectedMarker >= 0 && m_nSelectedMarker <= 5 ? m_nSelectedMarker : 0;
    for (Item item : kOrders[selected]) {
        switch (item) {
        case kCh1:
            if (doc.m_ch1.IsOn())
                DrawPointer(pDC, format == kFormatXY ? kMarkerXY : kMarkerCh1Zero);
            break;
        case kCh2:
            if (doc.m_ch2.IsOn())
                DrawPointer(pDC, kMarkerCh2Zero);
            break;
        case kRef:
            if (doc.m_ref.IsOn())
                DrawPointer(pDC, kMarkerRef);
            break;
        case kMath:
            if (doc.m_math.IsOn())
                DrawPointer(pDC, kMarkerMath);
            break;
        case kLevel:
            if (!yt)
                break;
            switch (doc.m_trigger.GetSource()) {
            case kSourceCh1:
                DrawPointer(pDC, kMarkerCh1Level);
                break;
            case kSourceCh2:
                DrawPointer(pDC, kMarkerCh2Level);
                break;
            case kSourceAlt:
                DrawPointer(pDC, kMarkerCh1Level);
                DrawPointer(pDC, kMarkerCh2Level);
                break;
            case kSourceExt:
            case kSourceExt10:
                DrawPointer(pDC, kMarkerExtLevel);
                break;
            default:
                break;
            }
            break;
        case kPos:
            if (yt)
                DrawPointer(pDC, kMarkerTrigPos);
            break;
        }
    }
}

void CScopeScreen::DrawTriggerLevelLine(CDC* pDC) {
    if (!Usable(pDC) || !m_bLevelLine || !m_pDoc)
        return;
    const Marker marker = m_bDragCh1Level   ? kMarkerCh1Level
                          : m_bDragCh2Level ? kMarkerCh2Level
                          : m_bDragExtLevel ? kMarkerExtLevel
                                            : CurrentLevelMarker();
    if (marker == kMarkerCount)
        return;
    const CRect& rc = RectOf(marker);
    const int yc = (rc.top + rc.bottom) / 2;
    CPen pen(PS_DASHDOTDOT, 1, kTrigPosColor);
    CPen* pOld = pDC->SelectObject(&pen);
    // The gaps of the pattern show the picture beneath.
    const int oldMode = pDC->SetBkMode(TRANSPARENT);
    pDC->MoveTo(m_rcPlot.left + 1, yc);
    pDC->LineTo(m_rcPlot.right, yc);
    pDC->SetBkMode(oldMode);
    if (pOld)
        pDC->SelectObject(pOld);
}

// --- Mouse ------------------------------------------------------------------------------------------

void CScopeScreen::OnLButtonDown(UINT /*nFlags*/, CPoint point) {
    m_bButtonDown = 1;
    m_bFirstCursorClick = 1;
    m_bFirstDragEvent = 1;
    if (!m_pDoc || IsFullScreen())
        return;
    HitTestMarkers(point);
    TrackPlotArea(point);
    DragMarker(point);
    ZoomToolClick();
}

void CScopeScreen::OnMouseMove(UINT /*nFlags*/, CPoint point) {
    if (!m_pDoc || IsFullScreen())
        return;
    HitTestMarkers(point);
    TrackPlotArea(point);
    DragMarker(point);
}

void CScopeScreen::OnLButtonUp(UINT /*nFlags*/, CPoint /*point*/) {
    m_bButtonDown = 0;
    m_bFirstDragEvent = 1;
    std::int32_t* flags[] = {&m_bDragTrigPos, &m_bDragCh1Zero,  &m_bDragCh2Zero,  &m_bDragMath,
                             &m_bDragRef,     &m_bDragCh1Level, &m_bDragCh2Level, &m_bDragExtLevel};
    for (std::int32_t* flag : flags)
        if (*flag) {
            *flag = 0;
            break;
        }
    Capture(false);
    // The release ends the drag wherever it happens: released outside the panel, no later move
    // over it would take the dashed level line away.
    if (m_bLevelLine) {
        m_bLevelLine = 0;
        Invalidate();
    }
}

void CScopeScreen::CapturePointer(int cursor) {
    ShowCursor(cursor);
    Capture(true);
}

void CScopeScreen::HitTestMarkers(CPoint point) {
    CKelvaneDoc& doc = *m_pDoc;
    const int format = doc.m_settings.GetTimeBaseFormat();
    const bool levels = m_bDragCh1Level || m_bDragCh2Level || m_bDragExtLevel;

    // One test: skipped when its condition fails or a blocking flag is set; a hit grabs the
    // pointer, a miss with the button up lets it go.
    auto test = [&](bool condition, bool blocked, Marker marker, std::int32_t& flag, int cursor,
                    int selected) {
        if (!condition || blocked)
            return false;
        if (RectOf(marker).PtInRect(point)) {
            CapturePointer(cursor);
            flag = 1;
            if (selected >= 0)
                m_nSelectedMarker = static_cast<std::int16_t>(selected);
            return true;
        }
        if (!m_bButtonDown && flag) {
            Capture(false);
            flag = 0;
        }
        return false;
    };

    test(format == kFormatYT && doc.m_bRunning,
         m_bDragCh1Zero || m_bDragCh2Zero || m_bDragMath || m_bDragRef || levels || m_bDragTool,
         kMarkerTrigPos, m_bDragTrigPos, kCursorPositionPointer, 0);
    test(doc.m_ch1.IsOn() && format != kFormatXY,
         m_bDragTrigPos || m_bDragCh2Zero || m_bDragMath || m_bDragRef || levels || m_bDragTool,
         kMarkerCh1Zero, m_bDragCh1Zero, kCursorPointer, 1);
    test(doc.m_ch2.IsOn(),
         m_bDragTrigPos || m_bDragCh1Zero || m_bDragMath || m_bDragRef || levels || m_bDragTool,
         kMarkerCh2Zero, m_bDragCh2Zero, kCursorPointer, 2);
    test(doc.m_math.IsOn(),
         m_bDragTrigPos || m_bDragCh1Zero || m_bDragCh2Zero || m_bDragRef || levels || m_bDragTool,
         kMarkerMath, m_bDragMath, kCursorPointer, 3);
    test(doc.m_ref.IsOn(),
         m_bDragTrigPos || m_bDragCh1Zero || m_bDragCh2Zero || m_bDragMath || levels || m_bDragTool,
         kMarkerRef, m_bDragRef, kCursorPointer, 4);
    test(doc.m_ch1.IsOn() && format == kFormatXY, m_bDragTool || m_bDragCh2Zero, kMarkerXY, m_bDragTrigPos,
         kCursorPositionPointer, -1);

    if (format != kFormatYT)
        return;
    auto levelTest = [&](Marker marker, std::int32_t& flag) {
        const bool others = m_bDragTool || m_bDragTrigPos || m_bDragCh1Zero || m_bDragCh2Zero ||
                            m_bDragMath || m_bDragRef || (&flag != &m_bDragCh1Level && m_bDragCh1Level) ||
                            (&flag != &m_bDragCh2Level && m_bDragCh2Level) ||
                            (&flag != &m_bDragExtLevel && m_bDragExtLevel);
        if (test(true, others, marker, flag, kCursorPointer, 5))
            UpdateTriggerLevelOffset();
    };
    switch (doc.m_trigger.GetSource()) {
    case kSourceCh1:
        levelTest(kMarkerCh1Level, m_bDragCh1Level);
        break;
    case kSourceCh2:
        levelTest(kMarkerCh2Level, m_bDragCh2Level);
        break;
    case kSourceAlt:
        levelTest(kMarkerCh1Level, m_bDragCh1Level);
        levelTest(kMarkerCh2Level, m_bDragCh2Level);
        break;
    case kSourceExt:
    case kSourceExt10:
        levelTest(kMarkerExtLevel, m_bDragExtLevel);
        break;
    default:
        break;
    }
}

void CScopeScreen::TrackPlotArea(CPoint point) {
    if (IsDraggingMarker())
        return;
    CKelvaneDoc& doc = *m_pDoc;
    const bool inside = m_rcPlot.PtInRect(point);
    if (m_nCursorMode != 0) {
        if (!inside) {
            Capture(false);
            m_bInPlot = 0;
            return;
        }
        ShowCursor(kCursorCross);
        Capture(true);
        m_bInPlot = 1;
        if (m_bButtonDown) {
            if (m_bFirstCursorClick) {
                m_ptCursorA = point;
                m_bCursorPair = 1;
                m_bFirstCursorClick = 0;
            }
            m_ptCursorB = point;
            Invalidate();
        }
        return;
    }
    if (doc.m_bZoomIn || doc.m_bZoomOut) {
        if (inside) {
            ShowCursor(doc.m_bZoomIn ? kCursorZoomIn : kCursorZoomOut);
            Capture(true);
            m_bInPlot = 1;
        } else {
            Capture(false);
            m_bInPlot = 0;
        }
        return;
    }
    if (doc.m_bDrag) {
        if (inside) {
            ShowCursor(kCursorDrag);
            Capture(true);
            m_bInPlot = 1;
            m_bDragTool = 1;
            if (m_bButtonDown) {
                if (m_bFirstDragEvent) {
                    m_ptLastMouse = point;
                    m_bFirstDragEvent = 0;
                }
                DragTriggerPosition(point);
            }
        } else {
            if (!m_bButtonDown && m_bDragTool) {
                Capture(false);
                m_bDragTool = 0;
            }
            m_bInPlot = 0;
        }
    }
}

void CScopeScreen::DragTriggerPosition(CPoint point) {
    CKelvaneDoc& doc = *m_pDoc;
    const float L = static_cast<float>(m_rcPlot.left);
    const float R = static_cast<float>(m_rcPlot.right);
    m_fDragAnchorX += static_cast<float>(point.x - m_ptLastMouse.x);
    const int format = doc.m_settings.GetTimeBaseFormat();
    if (format == kFormatRoll || format == kFormatXY) {
        m_fDragAnchorX = std::max(m_fDragAnchorX, R);
        m_nTrigPosState = kPosInside;
        SetTriggerPosMarker(R, 0.0f);
    } else if (m_fDragAnchorX >= L && m_fDragAnchorX <= R) {
        m_nTrigPosState = kPosInside;
        SetTriggerPosMarker(m_fDragAnchorX, 0.0f);
    } else if (m_fDragAnchorX > R) {
        m_nTrigPosState = kPosRight;
        SetTriggerPosMarker(R, 0.0f);
    } else {
        m_nTrigPosState = kPosLeft;
        SetTriggerPosMarker(L, 0.0f);
    }
    if (R > L) {
        // The pan may leave 0..500 on purpose, but a long pan would wrap the 16-bit position.
        const double position =
            (static_cast<double>(m_fDragAnchorX) - L + 1.0) / (static_cast<double>(R) - L) * 500.0;
        doc.SetHorizontalPosition(kv::TruncSat<std::int16_t>(position));
    }
    m_ptLastMouse = point;
}

void CScopeScreen::SetTriggerLevel(float level) {
    CKelvaneDoc& doc = *m_pDoc;
    switch (CurrentLevelMarker()) {
    case kMarkerCh1Level:
        doc.SetCh1TriggerLevel(level);
        break;
    case kMarkerCh2Level:
        doc.SetCh2TriggerLevel(level);
        break;
    case kMarkerExtLevel:
        doc.SetExtTriggerLevel(level);
        break;
    default:
        break;
    }
}

void CScopeScreen::DragMarker(CPoint point) {
    // One mouse event in four moves a pointer.
    if (m_nDragCounter <= 2) {
        ++m_nDragCounter;
        return;
    }
    m_nDragCounter = 0;

    CKelvaneDoc& doc = *m_pDoc;
    const float L = static_cast<float>(m_rcPlot.left);
    const float T = static_cast<float>(m_rcPlot.top);
    const float R = static_cast<float>(m_rcPlot.right);
    const float B = static_cast<float>(m_rcPlot.bottom);
    const float W = R - L;
    const float H = B - T;
    const float x = static_cast<float>(point.x);
    const float y = static_cast<float>(point.y);
    // A collapsed plot gives no scale to turn the mouse into a setting.
    const bool plotUsable = W > 0.0f && H > 0.0f;

    if (m_bDragTrigPos && m_bButtonDown) {
        if (plotUsable && doc.m_settings.GetTimeBaseFormat() == kFormatXY) {
            const float lo = L + 0.1f * W;
            const float hi = R - 0.1f * W;
            if (x >= lo && x <= hi) {
                SetXYCh1Marker(x, 0.0f);
                doc.SetCh1Position(511.0f - (x - L - 0.1f * W) / (W * 0.8f / 511.0f));
            } else if (x > hi) {
                SetXYCh1Marker(hi, 0.0f);
                doc.SetCh1Position(0.0f);
            } else {
                SetXYCh1Marker(lo, 0.0f);
                doc.SetCh1Position(511.0f);
            }
            FollowTriggerLevel(0);
            UpdateTriggerLevelVolts();
        } else if (plotUsable) {
            m_nTrigPosState = kPosInside;
            if (x < L) {
                SetTriggerPosMarker(L, 0.0f);
                doc.SetHorizontalPosition(0);
            } else if (x > R) {
                SetTriggerPosMarker(R, 0.0f);
                doc.SetHorizontalPosition(500);
            } else {
                SetTriggerPosMarker(x, 0.0f);
                // Near the right edge of a plot narrower than 500 px the formula gives more than
                // 500, which would push the live window past the record.
                const double position = (static_cast<double>(x) - L + 1.0) / W * 500.0;
                doc.SetHorizontalPosition(
                    static_cast<std::int16_t>(std::clamp(std::trunc(position), 0.0, 500.0)));
            }
        }
    } else if (m_bButtonDown && plotUsable) {
        const float v = (y - kTopMargin) / H * 511.0f;
        const float yAt = std::clamp(y, T, B);
        const float vAt = y < T ? 0.0f : (y > B ? 511.0f : v);
        if (m_bDragCh1Zero && doc.m_ch1.IsOn()) {
            SetCh1ZeroMarker(2.0f, yAt);
            doc.SetCh1Position(vAt);
            FollowTriggerLevel(0);
            UpdateTriggerLevelVolts();
        } else if (m_bDragCh2Zero && doc.m_ch2.IsOn()) {
            SetCh2ZeroMarker(2.0f, yAt);
            doc.SetCh2Position(vAt);
            FollowTriggerLevel(1);
            UpdateTriggerLevelVolts();
        } else if (m_bDragMath && doc.m_math.IsOn()) {
            SetMathMarker(2.0f, yAt);
            doc.SetMathPosition(vAt);
        } else if (m_bDragRef && doc.m_ref.IsOn()) {
            SetRefMarker(2.0f, yAt);
            doc.SetRefPosition(vAt);
        } else if (m_bDragCh1Level || m_bDragCh2Level || m_bDragExtLevel) {
            const float xRight = static_cast<float>(m_rcClient.right);
            const bool inside = y >= T && y <= B;
            if (inside) {
                const Marker marker = CurrentLevelMarker();
                if (marker != kMarkerCount)
                    doc.m_trigger.SetMarkerWord(LevelSourceOfMarker(marker), kLevelInside);
            }
            SetTriggerLevelMarker(xRight, yAt);
            SetTriggerLevel(vAt);
            UpdateTriggerLevelVolts();
            m_bLevelLine = inside ? 1 : 0;
        }
    }
    if (!m_bButtonDown)
        m_bLevelLine = 0;
    Invalidate();
}

// --- Zoom tools ---------------------------------------------------------------------------------------

void CScopeScreen::AfterZoomStep() {
    IDocUi& ui = m_pDoc->Ui();
    ui.SelectSidePanelCombo(SidePanelCombo::TimeDiv, m_pDoc->m_settings.GetTimeBaseIndex());
    ui.RepaintTimeBaseKnob();
    Invalidate();
}

void CScopeScreen::ZoomToolClick() {
    if (!m_bInPlot)
        return;
    if (m_pDoc->m_bZoomIn)
        m_pDoc->DecrementTimeBase();
    else if (m_pDoc->m_bZoomOut)
        m_pDoc->IncrementTimeBase();
    else
        return;
    AfterZoomStep();
}

void CScopeScreen::ZoomToolRightClick() {
    if (!m_pDoc)
        return;
    if (m_pDoc->m_bZoomIn)
        m_pDoc->IncrementTimeBase();
    else if (m_pDoc->m_bZoomOut)
        m_pDoc->DecrementTimeBase();
    else
        return;
    AfterZoomStep();
}
