#include "ScopeScreen.h"

#include <algorithm>
#include <cstdint>

#include "ScreenPixel.h"
#include "engine/KelvaneDoc.h"
#include "engine/SettingsCodes.h"

namespace {

using kv::ToPixel;

// A font of the screen's texts: given height, normal weight, swiss family.
bool MakeScreenFont(CFont& font, int height) {
    return font.CreateFont(height, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, FF_SWISS,
                           "Arial") != FALSE;
}

// Selects a font, text colour and transparent background for one text step and restores the
// previous ones when it ends.
class TextScope {
public:
    TextScope(CDC* pDC, int height) : m_pDC(pDC) {
        if (MakeScreenFont(m_font, height))
            m_pOldFont = pDC->SelectObject(&m_font);
        m_oldColor = pDC->GetTextColor();
        m_oldMode = pDC->SetBkMode(TRANSPARENT);
    }
    ~TextScope() {
        m_pDC->SetTextColor(m_oldColor);
        m_pDC->SetBkMode(m_oldMode);
        if (m_pOldFont)
            m_pDC->SelectObject(m_pOldFont);
    }
    TextScope(const TextScope&) = delete;
    TextScope& operator=(const TextScope&) = delete;

private:
    CDC* m_pDC;
    CFont m_font;
    CFont* m_pOldFont = nullptr;
    COLORREF m_oldColor = 0;
    int m_oldMode = OPAQUE;
};

bool AllZero(int left, int top, int right, int bottom) {
    return left == 0 && top == 0 && right == 0 && bottom == 0;
}

} // namespace

CScopeScreen::CScopeScreen() {
    ResetDisplaySettings();
}

void CScopeScreen::ResetDisplaySettings() {
    m_nTrigPosState = 3;
    m_bFirstDragEvent = 1;
    m_fDragAnchorX = m_fDragAnchorY = 0.0f;
    m_bLabels = 1;
    m_bCursorPair = 0;
    m_nSelectedMarker = 1;
    m_nMarginX = kMarginX;
    m_nMarginY = kMarginY;
    m_nGridIntensity = 200;
    m_nWaveIntensity = 255;
    m_nCursorMode = 0;
    m_nDotMode = 0;
    m_nCursorSource = 0;
    m_nDragCounter = 0;
    m_bBorder = 1;
    m_bGrid = 1;
    m_bLevelLine = 0;
    m_bButtonDown = 0;
    m_bFirstCursorClick = 1;
    m_ptCursorA = CPoint(0, 0);
    m_ptCursorB = CPoint(0, 0);
    m_ptLastMouse = CPoint(0, 0);
    m_bDragTrigPos = m_bDragCh1Zero = m_bDragCh2Zero = m_bDragMath = m_bDragRef = 0;
    m_bDragCh1Level = m_bDragCh2Level = m_bDragExtLevel = 0;
    m_bDragTool = 0;
    m_bInPlot = 0;
}

void CScopeScreen::SetGridOn(std::int32_t on) {
    m_bGrid = on;
    Invalidate();
}

void CScopeScreen::SetGridIntensity(int value) {
    m_nGridIntensity = static_cast<std::int16_t>(std::clamp(value, 0, 255));
}

void CScopeScreen::SetWaveformIntensity(int value) {
    m_nWaveIntensity = static_cast<std::int16_t>(std::clamp(value, 0, 255));
}

COLORREF CScopeScreen::GetChannelColor(int index) const {
    if (!m_pDoc)
        return 0;
    switch (index) {
    case 1:
        return m_pDoc->m_ch2.GetColor();
    case 2:
        return m_pDoc->m_math.GetColor();
    default:
        return m_pDoc->m_ch1.GetColor();
    }
}

COLORREF CScopeScreen::ScaledColor(COLORREF color) const {
    const int k = std::clamp<int>(m_nWaveIntensity, 0, 255);
    return RGB(GetRValue(color) * k / 255, GetGValue(color) * k / 255, GetBValue(color) * k / 255);
}

// --- Window glue ------------------------------------------------------------------------------

void CScopeScreen::Paint(CDC* pTarget, const CRect& client) {
    if (!Usable(pTarget) || client.IsRectEmpty())
        return;
    m_rcClient = client;
    m_buffer.PaintThrough(pTarget, client, [this](CDC* pDC, const CRect& rc) { DrawScreen(pDC, rc); });
}

void CScopeScreen::OnSize(int cx, int cy) {
    m_bCursorPair = 0;
    m_buffer.Release();
    m_rcClient = CRect(0, 0, std::max(cx, 0), std::max(cy, 0));
    Invalidate();
}

// --- Picture ------------------------------------------------------------------------------------

void CScopeScreen::CalcPlotRect() {
    const bool full = IsFullScreen();
    m_nMarginX = full ? 0 : kMarginX;
    m_nMarginY = full ? 0 : kMarginY;
    const CRect& c = m_rcClient;
    m_rcPlot = CRect(c.left + m_nMarginX, c.top + m_nMarginY, c.right - m_nMarginX, c.bottom - m_nMarginY);
    if (!m_bBorder)
        m_rcPlot = c;
}

void CScopeScreen::DrawScreen(CDC* pDC, const CRect& client) {
    // Reporting here would raise a message box from inside a paint, whose modal loop runs the
    // next repaint and raises another: a context or rectangle that cannot be drawn is skipped.
    if (!Usable(pDC) || client.IsRectEmpty())
        return;
    m_rcClient = client;
    // The plot rectangle comes first, so a full-screen switch shows its margins on the very
    // first frame.
    CalcPlotRect();

    DrawBorder(pDC);
    if (m_pDoc && m_pDoc->m_passFail.m_nState1)
        DrawMask(pDC);
    DrawGrid(pDC);
    DrawMarkers(pDC);
    DrawCursors(pDC);
    if (m_pDoc) {
        if (m_pDoc->m_settings.GetTimeBaseFormat() == kFormatXY)
            DrawXYPlot(pDC);
        else
            DrawTraces(pDC);
    }
    DrawTriggerLevelLine(pDC);
    DrawOutline(pDC);
    if (m_pDoc) {
        DrawMeasurements(pDC);
        if (m_pDoc->m_average.GetAcquireMode() == CAverageBuffer::kModeAverage)
            DrawAverageLabel(pDC);
        DrawChannelLabels(pDC);
    }
}

void CScopeScreen::DrawBorder(CDC* pDC) {
    const CRect& c = m_rcClient;
    if (!Usable(pDC) || AllZero(c.left, c.top, c.right, c.bottom))
        return;
    if (!m_bBorder) {
        // The picture is drawn over the previous frame in the persistent buffer; without this
        // fill every earlier trace would stay on screen while the border is off.
        pDC->FillSolidRect(&c, RGB(0, 0, 0));
        return;
    }
    const int mx = m_nMarginX;
    const int my = m_nMarginY;
    const CRect left(c.left, c.top, c.left + mx, c.bottom);
    const CRect right(c.right - mx, c.top, c.right, c.bottom);
    const CRect top(c.left + mx, c.top, c.right - mx, c.top + my);
    const CRect bottom(c.left + mx, c.bottom - my, c.right - mx, c.bottom);
    for (const CRect* band : {&left, &right, &top, &bottom})
        if (!band->IsRectEmpty())
            pDC->FillSolidRect(band, kBandColor);
    const CRect inside(c.left + mx, c.top + my, c.right - mx, c.bottom - my);
    if (!inside.IsRectEmpty())
        pDC->FillSolidRect(&inside, RGB(0, 0, 0));
}

void CScopeScreen::DrawGrid(CDC* pDC) {
    const int grey = m_nGridIntensity & 0xFF;
    const COLORREF c = RGB(grey, grey, grey);
    CPen pen(PS_SOLID, 1, c);
    CPen* pOld = pDC->SelectObject(&pen);
    DrawGraticuleInRect(pDC, m_rcPlot.left, m_rcPlot.top, m_rcPlot.right, m_rcPlot.bottom, c);
    if (pOld)
        pDC->SelectObject(pOld);
}

void CScopeScreen::DrawGraticuleInRect(CDC* pDC, int left, int top, int right, int bottom, COLORREF c) {
    if (!Usable(pDC) || AllZero(left, top, right, bottom))
        return;
    const float L = static_cast<float>(left);
    const float T = static_cast<float>(top);
    const float R = static_cast<float>(right);
    const float B = static_cast<float>(bottom);
    const float width = static_cast<float>(static_cast<std::int64_t>(right) - left);
    const float height = static_cast<float>(static_cast<std::int64_t>(bottom) - top);
    const float dx = width * 0.02f;
    const float dy = height * 0.03125f;
    float q = width * 3.0f / 499.0f;
    if (q > 4.5f)
        q = 4.5f;
    else if (q < 2.5f)
        q = 2.0f;
    float r = height * 4.0f / 511.0f;
    if (r > 6.0f)
        r = 6.0f;
    else if (r < 4.5f)
        r = 3.0f;

    auto line = [pDC](float x0, float y0, float x1, float y1) {
        pDC->MoveTo(ToPixel(x0), ToPixel(y0));
        pDC->LineTo(ToPixel(x1), ToPixel(y1));
    };

    // Columns: 50 minor steps across, a division every 5.
    const float yCentre = T + 16.0f * dy;
    float x = L;
    for (int h = 1; h <= 49; ++h) {
        x += dx;
        if (h == 25) {
            line(x, T, x, B);
        } else if (h % 5 == 0) {
            line(x, T, x, T + r);
            line(x, B, x, B - r);
            if (m_bGrid)
                for (int k = 1; k <= 31; ++k)
                    pDC->SetPixel(ToPixel(x), ToPixel(T + k * dy), c);
        } else {
            line(x, T, x, T + q);
            line(x, B, x, B - q);
        }
        line(x, yCentre, x, yCentre + q + 1.0f);
        line(x, yCentre, x, yCentre - q);
    }

    // Rows: 32 minor steps down, a division every 4.
    const float xCentre = L + 25.0f * dx;
    for (int i = 1; i <= 31; ++i) {
        const float y = T + i * dy;
        if (i == 16) {
            line(L, y, R, y);
        } else if (i % 4 == 0) {
            line(L, y, L + r, y);
            line(R, y, R - r, y);
            if (m_bGrid)
                for (int k = 1; k <= 49; ++k)
                    pDC->SetPixel(ToPixel(L + k * dx), ToPixel(y), c);
        } else {
            line(L, y, L + q, y);
            line(R, y, R - q, y);
        }
        line(xCentre, y, xCentre + q + 1.0f, y);
        line(xCentre, y, xCentre - q, y);
    }
}

void CScopeScreen::DrawOutline(CDC* pDC) {
    const CRect& c = m_rcClient;
    const int mx = m_bBorder ? m_nMarginX : 0;
    const int my = m_bBorder ? m_nMarginY : 0;
    const int w = c.Width();
    const int h = c.Height();
    CPen pen(PS_SOLID, 1, kOutlineColor);
    CPen* pOld = pDC->SelectObject(&pen);
    pDC->MoveTo(c.left + mx, c.top + my);
    pDC->LineTo(c.left + w - mx, c.top + my);
    pDC->LineTo(c.left + w - mx, c.top + h - my);
    pDC->LineTo(c.left + mx, c.top + h - my);
    pDC->LineTo(c.left + mx, c.top + my);
    if (pOld)
        pDC->SelectObject(pOld);
}

// --- Texts ----------------------------------------------------------------------------------------

void CScopeScreen::DrawMeasurements(CDC* pDC) {
    if (!Usable(pDC) || !m_pDoc)
        return;
    const int L = m_rcPlot.left;
    const int B = m_rcPlot.bottom;
    const int W = m_rcPlot.Width();
    const int H = m_rcPlot.Height();
    const int x1 = L + W / 8;
    const int x2 = x1 + W / 2;
    const int y1 = B - H / 15;
    const int y2 = B - H / 8;
    const int y3 = y1 - H / 8;
    const int y4 = y2 - 2 * (H / 15);
    const CPoint at[CMeasure::kMaxEntries] = {{x1, y1}, {x2, y1}, {x1, y2}, {x2, y2},
                                              {x1, y3}, {x2, y3}, {x1, y4}, {x2, y4}};
    TextScope scope(pDC, 15);
    const CMeasure& measure = m_pDoc->m_measure;
    for (int k = 0; k < CMeasure::kMaxEntries; ++k) {
        const CMeasure::Entry& entry = measure.GetEntry(k);
        if (!entry.used)
            continue;
        pDC->SetTextColor(GetChannelColor(entry.source));
        pDC->TextOut(at[k].x, at[k].y, measure.GetText(k));
    }
}

void CScopeScreen::DrawAverageLabel(CDC* pDC) {
    if (!Usable(pDC) || !m_pDoc)
        return;
    CString text;
    text.Format("%s: %d", m_pDoc->GetText(kTextAverage).GetString(), m_pDoc->m_average.GetFramesWanted());
    TextScope scope(pDC, 15);
    pDC->SetTextColor(kAverageLabelColor);
    pDC->TextOut(m_rcPlot.left + 6, m_rcPlot.top + 6, text);
}

void CScopeScreen::DrawChannelLabels(CDC* pDC) {
    if (!Usable(pDC) || !m_pDoc || !IsFullScreen() || !m_bLabels)
        return;
    const int L = m_rcPlot.left;
    const int T = m_rcPlot.top;
    const int W = m_rcPlot.Width();
    TextScope scope(pDC, 25);
    // The side panel's volts/div lists hold the probe ladder from entry 3 x probe, so the entry at
    // a channel's index is the channel's probe volts/div text.
    if (m_pDoc->m_ch1.IsOn()) {
        CString text;
        text.Format("%s: %s/DIV", m_pDoc->GetText(kTextCh1Label).GetString(),
                    m_pDoc->m_ch1.GetProbeVoltDivText().GetString());
        pDC->SetTextColor(m_pDoc->m_ch1.GetColor());
        pDC->TextOut(L + W / 5, T + 20, text);
    }
    if (m_pDoc->m_ch2.IsOn()) {
        CString text;
        text.Format("%s: %s/DIV", m_pDoc->GetText(kTextCh2Label).GetString(),
                    m_pDoc->m_ch2.GetProbeVoltDivText().GetString());
        pDC->SetTextColor(m_pDoc->m_ch2.GetColor());
        pDC->TextOut(L + W / 10 * 7, T + 20, text);
    }
}
