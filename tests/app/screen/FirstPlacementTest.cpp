// The main window's first placement on a small screen: built twice, for a 640 x 480 screen and
// for a 1280 x 960 screen at scale factor 2 (again 640 x 480 for the program). The window,
// frame included, lies in the work area with its title bar and menu bar on the screen.
#include "ShownAppSupport.h"

#include "app/MainFrame.h"

#include <QScreen>

using namespace apptest;

namespace {

// Named by the build: one name for each screen the test runs on.
class KV_TEST_SCREEN_SUITE : public ShownApp {};

TEST_F(KV_TEST_SCREEN_SUITE, FirstPlacementFitsTheWorkAreaWithTitleAndMenuOnIt) {
    Start();
    const QRect work = window->screen()->availableGeometry();
    ASSERT_EQ(work.size(), QSize(640, 480)) << "the screen the test runs on";
    const QRect frame = window->frameGeometry();
    EXPECT_TRUE(work.contains(frame))
        << frame.x() << "," << frame.y() << " " << frame.width() << "x" << frame.height();
    // The window grows as far as the area lets it, never below its minimum size.
    EXPECT_GE(window->width(), CMainFrame::kMinTrackWidth);
    EXPECT_GE(window->height(), CMainFrame::kMinTrackHeight);
    EXPECT_LT(window->width(), CMainFrame::kInitialWidth);
    EXPECT_LT(window->height(), CMainFrame::kInitialHeight);
    EXPECT_GT(window->width(), work.width() - 40);
    EXPECT_GT(window->height(), work.height() - 80);
    // The menu bar, whose menus a person opens with the mouse, is on the screen.
    ASSERT_TRUE(Bar()->isVisible());
    const QRect bar(Bar()->mapToGlobal(QPoint(0, 0)), Bar()->size());
    EXPECT_TRUE(work.contains(bar));
    EXPECT_GT(Bar()->actions().size(), 5);

    // It is a working window: Alt+Enter there and back gives the same placement.
    const QRect before = window->geometry();
    QTest::keyClick(window->windowHandle(), Qt::Key_Return, Qt::AltModifier);
    QApplication::processEvents();
    ASSERT_TRUE(view->IsFrameFullScreen());
    EXPECT_EQ(window->geometry(), window->screen()->geometry());
    QTest::keyClick(window->windowHandle(), Qt::Key_Return, Qt::AltModifier);
    QApplication::processEvents();
    ASSERT_FALSE(view->IsFrameFullScreen());
    EXPECT_EQ(window->geometry(), before);
}

} // namespace
