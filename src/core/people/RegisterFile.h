#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/Runtime.h"

namespace stampwell {

class ISettings;
class CFileLock;

// Register.txt: one "card,name,mail name,mail address" line per employee (CP932, CR LF), after
// two header lines. Keeps no copy: every query reads the file, every change rewrites it.
// The working record is set field by field before the operation that uses it.
class CRegisterFile {
public:
    explicit CRegisterFile(CRuntime runtime);

    void SetPathSource(std::shared_ptr<const ISettings> settings);

    int SetCardId(std::string card);
    int SetName(std::string name);
    int SetPreviousName(std::string name);
    int SetMailName(std::string name);
    int SetMailAddress(std::string address);
    void ClearCardId() { m_cardId.clear(); }
    const std::string& GetCardId() const { return m_cardId; }
    const std::string& GetName() const { return m_personalName; }

    // Lookups stop at the first record that matches; comparisons are exact.
    int FindNameByCard();
    std::string GetCardIdByName(const std::string& name) const;
    std::string GetMailNameByName(const std::string& name) const;
    std::string GetMailAddressByName(const std::string& name) const;
    bool HasName(const std::string& name) const;
    int GetCount() const;
    std::string GetNameAt(int index) const;
    // Every record's name in file order, in one pass.
    std::vector<std::string> GetAllNames() const;

    // Writes refuse (0, nothing written) a record the file cannot hold (see CPersonText), and a
    // name or card that another record has. Every change, an addition too, reads, changes and
    // replaces the whole file under an advisory lock on "<register>.lock", so writers in several
    // processes lose nothing and a crash leaves no half line.
    int AddRecord();
    // Replaces every record of the previous name by the working record.
    int ChangeRecord();
    // Removes every record of the working name.
    int DeleteRecord();
    int CreateNewFile();
    // Why the last change was refused: the lock's message when the lock refused it (busy,
    // something planted at its name), else `otherwise`.
    std::string FailureMessage(const std::string& otherwise) const;

    std::filesystem::path ResolvePath() const;
    // The register as last read, kept in the data folder when the register is elsewhere (a
    // shared folder): a tap still knows the cards while that folder is away.
    std::filesystem::path LastReadPath() const;

    struct Record {
        std::string cardId, personalName, mailName, mailAddress;
    };
    // Every record in file order (UTF-8), for listings.
    std::vector<Record> ReadAll() const;

    // Whether a record (UTF-8) can be kept: a CP932 form within the byte limits, a card and a
    // storable name, no comma or line break.
    static bool CanHold(const Record& record);

    static constexpr std::size_t kNameLimit = 32;
    static constexpr std::size_t kMailNameLimit = 32;
    static constexpr std::size_t kMailAddressLimit = 64;

private:
    struct RawRecord;
    // Scans the file record by record in CP932 form; visit returns false to stop. False when
    // the file cannot be read. headers, when given, receives the two header lines (CR LF).
    // A lookup may read the last-read copy when the register's folder is away (mayUseLastRead);
    // a change never does.
    bool Scan(const std::function<bool(const RawRecord&, int fieldCount)>& visit,
              std::string* headers = nullptr, bool mayUseLastRead = false) const;
    std::optional<std::string> ReadContent(bool mayUseLastRead) const;
    // Whether the register is in another folder than the data folder (a shared one).
    bool IsShared() const;
    void KeepLastRead(const std::string& content) const;
    std::string FindField(const std::string& name, std::string RawRecord::*field) const;
    // Rewrites the file through a scratch file beside it; keep decides each record's line.
    bool Rewrite(
        const std::function<bool(const RawRecord&, int fieldCount, std::string& out)>& keep,
        const std::string& added = {});
    // Replaces the file by content (read-only at rest); refuses a link or FIFO in its place.
    bool WriteAll(const std::string& content);
    bool EncodeWorkingRecord(std::string& line) const;
    CFileLock LockFile();
    // Whether a record other than those of previous (CP932) has the name or the card.
    bool Conflicts(const std::string& name, const std::string& card,
                   const std::string& previous) const;

    CRuntime m_runtime;
    std::shared_ptr<const ISettings> m_settings;
    std::string m_cardId;
    std::string m_previousName;
    std::string m_personalName;
    std::string m_mailName;
    std::string m_mailAddress;
    std::string m_lockRefusal;
};

std::shared_ptr<CRegisterFile> CreateRegisterFile(const CRuntime& runtime);

}  // namespace stampwell
