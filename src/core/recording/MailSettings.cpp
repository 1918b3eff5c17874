#include "recording/MailSettings.h"

#include <cstdlib>
#include <optional>
#include <vector>

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

// Finds "key value" lines; a multi-line key takes the following lines up to its terminator.
class CKeyReader {
public:
    explicit CKeyReader(const std::string& content) : m_lines(SplitLines(content)) {}

    std::string Value(const std::string& key) const {
        for (const auto& line : m_lines) {
            auto value = ValueOf(line, key);
            if (value) return CTextCodec::FromCp932(*value);
        }
        return {};
    }

    std::string Block(const std::string& key, const std::string& terminator) const {
        for (std::size_t i = 0; i < m_lines.size(); ++i) {
            auto first = ValueOf(m_lines[i], key);
            if (!first) continue;
            std::string text = *first;
            for (std::size_t j = i + 1; j < m_lines.size() && m_lines[j] != terminator; ++j) {
                text += "\n" + m_lines[j];
            }
            return CTextCodec::FromCp932(text);
        }
        return {};
    }

private:
    static std::optional<std::string> ValueOf(const std::string& line, const std::string& key) {
        if (line == key) return std::string{};
        if (line.size() > key.size() && line.compare(0, key.size(), key) == 0 &&
            line[key.size()] == ' ') {
            return line.substr(key.size() + 1);
        }
        return std::nullopt;
    }
    std::vector<std::string> m_lines;
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
    CKeyReader reader(*content);
    mailCheck = reader.Value("MailCheck");
    sendName = reader.Value("SendName");
    sendAddress = reader.Value("SendAddress");
    title = reader.Value("Title");
    inText = reader.Block("In", "Inend");
    title2 = reader.Value("Title2");
    outText = reader.Block("Out", "Outend");
    return true;
}

bool CMailSettings::LoadServer(const std::filesystem::path& dataDir) {
    auto content = CFileSystem::ReadWholeFile(dataDir / "SendMailDetail.txt");
    if (!content) return false;
    CKeyReader reader(*content);
    serverName = reader.Value("ServerName");
    portNumber = reader.Value("PortNumber");
    attestation = reader.Value("Attestation");
    id = reader.Value("ID");
    password = reader.Value("Password");
    return true;
}

bool CMailSettings::SaveTexts(const std::filesystem::path& dataDir) const {
    std::string out;
    bool ok = AppendLine(out, "MailCheck", mailCheck, false) &&
              AppendLine(out, "SendName", sendName, false) &&
              AppendLine(out, "SendAddress", sendAddress, false) &&
              AppendLine(out, "Title", title, false) && AppendLine(out, "In", inText, true);
    out += "Inend\n";
    ok = ok && AppendLine(out, "Title2", title2, false) && AppendLine(out, "Out", outText, true);
    out += "Outend\n";
    return ok && CFileSystem::WriteWholeFile(dataDir / "SendMail.txt", "SendMail.txt.tmp", out);
}

bool CMailSettings::SaveServer(const std::filesystem::path& dataDir) const {
    std::string out;
    bool ok = AppendLine(out, "ServerName", serverName, false) &&
              AppendLine(out, "PortNumber", portNumber, false) &&
              AppendLine(out, "Attestation", attestation, false) &&
              AppendLine(out, "ID", id, false) && AppendLine(out, "Password", password, false);
    return ok && CFileSystem::WriteWholeFile(dataDir / "SendMailDetail.txt",
                                             "SendMailDetail.txt.tmp", out);
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
