#include "engine/ScopeSettings.h"

#include "engine/ModelCapabilities.h"
#include "engine/SettingsCodes.h"
#include "timebase/TimeBaseTable.h"

namespace {

static_assert(CScopeSettings::kTimeBaseSteps == kv::timebase::kSteps, "one time-base table");

// Steps 26..38 read alike in every sample-rate table.
const char* const kSlowRates[13] = {"50S/s",    "25S/s",    "12.5S/s", "5S/s",    "2.5S/s",
                                    "1.25S/s",  "0.83S/s",  "0.42S/s", "0.21S/s", "0.083S/s",
                                    "0.042S/s", "0.021S/s", "0.014S/s"};

// Steps 11..25 of the real-time table, by record-length column (c = 0, c = 3, other c).
const char* const kRealTimeRates[15][3] = {
    {"50MS/s", "50MS/s", "50MS/s"},    // 11
    {"50MS/s", "150MS/s", "150MS/s"},  // 12
    {"25MS/s", "50MS/s", "100MS/s"},   // 13
    {"10MS/s", "25MS/s", "50MS/s"},    // 14
    {"5MS/s", "10MS/s", "25MS/s"},     // 15
    {"2.5MS/s", "7.5MS/s", "10MS/s"},  // 16
    {"1MS/s", "3MS/s", "6MS/s"},       // 17
    {"500KS/s", "1.5MS/s", "3MS/s"},   // 18
    {"250KS/s", "750KS/s", "1.5MS/s"}, // 19
    {"100KS/s", "300KS/s", "600KS/s"}, // 20
    {"50KS/s", "150KS/s", "300KS/s"},  // 21
    {"25KS/s", "75KS/s", "150KS/s"},   // 22
    {"10KS/s", "30KS/s", "60KS/s"},    // 23
    {"5KS/s", "15KS/s", "30KS/s"},     // 24
    {"2.5KS/s", "7.5KS/s", "15KS/s"},  // 25
};

// Steps 11..25 of the third table, by column (c = 0, c = 5, other c).
const char* const kAltRates[15][3] = {
    {"100MS/s", "100MS/s", "100MS/s"}, // 11
    {"50MS/s", "50MS/s", "50MS/s"},    // 12
    {"25MS/s", "25MS/s", "25MS/s"},    // 13
    {"10MS/s", "10MS/s", "10MS/s"},    // 14
    {"5MS/s", "250MS/s", "250MS/s"},   // 15
    {"2.5MS/s", "125MS/s", "250MS/s"}, // 16
    {"1MS/s", "50MS/s", "100MS/s"},    // 17
    {"500KS/s", "25MS/s", "50MS/s"},   // 18
    {"250KS/s", "12.5MS/s", "25MS/s"}, // 19
    {"100KS/s", "5MS/s", "10MS/s"},    // 20
    {"50KS/s", "2.5MS/s", "5MS/s"},    // 21
    {"25KS/s", "1.25MS/s", "2.5MS/s"}, // 22
    {"10KS/s", "500KS/s", "1MS/s"},    // 23
    {"5KS/s", "250KS/s", "500KS/s"},   // 24
    {"2.5KS/s", "125KS/s", "250KS/s"}, // 25
};

const char* const kEtsRates[7] = {"50GS/s", "25GS/s", "10GS/s", "5GS/s", "2.5GS/s", "1GS/s", "500MS/s"};

struct StateView {
    int activeSource = 0;
    int channelMode = 0;
    int recordCode = 0;
};

StateView ReadState(const std::int16_t* stateBlock) {
    StateView v;
    if (stateBlock) {
        v.activeSource = stateBlock[kv::kStateActiveSource];
        v.channelMode = stateBlock[kv::kStateChannelMode];
        v.recordCode = stateBlock[kv::kStateRecordLength];
    }
    return v;
}

// Both channels share the converter unless the ALT source is still choosing one.
bool SharesConverter(const StateView& s) {
    return s.channelMode == kChannelModeBoth && s.activeSource != kSourceAlt;
}

} // namespace

CScopeSettings::CScopeSettings() = default;
CScopeSettings::~CScopeSettings() = default;

std::int16_t CScopeSettings::IndexOffsetOfModel(int model) {
    return CapabilitiesOfModel(model).timeBaseIndexOffset;
}

void CScopeSettings::SetIndexOffset(std::int16_t offset) {
    if (offset == 0 || offset == 1)
        m_nIndexOffset = offset;
}

void CScopeSettings::SetTimeBaseIndex(std::int16_t index) {
    // The last reachable index is 38 - offset: a step beyond the table would read as 0 s/div
    // and become a zero divisor for the stopped re-rendering.
    if (index >= 0 && index <= kMaxTimeBaseStep - m_nIndexOffset)
        m_nTimeBaseIndex = index;
}

void CScopeSettings::SetTimeBaseFormat(std::int16_t format) {
    if (format >= kFormatYT && format <= kFormatXY)
        m_nFormat = format;
}

void CScopeSettings::SetSamplingMode(std::int16_t mode) {
    m_nSamplingMode = mode;
    m_bEts = (mode == kSamplingEts) ? 1 : 0;
}

void CScopeSettings::SetRecordLengthMode(std::int16_t mode) {
    // A negative mode would later index the per-mode tables before their start.
    if (mode >= kRecordLength10K && mode <= kMaxRecordLengthMode)
        m_nRecordLengthMode = mode;
}

void CScopeSettings::TimeBaseDown() {
    if (m_nTimeBaseIndex > 0)
        --m_nTimeBaseIndex;
}

void CScopeSettings::TimeBaseUp() {
    const int last = (m_nIndexOffset == 0) ? kMaxTimeBaseStep : kMaxTimeBaseStep - 1;
    if (m_nTimeBaseIndex < last)
        ++m_nTimeBaseIndex;
}

double CScopeSettings::TimeBaseSeconds(std::int16_t index) const {
    const int step = index + m_nIndexOffset;
    if (step < 0 || step > kMaxTimeBaseStep)
        return 0.0;
    return kv::timebase::SecondsPerDivision(step);
}

void CScopeSettings::CacheTimeBase() {
    m_dCachedSecondsPerDiv = GetSecondsPerDiv();
    m_nCachedHorizontalPosition = m_nHorizontalPosition;
}

CString CScopeSettings::SampleRateText(std::int16_t index, const std::int16_t* stateBlock) const {
    const int step = index + m_nIndexOffset;
    const StateView s = ReadState(stateBlock);
    if (step < 0 || step > kMaxTimeBaseStep)
        return "0.00S/s";
    if (step >= 26)
        return kSlowRates[step - 26];
    if (step == 0)
        return "";
    if (step <= 10)
        return SharesConverter(s) ? "50MS/s" : "100MS/s";
    const int column = s.recordCode == kRecordLength10K ? 0 : (s.recordCode == kRecordLength32K ? 1 : 2);
    return kRealTimeRates[step - 11][column];
}

CString CScopeSettings::SampleRateTextEts(std::int16_t index, const std::int16_t* stateBlock) const {
    const int step = index + m_nIndexOffset;
    const StateView s = ReadState(stateBlock);
    if (step < 0 || step > kMaxTimeBaseStep)
        return "0.00S/s";
    if (step <= 6 && m_bEts)
        return kEtsRates[step];
    if (step <= 10)
        return SharesConverter(s) ? "75MS/s" : "150MS/s";
    if (step == 11)
        return "75MS/s";
    if (step == 13) {
        const int column = s.recordCode == kRecordLength10K ? 0 : (s.recordCode == kRecordLength32K ? 1 : 2);
        const char* const rates[3] = {"25MS/s", "75MS/s", "150MS/s"};
        return rates[column];
    }
    return SampleRateText(index, stateBlock);
}

CString CScopeSettings::SampleRateTextAlt(std::int16_t index, const std::int16_t* stateBlock) const {
    const int step = index + m_nIndexOffset;
    const StateView s = ReadState(stateBlock);
    if (step < 0 || step > kMaxTimeBaseStep)
        return "0.00S/s";
    if (step >= 26)
        return kSlowRates[step - 26];
    if (step <= 6 && m_bEts)
        return kEtsRates[step];
    if (step <= 10)
        return SharesConverter(s) ? "125MS/s" : "250MS/s";
    const int column = s.recordCode == kRecordLength10K ? 0 : (s.recordCode == kRecordLength512K ? 1 : 2);
    return kAltRates[step - 11][column];
}
