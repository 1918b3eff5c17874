#include "platform/Runtime.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <system_error>

namespace stampwell {

namespace fs = std::filesystem;

CRuntime::CRuntime(fs::path dataDir, std::shared_ptr<IClock> clock,
                   std::shared_ptr<IMessageSink> messages)
    : m_dataDir(std::move(dataDir)), m_clock(std::move(clock)), m_messages(std::move(messages)) {}

fs::path CRuntime::DataFile(std::string_view name) const {
    return m_dataDir / fs::path(std::string(name));
}

fs::path CRuntime::AssetFile(std::string_view name) const {
    return FindAsset(m_dataDir, ExecutableDir(), name);
}

fs::path CRuntime::FindAsset(const fs::path& dataDir, const fs::path& exeDir,
                             std::string_view name) {
    std::error_code error;
    fs::path own = dataDir / fs::path(std::string(name));
    if (fs::is_regular_file(own, error)) return own;
    fs::path ours = exeDir / fs::path(std::string(name));
    if (fs::is_regular_file(ours, error)) return ours;
    if (auto share = InstalledShareDir(exeDir)) {
        fs::path installed = *share / fs::path(std::string(name));
        if (fs::is_regular_file(installed, error)) return installed;
    }
    return own;
}

std::optional<fs::path> CRuntime::FindGuide(const fs::path& exeDir) {
    std::error_code error;
    const fs::path places[] = {
        exeDir.parent_path() / "share" / "doc" / "stampwell" / "manual-ja.html",
        // Run where it was built: <build>/apps/<program>/ (or <build>/tests/) and <build>/guide/.
        exeDir.parent_path().parent_path() / "guide" / "manual-ja.html",
        exeDir.parent_path() / "guide" / "manual-ja.html",
    };
    for (const auto& place : places) {
        if (fs::is_regular_file(place, error)) return place;
    }
    return std::nullopt;
}

std::optional<fs::path> CRuntime::InstalledShareDir(const fs::path& exeDir) {
    if (exeDir.filename() != "bin") return std::nullopt;
    std::error_code error;
    fs::path share = exeDir.parent_path() / "share" / "stampwell";
    if (!fs::is_directory(share, error)) return std::nullopt;
    return share;
}

fs::path CRuntime::DefaultDataDir(const fs::path& exeDir) {
    const bool writable = ::access(exeDir.c_str(), W_OK) == 0;
    if (!InstalledShareDir(exeDir) && writable) return exeDir;
    // The user's own data folder, as the XDG base directories name it.
    const char* dataHome = std::getenv("XDG_DATA_HOME");
    fs::path base;
    if (dataHome != nullptr && *dataHome == '/') {
        base = dataHome;
    } else {
        const char* home = std::getenv("HOME");
        if (home == nullptr || *home == '\0') {
            const passwd* entry = ::getpwuid(::getuid());
            home = entry != nullptr ? entry->pw_dir : "/";
        }
        base = fs::path(home) / ".local" / "share";
    }
    return base / "stampwell";
}

fs::path CRuntime::ExecutableDir() {
    std::error_code error;
    fs::path exe = fs::read_symlink("/proc/self/exe", error);
    if (error) return fs::current_path();
    return exe.parent_path();
}

fs::path CRuntime::ResolveDataDir(const std::optional<fs::path>& given) {
    std::error_code error;
    if (!given) {
        fs::path dir = DefaultDataDir(ExecutableDir());
        fs::create_directories(dir, error);
        return dir;
    }
    fs::path dir = fs::absolute(*given, error);
    if (error) dir = *given;
    fs::create_directories(dir, error);
    return dir.lexically_normal();
}

}  // namespace stampwell
