#include "engine/ViewlessDocUi.h"

#include "engine/KelvaneDoc.h"
#include "engine/SettingsCodes.h"

void CViewlessDocUi::RunStopCommand() {
    if (!m_doc.m_bRunning) {
        m_doc.SetRunState(true, CKelvaneDoc::kRunStatusRun);
        return;
    }
    m_doc.SetRunState(false, CKelvaneDoc::kRunStatusStop);
    m_doc.m_settings.CacheTimeBase();
    const std::int32_t copy = m_doc.m_settings.GetTimeBaseFormat() == kFormatRoll ? 1 : 0;
    m_doc.m_ch1.SaveAcquisitionState(copy);
    m_doc.m_ch2.SaveAcquisitionState(copy);
}

void CViewlessDocUi::FactorySetup() {
    m_doc.SetDefaultSettings();
    m_doc.ApplySettingsToDevice();
}

void CViewlessDocUi::SetTimeBaseIndex(std::int16_t index) {
    m_doc.SetTimeBaseIndex(index);
}

void CViewlessDocUi::SetChannelVoltsPerDiv(int channel, std::int16_t index) {
    if (channel == 0)
        m_doc.SetCh1VoltDiv(index);
    else
        m_doc.SetCh2VoltDiv(index);
}
