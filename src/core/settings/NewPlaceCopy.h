#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace stampwell {

class CRuntime;
class IMessageSink;

// When the register or the work file is pointed at a place that holds no such file yet, the
// files in use can be copied there. Otherwise the office would start over with nobody
// registered and no records, and the earlier records would lie unseen in the old place.
// EditLog.txt, the trail of corrections that lives beside the work file, goes with it.
class CNewPlaceCopy {
public:
    struct Item {
        std::string label;  // as the settings screen names the file
        std::filesystem::path from, to;
    };

    // The changes whose new place has no file while the file in use holds data.
    static std::vector<Item> Find(const std::string& registerFrom, const std::string& registerTo,
                                  const std::string& workFrom, const std::string& workTo);
    static std::string Question(const std::vector<Item>& items);
    // What is said when the files stay where they are: the new place starts empty.
    static std::string EmptyNotice(const std::vector<Item>& items);
    // Copies each file under its own lock and the new place's, so that no clock writes either
    // meanwhile; a file that appeared at the new place meanwhile is left as it is. false after
    // the message, when a file could not be read or written.
    static bool Copy(const CRuntime& runtime, const std::vector<Item>& items,
                     IMessageSink& messages);
};

}  // namespace stampwell
