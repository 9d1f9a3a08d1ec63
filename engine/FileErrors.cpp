#include "engine/FileErrors.h"

#include <cerrno>
#include <cstring>

#include "engine/KelvaneDoc.h"

namespace kv {

std::string FileErrorText(const char* path, int err, const char* fallback) {
    return std::string(path ? path : "") + ": " + (err ? std::strerror(err) : fallback);
}

std::string FileErrorText(const char* path, const FileError& error) {
    return std::string(path ? path : "") + ": " + (error.IsSet() ? error.Text() : std::string("failed"));
}

int SaveWholeFile(const char* path, const void* data, std::size_t size, CString* error) {
    FileError why;
    if (path && WriteWholeFile(path, data, size, &why))
        return 1;
    if (error)
        error->Format("Cann't save file: %s", FileErrorText(path, why).c_str());
    return 0;
}

void ShowDocMessage(CKelvaneDoc& doc, const std::string& text) {
    doc.Ui().MessageBox(text.c_str(), "");
}

} // namespace kv
