#pragma once
// The Pass/Fail panel: builds a tolerance mask around the current trace of CH1 or CH2, counts
// every following frame as pass or fail against it, and can stop acquisition (with or without
// a beep) on the first pass or the first fail. Modeless; the view's timer calls CountFrame
// once per tick while a test runs.
#include <cstdint>
#include <functional>

#include "framework/Controls.h"
#include "framework/Dialog.h"

class CKelvaneDoc;
class CPassFail;

// What the panel asks of the view and the side control panel.
class IPassFailHost {
public:
    virtual ~IPassFailHost() = default;
    // The view's start and stop of acquisition.
    virtual void RunStart() = 0;
    virtual void RunStop() = 0;
    // The side panel's channel controls of channel 0 (CH1) or 1 (CH2): checked and enabled.
    virtual void EnableChannelControls(int channel) = 0;
    // The side panel's format list.
    virtual void EnableFormatList(BOOL enable) = 0;
};

class CPassFailDlg : public CDialog {
public:
    explicit CPassFailDlg(CWnd* pParent = nullptr);

    // Null pointers are ignored. Without a host the run flags are set on the document alone.
    void SetDocument(CKelvaneDoc* pDoc);
    void SetHost(IPassFailHost* pHost);

    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* pDX) override;
    void TranslateTexts();
    // Source list, spins with their buddies and ranges, edit limits (after a translation).
    void InitToleranceSpins();
    void FillSourceList();
    // Output, stop-when-output and tolerances from the document, counts shown, Start enabled.
    void LoadFromDocument();

    void OnChangeVerticalTolerance();
    void OnChangeHorizontalTolerance();
    void OnSelchangeOutput();
    void OnCheckStopWhenOutput();
    void OnButtonCreate();
    void OnButtonStart();
    void OnButtonStop() { StopTest(); }
    void OnButtonSave();
    void OnButtonLoad();
    void OnOK() override { ShowWindow(SW_HIDE); }
    // Closing the panel ends the test and pass/fail mode and restarts acquisition.
    void OnCancel() override;

    // One frame of a running test (from the view's timer).
    void CountFrame();
    void StopTest();

    // The system beep; tests replace it.
    using BeepHook = std::function<void(UINT)>;
    static void SetBeepHook(BeepHook hook);

    CComboBox m_listSource;
    CComboBox m_listOutput;
    CButton m_chkStopWhenOutput;
    CEdit m_editVertical;
    CEdit m_editHorizontal;
    CSpinButtonCtrl m_spinVertical;
    CSpinButtonCtrl m_spinHorizontal;
    CButton m_btnCreate;
    CButton m_btnSave;
    CButton m_btnLoad;
    CButton m_btnStart;
    CButton m_btnStop;
    std::int16_t m_nHorizontalTolerance = 1;
    std::int16_t m_nVerticalTolerance = 1;
    std::int16_t m_nHorizontalMax = 200;
    std::int16_t m_nVerticalMax = 128;
    CKelvaneDoc* m_pDoc = nullptr;

private:
    // Reads a tolerance edit as typed and keeps it within 1..max (written back when changed).
    void ReadTolerance(UINT editId, CSpinButtonCtrl& spin, std::int16_t& value, std::int16_t max);
    void ShowCounts();
    // Output, stop flag and both tolerances (edits and arrows) from `pf`; the edits' change
    // handlers ignore these writes.
    void ShowSettings(const CPassFail& pf);
    void ShowZeroCounts();
    // Locks (testing) or unlocks (idle) the settings; Stop is the opposite of the others.
    void EnableTestControls(bool testing);
    void ShowError(const CString& text);

    IPassFailHost* m_pHost = nullptr;
    bool m_bWriting = false; // the dialog itself is changing an edit
};
