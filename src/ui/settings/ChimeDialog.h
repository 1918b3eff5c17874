#pragma once

#include <QDialog>
#include <memory>

#include "settings/IChimeSettings.h"

class QCheckBox;
class QComboBox;
class QListWidget;
class QPushButton;

namespace stampwell {

class CChimeSettings;
class IPrompt;

// The chime window: a sorted list of quarter-hour chime times and the on switch. What the rest of
// the program reads (IChimeSettings) is the state of the last OK; the window may hold unconfirmed
// changes in between. OK also saves Setting2.txt at once, so a confirmed change survives a crash.
class CChimeDialog : public QDialog, public IChimeSettings {
public:
    CChimeDialog(std::shared_ptr<CChimeSettings> settings, IPrompt& prompt,
                 QWidget* parent = nullptr);
    ~CChimeDialog() override;

    std::vector<std::int64_t> GetChimeTimes() const override;
    bool IsChimeEnabled() const override;

    void Add();
    void Delete();
    void Ok();
    void Cancel();
    // Enter, Esc and the close box only close the window.
    void reject() override;

    QListWidget& List() const { return *m_list; }
    QComboBox& Hour() const { return *m_hour; }
    QComboBox& Minute() const { return *m_minute; }
    QCheckBox& Enabled() const { return *m_enabled; }

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void FillList();

    std::shared_ptr<CChimeSettings> m_settings;
    IPrompt& m_prompt;
    QListWidget* m_list = nullptr;
    QComboBox* m_hour = nullptr;
    QComboBox* m_minute = nullptr;
    QCheckBox* m_enabled = nullptr;
};

}  // namespace stampwell
