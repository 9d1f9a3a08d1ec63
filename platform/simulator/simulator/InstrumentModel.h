#pragma once
// The instrument models the simulator can stand for, and what tells them apart: their device
// names, their deep buffer and their sample-clock counters.
#include <cstdint>
#include <string>

namespace kv::sim {

enum class SimModel {
    KestraE,    // "qzdev" names, deep buffer of 524288 samples per channel
    KestraE14K, // the same instrument with a deep buffer of 14336 samples per channel
    KestraF,    // "qzdva" names, its own counter for step 22 of the 10240-point record
};

// Device name prefix of a model ("qzdev" or "qzdva").
const char* SimDevicePrefix(SimModel model);
// The model whose devices carry this prefix (Kestra-E for any other prefix).
SimModel SimModelForPrefix(const std::string& prefix);
// Samples per channel of the model's deep record.
std::uint32_t SimDeepRecordLength(SimModel model);

// Time-base index 13..25 that a sample-clock counter of the 10240-point record stands for in the
// model's table; -1 for a counter the table does not hold or holds for several indexes (the
// counter of index 16 also runs the roll clock of indexes 26 and up).
int SimTimeBaseForScreenCounter(SimModel model, std::uint16_t counter);

} // namespace kv::sim
