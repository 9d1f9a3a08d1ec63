#include "engine/RecordStore.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <filesystem>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "system/LittleEndian.h"

namespace {

std::filesystem::path RecDir() {
    auto dir = std::filesystem::temp_directory_path() / ("kv-rec-test-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    return dir;
}

struct Header {
    std::int16_t channel = 1, voltsPerDiv = 4, coupling = 2, probe = 1, flag = 1;
    float position = 123.5f;
    std::int16_t timeBase = 20;
    std::uint32_t value = 0xA1B2C3D4u;
    std::int16_t horizontal = 250;
    std::uint16_t count = 0;
};

// Writes a ".rec" file with the header and `frames` frames whose points hold frame + 1.
void WriteRec(const std::filesystem::path& p, const Header& h, int frames, std::size_t extraBytes = 0) {
    kv::LeWriter w;
    w.I16(h.channel);
    w.I16(h.voltsPerDiv);
    w.I16(h.coupling);
    w.I16(h.probe);
    w.I16(h.flag);
    w.F32(h.position);
    w.I16(h.timeBase);
    w.U32(h.value);
    w.I16(h.horizontal);
    w.U16(h.count);
    for (int f = 0; f < frames; ++f)
        for (int i = 0; i < CRecordStore::kFramePoints; ++i)
            w.I16(static_cast<std::int16_t>(f + 1));
    for (std::size_t i = 0; i < extraBytes; ++i)
        w.U8(0x55);
    ASSERT_TRUE(kv::WriteWholeFileAtomic(p.string(), w.Data().data(), w.Data().size()));
}

std::vector<short> Trace(short v) {
    return std::vector<short>(CRecordStore::kFramePoints, v);
}

} // namespace

TEST(RecordStoreTest, ResetGivesTheDefaults) {
    auto store = std::make_unique<CRecordStore>();
    store->m_frames[12345] = 9;
    store->m_bNoData = 0;
    store->Reset();
    EXPECT_EQ(store->m_bNoData, 1);
    EXPECT_EQ(store->m_frames[12345], 0);
    EXPECT_EQ(store->m_nRecordEndFrame, 1000);
    EXPECT_EQ(store->m_nRecordInterval, 1);
    EXPECT_EQ(store->m_nPlayStartFrame, 1);
    EXPECT_EQ(store->m_nCurrentFrame, 1000);
    EXPECT_EQ(store->m_nPlayEndFrame, 1);
    EXPECT_EQ(store->m_nFramesRecorded, 1000);
    EXPECT_EQ(store->m_bRecording, 0);
    EXPECT_EQ(store->m_bPlaying, 0);
}

TEST(RecordStoreTest, SaveAfterResetWritesAThousandZeroFrames) {
    const auto dir = RecDir();
    auto store = std::make_unique<CRecordStore>();
    ASSERT_EQ(store->SaveRecord((dir / "reset.rec").c_str()), 1);
    std::vector<std::uint8_t> bytes;
    ASSERT_TRUE(kv::ReadWholeFile((dir / "reset.rec").string(), bytes));
    ASSERT_EQ(bytes.size(), 24u + 1000u * 1000u);
    EXPECT_EQ(bytes[22] | (bytes[23] << 8), 1000);
    for (std::size_t i = 24; i < bytes.size(); ++i)
        ASSERT_EQ(bytes[i], 0);
    std::filesystem::remove_all(dir);
}

TEST(RecordStoreTest, RecordingRoundTripsThroughTheFile) {
    const auto dir = RecDir();
    const auto path = dir / "three.rec";
    auto store = std::make_unique<CRecordStore>();
    RecordSettings s;
    s.channel = 1;
    s.voltsPerDivIndex = 7;
    s.position = 300.25f;
    s.coupling = 1;
    s.probe = 2;
    s.timeBaseIndex = 17;
    s.horizontalPosition = 420;
    s.bandwidthLimit = 1;
    store->BeginRecording(s, 3, 100);
    EXPECT_EQ(store->RecordFrame(Trace(10).data()), 1);
    EXPECT_EQ(store->RecordFrame(Trace(20).data()), 1);
    EXPECT_EQ(store->RecordFrame(Trace(30).data()), 0); // third frame ends the recording
    EXPECT_EQ(store->m_bRecording, 0);
    EXPECT_EQ(store->m_nFramesRecorded, 3);
    store->m_nRecordingValue = 0x01020304u;
    ASSERT_EQ(store->SaveRecord(path.c_str()), 1);

    std::vector<std::uint8_t> bytes;
    ASSERT_TRUE(kv::ReadWholeFile(path.string(), bytes));
    ASSERT_EQ(bytes.size(), 24u + 3000u);
    kv::LeReader r(bytes);
    EXPECT_EQ(r.U16(), 1);           // 0 channel
    EXPECT_EQ(r.U16(), 7);           // 2 volts/div
    EXPECT_EQ(r.U16(), 1);           // 4 coupling
    EXPECT_EQ(r.U16(), 2);           // 6 probe
    EXPECT_EQ(r.U16(), 1);           // 8 flag word
    EXPECT_EQ(r.F32(), 300.25f);     // 10 position
    EXPECT_EQ(r.U16(), 17);          // 14 time base
    EXPECT_EQ(r.U32(), 0x01020304u); // 16 value
    EXPECT_EQ(r.U16(), 420);         // 20 horizontal position
    EXPECT_EQ(r.U16(), 3);           // 22 count
    EXPECT_EQ(r.I16(), 10);

    auto loaded = std::make_unique<CRecordStore>();
    ASSERT_EQ(loaded->LoadRecord(path.c_str()), 1);
    EXPECT_EQ(loaded->m_bNoData, 0);
    EXPECT_EQ(loaded->m_nChannel, 1);
    EXPECT_EQ(loaded->m_nVoltsPerDivIndex, 7);
    EXPECT_EQ(loaded->m_nCoupling, 1);
    EXPECT_EQ(loaded->m_nProbe, 2);
    EXPECT_EQ(loaded->m_nRecordingFlagWord, 1);
    EXPECT_EQ(loaded->m_fPosition, 300.25f);
    EXPECT_EQ(loaded->m_nTimeBaseIndex, 17);
    EXPECT_EQ(loaded->m_nRecordingValue, 0x01020304u);
    EXPECT_EQ(loaded->m_nHorizontalPosition, 420);
    EXPECT_EQ(loaded->m_nFramesRecorded, 3);
    EXPECT_EQ(loaded->Frame(0)[0], 10);
    EXPECT_EQ(loaded->Frame(1)[499], 20);
    EXPECT_EQ(loaded->Frame(2)[250], 30);
    std::filesystem::remove_all(dir);
}

TEST(RecordStoreTest, HeaderFieldsAtTheEdgesOfTheirRangesLoadUnchanged) {
    const auto dir = RecDir();
    const auto path = dir / "edge.rec";
    Header h;
    h.channel = 1;     // CH2
    h.voltsPerDiv = 9; // 5 V/div
    h.coupling = 2;    // GND
    h.probe = 3;       // x1000
    h.flag = 1;
    h.timeBase = 38;    // the slowest time base
    h.horizontal = 500; // the right screen edge
    h.count = 1000;
    WriteRec(path, h, 1000);
    auto store = std::make_unique<CRecordStore>();
    ASSERT_EQ(store->LoadRecord(path.c_str()), 1);
    EXPECT_EQ(store->m_nChannel, 1);
    EXPECT_EQ(store->m_nVoltsPerDivIndex, 9);
    EXPECT_EQ(store->m_nCoupling, 2);
    EXPECT_EQ(store->m_nProbe, 3);
    EXPECT_EQ(store->m_nRecordingFlagWord, 1);
    EXPECT_EQ(store->m_nTimeBaseIndex, 38);
    EXPECT_EQ(store->m_nHorizontalPosition, 500);
    EXPECT_EQ(store->m_nFramesRecorded, 1000);
    EXPECT_EQ(store->Frame(999)[499], 1000);
    std::filesystem::remove_all(dir);
}

TEST(RecordStoreTest, LoadClampsCountsAndSettings) {
    const auto dir = RecDir();
    const auto path = dir / "wide.rec";
    Header h;
    h.count = 1500;
    h.voltsPerDiv = 12;
    h.coupling = -1;
    h.channel = 5;
    h.probe = 7;
    h.flag = 3;
    h.timeBase = 50;
    h.horizontal = 900;
    WriteRec(path, h, 1500);
    auto store = std::make_unique<CRecordStore>();
    ASSERT_EQ(store->LoadRecord(path.c_str()), 1);
    EXPECT_EQ(store->m_nFramesRecorded, 1000);
    EXPECT_EQ(store->Frame(999)[0], 1000);
    EXPECT_EQ(store->m_nVoltsPerDivIndex, 9);
    EXPECT_EQ(store->m_nCoupling, 0);
    EXPECT_EQ(store->m_nChannel, 1);
    EXPECT_EQ(store->m_nProbe, 3);
    EXPECT_EQ(store->m_nRecordingFlagWord, 1);
    EXPECT_EQ(store->m_nTimeBaseIndex, 38);
    EXPECT_EQ(store->m_nHorizontalPosition, 500);

    h.count = 0;
    h.horizontal = -20;
    h.voltsPerDiv = -3;
    WriteRec(path, h, 0);
    ASSERT_EQ(store->LoadRecord(path.c_str()), 1);
    EXPECT_EQ(store->m_nFramesRecorded, 0);
    EXPECT_EQ(store->m_nHorizontalPosition, 0);
    EXPECT_EQ(store->m_nVoltsPerDivIndex, 0);
    std::filesystem::remove_all(dir);
}

TEST(RecordStoreTest, FramesMissingFromAShortFileKeepTheirContents) {
    const auto dir = RecDir();
    const auto path = dir / "short.rec";
    Header h;
    h.count = 3;
    WriteRec(path, h, 1, 700); // one whole frame and part of the second
    auto store = std::make_unique<CRecordStore>();
    std::fill(store->m_frames.begin(), store->m_frames.end(), static_cast<std::int16_t>(-9));
    ASSERT_EQ(store->LoadRecord(path.c_str()), 1);
    EXPECT_EQ(store->m_nFramesRecorded, 3);
    EXPECT_EQ(store->Frame(0)[499], 1);
    EXPECT_EQ(store->Frame(1)[0], -9);
    EXPECT_EQ(store->Frame(2)[0], -9);
    std::filesystem::remove_all(dir);
}

TEST(RecordStoreTest, BadFilesAreRefusedAndChangeNothing) {
    const auto dir = RecDir();
    const auto path = dir / "bad.rec";
    auto store = std::make_unique<CRecordStore>();
    store->m_nVoltsPerDivIndex = 3;
    store->m_fPosition = 42.0f;
    store->m_nFramesRecorded = 7;
    store->m_frames[0] = 5;
    const auto before = store->m_frames;

    // Header cut short.
    kv::LeWriter w;
    for (int i = 0; i < 11; ++i)
        w.U16(1);
    ASSERT_TRUE(kv::WriteWholeFileAtomic(path.string(), w.Data().data(), w.Data().size()));
    CString error;
    EXPECT_EQ(store->LoadRecord(path.c_str(), &error), 0);
    EXPECT_EQ(std::string(error).rfind("Couldn't open file: ", 0), 0u);

    // Non-finite positions.
    for (float bad : {std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity()}) {
        Header h;
        h.position = bad;
        h.count = 2;
        WriteRec(path, h, 2);
        EXPECT_EQ(store->LoadRecord(path.c_str()), 0);
    }
    // Missing file.
    EXPECT_EQ(store->LoadRecord((dir / "none.rec").c_str(), &error), 0);
    EXPECT_EQ(std::string(error).rfind("Couldn't open file: ", 0), 0u);

    EXPECT_EQ(store->m_nVoltsPerDivIndex, 3);
    EXPECT_EQ(store->m_fPosition, 42.0f);
    EXPECT_EQ(store->m_nFramesRecorded, 7);
    EXPECT_EQ(store->m_bNoData, 1);
    EXPECT_EQ(store->m_frames, before);

    EXPECT_EQ(store->SaveRecord((dir / "no" / "x.rec").c_str(), &error), 0);
    EXPECT_EQ(std::string(error).rfind("Cann't save file: ", 0), 0u);
    std::filesystem::remove_all(dir);
}

TEST(RecordStoreTest, SaveClampsTheFrameCountToTheStore) {
    const auto dir = RecDir();
    auto store = std::make_unique<CRecordStore>();
    store->m_nFramesRecorded = 1500; // from a setup file
    ASSERT_EQ(store->SaveRecord((dir / "big.rec").c_str()), 1);
    std::vector<std::uint8_t> bytes;
    ASSERT_TRUE(kv::ReadWholeFile((dir / "big.rec").string(), bytes));
    EXPECT_EQ(bytes.size(), 24u + 1000u * 1000u);
    EXPECT_EQ(bytes[22] | (bytes[23] << 8), 1000);
    store->m_nFramesRecorded = -4;
    ASSERT_EQ(store->SaveRecord((dir / "neg.rec").c_str()), 1);
    ASSERT_TRUE(kv::ReadWholeFile((dir / "neg.rec").string(), bytes));
    EXPECT_EQ(bytes.size(), 24u);
    std::filesystem::remove_all(dir);
}

TEST(RecordStoreTest, RecordingStopsAtTheStoreEvenWithABadCount) {
    auto store = std::make_unique<CRecordStore>();
    RecordSettings s;
    store->BeginRecording(s, 5000, 0);
    EXPECT_EQ(store->m_nRecordEndFrame, 1000);
    EXPECT_EQ(store->m_nRecordInterval, 1);
    store->m_nFramesRecorded = 1000; // as a setup file may leave it
    EXPECT_EQ(store->RecordFrame(Trace(3).data()), 0);
    EXPECT_EQ(store->m_bRecording, 0);
    EXPECT_EQ(store->m_nFramesRecorded, 1000);
    store->BeginRecording(s, 5, 100);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(store->RecordFrame(Trace(static_cast<short>(i)).data()), 1);
    EXPECT_EQ(store->RecordFrame(Trace(4).data()), 0);
    EXPECT_EQ(store->m_nFramesRecorded, 5);
    EXPECT_EQ(store->RecordFrame(Trace(5).data()), 0); // stopped: nothing more is stored
    EXPECT_EQ(store->m_nFramesRecorded, 5);
}

TEST(RecordStoreTest, PlayBackWithAndWithoutRepeat) {
    auto store = std::make_unique<CRecordStore>();
    RecordSettings s;
    store->BeginRecording(s, 3, 1);
    for (short v = 1; v <= 3; ++v)
        store->RecordFrame(Trace(v).data());
    store->m_nPlayStartFrame = 0; // would play frame -1
    store->m_nPlayEndFrame = 3;
    int pos = store->BeginPlayback();
    ASSERT_EQ(pos, 0);
    EXPECT_EQ(store->m_nPlayStartFrame, 1);
    auto screen = Trace(0);
    EXPECT_EQ(store->PlayFrame(pos, screen.data()), 1);
    EXPECT_EQ(screen[0], 1);
    EXPECT_EQ(store->PlayFrame(pos, screen.data()), 1);
    EXPECT_EQ(store->PlayFrame(pos, screen.data()), 0); // end frame without repeat: stops
    EXPECT_EQ(screen[0], 3);
    EXPECT_EQ(pos, 0);
    EXPECT_EQ(store->m_bPlaying, 0);

    store->m_bRepeat = 1;
    store->m_nPlayStartFrame = 2;
    pos = store->BeginPlayback();
    ASSERT_EQ(pos, 1);
    std::vector<short> shown;
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(store->PlayFrame(pos, screen.data()), 1);
        shown.push_back(screen[0]);
    }
    EXPECT_EQ(shown, (std::vector<short>{2, 3, 2, 3, 2}));

    // A recording of no frames (a loaded file of 0 frames) plays nothing.
    store->m_nFramesRecorded = 0;
    store->m_bPlaying = 0;
    EXPECT_EQ(store->BeginPlayback(), -1);
    EXPECT_EQ(store->m_bPlaying, 0);
    pos = 5;
    EXPECT_EQ(store->PlayFrame(pos, screen.data()), 0);
    EXPECT_EQ(store->CopyFrame(-1, screen.data()), 0);
    EXPECT_EQ(store->CopyFrame(1000, screen.data()), 0);
}
