#include "app/LanguageDialogAdapter.h"

#include "framework/DialogTemplate.h"
#include "framework/Wnd.h"

namespace {

LanguageControlKind KindOf(ControlKind kind) {
    switch (kind) {
    case ControlKind::Static:
    case ControlKind::Picture:
        return LanguageControlKind::Static;
    case ControlKind::Button:
        return LanguageControlKind::PushButton;
    case ControlKind::CheckBox:
        return LanguageControlKind::CheckBox;
    case ControlKind::RadioButton:
        return LanguageControlKind::RadioButton;
    case ControlKind::GroupBox:
        return LanguageControlKind::GroupBox;
    case ControlKind::Edit:
        return LanguageControlKind::Edit;
    case ControlKind::ComboBox:
        return LanguageControlKind::ComboBox;
    case ControlKind::ListBox:
        return LanguageControlKind::ListBox;
    default:
        return LanguageControlKind::Other;
    }
}

} // namespace

CWndLanguageDialog::CWndLanguageDialog(CWnd& wnd) {
    if (const DialogTemplate* tmpl = kv::TemplateOf(&wnd))
        for (const DialogControlTemplate& c : tmpl->controls)
            m_children.emplace_back(wnd, static_cast<int>(c.id), KindOf(c.kind));
}

CLanguageControl* CWndLanguageDialog::GetChild(int index) {
    if (index < 0 || index >= GetChildCount())
        return nullptr;
    return &m_children[static_cast<size_t>(index)];
}

void CWndLanguageDialog::Child::SetWindowText(const char* text) {
    if (CWnd* item = m_owner->GetDlgItem(m_id))
        item->SetWindowText(text);
}

void TranslateWindow(const CLanguageTable& language, CWnd& wnd) {
    CWndLanguageDialog dialog(wnd);
    language.TranslateDialog(dialog);
}
