// The document's FFT step: picks the source channel's records and the instrument's blocks and
// hands them to the spectrum code.
#include "engine/KelvaneDoc.h"

#include "engine/SettingsCodes.h"
#include "zendral/ZendralRegistry.h"

int CKelvaneDoc::ComputeFft() {
    const bool ch2 = m_fft.m_nSource == 1;
    const CTrace& trace = ch2 ? static_cast<const CTrace&>(m_ch2) : static_cast<const CTrace&>(m_ch1);
    const std::int16_t* state = m_usb.GetStateBlock();
    const std::int16_t* levels = m_usb.GetLevelBlock();

    FftSourceData src;
    src.roll = m_settings.GetTimeBaseFormat() == kFormatRoll;
    src.rollPointsHeld = trace.GetRollPointsHeld();
    src.screenTrace = trace.GetScreenTrace();
    src.channelOn = trace.IsOn() != 0;
    src.secondsPerDiv = m_settings.GetSecondsPerDiv();
    src.workRecord = trace.GetWorkRecord();
    src.rawRecord = trace.GetRawRecord();
    src.sharedConverter = state[kv::kStateChannelMode] == kChannelModeBoth && state[kv::kStateAltFlag] == 0;
    src.positionWord = state[kv::kStatePosition];
    src.levelPosition = levels[ch2 ? kv::kLevelCh2Position : kv::kLevelCh1Position];
    src.voltsPerDiv = trace.GetVoltsPerDiv();
    return m_fft.Compute(src, m_usb.GetFftBlock(), kv::CurrentZendral());
}

int CKelvaneDoc::SaveFftToText(const char* path) {
    CString error;
    const int ok = m_fft.SaveFftToText(path, &error);
    if (!ok)
        Ui().MessageBox(error, "");
    return ok;
}
