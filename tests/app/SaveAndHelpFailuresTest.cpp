// A command that cannot do what the person asked says so: Save Setups in demo mode, a screen
// image under a name of a format the program does not write, and Help without its file, each
// through the real file dialog, message box and keys; a screen image is written in the format
// its name asks for. Acquisition goes on as it was.
#include "AppTestSupport.h"
#include "ModalKeys.h"
#include "TestOutput.h"

#include "framework/CommonDialogs.h"
#include "resources/Resource.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QFileDialog>
#include <QImage>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QTest>
#include <QTimer>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include <unistd.h>

using namespace apptest;
namespace fs = std::filesystem;

namespace {

using kvtest::Press;

// Answers each modal window that opens, in turn, from inside its own loop. An action must not
// run a modal loop itself (a timer does not fire again inside its own handler): a key that
// opens another window is pressed from a queued call.
class EachModal {
public:
    explicit EachModal(std::function<void(QWidget*)> action) : m_action(std::move(action)) {
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            QWidget* modal = QApplication::activeModalWidget();
            if (!modal || !modal->isVisible() || modal == m_last)
                return;
            m_last = modal;
            ++seen;
            m_action(modal);
        });
        m_timer.start(5);
    }
    int seen = 0;

private:
    std::function<void(QWidget*)> m_action;
    QTimer m_timer;
    QPointer<QWidget> m_last;
};

std::vector<unsigned char> Bytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<unsigned char>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool StartsWith(const std::vector<unsigned char>& bytes, const std::vector<unsigned char>& magic) {
    return bytes.size() >= magic.size() && std::equal(magic.begin(), magic.end(), bytes.begin());
}

class SaveAndHelpFailures : public ::testing::Test {
protected:
    void SetUp() override {
        app = StartAndShow();
        ASSERT_TRUE(app);
        view = app->GetView();
        doc = view->GetDocument();
        frame = app->GetMainFrame();
        dir = fs::path(kvtest::OutputDir()) / ("save and help " + std::to_string(::getpid()));
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    void TearDown() override {
        CKelvaneApp::SetHelpOpener(nullptr);
        app.reset();
        fs::remove_all(dir);
        std::remove(DefaultSetPath().c_str());
    }

    // Runs a File command whose save dialog gets `name` typed into its folder `dir`, then
    // answers the message box that may follow with Enter. Returns the box's text ("" for none).
    std::string SaveAs(UINT command, const std::string& name) {
        std::string boxText;
        int dialogs = 0;
        EachModal answer([&](QWidget* modal) {
            if (auto* dialog = qobject_cast<QFileDialog*>(modal)) {
                ++dialogs;
                dialog->setDirectory(QString::fromStdString(dir.string()));
                ProcessEventsFor(5);
                for (char c : name)
                    QTest::keyClick(dialog->windowHandle(), c);
                ProcessEventsFor(5);
                // A name of a file that is there opens the completion list first.
                if (QWidget* completion = QApplication::activePopupWidget())
                    QTest::keyClick(completion, Qt::Key_Escape);
                // Pressed from the event loop, not from here: the dialog may ask a question of
                // its own before it closes, and that box is answered by this same watcher.
                QPointer<QFileDialog> open(dialog);
                QTimer::singleShot(0, [open] {
                    if (open)
                        Press(open, Qt::Key_Return);
                });
            } else if (auto* box = qobject_cast<QMessageBox*>(modal)) {
                if (QAbstractButton* replace = box->button(QMessageBox::Yes)) {
                    // The dialog's own question before it replaces a file.
                    QTest::mouseClick(replace, Qt::LeftButton);
                    return;
                }
                boxText = box->text().toStdString();
                Press(box, Qt::Key_Return);
            }
        });
        frame->ExecuteCommand(command);
        ProcessEventsFor(60); // Save Image writes on a timer after the dialog has gone
        EXPECT_EQ(dialogs, 1);
        return boxText;
    }

    std::unique_ptr<CKelvaneApp> app;
    CKelvaneView* view = nullptr;
    CKelvaneDoc* doc = nullptr;
    CMainFrame* frame = nullptr;
    fs::path dir;
};

TEST_F(SaveAndHelpFailures, SaveSetupsInDemoModeSaysThatNothingWasWritten) {
    ASSERT_TRUE(doc->IsDemoMode());
    ASSERT_EQ(doc->m_bRunning, 1);
    const std::string text = SaveAs(ID_FILE_SAVE_SETUPS, "bench setup");
    EXPECT_FALSE(fs::exists(dir / "bench setup.set"));
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 0);
    EXPECT_NE(text.find((dir / "bench setup.set").string()), std::string::npos) << text;
    EXPECT_NE(text.find("demo mode"), std::string::npos) << text;
    EXPECT_EQ(doc->m_bRunning, 1);

    // A setup file that is already there keeps every byte, and the person is told the same.
    const fs::path existing = dir / "kept.set";
    std::ofstream(existing, std::ios::binary) << std::string(64, '\x5a');
    const std::string again = SaveAs(ID_FILE_SAVE_SETUPS, "kept.set");
    EXPECT_EQ(Bytes(existing), std::vector<unsigned char>(64, 0x5a));
    EXPECT_NE(again.find("demo mode"), std::string::npos) << again;
    EXPECT_EQ(doc->m_bRunning, 1);
}

TEST_F(SaveAndHelpFailures, SaveImageWritesTheFormatItsNameAsksFor) {
    const int width = frame->GetWidget()->width();
    const int height = frame->GetWidget()->height();
    const struct {
        const char* name;
        std::vector<unsigned char> magic;
        const char* qtFormat;
    } cases[] = {
        {"screen shot.jpg", {0xFF, 0xD8, 0xFF}, "JPEG"},
        {"screen shot.png", {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A}, "PNG"},
        {"screen shot.bmp", {'B', 'M'}, "BMP"},
        {"upper case.JPEG", {0xFF, 0xD8, 0xFF}, "JPEG"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(SaveAs(ID_FILE_SAVE_IMAGE, c.name), "");
        const fs::path path = dir / c.name;
        ASSERT_TRUE(fs::exists(path));
        EXPECT_TRUE(StartsWith(Bytes(path), c.magic));
        // The picture is the main window, whole.
        QImage picture;
        ASSERT_TRUE(picture.load(QString::fromStdString(path.string()), c.qtFormat));
        EXPECT_EQ(picture.width(), width);
        EXPECT_EQ(picture.height(), height);
        EXPECT_EQ(doc->m_bRunning, 1);
    }

    // A name of a format the program does not write gets no file but a message naming it.
    const std::string text = SaveAs(ID_FILE_SAVE_IMAGE, "screen shot.gif");
    EXPECT_FALSE(fs::exists(dir / "screen shot.gif"));
    EXPECT_NE(text.find((dir / "screen shot.gif").string()), std::string::npos) << text;
    EXPECT_NE(text.find(".png"), std::string::npos) << text;
    EXPECT_EQ(doc->m_bRunning, 1);
}

TEST_F(SaveAndHelpFailures, F1WithoutTheHelpFileSaysItIsMissing) {
    const fs::path language = dir / "language";
    fs::create_directories(language);
    doc->m_language.SetLanguageFolder(CString(language.string()));
    int opened = 0;
    bool openerAnswer = true;
    CKelvaneApp::SetHelpOpener([&](const CString&) {
        ++opened;
        return openerAnswer;
    });
    const std::string expectedPath = (language / "OrvalaUSBHelp-English.chm").string();
    std::string title;
    auto pressF1 = [&]() {
        std::string text;
        EachModal answer([&](QWidget* modal) {
            if (auto* box = qobject_cast<QMessageBox*>(modal)) {
                text = box->text().toStdString();
                title = box->windowTitle().toStdString();
                Press(box, Qt::Key_Return);
            }
        });
        QWidget* screen = view->ScreenPanel().GetWidget();
        QApplication::setActiveWindow(frame->GetWidget());
        screen->setFocus();
        Press(screen, Qt::Key_F1);
        ProcessEventsFor(20);
        return text;
    };

    // No file: a message names the missing file; nothing is opened.
    const std::string missing = pressF1();
    EXPECT_NE(missing.find("missing"), std::string::npos) << missing;
    EXPECT_NE(missing.find(expectedPath), std::string::npos) << missing;
    EXPECT_EQ(title, "Kestra-E USB(7.0.0.1+)"); // the program's own message box
    EXPECT_EQ(opened, 0);
    EXPECT_EQ(doc->m_bRunning, 1);

    // A file that nothing on the desktop opens: that is said too.
    std::ofstream(language / "OrvalaUSBHelp-English.chm") << "help";
    openerAnswer = false;
    const std::string unopened = pressF1();
    EXPECT_EQ(opened, 1);
    EXPECT_NE(unopened.find(expectedPath), std::string::npos) << unopened;
    EXPECT_EQ(unopened.find("missing"), std::string::npos) << unopened;

    // Opened: no message.
    openerAnswer = true;
    EXPECT_EQ(pressF1(), "");
    EXPECT_EQ(opened, 2);
    EXPECT_EQ(doc->m_bRunning, 1);
}

} // namespace
