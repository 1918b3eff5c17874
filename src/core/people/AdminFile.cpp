#include "people/AdminFile.h"

#include <system_error>

#include "diagnostics/ErrorLog.h"
#include "diagnostics/SharedLock.h"
#include "people/CipherRecordFile.h"
#include "people/PersonText.h"
#include "people/RecordScanner.h"
#include "platform/FileLock.h"
#include "platform/FileSystem.h"
#include "text/TextCodec.h"

namespace stampwell {

namespace {
constexpr const char* kScratchName = "AdminTemp.dat";

// The two-step parse of a deciphered block: ID and card first, then the password after the
// card (or after the empty card's two commas), ending at a blank or line end.
void ParseBlock(const std::string& text, std::string& id, std::string& card,
                std::string& password) {
    id.clear();
    card.clear();
    password.clear();
    CRecordScanner first(text);
    if (first.ScanField(id, ",\n", 63) && first.ScanLiteral(',')) first.ScanField(card, ",\n", 31);
    CRecordScanner second(text);
    std::string ignored;
    if (card.empty()) {
        if (second.ScanField(ignored, ",\n", 63) && second.ScanLiteral(',') &&
            second.ScanLiteral(',')) {
            second.ScanField(password, " \n", 31);
        }
    } else if (second.ScanField(ignored, ",\n", 63) && second.ScanLiteral(',') &&
               second.ScanField(ignored, ",\n", 31) && second.ScanLiteral(',')) {
        second.ScanField(password, " \n", 31);
    }
}

std::optional<std::string> FormatBlock(const std::string& id, const std::string& card,
                                       const std::string& password) {
    auto i = CTextCodec::ToCp932(id);
    auto c = CTextCodec::ToCp932(card);
    auto p = CTextCodec::ToCp932(password);
    if (!i || !c || !p) return std::nullopt;
    std::string text = *i + "," + *c + "," + *p + "\n";
    if (text.size() > CAdminFile::kBlock) return std::nullopt;
    return text;
}
}  // namespace

CAdminFile::CAdminFile(CRuntime runtime) : m_runtime(std::move(runtime)) {}

std::filesystem::path CAdminFile::FilePath() const {
    return m_runtime.DataFile("Admin.dat");
}

bool CAdminFile::FitsBlock(const std::string& id, const std::string& card,
                           const std::string& password) {
    if (id.empty() || password.empty()) return false;
    if (id.find_first_of(",\r\n") != std::string::npos) return false;
    if (CPersonText::HasControlCharacter(id) || CPersonText::HasControlCharacter(password)) {
        return false;
    }
    if (card.find_first_of(",\r\n ") != std::string::npos) return false;
    if (password.find_first_of(",\r\n \t") != std::string::npos) return false;
    auto idLength = CTextCodec::Cp932Length(id);
    auto passwordLength = CTextCodec::Cp932Length(password);
    if (!idLength || *idLength > kIdLimit || !passwordLength || *passwordLength > kPasswordLimit) {
        return false;
    }
    return FormatBlock(id, card, password).has_value();
}

bool CAdminFile::Scan(const std::function<bool(const Parsed&)>& visit) const {
    auto content = CFileSystem::ReadWholeFile(FilePath());
    if (!content) return false;
    for (std::size_t at = 0; at + kBlock <= content->size(); at += kBlock) {
        const std::string cipher = content->substr(at, kBlock);
        // The same involution deciphers; the text ends at its first zero byte.
        const std::string plain = CCipherRecordFile::Encipher(cipher, kBlock);
        const std::string text(plain.c_str());
        Parsed raw;
        ParseBlock(text, raw.id, raw.card, raw.password);
        Parsed parsed{CTextCodec::FromCp932(raw.id), CTextCodec::FromCp932(raw.card),
                      CTextCodec::FromCp932(raw.password), cipher};
        if (!visit(parsed)) break;
    }
    return true;
}

int CAdminFile::GetCount() const {
    std::error_code error;
    auto size = std::filesystem::file_size(FilePath(), error);
    if (error) return 0;
    return static_cast<int>(size / kBlock);
}

int CAdminFile::CheckPassword() const {
    bool match = false;
    Scan([&](const Parsed& record) {
        match = !m_id.empty() && record.id == m_id && record.password == m_password;
        return !match;
    });
    return match ? 1 : 0;
}

int CAdminFile::FindIdByCard() {
    if (m_cardId.empty()) return 0;
    bool found = false;
    Scan([&](const Parsed& record) {
        if (record.card != m_cardId) return true;
        m_id = record.id;
        found = true;
        return false;
    });
    return found ? 1 : 0;
}

int CAdminFile::ExistsId() const {
    bool found = false;
    Scan([&](const Parsed& record) {
        found = !m_id.empty() && record.id == m_id;
        return !found;
    });
    return found ? 1 : 0;
}

void CAdminFile::LoadAdmin() {
    Scan([&](const Parsed& record) {
        if (record.id == m_previousId) {
            m_cardId = record.card;
            m_password = record.password;
        }
        return true;
    });
}

std::vector<CAdminFile::Entry> CAdminFile::GetAdminList() const {
    std::vector<Entry> entries;
    Scan([&](const Parsed& record) {
        if (!record.id.empty()) entries.push_back({record.id, !record.card.empty()});
        return true;
    });
    return entries;
}

void CAdminFile::GetIdList(std::vector<std::string>& ids) const {
    ids.clear();
    Scan([&](const Parsed& record) {
        if (!record.id.empty()) ids.push_back(record.id);
        return true;
    });
}

bool CAdminFile::EncodeWorking(std::string& block) const {
    if (!FitsBlock(m_id, m_cardId, m_password)) return false;
    block = *FormatBlock(m_id, m_cardId, m_password);
    return true;
}

int CAdminFile::CreateEmptyFile() {
    return WriteAll({}) ? 1 : 0;
}

bool CAdminFile::WriteAll(const std::string& bytes) {
    auto path = FilePath();
    if (CFileSystem::IsForeign(path)) {
        ErrorLog(m_runtime.DataDir(), __LINE__,
                 "管理者ファイルの場所にStampwellのものではないファイルがあります "
                 "(CAdminFile: not a file of ours)",
                 __FILE__, &m_runtime.Clock());
        return false;
    }
    // Password material: readable by the owner alone, from the scratch file's first byte on.
    CFileSystem::SetReadOnly(path, false);
    bool ok =
        CFileSystem::WriteWholeFile(path, kScratchName, bytes, CFileSystem::EAccess::kOwnerOnly);
    CFileSystem::SetReadOnly(path, true);
    return ok;
}

CFileLock CAdminFile::LockFile() {
    auto lockPath = FilePath();
    lockPath += ".lock";
    CFileLock lock = CSharedLock::Take(m_runtime, lockPath);
    // A wait that ran out has its own words (kBusy); anything planted is named.
    m_lockRefusal = lock.State() == CFileLock::EState::kTimedOut
                        ? std::string{}
                        : CSharedLock::Message(lock.State(), lockPath);
    return lock;
}

int CAdminFile::AddAdmin() {
    m_refusal = ERefusal::kNone;
    std::string block;
    if (!EncodeWorking(block)) return Refused(ERefusal::kWrite);
    CFileLock lock = LockFile();
    if (!lock.AllowsChange()) return Refused(ERefusal::kBusy);
    // The limit and the unique ID and card are checked again under the lock: two administrators
    // added at once from two clocks must not make four, nor two with one ID.
    int count = 0;
    ERefusal conflict = ERefusal::kNone;
    Scan([&](const Parsed& record) {
        if (record.id.empty()) return true;
        ++count;
        if (record.id == m_id) conflict = ERefusal::kDuplicateId;
        if (!m_cardId.empty() && record.card == m_cardId) conflict = ERefusal::kDuplicateCard;
        return true;
    });
    if (count >= kMaxAdmins) return Refused(ERefusal::kLimit);
    if (conflict != ERefusal::kNone) return Refused(conflict);
    // The whole file is replaced: a write cut short leaves no half block behind.
    bool ok = Rewrite([](const Parsed&, std::string&) { return true; }, block);
    if (!ok) return Refused(ERefusal::kWrite);
    if (count == 0) m_loginId = m_id;
    return 1;
}

int CAdminFile::Refused(ERefusal why) {
    m_refusal = why;
    return 0;
}

bool CAdminFile::Rewrite(const std::function<bool(const Parsed&, std::string&)>& keep,
                         const std::string& added) {
    std::string bytes;
    bool encoded = true;
    bool read = Scan([&](const Parsed& record) {
        std::string text;
        if (!keep(record, text)) return true;
        if (text.empty()) {
            // Every other record is written back exactly as it was stored.
            bytes += record.block;
            return true;
        }
        std::string block = CCipherRecordFile::Encipher(text, kBlock);
        encoded = encoded && !block.empty();
        bytes += block;
        return true;
    });
    if (!encoded) return false;
    // Never over records that were not read; only an addition may start a new file.
    if (!read && (added.empty() || CFileSystem::Exists(FilePath()))) return false;
    if (!added.empty()) {
        std::string block = CCipherRecordFile::Encipher(added, kBlock);
        if (block.empty()) return false;
        bytes += block;
    }
    return WriteAll(bytes);
}

int CAdminFile::ChangeAdmin() {
    m_refusal = ERefusal::kNone;
    std::string working;
    if (!EncodeWorking(working)) return Refused(ERefusal::kWrite);
    CFileLock lock = LockFile();
    if (!lock.AllowsChange()) return Refused(ERefusal::kBusy);
    ERefusal conflict = ERefusal::kNone;
    Scan([&](const Parsed& record) {
        if (record.id == m_previousId) return true;
        if (record.id == m_id) conflict = ERefusal::kDuplicateId;
        if (!m_cardId.empty() && record.card == m_cardId) conflict = ERefusal::kDuplicateCard;
        return true;
    });
    if (conflict != ERefusal::kNone) return Refused(conflict);
    bool followLogin = false;
    bool ok = Rewrite([&](const Parsed& record, std::string& text) {
        if (record.id == m_previousId) {
            text = working;
            if (record.id == m_loginId) followLogin = true;
        }
        return true;
    });
    if (!ok) return Refused(ERefusal::kWrite);
    if (followLogin) m_loginId = m_id;
    return 1;
}

int CAdminFile::DeleteAdmin() {
    m_refusal = ERefusal::kNone;
    CFileLock lock = LockFile();
    if (!lock.AllowsChange()) return Refused(ERefusal::kBusy);
    return Rewrite([&](const Parsed& record, std::string&) { return record.id != m_id; }) ? 1 : 0;
}

bool CAdminFile::LoginWithPassword(const std::string& id, const std::string& password) {
    std::string savedId = m_id;
    std::string savedPassword = m_password;
    m_id = id;
    m_password = password;
    bool ok = CheckPassword() == 1;
    if (ok) m_loginId = id;
    m_id = savedId;
    m_password = savedPassword;
    return ok;
}

bool CAdminFile::LoginWithCard(const std::string& card) {
    std::string savedCard = m_cardId;
    m_cardId = card;
    bool ok = FindIdByCard() == 1;
    if (ok) m_loginId = m_id;
    m_cardId = savedCard;
    return ok;
}

std::shared_ptr<CAdminFile> CreateAdminFile(const CRuntime& runtime) {
    return std::make_shared<CAdminFile>(runtime);
}

}  // namespace stampwell

namespace stampwell {

std::string CAdminFile::LastRefusalMessage() const {
    if (m_refusal == ERefusal::kBusy && !m_lockRefusal.empty()) {
        return m_lockRefusal;
    }
    return RefusalMessage(m_refusal);
}

const char* CAdminFile::RefusalMessage(ERefusal why) {
    switch (why) {
        case ERefusal::kLimit:
            return "これ以上の管理者は作成できません。";
        case ERefusal::kDuplicateId:
            return "既に登録された登録名です。";
        case ERefusal::kDuplicateCard:
            return "既に登録されたカードです。";
        case ERefusal::kBusy:
            return "他の端末が管理者情報を変更中のため、記録できませんでした。\nしばらくしてから"
                   "もう一度お試しください。";
        case ERefusal::kUnreachable:
            return "管理者情報の記録先（データベース）に接続できないため、確かめられませんでした。"
                   "\nしばらくしてからもう一度お試しください。";
        default:
            return "登録ファイルを記録できませんでした。\nパス設定を確認してください。";
    }
}

}  // namespace stampwell
