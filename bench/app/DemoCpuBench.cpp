// Processor time of Kelvane running the demo at its 32 ms timer (headless, offscreen platform),
// against its anchor: the same number of ticks' own work (the pump tick and the drawing of the
// three display windows into memory), without Qt. Counters: the share of one core of each, and
// their ratio. Under a window system the handoff to the screen adds to the first; measure that
// with bench/app/kelvane-cpu-xvfb.sh.
#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include <QElapsedTimer>

#include "../../tests/app/AppTestSupport.h"
#include "display/ChannelInfoBar.h"
#include "display/ScopeScreen.h"
#include "display/StatusStrip.h"
#include "resources/Resource.h"

namespace {

double ProcessCpuSeconds() {
    rusage r{};
    getrusage(RUSAGE_SELF, &r);
    return static_cast<double>(r.ru_utime.tv_sec + r.ru_stime.tv_sec) +
           static_cast<double>(r.ru_utime.tv_usec + r.ru_stime.tv_usec) / 1e6;
}

// A memory context of a window's client size, kept across ticks as the screen's surface is.
class MemoryTarget {
public:
    explicit MemoryTarget(const CRect& client) : m_client(client) {
        m_dc.CreateCompatibleDC(nullptr);
        m_bitmap.CreateCompatibleBitmap(&m_dc, client.Width(), client.Height());
        m_old = m_dc.SelectObject(&m_bitmap);
    }
    ~MemoryTarget() { m_dc.SelectObject(m_old); }
    MemoryTarget(const MemoryTarget&) = delete;
    MemoryTarget& operator=(const MemoryTarget&) = delete;
    // One paint of the window's picture, through its own memory context and off-screen buffer.
    template <typename Window> void Draw(Window& window) { window.Paint(&m_dc, m_client); }

private:
    CRect m_client;
    CDC m_dc;
    CBitmap m_bitmap;
    CBitmap* m_old = nullptr;
};

CRect ClientOf(CWnd& wnd) {
    RECT rc;
    wnd.GetClientRect(&rc);
    return CRect(rc);
}

// Argument: seconds of demo run per repetition.
void BM_DemoRunCpu(benchmark::State& state) {
    apptest::PrepareRun("");
    apptest::ModalAnswerer ignore([](CDialog& dlg) { apptest::Click(dlg, IDC_BUTTON_IGNORE); });
    auto app = std::make_unique<CKelvaneApp>();
    if (!app->InitInstance() || !app->GetView()) {
        state.SkipWithError("the program did not start");
        return;
    }
    CKelvaneView* view = app->GetView();
    view->PumpTick(); // menus, and the main window shown at its default size
    apptest::ProcessEventsFor(300);
    const int seconds = static_cast<int>(state.range(0));
    double runShare = 0, anchorShare = 0;
    for (auto _ : state) {
        QElapsedTimer wall;
        double cpu = ProcessCpuSeconds();
        wall.start();
        apptest::ProcessEventsFor(seconds * 1000);
        const double elapsed = static_cast<double>(wall.elapsed()) / 1000.0;
        runShare = (ProcessCpuSeconds() - cpu) / elapsed;
        state.SetIterationTime(elapsed);

        // The anchor: as many ticks as the timer gives in that time, each with its drawing.
        const int ticks = seconds * 1000 / 32;
        MemoryTarget screen(ClientOf(view->ScreenPanel())), info(ClientOf(view->ChannelInfoBar())),
            strip(ClientOf(view->StatusStrip()));
        cpu = ProcessCpuSeconds();
        for (int i = 0; i < ticks; ++i) {
            view->PumpTick();
            screen.Draw(view->Screen());
            info.Draw(view->ChannelInfoBar());
            strip.Draw(view->StatusStrip());
        }
        anchorShare = (ProcessCpuSeconds() - cpu) / (ticks * 0.032);
        apptest::ProcessEventsFor(100); // the repaints those ticks asked for
    }
    state.counters["cpu_percent"] = runShare * 100;
    state.counters["anchor_percent"] = anchorShare * 100;
    state.counters["x_anchor"] = anchorShare > 0 ? runShare / anchorShare : 0;
    app.reset();
}
BENCHMARK(BM_DemoRunCpu)->Arg(3)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

} // namespace
