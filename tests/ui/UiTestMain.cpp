// UI tests need a QApplication of their own before GoogleTest runs.
#include <gtest/gtest.h>

#include <QApplication>
#include <cstdlib>
#include <filesystem>

#include "app/JapaneseFonts.h"
#include "app/JapaneseTranslations.h"

int main(int argc, char** argv) {
    // A home of the run's own (with its documents folder), so that files offered to the office
    // (exports, PDFs) never land in the real user's home and no run sees another's.
    char home[] = "/tmp/stampwell-ui-home-XXXXXX";
    if (::mkdtemp(home) == nullptr) return 2;
    std::filesystem::create_directories(std::filesystem::path(home) / "Documents");
    setenv("HOME", home, 1);
    unsetenv("XDG_CONFIG_HOME");
    // Offscreen unless the runner chose a platform (xcb under Xvfb checks a real X server).
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    setenv("TZ", "Asia/Tokyo", 0);
    tzset();
    stampwell::CJapaneseTranslations::PreferJapaneseSystemLocale();
    QApplication application(argc, argv);
    stampwell::CJapaneseFonts::Install();
    if (!stampwell::CJapaneseTranslations::Install(application)) return 2;
    ::testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();
    std::error_code ignored;
    std::filesystem::remove_all(home, ignored);
    return result;
}
