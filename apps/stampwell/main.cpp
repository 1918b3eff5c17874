// stampwell: the time clock.
#include <CLI/CLI.hpp>
#include <QApplication>
#include <iostream>

#include "admin_ui/QtPrompt.h"
#include "app/JapaneseFonts.h"
#include "app/MainFrame.h"
#include "app/StampwellApp.h"
#include "platform/FileSystem.h"
#include "platform/SystemClock.h"
#include "reader/FelicaReader.h"
#include "screen/QtSoundPlayer.h"

int main(int argc, char** argv) {
    CLI::App options{"stampwell: the Stampwell time clock"};
    std::optional<std::filesystem::path> dataDir;
    std::string reader = "pcsc";
    options.add_option("--data-dir", dataDir,
                       "data folder (default: the folder of this executable)");
    options.add_option("--reader", reader, "card reader: pcsc (default) or simulated:FILE");
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
    auto folder = stampwell::CRuntime::ResolveDataDir(dataDir);
    auto prompt = std::make_shared<stampwell::CQtPrompt>(folder);
    stampwell::CRuntime runtime(folder, std::make_shared<stampwell::CSystemClock>(), prompt);
    stampwell::CStampwellApp stampwell(runtime, prompt,
                                       std::make_shared<stampwell::CQtSoundPlayer>(), reader);
    if (!stampwell.InitInstance()) return 0;
    prompt->SetParent(stampwell.Frame());
    return application.exec();
}
