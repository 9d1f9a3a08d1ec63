#include "ChannelInfoBar.h"

#include "Knob.h"
#include "engine/KelvaneDoc.h"
#include "engine/SettingsCodes.h"
#include "resources/language/TextKeys.h"

void CChannelInfoBar::SetDocument(CKelvaneDoc* pDoc) {
    if (pDoc)
        m_pDoc = pDoc;
}

// --- Window ------------------------------------------------------------------------------------

void CChannelInfoBar::OnSize(UINT nType, int cx, int cy) {
    CStatic::OnSize(nType, cx, cy);
    RecreateBuffer();
}

void CChannelInfoBar::RecreateBuffer() {
    m_buffer.Release();
    RECT rc{0, 0, 0, 0};
    GetClientRect(&rc);
    LayoutBoxes(CRect(rc));
    Invalidate(FALSE);
}

void CChannelInfoBar::Paint(CDC* pTarget, const CRect& client) {
    if (!CanPaint(pTarget, client))
        return;
    PaintPicture(pTarget, client, [this](CDC* pDC, const CRect& rc) { DrawBar(pDC, rc); });
}

CPictureKey CChannelInfoBar::GetPictureKey() const {
    CPictureKey key;
    key.Add(m_pDoc != nullptr);
    if (m_pDoc) {
        for (const CTrace* trace : {&m_pDoc->m_ch1, &m_pDoc->m_ch2}) {
            key.Add(trace->IsOn()).Add(trace->IsBandwidthLimit()).Add(trace->GetColor());
            key.Add(trace->GetCoupling());
        }
        key.Add(m_pDoc->GetText(kv::kTextTime));
    }
    key.Add(GetCaption(Caption::Ch1VoltDiv))
        .Add(GetCaption(Caption::Ch2VoltDiv))
        .Add(GetCaption(Caption::TimeDiv));
    return key;
}

// --- Picture -------------------------------------------------------------------------------------

void CChannelInfoBar::LayoutBoxes(const CRect& client) {
    m_rcClient = client;
    const int w = client.Width();
    const bool bw1 = m_pDoc && m_pDoc->m_ch1.IsBandwidthLimit();
    const bool bw2 = m_pDoc && m_pDoc->m_ch2.IsBandwidthLimit();
    m_rcCh1 = CRect(2, 2, bw1 ? 100 : 88, 23);
    m_rcCh2 = CRect(132, 2, bw2 ? 232 : 220, 23);
    m_rcTime = CRect(w - 98, 2, w, 23);
}

CString CChannelInfoBar::GetCaption(Caption which) const {
    if (m_captions)
        return m_captions(which);
    if (!m_pDoc)
        return CString();
    switch (which) {
    case Caption::Ch1VoltDiv:
        return m_pDoc->m_ch1.GetProbeVoltDivText();
    case Caption::Ch2VoltDiv:
        return m_pDoc->m_ch2.GetProbeVoltDivText();
    case Caption::TimeDiv:
        return CKnob::TimeDivLabel(m_pDoc->m_settings.GetTimeBaseIndex(), m_pDoc->m_nModel);
    }
    return CString();
}

void CChannelInfoBar::DrawBar(CDC* pDC, const CRect& client) {
    if (!pDC || !pDC->GetSafeHdc() || client.Width() <= 0 || client.Height() <= 0)
        return;
    // The channel boxes are recomputed at every paint: their width follows the bandwidth limit.
    LayoutBoxes(client);
    pDC->FillSolidRect(&m_rcClient, kBarColor);
    const bool ch1On = m_pDoc && m_pDoc->m_ch1.IsOn();
    const bool ch2On = m_pDoc && m_pDoc->m_ch2.IsOn();
    if (ch1On)
        pDC->FillSolidRect(&m_rcCh1, kBoxColor);
    if (ch2On)
        pDC->FillSolidRect(&m_rcCh2, kBoxColor);
    pDC->FillSolidRect(&m_rcTime, kBoxColor);

    CFont font;
    font.CreateFont(15, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, FF_SWISS, "Arial");
    CFont* pOldFont = pDC->SelectObject(&font);

    if (ch1On)
        DrawChannelBox(pDC, m_rcCh1, 0);
    if (ch2On)
        DrawChannelBox(pDC, m_rcCh2, 1);

    const int l = m_rcTime.left;
    const COLORREF oldColor = pDC->SetTextColor(kTimeColor);
    const int oldMode = pDC->SetBkMode(TRANSPARENT);
    if (m_pDoc)
        pDC->TextOut(l + 2, 6, m_pDoc->GetText(kv::kTextTime));
    pDC->TextOut(l + 42, 6, GetCaption(Caption::TimeDiv));
    pDC->SetBkMode(oldMode);
    pDC->SetTextColor(oldColor);

    if (pOldFont)
        pDC->SelectObject(pOldFont);
}

void CChannelInfoBar::DrawChannelBox(CDC* pDC, const CRect& box, int channel) {
    const CTrace& trace = channel == 0 ? m_pDoc->m_ch1 : m_pDoc->m_ch2;
    const COLORREF color = trace.GetColor();
    const int l = box.left;

    const COLORREF oldColor = pDC->SetTextColor(color);
    const int oldMode = pDC->SetBkMode(TRANSPARENT);
    DrawCouplingGlyph(pDC, l + 28, 12, color, trace.GetCoupling());
    pDC->TextOut(channel == 0 ? l + 42 : l + 44, 6,
                 GetCaption(channel == 0 ? Caption::Ch1VoltDiv : Caption::Ch2VoltDiv));

    pDC->SetBkMode(OPAQUE);
    const COLORREF oldBack = pDC->SetBkColor(color);
    pDC->SetTextColor(RGB(0, 0, 0));
    pDC->TextOut(l + 2, 6, channel == 0 ? "CH1" : "CH2");
    if (trace.IsBandwidthLimit())
        pDC->TextOut(channel == 0 ? l + 87 : l + 90, 6, "B");

    pDC->SetBkColor(oldBack);
    pDC->SetBkMode(oldMode);
    pDC->SetTextColor(oldColor);
}

void CChannelInfoBar::DrawCouplingGlyph(CDC* pDC, int x, int y, COLORREF color, int coupling) {
    if (!pDC)
        return;
    CPen pen(PS_SOLID, 1, color);
    CPen* pOldPen = pDC->SelectObject(&pen);
    if (coupling == kCouplingDc) {
        for (int dx = 0; dx <= 9; dx += 3)
            pDC->SetPixel(x + dx, y, color);
        pDC->MoveTo(x, y + 4);
        pDC->LineTo(x + 10, y + 4);
    } else if (coupling == kCouplingAc) {
        const POINT wave[] = {{x, y + 2},     {x, y},         {x + 2, y - 2}, {x + 4, y},
                              {x + 4, y + 2}, {x + 6, y + 4}, {x + 8, y + 2}, {x + 8, y - 1}};
        pDC->Polyline(wave, 8);
    } else {
        pDC->MoveTo(x, y + 1);
        pDC->LineTo(x + 11, y + 1);
        pDC->MoveTo(x + 5, y + 1);
        pDC->LineTo(x + 5, y - 4);
        pDC->MoveTo(x + 2, y + 4);
        pDC->LineTo(x + 9, y + 4);
    }
    if (pOldPen)
        pDC->SelectObject(pOldPen);
}
