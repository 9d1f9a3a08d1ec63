#include "app/AutoSetupProgress.h"

#include "display/MemDC.h"
#include "framework/PaintDC.h"
#include "resources/Resource.h"
#include "resources/dialogs/CalibrationDialogTemplates.h"

namespace {

// Draw the text with the font's external leading between lines.
constexpr UINT kDtExternalLeading = 0x0200;
// Raised two-pixel edge: outer and inner line colours of the lit and the shaded side.
constexpr COLORREF kEdgeLightOuter = RGB(227, 227, 227);
constexpr COLORREF kEdgeLightInner = RGB(255, 255, 255);
constexpr COLORREF kEdgeShadeOuter = RGB(105, 105, 105);
constexpr COLORREF kEdgeShadeInner = RGB(160, 160, 160);

void Line(CDC* pDC, COLORREF color, int x1, int y1, int x2, int y2) {
    CPen pen(PS_SOLID, 1, color);
    CPen* old = pDC->SelectObject(&pen);
    pDC->MoveTo(x1, y1);
    pDC->LineTo(x2, y2);
    pDC->SelectObject(old);
}

} // namespace

CAutosetProgressDlg::CAutosetProgressDlg(CWnd* pParent) : CDialog(IDD_AUTOSET_PROGRESS, pParent) {
    kv::RegisterCalibrationDialogTemplates();
    m_strSteps[0] = "Autoset CH1...";
    m_strSteps[1] = "Autoset CH1... OK!\nAutoset CH2...";
    m_strSteps[2] = "Autoset CH1... OK!\nAutoset CH2... OK!\nAutoset Horizontal...";
    m_strSteps[3] = "Autoset CH1... OK!\nAutoset CH2... OK!\nAutoset Horizontal... OK!";
    m_strSteps[4] = "Autoset CH1... OK!\nAutoset CH2... OK!\nAutoset Horizontal... OK!\nAutoset OK!";
    m_strText = m_strSteps[0];
}

void CAutosetProgressDlg::SetStep(int index) {
    if (index < 0 || index >= kSteps)
        return;
    m_strText = m_strSteps[index];
    if (GetSafeHwnd())
        Invalidate(TRUE);
}

void CAutosetProgressDlg::Draw(CDC* pDC, int width, int height) const {
    CRect rc(0, 0, width, height);
    pDC->FillSolidRect(&rc, kBackColor);
    // Top side: lit; right side: shaded.
    Line(pDC, kEdgeLightOuter, rc.left, rc.top, rc.right, rc.top);
    Line(pDC, kEdgeLightInner, rc.left, rc.top + 1, rc.right - 1, rc.top + 1);
    Line(pDC, kEdgeShadeOuter, rc.right - 1, rc.top, rc.right - 1, rc.bottom);
    Line(pDC, kEdgeShadeInner, rc.right - 2, rc.top + 1, rc.right - 2, rc.bottom);
    rc.DeflateRect(10, 10);
    CFont font;
    const int height10pt = -(10 * pDC->GetDeviceCaps(LOGPIXELSY) / 72);
    font.CreateFont(height10pt, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, DEFAULT_QUALITY, 0,
                    "Arial");
    CFont* old = pDC->SelectObject(&font);
    pDC->SetTextColor(RGB(255, 255, 255));
    pDC->SetBkColor(kBackColor);
    pDC->DrawText(m_strText, &rc, DT_LEFT | DT_TOP | kDtExternalLeading);
    pDC->SelectObject(old);
}

void CAutosetProgressDlg::OnPaint() {
    CPaintDC dc(this);
    CRect client;
    GetClientRect(&client);
    CMemDC mem(&dc, &client);
    Draw(&mem, client.Width(), client.Height());
}
