#include "engine/RecordStore.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>

#include "engine/FileErrors.h"
#include "system/LittleEndian.h"

namespace {

// Reads at most `limit` bytes from the start of the file.
bool ReadPrefix(const char* path, std::size_t limit, std::vector<std::uint8_t>& out, kv::FileError& error) {
    kv::InputFile file;
    if (!file.Open(path, CRecordStore::kMaxFileBytes)) {
        error = file.Error();
        return false;
    }
    out.assign(limit, 0);
    std::size_t got = 0;
    while (got < limit) {
        const std::ptrdiff_t n = file.Read(out.data() + got, limit - got);
        if (n < 0) {
            error = file.Error();
            return false;
        }
        if (n == 0)
            break;
        got += static_cast<std::size_t>(n);
    }
    out.resize(got);
    return true;
}

} // namespace

CRecordStore::CRecordStore() : m_frames(static_cast<std::size_t>(kMaxFrames) * kFramePoints, 0) {
    Reset();
}

void CRecordStore::Reset() {
    m_bNoData = 1;
    std::fill(m_frames.begin(), m_frames.end(), 0);
    m_nChannel = 0;
    m_nRecordEndFrame = kMaxFrames;
    m_nRecordInterval = 1;
    m_nPlayStartFrame = 1;
    m_nPlayInterval = 1;
    m_nCurrentFrame = kMaxFrames;
    m_nPlayEndFrame = 1;
    m_bRecording = 0;
    m_bPlaying = 0;
    m_nFramesRecorded = kMaxFrames;
    m_bRepeat = 0;
    m_nTimeBaseIndex = 0;
    m_nVoltsPerDivIndex = 0;
    m_fPosition = 0.0f;
    m_nHorizontalPosition = 0;
    m_nRecordingValue = 0;
    m_nCoupling = 0;
    m_nProbe = 0;
    m_nRecordingFlagWord = 0;
}

void CRecordStore::BeginRecording(const RecordSettings& settings, int endFrame, int interval) {
    m_bNoData = 0;
    m_bRecording = 1;
    m_nFramesRecorded = 0;
    m_nChannel = static_cast<std::int16_t>(std::clamp<int>(settings.channel, 0, 1));
    m_nRecordEndFrame = static_cast<std::int16_t>(std::clamp(endFrame, 1, kMaxFrames));
    // An interval of 0 or below would reach the dialog's timer.
    m_nRecordInterval = static_cast<std::int16_t>(std::clamp(interval, 1, kMaxInterval));
    m_nVoltsPerDivIndex = settings.voltsPerDivIndex;
    m_fPosition = settings.position;
    m_nCoupling = settings.coupling;
    m_nProbe = settings.probe;
    m_nRecordingFlagWord = settings.bandwidthLimit ? 1 : 0;
    m_nTimeBaseIndex = settings.timeBaseIndex;
    m_nHorizontalPosition = settings.horizontalPosition;
}

int CRecordStore::RecordFrame(const short* trace) {
    if (!m_bRecording)
        return 0;
    const int index = m_nFramesRecorded;
    // A count outside the store (from a setup file) would write past the 1000 frames.
    if (trace && index >= 0 && index < kMaxFrames) {
        std::copy(trace, trace + kFramePoints,
                  m_frames.begin() + static_cast<std::ptrdiff_t>(index) * kFramePoints);
        m_nFramesRecorded = static_cast<std::int16_t>(index + 1);
    }
    const int count = m_nFramesRecorded;
    if (count >= m_nRecordEndFrame || count >= kMaxFrames || count < 0 || !trace) {
        m_bRecording = 0;
        return 0;
    }
    return 1;
}

int CRecordStore::BeginPlayback() {
    const int recorded = std::clamp<int>(m_nFramesRecorded, 0, kMaxFrames);
    // With nothing recorded play-back would run past the frames.
    if (recorded == 0 || m_bNoData) {
        m_bPlaying = 0;
        return -1;
    }
    m_nPlayEndFrame = static_cast<std::int16_t>(std::clamp<int>(m_nPlayEndFrame, 1, recorded));
    // A start frame of 0 or below would play frame -1.
    m_nPlayStartFrame = static_cast<std::int16_t>(std::clamp<int>(m_nPlayStartFrame, 1, m_nPlayEndFrame));
    m_nPlayInterval = static_cast<std::int16_t>(std::clamp<int>(m_nPlayInterval, 1, kMaxInterval));
    m_bPlaying = 1;
    return m_nPlayStartFrame - 1;
}

int CRecordStore::PlayFrame(int& position, short* dest) {
    if (!m_bPlaying)
        return 0;
    CopyFrame(position, dest);
    ++position;
    // Stopping only on equality would let an end frame behind the position run past the store.
    if (position >= m_nPlayEndFrame || position >= kMaxFrames) {
        position = std::max(m_nPlayStartFrame - 1, 0);
        if (!m_bRepeat) {
            m_bPlaying = 0;
            return 0;
        }
    }
    return 1;
}

const short* CRecordStore::Frame(int index) const {
    if (index < 0 || index >= kMaxFrames)
        return nullptr;
    return m_frames.data() + static_cast<std::ptrdiff_t>(index) * kFramePoints;
}

int CRecordStore::CopyFrame(int index, short* dest) const {
    const short* frame = Frame(index);
    if (!frame || !dest)
        return 0;
    std::copy(frame, frame + kFramePoints, dest);
    return 1;
}

int CRecordStore::SaveRecord(const char* path, CString* error) const {
    // The count can come from a setup file; more than the store holds would read past it.
    const int n = std::clamp<int>(m_nFramesRecorded, 0, kMaxFrames);
    kv::LeWriter w;
    w.I16(m_nChannel);                    // 0: recorded channel
    w.I16(m_nVoltsPerDivIndex);           // 2: volts/div index
    w.I16(m_nCoupling);                   // 4: coupling
    w.I16(m_nProbe);                      // 6: probe
    w.I16(m_nRecordingFlagWord);          // 8: recording flag word
    w.F32(m_fPosition);                   // 10: position
    w.I16(m_nTimeBaseIndex);              // 14: time-base index
    w.U32(m_nRecordingValue);             // 16: recording value
    w.I16(m_nHorizontalPosition);         // 20: horizontal position
    w.U16(static_cast<std::uint16_t>(n)); // 22: frame count
    for (int i = 0; i < n * kFramePoints; ++i)
        w.I16(m_frames[static_cast<std::size_t>(i)]);
    return kv::SaveWholeFile(path, w.Data().data(), w.Data().size(), error);
}

int CRecordStore::LoadRecord(const char* path, CString* error) {
    std::vector<std::uint8_t> bytes;
    kv::FileError why;
    const std::size_t limit = kHeaderSize + static_cast<std::size_t>(kMaxFrames) * kFrameBytes;
    if (!path || !ReadPrefix(path, limit, bytes, why)) {
        if (error)
            error->Format("Couldn't open file: %s", kv::FileErrorText(path, why).c_str());
        return 0;
    }
    // A short header would leave the settings undefined.
    if (bytes.size() < static_cast<std::size_t>(kHeaderSize)) {
        if (error)
            error->Format("Couldn't open file: %s: the file is too short", path);
        return 0;
    }
    kv::LeReader r(bytes);
    const int channel = r.I16();
    const int voltsPerDiv = r.I16();
    const int coupling = r.I16();
    const int probe = r.I16();
    const int flagWord = r.I16();
    const float position = r.F32();
    const int timeBase = r.I16();
    const std::uint32_t value = r.U32();
    const int horizontal = r.I16();
    const int count = std::min<int>(r.U16(), kMaxFrames);
    // A non-finite position would reach the position setter on play-back.
    if (!std::isfinite(position)) {
        if (error)
            error->Format("Couldn't open file: %s: the position is not a number", path);
        return 0;
    }

    m_nChannel = static_cast<std::int16_t>(std::clamp(channel, 0, 1));
    m_nVoltsPerDivIndex = static_cast<std::int16_t>(std::clamp(voltsPerDiv, 0, 9));
    m_nCoupling = static_cast<std::int16_t>(std::clamp(coupling, 0, 2));
    m_nProbe = static_cast<std::int16_t>(std::clamp(probe, 0, 3));
    m_nRecordingFlagWord = static_cast<std::int16_t>(std::clamp(flagWord, 0, 1));
    m_fPosition = position;
    m_nTimeBaseIndex = static_cast<std::int16_t>(std::clamp(timeBase, 0, 38));
    m_nRecordingValue = value;
    // A horizontal position beyond 500 would push the live window past the record on play-back.
    m_nHorizontalPosition = static_cast<std::int16_t>(std::clamp(horizontal, 0, 500));
    m_nFramesRecorded = static_cast<std::int16_t>(count);

    // Frames missing from a short file keep their previous contents.
    const std::size_t whole = (bytes.size() - kHeaderSize) / kFrameBytes;
    const int present = static_cast<int>(std::min<std::size_t>(whole, static_cast<std::size_t>(count)));
    for (int i = 0; i < present * kFramePoints; ++i)
        m_frames[static_cast<std::size_t>(i)] = r.I16();
    m_bNoData = 0;
    return 1;
}
