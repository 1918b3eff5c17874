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
// The files that live beside them go too: the paid-leave book (PaidLeave.txt) beside the
// register, the trail of corrections (EditLog.txt) beside the work file; each is offered on its
// own when the new place lacks it, so a legal record never disappears from view by a move.
class CNewPlaceCopy {
public:
    struct Item {
        std::string label;  // as the settings screen and the guide name the file
        std::filesystem::path from, to;
        std::filesystem::path lockOf;  // the file whose lock its writers hold
    };

    // The changes whose new place has no file while the file in use holds data.
    static std::vector<Item> Find(const std::string& registerFrom, const std::string& registerTo,
                                  const std::string& workFrom, const std::string& workTo);
    // The files beside the register or the work file that hold records in the old place and
    // are missing in the new one, whose main file is there already: they are not copied (they
    // would join another office's files), but said.
    static std::vector<Item> LeftBehind(const std::string& registerFrom,
                                        const std::string& registerTo, const std::string& workFrom,
                                        const std::string& workTo);
    static std::string LeftBehindNotice(const std::vector<Item>& items);
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
