#pragma once
// Codes of the settings that the document stores, sends to the instrument and keeps in the setup
// file. Every layer that tests or sets one of these uses the names here.
#include <cstdint>

// Horizontal format (CScopeSettings).
constexpr std::int16_t kFormatYT = 0;
constexpr std::int16_t kFormatRoll = 1;
constexpr std::int16_t kFormatXY = 2;

// Trigger source (CTrigger) and the state block's active source; ALT stands there until the
// next capture picks a channel.
constexpr std::int16_t kSourceCh1 = 0;
constexpr std::int16_t kSourceCh2 = 1;
constexpr std::int16_t kSourceAlt = 2;
constexpr std::int16_t kSourceExt = 3;
constexpr std::int16_t kSourceExt10 = 4;

// Trigger sweep (CTrigger).
constexpr std::int16_t kSweepAuto = 0;
constexpr std::int16_t kSweepNormal = 1;
constexpr std::int16_t kSweepSingle = 2;

// Trigger mode (CTrigger's trigger type).
constexpr std::int16_t kTriggerEdge = 0;
constexpr std::int16_t kTriggerPulse = 1;

// Trigger slope (CTrigger), in Edge mode.
constexpr std::int16_t kSlopeRising = 0;
constexpr std::int16_t kSlopeFalling = 1;

// Pulse-width condition (CTrigger), in Pulse mode: the three of a positive pulse, then the three of
// a negative one.
constexpr std::int16_t kPulsePositiveLess = 0;
constexpr std::int16_t kPulsePositiveEqual = 1;
constexpr std::int16_t kPulsePositiveMore = 2;
constexpr std::int16_t kPulseNegativeLess = 3;
constexpr std::int16_t kPulseNegativeEqual = 4;
constexpr std::int16_t kPulseNegativeMore = 5;

// Sampling mode (CScopeSettings): real time or equivalent time.
constexpr std::int16_t kSamplingRealTime = 0;
constexpr std::int16_t kSamplingEts = 1;

// Channel coupling (CTrace).
constexpr std::int16_t kCouplingDc = 0;
constexpr std::int16_t kCouplingAc = 1;
constexpr std::int16_t kCouplingGnd = 2;
constexpr std::int16_t kCouplingMath = 4; // MATH's own: it has no input stage

// Record-length mode (CScopeSettings), the Buffer Size items in menu order; the samples each
// gives per channel are kv::timebase::RecordLengthOfCode's.
constexpr std::int16_t kRecordLength10K = 0;
constexpr std::int16_t kRecordLength14K = 1;
constexpr std::int16_t kRecordLength28K = 2;
constexpr std::int16_t kRecordLength32K = 3;
constexpr std::int16_t kRecordLength64K = 4;
constexpr std::int16_t kRecordLength512K = 5;
constexpr std::int16_t kRecordLength1M = 6;

// Interpolation of the fast time bases (CTrace).
constexpr std::int16_t kInterpolationStep = 0;
constexpr std::int16_t kInterpolationLinear = 1;
constexpr std::int16_t kInterpolationSinc = 2; // sin(x)/x

// FFT window and vertical scale (CFftData).
constexpr std::int16_t kFftWindowRectangle = 0;
constexpr std::int16_t kFftWindowHanning = 1;
constexpr std::int16_t kFftWindowHamming = 2;
constexpr std::int16_t kFftWindowBlackman = 3;
constexpr std::int16_t kFftScaleDb = 0;
constexpr std::int16_t kFftScaleLinear = 1; // volts

// The state block's channel mode: which channels the instrument captures.
constexpr std::int16_t kChannelModeCh1 = 0;
constexpr std::int16_t kChannelModeBoth = 2;
constexpr std::int16_t kChannelModeCh2 = 3;

// Trigger-level marker word of a source (CTrigger): where its level pointer is drawn.
constexpr std::int16_t kLevelInside = 0;
constexpr std::int16_t kLevelAbove = 2; // clamped to the top edge
constexpr std::int16_t kLevelBelow = 3; // clamped to the bottom edge

// Ranges of stored values.
constexpr int kMaxVoltDiv = 9;              // volts/div index 0..9 (10 mV .. 10 V)
constexpr int kMaxHorizontalPosition = 500; // horizontal trigger position 0..500 screen points
constexpr int kMaxLevelCode = 511;          // level-block words 0..511 (0 at the top edge)
constexpr int kMaxPositionWord = 100;       // state block position word: horizontal position / 5
