#pragma once
// Template of the side control panel (178): the channel, horizontal and trigger groups with
// their lists, on buttons and knobs. Texts are the English ones; the panel relabels its
// controls by id from the language table.

namespace kv {

// Registers the template with the framework; calling it again is harmless.
void RegisterSidePanelTemplates();

} // namespace kv
