#include "CliUsage.h"

#include <regex>

#include "JapaneseHelpFormatter.h"

namespace stampwell::cli {

CLI::Validator CCliUsage::DecimalIn(int low, int high) {
    return CLI::Validator(
        [low, high](std::string& value) -> std::string {
            const std::string range = std::to_string(low) + "～" + std::to_string(high);
            bool digits = !value.empty() && value.size() <= 9;
            for (char c : value) digits = digits && c >= '0' && c <= '9';
            if (!digits || std::stoi(value) < low || std::stoi(value) > high) {
                return range + "の数（10進数）で指定してください（指定された値: " + value + "）";
            }
            return {};
        },
        "");  // nameless: help shows the value's type alone
}

CLI::Validator CCliUsage::SecondsIn(double low, double high) {
    return CLI::Validator(
        [low, high](std::string& value) -> std::string {
            static const std::regex kDecimal("^[0-9]{1,6}(\\.[0-9]{1,3})?$");
            if (!std::regex_match(value, kDecimal) || std::stod(value) < low ||
                std::stod(value) > high) {
                return "秒数（10進数、小数可）で指定してください（指定された値: " + value + "）";
            }
            return {};
        },
        "");  // nameless: help shows the value's type alone
}

CLI::Validator CCliUsage::OneOf(std::vector<std::string> words) {
    return CLI::Validator(
        [words](std::string& value) -> std::string {
            for (const auto& word : words) {
                if (value == word) return {};
            }
            std::string list;
            for (const auto& word : words) list += (list.empty() ? "" : ", ") + word;
            return "次のどれかを指定してください: " + list + "（指定された値: " + value + "）";
        },
        "");  // nameless: help shows the value's type alone
}

void CCliUsage::SpeakJapanese(CLI::App& app) {
    app.set_help_flag("-h,--help", "使い方を表示する");
    app.option_defaults()->group("オプション");
    auto formatter = std::make_shared<CJapaneseHelpFormatter>();
    app.formatter(formatter);
    formatter->label("Usage", "使い方");
    formatter->label("OPTIONS", "オプション");
    formatter->label("SUBCOMMAND", "コマンド");
    formatter->label("SUBCOMMANDS", "コマンド");
    formatter->label("Positionals", "引数");
    formatter->label("REQUIRED", "（必須）");
    formatter->label("Needs", "次と共に指定");  // CLI11 adds the colon
    formatter->label("Excludes", "次と同時に指定できない");
    formatter->label("TEXT", "文字列");
    formatter->label("INT", "整数");
    formatter->column_width(34);
}

void CCliUsage::AddCommonOptions(CLI::App& app, std::optional<std::filesystem::path>& dataDir,
                                 std::string& reader, const std::string& defaultDataDir) {
    app.add_option("--data-dir", dataDir, "データフォルダ（既定: " + defaultDataDir + "）")
        ->type_name("DIR");
    app.add_option("--reader", reader,
                   "カードリーダー: pcsc（既定）または simulated:FILE（試験用の模擬リーダー）")
        ->type_name("READER");
}

void CCliUsage::NameCommandGroups(CLI::App& app) {
    if (CLI::Option* help = app.get_help_ptr()) help->group("オプション");
    for (CLI::App* command : app.get_subcommands({})) {
        command->group("コマンド");
        NameCommandGroups(*command);
    }
}

std::string CCliUsage::HelpHint(CLI::App& app) {
    std::string line = app.get_name();
    for (CLI::App* command = &app;;) {
        const auto given = command->get_subcommands();
        if (given.empty()) break;
        command = given.front();
        line += " " + command->get_name();
    }
    return "（使い方: " + line + " --help）";
}

std::string CCliUsage::DescribeUnknown(const std::vector<std::string>& arguments) {
    std::string list;
    for (const auto& argument : arguments) list += (list.empty() ? "" : " ") + argument;
    return "不明な引数があります: " + list;
}

std::string CCliUsage::Describe(const CLI::ParseError& error) {
    const std::string text = error.what();
    std::smatch m;
    struct Rule {
        std::regex pattern;
        std::string (*make)(const std::smatch&);
    };
    static const Rule kRules[] = {
        {std::regex("^A subcommand is required$"),
         [](const std::smatch&) { return std::string("コマンドを指定してください。"); }},
        {std::regex("^(.+) is required$"),
         [](const std::smatch& m) { return m[1].str() + " を指定してください。"; }},
        {std::regex("^Exactly 1 option from \\[(.*)\\].*$"),
         [](const std::smatch& m) { return m[1].str() + " のどれか1つを指定してください。"; }},
        {std::regex("^.*options? (?:be )?(?:used|given) .*from \\[(.*)\\].*$"),
         [](const std::smatch& m) { return m[1].str() + " の指定の数が正しくありません。"; }},
        {std::regex("^The following arguments? (?:was|were) not expected: (.*)$"),
         [](const std::smatch& m) { return DescribeUnknown({m[1].str()}); }},
        {std::regex("^(.+) requires (.+)$"),
         [](const std::smatch& m) { return m[1].str() + " には " + m[2].str() + " も必要です。"; }},
        {std::regex("^(.+) excludes (.+)$"),
         [](const std::smatch& m) {
             return m[1].str() + " と " + m[2].str() + " は同時に指定できません。";
         }},
        {std::regex("^The value (.*) is not an allowed value for (.*)$"),
         [](const std::smatch& m) { return m[2].str() + " に " + m[1].str() + " は使えません。"; }},
        {std::regex("^Could not convert: (.*) = (.*)$"),
         [](const std::smatch& m) {
             return m[1].str() + " の値 " + m[2].str() + " を読めません。";
         }},
        {std::regex("^Expected exactly (\\d+) arguments? to (.*), got (\\d+)$"),
         [](const std::smatch& m) {
             return m[2].str() + " には値が" + m[1].str() + "個必要です（" + m[3].str() +
                    "個指定されました）。";
         }},
        {std::regex("^(.+): .*(?:required|missing).*$"),
         [](const std::smatch& m) { return m[1].str() + " の値の数が正しくありません。"; }},
        {std::regex("^(--?[A-Za-z-]+): (.+)$"),
         [](const std::smatch& m) { return m[1].str() + ": " + m[2].str(); }},
    };
    for (const auto& rule : kRules) {
        if (std::regex_match(text, m, rule.pattern)) return rule.make(m);
    }
    return "引数が正しくありません。";
}

}  // namespace stampwell::cli
