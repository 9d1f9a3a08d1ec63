#include "TestOutput.h"
#include "framework/Accelerator.h"
#include "framework/Dialog.h"
#include "framework/FrameWnd.h"
#include "framework/ImageList.h"
#include "framework/Menu.h"
#include "framework/OwnerDraw.h"
#include "framework/StatusBar.h"
#include "framework/ToolBar.h"
#include "framework/View.h"
#include "framework/WinApp.h"

#include <QApplication>
#include <QDir>
#include <QKeyEvent>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>

#include <gtest/gtest.h>

#include <set>

#include <cstdlib>
#include <cstring>

namespace {

constexpr UINT kMenu = 9600;
constexpr UINT kAccel = 9601;
constexpr UINT kToolBar = 9602;
constexpr UINT kPanel = 9603;

class Doc : public CDocument {
public:
    int saves = 0;
    Doc() {
        OnCommand(33036, [this] { ++saves; });
    }
};

class TestView : public CView {
public:
    bool running = true;
    int average = 4;
    int starts = 0;
    int stops = 0;
    TestView() {
        OnCommand(32872, [this] { ++starts; });
        OnCommand(32876, [this] { ++stops; });
        OnCommand(32789, [] {});
        OnUpdateCommand(32872, [this](CCmdUI* ui) { ui->SetCheck(running); });
        OnUpdateCommand(32876, [this](CCmdUI* ui) { ui->Enable(running); });
        OnUpdateCommand(32789, [this](CCmdUI* ui) {
            CString s;
            s.Format("Average:%d", average);
            ui->SetText(s);
        });
    }
};

class TestFrame : public CFrameWnd {
public:
    CToolBar toolBar;
    CStatusBar statusBar;
    std::vector<UINT> measured;
    std::vector<UINT> drawnStates;
    int inits = 0;
    int closes = 0;
    // Owner-drawn items measure 90 x 22 and draw a green block, red when selected.
    void OnMeasureItem(int id, MEASUREITEMSTRUCT* mis) override {
        CFrameWnd::OnMeasureItem(id, mis);
        measured.push_back(mis->itemID);
        mis->itemWidth = 90;
        mis->itemHeight = 22;
    }
    void OnDrawItem(int id, DRAWITEMSTRUCT* dis) override {
        CFrameWnd::OnDrawItem(id, dis);
        drawnStates.push_back(dis->itemState);
        HBRUSH brush = CreateSolidBrush((dis->itemState & ODS_SELECTED) ? RGB(255, 0, 0) : RGB(0, 160, 0));
        FillRect(dis->hDC, &dis->rcItem, brush);
        DeleteObject(brush);
    }
    void OnInitMenuPopup(CMenu* popup, UINT index, BOOL sys) override {
        CFrameWnd::OnInitMenuPopup(popup, index, sys); // update handlers first
        ++inits;
        // Every plain item becomes owner-drawn again, as an owner-drawn menu class does.
        for (int i = 0; i < popup->GetMenuItemCount(); ++i) {
            const UINT state = popup->GetMenuState(static_cast<UINT>(i), MF_BYPOSITION);
            if (!(state & (MF_OWNERDRAW | MF_POPUP | MF_SEPARATOR)))
                popup->ModifyMenu(static_cast<UINT>(i), MF_BYPOSITION | MF_OWNERDRAW | (state & 0x0F),
                                  popup->GetMenuItemID(i), reinterpret_cast<const void*>(0x1000 + i));
        }
    }
    BOOL OnToolTipText(UINT id, NMHDR* hdr, LRESULT*) override {
        auto* ttt = reinterpret_cast<TOOLTIPTEXT*>(hdr);
        if (id == 32872)
            std::strncpy(ttt->szText, "Start", sizeof ttt->szText - 1);
        else if (id == 32876)
            std::memset(ttt->szText, 'x', sizeof ttt->szText); // fills the whole buffer
        return FALSE;
    }
    void OnGetMinMaxInfo(MINMAXINFO* mmi) override { mmi->ptMinTrackSize = POINT{600, 450}; }
};

void RegisterResources() {
    MenuTemplateItem file{"File", 0, 0, {{"Save CSV", 33036, 0, {}}}};
    MenuTemplateItem acquire{"Acquire",
                             0,
                             0,
                             {{"Start", 32872, 0, {}},
                              {"Stop", 32876, 0, {}},
                              {"Average:1", 32789, 0, {}},
                              {"Orphan", 40000, 0, {}}}};
    RegisterMenuResource(kMenu, {file, acquire});
    RegisterAcceleratorResource(kAccel, {{FVIRTKEY, VK_SPACE, 32876}, {FVIRTKEY | FCONTROL, 'S', 33036}});
    RegisterToolBarResource(kToolBar, {32872, 0, 32876});
    DialogTemplate panel;
    panel.id = kPanel;
    panel.style = WS_CHILD; // a panel inside the view, as the side control panel is
    panel.size = SIZE{100, 60};
    DialogControlTemplate button;
    button.id = 1040;
    button.kind = ControlKind::CheckBox;
    button.text = "CH1";
    button.rect = RECT{5, 5, 90, 25};
    panel.controls.push_back(button);
    RegisterDialogTemplate(panel);
}

class FwFrame : public ::testing::Test {
protected:
    void SetUp() override {
        kv::EnsureApplication();
        RegisterResources();
        app = std::make_unique<CWinApp>("Kelvane");
        frame = std::make_unique<TestFrame>();
        ASSERT_TRUE(frame->Create(nullptr, "Kestra-E USB(7.0.0.1+)", WS_OVERLAPPEDWINDOW,
                                  RECT{0, 0, 800, 630}, nullptr, kMenu));
        app->m_pMainWnd = frame.get();
        auto view = std::make_unique<TestView>();
        viewPtr = view.get();
        ASSERT_TRUE(frame->CreateView(std::move(view), &doc));
    }
    void TearDown() override {
        app->m_pMainWnd = nullptr;
        frame.reset();
        app.reset();
    }
    QMenu* Popup(int index) {
        auto* win = qobject_cast<QMainWindow*>(frame->GetWidget());
        return win->menuBar()->actions().at(index)->menu();
    }
    std::unique_ptr<CWinApp> app;
    Doc doc;
    std::unique_ptr<TestFrame> frame;
    TestView* viewPtr = nullptr;
};

TEST_F(FwFrame, CommandsRouteToViewThenDocumentAndRespectUpdateHandlers) {
    EXPECT_TRUE(frame->ExecuteCommand(32872));
    EXPECT_EQ(viewPtr->starts, 1);
    EXPECT_TRUE(frame->ExecuteCommand(33036)); // handled by the document
    EXPECT_EQ(doc.saves, 1);
    viewPtr->running = false;
    EXPECT_FALSE(frame->ExecuteCommand(32876)); // disabled by its update handler
    EXPECT_EQ(viewPtr->stops, 0);
    EXPECT_FALSE(frame->ExecuteCommand(40000)); // nobody handles it
}

TEST_F(FwFrame, PopupShowsUpdateHandlerStateAndRelabelsOnEveryOpening) {
    QMenu* acquire = Popup(1);
    emit acquire->aboutToShow();
    CMenu* menu = frame->GetMenu()->GetSubMenu(1);
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(frame->inits, 1);
    EXPECT_EQ(menu->GetMenuState(0, MF_BYPOSITION) & MF_CHECKED, MF_CHECKED);
    EXPECT_EQ(menu->GetMenuState(1, MF_BYPOSITION) & MF_GRAYED, 0u);
    EXPECT_EQ(menu->GetMenuState(3, MF_BYPOSITION) & MF_GRAYED, MF_GRAYED); // no handler anywhere
    CString text;
    menu->GetMenuString(2, text, MF_BYPOSITION);
    EXPECT_EQ(text, "Average:4");

    viewPtr->running = false;
    viewPtr->average = 16;
    emit acquire->aboutToShow();
    EXPECT_EQ(menu->GetMenuState(0, MF_BYPOSITION) & MF_CHECKED, 0u);
    EXPECT_EQ(menu->GetMenuState(1, MF_BYPOSITION) & MF_GRAYED, MF_GRAYED);
    menu->GetMenuString(2, text, MF_BYPOSITION);
    EXPECT_EQ(text, "Average:16");
    EXPECT_EQ(menu->GetMenuState(2, MF_BYPOSITION) & MF_OWNERDRAW, MF_OWNERDRAW);
}

TEST_F(FwFrame, OwnerDrawnItemsAreMeasuredAndDrawnByTheirOwner) {
    QMenu* acquire = Popup(1);
    emit acquire->aboutToShow();
    EXPECT_EQ(frame->measured, (std::vector<UINT>{32872, 32876, 32789, 40000}));
    const QList<QAction*> items = acquire->actions();
    ASSERT_EQ(items.size(), 4);
    // Each item is a real action, as high as measured and as wide as the widest.
    const QRect first = acquire->actionGeometry(items[0]);
    EXPECT_EQ(first.height(), 22);
    EXPECT_GE(first.width(), 90);
    for (QAction* item : items)
        EXPECT_EQ(acquire->actionGeometry(item).width(), first.width());
    acquire->resize(acquire->sizeHint());
    const QImage image = acquire->grab().toImage();
    ASSERT_EQ(frame->drawnStates.size(), 4u);
    EXPECT_EQ(frame->drawnStates[0] & ODS_CHECKED, ODS_CHECKED);
    EXPECT_EQ(frame->drawnStates[3] & ODS_GRAYED, ODS_GRAYED);
    EXPECT_EQ(image.pixelColor(first.center()), QColor(0, 160, 0));
    EXPECT_EQ(image.pixelColor(first.right() - 1, first.center().y()), QColor(0, 160, 0));

    // Deleting an item by position shows the rest with their own records next time.
    frame->GetMenu()->GetSubMenu(1)->DeleteMenu(0, MF_BYPOSITION);
    frame->measured.clear();
    emit acquire->aboutToShow();
    EXPECT_EQ(frame->measured, (std::vector<UINT>{32876, 32789, 40000}));
}

TEST_F(FwFrame, KeysTheFocusedControlUsesAreItsOwnAndTheOthersRunAcceleratorsOnce) {
    ASSERT_TRUE(frame->LoadAccelTable(kAccel));
    CDialog panel(kPanel);
    ASSERT_TRUE(panel.Create(kPanel, viewPtr));
    panel.ShowWindow(SW_SHOW);
    frame->ShowWindow(SW_SHOW);
    auto* button = qobject_cast<QAbstractButton*>(panel.GetDlgItem(1040)->GetWidget());
    QApplication::setActiveWindow(frame->GetWidget());
    button->setFocus();
    QApplication::processEvents();
    ASSERT_EQ(QApplication::focusWidget(), button);
    auto key = [](QWidget* to, int k, Qt::KeyboardModifiers modifiers, const QString& text) {
        QKeyEvent press(QEvent::KeyPress, k, modifiers, text);
        QApplication::sendEvent(to, &press);
        QKeyEvent release(QEvent::KeyRelease, k, modifiers, text);
        QApplication::sendEvent(to, &release);
        QApplication::processEvents();
    };
    // Space is the focused check box's: it toggles, once, and Stop does not run.
    key(button, Qt::Key_Space, Qt::NoModifier, " ");
    EXPECT_TRUE(button->isChecked());
    EXPECT_EQ(viewPtr->stops, 0);
    // A key the check box has no use for runs its accelerator, once.
    key(button, Qt::Key_S, Qt::ControlModifier, "\x13");
    EXPECT_EQ(doc.saves, 1);
    EXPECT_TRUE(button->isChecked());
    // With the view holding the keyboard, Space is Stop again.
    viewPtr->GetWidget()->setFocus();
    QApplication::processEvents();
    ASSERT_EQ(QApplication::focusWidget(), viewPtr->GetWidget());
    key(viewPtr->GetWidget(), Qt::Key_Space, Qt::NoModifier, " ");
    EXPECT_EQ(viewPtr->stops, 1);
    EXPECT_TRUE(button->isChecked());

    MSG msg;
    msg.hwnd = viewPtr;
    msg.message = WM_KEYDOWN;
    msg.wParam = 'S';
    msg.lParam = KV_KEY_CONTROL;
    EXPECT_TRUE(app->PreTranslateMessage(&msg));
    EXPECT_EQ(doc.saves, 2);
    msg.lParam = 0; // plain S is no accelerator
    EXPECT_FALSE(app->PreTranslateMessage(&msg));
    EXPECT_EQ(doc.saves, 2);
}

TEST_F(FwFrame, StatusBarPanesAndToolBarTooltips) {
    ASSERT_TRUE(frame->statusBar.Create(frame.get()));
    const UINT ids[] = {61450, 61447, 61448, 61449, 61451, 61446};
    ASSERT_TRUE(frame->statusBar.SetIndicators(ids, 6));
    EXPECT_EQ(frame->statusBar.GetPaneText(0), " ");
    frame->statusBar.SetPaneInfo(4, 61451, SBPS_NOBORDERS | SBPS_STRETCH, 1);
    frame->statusBar.SetPaneInfo(5, 61446, SBPS_NOBORDERS, 100);
    EXPECT_EQ(frame->statusBar.CommandToIndex(61446), 5);
    EXPECT_EQ(frame->statusBar.CommandToIndex(1), -1);
    EXPECT_TRUE(frame->statusBar.SetPaneText(frame->statusBar.CommandToIndex(61446), "05-03-2009  14:07"));
    EXPECT_EQ(frame->statusBar.GetPaneText(5), "05-03-2009  14:07");
    EXPECT_FALSE(frame->statusBar.SetPaneText(6, "x"));
    UINT id = 0, style = 0;
    int width = 0;
    frame->statusBar.GetPaneInfo(4, id, style, width);
    EXPECT_EQ(style & SBPS_STRETCH, SBPS_STRETCH);

    ASSERT_TRUE(frame->toolBar.CreateEx(frame.get()));
    ASSERT_TRUE(frame->toolBar.LoadToolBar(kToolBar));
    EXPECT_EQ(frame->toolBar.GetToolBarCtrl().GetButtonCount(), 3);
    EXPECT_EQ(frame->toolBar.GetItemID(2), 32876u);
    EXPECT_EQ(frame->toolBar.GetToolTipText(0), "Start");
    EXPECT_EQ(frame->toolBar.GetToolTipText(1), ""); // separator
    EXPECT_EQ(frame->toolBar.GetToolTipText(2).GetLength(), 79);
    CImageList images;
    ASSERT_TRUE(images.Create(20, 20, ILC_COLOR24 | ILC_MASK, 15, 0));
    QImage strip(40, 20, QImage::Format_RGB32);
    strip.fill(QColor(255, 0, 255));
    strip.setPixelColor(25, 5, QColor(10, 20, 30));
    EXPECT_EQ(images.Add(strip, RGB(255, 0, 255)), 0);
    EXPECT_EQ(images.GetImageCount(), 2);
    EXPECT_EQ(qAlpha(images.GetImage(1).pixel(0, 0)), 0);
    EXPECT_EQ(images.GetImage(1).pixelColor(5, 5), QColor(10, 20, 30));
    frame->toolBar.GetToolBarCtrl().SetImageList(&images);
}

TEST_F(FwFrame, FullScreenRemovesAndRestoresCaptionMenuBarsAndPlacement) {
    ASSERT_TRUE(frame->statusBar.Create(frame.get()));
    ASSERT_TRUE(frame->toolBar.CreateEx(frame.get()));
    frame->ShowWindow(SW_SHOW);
    frame->MoveWindow(30, 40, 700, 560);
    QApplication::processEvents();
    auto* win = qobject_cast<QMainWindow*>(frame->GetWidget());
    const QRect placed = win->geometry();
    WINDOWPLACEMENT saved;
    ASSERT_TRUE(frame->GetWindowPlacement(&saved));
    CMenu* menuHeld = frame->GetMenu();
    ASSERT_NE(menuHeld, nullptr);

    for (int round = 0; round < 3; ++round) {
        frame->ShowControlBar(&frame->statusBar, FALSE, FALSE);
        frame->ShowControlBar(&frame->toolBar, FALSE, FALSE);
        frame->ModifyStyle(WS_CAPTION, 0);
        frame->SetMenu(nullptr);
        frame->ShowWindow(SW_SHOWMAXIMIZED);
        QApplication::processEvents();
        // Maximised without a caption is the whole screen, in the window system's full-screen
        // state: the window was not re-created frameless.
        EXPECT_FALSE(frame->GetStyle() & WS_CAPTION);
        EXPECT_TRUE(win->isFullScreen());
        EXPECT_FALSE(win->windowFlags() & Qt::FramelessWindowHint);
        EXPECT_EQ(win->geometry(), win->screen()->geometry());
        EXPECT_FALSE(win->menuBar()->isVisible());
        EXPECT_FALSE(frame->statusBar.IsWindowVisible());
        EXPECT_TRUE(frame->IsZoomed());
        WINDOWPLACEMENT during;
        frame->GetWindowPlacement(&during);
        EXPECT_EQ(during.showCmd, SW_SHOWMAXIMIZED);
        EXPECT_TRUE(IsMenu(menuHeld->m_hMenu)); // the frame only referred to the menu

        frame->ModifyStyle(0, WS_CAPTION);
        ASSERT_TRUE(frame->SetWindowPlacement(&saved));
        frame->ShowControlBar(&frame->statusBar, TRUE, FALSE);
        frame->ShowControlBar(&frame->toolBar, TRUE, FALSE);
        frame->SetMenu(menuHeld);
        QApplication::processEvents();
        EXPECT_FALSE(frame->IsZoomed());
        EXPECT_FALSE(win->isFullScreen());
        EXPECT_EQ(win->geometry(), placed) << "round " << round;
        EXPECT_FALSE(win->windowFlags() & Qt::FramelessWindowHint);
        EXPECT_TRUE(frame->statusBar.IsWindowVisible());
        EXPECT_TRUE(win->menuBar()->isVisible());
        EXPECT_EQ(win->menuBar()->actions().size(), 2);
    }
    EXPECT_EQ(win->minimumSize(), QSize(600, 450));

    // A caption taken off a shown window that is not maximised next makes it frameless once
    // control returns to the event loop; given back, the frame returns.
    frame->ModifyStyle(WS_CAPTION, 0);
    EXPECT_FALSE(win->windowFlags() & Qt::FramelessWindowHint);
    QApplication::processEvents();
    EXPECT_TRUE(win->windowFlags() & Qt::FramelessWindowHint);
    EXPECT_TRUE(win->isVisible());
    frame->ModifyStyle(0, WS_CAPTION);
    EXPECT_FALSE(win->windowFlags() & Qt::FramelessWindowHint);
    EXPECT_TRUE(win->isVisible());
}

TEST_F(FwFrame, PictureShowsTheStatusBarAndTheToolbarInPlace) {
    ASSERT_TRUE(frame->statusBar.Create(frame.get()));
    const UINT ids[] = {61450, 61446};
    frame->statusBar.SetIndicators(ids, 2);
    frame->statusBar.SetPaneText(0, "Run in demo");
    ASSERT_TRUE(frame->toolBar.CreateEx(frame.get()));
    frame->toolBar.LoadToolBar(kToolBar);
    frame->ShowWindow(SW_SHOW);
    frame->MoveWindow(0, 0, 640, 480);
    QApplication::processEvents();
    const QImage image = frame->GetWidget()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(image.width(), 640);
    // Colours found in the area of a child window of the frame, as the picture shows it.
    auto colours = [&](CWnd& child) {
        QWidget* w = child.GetWidget();
        const QRect r(w->mapTo(frame->GetWidget(), QPoint(0, 0)), w->size());
        std::set<QRgb> found;
        for (int y = r.top(); y <= r.bottom(); ++y)
            for (int x = r.left(); x <= r.right(); ++x)
                if (image.rect().contains(x, y))
                    found.insert(image.pixel(x, y));
        return found;
    };
    // The status bar at the bottom with its text, the toolbar's images at the top.
    const QWidget* bar = frame->statusBar.GetWidget();
    EXPECT_GE(bar->mapTo(frame->GetWidget(), QPoint(0, 0)).y() + bar->height(), 470);
    EXPECT_GE(colours(frame->statusBar).size(), 2u);
    EXPECT_LE(frame->toolBar.GetWidget()->mapTo(frame->GetWidget(), QPoint(0, 0)).y(), 40);
    EXPECT_GE(colours(frame->toolBar).size(), 4u);
    EXPECT_TRUE(image.save(QString::fromStdString(kvtest::OutputDir() + "/fwgui_frame.png")));
}

TEST_F(FwFrame, ClosingTheMainFrameDestroysIt) {
    frame->ShowWindow(SW_SHOW);
    frame->PostMessage(WM_CLOSE);
    QApplication::processEvents();
    EXPECT_EQ(frame->GetSafeHwnd(), nullptr);
    EXPECT_EQ(app->m_pMainWnd, nullptr);
}

} // namespace
