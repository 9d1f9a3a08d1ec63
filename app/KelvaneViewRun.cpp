// Run control (start and stop of acquisition), the Acquire, Cursor and Utility commands that
// decide something, the modeless panels, and the full-screen context menu with its Window Mode
// and Information commands.
#include "app/KelvaneView.h"

#include "app/CalibrationDlg.h"
#include "app/EtsCalibrationDlg.h"
#include "app/MenuEx.h"
#include "app/RecordDlg.h"
#include "app/SidePanelMirror.h"
#include "app/ViewPanels.h"
#include "app/ZeroCalibrationDlg.h"
#include "engine/KelvaneDoc.h"
#include "engine/ModelCapabilities.h"
#include "engine/SettingsCodes.h"
#include "framework/Menu.h"
#include "resources/Resource.h"
#include "resources/language/TextKeys.h"

#include <algorithm>

namespace {

constexpr int kTextNotAvailable = 4002;
constexpr int kTextWindowMode = 4012;
constexpr int kTextChangeTimeDiv = 4015;
constexpr int kTextChangeCh1VoltDiv = 4016;
constexpr int kTextChangeCh2VoltDiv = 4017;

void ClearRawRecord(CTrace& trace) {
    std::int16_t* raw = trace.GetRawRecord();
    if (!raw)
        return;
    // A record length above the allocation would clear past the buffer.
    const std::int32_t n = std::min(trace.GetRecordLength(), trace.GetRecordCapacity());
    std::fill(raw, raw + std::max<std::int32_t>(n, 0), static_cast<std::int16_t>(0));
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Panels

void CPassFailHostAdapter::RunStart() {
    m_view.RunStart();
}
void CPassFailHostAdapter::RunStop() {
    m_view.RunStop();
}
void CPassFailHostAdapter::EnableChannelControls(int channel) {
    m_view.SidePanelMirror().EnableChannelControls(channel);
}
void CPassFailHostAdapter::EnableFormatList(BOOL enable) {
    m_view.SidePanelMirror().EnableFormatList(enable != FALSE);
}

void CKelvaneView::PanelsDeleter::operator()(CViewPanels* panels) const {
    delete panels;
}

CViewPanels& CKelvaneView::Panels() {
    if (!m_pPanels)
        m_pPanels.reset(new CViewPanels);
    return *m_pPanels;
}

namespace {

// Creates a modeless panel once, hidden, editing the view's document.
template <typename Dlg> Dlg* EnsurePanel(std::unique_ptr<Dlg>& slot, CKelvaneView* view, UINT templateId) {
    if (!slot) {
        auto dlg = std::make_unique<Dlg>(view);
        if (view->m_pDoc)
            dlg->SetDocument(view->m_pDoc);
        if (!dlg->Create(templateId, view))
            return nullptr;
        slot = std::move(dlg);
    }
    return slot.get();
}

} // namespace

void CKelvaneView::ShowPanel(Panel panel, int nCmdShow) {
    CViewPanels& p = Panels();
    CDialog* dlg = nullptr;
    switch (panel) {
    case Panel::Intensity:
        dlg = EnsurePanel(p.m_pIntensity, this, IDD_INTENSITY);
        break;
    case Panel::Average:
        dlg = EnsurePanel(p.m_pAverage, this, IDD_AVERAGE);
        break;
    case Panel::PassFail:
        if (!p.m_pPassFailHost)
            p.m_pPassFailHost = std::make_unique<CPassFailHostAdapter>(*this);
        if (!p.m_pPassFail) {
            auto made = std::make_unique<CPassFailDlg>(this);
            made->SetDocument(m_pDoc);
            made->SetHost(p.m_pPassFailHost.get());
            if (made->Create(IDD_PASSFAIL, this))
                p.m_pPassFail = std::move(made);
        }
        dlg = p.m_pPassFail.get();
        break;
    case Panel::Fft:
        if (!p.m_pFft) {
            auto made = std::make_unique<CFftDlg>(this);
            made->SetDocument(m_pDoc);
            made->SetScreen(&Screen());
            if (made->Create(IDD_FFT, this))
                p.m_pFft = std::move(made);
        }
        dlg = p.m_pFft.get();
        break;
    case Panel::WaveformColor:
        if (CWaveformColorDlg* color = EnsurePanel(p.m_pWaveformColor, this, IDD_WAVEFORM_COLOR)) {
            color->LoadFromDocument();
            dlg = color;
        }
        break;
    case Panel::DemoSetting:
        dlg = EnsurePanel(p.m_pDemoSetting, this, IDD_DEMO_SETTING);
        break;
    case Panel::CalibrateData:
        if (CCalibrateDataDlg* data = EnsurePanel(p.m_pCalibrateData, this, IDD_CALIBRATE_DATA)) {
            data->LoadFromDocument();
            dlg = data;
        }
        break;
    }
    if (!dlg)
        return;
    dlg->CenterWindow(&ScreenPanel());
    dlg->ShowWindow(nCmdShow);
}

void CKelvaneView::ReloadPanelsFromDocument() {
    if (!m_pPanels)
        return;
    CViewPanels& p = *m_pPanels;
    if (p.m_pIntensity)
        p.m_pIntensity->LoadFromDocument();
    if (p.m_pAverage)
        p.m_pAverage->LoadFromDocument();
    if (p.m_pPassFail)
        p.m_pPassFail->LoadFromDocument();
    if (p.m_pFft)
        p.m_pFft->LoadFromDocument();
}

void CKelvaneView::PumpPassFail() {
    if (!m_pDoc || !m_pPanels || !m_pPanels->m_pPassFail)
        return;
    if (m_pDoc->m_passFail.m_nState2 && m_pDoc->m_settings.GetTimeBaseFormat() == kFormatYT)
        m_pPanels->m_pPassFail->CountFrame();
}

void CKelvaneView::PumpFft() {
    if (!m_pDoc || !m_pDoc->m_fft.m_bFftOn)
        return;
    m_pDoc->ComputeFft();
    if (!m_pPanels || !m_pPanels->m_pFft)
        return;
    m_pPanels->m_pFft->UpdateHarmonics();
    m_pPanels->m_pFft->UpdateMeasurements();
}

void CKelvaneView::ShowNotAvailable() {
    const CString text = m_pDoc ? m_pDoc->GetText(kTextNotAvailable) : CString("Function not available!");
    MessageBox(text.GetString(), "Error", MB_OK);
}

// ---------------------------------------------------------------------------------------------
// Run control

void CKelvaneView::RunStart() {
    if (!m_pDoc)
        return;
    CKelvaneDoc& doc = *m_pDoc;
    doc.SetRunState(true, CKelvaneDoc::kRunStatusRun);
    doc.m_bZoomIn = 0;
    doc.m_bZoomOut = 0;
    doc.m_bDrag = 0;
    SidePanelMirror().EnableFormatList(true);
    const std::int16_t position = doc.m_settings.GetHorizontalPosition();
    if (position < 0 || position > 500) {
        doc.SetHorizontalPosition(position < 0 ? 0 : 500);
        Screen().UpdateMarkerPositions();
    }
    Screen().SetTrigPosState(3);
    if (doc.m_trigger.GetSweep() == kSweepSingle) {
        ClearRawRecord(doc.m_ch1);
        ClearRawRecord(doc.m_ch2);
    }
    if (doc.m_average.GetAcquireMode() == CAverageBuffer::kModeAverage)
        doc.m_average.SetFramesHeld(0);
    ClampTimeBaseForRecordLength();
}

void CKelvaneView::RunStop() {
    if (!m_pDoc)
        return;
    CKelvaneDoc& doc = *m_pDoc;
    doc.SetRunState(false, CKelvaneDoc::kRunStatusStop);
    SidePanelMirror().EnableFormatList(false);
    doc.m_settings.CacheTimeBase();
    const std::int16_t format = doc.m_settings.GetTimeBaseFormat();
    doc.m_ch1.SaveAcquisitionState(format);
    doc.m_ch2.SaveAcquisitionState(format);
    Screen().ResetDragAnchor();
}

void CKelvaneView::OnAcquireStart() {
    CKelvaneDoc& doc = *m_pDoc;
    if (doc.m_bRunning)
        return;
    if (doc.m_settings.GetTimeBaseIndex() > 6 && doc.m_settings.GetSamplingMode() == kSamplingEts)
        doc.SetRealTimeSampling();
    RunStart();
}

void CKelvaneView::OnAcquireStop() {
    if (m_pDoc->m_bRunning)
        RunStop();
}

void CKelvaneView::OnAutoSetup() {
    if (!m_pDoc->m_bRunning)
        RunStart();
    m_pDoc->StartAutoSetup();
}

void CKelvaneView::FactorySetup() {
    if (!m_pDoc)
        return;
    m_pDoc->SetDefaultSettings();
    m_pDoc->ApplySettingsToDevice();
    Screen().ResetDisplaySettings();
    Screen().UpdateTriggerLevelVolts();
    SidePanelMirror().LoadFromDocument();
    ReloadPanelsFromDocument();
    RecalcLayout();
}

// ---------------------------------------------------------------------------------------------
// Acquire and Cursor commands

void CKelvaneView::OnMouseMode(MouseMode mode) {
    CKelvaneDoc& doc = *m_pDoc;
    Screen().SetCursorMode(0);
    std::int32_t& flag = mode == MouseMode::ZoomOut  ? doc.m_bZoomOut
                         : mode == MouseMode::ZoomIn ? doc.m_bZoomIn
                                                     : doc.m_bDrag;
    flag = flag ? 0 : 1;
    if (flag) {
        doc.m_bZoomOut = mode == MouseMode::ZoomOut ? 1 : 0;
        doc.m_bZoomIn = mode == MouseMode::ZoomIn ? 1 : 0;
        doc.m_bDrag = mode == MouseMode::Drag ? 1 : 0;
    }
}

void CKelvaneView::OnSamplingRealTime() {
    if (m_pDoc->m_settings.GetSamplingMode() != kSamplingRealTime)
        m_pDoc->SetRealTimeSampling();
}

void CKelvaneView::OnSamplingEts() {
    if (m_pDoc->m_settings.GetSamplingMode() != kSamplingEts)
        m_pDoc->SetEtsSampling();
}

void CKelvaneView::OnAcquireMode(std::int16_t mode) {
    CAverageBuffer& average = m_pDoc->m_average;
    if (mode == CAverageBuffer::kModeAverage) {
        if (average.GetAcquireMode() != CAverageBuffer::kModeAverage) {
            average.SetAcquireMode(CAverageBuffer::kModeAverage);
            average.SetFramesHeld(0);
        }
        ShowPanel(Panel::Average);
        return;
    }
    if (average.GetAcquireMode() != mode)
        average.SetAcquireMode(mode);
}

void CKelvaneView::OnCursorMode(std::int16_t mode) {
    CScopeScreen& screen = Screen();
    const std::int16_t current = screen.GetCursorMode();
    if (current == mode)
        return;
    if (mode == 0) {
        screen.SetCursorMode(0);
        return;
    }
    // Only the trace marker works on the spectrum.
    if (mode != 2 && screen.GetCursorSource() == CScopeScreen::kCursorSourceFft)
        return;
    screen.SetCursorMode(mode);
    m_pDoc->m_bZoomIn = 0;
    m_pDoc->m_bZoomOut = 0;
    m_pDoc->m_bDrag = 0;
}

void CKelvaneView::OnCursorSourceFft() {
    CScopeScreen& screen = Screen();
    if (screen.GetCursorSource() == CScopeScreen::kCursorSourceFft)
        return;
    screen.SetCursorSource(CScopeScreen::kCursorSourceFft);
    if (screen.GetCursorMode() != 0 && screen.GetCursorMode() != 2)
        screen.SetCursorMode(0);
}

// ---------------------------------------------------------------------------------------------
// Utility commands

void CKelvaneView::OnUtilityFft() {
    if (m_pDoc->m_settings.GetRecordLengthMode() != kRecordLength10K) {
        ShowNotAvailable();
        return;
    }
    ShowPanel(Panel::Fft);
}

void CKelvaneView::OnUtilityRecord() {
    if (m_pDoc->m_settings.GetTimeBaseFormat() != kFormatYT) {
        ShowNotAvailable();
        return;
    }
    CRecordDlg dlg(this);
    dlg.SetDocument(m_pDoc);
    dlg.SetView(this);
    dlg.DoModal();
}

void CKelvaneView::OnUtilityPassFail() {
    if (m_pDoc->m_settings.GetTimeBaseFormat() != kFormatYT) {
        ShowNotAvailable();
        return;
    }
    ShowPanel(Panel::PassFail);
    m_pDoc->m_passFail.m_nState1 = 1;
    SidePanelMirror().EnableFormatList(false);
}

void CKelvaneView::OnUtilityCalibration() {
    std::int16_t choice = 0;
    CCalibrationDlg dlg(&choice, this);
    dlg.SetDocument(m_pDoc);
    if (dlg.DoModal() != IDOK)
        return;
    if (choice == 0) {
        CZeroCalibrationDlg zero(this);
        zero.m_pDoc = m_pDoc;
        zero.DoModal();
    } else {
        CEtsCalibrationDlg ets(this);
        ets.SetDocument(m_pDoc);
        ets.DoModal();
    }
}

void CKelvaneView::OnReferenceOnOff() {
    CKelvaneDoc& doc = *m_pDoc;
    if (doc.m_settings.GetTimeBaseFormat() == kFormatXY) {
        ShowNotAvailable();
        return;
    }
    if (doc.m_ref.IsOn()) {
        doc.m_ref.SetOn(0);
        return;
    }
    if (doc.m_ref.HasNoSamples())
        OnReferenceLoad();
    doc.m_ref.SetOn(1);
}

// ---------------------------------------------------------------------------------------------
// Context menu

void CKelvaneView::OnContextMenu(CWnd*, CPoint point) {
    if (!m_pDoc)
        return;
    if (point.x == -1 && point.y == -1) {
        POINT corner{0, 0};
        ClientToScreen(&corner);
        point = CPoint(corner.x + 5, corner.y + 5);
    }
    if (!IsFrameFullScreen()) {
        // Setting the mode it already has hides the cursor pair.
        Screen().SetCursorMode(Screen().GetCursorMode());
        Screen().ZoomToolRightClick();
        return;
    }
    CMenuEx menu;
    if (!menu.LoadMenu(IDR_CONTEXT_MENU))
        return;
    CMenuEx* popup = menu.GetSubMenuEx(0);
    if (!popup) {
        menu.DestroyMenuEx();
        return;
    }
    PrepareContextMenu(*popup);
    m_pContextMenu = &menu;
    TrackContextPopup(popup, point);
    m_pContextMenu = nullptr;
    menu.DestroyMenuEx();
}

void CKelvaneView::PrepareContextMenu(CMenuEx& popup) {
    const CKelvaneDoc& doc = *m_pDoc;
    popup.SetItemText(0, doc.GetText(kTextWindowMode).GetString());
    popup.SetItemText(
        1, doc.GetText(Screen().IsLabelsOn() ? kv::kTextInformationOff : kv::kTextInformationOn).GetString());
    popup.SetItemText(2, doc.GetText(kTextChangeTimeDiv).GetString());
    popup.SetItemText(3, doc.GetText(kTextChangeCh1VoltDiv).GetString());
    popup.SetItemText(4, doc.GetText(kTextChangeCh2VoltDiv).GetString());
    // The time/div and volts/div steps the model lacks.
    for (unsigned id : MenuCommandsNotOffered(doc.m_nModel))
        popup.DeleteCommand(id);
}

void CKelvaneView::TrackContextPopup(CMenu* popup, CPoint point) {
    if (!popup)
        return;
    if (m_contextPopupHook)
        m_contextPopupHook(popup, point);
    else
        popup->TrackPopupMenu(TPM_LEFTALIGN, point.x, point.y, this);
}

void CKelvaneView::OnInitMenuPopup(CMenu* pPopupMenu, UINT nIndex, BOOL bSysMenu) {
    CFormView::OnInitMenuPopup(pPopupMenu, nIndex, bSysMenu);
    if (m_pContextMenu)
        m_pContextMenu->OnInitMenuPopup(pPopupMenu, nIndex, bSysMenu);
    UpdateMenuChecks(pPopupMenu);
}

void CKelvaneView::OnMeasureItem(int nIDCtl, MEASUREITEMSTRUCT* lpMeasureItemStruct) {
    CFormView::OnMeasureItem(nIDCtl, lpMeasureItemStruct);
    if (m_pContextMenu)
        m_pContextMenu->OnMeasureItem(lpMeasureItemStruct);
}

void CKelvaneView::OnWindowMode() {
    if (!IsFrameFullScreen())
        return;
    const std::int32_t border = Screen().IsBorderOn();
    OnFullScreenToggle();
    Screen().SetBorderOn(border);
}

void CKelvaneView::OnInformationOnOff() {
    Screen().SetLabelsOn(Screen().IsLabelsOn() ? 0 : 1);
    ScreenPanel().Invalidate(FALSE);
}
