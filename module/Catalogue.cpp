#include "framework/SnapInBase.h"
#include "module/SnapInList.h"
#include "snapins/console/CommandConsoleSnapIn.h"
#include "snapins/drives/DriveListSnapIn.h"
#include "snapins/eventviewer/EventViewerSnapIn.h"
#include "snapins/plain/PlainSnapIn.h"
#include "snapins/registry/RegistrySnapIn.h"
#include "snapins/services/ServicesSnapIn.h"
#include "snapins/systemcontrol/SystemControlSnapIn.h"
#include "snapins/taskmanager/TaskManagerSnapIn.h"
#include "snapins/users/UsersGroupsSnapIn.h"

#include <new>

namespace vantrel {
namespace {

// A tool whose window and commands are not built yet: it has its number and
// its name and says itself that it is not supported, without asking the
// managed machine (a "yes" would enable a tool that has nothing to show).
class CBasicSnapIn final : public CSnapInBase {
public:
    CBasicSnapIn(ISnapInHost* host, int32_t snapInId) : CSnapInBase(host), snapInId_(snapInId) {}
    int32_t VANTREL_CALL GetSnapInId() override { return snapInId_; }
    void VANTREL_CALL QuerySupported() override {
        Guarded([this] { Host()->SnapInNotSupported(snapInId_); });
    }

private:
    int32_t snapInId_;
};

template <typename T>
ISnapIn* Make(ISnapInHost* host) {
    return static_cast<ISnapIn*>(new (std::nothrow) T(host));
}

}  // namespace

ISnapIn* CreateCatalogueSnapIn(int32_t snapInId, ISnapInHost* host) {
    switch (snapInId) {
    case 15000:
        return Make<CPlainSnapIn>(host);
    case 15001:
        return Make<CDriveListSnapIn>(host);
    case 15002:
        return Make<CEventViewerSnapIn>(host);
    case 15003:
        return Make<CTaskManagerSnapIn>(host);
    case 15004:
        return Make<CRegistrySnapIn>(host);
    case 15005:
        return Make<CServicesSnapIn>(host);
    case 15008:
        return Make<CCommandConsoleSnapIn>(host);
    case 15009:
        return Make<CSystemControlSnapIn>(host);
    case 15010:
        return Make<CUsersGroupsSnapIn>(host);
    case 15006:  // Shared Folders
    case 15007:  // Inventory
        return static_cast<ISnapIn*>(new (std::nothrow) CBasicSnapIn(host, snapInId));
    default:
        return nullptr;
    }
}

}  // namespace vantrel
