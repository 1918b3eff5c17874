#include "corrections/ReportEditSession.h"

#include <algorithm>
#include <ctime>
#include <memory>
#include <optional>
#include <set>

#include "calendar/TimeText.h"
#include "calendar/WorkDate.h"
#include "officestore/OfficeStores.h"
#include "platform/IClock.h"
#include "platform/IFileWork.h"
#include "platform/IPrompt.h"
#include "platform/LocalTime.h"
#include "schedule/ScheduleChange.h"
#include "schedule/SchedulePlan.h"
#include "settings/ModeFiles.h"
#include "store/IPeopleStore.h"
#include "store/IWorkStore.h"
#include "text/JapaneseOrder.h"

namespace stampwell {

namespace {
// A save that keeps meeting new changes from other clocks gives up after this many questions.
constexpr int kMaxAttempts = 5;
}  // namespace

CReportEditSession::CReportEditSession(IWorkStore& report, const IPeopleStore& reg, IPrompt& prompt,
                                       int mode)
    : m_report(report), m_register(reg), m_prompt(prompt), m_mode(mode) {}

std::vector<std::string> CReportEditSession::Names() const {
    std::vector<std::string> names = m_register.GetAllNames();
    std::sort(names.begin(), names.end());
    names.erase(std::unique(names.begin(), names.end()), names.end());
    CJapaneseOrder::Sort(names);
    return names;
}

std::string CReportEditSession::TrailTime() const {
    auto tm = CLocalTime::ToLocal(m_clock->Now());
    if (!tm) return {};
    char text[32];
    std::strftime(text, sizeof text, "%Y/%m/%d %H:%M:%S", &*tm);
    return text;
}

std::string CReportEditSession::SideText(int side) const {
    const bool room = m_mode == kRoomMode;
    return side == 0 ? (room ? "入室" : "出社") : (room ? "退室" : "退社");
}

void CReportEditSession::ShowPathMessage() const {
    m_prompt.ShowMessage(m_mode == kRoomMode
                             ? "入退室時間を保存するファイルパスが無効です。\n保存はされません。"
                             : "勤務時間を保存するファイルパスが無効です。\n保存はされません。",
                         EMessageIcon::None);
}

void CReportEditSession::ShowFailure(IWorkStore::ESaveOutcome outcome) const {
    switch (outcome) {
        case IWorkStore::ESaveOutcome::kUnreachable:
            ShowPathMessage();
            break;
        case IWorkStore::ESaveOutcome::kBusy:
            m_prompt.ShowMessage(
                "他の端末が処理中のため、保存できませんでした。\nしばらくしてからもう一度保存"
                "してください。",
                EMessageIcon::None);
            break;
        case IWorkStore::ESaveOutcome::kNoSpace:
            m_prompt.ShowMessage(
                "ディスクの空き容量が足りないため、保存できませんでした。\n変更は画面に残って"
                "います。",
                EMessageIcon::None);
            break;
        default:
            m_prompt.ShowMessage(
                "勤務ファイルに書き込めませんでした。\n保存はされません。変更は画面に残って"
                "います。",
                EMessageIcon::None);
            break;
    }
}

bool CReportEditSession::RunFileWork(std::function<void()> job) {
    if (m_fileWork == nullptr) {
        job();
        return true;
    }
    return m_fileWork->Run(std::move(job));
}

void CReportEditSession::ShowShareAway() const {
    m_prompt.ShowMessage(
        "共有フォルダ（勤務ファイルの場所）が応答しないため、待つのをやめました。\n保存した場合、"
        "保存されたかどうかは、つながってからもう一度開いて確かめてください。",
        EMessageIcon::None);
}

void CReportEditSession::LoadMonth() {
    // Read on the file work's thread into a sheet of the job's own: the screen keeps painting
    // the one it shows meanwhile.
    struct Job {
        std::shared_ptr<IWorkStore> report;
        std::shared_ptr<IScheduleStore> schedule;
        CMonthSheet sheet;
        CWorkRules rules;
        CScheduleBook book;
        bool loaded = false;
    };
    auto job = std::make_shared<Job>();
    job->report = m_report.Twin();
    job->schedule = m_schedule;
    job->sheet = m_sheet;
    const std::string name = m_name;
    const int year = m_year, month = m_month;
    if (!RunFileWork([job, name, year, month] {
            job->loaded = job->sheet.Load(*job->report, name, year, month);
            // Read each time, so a change another administrator made meanwhile shows; off the
            // window's thread like the month, since they live on the same share or server.
            OpenRulesStore(job->report->Runtime())->Read(job->rules);
            if (job->schedule) job->schedule->Read(job->book, nullptr);
        })) {
        ShowShareAway();
        m_loadFailed = true;
        return;
    }
    m_sheet = job->sheet;
    m_loadFailed = !job->loaded;
    m_book = job->book;
    // A month in a closed period is figured by the rules it was closed with.
    m_rules = CScheduleChange::RulesOver(
        m_book,
        CWorkDate::NormalisedNumber(m_year, m_month, CWorkDate::DaysInMonth(m_year, m_month)),
        job->rules);
}

std::vector<WorkDayRecord> CReportEditSession::DaysWithLeadIn() const {
    std::vector<WorkDayRecord> days = m_sheet.LeadIn();
    days.insert(days.end(), m_sheet.Edited().begin(), m_sheet.Edited().end());
    return days;
}

std::vector<CScheduledTime::Day> CReportEditSession::ScheduledDays() const {
    if (!m_sheet.IsLoaded()) return {};
    const CSchedulePlan plan(m_book, m_rules, m_name);
    const auto days = DaysWithLeadIn();
    const auto payroll = CPayroll::ForDays(days, m_rules, TodayText(),
                                           [&plan](int date) { return plan.IsRestDay(date); });
    auto figures = CScheduledTime::ForDays(days, payroll, plan, nullptr, m_name, TodayText());
    figures.erase(figures.begin(),
                  figures.begin() + static_cast<std::ptrdiff_t>(m_sheet.LeadIn().size()));
    return figures;
}

std::string CReportEditSession::ClosedText() const {
    if (m_year <= 0) return {};
    const int days = CWorkDate::DaysInMonth(m_year, m_month);
    for (int day = 1; day <= days; ++day) {
        if (const auto* closed = m_book.ClosedOver(m_year * 10000 + m_month * 100 + day)) {
            return "締め済み（" +
                   CScheduleBook::PeriodText(closed->year, closed->month, closed->closing) + "、" +
                   closed->when + " " + closed->admin + "）";
        }
    }
    return {};
}

bool CReportEditSession::CloseMonth(int closing) {
    if (!m_schedule) return false;
    const std::string period = CScheduleBook::PeriodText(m_year, m_month, closing);
    if (m_modified) {
        m_prompt.ShowMessage("変更が保存されていません。保存してから締めてください。",
                             EMessageIcon::None);
        return false;
    }
    if (m_prompt.AskQuestion(period + "を締めますか？\n締めた期間の記録・有給休暇・勤務ルールは"
                                      "変更できなくなります。",
                             IPrompt::kNoAnswer) != IPrompt::kYes) {
        return false;
    }
    const auto outcome =
        CMonthClosing(m_schedule, m_prompt)
            .Close(m_report, m_fileWork, {m_year, m_month, closing}, m_rules, NowText(), m_adminId);
    return ClosingDone(outcome, period + "を締めました。");
}

bool CReportEditSession::ReopenMonth(int closing, const std::string& reason) {
    if (!m_schedule) return false;
    const auto outcome =
        CMonthClosing(m_schedule, m_prompt)
            .Reopen(m_fileWork, {m_year, m_month, closing}, NowText(), m_adminId, reason);
    return ClosingDone(
        outcome, CScheduleBook::PeriodText(m_year, m_month, closing) + "の締めを解除しました。");
}

std::string CReportEditSession::NowText() const {
    return m_clock != nullptr ? TrailTime().substr(0, 16) : std::string{};
}

bool CReportEditSession::ClosingDone(CMonthClosing::EOutcome outcome, const std::string& done) {
    if (outcome == CMonthClosing::EOutcome::kNoAnswer) ShowShareAway();
    if (outcome != CMonthClosing::EOutcome::kStored) return false;
    LoadMonth();  // the closed text and the rules kept with the close
    m_prompt.ShowMessage(done, EMessageIcon::None);
    return true;
}

CPayroll::Totals CReportEditSession::PayrollTotals() const {
    if (!m_sheet.IsLoaded()) return {};
    const CSchedulePlan plan(m_book, m_rules, m_name);
    return CPayroll::Add(DaysWithLeadIn(),
                         CWorkDate::NormalisedNumber(m_sheet.Year(), m_sheet.Month(), 1), m_rules,
                         TodayText(), [&plan](int date) { return plan.IsRestDay(date); });
}

bool CReportEditSession::Select(const std::string& name, int year, int month) {
    if (m_modified &&
        !m_prompt.AskYesNo("変更が保存されていません。\n変更を破棄して設定を変更しますか？")) {
        return false;
    }
    m_modified = false;
    m_name = name;
    m_year = year;
    m_month = month;
    LoadMonth();
    if (m_loadFailed) {
        // A work file that cannot be read is never replaced by a sheet.
        m_prompt.ShowMessage(m_mode == kRoomMode
                                 ? "入退室データを読み込めませんでした。\n保存はできません。"
                                 : "勤務データを読み込めませんでした。\n保存はできません。",
                             EMessageIcon::None);
    }
    return true;
}

bool CReportEditSession::Edit(int row, int column, const std::string& text) {
    // A day of a closed pay period is refused as it is typed, not only at saving.
    if (row >= 0 && row < static_cast<int>(m_sheet.Edited().size())) {
        std::string refusal;
        const int date = CWorkDate::Number(m_sheet.Edited()[static_cast<std::size_t>(row)].date);
        if (m_book.TouchesClosed(date, date, &refusal)) {
            m_prompt.ShowMessage(refusal, EMessageIcon::None);
            return false;
        }
    }
    auto checked = CTimeText::Check(text);
    if (!checked && text.find('_') != std::string::npos) {
        m_prompt.ShowMessage(
            "時刻が正しくありません。\n時と分をすべての桁に入力してください。"
            "（時刻を消すときは、すべての桁を消すかDeleteキーを押します）",
            EMessageIcon::None);
        return false;
    }
    if (!checked) {
        m_prompt.ShowMessage(
            "時刻が正しくありません。\n時は0～35、分は0～59の範囲で入力してください。"
            "（翌日の1:10は25:10）",
            EMessageIcon::None);
        return false;
    }
    if (!m_sheet.SetCell(row, column, *checked)) return false;
    m_modified = true;
    return true;
}

bool CReportEditSession::AskAboutConflicts(const std::vector<IWorkStore::CellConflict>& conflicts) {
    auto shown = [](const std::string& time) { return time.empty() ? std::string("なし") : time; };
    std::string text = "他の端末で変更された日があります。\n";
    for (const auto& conflict : conflicts) {
        char day[16];
        std::snprintf(day, sizeof day, "%02d/%02d", m_sheet.Month(), conflict.day);
        text += std::string("\n") + day + " " + SideText(conflict.side) + ": 読み込み時 " +
                shown(conflict.loaded) + " → 現在 " + shown(conflict.onDisk) + "（入力 " +
                shown(conflict.typed) + "）";
    }
    text +=
        "\n\n入力した時刻で上書きしますか？\n「いいえ」を選ぶと、これらの時刻は現在の値に"
        "戻ります。";
    return m_prompt.AskYesNo(text);
}

CReportEditSession::EAttempt CReportEditSession::Attempt(
    std::vector<IWorkStore::CellChange> changes, const std::string& reason) {
    for (int attempt = 0; attempt < kMaxAttempts; ++attempt) {
        // The save runs on the file work's thread with a work record object and values of its
        // own: if the administrator stops waiting for a share that does not answer, it finishes
        // (or fails) by itself later, touching nothing of the screen's.
        struct Job {
            std::shared_ptr<IWorkStore> report;
            std::string name;
            int year = 0, month = 0;
            std::optional<IWorkStore::TrailMark> trail;
            std::vector<IWorkStore::CellChange> changes;
            std::vector<IWorkStore::CellConflict> conflicts;
            bool trailFailed = false;
            IWorkStore::ESaveOutcome outcome = IWorkStore::ESaveOutcome::kFailed;
        };
        auto job = std::make_shared<Job>();
        job->report = m_report.Twin();
        job->name = m_sheet.Name();
        job->year = m_sheet.Year();
        job->month = m_sheet.Month();
        if (m_clock != nullptr) {
            job->trail =
                IWorkStore::TrailMark{TrailTime(), m_adminId, reason, SideText(0), SideText(1)};
        }
        job->changes = changes;
        const bool waited = RunFileWork([job] {
            job->outcome = job->report->SaveMonth(
                job->name, job->year, job->month, job->changes, &job->conflicts,
                job->trail ? &*job->trail : nullptr, &job->trailFailed);
        });
        if (!waited) {
            ShowShareAway();
            return EAttempt::kFailed;
        }
        const auto outcome = job->outcome;
        const bool trailFailed = job->trailFailed;
        const std::vector<IWorkStore::CellConflict> conflicts = job->conflicts;
        if (outcome == IWorkStore::ESaveOutcome::kSaved) return EAttempt::kSaved;
        if (trailFailed) {
            m_prompt.ShowMessage("修正履歴を記録できませんでした。\n保存はされません。",
                                 EMessageIcon::None);
            return EAttempt::kFailed;
        }
        if (outcome != IWorkStore::ESaveOutcome::kConflict) {
            ShowFailure(outcome);
            return EAttempt::kFailed;
        }
        if (!AskAboutConflicts(conflicts)) {
            // The administrator keeps what the other clock wrote: those cells show it now.
            for (const auto& conflict : conflicts) {
                m_sheet.TakeFromDisk(conflict.day - 1, conflict.side, conflict.onDisk);
            }
            return EAttempt::kStopped;
        }
        // Over the value on disk now, which the trail records as the one replaced.
        for (auto& change : changes) {
            for (const auto& conflict : conflicts) {
                if (change.day == conflict.day && change.side == conflict.side) {
                    change.before = conflict.onDisk;
                }
            }
        }
    }
    ShowFailure(IWorkStore::ESaveOutcome::kBusy);
    return EAttempt::kFailed;
}

bool CReportEditSession::Save(const std::string& reason) {
    if (Names().empty() || m_name.empty()) {
        m_prompt.ShowMessage("登録ユーザーが指定されていないため保存できません。",
                             EMessageIcon::None);
        return false;
    }
    if (!IWorkStore::IsTrailStorable(reason)) {
        m_prompt.ShowMessage("修正理由にカンマや改行は使えません。", EMessageIcon::None);
        return false;
    }
    // Saving changes records of the pay period: only somebody's answer saves, never a timer.
    if (m_prompt.AskQuestion("このデータで保存しますか？", IPrompt::kNoAnswer) != IPrompt::kYes) {
        return false;
    }
    if (m_loadFailed) {
        ShowPathMessage();
        return false;
    }
    if (m_sheet.IsLoaded() && m_schedule) {
        // The closings as stored now: a period closed since the month was shown refuses too.
        auto job = std::make_shared<std::pair<CScheduleBook, bool>>();
        auto store = m_schedule;
        if (!RunFileWork([job, store] { job->second = store->Read(job->first, nullptr); })) {
            ShowShareAway();
            return false;
        }
        if (!job->second) {
            m_prompt.ShowMessage("締めの記録を読めないため、保存していません。",
                                 EMessageIcon::None);
            return false;
        }
        for (const auto& change : m_sheet.Changes()) {
            const int date = m_year * 10000 + m_month * 100 + change.day;
            std::string refusal;
            if (job->first.TouchesClosed(date, date, &refusal)) {
                m_prompt.ShowMessage(refusal, EMessageIcon::None);
                return false;
            }
        }
    }
    if (m_sheet.IsLoaded()) {
        const auto result = Attempt(m_sheet.Changes(), reason);
        if (result == EAttempt::kFailed) return false;  // the changes stay on screen, unsaved
        if (result == EAttempt::kStopped) {
            m_modified = !m_sheet.Changes().empty();
            // Nothing was written: the administrator must not take the rest for saved.
            m_prompt.ShowMessage(
                m_modified ? "保存していません。\n他の端末で変更された時刻は、現在の値に戻しました"
                             "。\nほかの変更は画面に残っています。保存するには、もう一度「保存」"
                             "を押してください。"
                           : "保存していません。\n他の端末で変更された時刻は、現在の値に戻しました"
                             "。",
                EMessageIcon::None);
            return false;
        }
        // What is on disk now: the screen, its totals and the next save start from it.
        LoadMonth();
    }
    m_modified = false;
    m_prompt.ShowMessage(
        m_mode == kRoomMode ? "入退室編集が完了しました。" : "出退勤編集が完了しました。",
        EMessageIcon::None);
    return true;
}

bool CReportEditSession::MayClose() {
    if (m_modified &&
        !m_prompt.AskYesNo("変更が保存されていません。\n変更を破棄して編集を終了しますか？")) {
        return false;
    }
    m_modified = false;
    return true;
}

}  // namespace stampwell
