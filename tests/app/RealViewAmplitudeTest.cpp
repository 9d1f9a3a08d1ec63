// One amplitude everywhere a person reads it. With the simulated instrument's sines at several
// volts/div and probes, the measurements, the cursors on the trace's peaks, the trigger level on
// its top, the CSV and text exports, the spectrum's fundamental, the X-Y figure and the MATH
// product all give the volts the instrument was fed, within one screen code. The demo signal's
// readings follow its trace on the graticule. A dB spectrum with empty bins peaks at the
// fundamental in the panel, the picture and the export.
#include "RealViewSupport.h"
#include "TestOutput.h"

#include "ModalKeys.h"
#include "app/FftDlg.h"
#include "app/KelvaneView.h"
#include "engine/KelvaneDoc.h"
#include "framework/CommonDialogs.h"
#include "simulator/SimZendral.h"
#include "system/NumberText.h"
#include "zendral/ZendralRegistry.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

using realview::RealView;

constexpr double kPi = 3.14159265358979323846;
constexpr double kProbe[4] = {1, 10, 100, 1000};
constexpr double kVoltsPerDiv[10] = {0.01, 0.02, 0.05, 0.1, 0.2, 0.5, 1, 2, 5, 10};

// Volts of one screen code: the graticule's 8 divisions hold 511 codes.
double OneCode(double voltsPerDiv) {
    return voltsPerDiv * 8.0 / 511.0;
}

// The value of a reading such as "CH1:Vpp = 2.00V", "Volt = 1.058 V", "499mV" or "-3.10dB", in
// volts (or dB).
double ValueOf(const std::string& text) {
    std::size_t at = text.find('=');
    at = at == std::string::npos ? 0 : at + 1;
    // The readouts write "." as the decimal point under every locale, and so read them here.
    double v = 0.0;
    std::string_view rest;
    kv::ParseDouble(std::string_view(text).substr(at), v, &rest);
    std::string unit(rest);
    unit.erase(std::remove(unit.begin(), unit.end(), ' '), unit.end());
    if (unit == "uV")
        return v * 1e-6;
    if (unit == "mV")
        return v * 1e-3;
    if (unit == "kV")
        return v * 1e3;
    return v;
}

// Rows and columns that pixels of one colour reach inside a rectangle.
struct Extent {
    int left = 1 << 30, right = -1, top = 1 << 30, bottom = -1, count = 0;
};
Extent ExtentOf(const QImage& image, COLORREF colour, const CRect& r) {
    Extent e;
    for (int y = std::max<int>(r.top, 0); y < std::min<int>(r.bottom, image.height()); ++y)
        for (int x = std::max<int>(r.left, 0); x < std::min<int>(r.right, image.width()); ++x) {
            const QRgb p = image.pixel(x, y);
            if (RGB(qRed(p), qGreen(p), qBlue(p)) != colour)
                continue;
            e.left = std::min(e.left, x);
            e.right = std::max(e.right, x);
            e.top = std::min(e.top, y);
            e.bottom = std::max(e.bottom, y);
            ++e.count;
        }
    return e;
}

// The number at the start of a line, 0 when there is none.
double NumberOf(const std::string& line) {
    double v = 0.0;
    kv::ParseDouble(line, v);
    return v;
}

// The first numbers of every line of a text file that holds numbers there.
std::vector<double> NumbersOf(const std::string& path, char separator) {
    std::ifstream in(path);
    std::vector<double> values;
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#')
            continue;
        const std::string first = line.substr(0, line.find(separator));
        double v = 0.0;
        if (kv::ParseDouble(first, v))
            values.push_back(v);
    }
    return values;
}

class Readings : public RealView {
protected:
    void SetUp() override {
        RealView::SetUp();
        if (HasFatalFailure())
            return;
        Command(ID_TIMEDIV_FIRST + 17); // 1 ms/div
    }
    void TearDown() override {
        CFileDialog::SetHook(nullptr);
        for (const std::string& f : files)
            std::remove(f.c_str());
        RealView::TearDown();
    }
    void Tick(int n) {
        for (int i = 0; i < n; ++i)
            view->PumpTick();
    }
    QWidget* Panel() { return view->ScreenPanel().GetWidget(); }
    CScopeScreen& Scope() { return view->Screen(); }
    CRect Plot() { return Scope().GetPlotRect(); }
    // The plot above its lowest division, where the measurement texts are printed.
    CRect AboveTexts() {
        CRect r = Plot();
        r.bottom -= r.Height() / 8 + 2;
        return r;
    }
    // Volts of one pixel row of the plot on a channel of `voltsPerDiv`.
    double OnePixel(double voltsPerDiv) { return voltsPerDiv * 8.0 / Plot().Height(); }
    std::string Measured(int entry) { return doc->m_measure.GetText(entry).GetString(); }

    std::string File(const char* name) {
        files.push_back(kvtest::OutputDir() + "/amplitude-" + std::to_string(::getpid()) + "-" + name);
        std::remove(files.back().c_str());
        return files.back();
    }
    static void AnswerFileDialog(const std::string& path) {
        CFileDialog::SetHook([path](CFileDialog& dlg) -> INT_PTR {
            dlg.SetChosenPath(path.c_str());
            return IDOK;
        });
    }
    // File > Save CSV of CH1 as a person does it: the channel choice, then the file name.
    std::vector<double> SaveCsv() {
        const std::string path = File("ch1.csv");
        apptest::ModalAnswerer ok([](CDialog& dlg) { apptest::Click(dlg, IDC_SAVE_CHANNEL_OK); });
        AnswerFileDialog(path);
        Command(ID_FILE_SAVE_CSV);
        return NumbersOf(path, ',');
    }
    // File > Save Waveform as text: CH1's block of values comes first.
    std::vector<double> SaveTextCh1() {
        const std::string path = File("both.txt");
        AnswerFileDialog(path);
        Command(ID_FILE_SAVE_WAVEFORM);
        std::ifstream in(path);
        std::vector<double> values;
        std::string line;
        int blocks = 0;
        while (std::getline(in, line)) {
            if (line.rfind("#CHANNEL:", 0) == 0)
                ++blocks;
            if (blocks == 1 && !line.empty() && line[0] != '#')
                values.push_back(NumberOf(line));
        }
        return values;
    }
    // Horizontal cursors on CH1, pressed on the top row the trace reaches and dragged to its
    // bottom row; the status bar's voltage pane.
    double CursorsOnPeaks(const Extent& trace) {
        Command(ID_CURSOR_SOURCE_CH1);
        Command(ID_CURSOR_HORIZONTAL);
        const int x = Plot().left + Plot().Width() / 3;
        QTest::mousePress(Panel(), Qt::LeftButton, Qt::NoModifier, QPoint(x, trace.top));
        QTest::mouseMove(Panel(), QPoint(x, trace.bottom));
        QTest::mouseRelease(Panel(), Qt::LeftButton, Qt::NoModifier, QPoint(x, trace.bottom));
        CString pane1, pane2, pane3;
        Scope().GetReadoutPanes(pane1, pane2, pane3);
        Command(ID_CURSOR_NONE);
        return ValueOf(pane3.GetString());
    }
    // The CH1 level pointer dragged to pixel row y (one mouse event in four acts).
    void DragLevelTo(int y) {
        const CRect r = Scope().GetMarkerRect(CScopeScreen::kMarkerCh1Level);
        const QPoint from((r.left + r.right) / 2, (r.top + r.bottom) / 2);
        const QPoint to(from.x(), y);
        QTest::mousePress(Panel(), Qt::LeftButton, Qt::NoModifier, from);
        for (int i = 0; i < 7; ++i)
            QTest::mouseMove(Panel(), to);
        QTest::mouseRelease(Panel(), Qt::LeftButton, Qt::NoModifier, to);
        QApplication::processEvents();
    }
    // The FFT panel, opened from Utility > FFT.
    CFftDlg* OpenFft() {
        Command(ID_UTILITY_FFT);
        for (QWidget* w : QApplication::allWidgets())
            if (auto* dlg = dynamic_cast<CFftDlg*>(CWnd::FromWidget(w)))
                if (dlg->GetSafeHwnd())
                    return dlg;
        return nullptr;
    }
    static std::string Text(CWnd& dlg, int id) {
        CString s;
        dlg.GetDlgItem(id)->GetWindowText(s);
        return s.GetString();
    }

    std::vector<std::string> files;
};

// ---- the simulated instrument -----------------------------------------------------------------

struct Case {
    int volts;        // CH1 volts/div index at the instrument
    int probe;        // 0 x1 .. 3 x1000
    double amplitude; // volts peak at the instrument's input
    const char* name;
};

class SimulatedReadings : public Readings, public ::testing::WithParamInterface<Case> {
protected:
    const char* Instruments() const override { return "1"; }
    void SetUp() override {
        Readings::SetUp();
        if (HasFatalFailure())
            return;
        sim = dynamic_cast<kv::sim::SimZendral*>(&kv::CurrentZendral());
        ASSERT_NE(sim, nullptr);
        const Case& c = GetParam();
        sim->SetSignal(0, 0, kv::sim::SimSignal{c.amplitude, 1000.0, 0.0, false});
        sim->SetSignal(0, 1, kv::sim::SimSignal{0.5, 2000.0, 0.0, false});
        Command(ID_CH1_VOLTDIV_FIRST + static_cast<UINT>(c.volts));
        Command(ID_CH1_PROBE_FIRST + static_cast<UINT>(c.probe));
        doc->SetCh1Position(256.0f); // the zero line across the middle
        doc->SetCh1TriggerLevel(256.0f);
        Scope().UpdateMarkerPositions();
    }
    // Volts at the probe tip: what the instrument was fed, times the probe.
    double Amplitude() const { return GetParam().amplitude * kProbe[GetParam().probe]; }
    double VoltsPerDiv() const { return kVoltsPerDiv[GetParam().volts] * kProbe[GetParam().probe]; }

    kv::sim::SimZendral* sim = nullptr;
};

std::string CaseName(const ::testing::TestParamInfo<Case>& info) {
    return info.param.name;
}

TEST_P(SimulatedReadings, EveryReadingOfTheTraceIsTheInstrumentsSignal) {
    const double a = Amplitude(), code = OneCode(VoltsPerDiv());
    Command(ID_MEASURE_SOURCE_CH1);
    Command(ID_MEASURE_PK2PK);
    Command(ID_MEASURE_MAX);
    Tick(14); // measurements refresh on every sixth frame
    ASSERT_EQ(doc->m_nRunStatus, 2) << "triggered";

    // The measurements (three digits of text besides the code).
    EXPECT_NEAR(ValueOf(Measured(0)), 2.0 * a, code + 0.005 * 2.0 * a) << Measured(0);
    EXPECT_NEAR(ValueOf(Measured(1)), a, code + 0.005 * a) << Measured(1);

    // The trace on the graticule: its peaks lie the amplitude's divisions from the zero line.
    const QImage picture = Picture(view->ScreenPanel());
    const Extent trace = ExtentOf(picture, doc->m_ch1.GetColor(), AboveTexts());
    ASSERT_GT(trace.count, 200);
    const double pixelsPerDiv = Plot().Height() / 8.0;
    EXPECT_NEAR((trace.bottom - trace.top) / pixelsPerDiv * VoltsPerDiv(), 2.0 * a,
                code + 2.0 * OnePixel(VoltsPerDiv()));

    // Horizontal cursors on the peaks.
    EXPECT_NEAR(CursorsOnPeaks(trace), 2.0 * a, code + OnePixel(VoltsPerDiv()));

    // The trigger level dragged onto the top of the trace reads the peak.
    DragLevelTo(trace.top);
    EXPECT_NEAR(doc->m_trigger.GetLevelVolts(0), a, code + OnePixel(VoltsPerDiv()));
    DragLevelTo(Plot().top + Plot().Height() / 2);

    // The exports hold the signal's volts.
    const std::vector<double> csv = SaveCsv();
    ASSERT_EQ(csv.size(), 10240u);
    const auto [csvLo, csvHi] = std::minmax_element(csv.begin(), csv.end());
    EXPECT_NEAR(*csvHi - *csvLo, 2.0 * a, code);
    EXPECT_NEAR(*csvHi, a, code);
    const std::vector<double> text = SaveTextCh1();
    ASSERT_EQ(text.size(), 10240u);
    const auto [textLo, textHi] = std::minmax_element(text.begin(), text.end());
    EXPECT_NEAR(*textHi - *textLo, 2.0 * a, code);
}

TEST_P(SimulatedReadings, SpectrumXyAndMathReadTheInstrumentsSignal) {
    const double a = Amplitude(), code = OneCode(VoltsPerDiv());

    // The spectrum in volts: the 1 kHz fundamental (ten periods on screen: bin 10) at the
    // amplitude, in the data and in the panel's first harmonic.
    CFftDlg* fft = OpenFft();
    ASSERT_NE(fft, nullptr);
    ClickButton(fft->m_btnStart);
    ASSERT_EQ(doc->m_fft.m_bFftOn, 1);
    Tick(3);
    EXPECT_EQ(doc->m_fft.m_nPeakBin, 10);
    EXPECT_NEAR(doc->m_fft.m_dPeakValues[0], a, code);
    EXPECT_NEAR(ValueOf(Text(*fft, IDC_FFT_LEVEL1)), a, code + 0.005 * a) << Text(*fft, IDC_FFT_LEVEL1);
    ClickButton(fft->m_btnStart);

    // MATH A x B: CH1's sine times CH2's (0.5 V, 2 kHz, both crossing zero together at the
    // trigger), on a MATH scale where the product spans one to four divisions.
    double product = 0.0;
    for (int i = 0; i < 100000; ++i) {
        const double t = i * 1e-3 / 100000.0;
        product =
            std::max(product, a * std::sin(2 * kPi * 1000.0 * t) * 0.5 * std::sin(2 * kPi * 2000.0 * t));
    }
    // The most sensitive MATH volts/div (with its probe) at which the product stays within four
    // divisions.
    int mathIndex = -1, mathProbe = 0;
    for (int p = 0; p < 4 && mathIndex < 0; ++p)
        for (int i = 0; i < 10 && mathIndex < 0; ++i)
            if (product / (kVoltsPerDiv[i] * kProbe[p]) < 4.0) {
                mathIndex = i;
                mathProbe = p;
            }
    ASSERT_GE(mathIndex, 0);
    const double mathVolts = kVoltsPerDiv[mathIndex] * kProbe[mathProbe];
    Command(ID_MATH_ONOFF);
    Command(ID_MATH_OPERATE_FIRST + 2);
    Command(ID_MATH_VOLTDIV_FIRST + static_cast<UINT>(mathIndex));
    Command(ID_MATH_PROBE_FIRST + static_cast<UINT>(mathProbe));
    ASSERT_EQ(doc->m_math.IsOn(), 1);
    Command(ID_MEASURE_SOURCE_MATH);
    Command(ID_MEASURE_MAX);
    Tick(14);
    // Half a code of each operand carried through the product, and the product's own code.
    const double tolerance = OneCode(mathVolts) + 0.5 * code * 0.5 + 0.5 * OneCode(1.0) * a;
    EXPECT_NEAR(ValueOf(Measured(0)), product, tolerance + 0.005 * product) << Measured(0);
    Command(ID_MATH_ONOFF);

    // X-Y: CH1 across, CH2 up, each over its own divisions (W / 10 and H / 8 pixels).
    Command(ID_FORMAT_XY);
    Tick(2);
    const Extent xy = ExtentOf(Picture(view->ScreenPanel()), RGB(0, 255, 255), Plot());
    ASSERT_GT(xy.count, 100);
    const double across = (xy.right - xy.left) / (Plot().Width() / 10.0) * VoltsPerDiv();
    const double up = (xy.bottom - xy.top) / (Plot().Height() / 8.0) * 1.0;
    EXPECT_NEAR(across, 2.0 * a, code + VoltsPerDiv() * 10.0 / Plot().Width());
    EXPECT_NEAR(up, 1.0, OneCode(1.0) + OnePixel(1.0));
}

// ---- a spectrum in dB with empty bins ----------------------------------------------------------

class SpectrumInDb : public Readings {
protected:
    const char* Instruments() const override { return "1"; }
};

TEST_F(SpectrumInDb, PeaksAtTheFundamentalInThePanelThePictureAndTheExport) {
    // The instrument's 1 V, 1 kHz sine at 1 V/div, ten periods on the screen: bin 10 of 256.
    CFftDlg* fft = OpenFft();
    ASSERT_NE(fft, nullptr);
    Choose(fft->m_listScale, 0); // dB
    ASSERT_EQ(doc->m_fft.m_nScale, 0);
    ClickButton(fft->m_btnStart);
    Tick(3);
    const CFftData& data = doc->m_fft;
    ASSERT_EQ(data.ResultBins(), 256);
    // The sine repeats exactly within the transform's input, so most bins hold nothing at all.
    int empty = 0;
    for (int k = 0; k < 256; ++k)
        empty += data.m_linear[static_cast<std::size_t>(k)] == 0.0;
    ASSERT_GT(empty, 100);

    // The panel: the first harmonic is the 1 kHz fundamental at 0 dB (1 V), and the spectrum
    // figures are computed from it.
    EXPECT_EQ(data.m_nPeakBin, 10);
    EXPECT_EQ(Text(*fft, IDC_FFT_FREQ1), "1.00kHz");
    EXPECT_NEAR(ValueOf(Text(*fft, IDC_FFT_LEVEL1)), 0.0, 0.15) << Text(*fft, IDC_FFT_LEVEL1);
    EXPECT_NE(Text(*fft, IDC_FFT_SNR), "---");
    EXPECT_NE(Text(*fft, IDC_FFT_SFDR), "---");

    // The picture: at 60 dB a division the 0 dB line lies one division down; only the
    // fundamental reaches up there, no bin is drawn as a spike beside it.
    const QImage picture = Picture(view->ScreenPanel());
    const CRect plot = Plot();
    const double step = plot.Width() / 256.0;
    const int zeroDb = plot.top + plot.Height() / 8;
    CRect high = plot;
    high.bottom = zeroDb + plot.Height() / 16 + 1;
    const Extent peak = ExtentOf(picture, RGB(128, 0, 255), high);
    ASSERT_GT(peak.count, 0);
    EXPECT_GE(peak.left, static_cast<int>(plot.left + 9 * step));
    EXPECT_LE(peak.right, static_cast<int>(plot.left + 11 * step) + 1);
    EXPECT_NEAR(peak.top, zeroDb, 2);
    // The empty bins lie at the bottom edge (under the outline), even at 60 dB a division: the
    // line drops to it beside every real bin and crosses the row above it.
    const CRect aboveEdge(plot.left, plot.bottom - 1, plot.right, plot.bottom);
    EXPECT_GE(ExtentOf(picture, RGB(128, 0, 255), aboveEdge).count, (256 - empty) / 2);

    // The export: the largest level is the fundamental's; an empty bin lies below every real one.
    const std::string path = File("spectrum.txt");
    AnswerFileDialog(path);
    ClickButton(fft->m_btnSave);
    std::ifstream in(path);
    std::string line;
    ASSERT_TRUE(std::getline(in, line));
    EXPECT_EQ(line, "Freq(Hz)\t\t\t\t\tdB");
    ASSERT_TRUE(std::getline(in, line));
    double best = -1e300, emptyHighest = -1e300, realLowest = 1e300;
    long long bestFrequency = -1;
    for (int k = 0; std::getline(in, line); ++k) {
        std::istringstream fields(line);
        long long frequency = 0;
        double level = 0.0;
        ASSERT_TRUE(fields >> frequency >> level) << line;
        if (level > best) {
            best = level;
            bestFrequency = frequency;
        }
        if (k < 256 && data.m_linear[static_cast<std::size_t>(k)] == 0.0)
            emptyHighest = std::max(emptyHighest, level);
        else if (k > 0)
            realLowest = std::min(realLowest, level);
    }
    EXPECT_EQ(bestFrequency, 1000);
    EXPECT_NEAR(best, 0.0, 0.15);
    EXPECT_LT(emptyHighest, realLowest);
    ClickButton(fft->m_btnStart);
}

// ---- the demo signal --------------------------------------------------------------------------

class DemoReadings : public Readings {};

TEST_F(DemoReadings, FollowTheTraceOnTheGraticule) {
    // The demo's 4 V amplitude setting draws 128 codes peak to peak: about two divisions at the
    // 1 V/div of the factory setup. Whatever it draws, every reading says what the graticule shows.
    Command(ID_MEASURE_SOURCE_CH1);
    Command(ID_MEASURE_PK2PK);
    Command(ID_MEASURE_MAX);
    Tick(14);
    const double voltsPerDiv = doc->m_ch1.GetVoltsPerDiv();
    ASSERT_DOUBLE_EQ(voltsPerDiv, 1.0);
    const double code = OneCode(voltsPerDiv), pixel = OnePixel(voltsPerDiv);

    const QImage picture = Picture(view->ScreenPanel());
    const Extent trace = ExtentOf(picture, doc->m_ch1.GetColor(), AboveTexts());
    ASSERT_GT(trace.count, 200);
    const double drawn = (trace.bottom - trace.top) / (Plot().Height() / 8.0) * voltsPerDiv;
    EXPECT_NEAR(drawn, 2.0, 2 * code + 2 * pixel);

    EXPECT_NEAR(ValueOf(Measured(0)), drawn, code + 2 * pixel + 0.01) << Measured(0);
    EXPECT_NEAR(CursorsOnPeaks(trace), drawn, code + pixel);
    // Vmax: the top of the trace above CH1's zero line (position 128 from the top).
    const double zeroY = Plot().top + doc->m_ch1.GetPosition() * Plot().Height() / 511.0;
    EXPECT_NEAR(ValueOf(Measured(1)), (zeroY - trace.top) / (Plot().Height() / 8.0) * voltsPerDiv,
                code + 2 * pixel + 0.01)
        << Measured(1);
    const std::vector<double> csv = SaveCsv();
    ASSERT_EQ(csv.size(), 10240u);
    const auto [lo, hi] = std::minmax_element(csv.begin(), csv.end());
    EXPECT_NEAR(*hi - *lo, drawn, code + 2 * pixel);
}

INSTANTIATE_TEST_SUITE_P(VoltsPerDivAndProbes, SimulatedReadings,
                         ::testing::Values(Case{6, 0, 1.0, "OneVoltPerDiv"},
                                           Case{5, 0, 1.0, "HalfVoltPerDiv"},
                                           Case{1, 0, 0.05, "TwentyMillivoltsPerDiv"},
                                           Case{3, 1, 0.25, "ProbeTimesTen"},
                                           Case{7, 2, 3.0, "ProbeTimesHundred"}),
                         CaseName);

} // namespace
