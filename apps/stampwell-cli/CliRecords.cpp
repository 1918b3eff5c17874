#include <iostream>
#include <map>

#include "CliContext.h"
#include "recording/WorkReport.h"
#include "settings/EnvironmentSettings.h"
#include "text/TextCodec.h"

namespace stampwell::cli {

namespace {

struct ExportArgs {
    int year = 0, month = 0;
    std::string closing, out;
    bool today = false;
};

std::shared_ptr<CWorkReport> OpenWorkReport(const CRuntime& runtime) {
    auto report = CreateWorkReport(runtime);
    report->SetSettings(CreateConfig(runtime));
    return report;
}

int ListRecords(const CliOptions& options, bool today) {
    if (auto refused = RequireDataDir(options)) return *refused;
    auto report = OpenWorkReport(MakeRuntime(options));
    auto records = report->ListRecords(today);
    if (report->IsUsingTemporary()) {
        std::cerr << "勤務ファイルのフォルダに接続できません: "
                  << report->ResolveWorkFilePath().parent_path().string()
                  << "\n一時ファイルで待機中の記録を表示します: "
                  << report->TemporaryFilePath().string() << '\n';
    }
    for (const auto& record : records) {
        std::cout << record.number << '\t' << record.text << '\n';
    }
    return kOk;
}

int ExportPeriod(const CliOptions& options, const ExportArgs& args) {
    if (auto refused = RequireDataDir(options)) return *refused;
    static const std::map<std::string, int> kClosing = {{"5", 0},  {"10", 1}, {"15", 2},
                                                        {"20", 3}, {"25", 4}, {"end", 5}};
    if (!CTextCodec::ToCp932(args.out))
        return Refuse("出力先のパスにShift-JISで表せない文字があります。");
    auto report = OpenWorkReport(MakeRuntime(options));
    report->SetExportYear(args.year);
    report->SetExportMonth(args.month);
    report->SetExportClosing(kClosing.at(args.closing));
    report->SetExportPath(args.out);
    // The no-data message has already gone to stderr through the message sink.
    if (!report->Export()) {
        if (!report->LastExportError().empty()) std::cerr << report->LastExportError() << '\n';
        std::cerr << "エクスポートに失敗しました: " << args.out << '\n';
        return kRefused;
    }
    return kOk;
}

}  // namespace

void AddRecordCommands(CLI::App& app, const CliOptions& options, CommandResult& action) {
    auto args = std::make_shared<ExportArgs>();
    auto* records = app.add_subcommand("records", "the work records, deciphered, in file order");
    records->add_flag("--today", args->today, "only today's records (the working day)");
    records->callback(
        [&, args] { action = [&options, args] { return ListRecords(options, args->today); }; });

    auto* exp = app.add_subcommand("export", "export a pay period to CSV (CP932, CR LF)");
    exp->add_option("--year", args->year, "year of the period's last day")
        ->required()
        ->check(CLI::Range(1900, 9999));
    exp->add_option("--month", args->month, "month of the period's last day")
        ->required()
        ->check(CLI::Range(1, 12));
    exp->add_option("--closing", args->closing, "closing day: 5, 10, 15, 20, 25 or end")
        ->required()
        ->check(CLI::IsMember({"5", "10", "15", "20", "25", "end"}));
    exp->add_option("--out", args->out, "output file (replaced)")->required();
    exp->callback(
        [&, args] { action = [&options, args] { return ExportPeriod(options, *args); }; });
}

}  // namespace stampwell::cli
