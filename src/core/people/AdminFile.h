#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/Runtime.h"

namespace stampwell {

class CFileLock;

// Admin.dat: one enciphered 64-byte block per administrator, "ID,card,password\n" filled with
// blanks. Holds the working record and the ID of the administrator who is logged in.
class CAdminFile {
public:
    static constexpr std::size_t kBlock = 64;
    static constexpr std::size_t kIdLimit = 32;
    static constexpr std::size_t kPasswordLimit = 16;
    static constexpr int kMaxAdmins = 3;

    explicit CAdminFile(CRuntime runtime);

    void SetCardId(std::string card) { m_cardId = std::move(card); }
    void ClearCardId() { m_cardId.clear(); }
    void SetId(std::string id) { m_id = std::move(id); }
    void SetPreviousId(std::string id) { m_previousId = std::move(id); }
    void SetPassword(std::string password) { m_password = std::move(password); }
    void SetLoginId(std::string id) { m_loginId = std::move(id); }
    std::string GetCardId() const { return m_cardId; }
    const std::string& GetId() const { return m_id; }
    const std::string& GetPreviousId() const { return m_previousId; }
    const std::string& GetPassword() const { return m_password; }
    const std::string& GetLoginId() const { return m_loginId; }

    int GetCount() const;
    int CheckPassword() const;
    int FindIdByCard();
    int ExistsId() const;
    void LoadAdmin();
    void GetIdList(std::vector<std::string>& ids) const;
    struct Entry {
        std::string id;
        bool hasCard = false;
    };
    // Every administrator with whether a login card is set, in one pass.
    std::vector<Entry> GetAdminList() const;
    // Changes hold an advisory lock on "Admin.dat.lock" from reading to replacing the file and
    // check the limit of three and the unique ID and card under it. Writes refuse (0, nothing
    // written; LastRefusal says why) a record that would not fit its block or that the format
    // cannot hold (comma, line break, blank in the password, no CP932 form). The file is
    // readable by its owner only.
    // kUnreachable: where the administrators are kept (a database) did not answer a login.
    enum class ERefusal {
        kNone,
        kLimit,
        kDuplicateId,
        kDuplicateCard,
        kBusy,
        kWrite,
        kUnreachable
    };
    int AddAdmin();
    int ChangeAdmin();
    int DeleteAdmin();
    int CreateEmptyFile();
    ERefusal LastRefusal() const { return m_refusal; }
    // The message of a refusal, for the screens and the command-line tool.
    static const char* RefusalMessage(ERefusal why);
    // The last refusal's message, naming what sits at the lock's name when that refused.
    std::string LastRefusalMessage() const;

    // Login: the login ID changes only when the check succeeds.
    bool LoginWithPassword(const std::string& id, const std::string& password);
    bool LoginWithCard(const std::string& card);

    // Whether ID, card and password would make a storable record.
    static bool FitsBlock(const std::string& id, const std::string& card,
                          const std::string& password);

    std::filesystem::path FilePath() const;

private:
    struct Parsed {
        std::string id, card, password;
        std::string block;  // the enciphered block as stored, kept as is by rewrites
    };
    // Reads every whole block; visit returns false to stop. False when the file cannot be read.
    bool Scan(const std::function<bool(const Parsed&)>& visit) const;
    bool EncodeWorking(std::string& block) const;
    // keep decides each record; a blockText it sets replaces the record, else the stored block
    // stays byte for byte.
    bool Rewrite(const std::function<bool(const Parsed&, std::string& blockText)>& keep,
                 const std::string& addedText = {});
    bool WriteAll(const std::string& bytes);
    int Refused(ERefusal why);
    CFileLock LockFile();

    CRuntime m_runtime;
    std::string m_cardId;
    std::string m_id;
    std::string m_previousId;
    std::string m_password;
    std::string m_loginId;
    ERefusal m_refusal = ERefusal::kNone;
    std::string m_lockRefusal;
};

std::shared_ptr<CAdminFile> CreateAdminFile(const CRuntime& runtime);

}  // namespace stampwell
