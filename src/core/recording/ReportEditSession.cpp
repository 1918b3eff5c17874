#include "recording/ReportEditSession.h"

#include <algorithm>
#include <ctime>

#include "controller/IPrompt.h"
#include "people/RegisterFile.h"
#include "platform/IClock.h"
#include "platform/LocalTime.h"
#include "recording/EditLog.h"
#include "settings/ModeFiles.h"

namespace stampwell {

CReportEditSession::CReportEditSession(CWorkReport& report, const CRegisterFile& reg,
                                       IPrompt& prompt, int mode)
    : m_report(report), m_register(reg), m_prompt(prompt), m_mode(mode) {}

std::vector<std::string> CReportEditSession::Names() const {
    std::vector<std::string> names = m_register.GetAllNames();
    std::sort(names.begin(), names.end());
    names.erase(std::unique(names.begin(), names.end()), names.end());
    return names;
}

std::string CReportEditSession::TrailTime() const {
    auto tm = CLocalTime::ToLocal(m_clock->Now());
    if (!tm) return {};
    char text[32];
    std::strftime(text, sizeof text, "%Y/%m/%d %H:%M:%S", &*tm);
    return text;
}

void CReportEditSession::ShowPathMessage() const {
    m_prompt.ShowMessage(m_mode == kRoomMode
                             ? "入退室時間を保存するファイルパスが無効です。\n保存はされません。"
                             : "勤務時間を保存するファイルパスが無効です。\n保存はされません。",
                         EMessageIcon::None);
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
    m_loadFailed = !m_sheet.Load(m_report, name, year, month);
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
    if (!m_sheet.SetCell(row, column, text)) return false;
    m_modified = true;
    return true;
}

bool CReportEditSession::Save(const std::string& reason) {
    if (Names().empty() || m_name.empty()) {
        m_prompt.ShowMessage("登録ユーザーが指定されていないため保存できません。",
                             EMessageIcon::None);
        return false;
    }
    if (!CEditLog::IsStorable(reason)) {
        m_prompt.ShowMessage("修正理由にカンマや改行は使えません。", EMessageIcon::None);
        return false;
    }
    if (m_prompt.AskQuestion("このデータで保存しますか？") != IPrompt::kYes) return false;
    if (m_loadFailed) {
        ShowPathMessage();
        return false;
    }
    std::function<bool(const std::vector<CWorkReport::CellChange>&)> beforeReplace;
    std::function<void()> replaceFailed;
    bool trailFailed = false;
    if (m_clock != nullptr) {
        // The trail is on disk before the work file changes, under the work file's lock.
        const CEditLog log(m_report.ResolveWorkFilePath());
        const std::string when = TrailTime();
        const bool room = m_mode == kRoomMode;
        beforeReplace = [&, log, when, room](const std::vector<CWorkReport::CellChange>& changes) {
            std::vector<CEditLog::Entry> entries;
            for (const auto& change : changes) {
                entries.push_back(
                    {when, m_adminId, m_sheet.Name(),
                     CMonthSheet::DayText(m_sheet.Year(), m_sheet.Month(), change.day),
                     change.side == 0 ? (room ? "入室" : "出社") : (room ? "退室" : "退社"),
                     change.before, change.after, reason});
            }
            trailFailed = !log.Append(entries);
            return !trailFailed;
        };
        replaceFailed = [&, log, when] {
            log.Append(
                {{when, m_adminId, m_sheet.Name(), "", CEditLog::kSaveFailed, "", "", reason}});
        };
    }
    if (m_sheet.IsLoaded() &&
        !m_report.SaveMonth(m_sheet.Name(), m_sheet.Year(), m_sheet.Month(), m_sheet.Loaded(),
                            m_sheet.Edited(), beforeReplace, replaceFailed)) {
        if (trailFailed) {
            m_prompt.ShowMessage("修正履歴を記録できませんでした。\n保存はされません。",
                                 EMessageIcon::None);
            return false;
        }
        // The changes stay on screen, still unsaved.
        ShowPathMessage();
        return false;
    }
    m_sheet.MarkSaved();
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
