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

// Sampling mode (CScopeSettings): real time or equivalent time.
constexpr std::int16_t kSamplingRealTime = 0;
constexpr std::int16_t kSamplingEts = 1;

// Channel coupling (CTrace).
constexpr std::int16_t kCouplingDc = 0;
constexpr std::int16_t kCouplingAc = 1;
constexpr std::int16_t kCouplingGnd = 2;

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
