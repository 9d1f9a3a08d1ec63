// One libFuzzer target per document reader; the build picks the reader with KV_FUZZ_READER:
// 1 setup file, 2 ".rfc", 3 old ".ref", 4 CSV.
#include <cstddef>
#include <cstdint>

#include "FuzzSupport.h"
#include "engine/KelvaneDoc.h"

#ifndef KV_FUZZ_READER
#error "KV_FUZZ_READER must name the reader"
#endif

namespace {

CKelvaneDoc& Doc() {
    static kvfuzz::SilentUi ui;
    static CKelvaneDoc* doc = [] {
        auto* d = new CKelvaneDoc(); // lives for the whole run, like the program's document
        d->SetDefaultSettings();
        d->AllocSampleBuffers();
        d->SetUi(&ui);
        return d;
    }();
    return *doc;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    CKelvaneDoc& doc = Doc();
    doc.SetDefaultSettings();
#if KV_FUZZ_READER == 1
    kvfuzz::TempInputFile file(data, size, ".set");
    if (file.Ok())
        doc.LoadSetupFile(file.Path());
    // Whatever was loaded must also be writable and readable again.
    kvfuzz::TempInputFile out(nullptr, 0, ".set");
    if (out.Ok() && doc.SaveSetupFile(out.Path()))
        doc.LoadSetupFile(out.Path());
#elif KV_FUZZ_READER == 2
    kvfuzz::TempInputFile file(data, size, ".rfc");
    if (file.Ok() && doc.LoadReferenceFile(file.Path())) {
        doc.m_ref.AcceptLoadedRecord();
        doc.m_ref.UpdateDisplay(doc.m_settings);
    }
#elif KV_FUZZ_READER == 3
    kvfuzz::TempInputFile file(data, size, ".ref");
    if (file.Ok() && doc.LoadOldReferenceFile(file.Path())) {
        doc.m_ref.AcceptLoadedRecord();
        doc.m_ref.UpdateDisplay(doc.m_settings);
    }
#elif KV_FUZZ_READER == 4
    kvfuzz::TempInputFile file(data, size, ".csv");
    if (file.Ok())
        doc.LoadCsvFile(file.Path());
#endif
    return 0;
}
