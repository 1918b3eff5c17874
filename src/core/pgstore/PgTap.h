#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "pgstore/PgSession.h"
#include "pgstore/PgWaitingTaps.h"
#include "platform/Runtime.h"

namespace stampwell {

// One clock's taps on the company database: the decision (clock-in, clock-out, the overwrite
// question, room mode's five minutes) and the write under a lock of the person's working day
// held in the database, each write committed before it is reported and carrying the tap's id.
// When the database does not answer within a few seconds, the tap is decided from what the
// clock keeps beside it and waits there (CPgWaitingTaps) until it can be sent.
class CPgTap {
public:
    // What was tapped: the person (as the register has the name), the working day
    // "YYYY/MM/DD" and time "HH:MM", the tap's id, and whether the end side is chosen.
    struct Stamp {
        std::string name, date, time, tapId;
        bool endSide = false;
    };
    enum class ELock { kHeld, kBusy, kAway };
    // What CheckToday does itself (room mode records the tap in the check).
    static constexpr int kEntryRecorded = -666;
    static constexpr int kExitRecorded = -777;
    static constexpr int kWriteFailed = -888;
    static constexpr int kTooSoon = -999;

    // How long a tap waits for the database before it is kept beside the clock.
    static constexpr std::chrono::milliseconds kAnswerWait{3000};
    static constexpr std::chrono::seconds kRetryAfter{10};

    CPgTap(const CRuntime& runtime, CPgSession& session, std::string site, bool roomMode);

    // Holds the stamp's day in the database; kBusy (said) when another clock held it past the
    // wait, kAway when the database does not answer.
    ELock LockDay(const Stamp& stamp);
    void UnlockDay(const Stamp& stamp);
    // The record number of the stamp's side to overwrite after the question, 0 for a new
    // record, or one of the results above.
    int Check(const Stamp& stamp);
    bool Write(const Stamp& stamp, int side, std::optional<std::int64_t> overwrite);
    // Today's history lines, from the database or, while it does not answer, as the clock knows.
    void ListToday(const std::string& today, std::vector<std::string>& lines);
    bool IsAway() const { return m_away; }
    // Logs and says that doing could not be done for want of the database.
    static void SayUnreachable(const CRuntime& runtime, const std::string& why, const char* doing);
    std::filesystem::path WaitingPath() const { return m_waiting.FilePath(); }

private:
    struct CDayLock;
    struct Side {
        std::int64_t id;
        int side;
        std::string time;
    };
    // The connection for a tap, the waiting taps sent first; nothing when the database does not
    // answer (noted once).
    CPgConnection* Connection();
    void NoteAway(const std::string& why);
    // The person's records of the stamp's day: in the database, or as known beside the clock.
    bool ReadDay(const Stamp& stamp, std::vector<Side>& rows);
    void ReadWaitingDay(const Stamp& stamp, std::vector<Side>& rows) const;
    // The decision over those records (room mode records it); away: written beside the clock.
    int Decide(const Stamp& stamp, const std::vector<Side>& rows, bool away);
    bool WriteWaiting(const Stamp& stamp, int side, bool overwrite);
    // The stamp as a work-file block (enciphered); empty when the name cannot be stored.
    static std::string Block(const Stamp& stamp, int side);

    const CRuntime& m_runtime;
    CPgSession& m_session;
    std::string m_site;
    bool m_room;
    CPgWaitingTaps m_waiting;
    bool m_away = false;
    bool m_awaySaid = false;
    std::chrono::steady_clock::time_point m_awaySince;
};

}  // namespace stampwell
