#include <algorithm>
#include <iostream>
#include <memory>

#include "CliContext.h"
#include "CliUsage.h"
#include "calendar/WorkDate.h"
#include "diagnostics/ErrorLog.h"
#include "folderstore/FolderLeaveStore.h"
#include "leave/LeaveChange.h"
#include "leave/LeaveDate.h"
#include "leave/LeaveTables.h"
#include "officestore/OfficeStores.h"
#include "platform/FileSystem.h"
#include "platform/LocalTime.h"
#include "reporting/SitePeople.h"
#include "reporting/WorkedDay.h"
#include "settings/EnvironmentSettings.h"
#include "store/IPeopleStore.h"
#include "store/IWorkStore.h"
#include "store/LeaveStoreChange.h"
#include "text/TextCodec.h"

namespace stampwell::cli {

namespace {

struct LeaveArgs {
    std::string name, hired, date, half, grant, asOf, csv, from, site;
    int daysPerWeek = 5;
    bool undo = false;
};

std::shared_ptr<ILeaveStore> Store(const CRuntime& runtime) {
    return OpenLeaveStore(runtime, *CreateConfig(runtime));
}

std::optional<int> DateArg(const std::string& text, const char* what) {
    auto date = CLeaveDate::Parse(text);
    if (!date) Refuse(std::string(what) + "は YYYY-MM-DD の、ある日付で指定してください: " + text);
    return date;
}

int Change(const CliOptions& options,
           const std::function<std::optional<std::string>(CLeaveBook&)>& change,
           const std::string& done) {
    const CRuntime runtime = MakeRuntime(options);
    const auto schedule = OpenScheduleStore(runtime, *CreateConfig(runtime));
    if (!CLeaveStoreChange::Apply(*Store(runtime), change, runtime.Messages(), schedule.get())) {
        return kRefused;
    }
    std::cout << done << '\n';
    return kOk;
}

int Today(const CRuntime& runtime) {
    return CLeaveDate::Today(runtime.Clock());
}

int Print(const CRuntime& runtime, const CLeaveTables::Table& table, const std::string& csv) {
    if (csv.empty()) {
        std::cout << CLeaveTables::Text(table, '\t', "\n");
        return kOk;
    }
    auto bytes = CTextCodec::ToCp932(CLeaveTables::Text(table, ',', "\r\n"));
    if (!bytes) return Refuse("Shift-JISで表せない文字があります。");
    const std::filesystem::path out(csv);
    if (out.filename() == CLeaveBook::kFileName ||
        out == CFolderLeaveStore(runtime, CreateConfig(runtime)->GetIdFilePath()).FilePath()) {
        return Refuse("出力先に有給休暇のファイルは指定できません。");
    }
    if (!CFileSystem::WriteWholeFile(out, out.filename().string() + ".tmp", *bytes)) {
        return Refuse("出力先のファイルに書き込めませんでした: " + csv);
    }
    return kOk;
}

std::optional<CLeaveBook> ReadBook(const CRuntime& runtime) {
    return LoadLeaveBook(runtime);
}

int Ledger(const CliOptions& options, const LeaveArgs& args) {
    if (auto refused = RequireDataDir(options)) return *refused;
    const CRuntime runtime = MakeRuntime(options);
    auto book = ReadBook(runtime);
    if (!book) return kRefused;
    const auto* who = book->Find(args.name);
    if (who == nullptr) return Refuse(args.name + "さんの入社日が登録されていません。");
    auto table = CLeaveTables::Grants(*book, *who, Today(runtime));
    const auto days = CLeaveTables::Days(*book, args.name);
    table.push_back({});
    table.insert(table.end(), days.begin(), days.end());
    return Print(runtime, table, args.csv);
}

int List(const CliOptions& options, const LeaveArgs& args) {
    if (auto refused = RequireDataDir(options)) return *refused;
    const CRuntime runtime = MakeRuntime(options);
    auto book = ReadBook(runtime);
    if (!book) return kRefused;
    int asOf = Today(runtime);
    if (!args.asOf.empty()) {
        auto date = DateArg(args.asOf, "--as-of");
        if (!date) return kRefused;
        asOf = *date;
    }
    auto table = CLeaveTables::List(*book, asOf);
    if (!args.site.empty()) {
        // The people who worked at the site in the year up to that day.
        auto work = OpenWorkReport(runtime);
        const auto people = CSitePeople::Collect(
            *work, args.site, CWorkDate::FromDayIndex(CWorkDate::DayIndex(asOf) - 365), asOf);
        if (!people) return RefuseSite(*work, args.site);
        std::erase_if(table, [&, header = true](const std::vector<std::string>& row) mutable {
            const bool keep = header || people->count(row.front());
            header = false;
            return !keep;
        });
    }
    return Print(runtime, table, args.csv);
}

}  // namespace

std::optional<CLeaveBook> LoadLeaveBook(const CRuntime& runtime) {
    CLeaveBook book;
    std::string refusal;
    if (!Store(runtime)->Read(book, &refusal)) {
        Refuse(refusal);
        return std::nullopt;
    }
    for (const auto& warning : book.warnings) {
        std::cerr << warning << '\n';
        ErrorLog(runtime.DataDir(), __LINE__, warning + " (CLeaveBook::Load)", __FILE__,
                 &runtime.Clock());
    }
    return book;
}

void AddLeaveCommands(CLI::App& app, const CliOptions& options, CommandResult& action) {
    auto args = std::make_shared<LeaveArgs>();
    auto* leave = app.add_subcommand(
        "leave", "年次有給休暇（PaidLeave.txt。カード登録者ファイルと同じフォルダ）");
    leave->require_subcommand(1);

    auto* set = leave->add_subcommand("set", "社員の入社日と週の所定労働日数を登録する");
    set->add_option("--name", args->name, "登録名")->required();
    set->add_option("--hired", args->hired, "入社日 YYYY-MM-DD（初めて登録するときは必須）")
        ->type_name("日付");
    auto* daysOption =
        set->add_option("--days-per-week", args->daysPerWeek, "週の所定労働日数 1～5（既定は5）")
            ->check(CCliUsage::DecimalIn(1, 5))
            ->type_name("整数");
    set->add_option(
           "--from", args->from,
           "週の所定労働日数が変わる日 YYYY-MM-DD（既定は今日。それより前の付与は変わらない）")
        ->type_name("日付");
    set->callback([&, args, daysOption] {
        const bool daysGiven = daysOption->count() > 0;
        action = [&options, args, daysGiven]() -> int {
            // Leave belongs to a registered employee, keyed by the name the records use.
            const CRuntime runtime = MakeRuntime(options);
            auto reg = OpenPeopleStore(runtime);
            reg->SetPathSource(CreateConfig(runtime));
            const auto names = reg->GetAllNames();
            if (std::find(names.begin(), names.end(), args->name) == names.end()) {
                return Refuse("登録されていない社員です: " + args->name);
            }
            std::optional<int> hired;
            if (!args->hired.empty()) {
                hired = DateArg(args->hired, "入社日");
                if (!hired) return kRefused;
            }
            int from = Today(runtime);
            if (!args->from.empty()) {
                auto given = DateArg(args->from, "変更日");
                if (!given) return kRefused;
                from = *given;
            }
            return Change(
                options,
                [&](CLeaveBook& book) -> std::optional<std::string> {
                    const auto* who = book.Find(args->name);
                    if (!hired && who == nullptr) {
                        return "入社日を指定してください（--hired）: " + args->name;
                    }
                    const int hiredOn = hired ? *hired : who->hired;
                    // Without --days-per-week the days a week stay as they are.
                    const int days = daysGiven || who == nullptr
                                         ? args->daysPerWeek
                                         : book.DaysPerWeekOn(args->name, from);
                    return CLeaveChange::SetEmployee(book, args->name, hiredOn, days, from);
                },
                "登録しました: " + args->name);
        };
    });

    auto* take = leave->add_subcommand("take", "有給休暇の取得を記録する");
    take->add_option("--name", args->name, "登録名")->required();
    take->add_option("--date", args->date, "取得日 YYYY-MM-DD")->required();
    take->add_option("--half", args->half, "半日: am（午前）または pm（午後）")
        ->check(CCliUsage::OneOf({"am", "pm"}));
    take->callback([&, args] {
        action = [&options, args]() -> int {
            auto date = DateArg(args->date, "取得日");
            if (!date) return kRefused;
            const auto part = *CLeaveBook::ParsePart(args->half);
            if (part == CLeaveBook::EPart::kWhole) {
                const CRuntime runtime = MakeRuntime(options);
                auto work = OpenWorkStore(runtime);
                work->SetSettings(CreateConfig(runtime));
                const auto schedule = OpenScheduleStore(runtime, *CreateConfig(runtime));
                if (auto refused =
                        CWorkedDay::RefuseWholeLeave(*work, args->name, *date, schedule.get())) {
                    return Refuse(*refused);
                }
            }
            return Change(
                options,
                [&](CLeaveBook& book) { return CLeaveChange::Take(book, args->name, *date, part); },
                "記録しました: " + args->name + " " + args->date + " " +
                    CLeaveBook::PartText(part));
        };
    });

    auto* cancel = leave->add_subcommand("cancel", "有給休暇の取得を取り消す");
    cancel->add_option("--name", args->name, "登録名")->required();
    cancel->add_option("--date", args->date, "取得日 YYYY-MM-DD")->required();
    cancel->callback([&, args] {
        action = [&options, args]() -> int {
            auto date = DateArg(args->date, "取得日");
            if (!date) return kRefused;
            return Change(
                options,
                [&](CLeaveBook& book) { return CLeaveChange::Cancel(book, args->name, *date); },
                "取り消しました: " + args->name + " " + args->date);
        };
    });

    auto* withhold =
        leave->add_subcommand("withhold", "出勤率が8割に満たないため、その基準日の付与を見送る");
    withhold->add_option("--name", args->name, "登録名")->required();
    withhold->add_option("--grant", args->grant, "付与日（基準日） YYYY-MM-DD")->required();
    withhold->add_flag("--undo", args->undo, "見送りを取り消し、付与する");
    withhold->callback([&, args] {
        action = [&options, args]() -> int {
            auto grant = DateArg(args->grant, "付与日");
            if (!grant) return kRefused;
            if (args->undo) {
                return Change(
                    options,
                    [&](CLeaveBook& book) {
                        return CLeaveChange::Restore(book, args->name, *grant);
                    },
                    "付与の見送りを取り消しました: " + args->name + " " + args->grant);
            }
            return Change(
                options,
                [&](CLeaveBook& book) { return CLeaveChange::Withhold(book, args->name, *grant); },
                "付与を見送りました: " + args->name + " " + args->grant);
        };
    });

    auto* ledger =
        leave->add_subcommand("ledger", "年次有給休暇管理簿（付与ごとの行と取得日）を表示する");
    ledger->add_option("--name", args->name, "登録名")->required();
    ledger->add_option("--csv", args->csv, "CSV（Shift-JIS、CR LF）でこのファイルに書き出す");
    ledger->callback([&, args] { action = [&options, args] { return Ledger(options, *args); }; });

    auto* list = leave->add_subcommand("list", "社員ごとの残日数・次の付与・取得義務を表示する");
    list->add_option("--as-of", args->asOf, "この日の時点で（既定は今日） YYYY-MM-DD");
    list->add_option("--csv", args->csv, "CSV（Shift-JIS、CR LF）でこのファイルに書き出す");
    list->add_option("--site", args->site,
                     "この1年にこの拠点で打刻した社員だけ（データベースのとき）");
    list->callback([&, args] { action = [&options, args] { return List(options, *args); }; });
}

}  // namespace stampwell::cli
