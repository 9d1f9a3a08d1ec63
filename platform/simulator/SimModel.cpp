#include "simulator/SimModel.h"

#include "timebase/TimeBaseTable.h"
#include "usb/UsbBus.h"

namespace kv::sim {

const char* SimDevicePrefix(SimModel model) {
    return model == SimModel::KestraF ? "qzdva" : "qzdev";
}

SimModel SimModelForPrefix(const std::string& prefix) {
    return prefix == "qzdva" ? SimModel::KestraF : SimModel::KestraE;
}

std::uint32_t SimDeepRecordLength(SimModel model) {
    return model == SimModel::KestraE14K ? 14336u : 524288u;
}

int SimTimeBaseForScreenCounter(SimModel model, std::uint16_t counter) {
    namespace tb = kv::timebase;
    if (counter == tb::kRollClockCounter)
        return -1;
    for (int step = tb::kFirstCountedStep; step <= tb::kLastCountedStep; ++step)
        if (tb::ScreenClockCounter(step, model == SimModel::KestraF) == counter)
            return step;
    return -1;
}

SimModelDevice::SimModelDevice(SimModel model, std::shared_ptr<SimInstrument> instrument)
    : SimWireDevice(instrument ? std::move(instrument) : std::make_shared<SimInstrument>(model)),
      m_model(model) {}

std::shared_ptr<SimModelDevice> RegisterModelSimulator(SimModel model, int index) {
    auto device = std::make_shared<SimModelDevice>(model);
    kv::usb::RegisterDevice(std::string(SimDevicePrefix(model)) + "-" + std::to_string(index), device);
    return device;
}

} // namespace kv::sim
