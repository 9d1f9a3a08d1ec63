#include "app/DialogSupport.h"

#include <cerrno>
#include <cstdlib>

#include "app/KelvaneView.h"
#include "app/LanguageDialogAdapter.h"
#include "engine/KelvaneDoc.h"
#include "framework/Dialog.h"
#include "framework/FrameWnd.h"
#include "framework/WinApp.h"

bool ParseWholeNumber(const CString& text, long& value) {
    const char* s = text.GetString();
    if (!s || !*s)
        return false;
    char* end = nullptr;
    errno = 0;
    const long v = std::strtol(s, &end, 10);
    if (end == s || *end != '\0' || errno == ERANGE)
        return false;
    value = v;
    return true;
}

CKelvaneView* ActiveKelvaneView() {
    auto* frame = dynamic_cast<CFrameWnd*>(AfxGetMainWnd());
    return frame ? dynamic_cast<CKelvaneView*>(frame->GetActiveView()) : nullptr;
}

void TranslateDialogTexts(const CKelvaneDoc& doc, CDialog& dialog) {
    TranslateWindow(doc.m_language, dialog);
    const CString caption = doc.GetText(static_cast<int>(dialog.m_nIDTemplate));
    if (!caption.IsEmpty())
        dialog.SetWindowText(caption);
}
