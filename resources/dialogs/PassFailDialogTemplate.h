#pragma once
// Template of the Pass/Fail panel (204): source and output choice, mask tolerances, mask file
// buttons, Start/Stop and the fail, pass and total counts.

namespace kv {

// Registers the template with the framework; calling it again is harmless.
void RegisterPassFailDialogTemplates();

} // namespace kv
