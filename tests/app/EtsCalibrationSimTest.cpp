// The ETS Calibration dialog against the simulated instrument: its time-interval counter reads a
// clock period off its mark until the calibration value is moved, so the calibration has real
// work to do, converges, and leaves the counter reading 1800.
#include "app/EtsCalibrationDlg.h"
#include "engine/KelvaneDoc.h"
#include "framework/WinApp.h"
#include "resources/Resource.h"
#include "simulator/SimZendral.h"
#include "zendral/ZendralRegistry.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

TEST(EtsCalibrationOnTheSimulator, ConvergesAndTheCounterReads1800) {
    kv::EnsureApplication();
    auto sim = std::make_shared<kv::sim::SimZendral>();
    kv::ScopedZendral scope(sim);
    CKelvaneDoc doc;
    doc.SetDefaultSettings();
    doc.AllocSampleBuffers();
    doc.m_language.SelectLanguage(CLanguageTable::kBuiltin);
    doc.ApplySettingsToDevice();

    // Before: a full clock period does not read 1800 at the default calibration value.
    doc.m_usb.SelectTdc(2);
    doc.m_usb.CaptureStart();
    std::int32_t before = 0;
    doc.m_usb.ReadTdc(&before);
    EXPECT_GT(std::abs(before - 1800), 20);

    CEtsCalibrationDlg dlg;
    dlg.SetDocument(&doc);
    ASSERT_TRUE(dlg.Create(IDD_ETS_CALIBRATION));
    EXPECT_EQ(dlg.OnButtonStart(), 1);
    EXPECT_STREQ(dlg.m_strStatus.GetString(), "ETS Calibration OK!");

    // The instrument holds the document's calibrated value, and the timer value read at the end
    // (a full period in TDC mode 2) is 1800 within the counter's jitter.
    EXPECT_EQ(sim->Instrument(0)->TdcCalibration(), doc.m_settings.GetEtsCalValue());
    EXPECT_NE(doc.m_settings.GetEtsCalValue(), 3950);
    EXPECT_NEAR(doc.m_settings.GetEtsTimerA(), 1800, 7);
    for (int i = 0; i < 5; ++i) {
        doc.m_usb.SelectTdc(2);
        doc.m_usb.CaptureStart();
        std::int32_t reading = 0;
        doc.m_usb.ReadTdc(&reading);
        EXPECT_NEAR(reading, 1800, 7);
    }
}
