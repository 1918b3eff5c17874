#pragma once

#include <QLocalServer>
#include <QString>
#include <functional>

namespace stampwell {

// The running time clock listens on a local socket named after its single-instance lock; a
// second copy started on the same data folder asks it to show its window, then ends.
class CInstanceChannel {
public:
    explicit CInstanceChannel(QString name) : m_name(std::move(name)) {}

    // Called by the copy that holds the lock. False when the socket could not be opened (the
    // clock still runs; a second copy then only ends).
    bool Listen(std::function<void()> onShowRequest);
    // Called by a second copy: true when the running one received the request.
    bool RequestShow(int timeoutMs = 2000) const;

private:
    QString m_name;
    QLocalServer m_server;
    std::function<void()> m_onShowRequest;
};

}  // namespace stampwell
