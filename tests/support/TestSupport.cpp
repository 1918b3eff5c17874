#include "support/TestSupport.h"

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "people/CipherRecordFile.h"
#include "text/TextCodec.h"

namespace stampwell::test {

namespace fs = std::filesystem;

CTempDir::CTempDir() {
    static std::atomic<int> counter{0};
    m_path = fs::temp_directory_path() /
             ("stampwell-test-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
    fs::remove_all(m_path);
    fs::create_directories(m_path);
}

CTempDir::~CTempDir() {
    std::error_code error;
    for (auto& entry : fs::recursive_directory_iterator(m_path, error)) {
        fs::permissions(entry.path(), fs::perms::owner_all, fs::perm_options::add, error);
    }
    fs::remove_all(m_path, error);
}

std::string ReadBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

std::vector<std::string> FilesIn(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

void WriteBytes(const fs::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

std::vector<std::string> WorkBlocks(const fs::path& path) {
    std::vector<std::string> blocks;
    CCipherRecordFile file;
    if (!file.OpenRead(path)) return blocks;
    std::string text;
    while (file.ReadRecord(text, 51) == 1) blocks.push_back(text);
    return blocks;
}

std::string Sjis(const std::string& utf8) {
    auto bytes = CTextCodec::ToCp932(utf8);
    if (!bytes) throw std::runtime_error("no CP932 form: " + utf8);
    return *bytes;
}

CTestRuntime::CTestRuntime()
    : clock(std::make_shared<CManualClock>(0)),
      sink(std::make_shared<CRecordingMessageSink>()),
      runtime(dir.Path(), clock, sink) {}

int RunAtOnce(const std::vector<std::function<bool()>>& jobs) {
    std::vector<pid_t> children;
    for (const auto& job : jobs) {
        const pid_t child = ::fork();
        if (child == 0) ::_exit(job() ? 0 : 1);
        children.push_back(child);
    }
    int succeeded = 0;
    for (pid_t child : children) {
        int status = 0;
        ::waitpid(child, &status, 0);
        succeeded += WIFEXITED(status) && WEXITSTATUS(status) == 0;
    }
    return succeeded;
}

std::string LastOf(const std::vector<std::string>& texts) {
    return texts.empty() ? std::string("(none)") : texts.back();
}

}  // namespace stampwell::test

namespace {
// Every test runs in Japan's time zone unless it says otherwise.
const bool kTimeZoneSet = [] {
    ::setenv("TZ", "Asia/Tokyo", 0);
    ::tzset();
    return true;
}();
}  // namespace
