#pragma once

#include <string>

namespace stampwell {

class CMailSettings;

// Bounds on one exchange: connecting (TCP, TLS, greeting, EHLO, AUTH), the whole exchange, and
// each server reply (a server that stops answering otherwise blocks for minutes).
struct MailTimeouts {
    long connectMs = 10000;
    long totalMs = 60000;
    long responseSeconds = 15;
};

struct MailResult {
    enum EFailure {
        kNone,
        kNoRecipient,
        kNoServer,
        kRefused,
        kTimeout,
        kAuthentication,
        kTls,
        kServerUnknown,
        kOther
    };
    bool ok = false;
    EFailure failure = kNone;
    std::string error;
    // Why the mail did not go, in the words the screens use.
    std::string Describe() const;
};

// Sends one message over SMTP with libcurl. TLS is used whenever the server offers it
// (STARTTLS, or TLS from the first byte on port 465); a certificate that cannot be verified
// (a self-signed one on a small office server) falls back to TLS without verification, never
// to failure, so encryption never makes mail fail where the plain exchange would have worked.
class CMailSender {
public:
    static MailResult Send(const CMailSettings& settings, const std::string& recipient,
                           const std::string& message, const MailTimeouts& timeouts = {});
};

}  // namespace stampwell
