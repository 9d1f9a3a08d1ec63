// The trigger-level readouts of the status strip and the side panel's lists follow the document
// whichever road a change takes: menu, side panel, pointer drag, setup file, record play-back,
// zero calibration and auto-setup. The readouts are checked against one another (a level read
// at 200 mV/div is a fifth of the same level at 1 V/div, a level on its zero line reads 0 V),
// never against the readout formula.
#include "RealViewSupport.h"

#include "TestOutput.h"
#include "display/StatusStrip.h"
#include "engine/DeviceStateBlock.h"
#include "engine/KelvaneDoc.h"
#include "engine/SettingsCodes.h"
#include "framework/CommonDialogs.h"

#include <QAbstractItemView>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

namespace {

using realview::RealView;

enum class Road { Menu, Panel };

// The strip's text for a level in volts.
std::string Shown(float volts) {
    return CStatusStrip::FormatLevel(volts).GetString();
}

class ReadoutRoads : public RealView {
protected:
    CScopeScreen& Scope() { return view->Screen(); }
    QWidget* ScreenWidget() { return view->ScreenPanel().GetWidget(); }
    static QPoint Centre(const CRect& r) { return QPoint((r.left + r.right) / 2, (r.top + r.bottom) / 2); }
    float Volts(int source) const { return doc->m_trigger.GetLevelVolts(source); }

    // A pointer dragged with the mouse to `dy` pixels from where it is (the panel moves a
    // pointer on one mouse event in four, so the mouse moves there a few times).
    void DragPointer(CScopeScreen::Marker marker, int dy) {
        const QPoint from = Centre(Scope().GetMarkerRect(marker));
        const QPoint to(from.x(), from.y() + dy);
        QTest::mousePress(ScreenWidget(), Qt::LeftButton, Qt::NoModifier, from);
        for (int i = 0; i < 7; ++i)
            QTest::mouseMove(ScreenWidget(), to);
        QTest::mouseRelease(ScreenWidget(), Qt::LeftButton, Qt::NoModifier, to);
        QTest::mouseMove(ScreenWidget(), QPoint(to.x() - 60, to.y()));
        QApplication::processEvents();
    }

    // A list entry picked from the list's popup, opened with a click (the arrow keys move the
    // highlight there and Enter picks it), so the entries on the way are not chosen one by one.
    static void PickFromPopup(CComboBox& list, int entry) {
        QComboBox* box = Box(list);
        ASSERT_NE(box, nullptr);
        QTest::mouseClick(box, Qt::LeftButton);
        QAbstractItemView* popup = box->view();
        ASSERT_TRUE(QTest::qWaitFor([popup] { return popup->isVisible(); }, 2000));
        for (int guard = 0; popup->currentIndex().row() < entry && guard < 64; ++guard)
            QTest::keyClick(popup, Qt::Key_Down);
        for (int guard = 0; popup->currentIndex().row() > entry && guard < 64; ++guard)
            QTest::keyClick(popup, Qt::Key_Up);
        QTest::keyClick(popup, Qt::Key_Return);
        QApplication::processEvents();
        ASSERT_EQ(box->currentIndex(), entry);
    }
    void Source(Road road, int source) {
        if (road == Road::Menu)
            Command(ID_TRIG_SOURCE_FIRST + static_cast<UINT>(source));
        else
            PickFromPopup(panel->m_cboSource, source);
        ASSERT_EQ(doc->m_trigger.GetSource(), source);
    }
    void VoltDiv(Road road, int channel, int index) {
        if (road == Road::Menu)
            Command((channel == 0 ? ID_CH1_VOLTDIV_FIRST : ID_CH2_VOLTDIV_FIRST) + static_cast<UINT>(index));
        else
            Choose(channel == 0 ? panel->m_cboCh1VoltDiv : panel->m_cboCh2VoltDiv, index);
        ASSERT_EQ((channel == 0 ? doc->m_ch1 : doc->m_ch2).GetVoltsPerDivIndex(), index);
    }
    void Probe(Road road, int channel, int probe) {
        if (road == Road::Menu)
            Command((channel == 0 ? ID_CH1_PROBE_FIRST : ID_CH2_PROBE_FIRST) + static_cast<UINT>(probe));
        else
            Choose(channel == 0 ? panel->m_cboCh1Probe : panel->m_cboCh2Probe, probe);
        ASSERT_EQ((channel == 0 ? doc->m_ch1 : doc->m_ch2).GetProbe(), probe);
    }
    // The level pointer of a channel where the document's level puts it.
    void ExpectLevelPointerAtItsLevel(int channel) {
        const CRect plot = Scope().GetPlotRect();
        const float y = static_cast<float>(plot.top) +
                        doc->m_trigger.GetLevel(channel) * static_cast<float>(plot.Height()) / 511.0f;
        const auto marker = channel == 0 ? CScopeScreen::kMarkerCh1Level : CScopeScreen::kMarkerCh2Level;
        EXPECT_NEAR(Scope().GetMarkerPoint(marker).y,
                    std::clamp(y, static_cast<float>(plot.top), static_cast<float>(plot.bottom)), 0.01f);
    }
};

class ReadoutRoadsBoth : public ReadoutRoads, public ::testing::WithParamInterface<Road> {};

// Levels dragged off their zero lines, then volts/div, source and probe changed on one road:
// every level readout, the one shown now and the ones shown later under ALT, reads the level
// at the channel's present scale. Both roads leave the same document.
TEST_P(ReadoutRoadsBoth, EveryLevelReadoutFollowsTheScaleWhateverTheSource) {
    const Road road = GetParam();
    Command(ID_FACTORY_SETUP);
    ASSERT_EQ(doc->m_ch2.GetVoltsPerDivIndex(), 6); // 1 V/div
    const int H = Scope().GetPlotRect().Height();

    // CH2 the source, its level dragged a quarter of the screen above its zero line.
    Source(road, 1);
    DragPointer(CScopeScreen::kMarkerCh2Level, -H / 4);
    const float ch2Level = doc->m_trigger.GetLevel(1);
    const float ch2At1V = Volts(1);
    ASSERT_GT(ch2At1V, 0.0f);

    // CH1 the source: its level goes onto its zero line (0 V) on both roads; CH2's level stays.
    doc->m_trigger.SetLevel(0, 30.0f);
    Source(road, 0);
    EXPECT_FLOAT_EQ(doc->m_trigger.GetLevel(0), doc->m_ch1.GetPosition());
    EXPECT_EQ(Volts(0), 0.0f);
    EXPECT_EQ(doc->m_trigger.GetMarkerWord(0), 0);
    EXPECT_FLOAT_EQ(doc->m_trigger.GetDragValue(), 0.0f);
    EXPECT_FLOAT_EQ(doc->m_trigger.GetLevel(1), ch2Level);
    EXPECT_FLOAT_EQ(Volts(1), ch2At1V);
    ExpectLevelPointerAtItsLevel(0);
    // And CH1's level dragged an eighth of the screen below its zero line.
    DragPointer(CScopeScreen::kMarkerCh1Level, H / 8);
    const float ch1Level = doc->m_trigger.GetLevel(0);
    const float ch1AtX1 = Volts(0);
    ASSERT_LT(ch1AtX1, 0.0f);

    // CH2 at 200 mV/div while CH1 triggers: CH2's level now reads a fifth.
    VoltDiv(road, 1, 4);
    EXPECT_NEAR(Volts(1), ch2At1V * 0.2f, std::fabs(ch2At1V) * 1e-5f);

    // ALT keeps both levels; the strip shows each channel's present value in turn.
    Source(road, 2);
    EXPECT_EQ(doc->m_usb.GetStateWord(kv::kStateAltFlag), 1);
    EXPECT_FLOAT_EQ(doc->m_trigger.GetLevel(0), ch1Level);
    EXPECT_FLOAT_EQ(doc->m_trigger.GetLevel(1), ch2Level);
    EXPECT_EQ(Shown(Volts(1)), Shown(ch2At1V * 0.2f));
    EXPECT_EQ(Shown(Volts(0)), Shown(ch1AtX1));
    ExpectLevelPointerAtItsLevel(0);
    ExpectLevelPointerAtItsLevel(1);

    // Under ALT a probe on CH1 scales CH1's readout, and CH2 back at 1 V/div reads as before.
    Probe(road, 0, 1);
    EXPECT_NEAR(Volts(0), ch1AtX1 * 10.0f, std::fabs(ch1AtX1) * 1e-5f);
    VoltDiv(road, 1, 6);
    EXPECT_NEAR(Volts(1), ch2At1V, std::fabs(ch2At1V) * 1e-5f);

    // EXT: the external level at the middle reads 0 V; back to CH2, its level on the zero line.
    Source(road, 3);
    EXPECT_FLOAT_EQ(doc->m_trigger.GetLevel(CTrigger::kLevelExt), 128.0f);
    EXPECT_EQ(Volts(CTrigger::kLevelExt), 0.0f);
    Source(road, 1);
    EXPECT_FLOAT_EQ(doc->m_trigger.GetLevel(1), doc->m_ch2.GetPosition());
    EXPECT_EQ(Volts(1), 0.0f);
    ExpectLevelPointerAtItsLevel(1);
}

INSTANTIATE_TEST_SUITE_P(BothRoads, ReadoutRoadsBoth, ::testing::Values(Road::Menu, Road::Panel),
                         [](const ::testing::TestParamInfo<Road>& info) {
                             return std::string(info.param == Road::Menu ? "Menu" : "SidePanel");
                         });

// Dragging a zero pointer moves the zero line under a level that stays (its channel is not the
// source): that level's readout changes at once, and ALT later shows the new value.
TEST_F(ReadoutRoads, AZeroLineDraggedUnderAKeptLevelChangesItsReadout) {
    Command(ID_FACTORY_SETUP);
    Command(ID_TRIG_SOURCE_FIRST + 0);
    ASSERT_EQ(Volts(1), 0.0f); // CH2's level on its zero line
    const int H = Scope().GetPlotRect().Height();
    DragPointer(CScopeScreen::kMarkerCh2Zero, -H / 8);
    EXPECT_FLOAT_EQ(doc->m_trigger.GetLevel(1), 384.0f); // the level stayed
    const float moved = Volts(1);
    EXPECT_LT(moved, 0.0f); // the zero line went up over the level
    // Twice the distance reads twice the voltage.
    DragPointer(CScopeScreen::kMarkerCh2Zero, -H / 8);
    const float twice = Volts(1);
    EXPECT_NEAR(twice, 2.0f * moved, std::fabs(moved) * 0.05f);
    PickFromPopup(panel->m_cboSource, 2);
    EXPECT_FLOAT_EQ(Volts(1), twice);
}

// A setup file that carries readouts left stale by an older program: loading it shows the
// readouts of the levels it holds.
TEST_F(ReadoutRoads, LoadedSetupShowsTheReadoutsOfItsLevels) {
    Command(ID_FACTORY_SETUP);
    doc->SetDemoMode(0); // a demo session would not write the file
    Command(ID_TRIG_SOURCE_FIRST + 2);
    doc->m_trigger.SetLevelVolts(0, 1.31f);
    doc->m_trigger.SetLevelVolts(1, -120.0f);
    const std::string path = kvtest::OutputDir() + "/stale-readouts.set";
    CFileDialog::SetHook([&](CFileDialog& dlg) {
        dlg.SetChosenPath(path.c_str());
        return static_cast<INT_PTR>(IDOK);
    });
    Command(ID_FILE_SAVE_SETUPS);
    Command(ID_FACTORY_SETUP);
    doc->SetDemoMode(0);
    Command(ID_FILE_LOAD_SETUPS);
    CFileDialog::SetHook(nullptr);
    std::remove(path.c_str());
    EXPECT_TRUE(boxes.empty());
    EXPECT_EQ(doc->m_trigger.GetSource(), kSourceAlt);
    // Both levels sit on their zero lines.
    EXPECT_EQ(Volts(0), 0.0f);
    EXPECT_EQ(Volts(1), 0.0f);
    EXPECT_EQ(Shown(Volts(1)), "0.00uV");
}

// Play-back of a recording made at probe x10 brings the probe back everywhere: the side panel's
// probe list and volts/div labels, the menu and the level readout.
TEST_F(ReadoutRoads, PlayBackShowsTheRecordingsProbeInThePanelMenuAndReadout) {
    Command(ID_FACTORY_SETUP);
    Command(ID_CH1_PROBE_FIRST + 1);   // x10
    Command(ID_CH1_VOLTDIV_FIRST + 5); // 500 mV x 10 = 5.00 V
    ASSERT_EQ(ItemText(panel->m_cboCh1VoltDiv, Selected(panel->m_cboCh1VoltDiv)), "5.00V");
    // CH1's level a quarter of the screen above its zero line.
    DragPointer(CScopeScreen::kMarkerCh1Level, -Scope().GetPlotRect().Height() / 4);
    const float atX10 = Volts(0);
    ASSERT_GT(atX10, 0.0f);

    auto recordThreeFrames = [this](CDialog& record) {
        apptest::Type(record, IDC_RECORD_END_FRAME, "3");
        apptest::Type(record, IDC_RECORD_INTERVAL, "10");
        apptest::Click(record, IDC_BUTTON_RECORD);
        for (int i = 0; i < 100 && doc->m_record.m_bRecording; ++i)
            apptest::ProcessEventsFor(10);
        apptest::Click(record, IDCANCEL);
    };
    {
        apptest::ModalAnswerer answer(recordThreeFrames);
        Command(ID_UTILITY_RECORD);
        ASSERT_EQ(answer.seen, 1);
    }
    ASSERT_EQ(doc->m_record.m_nFramesRecorded, 3);

    // The probe back at x1: the panel reads 500 mV, the readout a tenth.
    Command(ID_CH1_PROBE_FIRST + 0);
    ASSERT_EQ(Selected(panel->m_cboCh1Probe), 0);
    ASSERT_EQ(ItemText(panel->m_cboCh1VoltDiv, Selected(panel->m_cboCh1VoltDiv)), "500mV");
    EXPECT_NEAR(Volts(0), atX10 * 0.1f, std::fabs(atX10) * 1e-5f);

    std::string probeInPanel, voltsInPanel;
    {
        apptest::ModalAnswerer answer([&](CDialog& record) {
            apptest::Type(record, IDC_PLAY_INTERVAL, "10");
            apptest::Click(record, IDC_BUTTON_PLAY);
            probeInPanel = ItemText(panel->m_cboCh1Probe, Selected(panel->m_cboCh1Probe));
            voltsInPanel = ItemText(panel->m_cboCh1VoltDiv, Selected(panel->m_cboCh1VoltDiv));
            for (int i = 0; i < 100 && doc->m_record.m_bPlaying; ++i)
                apptest::ProcessEventsFor(10);
            apptest::Click(record, IDCANCEL);
        });
        Command(ID_UTILITY_RECORD);
        ASSERT_EQ(answer.seen, 1);
    }
    EXPECT_EQ(doc->m_ch1.GetProbe(), 1);
    EXPECT_EQ(probeInPanel, "x 10");
    EXPECT_EQ(voltsInPanel, "5.00V");
    EXPECT_EQ(Selected(panel->m_cboCh1Probe), 1);
    EXPECT_EQ(ItemText(panel->m_cboCh1VoltDiv, Selected(panel->m_cboCh1VoltDiv)), "5.00V");
    EXPECT_EQ(Item(ID_CH1_PROBE_FIRST + 1).check, 1);
    EXPECT_EQ(Item(ID_CH1_VOLTDIV_FIRST + 5).check, 1);
    EXPECT_NE(Item(ID_CH1_VOLTDIV_FIRST + 5).text.find("5.00V"), std::string::npos);
    EXPECT_NEAR(Volts(0), atX10, std::fabs(atX10) * 1e-5f);
}

// ---- roads that need the instrument ------------------------------------------------------------

class ReadoutRoadsConnected : public ReadoutRoads {
protected:
    const char* Instruments() const override { return "1"; }
    // Timer ticks until `done` holds (at most `limit`).
    template <typename Done> bool TickUntil(Done done, int limit) {
        for (int i = 0; i < limit && !done(); ++i)
            view->PumpTick();
        return done();
    }
};

// A zero calibration of CH2 moves CH2's zero line to the screen's edges under its level, which
// then reads far from 0 V; stopped there, CH2's level is back on its zero line and reads 0 V, now
// and when ALT shows it.
TEST_F(ReadoutRoadsConnected, ZeroCalibrationLeavesNoReadoutOfItsOwnSteps) {
    doc->SetCalibrationChannels(0, 1);
    ASSERT_EQ(doc->StartCalibration(), 1);
    // Past the first volts/div step, with the zero line at the top edge.
    ASSERT_TRUE(TickUntil(
        [&] { return doc->m_ch2.GetVoltsPerDivIndex() >= 2 && doc->m_ch2.GetPosition() == 0.0f; }, 4000));
    ASSERT_LT(Volts(1), 0.0f); // the level 384 codes below the zero line
    doc->StopCalibration();
    EXPECT_EQ(doc->m_trigger.GetSource(), kSourceCh1);
    EXPECT_FLOAT_EQ(doc->m_trigger.GetLevel(1), doc->m_ch2.GetPosition());
    EXPECT_EQ(Volts(0), 0.0f);
    EXPECT_EQ(Volts(1), 0.0f);
    PickFromPopup(panel->m_cboSource, 2);
    EXPECT_EQ(Shown(Volts(1)), "0.00uV");
}

// Auto-setup puts both levels on their zero lines; a level dragged off CH2's line under ALT
// before it reads 0 V afterwards, also when ALT is chosen again.
TEST_F(ReadoutRoadsConnected, AutoSetupLeavesTheLevelsReadingTheirZeroLines) {
    Command(ID_TRIG_SOURCE_FIRST + 2);
    DragPointer(CScopeScreen::kMarkerCh2Level, -Scope().GetPlotRect().Height() / 5);
    ASSERT_NE(Volts(1), 0.0f);
    Command(ID_AUTO_SETUP);
    ASSERT_TRUE(TickUntil([&] { return doc->GetAutoSetupState() == -1; }, 2000));
    EXPECT_EQ(doc->m_trigger.GetSource(), kSourceCh1);
    EXPECT_FLOAT_EQ(doc->m_trigger.GetLevel(1), doc->m_ch2.GetPosition());
    EXPECT_EQ(Volts(0), 0.0f);
    EXPECT_EQ(Volts(1), 0.0f);
    PickFromPopup(panel->m_cboSource, 2);
    EXPECT_EQ(Volts(1), 0.0f);
}

} // namespace
