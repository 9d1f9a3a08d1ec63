#pragma once
// The side control panel as the view's menu commands see it: they mirror a choice by setting a
// list's selection (no change notification, so the panel never acts a second time), look labels
// up in its time/div list and switch its channel and format controls. The default forwards to
// the panel; tests install a recording one.
#include "system/wintypes.h"

class CKelvaneView;

class ISidePanelMirror {
public:
    // List control ids of the panel.
    static constexpr UINT kCh1Probe = 1043;
    static constexpr UINT kCh1VoltDiv = 1047;
    static constexpr UINT kCh1Coupling = 1048;
    static constexpr UINT kCh2Probe = 1050;
    static constexpr UINT kCh2VoltDiv = 1051;
    static constexpr UINT kCh2Coupling = 1052;
    static constexpr UINT kTimeDiv = 1058;
    static constexpr UINT kFormat = 1059;
    static constexpr UINT kTriggerSource = 1073;
    static constexpr UINT kTriggerSlope = 1076;
    static constexpr UINT kTriggerMode = 1107;
    static constexpr UINT kSweep = 1108;

    virtual ~ISidePanelMirror() = default;
    // Sets the selection of list `listId` to `entry`.
    virtual void SelectEntry(UINT listId, int entry) = 0;
    // Prefix search of the time/div list from its start; -1 when no label begins so.
    virtual int FindTimeDiv(const char* label) const = 0;
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

// The mirror of the real panel. Without a panel window the time/div lookups answer from the
// labels the panel would hold, and the other calls do nothing.
class CSidePanelMirror : public ISidePanelMirror {
public:
    explicit CSidePanelMirror(CKelvaneView& view) : m_view(view) {}
    void SelectEntry(UINT listId, int entry) override;
    int FindTimeDiv(const char* label) const override;
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
