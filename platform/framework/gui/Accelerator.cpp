#include "framework/Accelerator.h"

#include "framework/Wnd.h"

#include <map>
#include <memory>
#include <unordered_map>

struct HACCEL__ {
    std::vector<ACCEL> entries;
};

namespace {

std::map<UINT, std::vector<ACCEL>>& Resources() {
    static std::map<UINT, std::vector<ACCEL>> resources;
    return resources;
}

std::unordered_map<HACCEL, std::unique_ptr<HACCEL__>>& Tables() {
    static std::unordered_map<HACCEL, std::unique_ptr<HACCEL__>> tables;
    return tables;
}

HACCEL__* Lookup(HACCEL h) {
    auto it = Tables().find(h);
    return it == Tables().end() ? nullptr : it->second.get();
}

} // namespace

void RegisterAcceleratorResource(UINT resourceId, std::vector<ACCEL> entries) {
    Resources()[resourceId] = std::move(entries);
}

HACCEL LoadAccelerators(UINT resourceId) {
    auto it = Resources().find(resourceId);
    if (it == Resources().end())
        return nullptr;
    return CreateAcceleratorTable(it->second.data(), static_cast<int>(it->second.size()));
}

HACCEL CreateAcceleratorTable(const ACCEL* entries, int count) {
    if (!entries || count <= 0)
        return nullptr;
    auto table = std::make_unique<HACCEL__>();
    table->entries.assign(entries, entries + count);
    HACCEL h = table.get();
    Tables()[h] = std::move(table);
    return h;
}

BOOL DestroyAcceleratorTable(HACCEL hAccel) {
    return Tables().erase(hAccel) ? TRUE : FALSE;
}

int TranslateAccelerator(CWnd* hWnd, HACCEL hAccel, MSG* lpMsg) {
    HACCEL__* table = Lookup(hAccel);
    if (!table || !hWnd || !lpMsg || (lpMsg->message != WM_KEYDOWN && lpMsg->message != WM_SYSKEYDOWN))
        return 0;
    BYTE held = 0;
    if (lpMsg->lParam & KV_KEY_CONTROL)
        held |= FCONTROL;
    if (lpMsg->lParam & KV_KEY_SHIFT)
        held |= FSHIFT;
    if (lpMsg->lParam & KV_KEY_ALT)
        held |= FALT;
    for (const ACCEL& a : table->entries) {
        if (a.key == lpMsg->wParam && (a.fVirt & (FCONTROL | FSHIFT | FALT)) == held) {
            hWnd->ExecuteCommand(a.cmd);
            return 1;
        }
    }
    return 0;
}
