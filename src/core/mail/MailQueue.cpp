#include "mail/MailQueue.h"

#include <curl/curl.h>

#include <ctime>
#include <iostream>

#include "diagnostics/ErrorLog.h"
#include "mail/MailMessage.h"
#include "mail/MailSender.h"

namespace stampwell {

CMailQueue::CMailQueue(std::filesystem::path dataDir) : m_dataDir(std::move(dataDir)) {
    static const bool curlReady = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
    (void)curlReady;
    m_worker = std::thread([this] { Run(); });
}

CMailQueue::~CMailQueue() {
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_wake.notify_all();
    m_worker.join();
}

void CMailQueue::Enqueue(CMailJob job) {
    {
        std::lock_guard lock(m_mutex);
        m_jobs.push_back(std::move(job));
    }
    m_wake.notify_all();
}

void CMailQueue::SetTimeouts(const MailTimeouts& timeouts) {
    std::lock_guard lock(m_mutex);
    m_timeouts = timeouts;
}

void CMailQueue::WaitIdle() {
    std::unique_lock lock(m_mutex);
    m_idle.wait(lock, [this] { return m_jobs.empty() && !m_busy; });
}

int CMailQueue::SentCount() const {
    std::lock_guard lock(m_mutex);
    return m_sent;
}

int CMailQueue::FailedCount() const {
    std::lock_guard lock(m_mutex);
    return m_failed;
}

void CMailQueue::Run() {
    for (;;) {
        CMailJob job;
        {
            std::unique_lock lock(m_mutex);
            m_wake.wait(lock, [this] { return m_stopping || !m_jobs.empty(); });
            if (m_jobs.empty()) return;
            job = std::move(m_jobs.front());
            m_jobs.pop_front();
            m_busy = true;
        }
        Handle(job);
        {
            std::lock_guard lock(m_mutex);
            m_busy = false;
        }
        m_idle.notify_all();
    }
}

void CMailQueue::Handle(const CMailJob& job) {
    // An employee without a recipient has no notification: nothing to send, nothing wrong.
    if (job.recipient.empty()) return;
    std::string message =
        CMailMessage::Compose(job.settings.sendName, job.settings.sendAddress, job.recipient,
                              job.subject, job.body, static_cast<std::int64_t>(std::time(nullptr)));
    MailTimeouts timeouts;
    {
        std::lock_guard lock(m_mutex);
        timeouts = m_timeouts;
    }
    MailResult result = CMailSender::Send(job.settings, job.recipient, message, timeouts);
    std::lock_guard lock(m_mutex);
    if (result.ok) {
        ++m_sent;
        return;
    }
    ++m_failed;
    std::string what = "メールを送信できませんでした: " + job.recipient + ": " + result.error +
                       " (TimeReadCommand::SendMail)";
    ErrorLog(m_dataDir, __LINE__, what, __FILE__);
    std::cerr << "stampwell: mail not sent: " << what << '\n';
}

}  // namespace stampwell
