#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <vector>

#include "platform/Runtime.h"
#include "settings/IChimeSettings.h"

namespace stampwell {

enum class EChimeAddResult { Added, Duplicate, Full };

// The values of Setting2.txt: up to 20 chime times kept in ascending order, and the switch.
// The chime dialog wraps this object.
class CChimeSettings : public IChimeSettings {
public:
    static constexpr std::size_t kMaxTimes = 20;

    explicit CChimeSettings(CRuntime runtime);

    std::vector<std::int64_t> GetChimeTimes() const override { return m_times; }
    bool IsChimeEnabled() const override { return m_enabled; }

    void SetChimeEnabled(bool enabled) { m_enabled = enabled; }
    void SetChimeTimes(std::vector<std::int64_t> times) { m_times = std::move(times); }
    // Inserts at its place in time order.
    EChimeAddResult AddTime(std::int64_t secondsAfterMidnight);
    void RemoveAt(std::size_t index);

    void LoadSettings();
    bool SaveSettings() const;
    std::filesystem::path FilePath() const;

private:
    CRuntime m_runtime;
    std::vector<std::int64_t> m_times;
    bool m_enabled = false;
};

std::shared_ptr<CChimeSettings> CreateChimeSettings(const CRuntime& runtime);

}  // namespace stampwell
