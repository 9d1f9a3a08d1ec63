// The measuring cursor pair of the screen panel: its drawing in the four cursor modes and the
// time, frequency and voltage readouts that the main frame shows in its status bar.
#include "ScopeScreen.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>

#include "PenScope.h"
#include "ScreenPixel.h"
#include "engine/KelvaneDoc.h"
#include "engine/SettingsCodes.h"

namespace {

using kv::PenScope;
using kv::ToPixel;

constexpr int kModeCross = 1;
constexpr int kModeTrace = 2;
constexpr int kModeVertical = 3;
constexpr int kModeHorizontal = 4;

CString Formatted(const char* format, double value) {
    CString text;
    text.Format(format, value);
    return text;
}

// Whether f, counted in `unit` and rounded to the readout's three decimals, reaches 1000: from
// there on it reads in the next larger unit. The reciprocal of a time span can land a rounding
// step below a switch (1 / 1 ns is 999999999.9999999 Hz), which must still read "1.000 GHz".
bool ReachesThousand(double f, double unit) {
    return std::round(f / unit * 1000.0) >= 1e6;
}

// Frequency in the unit that suits it.
CString FrequencyText(double f) {
    if (ReachesThousand(f, 1e6))
        return Formatted("Freq = %.3f GHz", f * 1e-9);
    if (ReachesThousand(f, 1000.0))
        return Formatted("Freq = %.3f MHz", f * 1e-6);
    if (ReachesThousand(f, 1.0))
        return Formatted("Freq = %.3f KHz", f * 0.001);
    return Formatted("Freq = %.3f Hz", f);
}

// A voltage difference or level: micro-, milli-, plain volts, and kilovolts for 1000 and more
// and for nothing at all.
CString VoltRangeText(double v) {
    const double a = std::fabs(v);
    if (a > 0.0 && a < 0.001)
        return Formatted("Volt = %.3f uV", v * 1e6);
    if (a >= 0.001 && a < 1.0)
        return Formatted("Volt = %.3f mV", v * 1000.0);
    if (a >= 1.0 && a < 1000.0)
        return Formatted("Volt = %.3f V", v);
    return Formatted("Volt = %.3f kV", v * 0.001);
}

int ClampInt(int v, int lo, int hi) {
    return std::max(lo, std::min(v, hi));
}

void Line(CDC* pDC, int x0, int y0, int x1, int y1) {
    pDC->MoveTo(x0, y0);
    pDC->LineTo(x1, y1);
}

} // namespace

void CScopeScreen::SetCursorMode(std::int16_t mode) {
    m_nCursorMode = mode;
    m_bCursorPair = 0;
    Invalidate();
}

const CTrace* CScopeScreen::CursorSourceTrace() const {
    if (!m_pDoc)
        return nullptr;
    const CTrace* trace = nullptr;
    switch (m_nCursorSource) {
    case 0:
        trace = &m_pDoc->m_ch1;
        break;
    case 1:
        trace = &m_pDoc->m_ch2;
        break;
    case 2:
        trace = &m_pDoc->m_math;
        break;
    default:
        return nullptr;
    }
    return trace->IsOn() ? trace : nullptr;
}

int CScopeScreen::CursorTraceIndex() const {
    const double W = static_cast<double>(m_rcPlot.right) - m_rcPlot.left;
    if (W <= 0.0)
        return -1;
    const int u = ToPixel(std::fabs(static_cast<double>(m_ptCursorB.x) - m_rcPlot.left) / W * 500.0);
    if (u < 0 || u > 500)
        return -1;
    // The right edge itself shows the last point.
    return std::min(u, CTrace::kScreenPoints - 1);
}

int CScopeScreen::CursorFftIndex() const {
    if (!m_pDoc)
        return 0;
    const CFftData& fft = m_pDoc->m_fft;
    const int bins = std::clamp<int>(fft.m_nBins, 1, kFftMaxBins);
    const int zoom = std::max<int>(fft.m_nZoom, 1);
    const int m = std::max(bins / zoom, 1);
    const double W = static_cast<double>(m_rcPlot.right) - m_rcPlot.left;
    if (W <= 0.0)
        return 0;
    // Points stored before the plot shrank can lie far right of it; the index would then read
    // past the spectrum and the frequency axis.
    const double k = m * std::fabs(static_cast<double>(m_ptCursorB.x) - m_rcPlot.left) / W;
    return ClampInt(ToPixel(k), 0, m - 1);
}

void CScopeScreen::DrawCursors(CDC* pDC) {
    if (!Usable(pDC) || !m_bCursorPair)
        return;
    const int L = m_rcPlot.left;
    const int T = m_rcPlot.top;
    const int R = m_rcPlot.right;
    const int B = m_rcPlot.bottom;
    // Points dragged outside the plot are drawn at its inner edge, and kept there.
    auto limitX = [&](int x) { return ClampInt(x, L + 1, R - 1); };
    auto limitY = [&](int y) { return ClampInt(y, T + 1, B - 1); };
    m_ptCursorA = CPoint(limitX(m_ptCursorA.x), limitY(m_ptCursorA.y));
    m_ptCursorB = CPoint(limitX(m_ptCursorB.x), limitY(m_ptCursorB.y));

    const int oldMode = pDC->SetBkMode(TRANSPARENT);
    const bool horizontal = m_nCursorMode == kModeCross || m_nCursorMode == kModeHorizontal;
    const bool vertical = m_nCursorMode == kModeCross || m_nCursorMode == kModeVertical;
    if (horizontal || vertical) {
        {
            PenScope pen(pDC, kCursorColor, PS_DOT);
            if (horizontal)
                Line(pDC, L + 1, m_ptCursorB.y, R, m_ptCursorB.y);
            if (vertical)
                Line(pDC, m_ptCursorB.x, T + 1, m_ptCursorB.x, B);
        }
        PenScope pen(pDC, kCursorColor);
        if (horizontal)
            Line(pDC, L + 1, m_ptCursorA.y, R, m_ptCursorA.y);
        if (vertical)
            Line(pDC, m_ptCursorA.x, T + 1, m_ptCursorA.x, B);
    } else if (m_nCursorMode == kModeTrace && m_pDoc) {
        const double W = static_cast<double>(R) - L;
        const double H = static_cast<double>(B) - T;
        bool draw = true;
        int x = 0;
        int y = T;
        const CFftData& fft = m_pDoc->m_fft;
        if (m_nCursorSource == kCursorSourceFft && fft.m_bFftOn) {
            const int k = CursorFftIndex();
            const int m =
                std::max(std::clamp<int>(fft.m_nBins, 1, kFftMaxBins) / std::max<int>(fft.m_nZoom, 1), 1);
            const double S = fft.m_dVerticalScale;
            const double y0 = fft.m_nScale == kFftScaleLinear ? B - H / 8.0 : T + H / 8.0;
            x = ToPixel(W / m * k + L);
            y = ToPixel(y0 - H / (S * 8.0) * fft.m_spectrum[static_cast<size_t>(k)]);
        } else {
            const int u = CursorTraceIndex();
            draw = u >= 0;
            if (draw) {
                x = ToPixel(W * 0.002 * u + L);
                if (const CTrace* trace = CursorSourceTrace())
                    y = ToPixel((511.0 - trace->GetScreenTrace()[u]) * H / 511.0 + T);
            }
        }
        if (draw) {
            x = limitX(x);
            y = limitY(y);
            PenScope pen(pDC, kCursorColor);
            Line(pDC, limitX(x - 10), y, limitX(x + 10), y);
            Line(pDC, x, T + 1, x, B - 1);
            CBrush black(RGB(0, 0, 0));
            CBrush* pOldBrush = pDC->SelectObject(&black);
            pDC->Rectangle(limitX(x - 4), limitY(y - 4), limitX(x + 5), limitY(y + 5));
            if (pOldBrush)
                pDC->SelectObject(pOldBrush);
        }
    }
    pDC->SetBkMode(oldMode);
}

// --- Readouts -----------------------------------------------------------------------------------------

double CScopeScreen::CursorDeltaTime() const {
    if (!m_pDoc)
        return 0.0;
    const double span = static_cast<double>(m_rcPlot.right) - m_rcPlot.left - 1.0;
    // A plot one pixel wide (or less) has no time scale.
    if (span <= 0.0)
        return 0.0;
    return m_pDoc->m_settings.GetSecondsPerDiv() * 10.0 / span *
           std::fabs(static_cast<double>(m_ptCursorB.x) - m_ptCursorA.x);
}

CString CScopeScreen::FormatCursorTime() const {
    const double dt = CursorDeltaTime();
    if (dt == 0.0)
        return Formatted("Time = %.3f S", 0.0);
    if (dt < 1e-6)
        return Formatted("Time = %.3f nS", dt * 1e9);
    if (dt < 0.001)
        return Formatted("Time = %.3f uS", dt * 1e6);
    if (dt < 1.0)
        return Formatted("Time = %.3f mS", dt * 1000.0);
    return Formatted("Time = %.3f S", dt);
}

CString CScopeScreen::FormatCursorFreq() const {
    const double dt = CursorDeltaTime();
    return FrequencyText(dt == 0.0 ? 0.0 : 1.0 / dt);
}

CString CScopeScreen::FormatCursorVolt() const {
    double dv = 0.0;
    const double H = static_cast<double>(m_rcPlot.bottom) - m_rcPlot.top;
    if (const CTrace* trace = CursorSourceTrace(); trace && H > 0.0)
        dv = (static_cast<double>(m_ptCursorB.y) - m_ptCursorA.y) * trace->GetVoltsPerDiv() * 8.0 / H;
    return VoltRangeText(dv);
}

CString CScopeScreen::FormatVoltAtCursor() const {
    const int u = CursorTraceIndex();
    if (u < 0)
        return Formatted("Volt = %.3f V", 0.0);
    double v = 0.0;
    if (const CTrace* trace = CursorSourceTrace())
        v = trace->RawToVolts(trace->GetScreenTrace()[u]);
    if (v > 0.0 && v < 0.001)
        return Formatted("Volt = %.3f uV", v * 1e6);
    if (v >= 0.001 && v < 1.0)
        return Formatted("Volt = %.3f mV", v * 1000.0);
    return Formatted("Volt = %.3f V", v);
}

CString CScopeScreen::FormatFftCursorFreq() const {
    if (!m_pDoc)
        return FrequencyText(0.0);
    return FrequencyText(
        static_cast<double>(m_pDoc->m_fft.m_frequency[static_cast<size_t>(CursorFftIndex())]));
}

CString CScopeScreen::FormatFftCursorLevel() const {
    if (!m_pDoc)
        return VoltRangeText(0.0);
    const CFftData& fft = m_pDoc->m_fft;
    const double level = fft.m_spectrum[static_cast<size_t>(CursorFftIndex())];
    if (fft.m_nScale != kFftScaleLinear)
        return Formatted("%.2f dB", level);
    // Linear scale: like a voltage difference, except that a negative level also reads in kV.
    if (level > 0.0 && level < 1000.0)
        return VoltRangeText(level);
    return Formatted("Volt = %.3f kV", level * 0.001);
}

void CScopeScreen::GetReadoutPanes(CString& pane1, CString& pane2, CString& pane3) const {
    pane1 = CString();
    pane2 = CString();
    pane3 = CString();
    if (m_nCursorSource == kCursorSourceFft) {
        pane1 = FormatFftCursorFreq();
        pane3 = FormatFftCursorLevel();
        return;
    }
    switch (m_nCursorMode) {
    case kModeCross:
        pane1 = FormatCursorFreq();
        pane2 = FormatCursorTime();
        pane3 = FormatCursorVolt();
        break;
    case kModeTrace:
        pane3 = FormatVoltAtCursor();
        break;
    case kModeVertical:
        pane1 = FormatCursorFreq();
        pane2 = FormatCursorTime();
        break;
    case kModeHorizontal:
        pane3 = FormatCursorVolt();
        break;
    default:
        break;
    }
}
