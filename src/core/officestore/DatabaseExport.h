#pragma once

#include <string>
#include <utility>
#include <vector>

#include "platform/Runtime.h"

namespace stampwell {

// Writes the company database out as an office's folder that the folder store reads as its own:
// the work file with the records in their order, the register, the trail, the paid-leave book,
// the work rules and the administrators. The database keeps no password, so each administrator
// gets a new one-time password, which the caller shows once.
class CDatabaseExport {
public:
    struct Result {
        std::size_t records = 0, people = 0, trail = 0;
        std::vector<std::pair<std::string, std::string>> passwords;  // ID, new password
    };

    // folder: the runtime of a data folder that holds none of an office's files yet (nothing
    // is ever written over). False with why (Japanese).
    static bool Run(const std::string& conninfo, const CRuntime& folder, Result& result,
                    std::string& why);
};

}  // namespace stampwell
