#pragma once
// Views: windows that show a document inside a frame. Commands not handled by the view go
// to its document.
#include "framework/Document.h"
#include "framework/Wnd.h"

class CView : public CWnd {
public:
    CDocument* GetDocument() const { return m_pDocument; }
    CDocument* m_pDocument = nullptr;

    virtual void OnInitialUpdate();
    // Draws the view; called from the default OnPaint with a paint context.
    virtual void OnDraw(CDC* pDC);
    void OnPaint() override;
    bool OnCmdMsg(UINT id, CCmdUI* pCmdUI) override;
    BOOL IsCommandHandled(UINT nID) override;
};

// A view laid out by a dialog template; its controls take part in data exchange.
class CFormView : public CView {
public:
    explicit CFormView(UINT nIDTemplate) : m_nIDTemplate(nIDTemplate) {}
    BOOL Create(const char* lpszClassName, const char* lpszWindowName, DWORD dwStyle, const RECT& rect,
                CWnd* pParentWnd, UINT nID) override;
    void OnInitialUpdate() override;
    void OnPaint() override;
    UINT m_nIDTemplate;
};
