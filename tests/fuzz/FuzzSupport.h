#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

#include "platform/IMessageSink.h"
#include "platform/ManualClock.h"
#include "platform/Runtime.h"

namespace stampwell::fuzz {

// Swallows the messages the stores show.
class CSilentSink : public IMessageSink {
public:
    void ShowMessage(std::string_view, EMessageIcon) override {}
};

// One data folder for the whole fuzzing process; each input is written into it as a file.
class CFuzzFolder {
public:
    static CFuzzFolder& Get();
    const std::filesystem::path& Path() const { return m_path; }
    CRuntime Runtime() const;
    // Replaces the folder's content with one file holding the input.
    std::filesystem::path Put(const std::string& name, const std::uint8_t* data, std::size_t size);

    // The folder goes with the process (the static's end); a run that libFuzzer ends without
    // it is cleaned by the runner, which gives each run a folder of its own.
    ~CFuzzFolder();
    CFuzzFolder(const CFuzzFolder&) = delete;
    CFuzzFolder& operator=(const CFuzzFolder&) = delete;

private:
    CFuzzFolder();
    std::filesystem::path m_path;
};

}  // namespace stampwell::fuzz
