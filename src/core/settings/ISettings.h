#pragma once

#include <string>

namespace stampwell {

// The environment settings as everybody else reads them.
class ISettings {
public:
    virtual ~ISettings() = default;
    virtual int GetDayChangeHour() const = 0;
    virtual int GetSwitchHour() const = 0;
    virtual std::string GetIdFilePath() const = 0;
    virtual std::string GetWorkFilePath() const = 0;
    virtual std::string GetBackupPath() const = 0;
};

}  // namespace stampwell
