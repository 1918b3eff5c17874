#pragma once

#include <filesystem>
#include <string>

namespace stampwell {

// SendMail.txt (sender, subjects, texts) and SendMailDetail.txt (SMTP server): LF-ended
// "Key value" lines in CP932. The In and Out texts run to "Inend"/"Outend" and keep their own
// CR LF breaks.
class CMailSettings {
public:
    std::string mailCheck, sendName, sendAddress, title, inText, title2, outText;
    std::string serverName, portNumber, attestation, id, password;

    // False when the file cannot be opened (no mail then).
    bool LoadTexts(const std::filesystem::path& dataDir);
    bool LoadServer(const std::filesystem::path& dataDir);
    // Under "SendMail.txt.lock", over the file as it is then: the values that differ from shown
    // (what the screen was filled with; every value without it), so a change another clock made
    // meanwhile to another value stays. False (file unchanged) when a value has no CP932 form or
    // a one-line value holds a line break, which the format cannot keep. SendMailDetail.txt is
    // readable by its owner only.
    bool SaveTexts(const std::filesystem::path& dataDir,
                   const CMailSettings* shown = nullptr) const;
    bool SaveServer(const std::filesystem::path& dataDir,
                    const CMailSettings* shown = nullptr) const;

    // The SMTP port: PortNumber as a number, 25 when it is 0 or not a number.
    long Port() const;
    // The mail and authentication switches are on unless their value is exactly "0".
    static bool IsSwitchOn(const std::string& value) { return value != "0"; }
    bool UsesAuthentication() const;

    // Every "#name", then every "#time", replaced; the search goes on after each insertion.
    static std::string ReplacePlaceholders(const std::string& text, const std::string& name,
                                           const std::string& time);
};

}  // namespace stampwell
