#pragma once

#include <CLI/CLI.hpp>
#include <string>
#include <vector>

namespace stampwell::cli {

// CLI11's help pads its first column by bytes, so a Japanese value name ("文字列") pushes the
// descriptions of its lines out of line with the others. This one pads by the columns a
// terminal shows: two for a full-width character, one for ASCII and half-width katakana.
class CJapaneseHelpFormatter : public CLI::Formatter {
public:
    std::string make_option(const CLI::Option* opt, bool isPositional) const override;
    std::string make_subcommand(const CLI::App* sub) const override;
    // The columns text takes on a terminal (UTF-8).
    static std::size_t DisplayWidth(const std::string& text);
    // text in lines of at most width columns (a longer ASCII word stands alone).
    static std::vector<std::string> Wrap(const std::string& text, std::size_t width);

private:
    // Help is read in a terminal of 80 columns.
    static constexpr std::size_t kTerminalWidth = 80;
    // "  name" padded to the first column's width, then the description, each of its further
    // lines indented to that column and wrapped to the terminal.
    std::string Line(const std::string& name, const std::string& description) const;
};

}  // namespace stampwell::cli
