#include "app/JapaneseFonts.h"

#include <QApplication>
#include <QFont>

namespace stampwell {

void CJapaneseFonts::Install() {
    const QStringList gothic = {QStringLiteral("IPAPGothic"), QStringLiteral("IPAGothic"),
                                QStringLiteral("Noto Sans CJK JP")};
    const QStringList mincho = {QStringLiteral("IPAPMincho"), QStringLiteral("IPAMincho"),
                                QStringLiteral("Noto Serif CJK JP")};
    QFont::insertSubstitutions(QString::fromUtf8("ＭＳ Ｐゴシック"), gothic);
    QFont::insertSubstitutions(QString::fromUtf8("ＭＳ ゴシック"),
                               {QStringLiteral("IPAGothic"), QStringLiteral("IPAPGothic")});
    QFont::insertSubstitutions(QString::fromUtf8("ＭＳ Ｐ明朝"), mincho);
    QFont::insertSubstitutions(QStringLiteral("MS UI Gothic"), gothic);
    QApplication::setFont(QFont(QStringLiteral("MS UI Gothic"), 9));
}

}  // namespace stampwell
