#include "admin_ui/ExportDialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QStandardPaths>
#include <QThread>
#include <QVBoxLayout>
#include <memory>

#include "admin_ui/DialogParts.h"
#include "admin_ui/JapaneseIconProvider.h"
#include "controller/RecorderController.h"
#include "export/ExportForm.h"
#include "platform/IPrompt.h"
#include "platform/LocalTime.h"
#include "settings/EnvironmentSettings.h"
#include "settings/ExportSettings.h"
#include "settings/ModeFiles.h"

namespace stampwell {

CExportDialog::CExportDialog(CRecorderController& controller, QWidget* parent)
    : QDialog(parent, DialogFlags()), m_controller(controller) {
    setWindowTitle(QString::fromUtf8("エクスポート"));
    auto* layout = new QVBoxLayout(this);  // the dialog owns its layout and widgets
    m_description = new QLabel(this);
    m_description->setWordWrap(true);
    layout->addWidget(m_description);

    auto* period = new QGroupBox(this);
    auto* periodGrid = new QGridLayout(period);
    m_year = new QSpinBox(period);
    m_year->setRange(0, 9000);
    m_month = new QComboBox(period);
    for (int month = 1; month <= 12; ++month) m_month->addItem(QString::number(month));
    m_closing = new QComboBox(period);
    for (const char* day : {"5日", "10日", "15日", "20日", "25日", "末締め"}) {
        m_closing->addItem(QString::fromUtf8(day));
    }
    periodGrid->addWidget(new QLabel(QString::fromUtf8("年度:"), period), 0, 0);
    periodGrid->addWidget(m_year, 0, 1);
    periodGrid->addWidget(new QLabel(QString::fromUtf8("月度:"), period), 0, 2);
    periodGrid->addWidget(m_month, 0, 3);
    periodGrid->addWidget(new QLabel(QString::fromUtf8("締め日:"), period), 0, 4);
    periodGrid->addWidget(m_closing, 0, 5);
    layout->addWidget(period);

    auto* output = new QGroupBox(QString::fromUtf8("出力ファイル"), this);
    auto* outputGrid = new QGridLayout(output);
    m_fileName = new QLineEdit(output);
    m_destination = new QLineEdit(output);
    LookReadOnly(*m_destination);
    auto* browse = new QPushButton(QString::fromUtf8("参照"), output);
    browse->setAutoDefault(false);
    outputGrid->addWidget(new QLabel(QString::fromUtf8("ファイル名:"), output), 0, 0);
    outputGrid->addWidget(m_fileName, 0, 1);
    outputGrid->addWidget(new QLabel(QStringLiteral(".csv"), output), 0, 2);
    outputGrid->addWidget(new QLabel(QString::fromUtf8("エクスポート先:"), output), 1, 0);
    outputGrid->addWidget(m_destination, 1, 1);
    outputGrid->addWidget(browse, 1, 2);
    layout->addWidget(output);

    // While an export runs the window says so.
    m_progress = new QProgressBar(this);
    m_progress->setRange(0, 0);
    m_progress->setTextVisible(false);
    m_progress->setMaximumHeight(14);
    m_progressLabel = new QLabel(QString::fromUtf8("エクスポートしています…"), this);
    auto* progressRow = new QHBoxLayout();
    progressRow->addWidget(m_progressLabel);
    progressRow->addWidget(m_progress, 1);
    layout->addLayout(progressRow);

    auto* buttons = new QDialogButtonBox(this);
    m_export = buttons->addButton(QString::fromUtf8("エクスポート"), QDialogButtonBox::AcceptRole);
    QPushButton* close =
        buttons->addButton(QString::fromUtf8("閉じる"), QDialogButtonBox::RejectRole);
    m_export->setDefault(true);
    layout->addWidget(buttons);
    connect(m_export, &QPushButton::clicked, this, [this] { OnExport(); });
    connect(close, &QPushButton::clicked, this, [this] { reject(); });
    connect(browse, &QPushButton::clicked, this, [this] { OnBrowse(); });
    connect(m_year, &QSpinBox::valueChanged, this, [this] { ComposeFileName(); });
    connect(m_month, &QComboBox::currentIndexChanged, this, [this] { ComposeFileName(); });
    connect(m_fileName, &QLineEdit::textChanged, this, [this] { ShowDestination(); });
    SetDialogUnitsWidth(*this, 330);
    ShowRunning(false);

    m_chooser = [this](const QString& current) -> std::optional<QString> {
        // Qt's own folder dialog, Japanese on every desktop.
        QFileDialog dialog(this, QString::fromUtf8("エクスポート先を選択して下さい"),
                           current.isEmpty()
                               ? QStandardPaths::writableLocation(QStandardPaths::DesktopLocation)
                               : current);
        dialog.setOptions(QFileDialog::ShowDirsOnly | QFileDialog::DontUseNativeDialog);
        dialog.setFileMode(QFileDialog::Directory);
        CJapaneseIconProvider kinds;
        dialog.setIconProvider(&kinds);
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
            return std::nullopt;
        }
        return dialog.selectedFiles().front();
    };
}

void CExportDialog::ShowRunning(bool running) {
    m_running = running;
    m_export->setEnabled(!running);
    m_progress->setVisible(running);
    m_progressLabel->setVisible(running);
}

int CExportDialog::Run() {
    Prepare();
    return exec();
}

void CExportDialog::Prepare() {
    const bool room = CModeFiles::ReadMode(m_controller.Runtime().DataDir()) == kRoomMode;
    m_description->setText(QString::fromUtf8(
        room ? "指定した締め日の入退室データをローカルファイルシステムにエクスポートします。"
             : "指定した締め日の出退勤データをローカルファイルシステムにエクスポートします。"));
    m_folder = OutputFolder(m_controller.Runtime());
    m_closing->setCurrentIndex(0);
    // The injected clock, not Qt's own date.
    auto today = CLocalTime::ToLocal(m_controller.Runtime().Clock().Now());
    {
        const QSignalBlocker yearBlock(m_year);
        const QSignalBlocker monthBlock(m_month);
        m_year->setValue(today ? today->tm_year + 1900 : 2000);
        m_month->setCurrentIndex(today ? today->tm_mon : 0);
    }
    ShowDestination();
    ComposeFileName();
}

void CExportDialog::ComposeFileName() {
    if (m_month->currentIndex() < 0) return;
    m_fileName->setText(QString::fromStdString(CExportForm::DefaultFileName(
        m_year->text().toStdString(), m_month->currentText().toStdString())));
    ShowDestination();
}

void CExportDialog::ShowDestination() {
    m_destination->setText(QString::fromStdString(
        CExportForm::Destination(m_folder, m_fileName->text().toStdString()).string()));
}

void CExportDialog::OnBrowse() {
    if (auto chosen = m_chooser(QString::fromStdString(m_folder))) {
        m_folder = chosen->toStdString();
    }
    ShowDestination();
    ComposeFileName();
}

bool CExportDialog::OnExport() {
    if (m_running) return false;
    const std::string name = m_fileName->text().toStdString();
    const auto destination = CExportForm::Destination(m_folder, name);
    if (!CExportForm::MayExport(name, destination, m_controller.Prompt())) return false;
    CExportForm::Request request{m_year->value(), m_month->currentIndex() + 1,
                                 m_closing->currentIndex(), destination};
    // The export's own copies: the screen's thread may go on using the originals.
    auto settings = std::make_shared<CEnvironmentSettings>(*m_controller.GetSettings());
    CRuntime runtime = m_controller.Runtime();
    auto outcome = std::make_shared<CExportForm::Outcome>();
    QThread* worker = QThread::create([runtime, settings, request, outcome] {
        *outcome = CExportForm::Export(runtime, settings, request);
    });
    ShowRunning(true);
    connect(worker, &QThread::finished, this, [this, outcome, destination] {
        ShowRunning(false);
        for (const auto& message : outcome->messages) {
            m_controller.Prompt().ShowMessage(message, EMessageIcon::None);
        }
        // Over the export window while it is open; on its own, naming the file, after.
        m_controller.Prompt().ShowMessage(
            CExportForm::ResultMessage(outcome->ok, destination, isVisible()), EMessageIcon::None);
        // The folder is kept whether the export worked or not.
        CExportSettings settings(m_controller.Runtime());
        settings.SetExportFolder(m_folder);
        settings.SaveSettings();
    });
    connect(worker, &QThread::finished, worker, &QObject::deleteLater);
    worker->start();
    return true;
}

}  // namespace stampwell
