#include "Knob.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <set>
#include <strings.h>

#include "engine/DeviceStateBlock.h"
#include "engine/KelvaneDoc.h"
#include "engine/ModelCapabilities.h"
#include "engine/SettingsCodes.h"
#include "engine/TimeBaseLimits.h"
#include "framework/PaintDC.h"
#include "resources/ScaleLabels.h"

namespace {

constexpr double kPi = 3.14159265358979323846;

constexpr int kTimeDivLabelCount = static_cast<int>(kv::kTimeDivLabels.size());

// Live knob windows, so a colour change can repaint the knob of its channel.
std::set<CKnob*>& LiveKnobs() {
    static std::set<CKnob*> knobs;
    return knobs;
}

} // namespace

CKnob::CKnob() {
    LiveKnobs().insert(this);
}

CKnob::~CKnob() {
    LiveKnobs().erase(this);
}

void CKnob::SetDocument(CKelvaneDoc* pDoc) {
    if (pDoc)
        m_pDoc = pDoc;
}

void CKnob::RepaintKnobs(std::int16_t id) {
    for (CKnob* knob : LiveKnobs())
        if (knob->m_nKnobId == id)
            knob->Invalidate(FALSE);
}

// --- Time/div labels -------------------------------------------------------------------------------

CString CKnob::TimeDivLabel(int index, int model) {
    const int entry = index + CScopeSettings::IndexOffsetOfModel(model);
    if (index < 0 || entry >= kTimeDivLabelCount)
        return CString();
    return kv::kTimeDivLabels[static_cast<std::size_t>(entry)];
}

int CKnob::TimeDivLabelPosition(const char* label, int model) {
    if (!label)
        return -1;
    const std::size_t length = std::strlen(label);
    const int first = CScopeSettings::IndexOffsetOfModel(model);
    for (int entry = first; entry < kTimeDivLabelCount; ++entry)
        if (strncasecmp(kv::kTimeDivLabels[static_cast<std::size_t>(entry)], label, length) == 0)
            return entry - first;
    return -1;
}

// --- Window ------------------------------------------------------------------------------------

void CKnob::Paint(CDC* pTarget, const CRect& client) {
    if (!CanPaint(pTarget, client))
        return;
    // A knob resized since the last paint gets a new pair at its new size.
    if (m_rcClient.Width() != client.Width() || m_rcClient.Height() != client.Height())
        m_buffer.Release();
    m_rcClient = client;
    PaintPicture(pTarget, client, [this](CDC* pDC, const CRect& rc) {
        FillBackground(pDC, rc);
        DrawKnob(pDC, m_nKnobId);
    });
}

CPictureKey CKnob::GetPictureKey() const {
    CPictureKey key;
    key.Add(GetKnobColor(m_nKnobId)).Add(GetPointerStep(m_nKnobId));
    return key;
}

void CKnob::FillBackground(CDC* pDC, const CRect& client) {
    if (pDC)
        pDC->FillSolidRect(&client, kButtonFace);
}

void CKnob::OnLButtonDown(UINT nFlags, CPoint point) {
    OnKnobTurned(point.x, point.y);
    CStatic::OnLButtonDown(nFlags, point);
}

void CKnob::OnMouseMove(UINT nFlags, CPoint point) {
    // Only a drag with the left button alone turns the knob (Shift or another button: no).
    if (nFlags == MK_LBUTTON)
        OnKnobTurned(point.x, point.y);
    CStatic::OnMouseMove(nFlags, point);
}

void CKnob::OnLButtonUp(UINT nFlags, CPoint point) {
    CStatic::OnLButtonUp(nFlags, point);
}

// --- Picture -------------------------------------------------------------------------------------

int CKnob::GetStepCount() const {
    // The highest volts/div step; the time knob's last step lies 29 further, and a model without
    // the 10 V step also lacks the 2 ns one.
    const std::int16_t model = m_pDoc ? m_pDoc->m_nModel : CKelvaneDoc::kDefaultModel;
    return CapabilitiesOfModel(model).has10V ? 9 : 8;
}

COLORREF CKnob::GetKnobColor(std::int16_t id) const {
    if (!m_pDoc)
        return kOffColor;
    switch (id) {
    case kKnobCh1:
        return m_pDoc->m_ch1.IsOn() ? m_pDoc->m_ch1.GetColor() : kOffColor;
    case kKnobCh2:
        return m_pDoc->m_ch2.IsOn() ? m_pDoc->m_ch2.GetColor() : kOffColor;
    case kKnobMath:
        return m_pDoc->m_math.IsOn() ? kMathColor : kOffColor;
    case kKnobTime:
        return kTimeColor;
    default:
        return kOffColor;
    }
}

int CKnob::GetPointerStep(std::int16_t id) const {
    if (!m_pDoc)
        return 0;
    const int n = GetStepCount();
    int c = 0;
    switch (id) {
    case kKnobCh1:
        c = (n - m_pDoc->m_ch1.GetVoltsPerDivIndex()) * 87 / n;
        break;
    case kKnobCh2:
        c = (n - m_pDoc->m_ch2.GetVoltsPerDivIndex()) * 87 / n;
        break;
    case kKnobMath:
        c = (n - m_pDoc->m_math.GetVoltsPerDivIndex()) * 87 / n;
        break;
    case kKnobTime:
        c = (n + 29 - m_pDoc->m_settings.GetTimeBaseIndex()) * 87 / (n + 29);
        break;
    default:
        break;
    }
    return std::clamp(c, 0, 87);
}

CPoint CKnob::PointerEnd(int c) {
    const double a = (-0.75 * c - 12.5) * 2.0 * kPi / 87.0;
    return CPoint(43 - static_cast<int>(std::sin(a) * -24.0), 42 - static_cast<int>(std::cos(a) * -24.0));
}

void CKnob::DrawKnob(CDC* pDC, std::int16_t id) {
    if (!pDC || !pDC->GetSafeHdc())
        return;
    // Outer ring and shading with the context's current pen and brush.
    pDC->Arc(6, 6, 81, 79, 87, 85, 0, 85);
    pDC->Pie(-1, -1, 88, 86, 0, 85, 1, 85);
    pDC->Pie(-1, -1, 88, 86, 87, 86, 87, 85);
    {
        CBrush light(RGB(210, 210, 210));
        CBrush* pOld = pDC->SelectObject(&light);
        pDC->Chord(9, 9, 78, 76, 87, 0, 0, 85);
        CBrush dark(RGB(180, 180, 180));
        pDC->SelectObject(&dark);
        pDC->Chord(9, 9, 78, 76, 0, 85, 87, 0);
        if (pOld)
            pDC->SelectObject(pOld);
    }

    const COLORREF color = GetKnobColor(id);
    const int c = GetPointerStep(id);

    CBrush capBrush(color);
    CBrush* pOldBrush = pDC->SelectObject(&capBrush);
    pDC->Chord(15, 15, 72, 70, 0, 0, 0, 0);

    CPen pointerPen(PS_SOLID, 2, RGB(255, 255, 255));
    CPen* pOldPen = pDC->SelectObject(&pointerPen);
    const CPoint end = PointerEnd(c);
    pDC->MoveTo(43, 42);
    pDC->LineTo(end.x, end.y);

    // The hub's outline is the plain 1-px black pen.
    CPen hubPen(PS_SOLID, 1, RGB(0, 0, 0));
    pDC->SelectObject(&hubPen);
    pDC->Chord(37, 37, 50, 48, 0, 0, 0, 0);

    if (pOldPen)
        pDC->SelectObject(pOldPen);
    if (pOldBrush)
        pDC->SelectObject(pOldBrush);
}

// --- Turning -------------------------------------------------------------------------------------

double CKnob::ValueFromPoint(int x, int y) {
    const double v = (std::atan2(x - 43.5, -(y - 42.5)) * 100.0 / (2.0 * kPi) + 50.0 - 12.5) * 4.0 / 3.0;
    return std::clamp(v, 0.0, 100.0);
}

void CKnob::OnKnobTurned(int x, int y) {
    const int value = static_cast<int>(ValueFromPoint(x, y));
    if (m_pDoc) {
        switch (m_nKnobId) {
        case kKnobCh1:
            TurnVoltsPerDiv(0, value);
            break;
        case kKnobCh2:
            TurnVoltsPerDiv(1, value);
            break;
        case kKnobTime:
            TurnTimeBase(value);
            break;
        default:
            break;
        }
    }
    // A drag within one step, or a turn that was refused, leaves the picture as it is.
    RepaintIfChanged();
}

void CKnob::TurnVoltsPerDiv(int channel, int value) {
    CTrace& trace = channel == 0 ? m_pDoc->m_ch1 : m_pDoc->m_ch2;
    if (!trace.IsOn())
        return;
    const int n = GetStepCount();
    const auto index = static_cast<std::int16_t>(n - n * value / 100);
    if (index == trace.GetVoltsPerDivIndex())
        return;
    if (channel == 0)
        m_pDoc->SetCh1VoltDiv(index);
    else
        m_pDoc->SetCh2VoltDiv(index);
    IDocUi& ui = m_pDoc->Ui();
    ui.SelectSidePanelCombo(channel == 0 ? SidePanelCombo::Ch1VoltDiv : SidePanelCombo::Ch2VoltDiv, index);
    ui.RecomputeTriggerLevelReadout();
}

void CKnob::SelectTimeDiv(std::int16_t index) {
    m_pDoc->Ui().SelectSidePanelCombo(SidePanelCombo::TimeDiv, index);
}

void CKnob::SetFormat(std::int16_t format) {
    m_pDoc->Ui().SelectSidePanelCombo(SidePanelCombo::Format, format);
    m_pDoc->SetHorizontalFormat(format);
}

void CKnob::TurnTimeBase(int value) {
    const int steps = GetStepCount() + 29;
    const auto index = static_cast<std::int16_t>(steps - steps * value / 100);
    if (index == m_pDoc->m_settings.GetTimeBaseIndex())
        return;
    const int model = m_pDoc->m_nModel;
    const std::int16_t mode = m_pDoc->m_settings.GetRecordLengthMode();

    if (mode >= kRecordLength14K && mode <= CScopeSettings::kMaxRecordLengthMode) {
        const std::int16_t channelMode = m_pDoc->m_usb.GetStateWord(kv::kStateChannelMode);
        const std::int16_t source = m_pDoc->m_trigger.GetSource();
        // Indexes are positions in the model's time/div list.
        const std::optional<TimeBaseLimits> limits =
            RecordLengthTimeBaseLimits(mode, channelMode, source, CScopeSettings::IndexOffsetOfModel(model));
        if (m_pDoc->m_bRunning && limits && (index < limits->lower || index > limits->upper)) {
            MessageBox(
                kv::RecordLengthRangeMessage(mode, IsBothChannelsOnChannelTrigger(channelMode, source)),
                "Error", MB_OK);
            return;
        }
        m_pDoc->SetTimeBaseIndex(index);
        SelectTimeDiv(index);
        return;
    }
    if (mode != kRecordLength10K)
        return;

    const std::int16_t offset = CScopeSettings::IndexOffsetOfModel(model);
    const int oneSecond = RollThresholdIndex(offset);
    if (m_pDoc->m_passFail.m_nState1 && index >= oneSecond) {
        const int slowest = SlowestYtIndex(offset);
        // Storing the index in the settings alone would leave the instrument and the state
        // block on the old time base while labels and measurements use 400 ms/div.
        m_pDoc->SetTimeBaseIndex(static_cast<std::int16_t>(slowest));
        SelectTimeDiv(static_cast<std::int16_t>(slowest));
        return;
    }
    m_pDoc->SetTimeBaseIndex(index);
    SelectTimeDiv(index);
    if (!m_pDoc->m_bRunning)
        return;
    if (m_pDoc->m_settings.GetTimeBaseIndex() >= oneSecond)
        SetFormat(kFormatRoll);
    else if (m_pDoc->m_settings.GetTimeBaseFormat() == kFormatRoll)
        SetFormat(kFormatYT);
}
