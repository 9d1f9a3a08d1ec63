#pragma once
// An owner-drawn push button that shows one trace colour as a filled swatch; a click (or Space
// or Enter while it has the focus) opens the colour dialog and a chosen colour goes to the
// trace (0 CH1, 1 CH2, 2 MATH, 3 REF) of the main window's active document.
#include <cstdint>

#include "framework/Controls.h"
#include "framework/OwnerDraw.h"

class CKelvaneDoc;

class CColorButton : public CButton {
public:
    // Owner-draw control type of a button.
    static constexpr UINT kOwnerDrawButton = 4;

    CColorButton() = default;
    ~CColorButton() override = default;

    // Stores the colour and repaints the button.
    void SetColor(COLORREF color);
    COLORREF GetColor() const { return m_crColor; }

    // Distance of the focus mark from the button's edge.
    static constexpr int kFocusInset = 3;

    // Fills the item rectangle with the colour; with the keyboard focus, a focus frame inside
    // it. No pressed look.
    virtual void DrawItem(DRAWITEMSTRUCT* lpDrawItemStruct);

    // Window handlers: the paint hands a whole-item record to DrawItem; releasing the left
    // button opens the colour dialog.
    void OnPaint() override;
    BOOL OnEraseBkgnd(CDC* pDC) override;
    void OnLButtonUp(UINT nFlags, CPoint point) override;

    // The document the chosen colour goes to: the main window's active document, or null.
    static CKelvaneDoc* GetActiveKelvaneDoc();

    COLORREF m_crColor = 0;
    std::int16_t m_nTrace = 0;
};
