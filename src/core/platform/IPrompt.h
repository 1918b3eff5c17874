#pragma once

#include <string_view>

#include "platform/IMessageSink.h"

namespace stampwell {

// The message boxes a card tap may need, supplied by whoever shows things to the user.
class IPrompt : public IMessageSink {
public:
    enum EAnswer { kNoAnswer = 0, kYes = 1, kNo = 2 };
    // The timed yes/no question: `byItself` (yes at the clock) when nobody answers in time. A
    // question whose yes destroys something (a delete) answers no by itself; one whose answer
    // no timer may give (saving a month's corrections, carrying the files to a new place) is
    // asked with kNoAnswer and waits for somebody.
    virtual int AskQuestion(std::string_view text, EAnswer byItself) = 0;
    int AskQuestion(std::string_view text) { return AskQuestion(text, kYes); }
    // The system's plain Yes/No question; Enter answers no (its yes discards or replaces).
    virtual bool AskYesNo(std::string_view text) = 0;
    // Moves the mouse pointer out of the way (to 0, 0) when a card is read.
    virtual void MovePointerToOrigin() = 0;
};

}  // namespace stampwell
