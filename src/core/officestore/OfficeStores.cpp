#include "officestore/OfficeStores.h"

#include "folderstore/FolderAdminStore.h"
#include "folderstore/FolderLeaveStore.h"
#include "folderstore/FolderPeopleStore.h"
#include "folderstore/FolderRulesStore.h"
#include "folderstore/FolderScheduleStore.h"
#include "folderstore/FolderWorkStore.h"
#include "pgstore/PgAdminStore.h"
#include "pgstore/PgLeaveStore.h"
#include "pgstore/PgPeopleStore.h"
#include "pgstore/PgRulesStore.h"
#include "pgstore/PgScheduleStore.h"
#include "pgstore/PgWorkStore.h"
#include "settings/StoreChoice.h"

namespace stampwell {

namespace {

// The database's connection string, or nothing for the folder. An unreadable choice gives an
// empty string, which no connection accepts.
std::optional<CStoreChoice> DatabaseChoice(const CRuntime& runtime) {
    const auto choice = CStoreChoice::Read(runtime);
    if (!choice) return CStoreChoice{CStoreChoice::EKind::kPostgreSql, "", ""};
    if (choice->kind == CStoreChoice::EKind::kFolder) return std::nullopt;
    return choice;
}

}  // namespace

std::shared_ptr<IWorkStore> OpenWorkStore(const CRuntime& runtime) {
    if (const auto database = DatabaseChoice(runtime))
        return std::make_shared<CPgWorkStore>(runtime, database->database, database->site);
    return std::make_shared<CFolderWorkStore>(CreateWorkReport(runtime));
}

std::shared_ptr<IPeopleStore> OpenPeopleStore(const CRuntime& runtime) {
    if (const auto database = DatabaseChoice(runtime)) {
        auto people = std::make_shared<CPgPeopleStore>(database->database, runtime.LockWait());
        people->SetClockFolder(runtime.DataDir());
        return people;
    }
    return std::make_shared<CFolderPeopleStore>(CRegisterFile(runtime));
}

std::shared_ptr<IAdminStore> OpenAdminStore(const CRuntime& runtime) {
    if (const auto database = DatabaseChoice(runtime))
        return std::make_shared<CPgAdminStore>(database->database, runtime.LockWait());
    return std::make_shared<CFolderAdminStore>(CAdminFile(runtime));
}

std::shared_ptr<ILeaveStore> OpenLeaveStore(const CRuntime& runtime, const ISettings& settings) {
    if (const auto database = DatabaseChoice(runtime))
        return std::make_shared<CPgLeaveStore>(database->database, runtime.LockWait());
    return std::make_shared<CFolderLeaveStore>(runtime, settings.GetIdFilePath());
}

std::shared_ptr<IRulesStore> OpenRulesStore(const CRuntime& runtime) {
    if (const auto database = DatabaseChoice(runtime))
        return std::make_shared<CPgRulesStore>(database->database, runtime.LockWait());
    return std::make_shared<CFolderRulesStore>(runtime);
}

}  // namespace stampwell

namespace stampwell {

std::shared_ptr<IScheduleStore> OpenScheduleStore(const CRuntime& runtime,
                                                  const ISettings& settings) {
    if (const auto database = DatabaseChoice(runtime))
        return std::make_shared<CPgScheduleStore>(database->database, runtime.LockWait());
    return std::make_shared<CFolderScheduleStore>(runtime, settings.GetIdFilePath());
}

}  // namespace stampwell
