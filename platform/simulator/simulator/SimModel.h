#pragma once
// A simulated instrument of a given model behind the driver protocol, and its registration
// under that model's device names.
#include <memory>

#include "simulator/InstrumentModel.h"
#include "simulator/SimWireDevice.h"

namespace kv::sim {

class SimModelDevice : public SimWireDevice {
public:
    // An instrument of `model`; a given instrument keeps its own model.
    explicit SimModelDevice(SimModel model, std::shared_ptr<SimInstrument> instrument = nullptr);
    SimModel Model() const { return m_model; }

private:
    SimModel m_model;
};

// A simulated instrument of the model registered under "<prefix>-<index>".
std::shared_ptr<SimModelDevice> RegisterModelSimulator(SimModel model, int index);

} // namespace kv::sim
