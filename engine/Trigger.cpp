#include "engine/Trigger.h"

#include "engine/SettingsCodes.h"

namespace {

constexpr CTrigger::LevelPair kDefaultCh1[CTrigger::kVoltDivSteps] = {
    {1341, 1190}, {1600, 1178}, {1605, 605},  {2762, 676}, {1569, 1192},
    {1573, 601},  {2670, 678},  {1586, 1172}, {1570, 620}, {2601, 652},
};
constexpr CTrigger::LevelPair kDefaultCh2[CTrigger::kVoltDivSteps] = {
    {1330, 1178}, {1592, 1175}, {1612, 578},  {2688, 696}, {1575, 1161},
    {1542, 604},  {2730, 596},  {1553, 1168}, {1563, 556}, {2632, 598},
};

bool IsLevelSource(int source) {
    return source >= 0 && source < CTrigger::kLevelCount;
}

// The instrument's level DAC spans 4096 codes where the table assumes 3898.
std::int16_t ScaleLevel(std::int16_t word) {
    return static_cast<std::int16_t>(static_cast<std::int32_t>(word) * 4096 / 3898);
}

} // namespace

CTrigger::CTrigger() {
    SetDefaultLevelTableCh1();
    SetDefaultLevelTableCh2();
}

CTrigger::~CTrigger() = default;

void CTrigger::SetSource(std::int16_t source) {
    if (source >= kSourceCh1 && source <= kSourceExt10)
        m_nSource = source;
}

void CTrigger::SetTriggerType(std::int16_t type) {
    if (type == kTriggerEdge || type == kTriggerPulse) {
        m_nTriggerType = type;
        m_nTriggerTypeWord = type;
    }
}

void CTrigger::SetSweep(std::int16_t sweep) {
    if (sweep >= kSweepAuto && sweep <= kSweepSingle)
        m_nSweep = sweep;
}

void CTrigger::SetSlope(std::int16_t slope) {
    if (slope == kSlopeRising || slope == kSlopeFalling)
        m_nSlope = slope;
}

void CTrigger::SetPulseCondition(std::int16_t condition) {
    if (condition >= kPulsePositiveLess && condition <= kPulseNegativeMore)
        m_nPulseCondition = condition;
}

void CTrigger::SetPulseWidth(std::int32_t width) {
    if (width >= 2 && width <= 2000000000)
        m_nPulseWidth = width;
}

void CTrigger::SetLevel(int source, float level) {
    if (IsLevelSource(source))
        m_fLevel[source] = level;
}

float CTrigger::GetLevel(int source) const {
    return IsLevelSource(source) ? m_fLevel[source] : 0.0f;
}

void CTrigger::SetLevelVolts(int source, float volts) {
    if (IsLevelSource(source))
        m_fLevelVolts[source] = volts;
}

float CTrigger::GetLevelVolts(int source) const {
    return IsLevelSource(source) ? m_fLevelVolts[source] : 0.0f;
}

void CTrigger::SetMarkerWord(int source, std::int16_t word) {
    if (IsLevelSource(source))
        m_nMarkerWord[source] = word;
}

std::int16_t CTrigger::GetMarkerWord(int source) const {
    return IsLevelSource(source) ? m_nMarkerWord[source] : 0;
}

void CTrigger::SetDefaultLevelTableCh1() {
    for (int i = 0; i < kVoltDivSteps; ++i)
        m_levelTableCh1[i] = kDefaultCh1[i];
}

void CTrigger::SetDefaultLevelTableCh2() {
    for (int i = 0; i < kVoltDivSteps; ++i)
        m_levelTableCh2[i] = kDefaultCh2[i];
}

CTrigger::LevelPair CTrigger::GetLevelPair(int channel, int voltDivIndex) const {
    if (voltDivIndex < 0 || voltDivIndex >= kVoltDivSteps)
        return {0, 0};
    if (channel == 0)
        return m_levelTableCh1[voltDivIndex];
    if (channel == 1)
        return m_levelTableCh2[voltDivIndex];
    return {0, 0};
}

void CTrigger::ComputeLevelRange(std::int16_t ch1VoltDiv, std::int16_t ch2VoltDiv,
                                 std::int16_t activeSource) {
    const LevelPair* pair = nullptr;
    if (activeSource == kSourceCh1 && ch1VoltDiv >= 0 && ch1VoltDiv < kVoltDivSteps)
        pair = &m_levelTableCh1[ch1VoltDiv];
    else if (activeSource == kSourceCh2 && ch2VoltDiv >= 0 && ch2VoltDiv < kVoltDivSteps)
        pair = &m_levelTableCh2[ch2VoltDiv];

    if (pair) {
        m_calibration[kLevelRangeHigh] = ScaleLevel(pair->high);
        m_calibration[kLevelRangeLow] = ScaleLevel(pair->low);
    } else if (activeSource == kSourceExt || activeSource == kSourceExt10) {
        m_calibration[kLevelRangeHigh] = 3085;
        m_calibration[kLevelRangeLow] = 497;
    }
}
