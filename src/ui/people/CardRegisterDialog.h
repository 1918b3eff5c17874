#pragma once

#include <QDialog>
#include <QTimer>
#include <memory>
#include <string>

namespace stampwell {

class CAdminCardCapture;
class CRecorderController;

// "カード登録": waits for the card an administrator will log in with. Accepted when a card that
// no administrator holds was held to the reader; it is then the store's working card.
class CCardRegisterDialog : public QDialog {
public:
    CCardRegisterDialog(CRecorderController& controller, QWidget* parent);
    ~CCardRegisterDialog() override;

    int Run();
    void Prepare();
    void OnTimer();
    bool IsPolling() const { return m_poll.isActive(); }
    std::string GetCard() const;
    void done(int result) override;

private:
    CRecorderController& m_controller;
    std::unique_ptr<CAdminCardCapture> m_capture;
    QTimer m_poll;
    bool m_running = false;
};

}  // namespace stampwell
