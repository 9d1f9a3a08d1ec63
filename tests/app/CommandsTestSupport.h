#pragma once
// A started program in demo mode with the view's side-panel mirror recorded, message boxes and
// file dialogs answered, and helpers that run commands and update handlers through the routing.
#include "AppTestSupport.h"

#include "app/SidePanelMirror.h"
#include "display/Knob.h"
#include "framework/CommonDialogs.h"
#include "resources/Resource.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <unistd.h>
#include <utility>
#include <vector>

namespace cmdtest {

class RecordingMirror : public ISidePanelMirror {
public:
    void SelectEntry(UINT listId, int entry) override {
        selections.emplace_back(listId, entry);
        if (listId == kTimeDiv)
            timeDivSelection = entry;
    }
    int GetTimeDivSelection() const override { return timeDivSelection; }
    void EnableChannelControls(int channel) override { calls.push_back("enable" + std::to_string(channel)); }
    void DisableChannelControls(int channel) override {
        calls.push_back("disable" + std::to_string(channel));
    }
    void FillVoltsPerDivList(int channel) override { calls.push_back("fillVolts" + std::to_string(channel)); }
    void FillSlopeList() override { calls.push_back("fillSlope"); }
    void EnableFormatList(bool enable) override { calls.push_back(enable ? "formatOn" : "formatOff"); }
    void LoadFromDocument() override { calls.push_back("load"); }

    // The last entry selected in a list, -1 when none was.
    int Selected(UINT listId) const {
        for (auto it = selections.rbegin(); it != selections.rend(); ++it)
            if (it->first == listId)
                return it->second;
        return -1;
    }
    bool Called(const std::string& what) const {
        for (const auto& c : calls)
            if (c == what)
                return true;
        return false;
    }

    std::vector<std::pair<UINT, int>> selections;
    std::vector<std::string> calls;
    int timeDivSelection = 0;
};

struct Box {
    std::string text;
    std::string caption;
};

class CommandsTest : public ::testing::Test {
protected:
    void SetUp() override {
        apptest::PrepareRun("");
        apptest::ModalAnswerer answer([](CDialog& dlg) { apptest::Click(dlg, IDC_BUTTON_IGNORE); });
        app = std::make_unique<CKelvaneApp>();
        ASSERT_TRUE(app->InitInstance());
        view = app->GetView();
        doc = app->GetDocument();
        ASSERT_TRUE(view && doc);
        view->SetSidePanelMirror(&mirror);
        AfxSetMessageBoxHook([this](const CString& text, const CString& caption, UINT) {
            boxes.push_back({text.GetString(), caption.GetString()});
            return IDOK;
        });
    }
    void TearDown() override {
        AfxSetMessageBoxHook(nullptr);
        CFileDialog::SetHook(nullptr);
        if (view)
            view->SetSidePanelMirror(nullptr);
        app.reset();
        std::remove(apptest::DefaultSetPath().c_str());
    }

    void Run(UINT id) { EXPECT_TRUE(view->OnCmdMsg(id, nullptr)) << id; }
    CCmdUI Update(UINT id) {
        CCmdUI ui;
        ui.m_nID = id;
        EXPECT_TRUE(view->OnCmdMsg(id, &ui)) << id;
        return ui;
    }
    // Enabled and checked state of an item after its update handler.
    std::pair<bool, int> State(UINT id) {
        const CCmdUI ui = Update(id);
        return {ui.m_bEnabled, ui.m_nCheck};
    }
    // The next file dialog chooses `path` (or is cancelled for an empty one); the dialog is kept.
    void AnswerFileDialog(const std::string& path) {
        CFileDialog::SetHook([this, path](CFileDialog& dlg) -> INT_PTR {
            lastFilter = dlg.GetFilter().GetString();
            lastDefExt = dlg.GetDefExt().GetString();
            lastTitle = dlg.m_ofn.lpstrTitle ? dlg.m_ofn.lpstrTitle : "";
            ++fileDialogs;
            if (path.empty())
                return IDCANCEL;
            dlg.SetChosenPath(path.c_str());
            return IDOK;
        });
    }
    static std::string TempPath(const char* name) {
        return kv::TempFolder() + "/kv-commands-" + std::to_string(::getpid()) + "-" + name;
    }
    void Running(bool on) { doc->m_bRunning = on ? 1 : 0; }

    std::unique_ptr<CKelvaneApp> app;
    CKelvaneView* view = nullptr;
    CKelvaneDoc* doc = nullptr;
    RecordingMirror mirror;
    std::vector<Box> boxes;
    std::string lastFilter, lastDefExt, lastTitle;
    int fileDialogs = 0;
};

} // namespace cmdtest
