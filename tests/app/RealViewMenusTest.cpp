// Menus of the running program beyond the channels: MATH and Reference, Acquire, Measure,
// Cursor and Display items with their update states, and the accelerators that reach them
// through the main window's keys.
#include "RealViewSupport.h"

#include "app/AverageDlg.h"
#include "app/IntensityDlg.h"
#include "engine/KelvaneDoc.h"

#include <string>

namespace {

using realview::RealView;

TEST_F(RealView, MathItemsFollowTheirOwnSetting) {
    Command(ID_MATH_ONOFF);
    ASSERT_EQ(doc->m_math.IsOn(), 1);
    EXPECT_EQ(Item(ID_MATH_ONOFF).text, "Turn Off");
    Command(ID_MATH_SOURCEA_CH2);
    Command(ID_MATH_SOURCEB_CH1);
    EXPECT_EQ(doc->m_math.GetSourceA(), 1);
    EXPECT_EQ(doc->m_math.GetSourceB(), 0);
    EXPECT_EQ(Item(ID_MATH_SOURCEA_CH1).check, 0);
    EXPECT_EQ(Item(ID_MATH_SOURCEA_CH2).check, 1);
    EXPECT_EQ(Item(ID_MATH_SOURCEB_CH1).check, 1);
    EXPECT_EQ(Item(ID_MATH_SOURCEB_CH2).check, 0);
    Command(ID_MATH_OPERATE_FIRST + 2);
    EXPECT_EQ(doc->m_math.GetOperation(), 2);
    for (UINT k = 0; k < 4; ++k)
        EXPECT_EQ(Item(ID_MATH_OPERATE_FIRST + k).check, k == 2 ? 1 : 0) << k;
    Command(ID_MATH_PROBE_FIRST + 2);
    Command(ID_MATH_VOLTDIV_FIRST + 4);
    EXPECT_EQ(doc->m_math.GetProbe(), 2);
    EXPECT_EQ(doc->m_math.GetVoltsPerDivIndex(), 4);
    EXPECT_EQ(Item(ID_MATH_VOLTDIV_FIRST + 4).check, 1);
    EXPECT_EQ(Item(ID_MATH_VOLTDIV_FIRST + 0).text, "1.00V"); // x100
    EXPECT_EQ(Item(ID_MATH_VOLTDIV_FIRST + 9).text, "1.00kV");
    EXPECT_EQ(Item(ID_CH1_VOLTDIV_FIRST + 0).text, "10.0mV"); // the inputs keep their labels
    doc->m_math.SetPosition(400.0f);
    Command(ID_MATH_RESET);
    EXPECT_FLOAT_EQ(doc->m_math.GetPosition(), 128.0f);
    // Invert only while running.
    EXPECT_TRUE(Item(ID_MATH_INVERT).enabled);
    Command(ID_MATH_INVERT);
    EXPECT_EQ(Item(ID_MATH_INVERT).check, 1);
    Command(ID_ACQUIRE_STOP);
    EXPECT_FALSE(Item(ID_MATH_INVERT).enabled);
    EXPECT_EQ(Item(ID_MATH_INVERT).check, 0);
    // A source whose input is off is disabled.
    Command(ID_ACQUIRE_START);
    Command(ID_CH2_ONOFF);
    EXPECT_FALSE(Item(ID_MATH_SOURCEA_CH2).enabled);
    EXPECT_TRUE(Item(ID_MATH_SOURCEA_CH1).enabled);
    // MATH off: every MATH item but the switch is disabled.
    Command(ID_MATH_ONOFF);
    EXPECT_EQ(Item(ID_MATH_ONOFF).text, "Turn On");
    EXPECT_FALSE(Item(ID_MATH_OPERATE_FIRST + 2).enabled);
    EXPECT_FALSE(Item(ID_MATH_RESET).enabled);
    EXPECT_FALSE(Item(ID_MATH_SOURCEB_CH1).enabled);
}

TEST_F(RealView, ReferenceItemsAreGatedByTheReference) {
    EXPECT_FALSE(Item(ID_REF_RESET).enabled);
    EXPECT_FALSE(Item(ID_REF_VOLTDIV_FIRST + 6).enabled);
    EXPECT_FALSE(Item(ID_REF_LOAD).enabled);
    doc->m_ref.SetOn(1);
    Command(ID_REF_VOLTDIV_FIRST + 2);
    EXPECT_EQ(doc->m_ref.GetVoltsPerDivIndex(), 2);
    EXPECT_EQ(Item(ID_REF_VOLTDIV_FIRST + 2).check, 1);
    EXPECT_EQ(Item(ID_REF_VOLTDIV_FIRST + 6).check, 0);
    EXPECT_EQ(Item(ID_REF_VOLTDIV_FIRST + 2).text, ""); // no relabel
    doc->m_ref.SetPosition(40.0f);
    Command(ID_REF_RESET);
    EXPECT_FLOAT_EQ(doc->m_ref.GetPosition(), 128.0f);
    EXPECT_TRUE(Item(ID_REF_SAVE).enabled);
    Command(ID_TIMEDIV_FIRST + 30); // Roll
    EXPECT_FALSE(Item(ID_REF_SAVE).enabled);
    EXPECT_FALSE(Item(ID_TRIG_LEVEL50).enabled);
}

TEST_F(RealView, AcquisitionModesAndTheirItems) {
    EXPECT_EQ(Item(ID_ACQ_NORMAL).check, 1);
    // Stopped in Normal mode, Normal stays enabled and checked.
    Command(ID_ACQUIRE_STOP);
    EXPECT_TRUE(Item(ID_ACQ_NORMAL).enabled);
    EXPECT_EQ(Item(ID_ACQ_NORMAL).check, 1);
    Command(ID_ACQUIRE_START);
    // The demo source has no averaging.
    EXPECT_FALSE(Item(ID_ACQ_AVERAGE).enabled);
    Command(ID_ACQ_PEAK);
    EXPECT_EQ(doc->m_average.GetAcquireMode(), CAverageBuffer::kModePeakDetect);
    EXPECT_EQ(Item(ID_ACQ_PEAK).check, 1);
    EXPECT_EQ(Item(ID_ACQ_NORMAL).check, 0);
    // Stopped in another mode, Normal cannot be chosen.
    Command(ID_ACQUIRE_STOP);
    EXPECT_FALSE(Item(ID_ACQ_NORMAL).enabled);
    Command(ID_ACQUIRE_START);
    Command(ID_ACQ_NORMAL);
    EXPECT_EQ(doc->m_average.GetAcquireMode(), CAverageBuffer::kModeNormal);
    // Mouse tools only while stopped, one at a time.
    EXPECT_FALSE(Item(ID_ZOOM_IN).enabled);
    Command(ID_ACQUIRE_STOP);
    Command(ID_ZOOM_IN);
    EXPECT_EQ(doc->m_bZoomIn, 1);
    EXPECT_EQ(Item(ID_ZOOM_IN).check, 1);
    Command(ID_DRAG);
    EXPECT_EQ(doc->m_bDrag, 1);
    EXPECT_EQ(doc->m_bZoomIn, 0);
    EXPECT_EQ(Item(ID_ZOOM_IN).check, 0);
    Command(ID_DRAG);
    EXPECT_EQ(doc->m_bDrag, 0);
    // The demo source is never interpolated.
    Command(ID_TIMEDIV_FIRST + 4);
    EXPECT_FALSE(Item(ID_INTERP_STEP).enabled);
}

TEST_F(RealView, MeasureItemsTakeTheChosenSource) {
    Command(ID_MEASURE_SOURCE_CH2);
    EXPECT_EQ(Item(ID_MEASURE_SOURCE_CH2).check, 1);
    EXPECT_EQ(Item(ID_MEASURE_SOURCE_CH1).check, 0);
    Command(ID_MEASURE_PERIOD);
    Command(ID_MEASURE_SOURCE_MATH);
    Command(ID_MEASURE_RMS);
    ASSERT_EQ(doc->m_measure.GetCount(), 2);
    EXPECT_EQ(doc->m_measure.GetEntry(0).source, 1);
    EXPECT_EQ(doc->m_measure.GetEntry(0).type, 12);
    EXPECT_EQ(doc->m_measure.GetEntry(1).source, 2);
    EXPECT_EQ(doc->m_measure.GetEntry(1).type, 9);
    Command(ID_MEASURE_CLEAR);
    EXPECT_EQ(doc->m_measure.GetCount(), 0);
}

// Each of the twenty Vertical and Horizontal items adds its own measurement code, whose text
// carries the label of that code.
TEST_F(RealView, EveryMeasureItemAddsItsOwnCode) {
    const struct {
        UINT id;
        short code;
        const char* label;
    } items[] = {
        {ID_MEASURE_PK2PK, 0, "Vpp = "},
        {ID_MEASURE_MAX, 1, "Vmax = "},
        {ID_MEASURE_MIN, 2, "Vmin = "},
        {ID_MEASURE_AMPLITUDE, 3, "Vamp = "},
        {ID_MEASURE_TOP, 4, "Vtop = "},
        {ID_MEASURE_MIDDLE, 5, "Vmid = "},
        {ID_MEASURE_BASE, 6, "Vbase = "},
        {ID_MEASURE_MEAN, 7, "Vmean = "},
        {ID_MEASURE_CYCLE_MEAN, 8, "Vcmean = "},
        {ID_MEASURE_RMS, 9, "Vrms = "},
        {ID_MEASURE_POVERSHOOT, 10, "Vpshoot = "},
        {ID_MEASURE_NOVERSHOOT, 11, "Vnshoot = "},
        {ID_MEASURE_PERIOD, 12, "Period = "},
        {ID_MEASURE_FREQUENCY, 13, "Frequ = "},
        {ID_MEASURE_RISE, 14, "RiseT = "},
        {ID_MEASURE_FALL, 15, "FallT = "},
        {ID_MEASURE_PDUTY, 16, "+Duty = "},
        {ID_MEASURE_NDUTY, 17, "-Duty = "},
        {ID_MEASURE_PWIDTH, 18, "+Width = "},
        {ID_MEASURE_NWIDTH, 19, "-Width = "},
    };
    Command(ID_MEASURE_SOURCE_CH2);
    for (const auto& item : items) {
        Command(ID_MEASURE_CLEAR);
        Command(item.id);
        ASSERT_EQ(doc->m_measure.GetCount(), 1) << item.code;
        EXPECT_EQ(doc->m_measure.GetEntry(0).type, item.code);
        EXPECT_EQ(doc->m_measure.GetEntry(0).source, 1);
        doc->m_measure.Update(&doc->m_ch1, &doc->m_ch2, &doc->m_math);
        const std::string text = doc->m_measure.GetText(0).GetString();
        EXPECT_EQ(text.rfind(std::string("CH2:") + item.label, 0), 0u) << text;
    }
}

TEST_F(RealView, CursorItemsAndTheFftSource) {
    for (UINT id : {ID_CURSOR_SOURCE_CH1, ID_CURSOR_SOURCE_CH2, ID_CURSOR_SOURCE_MATH}) {
        Command(id);
        EXPECT_EQ(Item(ID_CURSOR_SOURCE_CH1).check, id == ID_CURSOR_SOURCE_CH1 ? 1 : 0);
        EXPECT_EQ(Item(ID_CURSOR_SOURCE_CH2).check, id == ID_CURSOR_SOURCE_CH2 ? 1 : 0);
        EXPECT_EQ(Item(ID_CURSOR_SOURCE_MATH).check, id == ID_CURSOR_SOURCE_MATH ? 1 : 0);
    }
    EXPECT_FALSE(Item(ID_CURSOR_SOURCE_FFT).enabled);
    for (const auto& [id, mode] : {std::pair<UINT, int>{ID_CURSOR_CROSS, 1},
                                   {ID_CURSOR_TRACE, 2},
                                   {ID_CURSOR_VERTICAL, 3},
                                   {ID_CURSOR_HORIZONTAL, 4},
                                   {ID_CURSOR_NONE, 0}}) {
        Command(id);
        EXPECT_EQ(view->Screen().GetCursorMode(), mode);
        EXPECT_EQ(Item(id).check, 1) << mode;
    }
    doc->m_fft.m_bFftOn = 1;
    Command(ID_CURSOR_CROSS);
    Command(ID_CURSOR_SOURCE_FFT);
    EXPECT_EQ(Item(ID_CURSOR_SOURCE_FFT).check, 1);
    EXPECT_EQ(view->Screen().GetCursorMode(), 0); // only the trace marker works on the spectrum
    EXPECT_FALSE(Item(ID_CURSOR_CROSS).enabled);
    EXPECT_TRUE(Item(ID_CURSOR_TRACE).enabled);
}

// The accelerators through the main window's keys.
class MenuKeys : public RealView {
protected:
    void Key(Qt::Key key, Qt::KeyboardModifiers modifiers) {
        QWidget* w = frame->GetWidget();
        w->activateWindow();
        w->setFocus();
        QApplication::processEvents();
        QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : w;
        QTest::keyClick(target, key, modifiers);
        QApplication::processEvents();
    }
};

TEST_F(MenuKeys, DisplayHorizontalAndTriggerKeys) {
    Key(Qt::Key_D, Qt::ControlModifier);
    EXPECT_EQ(view->Screen().GetDotMode(), 1);
    Key(Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(view->Screen().GetDotMode(), 0);
    const int grid = view->Screen().IsGridOn();
    Key(Qt::Key_G, Qt::ControlModifier);
    EXPECT_NE(view->Screen().IsGridOn(), grid);
    Command(ID_ACQUIRE_STOP);
    doc->SetHorizontalPosition(100);
    Key(Qt::Key_H, Qt::ControlModifier);
    EXPECT_EQ(doc->m_settings.GetHorizontalPosition(), 250);
    Command(ID_ACQUIRE_START);
    for (int i = 0; i < CTrace::kScreenPoints; ++i)
        doc->m_ch1.GetScreenTrace()[i] = static_cast<std::int16_t>(i % 2 ? 100 : 300);
    Key(Qt::Key_T, Qt::ControlModifier);
    EXPECT_FLOAT_EQ(doc->m_trigger.GetLevel(0), 511.0f - 200.0f);
    Key(Qt::Key_M, Qt::ControlModifier);
    EXPECT_EQ(doc->m_math.IsOn(), 1);
    Key(Qt::Key_Return, Qt::AltModifier);
    EXPECT_TRUE(view->IsFrameFullScreen());
    Key(Qt::Key_Return, Qt::AltModifier);
    EXPECT_FALSE(view->IsFrameFullScreen());
}

} // namespace
