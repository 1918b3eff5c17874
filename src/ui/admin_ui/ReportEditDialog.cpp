#include "admin_ui/ReportEditDialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QVBoxLayout>
#include <ctime>
#include <filesystem>

#include "admin_ui/DialogParts.h"
#include "admin_ui/ShareWait.h"
#include "admin_ui/TimeCellEdit.h"
#include "admin_ui/TimeGrid.h"
#include "calendar/WorkDate.h"
#include "controller/RecorderController.h"
#include "corrections/ReportEditSession.h"
#include "leave/LeaveBook.h"
#include "leave/LeaveLedger.h"
#include "officestore/OfficeStores.h"
#include "platform/IPrompt.h"
#include "platform/LocalTime.h"
#include "reporting/TimesheetPainter.h"
#include "reporting/WorkSummary.h"
#include "schedule/SchedulePlan.h"
#include "settings/EnvironmentSettings.h"
#include "settings/ModeFiles.h"
#include "store/IAdminStore.h"
#include "store/IPeopleStore.h"
#include "store/IWorkStore.h"

namespace stampwell {

CReportEditDialog::CReportEditDialog(CRecorderController& controller, QWidget* parent)
    : QDialog(parent, DialogFlags()),
      m_controller(controller),
      m_mode(CModeFiles::ReadMode(controller.Runtime().DataDir())) {
    setWindowTitle(QString::fromUtf8(m_mode == kRoomMode ? "入退室編集" : "出退勤編集"));
    // A work-record object of the screen's own: the month it shows is its state alone.
    m_work = OpenWorkStore(controller.Runtime());
    m_work->SetSettings(controller.GetSettings());
    m_session = std::make_unique<CReportEditSession>(*m_work, *controller.GetRegister(),
                                                     controller.Prompt(), m_mode);
    // Reading and saving the month never hold the window: a shared folder may hang.
    m_shareWait = std::make_unique<CShareWait>(this);
    m_session->SetFileWork(m_shareWait.get());
    m_session->SetScheduleStore(OpenScheduleStore(controller.Runtime(), *controller.GetSettings()));

    auto* layout = new QVBoxLayout(this);  // the dialog owns its layout and widgets
    auto* top = new QGridLayout();
    m_users = new QComboBox(this);
    m_year = new QSpinBox(this);
    m_year->setRange(0, 9000);
    m_month = new QComboBox(this);
    for (int month = 1; month <= 12; ++month) m_month->addItem(QString::number(month));
    top->addWidget(new QLabel(QString::fromUtf8("登録ユーザー:"), this), 0, 0);
    top->addWidget(m_users, 0, 1, 1, 3);
    top->addWidget(new QLabel(QString::fromUtf8("年度:"), this), 1, 0);
    top->addWidget(m_year, 1, 1);
    top->addWidget(new QLabel(QString::fromUtf8("月度:"), this), 1, 2);
    top->addWidget(m_month, 1, 3);
    layout->addLayout(top);

    m_grid = new CTimeGrid(this);
    m_model = new CMonthSheetModel(m_session->Sheet(), m_mode, m_grid);
    m_grid->setModel(m_model);
    m_grid->setMinimumHeight(360);
    layout->addWidget(m_grid, 1);
    m_totals = new QLabel(this);
    // A legal warning is never cut: the lines wrap and the label grows with them.
    m_totals->setWordWrap(true);
    m_totals->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Minimum);
    layout->addWidget(m_totals);
    auto* reasonRow = new QHBoxLayout();
    reasonRow->addWidget(new QLabel(QString::fromUtf8("修正理由"), this));
    m_reason = new QLineEdit(this);
    reasonRow->addWidget(m_reason, 1);
    layout->addLayout(reasonRow);
    auto* closingRow = new QHBoxLayout();
    closingRow->addWidget(new QLabel(QString::fromUtf8("締め日:"), this));
    m_closingDay = new QComboBox(this);
    for (const char* day : {"5日", "10日", "15日", "20日", "25日", "末締め"}) {
        m_closingDay->addItem(QString::fromUtf8(day));
    }
    m_closingDay->setCurrentIndex(5);
    closingRow->addWidget(m_closingDay);
    QPushButton* closeMonth = new QPushButton(QString::fromUtf8("締める"), this);
    QPushButton* reopenMonth = new QPushButton(QString::fromUtf8("締め解除"), this);
    closeMonth->setAutoDefault(false);
    reopenMonth->setAutoDefault(false);
    closingRow->addWidget(closeMonth);
    closingRow->addWidget(reopenMonth);
    closingRow->addStretch(1);
    layout->addLayout(closingRow);
    // Which period is closed, by whom and when: a line of its own, never cut.
    m_closed = new QLabel(this);
    m_closed->setWordWrap(true);
    m_closed->setStyleSheet(QStringLiteral("color: rgb(160, 0, 0);"));
    layout->addWidget(m_closed);
    connect(closeMonth, &QPushButton::clicked, this, [this] { OnCloseMonth(); });
    connect(reopenMonth, &QPushButton::clicked, this, [this] { OnReopenMonth(); });

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* save = buttons->addButton(QString::fromUtf8("保存"), QDialogButtonBox::ActionRole);
    QPushButton* close =
        buttons->addButton(QString::fromUtf8("閉じる"), QDialogButtonBox::RejectRole);
    QPushButton* print =
        buttons->addButton(QString::fromUtf8("印刷…"), QDialogButtonBox::ActionRole);
    QPushButton* pdf =
        buttons->addButton(QString::fromUtf8("PDF保存…"), QDialogButtonBox::ActionRole);
    save->setAutoDefault(false);
    close->setAutoDefault(false);
    print->setAutoDefault(false);
    pdf->setAutoDefault(false);
    connect(print, &QPushButton::clicked, this, [this] { OnPrint(); });
    connect(pdf, &QPushButton::clicked, this, [this] { OnSavePdf(); });
    layout->addWidget(buttons);
    connect(save, &QPushButton::clicked, this, [this] { OnSave(); });
    connect(close, &QPushButton::clicked, this, [this] { reject(); });
    connect(m_users, &QComboBox::currentIndexChanged, this, [this] { OnSelectionChanged(); });
    connect(m_year, &QSpinBox::valueChanged, this, [this] { OnSelectionChanged(); });
    connect(m_month, &QComboBox::currentIndexChanged, this, [this] { OnSelectionChanged(); });
    m_grid->SetCellEdited(
        [this](int row, int column, std::optional<std::string> text, bool modified) {
            if (text) m_session->Edit(row, column, *text);
            // Typing and then Esc still counts as a change.
            if (modified && !text) m_session->MarkModified();
            Refresh();
            m_grid->setCurrentIndex(m_model->index(row, column));
        });
    SetDialogUnitsWidth(*this, 290);
}

CReportEditDialog::~CReportEditDialog() = default;

int CReportEditDialog::Run() {
    Prepare();
    return exec();
}

void CReportEditDialog::Prepare() {
    m_leaveKey.clear();  // each opening reads the leave again
    auto today = CLocalTime::ToLocal(m_controller.Runtime().Clock().Now());
    {
        const QSignalBlocker blockUsers(m_users);
        const QSignalBlocker blockYear(m_year);
        const QSignalBlocker blockMonth(m_month);
        m_users->clear();
        for (const auto& name : m_session->Names()) m_users->addItem(QString::fromStdString(name));
        m_users->setCurrentIndex(m_users->count() > 0 ? 0 : -1);
        m_year->setValue(today ? today->tm_year + 1900 : 2000);
        m_month->setCurrentIndex(today ? today->tm_mon : 0);
    }
    m_reason->clear();
    m_session->SetTrail(
        m_controller.GetAdminStore() ? m_controller.GetAdminStore()->GetLoginId() : std::string{},
        &m_controller.Runtime().Clock());
    m_session->Select(m_users->currentText().toStdString(), m_year->value(),
                      m_month->currentIndex() + 1);
    Refresh();
    if (m_model->rowCount() > 0) m_grid->setCurrentIndex(m_model->index(0, 1));
}

void CReportEditDialog::ShowSelection() {
    const QSignalBlocker blockUsers(m_users);
    const QSignalBlocker blockYear(m_year);
    const QSignalBlocker blockMonth(m_month);
    m_users->setCurrentIndex(m_users->findText(QString::fromStdString(m_session->ShownName())));
    m_year->setValue(m_session->ShownYear());
    m_month->setCurrentIndex(m_session->ShownMonth() - 1);
}

void CReportEditDialog::OnSelectionChanged() {
    // An open editor's text belongs to the month it was typed into.
    m_grid->CommitEditor();
    if (!m_session->Select(m_users->currentText().toStdString(), m_year->value(),
                           m_month->currentIndex() + 1)) {
        ShowSelection();  // the changes were kept: so is the month they belong to
        return;
    }
    Refresh();
}

void CReportEditDialog::Refresh() {
    const std::string today = m_session->TodayText();
    m_model->Reload(today);
    auto totals = CWorkSummary::Add(m_session->Sheet().Edited(), today);
    // The person's paid leave of the month: shown on its days, and no 打刻漏れ on a whole day.
    // Read once per person and month shown, not at every edit of a cell.
    const std::string leaveKey = m_users->currentText().toStdString() + "/" +
                                 std::to_string(m_year->value()) + "/" +
                                 std::to_string(m_month->currentIndex());
    if (leaveKey != m_leaveKey) {
        // The book lives beside the register, maybe on a share: read on a thread of its own.
        struct Job {
            CLeaveBook book;
            bool read = false;
        };
        auto job = std::make_shared<Job>();
        auto store = OpenLeaveStore(m_controller.Runtime(), *m_controller.GetSettings());
        const bool finished = m_shareWait->Run([job, store] {
            std::string unread;
            job->read = store->Read(job->book, &unread);
        });
        m_leave = finished && job->read ? job->book : CLeaveBook{};
        m_leaveKey = leaveKey;
    }
    std::map<std::string, std::string> leaveDays;
    int leaveHalves = 0;
    {
        for (const auto& day : m_session->Sheet().Edited()) {
            auto part =
                m_leave.TakenOn(m_users->currentText().toStdString(), CWorkDate::Number(day.date));
            if (!part) continue;
            leaveHalves += CLeaveBook::Halves(*part);
            const bool tapped = !day.start.empty() || !day.end.empty();
            leaveDays[day.date] = *part != CLeaveBook::EPart::kWhole
                                      ? std::string(CLeaveBook::PartText(*part)) + "有休"
                                  : tapped ? "有休（打刻あり）"
                                           : "有休";
            if (*part == CLeaveBook::EPart::kWhole) std::erase(totals.missingDates, day.date);
        }
    }
    m_model->SetLeaveDays(std::move(leaveDays));
    const bool room = m_mode == kRoomMode;
    QString text = QString::fromUtf8(room ? "在室日数: %1日　合計: %2　打刻漏れ: %3日"
                                          : "出勤日数: %1日　合計: %2　打刻漏れ: %3日")
                       .arg(totals.daysWorked)
                       .arg(QString::fromStdString(CWorkSummary::FormatMinutes(totals.minutes)))
                       .arg(totals.missingDates.size());
    if (!totals.inconsistentDates.empty()) {
        text += QString::fromUtf8("　時刻不整合: %1日").arg(totals.inconsistentDates.size());
    }
    if (leaveHalves > 0) {
        text += QString::fromUtf8("　有休: %1日")
                    .arg(QString::fromStdString(CLeaveLedger::Days(leaveHalves)));
    }
    // The month in payroll terms, under the office's work rules.
    const auto pay = m_session->PayrollTotals();
    auto hours = [](int minutes) {
        return QString::fromStdString(CWorkSummary::FormatMinutes(minutes));
    };
    text +=
        QString::fromUtf8("\n実労働: %1　残業: %2　深夜: %3　休日: %4")
            .arg(hours(pay.worked), hours(pay.overtime), hours(pay.lateNight), hours(pay.restDay));
    if (!pay.shortBreakDates.empty()) {
        text += QString::fromUtf8("\n休憩不足: %1日").arg(pay.shortBreakDates.size());
    }
    m_model->SetShortBreakDates(pay.shortBreakDates);
    if (!pay.limit.empty())
        text += QString::fromUtf8("\n残業上限: ") + QString::fromStdString(pay.limit);
    // The overtime with the 50% premium, on a line of its own.
    if (pay.overSixty > 0) {
        text += QString::fromUtf8("\n60時間超残業: %1").arg(hours(pay.overSixty));
    }
    // The scheduled hours, when the person follows a pattern; holidays and days off in the grid.
    const auto plans = m_session->ScheduledDays();
    std::vector<CMonthSheetModel::DayNote> notes;
    for (const auto& day : plans) {
        CMonthSheetModel::DayNote note;
        using EKind = CSchedulePlan::EKind;
        note.off = day.plan.kind == EKind::kDayOff || day.plan.kind == EKind::kRestDay ||
                   (!day.plan.holiday.empty() && day.plan.kind == EKind::kUnscheduled);
        note.text = day.plan.holiday;
        auto add = [&note](const char* word) {
            note.text += (note.text.empty() ? "" : "・") + std::string(word);
        };
        if (day.plan.swapped) add("振替");
        if (day.plan.inLieu) add("代休");
        if (day.absent) add("欠勤");
        notes.push_back(std::move(note));
    }
    m_model->SetDayNotes(std::move(notes));
    const auto scheduled = CScheduledTime::Add(m_session->Sheet().Edited(), plans, 0);
    if (scheduled.scheduled) {
        text += QString::fromUtf8("\n所定: %1日　遅刻: %2回 %3　早退: %4回 %5　欠勤: %6日")
                    .arg(scheduled.scheduledDays)
                    .arg(scheduled.lateCount)
                    .arg(hours(scheduled.late))
                    .arg(scheduled.earlyCount)
                    .arg(hours(scheduled.early))
                    .arg(scheduled.absentDays);
        text += QString::fromUtf8("\n法定内残業: %1　所定休日労働: %2")
                    .arg(hours(scheduled.withinOvertime), hours(scheduled.dayOffWork));
        if (scheduled.daysInLieu > 0) {
            text += QString::fromUtf8("　代休: %1日").arg(scheduled.daysInLieu);
        }
    }
    m_closed->setText(QString::fromStdString(m_session->ClosedText()));
    m_closed->setVisible(!m_closed->text().isEmpty());  // no blank line for an open month
    m_totals->setText(text);
    // The window grows with the lines rather than squeezing the grid.
    if (layout() != nullptr) layout()->activate();
    if (height() < sizeHint().height()) resize(width(), sizeHint().height());
}

bool CReportEditDialog::CollectTimesheet(std::vector<CTimesheet::Page>& pages) {
    IPrompt& prompt = m_controller.Prompt();
    if (m_session->IsModified()) {
        prompt.ShowMessage("変更が保存されていません。\n保存してから印刷してください。",
                           EMessageIcon::None);
        return false;
    }
    const std::string shown = m_users->currentText().toStdString();
    const bool everyone =
        prompt.AskQuestion(
            "この月の全員の出勤簿にしますか？\n「いいえ」のときは " + shown + " さんの分だけです。",
            IPrompt::kNo) == IPrompt::kYes;
    // Everything the pages need is read on a thread of its own: the work file, the leave book
    // and the register may be on a share that hangs.
    struct Job {
        std::shared_ptr<IWorkStore> report;
        std::shared_ptr<IPeopleStore> reg;
        std::shared_ptr<ILeaveStore> leave;
        std::shared_ptr<IRulesStore> rules;
        std::shared_ptr<IScheduleStore> schedule;
        int year = 0, month = 0;
        std::string onlyName, refusal;
        std::vector<CTimesheet::Page> pages;
        bool collected = false;
    };
    auto job = std::make_shared<Job>();
    job->report = m_work->Twin();
    if (m_controller.GetRegister() != nullptr) {
        job->reg = m_controller.GetRegister()->Clone();
    }
    job->leave = OpenLeaveStore(m_controller.Runtime(), *m_controller.GetSettings());
    job->rules = OpenRulesStore(m_controller.Runtime());
    job->schedule = OpenScheduleStore(m_controller.Runtime(), *m_controller.GetSettings());
    job->year = m_year->value();
    job->month = m_month->currentIndex() + 1;
    job->onlyName = everyone ? std::string{} : shown;
    const bool finished = m_shareWait->Run([job] {
        CWorkRules rules;
        job->rules->Read(rules);
        CLeaveBook leave;
        if (!job->leave->Read(leave, &job->refusal)) return;
        CScheduleBook schedule;
        if (!job->schedule->Read(schedule, &job->refusal)) return;
        // Every registered employee gets a page, with or without records in the month.
        std::vector<std::string> registered;
        if (job->reg) registered = job->reg->GetAllNames();
        // The calendar month the screen shows: the pay period closing at the month's end.
        job->collected =
            CTimesheet::Collect(*job->report, job->year, job->month, 5, job->onlyName, rules,
                                &leave, true, job->pages, &registered, &schedule);
        if (!job->collected || job->pages.empty()) job->refusal = "この月の記録がありません。";
    });
    if (!finished) {
        prompt.ShowMessage(
            "共有フォルダ（勤務ファイルの場所）が応答しないため、出勤簿の読み込みを"
            "やめました。",
            EMessageIcon::None);
        return false;
    }
    if (!job->refusal.empty()) {
        prompt.ShowMessage(job->refusal, EMessageIcon::None);
        return false;
    }
    pages = std::move(job->pages);
    return true;
}

std::string CReportEditDialog::MadeAt() const {
    char made[32] = {};
    if (auto now = CLocalTime::ToLocal(m_controller.Runtime().Clock().Now())) {
        std::strftime(made, sizeof made, "%Y/%m/%d %H:%M", &*now);
    }
    return made;
}

void CReportEditDialog::OnPrint() {
    std::vector<CTimesheet::Page> pages;
    if (!CollectTimesheet(pages)) return;
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(QString::fromUtf8("出勤簿"));
    const bool go = m_printRunner ? m_printRunner(printer) : [&] {
        QPrintDialog dialog(&printer, this);
        dialog.setWindowTitle(QString::fromUtf8("印刷"));
        return dialog.exec() == QDialog::Accepted;
    }();
    if (!go) return;
    if (!CTimesheetPainter::Paint(pages, printer, MadeAt())) {
        m_controller.Prompt().ShowMessage("印刷できませんでした。プリンターを確認してください。",
                                          EMessageIcon::None);
    }
}

void CReportEditDialog::OnSavePdf() {
    std::vector<CTimesheet::Page> pages;
    if (!CollectTimesheet(pages)) return;
    const QString suggested = QString::fromUtf8("%1年%2月 出勤簿.pdf")
                                  .arg(m_year->value())
                                  .arg(m_month->currentIndex() + 1);
    const QString chosen = m_pdfChooser ? m_pdfChooser(suggested) : [&] {
        QFileDialog dialog(this, QString::fromUtf8("PDF保存"),
                           QString::fromStdString(OutputFolder(m_controller.Runtime())) +
                               QLatin1Char('/') + suggested,
                           QString::fromUtf8("PDF (*.pdf)"));
        dialog.setOption(QFileDialog::DontUseNativeDialog);
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setDefaultSuffix(QStringLiteral("pdf"));
        dialog.setLabelText(QFileDialog::Accept, QString::fromUtf8("保存"));
        return dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty()
                   ? dialog.selectedFiles().front()
                   : QString();
    }();
    if (chosen.isEmpty()) return;
    if (m_work->IsStoredFile(chosen.toStdString())) {
        m_controller.Prompt().ShowMessage(
            "保存先に勤務ファイルや設定ファイルなど、保存データのファイルは指定できません。",
            EMessageIcon::None);
        return;
    }
    // The PDF may go to a share as well: written on a thread of its own (QPdfWriter paints off
    // the window's thread).
    auto written = std::make_shared<bool>(false);
    const bool finished = m_shareWait->Run(
        [written, pages = std::move(pages), path = chosen.toStdString(), made = MadeAt()] {
            *written = CTimesheetPainter::WritePdf(pages, path, made);
        });
    if (!finished) {
        m_controller.Prompt().ShowMessage("保存先のフォルダが応答しないため、待つのをやめました。",
                                          EMessageIcon::None);
        return;
    }
    if (!*written) {
        m_controller.Prompt().ShowMessage("PDFを保存できませんでした。保存先を確認してください。",
                                          EMessageIcon::None);
        return;
    }
    RememberOutputFolder(m_controller.Runtime(),
                         std::filesystem::path(chosen.toStdString()).parent_path().string());
    m_controller.Prompt().ShowMessage("出勤簿を保存しました。", EMessageIcon::None);
}

void CReportEditDialog::OnSave() {
    m_grid->CommitEditor();
    if (m_session->Save(m_reason->text().toStdString())) {
        m_reason->clear();
        // The times were read again after the save: so is the leave (another PC may have
        // cancelled a day off meanwhile).
        m_leaveKey.clear();
    }
    Refresh();
}

void CReportEditDialog::OnCloseMonth() {
    m_grid->CommitEditor();
    m_session->CloseMonth(m_closingDay->currentIndex());
    Refresh();
}

void CReportEditDialog::OnReopenMonth() {
    m_grid->CommitEditor();
    if (m_session->ReopenMonth(m_closingDay->currentIndex(), m_reason->text().toStdString())) {
        m_reason->clear();
    }
    Refresh();
}

void CReportEditDialog::reject() {
    m_grid->CommitEditor();
    if (!m_session->MayClose()) return;
    QDialog::reject();
}

}  // namespace stampwell
