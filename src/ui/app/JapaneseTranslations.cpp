#include "app/JapaneseTranslations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <memory>

#include "app/PrintWordsTranslator.h"

namespace stampwell {

void CJapaneseTranslations::PreferJapaneseSystemLocale() {
    qputenv("LC_ALL", "ja_JP.UTF-8");
}

bool CJapaneseTranslations::Install(QCoreApplication& application) {
    const QLocale japanese(QLocale::Japanese, QLocale::Japan);
    QLocale::setDefault(japanese);
    // Searched after Qt's catalogue (translators are asked newest first): only its gaps.
    auto words = std::make_unique<CPrintWordsTranslator>();
    words->setParent(&application);
    QCoreApplication::installTranslator(words.release());
    auto translator = std::make_unique<QTranslator>();
    if (!translator->load(japanese, QStringLiteral("qtbase"), QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        return false;
    }
    translator->setParent(&application);  // the application owns it from here on
    return QCoreApplication::installTranslator(translator.release());
}

}  // namespace stampwell
