#pragma once
// A 1-px pen selected into a device context for one drawing step; the previous pen comes back
// at the end of the step, also on an early return.
#include "framework/DC.h"
#include "framework/GdiObject.h"

namespace kv {

class PenScope {
public:
    PenScope(CDC* pDC, COLORREF color, int style = PS_SOLID) : m_pDC(pDC), m_pen(style, 1, color) {
        m_pOld = pDC->SelectObject(&m_pen);
    }
    ~PenScope() {
        if (m_pOld)
            m_pDC->SelectObject(m_pOld);
    }
    PenScope(const PenScope&) = delete;
    PenScope& operator=(const PenScope&) = delete;

private:
    CDC* m_pDC;
    CPen m_pen;
    CPen* m_pOld = nullptr;
};

} // namespace kv
