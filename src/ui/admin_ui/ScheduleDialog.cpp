#include "admin_ui/ScheduleDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <ctime>
#include <map>

#include "admin_ui/DialogParts.h"
#include "admin_ui/ShareWait.h"
#include "calendar/WorkDate.h"
#include "controller/RecorderController.h"
#include "leave/LeaveDate.h"
#include "officestore/OfficeStores.h"
#include "platform/IPrompt.h"
#include "platform/LocalTime.h"
#include "schedule/NationalHolidays.h"
#include "schedule/PatternForm.h"
#include "schedule/ScheduleChange.h"
#include "settings/EnvironmentSettings.h"
#include "store/IAdminStore.h"
#include "store/IPeopleStore.h"
#include "store/IRulesStore.h"
#include "store/ScheduleStoreChange.h"

namespace stampwell {

namespace {
QString Text(const std::string& text) {
    return QString::fromStdString(text);
}
std::string Typed(const QLineEdit& field) {
    return field.text().trimmed().toStdString();
}

QPushButton* Button(QWidget* parent, const char* text) {
    auto* button = new QPushButton(QString::fromUtf8(text), parent);
    button->setAutoDefault(false);
    return button;
}

QLineEdit* Field(QWidget* parent, const char* hint) {
    auto* field = new QLineEdit(parent);
    field->setPlaceholderText(QString::fromUtf8(hint));
    return field;
}
}  // namespace

CScheduleDialog::CScheduleDialog(CRecorderController& controller, QWidget* parent)
    : QDialog(parent, DialogFlags()), m_controller(controller) {
    setWindowTitle(QString::fromUtf8("勤務カレンダー"));
    m_wait = std::make_unique<CShareWait>(this);
    auto* layout = new QVBoxLayout(this);
    m_tabs = new QTabWidget(this);
    layout->addWidget(m_tabs, 1);

    // 休日: the national holidays of the year and the office's own.
    auto* holidays = new QWidget(m_tabs);
    auto* h = new QVBoxLayout(holidays);
    auto* yearRow = new QHBoxLayout();
    yearRow->addWidget(new QLabel(QString::fromUtf8("年:"), holidays));
    m_holidayYear = new QSpinBox(holidays);
    m_holidayYear->setRange(1980, 2099);
    yearRow->addWidget(m_holidayYear);
    yearRow->addStretch(1);
    h->addLayout(yearRow);
    m_holidays = new QListWidget(holidays);
    h->addWidget(m_holidays, 1);
    auto* addRow = new QHBoxLayout();
    m_holidayDate = Field(holidays, "2026/12/29");
    m_holidayName = Field(holidays, "年末年始");
    addRow->addWidget(m_holidayDate);
    addRow->addWidget(m_holidayName, 1);
    auto* add = Button(holidays, "会社の休日に追加");
    auto* remove = Button(holidays, "選んだ会社の休日を削除");
    addRow->addWidget(add);
    h->addLayout(addRow);
    h->addWidget(remove, 0, Qt::AlignRight);
    m_tabs->addTab(holidays, QString::fromUtf8("休日"));
    connect(m_holidayYear, &QSpinBox::valueChanged, this, [this] { ShowBook(); });
    connect(add, &QPushButton::clicked, this, [this] { OnAddHoliday(); });
    connect(remove, &QPushButton::clicked, this, [this] { OnRemoveHoliday(); });

    // 勤務パターン and who follows which.
    auto* patterns = new QWidget(m_tabs);
    auto* p = new QVBoxLayout(patterns);
    m_patterns = new QListWidget(patterns);
    p->addWidget(m_patterns, 1);
    auto* form = new QFormLayout();
    m_patternName = Field(patterns, "日勤");
    m_patternStart = Field(patterns, "09:00");
    m_patternEnd = Field(patterns, "18:00");
    m_patternBreaks = Field(patterns, "12:00-13:00");
    m_patternDays = Field(patterns, "月火水木金");
    m_patternHolidaysOff = new QCheckBox(QString::fromUtf8("祝日と会社の休日は休み"), patterns);
    m_patternHolidaysOff->setChecked(true);
    form->addRow(QString::fromUtf8("名前"), m_patternName);
    form->addRow(QString::fromUtf8("所定の始業"), m_patternStart);
    form->addRow(QString::fromUtf8("所定の終業"), m_patternEnd);
    form->addRow(QString::fromUtf8("所定の休憩"), m_patternBreaks);
    form->addRow(QString::fromUtf8("所定の勤務日"), m_patternDays);
    form->addRow(QString(), m_patternHolidaysOff);
    p->addLayout(form);
    auto* savePattern = Button(patterns, "パターンを保存");
    auto* deletePattern = Button(patterns, "パターンを削除");
    auto* patternButtons = new QHBoxLayout();
    patternButtons->addStretch(1);
    patternButtons->addWidget(deletePattern);
    patternButtons->addWidget(savePattern);
    p->addLayout(patternButtons);
    connect(deletePattern, &QPushButton::clicked, this, [this] { OnDeletePattern(); });
    auto* assignRow = new QHBoxLayout();
    m_person = new QComboBox(patterns);
    m_assignFrom = Field(patterns, "適用日 2026/04/01");
    m_assignPattern = new QComboBox(patterns);
    auto* assign = Button(patterns, "適用");
    assignRow->addWidget(m_person, 1);
    assignRow->addWidget(m_assignFrom);
    assignRow->addWidget(m_assignPattern);
    assignRow->addWidget(assign);
    p->addLayout(assignRow);
    m_tabs->addTab(patterns, QString::fromUtf8("勤務パターン"));
    connect(savePattern, &QPushButton::clicked, this, [this] { OnSavePattern(); });
    connect(assign, &QPushButton::clicked, this, [this] { OnAssign(); });
    connect(m_patterns, &QListWidget::currentRowChanged, this, [this](int row) {
        if (row < 0 || row >= static_cast<int>(m_book.patterns.size())) return;
        const auto texts = CPatternForm::TextsOf(m_book.patterns[static_cast<std::size_t>(row)]);
        m_patternName->setText(Text(texts.name));
        m_patternStart->setText(Text(texts.start));
        m_patternEnd->setText(Text(texts.end));
        m_patternBreaks->setText(Text(texts.breaks));
        m_patternDays->setText(Text(texts.days));
        m_patternHolidaysOff->setChecked(texts.holidaysOff);
    });

    // 振替休日 and 代休 of the person chosen on the pattern page.
    auto* swaps = new QWidget(m_tabs);
    auto* s = new QVBoxLayout(swaps);
    m_swaps = new QListWidget(swaps);
    // A swap's line holds who decided it and when: wrapped, never cut.
    m_swaps->setWordWrap(true);
    m_swaps->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    s->addWidget(m_swaps, 1);
    auto* swapRow = new QHBoxLayout();
    m_swapRest = Field(swaps, "出勤日にする休日");
    m_swapWork = Field(swaps, "休日にする勤務日");
    auto* swap = Button(swaps, "振り替える");
    swapRow->addWidget(m_swapRest);
    swapRow->addWidget(m_swapWork);
    swapRow->addWidget(swap);
    s->addLayout(swapRow);
    auto* lieuRow = new QHBoxLayout();
    m_lieuOff = Field(swaps, "代休の日");
    m_lieuFor = Field(swaps, "休日出勤した日");
    auto* lieu = Button(swaps, "代休にする");
    lieuRow->addWidget(m_lieuOff);
    lieuRow->addWidget(m_lieuFor);
    lieuRow->addWidget(lieu);
    s->addLayout(lieuRow);
    auto* takeBack = Button(swaps, "選んだ振替・代休を取り消す");
    s->addWidget(takeBack, 0, Qt::AlignRight);
    connect(takeBack, &QPushButton::clicked, this, [this] { OnTakeBack(); });
    auto* note =
        new QLabel(QString::fromUtf8("社員は「勤務パターン」のページで選びます。振替は休日が"
                                     "来る前に、代休は休日出勤の後に決めます。"),
                   swaps);
    note->setWordWrap(true);
    s->addWidget(note);
    m_tabs->addTab(swaps, QString::fromUtf8("振替・代休"));
    connect(swap, &QPushButton::clicked, this, [this] { OnSwap(); });
    connect(lieu, &QPushButton::clicked, this, [this] { OnDayInLieu(); });

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* close =
        buttons->addButton(QString::fromUtf8("閉じる"), QDialogButtonBox::RejectRole);
    close->setAutoDefault(false);
    connect(close, &QPushButton::clicked, this, [this] { reject(); });
    layout->addWidget(buttons);
    SetDialogUnitsWidth(*this, 300);
}

CScheduleDialog::~CScheduleDialog() = default;

int CScheduleDialog::Run() {
    Reload();
    return exec();
}

void CScheduleDialog::Reload() {
    const int today = CLeaveDate::Today(m_controller.Runtime().Clock());
    if (m_holidayYear->value() == m_holidayYear->minimum()) {
        m_holidayYear->setValue(std::clamp(today / 10000, 1980, 2099));
    }
    struct Job {
        std::shared_ptr<IScheduleStore> store;
        std::shared_ptr<IPeopleStore> people;
        CScheduleBook book;
        std::vector<std::string> names;
        std::string refusal;
        bool read = false;
    };
    auto job = std::make_shared<Job>();
    job->store = OpenScheduleStore(m_controller.Runtime(), *m_controller.GetSettings());
    if (m_controller.GetRegister() != nullptr) job->people = m_controller.GetRegister()->Clone();
    if (!m_wait->Run([job] {
            job->read = job->store->Read(job->book, &job->refusal);
            if (job->people) job->names = job->people->GetAllNames();
        })) {
        m_controller.Prompt().ShowMessage(
            "共有フォルダ（勤務予定のファイルの場所）が応答しないため、待つのをやめました。",
            EMessageIcon::None);
        return;
    }
    if (!job->read) m_controller.Prompt().ShowMessage(job->refusal, EMessageIcon::None);
    m_book = job->read ? job->book : CScheduleBook{};
    m_names = job->names;
    ShowBook();
}

void CScheduleDialog::ShowBook() {
    static const char* const kDays[] = {"日", "月", "火", "水", "木", "金", "土"};
    auto shown = [](int date) {
        return CWorkDate::TextOfNumber(date) + "（" + kDays[CWorkDate::Weekday(date)] + "）";
    };
    const int year = m_holidayYear->value();
    std::map<int, std::string> days;
    for (const auto& holiday : CNationalHolidays::OfYear(year)) {
        days[holiday.date] = shown(holiday.date) + "　" + holiday.name + "（国民の祝日）";
    }
    for (const auto& holiday : m_book.holidays) {
        if (holiday.date / 10000 == year) {
            days[holiday.date] = shown(holiday.date) + "　" + holiday.name + "（会社の休日）";
        }
    }
    m_holidays->clear();
    for (const auto& [date, text] : days) {
        auto* item = new QListWidgetItem(Text(text), m_holidays);
        item->setData(Qt::UserRole, date);
    }

    m_patterns->clear();
    for (const auto& pattern : m_book.patterns) {
        m_patterns->addItem(Text(pattern.name + "　" + CWorkPattern::TimeText(pattern.start) +
                                 "～" + CWorkPattern::TimeText(pattern.end) + "　所定 " +
                                 CWorkPattern::TimeText(pattern.ScheduledMinutes()) + "　" +
                                 CWorkPattern::WeekdaysText(pattern.weekdays) +
                                 (pattern.holidaysOff ? "　祝日休み" : "　祝日出勤")));
    }
    for (const auto& a : m_book.assignments) {
        m_patterns->addItem(Text("　" + a.name + "さん　" + CWorkDate::TextOfNumber(a.from) +
                                 " から " + (a.pattern.empty() ? "パターンなし" : a.pattern)));
    }
    const QString person = m_person->currentText();
    m_person->clear();
    for (const auto& name : m_names) m_person->addItem(Text(name));
    if (const int at = m_person->findText(person); at >= 0) m_person->setCurrentIndex(at);
    const QString pattern = m_assignPattern->currentText();
    m_assignPattern->clear();
    for (const auto& p : m_book.patterns) m_assignPattern->addItem(Text(p.name));
    m_assignPattern->addItem(QString::fromUtf8("なし"));
    if (const int at = m_assignPattern->findText(pattern); at >= 0) {
        m_assignPattern->setCurrentIndex(at);
    }

    m_swaps->clear();
    for (const auto& s : m_book.swaps) {
        auto* item =
            new QListWidgetItem(Text("振替　" + s.name + "さん　" + shown(s.restDate) +
                                     " を出勤日に、" + shown(s.workDate) + " を休日に" +
                                     (s.when.empty() ? "" : "（" + s.when + " " + s.by + "）")),
                                m_swaps);
        item->setData(Qt::UserRole, QString::fromStdString(s.name));
        item->setData(Qt::UserRole + 1, s.restDate);
    }
    for (const auto& d : m_book.daysInLieu) {
        auto* item = new QListWidgetItem(
            Text("代休　" + d.name + "さん　" + shown(d.offDate) + "（" + shown(d.forDate) +
                 " の休日出勤）" + (d.when.empty() ? "" : "（" + d.when + " " + d.by + "）")),
            m_swaps);
        item->setData(Qt::UserRole, QString::fromStdString(d.name));
        item->setData(Qt::UserRole + 2, d.offDate);
    }
}

std::string CScheduleDialog::NowText() const {
    auto tm = CLocalTime::ToLocal(m_controller.Runtime().Clock().Now());
    if (!tm) return {};
    char text[32];
    std::strftime(text, sizeof text, "%Y/%m/%d %H:%M", &*tm);
    return text;
}

std::string CScheduleDialog::AdminId() const {
    return m_controller.GetAdminStore() ? m_controller.GetAdminStore()->GetLoginId()
                                        : std::string{};
}

bool CScheduleDialog::Apply(const IScheduleStore::Change& change, const std::string& done) {
    std::string refusal;
    const auto outcome = CScheduleStoreChange::Apply(
        OpenScheduleStore(m_controller.Runtime(), *m_controller.GetSettings()), m_wait.get(),
        change, refusal);
    if (outcome == CScheduleStoreChange::EOutcome::kNoAnswer) {
        m_controller.Prompt().ShowMessage(
            "共有フォルダ（勤務予定のファイルの場所）が応答しないため、待つのをやめました。\n保存"
            "されたかどうかは、つながってからもう一度開いて確かめてください。",
            EMessageIcon::None);
        return false;
    }
    const bool stored = outcome == CScheduleStoreChange::EOutcome::kStored;
    m_controller.Prompt().ShowMessage(stored ? done : refusal, EMessageIcon::None);
    if (stored) Reload();
    return stored;
}

std::optional<int> CScheduleDialog::DateOf(const QLineEdit& field, const char* what) {
    const auto date = CPatternForm::ReadDate(Typed(field));
    if (!date) {
        m_controller.Prompt().ShowMessage(
            std::string(what) + "は 2026/12/29 のように、ある日付を入れてください。",
            EMessageIcon::None);
    }
    return date;
}

void CScheduleDialog::OnAddHoliday() {
    const auto date = DateOf(*m_holidayDate, "日付");
    if (!date) return;
    const std::string name = Typed(*m_holidayName);
    if (Apply([=](CScheduleBook& book) { return CScheduleChange::AddHoliday(book, *date, name); },
              CWorkDate::TextOfNumber(*date) + " を会社の休日「" + name + "」にしました。")) {
        m_holidayDate->clear();
        m_holidayName->clear();
    }
}

void CScheduleDialog::OnRemoveHoliday() {
    const QListWidgetItem* item = m_holidays->currentItem();
    if (item == nullptr) return;
    const int date = item->data(Qt::UserRole).toInt();
    if (!m_book.OfficeHolidayOn(date)) {
        m_controller.Prompt().ShowMessage(
            "国民の祝日は削除できません。働く日にするには、勤務パター"
            "ンの「祝日と会社の休日は休み」を外してください。",
            EMessageIcon::None);
        return;
    }
    Apply([=](CScheduleBook& book) { return CScheduleChange::RemoveHoliday(book, date); },
          CWorkDate::TextOfNumber(date) + " の会社の休日を削除しました。");
}

void CScheduleDialog::OnSavePattern() {
    std::string why;
    const auto pattern = CPatternForm::Read(
        {Typed(*m_patternName), Typed(*m_patternStart), Typed(*m_patternEnd),
         Typed(*m_patternBreaks), Typed(*m_patternDays), m_patternHolidaysOff->isChecked()},
        why);
    if (!pattern) {
        m_controller.Prompt().ShowMessage(why, EMessageIcon::None);
        return;
    }
    Apply([=](CScheduleBook& book) { return CScheduleChange::SetPattern(book, *pattern); },
          "勤務パターン「" + pattern->name + "」を保存しました。");
}

void CScheduleDialog::OnAssign() {
    const auto from = DateOf(*m_assignFrom, "適用日");
    if (!from) return;
    const std::string name = m_person->currentText().toStdString();
    const std::string chosen = m_assignPattern->currentText().toStdString();
    const std::string pattern = chosen == "なし" ? std::string{} : chosen;
    Apply([=](CScheduleBook& book) { return CScheduleChange::Assign(book, name, *from, pattern); },
          name + "さんに " + CWorkDate::TextOfNumber(*from) + " から「" +
              (pattern.empty() ? "パターンなし" : pattern) + "」を適用しました。");
}

void CScheduleDialog::OnSwap() {
    const auto rest = DateOf(*m_swapRest, "出勤日にする休日");
    const auto work = rest ? DateOf(*m_swapWork, "休日にする勤務日") : std::nullopt;
    if (!rest || !work) return;
    const std::string name = m_person->currentText().toStdString();
    const int today = CLeaveDate::Today(m_controller.Runtime().Clock());
    const std::string when = NowText(), by = AdminId();
    const CRuntime runtime = m_controller.Runtime();
    Apply(
        [=](CScheduleBook& book) {
            // Read with the change, off the window's thread: the rules live on the share too.
            CWorkRules rules;
            OpenRulesStore(runtime)->Read(rules);
            return CScheduleChange::AddSwap(book, rules, name, *rest, *work, today, when, by);
        },
        name + "さんの " + CWorkDate::TextOfNumber(*rest) + " を出勤日に、" +
            CWorkDate::TextOfNumber(*work) + " を休日にしました。");
}

void CScheduleDialog::OnDeletePattern() {
    const std::string name = Typed(*m_patternName);
    if (name.empty()) return;
    if (!m_controller.Prompt().AskYesNo("勤務パターン「" + name + "」を削除しますか？")) return;
    Apply([=](CScheduleBook& book) { return CScheduleChange::DeletePattern(book, name); },
          "勤務パターン「" + name + "」を削除しました。");
}

void CScheduleDialog::OnTakeBack() {
    const QListWidgetItem* item = m_swaps->currentItem();
    if (item == nullptr) return;
    const std::string name = item->data(Qt::UserRole).toString().toStdString();
    if (item->data(Qt::UserRole + 1).isValid()) {
        const int rest = item->data(Qt::UserRole + 1).toInt();
        const int today = CLeaveDate::Today(m_controller.Runtime().Clock());
        Apply(
            [=](CScheduleBook& book) {
                return CScheduleChange::RemoveSwap(book, name, rest, today);
            },
            "振替を取り消しました。");
        return;
    }
    const int off = item->data(Qt::UserRole + 2).toInt();
    Apply([=](CScheduleBook& book) { return CScheduleChange::RemoveDayInLieu(book, name, off); },
          "代休を取り消しました。");
}

void CScheduleDialog::OnDayInLieu() {
    const auto off = DateOf(*m_lieuOff, "代休の日");
    const auto worked = off ? DateOf(*m_lieuFor, "休日出勤した日") : std::nullopt;
    if (!off || !worked) return;
    const std::string name = m_person->currentText().toStdString();
    const std::string when = NowText(), by = AdminId();
    const CRuntime runtime = m_controller.Runtime();
    Apply(
        [=](CScheduleBook& book) {
            CWorkRules rules;
            OpenRulesStore(runtime)->Read(rules);
            return CScheduleChange::AddDayInLieu(book, rules, name, *off, *worked, when, by);
        },
        name + "さんの " + CWorkDate::TextOfNumber(*off) + " を代休にしました。");
}

}  // namespace stampwell
