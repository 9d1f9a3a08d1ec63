// The main menu and the context menu as a person uses them: keys and clicks go through Qt's
// own event path to the program's top-level windows, and the outcome is read from the
// document (a setting changed) or from the pixels of the opened menus.
#include "ShownAppSupport.h"

#include "app/KelvaneView.h"
#include "engine/KelvaneDoc.h"

#include <QFontMetrics>

#include <algorithm>
#include <map>

using namespace apptest;

namespace {

// The menu bar's menus, by position.
const QStringList kTopLevel = {"File",    "View",    "Channel", "Trigger", "Horizontal", "Cursor",
                               "Measure", "Display", "Acquire", "Utility", "Help"};

// Colours of the owner-drawn items.
const QColor kSelectionFrame(49, 106, 197);
const QColor kSelectionFill(200, 220, 253);

bool IsText(QColor c) {
    return c.red() < 110 && c.green() < 110 && c.blue() < 110;
}

// Rightmost column of text pixels in the row band of `item`, or -1.
int RightmostText(const QImage& image, const QRect& item) {
    for (int x = item.right(); x >= item.left(); --x)
        for (int y = item.top() + 2; y < item.bottom() - 1; ++y)
            if (IsText(image.pixelColor(x, y)))
                return x;
    return -1;
}

// The item of `menu` whose text is `text`.
QAction* Item(QMenu* menu, const QString& text) {
    for (QAction* action : menu->actions())
        if (action->text() == text)
            return action;
    return nullptr;
}

class MenuKeyboard : public ShownApp {
protected:
    void SetUp() override { Start(); }
    // Closes every open menu and leaves the bar's keyboard mode.
    void CloseMenus() {
        while (OpenMenu())
            Key(Qt::Key_Escape);
        if (QApplication::focusWidget() == Bar())
            Key(Qt::Key_Escape);
    }
    // Opens the bar's menu at `position` with the keyboard: Alt, Right, Down.
    void OpenFromBar(int position) {
        Key(Qt::Key_Alt);
        for (int i = 0; i < position; ++i)
            Key(Qt::Key_Right);
        Key(Qt::Key_Down);
    }
};

TEST_F(MenuKeyboard, AltOrF10OpenTheBarTheArrowsReachEveryMenuAndEnterRunsTheItem) {
    // Alt alone: the bar takes the keyboard with its first menu highlighted.
    Key(Qt::Key_Alt);
    EXPECT_EQ(QApplication::focusWidget(), Bar());
    // The highlighted menu is seen on the bar before anything drops down.
    const QImage bar = Bar()->grab().toImage();
    const QRect file = Bar()->actionGeometry(Bar()->activeAction());
    const QColor highlight = Bar()->palette().color(QPalette::Highlight);
    int lit = 0;
    for (int y = file.top(); y <= file.bottom(); ++y)
        for (int x = file.left(); x <= file.right(); ++x)
            lit += bar.pixelColor(x, y) == highlight;
    EXPECT_GT(lit, file.width() * file.height() / 3);
    QStringList reached;
    for (int i = 0; i < kTopLevel.size(); ++i) {
        reached << Title(Bar()->activeAction());
        Key(Qt::Key_Right);
    }
    EXPECT_EQ(reached, kTopLevel);
    EXPECT_EQ(Title(Bar()->activeAction()), "File"); // Right wraps around
    Key(Qt::Key_Left);
    EXPECT_EQ(Title(Bar()->activeAction()), "Help");
    Key(Qt::Key_Escape);
    EXPECT_NE(QApplication::focusWidget(), Bar());

    // F10 drops the first menu down; Right walks on to Channel, Down reaches CH2, Right opens
    // its sub-menu and Enter runs "Turn Off".
    view->RunStop();
    ASSERT_TRUE(doc->m_ch2.IsOn());
    Key(Qt::Key_F10);
    ASSERT_NE(OpenMenu(), nullptr);
    EXPECT_EQ(Title(Bar()->activeAction()), "File");
    Key(Qt::Key_Right);
    Key(Qt::Key_Right);
    ASSERT_NE(OpenMenu(), nullptr);
    EXPECT_EQ(OpenMenu()->title(), "Channel");
    ASSERT_TRUE(DownTo("CH2"));
    Key(Qt::Key_Right);
    ASSERT_NE(OpenMenu(), nullptr);
    EXPECT_EQ(OpenMenu()->title(), "CH2");
    EXPECT_EQ(Title(OpenMenu()->activeAction()), "Turn Off");
    Key(Qt::Key_Return);
    ProcessEventsFor(20);
    EXPECT_EQ(OpenMenu(), nullptr);
    EXPECT_FALSE(doc->m_ch2.IsOn());
    // The key went to the menu only: the Enter accelerator (Start) did not run.
    EXPECT_EQ(doc->m_bRunning, 0);
}

TEST_F(MenuKeyboard, KeysInTheBarAndInAnOpenMenuNeverReachTheAccelerators) {
    view->RunStop();
    // Enter in the bar opens the highlighted menu instead of starting acquisition.
    Key(Qt::Key_Alt);
    Key(Qt::Key_Right);
    Key(Qt::Key_Return);
    ASSERT_NE(OpenMenu(), nullptr);
    EXPECT_EQ(OpenMenu()->title(), "View");
    EXPECT_EQ(doc->m_bRunning, 0);
    // Space in an open menu does not stop a running acquisition either.
    view->RunStart();
    Key(Qt::Key_Escape);
    Key(Qt::Key_Down); // the bar's menu opens again
    ASSERT_NE(OpenMenu(), nullptr);
    Key(Qt::Key_Space);
    ProcessEventsFor(20);
    EXPECT_EQ(doc->m_bRunning, 1);
    while (OpenMenu())
        Key(Qt::Key_Escape);
    // Outside the menus the accelerators work as before.
    Key(Qt::Key_Escape);
    Key(Qt::Key_Space);
    ProcessEventsFor(20);
    EXPECT_EQ(doc->m_bRunning, 0);
}

TEST_F(MenuKeyboard, UpdateHandlersRunBeforeAMenuShowsAndTheMouseRunsItems) {
    // CH1 off: its first item reads "Turn On" (the resource says "Turn Off").
    doc->m_ch1.SetOn(0);
    OpenFromBar(2);
    ASSERT_TRUE(DownTo("CH1"));
    Key(Qt::Key_Right);
    ASSERT_NE(OpenMenu(), nullptr);
    ASSERT_EQ(OpenMenu()->title(), "CH1");
    EXPECT_EQ(Title(OpenMenu()->actions().value(0)), "Turn On");
    CloseMenus();
    // Acquire > Acquisition > Average is greyed in demo mode by its update handler.
    OpenFromBar(8);
    ASSERT_TRUE(DownTo("Acquisition"));
    Key(Qt::Key_Right);
    ASSERT_NE(OpenMenu(), nullptr);
    QAction* average = Item(OpenMenu(), "Average:1");
    ASSERT_NE(average, nullptr);
    EXPECT_FALSE(average->isEnabled());
    CloseMenus();

    // A click on an item runs it.
    const bool grid = view->Screen().IsGridOn() != 0;
    OpenFromBar(7);
    QMenu* display = OpenMenu();
    ASSERT_NE(display, nullptr);
    ASSERT_EQ(display->title(), "Display");
    QAction* target = Item(display, "Grid#Ctrl+G");
    ASSERT_NE(target, nullptr);
    const QPoint at = display->actionGeometry(target).center();
    QTest::mouseMove(display->windowHandle(), at);
    QTest::mouseClick(display->windowHandle(), Qt::LeftButton, Qt::NoModifier, at);
    ProcessEventsFor(20);
    EXPECT_EQ(OpenMenu(), nullptr);
    EXPECT_EQ(view->Screen().IsGridOn() != 0, !grid);
}

TEST_F(MenuKeyboard, DropDownItemsShareOneWidthSeparatorsHaveTheirHeightShortcutsOneColumn) {
    Key(Qt::Key_F10);
    QMenu* file = OpenMenu();
    ASSERT_NE(file, nullptr);
    const QList<QAction*> items = file->actions();
    ASSERT_EQ(items.size(), 12);
    const int width = file->actionGeometry(items[0]).width();
    int separators = 0;
    for (QAction* item : items) {
        const QRect r = file->actionGeometry(item);
        EXPECT_EQ(r.width(), width) << item->text().toStdString();
        EXPECT_EQ(r.left(), file->actionGeometry(items[0]).left());
        if (item->isSeparator()) {
            EXPECT_EQ(r.height(), 10); // the owner-drawn menu's separator height
            ++separators;
        } else {
            EXPECT_EQ(r.height(), 22); // text 2 + image 20
        }
    }
    EXPECT_EQ(separators, 3);

    // Load CSV, Save CSV, Print and Exit end their key texts in one column, right of every
    // item text and inside the item.
    QAction* loadSetups = Item(file, "Load Setups");
    ASSERT_NE(loadSetups, nullptr);
    const QImage picture = file->grab().toImage();
    std::vector<int> ends;
    for (QAction* item : items)
        if (item->text().contains('#'))
            ends.push_back(RightmostText(picture, file->actionGeometry(item)));
    ASSERT_EQ(ends.size(), 4u);
    for (int end : ends)
        EXPECT_NEAR(end, ends[0], 1);
    EXPECT_GT(ends[0], RightmostText(picture, file->actionGeometry(loadSetups)) + 20);
    EXPECT_LT(ends[0], file->actionGeometry(items[0]).right() - 8);

    // The highlight covers the whole width of a short item.
    ASSERT_TRUE(DownTo("Load Setups"));
    const QImage selected = file->grab().toImage();
    const QRect r = file->actionGeometry(loadSetups);
    EXPECT_EQ(selected.pixelColor(r.left(), r.center().y()), kSelectionFrame);
    EXPECT_EQ(selected.pixelColor(r.right(), r.center().y()), kSelectionFrame);
    EXPECT_EQ(selected.pixelColor(r.right() - 3, r.center().y()), kSelectionFill);
}

// Every owner-drawn item starts with its icon column: the icon width (20) + 2 pixels in
// RGB(236, 233, 216) over the whole item height, then the item background (white).
TEST_F(MenuKeyboard, DropDownItemsStartWithTheirIconColumn) {
    Key(Qt::Key_F10);
    Key(Qt::Key_Right);
    Key(Qt::Key_Right);
    QMenu* channel = OpenMenu();
    ASSERT_NE(channel, nullptr);
    ASSERT_EQ(channel->title(), "Channel");
    const QImage picture = channel->grab().toImage();
    const QColor column(236, 233, 216), back(255, 255, 255);
    int probed = 0;
    for (QAction* item : channel->actions()) {
        if (item->isSeparator() || item == channel->activeAction())
            continue;
        const QRect r = channel->actionGeometry(item);
        for (int y = r.top(); y <= r.bottom(); ++y) {
            EXPECT_EQ(picture.pixelColor(r.left(), y), column) << Title(item).toStdString() << " y " << y;
            EXPECT_EQ(picture.pixelColor(r.left() + 21, y), column)
                << Title(item).toStdString() << " y " << y;
            EXPECT_EQ(picture.pixelColor(r.left() + 22, y), back) << Title(item).toStdString() << " y " << y;
        }
        ++probed;
    }
    EXPECT_GE(probed, 3);
}

TEST_F(MenuKeyboard, ContextMenuTimeLabelsAreDrawnWhole) {
    view->OnFullScreenToggle();
    ASSERT_TRUE(view->IsFrameFullScreen());
    QWidget* panel = view->ScreenPanel().GetWidget();
    std::map<QString, std::pair<QRect, int>> labels; // item, rightmost text pixel
    int textWidth = 0;
    PopupWatcher watch([&](QMenu* menu) {
        // Down to Change Time/DIV, Right into its sub-menu.
        for (int i = 0; i < 3; ++i)
            QTest::keyClick(menu->windowHandle(), Qt::Key_Down);
        QTest::keyClick(menu->windowHandle(), Qt::Key_Right);
        auto* times = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (times && times != menu) {
            const QImage picture = times->grab().toImage();
            for (const char* text : {"1.00 mS", "40.0 min", "400 uS"}) {
                QAction* item = Item(times, text);
                if (!item)
                    continue;
                const QRect r = times->actionGeometry(item);
                labels[text] = {r, RightmostText(picture, r)};
            }
            textWidth = QFontMetrics(times->font()).horizontalAdvance("40.0 min");
        }
        while (QWidget* popup = QApplication::activePopupWidget())
            popup->close();
    });
    QTest::mouseClick(panel->window()->windowHandle(), Qt::RightButton, Qt::NoModifier,
                      panel->mapTo(panel->window(), QPoint(60, 60)));
    ProcessEventsFor(20);
    ASSERT_TRUE(watch.done);
    ASSERT_EQ(labels.size(), 3u);
    for (const auto& [text, where] : labels) {
        const auto& [r, end] = where;
        // The text runs from L + 30 (icon column and gap) and must end before R - 16.
        EXPECT_GE(r.width() - 30 - 16, textWidth) << text.toStdString();
        EXPECT_GT(end, r.left() + 30) << text.toStdString();
        EXPECT_LT(end, r.right() - 16) << text.toStdString();
    }
    view->OnFullScreenToggle();
}

// Menus with '&' in their texts (from a language file) answer their mnemonics.
class MenuMnemonics : public ShownApp {
protected:
    void SetUp() override {
        const std::string folder = scratch.SubFolder("language");
        scratch.WriteLanguage("language/Mnemonic.lug", {{"8888", "Mnemonic"},
                                                        {"802", "&Channel"},
                                                        {"80201", "CH&2"},
                                                        {"4000", "Turn &Off"},
                                                        {"4001", "Turn O&n"}});
        Start(folder);
    }
    ScratchFolder scratch{"menu-mnemonics"};
};

TEST_F(MenuMnemonics, AltLetterOpensAMenuAndLettersOpenSubMenusAndRunItems) {
    doc->SelectLanguage(0);
    ProcessEventsFor(20);
    ASSERT_EQ(doc->GetLanguageIndex(), 0);
    view->RunStop();
    ASSERT_TRUE(doc->m_ch2.IsOn());
    Key(Qt::Key_C, Qt::AltModifier);
    ASSERT_NE(OpenMenu(), nullptr);
    EXPECT_EQ(OpenMenu()->title(), "&Channel");
    Key(Qt::Key_2);
    ASSERT_NE(OpenMenu(), nullptr);
    EXPECT_EQ(OpenMenu()->title(), "CH&2");
    Key(Qt::Key_O);
    ProcessEventsFor(20);
    EXPECT_EQ(OpenMenu(), nullptr);
    EXPECT_FALSE(doc->m_ch2.IsOn());
    EXPECT_EQ(doc->m_bRunning, 0);
}

} // namespace
