// libFuzzer target of the ".psf" reader.
#include <cstddef>
#include <cstdint>

#include "FuzzSupport.h"
#include "engine/PassFail.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    kvfuzz::TempInputFile file(data, size, ".psf");
    if (!file.Ok())
        return 0;
    CPassFail passFail;
    CString error;
    if (passFail.LoadSettings(file.Path(), &error)) {
        short trace[CPassFail::kPoints] = {};
        passFail.BuildMask(trace);
        passFail.CountFrame(trace);
    }
    return 0;
}
