#include "module/SnapInList.h"

#include <algorithm>
#include <new>

namespace vantrel {
namespace {

struct ListRegistry {
    CRITICAL_SECTION lock;
    std::vector<std::pair<ISnapInHost*, CSnapInList*>> lists;
};

ListRegistry* g_registry = nullptr;

class RegistryLock {
public:
    RegistryLock() { EnterCriticalSection(&g_registry->lock); }
    ~RegistryLock() { LeaveCriticalSection(&g_registry->lock); }
    RegistryLock(const RegistryLock&) = delete;
    RegistryLock& operator=(const RegistryLock&) = delete;
};

}  // namespace

void InitializeListRegistry() {
    g_registry = new (std::nothrow) ListRegistry();
    if (g_registry) InitializeCriticalSection(&g_registry->lock);
}

void TerminateListRegistry() {
    if (!g_registry) return;
    DeleteCriticalSection(&g_registry->lock);
    delete g_registry;
    g_registry = nullptr;
}

ISnapInList* GetOrCreateList(ISnapInHost* host) {
    if (!g_registry) return nullptr;
    RegistryLock lock;
    for (const auto& [key, list] : g_registry->lists)
        if (key == host) return list;
    auto list = new (std::nothrow) CSnapInList(host);
    if (!list) return nullptr;
    try {
        g_registry->lists.emplace_back(host, list);
    } catch (...) {
        delete list;
        return nullptr;
    }
    return list;
}

void UnregisterList(CSnapInList* list) {
    if (!g_registry) return;
    RegistryLock lock;
    auto& lists = g_registry->lists;
    auto it = std::find_if(lists.begin(), lists.end(), [list](const auto& entry) { return entry.second == list; });
    if (it != lists.end()) lists.erase(it);
}

void* CSnapInList::DeletingDestructor(uint32_t flags) {
    if (flags & 1) {
        delete this;
    } else {
        this->~CSnapInList();
    }
    return this;
}

int32_t CSnapInList::Reserved() { return 0; }

ISnapIn* CSnapInList::GetSnapIn(int32_t snapInId) {
    for (const auto& [id, snapIn] : cache_)
        if (id == snapInId) return snapIn;
    if (snapInId < kFirstSnapInId || snapInId > kLastSnapInId) return nullptr;
    try {
        cache_.reserve(cache_.size() + 1);  // so that adding below cannot fail
        ISnapIn* snapIn = CreateCatalogueSnapIn(snapInId, host_);
        if (snapIn) cache_.emplace_back(snapInId, snapIn);
        return snapIn;
    } catch (...) {
        return nullptr;
    }
}

void CSnapInList::Release() {
    for (const auto& [id, snapIn] : cache_) snapIn->Release();
    cache_.clear();
    UnregisterList(this);
    DeletingDestructor(1);
}

}  // namespace vantrel
