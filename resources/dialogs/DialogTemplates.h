#pragma once
// The dialog templates of the application shell: the form view (101), About (100), Searching
// Device (217) and Device List (218). Texts are the English ones; every dialog relabels its
// controls by id from the language table when it opens.

namespace kv {

// Registers every template of this folder with the framework; calling it again is harmless.
void RegisterAppDialogTemplates();

} // namespace kv
