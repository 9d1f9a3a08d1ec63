#pragma once
// Templates of the four small acquisition dialogs: Average (199), Intensity (184), Pulse Width
// Setting (249) and Demo Setting (231). Texts are the English ones; each dialog relabels its
// controls by id from the language table when it opens.

namespace kv {

// Registers the four templates with the framework; calling it again is harmless.
void RegisterAcquisitionDialogTemplates();

} // namespace kv
