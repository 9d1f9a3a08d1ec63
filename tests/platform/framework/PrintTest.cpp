// The framework's print path: the print dialog answered by a hook, pages into a PDF file, the
// preview's pages, direct printing, and the order of a view's print handlers.
#include "framework/Print.h"
#include "framework/DC.h"
#include "framework/View.h"
#include "framework/WinApp.h"
#include "system/Paths.h"

#include <gtest/gtest.h>

#include <string>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

class PrintingView : public CView {
public:
    std::vector<std::string> calls;
    int pagesWide = 0;
    int pagesHigh = 0;
    UINT lastPage = 0;
    BOOL OnPreparePrinting(CPrintInfo* pInfo) override {
        calls.push_back("prepare");
        pInfo->SetMaxPage(maxPage);
        return DoPreparePrinting(pInfo);
    }
    void OnBeginPrinting(CDC* pDC, CPrintInfo*) override {
        calls.push_back(pDC->IsPrinting() ? "begin:printing" : "begin");
    }
    void OnPrint(CDC* pDC, CPrintInfo* pInfo) override {
        calls.push_back("print");
        pagesWide = pDC->GetDeviceCaps(HORZRES);
        pagesHigh = pDC->GetDeviceCaps(VERTRES);
        lastPage = pInfo->m_nCurPage;
        pDC->Rectangle(10, 10, 60, 40);
    }
    void OnEndPrinting(CDC*, CPrintInfo*) override { calls.push_back("end"); }
    UINT maxPage = 1;
};

long FileSize(const std::string& path) {
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f)
        return -1;
    std::fseek(f, 0, SEEK_END);
    const long size = std::ftell(f);
    std::fclose(f);
    return size;
}

class PrintPath : public ::testing::Test {
protected:
    PrintPath() { kv::EnsureApplication(); }
    ~PrintPath() override {
        kv::SetPrintDialogHook(nullptr);
        kv::SetPrintPreviewHook(nullptr);
        kv::SetDefaultPrinter(nullptr);
    }
    std::string path = kv::TempFolder() + "/kv-print-path-" + std::to_string(::getpid()) + ".pdf";
};

} // namespace

TEST_F(PrintPath, PrintCommandAsksTheDialogAndWritesThePdf) {
    std::remove(path.c_str());
    PrintingView view;
    int asked = 0;
    kv::SetPrintDialogHook([&](CPrintInfo& info) {
        ++asked;
        EXPECT_FALSE(info.m_bDirect);
        info.m_strOutputFile = path.c_str();
        info.m_nPageWidth = 800;
        info.m_nPageHeight = 1000;
        info.m_nDpi = 100;
        return static_cast<INT_PTR>(IDOK);
    });
    ASSERT_TRUE(view.OnCmdMsg(57607, nullptr));
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(view.calls, (std::vector<std::string>{"prepare", "begin:printing", "print", "end"}));
    EXPECT_EQ(view.pagesWide, 800);
    EXPECT_EQ(view.pagesHigh, 1000);
    EXPECT_GT(FileSize(path), 100);
    std::remove(path.c_str());
}

TEST_F(PrintPath, CancelledDialogPrintsNothing) {
    std::remove(path.c_str());
    PrintingView view;
    kv::SetPrintDialogHook([&](CPrintInfo& info) {
        info.m_strOutputFile = path.c_str();
        return static_cast<INT_PTR>(IDCANCEL);
    });
    view.OnFilePrint();
    EXPECT_EQ(view.calls, (std::vector<std::string>{"prepare"}));
    EXPECT_EQ(FileSize(path), -1);
}

TEST_F(PrintPath, UnusablePageSizeIsRefusedBeforeAnyDrawing) {
    PrintingView view;
    kv::SetPrintDialogHook([&](CPrintInfo& info) {
        info.m_strOutputFile = path.c_str();
        info.m_nPageWidth = 0;
        return static_cast<INT_PTR>(IDOK);
    });
    view.OnFilePrint();
    EXPECT_EQ(view.calls, (std::vector<std::string>{"prepare"}));
}

TEST_F(PrintPath, DirectPrintSkipsTheDialogAndPrintsEveryPage) {
    std::remove(path.c_str());
    kv::SetDefaultPrinter(path.c_str(), 400, 500, 72);
    kv::SetPrintDialogHook([](CPrintInfo&) -> INT_PTR {
        ADD_FAILURE() << "no dialog for direct printing";
        return IDCANCEL;
    });
    PrintingView view;
    view.maxPage = 3;
    ASSERT_TRUE(view.OnCmdMsg(57608, nullptr));
    EXPECT_EQ(view.calls,
              (std::vector<std::string>{"prepare", "begin:printing", "print", "print", "print", "end"}));
    EXPECT_EQ(view.lastPage, 3u);
    EXPECT_EQ(view.pagesWide, 400);
    EXPECT_GT(FileSize(path), 100);
    std::remove(path.c_str());
}

TEST_F(PrintPath, PreviewHandsEachPageAsABitmap) {
    kv::SetDefaultPrinter(nullptr, 300, 200, 96);
    int pages = 0;
    COLORREF inside = 0, outside = 0, border = 0;
    kv::SetPrintPreviewHook([&](CDC& page, const CPrintInfo& info) {
        ++pages;
        EXPECT_TRUE(info.m_bPreview);
        EXPECT_TRUE(page.IsPrinting());
        border = page.GetPixel(10, 20);
        inside = page.GetPixel(30, 20);
        outside = page.GetPixel(100, 100);
    });
    PrintingView view;
    ASSERT_TRUE(view.OnCmdMsg(57609, nullptr));
    EXPECT_EQ(pages, 1);
    EXPECT_EQ(view.pagesWide, 300);
    EXPECT_EQ(view.pagesHigh, 200);
    EXPECT_EQ(border, RGB(0, 0, 0));
    EXPECT_EQ(inside, RGB(255, 255, 255));
    EXPECT_EQ(outside, RGB(255, 255, 255));
}
