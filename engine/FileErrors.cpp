#include "engine/FileErrors.h"

#include <cerrno>
#include <cstring>

#include "engine/KelvaneDoc.h"
#include "system/LittleEndian.h"

namespace kv {

std::string FileErrorText(const char* path, int err, const char* fallback) {
    return std::string(path ? path : "") + ": " + (err ? std::strerror(err) : fallback);
}

int SaveWholeFile(const char* path, const void* data, std::size_t size, CString* error) {
    errno = 0;
    if (path && WriteWholeFileAtomic(path, data, size))
        return 1;
    if (error)
        error->Format("Cann't save file: %s", FileErrorText(path, errno, "write failed").c_str());
    return 0;
}

void ShowDocMessage(CKelvaneDoc& doc, const std::string& text) {
    if (IDocUi* ui = doc.GetUi())
        ui->MessageBox(text.c_str(), "");
}

} // namespace kv
