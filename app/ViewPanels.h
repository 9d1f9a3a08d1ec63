#pragma once
// The view's modeless panels (created once, on first use, then only shown and hidden) and the
// default side-panel mirror. Kept out of KelvaneView.h so the view's header stays light.
#include <memory>

#include "app/AverageDlg.h"
#include "app/CalibrateDataDlg.h"
#include "app/DemoSettingDlg.h"
#include "app/FftDlg.h"
#include "app/IntensityDlg.h"
#include "app/PassFailDlg.h"
#include "app/SidePanelMirror.h"
#include "app/WaveformColorDlg.h"

class CKelvaneView;

// The pass/fail panel's road back to the view and the side panel.
class CPassFailHostAdapter : public IPassFailHost {
public:
    explicit CPassFailHostAdapter(CKelvaneView& view) : m_view(view) {}
    void RunStart() override;
    void RunStop() override;
    void EnableChannelControls(int channel) override;
    void EnableFormatList(BOOL enable) override;

private:
    CKelvaneView& m_view;
};

class CViewPanels {
public:
    ISidePanelMirror& DefaultMirror(CKelvaneView& view) {
        if (!m_pMirror)
            m_pMirror = std::make_unique<CSidePanelMirror>(view);
        return *m_pMirror;
    }

    std::unique_ptr<CSidePanelMirror> m_pMirror;
    std::unique_ptr<CPassFailHostAdapter> m_pPassFailHost;
    std::unique_ptr<CIntensityDlg> m_pIntensity;
    std::unique_ptr<CAverageDlg> m_pAverage;
    std::unique_ptr<CPassFailDlg> m_pPassFail;
    std::unique_ptr<CFftDlg> m_pFft;
    std::unique_ptr<CWaveformColorDlg> m_pWaveformColor;
    std::unique_ptr<CDemoSettingDlg> m_pDemoSetting;
    std::unique_ptr<CCalibrateDataDlg> m_pCalibrateData;
};
