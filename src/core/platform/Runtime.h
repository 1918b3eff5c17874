#pragma once

#include <chrono>
#include <filesystem>
#include <memory>
#include <optional>
#include <string_view>

#include "platform/IClock.h"
#include "platform/IMessageSink.h"

namespace stampwell {

// What every long-lived component is given: the data folder (where the program keeps its files;
// the executable's folder unless --data-dir says otherwise), the clock and the message sink.
class CRuntime {
public:
    CRuntime(std::filesystem::path dataDir, std::shared_ptr<IClock> clock,
             std::shared_ptr<IMessageSink> messages);

    const std::filesystem::path& DataDir() const { return m_dataDir; }
    std::filesystem::path DataFile(std::string_view name) const;
    // A picture or sound: the office's own in the data folder wins, else ours beside the
    // executable (the build folder) or in the installed share folder (<prefix>/share/stampwell
    // beside <prefix>/bin).
    std::filesystem::path AssetFile(std::string_view name) const;
    static std::filesystem::path FindAsset(const std::filesystem::path& dataDir,
                                           const std::filesystem::path& exeDir,
                                           std::string_view name);
    // <prefix>/share/stampwell when the executable is <prefix>/bin/...: an installed program.
    static std::optional<std::filesystem::path> InstalledShareDir(
        const std::filesystem::path& exeDir);
    // The Japanese guide (manual-ja.html): <prefix>/share/doc/stampwell for an installed program,
    // the build folder's docs for one run where it was built; nothing when neither holds it.
    static std::optional<std::filesystem::path> FindGuide(const std::filesystem::path& exeDir);
    const IClock& Clock() const { return *m_clock; }
    IMessageSink& Messages() const { return *m_messages; }
    std::shared_ptr<IClock> ClockPtr() const { return m_clock; }
    // How long a program waits for another one's lock before it gives up (tests shorten it).
    std::chrono::milliseconds LockWait() const { return m_lockWait; }
    void SetLockWait(std::chrono::milliseconds wait) { m_lockWait = wait; }
    std::shared_ptr<IMessageSink> MessagesPtr() const { return m_messages; }

    // The executable's own folder (from /proc/self/exe).
    static std::filesystem::path ExecutableDir();
    // --data-dir when given (made absolute, created when missing). Else an installed program (or
    // one whose folder cannot be written) keeps its data in $XDG_DATA_HOME/stampwell
    // (~/.local/share/stampwell), created on first use; a program run from its build folder
    // keeps it beside the executable.
    static std::filesystem::path ResolveDataDir(const std::optional<std::filesystem::path>& given);
    static std::filesystem::path DefaultDataDir(const std::filesystem::path& exeDir);

private:
    std::filesystem::path m_dataDir;
    std::shared_ptr<IClock> m_clock;
    std::shared_ptr<IMessageSink> m_messages;
    std::chrono::milliseconds m_lockWait{10000};
};

}  // namespace stampwell
