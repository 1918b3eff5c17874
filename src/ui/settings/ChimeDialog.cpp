#include "settings/ChimeDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>

#include "admin_ui/DialogParts.h"
#include "platform/IPrompt.h"
#include "settings/ChimeSettings.h"

namespace stampwell {

namespace {
QPushButton* PlainButton(const char* text, QWidget* parent) {
    auto* button = new QPushButton(QString::fromUtf8(text), parent);  // owned by the dialog
    // No button answers Enter: Enter only closes the window.
    button->setAutoDefault(false);
    button->setDefault(false);
    return button;
}
}  // namespace

CChimeDialog::CChimeDialog(std::shared_ptr<CChimeSettings> settings, IPrompt& prompt,
                           QWidget* parent)
    : QDialog(parent, DialogFlags()), m_settings(std::move(settings)), m_prompt(prompt) {
    setWindowTitle(QString::fromUtf8("チャイム機能"));
    auto* grid = new QGridLayout(this);  // the dialog owns its layout and widgets
    m_enabled = new QCheckBox(QString::fromUtf8("チャイムを有効にする"), this);
    grid->addWidget(m_enabled, 0, 0, 1, 4);
    grid->addWidget(new QLabel(QString::fromUtf8("設定時刻リスト"), this), 1, 0, 1, 2);
    m_list = new QListWidget(this);
    m_list->setSortingEnabled(true);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    grid->addWidget(m_list, 2, 0, 4, 2);
    grid->addWidget(new QLabel(QString::fromUtf8("時刻"), this), 1, 2, 1, 2);
    m_hour = new QComboBox(this);
    for (int hour = 0; hour < 24; ++hour) m_hour->addItem(QString::number(hour));
    m_minute = new QComboBox(this);
    for (int minute : {0, 15, 30, 45}) m_minute->addItem(QString::number(minute));
    auto* hourRow = new QHBoxLayout();
    hourRow->addWidget(m_hour);
    hourRow->addWidget(new QLabel(QString::fromUtf8("時"), this));
    hourRow->addWidget(m_minute);
    hourRow->addWidget(new QLabel(QString::fromUtf8("分"), this));
    grid->addLayout(hourRow, 2, 2, 1, 2);
    auto* add = PlainButton("追加", this);
    auto* remove = PlainButton("削除", this);
    auto* ok = PlainButton("OK", this);
    auto* cancel = PlainButton("キャンセル", this);
    grid->addWidget(add, 3, 2);
    grid->addWidget(remove, 3, 3);
    grid->addWidget(ok, 6, 2);
    grid->addWidget(cancel, 6, 3);
    connect(add, &QPushButton::clicked, this, [this] { Add(); });
    connect(remove, &QPushButton::clicked, this, [this] { Delete(); });
    connect(ok, &QPushButton::clicked, this, [this] { Ok(); });
    connect(cancel, &QPushButton::clicked, this, [this] { Cancel(); });
    m_hour->setCurrentIndex(0);
    m_minute->setCurrentIndex(0);
    FillList();
}

CChimeDialog::~CChimeDialog() {
    m_settings->SaveSettings();
}

std::vector<std::int64_t> CChimeDialog::GetChimeTimes() const {
    return m_settings->GetChimeTimes();
}

bool CChimeDialog::IsChimeEnabled() const {
    return m_settings->IsChimeEnabled();
}

void CChimeDialog::FillList() {
    m_list->clear();
    for (std::int64_t t : m_settings->GetChimeTimes()) {
        long long hours = t / 3600 - (t / 86400) * 24;
        long long minutes = t / 60 - (t / 3600) * 60;
        m_list->addItem(QString::asprintf("%02lld:%02lld", hours, minutes));
    }
    m_enabled->setChecked(m_settings->IsChimeEnabled());
}

void CChimeDialog::Add() {
    QString candidate = QString::asprintf("%02d:%02d", m_hour->currentText().toInt(),
                                          m_minute->currentText().toInt());
    if (!m_list->findItems(candidate, Qt::MatchExactly).isEmpty()) {
        m_prompt.ShowMessage("既に登録されているチャイム時刻です。", EMessageIcon::Warning);
        return;
    }
    if (m_list->count() >= static_cast<int>(CChimeSettings::kMaxTimes)) {
        m_prompt.ShowMessage("チャイム時刻の数は20までです。", EMessageIcon::Warning);
        return;
    }
    m_list->addItem(candidate);
}

void CChimeDialog::Delete() {
    int row = m_list->currentRow();
    if (row < 0 || m_list->selectedItems().isEmpty()) return;
    std::unique_ptr<QListWidgetItem> removed(m_list->takeItem(row));
    if (m_list->count() == 0) return;
    m_list->setCurrentRow(std::min(row, m_list->count() - 1));
}

void CChimeDialog::Ok() {
    std::vector<std::int64_t> times;
    for (int i = 0; i < m_list->count(); ++i) {
        QString text = m_list->item(i)->text();
        int colon = text.indexOf(':');
        long long hours = text.left(colon).toLongLong();
        long long minutes = text.mid(colon + 1).toLongLong();
        times.push_back((hours * 60 + minutes) * 60);
    }
    m_settings->SetChimeTimes(times);
    m_settings->SetChimeEnabled(m_enabled->isChecked());
    m_settings->SaveSettings();
    done(Accepted);
}

void CChimeDialog::Cancel() {
    FillList();
    done(Rejected);
}

void CChimeDialog::reject() {
    hide();
}

void CChimeDialog::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter ||
        event->key() == Qt::Key_Escape) {
        hide();
        return;
    }
    QDialog::keyPressEvent(event);
}

}  // namespace stampwell
