#pragma once
// The bar below the screen panel: label, coupling symbol, volts/div and bandwidth-limit mark
// of CH1 and CH2, and the time base, each in a black box on a dark-grey bar. The volts/div and
// time/div captions are the texts the side panel's lists show; without a caption source they
// are taken from the document, which the lists mirror.
//
// The picture is drawn by DrawBar on any context and client rectangle.
#include <cstdint>
#include <functional>
#include <utility>

#include "BufferedStatic.h"
#include "framework/CString.h"
#include "framework/DC.h"
#include "framework/Geometry.h"

class CKelvaneDoc;

class CChannelInfoBar : public CBufferedStatic {
public:
    static constexpr COLORREF kBarColor = RGB(50, 50, 50);
    static constexpr COLORREF kBoxColor = RGB(0, 0, 0);
    static constexpr COLORREF kTimeColor = RGB(255, 177, 100);

    enum class Caption { Ch1VoltDiv, Ch2VoltDiv, TimeDiv };
    // The current text of one of the view's lists.
    using CaptionSource = std::function<CString(Caption)>;

    CChannelInfoBar() = default;
    ~CChannelInfoBar() override = default;

    // A null pointer is ignored.
    void SetDocument(CKelvaneDoc* pDoc);
    CKelvaneDoc* GetDocument() const { return m_pDoc; }
    void SetCaptionSource(CaptionSource source) { m_captions = std::move(source); }

    // Window handlers.
    void OnSize(UINT nType, int cx, int cy) override;

    // Drops the persistent pair, takes the client rectangle, lays out the boxes, invalidates.
    void RecreateBuffer();
    // One paint through a memory context and the persistent pair; 0-sized clients paint nothing.
    void Paint(CDC* pTarget, const CRect& client) override;
    // The whole picture on `pDC` for the client rectangle.
    void DrawBar(CDC* pDC, const CRect& client);

    // Box layout; the channel boxes depend on the bandwidth-limit flags.
    void LayoutBoxes(const CRect& client);
    CRect GetCh1Box() const { return m_rcCh1; }
    CRect GetCh2Box() const { return m_rcCh2; }
    CRect GetTimeBox() const { return m_rcTime; }

    CString GetCaption(Caption which) const;

    // Coupling symbol with a 1-px pen: 0 DC, 1 AC, anything else GND.
    static void DrawCouplingGlyph(CDC* pDC, int x, int y, COLORREF color, int coupling);

protected:
    // On, colour, coupling, bandwidth limit and caption of each channel, and the time box texts.
    CPictureKey GetPictureKey() const override;

private:
    void DrawChannelBox(CDC* pDC, const CRect& box, int channel);

    CRect m_rcClient{0, 0, 0, 0};
    CRect m_rcCh1{0, 0, 0, 0};
    CRect m_rcCh2{0, 0, 0, 0};
    CRect m_rcTime{0, 0, 0, 0};
    CKelvaneDoc* m_pDoc = nullptr;
    CaptionSource m_captions;
};
