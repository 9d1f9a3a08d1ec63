#include "framework/GdiObject.h"

#include "framework/DC.h"

#include <mutex>
#include <unordered_map>

namespace {

// Handles owned by live permanent wrappers, so a CDC can hand back the caller's own object.
struct Registry {
    std::mutex mutex;
    std::unordered_map<HGDIOBJ, CGdiObject*> owners;
};

Registry& registry() {
    static Registry* r = new Registry; // outlives static wrappers destroyed at exit
    return *r;
}

void Remember(HGDIOBJ h, CGdiObject* obj) {
    std::lock_guard<std::mutex> lock(registry().mutex);
    registry().owners[h] = obj;
}

void Forget(HGDIOBJ h, const CGdiObject* obj) {
    std::lock_guard<std::mutex> lock(registry().mutex);
    auto it = registry().owners.find(h);
    if (it != registry().owners.end() && it->second == obj)
        registry().owners.erase(it);
}

} // namespace

CGdiObject::~CGdiObject() {
    if (!m_bTemporary)
        DeleteObject();
}

BOOL CGdiObject::Attach(HGDIOBJ handle) {
    if (!handle || m_hObject)
        return FALSE;
    m_hObject = handle;
    Remember(handle, this);
    return TRUE;
}

HGDIOBJ CGdiObject::Detach() {
    HGDIOBJ h = m_hObject;
    if (h && !m_bTemporary)
        Forget(h, this);
    m_hObject = nullptr;
    return h;
}

BOOL CGdiObject::DeleteObject() {
    if (!m_hObject)
        return FALSE;
    HGDIOBJ h = Detach();
    return ::DeleteObject(h);
}

BOOL CGdiObject::CreateStockObject(int index) {
    return Attach(::GetStockObject(index));
}

int CGdiObject::GetObject(int size, void* out) const {
    return ::GetObject(m_hObject, size, out);
}

CGdiObject* CGdiObject::FromPermanentHandle(HGDIOBJ handle) {
    std::lock_guard<std::mutex> lock(registry().mutex);
    auto it = registry().owners.find(handle);
    return it == registry().owners.end() ? nullptr : it->second;
}

BOOL CBitmap::CreateCompatibleBitmap(CDC* pDC, int width, int height) {
    if (!pDC)
        return FALSE;
    return Attach(::CreateCompatibleBitmap(pDC->GetSafeHdc(), width, height));
}
