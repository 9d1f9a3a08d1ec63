// The data layers of the screen panel: traces with their persistence records, the FFT trace,
// the X-Y plot and the pass/fail mask shading.
#include "ScopeScreen.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "PenScope.h"
#include "ScreenPixel.h"
#include "engine/KelvaneDoc.h"
#include "engine/SettingsCodes.h"

namespace {

using kv::PenScope;
using kv::ToPixel;

constexpr int kPoints = CTrace::kScreenPoints;

// Screen mapping of a 500-point trace on the plot rectangle; both factors are single precision.
struct TraceMap {
    explicit TraceMap(const CRect& plot)
        : left(static_cast<float>(plot.left)), top(static_cast<float>(plot.top)),
          fx(static_cast<float>(static_cast<std::int64_t>(plot.right) - plot.left) / 499.0f),
          fy(static_cast<float>(static_cast<std::int64_t>(plot.bottom) - plot.top) / 511.0f) {}
    int X(int i) const { return ToPixel(left + static_cast<float>(i) * fx); }
    int Y(int v) const { return ToPixel(top + static_cast<float>(511 - v) * fy); }
    POINT At(int i, int v) const { return POINT{X(i), Y(v)}; }

    float left, top, fx, fy;
};

void DrawDots(CDC* pDC, const TraceMap& map, const std::int16_t* points, COLORREF color) {
    for (int i = 0; i < kPoints; ++i)
        pDC->SetPixel(map.X(i), map.Y(points[i]), color);
}

void DrawLine(CDC* pDC, const TraceMap& map, const std::int16_t* points, int first, int last) {
    POINT pts[kPoints];
    int n = 0;
    for (int i = first; i <= last; ++i)
        pts[n++] = map.At(i, points[i]);
    if (n >= 2)
        pDC->Polyline(pts, n);
}

int ClampInt(int v, int a, int b) {
    return std::min(std::max(v, std::min(a, b)), std::max(a, b));
}

} // namespace

void CScopeScreen::DrawTraces(CDC* pDC) {
    CTrace* traces[] = {&m_pDoc->m_ch1, &m_pDoc->m_ch2, &m_pDoc->m_math, &m_pDoc->m_ref};
    bool anyOn = false;
    for (int i = kTraceCh1; i <= kTraceRef; ++i) {
        if (!traces[i]->IsOn())
            continue;
        DrawWaveform(pDC, traces[i]->GetScreenTrace(), i);
        anyOn = true;
    }
    // The spectrum belongs to the traces: once, after the last one, and never without one.
    if (anyOn && m_pDoc->m_fft.m_bFftOn)
        DrawFftTrace(pDC);
}

void CScopeScreen::DrawWaveform(CDC* pDC, const std::int16_t* points, int index) {
    if (!Usable(pDC) || !m_pDoc || !points || index < kTraceCh1 || index > kTraceRef)
        return;
    CKelvaneDoc& doc = *m_pDoc;
    const CTrace* traces[] = {&doc.m_ch1, &doc.m_ch2, &doc.m_math, &doc.m_ref};
    const CTrace& trace = *traces[index];

    // MATH covers the valid points of its first operand.
    const CTrace& windowOf =
        index == kTraceMath ? (doc.m_math.GetSourceA() != 0 ? doc.m_ch2 : doc.m_ch1) : trace;
    // An out-of-range window would index the 500 points outside the trace.
    const int first = std::max<int>(windowOf.GetFirstValid(), 0);
    const int last = std::min<int>(windowOf.GetLastValid(), kPoints - 1);

    const TraceMap map(m_rcPlot);
    const COLORREF color = ScaledColor(trace.GetColor());
    PenScope pen(pDC, color);

    const CPersistence& persistence = doc.m_persistence;
    const bool persistenceOn = persistence.IsEnabled() != 0;
    const int records = persistence.GetCount(static_cast<short>(index));

    if (doc.m_bRunning && index != kTraceRef) {
        if (m_nDotMode) {
            DrawDots(pDC, map, points, color);
            // Faded records stay in the histories after persistence is switched off; drawing them
            // then would freeze the last frames on screen.
            if (persistenceOn)
                for (int r = 0; r < records; ++r)
                    if (const PersistenceRecord* rec = persistence.GetRecord(static_cast<short>(index), r))
                        DrawDots(pDC, map, rec->points, ScaledColor(rec->color));
        } else {
            DrawLine(pDC, map, points, first, last);
            if (persistenceOn)
                for (int r = 0; r < records; ++r)
                    if (const PersistenceRecord* rec = persistence.GetRecord(static_cast<short>(index), r)) {
                        PenScope recordPen(pDC, ScaledColor(rec->color));
                        DrawLine(pDC, map, rec->points, 0, kPoints - 1);
                    }
        }
        return;
    }

    if (m_nDotMode || trace.GetDisplayPointCount() < kPoints) {
        DrawDots(pDC, map, points, color);
        return;
    }
    // Stopped vector trace: negative values are left out and the line resumes from the last
    // point drawn.
    bool started = false;
    for (int i = first; i <= last; ++i) {
        if (points[i] < 0)
            continue;
        const POINT p = map.At(i, points[i]);
        if (started) {
            pDC->LineTo(p);
        } else {
            pDC->MoveTo(p);
            started = true;
        }
    }
}

void CScopeScreen::DrawFftTrace(CDC* pDC) {
    if (!Usable(pDC) || !m_pDoc)
        return;
    const CFftData& fft = m_pDoc->m_fft;
    // The spectrum holds at most kFftMaxBins values; a larger count would read past it.
    const int n = std::min<int>(fft.m_nBins, kFftMaxBins);
    const double scale = fft.m_dVerticalScale;
    // A zero or negative scale per division has no height to divide by.
    if (n < 1 || !std::isfinite(scale) || scale <= 0.0)
        return;
    const double L = m_rcPlot.left;
    const double T = m_rcPlot.top;
    const double R = m_rcPlot.right;
    const double B = m_rcPlot.bottom;
    const double height = B - T;
    const double step = (R - L) / n * fft.m_nZoom;
    const double unit = height / (scale * 8.0);
    const double base = fft.m_nScale == kFftScaleLinear ? B - height * 0.125 : T + height * 0.125;
    auto y = [&](int k) {
        return ClampInt(ToPixel(base - unit * fft.m_spectrum[static_cast<size_t>(k)]), m_rcPlot.top,
                        m_rcPlot.bottom);
    };
    auto x = [&](int k) { return ClampInt(ToPixel(L + k * step), m_rcPlot.left, m_rcPlot.right); };

    std::vector<POINT> pts(static_cast<size_t>(n));
    pts[0] = POINT{m_rcPlot.left, y(0)};
    for (int k = 1; k < n; ++k)
        pts[static_cast<size_t>(k)] = POINT{x(k), y(k)};
    PenScope pen(pDC, kFftColor);
    if (n >= 2)
        pDC->Polyline(pts.data(), n);
}

void CScopeScreen::DrawXYPlot(CDC* pDC) {
    if (!Usable(pDC) || !m_pDoc)
        return;
    const CTrace& ch1 = m_pDoc->m_ch1;
    const CTrace& ch2 = m_pDoc->m_ch2;
    const std::int16_t* xs = ch1.GetWorkRecord();
    const std::int16_t* ys = ch2.GetWorkRecord();
    if (!xs || !ys)
        return;
    // CH1's record length may exceed what either work record holds.
    const std::int32_t count =
        std::min({ch1.GetRecordLength(), ch1.GetRecordCapacity(), ch2.GetRecordCapacity()});
    const double L = m_rcPlot.left;
    const double T = m_rcPlot.top;
    const double width = static_cast<double>(m_rcPlot.right) - L;
    const double height = static_cast<double>(m_rcPlot.bottom) - T;
    const double x0 = L + 0.1 * width;
    const double kx = width * 0.8 / 511.0;
    const double ky = height / 511.0;
    for (std::int32_t i = 0; i < count; ++i)
        pDC->SetPixel(ToPixel(x0 + xs[i] * kx), ToPixel(T + (511 - ys[i]) * ky), kXYColor);
}

void CScopeScreen::DrawMask(CDC* pDC) {
    if (!Usable(pDC) || !m_pDoc)
        return;
    // Until a mask is created (or loaded) both limits are 0 everywhere. There is nothing
    // outside a mask then; shading above that upper limit would cover the whole plot.
    const CPassFail& passFail = m_pDoc->m_passFail;
    const auto zero = [](std::int16_t v) { return v == 0; };
    if (std::all_of(passFail.m_upper.begin(), passFail.m_upper.end(), zero) &&
        std::all_of(passFail.m_lower.begin(), passFail.m_lower.end(), zero))
        return;
    std::vector<POINT> upper;
    std::vector<POINT> lower;
    m_pDoc->m_passFail.GetMaskRegions(m_rcPlot.left, m_rcPlot.top, m_rcPlot.right, m_rcPlot.bottom, upper,
                                      lower);
    CBrush brush(CPassFail::kMaskColor);
    for (const std::vector<POINT>* region : {&upper, &lower}) {
        if (region->size() < 3)
            continue;
        CRgn rgn;
        if (rgn.CreatePolygonRgn(region->data(), static_cast<int>(region->size()), ALTERNATE))
            pDC->FillRgn(&rgn, &brush);
    }
}
