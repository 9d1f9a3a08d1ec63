// CSV files the reader refuses: the user is told which file and what is wrong (for points, the
// first bad line), and CH1 and the time base stay as they were.
#include "engine/KelvaneDoc.h"

#include "ScratchDocFixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

namespace {

using kvtest::WriteAllBytes;

class CsvRefusalTest : public kvtest::ScratchDocFixture {
protected:
    CsvRefusalTest() : ScratchDocFixture("kv-csv-refusal-") {}
    void SetUp() override {
        ScratchDocFixture::SetUp();
        doc.m_ch1.SetRecordLength(14336);
        doc.m_settings.SetTimeBaseIndex(9);
        std::fill_n(doc.m_ch1.GetWorkRecord(), 14336, std::int16_t{77});
    }
    void ExpectUnchanged(const std::string& what) {
        EXPECT_EQ(doc.m_ch1.GetRecordLength(), 14336) << what;
        EXPECT_EQ(doc.m_settings.GetTimeBaseIndex(), 9) << what;
        const std::int16_t* w = doc.m_ch1.GetWorkRecord();
        EXPECT_TRUE(std::all_of(w, w + 14336, [](std::int16_t v) { return v == 77; })) << what;
        EXPECT_TRUE(std::none_of(ui.calls.begin(), ui.calls.end(), [](const std::string& c) {
            return c.rfind("Combo", 0) == 0;
        })) << what;
    }
    // "#CLOCK" and "#SIZE" lines for 1 ms/div and 10240 points, then `points`.
    static std::string Csv(const std::string& points) { return "#CLOCK=0.001000000\n#SIZE=10240\n" + points; }
};

TEST_F(CsvRefusalTest, UnreadableHeadersAreNamed) {
    const std::string p = dir.File("head.csv");
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"", "the file is empty"},
        {"#CLOCK=0.001\n", "the file has no size line"},
        {"#CLOCK 0.001\n#SIZE=10240\n1,0,0\n", "line 1 does not give the clock (\"#CLOCK=<seconds>\")"},
        {"#CLOCK=fast\n#SIZE=10240\n1,0,0\n", "line 1 does not give the clock (\"#CLOCK=<seconds>\")"},
        {"#CLOCK=0.001\n#SIZE 10240\n1,0,0\n", "line 2 does not give the size (\"#SIZE=<points>\")"},
        {"#CLOCK=0.001\n#SIZE=many\n1,0,0\n", "line 2 does not give the size (\"#SIZE=<points>\")"},
        {"#CLOCK=0.001\n#SIZE=500\n1,0,0\n", "the size 500 is not 10240, 14336, 28672 or 32768"},
        {"#CLOCK=0.001\n#SIZE=524288\n1,0,0\n", "the size 524288 is not 10240, 14336, 28672 or 32768"},
    };
    for (const auto& [text, reason] : cases) {
        WriteAllBytes(p, text);
        ui.calls.clear();
        EXPECT_EQ(doc.LoadCsvFile(p.c_str()), 0) << text;
        EXPECT_EQ(Messages(), std::vector<std::string>{"Can not open file: " + p + ": " + reason});
        ExpectUnchanged(text);
    }
}

TEST_F(CsvRefusalTest, TheFirstPointThatIsNoNumberIsNamed) {
    const std::string p = dir.File("points.csv");
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"0.5,0,0\n1.0,0,0\n1.5,0,0\n2.0,0,0\nabc,0,0\n-1,0,0\nxyz\n", "line 7 \"abc,0,0\" is not a number"},
        {",0,0\n", "line 3 \",0,0\" is not a number"},
        {"1,0,0\n-,0,0\n", "line 4 \"-,0,0\" is not a number"},
        {"1,0,0\nnan,0,0\n", "line 4 \"nan,0,0\" is not a number"},
        {"1,0,0\n1.2.3,0,0\n", "line 4 \"1.2.3,0,0\" is not a number"},
        {"0.5V,0,0\n", "line 3 \"0.5V,0,0\" is not a number"},
        {"1,0,0\n\n2,0,0\n", "line 4 holds no number"},
        {"1,0,0\n" + std::string(100, 'q') + "\n",
         "line 4 \"" + std::string(40, 'q') + "...\" is not a number"},
    };
    for (const auto& [points, reason] : cases) {
        WriteAllBytes(p, Csv(points));
        ui.calls.clear();
        EXPECT_EQ(doc.LoadCsvFile(p.c_str()), 0) << points;
        EXPECT_EQ(Messages(), std::vector<std::string>{"Can not open file: " + p + ": " + reason});
        ExpectUnchanged(points);
    }
}

TEST_F(CsvRefusalTest, WhatFollowsThePointsIsNotRead) {
    const std::string p = dir.File("long.csv");
    // Blank lines after the last point end the points; extra columns are allowed; lines after the
    // size (here garbage) are never looked at.
    std::string points;
    for (int i = 0; i < 10240; ++i)
        points += (i % 2 ? "1.0" : "-1.0") + std::string(",0,0,extra column\n");
    WriteAllBytes(p, Csv(points + "not a point\n"));
    ASSERT_EQ(doc.LoadCsvFile(p.c_str()), 1);
    EXPECT_TRUE(Messages().empty());
    EXPECT_EQ(doc.m_ch1.GetRecordLength(), 10240);
    EXPECT_EQ(doc.m_settings.GetTimeBaseIndex(), 17); // 1 ms/div
    const int zero = 511 - 128;                       // CH1 at position 128, 1 V/div
    EXPECT_EQ(doc.m_ch1.GetWorkRecord()[0], zero - 64);
    EXPECT_EQ(doc.m_ch1.GetWorkRecord()[10239], zero + 64);

    WriteAllBytes(p, Csv("1.0,0,0\n\n\n"));
    std::fill_n(doc.m_ch1.GetWorkRecord(), 10240, std::int16_t{77});
    ASSERT_EQ(doc.LoadCsvFile(p.c_str()), 1);
    EXPECT_EQ(doc.m_ch1.GetWorkRecord()[0], zero + 64);
    EXPECT_EQ(doc.m_ch1.GetWorkRecord()[1], 77); // past the points: unchanged
}

} // namespace
