#include "FuzzSupport.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>

namespace stampwell::fuzz {

namespace fs = std::filesystem;

CFuzzFolder& CFuzzFolder::Get() {
    static CFuzzFolder folder;
    return folder;
}

CFuzzFolder::CFuzzFolder() {
    // In memory where possible: the stores fsync every write.
    std::error_code error;
    fs::path base =
        fs::is_directory("/dev/shm", error) ? fs::path("/dev/shm") : fs::temp_directory_path();
    // The runner gives each run a folder it removes afterwards: libFuzzer may end the process
    // without running the exit handlers below.
    if (const char* given = std::getenv("STAMPWELL_FUZZ_SCRATCH"); given != nullptr && *given) {
        base = given;
    }
    std::string pattern = (base / "stampwell-fuzz-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) std::abort();
    m_path = pattern;
}

CFuzzFolder::~CFuzzFolder() {
    std::error_code ignored;
    fs::remove_all(m_path, ignored);
}

CRuntime CFuzzFolder::Runtime() const {
    return CRuntime(m_path, std::make_shared<CManualClock>(1314230700),  // 2011-08-25 09:05 JST
                    std::make_shared<CSilentSink>());
}

fs::path CFuzzFolder::Put(const std::string& name, const std::uint8_t* data, std::size_t size) {
    std::error_code ignored;
    for (const auto& entry : fs::directory_iterator(m_path, ignored)) {
        fs::permissions(entry.path(), fs::perms::owner_all, fs::perm_options::add, ignored);
        fs::remove_all(entry.path(), ignored);
    }
    fs::path file = m_path / name;
    std::FILE* out = std::fopen(file.c_str(), "wb");
    if (out == nullptr) std::abort();
    if (size > 0 && std::fwrite(data, 1, size, out) != size) std::abort();
    std::fclose(out);
    return file;
}

}  // namespace stampwell::fuzz
