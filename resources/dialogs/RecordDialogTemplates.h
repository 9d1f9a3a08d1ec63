#pragma once
// Dialog templates of the trace dialogs: Save (193), Record And Play Back (203) and Waveform
// Color (227). Texts are the English ones; the dialogs relabel their controls by id from the
// language table when they open.

namespace kv {

// Registers the three templates with the framework; calling it again is harmless.
void RegisterRecordDialogTemplates();

} // namespace kv
