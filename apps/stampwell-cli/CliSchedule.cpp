#include <unistd.h>

#include <cstdlib>
#include <iostream>
#include <memory>

#include "CliContext.h"
#include "calendar/WorkDate.h"
#include "leave/LeaveDate.h"
#include "officestore/OfficeStores.h"
#include "platform/LocalTime.h"
#include "reporting/PeriodReport.h"
#include "schedule/NationalHolidays.h"
#include "schedule/PatternForm.h"
#include "schedule/ScheduleChange.h"
#include "settings/EnvironmentSettings.h"

namespace stampwell::cli {

namespace {

struct ScheduleArgs {
    std::string name, pattern, start, end, breaks, days = "月火水木金", holidays = "休み";
    std::string date, from, rest, work, off, forDate, title, reason, closing = "end", admin;
    int year = 0, month = 0;
};

std::shared_ptr<IScheduleStore> Store(const CRuntime& runtime) {
    return OpenScheduleStore(runtime, *CreateConfig(runtime));
}

std::optional<int> DateArg(const std::string& text, const char* what) {
    auto date = CPatternForm::ReadDate(text);
    if (!date) Refuse(std::string(what) + "は YYYY-MM-DD の、ある日付で指定してください: " + text);
    return date;
}

int Today(const CRuntime& runtime) {
    return CLeaveDate::Today(runtime.Clock());
}

std::string Now(const CRuntime& runtime) {
    auto tm = CLocalTime::ToLocal(runtime.Clock().Now());
    if (!tm) return {};
    char text[32];
    std::strftime(text, sizeof text, "%Y/%m/%d %H:%M", &*tm);
    return text;
}

// Who runs the command, for the closing trail: --admin, else the login of the session.
std::string Who(const ScheduleArgs& args) {
    if (!args.admin.empty()) return args.admin;
    const char* user = std::getenv("USER");
    return std::string("コマンド（") + (user != nullptr && *user ? user : "不明") + "）";
}

int Change(const CliOptions& options, const IScheduleStore::Change& change,
           const std::string& done) {
    const CRuntime runtime = MakeRuntime(options);
    if (!Store(runtime)->Apply(change, runtime.Messages())) return kRefused;
    std::cout << done << '\n';
    return kOk;
}

std::optional<CScheduleBook> Read(const CRuntime& runtime) {
    CScheduleBook book;
    std::string refusal;
    if (!Store(runtime)->Read(book, &refusal)) {
        Refuse(refusal);
        return std::nullopt;
    }
    return book;
}

int SetPattern(const CliOptions& options, const ScheduleArgs& args) {
    if (args.holidays != "休み" && args.holidays != "出勤") {
        return Refuse("祝日は「休み」か「出勤」を指定してください。");
    }
    std::string why;
    const auto read = CPatternForm::Read(
        {args.name, args.start, args.end, args.breaks, args.days, args.holidays == "休み"}, why);
    if (!read) return Refuse(why);
    const CWorkPattern pattern = *read;
    return Change(
        options, [&](CScheduleBook& book) { return CScheduleChange::SetPattern(book, pattern); },
        "勤務パターン「" + pattern.name + "」を保存しました。");
}

int ListPatterns(const CliOptions& options) {
    if (auto refused = RequireDataDir(options)) return *refused;
    const auto book = Read(MakeRuntime(options));
    if (!book) return kRefused;
    for (const auto& p : book->patterns) {
        std::cout << p.name << '\t' << CWorkPattern::TimeText(p.start) << '-'
                  << CWorkPattern::TimeText(p.end) << "\t休憩 "
                  << (p.breaks.empty() ? "なし" : CWorkRules::WindowsText(p.breaks)) << "\t所定 "
                  << CWorkPattern::TimeText(p.ScheduledMinutes()) << '\t'
                  << CWorkPattern::WeekdaysText(p.weekdays) << "\t祝日"
                  << (p.holidaysOff ? "休み" : "出勤") << '\n';
    }
    for (const auto& a : book->assignments) {
        std::cout << "適用\t" << a.name << '\t' << CWorkDate::TextOfNumber(a.from) << "から\t"
                  << (a.pattern.empty() ? "なし" : a.pattern) << '\n';
    }
    return kOk;
}

int ListHolidays(const CliOptions& options, int year) {
    if (auto refused = RequireDataDir(options)) return *refused;
    const auto book = Read(MakeRuntime(options));
    if (!book) return kRefused;
    std::map<int, std::string> days;
    for (const auto& h : CNationalHolidays::OfYear(year)) days[h.date] = h.name + "\t祝日";
    for (const auto& h : book->holidays) {
        if (h.date / 10000 == year) days[h.date] = h.name + "\t会社の休日";
    }
    static const char* const kDays[] = {"日", "月", "火", "水", "木", "金", "土"};
    for (const auto& [date, text] : days) {
        std::cout << CWorkDate::TextOfNumber(date) << "（" << kDays[CWorkDate::Weekday(date)]
                  << "）\t" << text << '\n';
    }
    return kOk;
}

int ListSwaps(const CliOptions& options) {
    if (auto refused = RequireDataDir(options)) return *refused;
    const auto book = Read(MakeRuntime(options));
    if (!book) return kRefused;
    for (const auto& s : book->swaps) {
        std::cout << "振替\t" << s.name << "\t休日 " << CWorkDate::TextOfNumber(s.restDate)
                  << " を出勤日に\t" << CWorkDate::TextOfNumber(s.workDate) << " を休日に";
        if (!s.when.empty()) std::cout << '\t' << s.when << ' ' << s.by;
        std::cout << '\n';
    }
    for (const auto& d : book->daysInLieu) {
        std::cout << "代休\t" << d.name << '\t' << CWorkDate::TextOfNumber(d.offDate) << "（"
                  << CWorkDate::TextOfNumber(d.forDate) << " の休日出勤の代休）";
        if (!d.when.empty()) std::cout << '\t' << d.when << ' ' << d.by;
        std::cout << '\n';
    }
    return kOk;
}

int ListClosings(const CliOptions& options) {
    if (auto refused = RequireDataDir(options)) return *refused;
    const auto book = Read(MakeRuntime(options));
    if (!book) return kRefused;
    for (const auto& e : book->closings) {
        std::cout << e.when << '\t' << (e.closed ? "締め" : "解除") << '\t'
                  << CScheduleBook::PeriodText(e.year, e.month, e.closing) << '\t' << e.admin;
        if (!e.closed) std::cout << "\t理由: " << e.reason;
        std::cout << '\n';
    }
    return kOk;
}

}  // namespace

std::optional<CScheduleBook> LoadSchedule(const CRuntime& runtime) {
    return Read(runtime);
}

void AddScheduleCommands(CLI::App& app, const CliOptions& options, CommandResult& action) {
    auto args = std::make_shared<ScheduleArgs>();
    auto run = [&action](std::function<int()> job) { action = std::move(job); };

    auto* pattern = app.add_subcommand("pattern", "勤務パターン（所定の始業・終業・休憩・勤務日）");
    pattern->require_subcommand(1);
    auto* set = pattern->add_subcommand("set", "勤務パターンを作る（同じ名前なら置き換える）");
    set->add_option("name", args->name, "パターンの名前")->required();
    set->add_option("--start", args->start, "所定の始業 09:00")->required();
    set->add_option("--end", args->end, "所定の終業 18:00（夜勤は 30:00 のように）")->required();
    set->add_option("--breaks", args->breaks, "所定の休憩 \"12:00-13:00\"");
    set->add_option("--days", args->days, "所定の勤務日（既定 月火水木金）");
    set->add_option("--holidays", args->holidays, "祝日と会社の休日: 休み（既定）または 出勤");
    set->callback(
        [&options, args, run] { run([&options, args] { return SetPattern(options, *args); }); });
    auto* list = pattern->add_subcommand("list", "勤務パターンと社員への適用を表示する");
    list->callback([&options, run] { run([&options] { return ListPatterns(options); }); });
    auto* remove = pattern->add_subcommand("delete", "使われていない勤務パターンを削除する");
    remove->add_option("name", args->name, "パターンの名前")->required();
    remove->callback([&options, args, run] {
        run([&options, args] {
            return Change(
                options,
                [args](CScheduleBook& book) {
                    return CScheduleChange::DeletePattern(book, args->name);
                },
                "勤務パターン「" + args->name + "」を削除しました。");
        });
    });
    auto* assign = pattern->add_subcommand("assign", "社員がある日から従う勤務パターンを決める");
    assign->add_option("--name", args->name, "社員の氏名")->required();
    assign->add_option("--from", args->from, "適用する日 YYYY-MM-DD")->required();
    assign->add_option("--pattern", args->pattern, "パターンの名前（なし: パターンなし）")
        ->required();
    assign->callback([&options, args, run] {
        run([&options, args]() -> int {
            const auto from = DateArg(args->from, "適用日");
            if (!from) return kRefused;
            const std::string name = args->pattern == "なし" ? std::string{} : args->pattern;
            return Change(
                options,
                [&](CScheduleBook& book) {
                    return CScheduleChange::Assign(book, args->name, *from, name);
                },
                args->name + "さんに " + CWorkDate::TextOfNumber(*from) + " から「" +
                    (name.empty() ? "パターンなし" : name) + "」を適用しました。");
        });
    });

    auto* holidays = app.add_subcommand("holidays", "国民の祝日と会社の休日（年末年始など）");
    holidays->require_subcommand(1);
    auto* hlist = holidays->add_subcommand("list", "その年の祝日と会社の休日を表示する");
    hlist->add_option("--year", args->year, "年")->required();
    hlist->callback([&options, args, run] {
        run([&options, args] { return ListHolidays(options, args->year); });
    });
    auto* hadd = holidays->add_subcommand("add", "会社の休日を加える");
    hadd->add_option("date", args->date, "日付 YYYY-MM-DD")->required();
    hadd->add_option("title", args->title, "休日の名前（年末年始、創立記念日など）")->required();
    hadd->callback([&options, args, run] {
        run([&options, args]() -> int {
            const auto date = DateArg(args->date, "日付");
            if (!date) return kRefused;
            return Change(
                options,
                [&](CScheduleBook& book) {
                    return CScheduleChange::AddHoliday(book, *date, args->title);
                },
                CWorkDate::TextOfNumber(*date) + " を会社の休日「" + args->title +
                    "」にしました。");
        });
    });
    auto* hremove = holidays->add_subcommand("remove", "会社の休日を取り消す");
    hremove->add_option("date", args->date, "日付 YYYY-MM-DD")->required();
    hremove->callback([&options, args, run] {
        run([&options, args]() -> int {
            const auto date = DateArg(args->date, "日付");
            if (!date) return kRefused;
            return Change(
                options,
                [&](CScheduleBook& book) { return CScheduleChange::RemoveHoliday(book, *date); },
                CWorkDate::TextOfNumber(*date) + " の会社の休日を取り消しました。");
        });
    });

    auto* swap = app.add_subcommand("swap", "振替休日（休日を前もって勤務日と入れ替える）と代休");
    swap->require_subcommand(1);
    auto* sadd = swap->add_subcommand("add", "休日を勤務日と入れ替える（休日が来る前に）");
    sadd->add_option("--name", args->name, "社員の氏名")->required();
    sadd->add_option("--rest", args->rest, "出勤日にする休日 YYYY-MM-DD")->required();
    sadd->add_option("--work", args->work, "代わりに休日にする勤務日 YYYY-MM-DD")->required();
    sadd->add_option("--admin", args->admin, "履歴に残す管理者名（既定はログイン名）");
    sadd->callback([&options, args, run] {
        run([&options, args]() -> int {
            const auto rest = DateArg(args->rest, "休日");
            const auto work = DateArg(args->work, "勤務日");
            if (!rest || !work) return kRefused;
            const CRuntime runtime = MakeRuntime(options);
            const auto rules = LoadWorkRules(runtime);
            if (!rules) return kRefused;
            const int today = Today(runtime);
            const std::string when = Now(runtime);
            const std::string who = Who(*args);
            return Change(
                options,
                [&](CScheduleBook& book) {
                    return CScheduleChange::AddSwap(book, *rules, args->name, *rest, *work, today,
                                                    when, who);
                },
                args->name + "さんの " + CWorkDate::TextOfNumber(*rest) + " を出勤日に、" +
                    CWorkDate::TextOfNumber(*work) + " を休日にしました。");
        });
    });
    auto* sremove = swap->add_subcommand("remove", "まだ来ていない振替を取り消す");
    sremove->add_option("--name", args->name, "社員の氏名")->required();
    sremove->add_option("--rest", args->rest, "出勤日にした休日 YYYY-MM-DD")->required();
    sremove->callback([&options, args, run] {
        run([&options, args]() -> int {
            const auto rest = DateArg(args->rest, "休日");
            if (!rest) return kRefused;
            const int today = Today(MakeRuntime(options));
            return Change(
                options,
                [&](CScheduleBook& book) {
                    return CScheduleChange::RemoveSwap(book, args->name, *rest, today);
                },
                "振替を取り消しました。");
        });
    });
    auto* lieu = swap->add_subcommand("daikyu", "休日出勤の後に与える代休を記録する");
    lieu->add_option("--name", args->name, "社員の氏名")->required();
    lieu->add_option("--off", args->off, "代休の日 YYYY-MM-DD")->required();
    lieu->add_option("--for", args->forDate, "休日出勤した日 YYYY-MM-DD")->required();
    lieu->add_option("--admin", args->admin, "履歴に残す管理者名（既定はログイン名）");
    lieu->callback([&options, args, run] {
        run([&options, args]() -> int {
            const auto off = DateArg(args->off, "代休の日");
            const auto worked = DateArg(args->forDate, "休日出勤した日");
            if (!off || !worked) return kRefused;
            const CRuntime runtime = MakeRuntime(options);
            const auto rules = LoadWorkRules(runtime);
            if (!rules) return kRefused;
            const std::string when = Now(runtime);
            const std::string who = Who(*args);
            return Change(
                options,
                [&](CScheduleBook& book) {
                    return CScheduleChange::AddDayInLieu(book, *rules, args->name, *off, *worked,
                                                         when, who);
                },
                args->name + "さんの " + CWorkDate::TextOfNumber(*off) + " を代休にしました。");
        });
    });
    auto* lieuRemove = swap->add_subcommand("daikyu-remove", "代休を取り消す");
    lieuRemove->add_option("--name", args->name, "社員の氏名")->required();
    lieuRemove->add_option("--off", args->off, "代休の日 YYYY-MM-DD")->required();
    lieuRemove->callback([&options, args, run] {
        run([&options, args]() -> int {
            const auto off = DateArg(args->off, "代休の日");
            if (!off) return kRefused;
            return Change(
                options,
                [&](CScheduleBook& book) {
                    return CScheduleChange::RemoveDayInLieu(book, args->name, *off);
                },
                "代休を取り消しました。");
        });
    });
    auto* slist = swap->add_subcommand("list", "振替と代休を表示する");
    slist->callback([&options, run] { run([&options] { return ListSwaps(options); }); });

    auto* close =
        app.add_subcommand("close", "締め期間を締める（記録・有給休暇・勤務ルールを固定）");
    auto* reopen = app.add_subcommand("reopen", "締めを解除する（理由が履歴に残る）");
    for (auto* command : {close, reopen}) {
        command->add_option("--year", args->year, "締め期間の最終日の年")->required();
        command->add_option("--month", args->month, "締め期間の最終日の月")
            ->required()
            ->check(CLI::Range(1, 12));
        command
            ->add_option("--closing", args->closing, "締め日: 5, 10, 15, 20, 25 または end（末日）")
            ->check(CLI::IsMember({"5", "10", "15", "20", "25", "end"}));
        command->add_option("--admin", args->admin, "履歴に残す管理者名（既定はログイン名）");
    }
    reopen->add_option("--reason", args->reason, "解除する理由")->required();
    close->callback([&options, args, run] {
        run([&options, args]() -> int {
            const CRuntime runtime = MakeRuntime(options);
            const auto rules = LoadWorkRules(runtime);
            if (!rules) return kRefused;
            const int closing = ClosingIndex(args->closing);
            const std::string when = Now(runtime);
            const std::string who = Who(*args);
            // The records as closed, so that one that reaches the period later is noticed.
            std::vector<std::pair<std::string, std::string>> prints;
            if (!CPeriodReport::Prints(*OpenWorkReport(runtime), args->year, args->month, closing,
                                       prints)) {
                return Refuse("勤務ファイルを最後まで読めないため、締めていません。");
            }
            return Change(
                options,
                [&](CScheduleBook& book) {
                    return CScheduleChange::Close(book, args->year, args->month, closing, *rules,
                                                  when, who, prints);
                },
                CScheduleBook::PeriodText(args->year, args->month, closing) + "を締めました。");
        });
    });
    reopen->callback([&options, args, run] {
        run([&options, args]() -> int {
            const CRuntime runtime = MakeRuntime(options);
            const int closing = ClosingIndex(args->closing);
            const std::string when = Now(runtime);
            const std::string who = Who(*args);
            return Change(
                options,
                [&](CScheduleBook& book) {
                    return CScheduleChange::Reopen(book, args->year, args->month, closing, when,
                                                   who, args->reason);
                },
                CScheduleBook::PeriodText(args->year, args->month, closing) +
                    "の締めを解除しました。");
        });
    });
    auto* closings = app.add_subcommand("closings", "締めと解除の履歴を表示する");
    closings->callback([&options, run] { run([&options] { return ListClosings(options); }); });
}

}  // namespace stampwell::cli
