// Texts of the side panel and the modeless panels in the running program: a language switch
// made from the Utility menu reaches every panel that is open, and the side panel's slope
// caption shows whole in Pulse mode.
#include "ShownAppSupport.h"

#include "app/KelvaneView.h"
#include "app/SidePanel.h"
#include "engine/KelvaneDoc.h"
#include "engine/SettingsCodes.h"
#include "framework/Dialog.h"

#include <QComboBox>
#include <QLabel>

#include <map>

using namespace apptest;

namespace {

// The program's window made from dialog template `id`, or null.
CDialog* DialogOf(UINT id) {
    for (QWidget* w : QApplication::allWidgets())
        if (auto* dlg = dynamic_cast<CDialog*>(CWnd::FromWidget(w)))
            if (dlg->m_nIDTemplate == id && dlg->GetSafeHwnd())
                return dlg;
    return nullptr;
}

CString Caption(CWnd& wnd) {
    CString s;
    wnd.GetWindowText(s);
    return s;
}

// One open panel: its template, the caption's key, a control and its texts in both languages.
struct PanelText {
    CKelvaneView::Panel panel;
    UINT id;
    const char* english;
    int control;
    const char* controlEnglish;
};

const PanelText kPanels[] = {
    {CKelvaneView::Panel::Intensity, IDD_INTENSITY, "Intensity", 1085, "Grid Intensity"},
    {CKelvaneView::Panel::Average, IDD_AVERAGE, "Average", 1108, "Average"},
    {CKelvaneView::Panel::PassFail, IDD_PASSFAIL, "Pass/Fail", 1113, "Source"},
    {CKelvaneView::Panel::Fft, IDD_FFT, "FFT", 1234, "FFT Setting"},
    {CKelvaneView::Panel::WaveformColor, IDD_WAVEFORM_COLOR, "Waveform Color", 1275, "CH1 Waveform Color"},
    {CKelvaneView::Panel::DemoSetting, IDD_DEMO_SETTING, "Demo Setting", 1290, "DC +"},
};

// The other language's text of an English one.
std::string Other(const char* english) {
    return std::string("<") + english + ">";
}

class LanguageSwitch : public ShownApp {
protected:
    void SetUp() override {
        std::vector<std::pair<std::string, std::string>> texts = {{"8888", "Pseudo"}};
        for (const PanelText& p : kPanels) {
            texts.emplace_back(std::to_string(p.id), Other(p.english));
            texts.emplace_back(std::to_string(p.control), Other(p.controlEnglish));
        }
        texts.emplace_back("1232", Other("Time / DIV")); // a side-panel label
        texts.emplace_back("810", Other("Help"));        // a menu
        const std::string folder = scratch.SubFolder("language");
        scratch.WriteLanguage("language/Pseudo.lug", texts);
        Start(folder);
    }
    // Utility > Language > `name`, with the keyboard.
    void ChooseLanguage(const QString& utility, const QString& name) {
        Key(Qt::Key_Alt);
        while (Title(Bar()->activeAction()) != utility && Bar()->activeAction())
            Key(Qt::Key_Right);
        Key(Qt::Key_Down);
        ASSERT_TRUE(DownTo("Language"));
        Key(Qt::Key_Right);
        ASSERT_TRUE(DownTo(name));
        Key(Qt::Key_Return);
        ProcessEventsFor(20);
    }
    ScratchFolder scratch{"language-switch"};
};

TEST_F(LanguageSwitch, EveryOpenPanelTakesTheNewCaptionAndControlTexts) {
    for (const PanelText& p : kPanels)
        view->ShowPanel(p.panel);
    ProcessEventsFor(20);
    for (const PanelText& p : kPanels) {
        CDialog* dlg = DialogOf(p.id);
        ASSERT_NE(dlg, nullptr) << p.english;
        EXPECT_EQ(Caption(*dlg), p.english);
        EXPECT_EQ(apptest::Text(*dlg, p.control), p.controlEnglish);
    }
    CSidebarDlg* side = view->GetSidePanel();
    ASSERT_NE(side, nullptr);
    EXPECT_EQ(apptest::Text(*side, 1232), "Time / DIV");

    ChooseLanguage("Utility", "Pseudo");
    ASSERT_EQ(doc->GetLanguageIndex(), 0);
    for (const PanelText& p : kPanels) {
        CDialog* dlg = DialogOf(p.id);
        ASSERT_NE(dlg, nullptr);
        EXPECT_EQ(Caption(*dlg), Other(p.english).c_str()) << p.english;
        EXPECT_EQ(apptest::Text(*dlg, p.control), Other(p.controlEnglish).c_str()) << p.english;
    }
    EXPECT_EQ(apptest::Text(*side, 1232), Other("Time / DIV").c_str());
    EXPECT_EQ(Title(Bar()->actions().value(10)), Other("Help").c_str());

    // And back: Default restores the built-in texts everywhere.
    ChooseLanguage("Utility", "Default");
    EXPECT_EQ(doc->GetLanguageIndex(), -1);
    for (const PanelText& p : kPanels) {
        CDialog* dlg = DialogOf(p.id);
        ASSERT_NE(dlg, nullptr);
        EXPECT_EQ(Caption(*dlg), p.english);
        EXPECT_EQ(apptest::Text(*dlg, p.control), p.controlEnglish);
    }
}

// With an instrument (simulated): Pulse mode is refused on the demo signal.
class SidePanelTexts : public ShownApp {
protected:
    void SetUp() override { Start(std::string(), "1"); }
};

TEST_F(SidePanelTexts, TheSlopeCaptionShowsWholeInPulseMode) {
    CSidebarDlg* side = view->GetSidePanel();
    ASSERT_NE(side, nullptr);
    // Pulse from the panel's own mode list, with the keyboard.
    auto* mode = qobject_cast<QComboBox*>(side->GetDlgItem(1107)->GetWidget());
    ASSERT_NE(mode, nullptr);
    ASSERT_EQ(mode->currentIndex(), 0);
    mode->setFocus();
    Key(Qt::Key_Down);
    ProcessEventsFor(20);
    ASSERT_EQ(doc->m_trigger.GetTriggerType(), kTriggerPulse);
    auto* label = qobject_cast<QLabel*>(side->GetDlgItem(IDC_SLOPE_LABEL)->GetWidget());
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->text(), "When Pulse Width");
    // The text, wrapped as the label wraps it, fits in the label.
    const QRect room = label->contentsRect();
    const QRect needed = label->fontMetrics().boundingRect(
        room, static_cast<int>(label->alignment()) | Qt::TextWordWrap, label->text());
    EXPECT_TRUE(room.contains(needed))
        << needed.width() << "x" << needed.height() << " in " << room.width() << "x" << room.height();
    // It keeps clear of its neighbours: the source caption above, the pulse-width caption
    // below and its own list to the right.
    for (int id : {1074, 1076, 1077}) {
        QWidget* other = side->GetDlgItem(id)->GetWidget();
        EXPECT_FALSE(label->geometry().intersects(other->geometry())) << id;
    }
    // On the screen: text in the label, none on its top and bottom rows (nothing cut there).
    const QImage picture = label->grab().toImage();
    const QColor background = picture.pixelColor(picture.width() - 1, picture.height() / 2);
    int text = 0;
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x) {
            const bool ink = picture.pixelColor(x, y) != background;
            text += ink;
            if (y == 0 || y == picture.height() - 1) {
                EXPECT_FALSE(ink) << x << "," << y;
            }
        }
    EXPECT_GT(text, 60);

    // Edge mode shows the one-line caption again.
    Key(Qt::Key_Up);
    ProcessEventsFor(20);
    EXPECT_EQ(label->text(), "Trigger Slope");
}

} // namespace
