#pragma once
// Instrument models of the simulator. The plain SimWireDevice stands for the Kestra-E; a
// SimModelDevice answers as a given model: under that model's device names, and following the
// sample-clock counters of that model's rate table to set the time base.
#include <cstdint>
#include <memory>
#include <string>

#include "simulator/SimWireDevice.h"

namespace kv::sim {

enum class SimModel { KestraE, KestraF };

// Device name prefix of a model ("qzdev" or "qzdva").
const char* SimDevicePrefix(SimModel model);
// The model whose devices carry this prefix (Kestra-E for any other prefix).
SimModel SimModelForPrefix(const std::string& prefix);

// Time-base index 13..25 that a sample-clock counter of the 10240-point record stands for in the
// model's table; -1 for a counter the table does not hold or holds for several indexes.
int SimTimeBaseForScreenCounter(SimModel model, std::uint16_t counter);

class SimModelDevice : public SimWireDevice {
public:
    explicit SimModelDevice(SimModel model,
                            std::shared_ptr<SimInstrument> instrument = std::make_shared<SimInstrument>());
    SimModel Model() const { return m_model; }

    bool IoControl(std::uint32_t code, const std::uint8_t* in, std::uint32_t inLen, std::uint8_t* out,
                   std::uint32_t outLen, std::uint32_t& returned) override;

private:
    SimModel m_model;
};

// A simulated instrument of the model registered under "<prefix>-<index>".
std::shared_ptr<SimModelDevice> RegisterModelSimulator(SimModel model, int index);

} // namespace kv::sim
