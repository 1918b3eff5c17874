#include "settings/WorkRulesDialog.h"

#include <QComboBox>
#include <QDate>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QVBoxLayout>

#include "admin_ui/DateField.h"
#include "admin_ui/DialogParts.h"
#include "admin_ui/RulesWait.h"
#include "admin_ui/ShareWait.h"
#include "controller/RecorderController.h"
#include "leave/LeaveDate.h"
#include "officestore/OfficeStores.h"
#include "platform/IPrompt.h"
#include "platform/KeptMessage.h"
#include "settings/EnvironmentSettings.h"
#include "settings/WorkRulesForm.h"
#include "store/RulesStoreChange.h"

namespace stampwell {

namespace {
constexpr const char* kWeekdays[] = {"日曜日", "月曜日", "火曜日", "水曜日",
                                     "木曜日", "金曜日", "土曜日"};
}  // namespace

CWorkRulesDialog::CWorkRulesDialog(CRecorderController& controller, QWidget* parent)
    : QDialog(parent, DialogFlags()), m_controller(controller) {
    setWindowTitle(QString::fromUtf8("勤務ルール設定"));
    auto* layout = new QVBoxLayout(this);  // the dialog owns its layout and widgets
    auto* intro = new QLabel(
        QString::fromUtf8("記録の編集画面の集計と集計表（stampwell-cli report）の休憩・残業・"
                          "深夜・休日の計算に使うルールです。"),
        this);
    intro->setWordWrap(true);
    layout->addWidget(intro);

    auto* breaks = new QGroupBox(QString::fromUtf8("休憩"), this);
    auto* breaksGrid = new QGridLayout(breaks);
    m_legal = new QRadioButton(
        QString::fromUtf8("法定（6時間を超える日は45分、8時間を超える日は60分）"), breaks);
    m_fixed = new QRadioButton(QString::fromUtf8("固定の時間帯:"), breaks);
    m_windows = new QLineEdit(breaks);
    m_windows->setPlaceholderText(QStringLiteral("12:00-13:00 15:00-15:15"));
    m_windows->setAccessibleName(QString::fromUtf8("休憩時間帯"));
    m_note = new QLabel(
        QString::fromUtf8("時間帯は空白で区切ります。勤務がかかった分だけ差し引きます。"), breaks);
    breaksGrid->addWidget(m_legal, 0, 0, 1, 2);
    breaksGrid->addWidget(m_fixed, 1, 0);
    breaksGrid->addWidget(m_windows, 1, 1);
    breaksGrid->addWidget(m_note, 2, 1);
    layout->addWidget(breaks);

    auto* week = new QGroupBox(QString::fromUtf8("週と休日"), this);
    auto* weekGrid = new QGridLayout(week);
    m_weekStart = new QComboBox(week);
    m_restDay = new QComboBox(week);
    for (const char* day : kWeekdays) {
        m_weekStart->addItem(QString::fromUtf8(day));
        m_restDay->addItem(QString::fromUtf8(day));
    }
    m_restDay->addItem(QString::fromUtf8("なし"));
    weekGrid->addWidget(new QLabel(QString::fromUtf8("週の起算日:"), week), 0, 0);
    weekGrid->addWidget(m_weekStart, 0, 1);
    weekGrid->addWidget(new QLabel(QString::fromUtf8("法定休日:"), week), 1, 0);
    weekGrid->addWidget(m_restDay, 1, 1);
    m_weekHours = new QComboBox(week);
    m_weekHours->addItem(QString::fromUtf8("40時間"));
    m_weekHours->addItem(QString::fromUtf8("44時間（特例措置対象事業場）"));
    m_weekHours->setToolTip(QString::fromUtf8(
        "44時間は、常時10人未満の商業・映画演劇業・保健衛生業・接客娯楽業の事業場だけです。"));
    weekGrid->addWidget(new QLabel(QString::fromUtf8("週の法定労働時間:"), week), 2, 0);
    weekGrid->addWidget(m_weekHours, 2, 1);
    m_agreementStart = new QComboBox(week);
    for (int month = 1; month <= 12; ++month) {
        m_agreementStart->addItem(QString::fromUtf8("%1月").arg(month));
    }
    weekGrid->addWidget(new QLabel(QString::fromUtf8("36協定の起算月:"), week), 3, 0);
    weekGrid->addWidget(m_agreementStart, 3, 1);
    m_specialClause = new QComboBox(week);
    m_specialClause->addItem(QString::fromUtf8("あり"));
    m_specialClause->addItem(QString::fromUtf8("なし（月45時間・年360時間が上限）"));
    weekGrid->addWidget(new QLabel(QString::fromUtf8("36協定の特別条項:"), week), 4, 0);
    weekGrid->addWidget(m_specialClause, 4, 1);
    m_rounding = new QComboBox(week);
    m_rounding->addItem(QString::fromUtf8("しない"));
    m_rounding->addItem(QString::fromUtf8("1か月の合計を30分単位で丸める"));
    weekGrid->addWidget(new QLabel(QString::fromUtf8("月の端数処理:"), week), 5, 0);
    weekGrid->addWidget(m_rounding, 5, 1);
    weekGrid->setColumnStretch(2, 1);
    layout->addWidget(week);

    auto* fromRow = new QHBoxLayout();
    fromRow->addWidget(new QLabel(QString::fromUtf8("適用開始日:"), this));
    m_from = new CDateField(this);
    fromRow->addWidget(m_from);
    auto* fromNote = new QLabel(
        QString::fromUtf8("この日より前に終わる締め期間は、前のルールで集計します。"), this);
    fromNote->setWordWrap(true);
    fromRow->addWidget(fromNote, 1);
    layout->addLayout(fromRow);

    AddOkCancel(*this, *layout, [this] { OnOk(); });
    connect(m_fixed, &QRadioButton::toggled, this, [this] { ShowBreakKind(); });
    SetDialogUnitsWidth(*this, 260);
}

int CWorkRulesDialog::Run() {
    if (!Prepare()) return QDialog::Rejected;
    return exec();
}

bool CWorkRulesDialog::Prepare() {
    // Saving over rules that were never read would put the defaults in their place.
    const auto read = ReadRulesWaiting(*this, m_controller);
    if (!read) return false;
    m_shown = read->rules;
    const std::vector<std::string>& unread = read->unread;
    if (!unread.empty()) {
        std::string said = "勤務ルールのファイルに読めない値があります。";
        for (const auto& key : unread) said += "\n" + CWorkRules::UnreadWarning(key);
        m_controller.Prompt().ShowMessage(said, EMessageIcon::None);
    }
    const bool fixed = m_shown.breaks == CWorkRules::EBreaks::kFixed;
    (fixed ? m_fixed : m_legal)->setChecked(true);
    m_windows->setText(QString::fromStdString(CWorkRules::WindowsText(m_shown.windows)));
    m_weekStart->setCurrentIndex(m_shown.weekStart);
    m_restDay->setCurrentIndex(m_shown.restDay == CWorkRules::kNoRestDay ? 7 : m_shown.restDay);
    m_weekHours->setCurrentIndex(m_shown.weekHours == 44 ? 1 : 0);
    m_agreementStart->setCurrentIndex(m_shown.agreementStart - 1);
    m_specialClause->setCurrentIndex(m_shown.specialClause ? 0 : 1);
    m_rounding->setCurrentIndex(m_shown.monthlyRounding ? 1 : 0);
    const int today = CLeaveDate::Today(m_controller.Runtime().Clock());
    m_from->setDate(QDate(today / 10000, today / 100 % 100, today % 100));
    ShowBreakKind();
    return true;
}

void CWorkRulesDialog::ShowBreakKind() {
    m_windows->setEnabled(m_fixed->isChecked());
    m_note->setEnabled(m_fixed->isChecked());
}

bool CWorkRulesDialog::OnOk() {
    CWorkRulesForm::Texts texts;
    texts.breaks = CWorkRules::BreaksText(m_fixed->isChecked() ? CWorkRules::EBreaks::kFixed
                                                               : CWorkRules::EBreaks::kLegal);
    texts.windows = m_windows->text().trimmed().toStdString();
    // With legal breaks the windows are not in use (and cannot be typed): a text left there
    // that does not read stops nothing.
    if (!m_fixed->isChecked() && !CWorkRules::ParseWindows(texts.windows)) {
        texts.windows = CWorkRules::WindowsText(m_shown.windows);
    }
    texts.weekStart = CWorkRules::WeekdayText(m_weekStart->currentIndex());
    const int rest = m_restDay->currentIndex();
    texts.restDay = CWorkRules::WeekdayText(rest == 7 ? CWorkRules::kNoRestDay : rest);
    texts.weekHours = m_weekHours->currentIndex() == 1 ? "44" : "40";
    texts.agreementStart = std::to_string(m_agreementStart->currentIndex() + 1);
    texts.specialClause = m_specialClause->currentIndex() == 0 ? "あり" : "なし";
    texts.rounding = CWorkRules::RoundingText(m_rounding->currentIndex() == 1);
    IPrompt& prompt = m_controller.Prompt();
    const QDate from = m_from->date();
    if (!from.isValid()) {
        prompt.ShowMessage("適用開始日は 2026/12/01 のように、ある日付を入れてください。",
                           EMessageIcon::None);
        return false;
    }
    auto typed = CWorkRulesForm::Read(texts, m_shown, prompt);
    if (!typed) return false;
    // Both stores may be on a share or a server: the change runs off the window's thread.
    struct Job {
        std::shared_ptr<IRulesStore> rules;
        std::shared_ptr<IScheduleStore> schedule;
        CKeptMessage messages;
        bool stored = false;
    };
    auto job = std::make_shared<Job>();
    job->rules = OpenRulesStore(m_controller.Runtime());
    job->schedule = OpenScheduleStore(m_controller.Runtime(), *m_controller.GetSettings());
    const int fromDate = from.year() * 10000 + from.month() * 100 + from.day();
    const CWorkRules shown = m_shown;
    const CWorkRules changed = *typed;
    CShareWait wait(this);
    if (!wait.Run([job, fromDate, shown, changed] {
            job->stored = CRulesStoreChange::Apply(
                *job->rules, *job->schedule, fromDate,
                [&](CWorkRules& stored) { return CWorkRulesForm::Merge(stored, shown, changed); },
                job->messages);
        })) {
        prompt.ShowMessage(
            "共有フォルダ（勤務ルールの場所）が応答しないため、待つのをやめました。\n保存された"
            "かどうかは、つながってからもう一度開いて確かめてください。",
            EMessageIcon::None);
        return false;
    }
    if (!job->stored) {
        prompt.ShowMessage(job->messages.Said(), EMessageIcon::None);
        return false;
    }
    accept();
    return true;
}

}  // namespace stampwell
