#pragma once

#include <condition_variable>
#include <deque>
#include <filesystem>
#include <mutex>
#include <string>
#include <thread>

#include "mail/MailSender.h"
#include "mail/MailSettings.h"

namespace stampwell {

struct CMailJob {
    CMailSettings settings;
    std::string recipient;
    std::string subject;
    std::string body;
};

// Sends notification mails on one worker thread, in order, so that a slow or unreachable server
// never delays a tap. A failure is written to ErrorLog.txt and stderr; nothing is retried.
class CMailQueue {
public:
    explicit CMailQueue(std::filesystem::path dataDir);
    // Sends what is still queued (each send is bounded by its time-outs), then stops.
    ~CMailQueue();
    CMailQueue(const CMailQueue&) = delete;
    CMailQueue& operator=(const CMailQueue&) = delete;

    void Enqueue(CMailJob job);
    void SetTimeouts(const MailTimeouts& timeouts);
    // Blocks until every queued mail has been handled.
    void WaitIdle();
    int SentCount() const;
    int FailedCount() const;

private:
    void Run();
    void Handle(const CMailJob& job);

    std::filesystem::path m_dataDir;
    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    std::condition_variable m_idle;
    std::deque<CMailJob> m_jobs;
    bool m_busy = false;
    bool m_stopping = false;
    int m_sent = 0;
    int m_failed = 0;
    MailTimeouts m_timeouts;
    std::thread m_worker;
};

}  // namespace stampwell
