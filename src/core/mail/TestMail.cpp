#include "mail/TestMail.h"

#include "mail/MailMessage.h"
#include "mail/MailSettings.h"

namespace stampwell {

MailResult CTestMail::Send(const CMailSettings& server, const CMailSettings& texts,
                           const std::string& to, std::int64_t now, const MailTimeouts& timeouts) {
    CMailSettings settings = server;
    settings.sendName = texts.sendName.empty() ? "Stampwell" : texts.sendName;
    settings.sendAddress = texts.sendAddress.empty() ? to : texts.sendAddress;
    const std::string message =
        CMailMessage::Compose(settings.sendName, settings.sendAddress, to, "Stampwell テストメール",
                              "このメールはStampwellのメール送信設定のテストです。\r\n"
                              "このメールが届いていれば、サーバーの設定は正しく動いています。\r\n",
                              now);
    MailResult result = CMailSender::Send(settings, to, message, timeouts);
    return result;
}

}  // namespace stampwell
