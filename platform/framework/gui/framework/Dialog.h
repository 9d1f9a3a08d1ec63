#pragma once
// Dialogs built from dialog templates, modal (DoModal/EndDialog) or modeless (Create once,
// then show and hide).
#include "framework/DialogTemplate.h"
#include "framework/Wnd.h"

class CDialog : public CWnd {
public:
    CDialog() = default;
    explicit CDialog(UINT nIDTemplate, CWnd* pParentWnd = nullptr)
        : m_nIDTemplate(nIDTemplate), m_pParentWnd(pParentWnd) {}
    ~CDialog() override;

    // Runs the dialog until EndDialog; returns its result, or -1 when it could not be made.
    virtual INT_PTR DoModal();
    // Makes a modeless dialog (hidden unless the template's style says WS_VISIBLE): a panel inside
    // pParentWnd when the template has the child style, else a window of its own owned by
    // pParentWnd's top-level window (the main window when pParentWnd is null).
    BOOL Create(UINT nIDTemplate, CWnd* pParentWnd = nullptr);
    // Ends a modal run with nResult; a modeless dialog is hidden.
    void EndDialog(int nResult);

    virtual BOOL OnInitDialog();
    virtual void OnOK();
    virtual void OnCancel();
    void OnClose() override;
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    // Escape acts as Cancel. Enter clicks the focused push button, else the default push button,
    // else acts as OK.
    BOOL PreTranslateMessage(MSG* pMsg) override;

    UINT m_nIDTemplate = 0;
    CWnd* m_pParentWnd = nullptr;

protected:
    using CWnd::OnCommand;
    QWidget* CreateWidget(QWidget* parent) override;

private:
    BOOL MakeWindow(CWnd* pParentWnd, bool modal);
    bool m_bModal = false;
    bool m_bEnded = false;
    int m_nResult = IDCANCEL;
    class QEventLoop* m_pLoop = nullptr;
};
