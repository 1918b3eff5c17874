#pragma once

#include <sys/types.h>

#include <filesystem>
#include <string>
#include <vector>

namespace stampwell::test {

// The local SMTP server of tests/scripts/smtp_server.py (aiosmtpd), on a free port of
// 127.0.0.1 for the object's lifetime. It stops when its stdin closes, so a crashed test leaves
// nothing running.
class CSmtpServer {
public:
    explicit CSmtpServer(const std::filesystem::path& outDir, const std::string& options = {});
    ~CSmtpServer();
    CSmtpServer(const CSmtpServer&) = delete;
    CSmtpServer& operator=(const CSmtpServer&) = delete;

    int Port() const { return m_port; }
    // The raw messages received so far, in order (with X-Envelope-From/To lines first).
    std::vector<std::string> Messages() const;
    int Connections() const;

private:
    std::filesystem::path m_outDir;
    pid_t m_pid = -1;
    int m_stdin = -1;
    int m_port = 0;
};

// Decodes an RFC 2047 "=?UTF-8?B?...?=" header value (or returns plain text as it is).
std::string DecodeHeader(const std::string& value);
// The value of a header of a raw message; empty when missing.
std::string HeaderOf(const std::string& message, const std::string& name);
// The body of a base64 text message, decoded.
std::string BodyOf(const std::string& message);

}  // namespace stampwell::test
