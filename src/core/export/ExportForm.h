#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "platform/Runtime.h"

namespace stampwell {

class ISettings;
class IPrompt;

// What the export screen decides: the default file name, the destination, the checks before an
// export, and the export itself, run on a work-record object of its own so that it can run off
// the screen's thread while the clock goes on.
class CExportForm {
public:
    struct Request {
        int year = 0;
        int month = 1;
        int closing = 0;  // 0..5: the 5th ... the 25th, month end
        std::filesystem::path destination;
    };
    struct Outcome {
        bool ok = false;
        // Messages the export raised (no work file); shown by the screen on its own thread.
        std::vector<std::string> messages;
        std::string reason;
    };

    // "%s年%s月度".
    static std::string DefaultFileName(const std::string& yearText, const std::string& monthText);
    static std::filesystem::path Destination(const std::string& folder, const std::string& name);
    // False after a message when the name is empty, or when the file exists and the
    // administrator does not want it overwritten.
    static bool MayExport(const std::string& fileName, const std::filesystem::path& destination,
                          IPrompt& prompt);
    // Thread-safe: everything it uses is its own. settings is copied before the call.
    static Outcome Export(const CRuntime& runtime, std::shared_ptr<const ISettings> settings,
                          const Request& request);
    static const char* ResultMessage(bool ok);
    // The message at the end of an export: the screen's own when its window is still open;
    // after the window was closed it also names the file, since it stands alone.
    static std::string ResultMessage(bool ok, const std::filesystem::path& destination,
                                     bool windowOpen);
};

}  // namespace stampwell
