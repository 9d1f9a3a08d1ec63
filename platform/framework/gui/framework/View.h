#pragma once
// Views: windows that show a document inside a frame. Commands not handled by the view go
// to its document.
#include "framework/Document.h"
#include "framework/Wnd.h"

class CPrintInfo;

class CView : public CWnd {
public:
    // Routes the framework's Print (57607), Print Direct (57608) and Print Preview (57609)
    // commands to the print handlers below.
    CView();

    CDocument* GetDocument() const { return m_pDocument; }
    CDocument* m_pDocument = nullptr;

    virtual void OnInitialUpdate();
    // Draws the view; called from the default OnPaint with a paint context.
    virtual void OnDraw(CDC* pDC);
    void OnPaint() override;
    bool OnCmdMsg(UINT id, CCmdUI* pCmdUI) override;
    BOOL IsCommandHandled(UINT nID) override;

    // Printing (framework/Print.h; bodies in Print.cpp). A job runs OnPreparePrinting (the
    // print dialog), OnBeginPrinting, OnPrint for each page and OnEndPrinting.
    virtual BOOL OnPreparePrinting(CPrintInfo* pInfo);
    virtual void OnBeginPrinting(CDC* pDC, CPrintInfo* pInfo);
    // Draws one page; the default draws the view with OnDraw.
    virtual void OnPrint(CDC* pDC, CPrintInfo* pInfo);
    virtual void OnEndPrinting(CDC* pDC, CPrintInfo* pInfo);
    // Asks for the printer with the print dialog (not for direct printing or preview);
    // FALSE when the user cancelled.
    BOOL DoPreparePrinting(CPrintInfo* pInfo);
    void OnFilePrint();
    void OnFilePrintDirect();
    void OnFilePrintPreview();
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
