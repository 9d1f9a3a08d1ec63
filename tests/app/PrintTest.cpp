// The view's print-out: acquisition stopped around the page, the page's frame, colour keys,
// settings lines and traces, scaling with the page size, and a real PDF file.
#include "AppTestSupport.h"

#include "engine/SettingsCodes.h"
#include "framework/DC.h"
#include "framework/Print.h"
#include "resources/Resource.h"

#include <gtest/gtest.h>

#include "TestOutput.h"
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

using namespace apptest;

namespace {

class ViewPrinting : public ::testing::Test {
protected:
    ViewPrinting() {
        PrepareRun("");
        ModalAnswerer answer([](CDialog& d) { Click(d, IDC_BUTTON_IGNORE); });
        app = std::make_unique<CKelvaneApp>();
        EXPECT_TRUE(app->InitInstance());
        view = app->GetView();
        doc = app->GetDocument();
    }
    ~ViewPrinting() override {
        kv::SetPrintDialogHook(nullptr);
        kv::SetPrintPreviewHook(nullptr);
        kv::SetDefaultPrinter(nullptr);
    }

    // Renders the page at width x height through the preview and keeps the pixels asked for.
    template <class F> void Preview(int width, int height, F inspect) {
        kv::SetDefaultPrinter(nullptr, width, height, 96);
        kv::SetPrintPreviewHook([&](CDC& page, const CPrintInfo&) { inspect(page); });
        view->OnFilePrintPreview();
    }

    std::unique_ptr<CKelvaneApp> app;
    CKelvaneView* view = nullptr;
    CKelvaneDoc* doc = nullptr;
};

int CountColour(CDC& page, int x1, int y1, int x2, int y2, COLORREF c) {
    int n = 0;
    for (int y = y1; y < y2; ++y)
        for (int x = x1; x < x2; ++x)
            n += page.GetPixel(x, y) == c;
    return n;
}

} // namespace

TEST_F(ViewPrinting, AcquisitionIsStoppedForThePageAndStartedAgain) {
    ASSERT_TRUE(view && doc);
    bool runningWhilePrinting = true;
    doc->m_bRunning = 1;
    kv::SetDefaultPrinter(nullptr, 500, 500, 96);
    kv::SetPrintPreviewHook([&](CDC&, const CPrintInfo&) { runningWhilePrinting = doc->m_bRunning != 0; });
    view->OnFilePrintPreview();
    EXPECT_FALSE(runningWhilePrinting);
    EXPECT_EQ(doc->m_bRunning, 1);
    EXPECT_EQ(view->m_bPrintStopped, 0);

    // Printed while stopped: stays stopped.
    view->RunStop();
    ASSERT_EQ(doc->m_bRunning, 0);
    view->OnFilePrintPreview();
    EXPECT_EQ(doc->m_bRunning, 0);
}

TEST_F(ViewPrinting, OnlyTheChannelsThatAreOnAppear) {
    ASSERT_TRUE(view && doc);
    doc->m_ch1.SetOn(0);
    doc->m_ch2.SetOn(1);
    doc->m_math.SetOn(0);
    doc->m_ref.SetOn(0);
    doc->m_ch1.SetColor(RGB(250, 200, 0));
    doc->m_ch2.SetColor(RGB(0, 160, 250));
    for (int i = 0; i < CTrace::kScreenPoints; ++i) {
        doc->m_ch1.GetScreenTrace()[i] = 256;
        doc->m_ch2.GetScreenTrace()[i] = static_cast<std::int16_t>(i >= 200 && i < 220 ? 11111 : 100 + i / 4);
    }
    const COLORREF ch1 = doc->m_ch1.GetColor();
    const COLORREF ch2 = doc->m_ch2.GetColor();
    int pages = 0;
    Preview(1000, 1000, [&](CDC& page) {
        ++pages;
        // Frame rectangles at (10u, 30v) and the plot frame at 0.05 W .. 0.95 W.
        EXPECT_EQ(page.GetPixel(500, 30), RGB(0, 0, 0));
        EXPECT_EQ(page.GetPixel(10, 500), RGB(0, 0, 0));
        EXPECT_EQ(page.GetPixel(500, 152), RGB(0, 0, 0));
        EXPECT_EQ(page.GetPixel(50, 400), RGB(0, 0, 0));
        // CH2's colour key only.
        EXPECT_EQ(page.GetPixel(390, 720), ch2);
        EXPECT_EQ(page.GetPixel(190, 720), RGB(255, 255, 255));
        // CH2's trace inside the plot box, CH1's nowhere; the gaps draw nothing off the box.
        EXPECT_GT(CountColour(page, 50, 152, 951, 701, ch2), 100);
        EXPECT_EQ(CountColour(page, 0, 0, 1000, 1000, ch1), 0);
        EXPECT_EQ(CountColour(page, 0, 0, 1000, 140, ch2), 0);
        // The level marker's triangle sits left of the box.
        const int tipY = static_cast<int>(152 + doc->m_ch2.GetPosition() * (700 - 152) / 511.0);
        EXPECT_EQ(page.GetPixel(47, tipY), ch2);
        KvSaveDCPng(page.GetSafeHdc(), (kvtest::OutputDir() + "/print-page.png").c_str());
    });
    EXPECT_EQ(pages, 1);
}

TEST_F(ViewPrinting, ATallerPageDoublesEveryVerticalPosition) {
    ASSERT_TRUE(view && doc);
    doc->m_ch1.SetOn(1);
    const COLORREF ch1 = doc->m_ch1.GetColor();
    int keyTop[2] = {-1, -1};
    int frameTop[2] = {-1, -1};
    for (int k = 0; k < 2; ++k) {
        const int height = 1000 * (k + 1);
        Preview(1000, height, [&](CDC& page) {
            for (int y = 0; y < height && frameTop[k] < 0; ++y)
                if (page.GetPixel(500, y) == RGB(0, 0, 0))
                    frameTop[k] = y;
            for (int y = 0; y < height && keyTop[k] < 0; ++y)
                if (page.GetPixel(190, y) == ch1 && y > height / 2)
                    keyTop[k] = y;
        });
    }
    EXPECT_EQ(frameTop[0], 30);
    EXPECT_EQ(frameTop[1], 60);
    EXPECT_EQ(keyTop[0], 714);
    EXPECT_EQ(keyTop[1], 1428);
}

TEST_F(ViewPrinting, PrintsOnePageIntoAPdfFile) {
    ASSERT_TRUE(view && doc);
    const std::string path = kv::TempFolder() + "/kv-test-report.pdf";
    std::remove(path.c_str());
    kv::SetPrintDialogHook([&](CPrintInfo& info) {
        info.m_strOutputFile = path.c_str();
        return static_cast<INT_PTR>(IDOK);
    });
    view->OnCmdMsg(ID_FILE_PRINT, nullptr);
    FILE* f = std::fopen(path.c_str(), "rb");
    ASSERT_NE(f, nullptr);
    char head[5] = {};
    EXPECT_EQ(std::fread(head, 1, 4, f), 4u);
    std::fclose(f);
    EXPECT_STREQ(head, "%PDF");
    std::rename(path.c_str(), (kvtest::OutputDir() + "/test-report.pdf").c_str());
}

// CH2's settings line (at 0.78 H) prints CH2's volts/div and coupling: CH1's settings leave it
// alone, CH2's own change it.
TEST_F(ViewPrinting, TheSecondChannelsSettingsLineShowsItsOwnSettings) {
    ASSERT_TRUE(view && doc);
    doc->m_ch1.SetOn(0);
    doc->m_ch2.SetOn(1);
    doc->m_math.SetOn(0);
    doc->m_ref.SetOn(0);
    for (CTrace* t : {&doc->m_ch1, &doc->m_ch2}) {
        t->SetProbe(0);
        t->SetVoltsPerDivIndex(3);
        t->SetCoupling(kCouplingDc);
    }
    auto line = [&] {
        std::vector<COLORREF> pixels;
        Preview(1000, 1000, [&](CDC& page) {
            for (int y = 776; y < 800; ++y)
                for (int x = 0; x < 1000; ++x)
                    pixels.push_back(page.GetPixel(x, y));
        });
        return pixels;
    };
    const std::vector<COLORREF> first = line();
    ASSERT_FALSE(first.empty());
    EXPECT_GT(std::count_if(first.begin(), first.end(), [](COLORREF c) { return c != RGB(255, 255, 255); }),
              50);
    // CH1 is off: its line (0.76 H) and its "CH1 :" label (50u, 710v) stay blank; "CH2 :" is printed.
    Preview(1000, 1000, [&](CDC& page) {
        EXPECT_EQ(CountColour(page, 40, 756, 960, 776, RGB(255, 255, 255)), 920 * 20);
        EXPECT_EQ(CountColour(page, 50, 706, 130, 734, RGB(255, 255, 255)), 80 * 28);
        EXPECT_LT(CountColour(page, 250, 706, 330, 734, RGB(255, 255, 255)), 80 * 28);
    });

    doc->m_ch1.SetVoltsPerDivIndex(8);
    doc->m_ch1.SetCoupling(kCouplingAc);
    EXPECT_TRUE(line() == first) << "CH1's settings changed CH2's line";

    doc->m_ch2.SetVoltsPerDivIndex(8);
    const std::vector<COLORREF> volts = line();
    EXPECT_FALSE(volts == first) << "CH2's volts/div did not reach its line";
    doc->m_ch2.SetCoupling(kCouplingAc);
    EXPECT_FALSE(line() == volts) << "CH2's coupling did not reach its line";
}

TEST_F(ViewPrinting, TracesReachTheTopAndBottomEdgesOfThePlotBox) {
    ASSERT_TRUE(view && doc);
    doc->m_ch1.SetOn(1);
    doc->m_ch2.SetOn(1);
    doc->m_math.SetOn(0);
    doc->m_ref.SetOn(0);
    doc->m_ch1.SetColor(RGB(250, 200, 0));
    doc->m_ch2.SetColor(RGB(0, 160, 250));
    view->RunStop();
    // Square waves between the screen's lowest (0) and highest (511) codes, CH2 a quarter period later; one
    // point past the top on each channel is a gap.
    for (int i = 0; i < CTrace::kScreenPoints; ++i) {
        doc->m_ch1.GetScreenTrace()[i] = static_cast<std::int16_t>((i / 50) % 2 == 0 ? 511 : 0);
        doc->m_ch2.GetScreenTrace()[i] = static_cast<std::int16_t>(((i + 25) / 50) % 2 == 0 ? 0 : 511);
    }
    doc->m_ch1.GetScreenTrace()[475] = 512;
    doc->m_ch2.GetScreenTrace()[425] = 512;
    const COLORREF ch1 = doc->m_ch1.GetColor();
    const COLORREF ch2 = doc->m_ch2.GetColor();
    Preview(1000, 1000, [&](CDC& page) {
        // The box spans 152..700 down the page and its frame is drawn over the traces, so what
        // shows of a square wave between codes 0 and 511 is its edges: nine or ten lines across the
        // full height of some 540 pixels each, none reaching beyond the box.
        for (const COLORREF c : {ch1, ch2}) {
            EXPECT_GT(CountColour(page, 50, 153, 951, 700, c), 8 * 500) << c;
            EXPECT_EQ(CountColour(page, 0, 0, 1000, 152, c), 0) << c;
            EXPECT_EQ(CountColour(page, 0, 701, 1000, 710, c), 0) << c;
        }
    });
}
