#pragma once

#include <CLI/CLI.hpp>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "leave/LeaveBook.h"
#include "schedule/ScheduleBook.h"
#include "platform/Runtime.h"
#include "settings/WorkRules.h"

namespace stampwell {
class IWorkStore;
}

namespace stampwell::cli {

// Exit codes of every command.
enum EExit { kOk = 0, kRefused = 1, kUsage = 2 };

// What the global options give every command.
struct CliOptions {
    std::optional<std::filesystem::path> dataDir;
    std::string reader = "pcsc";
};

// Built once the options are parsed. Creates a --data-dir folder that does not exist yet.
CRuntime MakeRuntime(const CliOptions& options);
// For the commands that only read: a message and kRefused when the data folder does not exist
// or is not a folder (nothing is created then), else nothing.
std::optional<int> RequireDataDir(const CliOptions& options);

// Each command group registers its subcommands; the callback sets the exit code.
using CommandResult = std::function<int()>;
void AddSettingsCommands(CLI::App& app, const CliOptions& options, CommandResult& action);
void AddUserCommands(CLI::App& app, const CliOptions& options, CommandResult& action);
void AddAdminCommands(CLI::App& app, const CliOptions& options, CommandResult& action);
void AddRecordCommands(CLI::App& app, const CliOptions& options, CommandResult& action);
void AddReaderCommands(CLI::App& app, const CliOptions& options, CommandResult& action);
void AddTapCommand(CLI::App& app, const CliOptions& options, CommandResult& action);
void AddMailCommands(CLI::App& app, const CliOptions& options, CommandResult& action);
void AddRulesCommands(CLI::App& app, const CliOptions& options, CommandResult& action);
void AddGuideCommand(CLI::App& app, CommandResult& action);
void AddDbCommands(CLI::App& app, const CliOptions& options, CommandResult& action);
void AddLimitsCommand(CLI::App& app, const CliOptions& options, CommandResult& action);
void AddLeaveCommands(CLI::App& app, const CliOptions& options, CommandResult& action);
void AddTimesheetCommand(CLI::App& app, const CliOptions& options, CommandResult& action);
// Work patterns, holidays, swapped rest days and the closing of pay periods.
void AddScheduleCommands(CLI::App& app, const CliOptions& options, CommandResult& action);

// The work report of the data folder, with its settings.
std::shared_ptr<IWorkStore> OpenWorkReport(const CRuntime& runtime);
// The message for a --site the store cannot select.
int RefuseSite(const IWorkStore& report, const std::string& site);
// A report's CSV written in CP932 to path (never over one of Stampwell's own files); kOk, or
// kRefused after the message.
int WriteCsv(IWorkStore& report, const std::string& path, const std::string& csv);
// The export's closing index (0..5) of "5", "10", "15", "20", "25" or "end".
int ClosingIndex(const std::string& closing);

// The work rules of the data folder, with a warning on stderr for each value that did not read;
// nothing (after the message) when the file cannot be read.
std::optional<CWorkRules> LoadWorkRules(const CRuntime& runtime);
// The paid-leave book beside the register, with each line that could not be read named on
// stderr and in ErrorLog.txt; nothing (after the message) when the file cannot be read.
std::optional<CLeaveBook> LoadLeaveBook(const CRuntime& runtime);

// The clerk's calendar (patterns, holidays, swaps, closings); nothing (after the message) when
// it cannot be read.
std::optional<CScheduleBook> LoadSchedule(const CRuntime& runtime);

// Prints the reason on stderr and returns kRefused.
int Refuse(const std::string& reason);

}  // namespace stampwell::cli
