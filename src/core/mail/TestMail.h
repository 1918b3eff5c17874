#pragma once

#include <cstdint>
#include <string>

#include "mail/MailSender.h"

namespace stampwell {

class CMailSettings;

// One mail to an address the administrator types, over the server values being edited (saved
// or not), so a wrong server, port or password shows at once rather than as mail that never
// arrives.
class CTestMail {
public:
    // texts gives the sender; without a sender address the recipient is used as the sender.
    static MailResult Send(const CMailSettings& server, const CMailSettings& texts,
                           const std::string& to, std::int64_t now,
                           const MailTimeouts& timeouts = {});
};

}  // namespace stampwell
