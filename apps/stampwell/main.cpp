// stampwell: the time clock.
#include <CLI/CLI.hpp>
#include <QApplication>
#include <QMessageBox>
#include <QTimer>
#include <cstdio>
#include <iostream>

#include "CliUsage.h"
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

namespace {
struct Options {
    std::optional<std::filesystem::path> dataDir;
    std::string reader = "pcsc";
    std::optional<std::filesystem::path> screens;
};

void Describe(CLI::App& app, Options& options) {
    stampwell::cli::CCliUsage::SpeakJapanese(app);
    stampwell::cli::CCliUsage::AddCommonOptions(
        app, options.dataDir, options.reader,
        stampwell::CRuntime::DefaultDataDir(stampwell::CRuntime::ExecutableDir()).string());
    app.add_option("--screens", options.screens,
                   "待ち受けと結果の画面が切り替わるたびに、ウィンドウの画像を DIR に保存する"
                   "（説明書やデモ用）")
        ->type_name("DIR");
}
}  // namespace

int main(int argc, char** argv) {
    CLI::App options{"stampwell: Stampwell のタイムレコーダー", "stampwell"};
    Options given;
    Describe(options, given);
    stampwell::cli::CCliUsage::NameCommandGroups(options);
    // Qt takes its own options (-platform ...): --help is answered before Qt needs a display.
    options.allow_extras();
    try {
        options.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        return options.exit(e);
    }
    auto& dataDir = given.dataDir;
    auto& reader = given.reader;
    auto& screens = given.screens;
    if (!stampwell::IsReaderSpec(reader)) {
        std::cerr << "stampwell: " << stampwell::ReaderSpecRefusal(reader) << '\n';
        return 2;
    }

    stampwell::CFileSystem::IgnoreFileSizeSignal();
    stampwell::CJapaneseTranslations::PreferJapaneseSystemLocale();
    QApplication application(argc, argv);
    // What Qt did not take must be ours: a typo such as --datadir in an autostart line would
    // otherwise start a clock on another data folder without a word.
    {
        CLI::App strict{"stampwell", "stampwell"};
        Options again;
        Describe(strict, again);
        stampwell::cli::CCliUsage::NameCommandGroups(strict);
        try {
            strict.parse(argc, argv);
        } catch (const CLI::ParseError& e) {
            const std::string what = stampwell::cli::CCliUsage::Describe(e);
            std::cerr << "stampwell: " << what << '\n';
            QMessageBox::critical(
                nullptr, QStringLiteral("Stampwell"),
                QString::fromUtf8("起動オプションが正しくありません。\n%1\n\n"
                                  "stampwell --help で使えるオプションを確認してください。")
                    .arg(QString::fromStdString(what)));
            return 2;
        }
    }
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
