#include <iostream>
#include <memory>

#include "CliContext.h"
#include "CliUsage.h"
#include "calendar/PayPeriod.h"
#include "reporting/OvertimeYear.h"
#include "reporting/SitePeople.h"
#include "store/IWorkStore.h"

namespace stampwell::cli {

namespace {

struct LimitsArgs {
    int year = 0;
    std::string closing, csv, site;
};

int ShowLimits(const CliOptions& options, const LimitsArgs& args) {
    if (auto refused = RequireDataDir(options)) return *refused;
    const CRuntime runtime = MakeRuntime(options);
    auto rules = LoadWorkRules(runtime);
    if (!rules) return kRefused;
    auto report = OpenWorkReport(runtime);
    const auto schedule = LoadSchedule(runtime);
    if (!schedule) return kRefused;
    std::vector<COvertimeYear::Row> rows;
    if (!COvertimeYear::Collect(*report, args.year, ClosingIndex(args.closing), *rules, rows,
                                &*schedule)) {
        return Refuse("勤務ファイルを最後まで読めませんでした。");
    }
    if (!args.site.empty()) {
        // The agreement's year, from its first month's period to its last month's.
        const int start = rules->agreementStart;
        const int closing = ClosingIndex(args.closing);
        const CPayPeriod first(args.year, start, closing);
        const CPayPeriod last(start == 1 ? args.year : args.year + 1, start == 1 ? 12 : start - 1,
                              closing);
        const auto people = CSitePeople::Collect(*report, args.site, first.First(), last.Last());
        if (!people) return RefuseSite(*report, args.site);
        std::erase_if(rows,
                      [&](const COvertimeYear::Row& row) { return !people->count(row.name); });
    }
    if (!args.csv.empty()) {
        return WriteCsv(*report, args.csv, COvertimeYear::Csv(rows, rules->agreementStart));
    }
    auto print = [](const std::vector<std::string>& cells) {
        std::string line;
        for (const auto& cell : cells) line += (line.empty() ? "" : "\t") + cell;
        std::cout << line << '\n';
    };
    if (const auto note = COvertimeYear::ClauseNote(rules->specialClause); !note.empty()) {
        std::cout << note << '\n';
    }
    print(COvertimeYear::Header(rules->agreementStart));
    for (const auto& row : rows) print(COvertimeYear::Cells(row, rules->agreementStart));
    return kOk;
}

}  // namespace

void AddLimitsCommand(CLI::App& app, const CliOptions& options, CommandResult& action) {
    auto args = std::make_shared<LimitsArgs>();
    auto* limits =
        app.add_subcommand("limits",
                           "36協定の1年の時間外・休日労働と上限（月45時間超の回数、年360・720時間、"
                           "2～6か月平均80時間、月100時間）を社員ごとに表示する");
    limits->add_option("--year", args->year, "協定の1年が始まる年（起算月は勤務ルールの設定）")
        ->required()
        ->check(CCliUsage::DecimalIn(1900, 9999));
    limits->add_option("--closing", args->closing, "締め日: 5, 10, 15, 20, 25 または end（末日）")
        ->required()
        ->check(CCliUsage::OneOf({"5", "10", "15", "20", "25", "end"}));
    limits->add_option("--csv", args->csv, "CSV（Shift-JIS、CR LF）でこのファイルに書き出す");
    limits->add_option("--site", args->site,
                       "この拠点で打刻した社員だけ（時間は全拠点の記録から。データベースのとき）");
    limits->callback(
        [&, args] { action = [&options, args] { return ShowLimits(options, *args); }; });
}

}  // namespace stampwell::cli
