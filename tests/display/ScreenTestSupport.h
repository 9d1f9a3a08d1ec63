#pragma once
// Shared pieces of the screen panel's mouse and cursor tests: a memory surface to draw into and
// read back, and a document wired to a recording instrument and a recording user interface.
#include "ScopeScreen.h"
#include "engine/KelvaneDoc.h"
#include "zendral/RecordingZendral.h"
#include "zendral/ZendralRegistry.h"

#include "../engine/FakeDocUi.h"
#include "PixelSurface.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace kvtest {

// The left-button bit of a mouse message's flags.
constexpr UINT kLeftButton = 0x0001;

using ScreenSurface = ::PixelSurface;

// A document with its default set-up sent once to a recording instrument, a recording user
// interface, and the screen panel sized and with its pointers placed.
class ScreenFixture : public ::testing::Test {
protected:
    ScreenFixture() {
        doc.SetDefaultSettings();
        doc.AllocSampleBuffers();
        doc.SetUi(&ui);
        doc.ApplySettingsToDevice();
        fake->ClearCalls();
        screen.SetDocument(&doc);
        screen.SetCaptureHandler([this](bool take) { captured = take; });
        screen.SetCursorHandler([this](int id) { cursor = id; });
        Resize(800, 630);
        ui.calls.clear();
    }
    void Resize(int w, int h) {
        width = w;
        height = h;
        screen.OnSize(w, h);
        screen.UpdateMarkerPositions();
    }
    void Draw(ScreenSurface& s) { screen.DrawScreen(&s.dc, CRect(0, 0, s.w, s.h)); }

    void Press(CPoint p) { screen.OnLButtonDown(kLeftButton, p); }
    void Release(CPoint p) { screen.OnLButtonUp(0, p); }
    // Four moves to the same point: one of them acts on a grabbed pointer, whatever the counter.
    void MoveTo(CPoint p, UINT flags = kLeftButton) {
        for (int i = 0; i < 4; ++i)
            screen.OnMouseMove(flags, p);
    }
    // Grab at `from`, move to `to`, let go.
    void Drag(CPoint from, CPoint to) {
        Press(from);
        MoveTo(to);
        Release(to);
    }
    static CPoint Centre(const CRect& rc) {
        return CPoint((rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2);
    }
    CPoint CentreOf(CScopeScreen::Marker m) const { return Centre(screen.GetMarkerRect(m)); }
    std::vector<int> Ordinals() const { return fake->Ordinals(); }

    std::shared_ptr<kv::RecordingZendral> fake = std::make_shared<kv::RecordingZendral>();
    kv::ScopedZendral scope{fake};
    CKelvaneDoc doc;
    FakeDocUi ui;
    CScopeScreen screen;
    bool captured = false;
    int cursor = 0;
    int width = 0;
    int height = 0;
};

} // namespace kvtest
