#pragma once

#include <optional>
#include <string>

#include "leave/LeaveBook.h"

namespace stampwell {

// The changes of the paid-leave book that the command line and the window make, each over the
// book as stored (CLeaveStoreChange makes them through the store).
class CLeaveChange {
public:
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
    // Whether any line of the book names the person.
    static bool Refers(const CLeaveBook& book, const std::string& name);
};

}  // namespace stampwell
