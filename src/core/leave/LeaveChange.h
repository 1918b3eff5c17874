#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>

#include "leave/LeaveBook.h"

namespace stampwell {

class CRuntime;
class IMessageSink;

// Every change of PaidLeave.txt: under PaidLeave.txt.lock the book is read again, the change is
// made over it, every employee's ledger must still add up (no day without a balance), and the
// file is rewritten whole in one step. A refusal leaves the file as it was.
class CLeaveChange {
public:
    // change returns why it refuses, or nothing. False after the message.
    static bool Apply(const CRuntime& runtime, const std::filesystem::path& file,
                      const std::function<std::optional<std::string>(CLeaveBook&)>& change,
                      IMessageSink& messages);

    // The changes the command line and the window make.
    // A new employee's hire date and days a week; for one already there, the hire date, and
    // the days a week from `from` on (today when not given), kept as a history so that the
    // grants made before stay as they were.
    static std::optional<std::string> SetEmployee(CLeaveBook& book, const std::string& name,
                                                  int hired, int daysPerWeek, int from);
    static std::optional<std::string> Take(CLeaveBook& book, const std::string& name, int date,
                                           CLeaveBook::EPart part);
    static std::optional<std::string> Cancel(CLeaveBook& book, const std::string& name, int date);
    static std::optional<std::string> Withhold(CLeaveBook& book, const std::string& name,
                                               int grant);
    // Takes a withholding back: the grant is made after all.
    static std::optional<std::string> Restore(CLeaveBook& book, const std::string& name, int grant);
    // An employee renamed in the register keeps their leave: every line of the old name takes
    // the new one (refused when the new name has leave of its own).
    static std::optional<std::string> Rename(CLeaveBook& book, const std::string& from,
                                             const std::string& to);
    // Carries a rename of the register into the book beside it, when the book holds the old
    // name; true when there was nothing to carry or it was carried, false after the message.
    static bool CarryRename(const CRuntime& runtime, const std::filesystem::path& file,
                            const std::string& from, const std::string& to, IMessageSink& messages);
};

}  // namespace stampwell
