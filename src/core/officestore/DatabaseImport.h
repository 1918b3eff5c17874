#pragma once

#include <string>

#include "platform/Runtime.h"

namespace stampwell {

// Copies an office's folder (its work records, register, administrators, trail, paid-leave
// book and work rules) into an empty company database in one transaction: all of it or
// nothing. The records keep their order, so every list, report and export reads as before;
// each administrator's password goes in only as a hash. Run again over the same folder it adds
// nothing; over a database that holds other records it refuses.
class CDatabaseImport {
public:
    struct Counts {
        std::size_t records = 0, employees = 0, cards = 0, admins = 0, trail = 0;
        bool already = false;  // the same folder was imported before: nothing added
    };

    // folder: the runtime of the office's data folder (its settings name the shared files).
    // False with why (Japanese) when nothing was imported.
    static bool Run(const CRuntime& folder, const std::string& conninfo, Counts& counts,
                    std::string& why);
};

}  // namespace stampwell
