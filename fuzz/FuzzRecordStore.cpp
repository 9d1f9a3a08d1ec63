// libFuzzer target of the ".rec" reader.
#include <cstddef>
#include <cstdint>

#include "FuzzSupport.h"
#include "engine/RecordStore.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    kvfuzz::TempInputFile file(data, size, ".rec");
    if (!file.Ok())
        return 0;
    static CRecordStore store; // 1 MB of frames: kept between inputs
    store.Reset();
    CString error;
    if (store.LoadRecord(file.Path(), &error)) {
        short frame[CRecordStore::kFramePoints];
        int position = store.BeginPlayback();
        for (int i = 0; position >= 0 && i < 3 && store.PlayFrame(position, frame); ++i) {
        }
    }
    return 0;
}
