#include "StatusStrip.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <utility>

#include "engine/KelvaneDoc.h"
#include "engine/SettingsCodes.h"
#include "system/Narrow.h"

namespace {

constexpr float kPi = 3.14159265358979f;

using kv::TruncSat;

// Arial of the given height, weight 400, swiss family, in the context's current background
// mode; the font lives for this one text.
void DrawLabel(CDC* pDC, const char* text, int height, COLORREF color, int x, int y) {
    CFont font;
    font.CreateFont(height, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, FF_SWISS, "Arial");
    CFont* pOldFont = pDC->SelectObject(&font);
    const COLORREF oldColor = pDC->SetTextColor(color);
    pDC->TextOut(x, y, text, static_cast<int>(std::strlen(text)));
    pDC->SetTextColor(oldColor);
    if (pOldFont)
        pDC->SelectObject(pOldFont);
}

} // namespace

void CStatusStrip::SetDocument(CKelvaneDoc* pDoc) {
    if (pDoc)
        m_pDoc = pDoc;
}

// --- Window ------------------------------------------------------------------------------------

void CStatusStrip::OnSize(UINT nType, int cx, int cy) {
    CStatic::OnSize(nType, cx, cy);
    RecreateBuffer();
}

void CStatusStrip::RecreateBuffer() {
    m_buffer.Release();
    RECT rc{0, 0, 0, 0};
    GetClientRect(&rc);
    m_rcClient = rc;
    LayoutBoxes(m_rcClient);
    Invalidate(FALSE);
}

void CStatusStrip::Paint(CDC* pTarget, const CRect& client) {
    if (!CanPaint(pTarget, client))
        return;
    PaintPicture(pTarget, client, [this](CDC* pDC, const CRect& rc) { DrawStrip(pDC, rc); });
}

CPictureKey CStatusStrip::GetPictureKey() const {
    CPictureKey key;
    key.Add(m_pDoc != nullptr);
    if (!m_pDoc)
        return key;
    const CKelvaneDoc& doc = *m_pDoc;
    const std::int16_t status = doc.m_nRunStatus;
    const std::int16_t tick = doc.m_nStatusTick;
    key.Add(status);
    if (status == CKelvaneDoc::kRunStatusAuto || status == CKelvaneDoc::kRunStatusWait) {
        // The state text blinks by the counter; one out of its range is reset by the drawing.
        if (tick < 0 || tick > 39)
            key.SetChangesWhenDrawn();
        key.Add(tick >= 21 && tick <= 39);
    }
    const CScopeSettings& settings = doc.m_settings;
    const std::int16_t format = settings.GetTimeBaseFormat();
    int start = 0, end = 0;
    CalcOverviewWindow(start, end);
    key.Add(format).Add(doc.m_bRunning).Add(settings.GetHorizontalPosition());
    key.Add(settings.GetCachedHorizontalPosition()).Add(start).Add(end);
    if (format != kFormatYT)
        return key;
    const CTrigger& trigger = doc.m_trigger;
    // With ALT the level readout alternates between the channels by the paints themselves.
    if (trigger.GetSource() == kSourceAlt)
        key.SetChangesWhenDrawn();
    key.Add(trigger.GetSource()).Add(Ch1Color()).Add(Ch2Color());
    key.Add(trigger.GetLevelVolts(CTrigger::kLevelCh1)).Add(trigger.GetLevelVolts(CTrigger::kLevelCh2));
    key.Add(trigger.GetLevelVolts(CTrigger::kLevelExt));
    key.Add(trigger.GetTriggerType()).Add(trigger.GetSlope()).Add(trigger.GetPulseCondition());
    return key;
}

// --- Picture -------------------------------------------------------------------------------------

void CStatusStrip::LayoutBoxes(const CRect& client) {
    m_rcClient = client;
    const int w = client.Width();
    const int mid = (client.left + client.right) / 2;
    m_rcLeft = CRect(2, 2, 52, 23);
    m_rcCentre = CRect(mid - 67, 0, mid + 67, 23);
    m_rcRight = CRect(w - 97, 2, w - 2, 23);
}

void CStatusStrip::DrawStrip(CDC* pDC, const CRect& client) {
    if (!pDC || !pDC->GetSafeHdc() || client.Width() <= 0 || client.Height() <= 0)
        return;
    LayoutBoxes(client);
    // The solid fills leave the background colour black, so the opaque texts sit on black.
    pDC->FillSolidRect(&m_rcClient, kBarColor);
    pDC->FillSolidRect(&m_rcCentre, kBoxColor);
    pDC->FillSolidRect(&m_rcLeft, kBoxColor);
    if (!m_pDoc)
        return;
    DrawRunState(pDC);
    CalcTriggerPosMarker();
    DrawCentreBox(pDC);
    if (m_pDoc->m_settings.GetTimeBaseFormat() == kFormatYT) {
        pDC->FillSolidRect(&m_rcRight, kBoxColor);
        DrawTriggerSource(pDC);
        DrawTriggerLevel(pDC);
        if (m_pDoc->m_trigger.GetTriggerType() == kTriggerEdge)
            DrawSlopeGlyph(pDC);
        else
            DrawPulseGlyph(pDC);
    }
}

COLORREF CStatusStrip::Ch1Color() const {
    return m_pDoc ? m_pDoc->m_ch1.GetColor() : kStateColor;
}
COLORREF CStatusStrip::Ch2Color() const {
    return m_pDoc ? m_pDoc->m_ch2.GetColor() : kStateColor;
}

void CStatusStrip::DrawRunState(CDC* pDC) {
    if (!m_pDoc)
        return;
    const char* text = "AUTO";
    COLORREF color = kStateColor;
    int x = 12;
    const std::int16_t status = m_pDoc->m_nRunStatus;
    switch (status) {
    case CKelvaneDoc::kRunStatusStop:
        text = "STOP";
        color = kStopColor;
        break;
    case CKelvaneDoc::kRunStatusRun:
        text = "RUN";
        x = 14;
        break;
    case CKelvaneDoc::kRunStatusTriggered:
        text = "Trig'D";
        x = 11;
        break;
    case CKelvaneDoc::kRunStatusWait:
        text = "WAIT";
        break;
    case CKelvaneDoc::kRunStatusPlay:
        text = "PLAY";
        break;
    default:
        break;
    }
    COLORREF back = kBoxColor;
    if (status == CKelvaneDoc::kRunStatusAuto || status == CKelvaneDoc::kRunStatusWait) {
        std::int16_t& tick = m_pDoc->m_nStatusTick;
        // A counter that ever went negative would otherwise stop the blinking for as long as it
        // takes to climb back; both out-of-range ends restart the cycle.
        if (tick > 39 || tick < 0)
            tick = 0;
        if (tick >= 21 && tick <= 39) {
            back = color;
            color = kBoxColor;
        }
    }
    const COLORREF oldBack = pDC->SetBkColor(back);
    const int oldMode = pDC->SetBkMode(OPAQUE);
    DrawLabel(pDC, text, 15, color, x, 5);
    pDC->SetBkMode(oldMode);
    pDC->SetBkColor(oldBack);
}

void CStatusStrip::CalcTriggerPosMarker() {
    if (!m_pDoc)
        return;
    const int p = m_pDoc->m_bRunning ? m_pDoc->m_settings.GetHorizontalPosition()
                                     : m_pDoc->m_settings.GetCachedHorizontalPosition();
    int x;
    if (p < 1)
        x = m_rcCentre.left + 1;
    else if (p > 499)
        x = m_rcCentre.right - 6;
    else
        x = m_rcCentre.left + 1 + TruncSat<int>((m_rcCentre.Width() - 7) * static_cast<double>(p) * 0.002);
    m_ptTrigMark = CPoint(x, 0);
}

void CStatusStrip::DrawCentreBox(CDC* pDC) {
    if (!m_pDoc)
        return;
    const std::int16_t format = m_pDoc->m_settings.GetTimeBaseFormat();
    const int textX = (m_rcCentre.left + m_rcCentre.right) / 2 - 25;
    if (format == kFormatRoll) {
        DrawLabel(pDC, "Roll Mode", 15, kCentreTextColor, textX, 7);
    } else if (format == kFormatXY) {
        DrawLabel(pDC, "X - Y Mode", 15, kCentreTextColor, textX, 7);
    } else if (format == kFormatYT) {
        DrawLabel(pDC, "T", 11, kCentreTextColor, m_ptTrigMark.x, m_ptTrigMark.y);
        DrawTriggerPosGraphic(pDC);
    }

    CPen pen(PS_SOLID, 1, kBracketColor);
    CPen* pOldPen = pDC->SelectObject(&pen);
    const int l = m_rcCentre.left;
    const int r = m_rcCentre.right;
    const int b = m_rcCentre.Height() - 2;
    pDC->MoveTo(l + 2, 7);
    pDC->LineTo(l + 2, b);
    pDC->LineTo(l + 4, b);
    pDC->MoveTo(l + 2, 7);
    pDC->LineTo(l + 4, 7);
    pDC->MoveTo(r - 3, 7);
    pDC->LineTo(r - 3, b);
    pDC->LineTo(r - 5, b);
    pDC->MoveTo(r - 3, 7);
    pDC->LineTo(r - 5, 7);
    if (pOldPen)
        pDC->SelectObject(pOldPen);
}

void CStatusStrip::CalcOverviewWindow(int& start, int& end) const {
    start = 0;
    end = 127;
    if (!m_pDoc)
        return;
    // With neither input on there is no record to place: the span counts as 0.
    double span = 0.0;
    if (m_pDoc->m_ch1.IsOn())
        span = m_pDoc->m_ch1.GetRollSpan();
    else if (m_pDoc->m_ch2.IsOn())
        span = m_pDoc->m_ch2.GetRollSpan();

    const CScopeSettings& settings = m_pDoc->m_settings;
    const double p = settings.GetHorizontalPosition();
    if (m_pDoc->m_bRunning) {
        start = TruncSat<int>(p * 0.002 * span * 0.25);
        end = 127 - TruncSat<int>(span * (1.0 - p * 0.002) * 0.25);
        return;
    }
    const double q = settings.GetCachedHorizontalPosition();
    const double current = settings.GetSecondsPerDiv();
    const double z = current != 0.0 ? settings.GetCachedSecondsPerDiv() / current : 0.0;
    // A zero or undefined ratio would turn every term into infinity or NaN.
    const double a = (z != 0.0 && std::isfinite(z)) ? 1.0 / z : 0.0;
    const double c = 1.0 - a;
    start =
        TruncSat<int>(((q - p) * 0.002 * a + q * 0.002 * c) * 128.0 + TruncSat<int>(q * 0.002 * span * 0.25));
    end = TruncSat<int>((q - p) * 0.002 * a * 128.0 + (127 - TruncSat<int>(span * (1.0 - q * 0.002) * 0.25)) -
                        (1.0 - q * 0.002) * c * 128.0);
}

void CStatusStrip::DrawTriggerPosGraphic(CDC* pDC) {
    int start = 0;
    int end = 127;
    CalcOverviewWindow(start, end);
    const int h = m_rcCentre.Height();
    for (int i = 0; i < 128; ++i) {
        const float s = 2.5f * std::sin(static_cast<float>(14 + i) * 2.0f * kPi / 10.0f);
        const int y = TruncSat<int>(static_cast<double>(static_cast<float>(h / 2 + m_rcCentre.top + 3) + s));
        const COLORREF color = (start <= i && i <= end) ? kWindowInColor : kWindowOutColor;
        pDC->SetPixel(m_rcCentre.left + 3 + i, y, color);
    }
}

void CStatusStrip::DrawTriggerSource(CDC* pDC) {
    if (!m_pDoc)
        return;
    const char* text = nullptr;
    COLORREF back = 0;
    int a = 20;
    switch (m_pDoc->m_trigger.GetSource()) {
    case kSourceCh1:
        text = "CH1";
        back = Ch1Color();
        break;
    case kSourceCh2:
        text = "CH2";
        back = Ch2Color();
        break;
    case kSourceAlt:
        text = "ALT";
        back = kAltColor;
        break;
    case kSourceExt:
        text = "EXT";
        back = kExtColor;
        break;
    case kSourceExt10:
        text = "EXT/10";
        back = kExtColor;
        a = 15;
        break;
    default:
        return;
    }
    const COLORREF oldBack = pDC->SetBkColor(back);
    const int oldMode = pDC->SetBkMode(OPAQUE);
    DrawLabel(pDC, text, 12, RGB(0, 0, 0), m_rcRight.left + a, 8);
    pDC->SetBkMode(oldMode);
    pDC->SetBkColor(oldBack);
}

CString CStatusStrip::FormatLevel(double v) {
    const char* unit;
    double shown;
    const double magnitude = std::fabs(v);
    if (magnitude >= 1000.0) {
        shown = v * 0.001;
        unit = "kV";
    } else if (magnitude >= 1.0) {
        shown = v;
        unit = "V";
    } else if (magnitude >= 0.001) {
        shown = v * 1000.0;
        unit = "mV";
    } else {
        shown = v * 1e6;
        unit = "uV";
    }
    CString text;
    text.Format("%f", shown);
    const int n = text.GetLength();
    const char* format = nullptr;
    if (shown >= 0.0) {
        format = n == 8 ? "%.2f" : n == 9 ? "%.1f" : n == 10 ? "%.0f" : nullptr;
    } else {
        format = n == 9 ? "%.2f" : n == 10 ? "%.1f" : n == 11 ? "%.0f" : nullptr;
    }
    if (format)
        text.Format(format, shown);
    return text + unit;
}

void CStatusStrip::DrawTriggerLevel(CDC* pDC) {
    if (!m_pDoc)
        return;
    const CTrigger& trigger = m_pDoc->m_trigger;
    COLORREF color = Ch1Color();
    float volts = trigger.GetLevelVolts(CTrigger::kLevelCh1);
    switch (trigger.GetSource()) {
    case kSourceCh2:
        color = Ch2Color();
        volts = trigger.GetLevelVolts(CTrigger::kLevelCh2);
        break;
    case kSourceAlt:
        // ALT shows CH1's level for 19 paints, then CH2's for the next 22.
        ++m_nAltCount;
        if (m_nAltCount >= 20) {
            color = Ch2Color();
            volts = trigger.GetLevelVolts(CTrigger::kLevelCh2);
            if (m_nAltCount > 40)
                m_nAltCount = 0;
        }
        break;
    case kSourceExt:
    case kSourceExt10:
        color = kExtColor;
        volts = trigger.GetLevelVolts(CTrigger::kLevelExt);
        break;
    default:
        break;
    }
    DrawLabel(pDC, FormatLevel(volts), 15, color, m_rcRight.left + 48, 6);
}

COLORREF CStatusStrip::GlyphColor() const {
    switch (m_pDoc ? m_pDoc->m_trigger.GetSource() : kSourceCh1) {
    case kSourceCh2:
        return Ch2Color();
    case kSourceAlt:
        return kAltColor;
    case kSourceExt:
    case kSourceExt10:
        return kExtColor;
    default:
        return Ch1Color();
    }
}

void CStatusStrip::DrawSlopeGlyph(CDC* pDC) {
    if (!m_pDoc)
        return;
    const COLORREF color = GlyphColor();
    CPen pen(PS_SOLID, 1, color);
    CBrush brush(color);
    CPen* pOldPen = pDC->SelectObject(&pen);
    CBrush* pOldBrush = pDC->SelectObject(&brush);
    const int l = m_rcRight.left;
    const int t = m_rcRight.top;
    const int b = m_rcRight.bottom;
    if (m_pDoc->m_trigger.GetSlope() == kSlopeRising) {
        const POINT step[] = {{l + 4, b - 4}, {l + 8, b - 4}, {l + 8, t + 4}, {l + 12, t + 4}};
        pDC->Polyline(step, 4);
        const POINT arrow[] = {{l + 8, t + 7}, {l + 4, t + 12}, {l + 12, t + 12}};
        pDC->Polygon(arrow, 3);
    } else {
        const POINT step[] = {{l + 4, t + 4}, {l + 8, t + 4}, {l + 8, b - 4}, {l + 12, b - 4}};
        pDC->Polyline(step, 4);
        const POINT arrow[] = {{l + 8, b - 7}, {l + 5, b - 11}, {l + 12, b - 11}};
        pDC->Polygon(arrow, 3);
    }
    if (pOldBrush)
        pDC->SelectObject(pOldBrush);
    if (pOldPen)
        pDC->SelectObject(pOldPen);
}

void CStatusStrip::DrawPulseGlyph(CDC* pDC) {
    if (!m_pDoc)
        return;
    CPen pen(PS_SOLID, 1, GlyphColor());
    CPen* pOldPen = pDC->SelectObject(&pen);
    const int l = m_rcRight.left;
    int hi = m_rcRight.top + 4;
    int lo = m_rcRight.bottom - 4;
    if (m_pDoc->m_trigger.GetPulseCondition() <= kPulsePositiveMore)
        std::swap(hi, lo);
    const POINT path[] = {{l + 2, hi}, {l + 5, hi}, {l + 5, lo}, {l + 11, lo}, {l + 11, hi}, {l + 15, hi}};
    pDC->Polyline(path, 6);
    if (pOldPen)
        pDC->SelectObject(pOldPen);
}
