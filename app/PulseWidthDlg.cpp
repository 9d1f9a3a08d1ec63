#include "app/PulseWidthDlg.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <iterator>

#include "app/DialogSupport.h"
#include "app/KelvaneView.h"
#include "engine/KelvaneDoc.h"
#include "framework/DataExchange.h"
#include "resources/Resource.h"
#include "resources/dialogs/AcquisitionDialogTemplates.h"

namespace {

const char* const kUnitText[] = {"nS", "uS", "mS", " S"};
constexpr double kUnitFactor[] = {0.2, 200.0, 200000.0, 200000000.0}; // counts per unit

// Shown value, unit and spin step by the width in nanoseconds.
struct PulseRange {
    std::int64_t below; // first width beyond this range
    double scale;       // shown value = width x scale
    int unit;
    std::int32_t step;
};

constexpr PulseRange kRanges[] = {
    {1000, 1.0, 0, 1},
    {10000, 0.001, 1, 2},
    {100000, 0.001, 1, 20},
    {1000000, 0.001, 1, 200},
    {10000000, 1e-6, 2, 2000},
    {100000000, 1e-6, 2, 20000},
    {1000000000, 1e-6, 2, 200000},
    {10000000000LL, 1e-9, 3, 2000000},
    {100000000000LL, 1e-9, 3, 20000000},
    {INT64_MAX, 1e-9, 3, 200000000},
};

const PulseRange& RangeOf(std::int64_t ns) {
    for (const PulseRange& r : kRanges)
        if (ns < r.below)
            return r;
    return kRanges[std::size(kRanges) - 1];
}

CKelvaneDoc* MainWindowDocument() {
    CKelvaneView* view = ActiveKelvaneView();
    return view ? view->GetDocument() : nullptr;
}

} // namespace

CPulseWidthDlg::CPulseWidthDlg(CWnd* pParent) : CDialog(IDD_PULSE_WIDTH, pParent) {
    kv::RegisterAcquisitionDialogTemplates();
    OnNotifyCode(UDN_DELTAPOS, IDC_PW_SPIN,
                 [this](NMHDR* hdr, LRESULT* result) { OnDeltaposPulseWidthSpin(hdr, result); });
    OnControl(CBN_SELCHANGE, IDC_PW_UNIT, [this] { OnSelchangeUnit(); });
    OnControl(BN_CLICKED, IDC_PW_OK, [this] { OnButtonOk(); });
}

void CPulseWidthDlg::SetDocument(CKelvaneDoc* pDoc) {
    if (pDoc)
        m_pDoc = pDoc;
}

void CPulseWidthDlg::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_PW_UNIT, m_listUnit);
    DDX_Control(pDX, IDC_PW_SPIN, m_spin);
    DDX_Control(pDX, IDC_PW_VALUE, m_editValue);
    DDX_CBIndex(pDX, IDC_PW_UNIT, m_nUnit);
    DDX_Text(pDX, IDC_PW_VALUE, m_dValue);
}

BOOL CPulseWidthDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    CKelvaneDoc* textDoc = MainWindowDocument();
    if (!textDoc)
        textDoc = m_pDoc;
    if (textDoc)
        TranslateDialogTexts(*textDoc, *this);
    m_editValue.SetLimitText(4);
    m_spin.SetBuddy(&m_editValue);
    if (m_pDoc)
        ShowPulseWidth(m_pDoc->m_trigger.GetPulseWidth());
    UpdateData(FALSE);
    return TRUE;
}

CString CPulseWidthDlg::FormatPulseWidth(std::int64_t count) {
    const std::int64_t v = count * 5;
    CString text;
    if (v < 10)
        return text;
    const double ns = static_cast<double>(v);
    if (v < 100)
        text.Format("%.1f", ns);
    else if (v < 1000)
        text.Format("%ld", static_cast<long>(v));
    else if (v < 10000)
        text.Format("%.2f", ns * 0.001);
    else if (v < 100000)
        text.Format("%.1f", ns * 0.001);
    else if (v < 1000000)
        text.Format("%ld", static_cast<long>(ns * 0.001));
    else if (v < 10000000)
        text.Format("%.2f", ns * 1e-6);
    else if (v < 100000000)
        text.Format("%.1f", ns * 1e-6);
    else if (v < 1000000000)
        text.Format("%ld", static_cast<long>(ns * 1e-6));
    else if (v < 10000000000LL)
        text.Format("%.2f", ns * 1e-9);
    else if (v < 100000000000LL)
        text.Format("%.1f", ns * 1e-9);
    else
        text.Format("%ld", static_cast<long>(ns * 1e-9));
    return text + kUnitText[RangeOf(v).unit];
}

void CPulseWidthDlg::ShowPulseWidth(std::int32_t count) {
    const std::int64_t v = static_cast<std::int64_t>(count) * 5;
    const PulseRange& r = RangeOf(v);
    m_dValue = static_cast<double>(v) * r.scale;
    m_nUnit = r.unit;
    m_nStep = r.step;
    if (m_pDoc)
        m_pDoc->m_strPulseWidth = FormatPulseWidth(count);
}

void CPulseWidthDlg::StepPulseWidth(int delta) {
    if (!m_pDoc || (delta != -1 && delta != 1))
        return;
    std::int64_t count = m_pDoc->m_trigger.GetPulseWidth();
    if (delta == -1) {
        count += m_nStep;
        if (count > kMaxCount)
            count = kMinCount;
    } else {
        if (count == kMaxCount)
            m_nStep = 2000000;
        count -= m_nStep;
        if (count < kMinCount)
            count = kMaxCount;
    }
    m_pDoc->m_trigger.SetPulseWidth(static_cast<std::int32_t>(count));
    ShowPulseWidth(m_pDoc->m_trigger.GetPulseWidth());
    if (GetWidget())
        UpdateData(FALSE);
}

void CPulseWidthDlg::OnDeltaposPulseWidthSpin(NMHDR* pNMHDR, LRESULT* pResult) {
    const auto* updown = reinterpret_cast<const NMUPDOWN*>(pNMHDR);
    if (updown)
        StepPulseWidth(updown->iDelta);
    if (pResult)
        *pResult = 0;
}

void CPulseWidthDlg::OnSelchangeUnit() {
    m_nUnit = m_listUnit.GetCurSel();
}

std::int32_t CPulseWidthDlg::CountFromValue(double value, int unit) {
    const double factor = kUnitFactor[std::clamp(unit, 0, 3)];
    // In double: four digits in seconds give about 2e12 counts, far beyond int32.
    double count = value * factor;
    // A decimal entry such as 1.15 uS is 229.99999999999997 counts in binary; the nudge keeps
    // it from truncating one count low.
    count += std::fabs(count) * 1e-12;
    count = std::trunc(count);
    if (std::isnan(count) || count < kMinCount)
        return kMaxCount;
    if (count > kMaxCount)
        return kMinCount;
    return static_cast<std::int32_t>(count);
}

void CPulseWidthDlg::OnButtonOk() {
    if (!UpdateData(TRUE))
        return;
    const std::int32_t count = CountFromValue(m_dValue, m_nUnit);
    if (m_pDoc) {
        m_pDoc->m_trigger.SetPulseWidth(count);
        ShowPulseWidth(m_pDoc->m_trigger.GetPulseWidth());
    } else {
        ShowPulseWidth(count);
    }
    UpdateData(FALSE);
    EndDialog(IDOK);
}
