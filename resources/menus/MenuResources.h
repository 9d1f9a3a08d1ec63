#pragma once
// Registers the program's menu, accelerator and toolbar resources with the framework:
// menu 128 (the main menu), menu 134 (the full-screen context menu), the 24-entry accelerator
// table 128 and toolbar 128. Safe to call more than once.
namespace kv {

void RegisterMenuResources();

} // namespace kv
