#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "platform/FileLock.h"
#include "platform/Runtime.h"

namespace stampwell {

class CPgConnection;

// What a clock keeps beside itself for when the company database does not answer: today's
// records as it last read them, and the taps it made meanwhile, waiting in
// "DatabaseWaiting.dat" (the work file's 51-byte blocks, each on disk before the tap is
// reported). When the database answers again they are sent, in order, in one transaction, and
// merged with what other clocks recorded meanwhile as the folder's waiting records are: a second
// clock-in keeps the earlier time, a later clock-out replaces the earlier one, room mode's five
// minutes; each merge leaves a trail line. Every tap sent carries an id made from the clock and
// the record, so a send repeated after a crash adds nothing.
class CPgWaitingTaps {
public:
    CPgWaitingTaps(CRuntime runtime, bool roomMode);

    std::filesystem::path FilePath() const;
    // Held by every user of these files in this data folder (the clock and the command line).
    CFileLock Lock() const;

    // Today's records (date number) as read from the database, for the decisions while it does
    // not answer. blocks: enciphered work-file blocks.
    void Remember(int date, const std::vector<std::string>& blocks) const;
    // A record this clock just wrote to the database (over the day's record of that person and
    // side when overwritten), known for the decisions while it does not answer.
    void Noted(int date, const std::string& block, bool overwritten) const;
    // A tap made while the database does not answer; false when it is not on disk.
    bool Add(const std::string& block) const;
    // Overwrites a waiting record of the same person, day and side in place; false when none
    // waits (the record is only in the database) or it could not be written.
    bool Overwrite(const std::string& block) const;
    // The texts of the day's records known beside the clock: those read from the database, then
    // the waiting ones, in order.
    std::vector<std::string> Known(int date) const;
    bool HasWaiting() const;

    // Sends the waiting taps; true when none is left waiting. site: the clock's; why says a
    // failure.
    bool Send(CPgConnection& connection, const std::string& site, std::string& why) const;

private:
    std::vector<std::string> WaitingBlocks() const;
    std::string TapIdOf(const std::string& block, int repeat) const;

    CRuntime m_runtime;
    bool m_roomMode;
};

}  // namespace stampwell
