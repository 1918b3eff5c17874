#pragma once

#include "controller/RecorderController.h"

namespace stampwell {

// Sets the controller's busy flag for a login or an administrative dialog and clears it on every
// way out, so the registration screen never stops reading cards for good.
class CBusyScope {
public:
    explicit CBusyScope(CRecorderController& controller)
        : m_controller(controller), m_wasBusy(controller.IsBusy()) {
        m_controller.SetBusy(true);
    }
    // A scope inside another (the login, then its target) leaves the outer one busy.
    ~CBusyScope() { m_controller.SetBusy(m_wasBusy); }
    CBusyScope(const CBusyScope&) = delete;
    CBusyScope& operator=(const CBusyScope&) = delete;

private:
    CRecorderController& m_controller;
    bool m_wasBusy;
};

}  // namespace stampwell
