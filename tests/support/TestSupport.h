#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/IMessageSink.h"
#include "platform/ManualClock.h"
#include "platform/Runtime.h"

namespace stampwell::test {

// Collects the messages the core would show.
class CRecordingMessageSink : public IMessageSink {
public:
    void ShowMessage(std::string_view text, EMessageIcon icon) override {
        messages.emplace_back(text);
        icons.push_back(icon);
    }
    std::vector<std::string> messages;
    std::vector<EMessageIcon> icons;
};

// A fresh folder under the system temp dir, removed (with read-only files) at the end.
class CTempDir {
public:
    CTempDir();
    ~CTempDir();
    CTempDir(const CTempDir&) = delete;
    CTempDir& operator=(const CTempDir&) = delete;
    const std::filesystem::path& Path() const { return m_path; }
    std::filesystem::path operator/(const std::string& name) const { return m_path / name; }

private:
    std::filesystem::path m_path;
};

std::string ReadBytes(const std::filesystem::path& path);
// The names in a folder, sorted: a test names every file it expects, so a scratch file left
// behind under any name shows.
std::vector<std::string> FilesIn(const std::filesystem::path& folder);
void WriteBytes(const std::filesystem::path& path, const std::string& bytes);
// UTF-8 -> CP932 for expected file content.
std::string Sjis(const std::string& utf8);
// The deciphered text of every 51-byte record of a work file (none when it cannot be opened).
std::vector<std::string> WorkBlocks(const std::filesystem::path& path);
// The last of the messages or questions, "(none)" when there is none: a check fails instead of
// the whole binary crashing.
std::string LastOf(const std::vector<std::string>& texts);
// Runs each job in a process of its own, all at once (several programs on one office); how many
// returned true.
int RunAtOnce(const std::vector<std::function<bool()>>& jobs);

// A runtime on a temp folder with a manual clock and a recording sink.
struct CTestRuntime {
    CTestRuntime();
    CTempDir dir;
    std::shared_ptr<CManualClock> clock;
    std::shared_ptr<CRecordingMessageSink> sink;
    CRuntime runtime;
};

}  // namespace stampwell::test
