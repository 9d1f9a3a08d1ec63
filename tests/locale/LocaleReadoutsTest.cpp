// The program under a locale with a decimal comma (de_DE.UTF-8), taken over the way Qt takes the
// user's locale, setlocale(LC_ALL, ""): every readout (measurements, cursor readouts in the status
// bar, the status strip's trigger level, the FFT panel's harmonics and figures, the pictures of
// the windows that paint them) and every file the program writes are the same, byte for byte
// and pixel for pixel, as under the C and en_US.UTF-8 locales; the values read as the simulated
// signal is (a 1 kHz sine on CH1, 2 kHz on CH2) with their decimals; and numbers typed or read
// back from a file take ".".
#include "TestOutput.h"
#include "app/FftDlg.h"
#include "app/PulseWidthDlg.h"
#include "app/RealViewSupport.h"
#include "display/StatusStrip.h"
#include "engine/KelvaneDoc.h"
#include "system/NumberText.h"

#include <QLineEdit>
#include <QPushButton>

#include <clocale>
#include <cmath>
#include <cstring>
#include <fstream>
#include <map>
#include <regex>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool CommaIsTheDecimalPoint() {
    return std::strcmp(std::localeconv()->decimal_point, ",") == 0;
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

const char* const kTypeNames[20] = {"Vpp",   "Vmax",   "Vmin",  "Vamp",    "Vtop",    "Vmid",   "Vbase",
                                    "Vmean", "Vcmean", "Vrms",  "Vpshoot", "Vnshoot", "Period", "Frequ",
                                    "RiseT", "FallT",  "+Duty", "-Duty",   "+Width",  "-Width"};

// The value of a readout such as "CH1:Vpp = 1.91V" or "CH2:Period = 512us", in base units.
double Reading(const std::string& text) {
    const std::size_t eq = text.find("= ");
    double v = 0.0;
    std::string_view rest;
    if (eq == std::string::npos || !kv::ParseDouble(std::string_view(text).substr(eq + 2), v, &rest) ||
        rest.empty())
        return std::nan("");
    switch (rest[0]) {
    case 'k':
        return v * 1e3;
    case 'm':
        return v * 1e-3;
    case 'u':
        return v * 1e-6;
    case 'n':
        return v * 1e-9;
    default:
        return v;
    }
}

struct Snapshot {
    std::map<std::string, std::string> texts;
    std::map<std::string, QImage> pictures;
};

class CommaLocale : public realview::RealView {
protected:
    const char* Instruments() const override { return "1"; }

    void SetUp() override {
        // What Qt's application does when it starts: the user's locale for the whole process.
        std::setlocale(LC_ALL, "");
        ASSERT_TRUE(CommaIsTheDecimalPoint())
            << "the test runs under LC_ALL=de_DE.UTF-8 (ctest sets it); scripts/setup-deps.sh generates "
               "the locale";
        RealView::SetUp();
        ASSERT_TRUE(CommaIsTheDecimalPoint()) << "Qt's start-up left the user's locale in force";
        m_folder = kvtest::OutputDir() + "/locale-" + std::to_string(::getpid());
        ::mkdir(m_folder.c_str(), 0700);
    }
    void TearDown() override {
        RealView::TearDown();
        std::setlocale(LC_ALL, "");
    }

    CFftDlg* FftPanel() {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* dlg = dynamic_cast<CFftDlg*>(CWnd::FromWidget(w)))
                return dlg;
        return nullptr;
    }

    // Measurements on the screen, the FFT running, a captured signal held still, the cursors
    // placed with the mouse: every readout has something to show.
    void Prepare() {
        Command(ID_TIMEDIV_FIRST + 16); // 400us/div: four periods of CH1, eight of CH2
        ASSERT_EQ(doc->m_settings.GetTimeBaseIndex(), 16);
        Command(ID_MEASURE_SOURCE_CH1);
        for (UINT id : {ID_MEASURE_PK2PK, ID_MEASURE_AMPLITUDE, ID_MEASURE_MEAN, ID_MEASURE_FREQUENCY,
                        ID_MEASURE_RMS, ID_MEASURE_PERIOD})
            Command(id);
        Command(ID_MEASURE_SOURCE_CH2);
        Command(ID_MEASURE_MEAN);
        Command(ID_MEASURE_FREQUENCY);
        ASSERT_EQ(doc->m_measure.GetCount(), 8);
        Command(ID_UTILITY_FFT);
        CFftDlg* fft = FftPanel();
        ASSERT_NE(fft, nullptr);
        apptest::Click(*fft, IDC_FFT_START);
        ASSERT_EQ(doc->m_fft.m_bFftOn, 1);
        for (int i = 0; i < 40; ++i)
            view->PumpTick();
        Command(ID_ACQUIRE_STOP);
        view->PumpTick();
        doc->m_trigger.SetLevelVolts(0, 0.125f);
        // Cursor A and B, placed as a person places them.
        Command(ID_CURSOR_CROSS);
        QWidget* screen = view->ScreenPanel().GetWidget();
        const CRect plot = view->Screen().GetPlotRect();
        const QPoint a(plot.left + plot.Width() / 5, plot.top + plot.Height() / 4);
        const QPoint b(plot.left + plot.Width() * 3 / 5, plot.top + plot.Height() * 2 / 3);
        QTest::mousePress(screen, Qt::LeftButton, Qt::NoModifier, a);
        QTest::mouseMove(screen, b);
        QTest::mouseRelease(screen, Qt::LeftButton, Qt::NoModifier, b);
        ASSERT_NE(view->Screen().GetCursorA().x, view->Screen().GetCursorB().x);
    }

    Snapshot Collect() {
        Snapshot s;
        // Every measurement of both channels, as the measurement list formats it.
        for (short source = 0; source < 2; ++source) {
            for (short type = 0; type < 20; ++type) {
                CMeasure m;
                m.SetSecondsPerDiv(doc->m_settings.GetSecondsPerDiv());
                m.SetSource(source);
                m.AddMeasurement(type);
                m.Update(&doc->m_ch1, &doc->m_ch2, &doc->m_math);
                s.texts[std::string("measure CH") + char('1' + source) + " " + kTypeNames[type]] =
                    m.GetText(0).GetString();
            }
        }
        doc->m_measure.Update(&doc->m_ch1, &doc->m_ch2, &doc->m_math);
        for (int i = 0; i < doc->m_measure.GetCount(); ++i)
            s.texts["screen measure " + std::to_string(i)] = doc->m_measure.GetText(i).GetString();

        // The cursor readouts of the status bar, mode by mode, then on the FFT.
        const std::pair<UINT, const char*> modes[] = {{ID_CURSOR_CROSS, "cross"},
                                                      {ID_CURSOR_TRACE, "trace"},
                                                      {ID_CURSOR_VERTICAL, "vertical"},
                                                      {ID_CURSOR_HORIZONTAL, "horizontal"},
                                                      {ID_CURSOR_SOURCE_FFT, "fft"}};
        for (const auto& [id, name] : modes) {
            Command(id);
            frame->UpdateStatusBar("Connected");
            for (int pane = 1; pane <= 3; ++pane)
                s.texts[std::string("status bar ") + name + " " + std::to_string(pane)] =
                    frame->m_wndStatusBar.GetPaneText(pane).GetString();
        }
        Command(ID_CURSOR_SOURCE_CH1);
        Command(ID_CURSOR_CROSS);

        // The status strip's trigger level, as text and as painted.
        s.texts["strip level"] = CStatusStrip::FormatLevel(doc->m_trigger.GetLevelVolts(0)).GetString();
        s.pictures["status strip"] = Picture(view->StatusStrip());
        s.pictures["screen"] = Picture(view->ScreenPanel());
        s.pictures["channel bar"] = Picture(view->ChannelInfoBar());

        // The FFT panel's harmonics and figures, as the pump fills them.
        if (CFftDlg* fft = FftPanel()) {
            fft->UpdateHarmonics();
            fft->UpdateMeasurements();
            for (int id = IDC_FFT_LEVEL1 - 10; id <= static_cast<int>(IDC_FFT_TOTAL_POWER); ++id)
                s.texts["fft panel " + std::to_string(id)] = apptest::Text(*fft, id).GetString();
        }

        // Every writer.
        const std::string f = m_folder + "/out";
        EXPECT_EQ(doc->SaveSetupFile((f + ".set").c_str()), 1);
        EXPECT_EQ(doc->SaveReferenceFile((f + ".rfc").c_str()), 1);
        EXPECT_EQ(doc->SaveCsvFile((f + ".csv").c_str()), 1);
        EXPECT_EQ(doc->SaveWaveformText((f + ".txt").c_str()), 1);
        EXPECT_EQ(doc->SaveWaveformDoc((f + ".doc").c_str()), 1);
        EXPECT_EQ(doc->SaveWaveformXls((f + ".xls").c_str()), 1);
        EXPECT_EQ(doc->m_fft.SaveFftToText((f + "-fft.txt").c_str()), 1);
        EXPECT_EQ(doc->m_passFail.SaveSettings((f + ".psf").c_str()), 1);
        EXPECT_EQ(doc->m_record.SaveRecord((f + ".rec").c_str()), 1);
        for (const char* ext : {".set", ".rfc", ".csv", ".txt", ".doc", ".xls", "-fft.txt", ".psf", ".rec"})
            s.texts[std::string("file ") + ext] = ReadFile(f + ext);
        return s;
    }

    static void ExpectSame(const Snapshot& a, const Snapshot& b, const char* what) {
        ASSERT_EQ(a.texts.size(), b.texts.size()) << what;
        for (const auto& [key, text] : a.texts) {
            const auto it = b.texts.find(key);
            ASSERT_NE(it, b.texts.end()) << what << ": " << key;
            EXPECT_TRUE(text == it->second) << what << ": " << key << "\n  " << text.substr(0, 200) << "\n  "
                                            << it->second.substr(0, 200);
        }
        for (const auto& [key, picture] : a.pictures) {
            const auto it = b.pictures.find(key);
            ASSERT_NE(it, b.pictures.end()) << what << ": " << key;
            EXPECT_FALSE(picture.isNull()) << key;
            EXPECT_TRUE(picture == it->second) << what << ": the " << key << " is painted differently";
        }
    }

    std::string m_folder;
};

TEST_F(CommaLocale, EveryReadoutAndFileIsTheSameAsUnderTheCAndEnglishLocales) {
    Prepare();
    const Snapshot comma = Collect();
    ASSERT_NE(std::setlocale(LC_ALL, "C"), nullptr);
    const Snapshot c = Collect();
    ASSERT_NE(std::setlocale(LC_ALL, "en_US.UTF-8"), nullptr)
        << "en_US.UTF-8 is not installed; scripts/setup-deps.sh generates it";
    const Snapshot english = Collect();
    std::setlocale(LC_ALL, "");
    ASSERT_TRUE(CommaIsTheDecimalPoint());
    ExpectSame(comma, c, "de_DE.UTF-8 against C");
    ExpectSame(english, c, "en_US.UTF-8 against C");
    EXPECT_GT(comma.texts.size(), 90u);

    // The readings are the simulated signal's, with their decimals.
    const auto& t = comma.texts;
    // (One screen point is 8 us at 400 us/div: the edges land within a point or two.)
    EXPECT_NEAR(Reading(t.at("measure CH1 Frequ")), 1000.0, 30.0) << t.at("measure CH1 Frequ");
    EXPECT_NEAR(Reading(t.at("measure CH2 Frequ")), 2000.0, 60.0) << t.at("measure CH2 Frequ");
    EXPECT_NEAR(Reading(t.at("measure CH1 Period")), 1e-3, 30e-6) << t.at("measure CH1 Period");
    EXPECT_NEAR(Reading(t.at("measure CH2 Period")), 0.5e-3, 15e-6) << t.at("measure CH2 Period");
    // A 1 V sine: about 2 V from peak to peak, a mean near 0.
    EXPECT_NEAR(Reading(t.at("measure CH1 Vpp")), 2.0, 0.15) << t.at("measure CH1 Vpp");
    EXPECT_NEAR(Reading(t.at("measure CH2 Vpp")), 1.0, 0.08) << t.at("measure CH2 Vpp");
    EXPECT_NEAR(Reading(t.at("measure CH1 Vmean")), 0.0, 0.03) << t.at("measure CH1 Vmean");
    const std::regex readout(R"(CH[12]:\w+ = -?(\d\.\d\d|\d\d\.\d|\d\d\d)(k|m|u|)(Hz|s))");
    for (const char* key :
         {"measure CH1 Frequ", "measure CH2 Frequ", "measure CH1 Period", "measure CH2 Period"})
        EXPECT_TRUE(std::regex_match(t.at(key), readout)) << t.at(key);
    // Three significant digits: "1.91V", "15.7mV", "191mV", never "1V" or "-15mV".
    const std::regex threeDigits(R"(CH[12]:V\w+ = -?(\d\.\d\d|\d\d\.\d|\d\d\d)(k|m|u|)V)");
    for (const char* type : {"Vpp", "Vmax", "Vmin", "Vamp", "Vtop", "Vbase", "Vrms"})
        for (const char* ch : {"CH1", "CH2"}) {
            const std::string text = t.at(std::string("measure ") + ch + " " + type);
            EXPECT_TRUE(std::regex_match(text, threeDigits)) << text;
        }
    for (const char* key : {"status bar cross 1", "status bar cross 2", "status bar cross 3",
                            "status bar trace 3", "status bar fft 1", "status bar fft 3"})
        EXPECT_TRUE(std::regex_match(t.at(key), std::regex(R"(\w+ = -?\d+\.\d{3} \w+)")))
            << key << ": " << t.at(key);
    EXPECT_EQ(t.at("strip level"), "125mV");
    // The fundamental's frequency and level in the FFT panel.
    EXPECT_TRUE(std::regex_match(t.at("fft panel " + std::to_string(IDC_FFT_FREQ1)),
                                 std::regex(R"((\d\.\d\d|\d\d\.\d|\d\d\d)k?Hz)")))
        << t.at("fft panel " + std::to_string(IDC_FFT_FREQ1));
    EXPECT_TRUE(std::regex_match(t.at("fft panel " + std::to_string(IDC_FFT_TOTAL_POWER)),
                                 std::regex(R"(-?\d+\.\d{3}dB)")))
        << t.at("fft panel " + std::to_string(IDC_FFT_TOTAL_POWER));
    // Text files: one number form throughout, never a comma inside a number.
    const std::string csv = t.at("file .csv");
    EXPECT_EQ(csv.rfind("#CLOCK=", 0), 0u);
    EXPECT_TRUE(std::regex_search(csv, std::regex(R"(\n-?\d+\.\d{6},0,0\n)")));
    EXPECT_FALSE(std::regex_search(csv, std::regex(R"(\d,\d+,0,0)")));
    const std::string fftText = t.at("file -fft.txt");
    EXPECT_EQ(fftText.find(','), std::string::npos);
    EXPECT_TRUE(std::regex_search(fftText, std::regex(R"(\n\d+\t\t\t\t\t-?\d+\.\d{6}\n)")));
    EXPECT_EQ(t.at("file .txt").find(','), std::string::npos);
}

TEST_F(CommaLocale, ACsvFileReadsBackWhatWasWritten) {
    for (int i = 0; i < 10; ++i)
        view->PumpTick();
    Command(ID_ACQUIRE_STOP);
    const std::string path = m_folder + "/back.csv";
    ASSERT_EQ(doc->SaveCsvFile(path.c_str()), 1);
    const int n = doc->m_ch1.GetRecordLength();
    const std::vector<std::int16_t> before(doc->m_ch1.GetWorkRecord(), doc->m_ch1.GetWorkRecord() + n);
    std::fill(doc->m_ch1.GetWorkRecord(), doc->m_ch1.GetWorkRecord() + n, std::int16_t{0});
    ASSERT_EQ(doc->LoadCsvFile(path.c_str()), 1) << (boxes.empty() ? "" : boxes.back());
    const std::vector<std::int16_t> after(doc->m_ch1.GetWorkRecord(), doc->m_ch1.GetWorkRecord() + n);
    EXPECT_TRUE(before == after);
    EXPECT_NE(*std::max_element(after.begin(), after.end()), *std::min_element(after.begin(), after.end()));
}

TEST_F(CommaLocale, AValueTypedWithAPointIsTakenAsTyped) {
    // The pulse-width dialog: "1.5" in microseconds is 300 counts of 5 ns.
    CPulseWidthDlg dlg;
    dlg.SetDocument(doc);
    bool typed = false;
    QTimer::singleShot(20, [&] {
        auto* open = dynamic_cast<CPulseWidthDlg*>(CWnd::FromWidget(QApplication::activeModalWidget()));
        ASSERT_NE(open, nullptr);
        auto* edit = qobject_cast<QLineEdit*>(open->m_editValue.GetWidget());
        ASSERT_NE(edit, nullptr);
        edit->setFocus();
        edit->selectAll();
        QTest::keyClicks(edit, "1.5");
        apptest::Choose(*open, open->m_listUnit, IDC_PW_UNIT, 1);
        auto* ok = qobject_cast<QPushButton*>(open->GetDlgItem(IDC_PW_OK)->GetWidget());
        ASSERT_NE(ok, nullptr);
        typed = edit->text() == "1.5";
        QTest::mouseClick(ok, Qt::LeftButton);
        // A refused value leaves the dialog open: close it so the test goes on and reports it.
        QTimer::singleShot(200, [] {
            if (auto* still = dynamic_cast<CDialog*>(CWnd::FromWidget(QApplication::activeModalWidget())))
                still->EndDialog(IDCANCEL);
        });
    });
    EXPECT_EQ(dlg.DoModal(), IDOK);
    EXPECT_TRUE(typed);
    EXPECT_TRUE(boxes.empty()) << boxes.front();
    EXPECT_EQ(doc->m_trigger.GetPulseWidth(), 300);
    EXPECT_STREQ(doc->m_strPulseWidth, "1.50uS");
}

} // namespace
