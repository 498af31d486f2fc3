// The list of snap-ins the module keeps for one host, and the catalogue that
// maps a snap-in number to the class that is created.
#pragma once

#include "host/SnapInHost.h"

#include <utility>
#include <vector>

namespace vantrel {

constexpr int32_t kFirstSnapInId = 15000;
constexpr int32_t kLastSnapInId = 15010;

// Creates the snap-in of that number for the host; null outside the catalogue.
ISnapIn* CreateCatalogueSnapIn(int32_t snapInId, ISnapInHost* host);

class CSnapInList final : public ISnapInList {
public:
    explicit CSnapInList(ISnapInHost* host) : host_(host) {}
    ~CSnapInList() = default;

    void* VANTREL_CALL DeletingDestructor(uint32_t flags) override;
    int32_t VANTREL_CALL Reserved() override;
    ISnapIn* VANTREL_CALL GetSnapIn(int32_t snapInId) override;
    void VANTREL_CALL Release() override;

    ISnapInHost* Host() const { return host_; }

private:
    ISnapInHost* host_;
    // In the order of first request; entries are only ever added.
    std::vector<std::pair<int32_t, ISnapIn*>> cache_;
};

// The process-wide registry of lists, one per host.
ISnapInList* GetOrCreateList(ISnapInHost* host);
void UnregisterList(CSnapInList* list);
void InitializeListRegistry();
void TerminateListRegistry();

}  // namespace vantrel
