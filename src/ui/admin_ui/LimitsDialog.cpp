#include "admin_ui/LimitsDialog.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QTableWidget>
#include <QVBoxLayout>
#include <memory>

#include "admin_ui/DialogParts.h"
#include "admin_ui/RulesWait.h"
#include "admin_ui/ShareWait.h"
#include "controller/RecorderController.h"
#include "officestore/OfficeStores.h"
#include "platform/IPrompt.h"
#include "platform/LocalTime.h"
#include "reporting/OvertimeYear.h"
#include "settings/EnvironmentSettings.h"
#include "settings/WorkRules.h"
#include "store/IWorkStore.h"

namespace stampwell {

CLimitsDialog::CLimitsDialog(CRecorderController& controller, QWidget* parent)
    : QDialog(parent, DialogFlags()), m_controller(controller) {
    setWindowTitle(QString::fromUtf8("時間外労働の上限（36協定）"));
    m_work = OpenWorkStore(controller.Runtime());
    m_work->SetSettings(controller.GetSettings());

    auto* layout = new QVBoxLayout(this);  // the dialog owns its layout and widgets
    auto* top = new QGridLayout();
    m_year = new QSpinBox(this);
    m_year->setRange(1900, 9999);
    m_closing = new QComboBox(this);
    for (const char* day : {"5日", "10日", "15日", "20日", "25日", "末締め"}) {
        m_closing->addItem(QString::fromUtf8(day));
    }
    m_closing->setCurrentIndex(5);
    m_start = new QLabel(this);
    top->addWidget(new QLabel(QString::fromUtf8("協定の年度:"), this), 0, 0);
    top->addWidget(m_year, 0, 1);
    top->addWidget(new QLabel(QString::fromUtf8("締め日:"), this), 0, 2);
    top->addWidget(m_closing, 0, 3);
    top->addWidget(m_start, 0, 4);
    top->setColumnStretch(5, 1);
    layout->addLayout(top);

    m_table = new QTableWidget(this);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->verticalHeader()->hide();
    layout->addWidget(m_table, 1);
    // Whoever passed a limit is named below the table too: the columns of the year's figures
    // may lie beyond the window's right edge.
    m_summary = new QLabel(this);
    m_summary->setWordWrap(true);
    layout->addWidget(m_summary);

    m_note = new QLabel(
        QString::fromUtf8("赤字は上限を超えたところです。月45時間超は年6回まで、年間の時間外は"
                          "360時間（特別条項で720時間）まで、時間外と休日労働の合計は2～6か月の"
                          "平均で80時間以内、1か月100時間未満です。"),
        this);
    m_note->setWordWrap(true);
    layout->addWidget(m_note);
    auto* close = new QPushButton(QString::fromUtf8("閉じる"), this);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    layout->addWidget(close, 0, Qt::AlignRight);

    connect(m_year, &QSpinBox::valueChanged, this, [this] { Refresh(); });
    connect(m_closing, &QComboBox::currentIndexChanged, this, [this] { Refresh(); });
    resize(960, 420);
}

CLimitsDialog::~CLimitsDialog() = default;

int CLimitsDialog::Run() {
    if (!Prepare()) return QDialog::Rejected;
    return exec();
}

bool CLimitsDialog::Prepare() {
    // Limits figured by the default rules could misstate the law: nothing shown without them.
    const auto read = ReadRulesWaiting(*this, m_controller);
    if (!read) return false;
    m_rules = read->rules;
    const auto today = CLocalTime::ToLocal(m_controller.Runtime().Clock().Now());
    const QSignalBlocker block(m_year);
    if (today) {
        m_year->setValue(COvertimeYear::AgreementYearOf(today->tm_year + 1900, today->tm_mon + 1,
                                                        m_rules.agreementStart));
    }
    Refresh();
    return true;
}

void CLimitsDialog::Refresh() {
    const CWorkRules rules = m_rules;
    m_start->setText(QString::fromUtf8("（起算月: %1月。勤務ルール設定で変えられます）")
                         .arg(rules.agreementStart));
    // The year is read on a thread of its own: a share that hangs never freezes the window.
    struct Job {
        std::shared_ptr<IWorkStore> report;
        std::shared_ptr<IScheduleStore> schedule;
        std::vector<COvertimeYear::Row> rows;
        bool read = false;
    };
    auto job = std::make_shared<Job>();
    job->report = m_work->Twin();
    job->schedule = OpenScheduleStore(m_controller.Runtime(), *m_controller.GetSettings());
    const int year = m_year->value();
    const int closing = m_closing->currentIndex();
    CShareWait wait(this);
    if (!wait.Run([job, year, closing, rules] {
            // Swapped rest days count, and closed months by the rules they were closed with.
            CScheduleBook book;
            job->schedule->Read(book, nullptr);
            job->read =
                COvertimeYear::Collect(*job->report, year, closing, rules, job->rows, &book);
        })) {
        m_controller.Prompt().ShowMessage(
            "共有フォルダ（勤務ファイルの場所）が応答しないため、読み込みをやめました。",
            EMessageIcon::None);
    } else if (!job->read) {
        m_controller.Prompt().ShowMessage("勤務ファイルを最後まで読めませんでした。",
                                          EMessageIcon::None);
    }
    const std::vector<COvertimeYear::Row> rows =
        job->read ? job->rows : std::vector<COvertimeYear::Row>{};
    const auto header = COvertimeYear::Header(rules.agreementStart);
    m_table->clear();
    m_table->setColumnCount(static_cast<int>(header.size()));
    m_table->setRowCount(static_cast<int>(rows.size()));
    QStringList titles;
    for (const auto& title : header) titles << QString::fromStdString(title);
    m_table->setHorizontalHeaderLabels(titles);
    for (int r = 0; r < static_cast<int>(rows.size()); ++r) {
        const auto cells =
            COvertimeYear::Cells(rows[static_cast<std::size_t>(r)], rules.agreementStart);
        for (int c = 0; c < static_cast<int>(cells.size()); ++c) {
            auto* item =
                new QTableWidgetItem(QString::fromStdString(cells[static_cast<std::size_t>(c)]));
            if (COvertimeYear::IsOverLimit(rows[static_cast<std::size_t>(r)], c)) {
                item->setForeground(QColor(200, 0, 0));
            }
            if (c > 0) item->setTextAlignment(Qt::AlignCenter);
            m_table->setItem(r, c, item);
        }
    }
    m_table->resizeColumnsToContents();
    QString passed;
    for (const auto& row : rows) {
        if (row.limits.empty()) continue;
        passed += (passed.isEmpty() ? QString() : QString::fromUtf8("、")) +
                  QString::fromStdString(row.name + "（" + row.limits + "）");
    }
    QString summary = passed.isEmpty() ? QString::fromUtf8("上限を超えた人はいません。")
                                       : QString::fromUtf8("上限を超えた人: ") + passed;
    if (const auto note = COvertimeYear::ClauseNote(rules.specialClause); !note.empty()) {
        summary += QStringLiteral("\n") + QString::fromStdString(note);
    }
    m_summary->setText(summary);
    m_summary->setStyleSheet(passed.isEmpty() ? QString()
                                              : QStringLiteral("color: rgb(200, 0, 0);"));
}

}  // namespace stampwell
