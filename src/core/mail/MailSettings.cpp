#include "mail/MailSettings.h"

#include <cstdlib>
#include <map>
#include <optional>
#include <vector>

#include "diagnostics/SharedLock.h"
#include "platform/FileLock.h"
#include "platform/FileSystem.h"
#include "text/TextCodec.h"

namespace stampwell {

namespace {

std::vector<std::string> SplitLines(const std::string& content) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < content.size()) {
        std::size_t end = content.find('\n', start);
        if (end == std::string::npos) end = content.size();
        lines.push_back(content.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

// Reads "key value" lines in file order. A text block ("In", "Out") owns every line up to its
// terminator, so a message line that starts like a key is text, not a setting. The first
// occurrence of a key wins.
class CKeyReader {
public:
    CKeyReader(const std::string& content, const std::map<std::string, std::string>& blocks) {
        std::vector<std::string> lines = SplitLines(content);
        for (std::size_t i = 0; i < lines.size(); ++i) {
            const std::string& line = lines[i];
            std::string key = line.substr(0, line.find(' '));
            std::string value = key.size() < line.size() ? line.substr(key.size() + 1) : "";
            auto block = blocks.find(StripCr(key));
            if (block == blocks.end()) {
                // A file edited on Windows ends its lines in CR LF: the CR is not part of it.
                m_values.try_emplace(StripCr(key), StripCr(value));
                continue;
            }
            std::string text = value;
            bool crLines = false;
            for (++i; i < lines.size(); ++i) {
                if (lines[i] == block->second || lines[i] == block->second + "\r") {
                    crLines = lines[i].back() == '\r';
                    break;
                }
                text += "\n" + lines[i];
            }
            if (crLines) text = StripCr(text);
            m_values.try_emplace(block->first, text);
        }
    }

    std::string Value(const std::string& key) const {
        auto found = m_values.find(key);
        return found == m_values.end() ? std::string{} : CTextCodec::FromCp932(found->second);
    }

private:
    static std::string StripCr(std::string text) {
        if (!text.empty() && text.back() == '\r') text.pop_back();
        return text;
    }
    std::map<std::string, std::string> m_values;
};

bool AppendLine(std::string& out, const char* key, const std::string& value, bool multiLine) {
    if (!multiLine && value.find_first_of("\r\n") != std::string::npos) return false;
    auto bytes = CTextCodec::ToCp932(value);
    if (!bytes) return false;
    out += key;
    out += ' ';
    out += *bytes;
    out += '\n';
    return true;
}

}  // namespace

bool CMailSettings::LoadTexts(const std::filesystem::path& dataDir) {
    auto content = CFileSystem::ReadWholeFile(dataDir / "SendMail.txt");
    if (!content) return false;
    CKeyReader reader(*content, {{"In", "Inend"}, {"Out", "Outend"}});
    mailCheck = reader.Value("MailCheck");
    sendName = reader.Value("SendName");
    sendAddress = reader.Value("SendAddress");
    title = reader.Value("Title");
    inText = reader.Value("In");
    title2 = reader.Value("Title2");
    outText = reader.Value("Out");
    return true;
}

bool CMailSettings::LoadServer(const std::filesystem::path& dataDir) {
    auto content = CFileSystem::ReadWholeFile(dataDir / "SendMailDetail.txt");
    if (!content) return false;
    CKeyReader reader(*content, {});
    serverName = reader.Value("ServerName");
    portNumber = reader.Value("PortNumber");
    attestation = reader.Value("Attestation");
    id = reader.Value("ID");
    password = reader.Value("Password");
    return true;
}

namespace {
// The values of `from` that differ from `shown` go over `onto` (all of them without `shown`).
void TakeChanged(std::string CMailSettings::*field, const CMailSettings& from,
                 const CMailSettings* shown, CMailSettings& onto) {
    if (shown == nullptr || from.*field != shown->*field) onto.*field = from.*field;
}

CFileLock LockMailFiles(const std::filesystem::path& dataDir) {
    const auto path = dataDir / "SendMail.txt.lock";
    CFileLock lock(path);
    CSharedLock::Log(dataDir, lock.State(), path);
    return lock;
}
}  // namespace

bool CMailSettings::SaveTexts(const std::filesystem::path& dataDir,
                              const CMailSettings* shown) const {
    CFileLock lock = LockMailFiles(dataDir);
    if (!lock.AllowsChange()) return false;
    CMailSettings merged;
    // Without a file yet, every value on screen is new.
    const bool existed = merged.LoadTexts(dataDir);
    if (!existed) shown = nullptr;
    for (auto field : {&CMailSettings::mailCheck, &CMailSettings::sendName,
                       &CMailSettings::sendAddress, &CMailSettings::title, &CMailSettings::inText,
                       &CMailSettings::title2, &CMailSettings::outText}) {
        TakeChanged(field, *this, shown, merged);
    }
    std::string out;
    bool ok = AppendLine(out, "MailCheck", merged.mailCheck, false) &&
              AppendLine(out, "SendName", merged.sendName, false) &&
              AppendLine(out, "SendAddress", merged.sendAddress, false) &&
              AppendLine(out, "Title", merged.title, false) &&
              AppendLine(out, "In", merged.inText, true);
    out += "Inend\n";
    ok = ok && AppendLine(out, "Title2", merged.title2, false) &&
         AppendLine(out, "Out", merged.outText, true);
    out += "Outend\n";
    return ok && CFileSystem::WriteWholeFile(dataDir / "SendMail.txt", "SendMail.txt.tmp", out);
}

bool CMailSettings::SaveServer(const std::filesystem::path& dataDir,
                               const CMailSettings* shown) const {
    CFileLock lock = LockMailFiles(dataDir);
    if (!lock.AllowsChange()) return false;
    CMailSettings merged;
    const bool existed = merged.LoadServer(dataDir);
    if (!existed) shown = nullptr;
    for (auto field : {&CMailSettings::serverName, &CMailSettings::portNumber,
                       &CMailSettings::attestation, &CMailSettings::id, &CMailSettings::password}) {
        TakeChanged(field, *this, shown, merged);
    }
    std::string out;
    bool ok = AppendLine(out, "ServerName", merged.serverName, false) &&
              AppendLine(out, "PortNumber", merged.portNumber, false) &&
              AppendLine(out, "Attestation", merged.attestation, false) &&
              AppendLine(out, "ID", merged.id, false) &&
              AppendLine(out, "Password", merged.password, false);
    // It holds a password: the owner's alone from the scratch file's first byte on.
    return ok &&
           CFileSystem::WriteWholeFile(dataDir / "SendMailDetail.txt", "SendMailDetail.txt.tmp",
                                       out, CFileSystem::EAccess::kOwnerOnly);
}

long CMailSettings::Port() const {
    long port = std::atol(portNumber.c_str());
    return port <= 0 || port > 65535 ? 25 : port;
}

bool CMailSettings::UsesAuthentication() const {
    return std::atol(attestation.c_str()) == 1;
}

std::string CMailSettings::ReplacePlaceholders(const std::string& text, const std::string& name,
                                               const std::string& time) {
    std::string result = text;
    for (const auto& [placeholder, value] : {std::pair<std::string, std::string>{"#name", name},
                                             std::pair<std::string, std::string>{"#time", time}}) {
        std::size_t pos = 0;
        while ((pos = result.find(placeholder, pos)) != std::string::npos) {
            result.replace(pos, placeholder.size(), value);
            pos += value.size();
        }
    }
    return result;
}

}  // namespace stampwell
