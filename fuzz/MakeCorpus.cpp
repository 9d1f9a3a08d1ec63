// Writes the seed corpus of the fuzz targets (valid files of every reader) into the folder
// given as the first argument: <folder>/<reader>/<seed files>. The seeds in
// tests/fuzz-corpus were made with it.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "FuzzSupport.h"
#include "engine/KelvaneDoc.h"
#include "system/LittleEndian.h"
#include "system/Profile.h"

namespace fs = std::filesystem;

namespace {

void WriteText(const fs::path& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

bool Check(int result, const fs::path& path) {
    if (!result)
        std::fprintf(stderr, "could not write %s\n", path.c_str());
    return result != 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <corpus folder>\n", argv[0]);
        return 2;
    }
    const fs::path root = argv[1];
    for (const char* reader : {"setup", "rfc", "ref", "csv", "psf", "rec", "lug"})
        fs::create_directories(root / reader);

    kvfuzz::SilentUi ui;
    CKelvaneDoc doc;
    doc.SetDefaultSettings();
    doc.AllocSampleBuffers();
    doc.SetUi(&ui);
    bool ok = true;

    // Setup files: the defaults, and one with REF samples and a few changed settings.
    ok &= Check(doc.SaveSetupFile((root / "setup" / "Default.set").c_str()), root / "setup");
    doc.m_ref.SetRecordLength(500);
    doc.m_ref.SetNoSamples(0);
    for (int i = 0; i < 500; ++i)
        doc.m_ref.GetRawRecord()[i] = static_cast<std::int16_t>(i % 300);
    doc.m_measure.AddMeasurement(2);
    doc.m_settings.SetTimeBaseIndex(27);
    ok &= Check(doc.SaveSetupFile((root / "setup" / "ref-samples.set").c_str()), root / "setup");

    // Reference files: an ETS screen record and a short one.
    for (int i = 0; i < CTrace::kScreenPoints; ++i)
        doc.m_ch1.GetScreenTrace()[i] = static_cast<std::int16_t>((i * 7) % 512);
    doc.m_settings.SetSamplingMode(1);
    ok &= Check(doc.SaveReferenceFile((root / "rfc" / "ets.rfc").c_str()), root / "rfc");
    doc.m_settings.SetSamplingMode(0);
    {
        kv::LeWriter w;
        w.F32(128.0f);
        w.I16(6);
        w.I32(8);
        w.I32(10000);
        w.I16(13);
        w.I16(250);
        for (int i = 0; i < 8; ++i)
            w.I16(static_cast<std::int16_t>(i * 40));
        std::ofstream out(root / "rfc" / "short.rfc", std::ios::binary);
        out.write(reinterpret_cast<const char*>(w.Data().data()),
                  static_cast<std::streamsize>(w.Data().size()));
    }

    // Old text references, both forms.
    WriteText(root / "ref" / "form-a.ref", "10\r\n20\r\n30\r\n.\r\n6\r\n50\r\n128\r\n");
    std::string formB = "260\n";
    for (int i = 0; i < 260; ++i)
        formB += std::to_string(i) + "\n";
    WriteText(root / "ref" / "form-b.ref", formB + "13\n6\n50\n128\n10000\n");

    // CSV: a header and a few points (the reader keeps the points the file does not give).
    WriteText(root / "csv" / "short.csv", "#CLOCK=0.000040000\n#SIZE=10240\n0.5,0,0\n-1.25,0,0\n3,0,0\n");
    WriteText(root / "csv" / "crlf.csv", "#CLOCK=0.001000000\r\n#SIZE=14336\r\n0.000000,0,0\r\n");

    // Pass/fail settings and a one-frame recording.
    doc.m_passFail.m_nHorizontalTolerance = 20;
    doc.m_passFail.m_nVerticalTolerance = 10;
    ok &= doc.m_passFail.SaveSettings((root / "psf" / "mask.psf").c_str()) != 0;
    doc.m_record.m_nFramesRecorded = 1;
    ok &= doc.m_record.SaveRecord((root / "rec" / "one-frame.rec").c_str()) != 0;
    doc.m_record.m_nFramesRecorded = 0;
    ok &= doc.m_record.SaveRecord((root / "rec" / "empty.rec").c_str()) != 0;

    // A language file.
    kv::Profile lug;
    lug.SetString("App", "8888", "Testsprache");
    lug.SetString("App", "4002", "Funktion nicht verfügbar!");
    lug.SetString("App", "80100", "&Datei");
    ok &= lug.Save((root / "lug" / "Test.lug").string());
    return ok ? 0 : 1;
}
