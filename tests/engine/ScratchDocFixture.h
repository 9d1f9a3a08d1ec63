#pragma once
// A document with its default settings and sample buffers, a recording user interface, a
// recording instrument and a private folder under the build folder, for the file-safety tests.
#include "engine/KelvaneDoc.h"
#include "zendral/RecordingZendral.h"
#include "zendral/ZendralRegistry.h"

#include "../platform/system/ScratchFolder.h"
#include "FakeDocUi.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace kvtest {

class ScratchDocFixture : public ::testing::Test {
protected:
    explicit ScratchDocFixture(const std::string& prefix) : dir(prefix) {
        doc.SetDefaultSettings();
        doc.AllocSampleBuffers();
        doc.SetUi(&ui);
    }
    void SetUp() override { ASSERT_TRUE(dir.Ok()); }

    // The texts of the message boxes shown so far.
    std::vector<std::string> Messages() const {
        std::vector<std::string> out;
        for (const std::string& c : ui.calls)
            if (c.rfind("MessageBox", 0) == 0)
                out.push_back(c.substr(std::string("MessageBox : ").size()));
        return out;
    }
    // Every setting the setup file holds, as the bytes of a saved file (saved beside the test's
    // files, with the demo flag off for the moment).
    std::vector<std::uint8_t> Settings(CKelvaneDoc& d) {
        const std::string p = dir.File("snapshot.set");
        const auto demo = d.IsDemoMode();
        d.SetDemoMode(0);
        FakeDocUi quiet;
        IDocUi* old = d.GetUi();
        d.SetUi(&quiet);
        quiet.screen = ui.screen;
        EXPECT_EQ(d.SaveSetupFile(p.c_str()), 1);
        d.SetUi(old);
        d.SetDemoMode(demo);
        return ReadAllBytes(p);
    }
    std::string Fifo(const std::string& name) {
        const std::string p = dir.File(name);
        EXPECT_EQ(::mkfifo(p.c_str(), 0644), 0);
        return p;
    }

    std::shared_ptr<kv::RecordingZendral> fake = std::make_shared<kv::RecordingZendral>();
    kv::ScopedZendral scope{fake};
    ScratchFolder dir;
    CKelvaneDoc doc;
    FakeDocUi ui;
};

} // namespace kvtest
