// The document's FFT step on the demo signal: source choice, channel off, export.
#include "engine/KelvaneDoc.h"

#include "FakeDocUi.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <unistd.h>

namespace {

class KelvaneDocFftTest : public ::testing::Test {
protected:
    KelvaneDocFftTest() {
        doc.SetDefaultSettings();
        doc.AllocSampleBuffers();
        doc.SetDemoMode(1);
        doc.SetUi(&ui);
        for (int i = 0; i < 20; ++i)
            doc.AcquireTick();
        doc.m_fft.m_bFftOn = 1;
    }
    FakeDocUi ui;
    CKelvaneDoc doc;
};

TEST_F(KelvaneDocFftTest, DemoSineGivesASpectrumWithItsPeakAwayFromDc) {
    ASSERT_EQ(doc.ComputeFft(), 1);
    const int peak = doc.m_fft.m_nPeakBin;
    EXPECT_GT(peak, 0);
    EXPECT_LT(peak, doc.m_fft.m_nBins);
    EXPECT_GT(doc.m_fft.m_spectrum[static_cast<size_t>(peak)], 0.0);

    // CH2 of the demo carries the same kind of signal; an input that is off gives nothing and
    // keeps the last result.
    doc.m_fft.m_nSource = 1;
    doc.m_ch2.SetOn(0);
    EXPECT_EQ(doc.ComputeFft(), 0);
    EXPECT_EQ(doc.m_fft.m_nPeakBin, peak);
}

TEST_F(KelvaneDocFftTest, ExportWritesTwoHeaderLinesAndOneLinePerBin) {
    doc.m_fft.m_nBins = 1024;
    ASSERT_EQ(doc.ComputeFft(), 1);
    const std::string path =
        ::testing::TempDir() + "kelvane-fft-export-" + std::to_string(::getpid()) + ".txt";
    ASSERT_EQ(doc.SaveFftToText(path.c_str()), 1);
    std::ifstream in(path);
    int lines = 0;
    for (std::string line; std::getline(in, line);)
        ++lines;
    EXPECT_EQ(lines, 1026);
    std::remove(path.c_str());

    // A folder that does not exist: the message reaches the user and nothing claims success.
    EXPECT_EQ(doc.SaveFftToText("/nonexistent-folder/x.txt"), 0);
    ASSERT_FALSE(ui.calls.empty());
    EXPECT_NE(ui.calls.back().find("Cann't save file"), std::string::npos);
}

} // namespace
