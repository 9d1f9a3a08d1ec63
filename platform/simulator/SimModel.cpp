#include "simulator/SimModel.h"

#include <array>

#include "usb/UsbBus.h"

namespace kv::sim {
namespace {

// Sample-clock counters of time-base indexes 13..25 with the 10240-point record. The two models
// differ at index 22.
constexpr std::array<std::uint16_t, 13> kScreenCountersE{65535, 65532, 65527, 65517, 65487, 65437, 65337,
                                                         65037, 64539, 63037, 60537, 55537, 41889};
constexpr std::array<std::uint16_t, 13> kScreenCountersF{65535, 65532, 65527, 65517, 65487, 65437, 65337,
                                                         65037, 64539, 63525, 60537, 55537, 41889};
// Counter of the roll-mode time bases (26..38), which also stands for index 16.
constexpr std::uint16_t kRollCounter = 65517;

} // namespace

const char* SimDevicePrefix(SimModel model) {
    return model == SimModel::KestraF ? "qzdva" : "qzdev";
}

SimModel SimModelForPrefix(const std::string& prefix) {
    return prefix == "qzdva" ? SimModel::KestraF : SimModel::KestraE;
}

int SimTimeBaseForScreenCounter(SimModel model, std::uint16_t counter) {
    if (counter == kRollCounter)
        return -1;
    const auto& table = model == SimModel::KestraF ? kScreenCountersF : kScreenCountersE;
    for (std::size_t i = 0; i < table.size(); ++i)
        if (table[i] == counter)
            return 13 + static_cast<int>(i);
    return -1;
}

SimModelDevice::SimModelDevice(SimModel model, std::shared_ptr<SimInstrument> instrument)
    : SimWireDevice(std::move(instrument)), m_model(model) {}

bool SimModelDevice::IoControl(std::uint32_t code, const std::uint8_t* in, std::uint32_t inLen,
                               std::uint8_t* out, std::uint32_t outLen, std::uint32_t& returned) {
    const bool ok = SimWireDevice::IoControl(code, in, inLen, out, outLen, returned);
    // Bulk write of command 0x0C: counter LE at bytes 2-3.
    if (ok && code == kv::usb::kIoctlBulkWrite && out && outLen >= 6 && out[0] == 0x0C) {
        const auto counter = static_cast<std::uint16_t>(out[2] | out[3] << 8);
        const int timeBase = SimTimeBaseForScreenCounter(m_model, counter);
        if (timeBase >= 0 && Instrument().MemoryCode() == 1)
            Instrument().SetTimeBaseIndex(timeBase);
    }
    return ok;
}

std::shared_ptr<SimModelDevice> RegisterModelSimulator(SimModel model, int index) {
    auto device = std::make_shared<SimModelDevice>(model);
    kv::usb::RegisterDevice(std::string(SimDevicePrefix(model)) + "-" + std::to_string(index), device);
    return device;
}

} // namespace kv::sim
