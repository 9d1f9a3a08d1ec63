// The view's part of a language switch: the side panel and the modeless panels take their
// texts from the new language table again, then show their lists and values anew.
#include "app/KelvaneView.h"

#include "app/DialogSupport.h"
#include "app/ViewPanels.h"
#include "engine/KelvaneDoc.h"

void CKelvaneView::ApplyPanelTexts() {
    CKelvaneDoc* doc = GetDocument();
    if (!doc)
        return;
    // Control texts and captions. A panel that was never opened has no window yet and
    // translates itself when it is made. Calibrate Data keeps its own texts.
    ApplySidePanelTexts(); // translates, refills its lists and reloads its values
    if (m_pPanels) {
        CViewPanels& p = *m_pPanels;
        if (p.m_pIntensity)
            p.m_pIntensity->TranslateTexts();
        if (p.m_pAverage)
            p.m_pAverage->TranslateTexts();
        if (p.m_pPassFail)
            p.m_pPassFail->TranslateTexts();
        if (p.m_pFft)
            p.m_pFft->TranslateTexts();
        if (p.m_pWaveformColor && p.m_pWaveformColor->GetSafeHwnd())
            TranslateDialogTexts(*doc, *p.m_pWaveformColor);
        if (p.m_pDemoSetting)
            p.m_pDemoSetting->TranslateTexts();

        // Lists and values.
        if (p.m_pPassFail)
            p.m_pPassFail->InitToleranceSpins();
        ReloadPanelsFromDocument();
    }
    Invalidate(TRUE);
    SidebarPanel().Invalidate(TRUE);
}
