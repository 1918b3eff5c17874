#include <QGuiApplication>
#include <ctime>
#include <iostream>
#include <memory>

#include "CliContext.h"
#include "CliUsage.h"
#include "calendar/PayPeriod.h"
#include "leave/LeaveBook.h"
#include "officestore/OfficeStores.h"
#include "platform/LocalTime.h"
#include "reporting/SitePeople.h"
#include "reporting/Timesheet.h"
#include "reporting/TimesheetPainter.h"
#include "settings/EnvironmentSettings.h"
#include "store/IPeopleStore.h"
#include "store/IWorkStore.h"

namespace stampwell::cli {

namespace {

struct TimesheetArgs {
    int year = 0, month = 0;
    std::string closing, name, pdf, site;
};

int WriteTimesheet(const CliOptions& options, const TimesheetArgs& args) {
    if (auto refused = RequireDataDir(options)) return *refused;
    const CRuntime runtime = MakeRuntime(options);
    auto rules = LoadWorkRules(runtime);
    if (!rules) return kRefused;
    auto report = OpenWorkReport(runtime);
    if (report->IsStoredFile(args.pdf)) {
        return Refuse(
            "出力先に勤務ファイルや設定ファイルなど、保存データのファイルは指定できません。");
    }
    auto book = LoadLeaveBook(runtime);
    if (!book) return kRefused;
    const CLeaveBook& leave = *book;
    // Every registered employee gets a page, with or without records in the period.
    auto reg = OpenPeopleStore(runtime);
    reg->SetPathSource(CreateConfig(runtime));
    const auto registered = reg->GetAllNames();
    const auto schedule = LoadSchedule(runtime);
    if (!schedule) return kRefused;
    std::vector<CTimesheet::Page> pages;
    if (!CTimesheet::Collect(*report, args.year, args.month, ClosingIndex(args.closing), args.name,
                             *rules, &leave, true, pages, &registered, &*schedule)) {
        return Refuse("勤務ファイルを最後まで読めませんでした。");
    }
    if (!args.site.empty()) {
        const CPayPeriod period(args.year, args.month, ClosingIndex(args.closing));
        const auto people = CSitePeople::Collect(*report, args.site, period.First(), period.Last());
        if (!people) return RefuseSite(*report, args.site);
        std::erase_if(pages,
                      [&](const CTimesheet::Page& page) { return !people->count(page.name); });
    }
    if (pages.empty()) return Refuse("この期間の記録がありません。");
    // Drawing needs Qt's fonts, not a display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    int argc = 1;
    char name[] = "stampwell-cli";
    char* argv[] = {name, nullptr};
    QGuiApplication application(argc, argv);
    char made[32] = {};
    if (auto now = CLocalTime::ToLocal(runtime.Clock().Now())) {
        std::strftime(made, sizeof made, "%Y/%m/%d %H:%M", &*now);
    }
    if (!CTimesheetPainter::WritePdf(pages, args.pdf, made)) {
        return Refuse("PDFを書き込めませんでした: " + args.pdf);
    }
    std::cout << "出勤簿を保存しました: " << args.pdf << "（" << pages.size() << "ページ）\n";
    return kOk;
}

}  // namespace

void AddTimesheetCommand(CLI::App& app, const CliOptions& options, CommandResult& action) {
    auto args = std::make_shared<TimesheetArgs>();
    auto* sheet = app.add_subcommand("timesheet",
                                     "締め期間の出勤簿を、社員ごとに1ページのPDF（A4）に書き出す");
    sheet->add_option("--year", args->year, "締め期間の最終日の年")
        ->required()
        ->check(CCliUsage::DecimalIn(1900, 9999));
    sheet->add_option("--month", args->month, "締め期間の最終日の月")
        ->required()
        ->check(CCliUsage::DecimalIn(1, 12));
    sheet->add_option("--closing", args->closing, "締め日: 5, 10, 15, 20, 25 または end（末日）")
        ->required()
        ->check(CCliUsage::OneOf({"5", "10", "15", "20", "25", "end"}));
    sheet->add_option("--name", args->name, "この社員の分だけ");
    sheet->add_option("--site", args->site, "この拠点で打刻した社員だけ（データベースのとき）");
    sheet->add_option("--pdf", args->pdf, "書き出すPDFファイル（あれば置き換える）")->required();
    sheet->callback(
        [&, args] { action = [&options, args] { return WriteTimesheet(options, *args); }; });
}

}  // namespace stampwell::cli
