#pragma once
// The side control panel: the column of controls at the right edge of the main window. For
// each input channel an on button, volts/div, coupling and probe lists and a volts/div knob;
// for the horizontal system the time/div and format lists and the time-base knob; for the
// trigger the mode, sweep, source and slope lists and the pulse width. Every change goes at
// once to the document's setters; the view, the menu commands and several dialogs call back
// in to keep the panel in step (the Select... calls set a list without a change notification).
//
// A modeless child of the view's tab control, created once and never closed: Enter and
// Escape do nothing.
#include <cstdint>
#include <vector>

#include "display/Knob.h"
#include "engine/DocUi.h"
#include "framework/CString.h"
#include "framework/Controls.h"
#include "framework/Dialog.h"
#include "resources/Resource.h"

class CKelvaneDoc;
class CScopeScreen;

// Tool tips of the panel's controls: one text per control, shown while the pointer rests on it.
class CPanelToolTip {
public:
    BOOL Create(CWnd* pOwner);
    // While inactive no tip shows; the texts are kept.
    void Activate(BOOL bActivate);
    // Sets (or replaces) the tip of a control.
    void AddTool(CWnd* pTool, const char* text);
    // Mouse and key messages pass here first; the tips follow the pointer on their own.
    void RelayEvent(MSG* pMsg);
    // The tip of a control, empty when it has none.
    CString GetToolText(const CWnd* pTool) const;
    BOOL IsActive() const { return m_bActive; }

private:
    void Apply(CWnd* pTool, const CString& text) const;
    struct Tool {
        CWnd* wnd;
        CString text;
    };
    std::vector<Tool> m_tools;
    CWnd* m_pOwner = nullptr;
    BOOL m_bActive = FALSE;
};

class CSidebarDlg : public CDialog {
public:
    // Language keys of list items and captions.
    static constexpr int kKeyCh1CouplingFirst = 802000200;
    static constexpr int kKeyCh2CouplingFirst = 802010200;
    static constexpr int kKeyModeEdge = 8030000;
    static constexpr int kKeyModePulse = 8030001;
    static constexpr int kKeySweepFirst = 8030100;
    static constexpr int kKeyPulseConditionFirst = 8030400;
    static constexpr int kKeyWhenPulseWidth = 4024;
    static constexpr int kKeyTriggerSlope = 4025;

    explicit CSidebarDlg(CWnd* pParent = nullptr);
    ~CSidebarDlg() override;

    // --- Called by the view, the commands and the dialogs ----------------------------------
    // Stores the document (a null pointer is ignored) and hands it to the three knobs.
    void SetDocument(CKelvaneDoc* pDoc);
    CKelvaneDoc* GetDocument() const { return m_pDoc; }
    // The screen whose markers and readouts follow the panel's changes; without one the main
    // frame's active view gives it.
    void SetScreen(CScopeScreen* pScreen) { m_pScreen = pScreen; }
    // Every control from the document.
    void LoadFromDocument();
    // Channel 0 (CH1) or 1 (CH2): on button checked or not, its lists enabled or not, its knob
    // repainted. Other channels do nothing.
    void EnableChannelControls(int channel);
    void DisableChannelControls(int channel);
    // Rebuilds the slope list for the trigger mode: slopes in Edge mode, the six pulse
    // conditions in Pulse mode.
    void FillSlopeList();
    // Rebuild a volts/div list for the channel's probe and select its volts/div index.
    void FillChannel1VoltsPerDivList();
    void FillChannel2VoltsPerDivList();
    // The pulse-width caption of `count` 5 ns steps into the document (and returned).
    CString FormatPulseWidth(std::int64_t count);
    // Every list the panel fills itself, then the tool tips.
    void FillLists();
    void FillTimeDivList();
    void FillTriggerSourceList();
    void FillTriggerModeList();
    void FillSweepList();
    void FillCouplingLists();
    // Relabels the controls from the document's language, refills the lists and reloads.
    void ApplyLanguage();

    // --- Mirror calls: set a list selection without a change notification --------------------
    // `listId` is one of the panel's list ids (1043 .. 1108); unknown ids do nothing.
    void SelectEntry(UINT listId, int entry);
    void SelectCombo(SidePanelCombo combo, int entry);
    void SelectTimeDiv(int index) { SelectEntry(IDC_TIMEDIV, index); }
    void SelectFormat(int format) { SelectEntry(IDC_FORMAT, format); }
    void SelectSweep(int sweep) { SelectEntry(IDC_TRIGGER_SWEEP, sweep); }
    void SelectTriggerSource(int source) { SelectEntry(IDC_TRIGGER_SOURCE, source); }
    void SelectTriggerMode(int mode) { SelectEntry(IDC_TRIGGER_MODE, mode); }
    void SelectSlope(int slopeOrCondition) { SelectEntry(IDC_TRIGGER_SLOPE, slopeOrCondition); }
    void SelectCoupling(int channel, int coupling);
    void SelectVoltsPerDiv(int channel, int index);
    void SelectProbe(int channel, int probe);
    int GetTimeDivSelection() const { return m_cboTimeDiv.GetCurSel(); }
    void EnableFormatList(bool enable);
    // Both channels' controls to their on states.
    void UpdateChannelControls(bool ch1On, bool ch2On);
    // Repaints knob 0 (CH1), 1 (CH2) or 4 (time base).
    void RepaintKnob(std::int16_t knobId);
    // Shows the document's pulse-width caption on 1302.
    void ShowPulseWidth();

    // --- Message handlers -------------------------------------------------------------------
    void OnCheckChannel1On() { OnCheckChannelOn(0); }
    void OnCheckChannel2On() { OnCheckChannelOn(1); }
    void OnSelchangeChannel1VoltsPerDiv() { OnSelchangeVoltsPerDiv(0); }
    void OnSelchangeChannel2VoltsPerDiv() { OnSelchangeVoltsPerDiv(1); }
    void OnSelchangeChannel1Probe() { OnSelchangeProbe(0); }
    void OnSelchangeChannel2Probe() { OnSelchangeProbe(1); }
    void OnSelchangeChannel1Coupling() { OnSelchangeCoupling(0); }
    void OnSelchangeChannel2Coupling() { OnSelchangeCoupling(1); }
    void OnSelchangeTimeDiv();
    void OnSelchangeFormat();
    void OnSelchangeTriggerMode();
    void OnSelchangeTriggerSweep();
    void OnSelchangeTriggerSource();
    void OnSelchangeTriggerSlope();
    void OnButtonPulseWidth();

    int OnCreate(LPCREATESTRUCT lpCreateStruct) override;
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* pDX) override;
    // Keys go to the main frame's accelerators first, so the menu's keys work while a panel
    // control has the focus; a key the frame took is not processed again by the panel.
    BOOL PreTranslateMessage(MSG* pMsg) override;
    // The panel never closes.
    void OnOK() override {}
    void OnCancel() override {}

    // Members in the order of the panel's data model.
    CPanelToolTip m_toolTip;
    CComboBox m_cboSweep;
    CComboBox m_cboSlope;
    CComboBox m_cboSource;
    CComboBox m_cboTriggerMode;
    CComboBox m_cboFormat;
    CComboBox m_cboTimeDiv;
    CComboBox m_cboCh2Coupling;
    CComboBox m_cboCh1Coupling;
    CComboBox m_cboCh2VoltDiv;
    CComboBox m_cboCh2Probe;
    CComboBox m_cboCh1VoltDiv;
    CComboBox m_cboCh1Probe;
    CButton m_btnCh2On;
    CButton m_btnCh1On;
    CKnob m_knobCh1;
    CKnob m_knobCh2;
    CKnob m_knobTime;
    CKelvaneDoc* m_pDoc = nullptr;

private:
    void OnCheckChannelOn(int channel);
    void OnSelchangeVoltsPerDiv(int channel);
    void OnSelchangeProbe(int channel);
    void OnSelchangeCoupling(int channel);
    void FillVoltsPerDivList(int channel);
    void SetChannelControls(int channel, bool on);
    // The list a mirror call addresses, or nullptr.
    CComboBox* ComboOf(UINT listId);
    // The screen to update after a change, or nullptr.
    CScopeScreen* ActiveScreen() const;
    // A language text without the accelerator part of a menu text ("DC#..." gives "DC").
    CString ListText(int key) const;
    // Message box with the caption "Error".
    void ShowRangeError(const char* message);

    CScopeScreen* m_pScreen = nullptr;
};
