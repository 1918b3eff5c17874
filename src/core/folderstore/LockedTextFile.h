#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>

#include "platform/Runtime.h"

namespace stampwell {

class IMessageSink;

// A text file beside the register changed as the folder store changes its books: under
// "<file>.lock", read and changed by the caller, and written again whole in one step in CP932.
class CLockedTextFile {
public:
    // change runs under the lock and gives the new text (UTF-8), or nothing with why set.
    // what names the file in the messages ("有給休暇のファイル"). False after the message; the
    // file is then as it was.
    static bool Change(const CRuntime& runtime, const std::filesystem::path& file,
                       const std::string& what,
                       const std::function<std::optional<std::string>(std::string& why)>& change,
                       IMessageSink& messages);
};

}  // namespace stampwell
