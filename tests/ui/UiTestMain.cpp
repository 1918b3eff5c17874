// UI tests need a QApplication of their own before GoogleTest runs.
#include <gtest/gtest.h>

#include <QApplication>

#include "app/JapaneseFonts.h"
#include "app/JapaneseTranslations.h"

int main(int argc, char** argv) {
    // Offscreen unless the runner chose a platform (xcb under Xvfb checks a real X server).
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    setenv("TZ", "Asia/Tokyo", 0);
    tzset();
    stampwell::CJapaneseTranslations::PreferJapaneseSystemLocale();
    QApplication application(argc, argv);
    stampwell::CJapaneseFonts::Install();
    if (!stampwell::CJapaneseTranslations::Install(application)) return 2;
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
