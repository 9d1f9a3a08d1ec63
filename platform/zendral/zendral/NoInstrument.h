#pragma once
// The default instrument access: no instrument is connected. The device search and the
// presence query find nothing, table reads fail, and every other call fails without
// touching the caller's buffers.
#include "zendral/Zendral.h"

namespace kv {

class NoInstrument : public IZendral {
public:
    int ForceTrigger(short) override { return 0; }
    int GetCaptureState(short, int*) override { return 0; }
    int SetTriggerAndSampleRate(short, short, int, short*, int, short, int) override { return 0; }
    int SetTriggerSlope(short, short, int, short*) override { return 0; }
    int SetSamplingTiming(short, short, int, short*) override { return 0; }
    int SetVoltageAndCoupling(short, short, short, short, short, short*) override { return 0; }
    int SetOffset(short, short*, short, short, short, short*) override { return 0; }
    int CaptureStart(short) override { return 0; }
    int EnableTrigger(short) override { return 0; }
    int SearchDevice(short) override { return 0; }
    int ReadCalibration(short, short*, int) override { return 0; }
    int WriteCalibration(short, short*, int) override { return 0; }
    int SetFilter(short, int, int, int) override { return 0; }
    int ReadLineCalData(short, short*) override { return 0; }
    int WriteLineCalData(short, short*) override { return 0; }
    int GetChannelData(short, short, short, short*, short*, int, short*, int) override { return 0; }
    int ReadDeviceAddress(short, short*) override { return 0; }
    int SetDeviceAddress(short, short) override { return 0; }
    int EtsAssemble(short*, short*, short*, short*, int, const ZendralEtsArgs&) override { return 0; }
    int SelectTdc(short, short) override { return 0; }
    int ReadTdc(short, int*) override { return 0; }
    // 2 = no new data, so an ETS read never takes stale buffers for fresh ones.
    int EtsGetData(short, short, short, short*, int, short*, short) override { return 2; }
    int SetTdcCalValue(short, short) override { return 0; }
    int WriteTdcCalData(short, short*) override { return 0; }
    int WriteEtsCalData(short, short*) override { return 0; }
    int ReadTdcCalData(short, short*) override { return 0; }
};

} // namespace kv
