#include "support/SmtpServer.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <sstream>
#include <stdexcept>

#include "support/TestSupport.h"

namespace stampwell::test {

CSmtpServer::CSmtpServer(const std::filesystem::path& outDir, const std::string& options)
    : m_outDir(outDir) {
    std::filesystem::create_directories(outDir);
    int toChild[2], fromChild[2];
    if (::pipe(toChild) != 0 || ::pipe(fromChild) != 0) throw std::runtime_error("pipe");
    m_pid = ::fork();
    if (m_pid == 0) {
        ::dup2(toChild[0], 0);
        ::dup2(fromChild[1], 1);
        ::close(toChild[1]);
        ::close(fromChild[0]);
        std::string command = "exec /usr/bin/python3 '" STAMPWELL_TEST_SCRIPTS
                              "/smtp_server.py' '" +
                              outDir.string() + "' " + options;
        ::execl("/bin/sh", "sh", "-c", command.c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ::close(toChild[0]);
    ::close(fromChild[1]);
    m_stdin = toChild[1];
    std::FILE* out = ::fdopen(fromChild[0], "r");
    char line[128] = {};
    if (out == nullptr || std::fgets(line, sizeof line, out) == nullptr ||
        std::sscanf(line, "port %d", &m_port) != 1) {
        if (out) std::fclose(out);
        throw std::runtime_error("the SMTP test server did not start");
    }
    std::fclose(out);
}

CSmtpServer::~CSmtpServer() {
    if (m_stdin >= 0) ::close(m_stdin);
    if (m_pid > 0) {
        int status = 0;
        for (int i = 0; i < 50 && ::waitpid(m_pid, &status, WNOHANG) == 0; ++i) ::usleep(100000);
        if (::waitpid(m_pid, &status, WNOHANG) == 0) {
            ::kill(m_pid, SIGKILL);
            ::waitpid(m_pid, &status, 0);
        }
    }
}

std::vector<std::string> CSmtpServer::Messages() const {
    std::vector<std::string> messages;
    for (int i = 1;; ++i) {
        auto path = m_outDir / (std::to_string(i) + ".eml");
        if (!std::filesystem::exists(path)) break;
        messages.push_back(ReadBytes(path));
    }
    return messages;
}

int CSmtpServer::Connections() const {
    std::string log = ReadBytes(m_outDir / "connections");
    return static_cast<int>(std::count(log.begin(), log.end(), '\n'));
}

namespace {
std::string DecodeBase64(const std::string& text) {
    static const std::string kAlphabet =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    int bits = 0;
    unsigned value = 0;
    for (char c : text) {
        auto pos = kAlphabet.find(c);
        if (pos == std::string::npos) continue;
        value = (value << 6) | static_cast<unsigned>(pos);
        bits += 6;
        if (bits >= 8) {
            bits -= 8;
            out += static_cast<char>((value >> bits) & 0xFF);
        }
    }
    return out;
}
}  // namespace

std::string DecodeHeader(const std::string& value) {
    const std::string prefix = "=?UTF-8?B?";
    if (value.rfind(prefix, 0) != 0) return value;
    return DecodeBase64(value.substr(prefix.size(), value.size() - prefix.size() - 2));
}

std::string HeaderOf(const std::string& message, const std::string& name) {
    std::istringstream in(message);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty()) break;
        if (line.rfind(name + ": ", 0) == 0) return line.substr(name.size() + 2);
    }
    return {};
}

std::string BodyOf(const std::string& message) {
    auto start = message.find("\r\n\r\n");
    if (start == std::string::npos) return {};
    return DecodeBase64(message.substr(start + 4));
}

}  // namespace stampwell::test
