// The FFT panel: its settings, the on/off switch, the text export and the harmonic and
// spectrum-figure read-outs, on a document of its own.
#include "app/FftDlg.h"
#include "DialogTestSupport.h"
#include "display/ScopeScreen.h"
#include "engine/KelvaneDoc.h"
#include "engine/Measure.h"
#include "framework/CommonDialogs.h"
#include "framework/WinApp.h"
#include "resources/Resource.h"

#include <QImage>
#include <QWidget>

#include <gtest/gtest.h>

#include "TestOutput.h"
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <string>
#include <tuple>

namespace {

using apptest::Choose;
using apptest::Click;
using apptest::Text;

CString Item(CComboBox& list, int index) {
    CString s;
    list.GetLBText(index, s);
    return s;
}

// Read-out ids of harmonic k (1..6).
int Freq(int k) {
    return 1222 - 2 * (k - 1);
}
int Level(int k) {
    return 1221 - 2 * (k - 1);
}

class FftDialog : public ::testing::Test {
protected:
    FftDialog() {
        kv::EnsureApplication();
        doc.SetDefaultSettings();
        doc.m_language.SetModel(doc.m_nModel);
        doc.m_language.SelectLanguage(CLanguageTable::kBuiltin);
        screen.SetDocument(&doc);
        dlg.SetDocument(&doc);
        dlg.SetScreen(&screen);
    }
    void Open() { ASSERT_TRUE(dlg.Create(IDD_FFT)); }

    // A computed spectrum of `bins` values (volts, before the scale), 100 Hz per bin.
    void Spectrum(int bins, int scale, const std::function<double(int)>& value) {
        CFftData& fft = doc.m_fft;
        fft.m_nScale = static_cast<std::int16_t>(scale);
        fft.m_nBins = static_cast<std::int16_t>(bins);
        fft.m_spectrum.fill(0.0);
        for (int k = 0; k < bins; ++k)
            fft.m_spectrum[k] = value(k);
        fft.ApplyScale(bins);
        fft.FindPeak(bins);
        fft.ComputeHarmonicBins();
        fft.ComputeFrequencyAxis(1e-3);
    }

    CKelvaneDoc doc;
    CScopeScreen screen;
    CFftDlg dlg;
};

// Fundamental at bin 10 with harmonics 2..6 and, optionally, a flat noise floor.
double Harmonics(int k, double floor) {
    switch (k) {
    case 10:
        return 1.0;
    case 20:
        return 0.2;
    case 30:
        return 0.1;
    case 40:
        return 0.05;
    case 50:
        return 0.1;
    case 60:
        return 0.05;
    default:
        return floor;
    }
}

TEST_F(FftDialog, OpensWithTheStoredSettings) {
    CFftData& fft = doc.m_fft;
    fft.m_nSource = 1;
    fft.m_nWindow = 2;
    fft.m_nBins = 2048;
    fft.m_nScale = 1;
    fft.m_dVerticalScale = 0.5;
    fft.m_nZoom = 8;
    Open();
    CString caption;
    dlg.GetWindowText(caption);
    EXPECT_STREQ(caption, "FFT");
    EXPECT_EQ(dlg.m_listSource.GetCurSel(), 1);
    EXPECT_EQ(dlg.m_listWindow.GetCurSel(), 2);
    EXPECT_EQ(dlg.m_listBins.GetCurSel(), 3);
    EXPECT_EQ(dlg.m_listScale.GetCurSel(), 1);
    ASSERT_EQ(dlg.m_listVertical.GetCount(), 12);
    EXPECT_STREQ(Item(dlg.m_listVertical, 0), "1.00mV");
    EXPECT_STREQ(Item(dlg.m_listVertical, 11), "5.00V");
    EXPECT_STREQ(Item(dlg.m_listVertical, dlg.m_listVertical.GetCurSel()), "500mV");
    EXPECT_EQ(dlg.m_listZoom.GetCurSel(), 3);
    EXPECT_STREQ(Text(dlg, IDC_FFT_START), "Start");

    // Values outside the lists: bins select 256, an unknown zoom selects nothing, an unlisted
    // per-division value keeps the previous selection.
    fft.m_nBins = 300;
    fft.m_nZoom = 3;
    fft.m_dVerticalScale = 0.3;
    fft.m_bFftOn = 1;
    dlg.LoadFromDocument();
    EXPECT_EQ(dlg.m_listBins.GetCurSel(), 0);
    EXPECT_EQ(dlg.m_listZoom.GetCurSel(), -1);
    EXPECT_EQ(dlg.m_listVertical.GetCurSel(), -1);
    EXPECT_STREQ(Text(dlg, IDC_FFT_START), "Stop");
}

TEST_F(FftDialog, ScaleSwitchRebuildsTheVerticalList) {
    Open();
    Choose(dlg, dlg.m_listScale, IDC_FFT_SCALE, 0); // to dB
    EXPECT_EQ(doc.m_fft.m_nScale, 0);
    EXPECT_EQ(doc.m_fft.m_dVerticalScale, 60.0);
    EXPECT_STREQ(Item(dlg.m_listVertical, 0), "5.00dB");
    EXPECT_STREQ(Item(dlg.m_listVertical, dlg.m_listVertical.GetCurSel()), "60.0dB");
    Choose(dlg, dlg.m_listVertical, IDC_FFT_VERTICAL, 3);
    EXPECT_EQ(doc.m_fft.m_dVerticalScale, 20.0);
    Choose(dlg, dlg.m_listScale, IDC_FFT_SCALE, 0); // unchanged: nothing happens
    EXPECT_EQ(doc.m_fft.m_dVerticalScale, 20.0);
    Choose(dlg, dlg.m_listScale, IDC_FFT_SCALE, 1); // back to linear
    EXPECT_EQ(doc.m_fft.m_dVerticalScale, 0.5);
    EXPECT_STREQ(Item(dlg.m_listVertical, dlg.m_listVertical.GetCurSel()), "500mV");
    Choose(dlg, dlg.m_listVertical, IDC_FFT_VERTICAL, 0);
    EXPECT_EQ(doc.m_fft.m_dVerticalScale, 0.001);
    Choose(dlg, dlg.m_listVertical, IDC_FFT_VERTICAL, -1); // no selection
    EXPECT_EQ(doc.m_fft.m_dVerticalScale, 0.1);
    EXPECT_EQ(CFftDlg::ScaleValue(0, -1), 60.0);
    EXPECT_EQ(CFftDlg::ScaleValue(0, 11), 60.0);
    EXPECT_EQ(CFftDlg::ScaleValue(1, 9), 1.0);
}

TEST_F(FftDialog, ListsApplyAtOnce) {
    Open();
    Choose(dlg, dlg.m_listSource, IDC_FFT_SOURCE, 1);
    EXPECT_EQ(doc.m_fft.m_nSource, 1);
    Choose(dlg, dlg.m_listWindow, IDC_FFT_WINDOW, 3);
    EXPECT_EQ(doc.m_fft.m_nWindow, 3);
    const std::int16_t bins[] = {256, 512, 1024, 2048, 4096};
    for (int i = 4; i >= 0; --i) {
        Choose(dlg, dlg.m_listBins, IDC_FFT_BINS, i);
        EXPECT_EQ(doc.m_fft.m_nBins, bins[i]);
    }
    const std::int16_t zooms[] = {1, 2, 4, 8, 16};
    for (int i = 4; i >= 0; --i) {
        Choose(dlg, dlg.m_listZoom, IDC_FFT_ZOOM, i);
        EXPECT_EQ(doc.m_fft.m_nZoom, zooms[i]);
    }
    Choose(dlg, dlg.m_listZoom, IDC_FFT_ZOOM, -1);
    EXPECT_EQ(doc.m_fft.m_nZoom, 1);
}

TEST_F(FftDialog, StartAndStopSwitchTheSpectrumAndFreeTheCursors) {
    Open();
    Click(dlg, IDC_FFT_START);
    EXPECT_EQ(doc.m_fft.m_bFftOn, 1);
    EXPECT_STREQ(Text(dlg, IDC_FFT_START), "Stop");
    screen.SetCursorSource(3); // the cursors read the spectrum
    Click(dlg, IDC_FFT_START);
    EXPECT_EQ(doc.m_fft.m_bFftOn, 0);
    EXPECT_STREQ(Text(dlg, IDC_FFT_START), "Start");
    EXPECT_EQ(screen.GetCursorSource(), 0);
}

TEST_F(FftDialog, SaveWritesTheSpectrumAsText) {
    Open();
    Spectrum(256, 1, [](int k) { return Harmonics(k, 0.0); });
    const std::string path = kvtest::OutputDir() + "/fft-dialog-save";
    CString filter, title, ext;
    DWORD flags = 0;
    CFileDialog::SetHook([&](CFileDialog& fd) {
        filter = fd.GetFilter();
        ext = fd.GetDefExt();
        title = fd.m_ofn.lpstrTitle;
        flags = fd.m_ofn.Flags;
        fd.SetChosenPath(path.c_str());
        return static_cast<INT_PTR>(IDOK);
    });
    Click(dlg, IDC_FFT_SAVE);
    CFileDialog::SetHook(nullptr);
    EXPECT_STREQ(filter, "Text File(*.txt)|*.txt|Document File(*.doc)|*.doc|Spreadsheet File(*.xls)|*.xls||");
    EXPECT_STREQ(ext, "txt");
    EXPECT_STREQ(title, "Save Data As...");
    EXPECT_NE(flags & OFN_OVERWRITEPROMPT, 0u);
    std::ifstream in(path + ".txt");
    std::string line;
    ASSERT_TRUE(std::getline(in, line));
    EXPECT_EQ(line, "Freq(Hz)\t\t\t\t\tVolt(V)");
    int lines = 1;
    while (std::getline(in, line))
        ++lines;
    EXPECT_EQ(lines, 258);
    std::remove((path + ".txt").c_str());
}

TEST_F(FftDialog, SaveFailureIsReported) {
    Open();
    std::vector<std::string> boxes;
    AfxSetMessageBoxHook([&](const CString& text, const CString&, UINT) {
        boxes.push_back(text.str());
        return IDOK;
    });
    CFileDialog::SetHook([](CFileDialog& fd) {
        fd.SetChosenPath("/nonexistent-folder/spectrum.txt");
        return static_cast<INT_PTR>(IDOK);
    });
    Click(dlg, IDC_FFT_SAVE);
    CFileDialog::SetHook(nullptr);
    AfxSetMessageBoxHook(nullptr);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].rfind("Cann't save file: ", 0), 0u);
}

TEST_F(FftDialog, HarmonicsShowLevelsAndFrequencies) {
    Open();
    Spectrum(1024, 1, [](int k) { return Harmonics(k, 0.0); });
    dlg.UpdateHarmonics();
    EXPECT_STREQ(Text(dlg, Level(1)), FormatVolts(1.0f));
    EXPECT_STREQ(Text(dlg, Freq(1)), FormatHertz(1000.0));
    EXPECT_STREQ(Text(dlg, Level(2)), FormatVolts(0.2f)); // 2nd is not below the 3rd: shown
    EXPECT_STREQ(Text(dlg, Freq(6)), FormatHertz(6000.0));
    EXPECT_STREQ(Text(dlg, Level(6)), FormatVolts(0.05f));

    // A square wave: the 3rd exceeds the 2nd, so the even harmonics are hidden.
    Spectrum(1024, 1, [](int k) { return k == 20 || k == 40 || k == 60 ? 0.01 : Harmonics(k, 0.0); });
    dlg.UpdateHarmonics();
    for (int k : {2, 4, 6}) {
        EXPECT_STREQ(Text(dlg, Level(k)), "---") << k;
        EXPECT_STREQ(Text(dlg, Freq(k)), "---") << k;
        EXPECT_EQ(doc.m_fft.m_nDisplayFlags[k - 1], 0) << k;
    }
    EXPECT_STREQ(Text(dlg, Level(3)), FormatVolts(0.1f));
    EXPECT_STREQ(Text(dlg, Freq(5)), FormatHertz(5000.0));

    // In dB scale the levels read in decibels.
    Spectrum(1024, 0, [](int k) { return Harmonics(k, 0.01); });
    dlg.UpdateHarmonics();
    EXPECT_STREQ(Text(dlg, Level(1)), "0.00dB");
    EXPECT_STREQ(Text(dlg, Level(2)), "-13.98dB");
    EXPECT_STREQ(Text(dlg, Level(3)), "-20.00dB");
}

TEST_F(FftDialog, HarmonicsBeyondTheLastBinShowNothingAndAddNothing) {
    Open();
    // Fundamental at bin 60 of 256: harmonics 5 and 6 (bins 300, 360) lie past the spectrum.
    Spectrum(256, 1, [](int k) {
        return k == 60 ? 1.0 : k == 120 ? 0.2 : k == 180 ? 0.1 : k == 240 ? 0.1 : 0.0;
    });
    doc.m_fft.m_frequency[300] = -1; // must not be read
    dlg.UpdateHarmonics();
    dlg.UpdateMeasurements();
    for (int k : {5, 6}) {
        EXPECT_STREQ(Text(dlg, Level(k)), "---") << k;
        EXPECT_STREQ(Text(dlg, Freq(k)), "---") << k;
    }
    EXPECT_STREQ(Text(dlg, Level(4)), FormatVolts(0.1f));
    // Pt equals the four harmonics that lie inside: no noise, SNR and ENOB "---".
    EXPECT_STREQ(Text(dlg, IDC_FFT_SNR), "---");
    EXPECT_STREQ(Text(dlg, IDC_FFT_ENOB), "---");
    EXPECT_STREQ(Text(dlg, IDC_FFT_THD), "-12.218dB"); // 10 log10(0.06)
}

TEST_F(FftDialog, SpectrumFiguresOfAPureSpectrum) {
    Open();
    Spectrum(256, 1, [](int k) { return Harmonics(k, 0.0); });
    dlg.UpdateMeasurements();
    EXPECT_STREQ(Text(dlg, IDC_FFT_SNR), "---");
    EXPECT_STREQ(Text(dlg, IDC_FFT_ENOB), "---");
    EXPECT_STREQ(Text(dlg, IDC_FFT_THD), "-11.871dB");
    EXPECT_STREQ(Text(dlg, IDC_FFT_SFDR), "13.979dB");
    EXPECT_STREQ(Text(dlg, IDC_FFT_SINAD), "11.871dB");
    EXPECT_STREQ(Text(dlg, IDC_FFT_TOTAL_POWER), "0.273dB");
}

TEST_F(FftDialog, SpectrumFiguresWithNoiseAreTheSameInBothScales) {
    Open();
    for (int scale : {1, 0}) {
        Spectrum(256, scale, [](int k) { return Harmonics(k, 0.01); });
        dlg.UpdateMeasurements();
        EXPECT_STREQ(Text(dlg, IDC_FFT_SNR), "15.918dB") << scale;
        EXPECT_STREQ(Text(dlg, IDC_FFT_ENOB), "2.352bits") << scale;
        EXPECT_STREQ(Text(dlg, IDC_FFT_THD), "-11.871dB") << scale;
        EXPECT_STREQ(Text(dlg, IDC_FFT_SFDR), "13.979dB") << scale;
        EXPECT_STREQ(Text(dlg, IDC_FFT_SINAD), "10.453dB") << scale;
        EXPECT_STREQ(Text(dlg, IDC_FFT_TOTAL_POWER), "0.374dB") << scale;
    }
}

TEST_F(FftDialog, AnEmptySpectrumShowsNoFigures) {
    Open();
    Spectrum(512, 1, [](int) { return 0.0; });
    dlg.UpdateMeasurements();
    for (int id : {IDC_FFT_SNR, IDC_FFT_THD, IDC_FFT_ENOB, IDC_FFT_SFDR, IDC_FFT_SINAD, IDC_FFT_TOTAL_POWER})
        EXPECT_STREQ(Text(dlg, id), "---") << id;
}

TEST_F(FftDialog, WithoutADocumentNothingHappens) {
    CFftDlg lonely;
    ASSERT_TRUE(lonely.Create(IDD_FFT));
    Click(lonely, IDC_FFT_START);
    lonely.UpdateHarmonics();
    lonely.UpdateMeasurements();
    EXPECT_STREQ(Text(lonely, IDC_FFT_SNR), "---");
}

TEST_F(FftDialog, PictureShowsEveryCaption) {
    Open();
    Spectrum(256, 1, [](int k) { return Harmonics(k, 0.01); });
    doc.m_fft.m_bFftOn = 1;
    dlg.LoadFromDocument();
    dlg.UpdateHarmonics();
    dlg.UpdateMeasurements();
    dlg.ShowWindow(SW_SHOW);
    EXPECT_TRUE(dlg.IsWindowVisible());
    EXPECT_GT(apptest::ExpectCaptionsShown(dlg), 5);
    dlg.GetWidget()->grab().toImage().save(QString::fromStdString(kvtest::OutputDir() + "/dialog-fft.png"));
}

} // namespace

TEST_F(FftDialog, FirstAndLastVerticalItemsOfBothScales) {
    Open();
    struct Case {
        int scale, item;
        double value;
        const char* label;
    };
    const Case cases[] = {{1, 11, 5.0, "5.00V"}, {1, 0, 0.001, "1.00mV"}, {1, 10, 2.0, "2.00V"},
                          {0, 0, 5.0, "5.00dB"}, {0, 11, 60.0, "60.0dB"}, {0, 10, 55.0, "55.0dB"}};
    for (const Case& c : cases) {
        Choose(dlg, dlg.m_listScale, IDC_FFT_SCALE, c.scale);
        ASSERT_EQ(dlg.m_listVertical.GetCount(), 12);
        Choose(dlg, dlg.m_listVertical, IDC_FFT_VERTICAL, c.item);
        EXPECT_DOUBLE_EQ(doc.m_fft.m_dVerticalScale, c.value) << c.scale << " " << c.item;
        EXPECT_STREQ(Item(dlg.m_listVertical, c.item), c.label);
        EXPECT_DOUBLE_EQ(CFftDlg::ScaleValue(c.scale, c.item), c.value);
    }
}

TEST_F(FftDialog, EveryStoredValueReselectsItsOwnEntryOnOpen) {
    Open();
    CFftData& fft = doc.m_fft;
    const std::int16_t bins[] = {256, 512, 1024, 2048, 4096};
    const std::int16_t zooms[] = {1, 2, 4, 8, 16};
    for (int i = 4; i >= 0; --i) {
        fft.m_nBins = bins[i];
        fft.m_nZoom = zooms[i];
        dlg.LoadFromDocument();
        EXPECT_EQ(dlg.m_listBins.GetCurSel(), i) << bins[i];
        EXPECT_EQ(dlg.m_listZoom.GetCurSel(), i) << zooms[i];
    }
    // Both ends of both vertical lists, stored values and not list positions.
    const std::tuple<std::int16_t, double, int> scales[] = {{1, 5.0, 11},  {1, 2.0, 10},  {1, 0.001, 0},
                                                            {0, 60.0, 11}, {0, 55.0, 10}, {0, 5.0, 0}};
    for (const auto& [scale, value, entry] : scales) {
        fft.m_nScale = scale;
        fft.m_dVerticalScale = value;
        dlg.LoadFromDocument();
        EXPECT_EQ(dlg.m_listScale.GetCurSel(), scale);
        EXPECT_EQ(dlg.m_listVertical.GetCurSel(), entry) << scale << " " << value;
    }
    // Source and window: each entry in turn, then read back from the document.
    ASSERT_EQ(dlg.m_listSource.GetCount(), 2); // CH1, CH2
    for (int source = 1; source >= 0; --source) {
        Choose(dlg, dlg.m_listSource, IDC_FFT_SOURCE, source);
        EXPECT_EQ(fft.m_nSource, source);
    }
    ASSERT_EQ(dlg.m_listWindow.GetCount(), 4); // Rectangle, Hanning, Hamming, Blackman
    for (int window = 3; window >= 0; --window) {
        Choose(dlg, dlg.m_listWindow, IDC_FFT_WINDOW, window);
        EXPECT_EQ(fft.m_nWindow, window);
        fft.m_nWindow = static_cast<std::int16_t>(window);
        dlg.LoadFromDocument();
        EXPECT_EQ(dlg.m_listWindow.GetCurSel(), window);
    }
}
