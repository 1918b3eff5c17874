#pragma once

#include <string>

namespace stampwell {

// A password kept as a salted, slow, one-way hash (PBKDF2-HMAC-SHA256):
// "pbkdf2-sha256$<iterations>$<salt hex>$<hash hex>". The password itself is never stored.
class CPasswordHash {
public:
    static constexpr unsigned kIterations = 200000;

    // A new hash with a salt of its own; empty when no random salt could be had.
    static std::string Make(const std::string& password);
    // The hash of password with the kind, count and salt of head ("pbkdf2-sha256$<count>$<salt>",
    // a stored hash's first three parts): what is stored when password is right. Empty for a
    // head that cannot be read.
    static std::string WithHead(const std::string& password, const std::string& head);
    // Whether password is the one hashed (compared in constant time); false for a hash that
    // cannot be read.
    static bool Matches(const std::string& password, const std::string& hash);
};

}  // namespace stampwell
