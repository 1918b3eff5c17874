#include "admin_ui/JapaneseIconProvider.h"

#include <QFileInfo>

namespace stampwell {

QString CJapaneseIconProvider::type(const QFileInfo& info) const {
    if (info.isDir()) return QString::fromUtf8("フォルダー");
    return QFileIconProvider::type(info);
}

}  // namespace stampwell
