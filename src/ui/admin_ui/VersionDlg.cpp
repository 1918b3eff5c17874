#include "admin_ui/VersionDlg.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "admin_ui/DialogParts.h"

namespace stampwell {

CVersionDlg::CVersionDlg(QWidget* parent) : QDialog(parent, DialogFlags()) {
    setWindowTitle(QString::fromUtf8("バージョン情報"));
    setFont(QFont(QStringLiteral("MS UI Gothic"), 10));
    auto* layout = new QVBoxLayout(this);  // the dialog owns its layout and widgets
    // This program's own version and release date (from the package's changelog).
    layout->addWidget(new QLabel(
        QStringLiteral("Stampwell Ver" STAMPWELL_VERSION " " STAMPWELL_RELEASE_DATE), this));
    layout->addWidget(new QLabel(
        QString::fromUtf8("© 2026 Stampwell の開発者一同。このソフトウェアは自由に使えます。"),
        this));
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    layout->addWidget(ok, 0, Qt::AlignRight);
}

}  // namespace stampwell
