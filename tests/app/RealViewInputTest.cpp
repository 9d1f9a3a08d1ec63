// Keys and mouse in the running program, through Qt's event path: the main window's
// accelerators (with a side-panel control holding the focus too), the function keys, and the
// screen panel's pointers and cursors dragged with the mouse, for CH1 and CH2.
#include "RealViewSupport.h"

#include "app/FftDlg.h"
#include "app/RecordDlg.h"
#include "engine/KelvaneDoc.h"
#include "system/NumberText.h"

#include <QMenuBar>
#include <QWindow>

namespace {

using realview::RealView;

class Keys : public RealView {
protected:
    // A key as the user types it: to the widget that holds the keyboard focus, else to the
    // main window.
    void Key(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QWidget* target = QApplication::focusWidget();
        if (!target)
            target = frame->GetWidget();
        QTest::keyClick(target, key, modifiers);
        QApplication::processEvents();
    }
    void FocusMainWindow() {
        QWidget* w = frame->GetWidget();
        w->activateWindow();
        w->setFocus();
        QApplication::processEvents();
    }
    template <typename Dlg> Dlg* VisibleDialog() {
        for (QWidget* w : QApplication::allWidgets())
            if (w->isVisible())
                if (auto* dlg = dynamic_cast<Dlg*>(CWnd::FromWidget(w)))
                    return dlg;
        return nullptr;
    }
};

TEST_F(Keys, CtrlDigitSwitchesItsOwnChannelOnly) {
    FocusMainWindow();
    Key(Qt::Key_2, Qt::ControlModifier);
    EXPECT_EQ(doc->m_ch2.IsOn(), 0);
    EXPECT_EQ(doc->m_ch1.IsOn(), 1);
    Key(Qt::Key_1, Qt::ControlModifier);
    EXPECT_EQ(doc->m_ch1.IsOn(), 0);
    EXPECT_EQ(doc->m_ch2.IsOn(), 0);
    Key(Qt::Key_2, Qt::ControlModifier);
    EXPECT_EQ(doc->m_ch2.IsOn(), 1);
    EXPECT_EQ(doc->m_ch1.IsOn(), 0);
    EXPECT_TRUE(panel->m_btnCh2On.GetCheck());
    EXPECT_FALSE(panel->m_btnCh1On.GetCheck());
}

TEST_F(Keys, OtherModifiersDoNotReachTheCtrlAccelerators) {
    FocusMainWindow();
    const struct {
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
    } keys[] = {{Qt::Key_2, Qt::ShiftModifier},
                {Qt::Key_2, Qt::ControlModifier | Qt::ShiftModifier},
                {Qt::Key_1, Qt::ControlModifier | Qt::AltModifier},
                {Qt::Key_1, Qt::AltModifier},
                {Qt::Key_M, Qt::NoModifier}};
    for (const auto& k : keys) {
        Key(k.key, k.modifiers);
        EXPECT_EQ(doc->m_ch1.IsOn(), 1) << k.key << " " << k.modifiers;
        EXPECT_EQ(doc->m_ch2.IsOn(), 1) << k.key << " " << k.modifiers;
        EXPECT_EQ(doc->m_math.IsOn(), 0) << k.key << " " << k.modifiers;
    }
    // The test's synthetic Alt release leaves the menu bar in keyboard mode, which Alt with a key
    // on a real keyboard does not; leave it as a person would before the real accelerator.
    if (QApplication::focusWidget() == frame->GetWidget()->findChild<QMenuBar*>())
        Key(Qt::Key_Escape);
    Key(Qt::Key_M, Qt::ControlModifier);
    EXPECT_EQ(doc->m_math.IsOn(), 1);
}

TEST_F(Keys, AcceleratorsActOnceWhileASidePanelListHasTheFocus) {
    QComboBox* list = Box(panel->m_cboCh1VoltDiv);
    frame->GetWidget()->activateWindow();
    list->setFocus();
    QApplication::processEvents();
    ASSERT_EQ(QApplication::focusWidget(), list);
    Key(Qt::Key_2, Qt::ControlModifier);
    EXPECT_EQ(doc->m_ch2.IsOn(), 0);
    Key(Qt::Key_Space); // Stop, not a change of the list
    EXPECT_EQ(doc->m_bRunning, 0);
    Key(Qt::Key_Return); // Start
    EXPECT_EQ(doc->m_bRunning, 1);
    EXPECT_EQ(Selected(panel->m_cboCh1VoltDiv), 6);
    // A key that is no accelerator reaches the list.
    Key(Qt::Key_Up);
    EXPECT_EQ(doc->m_ch1.GetVoltsPerDivIndex(), 5);
    // Alt+Enter, a system key, reaches the main window's accelerator from the list too.
    ASSERT_FALSE(view->IsFrameFullScreen());
    Key(Qt::Key_Return, Qt::AltModifier);
    EXPECT_TRUE(view->IsFrameFullScreen());
    EXPECT_EQ(doc->m_ch1.GetVoltsPerDivIndex(), 5);
}

TEST_F(Keys, FunctionKeysOpenTheirUtilities) {
    FocusMainWindow();
    Key(Qt::Key_F2);
    EXPECT_NE(VisibleDialog<CFftDlg>(), nullptr);
    EXPECT_EQ(doc->m_passFail.m_nState1, 0);
    FocusMainWindow();
    Key(Qt::Key_F4);
    EXPECT_EQ(doc->m_passFail.m_nState1, 1);
    // F3 runs the modal Record dialog; it is closed from inside its own loop.
    int records = 0;
    apptest::ModalAnswerer answer([&records](CDialog& dlg) {
        records += dynamic_cast<CRecordDlg*>(&dlg) ? 1 : 0;
        apptest::Click(dlg, IDCANCEL);
    });
    FocusMainWindow();
    Key(Qt::Key_F3);
    EXPECT_EQ(records, 1);
}

TEST_F(Keys, SpaceStopsAndEnterStarts) {
    FocusMainWindow();
    Key(Qt::Key_Space);
    EXPECT_EQ(doc->m_bRunning, 0);
    EXPECT_EQ(doc->m_nRunStatus, 0);
    EXPECT_EQ(Item(ID_ACQUIRE_STOP).check, 1);
    Key(Qt::Key_Enter);
    EXPECT_EQ(doc->m_bRunning, 1);
    EXPECT_EQ(Item(ID_ACQUIRE_START).check, 1);
}

// ---- the screen panel's pointers and cursors -------------------------------------------------

class Mouse : public RealView {
protected:
    QWidget* Panel() { return view->ScreenPanel().GetWidget(); }
    CScopeScreen& Scope() { return view->Screen(); }
    static QPoint Centre(const CRect& r) { return QPoint((r.left + r.right) / 2, (r.top + r.bottom) / 2); }
    // Press at `from`, then three moves to `to` with the button held (the pointer follows one
    // mouse event in four), then release there.
    void Drag(QPoint from, QPoint to) {
        QTest::mousePress(Panel(), Qt::LeftButton, Qt::NoModifier, from);
        for (int i = 0; i < 3; ++i)
            QTest::mouseMove(Panel(), to);
        QTest::mouseRelease(Panel(), Qt::LeftButton, Qt::NoModifier, to);
        QApplication::processEvents();
    }
    // The same with seven moves: whatever hovering came before, a move at `to` acts.
    void LongDrag(QPoint from, QPoint to) {
        QTest::mousePress(Panel(), Qt::LeftButton, Qt::NoModifier, from);
        for (int i = 0; i < 7; ++i)
            QTest::mouseMove(Panel(), to);
        QTest::mouseRelease(Panel(), Qt::LeftButton, Qt::NoModifier, to);
        QApplication::processEvents();
    }
    // The position value of a pointer dropped at y: (y - 14) / H x 511.
    float ValueAt(int y) {
        const CRect plot = Scope().GetPlotRect();
        return static_cast<float>(y - 14) / static_cast<float>(plot.Height()) * 511.0f;
    }
};

TEST_F(Mouse, DraggingAZeroPointerMovesOnlyItsChannelAndItsLevel) {
    for (int ch = 0; ch < 2; ++ch) {
        SCOPED_TRACE(ch);
        CTrace& mine = ch == 0 ? doc->m_ch1 : doc->m_ch2;
        CTrace& other = ch == 0 ? doc->m_ch2 : doc->m_ch1;
        Command(ID_TRIG_SOURCE_FIRST + static_cast<UINT>(1 - ch));
        Command(ID_TRIG_SOURCE_FIRST + static_cast<UINT>(ch)); // level on the zero line
        Scope().UpdateMarkerPositions();
        const float otherPosition = other.GetPosition();
        const float otherLevel = doc->m_trigger.GetLevel(1 - ch);
        const CRect zero =
            Scope().GetMarkerRect(ch == 0 ? CScopeScreen::kMarkerCh1Zero : CScopeScreen::kMarkerCh2Zero);
        const CRect plot = Scope().GetPlotRect();
        const QPoint from = Centre(zero);
        const QPoint to(from.x(), plot.top + plot.Height() / 3);
        Drag(from, to);
        EXPECT_FLOAT_EQ(mine.GetPosition(), ValueAt(to.y()));
        EXPECT_FLOAT_EQ(other.GetPosition(), otherPosition);
        // The level follows its zero line (no offset between them yet); the other level stays.
        EXPECT_NEAR(doc->m_trigger.GetLevel(ch), mine.GetPosition(), 0.01f);
        EXPECT_FLOAT_EQ(doc->m_trigger.GetLevel(1 - ch), otherLevel);
        EXPECT_EQ(
            Scope().GetMarkerPoint(ch == 0 ? CScopeScreen::kMarkerCh1Zero : CScopeScreen::kMarkerCh2Zero).y,
            static_cast<float>(to.y()));
    }
}

TEST_F(Mouse, DraggingTheLevelPointerSetsTheSourceChannelsLevelAndReadout) {
    Command(ID_CH1_VOLTDIV_FIRST + 6); // 1 V/div
    Command(ID_CH2_VOLTDIV_FIRST + 3); // 100 mV/div
    for (int ch = 0; ch < 2; ++ch) {
        SCOPED_TRACE(ch);
        Command(ID_TRIG_SOURCE_FIRST + static_cast<UINT>(1 - ch));
        Command(ID_TRIG_SOURCE_FIRST + static_cast<UINT>(ch));
        Scope().UpdateMarkerPositions();
        const float otherLevel = doc->m_trigger.GetLevel(1 - ch);
        const CRect level =
            Scope().GetMarkerRect(ch == 0 ? CScopeScreen::kMarkerCh1Level : CScopeScreen::kMarkerCh2Level);
        const CRect plot = Scope().GetPlotRect();
        const QPoint from = Centre(level);
        const QPoint to(from.x(), plot.top + plot.Height() / 5);
        Drag(from, to);
        const float expected = ValueAt(to.y());
        EXPECT_FLOAT_EQ(doc->m_trigger.GetLevel(ch), expected);
        EXPECT_FLOAT_EQ(doc->m_trigger.GetLevel(1 - ch), otherLevel);
        // The readout: the divisions from the zero pointer up to the level pointer on the
        // graticule (8 divisions over the plot's height), times the channel's volts/div.
        const CRect zero =
            Scope().GetMarkerRect(ch == 0 ? CScopeScreen::kMarkerCh1Zero : CScopeScreen::kMarkerCh2Zero);
        const double divisions = (Centre(zero).y() - to.y()) / (plot.Height() / 8.0);
        EXPECT_NEAR(doc->m_trigger.GetLevelVolts(ch), (ch == 0 ? 1.0 : 0.1) * divisions,
                    (ch == 0 ? 1.0 : 0.1) * 0.02); // the zero pointer sits on a whole pixel
    }
}

// A level pointer dragged off its zero line keeps that distance when the zero pointer is dragged
// afterwards, for CH1 and for CH2, whose zero lines lie apart (positions 128 and 384).
TEST_F(Mouse, ALevelKeptOffItsZeroMovesWithIt) {
    const CRect plot = Scope().GetPlotRect();
    const int H = plot.Height();
    for (int ch = 0; ch < 2; ++ch) {
        SCOPED_TRACE(ch);
        CTrace& mine = ch == 0 ? doc->m_ch1 : doc->m_ch2;
        const auto zeroMarker = ch == 0 ? CScopeScreen::kMarkerCh1Zero : CScopeScreen::kMarkerCh2Zero;
        const auto levelMarker = ch == 0 ? CScopeScreen::kMarkerCh1Level : CScopeScreen::kMarkerCh2Level;
        Command(ID_TRIG_SOURCE_FIRST + static_cast<UINT>(1 - ch));
        Command(ID_TRIG_SOURCE_FIRST + static_cast<UINT>(ch));
        Scope().UpdateMarkerPositions();
        // The level 60 px above (CH1: below) its zero line.
        const QPoint zero = Centre(Scope().GetMarkerRect(zeroMarker));
        const QPoint level = Centre(Scope().GetMarkerRect(levelMarker));
        const int gap = ch == 0 ? 60 : -60;
        const QPoint levelTo(level.x(), zero.y() + gap);
        LongDrag(level, levelTo);
        const float gapValue = doc->m_trigger.GetLevel(ch) - mine.GetPosition();
        EXPECT_NEAR(gapValue, gap * 511.0f / static_cast<float>(H), 1.5f);
        // The mouse rests on the dropped level pointer, then goes over to the zero pointer.
        QTest::mouseMove(Panel(), levelTo);
        QTest::mouseMove(Panel(), zero);
        // The zero pointer a fifth of the plot further down (CH2: up): the level goes along.
        const int move = ch == 0 ? H / 5 : -H / 5;
        LongDrag(zero, QPoint(zero.x(), zero.y() + move));
        EXPECT_FLOAT_EQ(mine.GetPosition(), ValueAt(zero.y() + move));
        EXPECT_NEAR(doc->m_trigger.GetLevel(ch) - mine.GetPosition(), gapValue, 0.01f);
        EXPECT_EQ(doc->m_trigger.GetMarkerWord(ch), 0); // still inside the plot
    }
}

// The level pointer dragged with the button held and let go outside the screen panel (over the
// side panel, then outside the main window): the release ends the drag and the dashed level line
// goes at once, without the mouse coming back over the panel.
TEST_F(Mouse, ReleasingALevelDragOutsideThePanelRemovesTheLevelLineAtOnce) {
    QWidget* main = frame->GetWidget();
    QWindow* window = main->windowHandle();
    ASSERT_NE(window, nullptr);
    Command(ID_TRIG_SOURCE_FIRST + 1);
    Command(ID_TRIG_SOURCE_FIRST + 0); // CH1, level on CH1's zero line
    Scope().UpdateMarkerPositions();
    const CRect plot = Scope().GetPlotRect();
    const QColor dash(250, 170, 100);
    // The line's pixels along the plot row at y.
    auto lineAt = [&](int y) {
        const QImage picture = Panel()->grab().toImage();
        int n = 0;
        for (int x = plot.left + 1; x < plot.right; ++x)
            n += picture.pixelColor(x, y) == dash;
        return n;
    };
    auto inWindow = [&](QPoint panelPoint) { return Panel()->mapTo(main, panelPoint); };
    const QPoint outside[] = {inWindow(QPoint(Panel()->width() + 60, 0)), QPoint(main->width() + 80, 0)};
    for (int k = 0; k < 2; ++k) {
        SCOPED_TRACE(k == 0 ? "released over the side panel" : "released outside the main window");
        const QPoint from = Centre(Scope().GetMarkerRect(CScopeScreen::kMarkerCh1Level));
        const int y = plot.top + plot.Height() / 4 + 10 * k;
        QTest::mousePress(window, Qt::LeftButton, Qt::NoModifier, inWindow(from));
        // (The window system drops a move to where the mouse already is: each one goes a pixel
        // sideways.)
        for (int i = 0; i < 4; ++i)
            QTest::mouseMove(window, inWindow(QPoint(from.x() - 1 - i % 2, y)));
        QApplication::processEvents();
        ASSERT_TRUE(Scope().IsTriggerLevelLineOn());
        const int yc = Centre(Scope().GetMarkerRect(CScopeScreen::kMarkerCh1Level)).y();
        EXPECT_GT(lineAt(yc), plot.Width() / 3) << "no level line while dragging";
        // Out of the panel at the same height, with the button still held, and released there.
        QPoint away = outside[k];
        away.setY(inWindow(QPoint(0, y)).y());
        for (int i = 0; i < 4; ++i)
            QTest::mouseMove(window, away + QPoint(i % 2, 0));
        QApplication::processEvents();
        EXPECT_GT(lineAt(yc), plot.Width() / 3) << "the line went before the button was released";
        QTest::mouseRelease(window, Qt::LeftButton, Qt::NoModifier, away);
        QApplication::processEvents();
        EXPECT_FALSE(Scope().IsTriggerLevelLineOn());
        EXPECT_EQ(lineAt(yc), 0) << "the level line stayed after the release";
        EXPECT_EQ(QWidget::mouseGrabber(), nullptr) << "the panel still holds the mouse";
        EXPECT_NEAR(doc->m_trigger.GetLevel(0), ValueAt(y), 0.01f) << "the level was not kept";
    }
}

TEST_F(Mouse, CrossCursorsReadTheChosenChannelsScale) {
    Command(ID_CH1_VOLTDIV_FIRST + 6); // 1 V/div
    Command(ID_CH2_VOLTDIV_FIRST + 3); // 100 mV/div
    Command(ID_TIMEDIV_FIRST + 20);    // 10 ms/div
    Command(ID_CURSOR_SOURCE_CH2);
    Command(ID_CURSOR_CROSS);
    EXPECT_EQ(Item(ID_CURSOR_SOURCE_CH2).check, 1);
    EXPECT_EQ(Item(ID_CURSOR_CROSS).check, 1);
    const CRect plot = Scope().GetPlotRect();
    const int W = plot.Width(), H = plot.Height();
    const QPoint a(plot.left + 10, plot.top + 10);
    const QPoint b(plot.left + 10 + (W - 1) / 5, plot.top + 10 + H / 4);
    QTest::mousePress(Panel(), Qt::LeftButton, Qt::NoModifier, a);
    QTest::mouseMove(Panel(), b);
    QTest::mouseRelease(Panel(), Qt::LeftButton, Qt::NoModifier, b);
    CString pane1, pane2, pane3;
    Scope().GetReadoutPanes(pane1, pane2, pane3);
    // dt = 10 ms x 10 / (W - 1) x |dx| and dv = dy x 0.1 V x 8 / H, on the display scale.
    const double dt = 0.01 * 10.0 / (W - 1) * ((W - 1) / 5);
    const double dv = (H / 4) * 0.1 * 8.0 / H;
    // The readouts write "." as the decimal point under every locale.
    EXPECT_EQ(pane2.GetString(), kv::FormatText("Time = %.3f mS", dt * 1000.0));
    EXPECT_EQ(pane1.GetString(), kv::FormatText("Freq = %.3f Hz", 1.0 / dt));
    EXPECT_EQ(pane3.GetString(), kv::FormatText("Volt = %.3f mV", dv * 1000.0));
    // The same cursors on CH1 (1 V/div) read ten times the voltage.
    Command(ID_CURSOR_SOURCE_CH1);
    Scope().GetReadoutPanes(pane1, pane2, pane3);
    EXPECT_EQ(pane3.GetString(), kv::FormatText("Volt = %.3f V", dv * 10.0));
}

} // namespace
