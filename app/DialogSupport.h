#pragma once
// Small pieces the program's dialogs share: reading a typed number, finding the view of the main
// window and relabelling a dialog in the document's language.
#include "framework/CString.h"

class CDialog;
class CKelvaneDoc;
class CKelvaneView;

// A whole decimal number with an optional sign and nothing else. An empty or half-typed entry
// (a lone sign, trailing letters) or one past the range of long gives false and leaves value alone.
bool ParseWholeNumber(const CString& text, long& value);

// The active view of the main frame window, or null when there is none.
CKelvaneView* ActiveKelvaneView();

// Relabels the dialog's controls from the document's language table and sets its caption to the
// text under the dialog's template id; a missing text keeps the template's caption.
void TranslateDialogTexts(const CKelvaneDoc& doc, CDialog& dialog);
