// stampwell-cli: the administrators' and scripts' tool over the same files as the time clock.
#include <iostream>

#include "CliContext.h"
#include "CliUsage.h"
#include "platform/FileSystem.h"
#include "platform/StderrMessageSink.h"
#include "platform/SystemClock.h"

namespace stampwell::cli {

CRuntime MakeRuntime(const CliOptions& options) {
    return CRuntime(CRuntime::ResolveDataDir(options.dataDir), std::make_shared<CSystemClock>(),
                    std::make_shared<CStderrMessageSink>());
}

std::optional<int> RequireDataDir(const CliOptions& options) {
    if (!options.dataDir) return std::nullopt;
    std::error_code error;
    if (std::filesystem::is_directory(*options.dataDir, error)) return std::nullopt;
    if (std::filesystem::exists(*options.dataDir, error)) {
        return Refuse("データフォルダではありません（ファイルです）: " + options.dataDir->string());
    }
    return Refuse("データフォルダがありません: " + options.dataDir->string());
}

int Refuse(const std::string& reason) {
    std::cerr << reason << '\n';
    return kRefused;
}

}  // namespace stampwell::cli

int main(int argc, char** argv) {
    using namespace stampwell::cli;
    stampwell::CFileSystem::IgnoreFileSizeSignal();
    // Named here, so usage lines show the program's name rather than its full path.
    CLI::App app{"stampwell-cli: Stampwell のデータフォルダを管理する", "stampwell-cli"};
    // Help in Japanese; set before the commands are added, which copy it.
    CCliUsage::SpeakJapanese(app);
    // The global options may also follow the command: "users list --data-dir D".
    app.fallthrough();
    CliOptions options;
    CCliUsage::AddCommonOptions(
        app, options.dataDir, options.reader,
        stampwell::CRuntime::DefaultDataDir(stampwell::CRuntime::ExecutableDir()).string());
    CommandResult action;
    AddSettingsCommands(app, options, action);
    AddUserCommands(app, options, action);
    AddAdminCommands(app, options, action);
    AddRecordCommands(app, options, action);
    AddReaderCommands(app, options, action);
    AddTapCommand(app, options, action);
    AddMailCommands(app, options, action);
    AddRulesCommands(app, options, action);
    AddLimitsCommand(app, options, action);
    AddLeaveCommands(app, options, action);
    AddDbCommands(app, options, action);
    AddScheduleCommands(app, options, action);
#ifdef STAMPWELL_WITH_TIMESHEET
    AddTimesheetCommand(app, options, action);
#endif
    AddGuideCommand(app, action);
    app.set_version_flag("--version",
                         "Stampwell " STAMPWELL_VERSION " (" STAMPWELL_RELEASE_DATE ")",
                         "バージョンを表示する");
    CCliUsage::NameCommandGroups(app);
    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp& e) {
        return app.exit(e);
    } catch (const CLI::CallForAllHelp& e) {
        return app.exit(e);
    } catch (const CLI::CallForVersion& e) {
        return app.exit(e);
    } catch (const CLI::ParseError& e) {
        // A missing command is checked before unknown arguments; the unknown one is the
        // likelier slip ("--bogus", a misspelt command), so it is named first.
        const auto unknown = app.remaining(true);
        if (!unknown.empty()) {
            std::cerr << "stampwell-cli: " << CCliUsage::DescribeUnknown(unknown)
                      << CCliUsage::HelpHint(app) << "\n";
            return kUsage;
        }
        std::cerr << "stampwell-cli: " << CCliUsage::Describe(e) << CCliUsage::HelpHint(app)
                  << "\n";
        return kUsage;
    }
    if (!action) {
        std::cerr << "stampwell-cli: コマンドを指定してください（使い方: stampwell-cli --help）\n";
        return kUsage;
    }
    return action();
}
