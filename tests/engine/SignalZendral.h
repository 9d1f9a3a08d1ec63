#pragma once
// An instrument for the acquisition tests: it records every call like the recording fake and
// delivers records in which CH1 and CH2 carry different signals that may change from capture to
// capture (the trigger moves, the level drifts), so a channel mixed up with the other one, or a
// sample taken from the wrong place, shows in the screen traces.
#include "zendral/RecordingZendral.h"

#include <functional>

class SignalZendral : public kv::RecordingZendral {
public:
    // Code of sample i of a channel's record in capture number n (0 for the first record).
    using Signal = std::function<short(int n, int i)>;

    // A rising staircase on CH1 and a falling one on CH2, one step every 40 samples.
    Signal ch1 = [](int, int i) { return static_cast<short>(50 + (i / 40) % 400); };
    Signal ch2 = [](int, int i) { return static_cast<short>(460 - (i / 40) % 400); };
    int captures = 0; // records delivered so far

    int GetChannelData(short device, short ch1VoltDiv, short ch2VoltDiv, short* ch1Record, short* ch2Record,
                       int capacity, short* stateBlock, int captureState) override {
        const int r = RecordingZendral::GetChannelData(device, ch1VoltDiv, ch2VoltDiv, ch1Record, ch2Record,
                                                       capacity, stateBlock, captureState);
        for (int i = 0; i < capacity; ++i) {
            if (ch1Record)
                ch1Record[i] = ch1(captures, i);
            if (ch2Record)
                ch2Record[i] = ch2(captures, i);
        }
        ++captures;
        return r;
    }
};
