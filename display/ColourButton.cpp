#include "ColourButton.h"

#include "Knob.h"
#include "engine/KelvaneDoc.h"
#include "framework/CommonDialogs.h"
#include "framework/FrameWnd.h"
#include "framework/PaintDC.h"
#include "framework/WinApp.h"

void CColorButton::SetColor(COLORREF color) {
    m_crColor = color;
    Invalidate(FALSE);
}

void CColorButton::DrawItem(DRAWITEMSTRUCT* lpDrawItemStruct) {
    if (!lpDrawItemStruct || !lpDrawItemStruct->hDC)
        return;
    CBrush brush(m_crColor);
    ::FillRect(lpDrawItemStruct->hDC, &lpDrawItemStruct->rcItem, brush);
    // Without a mark a keyboard user cannot tell which swatch Space or Enter would open.
    if (lpDrawItemStruct->itemState & ODS_FOCUS) {
        CDC dc;
        dc.Attach(lpDrawItemStruct->hDC);
        CRect inner(lpDrawItemStruct->rcItem);
        inner.DeflateRect(kFocusInset, kFocusInset);
        dc.DrawFocusRect(&inner);
        dc.Detach();
    }
}

void CColorButton::OnPaint() {
    CPaintDC dc(this);
    if (!dc.GetSafeHdc())
        return;
    DRAWITEMSTRUCT dis;
    dis.CtlType = kOwnerDrawButton;
    dis.CtlID = static_cast<UINT>(GetDlgCtrlID());
    dis.itemAction = ODA_DRAWENTIRE;
    dis.hDC = dc.GetSafeHdc();
    if (GetFocus() == this)
        dis.itemState |= ODS_FOCUS;
    GetClientRect(&dis.rcItem);
    DrawItem(&dis);
}

// The swatch covers the whole button, so erasing first would only flicker.
BOOL CColorButton::OnEraseBkgnd(CDC*) {
    return TRUE;
}

CKelvaneDoc* CColorButton::GetActiveKelvaneDoc() {
    auto* frame = dynamic_cast<CFrameWnd*>(AfxGetMainWnd());
    return frame ? dynamic_cast<CKelvaneDoc*>(frame->GetActiveDocument()) : nullptr;
}

void CColorButton::OnLButtonUp(UINT nFlags, CPoint point) {
    ReleaseCapture();
    CColorDialog dialog(m_crColor, 0, nullptr);
    dialog.m_cc.Flags |= CC_RGBINIT;
    if (dialog.DoModal() == IDOK) {
        SetColor(dialog.GetColor());
        if (CKelvaneDoc* pDoc = GetActiveKelvaneDoc()) {
            switch (m_nTrace) {
            case 0:
                pDoc->m_ch1.SetColor(m_crColor);
                break;
            case 1:
                pDoc->m_ch2.SetColor(m_crColor);
                break;
            case 2:
                pDoc->m_math.SetColor(m_crColor);
                break;
            case 3:
                pDoc->m_ref.SetColor(m_crColor);
                break;
            default:
                break;
            }
            // CH1 and CH2 colour the screen panel, the information bar and their knob; MATH
            // and REF take the colour at the screen's next paint.
            if (m_nTrace == 0 || m_nTrace == 1) {
                pDoc->Ui().RepaintView();
                CKnob::RepaintKnobs(m_nTrace == 0 ? CKnob::kKnobCh1 : CKnob::kKnobCh2);
            }
        }
    }
    CButton::OnLButtonUp(nFlags, point);
}
