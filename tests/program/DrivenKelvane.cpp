// The program as it ships, for the process tests: its own application object and main, with one
// addition. Once running, it says which time base it started with and which languages it lists,
// changes the time base through the Time/DIV menu command as a person would, and says which one
// it chose, each on a line of standard output:
//   start <time-base index>
//   languages <count> <name> <name> ...
//   changed <time-base index>
// With KV_DRIVEN_THEN=exit it then calls exit(1) on the GUI thread from inside the event loop,
// as Qt's X11 layer does when the connection to the display breaks.
#include "app/KelvaneApp.h"
#include "app/MainFrame.h"
#include "engine/KelvaneDoc.h"
#include "resources/Resource.h"

#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

class CDrivenApp : public CKelvaneApp {
public:
    BOOL InitInstance() override {
        if (!CKelvaneApp::InitInstance())
            return FALSE;
        CKelvaneDoc* doc = GetDocument();
        std::printf("start %d\n", doc->m_settings.GetTimeBaseIndex());
        std::printf("languages %d", doc->m_language.GetLanguageCount());
        for (int i = 0; i < doc->m_language.GetLanguageCount(); ++i)
            std::printf(" %s", doc->m_language.GetLanguageName(i).GetString());
        std::printf("\n");
        std::fflush(stdout);
        // After the first pump ticks, as a person's first command would come.
        QTimer::singleShot(200, [this] { ChangeTimeBase(); });
        return TRUE;
    }

private:
    void ChangeTimeBase() {
        CKelvaneDoc* doc = GetDocument();
        const int target = doc->m_settings.GetTimeBaseIndex() == 12 ? 14 : 12;
        GetMainFrame()->ExecuteCommand(ID_TIMEDIV_FIRST + static_cast<UINT>(target));
        std::printf("changed %d\n", doc->m_settings.GetTimeBaseIndex());
        std::fflush(stdout);
        const char* then = std::getenv("KV_DRIVEN_THEN");
        if (then && std::strcmp(then, "exit") == 0)
            std::exit(1);
    }
};

} // namespace

int main(int argc, char** argv) {
    CDrivenApp theApp;
    return AfxWinMain(argc, argv);
}
