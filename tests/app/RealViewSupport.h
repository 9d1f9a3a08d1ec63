#pragma once
// The started program with its real view, document, side panel and user-interface bridge, and
// helpers that act on it as a user does: menu commands through the main frame (the road of menu
// items, toolbar buttons and accelerators), update handlers as a menu asks them before it opens,
// keys and mouse through Qt's event path, and pictures of the view's own windows.
#include "AppTestSupport.h"

#include "app/SidePanel.h"
#include "display/ScopeScreen.h"
#include "resources/Resource.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QImage>
#include <QTest>
#include <QWidget>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace realview {

struct MenuState {
    bool enabled = true;
    int check = 0;
    std::string text;
};

class RealView : public ::testing::Test {
protected:
    // The simulated instruments of the run ("" none: the program runs on its demo signal).
    virtual const char* Instruments() const { return ""; }

    void SetUp() override {
        apptest::PrepareRun(Instruments());
        apptest::ModalAnswerer answer([](CDialog& dlg) { apptest::Click(dlg, IDC_BUTTON_IGNORE); });
        app = std::make_unique<CKelvaneApp>();
        ASSERT_TRUE(app->InitInstance());
        frame = app->GetMainFrame();
        view = app->GetView();
        doc = app->GetDocument();
        ASSERT_TRUE(frame && view && doc);
        panel = view->GetSidePanel();
        ASSERT_NE(panel, nullptr);
        view->PumpTick(); // the first tick sets up the menus and shows the window
        // The tests tick the pump themselves, so nothing changes between a step and its check.
        view->KillTimer(view->m_nPumpTimer);
        view->m_nPumpTimer = 0;
        AfxSetMessageBoxHook([this](const CString& text, const CString& caption, UINT) {
            boxes.push_back(std::string(caption.GetString()) + "|" + text.GetString());
            return IDOK;
        });
    }
    void TearDown() override {
        AfxSetMessageBoxHook(nullptr);
        app.reset();
        std::remove(apptest::DefaultSetPath().c_str());
    }

    // A menu command as a menu item, toolbar button or accelerator sends it.
    void Command(UINT id) { frame->ExecuteCommand(id); }
    // What the update handler makes of the item as its menu opens.
    MenuState Item(UINT id) {
        CCmdUI ui;
        ui.m_nID = id;
        EXPECT_TRUE(frame->OnCmdMsg(id, &ui)) << id;
        return {ui.m_bEnabled, ui.m_nCheck, ui.m_bTextSet ? ui.m_strText.GetString() : ""};
    }

    static QComboBox* Box(CComboBox& list) { return qobject_cast<QComboBox*>(list.GetWidget()); }
    // The user moves a list's selection with the arrow keys until `entry` is selected.
    static void Choose(CComboBox& list, int entry) {
        QComboBox* box = Box(list);
        ASSERT_NE(box, nullptr);
        ASSERT_LT(entry, box->count());
        for (int guard = 0; box->currentIndex() < entry && guard < 64; ++guard)
            QTest::keyClick(box, Qt::Key_Down);
        for (int guard = 0; box->currentIndex() > entry && guard < 64; ++guard)
            QTest::keyClick(box, Qt::Key_Up);
        ASSERT_EQ(box->currentIndex(), entry);
    }
    static int Selected(CComboBox& list) { return Box(list)->currentIndex(); }
    static bool ListEnabled(CComboBox& list) { return Box(list)->isEnabled(); }
    static std::string ItemText(CComboBox& list, int entry) {
        return Box(list)->itemText(entry).toStdString();
    }
    static void ClickButton(CButton& button) {
        auto* box = qobject_cast<QAbstractButton*>(button.GetWidget());
        ASSERT_NE(box, nullptr);
        QTest::mouseClick(box, Qt::LeftButton);
    }

    // A window of the view as it paints itself.
    static QImage Picture(CWnd& wnd) {
        QWidget* w = wnd.GetWidget();
        wnd.Invalidate(FALSE);
        QApplication::processEvents();
        return w ? w->grab().toImage().convertToFormat(QImage::Format_RGB32) : QImage();
    }
    static COLORREF At(const QImage& image, int x, int y) {
        const QRgb p = image.pixel(x, y);
        return RGB(qRed(p), qGreen(p), qBlue(p));
    }
    // Pixels of colour c in [l, r) x [t, b).
    static int Count(const QImage& image, COLORREF c, int l, int t, int r, int b) {
        int n = 0;
        for (int y = std::max(t, 0); y < std::min(b, image.height()); ++y)
            for (int x = std::max(l, 0); x < std::min(r, image.width()); ++x)
                n += At(image, x, y) == c ? 1 : 0;
        return n;
    }
    // The same region of two pictures, pixel for pixel.
    static bool SameRegion(const QImage& a, const QImage& b, int l, int t, int r, int bottom) {
        for (int y = t; y < bottom; ++y)
            for (int x = l; x < r; ++x)
                if (a.pixel(x, y) != b.pixel(x, y))
                    return false;
        return true;
    }

    std::unique_ptr<CKelvaneApp> app;
    CMainFrame* frame = nullptr;
    CKelvaneView* view = nullptr;
    CKelvaneDoc* doc = nullptr;
    CSidebarDlg* panel = nullptr;
    std::vector<std::string> boxes;
};

} // namespace realview
