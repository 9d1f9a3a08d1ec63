#include "engine/Trace.h"

#include <algorithm>
#include <cmath>

#include "engine/SettingsCodes.h"
#include "resources/ScaleLabels.h"
#include "scale/VerticalScale.h"
#include "system/Narrow.h"

namespace {

constexpr double kVoltsPerDiv[10] = {0.01, 0.02, 0.05, 0.1, 0.2, 0.5, 1, 2, 5, 10};
constexpr double kProbeFactor[4] = {1, 10, 100, 1000};

bool ValidVoltDiv(int index) {
    return index >= 0 && index <= 9;
}
bool ValidProbe(int probe) {
    return probe >= 0 && probe <= 3;
}

} // namespace

CTrace::CTrace() = default;
CTrace::~CTrace() = default;

void CTrace::SetRecordLength(std::int32_t length) {
    if (length >= 1)
        m_nRecordLength = length;
}

void CTrace::AllocateRecords(std::int32_t samples) {
    const std::size_t n = static_cast<std::size_t>(std::max(samples, kMinRecordCapacity));
    m_raw.assign(n, 0);
    m_work.assign(n, 0);
}

int CTrace::UsableLength() const {
    return std::min<int>(m_nRecordLength, GetRecordCapacity());
}

double CTrace::GetVoltsPerDivOf(std::int16_t index) const {
    const double volts = ValidVoltDiv(index) ? kVoltsPerDiv[index] : 1.0;
    const double probe = ValidProbe(m_nProbe) ? kProbeFactor[m_nProbe] : 1.0;
    return volts * probe;
}

double CTrace::GetVoltsPerDiv() const {
    return GetVoltsPerDivOf(m_nVoltsPerDiv);
}

double CTrace::RawToVolts(std::int16_t code) const {
    return kv::scale::CodesToVolts(code - (511.0 - m_fPosition), GetVoltsPerDiv());
}

int CTrace::VoltsToRaw(double volts) const {
    return kv::TruncSat<int>(kv::scale::VoltsToCodes(volts, GetVoltsPerDiv()) + (511.0 - m_fPosition));
}

void CTrace::FillZeroLevel() {
    if (m_work.empty())
        return;
    // The fast-time-base alignment reads up to 32768 work points; filling only the record
    // length would leave pieces of an older waveform on a grounded channel.
    const int n = std::min<int>(std::max<int>(m_nRecordLength, kInterpolatedLength), GetRecordCapacity());
    const std::int16_t zero = kv::TruncSat<std::int16_t>(511.0 - std::trunc(m_fPosition));
    std::fill(m_work.begin(), m_work.begin() + n, zero);
}

void CTrace::CopyRecord() {
    if (m_work.empty())
        return;
    const int n = UsableLength();
    std::copy(m_raw.begin(), m_raw.begin() + n, m_work.begin());
}

void CTrace::CopyRecord2() {
    CopyRecord();
}

CString CTrace::GetVoltDivText() const {
    return ValidVoltDiv(m_nVoltsPerDiv) ? kv::kVoltsPerDivLadder[static_cast<std::size_t>(m_nVoltsPerDiv)]
                                        : "1.00V";
}

CString CTrace::GetProbeVoltDivText() const {
    // An unchecked probe x 3 + index would read past the 19 labels.
    if (!ValidVoltDiv(m_nVoltsPerDiv) || !ValidProbe(m_nProbe))
        return "1.00V";
    return kv::kVoltsPerDivLadder[static_cast<std::size_t>(m_nProbe * 3 + m_nVoltsPerDiv)];
}

CString CTrace::GetCouplingText() const {
    if (m_nCoupling == kCouplingDc)
        return "DC";
    if (m_nCoupling == kCouplingGnd)
        return "GND";
    return "AC";
}

CString CTrace::GetProbeText() const {
    switch (m_nProbe) {
    case 1:
        return "x10";
    case 2:
        return "x100";
    case 3:
        return "x1000";
    default:
        return "x1";
    }
}

void CTrace::SaveAcquisitionState(std::int32_t copyScreen) {
    m_nVoltsPerDivAtAcquisition = m_nVoltsPerDiv;
    m_fPositionAtAcquisition = m_fPosition;
    if (copyScreen == 1 && !m_work.empty())
        std::copy(m_screen, m_screen + kScreenPoints, m_work.begin());
}

void CTrace::FindValidRange(int points) {
    const int n = std::clamp(points, 0, kScreenPoints);
    int first = n;
    int last = -1;
    for (int i = 0; i < n; ++i) {
        if (m_screen[i] != kGap) {
            if (first == n)
                first = i;
            last = i;
        }
    }
    // An all-gap trace leaves first > last: an empty range that draws nothing.
    m_nFirstValid = static_cast<std::int16_t>(first);
    m_nLastValid = static_cast<std::int16_t>(last);
}
