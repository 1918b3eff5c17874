#include "folderstore/FolderAdminStore.h"

namespace stampwell {

std::shared_ptr<IAdminStore> OpenAdminStore(const CRuntime& runtime) {
    return std::make_shared<CFolderAdminStore>(CAdminFile(runtime));
}

}  // namespace stampwell
