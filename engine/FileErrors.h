#pragma once
// How the document's file readers and writers word a failed save or open.
#include <cstddef>
#include <string>

#include "framework/CString.h"
#include "system/FileAccess.h"

class CKelvaneDoc;

namespace kv {

// "<path>: <reason>": the system's text for `err`, or `fallback` when err is 0.
std::string FileErrorText(const char* path, int err, const char* fallback);
// "<path>: <reason>" for a file that could not be read or saved.
std::string FileErrorText(const char* path, const FileError& error);

// Writes `size` bytes as the whole file in one step, so a failed save keeps the previous file.
// 1 on success; 0 for a null path or a failed write, with "Cann't save file: <path>: <reason>"
// in *error when error is not null.
int SaveWholeFile(const char* path, const void* data, std::size_t size, CString* error);

// A message box through the document's user interface; nothing when no view is attached.
void ShowDocMessage(CKelvaneDoc& doc, const std::string& text);

} // namespace kv
