// Utility > Language as a person opens it from the keyboard: "Default", its separator, then one
// item per language file, in the menu's items and on the screen, with and without files.
#include "ShownAppSupport.h"

#include "app/MainFrame.h"
#include "app/MenuEx.h"

#include <QAction>
#include <QMenu>

using namespace apptest;

namespace {

constexpr int kUtility = 9;
constexpr int kLanguage = 8;
constexpr QRgb kSeparatorGrey = qRgb(197, 194, 184);

class LanguageMenu : public ShownApp {
protected:
    // The Language submenu of the menu's items.
    CMenuEx* Model() {
        CMenuEx* utility = app->GetMainFrame()->m_menu.GetSubMenuEx(kUtility);
        return utility ? utility->GetSubMenuEx(kLanguage) : nullptr;
    }
    // Opens Utility > Language with F10, the arrows and Right, as shown on the screen.
    QMenu* OpenLanguageMenu() {
        Key(Qt::Key_F10);
        if (!OpenMenu())
            return nullptr;
        Key(Qt::Key_Left); // File -> Help
        Key(Qt::Key_Left); // Help -> Utility
        if (!OpenMenu() || !DownTo("Language"))
            return nullptr;
        QMenu* utility = OpenMenu();
        Key(Qt::Key_Right);
        QMenu* language = OpenMenu();
        return language != utility ? language : nullptr;
    }
    // What the opened submenu shows: its items in order ("-" for a separator that is drawn).
    static std::vector<QString> Shown(QMenu* menu) {
        std::vector<QString> shown;
        for (QAction* action : menu->actions()) {
            const QRect where = menu->actionGeometry(action);
            if (!action->isVisible() || where.isEmpty())
                continue;
            shown.push_back(action->isSeparator() ? QString("-") : action->text());
        }
        return shown;
    }
    // Pixels of the separator's grey line inside the separator's row of the shown menu.
    static int SeparatorPixels(QMenu* menu) {
        const QImage picture = menu->grab().toImage();
        int n = 0;
        for (QAction* action : menu->actions())
            if (action->isSeparator()) {
                const QRect row = menu->actionGeometry(action) & picture.rect();
                for (int y = row.top(); y <= row.bottom(); ++y)
                    for (int x = row.left(); x <= row.right(); ++x)
                        n += picture.pixel(x, y) == kSeparatorGrey;
            }
        return n;
    }
    void CloseMenus() {
        while (OpenMenu())
            Key(Qt::Key_Escape);
    }

    ScratchFolder scratch{"language-menu"};
};

TEST_F(LanguageMenu, WithoutLanguageFilesItHoldsDefaultAndItsSeparator) {
    Start(scratch.SubFolder("language")); // an empty language folder
    CMenuEx* model = Model();
    ASSERT_NE(model, nullptr);
    ASSERT_EQ(model->GetItemCount(), 2);
    EXPECT_EQ(model->GetItem(0)->m_nID, static_cast<int>(ID_LANGUAGE_DEFAULT));
    EXPECT_EQ(model->GetItem(1)->m_nID, 0) << "the second item is not the separator";

    QMenu* shown = OpenLanguageMenu();
    ASSERT_NE(shown, nullptr);
    const std::vector<QString> items = Shown(shown);
    ASSERT_EQ(items.size(), 2u);
    EXPECT_EQ(items[0], "Default");
    EXPECT_EQ(items[1], "-") << "the separator is not drawn";
    EXPECT_GT(SeparatorPixels(shown), 20);
    CloseMenus();
}

TEST_F(LanguageMenu, WithLanguageFilesTheyFollowTheSeparatorInNameOrder) {
    const std::string folder = scratch.SubFolder("language");
    scratch.WriteLanguage("language/German.lug", {{"8888", "Deutsch"}});
    scratch.WriteLanguage("language/french.lug", {{"8888", "Francais"}});
    Start(folder);
    CMenuEx* model = Model();
    ASSERT_NE(model, nullptr);
    ASSERT_EQ(model->GetItemCount(), 4);
    EXPECT_EQ(model->GetItem(0)->m_nID, static_cast<int>(ID_LANGUAGE_DEFAULT));
    EXPECT_EQ(model->GetItem(1)->m_nID, 0);
    EXPECT_EQ(model->GetItem(2)->m_nID, static_cast<int>(ID_LANGUAGE_FIRST));
    EXPECT_EQ(model->GetItem(3)->m_nID, static_cast<int>(ID_LANGUAGE_FIRST + 1));

    QMenu* shown = OpenLanguageMenu();
    ASSERT_NE(shown, nullptr);
    const std::vector<QString> items = Shown(shown);
    ASSERT_EQ(items.size(), 4u);
    EXPECT_EQ(items[0], "Default");
    EXPECT_EQ(items[1], "-");
    EXPECT_EQ(items[2], "Francais");
    EXPECT_EQ(items[3], "Deutsch");
    EXPECT_GT(SeparatorPixels(shown), 20);

    // Choosing one switches the language; the separator stays where it was.
    ASSERT_TRUE(DownTo("Deutsch"));
    Key(Qt::Key_Return);
    ProcessEventsFor(20);
    EXPECT_EQ(doc->GetLanguageIndex(), 1);
    ASSERT_EQ(Model()->GetItemCount(), 4);
    EXPECT_EQ(Model()->GetItem(1)->m_nID, 0);
    CloseMenus();
}

} // namespace
