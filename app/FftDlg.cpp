#include "app/FftDlg.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <iterator>

#include "app/DialogSupport.h"
#include "app/KelvaneView.h"
#include "display/ScopeScreen.h"
#include "engine/KelvaneDoc.h"
#include "engine/Measure.h"
#include "engine/SettingsCodes.h"
#include "framework/CommonDialogs.h"
#include "framework/DataExchange.h"
#include "framework/WinApp.h"
#include "resources/Resource.h"
#include "resources/dialogs/FftDialogTemplate.h"
#include "resources/language/TextKeys.h"

namespace {

constexpr int kHarmonics = 6;
constexpr const char* kNone = "---";
constexpr double kEnobFactor = 0.16611295681063123; // 1 / 6.02

constexpr const char* kDbItems[CFftDlg::kScaleItems] = {"5.00dB", "10.0dB", "15.0dB", "20.0dB",
                                                        "25.0dB", "30.0dB", "35.0dB", "40.0dB",
                                                        "45.0dB", "50.0dB", "55.0dB", "60.0dB"};
constexpr const char* kVoltItems[CFftDlg::kScaleItems] = {"1.00mV", "2.00mV", "5.00mV", "10.0mV",
                                                          "20.0mV", "50.0mV", "100mV",  "200mV",
                                                          "500mV",  "1.00V",  "2.00V",  "5.00V"};
constexpr double kVoltValues[CFftDlg::kScaleItems] = {0.001, 0.002, 0.005, 0.01, 0.02, 0.05,
                                                      0.1,   0.2,   0.5,   1.0,  2.0,  5.0};
constexpr std::int16_t kBinCounts[] = {256, 512, 1024, 2048, 4096};
constexpr std::int16_t kZooms[] = {1, 2, 4, 8, 16};

// Read-out ids of harmonic k (1..6): frequency 1222, 1220, ... and level 1221, 1219, ...
int FrequencyId(int k) {
    return static_cast<int>(IDC_FFT_FREQ1) - 2 * (k - 1);
}
int LevelId(int k) {
    return static_cast<int>(IDC_FFT_LEVEL1) - 2 * (k - 1);
}

CString Decibels(const char* format, double value) {
    CString text;
    text.Format(format, value);
    return text;
}

} // namespace

CFftDlg::CFftDlg(CWnd* pParent) : CDialog(IDD_FFT, pParent) {
    kv::RegisterFftDialogTemplates();
    OnControl(CBN_SELCHANGE, IDC_FFT_SOURCE, [this] { OnSelchangeSource(); });
    OnControl(CBN_SELCHANGE, IDC_FFT_WINDOW, [this] { OnSelchangeWindow(); });
    OnControl(CBN_SELCHANGE, IDC_FFT_BINS, [this] { OnSelchangeBins(); });
    OnControl(CBN_SELCHANGE, IDC_FFT_SCALE, [this] { OnSelchangeScale(); });
    OnControl(CBN_SELCHANGE, IDC_FFT_VERTICAL, [this] { OnSelchangeVerticalScale(); });
    OnControl(CBN_SELCHANGE, IDC_FFT_ZOOM, [this] { OnSelchangeZoom(); });
    OnControl(BN_CLICKED, IDC_FFT_START, [this] { OnButtonStart(); });
    OnControl(BN_CLICKED, IDC_FFT_SAVE, [this] { OnButtonSave(); });
}

void CFftDlg::SetDocument(CKelvaneDoc* pDoc) {
    if (pDoc)
        m_pDoc = pDoc;
}

void CFftDlg::SetScreen(CScopeScreen* pScreen) {
    if (pScreen)
        m_pScreen = pScreen;
}

CScopeScreen* CFftDlg::Screen() const {
    if (m_pScreen)
        return m_pScreen;
    CKelvaneView* view = ActiveKelvaneView();
    return view ? &view->Screen() : nullptr;
}

double CFftDlg::ScaleValue(int scale, int index) {
    if (index < 0 || index >= kScaleItems)
        return scale == kFftScaleDb ? 60.0 : 0.1;
    return scale == kFftScaleDb ? 5.0 * (index + 1) : kVoltValues[index];
}

void CFftDlg::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_FFT_SOURCE, m_listSource);
    DDX_Control(pDX, IDC_FFT_WINDOW, m_listWindow);
    DDX_Control(pDX, IDC_FFT_BINS, m_listBins);
    DDX_Control(pDX, IDC_FFT_SCALE, m_listScale);
    DDX_Control(pDX, IDC_FFT_VERTICAL, m_listVertical);
    DDX_Control(pDX, IDC_FFT_ZOOM, m_listZoom);
    DDX_Control(pDX, IDC_FFT_START, m_btnStart);
    DDX_Control(pDX, IDC_FFT_SAVE, m_btnSave);
}

BOOL CFftDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    TranslateTexts();
    LoadFromDocument();
    return TRUE;
}

void CFftDlg::TranslateTexts() {
    if (!m_pDoc || !GetWidget())
        return;
    TranslateDialogTexts(*m_pDoc, *this);
    ShowStartText();
}

void CFftDlg::ShowStartText() {
    if (!m_pDoc || !GetWidget())
        return;
    const bool on = m_pDoc->m_fft.m_bFftOn != 0;
    CString text = m_pDoc->GetText(on ? kv::kTextStop : kv::kTextStart);
    if (text.IsEmpty())
        text = on ? "Stop" : "Start";
    m_btnStart.SetWindowText(text);
}

void CFftDlg::LoadFromDocument() {
    if (!m_pDoc || !GetWidget())
        return;
    const CFftData& fft = m_pDoc->m_fft;
    ShowStartText();
    m_listSource.SetCurSel(fft.m_nSource);
    m_listWindow.SetCurSel(fft.m_nWindow);
    m_listScale.SetCurSel(fft.m_nScale);
    FillScaleList();
    int bins = 0;
    for (int i = 0; i < static_cast<int>(std::size(kBinCounts)); ++i)
        if (fft.m_nBins == kBinCounts[i])
            bins = i;
    m_listBins.SetCurSel(bins);
    SelectVerticalScale();
    int zoom = -1;
    for (int i = 0; i < static_cast<int>(std::size(kZooms)); ++i)
        if (fft.m_nZoom == kZooms[i])
            zoom = i;
    m_listZoom.SetCurSel(zoom);
}

void CFftDlg::FillScaleList() {
    if (!m_pDoc || !GetWidget())
        return;
    m_listVertical.ResetContent();
    const char* const* items = m_pDoc->m_fft.m_nScale == kFftScaleDb ? kDbItems : kVoltItems;
    for (int i = 0; i < kScaleItems; ++i)
        m_listVertical.AddString(items[i]);
}

void CFftDlg::SelectVerticalScale() {
    if (!m_pDoc || !GetWidget())
        return;
    const double value = m_pDoc->m_fft.m_dVerticalScale;
    for (int i = 0; i < kScaleItems; ++i) {
        const double item = ScaleValue(m_pDoc->m_fft.m_nScale, i);
        if (std::fabs(value - item) <= item * 1e-9) {
            m_listVertical.SetCurSel(i);
            return;
        }
    }
}

void CFftDlg::OnSelchangeSource() {
    const int sel = m_listSource.GetCurSel();
    if (m_pDoc && sel >= 0 && sel != m_pDoc->m_fft.m_nSource)
        m_pDoc->m_fft.m_nSource = static_cast<std::int16_t>(sel);
}

void CFftDlg::OnSelchangeWindow() {
    const int sel = m_listWindow.GetCurSel();
    if (m_pDoc && sel >= 0 && sel != m_pDoc->m_fft.m_nWindow)
        m_pDoc->m_fft.m_nWindow = static_cast<std::int16_t>(sel);
}

void CFftDlg::OnSelchangeBins() {
    const int sel = m_listBins.GetCurSel();
    if (m_pDoc && sel >= 0 && sel < static_cast<int>(std::size(kBinCounts)))
        m_pDoc->m_fft.m_nBins = kBinCounts[sel];
}

void CFftDlg::OnSelchangeScale() {
    const int sel = m_listScale.GetCurSel();
    if (!m_pDoc || sel < 0 || sel == m_pDoc->m_fft.m_nScale)
        return;
    CFftData& fft = m_pDoc->m_fft;
    fft.m_nScale = static_cast<std::int16_t>(sel);
    FillScaleList();
    fft.m_dVerticalScale = fft.m_nScale == kFftScaleDb ? 60.0 : 0.5;
    SelectVerticalScale();
}

void CFftDlg::OnSelchangeVerticalScale() {
    if (!m_pDoc)
        return;
    m_pDoc->m_fft.m_dVerticalScale = ScaleValue(m_pDoc->m_fft.m_nScale, m_listVertical.GetCurSel());
}

void CFftDlg::OnSelchangeZoom() {
    if (!m_pDoc)
        return;
    const int sel = m_listZoom.GetCurSel();
    m_pDoc->m_fft.m_nZoom = (sel >= 1 && sel <= 4) ? kZooms[sel] : 1;
}

void CFftDlg::OnButtonStart() {
    if (!m_pDoc)
        return;
    if (m_pDoc->m_fft.m_bFftOn) {
        m_pDoc->m_fft.m_bFftOn = 0;
        // The cursors may be reading the spectrum that is going away.
        if (CScopeScreen* screen = Screen())
            screen->SetCursorSource(0);
    } else {
        m_pDoc->m_fft.m_bFftOn = 1;
    }
    ShowStartText();
}

void CFftDlg::OnButtonSave() {
    if (!m_pDoc)
        return;
    CFileDialog dialog(FALSE, "txt", nullptr, OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT,
                       "Text File(*.txt)|*.txt|Document File(*.doc)|*.doc|Spreadsheet File(*.xls)|*.xls||",
                       this);
    dialog.m_ofn.lpstrTitle = "Save Data As...";
    if (dialog.DoModal() != IDOK)
        return;
    CString error;
    if (!m_pDoc->m_fft.SaveFftToText(dialog.GetPathName().GetString(), &error))
        AfxMessageBox(error.GetString());
}

void CFftDlg::UpdateHarmonics() {
    if (!m_pDoc || !GetWidget())
        return;
    CFftData& fft = m_pDoc->m_fft;
    const int bins = fft.ResultBins();
    int bin[kHarmonics];
    double linear[kHarmonics];
    bin[0] = fft.m_nPeakBin;
    for (int n = 2; n <= kHarmonics; ++n)
        bin[n - 1] = fft.m_nHarmonicBins[static_cast<size_t>(n - 2)];
    for (int k = 0; k < kHarmonics; ++k)
        linear[k] = (bin[k] >= 0 && bin[k] < bins) ? fft.m_linear[static_cast<size_t>(bin[k])] : 0.0;

    // The levels are compared in volts: a dB spectrum keeps 0 for an empty bin, which would
    // rank it above every real level below 1 V.
    fft.m_nDisplayFlags.fill(1);
    if (linear[1] < linear[2]) {
        fft.m_nDisplayFlags[1] = 0;
        fft.m_nDisplayFlags[3] = 0;
        fft.m_nDisplayFlags[5] = 0;
    }
    // A harmonic past the last bin has no level and no frequency to show.
    for (int k = 0; k < kHarmonics; ++k)
        if (bin[k] < 0 || bin[k] >= bins)
            fft.m_nDisplayFlags[static_cast<size_t>(k)] = 0;

    for (int k = 1; k <= kHarmonics; ++k) {
        const bool shown = fft.m_nDisplayFlags[static_cast<size_t>(k - 1)] != 0;
        const double level = fft.m_dPeakValues[static_cast<size_t>(k - 1)];
        CString text = kNone;
        if (shown)
            text = fft.m_nScale == kFftScaleDb ? Decibels("%0.2fdB", level)
                                               : FormatVolts(static_cast<float>(level));
        SetDlgItemText(LevelId(k), text.GetString());
    }
    for (int k = 1; k <= kHarmonics; ++k) {
        const bool shown = fft.m_nDisplayFlags[static_cast<size_t>(k - 1)] != 0;
        CString text = kNone;
        if (shown)
            text = FormatHertz(static_cast<double>(fft.m_frequency[static_cast<size_t>(bin[k - 1])]));
        SetDlgItemText(FrequencyId(k), text.GetString());
    }
}

void CFftDlg::UpdateMeasurements() {
    if (!m_pDoc || !GetWidget())
        return;
    const CFftData& fft = m_pDoc->m_fft;
    // The figures are powers of the volt spectrum in either scale: squaring decibels means
    // nothing.
    const int n = std::clamp(fft.ResultBins(), 0, kFftMaxBins);
    double h[kHarmonics];
    const int peak = fft.m_nPeakBin;
    h[0] = (peak >= 0 && peak < n) ? fft.m_linear[static_cast<size_t>(peak)] : 0.0;
    for (int k = 2; k <= kHarmonics; ++k)
        h[k - 1] = fft.LinearHarmonicValue(k);
    double hs = 0.0;
    for (int k = 1; k < kHarmonics; ++k)
        hs = std::max(hs, h[k]);
    double ph = 0.0;
    for (double v : h)
        ph += v * v;
    double pt = 0.0;
    for (int m = 0; m < n; ++m)
        pt += fft.m_linear[static_cast<size_t>(m)] * fft.m_linear[static_cast<size_t>(m)];
    const double p1 = h[0] * h[0];
    const double nd = n;

    CString snrText = kNone;
    CString thdText = kNone;
    CString enobText = kNone;
    CString sfdrText = kNone;
    CString sinadText = kNone;
    CString totalText = kNone;
    if (n > 6) {
        bool haveSnr = false;
        double snr = 0.0;
        if (h[0] != 0.0 && hs != 0.0 && pt - ph != 0.0) {
            snr = 10.0 * std::log10(p1 / (nd * std::fabs(pt - ph) / (nd - 6.0)));
            haveSnr = true;
            snrText = Decibels("%.3fdB", snr);
        }
        if (p1 != 0.0 && (ph - p1) / p1 > 0.0)
            thdText = Decibels("%0.3fdB", 10.0 * std::log10((ph - p1) / p1));
        if (haveSnr && snr != 0.0)
            enobText.Format("%.3fbits", (snr - 1.76) * kEnobFactor);
        if (h[0] != 0.0 && hs != 0.0)
            sfdrText = Decibels("%.3fdB", 10.0 * std::log10(p1 / (hs * hs)));
        const double d = std::fabs(pt - ph) * (nd - 5.0) / (nd - 6.0) + ph - p1;
        if (h[0] != 0.0 && d != 0.0)
            sinadText = Decibels("%0.3fdB", 10.0 * std::log10(p1 / d));
        if (pt != 0.0)
            totalText = Decibels("%.3fdB", 10.0 * std::log10(pt));
    }
    SetDlgItemText(IDC_FFT_SNR, snrText.GetString());
    SetDlgItemText(IDC_FFT_THD, thdText.GetString());
    SetDlgItemText(IDC_FFT_ENOB, enobText.GetString());
    SetDlgItemText(IDC_FFT_SFDR, sfdrText.GetString());
    SetDlgItemText(IDC_FFT_SINAD, sinadText.GetString());
    SetDlgItemText(IDC_FFT_TOTAL_POWER, totalText.GetString());
}
