#pragma once
// Recording of up to 1000 screen frames of one channel with the settings they were taken
// under, for recording, play-back and the ".rec" file.
#include <cstdint>
#include <vector>

#include "framework/CString.h"

// Channel and time-base settings of a recording.
struct RecordSettings {
    std::int16_t channel = 0; // 0 CH1, 1 CH2
    std::int16_t voltsPerDivIndex = 0;
    float position = 0.0f;
    std::int16_t coupling = 0;
    std::int16_t probe = 0;
    std::int16_t timeBaseIndex = 0;
    std::int16_t horizontalPosition = 0;
    std::int16_t bandwidthLimit = 0; // kept as the recording flag word
};

class CRecordStore {
public:
    static constexpr int kMaxFrames = 1000;
    static constexpr int kFramePoints = 500;
    static constexpr int kHeaderSize = 24;
    static constexpr int kFrameBytes = kFramePoints * 2;
    // Largest ".rec" file the reader takes (a full recording has 1,000,024 bytes).
    static constexpr std::uint64_t kMaxFileBytes = 4u << 20;
    static constexpr int kMaxInterval = 20000;

    CRecordStore();
    virtual ~CRecordStore() = default;
    CRecordStore(const CRecordStore&) = default;
    CRecordStore& operator=(const CRecordStore&) = default;

    // Defaults: no data, frames zeroed, end frame 1000, frames recorded 1000, intervals 1.
    void Reset();

    // Starts a recording of `endFrame` frames (1..1000) at `interval` ms (1..20000) under `settings`.
    void BeginRecording(const RecordSettings& settings, int endFrame, int interval);
    // Stores the next frame (500 screen points). Returns 1 while the recording goes on, 0 once it
    // has ended (end frame reached or store full); the recording flag is then cleared.
    int RecordFrame(const short* trace);

    // Starts play-back from the play start frame; returns the 0-based play position, or -1 when
    // there is nothing to play (no recorded frames).
    int BeginPlayback();
    // Copies the frame at the 0-based play position into `dest` and advances the position. At the
    // play end frame it returns to the start frame; without the repeat flag play-back then stops.
    // Returns 1 while playing continues, 0 when it stopped.
    int PlayFrame(int& position, short* dest);

    // Copies frame `index` (0-based) into `dest`; 0 when the index holds no recorded frame.
    int CopyFrame(int index, short* dest) const;
    const short* Frame(int index) const;

    // ".rec" file. On failure both return 0 and, when `error` is given, set it to the message to
    // show; a failed load changes nothing.
    int SaveRecord(const char* path, CString* error = nullptr) const;
    int LoadRecord(const char* path, CString* error = nullptr);

    std::int32_t m_bNoData = 1;
    std::vector<std::int16_t> m_frames; // kMaxFrames x kFramePoints
    std::int16_t m_nChannel = 0;
    std::int16_t m_nRecordEndFrame = kMaxFrames;
    std::int16_t m_nRecordInterval = 1;
    std::int16_t m_nPlayStartFrame = 1;
    std::int16_t m_nPlayInterval = 1;
    std::int16_t m_nCurrentFrame = kMaxFrames;
    std::int16_t m_nPlayEndFrame = 1;
    std::int32_t m_bRecording = 0;
    std::int32_t m_bPlaying = 0;
    std::int16_t m_nFramesRecorded = kMaxFrames;
    std::int32_t m_bRepeat = 0;
    std::int16_t m_nTimeBaseIndex = 0;
    std::int16_t m_nVoltsPerDivIndex = 0;
    float m_fPosition = 0.0f;
    std::int16_t m_nHorizontalPosition = 0;
    std::uint32_t m_nRecordingValue = 0;
    std::int16_t m_nCoupling = 0;
    std::int16_t m_nProbe = 0;
    std::int16_t m_nRecordingFlagWord = 0; // bandwidth limit of the recorded channel, 0 or 1
};
