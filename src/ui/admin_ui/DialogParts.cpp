#include "admin_ui/DialogParts.h"

#include <QBoxLayout>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPalette>
#include <QPushButton>
#include <QStandardPaths>
#include <filesystem>

#include "platform/Runtime.h"
#include "screen/CaptionLabel.h"
#include "settings/ExportSettings.h"

namespace stampwell {

Qt::WindowFlags DialogFlags() {
    return Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint;
}

void LookReadOnly(QLineEdit& field) {
    field.setReadOnly(true);
    QPalette palette = field.palette();
    palette.setColor(QPalette::Base, palette.color(QPalette::Window));
    field.setPalette(palette);
}

QFrame* Separator(QWidget* parent) {
    auto* line = new QFrame(parent);  // owned by the parent
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    return line;
}

void SetDialogUnitsWidth(QDialog& dialog, int dialogUnits) {
    dialog.setMinimumWidth(dialogUnits * 3 / 2);
}

QPushButton* AddOkCancel(QDialog& dialog, QBoxLayout& layout, std::function<void()> onOk,
                         const char* okText, const char* cancelText) {
    auto* buttons = new QDialogButtonBox(&dialog);  // owned by the dialog
    QPushButton* ok = buttons->addButton(QString::fromUtf8(okText), QDialogButtonBox::AcceptRole);
    QPushButton* cancel =
        buttons->addButton(QString::fromUtf8(cancelText), QDialogButtonBox::RejectRole);
    ok->setDefault(true);
    layout.addWidget(buttons);
    QObject::connect(ok, &QPushButton::clicked, &dialog, std::move(onOk));
    QObject::connect(cancel, &QPushButton::clicked, &dialog, [&dialog] { dialog.reject(); });
    return ok;
}

ListButtons AddListWithButtons(QDialog& dialog, const char* label) {
    auto* grid = new QGridLayout(&dialog);  // the dialog owns its layout and widgets
    grid->addWidget(new QLabel(QString::fromUtf8(label), &dialog), 0, 0);
    ListButtons parts;
    parts.list = new QListWidget(&dialog);
    parts.list->setFont(ScreenFont("ＭＳ Ｐゴシック", 18, 400));
    grid->addWidget(parts.list, 1, 0, 4, 1);
    parts.add = new QPushButton(QString::fromUtf8("新規登録"), &dialog);
    parts.change = new QPushButton(QString::fromUtf8("変更"), &dialog);
    parts.remove = new QPushButton(QString::fromUtf8("削除"), &dialog);
    parts.close = new QPushButton(QString::fromUtf8("閉じる"), &dialog);
    for (QPushButton* button : {parts.add, parts.change, parts.remove}) {
        button->setAutoDefault(false);
    }
    parts.close->setDefault(true);
    grid->addWidget(parts.add, 1, 1);
    grid->addWidget(parts.change, 2, 1);
    grid->addWidget(parts.remove, 3, 1);
    grid->addWidget(parts.close, 4, 1, Qt::AlignBottom);
    grid->setRowStretch(4, 1);  // the list takes the height, the label keeps its own
    parts.list->setSelectionMode(QAbstractItemView::SingleSelection);
    QObject::connect(parts.list, &QListWidget::itemSelectionChanged, &dialog, [parts] {
        const bool chosen = !parts.list->selectedItems().isEmpty();
        parts.change->setEnabled(chosen);
        parts.remove->setEnabled(chosen);
    });
    return parts;
}

void FillNames(const ListButtons& parts, const std::vector<std::string>& names,
               const std::string& selected) {
    parts.list->clear();
    QStringList texts;
    for (const auto& name : names) texts << QString::fromStdString(name);
    parts.list->addItems(texts);
    parts.list->setCurrentRow(-1);
    parts.list->clearSelection();
    if (!selected.empty()) {
        const auto found =
            parts.list->findItems(QString::fromStdString(selected), Qt::MatchExactly);
        if (!found.isEmpty()) {
            parts.list->setCurrentItem(found.front());
            found.front()->setSelected(true);
            parts.list->scrollToItem(found.front());
        }
    }
    const bool chosen = !parts.list->selectedItems().isEmpty();
    parts.change->setEnabled(chosen);
    parts.remove->setEnabled(chosen);
}

std::string SelectedText(const QListWidget& list) {
    const auto selected = list.selectedItems();
    return selected.isEmpty() ? std::string{} : selected.front()->text().toStdString();
}

std::string OutputFolder(const CRuntime& runtime) {
    CExportSettings settings(runtime);
    settings.LoadSettings();
    const std::filesystem::path kept(settings.GetExportFolder());
    std::error_code error;
    const bool isDataFolder = std::filesystem::equivalent(kept, runtime.DataDir(), error) && !error;
    if (!kept.empty() && !isDataFolder && std::filesystem::is_directory(kept, error)) {
        return kept.string();
    }
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (!documents.isEmpty() && QDir(documents).exists()) return documents.toStdString();
    return QDir::homePath().toStdString();
}

void RememberOutputFolder(const CRuntime& runtime, const std::string& folder) {
    CExportSettings settings(runtime);
    settings.LoadSettings();
    settings.SetExportFolder(folder);
    settings.SaveSettings();  // only a convenience: a folder not kept is asked for again
}

}  // namespace stampwell
