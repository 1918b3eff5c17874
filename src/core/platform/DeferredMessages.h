#pragma once

#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "platform/IMessageSink.h"

namespace stampwell {

// The message sink of the time clock's components. A message from the window's thread (the one
// that made this object) is shown at once; one from the worker that does the file work waits
// until the window's thread flushes it when the job's result arrives, since only that thread
// may show a box.
class CDeferredMessages : public IMessageSink {
public:
    explicit CDeferredMessages(std::shared_ptr<IMessageSink> target);
    void ShowMessage(std::string_view text, EMessageIcon icon) override;
    // Shows the waiting messages in the order they came (the window's thread only).
    void Flush();

private:
    std::shared_ptr<IMessageSink> m_target;
    std::thread::id m_owner;
    std::mutex m_mutex;
    std::vector<std::pair<std::string, EMessageIcon>> m_waiting;
};

}  // namespace stampwell
