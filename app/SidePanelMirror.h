#pragma once
// The side control panel as the view's menu commands see it: they mirror a choice by setting a
// list's selection (no change notification, so the panel never acts a second time), read the
// time/div list's selection and switch its channel and format controls. The default forwards to
// the panel; tests install a recording one.
#include "resources/Resource.h"
#include "system/wintypes.h"

class CKelvaneView;

class ISidePanelMirror {
public:
    // The panel's lists, by their control ids.
    static constexpr UINT kCh1Probe = IDC_CH1_PROBE;
    static constexpr UINT kCh1VoltDiv = IDC_CH1_VOLTDIV;
    static constexpr UINT kCh1Coupling = IDC_CH1_COUPLING;
    static constexpr UINT kCh2Probe = IDC_CH2_PROBE;
    static constexpr UINT kCh2VoltDiv = IDC_CH2_VOLTDIV;
    static constexpr UINT kCh2Coupling = IDC_CH2_COUPLING;
    static constexpr UINT kTimeDiv = IDC_TIMEDIV;
    static constexpr UINT kFormat = IDC_FORMAT;
    static constexpr UINT kTriggerSource = IDC_TRIGGER_SOURCE;
    static constexpr UINT kTriggerSlope = IDC_TRIGGER_SLOPE;
    static constexpr UINT kTriggerMode = IDC_TRIGGER_MODE;
    static constexpr UINT kSweep = IDC_TRIGGER_SWEEP;

    virtual ~ISidePanelMirror() = default;
    // Sets the selection of list `listId` to `entry`.
    virtual void SelectEntry(UINT listId, int entry) = 0;
    // Current selection of the time/div list.
    virtual int GetTimeDivSelection() const = 0;
    virtual void EnableChannelControls(int channel) = 0;
    virtual void DisableChannelControls(int channel) = 0;
    // Refills channel 0/1's volts/div list with labels scaled by its probe.
    virtual void FillVoltsPerDivList(int channel) = 0;
    // Refills the slope list (slopes in Edge mode, the six pulse conditions in Pulse mode).
    virtual void FillSlopeList() = 0;
    virtual void EnableFormatList(bool enable) = 0;
    virtual void LoadFromDocument() = 0;
};

// The mirror of the real panel. Without a panel window the time/div selection is the
// document's time-base index, and the other calls do nothing.
class CSidePanelMirror : public ISidePanelMirror {
public:
    explicit CSidePanelMirror(CKelvaneView& view) : m_view(view) {}
    void SelectEntry(UINT listId, int entry) override;
    int GetTimeDivSelection() const override;
    void EnableChannelControls(int channel) override;
    void DisableChannelControls(int channel) override;
    void FillVoltsPerDivList(int channel) override;
    void FillSlopeList() override;
    void EnableFormatList(bool enable) override;
    void LoadFromDocument() override;

private:
    CKelvaneView& m_view;
};
