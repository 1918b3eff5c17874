#pragma once

#include <CLI/CLI.hpp>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace stampwell::cli {

// The command-line tool speaks Japanese from start to end: its own checks of option values, and
// CLI11's usage errors put into Japanese.
class CCliUsage {
public:
    // A whole decimal number from low to high (no sign, no "0x", no exponent).
    static CLI::Validator DecimalIn(int low, int high);
    // Seconds: a decimal number, a fraction allowed ("0.5"), from low to high.
    static CLI::Validator SecondsIn(double low, double high);
    // One of the given words.
    static CLI::Validator OneOf(std::vector<std::string> words);
    // Japanese labels and help flag for the help texts; before any command is added.
    static void SpeakJapanese(CLI::App& app);
    // --data-dir and --reader, as both programs take them; defaultDataDir is the folder used
    // without --data-dir.
    static void AddCommonOptions(CLI::App& app, std::optional<std::filesystem::path>& dataDir,
                                 std::string& reader, const std::string& defaultDataDir);
    // Lists every command under 「コマンド」; after all are added.
    static void NameCommandGroups(CLI::App& app);
    // The Japanese text of a usage error.
    static std::string Describe(const CLI::ParseError& error);
    // "（使い方: stampwell-cli users add --help）": the help of the deepest command given.
    static std::string HelpHint(CLI::App& app);
    // The message for arguments that are neither an option nor a command.
    static std::string DescribeUnknown(const std::vector<std::string>& arguments);
};

}  // namespace stampwell::cli
