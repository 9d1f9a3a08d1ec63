#pragma once
// Behaviour that differs between the model builds inside functions the builds otherwise share.
#include <cstdint>

namespace kv::sdk {

// The Pallik build stores "both channels" (2) as the channel selector of the caller's capture
// settings block when a trigger command is sent with the override flag; true when it did, so the
// command is packed from the changed block. The other builds leave the block alone.
bool StoreOverrideSelector(std::uint16_t* captureSettings, std::uint16_t overrideFlag);

} // namespace kv::sdk
