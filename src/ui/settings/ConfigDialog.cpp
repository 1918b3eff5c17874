#include "settings/ConfigDialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QToolButton>
#include <QVBoxLayout>

#include "admin_ui/DialogFileWork.h"
#include "admin_ui/DialogParts.h"
#include "admin_ui/JapaneseIconProvider.h"
#include "controller/RecorderController.h"
#include "platform/IPrompt.h"
#include "settings/EnvironmentSettings.h"
#include "setup/ConfigForm.h"
#include "setup/StoreForm.h"

namespace stampwell {

namespace {
struct PathSpec {
    const char* label;
    const char* filter;
    const char* extension;
};
constexpr PathSpec kPathSpecs[] = {
    {"カード登録者ファイルのパス", "テキストファイル (*.txt)", "txt"},
    {"勤務登録ファイルのパス", "勤務データファイル (*.dat)", "dat"},
    {"バックアップ", "バックアップファイル (*.bak)", "bak"},
};
}  // namespace

CConfigDialog::CConfigDialog(CRecorderController& controller, QWidget* parent)
    : QDialog(parent, DialogFlags()),
      m_controller(controller),
      m_files(std::make_unique<CDialogFileWork>(this, controller.Prompt())) {
    setWindowTitle(QString::fromUtf8("環境設定"));
    setModal(false);
    auto* layout = new QVBoxLayout(this);  // the dialog owns its layout and widgets
    auto* hours = new QGridLayout();
    auto hourRow = [&](int row, const char* label, int maxHour, int maxLength) {
        auto* field = new QLineEdit(this);
        field->setValidator(new QRegularExpressionValidator(QRegularExpression("[0-9]*"), field));
        if (maxLength > 0) field->setMaxLength(maxLength);
        field->setFixedWidth(48);
        auto* up = new QToolButton(this);
        up->setArrowType(Qt::UpArrow);
        up->setAccessibleName(QString::fromUtf8(label) + QString::fromUtf8("を1時間後にする"));
        up->setToolTip(up->accessibleName());
        auto* down = new QToolButton(this);
        down->setArrowType(Qt::DownArrow);
        down->setAccessibleName(QString::fromUtf8(label) + QString::fromUtf8("を1時間前にする"));
        down->setToolTip(down->accessibleName());
        field->setAccessibleName(QString::fromUtf8(label));
        field->installEventFilter(this);
        m_hourRanges[field] = maxHour;
        hours->addWidget(new QLabel(QString::fromUtf8(label), this), row, 0);
        hours->addWidget(field, row, 1);
        hours->addWidget(up, row, 2);
        hours->addWidget(down, row, 3);
        hours->addWidget(new QLabel(QString::fromUtf8("時"), this), row, 4);
        connect(up, &QToolButton::clicked, this,
                [this, field, maxHour] { StepHour(*field, maxHour, 1); });
        connect(down, &QToolButton::clicked, this,
                [this, field, maxHour] { StepHour(*field, maxHour, -1); });
        return field;
    };
    m_dayChange = hourRow(0, "日付更新時刻", CConfigForm::kMaxDayChangeHour, 2);
    m_switch = hourRow(1, "出退社切換え時刻", CConfigForm::kMaxSwitchHour, 0);
    hours->setColumnStretch(5, 1);
    layout->addLayout(hours);

    for (int which : {kRegisterPath, kWorkPath, kBackupPath}) {
        auto* row = new QGridLayout();
        if (which == kBackupPath) {
            m_backup = new QCheckBox(QString::fromUtf8(kPathSpecs[which].label), this);
            row->addWidget(m_backup, 0, 0);
            connect(m_backup, &QCheckBox::toggled, this,
                    [this](bool on) { m_browse[kBackupPath]->setEnabled(on); });
        } else {
            row->addWidget(new QLabel(QString::fromUtf8(kPathSpecs[which].label), this), 0, 0);
        }
        m_paths[which] = new QLineEdit(this);
        LookReadOnly(*m_paths[which]);  // changed with 参照 only
        m_browse[which] = new QPushButton(QString::fromUtf8("参照"), this);
        m_browse[which]->setAutoDefault(false);
        row->addWidget(m_paths[which], 1, 0);
        row->addWidget(m_browse[which], 1, 1);
        layout->addLayout(row);
        connect(m_browse[which], &QPushButton::clicked, this,
                [this, which] { OnBrowse(static_cast<EPath>(which)); });
    }

    auto* store = new QGroupBox(QString::fromUtf8("記録の保存先"), this);
    auto* storeRows = new QGridLayout(store);
    m_folder = new QRadioButton(QString::fromUtf8("共有フォルダ（上のパス）"), store);
    m_database = new QRadioButton(QString::fromUtf8("会社のデータベース（PostgreSQL）"), store);
    m_conninfo = new QLineEdit(store);
    m_conninfo->setAccessibleName(QString::fromUtf8("接続文字列"));
    m_conninfo->setPlaceholderText(QString::fromUtf8("host=… dbname=… user=…"));
    m_site = new QLineEdit(store);
    m_site->setAccessibleName(QString::fromUtf8("拠点"));
    storeRows->addWidget(m_folder, 0, 0, 1, 2);
    storeRows->addWidget(m_database, 1, 0, 1, 2);
    storeRows->addWidget(new QLabel(QString::fromUtf8("接続文字列"), store), 2, 0);
    storeRows->addWidget(m_conninfo, 2, 1);
    storeRows->addWidget(new QLabel(QString::fromUtf8("拠点"), store), 3, 0);
    storeRows->addWidget(m_site, 3, 1);
    layout->addWidget(store);
    connect(m_database, &QRadioButton::toggled, this, [this](bool on) {
        m_conninfo->setEnabled(on);
        m_site->setEnabled(on);
    });

    AddOkCancel(*this, *layout, [this] { OnOk(); });
    SetDialogUnitsWidth(*this, 260);

    m_chooser = [this](EPath which, const QString& current) -> std::optional<QString> {
        // An open-style chooser that also takes a file that does not exist yet (a new work file
        // in a new shared folder); Qt's own dialog, so that it is Japanese on every desktop.
        QFileDialog dialog(this, QString::fromUtf8(kPathSpecs[which].label), current,
                           QString::fromUtf8(kPathSpecs[which].filter));
        dialog.setOption(QFileDialog::DontUseNativeDialog);
        CJapaneseIconProvider kinds;
        dialog.setIconProvider(&kinds);
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(QFileDialog::AnyFile);
        dialog.setLabelText(QFileDialog::Accept, QString::fromUtf8("選択"));
        dialog.setDefaultSuffix(QString::fromUtf8(kPathSpecs[which].extension));
        dialog.setObjectName(QStringLiteral("pathChooser"));
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
            return std::nullopt;
        }
        return QString::fromStdString(CConfigForm::WithExtension(
            dialog.selectedFiles().front().toStdString(), kPathSpecs[which].extension));
    };
    Fill();
}

bool CConfigDialog::eventFilter(QObject* watched, QEvent* event) {
    // Up and Down step an hour field inside its range, as its buttons do.
    auto it = m_hourRanges.find(watched);
    if (it != m_hourRanges.end() && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Up || key->key() == Qt::Key_Down) {
            StepHour(*static_cast<QLineEdit*>(watched), it->second,
                     key->key() == Qt::Key_Up ? 1 : -1);
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void CConfigDialog::Fill() {
    auto values = CConfigForm::Read(*m_controller.GetSettings());
    m_shown = values;
    m_dayChange->setText(QString::number(values.dayChangeHour));
    m_switch->setText(QString::number(values.switchHour));
    m_paths[kRegisterPath]->setText(QString::fromStdString(values.idFilePath));
    m_paths[kWorkPath]->setText(QString::fromStdString(values.workFilePath));
    m_paths[kBackupPath]->setText(QString::fromStdString(values.backupPath));
    m_backup->setChecked(values.backupChecked);
    m_browse[kBackupPath]->setEnabled(values.backupChecked);
    m_shownStore = CStoreChoice::Read(m_controller.Runtime());
    const CStoreChoice store = m_shownStore.value_or(CStoreChoice{});
    const bool database = store.kind == CStoreChoice::EKind::kPostgreSql;
    (database ? m_database : m_folder)->setChecked(true);
    m_conninfo->setText(QString::fromStdString(store.database));
    m_site->setText(QString::fromStdString(store.site));
    m_conninfo->setEnabled(database);
    m_site->setEnabled(database);
}

void CConfigDialog::Open() {
    Fill();
    show();
    raise();
    activateWindow();
}

void CConfigDialog::StepHour(QLineEdit& field, int maxHour, int step) {
    // From a value out of range the step starts at the nearest end of the range.
    auto value = CConfigForm::ParseHour(field.text().toStdString(), maxHour);
    int from = value ? *value + step : (step > 0 ? 0 : maxHour);
    field.setText(QString::number(std::clamp(from, 0, maxHour)));
}

void CConfigDialog::OnBrowse(EPath which) {
    if (auto chosen = m_chooser(which, m_paths[which]->text())) m_paths[which]->setText(*chosen);
}

void CConfigDialog::OnOk() {
    CConfigForm::Values values = m_shown;
    // An hour out of range is refused with its range; the window stays open, nothing is saved.
    if (!CConfigForm::ReadHours(m_dayChange->text().toStdString(), m_switch->text().toStdString(),
                                values, m_controller.Prompt())) {
        return;
    }
    values.idFilePath = m_paths[kRegisterPath]->text().toStdString();
    values.workFilePath = m_paths[kWorkPath]->text().toStdString();
    values.backupPath = m_paths[kBackupPath]->text().toStdString();
    values.backupChecked = m_backup->isChecked();
    // Kept open with the typed values when Setting.txt cannot be written or a path is refused.
    // The files that move to a new place may be on shares: copied on a thread of its own, into a
    // copy of the settings that the clock takes over only when all went well.
    auto settings = std::make_shared<CEnvironmentSettings>(*m_controller.GetSettings());
    auto applied = std::make_shared<bool>(false);
    CStoreChoice store;
    if (m_database->isChecked()) {
        store = {CStoreChoice::EKind::kPostgreSql, m_conninfo->text().toStdString(),
                 m_site->text().toStdString()};
    }
    // A new store is tried (the server may be slow to answer) on the same thread as the files.
    const bool storeChanged = !m_shownStore || m_shownStore->kind != store.kind ||
                              m_shownStore->database != store.database ||
                              m_shownStore->site != store.site;
    if (!m_files->Run(
            [settings, applied, shown = m_shown, values, store, storeChanged,
             runtime = m_controller.Runtime(), prompt = m_files->Prompt()] {
                if (storeChanged && !CStoreForm::Apply(runtime, store, *prompt)) return;
                *applied = CConfigForm::ApplyAsking(*settings, shown, values, *prompt);
            },
            "新しい保存場所")) {
        return;
    }
    if (!*applied) return;
    *m_controller.GetSettings() = *settings;
    hide();
}

CConfigDialog::~CConfigDialog() = default;

void CConfigDialog::reject() {
    Fill();
    hide();
}

}  // namespace stampwell
