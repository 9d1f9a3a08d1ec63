#include "engine/KelvaneDoc.h"

#include "FakeDocUi.h"
#include "engine/DocViewCalls.h"
#include "engine/SettingsCodes.h"
#include "zendral/RecordingZendral.h"
#include "zendral/ZendralRegistry.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

class ViewlessDocUiTest : public ::testing::Test {
protected:
    ViewlessDocUiTest() {
        doc.SetDefaultSettings();
        doc.AllocSampleBuffers();
    }
    std::shared_ptr<kv::RecordingZendral> fake = std::make_shared<kv::RecordingZendral>();
    kv::ScopedZendral scope{fake};
    CKelvaneDoc doc;
};

TEST_F(ViewlessDocUiTest, ADocumentAlwaysHasAUserInterfaceToTalkTo) {
    EXPECT_FALSE(doc.Ui().HasView());
    FakeDocUi view;
    doc.SetUi(&view);
    EXPECT_EQ(&doc.Ui(), &view);
    EXPECT_TRUE(doc.Ui().HasView());
    // Detaching the view falls back to the stand-in, never to nothing.
    doc.SetUi(nullptr);
    ASSERT_NE(doc.GetUi(), nullptr);
    EXPECT_FALSE(doc.Ui().HasView());
    doc.Ui().RepaintView();
    doc.Ui().MessageBox("nobody reads this", "Error");
    ScreenOptions options;
    EXPECT_FALSE(doc.Ui().GetScreenOptions(options));
}

TEST_F(ViewlessDocUiTest, RunStopCommandStopsAndStartsTheDocument) {
    doc.SetTimeBaseIndex(16); // 400 us/div
    ASSERT_EQ(doc.m_bRunning, 1);
    doc.Ui().RunStopCommand();
    EXPECT_EQ(doc.m_bRunning, 0);
    EXPECT_EQ(doc.m_nRunStatus, 0); // STOP
    // The stopped screen is redrawn from the time base it was stopped at.
    EXPECT_DOUBLE_EQ(doc.m_settings.GetCachedSecondsPerDiv(), 0.0004);
    doc.Ui().RunStopCommand();
    EXPECT_EQ(doc.m_bRunning, 1);
    EXPECT_EQ(doc.m_nRunStatus, 1); // RUN
}

TEST_F(ViewlessDocUiTest, TheViewsSettersBecomeTheDocumentsOwn) {
    kv::docview::SetTimeBase(doc, 20);
    EXPECT_EQ(doc.m_settings.GetTimeBaseIndex(), 20);
    kv::docview::SetVoltsPerDiv(doc, 0, 2);
    kv::docview::SetVoltsPerDiv(doc, 1, 7);
    EXPECT_EQ(doc.m_ch1.GetVoltsPerDivIndex(), 2);
    EXPECT_EQ(doc.m_ch2.GetVoltsPerDivIndex(), 7);
    // Factory Setup brings every default back and sends the set-up to the instrument.
    doc.m_settings.SetTimeBaseFormat(kFormatXY);
    fake->ClearCalls();
    doc.Ui().FactorySetup();
    EXPECT_EQ(doc.m_settings.GetTimeBaseIndex(), 13);
    EXPECT_EQ(doc.m_settings.GetTimeBaseFormat(), kFormatYT);
    EXPECT_FALSE(fake->Ordinals().empty());
}

} // namespace
