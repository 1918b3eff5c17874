#pragma once

#include <functional>

namespace stampwell {

// Where an administrator's screen does the file work of one step (reading a month, saving it):
// a shared folder may hang, and the window must keep painting and its clock ticking meanwhile.
// Run returns when the job is done (true), or when the administrator stopped waiting for a
// share that does not answer (false): the job then goes on by itself, so it must own
// everything it touches (values and shared pointers, never the caller's locals).
class IFileWork {
public:
    virtual ~IFileWork() = default;
    virtual bool Run(std::function<void()> job) = 0;
};

// Runs the job at once, on the caller's thread (the command line, the tests).
class CInlineFileWork : public IFileWork {
public:
    bool Run(std::function<void()> job) override {
        job();
        return true;
    }
};

}  // namespace stampwell
