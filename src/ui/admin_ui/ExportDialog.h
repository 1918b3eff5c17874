#pragma once

#include <QDialog>
#include <functional>
#include <optional>

class QComboBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QSpinBox;

namespace stampwell {

class CRecorderController;

// "エクスポート": a year, a month and a closing day, and the CSV file to write the pay period
// to. Created once and run again; the export runs off the screen's thread, so a slow network
// folder never freezes the window.
class CExportDialog : public QDialog {
public:
    // Asks for a folder; nothing when the user cancels.
    using FolderChooser = std::function<std::optional<QString>(const QString& current)>;

    CExportDialog(CRecorderController& controller, QWidget* parent);

    int Run();
    void Prepare();
    void OnBrowse();
    // False when nothing was started (no name, overwrite refused, an export still running).
    bool OnExport();
    bool IsExportRunning() const { return m_running; }
    void SetFolderChooser(FolderChooser chooser) { m_chooser = std::move(chooser); }

    QSpinBox& Year() const { return *m_year; }
    QComboBox& Month() const { return *m_month; }
    QComboBox& Closing() const { return *m_closing; }
    QLineEdit& FileName() const { return *m_fileName; }
    QLineEdit& Destination() const { return *m_destination; }
    QLabel& Description() const { return *m_description; }
    QPushButton& ExportButton() const { return *m_export; }
    QProgressBar& Progress() const { return *m_progress; }

private:
    void ComposeFileName();
    void ShowDestination();
    void ShowRunning(bool running);

    CRecorderController& m_controller;
    FolderChooser m_chooser;
    std::string m_folder;
    bool m_running = false;
    QLabel* m_description = nullptr;
    QSpinBox* m_year = nullptr;
    QComboBox* m_month = nullptr;
    QComboBox* m_closing = nullptr;
    QLineEdit* m_fileName = nullptr;
    QLineEdit* m_destination = nullptr;
    QPushButton* m_export = nullptr;
    QProgressBar* m_progress = nullptr;
    QLabel* m_progressLabel = nullptr;
};

}  // namespace stampwell
