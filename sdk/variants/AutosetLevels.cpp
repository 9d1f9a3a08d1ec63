// The autoset's level constants, which differ between the model builds: the Kestra-F build
// centres its positions and its grounded records on 256, the others on 255; the Pallik build ends
// with the trigger position for other sources at 255.
#include "ModelConstants.h"
#include "SdInternal.h"

namespace kv::sdk {

int AutosetStartPosition() {
    return kModel == Model::Cordun ? 256 : 255;
}

// A grounded work record holds the zero line 511 - mid level.
std::uint16_t AutosetGroundCode() {
    return kModel == Model::Cordun ? 255 : 256;
}

std::uint16_t AutosetFinalTriggerPosition() {
    return kModel == Model::Pallik ? 255 : 256;
}

} // namespace kv::sdk
