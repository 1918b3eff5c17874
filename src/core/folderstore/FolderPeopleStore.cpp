#include "folderstore/FolderPeopleStore.h"

namespace stampwell {

std::shared_ptr<IPeopleStore> OpenPeopleStore(const CRuntime& runtime) {
    return std::make_shared<CFolderPeopleStore>(CRegisterFile(runtime));
}

}  // namespace stampwell
