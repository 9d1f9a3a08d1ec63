#pragma once
// Auto-setup progress window (dialog 216, modeless): shows which auto-setup step runs. Its
// owner creates, steps and destroys it; keys cannot close it.
#include "framework/CString.h"
#include "framework/Dialog.h"

class CAutosetProgressDlg : public CDialog {
public:
    static constexpr int kSteps = 5;
    static constexpr COLORREF kBackColor = RGB(0x40, 0x40, 0x40);

    explicit CAutosetProgressDlg(CWnd* pParent = nullptr);

    // Shows the text of step 0..4 and repaints; other indexes are ignored.
    void SetStep(int index);
    const CString& GetText() const { return m_strText; }

    void OnPaint() override;
    BOOL OnEraseBkgnd(CDC*) override { return TRUE; }
    void OnOK() override {}
    void OnCancel() override {}

    // Draws the whole window into pDC for a client area of width x height.
    void Draw(CDC* pDC, int width, int height) const;

    CString m_strSteps[kSteps];
    CString m_strText;
};
