#pragma once
// Lets the language table relabel a window built from a dialog template: its controls, in
// template order, with their ids and kinds.
#include "engine/LanguageTable.h"

#include <vector>

class CWnd;

class CWndLanguageDialog : public CLanguageDialog {
public:
    explicit CWndLanguageDialog(CWnd& wnd);
    int GetChildCount() const override { return static_cast<int>(m_children.size()); }
    CLanguageControl* GetChild(int index) override;

private:
    class Child : public CLanguageControl {
    public:
        Child(CWnd& owner, int id, LanguageControlKind kind) : m_owner(&owner), m_id(id), m_kind(kind) {}
        int GetDlgCtrlID() const override { return m_id; }
        LanguageControlKind GetControlKind() const override { return m_kind; }
        void SetWindowText(const char* text) override;

    private:
        CWnd* m_owner;
        int m_id;
        LanguageControlKind m_kind;
    };
    std::vector<Child> m_children;
};

// Relabels every control of the window by its id from the table.
void TranslateWindow(const CLanguageTable& language, CWnd& wnd);
