#include "settings/WorkRulesDialog.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QVBoxLayout>

#include "admin_ui/DialogParts.h"
#include "controller/RecorderController.h"
#include "officestore/OfficeStores.h"
#include "platform/IPrompt.h"
#include "settings/WorkRulesForm.h"

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
    weekGrid->setColumnStretch(2, 1);
    layout->addWidget(week);

    AddOkCancel(*this, *layout, [this] { OnOk(); });
    connect(m_fixed, &QRadioButton::toggled, this, [this] { ShowBreakKind(); });
    SetDialogUnitsWidth(*this, 260);
}

int CWorkRulesDialog::Run() {
    Prepare();
    return exec();
}

void CWorkRulesDialog::Prepare() {
    std::vector<std::string> unread;
    OpenRulesStore(m_controller.Runtime())->Read(m_shown, &unread);
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
    ShowBreakKind();
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
    IPrompt& prompt = m_controller.Prompt();
    auto typed = CWorkRulesForm::Read(texts, m_shown, prompt);
    if (!typed) return false;
    if (!OpenRulesStore(m_controller.Runtime())
             ->Apply(
                 [&](CWorkRules& stored) { return CWorkRulesForm::Merge(stored, m_shown, *typed); },
                 prompt)) {
        return false;
    }
    accept();
    return true;
}

}  // namespace stampwell
