#include "engine/WaveformFiles.h"
#include "engine/BitmapWriter.h"
#include "engine/KelvaneDoc.h"
#include "engine/SettingsCodes.h"
#include "system/LittleEndian.h"

#include "../platform/system/ChildProcess.h"
#include "FileTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <limits>
#include <memory>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace {

namespace fs = std::filesystem;
using namespace kvtest;

std::string ReadText(const std::string& path) {
    const Bytes b = ReadBytes(path);
    return std::string(b.begin(), b.end());
}
void WriteText(const std::string& path, const std::string& s) {
    WriteBytes(path, Bytes(s.begin(), s.end()));
}
std::vector<std::string> Lines(const std::string& s) {
    std::vector<std::string> out;
    std::istringstream in(s);
    for (std::string line; std::getline(in, line);)
        out.push_back(line);
    return out;
}

class WaveformFilesTest : public TwoDocumentFixture {
protected:
    WaveformFilesTest() : TwoDocumentFixture("kv-wave-") {}
    // A recognisable record: codes wander over 0..511 and beyond the screen.
    static void FillRecord(CTrace& t, std::int32_t length) {
        t.SetRecordLength(length);
        for (std::int32_t i = 0; i < length; ++i)
            t.GetWorkRecord()[i] = static_cast<std::int16_t>((i * 37) % 700 - 90);
        for (int i = 0; i < CTrace::kScreenPoints; ++i)
            t.GetScreenTrace()[i] = static_cast<std::int16_t>(i % 512);
    }
    std::vector<std::string> Messages(const FakeDocUi& u) const {
        std::vector<std::string> out;
        for (const std::string& c : u.calls)
            if (c.rfind("MessageBox", 0) == 0)
                out.push_back(c.substr(std::string("MessageBox : ").size()));
        return out;
    }
};

// ---- ".rfc" ---------------------------------------------------------------------------------

class ReferenceRoundTrip : public WaveformFilesTest, public ::testing::WithParamInterface<int> {};

TEST_P(ReferenceRoundTrip, ChannelComesBackAsRef) {
    const int length = GetParam();
    doc.m_nSaveChannel = 1;
    FillRecord(doc.m_ch2, length);
    doc.m_ch2.SetPosition(300.5f);
    doc.m_ch2.SetVoltsPerDivIndex(8);
    doc.m_ch2.SetWindowLength(12345);
    doc.m_settings.SetTimeBaseIndex(17);
    doc.m_settings.SetHorizontalPosition(480);
    const std::string p = dir.File("wave.RFC");
    ASSERT_EQ(doc.SaveReferenceFile(p.c_str()), 1);
    EXPECT_EQ(ReadBytes(p).size(), 18u + 2u * static_cast<std::size_t>(length));
    ASSERT_EQ(other.LoadReferenceFile(p.c_str()), 1);
    const CRefChannel& ref = other.m_ref;
    EXPECT_FLOAT_EQ(ref.GetPosition(), 300.5f);
    EXPECT_FLOAT_EQ(ref.GetLoadedPosition(), 300.5f);
    EXPECT_EQ(ref.GetVoltsPerDivIndex(), 8);
    EXPECT_EQ(ref.GetRecordLength(), length);
    EXPECT_EQ(ref.GetWindowLength(), 12345);
    EXPECT_EQ(ref.GetTimeBaseIndex(), 17);
    EXPECT_EQ(ref.GetHorizontalPosition(), 480);
    EXPECT_TRUE(std::equal(ref.GetRawRecord(), ref.GetRawRecord() + length, doc.m_ch2.GetWorkRecord()));
    EXPECT_TRUE(otherUi.calls.empty());
}

INSTANTIATE_TEST_SUITE_P(Lengths, ReferenceRoundTrip, ::testing::Values(10240, 14336, 28672, 32768));

TEST_F(WaveformFilesTest, EtsReferenceHoldsTheScreenPoints) {
    FillRecord(doc.m_ch1, 10240);
    doc.m_settings.SetSamplingMode(kSamplingEts);
    const std::string p = dir.File("ets.rfc");
    ASSERT_EQ(doc.SaveReferenceFile(p.c_str()), 1);
    const Bytes b = ReadBytes(p);
    ASSERT_EQ(b.size(), 18u + 1000u);
    EXPECT_EQ(b[6] | (b[7] << 8), 500);
    EXPECT_EQ(b[10] | (b[11] << 8), 500);
    other.m_ref.SetDisplayPointCount(1);
    ASSERT_EQ(other.LoadReferenceFile(p.c_str()), 1);
    EXPECT_EQ(other.m_ref.GetRecordLength(), 500);
    EXPECT_EQ(other.m_ref.GetDisplayPointCount(), 500);
    EXPECT_EQ(other.m_ref.GetRawRecord()[499], 499);
}

TEST_F(WaveformFilesTest, BadReferenceFilesLeaveRefUnchanged) {
    FillRecord(doc.m_ch1, 10240);
    const std::string good = dir.File("good.rfc");
    ASSERT_EQ(doc.SaveReferenceFile(good.c_str()), 1);
    const Bytes b = ReadBytes(good);
    std::vector<Bytes> bad;
    bad.emplace_back(b.begin(), b.begin() + 17); // short header
    bad.emplace_back(b.begin(), b.begin() + 18); // no samples at all
    Bytes v = b;
    Put16(v, 4, 12); // volts/div
    bad.push_back(v);
    v = b;
    Put16(v, 14, 39); // time base
    bad.push_back(v);
    v = b;
    Put16(v, 16, 600); // horizontal position
    bad.push_back(v);
    // One step past the last legal volts/div, time base and horizontal position.
    for (const std::pair<std::size_t, int>& field :
         {std::pair<std::size_t, int>{4, 10}, {14, 0xFFFF}, {16, 501}, {16, 0xFFFF}, {4, 0xFFFF}}) {
        v = b;
        Put16(v, field.first, field.second);
        bad.push_back(v);
    }
    v = b;
    Put32(v, 0, 0x7FC00000); // NaN position
    bad.push_back(v);
    v = b;
    Put32(v, 6, 0); // no samples announced
    bad.push_back(v);
    const std::string p = dir.File("bad.rfc");
    other.m_ref.SetRecordLength(1234);
    for (const Bytes& f : bad) {
        WriteBytes(p, f);
        otherUi.calls.clear();
        EXPECT_EQ(other.LoadReferenceFile(p.c_str()), 0);
        EXPECT_EQ(Messages(otherUi), std::vector<std::string>{"This is not a reference file!"});
        EXPECT_EQ(other.m_ref.GetRecordLength(), 1234);
        EXPECT_EQ(other.m_ref.GetVoltsPerDivIndex(), 6);
    }
    otherUi.calls.clear();
    EXPECT_EQ(other.LoadReferenceFile(dir.File("wave.rfx").c_str()), 0);
    EXPECT_EQ(Messages(otherUi), std::vector<std::string>{"This is not a reference file!"});
    otherUi.calls.clear();
    EXPECT_EQ(other.LoadReferenceFile(dir.File("missing.rfc").c_str()), 0);
    ASSERT_EQ(Messages(otherUi).size(), 1u);
    EXPECT_EQ(Messages(otherUi)[0].rfind("Can not open file: ", 0), 0u);
}

// The last volts/div (5 V), the slowest time base and the right screen edge are legal reference
// fields, as are the first ones.
TEST_F(WaveformFilesTest, ReferenceFieldsAtTheEdgesOfTheirRangesLoad) {
    FillRecord(doc.m_ch2, 10240);
    doc.m_nSaveChannel = 1;
    const std::string good = dir.File("edge.rfc");
    ASSERT_EQ(doc.SaveReferenceFile(good.c_str()), 1);
    const Bytes saved = ReadBytes(good);
    struct Case {
        int voltDiv, timeBase, horizontal;
    };
    for (const Case& c : {Case{9, 38, 500}, Case{0, 0, 0}}) {
        SCOPED_TRACE(testing::Message() << "volts/div " << c.voltDiv << ", time base " << c.timeBase);
        Bytes b = saved;
        Put16(b, 4, c.voltDiv);
        Put16(b, 14, c.timeBase);
        Put16(b, 16, c.horizontal);
        WriteBytes(good, b);
        other.m_ref.SetVoltsPerDivIndex(5);
        other.m_ref.SetTimeBaseIndex(20);
        other.m_ref.SetHorizontalPosition(250);
        otherUi.calls.clear();
        ASSERT_EQ(other.LoadReferenceFile(good.c_str()), 1);
        EXPECT_TRUE(Messages(otherUi).empty());
        EXPECT_EQ(other.m_ref.GetVoltsPerDivIndex(), c.voltDiv);
        EXPECT_EQ(other.m_ref.GetTimeBaseIndex(), c.timeBase);
        EXPECT_EQ(other.m_ref.GetHorizontalPosition(), c.horizontal);
        EXPECT_EQ(other.m_ref.GetRecordLength(), 10240);
        EXPECT_EQ(other.m_ref.GetRawRecord()[7], doc.m_ch2.GetWorkRecord()[7]);
    }
}

TEST_F(WaveformFilesTest, ReferenceSamplesStopAtTheFileEndAndTheBuffer) {
    FillRecord(doc.m_ch1, 10240);
    const std::string p = dir.File("cut.rfc");
    ASSERT_EQ(doc.SaveReferenceFile(p.c_str()), 1);
    Bytes b = ReadBytes(p);
    b.resize(18 + 2 * 100);
    WriteBytes(p, b);
    ASSERT_EQ(other.LoadReferenceFile(p.c_str()), 1);
    EXPECT_EQ(other.m_ref.GetRecordLength(), 100);

    Bytes big(18 + 2 * 70000, 0);
    Put16(big, 4, 6);
    Put32(big, 6, 2000000000);
    WriteBytes(p, big);
    ASSERT_EQ(other.LoadReferenceFile(p.c_str()), 1);
    EXPECT_EQ(other.m_ref.GetRecordLength(), other.m_ref.GetRecordCapacity());
}

// ---- CSV ------------------------------------------------------------------------------------

class CsvRoundTrip : public WaveformFilesTest, public ::testing::WithParamInterface<int> {};

TEST_P(CsvRoundTrip, SamplesAndTimeBaseComeBack) {
    const int length = GetParam();
    FillRecord(doc.m_ch1, length);
    doc.m_ch1.SetVoltsPerDivIndex(0); // the finest scale is the hardest to print exactly
    doc.m_ch1.SetPosition(77.0f);
    other.m_ch1.SetVoltsPerDivIndex(0);
    other.m_ch1.SetPosition(77.0f);
    doc.m_settings.SetTimeBaseIndex(21);
    const std::string p = dir.File("wave.csv");
    ASSERT_EQ(doc.SaveCsvFile(p.c_str()), 1);
    const std::vector<std::string> lines = Lines(ReadText(p));
    ASSERT_EQ(lines.size(), static_cast<std::size_t>(length) + 2);
    EXPECT_EQ(lines[0], "#CLOCK=0.020000000");
    EXPECT_EQ(lines[1], "#SIZE=" + std::to_string(length));
    ASSERT_EQ(other.LoadCsvFile(p.c_str()), 1);
    EXPECT_EQ(other.m_settings.GetTimeBaseIndex(), 21);
    EXPECT_EQ(other.m_ch1.GetRecordLength(), length);
    EXPECT_TRUE(std::equal(doc.m_ch1.GetWorkRecord(), doc.m_ch1.GetWorkRecord() + length,
                           other.m_ch1.GetWorkRecord()));
    EXPECT_NE(std::find(otherUi.calls.begin(), otherUi.calls.end(), "Combo 0 21"), otherUi.calls.end());
    EXPECT_NE(std::find(otherUi.calls.begin(), otherUi.calls.end(), "Repaint"), otherUi.calls.end());
}

INSTANTIATE_TEST_SUITE_P(Lengths, CsvRoundTrip, ::testing::Values(10240, 14336, 28672, 32768));

// The clock line of a CSV file names its time base within 1e-9 s/div: each of the 39 steps is
// found again, and none is taken for its neighbour (2 ns and 4 ns lie only 2e-9 apart).
TEST_F(WaveformFilesTest, CsvClockFindsEveryTimeBase) {
    const double seconds[39] = {2e-9, 4e-9, 1e-8, 2e-8, 4e-8, 1e-7, 2e-7, 4e-7, 1e-6, 2e-6, 4e-6, 1e-5, 2e-5,
                                4e-5, 1e-4, 2e-4, 4e-4, 1e-3, 2e-3, 4e-3, 1e-2, 2e-2, 4e-2, 0.1,  0.2,  0.4,
                                1,    2,    4,    10,   20,   40,   60,   120,  240,  600,  1200, 2400, 3600};
    const std::string p = dir.File("clock.csv");
    for (int i = 0; i < 39; ++i) {
        // Written as the program writes it, "%.9f", with a short record behind it.
        char clock[64];
        std::snprintf(clock, sizeof clock, "#CLOCK=%.9f\n#SIZE=10240\n0.5,0,0\n", seconds[i]);
        WriteText(p, clock);
        other.SetTimeBaseIndex(i == 13 ? 20 : 13);
        ASSERT_EQ(other.LoadCsvFile(p.c_str()), 1) << i;
        EXPECT_EQ(other.m_settings.GetTimeBaseIndex(), i) << seconds[i];
        // The same clock saved by the program comes back to the same step.
        doc.SetTimeBaseIndex(static_cast<std::int16_t>(i));
        ASSERT_EQ(doc.SaveCsvFile(p.c_str()), 1);
        other.SetTimeBaseIndex(i == 13 ? 20 : 13);
        ASSERT_EQ(other.LoadCsvFile(p.c_str()), 1);
        EXPECT_EQ(other.m_settings.GetTimeBaseIndex(), i) << "saved at " << i;
    }
    // A clock between two steps matches none and loads at index 0.
    WriteText(p, "#CLOCK=0.000000007\n#SIZE=10240\n");
    other.SetTimeBaseIndex(20);
    ASSERT_EQ(other.LoadCsvFile(p.c_str()), 1);
    EXPECT_EQ(other.m_settings.GetTimeBaseIndex(), 0);
    WriteText(p, "#CLOCK=0.030000000\n#SIZE=10240\n");
    other.SetTimeBaseIndex(20);
    ASSERT_EQ(other.LoadCsvFile(p.c_str()), 1);
    EXPECT_EQ(other.m_settings.GetTimeBaseIndex(), 0);
}

TEST_F(WaveformFilesTest, CsvLayoutFollowsTheModel) {
    FillRecord(doc.m_ch1, 10240);
    const std::string p = dir.File("model.csv");
    doc.m_nModel = 3;
    ASSERT_EQ(doc.SaveCsvFile(p.c_str()), 1);
    EXPECT_EQ(ReadText(p), "#CLOCK=0.000040000\n");
    doc.m_nModel = 5;
    ASSERT_EQ(doc.SaveCsvFile(p.c_str()), 1);
    const std::vector<std::string> lines = Lines(ReadText(p));
    ASSERT_EQ(lines.size(), 10242u);
    EXPECT_EQ(lines[1], "#SIZE=10240");
    EXPECT_EQ(lines[2].substr(lines[2].size() - 4), ",0,0");
}

// The 10240-point window of models 2 and 5 comes from the chosen channel, on that channel's
// scale: loaded back into a CH1 set like the saved CH2, it gives CH2's samples, not CH1's.
TEST_F(WaveformFilesTest, CsvWindowOfTheLongRecordModelsIsTheSaveChannel) {
    FillRecord(doc.m_ch1, 10240);
    doc.m_ch2.SetRecordLength(10240);
    for (std::int32_t i = 0; i < 10240; ++i)
        doc.m_ch2.GetWorkRecord()[i] = static_cast<std::int16_t>(300 + (i * 11) % 150);
    doc.m_ch2.SetVoltsPerDivIndex(3); // 100 mV/div
    doc.m_ch2.SetPosition(300.0f);
    other.m_ch1.SetVoltsPerDivIndex(3);
    other.m_ch1.SetPosition(300.0f);
    doc.m_nSaveChannel = 1;
    const std::string p = dir.File("window.csv");
    for (int model : {2, 5}) {
        SCOPED_TRACE(model);
        doc.m_nModel = model;
        ASSERT_EQ(doc.SaveCsvFile(p.c_str()), 1);
        ASSERT_EQ(other.LoadCsvFile(p.c_str()), 1);
        ASSERT_EQ(other.m_ch1.GetRecordLength(), 10240);
        EXPECT_TRUE(std::equal(doc.m_ch2.GetWorkRecord(), doc.m_ch2.GetWorkRecord() + 10240,
                               other.m_ch1.GetWorkRecord()));
    }
}

TEST_F(WaveformFilesTest, RefusedCsvFilesChangeNothing) {
    const std::string p = dir.File("bad.csv");
    other.m_ch1.SetRecordLength(14336);
    other.m_settings.SetTimeBaseIndex(9);
    const std::vector<std::string> bad = {
        "",                                  // no lines
        "#CLOCK=0.000040000\n",              // one line
        "#CLOCK 0.000040000\n#SIZE=10240\n", // no "=" in the clock line
        "#CLOCK=0.000040000\n#SIZE 10240\n", // no "=" in the size line
        "#CLOCK=0.000040000\n#SIZE=500\n1,0,0\n",
        "#CLOCK=0.000040000\n#SIZE=524288\n1,0,0\n",
    };
    for (const std::string& text : bad) {
        WriteText(p, text);
        EXPECT_EQ(other.LoadCsvFile(p.c_str()), 0) << text;
        EXPECT_EQ(other.m_ch1.GetRecordLength(), 14336);
        EXPECT_EQ(other.m_settings.GetTimeBaseIndex(), 9);
    }
    // Without a view the file is refused before the time base changes.
    WriteText(p, "#CLOCK=0.000040000\n#SIZE=10240\n1,0,0\n");
    other.SetUi(nullptr);
    EXPECT_EQ(other.LoadCsvFile(p.c_str()), 0);
    EXPECT_EQ(other.m_settings.GetTimeBaseIndex(), 9);
    other.SetUi(&otherUi);
    otherUi.calls.clear();
    EXPECT_EQ(other.LoadCsvFile(dir.File("wave.txt").c_str()), 0);
    EXPECT_EQ(Messages(otherUi), std::vector<std::string>{"This is not a CSV file!"});
}

TEST_F(WaveformFilesTest, ShortCsvKeepsTheRemainingPoints) {
    const std::string p = dir.File("SHORT.CSV");
    std::fill_n(other.m_ch1.GetWorkRecord(), 10240, std::int16_t{42});
    // Unknown clock, CRLF line ends, blanks before the numbers, three points of 10240.
    WriteText(p, "#CLOCK=\t 0.5\r\n#SIZE= 10240\r\n 0,0,0\r\n\t1.0,0,0\r\n-1.0,0,0\r\n");
    ASSERT_EQ(other.LoadCsvFile(p.c_str()), 1);
    EXPECT_EQ(other.m_settings.GetTimeBaseIndex(), 0);
    const std::int16_t* w = other.m_ch1.GetWorkRecord();
    const int zero = 511 - 128;
    EXPECT_EQ(w[0], zero);
    EXPECT_EQ(w[1], zero + 64); // 1 V at 1 V/div: 511/8 codes, nearest
    EXPECT_EQ(w[2], zero - 64);
    EXPECT_EQ(w[3], 42);
    EXPECT_EQ(w[10239], 42);
}

TEST_F(WaveformFilesTest, HugeCsvVoltagesSaturateInsteadOfOverflowing) {
    const std::string p = dir.File("huge.csv");
    WriteText(p, "#CLOCK=0.5\n#SIZE=10240\n1e300,0,0\n-1e300,0,0\n4000000040,0,0\n");
    ASSERT_EQ(other.LoadCsvFile(p.c_str()), 1);
    const std::int16_t* w = other.m_ch1.GetWorkRecord();
    EXPECT_EQ(w[0], 32767);
    EXPECT_EQ(w[1], -32768);
    EXPECT_EQ(w[2], 32767);
}

// ---- Text exports ---------------------------------------------------------------------------

TEST_F(WaveformFilesTest, TextExportsWriteTheRecordOrTheScreen) {
    FillRecord(doc.m_ch1, 10240);
    doc.m_ch2.SetOn(0);
    const std::string txt = dir.File("w.txt");
    const std::string docPath = dir.File("w.doc");
    const std::string xls = dir.File("w.xls");
    ASSERT_EQ(doc.SaveWaveformText(txt.c_str()), 1);
    ASSERT_EQ(doc.SaveWaveformDoc(docPath.c_str()), 1);
    ASSERT_EQ(doc.SaveWaveformXls(xls.c_str()), 1);
    const std::vector<std::string> t = Lines(ReadText(txt));
    ASSERT_EQ(t.size(), 5u + 10240u + 4u);
    EXPECT_EQ(t[0], "#CHANNEL:CH1");
    EXPECT_EQ(t[1], "#CLOCK=0.000040000S");
    EXPECT_EQ(t[2], "#SIZE=10240");
    EXPECT_EQ(t[3], "#UNITS:V");
    EXPECT_EQ(t[4], "");
    EXPECT_EQ(t[5], "-7.405088"); // code -90, zero line 383, 1 V/div: (-473) x 8/511
    const std::vector<std::string> tail(t.end() - 4, t.end());
    EXPECT_EQ(tail, (std::vector<std::string>{"", "", "CH2 OFF", ""}));
    const std::vector<std::string> d = Lines(ReadText(docPath));
    EXPECT_EQ(d.size(), 5u + 500u + 4u);
    EXPECT_EQ(d[2], "#SIZE=500");
    EXPECT_EQ(ReadBytes(xls), ReadBytes(docPath));
}

TEST_F(WaveformFilesTest, TextExportOfBothChannels) {
    doc.m_ch1.SetOn(0);
    doc.m_settings.SetSamplingMode(kSamplingEts);
    FillRecord(doc.m_ch2, 10240);
    const std::string p = dir.File("ets.txt");
    ASSERT_EQ(doc.SaveWaveformText(p.c_str()), 1);
    const std::vector<std::string> t = Lines(ReadText(p));
    ASSERT_GE(t.size(), 8u);
    EXPECT_EQ(std::vector<std::string>(t.begin(), t.begin() + 8),
              (std::vector<std::string>{"CH1 OFF", "", "", "#CHANNEL:CH2", "#CLOCK=0.000040000", "#SIZE=500",
                                        "#UNITS:V", ""}));
    EXPECT_EQ(t.size(), 8u + 500u);
}

// ---- Old ".ref" -----------------------------------------------------------------------------

TEST_F(WaveformFilesTest, OldReferenceFormA) {
    const std::string p = dir.File("old.REF");
    other.m_settings.SetTimeBaseIndex(15);
    WriteText(p, "10\r\n20\r\n30\r\n.\r\n7\r\n40\r\n100\r\n");
    ASSERT_EQ(other.LoadOldReferenceFile(p.c_str()), 1);
    const CRefChannel& ref = other.m_ref;
    EXPECT_EQ(ref.GetRecordLength(), 3);
    EXPECT_EQ(ref.GetRawRecord()[2], 30);
    EXPECT_EQ(ref.GetVoltsPerDivIndex(), 7); // the line after the separator
    EXPECT_EQ(ref.GetHorizontalPosition(), 200);
    EXPECT_FLOAT_EQ(ref.GetPosition(), 100.0f);
    EXPECT_FLOAT_EQ(ref.GetLoadedPosition(), 100.0f);
    EXPECT_EQ(ref.GetTimeBaseIndex(), 15);
    EXPECT_EQ(ref.GetWindowLength(), 10000);
}

TEST_F(WaveformFilesTest, OldReferenceFormB) {
    std::string text = "300\n";
    for (int i = 0; i < 300; ++i)
        text += std::to_string(i) + "\n";
    text += "22\n5\n50\n256\n9000\n";
    const std::string p = dir.File("b.ref");
    WriteText(p, text);
    ASSERT_EQ(other.LoadOldReferenceFile(p.c_str()), 1);
    EXPECT_EQ(other.m_ref.GetRecordLength(), 300);
    EXPECT_EQ(other.m_ref.GetRawRecord()[299], 299);
    EXPECT_EQ(other.m_ref.GetTimeBaseIndex(), 22);
    EXPECT_EQ(other.m_ref.GetVoltsPerDivIndex(), 5);
    EXPECT_EQ(other.m_ref.GetHorizontalPosition(), 250);
    EXPECT_EQ(other.m_ref.GetWindowLength(), 9000);
}

std::string FormB(int n, const std::string& trailer) {
    std::string text = std::to_string(n) + "\n";
    for (int i = 0; i < n; ++i)
        text += "1\n";
    return text + trailer;
}

TEST_F(WaveformFilesTest, BadOldReferencesLeaveRefUnchanged) {
    const std::string p = dir.File("bad.ref");
    other.m_ref.SetRecordLength(4321);
    for (const std::string& text : {
             std::string(""),
             std::string("1\n2\n3\n"),           // no separator
             std::string("1\n.\n12\n50\n100\n"), // volts/div
             std::string("1\n.\n5\n101\n100\n"), // horizontal position above 500
             std::string("1\n.\n5\n50\n"),       // trailer cut short
             std::string(".\n5\n50\n100\n"),     // no samples
             std::string("300\n1\n2\n"),         // form B cut short
             FormB(300, "40\n5\n50\n100\n10\n"), // time base 40
             FormB(300, "4\n5\n50\nnan\n10\n"),  // position not a number
         }) {
        WriteText(p, text);
        otherUi.calls.clear();
        EXPECT_EQ(other.LoadOldReferenceFile(p.c_str()), 0) << text.substr(0, 20);
        EXPECT_EQ(Messages(otherUi), std::vector<std::string>{"This is not a ref file!"});
        EXPECT_EQ(other.m_ref.GetRecordLength(), 4321);
    }
}

// ---- Window copy and screen image -----------------------------------------------------------

TEST_F(WaveformFilesTest, RecordWindowOfALongRecordKeepsMinimaAndMaxima) {
    CTrace& t = doc.m_ch1;
    t.SetRecordLength(32768);
    std::fill_n(t.GetWorkRecord(), 32768, std::int16_t{200});
    t.GetWorkRecord()[10] = 450; // the first bucket of h = 0 holds samples 0..99
    t.GetWorkRecord()[20] = 5;
    std::vector<std::int16_t> dest(10240, -1);
    CopyRecordWindow(t, 0, dest.data());
    EXPECT_EQ(dest[0], 450); // maximum first: it comes first in the bucket
    EXPECT_EQ(dest[1], 5);
    EXPECT_EQ(dest[2], 200);
    EXPECT_EQ(t.GetWindowLength(), 25000);
    // Beyond the 32768 samples the window reads the zero line, never past the record.
    EXPECT_EQ(dest[10239], 511 - 128);
    t.SetRecordLength(10240);
    CopyRecordWindow(t, 250, dest.data());
    EXPECT_TRUE(std::equal(dest.begin(), dest.end(), t.GetWorkRecord()));
}

TEST_F(WaveformFilesTest, ImageWithoutABitmapWritesNothing) {
    const std::string p = dir.File("screen.bmp");
    EXPECT_EQ(doc.SaveImageFile(p.c_str(), nullptr), 0);
    const CScreenImage empty;
    EXPECT_EQ(doc.SaveImageFile(p.c_str(), &empty), 0);
    EXPECT_FALSE(fs::exists(p));
    ASSERT_EQ(Messages(ui).size(), 2u);
    EXPECT_EQ(Messages(ui)[0].rfind("Cann't save file: " + p, 0), 0u);
    const CScreenImage image(8, 2, 32);
    ASSERT_EQ(doc.SaveImageFile(p.c_str(), &image), 1);
    EXPECT_EQ(ReadBytes(p).size(), 14u + 40u + 8u * 2u * 4u);
}

// A user interface with an image encoder of its own: it marks the bytes with the format asked.
class EncodingUi : public FakeDocUi {
public:
    bool EncodeImage(const CScreenImage& image, const char* format,
                     std::vector<std::uint8_t>& bytes) override {
        const std::string text = std::string(format) + " " + std::to_string(image.GetWidth());
        bytes.assign(text.begin(), text.end());
        return true;
    }
};

TEST_F(WaveformFilesTest, ImageFormatFollowsTheNameAndNeedsAnEncoder) {
    const CScreenImage image(8, 2, 32);
    // Bitmap bytes only under a bitmap name, whatever its letter case.
    const std::string bmp = dir.File("screen.BMP");
    ASSERT_EQ(doc.SaveImageFile(bmp.c_str(), &image), 1);
    EXPECT_EQ(ReadText(bmp).substr(0, 2), "BM");
    // Without an encoder, PNG and JPEG names get nothing and a message.
    const std::string png = dir.File("screen.png");
    EXPECT_EQ(doc.SaveImageFile(png.c_str(), &image), 0);
    EXPECT_FALSE(fs::exists(png));
    ASSERT_EQ(Messages(ui).size(), 1u);
    EXPECT_EQ(Messages(ui)[0].rfind("Cann't save file: " + png, 0), 0u);
    // With one, each name gets its own format.
    EncodingUi encoding;
    doc.SetUi(&encoding);
    ASSERT_EQ(doc.SaveImageFile(png.c_str(), &image), 1);
    EXPECT_EQ(ReadText(png), "png 8");
    for (const char* name : {"screen.jpg", "screen.JPEG"}) {
        const std::string jpg = dir.File(name);
        ASSERT_EQ(doc.SaveImageFile(jpg.c_str(), &image), 1) << name;
        EXPECT_EQ(ReadText(jpg), "jpeg 8") << name;
    }
    // A name of another kind, or with no extension at all, is refused with a message.
    for (const char* name : {"screen.gif", "screen", "shots.png/screen"}) {
        const std::string other = dir.File(name);
        EXPECT_EQ(doc.SaveImageFile(other.c_str(), &image), 0) << name;
        EXPECT_FALSE(fs::exists(other)) << name;
    }
    EXPECT_EQ(Messages(encoding).size(), 3u);
    doc.SetUi(&ui);
}

TEST_F(WaveformFilesTest, FailedWritesReportAndKeepTheOldFile) {
    const std::string p = dir.File("keep.rfc");
    WriteText(p, "old");
    // The save fails after its temporary file is written, as on a full disk.
    kv::SetAtomicWriteFailureForTesting(true);
    EXPECT_EQ(doc.SaveReferenceFile(p.c_str()), 0);
    EXPECT_EQ(doc.SaveCsvFile(p.c_str()), 0);
    EXPECT_EQ(doc.SaveWaveformXls(p.c_str()), 0);
    kv::SetAtomicWriteFailureForTesting(false);
    EXPECT_EQ(ReadText(p), "old");
    const std::vector<std::string> m = Messages(ui);
    ASSERT_EQ(m.size(), 3u);
    for (const std::string& s : m)
        EXPECT_EQ(s.rfind("Cann't save file: " + p, 0), 0u);
}

// Under a file-size limit (ulimit -f 64) a CSV save of a long record would draw SIGXFSZ and end
// the program; it is told like any failed save instead, and the old file stays.
TEST_F(WaveformFilesTest, AFileSizeLimitIsToldAndKeepsTheOldCsv) {
    const std::string p = dir.File("wave.csv");
    WriteText(p, "#CLOCK=0.001000000\n#SIZE=1\n0.5,0,0\n");
    FillRecord(doc.m_ch1, 10240);
    const kvtest::ChildEnd end = kvtest::RunInChild([&] {
        if (!kvtest::LimitFileSize(64 * 512))
            return kvtest::kChildCannotSetUp;
        if (doc.SaveCsvFile(p.c_str()) != 0)
            return 1;
        const std::vector<std::string> m = Messages(ui);
        return m.size() == 1 && m[0] == "Cann't save file: " + p + ": File too large" ? 0 : 2;
    });
    ASSERT_TRUE(end.exited) << "the save ended the program with signal " << end.signal;
    EXPECT_EQ(end.code, 0) << "1: reported as saved, 2: not told as \"File too large\"";
    EXPECT_EQ(ReadText(p), "#CLOCK=0.001000000\n#SIZE=1\n0.5,0,0\n");
}

TEST_F(WaveformFilesTest, AReadOnlyFileSystemIsNamedInTheMessage) {
    const std::string ro = dir.File("ro");
    ASSERT_EQ(::mkdir(ro.c_str(), 0755), 0);
    const std::string p = ro + "/wave.csv";
    WriteText(p, "old");
    const kvtest::ChildEnd end = kvtest::RunInChild([&] {
        if (!kvtest::OwnMountNamespace() || !kvtest::MakeFolderReadOnly(ro))
            return kvtest::kChildCannotSetUp;
        if (doc.SaveCsvFile(p.c_str()) != 0)
            return 1;
        const std::vector<std::string> m = Messages(ui);
        return m.size() == 1 && m[0] == "Cann't save file: " + p + ": Read-only file system" ? 0 : 2;
    });
    ASSERT_TRUE(end.exited);
    if (end.code == kvtest::kChildCannotSetUp)
        GTEST_SKIP() << "a read-only mount needs the administrator";
    EXPECT_EQ(end.code, 0) << "1: reported as saved, 2: not told as a read-only file system";
    EXPECT_EQ(ReadText(p), "old");
}

} // namespace
