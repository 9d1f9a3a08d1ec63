// Time base and record length: the range rule of the time/div commands with its messages, the
// Buffer Size enable rule, the start-time clamp and the record length chosen after a CSV load;
// and the time bases those rules, the format changes, the side panel and the knob land on, in
// the running program on every model.
#include "CommandsTestSupport.h"
#include "RealViewSupport.h"

#include "app/MenuEx.h"
#include "engine/DeviceStateBlock.h"
#include "engine/SettingsCodes.h"
#include "resources/ScaleLabels.h"

#include <fstream>
#include <string>

using cmdtest::CommandsTest;

namespace {

constexpr UINT TimeDivId(int index) {
    return ID_TIMEDIV_FIRST + static_cast<UINT>(index);
}

} // namespace

TEST_F(CommandsTest, DeepRecordLengthsRefuseTimeDivWhileRunning) {
    doc->m_ch1.SetOn(1);
    doc->m_ch2.SetOn(1);
    doc->ApplyChannelEnable();
    doc->m_trigger.SetSource(kSourceCh1);
    doc->m_settings.SetRecordLengthMode(kRecordLength14K);
    doc->m_settings.SetTimeBaseIndex(16);
    Running(true);
    Run(TimeDivId(18));
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "14K Points Mode Range:40us/Div ~ 0.4s/Div");
    EXPECT_EQ(boxes[0].caption, "Error");
    EXPECT_EQ(doc->m_settings.GetTimeBaseIndex(), 16);

    doc->m_trigger.SetSource(kSourceAlt);
    Run(TimeDivId(18));
    EXPECT_EQ(boxes.back().text, "14K Points Mode Range:20us/Div ~ 0.4s/Div");
    doc->m_trigger.SetSource(kSourceCh1);
    const char* expected[] = {"",
                              "",
                              "28K Points Mode Range:40us/Div ~ 0.4s/Div",
                              "32K Points Mode Range:40us/Div ~ 0.4s/Div",
                              "64K Points Mode Range:40us/Div ~ 0.4s/Div",
                              "512K Points Mode Range:400us/Div ~ 0.4s/Div",
                              "1M Points Mode Range:400us/Div ~ 0.4s/Div"};
    for (std::int16_t mode = 2; mode <= 6; ++mode)
        EXPECT_EQ(std::string(view->RecordLengthRangeMessage(mode).GetString()), expected[mode]);
    doc->m_ch2.SetOn(0);
    doc->ApplyChannelEnable();
    EXPECT_STREQ(view->RecordLengthRangeMessage(5).GetString(),
                 "512K Points Mode Range:200us/Div ~ 0.4s/Div");

    // Stopped: set freely, no message.
    Running(false);
    boxes.clear();
    Run(TimeDivId(30));
    EXPECT_EQ(doc->m_settings.GetTimeBaseIndex(), 30);
    EXPECT_TRUE(boxes.empty());
}

TEST_F(CommandsTest, TenKSwitchesBetweenYTAndRollAtFourHundredMs) {
    doc->m_settings.SetRecordLengthMode(kRecordLength10K);
    doc->m_settings.SetTimeBaseIndex(13);
    Running(true);
    Run(TimeDivId(26)); // "1.00s"
    EXPECT_EQ(doc->m_settings.GetTimeBaseIndex(), 26);
    EXPECT_EQ(doc->m_settings.GetTimeBaseFormat(), kFormatRoll);
    EXPECT_EQ(mirror.Selected(ISidePanelMirror::kFormat), 1);
    EXPECT_EQ(State(TimeDivId(26)).second, 1);
    Run(TimeDivId(25)); // "400ms"
    EXPECT_EQ(doc->m_settings.GetTimeBaseFormat(), kFormatYT);

    // Pass/fail enabled: slower than 400 ms is ignored.
    doc->m_passFail.m_nState1 = 1;
    Run(TimeDivId(30));
    EXPECT_EQ(doc->m_settings.GetTimeBaseIndex(), 25);
    EXPECT_TRUE(boxes.empty());
}

// A label missing from the list names no time base; it is never used as index -1.
TEST_F(CommandsTest, LabelMissingFromTheListIsIgnored) {
    doc->m_nModel = 1;
    doc->m_settings.SetTimeBaseIndex(10);
    view->SelectTimeBase(0);  // "2.00ns"
    view->SelectTimeBase(39); // beyond the table
    view->SelectTimeBase(-1);
    EXPECT_EQ(doc->m_settings.GetTimeBaseIndex(), 10);
    EXPECT_EQ(TimeBaseIndexOfStep(1, view->TimeBaseIndexOffset()), 0); // "4.00ns"
}

TEST_F(CommandsTest, StartPullsTheTimeBaseIntoTheRecordLengthRange) {
    doc->m_ch1.SetOn(1);
    doc->m_ch2.SetOn(0);
    doc->ApplyChannelEnable();
    doc->m_settings.SetRecordLengthMode(kRecordLength512K);
    doc->m_settings.SetTimeBaseIndex(11); // "10.0us"
    doc->m_settings.SetTimeBaseFormat(kFormatRoll);
    Running(false);
    Run(ID_ACQUIRE_START);
    EXPECT_EQ(doc->m_bRunning, 1);
    EXPECT_EQ(doc->m_settings.GetTimeBaseIndex(), 16); // "400us"
    EXPECT_EQ(doc->m_settings.GetTimeBaseFormat(), kFormatYT);

    // 10K: a stopped selection at 1 s or slower starts in Roll.
    Run(ID_ACQUIRE_STOP);
    doc->m_settings.SetRecordLengthMode(kRecordLength10K);
    mirror.timeDivSelection = 27;
    Run(ID_ACQUIRE_START);
    EXPECT_EQ(doc->m_settings.GetTimeBaseFormat(), kFormatRoll);
}

TEST_F(CommandsTest, BufferSizeItemsFollowTheRule) {
    doc->SetDemoMode(0);
    doc->m_settings.SetRecordLengthMode(kRecordLength10K);
    Running(false);
    EXPECT_EQ(State(ID_BUFFER_10K), std::make_pair(true, 1));
    EXPECT_EQ(State(ID_BUFFER_14K), std::make_pair(false, 0));

    doc->m_ch1.SetOn(1);
    doc->m_ch2.SetOn(1);
    doc->ApplyChannelEnable();
    doc->m_trigger.SetSource(kSourceCh2);
    doc->m_settings.SetTimeBaseIndex(20); // 10 ms
    Running(true);
    EXPECT_EQ(State(ID_BUFFER_1M), std::make_pair(false, 0));
    EXPECT_EQ(State(ID_BUFFER_28K), std::make_pair(false, 0));
    EXPECT_EQ(State(ID_BUFFER_512K), std::make_pair(true, 0));
    doc->m_settings.SetTimeBaseIndex(12); // 20 us: below the dual lower limit
    EXPECT_FALSE(Update(ID_BUFFER_14K).m_bEnabled);
    doc->m_trigger.SetSource(kSourceAlt);
    EXPECT_TRUE(Update(ID_BUFFER_14K).m_bEnabled);

    Run(ID_BUFFER_14K);
    EXPECT_EQ(doc->m_settings.GetRecordLengthMode(), kRecordLength14K);
    EXPECT_EQ(doc->m_ch1.GetRecordLength(), 14336);
    EXPECT_EQ(State(ID_BUFFER_14K), std::make_pair(true, 1));

    doc->m_fft.m_bFftOn = 1;
    doc->m_settings.SetTimeBaseIndex(20);
    EXPECT_FALSE(Update(ID_BUFFER_512K).m_bEnabled);
    doc->SetDemoMode(1);
    EXPECT_FALSE(Update(ID_BUFFER_14K).m_bEnabled);
    EXPECT_TRUE(Update(ID_BUFFER_10K).m_bEnabled);
}

TEST_F(CommandsTest, LoadCsvChoosesTheRecordLengthByModel) {
    const std::string path = TempPath("deep.csv");
    {
        std::ofstream out(path);
        out << "#CLOCK=0.000000001\n#SIZE=14336\n";
        for (int i = 0; i < 14336; ++i)
            out << (i % 50) * 0.01 << ",0,0\n";
    }
    doc->m_settings.SetRecordLengthMode(kRecordLength10K);
    doc->m_ch1.SetOn(0);
    doc->m_ch2.SetOn(1);
    Running(true);
    AnswerFileDialog(path);
    Run(ID_FILE_LOAD_CSV);
    EXPECT_EQ(lastFilter, "CSV File(*.csv)|*.csv|All Files(*.*)|*.*||");
    EXPECT_EQ(lastTitle, "Load CSV File...");
    EXPECT_EQ(doc->m_settings.GetRecordLengthMode(), kRecordLength14K);
    EXPECT_EQ(doc->m_bRunning, 0);
    EXPECT_TRUE(doc->m_ch1.IsOn());
    EXPECT_FALSE(doc->m_ch2.IsOn());
    EXPECT_TRUE(mirror.Called("enable0"));
    EXPECT_TRUE(mirror.Called("disable1"));

    // Model 0 keeps the mode for 14336 points.
    doc->m_settings.SetRecordLengthMode(kRecordLength10K);
    doc->m_nModel = 0;
    view->ChooseRecordLengthForCsv(14336);
    EXPECT_EQ(doc->m_settings.GetRecordLengthMode(), kRecordLength10K);
    view->ChooseRecordLengthForCsv(32768);
    EXPECT_EQ(doc->m_settings.GetRecordLengthMode(), kRecordLength32K);
    std::remove(path.c_str());
}

TEST_F(CommandsTest, FailedCsvLoadChangesNothing) {
    const std::string path = TempPath("missing.csv");
    std::remove(path.c_str());
    doc->m_ch2.SetOn(1);
    Running(true);
    AnswerFileDialog(path);
    Run(ID_FILE_LOAD_CSV);
    EXPECT_EQ(doc->m_bRunning, 1);
    EXPECT_TRUE(doc->m_ch2.IsOn());
}

// --- The time bases the rules are keyed on, on every model -------------------------------------

namespace {

// Where each model's time/div list holds the time bases that the rules name: the commands'
// labels sit at their step less the model's index offset (models 4 and 5 start at 2 ns, the
// others at 4 ns).
struct ModelMarks {
    std::int16_t model;
    std::int16_t offset;
    int entries; // entries of the time/div list
    int at40ns;  // slowest time base with interpolation
    int at40us;  // where leaving Roll and the 14K..64K start clamp land
    int at400us; // where the 512K and 1M start clamp land
    int at400ms; // slowest Y-T time base
    int at1s;    // first Roll time base
};
constexpr ModelMarks kModels[] = {
    {0, 1, 38, 3, 12, 15, 24, 25}, {1, 1, 38, 3, 12, 15, 24, 25}, {2, 1, 38, 3, 12, 15, 24, 25},
    {3, 1, 38, 3, 12, 15, 24, 25}, {4, 0, 39, 4, 13, 16, 25, 26}, {5, 0, 39, 4, 13, 16, 25, 26},
};
// Step of the first Roll time base (1 s/div) in the commands' order, the same on every model.
constexpr int kStepOneSecond = 26;

class TimeBaseByModel : public realview::RealView {
protected:
    // The program as it runs on a model: its settings' index offset and its panel's lists.
    void UseModel(const ModelMarks& m) {
        doc->m_nModel = m.model;
        doc->m_settings.SetIndexOffset(m.offset);
        doc->m_passFail.m_nState1 = 0;
        panel->ApplyLanguage();
    }
    // A stopped or running document in record-length mode `mode`, format Y-T, at `index`.
    void Prepare(std::int16_t mode, bool running, int index) {
        doc->m_bRunning = running ? 1 : 0;
        doc->m_settings.SetRecordLengthMode(mode);
        doc->m_settings.SetTimeBaseFormat(0);
        doc->m_settings.SetTimeBaseIndex(static_cast<std::int16_t>(index));
        panel->LoadFromDocument();
        boxes.clear();
    }
    int Index() const { return doc->m_settings.GetTimeBaseIndex(); }
    int Format() const { return doc->m_settings.GetTimeBaseFormat(); }
    // A list entry chosen as the list reports a user's choice.
    static void Pick(CComboBox& list, int entry) {
        QComboBox* box = Box(list);
        box->setCurrentIndex(entry);
        emit box->activated(entry);
    }
    // A press on the time-base knob at a point of its window.
    void PressKnob(int x, int y) {
        QWidget* w = panel->m_knobTime.GetWidget();
        ASSERT_NE(w, nullptr);
        QTest::mouseClick(w, Qt::LeftButton, Qt::NoModifier, QPoint(x, y));
    }
};

TEST_F(TimeBaseByModel, ListHoldsTheNamedTimeBasesAndEveryCommandLabelWhereTheRulesLookThemUp) {
    for (const ModelMarks& m : kModels) {
        SCOPED_TRACE("model " + std::to_string(m.model));
        UseModel(m);
        const CComboBox& list = panel->m_cboTimeDiv;
        ASSERT_EQ(list.GetCount(), m.entries);
        EXPECT_EQ(list.FindString(-1, "40.0ns"), m.at40ns);
        EXPECT_EQ(list.FindString(-1, "40.0us"), m.at40us);
        EXPECT_EQ(list.FindString(-1, "400us"), m.at400us);
        EXPECT_EQ(list.FindString(-1, "400ms"), m.at400ms);
        EXPECT_EQ(list.FindString(-1, "1.00s"), m.at1s);
        for (int step = 0; step < 39; ++step)
            EXPECT_EQ(list.FindString(-1, kv::kTimeDivLabels[static_cast<std::size_t>(step)]),
                      step < m.offset ? -1 : step - m.offset)
                << step;
        // The rules' named time bases and the commands' steps land on those entries.
        ASSERT_EQ(view->TimeBaseIndexOffset(), m.offset);
        EXPECT_EQ(SlowestInterpolationIndex(m.offset), m.at40ns);
        EXPECT_EQ(RollReturnIndex(m.offset), m.at40us);
        for (std::int16_t mode = 1; mode <= 4; ++mode)
            EXPECT_EQ(RecordLengthStartIndex(mode, m.offset), m.at40us) << mode;
        EXPECT_EQ(RecordLengthStartIndex(5, m.offset), m.at400us);
        EXPECT_EQ(RecordLengthStartIndex(6, m.offset), m.at400us);
        EXPECT_EQ(SlowestYtIndex(m.offset), m.at400ms);
        EXPECT_EQ(RollThresholdIndex(m.offset), m.at1s);
        for (int step = 0; step < 39; ++step) {
            const char* label = kv::kTimeDivLabels[static_cast<std::size_t>(step)];
            EXPECT_EQ(TimeBaseIndexOfStep(step, m.offset), list.FindString(-1, label)) << step;
            EXPECT_EQ(CKnob::TimeDivLabelPosition(label, m.model), list.FindString(-1, label)) << step;
        }
    }
}

// Every time/div command on every model, stopped and running, with and without pass/fail, in
// 10K and in a deep record length; and the check marks of the time/div items.
TEST_F(TimeBaseByModel, EveryTimeDivCommandOnEveryModel) {
    CMenuEx menu;
    ASSERT_TRUE(menu.LoadMenu(IDR_CONTEXT_MENU));
    CMenu* times = menu.GetSubMenu(0)->GetSubMenu(2);
    ASSERT_NE(times, nullptr);
    ASSERT_EQ(times->GetMenuItemCount(), 39);
    for (const ModelMarks& m : kModels) {
        SCOPED_TRACE("model " + std::to_string(m.model));
        UseModel(m);
        // Stopped: each command selects its own time base; the model's missing step does nothing.
        Prepare(0, false, 10);
        for (int step = 0; step < 39; ++step) {
            const UINT id = ID_TIMEDIV_FIRST + static_cast<UINT>(step);
            const int expected = step < m.offset ? 10 : step - m.offset;
            Command(id);
            ASSERT_EQ(Index(), expected) << step;
            EXPECT_EQ(Selected(panel->m_cboTimeDiv), expected) << step;
            EXPECT_EQ(Format(), 0) << step;
            EXPECT_EQ(Item(id).check, step < m.offset ? 0 : 1) << step;
            view->UpdateMenuChecks(times);
            for (int other = 0; other < 39; ++other)
                EXPECT_EQ((times->GetMenuState(ID_TIMEDIV_FIRST + static_cast<UINT>(other), MF_BYCOMMAND) &
                           MF_CHECKED) != 0,
                          other >= m.offset && other - m.offset == expected)
                    << step << " " << other;
        }
        // Running in 10K: from 1 s/div on the format is Roll, up to 400 ms/div Y-T.
        Prepare(0, true, 10);
        for (int step = 38; step >= 0; --step) {
            Command(ID_TIMEDIV_FIRST + static_cast<UINT>(step));
            if (step < m.offset)
                continue;
            ASSERT_EQ(Index(), step - m.offset) << step;
            EXPECT_EQ(Format(), step >= kStepOneSecond ? 1 : 0) << step;
            EXPECT_EQ(Selected(panel->m_cboFormat), Format()) << step;
        }
        EXPECT_TRUE(boxes.empty());
        // Pass/fail: slower than 400 ms/div is ignored.
        Prepare(0, true, 10);
        doc->m_passFail.m_nState1 = 1;
        for (int step = 0; step < 39; ++step) {
            const int before = Index();
            Command(ID_TIMEDIV_FIRST + static_cast<UINT>(step));
            const bool taken = step >= m.offset && step < kStepOneSecond;
            EXPECT_EQ(Index(), taken ? step - m.offset : before) << step;
        }
        EXPECT_EQ(Format(), 0);
        doc->m_passFail.m_nState1 = 0;
        // Running in 32K: every other time base shows the range message and changes nothing.
        Prepare(3, true, 20);
        for (int step = 0; step < 39; ++step) {
            const size_t shown = boxes.size();
            Command(ID_TIMEDIV_FIRST + static_cast<UINT>(step));
            EXPECT_EQ(Index(), 20) << step;
            const bool refused = step >= m.offset && step - m.offset != 20;
            EXPECT_EQ(boxes.size(), shown + (refused ? 1 : 0)) << step;
        }
    }
}

// Start of acquisition on every model: the deep record lengths pull a time base outside their
// range to 40 us/div (14K..64K) or 400 us/div (512K, 1M); 10K starts in Roll from 1 s/div.
TEST_F(TimeBaseByModel, StartClampOnEveryModel) {
    for (const ModelMarks& m : kModels) {
        SCOPED_TRACE("model " + std::to_string(m.model));
        UseModel(m);
        for (std::int16_t mode = 1; mode <= 6; ++mode) {
            const int target = mode <= 4 ? m.at40us : m.at400us;
            for (const int from : {0, m.entries - 1, m.at400ms + 1, m.at400ms}) {
                Command(ID_ACQUIRE_STOP);
                Prepare(mode, false, from);
                Command(ID_ACQUIRE_START);
                ASSERT_EQ(doc->m_bRunning, 1);
                const int expected = from == m.at400ms ? from : target;
                EXPECT_EQ(Index(), expected) << mode << " " << from;
                EXPECT_EQ(Selected(panel->m_cboTimeDiv), expected) << mode << " " << from;
            }
        }
        for (const int from : {m.at1s, m.at400ms, m.entries - 1, 0}) {
            Command(ID_ACQUIRE_STOP);
            Prepare(0, false, from);
            doc->m_settings.SetTimeBaseFormat(from == m.at400ms ? 1 : 0);
            Command(ID_ACQUIRE_START);
            EXPECT_EQ(Index(), from);
            EXPECT_EQ(Format(), from >= m.at1s ? 1 : 0) << from;
        }
    }
}

// The format commands and the side panel's format list on every model: Roll goes to 1 s/div,
// leaving Roll for Y-T or X-Y goes to 40 us/div.
TEST_F(TimeBaseByModel, FormatsOnEveryModel) {
    for (const ModelMarks& m : kModels) {
        SCOPED_TRACE("model " + std::to_string(m.model));
        UseModel(m);
        Prepare(0, true, 5);
        Command(ID_FORMAT_ROLL);
        EXPECT_EQ(Index(), m.at1s);
        EXPECT_EQ(Selected(panel->m_cboTimeDiv), m.at1s);
        Command(ID_FORMAT_YT);
        EXPECT_EQ(Index(), m.at40us);
        EXPECT_EQ(Selected(panel->m_cboTimeDiv), m.at40us);
        Command(ID_FORMAT_ROLL);
        Command(ID_FORMAT_XY);
        EXPECT_EQ(Index(), m.at40us);
        EXPECT_EQ(Format(), 2);

        Prepare(0, true, 5);
        Pick(panel->m_cboFormat, 1);
        EXPECT_EQ(Index(), m.at1s);
        EXPECT_EQ(Selected(panel->m_cboTimeDiv), m.at1s);
        Pick(panel->m_cboFormat, 0);
        EXPECT_EQ(Index(), m.at40us);
        EXPECT_EQ(Selected(panel->m_cboTimeDiv), m.at40us);
        Pick(panel->m_cboFormat, 1);
        Pick(panel->m_cboFormat, 2);
        EXPECT_EQ(Index(), m.at40us);
        EXPECT_EQ(Format(), 2);
    }
}

// The side panel's time/div list on every model while running in 10K: Roll from 1 s/div, and
// under pass/fail the slower choices become 400 ms/div.
TEST_F(TimeBaseByModel, SidePanelTimeDivListOnEveryModel) {
    for (const ModelMarks& m : kModels) {
        SCOPED_TRACE("model " + std::to_string(m.model));
        UseModel(m);
        Prepare(0, true, 5);
        Pick(panel->m_cboTimeDiv, m.at1s);
        EXPECT_EQ(Index(), m.at1s);
        EXPECT_EQ(Format(), 1);
        Pick(panel->m_cboTimeDiv, m.at400ms);
        EXPECT_EQ(Index(), m.at400ms);
        EXPECT_EQ(Format(), 0);
        Pick(panel->m_cboTimeDiv, m.entries - 1);
        EXPECT_EQ(Format(), 1);
        doc->m_passFail.m_nState1 = 1;
        Pick(panel->m_cboTimeDiv, 5);
        Pick(panel->m_cboTimeDiv, m.at1s + 2);
        EXPECT_EQ(Index(), m.at400ms);
        EXPECT_EQ(Selected(panel->m_cboTimeDiv), m.at400ms);
        EXPECT_EQ(Format(), 0);
        doc->m_passFail.m_nState1 = 0;
    }
}

// The time-base knob's two ends on every model: the lower left is the slowest entry of the
// model's list, the lower right the fastest; in 10K the slow end runs in Roll, under pass/fail
// it stops at 400 ms/div, and a deep record length refuses both ends while running.
TEST_F(TimeBaseByModel, KnobEndsOnEveryModel) {
    for (const ModelMarks& m : kModels) {
        SCOPED_TRACE("model " + std::to_string(m.model));
        UseModel(m);
        Prepare(0, true, 10);
        PressKnob(40, 84); // dead zone, left half: the slow end
        EXPECT_EQ(Index(), m.entries - 1);
        EXPECT_EQ(Selected(panel->m_cboTimeDiv), m.entries - 1);
        EXPECT_EQ(Format(), 1);
        PressKnob(47, 84); // right half: the fast end
        EXPECT_EQ(Index(), 0);
        EXPECT_EQ(Format(), 0);
        doc->m_passFail.m_nState1 = 1;
        PressKnob(40, 84);
        EXPECT_EQ(Index(), m.at400ms);
        EXPECT_EQ(Selected(panel->m_cboTimeDiv), m.at400ms);
        EXPECT_EQ(Format(), 0);
        doc->m_passFail.m_nState1 = 0;
        Prepare(2, true, 20);
        PressKnob(40, 84);
        PressKnob(47, 84);
        EXPECT_EQ(Index(), 20);
        EXPECT_EQ(boxes.size(), 2u);
        Prepare(2, false, 20);
        PressKnob(40, 84);
        EXPECT_EQ(Index(), m.entries - 1);
        EXPECT_TRUE(boxes.empty());
    }
}

// With an instrument: interpolation is offered up to 40 ns/div on every model.
class ConnectedTimeBaseByModel : public TimeBaseByModel {
protected:
    const char* Instruments() const override { return "1"; }
};

TEST_F(ConnectedTimeBaseByModel, InterpolationUpToFortyNanosecondsOnEveryModel) {
    for (const ModelMarks& m : kModels) {
        SCOPED_TRACE("model " + std::to_string(m.model));
        UseModel(m);
        for (int index = 0; index <= m.at40ns + 2; ++index) {
            Prepare(0, true, index);
            EXPECT_EQ(Item(ID_INTERP_STEP).enabled, index <= m.at40ns) << index;
        }
    }
}

} // namespace
