#include "variants/Variants.h"

#include "ModelConstants.h"

namespace kv::sdk {

bool StoreOverrideSelector(std::uint16_t* captureSettings, std::uint16_t overrideFlag) {
    if (kModel != Model::Pallik || overrideFlag == 0 || !captureSettings)
        return false;
    captureSettings[1] = 2;
    return true;
}

} // namespace kv::sdk
