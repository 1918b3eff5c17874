#include "mail/MailMessage.h"

#include <ctime>
#include <random>

#include "text/TextCodec.h"

namespace stampwell {

std::string CMailMessage::Base64(const std::string& bytes, std::size_t lineLength) {
    static constexpr char kAlphabet[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    std::size_t column = 0;
    for (std::size_t i = 0; i < bytes.size(); i += 3) {
        unsigned value = static_cast<unsigned char>(bytes[i]) << 16;
        if (i + 1 < bytes.size()) value |= static_cast<unsigned char>(bytes[i + 1]) << 8;
        if (i + 2 < bytes.size()) value |= static_cast<unsigned char>(bytes[i + 2]);
        char group[4] = {kAlphabet[(value >> 18) & 63], kAlphabet[(value >> 12) & 63],
                         i + 1 < bytes.size() ? kAlphabet[(value >> 6) & 63] : '=',
                         i + 2 < bytes.size() ? kAlphabet[value & 63] : '='};
        if (lineLength > 0 && column + 4 > lineLength) {
            out += "\r\n";
            column = 0;
        }
        out.append(group, 4);
        column += 4;
    }
    return out;
}

namespace {
// An address goes into a header line: nothing in it may end the line or the address.
std::string CleanAddress(const std::string& address) {
    std::string clean;
    for (char c : address) {
        if (c != '\r' && c != '\n' && c != '<' && c != '>') clean += c;
    }
    return clean;
}

std::string QuoteName(const std::string& name) {
    std::string quoted = "\"";
    for (char c : name) {
        if (c == '"' || c == '\\') quoted += '\\';
        quoted += c;
    }
    return quoted + "\"";
}
}  // namespace

std::string CMailMessage::EncodeHeaderWord(const std::string& text) {
    bool plain = CTextCodec::IsAscii(text) && text.find_first_of("\r\n") == std::string::npos;
    if (plain) return text;
    return "=?UTF-8?B?" + Base64(text, 0) + "?=";
}

std::string CMailMessage::Compose(const std::string& fromName, const std::string& fromAddress,
                                  const std::string& to, const std::string& subject,
                                  const std::string& body, std::int64_t now) {
    char date[64] = {};
    std::time_t t = static_cast<std::time_t>(now);
    std::tm tm{};
    localtime_r(&t, &tm);
    std::strftime(date, sizeof date, "%a, %d %b %Y %H:%M:%S %z", &tm);
    std::random_device random;
    std::string messageId = std::to_string(now) + "." + std::to_string(random()) + "@stampwell";
    const std::string address = "<" + CleanAddress(fromAddress) + ">";
    bool plainName =
        CTextCodec::IsAscii(fromName) && fromName.find_first_of("\r\n") == std::string::npos;
    std::string from = fromName.empty() ? address
                       : plainName      ? QuoteName(fromName) + " " + address
                                        : EncodeHeaderWord(fromName) + " " + address;
    std::string message;
    message += "From: " + from + "\r\n";
    message += "To: <" + CleanAddress(to) + ">\r\n";
    message += "Subject: " + EncodeHeaderWord(subject) + "\r\n";
    message += std::string("Date: ") + date + "\r\n";
    message += "Message-ID: <" + messageId + ">\r\n";
    message += "Keywords: frog,blender\r\n";
    message += "MyCustomHeader: MyValue\r\n";
    message += "MIME-Version: 1.0\r\n";
    message += "Content-Type: text/plain; charset=UTF-8\r\n";
    message += "Content-Transfer-Encoding: base64\r\n";
    message += "\r\n";
    message += Base64(body) + "\r\n";
    return message;
}

}  // namespace stampwell
