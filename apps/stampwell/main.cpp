// stampwell: the time clock.
#include <CLI/CLI.hpp>
#include <QApplication>
#include <QTimer>
#include <cstdio>
#include <iostream>

#include "admin_ui/QtPrompt.h"
#include "app/JapaneseFonts.h"
#include "app/JapaneseTranslations.h"
#include "app/MainFrame.h"
#include "app/StampwellApp.h"
#include "platform/FileSystem.h"
#include "platform/SystemClock.h"
#include "reader/FelicaReader.h"
#include "screen/QtSoundPlayer.h"
#include "screen/TimeRegisterView.h"

int main(int argc, char** argv) {
    CLI::App options{"stampwell: the Stampwell time clock"};
    std::optional<std::filesystem::path> dataDir;
    std::string reader = "pcsc";
    options.add_option("--data-dir", dataDir,
                       "data folder (default: the folder of this executable)");
    options.add_option("--reader", reader, "card reader: pcsc (default) or simulated:FILE");
    std::optional<std::filesystem::path> screens;
    options.add_option("--screens", screens,
                       "save a picture of the window into DIR each time the screen changes "
                       "between waiting and a result (for demos and documentation)");
    // Qt takes its own options (-platform ...) after ours.
    options.allow_extras();
    try {
        options.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        return options.exit(e);
    }
    if (!stampwell::IsReaderSpec(reader)) {
        std::cerr << "stampwell: unknown reader '" << reader << "' (use pcsc or simulated:FILE)\n";
        return 2;
    }

    stampwell::CFileSystem::IgnoreFileSizeSignal();
    QApplication application(argc, argv);
    stampwell::CJapaneseFonts::Install();
    if (!stampwell::CJapaneseTranslations::Install(application)) {
        std::cerr << "stampwell: Qt's Japanese translations (qt6-translations-l10n) are missing\n";
    }
    auto folder = stampwell::CRuntime::ResolveDataDir(dataDir);
    auto prompt = std::make_shared<stampwell::CQtPrompt>(folder);
    stampwell::CRuntime runtime(folder, std::make_shared<stampwell::CSystemClock>(), prompt);
    stampwell::CStampwellApp stampwell(runtime, prompt,
                                       std::make_shared<stampwell::CQtSoundPlayer>(), reader);
    // A second copy ends at once: 0 when the running one came to the front, 3 when it did not
    // answer.
    if (!stampwell.InitInstance()) return stampwell.SecondCopyAnswered() ? 0 : 3;
    prompt->SetParent(stampwell.Frame());
    if (screens) {
        std::filesystem::create_directories(*screens);
        struct Pictures {
            int count = 0;
            std::string last;
        };
        auto pictures = std::make_shared<Pictures>();
        auto* frame = stampwell.Frame();
        stampwell.Screen()->SetStateListener([=](const char* state) {
            if (pictures->last == state) return;
            pictures->last = state;
            char name[64];
            std::snprintf(name, sizeof name, "%02d-%s.png", ++pictures->count, state);
            std::filesystem::path file = *screens / name;
            // Once the screen has painted (and the history is refreshed).
            QTimer::singleShot(400, frame, [frame, file] {
                frame->grab().save(QString::fromStdString(file.string()));
            });
        });
        stampwell.Screen()->ResetScreen(0);
    }
    return application.exec();
}
