#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace stampwell {

// The records that waited in the temporary file (taps made while the work folder was away) meet
// the work file again. Two clocks cut off at once each decided from what they had seen, so the
// same clock-in may have been made on both: a waiting record of a person, working day and side
// that the work file (or an earlier waiting record) already has is decided as the tap would have
// been with the whole file in view. A second start keeps the earlier time, a later end replaces
// the earlier one, and in room mode a tap within 5 minutes of the person's last one is dropped.
class CWaitingMerge {
public:
    struct Known {
        std::size_t number = 0;  // the record's number in the work file
        std::string text;        // deciphered
    };
    struct Action {
        enum class EKind { kAppend, kOverwrite, kDrop };
        EKind kind = EKind::kAppend;
        std::string block;       // the waiting record, enciphered
        std::size_t number = 0;  // kOverwrite: the work file's record it replaces
        std::string note;        // kOverwrite and kDrop: what was merged (UTF-8, for the log)
    };

    // known: the work file's records of the waiting records' days; waiting: the enciphered
    // blocks in file order. One action per waiting block, in order; an overwrite of a record
    // that a later waiting block overwrites again carries the last block only.
    static std::vector<Action> Decide(const std::vector<Known>& known, const std::string& waiting,
                                      bool roomMode);
};

}  // namespace stampwell
