#pragma once

#include <memory>

#include "platform/Runtime.h"
#include "settings/ISettings.h"
#include "store/IAdminStore.h"
#include "store/ILeaveStore.h"
#include "store/IPeopleStore.h"
#include "store/IRulesStore.h"
#include "store/IScheduleStore.h"
#include "store/IWorkStore.h"

namespace stampwell {

// The stores of the office this program belongs to: the shared folder's files, or the company
// database when the clock's Store.txt says so (CStoreChoice). A Store.txt that cannot be read
// never falls back to the folder: every operation then says that the database is not set.

// The work records (the settings are given with SetSettings).
std::shared_ptr<IWorkStore> OpenWorkStore(const CRuntime& runtime);
// The employees and their cards (where, in the folder: SetPathSource).
std::shared_ptr<IPeopleStore> OpenPeopleStore(const CRuntime& runtime);
std::shared_ptr<IAdminStore> OpenAdminStore(const CRuntime& runtime);
// The paid-leave book (beside the register the settings name, in the folder).
std::shared_ptr<ILeaveStore> OpenLeaveStore(const CRuntime& runtime, const ISettings& settings);
std::shared_ptr<IRulesStore> OpenRulesStore(const CRuntime& runtime);
// The clerk's calendar: patterns, holidays, swaps and closings (beside the register, in the
// folder).
std::shared_ptr<IScheduleStore> OpenScheduleStore(const CRuntime& runtime,
                                                  const ISettings& settings);

}  // namespace stampwell
