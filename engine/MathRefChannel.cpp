#include "engine/MathRefChannel.h"

#include "engine/ScopeSettings.h"
#include "scale/VerticalScale.h"

#include <cmath>

#include "system/Narrow.h"

namespace {

double ZeroLine(const CTrace* t) {
    return 511.0 - static_cast<double>(t->GetPosition());
}

// The factors that bring each source's codes to the math channel's volts/div (rounded through
// float) and the zero lines of both sources and of the result.
struct Scaling {
    double kX, kY, zX, zY, zM;
};

Scaling ScalingOf(const CTrace* x, const CTrace* y, const CTrace* math) {
    const double v = math->GetVoltsPerDiv();
    return {static_cast<float>(x->GetVoltsPerDiv() / v), static_cast<float>(y->GetVoltsPerDiv() / v),
            ZeroLine(x), ZeroLine(y), ZeroLine(math)};
}

} // namespace

CString CMathChannel::GetLabel() const {
    static const char* const kOps[] = {" + ", " - ", " X ", " / "};
    CString label = m_nSourceA != 0 ? "CH2" : "CH1";
    label += (m_nOperation >= 0 && m_nOperation <= 3) ? kOps[m_nOperation] : " + ";
    label += m_nSourceB != 0 ? "CH2" : "CH1";
    return label;
}

void CMathChannel::Compute(const CTrace* ch1, const CTrace* ch2) {
    const CTrace* x = m_nSourceA != 0 ? ch2 : ch1;
    const CTrace* y = m_nSourceB != 0 ? ch2 : ch1;
    if (x == nullptr || y == nullptr)
        return;
    switch (m_nOperation) {
    case kAdd:
        ComputeAdd(x, y);
        break;
    case kSubtract:
        ComputeSubtract(x, y);
        break;
    case kMultiply:
        ComputeMultiply(x, y);
        break;
    case kDivide:
        ComputeDivide(x, y);
        break;
    default:
        break;
    }
}

// Runs op(xPoint, yPoint) -> double for the 500 points; a gap in either operand stays a gap.
template <typename Op> void CMathChannel::ForEachPoint(const CTrace* x, const CTrace* y, Op op) {
    const std::int16_t* xs = x->GetScreenTrace();
    const std::int16_t* ys = y->GetScreenTrace();
    std::int16_t* out = GetScreenTrace();
    for (int i = 0; i < kScreenPoints; ++i) {
        if (xs[i] == kGap || ys[i] == kGap) {
            out[i] = kGap;
            continue;
        }
        // Wide arithmetic with saturation: ratios reach 10^6, and an int16 store would wrap
        // large results back onto the screen as spurious points.
        out[i] = kv::TruncSat<std::int16_t>(op(static_cast<double>(xs[i]), static_cast<double>(ys[i])));
    }
}

void CMathChannel::ComputeAdd(const CTrace* x, const CTrace* y) {
    if (x == nullptr || y == nullptr)
        return;
    const Scaling s = ScalingOf(x, y, this);
    if (x == y) {
        ForEachPoint(x, y, [&](double a, double) { return s.zM + s.kX * (a - s.zX) * 2.0; });
        return;
    }
    ForEachPoint(x, y, [&](double a, double b) { return (b - s.zY) * s.kY + (a - s.zX) * s.kX + s.zM; });
}

void CMathChannel::ComputeSubtract(const CTrace* x, const CTrace* y) {
    if (x == nullptr || y == nullptr)
        return;
    const Scaling s = ScalingOf(x, y, this);
    if (x == y) {
        ForEachPoint(x, y, [&](double, double) { return s.zM; });
        return;
    }
    ForEachPoint(x, y, [&](double a, double b) { return (a - s.zX) * s.kX - (b - s.zY) * s.kY + s.zM; });
}

void CMathChannel::ComputeMultiply(const CTrace* x, const CTrace* y) {
    if (x == nullptr || y == nullptr)
        return;
    const double zM = ZeroLine(this);
    // Volts of the product placed on the math channel's own screen scale.
    const double scale = kv::scale::CodesToVolts(1.0, GetVoltsPerDiv());
    ForEachPoint(x, y, [&](double a, double b) {
        return x->RawToVolts(static_cast<std::int16_t>(a)) * y->RawToVolts(static_cast<std::int16_t>(b)) /
                   scale +
               zM;
    });
}

void CMathChannel::ComputeDivide(const CTrace* x, const CTrace* y) {
    if (x == nullptr || y == nullptr)
        return;
    const Scaling s = ScalingOf(x, y, this);
    if (x == y) {
        // A trace divided by itself is 1 everywhere, also on its own zero line.
        ForEachPoint(x, y, [&](double, double) { return s.zM + 1.0; });
        return;
    }
    ForEachPoint(x, y, [&](double a, double b) {
        const double d = (b - s.zY) * s.kY;
        return d != 0.0 ? ((a - s.zX) * s.kX) / d + s.zM : s.zM;
    });
}

void CMathChannel::UpdateFromInputs(const CTrace& ch1, const CTrace& ch2) {
    if (ch1.IsOn()) {
        SetDisplayPointCount(ch1.GetDisplayPointCount());
        if (!ch2.IsOn()) {
            m_nSourceA = m_nSourceB = 0;
            Compute(&ch1, &ch1);
        } else {
            Compute(&ch1, &ch2);
        }
    } else if (ch2.IsOn()) {
        m_nSourceA = m_nSourceB = 1;
        Compute(&ch2, &ch2);
        SetDisplayPointCount(ch2.GetDisplayPointCount());
    } else {
        std::int16_t* out = GetScreenTrace();
        for (int i = 0; i < kScreenPoints; ++i)
            out[i] = 0;
    }
    if (IsInverted())
        InvertTrace();
    ApplyTraceFilter();
}

void CRefChannel::ResetStoredData() {
    m_nHorizontalPosition = 250;
    m_fLoadedPosition = 256.0f;
    m_bNoSamples = 1;
}

void CRefChannel::AcceptLoadedRecord() {
    CopyRecord();
    SetOn(1);
    m_bNoSamples = 0;
}

void CRefChannel::UpdateDisplay(const CScopeSettings& settings) {
    UpdateDisplay(settings.TimeBaseSeconds(m_nTimeBaseIndex), settings.GetSecondsPerDiv(),
                  settings.GetHorizontalPosition());
}

void CRefChannel::UpdateDisplay(double refSecondsPerDiv, double secondsPerDivNow,
                                std::int16_t horizontalPositionNow) {
    CopyRecord();
    if (GetRecordLength() == kScreenRecordLength) {
        RescaleScreenRecord();
    } else {
        // A time base of 0 s/div gives a ratio that is not finite; the conversion shows gaps then.
        const double ratio = refSecondsPerDiv / secondsPerDivNow;
        CompressToDisplay(ratio, m_nHorizontalPosition, horizontalPositionNow);
    }
    ApplyTraceFilter();
}

void CRefChannel::RescaleScreenRecord() {
    const std::int16_t* work = GetWorkRecord();
    if (work == nullptr)
        return;
    std::int16_t* out = GetScreenTrace();
    const double k = GetVoltsPerDivOf(GetVoltsPerDivAtAcquisition()) / GetVoltsPerDiv();
    const double posAcq = std::trunc(static_cast<double>(GetPositionAtAcquisition()));
    const double posNow = std::trunc(static_cast<double>(GetPosition()));
    for (int i = 0; i < kScreenPoints; ++i) {
        const double scaled = std::trunc(k * (posAcq + work[i] - 511.0));
        out[i] = kv::TruncSat<std::int16_t>(scaled - posNow + 511.0);
    }
}
