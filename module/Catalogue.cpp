#include "framework/SnapInBase.h"
#include "module/SnapInList.h"
#include "snapins/console/CommandConsoleSnapIn.h"
#include "snapins/drives/DriveListSnapIn.h"
#include "snapins/eventviewer/EventViewerSnapIn.h"
#include "snapins/inventory/InventorySnapIn.h"
#include "snapins/plain/PlainSnapIn.h"
#include "snapins/registry/RegistrySnapIn.h"
#include "snapins/services/ServicesSnapIn.h"
#include "snapins/shares/SharedFoldersSnapIn.h"
#include "snapins/systemcontrol/SystemControlSnapIn.h"
#include "snapins/taskmanager/TaskManagerSnapIn.h"
#include "snapins/users/UsersGroupsSnapIn.h"

#include <new>

namespace vantrel {
namespace {

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
    case 15006:
        return Make<CSharedFoldersSnapIn>(host);
    case 15007:
        return Make<CInventorySnapIn>(host);
    case 15008:
        return Make<CCommandConsoleSnapIn>(host);
    case 15009:
        return Make<CSystemControlSnapIn>(host);
    case 15010:
        return Make<CUsersGroupsSnapIn>(host);
    default:
        return nullptr;
    }
}

}  // namespace vantrel
