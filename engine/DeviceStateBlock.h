#pragma once
// The six-word device state block that the instrument access keeps and hands to the
// instrument by pointer; trace processing and the sample-rate texts read it.
#include <cstdint>

enum DeviceStateWord : int {
    kStateActiveSource = 0, // 0 CH1, 1 CH2, 2 ALT (until the next capture), 3 EXT, 4 EXT/10
    kStateChannelMode = 1,  // 0 CH1 only, 2 both channels, 3 CH2 only
    kStateTimeBase = 2,     // time-base index 0..38
    kStatePosition = 3,     // horizontal position / 5, 0..100
    kStateRecordLength = 4, // record-length code 0..6
    kStateAltFlag = 5,      // 1 while the trigger source is ALT
};

constexpr int kStateBlockWords = 6;
