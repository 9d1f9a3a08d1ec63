// The 32 ms pump: the first tick's menu set-up, demo acquisition reaching the screen, the lost
// and found instrument, and ticks that belong to auto-setup.
#include "AppTestSupport.h"

#include "WndImpl.h"

#include "app/MenuEx.h"
#include "engine/BitmapWriter.h"
#include "resources/Resource.h"
#include "simulator/SimZendral.h"
#include "zendral/RecordingZendral.h"
#include "zendral/ZendralRegistry.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QPixmap>

#include "TestOutput.h"
#include <cstdio>
#include <string>
#include <vector>

using namespace apptest;

namespace {

// Starts the program; with no instrument the Searching Device dialog is answered with Ignore.
std::unique_ptr<CKelvaneApp> StartApp(const char* simulator) {
    PrepareRun(simulator);
    ModalAnswerer answer([](CDialog& dlg) { Click(dlg, IDC_BUTTON_IGNORE); });
    auto app = std::make_unique<CKelvaneApp>();
    EXPECT_TRUE(app->InitInstance());
    return app;
}

std::vector<std::string> ItemTexts(CMenuEx* menu) {
    std::vector<std::string> texts;
    if (!menu)
        return texts;
    for (int i = 0; i < menu->GetItemCount(); ++i) {
        CString text;
        menu->GetMenuString(static_cast<UINT>(i), text, MF_BYPOSITION);
        if (CMenuExItem* item = menu->GetItem(i); item && text.IsEmpty())
            text = item->m_strText;
        texts.emplace_back(text.GetString());
    }
    return texts;
}

CMenuEx* Path(CMainFrame* frame, std::initializer_list<int> positions) {
    CMenuEx* menu = &frame->m_menu;
    for (int p : positions)
        menu = menu ? menu->GetSubMenuEx(p) : nullptr;
    return menu;
}

bool HasColour(const QImage& image, COLORREF c) {
    const QRgb want = qRgb(GetRValue(c), GetGValue(c), GetBValue(c));
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if ((image.pixel(x, y) & 0xFFFFFF) == (want & 0xFFFFFF))
                return true;
    return false;
}

} // namespace

TEST(TimerPump, FirstTickPrunesTranslatesAndShowsTheWindow) {
    auto app = StartApp("");
    CMainFrame* frame = app->GetMainFrame();
    CKelvaneView* view = app->GetView();
    ASSERT_TRUE(frame && view);
    EXPECT_FALSE(frame->IsWindowVisible()); // hidden until the first tick
    EXPECT_EQ(view->m_bFirstTick, 1);
    app->GetDocument()->m_nModel = 4;
    view->PumpTick();
    EXPECT_EQ(view->m_bFirstTick, 0);
    EXPECT_TRUE(frame->IsWindowVisible());

    EXPECT_EQ(ItemTexts(Path(frame, {8, 9})), (std::vector<std::string>{"10k", "14k", "28k"}));
    // Peak Detect is never offered; Demo Setting only in demo mode.
    EXPECT_EQ(Path(frame, {8, 8})->GetItemCount(), 2);
    EXPECT_EQ(Path(frame, {8})->GetMenuItemID(13), ID_DEMO_SETTING);
    // Model 4 keeps the 2 ns step, Pulse and ETS, and loses EXT/10.
    EXPECT_EQ(Path(frame, {4, 0, 0})->GetItemCount(), 8);
    EXPECT_EQ(Path(frame, {3, 2})->GetItemCount(), 4);
    // No language files beside the program: Default and the separator only.
    EXPECT_EQ(Path(frame, {9, 8})->GetItemCount(), 2);
    EXPECT_STREQ(frame->GetKelvaneDoc()->GetText(4010), "Run in demo");
}

TEST(TimerPump, BufferSizeMenuFollowsTheModel) {
    const struct {
        std::int16_t model;
        std::vector<std::string> sizes;
    } cases[] = {
        {0, {"10k", "32k", "64k"}},  {1, {"10k", "32k", "64k"}},
        {2, {"10k", "512k", "1 M"}}, {3, {"10k", "14k", "28k", "32k", "64k", "512k", "1 M"}},
        {5, {"10k", "512k", "1 M"}},
    };
    for (const auto& c : cases) {
        auto app = StartApp("1"); // connected: Demo Setting goes too
        app->GetDocument()->m_nModel = c.model;
        app->GetView()->PumpTick();
        CMainFrame* frame = app->GetMainFrame();
        EXPECT_EQ(ItemTexts(Path(frame, {8, 9})), c.sizes) << "model " << c.model;
        EXPECT_EQ(Path(frame, {8})->GetItemCount(), 13) << "model " << c.model;
        const bool fast = c.model == 5;
        EXPECT_EQ(Path(frame, {4, 0, 0})->GetItemCount(), fast ? 8 : 7) << "model " << c.model;
        EXPECT_EQ(Path(frame, {2, 0, 1})->GetItemCount(), fast ? 10 : 9) << "model " << c.model;
        EXPECT_EQ(Path(frame, {3, 2})->GetItemCount(), c.model == 0 ? 4 : 5) << "model " << c.model;
        EXPECT_EQ(Path(frame, {8, 7})->GetItemCount(), fast ? 2 : 1) << "model " << c.model;
    }
}

TEST(TimerPump, DemoTicksDrawBothChannelsWithoutAskingForTheInstrument) {
    auto app = StartApp("");
    CKelvaneView* view = app->GetView();
    // From here on every instrument call is recorded: demo mode must not ask for presence.
    auto recorder = std::make_shared<kv::RecordingZendral>();
    kv::ScopedZendral scoped(recorder);
    for (int i = 0; i < 300; ++i) {
        view->PumpTick();
        if (i % 50 == 0)
            QCoreApplication::processEvents();
    }
    for (const auto& call : recorder->calls)
        EXPECT_NE(call.ordinal, 8) << "presence query in demo mode";
    EXPECT_STREQ(StatusPane(*app), "Run in demo");

    const QImage image = view->ScreenPanel().GetWidget()->grab().toImage();
    ASSERT_FALSE(image.isNull());
    EXPECT_TRUE(HasColour(image, view->Screen().GetChannelColor(0)));
    EXPECT_TRUE(HasColour(image, view->Screen().GetChannelColor(1)));

    // The whole main window as a person sees it.
    ProcessEventsFor(100);
    const QImage window = app->GetMainFrame()->GetWidget()->grab().toImage();
    EXPECT_TRUE(window.save(QString::fromStdString(kvtest::OutputDir() + "/kelvane-demo-window.png")));
}

TEST(TimerPump, LostInstrumentShowsSearchAndResendsOnReturn) {
    auto app = StartApp("1");
    auto sim = std::dynamic_pointer_cast<kv::sim::SimZendral>(kv::CurrentZendralShared());
    ASSERT_TRUE(sim);
    CKelvaneView* view = app->GetView();
    CKelvaneDoc* doc = app->GetDocument();
    for (int i = 0; i < 5; ++i)
        view->PumpTick();
    EXPECT_STREQ(StatusPane(*app), "Connected");

    sim->SetAnswering(0, false);
    view->PumpTick();
    EXPECT_STREQ(StatusPane(*app), "Search Device......");
    EXPECT_EQ(doc->m_usb.IsSettingsSent(), 0);
    const int frozenReads = sim->ReadsServed(0);
    for (int i = 0; i < 5; ++i)
        view->PumpTick();
    EXPECT_EQ(sim->ReadsServed(0), frozenReads); // no acquisition while lost

    // Back again: every setting is sent before acquisition resumes.
    sim->Instrument(0)->SetVoltsIndex(0, 0);
    sim->SetAnswering(0, true);
    view->PumpTick();
    EXPECT_EQ(doc->m_usb.IsSettingsSent(), 1);
    EXPECT_STREQ(StatusPane(*app), "Connected");
    EXPECT_EQ(sim->StateBlock(0)[0], doc->m_usb.GetStateBlock()[0]);
    for (int i = 0; i < 10; ++i)
        view->PumpTick();
    EXPECT_GT(sim->ReadsServed(0), frozenReads);
}

TEST(TimerPump, AutoSetupAndCalibrationTicksNeitherAcquireNorRepaint) {
    auto app = StartApp("1");
    auto sim = std::dynamic_pointer_cast<kv::sim::SimZendral>(kv::CurrentZendralShared());
    ASSERT_TRUE(sim);
    CKelvaneView* view = app->GetView();
    CKelvaneDoc* doc = app->GetDocument();
    view->PumpTick();
    const int reads = sim->ReadsServed(0);
    doc->m_nAutoSetupState = 1;
    for (int i = 0; i < 10; ++i)
        view->PumpTick();
    doc->m_nAutoSetupState = -1;
    doc->m_nCalibrationState = 0;
    for (int i = 0; i < 10; ++i)
        view->PumpTick();
    // Those ticks ran the auto-setup and calibration steps, which make their own captures.
    EXPECT_GE(sim->ReadsServed(0), reads);
    const int afterWork = sim->ReadsServed(0);
    doc->m_nCalibrationState = -1;
    doc->m_nAutoSetupState = -1;
    for (int i = 0; i < 10; ++i)
        view->PumpTick();
    EXPECT_GT(sim->ReadsServed(0), afterWork);
}

TEST(TimerPump, SaveImageTimerCapturesTheMainWindowOnce) {
    auto app = StartApp("");
    CKelvaneView* view = app->GetView();
    view->PumpTick();
    ProcessEventsFor(50);
    const std::string path = kv::TempFolder() + "/kelvane-app-capture.bmp";
    std::remove(path.c_str());
    view->m_strImagePath = path.c_str();
    view->m_nImageTimer = static_cast<UINT>(view->SetTimer(IDT_IMAGE, 1));
    ProcessEventsFor(60);
    EXPECT_EQ(view->m_nImageTimer, 0u);
    ASSERT_NE(view->GetCapturedImage(), nullptr);
    EXPECT_EQ(view->GetCapturedImage()->GetWidth(), app->GetMainFrame()->GetWidget()->width());
    EXPECT_TRUE(FileExists(path));
    std::remove(path.c_str());
}

// The processor time of a demo run is measured in bench/app (DemoCpuBench); here what a run
// must do, exactly: a 32 ms repeating timer, and per tick one acquisition, one paint of the
// screen panel, a paint of a bar only with a new picture of it, and the status text.
TEST(TimerPump, DemoRunTicksEvery32MsAndPaintsTheScreenOncePerTick) {
    auto app = StartApp("");
    CKelvaneView* view = app->GetView();
    view->PumpTick(); // shows the window at its default size
    ASSERT_NE(view->m_nPumpTimer, 0u);
    const auto& timers = view->GetImpl()->timers;
    const auto pump = timers.find(view->m_nPumpTimer);
    ASSERT_NE(pump, timers.end());
    EXPECT_EQ(pump->second->interval(), 32);
    EXPECT_FALSE(pump->second->isSingleShot());
    EXPECT_TRUE(pump->second->isActive());

    // Ticks driven one at a time, with the event loop between them as the timer would leave it.
    pump->second->stop();
    QCoreApplication::processEvents();
    CWnd* windows[] = {&view->ScreenPanel(), &view->ChannelInfoBar(), &view->StatusStrip()};
    CBufferedStatic* bars[] = {&view->ChannelInfoBar(), &view->StatusStrip()};
    int before[3], drawnBefore[2];
    for (int w = 0; w < 3; ++w)
        before[w] = windows[w]->GetImpl()->presentCount;
    for (int b = 0; b < 2; ++b)
        drawnBefore[b] = bars[b]->GetDrawCount();
    const std::int16_t* trace = app->GetDocument()->m_ch1.GetScreenTrace();
    std::vector<std::vector<std::int16_t>> frames;
    constexpr int kTicks = 6;
    for (int tick = 0; tick < kTicks; ++tick) {
        view->PumpTick();
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
        frames.emplace_back(trace, trace + 500);
        EXPECT_EQ(windows[0]->GetImpl()->presentCount - before[0], tick + 1);
        for (int b = 0; b < 2; ++b)
            EXPECT_EQ(windows[b + 1]->GetImpl()->presentCount - before[b + 1],
                      bars[b]->GetDrawCount() - drawnBefore[b])
                << "bar " << b;
        EXPECT_STREQ(StatusPane(*app), "Run in demo");
    }
    // Every tick acquired a new demo frame: the moving sine never repeats a trace.
    for (int tick = 1; tick < kTicks; ++tick)
        EXPECT_NE(frames[tick], frames[tick - 1]) << "tick " << tick;
}
