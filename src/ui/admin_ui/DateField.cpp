#include "admin_ui/DateField.h"

#include <QCalendarWidget>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QMenu>
#include <QRegularExpression>
#include <QRegularExpressionValidator>
#include <QToolButton>
#include <QWidgetAction>

namespace stampwell {

namespace {
const QString kShown = QStringLiteral("yyyy/MM/dd");
}

CDateField::CDateField(QWidget* parent) : QWidget(parent) {
    auto* layout = new QHBoxLayout(this);  // owned by the widget, as are the parts below
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    m_edit = new QLineEdit(this);
    // Digits and the two separators only; the whole is read when it is used.
    m_edit->setValidator(new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral("[0-9/\\-]{0,10}")), m_edit));
    m_edit->setPlaceholderText(QStringLiteral("2025/08/01"));
    m_edit->setMinimumWidth(m_edit->fontMetrics().horizontalAdvance(QStringLiteral("0000/00/00")) +
                            16);
    layout->addWidget(m_edit, 1);
    m_pick = new QToolButton(this);
    m_pick->setText(QString::fromUtf8("▼"));
    m_pick->setToolTip(QString::fromUtf8("カレンダーから選ぶ"));
    m_pick->setPopupMode(QToolButton::InstantPopup);
    auto* menu = new QMenu(m_pick);
    auto* calendar = new QCalendarWidget(menu);
    auto* holder = new QWidgetAction(menu);
    holder->setDefaultWidget(calendar);
    menu->addAction(holder);
    m_pick->setMenu(menu);
    connect(menu, &QMenu::aboutToShow, this, [this, calendar] {
        const QDate shown = date();
        calendar->setSelectedDate(shown.isValid() ? shown : QDate::currentDate());
    });
    connect(calendar, &QCalendarWidget::clicked, this, [this, menu](const QDate& picked) {
        setDate(picked);
        menu->hide();
    });
    layout->addWidget(m_pick);
    setFocusProxy(m_edit);
}

QDate CDateField::Parse(const QString& text) {
    const QString trimmed = text.trimmed();
    static const QRegularExpression kDate(
        QStringLiteral("^(\\d{4})[/\\-](\\d{1,2})[/\\-](\\d{1,2})$"));
    const auto match = kDate.match(trimmed);
    if (!match.hasMatch()) return {};
    return QDate(match.captured(1).toInt(), match.captured(2).toInt(), match.captured(3).toInt());
}

QDate CDateField::date() const {
    return Parse(m_edit->text());
}

void CDateField::setDate(const QDate& date) {
    m_edit->setText(date.isValid() ? date.toString(kShown) : QString());
}

QString CDateField::text() const {
    return m_edit->text();
}

}  // namespace stampwell
