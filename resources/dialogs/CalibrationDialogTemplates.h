#pragma once
// Dialog templates of the calibration dialogs and the auto-setup progress window: Zero
// Calibration (207), Auto-setup progress (216), Calibrate Data (223), ETS Calibration (251)
// and Calibration (252). Texts are the English ones.

namespace kv {

// Registers the five templates with the framework; calling it again is harmless.
void RegisterCalibrationDialogTemplates();

} // namespace kv
