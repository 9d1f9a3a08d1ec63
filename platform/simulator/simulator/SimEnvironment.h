#pragma once
// Selection of simulated instruments for a run through the environment variable SCOPE_SIMULATOR:
//   unset or empty  no instrument;
//   "1"             one instrument at device index 0;
//   "0,2"           instruments at the listed device indexes (0..3; other entries are ignored).
// A single number other than 1 is read as a list of one index.
#include <memory>
#include <string>
#include <vector>

#include "simulator/InstrumentModel.h"
#include "simulator/SimWireDevice.h"

namespace kv::sim {

// Device indexes named by a SCOPE_SIMULATOR value, ascending, without repeats.
std::vector<int> ParseSimulatorIndexes(const char* value);

// Registers one simulated instrument of `model` under its device names "<prefix>-<index>" for
// each index that SCOPE_SIMULATOR names and returns how many were registered. The devices stay
// registered for the run and keep no wire log, so a long-running client stays flat in memory.
int RegisterSimulatorsFromEnvironment(SimModel model);
// The same for the model of a device-name prefix ("qzdva": Kestra-F, else Kestra-E).
int RegisterSimulatorsFromEnvironment(const std::string& prefix);

// The device registered by the environment under "<prefix>-<index>", or null.
std::shared_ptr<SimWireDevice> EnvironmentSimulator(const std::string& prefix, int index);

} // namespace kv::sim
