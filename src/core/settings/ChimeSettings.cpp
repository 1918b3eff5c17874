#include "settings/ChimeSettings.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <string>

#include "settings/SettingFile.h"

namespace stampwell {

namespace {
constexpr const char* kFileName = "Setting2.txt";
constexpr const char* kTimes = "チャイム";
constexpr const char* kEnabled = "チャイム使用";
}  // namespace

CChimeSettings::CChimeSettings(CRuntime runtime) : m_runtime(std::move(runtime)) {}

std::filesystem::path CChimeSettings::FilePath() const {
    return m_runtime.DataFile(kFileName);
}

EChimeAddResult CChimeSettings::AddTime(std::int64_t secondsAfterMidnight) {
    if (std::find(m_times.begin(), m_times.end(), secondsAfterMidnight) != m_times.end()) {
        return EChimeAddResult::Duplicate;
    }
    if (m_times.size() >= kMaxTimes) return EChimeAddResult::Full;
    m_times.insert(std::upper_bound(m_times.begin(), m_times.end(), secondsAfterMidnight),
                   secondsAfterMidnight);
    return EChimeAddResult::Added;
}

void CChimeSettings::RemoveAt(std::size_t index) {
    if (index < m_times.size()) m_times.erase(m_times.begin() + static_cast<std::ptrdiff_t>(index));
}

void CChimeSettings::LoadSettings() {
    auto file = CreateSettingFile(&m_runtime.Messages());
    if (!file->OpenRead(FilePath())) return;
    std::array<std::string, kMaxTimes> values;
    if (file->ReadStrings(kTimes, values)) {
        m_times.clear();
        for (const auto& value : values) {
            if (value.empty()) continue;
            m_times.push_back(std::strtoll(value.c_str(), nullptr, 10));
        }
    }
    std::array<std::int32_t, 1> enabled{m_enabled ? 1 : 0};
    if (file->ReadInts(kEnabled, enabled)) m_enabled = enabled[0] != 0;
    file->Close();
}

bool CChimeSettings::SaveSettings() const {
    auto file = CreateSettingFile(&m_runtime.Messages());
    if (!file->OpenWrite(FilePath())) return false;
    std::array<std::string, kMaxTimes> values;
    for (std::size_t i = 0; i < m_times.size() && i < kMaxTimes; ++i) {
        values[i] = std::to_string(m_times[i]);
    }
    file->WriteStrings(kTimes, values);
    file->WriteInts(kEnabled, std::array<std::int32_t, 1>{m_enabled ? 1 : 0});
    return file->Close() == 1;
}

std::shared_ptr<CChimeSettings> CreateChimeSettings(const CRuntime& runtime) {
    auto settings = std::make_shared<CChimeSettings>(runtime);
    settings->LoadSettings();
    return settings;
}

}  // namespace stampwell
