#pragma once
// The running program as a person meets it: started in demo mode, its main window shown and
// active, keys and clicks sent through Qt's window-system path (QTest on the top-level
// windows), pictures read back from the real widgets, and language files written under the
// build folder.
#include "AppTestSupport.h"
#include "TestOutput.h"

#include "resources/Resource.h"
#include "system/Profile.h"

#include <QAction>
#include <QApplication>
#include <QImage>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QWindow>

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <functional>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace apptest {

// A folder for this test run under the build folder's test output, removed afterwards.
class ScratchFolder {
public:
    explicit ScratchFolder(const std::string& name) {
        m_path = kvtest::OutputDir() + "/" + name + "-" + std::to_string(::getpid());
        ::mkdir(m_path.c_str(), 0700);
    }
    ~ScratchFolder() {
        for (const std::string& file : m_files)
            std::remove(file.c_str());
        for (auto it = m_folders.rbegin(); it != m_folders.rend(); ++it)
            ::rmdir(it->c_str());
        ::rmdir(m_path.c_str());
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::string& Path() const { return m_path; }
    std::string SubFolder(const std::string& name) {
        const std::string path = m_path + "/" + name;
        ::mkdir(path.c_str(), 0700);
        m_folders.push_back(path);
        return path;
    }
    // A file name in the folder that is removed with it.
    std::string File(const std::string& relative) {
        m_files.push_back(m_path + "/" + relative);
        return m_files.back();
    }
    // A language file (UTF-16LE profile, section "App") with the given keys and texts.
    std::string WriteLanguage(const std::string& relative,
                              const std::vector<std::pair<std::string, std::string>>& texts) {
        kv::Profile profile;
        for (const auto& [key, text] : texts)
            profile.SetString("App", key, text);
        const std::vector<std::uint8_t> bytes = profile.ToBytes();
        const std::string path = File(relative);
        std::ofstream out(path, std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        return path;
    }

private:
    std::string m_path;
    std::vector<std::string> m_files;
    std::vector<std::string> m_folders;
};

// Runs `action` once on the next menu that opens, from inside whatever loop shows it.
class PopupWatcher {
public:
    explicit PopupWatcher(std::function<void(QMenu*)> action) : m_action(std::move(action)) {
        m_timer.setInterval(5);
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            if (!menu || done)
                return;
            done = true;
            m_timer.stop();
            m_action(menu);
        });
        m_timer.start();
    }
    bool done = false;

private:
    std::function<void(QMenu*)> m_action;
    QTimer m_timer;
};

class ShownApp : public ::testing::Test {
protected:
    // Starts the program, in demo mode unless `simulator` selects simulated instruments;
    // `languageFolder`, when given, is where it finds its language files (its Language menu
    // lists them).
    void Start(const std::string& languageFolder = std::string(), const char* simulator = "") {
        PrepareRun(simulator);
        ModalAnswerer answer([](CDialog& dlg) { Click(dlg, IDC_BUTTON_IGNORE); });
        app = std::make_unique<CKelvaneApp>();
        ASSERT_TRUE(app->InitInstance());
        doc = app->GetDocument();
        view = app->GetView();
        ASSERT_TRUE(doc && view);
        if (!languageFolder.empty())
            doc->m_language.SetLanguageFolder(languageFolder.c_str());
        ProcessEventsFor(120); // the first pump tick sets the menus up and shows the window
        window = qobject_cast<QMainWindow*>(app->GetMainFrame()->GetWidget());
        ASSERT_TRUE(window && window->isVisible());
        // The Demo Setting panel may have opened over it; a panel counts as part of its owner's
        // activity for Qt, so wait for the main window itself to be the active one.
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitFor([this] { return QApplication::activeWindow() == window; }));
    }
    void TearDown() override {
        while (QWidget* popup = QApplication::activePopupWidget())
            popup->close();
        app.reset();
        unsetenv("SCOPE_SIMULATOR");
        std::remove(DefaultSetPath().c_str());
    }

    QMenuBar* Bar() const { return window->menuBar(); }
    static QMenu* OpenMenu() { return qobject_cast<QMenu*>(QApplication::activePopupWidget()); }
    static QString Title(const QAction* action) { return action ? action->text() : QString(); }

    // A key as the window system delivers it: to the open menu when there is one, else to the
    // main window (and from there to its focus widget).
    void Key(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QWidget* target = QApplication::activePopupWidget();
        if (!target)
            target = window;
        QTest::keyClick(target->windowHandle(), static_cast<Qt::Key>(key), modifiers);
        QApplication::processEvents();
    }
    // Alt alone, and a key typed with Alt held (Alt down, the key down and up, Alt up), as the
    // window system delivers them: each event carries the modifiers held before it, and Qt
    // adds or takes away the modifier of a modifier key itself.
    void AltTap() {
        QTest::keyClick(KeyWindow(), Qt::Key_Alt);
        QApplication::processEvents();
    }
    void AltChord(Qt::Key key) {
        QTest::keyClick(KeyWindow(), key, Qt::AltModifier);
        QApplication::processEvents();
    }
    QWindow* KeyWindow() const {
        QWidget* popup = QApplication::activePopupWidget();
        return popup ? popup->windowHandle() : window->windowHandle();
    }
    // The menu bar is in keyboard mode or a menu is open.
    bool MenuActive() const { return OpenMenu() || Bar()->activeAction(); }
    // A left click on the toolbar button of command `id`.
    void ClickToolbarButton(UINT id) {
        CToolBar& toolbar = app->GetMainFrame()->m_wndToolBar;
        auto* bar = qobject_cast<QToolBar*>(toolbar.GetWidget());
        const int index = toolbar.CommandToIndex(id);
        ASSERT_TRUE(bar && index >= 0);
        QWidget* button = bar->widgetForAction(bar->actions().at(index));
        ASSERT_TRUE(button && button->isVisible());
        QTest::mouseClick(button, Qt::LeftButton);
        QApplication::processEvents();
    }
    // Opens the bar's menu `title` with a click and clicks its item `item`.
    void ClickMenuItem(const QString& title, const QString& item) {
        QAction* top = nullptr;
        for (QAction* a : Bar()->actions())
            if (a->text().remove('&') == title)
                top = a;
        ASSERT_NE(top, nullptr) << title.toStdString();
        QTest::mouseClick(Bar(), Qt::LeftButton, Qt::NoModifier, Bar()->actionGeometry(top).center());
        QApplication::processEvents();
        QMenu* menu = OpenMenu();
        ASSERT_NE(menu, nullptr);
        QAction* target = nullptr;
        for (QAction* a : menu->actions())
            if (a->text().remove('&') == item)
                target = a;
        ASSERT_NE(target, nullptr) << item.toStdString();
        QTest::mouseClick(menu, Qt::LeftButton, Qt::NoModifier, menu->actionGeometry(target).center());
        QApplication::processEvents(); // the command runs once the menu has closed
        QApplication::processEvents();
    }
    // Steps with Down through the open menu until the item `text` is highlighted.
    bool DownTo(const QString& text) {
        for (int i = 0; i < 40 && OpenMenu(); ++i) {
            if (Title(OpenMenu()->activeAction()) == text)
                return true;
            Key(Qt::Key_Down);
        }
        return OpenMenu() && Title(OpenMenu()->activeAction()) == text;
    }
    // The screen panel as it is on the screen.
    QImage ScreenPicture() {
        QWidget* panel = view->ScreenPanel().GetWidget();
        panel->repaint();
        return panel->grab().toImage();
    }
    // The plot rectangle of the screen panel, inside its frame.
    QRect Plot() const {
        const CRect plot = view->Screen().GetPlotRect();
        return QRect(QPoint(plot.left, plot.top), QPoint(plot.right - 1, plot.bottom - 1));
    }
    // Pixels of colour `c` inside `area`.
    static int Count(const QImage& image, QColor c, const QRect& area) {
        int n = 0;
        for (int y = area.top(); y <= area.bottom(); ++y)
            for (int x = area.left(); x <= area.right(); ++x)
                n += image.pixelColor(x, y) == c;
        return n;
    }

    std::unique_ptr<CKelvaneApp> app;
    CKelvaneDoc* doc = nullptr;
    CKelvaneView* view = nullptr;
    QMainWindow* window = nullptr;
};

} // namespace apptest
