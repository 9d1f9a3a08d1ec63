#include "engine/ModelCapabilities.h"

#include "engine/SettingsCodes.h"
#include "resources/Resource.h"

#include <initializer_list>

namespace {

constexpr std::uint8_t Modes(std::initializer_list<std::int16_t> modes) {
    std::uint8_t bits = 0;
    for (std::int16_t mode : modes)
        bits = static_cast<std::uint8_t>(bits | (1u << mode));
    return bits;
}

constexpr std::uint8_t kEveryRecordLength =
    Modes({kRecordLength10K, kRecordLength14K, kRecordLength28K, kRecordLength32K, kRecordLength64K,
           kRecordLength512K, kRecordLength1M});

// Peak detect at the deep record lengths: samples per screen pair by time-base word.
bool IsThirdStep(int t) {
    return t == 13 || t == 16 || t == 19 || t == 22;
}
int Bucket80Within11To24(int t) {
    return (t >= 11 && t <= 24) ? (IsThirdStep(t) ? 100 : 80) : 120;
}
int Bucket120At11And12(int t) {
    return (t == 11 || t == 12) ? 120 : (IsThirdStep(t) ? 100 : 80);
}
int Bucket2000(int) {
    return 2000;
}
int Bucket40(int) {
    return 40;
}

// Interpolation factors at the fast time bases, by model.
constexpr FastInterpolationRow kInterpolationA[kFastInterpolationSteps] = {
    {'s', 3400, 2500}, {'s', 2000, 1000}, {'s', 990, 500}, {'s', 500, 253},   {'l', 200, 100}, {'l', 100, 48},
    {'l', 50.5, 25},   {'l', 20, 10},     {'l', 10, 5},    {'l', 5.05, 2.52}, {'l', 2, 0}};
constexpr FastInterpolationRow kInterpolationB[kFastInterpolationSteps] = {
    {'s', 3320, 1650}, {'s', 1336, 666},  {'s', 666, 335},    {'s', 335, 165},
    {'l', 133, 67},    {'l', 67, 33.5},   {'l', 33.5, 16.65}, {'l', 13.32, 6.65},
    {'l', 6.7, 3.33},  {'l', 3.34, 1.67}, {'l', 1.33, 1.33}};
constexpr FastInterpolationRow kInterpolationC[kFastInterpolationSteps] = {
    {'s', 2000, 1000}, {'s', 800, 400}, {'s', 400, 200}, {'s', 200, 100}, {'l', 80, 40}, {'l', 40, 20},
    {'l', 20, 10},     {'l', 8, 4},     {'l', 4, 2},     {'l', 2, 0},     {'l', 0, 0}};
constexpr FastInterpolationRow kInterpolationE[kFastInterpolationSteps] = {
    {'s', 5000, 2500}, {'s', 2500, 1250}, {'s', 1000, 500}, {'s', 500, 250}, {'s', 250, 125}, {'l', 100, 50},
    {'l', 50, 25},     {'l', 25, 12.5},   {'l', 10, 5},     {'l', 5, 2.5},   {'l', 2.5, 1.25}};
constexpr FastInterpolationRow kInterpolationF[kFastInterpolationSteps] = {
    {'s', 4000, 2000}, {'s', 2000, 1000}, {'s', 800, 400}, {'s', 400, 200}, {'s', 200, 100}, {'l', 80, 40},
    {'l', 40, 20},     {'l', 20, 10},     {'l', 8, 4},     {'l', 4, 2},     {'l', 2, 0}};

// clang-format off
const ModelCapabilities kModels[] = {
    // name, time-base index offset, maximum record length, Buffer Size items,
    // 10 V, Pulse, ETS, EXT/10,
    // CSV load, its deep mode, CSV export, printed sample rate, peak-detect buckets, interpolation
    {"Kestra-A USB", 1, 65536, Modes({kRecordLength10K, kRecordLength32K, kRecordLength64K}),
     false, false, false, false,
     CsvLoadRecordLength::kByPoints, kRecordLength32K, CsvExportPoints::kRecord, PrintedSampleRate::kPlain,
     Bucket80Within11To24, kInterpolationA},
    {"Kestra-B USB", 1, 65536, Modes({kRecordLength10K, kRecordLength32K, kRecordLength64K}),
     false, false, false, true,
     CsvLoadRecordLength::kByPoints, kRecordLength32K, CsvExportPoints::kRecord, PrintedSampleRate::kEts,
     Bucket120At11And12, kInterpolationB},
    {"Kestra-C USB", 1, 1048576, Modes({kRecordLength10K, kRecordLength512K, kRecordLength1M}),
     false, false, false, true,
     CsvLoadRecordLength::kAlways10K, kRecordLength10K, CsvExportPoints::kWindow, PrintedSampleRate::kAlt,
     Bucket2000, kInterpolationC},
    {"Kestra-D USB", 1, 0, kEveryRecordLength,
     false, false, false, true,
     CsvLoadRecordLength::kUnchanged, kRecordLength10K, CsvExportPoints::kNone, PrintedSampleRate::kNone,
     Bucket40, nullptr},
    {"Kestra-E USB", 0, 28672, Modes({kRecordLength10K, kRecordLength14K, kRecordLength28K}),
     true, true, true, false,
     CsvLoadRecordLength::kByPoints, kRecordLength14K, CsvExportPoints::kRecord, PrintedSampleRate::kEts,
     Bucket40, kInterpolationE},
    {"Kestra-F USB", 0, 1048576, Modes({kRecordLength10K, kRecordLength512K, kRecordLength1M}),
     true, true, true, true,
     CsvLoadRecordLength::kAlways10K, kRecordLength10K, CsvExportPoints::kWindow, PrintedSampleRate::kAlt,
     Bucket2000, kInterpolationF},
};

// Any other index.
const ModelCapabilities kUnknownModel =
    {"", 1, 0, kEveryRecordLength,
     false, false, false, true,
     CsvLoadRecordLength::kUnchanged, kRecordLength10K, CsvExportPoints::kNone, PrintedSampleRate::kNone,
     Bucket40, nullptr};
// clang-format on

// The Buffer Size item of each record-length mode.
constexpr unsigned kBufferSizeIds[] = {ID_BUFFER_10K, ID_BUFFER_14K,  ID_BUFFER_28K, ID_BUFFER_32K,
                                       ID_BUFFER_64K, ID_BUFFER_512K, ID_BUFFER_1M};

} // namespace

const ModelCapabilities& CapabilitiesOfModel(int model) {
    constexpr int kCount = static_cast<int>(sizeof(kModels) / sizeof(kModels[0]));
    return model >= 0 && model < kCount ? kModels[model] : kUnknownModel;
}

std::vector<unsigned> MenuCommandsNotOffered(int model) {
    const ModelCapabilities& m = CapabilitiesOfModel(model);
    std::vector<unsigned> ids;
    if (!m.has10V)
        for (unsigned first :
             {ID_CH1_VOLTDIV_FIRST, ID_CH2_VOLTDIV_FIRST, ID_MATH_VOLTDIV_FIRST, ID_REF_VOLTDIV_FIRST})
            ids.push_back(first + kMaxVoltDiv);
    if (!m.hasPulseTrigger)
        ids.push_back(ID_TRIG_MODE_PULSE);
    if (!m.Has2ns())
        ids.push_back(ID_TIMEDIV_FIRST);
    if (!m.hasEts)
        ids.push_back(ID_SAMPLING_ETS);
    if (!m.hasExt10)
        ids.push_back(ID_TRIG_SOURCE_FIRST + kSourceExt10);
    for (int mode = kRecordLength10K; mode <= kRecordLength1M; ++mode)
        if (!m.OffersRecordLengthMode(mode))
            ids.push_back(kBufferSizeIds[mode]);
    ids.push_back(ID_ACQ_PEAK); // no model offers Peak Detect
    return ids;
}
