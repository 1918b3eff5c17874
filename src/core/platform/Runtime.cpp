#include "platform/Runtime.h"

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

fs::path CRuntime::FindAsset(const fs::path& dataDir, const fs::path& fallbackDir,
                             std::string_view name) {
    std::error_code error;
    fs::path own = dataDir / fs::path(std::string(name));
    if (fs::is_regular_file(own, error)) return own;
    fs::path ours = fallbackDir / fs::path(std::string(name));
    if (fs::is_regular_file(ours, error)) return ours;
    return own;
}

fs::path CRuntime::ExecutableDir() {
    std::error_code error;
    fs::path exe = fs::read_symlink("/proc/self/exe", error);
    if (error) return fs::current_path();
    return exe.parent_path();
}

fs::path CRuntime::ResolveDataDir(const std::optional<fs::path>& given) {
    if (!given) return ExecutableDir();
    std::error_code error;
    fs::path dir = fs::absolute(*given, error);
    if (error) dir = *given;
    fs::create_directories(dir, error);
    return dir.lexically_normal();
}

}  // namespace stampwell
