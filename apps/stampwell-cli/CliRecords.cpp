#include <cerrno>
#include <cstdio>
#include <iostream>
#include <map>

#include "CliContext.h"
#include "CliUsage.h"
#include "calendar/PayPeriod.h"
#include "leave/LeaveBook.h"
#include "officestore/OfficeStores.h"
#include "platform/FileSystem.h"
#include "reporting/PeriodReport.h"
#include "reporting/SitePeople.h"
#include "settings/EnvironmentSettings.h"
#include "settings/ModeFiles.h"
#include "store/IWorkStore.h"
#include "text/TextCodec.h"

namespace stampwell::cli {

std::shared_ptr<IWorkStore> OpenWorkReport(const CRuntime& runtime) {
    auto report = OpenWorkStore(runtime);
    report->SetSettings(CreateConfig(runtime));
    return report;
}

int RefuseSite(const IWorkStore& report, const std::string& site) {
    return Refuse("拠点「" + site +
                  "」の記録はありません（拠点はデータベースに記録している端末"
                  "だけにあります）: " +
                  report.Where());
}

int WriteCsv(IWorkStore& report, const std::string& path, const std::string& csv) {
    if (report.IsStoredFile(path)) {
        return Refuse(
            "出力先に勤務ファイルや設定ファイルなど、保存データのファイルは指定できません。");
    }
    auto bytes = CTextCodec::ToCp932(csv);
    if (!bytes) return Refuse("Shift-JISで表せない文字があります。");
    std::filesystem::path out(path);
    if (!CFileSystem::WriteWholeFile(out, out.filename().string() + ".tmp", *bytes)) {
        return Refuse(CFileSystem::IsNoSpace(errno)
                          ? "ディスクの空き容量が足りないため、書き込めませんでした: " + path
                          : "出力先のファイルに書き込めませんでした: " + path);
    }
    return kOk;
}

int ClosingIndex(const std::string& closing) {
    static const std::map<std::string, int> kClosing = {{"5", 0},  {"10", 1}, {"15", 2},
                                                        {"20", 3}, {"25", 4}, {"end", 5}};
    return kClosing.at(closing);
}

namespace {

struct ExportArgs {
    int year = 0, month = 0;
    std::string closing, out, site;
    bool today = false;
};

int ListRecords(const CliOptions& options, bool today, const std::string& site) {
    if (auto refused = RequireDataDir(options)) return *refused;
    auto report = OpenWorkReport(MakeRuntime(options));
    if (!report->SelectSite(site)) return RefuseSite(*report, site);
    // Printed as read: a ten-year file never sits in memory.
    report->ForEachRecord(today, [&](const IWorkStore::NumberedLine& record) {
        std::cout << record.number << '\t' << record.text << '\n';
        return static_cast<bool>(std::cout);
    });
    if (report->IsUsingTemporary()) {
        std::cerr << "勤務ファイルのフォルダに接続できません: " << report->Where()
                  << "\n一時ファイルで待機中の記録を表示しました: " << report->WaitingWhere()
                  << '\n';
    }
    return kOk;
}

int ExportPeriod(const CliOptions& options, const ExportArgs& args) {
    if (auto refused = RequireDataDir(options)) return *refused;
    if (!CTextCodec::ToCp932(args.out))
        return Refuse("出力先のパスにShift-JISで表せない文字があります。");
    auto report = OpenWorkReport(MakeRuntime(options));
    if (!report->SelectSite(args.site)) return RefuseSite(*report, args.site);
    report->SetExportYear(args.year);
    report->SetExportMonth(args.month);
    report->SetExportClosing(ClosingIndex(args.closing));
    report->SetExportPath(args.out);
    // The no-data message has already gone to stderr through the message sink.
    if (!report->Export()) {
        if (!report->LastExportError().empty()) std::cerr << report->LastExportError() << '\n';
        std::cerr << "エクスポートに失敗しました: " << args.out << '\n';
        return kRefused;
    }
    return kOk;
}

struct TrailArgs {
    std::string name;
    int year = 0, month = 0;
};

const char* StateText(IWorkStore::ETrailState state) {
    switch (state) {
        case IWorkStore::ETrailState::kDone:
            return "保存済";
        case IWorkStore::ETrailState::kFailed:
            return "保存失敗";
        case IWorkStore::ETrailState::kPending:
            return "未確定";
    }
    return "";
}

int ListEdits(const CliOptions& options, const TrailArgs& args) {
    if (auto refused = RequireDataDir(options)) return *refused;
    CRuntime runtime = MakeRuntime(options);
    auto report = OpenWorkReport(runtime);
    char month[32];
    std::snprintf(month, sizeof month, "%04d/%02d/", args.year, args.month);
    const bool read = report->ForEachTrailEntry([&](const IWorkStore::TrailEntry& entry) {
        if (!args.name.empty() && entry.name != args.name) return;
        if (args.year != 0 && entry.day.rfind(month, 0) != 0) return;
        std::cout << entry.when << '\t' << entry.admin << '\t' << entry.name << '\t' << entry.day
                  << '\t' << entry.side << '\t';
        if (entry.side == IWorkStore::kTrailSaveFailed) {
            std::cout << "-\t" << entry.reason << '\n';
            return;
        }
        std::cout << (entry.before.empty() ? "-" : entry.before) << " -> "
                  << (entry.after.empty() ? "-" : entry.after) << '\t' << entry.reason << '\t'
                  << StateText(entry.state) << '\n';
    });
    if (!read) return Refuse("修正履歴を読めませんでした: " + report->Where());
    return kOk;
}

struct ReportArgs {
    int year = 0, month = 0;
    std::string closing, name, csv, site;
};

int ReportPeriod(const CliOptions& options, const ReportArgs& args) {
    if (auto refused = RequireDataDir(options)) return *refused;
    const CRuntime runtime = MakeRuntime(options);
    auto rules = LoadWorkRules(runtime);
    if (!rules) return kRefused;
    auto report = OpenWorkReport(runtime);
    auto book = LoadLeaveBook(runtime);
    if (!book) return kRefused;
    const CLeaveBook& leave = *book;
    const auto schedule = LoadSchedule(runtime);
    if (!schedule) return kRefused;
    std::vector<CPeriodReport::Row> rows;
    if (!CPeriodReport::Collect(*report, args.year, args.month, ClosingIndex(args.closing),
                                args.name, *rules, rows, &leave, nullptr, &*schedule)) {
        return Refuse("勤務ファイルを最後まで読めませんでした。");
    }
    if (!args.site.empty()) {
        const CPayPeriod period(args.year, args.month, ClosingIndex(args.closing));
        const auto people = CSitePeople::Collect(*report, args.site, period.First(), period.Last());
        if (!people) return RefuseSite(*report, args.site);
        std::erase_if(rows,
                      [&](const CPeriodReport::Row& row) { return !people->count(row.name); });
    }
    if (!args.csv.empty()) {
        return WriteCsv(*report, args.csv,
                        CPeriodReport::Csv(rows, report->GetMode() == kRoomMode));
    }
    for (const auto& row : rows) std::cout << CPeriodReport::ConsoleLine(row) << '\n';
    return kOk;
}

}  // namespace

void AddRecordCommands(CLI::App& app, const CliOptions& options, CommandResult& action) {
    auto args = std::make_shared<ExportArgs>();
    auto* records = app.add_subcommand("records", "勤務記録を復号してファイルの順に表示する");
    records->add_flag("--today", args->today, "今日（日付更新時刻で区切った勤務日）の記録だけ");
    records->add_option("--site", args->site, "この拠点で打刻した記録だけ（データベースのとき）");
    records->callback([&, args] {
        action = [&options, args] { return ListRecords(options, args->today, args->site); };
    });

    auto* exp = app.add_subcommand("export", "締め期間の記録をCSV（Shift-JIS、CR LF）に書き出す");
    exp->add_option("--year", args->year, "締め期間の最終日の年")
        ->required()
        ->check(CCliUsage::DecimalIn(1900, 9999));
    exp->add_option("--month", args->month, "締め期間の最終日の月")
        ->required()
        ->check(CCliUsage::DecimalIn(1, 12));
    exp->add_option("--closing", args->closing, "締め日: 5, 10, 15, 20, 25 または end（末日）")
        ->required()
        ->check(CCliUsage::OneOf({"5", "10", "15", "20", "25", "end"}));
    exp->add_option("--out", args->out, "書き出すファイル（あれば置き換える）")->required();
    exp->add_option("--site", args->site, "この拠点で打刻した記録だけ（データベースのとき）");
    exp->callback(
        [&, args] { action = [&options, args] { return ExportPeriod(options, *args); }; });

    auto trail = std::make_shared<TrailArgs>();
    auto* edits = app.add_subcommand("edits", "記録の修正履歴（EditLog.txt）を古い順に表示する");
    edits->add_option("--name", trail->name, "この社員の分だけ");
    auto* year = edits->add_option("--year", trail->year, "この年の勤務日だけ（--month と共に）")
                     ->check(CCliUsage::DecimalIn(1900, 9999));
    auto* month = edits->add_option("--month", trail->month, "この月の勤務日だけ（--year と共に）")
                      ->check(CCliUsage::DecimalIn(1, 12));
    year->needs(month);
    month->needs(year);
    edits->callback(
        [&, trail] { action = [&options, trail] { return ListEdits(options, *trail); }; });

    auto sums = std::make_shared<ReportArgs>();
    auto* report =
        app.add_subcommand("report", "締め期間の社員ごとの日数・時間・打刻漏れの日を集計する");
    report->add_option("--year", sums->year, "締め期間の最終日の年")
        ->required()
        ->check(CCliUsage::DecimalIn(1900, 9999));
    report->add_option("--month", sums->month, "締め期間の最終日の月")
        ->required()
        ->check(CCliUsage::DecimalIn(1, 12));
    report->add_option("--closing", sums->closing, "締め日: 5, 10, 15, 20, 25 または end（末日）")
        ->required()
        ->check(CCliUsage::OneOf({"5", "10", "15", "20", "25", "end"}));
    report->add_option("--name", sums->name, "この社員の分だけ");
    report->add_option("--csv", sums->csv, "集計をCSV（Shift-JIS、CR LF）でこのファイルに書き出す");
    report->add_option("--site", sums->site,
                       "この拠点で打刻した社員だけ（時間は全拠点の記録から。データベースのとき）");
    report->callback(
        [&, sums] { action = [&options, sums] { return ReportPeriod(options, *sums); }; });
}

}  // namespace stampwell::cli
