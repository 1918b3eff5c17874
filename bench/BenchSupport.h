#pragma once

#include <unistd.h>

#include <filesystem>
#include <memory>
#include <string>

#include "platform/ManualClock.h"
#include "platform/Runtime.h"
#include "platform/StderrMessageSink.h"

namespace stampwell::bench {

// A data folder under /tmp that lives as long as the benchmark process.
inline std::filesystem::path BenchDir(const std::string& name) {
    struct Cleanup {
        std::filesystem::path root = std::filesystem::temp_directory_path() /
                                     ("stampwell-bench-" + std::to_string(::getpid()));
        ~Cleanup() {
            std::error_code ignored;
            std::filesystem::remove_all(root, ignored);
        }
    };
    static Cleanup cleanup;
    auto dir = cleanup.root / name;
    std::filesystem::create_directories(dir);
    return dir;
}

inline CRuntime BenchRuntime(const std::filesystem::path& dir, std::int64_t now = 0) {
    return CRuntime(dir, std::make_shared<CManualClock>(now),
                    std::make_shared<CStderrMessageSink>());
}

}  // namespace stampwell::bench
