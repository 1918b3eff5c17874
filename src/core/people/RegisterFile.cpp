#include "people/RegisterFile.h"

#include <algorithm>

#include "diagnostics/ErrorLog.h"
#include "diagnostics/SharedLock.h"
#include "people/PersonText.h"
#include "people/RecordScanner.h"
#include "platform/FileLock.h"
#include "platform/FileSystem.h"
#include "settings/ISettings.h"
#include "text/TextCodec.h"

namespace stampwell {

namespace {
constexpr const char* kHeader1 = "#CardAndNameRegisterFile_V1";
constexpr const char* kHeader2 = "#CardID,PersonalName,ReceiveMailName,ReceiveMailAddress";
constexpr const char* kScratchName = "RegisterTemp.txt";
constexpr std::size_t kReaderField = 255;

template <typename R>
std::string FormatLine(const R& record) {
    return record.cardId + "," + record.personalName + "," + record.mailName + "," +
           record.mailAddress + "\r\n";
}

bool IsStorable(const std::string& cp932) {
    return cp932.find_first_of(",\r\n") == std::string::npos;
}

// Whether a stored name (CP932 bytes as read) is the name key (CP932 as this program writes
// it). A file written by another tool may hold a kanji in CP932's other code for it (the NEC
// and IBM extension rows share characters); it is the same name and must be found, changed and
// deleted as such.
bool SameName(const std::string& stored, const std::string& key) {
    if (stored == key) return true;
    if (stored.size() != key.size()) return false;
    auto canonical = CTextCodec::ToCp932(CTextCodec::FromCp932(stored));
    return canonical && *canonical == key;
}
}  // namespace

struct CRegisterFile::RawRecord {
    std::string cardId, personalName, mailName, mailAddress;
};

CRegisterFile::CRegisterFile(CRuntime runtime) : m_runtime(std::move(runtime)) {}

void CRegisterFile::SetPathSource(std::shared_ptr<const ISettings> settings) {
    m_settings = std::move(settings);
}

int CRegisterFile::SetCardId(std::string card) {
    m_cardId = std::move(card);
    return 1;
}
int CRegisterFile::SetName(std::string name) {
    m_personalName = std::move(name);
    return 1;
}
int CRegisterFile::SetPreviousName(std::string name) {
    m_previousName = std::move(name);
    return 1;
}
int CRegisterFile::SetMailName(std::string name) {
    m_mailName = std::move(name);
    return 1;
}
int CRegisterFile::SetMailAddress(std::string address) {
    m_mailAddress = std::move(address);
    return 1;
}

std::filesystem::path CRegisterFile::ResolvePath() const {
    if (m_settings) return std::filesystem::path(m_settings->GetIdFilePath());
    return m_runtime.DataFile("Register.txt");
}

std::filesystem::path CRegisterFile::LastReadPath() const {
    return m_runtime.DataFile("Register.txt.last");
}

bool CRegisterFile::IsShared() const {
    return CFileSystem::Resolve(ResolvePath().parent_path()) !=
           CFileSystem::Resolve(m_runtime.DataDir());
}

void CRegisterFile::KeepLastRead(const std::string& content) const {
    // Rewritten only when it changed: most reads find it as it was.
    const auto last = CFileSystem::ReadWholeFile(LastReadPath());
    if (!last || *last != content) {
        CFileSystem::WriteWholeFile(LastReadPath(), "Register.txt.last.tmp", content);
    }
}

std::optional<std::string> CRegisterFile::ReadContent(bool mayUseLastRead) const {
    const bool shared = IsShared();
    bool absent = false;
    auto content = CFileSystem::ReadWholeFileInFolder(ResolvePath(), absent);
    if (content && absent) return std::nullopt;  // no register yet
    if (content && shared) KeepLastRead(*content);
    if (!content && mayUseLastRead && shared) return CFileSystem::ReadWholeFile(LastReadPath());
    return content;
}

bool CRegisterFile::Scan(const std::function<bool(const RawRecord&, int)>& visit,
                         std::string* headers, bool mayUseLastRead) const {
    auto content = ReadContent(mayUseLastRead);
    if (!content) return false;
    std::string text = NormalizeLineEnds(*content);
    CRecordScanner scanner(text);
    std::string header1, header2;
    scanner.ScanWord(header1);
    scanner.SkipWhiteSpace();
    scanner.ScanWord(header2);
    scanner.SkipWhiteSpace();
    if (headers != nullptr) *headers = header1 + "\r\n" + header2 + "\r\n";
    while (!scanner.AtEnd()) {
        RawRecord record;
        int fields = 0;
        if (scanner.ScanField(record.cardId, ",\n", kReaderField)) {
            fields = 1;
            if (scanner.ScanLiteral(',') &&
                scanner.ScanField(record.personalName, ",\n", kReaderField)) {
                fields = 2;
                if (scanner.ScanLiteral(',') &&
                    scanner.ScanField(record.mailName, ",\n", kReaderField)) {
                    fields = 3;
                    if (scanner.ScanLiteral(',') &&
                        scanner.ScanField(record.mailAddress, ",\n", kReaderField)) {
                        fields = 4;
                    }
                }
            }
        }
        scanner.ScanLiteral(',');
        scanner.SkipWhiteSpace();
        if (!visit(record, fields)) break;
    }
    return true;
}

int CRegisterFile::FindNameByCard() {
    auto key = CTextCodec::ToCp932(m_cardId);
    if (!key || key->empty()) return 0;
    bool found = false;
    Scan(
        [&](const RawRecord& record, int) {
            if (record.cardId != *key) return true;
            m_personalName = CTextCodec::FromCp932(record.personalName);
            found = true;
            return false;
        },
        nullptr, true);
    return found ? 1 : 0;
}

std::string CRegisterFile::FindField(const std::string& name, std::string RawRecord::*field) const {
    auto key = CTextCodec::ToCp932(name);
    if (!key || key->empty()) return {};
    std::string result;
    Scan(
        [&](const RawRecord& record, int) {
            if (!SameName(record.personalName, *key)) return true;
            result = CTextCodec::FromCp932(record.*field);
            return false;
        },
        nullptr, true);
    return result;
}

std::string CRegisterFile::GetCardIdByName(const std::string& name) const {
    return FindField(name, &RawRecord::cardId);
}
std::string CRegisterFile::GetMailNameByName(const std::string& name) const {
    return FindField(name, &RawRecord::mailName);
}
std::string CRegisterFile::GetMailAddressByName(const std::string& name) const {
    return FindField(name, &RawRecord::mailAddress);
}

bool CRegisterFile::HasName(const std::string& name) const {
    auto key = CTextCodec::ToCp932(name);
    if (!key || key->empty()) return false;
    bool found = false;
    Scan([&](const RawRecord& record, int) {
        found = SameName(record.personalName, *key);
        return !found;
    });
    return found;
}

int CRegisterFile::GetCount() const {
    auto content = CFileSystem::ReadWholeFile(ResolvePath());
    if (!content) return 0;
    // Whole lines, however long: a long line is one line.
    long lines = std::count(content->begin(), content->end(), '\n');
    if (!content->empty() && content->back() != '\n') ++lines;
    return static_cast<int>(std::max(0L, lines - 2));
}

std::string CRegisterFile::GetNameAt(int index) const {
    std::string name;
    int i = 0;
    Scan([&](const RawRecord& record, int) {
        if (i++ != index) return true;
        name = CTextCodec::FromCp932(record.personalName);
        return false;
    });
    return name;
}

std::vector<std::string> CRegisterFile::GetAllNames() const {
    std::vector<std::string> names;
    Scan([&](const RawRecord& record, int) {
        if (!record.personalName.empty())
            names.push_back(CTextCodec::FromCp932(record.personalName));
        return true;
    });
    return names;
}

std::vector<CRegisterFile::Record> CRegisterFile::ReadAll() const {
    std::vector<Record> records;
    Scan([&](const RawRecord& raw, int) {
        if (raw.personalName.empty()) return true;
        records.push_back(
            {CTextCodec::FromCp932(raw.cardId), CTextCodec::FromCp932(raw.personalName),
             CTextCodec::FromCp932(raw.mailName), CTextCodec::FromCp932(raw.mailAddress)});
        return true;
    });
    return records;
}

bool CRegisterFile::CanHold(const Record& record) {
    auto card = CTextCodec::ToCp932(record.cardId);
    auto name = CTextCodec::ToCp932(record.personalName);
    auto mailName = CTextCodec::ToCp932(record.mailName);
    auto mailAddress = CTextCodec::ToCp932(record.mailAddress);
    if (!card || !name || !mailName || !mailAddress) return false;
    if (!CPersonText::IsStorableName(record.personalName)) return false;
    if (card->empty() || name->empty() || name->size() > kNameLimit ||
        mailName->size() > kMailNameLimit || mailAddress->size() > kMailAddressLimit) {
        return false;
    }
    return IsStorable(*card) && IsStorable(*name) && IsStorable(*mailName) &&
           IsStorable(*mailAddress);
}

bool CRegisterFile::EncodeWorkingRecord(std::string& line) const {
    const Record record{m_cardId, m_personalName, m_mailName, m_mailAddress};
    if (!CanHold(record)) return false;
    line = FormatLine(Record{*CTextCodec::ToCp932(m_cardId), *CTextCodec::ToCp932(m_personalName),
                             *CTextCodec::ToCp932(m_mailName),
                             *CTextCodec::ToCp932(m_mailAddress)});
    return true;
}

int CRegisterFile::CreateNewFile() {
    return WriteAll(std::string(kHeader1) + "\r\n" + kHeader2 + "\r\n") ? 1 : 0;
}

CFileLock CRegisterFile::LockFile() {
    auto lockPath = ResolvePath();
    lockPath += ".lock";
    CFileLock lock = CSharedLock::Take(m_runtime, lockPath);
    m_lockRefusal = CSharedLock::Message(lock.State(), lockPath);
    return lock;
}

std::string CRegisterFile::FailureMessage(const std::string& otherwise) const {
    return m_lockRefusal.empty() ? otherwise : m_lockRefusal;
}

bool CRegisterFile::Conflicts(const std::string& name, const std::string& card,
                              const std::string& previous) const {
    bool conflict = false;
    Scan([&](const RawRecord& record, int) {
        bool other = previous.empty() || !SameName(record.personalName, previous);
        conflict = other && (SameName(record.personalName, name) || record.cardId == card);
        return !conflict;
    });
    return conflict;
}

int CRegisterFile::AddRecord() {
    std::string line;
    if (!EncodeWorkingRecord(line)) return 0;
    CFileLock lock = LockFile();
    if (!lock.AllowsChange()) return 0;
    // Checked again under the lock: another writer may have taken the name or card meanwhile.
    if (Conflicts(*CTextCodec::ToCp932(m_personalName), *CTextCodec::ToCp932(m_cardId), {})) {
        return 0;
    }
    // The whole file is replaced, never appended to: a write cut short can leave no fragment
    // that the next record would be glued onto.
    if (!CFileSystem::Exists(ResolvePath())) {
        return WriteAll(std::string(kHeader1) + "\r\n" + kHeader2 + "\r\n" + line) ? 1 : 0;
    }
    bool ok = Rewrite(
        [&](const RawRecord& record, int, std::string& out) {
            if (record.personalName.empty()) return false;
            out = FormatLine(record);
            return true;
        },
        line);
    return ok ? 1 : 0;
}

bool CRegisterFile::WriteAll(const std::string& content) {
    auto path = ResolvePath();
    if (CFileSystem::IsForeign(path)) {
        ErrorLog(m_runtime.DataDir(), __LINE__,
                 "カード登録者ファイルの場所にStampwellのものではないファイルがあります "
                 "(CRegisterFile: not a file of ours)",
                 __FILE__, &m_runtime.Clock());
        return false;
    }
    CFileSystem::SetReadOnly(path, false);
    bool ok = CFileSystem::WriteWholeFile(path, kScratchName, content);
    CFileSystem::SetReadOnly(path, true);
    if (ok && IsShared()) KeepLastRead(content);
    return ok;
}

bool CRegisterFile::Rewrite(const std::function<bool(const RawRecord&, int, std::string&)>& keep,
                            const std::string& added) {
    std::string headers, records;
    bool read = Scan(
        [&](const RawRecord& record, int fields) {
            std::string out;
            if (keep(record, fields, out)) records += out;
            return true;
        },
        &headers);
    if (!read) return false;
    return WriteAll(headers + records + added);
}

int CRegisterFile::ChangeRecord() {
    std::string line;
    auto previous = CTextCodec::ToCp932(m_previousName);
    if (!previous || previous->empty() || !EncodeWorkingRecord(line)) return 0;
    CFileLock lock = LockFile();
    if (!lock.AllowsChange()) return 0;
    if (Conflicts(*CTextCodec::ToCp932(m_personalName), *CTextCodec::ToCp932(m_cardId),
                  *previous)) {
        return 0;
    }
    bool ok = Rewrite([&](const RawRecord& record, int, std::string& out) {
        if (SameName(record.personalName, *previous)) {
            out = line;
        } else if (!record.personalName.empty()) {
            out = FormatLine(record);
        } else {
            return false;
        }
        return true;
    });
    return ok ? 1 : 0;
}

int CRegisterFile::DeleteRecord() {
    auto name = CTextCodec::ToCp932(m_personalName);
    if (!name) return 0;
    CFileLock lock = LockFile();
    if (!lock.AllowsChange()) return 0;
    bool ok = Rewrite([&](const RawRecord& record, int fields, std::string& out) {
        if (SameName(record.personalName, *name) || fields < 2) return false;
        out = FormatLine(record);
        return true;
    });
    return ok ? 1 : 0;
}

std::shared_ptr<CRegisterFile> CreateRegisterFile(const CRuntime& runtime) {
    return std::make_shared<CRegisterFile>(runtime);
}

}  // namespace stampwell
