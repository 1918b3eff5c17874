#pragma once

#include <filesystem>
#include <string>

#include "platform/IPrompt.h"

class QWidget;

namespace stampwell {

// The prompts as the time clock shows them: plain message boxes, the timed question box, and
// the system's Yes/No question.
class CQtPrompt : public IPrompt {
public:
    explicit CQtPrompt(std::filesystem::path dataDir) : m_dataDir(std::move(dataDir)) {}

    void SetParent(QWidget* parent) { m_parent = parent; }
    void ShowMessage(std::string_view text, EMessageIcon icon) override;
    int AskQuestion(std::string_view text, EAnswer byItself) override;
    using IPrompt::AskQuestion;
    bool AskYesNo(std::string_view text) override;
    void MovePointerToOrigin() override;
    const std::string& LastMessage() const { return m_last; }

    // The window a box opens above: the active modal dialog, else the active window, else the
    // main frame.
    QWidget* Owner() const;

private:
    std::filesystem::path m_dataDir;
    QWidget* m_parent = nullptr;
    std::string m_last;
};

}  // namespace stampwell
