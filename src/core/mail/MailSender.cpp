#include "mail/MailSender.h"

#include <curl/curl.h>

#include <cstring>
#include <memory>

#include "mail/MailSettings.h"

namespace stampwell {

namespace {
MailResult::EFailure Classify(CURLcode code) {
    switch (code) {
        case CURLE_COULDNT_CONNECT:
            return MailResult::kRefused;
        case CURLE_OPERATION_TIMEDOUT:
            return MailResult::kTimeout;
        case CURLE_LOGIN_DENIED:
            return MailResult::kAuthentication;
        case CURLE_COULDNT_RESOLVE_HOST:
            return MailResult::kServerUnknown;
        case CURLE_SSL_CONNECT_ERROR:
        case CURLE_PEER_FAILED_VERIFICATION:
        case CURLE_USE_SSL_FAILED:
        case CURLE_SSL_CACERT_BADFILE:
        case CURLE_SSL_ISSUER_ERROR:
            return MailResult::kTls;
        default:
            return MailResult::kOther;
    }
}
}  // namespace

std::string MailResult::Describe() const {
    switch (failure) {
        case kNone:
            return ok ? "テストメールを送信しました。" : "メールを送信できませんでした。";
        case kNoRecipient:
            return "送信先のメールアドレスがありません。";
        case kNoServer:
            return "サーバー名が設定されていません。";
        case kRefused:
            return "サーバーに接続できませんでした（接続を拒否されました）。\nサーバー名と送信ポー"
                   "ト番号を確認してください。";
        case kTimeout:
            return "サーバーが時間内に応答しませんでした。\nサーバー名と送信ポート番号を確認してく"
                   "ださい。";
        case kAuthentication:
            return "認証に失敗しました。\nユーザー名とパスワードを確認してください。";
        case kTls:
            return "暗号化（TLS）の接続に失敗しました。";
        case kServerUnknown:
            return "サーバーが見つかりませんでした。\nサーバー名を確認してください。";
        case kOther:
            break;
    }
    return "メールを送信できませんでした。\n" + error;
}

namespace {

struct CurlDeleter {
    void operator()(CURL* curl) const { curl_easy_cleanup(curl); }
};
struct ListDeleter {
    void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};

struct Upload {
    const std::string* data;
    std::size_t offset = 0;
};

std::size_t ReadMessage(char* buffer, std::size_t size, std::size_t count, void* user) {
    auto* upload = static_cast<Upload*>(user);
    std::size_t left = upload->data->size() - upload->offset;
    std::size_t n = std::min(left, size * count);
    std::memcpy(buffer, upload->data->data() + upload->offset, n);
    upload->offset += n;
    return n;
}

bool IsCertificateProblem(CURLcode code) {
    return code == CURLE_PEER_FAILED_VERIFICATION || code == CURLE_SSL_CACERT_BADFILE ||
           code == CURLE_SSL_CONNECT_ERROR || code == CURLE_SSL_ISSUER_ERROR;
}

CURLcode Attempt(const CMailSettings& settings, const std::string& recipient,
                 const std::string& message, bool verifyPeer, const MailTimeouts& timeouts,
                 std::string& error) {
    std::unique_ptr<CURL, CurlDeleter> curl(curl_easy_init());
    if (!curl) {
        error = "curl_easy_init failed";
        return CURLE_FAILED_INIT;
    }
    long port = settings.Port();
    // An ASCII EHLO name of our own; curl would otherwise send the machine's host name.
    std::string url = std::string(port == 465 ? "smtps://" : "smtp://") + settings.serverName +
                      ":" + std::to_string(port) + "/stampwell";
    std::string from = "<" + settings.sendAddress + ">";
    std::unique_ptr<curl_slist, ListDeleter> recipients(
        curl_slist_append(nullptr, ("<" + recipient + ">").c_str()));
    Upload upload{&message};
    char errorBuffer[CURL_ERROR_SIZE] = {};
    CURL* c = curl.get();
    curl_easy_setopt(c, CURLOPT_URL, url.c_str());
    curl_easy_setopt(c, CURLOPT_MAIL_FROM, from.c_str());
    curl_easy_setopt(c, CURLOPT_MAIL_RCPT, recipients.get());
    curl_easy_setopt(c, CURLOPT_READFUNCTION, ReadMessage);
    curl_easy_setopt(c, CURLOPT_READDATA, &upload);
    curl_easy_setopt(c, CURLOPT_UPLOAD, 1L);
    curl_easy_setopt(c, CURLOPT_INFILESIZE_LARGE, static_cast<curl_off_t>(message.size()));
    curl_easy_setopt(c, CURLOPT_USE_SSL, static_cast<long>(CURLUSESSL_TRY));
    curl_easy_setopt(c, CURLOPT_SSL_VERIFYPEER, verifyPeer ? 1L : 0L);
    curl_easy_setopt(c, CURLOPT_SSL_VERIFYHOST, verifyPeer ? 2L : 0L);
    curl_easy_setopt(c, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(c, CURLOPT_CONNECTTIMEOUT_MS, timeouts.connectMs);
    curl_easy_setopt(c, CURLOPT_TIMEOUT_MS, timeouts.totalMs);
    curl_easy_setopt(c, CURLOPT_SERVER_RESPONSE_TIMEOUT, timeouts.responseSeconds);
    curl_easy_setopt(c, CURLOPT_ERRORBUFFER, errorBuffer);
    if (settings.UsesAuthentication()) {
        curl_easy_setopt(c, CURLOPT_USERNAME, settings.id.c_str());
        curl_easy_setopt(c, CURLOPT_PASSWORD, settings.password.c_str());
    }
    CURLcode code = curl_easy_perform(c);
    if (code != CURLE_OK) error = errorBuffer[0] != '\0' ? errorBuffer : curl_easy_strerror(code);
    return code;
}

}  // namespace

MailResult CMailSender::Send(const CMailSettings& settings, const std::string& recipient,
                             const std::string& message, const MailTimeouts& timeouts) {
    MailResult result;
    if (recipient.empty()) {
        result.error = "no recipient address";
        result.failure = MailResult::kNoRecipient;
        return result;
    }
    if (settings.serverName.empty()) {
        result.error = "no SMTP server";
        result.failure = MailResult::kNoServer;
        return result;
    }
    std::string error;
    CURLcode code = Attempt(settings, recipient, message, true, timeouts, error);
    if (IsCertificateProblem(code)) {
        error.clear();
        code = Attempt(settings, recipient, message, false, timeouts, error);
    }
    result.ok = code == CURLE_OK;
    if (!result.ok) {
        result.error = error + " (curl " + std::to_string(static_cast<int>(code)) + ")";
        result.failure = Classify(code);
    }
    return result;
}

}  // namespace stampwell
