#pragma once

namespace stampwell {

class CEditLog;
class CWorkReport;

// Settles a batch of the correction trail that a crash left open between its lines and the
// replace of the work file: done when the work file holds every new time of the batch, else
// failed for its working days. The caller holds the work file's lock (CWorkReport::RunLocked).
class CTrailSettlement {
public:
    static bool Settle(CWorkReport& report, const CEditLog& log);
};

}  // namespace stampwell
