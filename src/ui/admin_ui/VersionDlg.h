#pragma once

#include <QDialog>

namespace stampwell {

// The version box.
class CVersionDlg : public QDialog {
public:
    explicit CVersionDlg(QWidget* parent = nullptr);
};

}  // namespace stampwell
