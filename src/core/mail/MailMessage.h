#pragma once

#include <cstdint>
#include <string>

namespace stampwell {

// Builds the notification as an RFC 5322 message: UTF-8 plain text in base64, non-ASCII header
// words encoded per RFC 2047, and the two fixed extra headers.
class CMailMessage {
public:
    static std::string Compose(const std::string& fromName, const std::string& fromAddress,
                               const std::string& to, const std::string& subject,
                               const std::string& body, std::int64_t now);
    static std::string EncodeHeaderWord(const std::string& text);
    static std::string Base64(const std::string& bytes, std::size_t lineLength = 76);
};

}  // namespace stampwell
