#pragma once

#include <QDate>
#include <QWidget>

class QLineEdit;
class QToolButton;

namespace stampwell {

// A date typed as it is shown (2025/08/01; 2025-08-01 and 2025/8/1 too) or picked from a
// calendar. What is typed is never moved to another section or read as another date: a text that
// is not a date gives an invalid QDate, which the caller refuses with a message.
class CDateField : public QWidget {
public:
    explicit CDateField(QWidget* parent = nullptr);

    // The date typed or picked; invalid when the text is not a date.
    QDate date() const;
    void setDate(const QDate& date);
    QString text() const;
    QLineEdit& Edit() const { return *m_edit; }
    QToolButton& Picker() const { return *m_pick; }
    // Reads a date as the field takes it.
    static QDate Parse(const QString& text);

private:
    QLineEdit* m_edit = nullptr;
    QToolButton* m_pick = nullptr;
};

}  // namespace stampwell
