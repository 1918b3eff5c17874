#pragma once

#include <QFileIconProvider>

namespace stampwell {

// The file choosers' "種類" column in Japanese: Qt's translations leave a folder's kind as
// "Folder".
class CJapaneseIconProvider : public QFileIconProvider {
public:
    QString type(const QFileInfo& info) const override;
};

}  // namespace stampwell
