#pragma once
// What each instrument model offers, by model index 0..5: the one table that every model-dependent
// rule of the program asks (time bases, record lengths, ranges, trigger and sampling modes, the
// menu items a model does not offer, how its records are processed and exported). An index
// outside 0..5 is answered by an unnamed row that offers what model 3 offers.
#include <cstdint>
#include <vector>

// One row of the interpolation at the fast time bases (state-block time-base word 0..10): 's'
// follows the trace's own interpolation, 'l' is fixed linear; a factor of 0 copies the record.
struct FastInterpolationRow {
    char kind;
    double dual;   // channel mode 2 without ALT
    double single; // otherwise
};
constexpr int kFastInterpolationSteps = 11; // slower time bases always copy

// The sample-rate table a printed page quotes (CScopeSettings::SampleRateText, ...Ets, ...Alt).
enum class PrintedSampleRate { kNone, kPlain, kEts, kAlt };

// What a CSV export writes after its clock line.
enum class CsvExportPoints {
    kNone,   // the clock line only
    kRecord, // the work record of its record length
    kWindow, // the decimated window around the trigger position
};

// How loading a CSV file chooses the record-length mode from the points it read.
enum class CsvLoadRecordLength {
    kUnchanged, // the mode stays
    kAlways10K, // the 10K mode whatever was read
    kByPoints,  // 10240 points the 10K mode, the length of `csvLoadDeepMode` that mode, else unchanged
};

struct ModelCapabilities {
    const char* name;                 // caption; empty outside 0..5
    std::int16_t timeBaseIndexOffset; // 0: time-base index 0 is 2 ns/div; 1: the list starts at 4 ns/div
    std::int32_t maxRecordLength;     // samples per channel; 0 keeps the value it had
    std::uint8_t recordLengthModes;   // Buffer Size items offered: bit k for record-length mode k
    bool has10V;                      // volts/div step 9 (10 V/div at probe x1)
    bool hasPulseTrigger;             // trigger mode Pulse
    bool hasEts;                      // equivalent-time sampling
    bool hasExt10;                    // trigger source EXT/10
    CsvLoadRecordLength csvLoad;
    std::int16_t csvLoadDeepMode; // the deep mode kByPoints recognises
    CsvExportPoints csvExport;
    PrintedSampleRate printedSampleRate;
    // Samples per screen pair of peak detect at record lengths beyond 10240, by time-base word.
    int (*peakDetectBucket)(int timeBase);
    // kFastInterpolationSteps rows, or null when the record is always copied.
    const FastInterpolationRow* fastInterpolation;

    bool Has2ns() const { return timeBaseIndexOffset == 0; }
    bool OffersRecordLengthMode(int mode) const {
        return mode >= 0 && mode < 8 && (recordLengthModes & (1u << mode)) != 0;
    }
};

const ModelCapabilities& CapabilitiesOfModel(int model);

// Command ids of the menu items that `model` does not offer, in the main menu and the context
// menu alike (an id a menu does not hold is simply not there to remove).
std::vector<unsigned> MenuCommandsNotOffered(int model);
