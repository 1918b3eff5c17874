#pragma once

#include <QDialog>
#include <array>
#include <functional>

#include "mail/MailSettings.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace stampwell {

class CRecorderController;
class CSendMailDetailDialog;

// "メール送信設定": the mail switch, the sender and the subjects and texts of SendMail.txt.
// Created for each menu command; 詳細 opens the server settings.
class CSendMailDialog : public QDialog {
public:
    enum ELabel { kTitleLabel, kInLabel, kTitle2Label, kOutLabel };

    CSendMailDialog(CRecorderController& controller, QWidget* parent);

    int Run();
    void Prepare();
    void OnOk();
    void OnHelp();
    void OnDetail();
    void SetDetailRunner(std::function<int(CSendMailDetailDialog&)> runner) {
        m_runDetail = std::move(runner);
    }

    QCheckBox& MailSwitch() const { return *m_switch; }
    QLineEdit& SendName() const { return *m_sendName; }
    QLineEdit& SendAddress() const { return *m_sendAddress; }
    QLineEdit& Title() const { return *m_title; }
    QPlainTextEdit& InText() const { return *m_in; }
    QLineEdit& Title2() const { return *m_title2; }
    QPlainTextEdit& OutText() const { return *m_out; }
    QLabel& Label(ELabel which) const { return *m_labels.at(which); }
    QPushButton& HelpButton() const { return *m_help; }
    QPushButton& DetailButton() const { return *m_detail; }

private:
    void EnableTexts(bool on);
    CMailSettings Collect() const;

    CRecorderController& m_controller;
    std::function<int(CSendMailDetailDialog&)> m_runDetail;
    QCheckBox* m_switch = nullptr;
    QLineEdit* m_sendName = nullptr;
    QLineEdit* m_sendAddress = nullptr;
    QLineEdit* m_title = nullptr;
    QPlainTextEdit* m_in = nullptr;
    QLineEdit* m_title2 = nullptr;
    QPlainTextEdit* m_out = nullptr;
    std::array<QLabel*, 4> m_labels{};
    QPushButton* m_help = nullptr;
    QPushButton* m_detail = nullptr;
    CMailSettings m_shown;  // what the window was filled with
};

}  // namespace stampwell
