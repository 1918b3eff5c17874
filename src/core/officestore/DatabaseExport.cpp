#include "officestore/DatabaseExport.h"

#include <sys/random.h>

#include "folderstore/FolderAdminStore.h"
#include "folderstore/FolderLeaveStore.h"
#include "folderstore/FolderPeopleStore.h"
#include "folderstore/FolderRulesStore.h"
#include "folderstore/FolderScheduleStore.h"
#include "people/CipherRecordFile.h"
#include "pgstore/PgAdminStore.h"
#include "pgstore/PgLeaveStore.h"
#include "pgstore/PgMonthRecords.h"
#include "pgstore/PgPeopleStore.h"
#include "pgstore/PgRulesStore.h"
#include "pgstore/PgScheduleStore.h"
#include "pgstore/PgSchema.h"
#include "pgstore/PgWorkRows.h"
#include "platform/FileSystem.h"
#include "settings/EnvironmentSettings.h"
#include "trail/EditLog.h"
#include "workfile/WorkLine.h"

namespace stampwell {

namespace {

// Letters and digits a person can type from a printout (no 0/O, 1/l/I).
std::string NewPassword() {
    static const char letters[] = "abcdefghjkmnpqrstuvwxyzABCDEFGHJKLMNPQRSTUVWXYZ23456789";
    unsigned char random[12];
    if (::getrandom(random, sizeof random, 0) != static_cast<ssize_t>(sizeof random)) return {};
    std::string password;
    for (unsigned char byte : random) password += letters[byte % (sizeof letters - 1)];
    return password;
}

class CSink : public IMessageSink {
public:
    void ShowMessage(std::string_view text, EMessageIcon) override { said = text; }
    std::string said;
};

bool WriteTrail(const std::vector<CEditLog::Entry>& trail, const CEditLog& log) {
    // Each save's lines as a batch of their own: its changes, then whether it was stored.
    std::size_t i = 0;
    while (i < trail.size()) {
        const auto& first = trail[i];
        CEditLog::Entry marker{first.when, first.admin, first.name, "", "", "", "", first.reason};
        std::vector<CEditLog::Entry> changes;
        std::vector<std::string> failedDays;
        for (; i < trail.size() && trail[i].when == first.when && trail[i].admin == first.admin &&
               trail[i].name == first.name && trail[i].reason == first.reason;
             ++i) {
            if (trail[i].side == CEditLog::kSaveFailed) {
                failedDays.push_back(trail[i].day);
            } else {
                changes.push_back(trail[i]);
            }
        }
        const bool saved = changes.empty() || changes.front().state == CEditLog::EState::kDone;
        if (!log.BeginBatch(marker, changes) || !log.EndBatch(marker, saved, failedDays))
            return false;
    }
    return true;
}

}  // namespace

bool CDatabaseExport::Run(const std::string& conninfo, const CRuntime& folder, Result& result,
                          std::string& why) {
    result = {};
    auto connection = CPgConnection::Open(conninfo, why);
    if (!connection || CPgSchema::Check(*connection, why) != CPgSchema::EState::kReady)
        return false;
    auto settings = CreateConfig(folder);
    const std::filesystem::path work = settings->GetWorkFilePath();
    for (const std::filesystem::path& path :
         {work, std::filesystem::path(settings->GetIdFilePath()), folder.DataFile("Admin.dat"),
          folder.DataFile("EditLog.txt"), folder.DataFile("WorkRules.txt"),
          CFolderScheduleStore(folder, settings->GetIdFilePath()).FilePath()}) {
        if (CFileSystem::Exists(path)) {
            why = "書き出し先にはもうStampwellのファイルがあります（" + path.string() +
                  "）。空のフォルダを指定してください。";
            return false;
        }
    }
    // One snapshot of every table, so the files agree with each other.
    if (!connection->ExecScript("BEGIN ISOLATION LEVEL REPEATABLE READ READ ONLY").Ok()) {
        why = "データベースを読めませんでした: " + connection->LastError();
        return false;
    }
    std::string blocks;
    const bool read =
        CPgWorkRows::Select(*connection, "true", {}, [&](const CPgWorkRows::Row& row) {
            blocks +=
                CCipherRecordFile::Encipher(CPgWorkRows::LineText(row), WorkLine::kRecordLength);
            ++result.records;
            return true;
        });
    std::vector<CEditLog::Entry> trail;
    const bool trailRead = CPgMonthRecords::ForEachTrailEntry(
        *connection, [&](const CEditLog::Entry& entry) { trail.push_back(entry); });
    connection->ExecScript("COMMIT");
    if (!read || !trailRead) {
        why = "データベースを読めませんでした: " + connection->LastError();
        return false;
    }
    if (!CFileSystem::WriteWholeFile(work, work.filename().string() + ".tmp", blocks)) {
        why = "勤務ファイルを書き込めませんでした: " + work.string();
        return false;
    }
    if (!WriteTrail(trail, CEditLog(work, folder.DataDir()))) {
        why = "修正履歴（EditLog.txt）を書き込めませんでした。";
        return false;
    }
    result.trail = trail.size();

    CFolderPeopleStore people{CRegisterFile(folder)};
    people.SetPathSource(settings);
    for (const auto& person : CPgPeopleStore(conninfo, folder.LockWait()).ReadAll()) {
        people.SetCardId(person.cardId);
        people.SetName(person.personalName);
        people.SetMailName(person.mailName);
        people.SetMailAddress(person.mailAddress);
        if (people.AddRecord() != 1) {
            why = "カード登録者ファイルに書き込めませんでした（" + person.personalName + "）。";
            return false;
        }
        ++result.people;
    }

    CSink sink;
    CLeaveBook book;
    if (!CPgLeaveStore(conninfo, folder.LockWait()).Read(book, &why)) return false;
    CFolderLeaveStore leave(folder, settings->GetIdFilePath());
    if (!leave.Apply(
            [&](CLeaveBook& stored) -> std::optional<std::string> {
                stored = book;
                return std::nullopt;
            },
            sink)) {
        why = "有給休暇の記録を書き込めませんでした。" + sink.said;
        return false;
    }
    CWorkRules rules;
    if (!CPgRulesStore(conninfo, folder.LockWait()).Read(rules, nullptr)) {
        why = "就業ルールを読めませんでした。";
        return false;
    }
    CFolderRulesStore rulesFile(folder);
    if (!rulesFile.Apply(
            [&](CWorkRules& stored) -> std::optional<std::string> {
                stored = rules;
                return std::nullopt;
            },
            sink, nullptr)) {
        why = "就業ルールを書き込めませんでした。" + sink.said;
        return false;
    }
    CScheduleBook schedule;
    if (!CPgScheduleStore(conninfo, folder.LockWait()).Read(schedule, &why)) return false;
    // No file for an empty calendar: the folder then holds what an earlier release wrote.
    if (!(schedule == CScheduleBook{}) &&
        !CFolderScheduleStore(folder, settings->GetIdFilePath())
             .Apply(
                 [&](CScheduleBook& stored) -> std::optional<std::string> {
                     stored = schedule;
                     return std::nullopt;
                 },
                 sink)) {
        why = "勤務予定を書き込めませんでした。" + sink.said;
        return false;
    }

    CFolderAdminStore admins{CAdminFile(folder)};
    for (const auto& entry : CPgAdminStore(conninfo, folder.LockWait()).GetAdminList()) {
        CPgAdminStore stored(conninfo, folder.LockWait());
        stored.SetPreviousId(entry.id);
        stored.LoadAdmin();
        const std::string password = NewPassword();
        admins.SetId(entry.id);
        admins.SetCardId(stored.GetCardId());
        admins.SetPassword(password);
        if (password.empty() || admins.AddAdmin() != 1) {
            why =
                "管理者を書き込めませんでした（" + entry.id + "）。" + admins.LastRefusalMessage();
            return false;
        }
        result.passwords.emplace_back(entry.id, password);
    }
    return true;
}

}  // namespace stampwell
