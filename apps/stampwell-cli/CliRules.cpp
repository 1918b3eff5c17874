#include <iostream>
#include <memory>
#include <optional>

#include "CliContext.h"
#include "leave/LeaveDate.h"
#include "officestore/OfficeStores.h"
#include "platform/FileSystem.h"
#include "schedule/PatternForm.h"
#include "settings/EnvironmentSettings.h"
#include "settings/WorkRulesForm.h"
#include "store/RulesStoreChange.h"

namespace stampwell::cli {

std::optional<CWorkRules> LoadWorkRules(const CRuntime& runtime) {
    CWorkRules rules;
    std::vector<std::string> unread;
    const auto store = OpenRulesStore(runtime);
    if (!store->Read(rules, &unread)) {
        Refuse("勤務ルールのファイルを読めませんでした: " + store->Where());
        return std::nullopt;
    }
    for (const auto& key : unread) {
        std::cerr << CWorkRules::UnreadWarning(key) << '\n';
    }
    return rules;
}

namespace {

int ShowRules(const CliOptions& options) {
    if (auto refused = RequireDataDir(options)) return *refused;
    const CRuntime runtime = MakeRuntime(options);
    auto rules = LoadWorkRules(runtime);
    if (!rules) return kRefused;
    const auto texts = CWorkRulesForm::TextsOf(*rules);
    const auto path = CWorkRules::FilePath(runtime.DataDir());
    std::cout << "休憩: " << texts.breaks
              << (rules->breaks == CWorkRules::EBreaks::kLegal
                      ? "（6時間を超える日 45分、8時間を超える日 60分）"
                      : "（固定休憩の時間帯）")
              << '\n'
              << "固定休憩: " << (texts.windows.empty() ? "なし" : texts.windows) << '\n'
              << "週の起算日: " << texts.weekStart << '\n'
              << "法定休日: " << texts.restDay << '\n'
              << "週の法定労働時間: " << texts.weekHours << "時間" << '\n'
              << "協定の起算月: " << texts.agreementStart << "月" << '\n'
              << "36協定の特別条項: " << texts.specialClause
              << (rules->specialClause ? "" : "（月45時間・年360時間が上限）") << '\n'
              << "月の端数処理: " << texts.rounding
              << (rules->monthlyRounding
                      ? "（1か月の合計の30分未満を切り捨て、30分以上を1時間に切り上げ）"
                      : "")
              << '\n'
              << "ファイル: " << path.string()
              << (CFileSystem::Exists(path) ? "" : "（なし: 既定値）") << '\n';
    return kOk;
}

struct RulesArgs {
    std::optional<std::string> breaks, windows, weekStart, restDay, weekHours, agreementStart,
        specialClause, rounding, from;
};

int SetRules(const CliOptions& options, const RulesArgs& args) {
    // A given value that is empty is no value: it never falls back silently.
    for (const auto* given : {&args.breaks, &args.weekStart, &args.restDay, &args.weekHours,
                              &args.agreementStart, &args.specialClause, &args.rounding}) {
        if (*given && (*given)->empty()) return Refuse("空の値は指定できません。");
    }
    const CRuntime runtime = MakeRuntime(options);
    auto shown = LoadWorkRules(runtime);
    if (!shown) return kRefused;
    auto texts = CWorkRulesForm::TextsOf(*shown);
    if (args.breaks) texts.breaks = *args.breaks;
    if (args.windows) {
        texts.windows = *args.windows;
        // Windows given alone mean the office takes its breaks in them.
        if (!args.breaks && !args.windows->empty()) texts.breaks = "固定";
    }
    if (args.weekStart) texts.weekStart = *args.weekStart;
    if (args.restDay) texts.restDay = *args.restDay;
    if (args.weekHours) texts.weekHours = *args.weekHours;
    if (args.agreementStart) texts.agreementStart = *args.agreementStart;
    if (args.specialClause) texts.specialClause = *args.specialClause;
    if (args.rounding) texts.rounding = *args.rounding;
    // What was given is set, even to the value in force: a line that did not read is replaced.
    std::vector<std::string> named;
    if (args.breaks || (args.windows && !args.windows->empty())) {
        named.push_back(CWorkRules::kBreaksKey);
    }
    if (args.windows) named.push_back(CWorkRules::kWindowsKey);
    if (args.weekStart) named.push_back(CWorkRules::kWeekStartKey);
    if (args.restDay) named.push_back(CWorkRules::kRestDayKey);
    if (args.weekHours) named.push_back(CWorkRules::kWeekHoursKey);
    if (args.agreementStart) named.push_back(CWorkRules::kAgreementStartKey);
    if (args.specialClause) named.push_back(CWorkRules::kSpecialClauseKey);
    if (args.rounding) named.push_back(CWorkRules::kRoundingKey);
    // The same reading and checks as the rules screen: nothing changes unless it is saved.
    auto typed = CWorkRulesForm::Read(texts, *shown, runtime.Messages());
    if (!typed) return kRefused;
    // From today unless said: the pay periods that ended before keep the rules they had.
    int from = CLeaveDate::Today(runtime.Clock());
    if (args.from) {
        const auto date = CPatternForm::ReadDate(*args.from);
        if (!date) {
            return Refuse("適用開始日は YYYY-MM-DD の、ある日付で指定してください: " + *args.from);
        }
        from = *date;
    }
    const auto store = OpenRulesStore(runtime);
    const auto schedule = OpenScheduleStore(runtime, *CreateConfig(runtime));
    if (!CRulesStoreChange::Apply(
            *store, *schedule, from,
            [&](CWorkRules& stored) {
                return CWorkRulesForm::Merge(stored, *shown, *typed, named);
            },
            runtime.Messages())) {
        return kRefused;
    }
    std::cout << "勤務ルールを保存しました: " << store->Where() << '\n';
    return kOk;
}

}  // namespace

void AddRulesCommands(CLI::App& app, const CliOptions& options, CommandResult& action) {
    auto* rules = app.add_subcommand("rules", "集計に使う勤務ルールの表示と変更（WorkRules.txt）");
    rules->require_subcommand(1);
    auto* show = rules->add_subcommand("show", "使われている勤務ルールを表示する");
    show->callback([&options, &action] { action = [&options] { return ShowRules(options); }; });

    auto args = std::make_shared<RulesArgs>();
    auto* set =
        rules->add_subcommand("set", "勤務ルール設定の画面と同じ決まりで WorkRules.txt を変える");
    set->add_option("--breaks", args->breaks,
                    "休憩: 法定（勤務の長さで差し引く）または 固定（時間帯）");
    set->add_option(
        "--windows", args->windows,
        "固定の休憩時間帯。例 \"12:00-13:00 15:00-15:15\"（--breaks がなければ固定にする）");
    set->add_option("--week-start", args->weekStart,
                    "週の起算日: 日 月 火 水 木 金 土（sun..sat も可）");
    set->add_option("--rest-day", args->restDay,
                    "法定休日: 日 月 火 水 木 金 土（sun..sat も可）、または なし");
    set->add_option(
        "--week-hours", args->weekHours,
        "週の法定労働時間: 40、または 44（10人未満の商業・接客娯楽業などの特例措置対象事業場）");
    set->add_option("--agreement-start", args->agreementStart,
                    "36協定の1年の起算月: 1～12（既定は4）");
    set->add_option("--special-clause", args->specialClause,
                    "36協定の特別条項: あり（既定）または なし（月45時間・年360時間が上限）");
    set->add_option(
        "--from", args->from,
        "この日から適用する（既定は今日。それより前に終わる締め期間は前のルールのまま）");
    set->add_option("--rounding", args->rounding,
                    "月の端数処理: しない（既定）または 30分（1か月の合計を1時間単位に四捨五入）");
    set->callback([&, args] { action = [&options, args] { return SetRules(options, *args); }; });
}

}  // namespace stampwell::cli
