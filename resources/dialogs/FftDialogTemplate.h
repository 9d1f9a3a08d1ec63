#pragma once
// Template of the FFT panel (211): spectrum settings, Start/Stop, Save, the six harmonics and
// the six spectrum figures.

namespace kv {

// Registers the template with the framework; calling it again is harmless.
void RegisterFftDialogTemplates();

} // namespace kv
