#include "variants/Variants.h"

#include "ModelConstants.h"

namespace kv::sdk {

bool StoreOverrideSelector(const std::uint16_t* captureSettings, std::uint16_t overrideFlag) {
    if (kModel != Model::Pallik || overrideFlag == 0 || !captureSettings)
        return false;
    // The block belongs to the client and is writable; the shared declaration only promises that
    // the other builds do not change it.
    const_cast<std::uint16_t*>(captureSettings)[1] = 2;
    return true;
}

} // namespace kv::sdk
