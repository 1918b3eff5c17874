#pragma once

class QCoreApplication;

namespace stampwell {

// Qt's own texts in Japanese whatever the machine's locale: the standard buttons (はい, いいえ,
// キャンセル) and the file dialogs, from Qt's qtbase_ja.qm in its translations folder.
class CJapaneseTranslations {
public:
    // False when the translations are not installed (the texts then stay English).
    static bool Install(QCoreApplication& application);
    // Before the application object: the system locale as Qt reads it is Japanese too, so what
    // Qt formats with it (the file chooser's sizes, dates and kinds) is never English under
    // LANG=C.
    static void PreferJapaneseSystemLocale();
};

}  // namespace stampwell
