#include "engine/Measure.h"

#include "engine/Trace.h"
#include "scale/VerticalScale.h"
#include "system/NumberText.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "system/Narrow.h"

namespace {

constexpr double kPointDivs = 0.02; // one screen point in divisions
const char kStars[] = "*****";

const char* const kLabels[CMeasure::kTypes] = {
    "Vpp = ",   "Vmax = ",   "Vmin = ",  "Vamp = ",    "Vtop = ",    "Vmid = ",   "Vbase = ",
    "Vmean = ", "Vcmean = ", "Vrms = ",  "Vpshoot = ", "Vnshoot = ", "Period = ", "Frequ = ",
    "RiseT = ", "FallT = ",  "+Duty = ", "-Duty = ",   "+Width = ",  "-Width = "};
const char* const kPrefixes[CMeasure::kSources] = {"CH1:", "CH2:", "MATH:"};

bool IsOn(const CTrace* t) {
    return t != nullptr && t->IsOn() != 0;
}
const std::int16_t* Points(const CTrace* t) {
    return t->GetScreenTrace();
}
// Zero line of the trace in screen codes.
double ZeroLine(const CTrace* t) {
    return 511.0 - t->GetPosition();
}
bool IsGap(std::int16_t p) {
    return p == CTrace::kGap;
}

using kv::TruncSat;

// Prints a scaled value with about three significant digits, chosen by where the "." falls in the
// "%f" text of its magnitude.
CString FormatNumber(double v, const char* unit) {
    const std::string text = kv::FormatText("%f", std::fabs(v));
    const std::size_t dot = text.find('.');
    const long at = dot == std::string::npos ? -1 : static_cast<long>(dot);
    CString s;
    if (at == 1)
        s.Format("%.2f%s", v, unit);
    else if (at == 2)
        s.Format("%.1f%s", v, unit);
    else
        s.Format("%d%s", TruncSat<int>(v), unit);
    return s;
}

} // namespace

CString FormatVolts(float volts) {
    const double v = volts;
    const double a = std::fabs(v);
    if (a >= 1000.0)
        return FormatNumber(v * 0.001, "kV");
    if (a >= 0.001 && a < 1.0)
        return FormatNumber(v * 1000.0, "mV");
    if (a >= 1e-6 && a < 0.001)
        return FormatNumber(v * 1000000.0, "uV");
    return FormatNumber(v, "V");
}

CString FormatSeconds(double t) {
    const double a = std::fabs(t);
    if (a >= 1.0)
        return FormatNumber(t, "s");
    if (a >= 0.001)
        return FormatNumber(t * 1000.0, "ms");
    if (a >= 1e-6)
        return FormatNumber(t * 1000000.0, "us");
    if (a >= 1e-9)
        return FormatNumber(t * 1e9, "ns");
    return FormatNumber(t, "");
}

CString FormatHertz(double f) {
    const double a = std::fabs(f);
    if (a < 1000.0)
        return FormatNumber(f, "Hz");
    if (a < 1e6)
        return FormatNumber(f * 0.001, "kHz");
    if (a >= 1e9)
        return FormatNumber(f * 1e-9, "GHz");
    return FormatNumber(f * 1e-6, "MHz");
}

CMeasure::CMeasure() {
    for (auto& t : m_strText)
        t = kStars;
    for (int s = 0; s < kSources; ++s)
        for (int k = 0; k < 5; ++k)
            m_min[s][k] = 511;
}

void CMeasure::SetSource(short source) {
    if (ValidSource(source))
        m_nSource = source;
}

void CMeasure::DropOldest() {
    for (int i = 0; i + 1 < kMaxEntries; ++i) {
        m_entries[i].source = m_entries[i + 1].source;
        m_entries[i].type = m_entries[i + 1].type;
    }
}

void CMeasure::AddMeasurement(short type) {
    if (m_nCount >= kMaxEntries) {
        DropOldest();
        m_nCount = kMaxEntries;
    } else {
        m_nCount = static_cast<short>(m_nCount < 0 ? 1 : m_nCount + 1);
    }
    Entry& e = m_entries[m_nCount - 1];
    e.used = 1;
    e.source = m_nSource;
    e.type = type;
}

void CMeasure::ClearAll() {
    for (int i = 0; i < kMaxEntries; ++i) {
        m_entries[i] = Entry{};
        m_strText[i] = kStars;
    }
    m_nCount = 0;
}

void CMeasure::SetDefaults() {
    m_nSource = 0;
    m_nCount = 0;
    m_nCountdown = 0;
    for (int i = 0; i < kMaxEntries; ++i) {
        m_entries[i] = Entry{};
        m_strText[i] = "CH?:*****";
    }
}

void CMeasure::SetCount(short count) {
    // A count above 8 from a file would run past the eight entries.
    m_nCount = count < 0 ? 0 : count > kMaxEntries ? kMaxEntries : count;
}

const CMeasure::Entry& CMeasure::GetEntry(int index) const {
    static const Entry kNone{};
    return (index >= 0 && index < kMaxEntries) ? m_entries[index] : kNone;
}

void CMeasure::SetEntry(int index, std::int32_t used, std::int16_t source, std::int16_t type) {
    if (index < 0 || index >= kMaxEntries)
        return;
    m_entries[index].used = used;
    m_entries[index].source = source;
    m_entries[index].type = type;
}

const CString& CMeasure::GetText(int index) const {
    static const CString kEmpty;
    return (index >= 0 && index < kMaxEntries) ? m_strText[index] : kEmpty;
}

short CMeasure::GetMax(short source, int slot) const {
    return (ValidSource(source) && slot >= 0 && slot < 5) ? m_max[source][slot] : 0;
}

short CMeasure::GetMin(short source, int slot) const {
    return (ValidSource(source) && slot >= 0 && slot < 5) ? m_min[source][slot] : 0;
}

short CMeasure::GetEdge(short source, int edge) const {
    return (ValidSource(source) && edge >= 0 && edge < 3) ? m_edges[source][edge] : 0;
}

bool CMeasure::TickUpdate(double secondsPerDiv, const CTrace* ch1, const CTrace* ch2, const CTrace* math) {
    if (m_nCount <= 0)
        return false;
    if (m_nCountdown != 0) {
        --m_nCountdown;
        return false;
    }
    m_dSecondsPerDiv = secondsPerDiv;
    Update(ch1, ch2, math);
    m_nCountdown = kUpdateEvery;
    return true;
}

void CMeasure::Update(const CTrace* ch1, const CTrace* ch2, const CTrace* math) {
    const CTrace* traces[kSources] = {ch1, ch2, math};
    ComputeStats(ch1, ch2, math);
    for (short s = 0; s < kSources; ++s)
        if (IsOn(traces[s]))
            FindEdges(s, traces[s]);
    const int count = m_nCount > kMaxEntries ? kMaxEntries : m_nCount;
    for (int i = 0; i < count; ++i) {
        if (!m_entries[i].used)
            continue;
        // A source outside 0..2 from a file would index the per-source slots out of bounds.
        if (!ValidSource(m_entries[i].source))
            continue;
        m_strText[i] = FormatMeasurement(i, traces[m_entries[i].source]);
    }
}

void CMeasure::ComputeStats(const CTrace* ch1, const CTrace* ch2, const CTrace* math) {
    const CTrace* traces[kSources] = {ch1, ch2, math};
    for (int s = 0; s < kSources; ++s) {
        for (int k = 0; k < 5; ++k) {
            m_max[s][k] = 0;
            m_min[s][k] = 511;
        }
        m_nSamples[s] = 0;
        if (!IsOn(traces[s]))
            continue;
        const std::int16_t* pts = Points(traces[s]);
        for (int i = 0; i < CTrace::kScreenPoints; ++i) {
            const std::int16_t p = pts[i];
            // A gap holds no sample; as a value it would beat every maximum.
            if (IsGap(p))
                continue;
            ++m_nSamples[s];
            bool placed = false;
            for (int k = 0; k < 5 && !placed; ++k) {
                if (p > m_max[s][k]) {
                    m_max[s][k] = p;
                    placed = true;
                }
            }
            for (int k = 0; k < 5 && !placed; ++k) {
                if (p < m_min[s][k]) {
                    m_min[s][k] = p;
                    placed = true;
                }
            }
        }
    }
}

void CMeasure::FindEdges(short source, const CTrace* trace) {
    if (!ValidSource(source))
        return;
    short* e = m_edges[source];
    e[0] = e[1] = e[2] = 0;
    if (trace == nullptr)
        return;
    const std::int16_t* pts = Points(trace);
    const int mid = (m_max[source][4] + m_min[source][4]) / 2;
    int state = (!IsGap(pts[0]) && pts[0] > mid) ? 1 : 0;
    int found = 0;
    short edges[3] = {0, 0, 0};
    for (int i = 1; i < CTrace::kScreenPoints && found < 3; ++i) {
        const int p = pts[i];
        if (IsGap(pts[i]))
            continue;
        int next = state;
        if (p > mid + 6)
            next = 1;
        else if (p < mid - 6)
            next = 0;
        if (next != state) {
            const int wanted = (found == 1) ? 0 : 1; // rising, falling, rising
            if (next == wanted)
                edges[found++] = static_cast<short>(i);
            state = next;
        }
    }
    if (found == 3) {
        e[0] = edges[0];
        e[1] = edges[1];
        e[2] = edges[2];
    }
}

namespace {

// Level crossing shared by rise and fall time: starting against `first`, the first change of the
// level state to `towards` gives the start; the level becomes `second`, the state is taken afresh
// at that point, and the next change to `towards` gives the end.
bool FindTransition(const std::int16_t* pts, int first, int second, int towards, int* start, int* end) {
    auto stateAt = [](int p, int level, int keep) { return p > level ? 1 : p < level ? 0 : keep; };
    int level = first;
    int state = IsGap(pts[0]) ? 0 : stateAt(pts[0], level, 0);
    int s = -1;
    for (int i = 1; i < CTrace::kScreenPoints; ++i) {
        if (IsGap(pts[i]))
            continue;
        const int next = stateAt(pts[i], level, state);
        if (next != state && next == towards) {
            if (s < 0) {
                s = i;
                level = second;
                state = stateAt(pts[s], level, 0);
                continue;
            }
            *start = s;
            *end = i;
            return true;
        }
        state = next;
    }
    return false;
}

} // namespace

bool CMeasure::FindRiseTime(short source, const CTrace* trace, double* seconds) const {
    if (!ValidSource(source) || trace == nullptr)
        return false;
    const int top = m_max[source][4], base = m_min[source][4];
    const int low = TruncSat<int>(base + (top - base) * 0.1);
    const int high = TruncSat<int>(base + (top - base) * 0.9);
    int s = 0, i = 0;
    if (!FindTransition(Points(trace), low, high, 1, &s, &i))
        return false;
    if (seconds)
        *seconds = (i - s) * kPointDivs * m_dSecondsPerDiv;
    return true;
}

bool CMeasure::FindFallTime(short source, const CTrace* trace, double* seconds) const {
    if (!ValidSource(source) || trace == nullptr)
        return false;
    const int top = m_max[source][4], base = m_min[source][4];
    const int low = TruncSat<int>(base + (top - base) * 0.1);
    const int high = TruncSat<int>(base + (top - base) * 0.9);
    int s = 0, i = 0;
    if (!FindTransition(Points(trace), high, low, 0, &s, &i))
        return false;
    if (seconds)
        *seconds = (i - s) * kPointDivs * m_dSecondsPerDiv;
    return true;
}

CString CMeasure::FormatMeasurement(int index, const CTrace* trace) const {
    if (index < 0 || index >= kMaxEntries)
        return CString();
    const Entry& e = m_entries[index];
    if (e.type < 0 || e.type >= kTypes || !ValidSource(e.source))
        return CString();
    CString text = kPrefixes[e.source];
    text += kLabels[e.type];
    // A trace made only of gaps has no level to measure; its empty slots would read as values.
    if (!IsOn(trace) || m_nSamples[e.source] == 0)
        text += kStars;
    else
        text += ValueText(e.type, e.source, trace);
    return text;
}

CString CMeasure::ValueText(short type, short source, const CTrace* trace) const {
    const std::int16_t* pts = Points(trace);
    const double v = kv::scale::CodesToVolts(1.0, trace->GetVoltsPerDiv()); // volts per code
    const double z = ZeroLine(trace);
    const double max0 = m_max[source][0], min0 = m_min[source][0];
    const double top = m_max[source][4], base = m_min[source][4];
    const int e0 = m_edges[source][0], e1 = m_edges[source][1], e2 = m_edges[source][2];
    const double T = m_dSecondsPerDiv;
    CString s;

    switch (type) {
    case 0:
        return FormatVolts(static_cast<float>(v * (max0 - min0)));
    case 1:
        return FormatVolts(static_cast<float>(v * (max0 - z)));
    case 2:
        return FormatVolts(static_cast<float>(v * (min0 - z)));
    case 3:
        return FormatVolts(static_cast<float>(v * (top - base)));
    case 4:
        return FormatVolts(static_cast<float>(v * (top - z)));
    case 5:
        return FormatVolts(static_cast<float>(v * (base + (top - base) * 0.5 - z)));
    case 6:
        return FormatVolts(static_cast<float>(v * (base - z)));
    case 7: {
        const double mean = GetMeanPoint(trace);
        return FormatVolts(static_cast<float>(v * (mean - z)));
    }
    case 8: {
        if (e2 == 0)
            return kStars;
        double sum = 0.0;
        int n = 0;
        for (int i = e0; i <= e2 && i < CTrace::kScreenPoints; ++i) {
            if (IsGap(pts[i]))
                continue;
            sum += pts[i];
            ++n;
        }
        if (n == 0)
            return kStars;
        return FormatVolts(static_cast<float>(v * (sum / n - z)));
    }
    case 9: {
        double sum = 0.0;
        int n = 0;
        for (int i = 0; i < CTrace::kScreenPoints; ++i) {
            if (IsGap(pts[i]))
                continue;
            const double u = v * (pts[i] - z);
            sum += u * u;
            ++n;
        }
        if (n == 0)
            return kStars;
        return FormatVolts(static_cast<float>(std::sqrt(sum * (1.0 / n))));
    }
    case 10:
        if (top == base)
            return kStars;
        s.Format("%.1f%%", (base - min0) / (top - base) * 100.0);
        return s;
    case 11:
        if (top == base)
            return kStars;
        s.Format("%.1f%%", (max0 - top) / (top - base) * 100.0);
        return s;
    case 12:
        if (e2 == 0)
            return kStars;
        return FormatSeconds((e2 - e0) * kPointDivs * T);
    case 13:
        if (e2 == 0)
            return kStars;
        return FormatHertz(1.0 / ((e2 - e0) * kPointDivs * T));
    case 14:
    case 15: {
        double t = 0.0;
        const bool ok = type == 14 ? FindRiseTime(source, trace, &t) : FindFallTime(source, trace, &t);
        return ok ? FormatSeconds(t) : CString(kStars);
    }
    case 16:
        if (e1 == e0 || e2 == e0)
            return kStars;
        s.Format("%.1f%%", static_cast<double>(e1 - e0) / (e2 - e0) * 100.0);
        return s;
    case 17:
        if (e2 == e1 || e2 == e0)
            return kStars;
        s.Format("%.1f%%", static_cast<double>(e2 - e1) / (e2 - e0) * 100.0);
        return s;
    case 18:
    case 19: {
        const double w = (type == 18 ? e1 - e0 : e2 - e1) * kPointDivs * T;
        if (w == 0.0)
            return kStars;
        return FormatSeconds(w);
    }
    default:
        return CString();
    }
}

double CMeasure::GetMidLevel(short source) const {
    if (source != 0 && source != 1)
        return 0.0;
    return 511.0 - ((m_max[source][0] - m_min[source][0]) * 0.5 + m_min[source][0]);
}

short CMeasure::GetPeakToPeakPoints(short source) const {
    if (source != 0 && source != 1)
        return 0;
    return static_cast<short>(m_max[source][0] - m_min[source][0]);
}

double CMeasure::GetPeriodsOnScreen(short source) const {
    if (source != 0 && source != 1)
        return 0.0;
    const int span = m_edges[source][2] - m_edges[source][0];
    // No full period found: a zero span would divide by zero.
    if (span <= 0)
        return 0.0;
    return 500.0 / span;
}

double CMeasure::GetMeanPoint(const CTrace* trace) {
    if (trace == nullptr)
        return 0.0;
    const std::int16_t* pts = Points(trace);
    double sum = 0.0;
    int n = 0;
    for (int i = 0; i < CTrace::kScreenPoints; ++i) {
        if (IsGap(pts[i]))
            continue;
        sum += pts[i];
        ++n;
    }
    // Gaps hold no sample; with none the mean is sum x 0.002 as usual.
    return n == 0 ? 0.0 : sum * (1.0 / n);
}
