#pragma once
// Record And Play Back (dialog 203): records successive 500-point frames of one input channel
// into the document's record store on the dialog's own timer, plays them back onto the screen,
// and saves and loads them as ".rec" files. Recording runs the view's acquisition timer;
// play-back stops it, and closing the dialog always starts it again.
#include <cstdint>

#include "framework/Controls.h"
#include "framework/Dialog.h"

class CKelvaneDoc;
class CKelvaneView;

class CRecordDlg : public CDialog {
public:
    explicit CRecordDlg(CWnd* pParent = nullptr);

    // A null pointer is ignored.
    void SetDocument(CKelvaneDoc* pDoc);
    // The view whose acquisition timer the dialog starts and stops; by default the main
    // window's active view.
    void SetView(CKelvaneView* pView) { m_pView = pView; }

    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* pDX) override;
    void OnTimer(UINT_PTR nIDEvent) override;
    void OnCancel() override;
    // Enter does not end the dialog.
    void OnOK() override {}

    void UpdateControls();
    void FillSourceList();
    void ResetPlaybackRanges();
    void OnButtonStart();
    void OnButtonPlay();
    void OnButtonSave();
    void OnButtonLoad();
    void RecordFrame();
    void PlayFrame();

    // Control handlers.
    void OnSelchangeSource();
    void OnChangeRecordEndFrame();
    void OnChangeRecordInterval();
    void OnChangePlayInterval();
    void OnChangeStartFrame();
    void OnChangeEndFrame();
    void OnChangeCurrentFrame();
    void OnCheckRepeat();

    CComboBox m_comboSource;
    CEdit m_editRecordEnd;
    CEdit m_editRecordInterval;
    CEdit m_editPlayInterval;
    CEdit m_editStartFrame;
    CEdit m_editEndFrame;
    CEdit m_editCurrentFrame;
    CSpinButtonCtrl m_spinRecordEnd;
    CSpinButtonCtrl m_spinRecordInterval;
    CSpinButtonCtrl m_spinPlayInterval;
    CSpinButtonCtrl m_spinStartFrame;
    CSpinButtonCtrl m_spinEndFrame;
    CSpinButtonCtrl m_spinCurrentFrame;
    CButton m_btnStart;
    CButton m_btnSave;
    CButton m_btnPlay;
    CButton m_btnLoad;
    CButton m_checkRepeat;

    std::int32_t m_nRecordEndFrame = 1000;
    std::int32_t m_nRecordInterval = 1;
    std::int32_t m_nPlayInterval = 1;
    std::int32_t m_nStartFrame = 1;
    std::int32_t m_nEndFrame = 1;
    std::int32_t m_nCurrentFrame = 1;
    CKelvaneDoc* m_pDoc = nullptr;
    std::int16_t m_nSource = 0;
    std::int16_t m_nPlayPosition = 0;
    std::int32_t m_bCh1WasOn = 0;
    std::int32_t m_bCh2WasOn = 0;

private:
    CKelvaneView* View() const;
    void StartPump();
    void StopPump();
    // Stops a running recording or play-back (timer, flags, button text, controls).
    void StopRecording();
    void StopPlayback();
    void EnablePlaySettings(BOOL enable);
    void EnableRecordSettings(BOOL enable);
    // Puts a channel on or off and tells the side panel and the instrument.
    void SetChannelOn(int channel, std::int32_t on);
    // Number of frames the store holds, 0 when it holds no recording.
    int RecordedCount() const;
    void SetEditInt(CEdit& edit, int value);
    void ShowRecordedCount(int count);
    void Repaint();
    CString Text(int id) const;

    CKelvaneView* m_pView = nullptr;
    // Set while the dialog writes its own edits, so their change handlers stay quiet.
    bool m_bUpdating = false;
};
