#include "people/LeaveDialog.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTableWidget>
#include <QVBoxLayout>

#include "admin_ui/DateField.h"
#include "admin_ui/DialogParts.h"
#include "admin_ui/ShareWait.h"
#include "calendar/WorkDate.h"
#include "controller/RecorderController.h"
#include "diagnostics/ErrorLog.h"
#include "leave/LeaveChange.h"
#include "leave/LeaveDate.h"
#include "leave/LeaveLedger.h"
#include "leave/LeaveTables.h"
#include "officestore/OfficeStores.h"
#include "platform/IPrompt.h"
#include "platform/LocalTime.h"
#include "reporting/WorkedDay.h"
#include "settings/EnvironmentSettings.h"
#include "store/IPeopleStore.h"
#include "store/IWorkStore.h"
#include "store/LeaveStoreChange.h"
#include "text/JapaneseOrder.h"

namespace stampwell {

namespace {
int NumberOf(const QDate& date) {
    return date.year() * 10000 + date.month() * 100 + date.day();
}

QDate DateOf(int number) {
    return QDate(number / 10000, number / 100 % 100, number % 100);
}

void Fill(QTableWidget& table, const CLeaveTables::Table& rows) {
    table.clear();
    table.setRowCount(rows.empty() ? 0 : static_cast<int>(rows.size()) - 1);
    table.setColumnCount(rows.empty() ? 0 : static_cast<int>(rows.front().size()));
    QStringList titles;
    if (!rows.empty()) {
        for (const auto& title : rows.front()) titles << QString::fromStdString(title);
    }
    table.setHorizontalHeaderLabels(titles);
    for (std::size_t r = 1; r < rows.size(); ++r) {
        for (std::size_t c = 0; c < rows[r].size(); ++c) {
            auto* item = new QTableWidgetItem(QString::fromStdString(rows[r][c]));
            item->setTextAlignment(Qt::AlignCenter);
            table.setItem(static_cast<int>(r) - 1, static_cast<int>(c), item);
        }
    }
    table.resizeColumnsToContents();
}
}  // namespace

CLeaveDialog::CLeaveDialog(CRecorderController& controller, QWidget* parent)
    : QDialog(parent, DialogFlags()), m_controller(controller) {
    setWindowTitle(QString::fromUtf8("有給休暇"));
    auto* layout = new QVBoxLayout(this);  // the dialog owns its layout and widgets

    auto* who = new QGridLayout();
    m_users = new QComboBox(this);
    m_hired = new CDateField(this);
    m_daysPerWeek = new QComboBox(this);
    for (int days = 5; days >= 1; --days) {
        m_daysPerWeek->addItem(days == 5 ? QString::fromUtf8("5日以上（フルタイム）")
                                         : QString::fromUtf8("%1日").arg(days));
    }
    auto* setEmployee = new QPushButton(QString::fromUtf8("登録"), this);
    setEmployee->setAutoDefault(false);
    who->addWidget(new QLabel(QString::fromUtf8("登録ユーザー:"), this), 0, 0);
    who->addWidget(m_users, 0, 1, 1, 3);
    who->addWidget(new QLabel(QString::fromUtf8("入社日:"), this), 1, 0);
    who->addWidget(m_hired, 1, 1);
    who->addWidget(new QLabel(QString::fromUtf8("週の所定労働日数:"), this), 1, 2);
    who->addWidget(m_daysPerWeek, 1, 3);
    who->addWidget(setEmployee, 1, 4);
    layout->addLayout(who);

    auto* ledger = new QGroupBox(QString::fromUtf8("年次有給休暇管理簿"), this);
    auto* ledgerLayout = new QVBoxLayout(ledger);
    m_grants = new QTableWidget(ledger);
    // Tab leaves the table for the next control (取得, 閉じる); arrows move within it.
    m_grants->setTabKeyNavigation(false);
    m_grants->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grants->verticalHeader()->hide();
    m_grants->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_grants->setSelectionMode(QAbstractItemView::SingleSelection);
    m_balance = new QLabel(ledger);
    // Wide enough for either of its texts.
    m_withhold = new QPushButton(QString::fromUtf8("見送りを取り消す…"), ledger);
    m_withhold->setMinimumWidth(m_withhold->sizeHint().width());
    m_withhold->setAutoDefault(false);
    m_withhold->setToolTip(
        QString::fromUtf8("基準日までの1年の出勤率が8割に満たないときは、その付与を見送ります"));
    auto* below = new QHBoxLayout();
    below->addWidget(m_balance, 1);
    below->addWidget(m_withhold, 0, Qt::AlignTop);
    ledgerLayout->addWidget(m_grants);
    ledgerLayout->addLayout(below);
    layout->addWidget(ledger, 1);

    auto* taken = new QGroupBox(QString::fromUtf8("取得日"), this);
    auto* takenLayout = new QGridLayout(taken);
    m_days = new QTableWidget(taken);
    // Tab leaves the table for the next control (取得, 閉じる); arrows move within it.
    m_days->setTabKeyNavigation(false);
    m_days->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_days->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_days->setSelectionMode(QAbstractItemView::SingleSelection);
    m_days->verticalHeader()->hide();
    m_date = new CDateField(taken);
    m_part = new QComboBox(taken);
    for (const char* part : {"全日", "午前", "午後"}) m_part->addItem(QString::fromUtf8(part));
    auto* take = new QPushButton(QString::fromUtf8("取得"), taken);
    auto* cancel = new QPushButton(QString::fromUtf8("取消"), taken);
    take->setAutoDefault(false);
    cancel->setAutoDefault(false);
    takenLayout->addWidget(m_days, 0, 0, 1, 4);
    takenLayout->addWidget(m_date, 1, 0);
    takenLayout->addWidget(m_part, 1, 1);
    takenLayout->addWidget(take, 1, 2);
    takenLayout->addWidget(cancel, 1, 3);
    layout->addWidget(taken, 1);

    auto* close = new QPushButton(QString::fromUtf8("閉じる"), this);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    layout->addWidget(close, 0, Qt::AlignRight);

    connect(m_users, &QComboBox::currentIndexChanged, this, [this] { Refresh(); });
    connect(setEmployee, &QPushButton::clicked, this, [this] { OnSetEmployee(); });
    connect(take, &QPushButton::clicked, this, [this] { OnTake(); });
    connect(cancel, &QPushButton::clicked, this, [this] { OnCancel(); });
    connect(m_withhold, &QPushButton::clicked, this, [this] { OnWithhold(); });
    // 見送り acts only on a visible choice of a grant, and says what it will do.
    connect(m_grants, &QTableWidget::itemSelectionChanged, this, [this] { FollowGrantChoice(); });
    FollowGrantChoice();
    // 取消 acts only on a visible choice.
    cancel->setEnabled(false);
    connect(m_days, &QTableWidget::itemSelectionChanged, this,
            [this, cancel] { cancel->setEnabled(!m_days->selectedItems().isEmpty()); });
    resize(620, 560);
}

int CLeaveDialog::Run() {
    Prepare();
    return exec();
}

std::string CLeaveDialog::Name() const {
    return m_users->currentText().toStdString();
}

int CLeaveDialog::Today() const {
    return CLeaveDate::Today(m_controller.Runtime().Clock());
}

void CLeaveDialog::Prepare() {
    m_warned = false;
    const QSignalBlocker block(m_users);
    m_users->clear();
    std::vector<std::string> names;
    if (m_controller.GetRegister() != nullptr) names = m_controller.GetRegister()->GetAllNames();
    CJapaneseOrder::Sort(names);
    for (const auto& name : names) m_users->addItem(QString::fromStdString(name));
    m_date->setDate(DateOf(Today()));
    Refresh();
}

void CLeaveDialog::Refresh() {
    // Read on a thread of its own: the book lives beside the register, maybe on a share.
    struct Job {
        CLeaveBook book;
        std::string refusal;
        bool read = false;
    };
    auto job = std::make_shared<Job>();
    auto store = OpenLeaveStore(m_controller.Runtime(), *m_controller.GetSettings());
    CShareWait wait(this);
    if (!wait.Run([job, store] { job->read = store->Read(job->book, &job->refusal); })) {
        job = std::make_shared<Job>();
        job->refusal =
            "共有フォルダ（有給休暇のファイルの場所）が応答しないため、読み込みをやめました。";
    }
    if (!job->read) m_controller.Prompt().ShowMessage(job->refusal, EMessageIcon::None);
    const CLeaveBook book = job->read ? job->book : CLeaveBook{};
    if (!book.warnings.empty() && !m_warned) {
        // Once a window: a line left out of every figure is said, not hidden.
        m_warned = true;
        std::string said;
        for (const auto& warning : book.warnings) {
            said += (said.empty() ? "" : "\n") + warning;
            ErrorLog(m_controller.Runtime().DataDir(), __LINE__, warning + " (CLeaveBook::Load)",
                     __FILE__, &m_controller.Runtime().Clock());
        }
        m_controller.Prompt().ShowMessage(said, EMessageIcon::None);
    }
    const int today = Today();
    const auto* who = book.Find(Name());
    {
        const QSignalBlocker block(m_daysPerWeek);
        m_hired->setDate(who != nullptr ? DateOf(who->hired) : DateOf(today));
        m_daysPerWeek->setCurrentIndex(who != nullptr ? 5 - book.DaysPerWeekOn(who->name, today)
                                                      : 0);
    }
    m_shownGrants.clear();
    if (who == nullptr) {
        Fill(*m_grants, {});
        FollowGrantChoice();
        Fill(*m_days, {});
        m_balance->setText(QString::fromUtf8("入社日を登録すると、付与と残日数が表示されます。"));
        m_balance->setStyleSheet(QString());
        return;
    }
    auto grants = CLeaveTables::Grants(book, *who, today);
    // Each figure says the day it is as of: the rows count every day booked, planned ones too;
    // the duty and the line below count the days up to today.
    // Two-line titles keep the eight columns within the window.
    if (!grants.empty() && grants.front().size() >= 8) {
        grants.front()[2] = "取得日数\n（予定を含む）";
        grants.front()[3] = "残日数\n（予定を含む）";
        grants.front()[5] = "取得義務\n（今日まで）";
        grants.front()[6] = "1年間の\n取得日数";
    }
    Fill(*m_grants, grants);
    Fill(*m_days, CLeaveTables::Days(book, Name()));
    CLeaveLedger::Result result;
    CLeaveLedger::Build(book, *who, today, result);
    m_shownGrants = result.grants;
    FollowGrantChoice();
    bool atRisk = false;
    for (std::size_t g = 0; g < result.grants.size(); ++g) {
        if (!CLeaveLedger::DutyAtRisk(result.grants[g], today)) continue;
        // Only a grant whose duty year is still open, or ended unmet, is worth the red.
        if (QTableWidgetItem* cell = m_grants->item(static_cast<int>(g), 5)) {
            cell->setForeground(QColor(200, 0, 0));
        }
        atRisk = atRisk || today < result.grants[g].dutyEnds;
    }
    const QString next =
        result.nextWithheld
            ? QString::fromUtf8("%1 は見送り")
                  .arg(DateOf(result.nextGrant).toString(QStringLiteral("yyyy/MM/dd")))
            : QString::fromUtf8("%1 に %2日")
                  .arg(DateOf(result.nextGrant).toString(QStringLiteral("yyyy/MM/dd")))
                  .arg(QString::fromStdString(CLeaveLedger::Days(result.nextHalves)));
    QString text = QString::fromUtf8("残日数: %1日（%2 現在）　次の付与: %3")
                       .arg(QString::fromStdString(CLeaveLedger::Days(result.balanceHalves)))
                       .arg(DateOf(today).toString(QStringLiteral("yyyy/MM/dd")))
                       .arg(next);
    if (atRisk) text += QString::fromUtf8("\n年5日の取得義務が果たせないおそれがあります。");
    m_balance->setText(text);
    m_balance->setStyleSheet(atRisk ? QStringLiteral("color: rgb(200, 0, 0);") : QString());
}

bool CLeaveDialog::ApplyChange(std::function<std::optional<std::string>(CLeaveBook&)> change) {
    // On a thread of its own, with the messages kept for the window's thread to show.
    class CKeptMessages : public IMessageSink {
    public:
        void ShowMessage(std::string_view text, EMessageIcon icon) override {
            said.emplace_back(std::string(text), icon);
        }
        std::vector<std::pair<std::string, EMessageIcon>> said;
    };
    struct Job {
        std::shared_ptr<ILeaveStore> store;
        std::shared_ptr<IScheduleStore> schedule;
        ILeaveStore::Change change;
        CKeptMessages messages;
        bool applied = false;
    };
    auto job = std::make_shared<Job>(
        Job{OpenLeaveStore(m_controller.Runtime(), *m_controller.GetSettings()),
            OpenScheduleStore(m_controller.Runtime(), *m_controller.GetSettings()),
            std::move(change),
            {},
            false});
    CShareWait wait(this);
    if (!wait.Run([job] {
            job->applied = CLeaveStoreChange::Apply(*job->store, job->change, job->messages,
                                                    job->schedule.get());
        })) {
        m_controller.Prompt().ShowMessage(
            "共有フォルダ（有給休暇のファイルの場所）が応答しないため、待つのをやめました。\n記録"
            "されたかどうかは、つながってからもう一度開いて確かめてください。",
            EMessageIcon::None);
        return false;
    }
    for (const auto& [text, icon] : job->messages.said) {
        m_controller.Prompt().ShowMessage(text, icon);
    }
    return job->applied;
}

bool CLeaveDialog::IsDate(const CDateField& field, const char* what) const {
    if (field.date().isValid()) return true;
    m_controller.Prompt().ShowMessage(
        std::string(what) + "は 2025/08/01 のように、ある日付で入力してください（入力: " +
            field.text().toStdString() + "）。",
        EMessageIcon::None);
    return false;
}

void CLeaveDialog::OnSetEmployee() {
    if (Name().empty()) return;
    if (!IsDate(*m_hired, "入社日")) return;
    const int hired = NumberOf(m_hired->date());
    const int days = 5 - m_daysPerWeek->currentIndex();
    const std::string name = Name();
    const int today = Today();
    ApplyChange([=](CLeaveBook& book) {
        // A change of the days a week holds from today: the grants already made stay.
        return CLeaveChange::SetEmployee(book, name, hired, days, today);
    });
    Refresh();
}

void CLeaveDialog::OnTake() {
    if (Name().empty()) return;
    if (!IsDate(*m_date, "取得日")) return;
    const int date = NumberOf(m_date->date());
    const auto part = *CLeaveBook::ParsePart(m_part->currentText().toStdString());
    const std::string name = Name();
    const bool whole = part == CLeaveBook::EPart::kWhole;
    // The work file is read with the change, off the window's thread: both may be on a share.
    auto work = OpenWorkStore(m_controller.Runtime());
    work->SetSettings(m_controller.SnapshotSettings());
    std::shared_ptr<IScheduleStore> schedule =
        OpenScheduleStore(m_controller.Runtime(), *m_controller.GetSettings());
    ApplyChange([=](CLeaveBook& book) -> std::optional<std::string> {
        if (whole) {
            if (auto refused = CWorkedDay::RefuseWholeLeave(*work, name, date, schedule.get())) {
                return refused;
            }
        }
        return CLeaveChange::Take(book, name, date, part);
    });
    Refresh();
}

void CLeaveDialog::OnCancel() {
    const auto selected = m_days->selectedItems();
    if (selected.isEmpty() || Name().empty()) return;
    const int row = selected.front()->row();
    const QString text = m_days->item(row, 0)->text();
    auto date = CLeaveDate::Parse(text.toStdString());
    if (!date) return;
    const std::string name = Name();
    if (m_controller.Prompt().AskQuestion(
            name + "さんの " + text.toStdString() + " の有給休暇を取り消しますか？",
            IPrompt::kNo) != IPrompt::kYes) {
        return;
    }
    ApplyChange([=](CLeaveBook& book) { return CLeaveChange::Cancel(book, name, *date); });
    Refresh();
}

const CLeaveLedger::Grant* CLeaveDialog::ChosenGrant() const {
    const auto selected = m_grants->selectedItems();
    if (selected.isEmpty()) return nullptr;
    const auto row = static_cast<std::size_t>(selected.front()->row());
    return row < m_shownGrants.size() ? &m_shownGrants[row] : nullptr;
}

void CLeaveDialog::FollowGrantChoice() {
    const auto* grant = ChosenGrant();
    m_withhold->setEnabled(grant != nullptr);
    m_withhold->setText(QString::fromUtf8(grant != nullptr && grant->withheld ? "見送りを取り消す…"
                                                                              : "付与を見送る…"));
}

void CLeaveDialog::OnWithhold() {
    const auto* chosen = ChosenGrant();
    if (chosen == nullptr || Name().empty()) return;
    const CLeaveLedger::Grant grant = *chosen;
    const std::string name = Name();
    const std::string day = CWorkDate::TextOfNumber(grant.date);  // as the ledger shows it
    const std::string question =
        grant.withheld
            ? name + "さんの " + day + " の付与の見送りを取り消し、付与しますか？"
            : name + "さんの " + day +
                  " の付与を見送りますか？\n（基準日までの1年の出勤率が8割に満たないとき）";
    if (m_controller.Prompt().AskQuestion(question, IPrompt::kNo) != IPrompt::kYes) return;
    ApplyChange([=](CLeaveBook& book) {
        return grant.withheld ? CLeaveChange::Restore(book, name, grant.date)
                              : CLeaveChange::Withhold(book, name, grant.date);
    });
    Refresh();
}

}  // namespace stampwell
