#pragma once

#include <functional>
#include <string>
#include <vector>

#include "RecorderCommand/IRegisterScreen.h"
#include "platform/IPrompt.h"
#include "workfile/IStampSide.h"

namespace stampwell::test {

// The side switch alone.
class CFixedSide : public IStampSide {
public:
    bool IsEndSelected() const override { return end; }
    bool end = false;
};

// Records the messages and questions; answers the question as told.
class CFakePrompt : public IPrompt {
public:
    void ShowMessage(std::string_view text, EMessageIcon) override {
        messages.emplace_back(text);
        // What happens while the box would be open (timers keep firing under a real box).
        if (whileShown) whileShown();
    }
    using IPrompt::AskQuestion;
    int AskQuestion(std::string_view text, EAnswer byItself) override {
        questions.emplace_back(text);
        // Nobody at the screen: the box answers by itself when its time is up.
        return nobodyAnswers ? byItself : answer;
    }
    bool AskYesNo(std::string_view) override { return yesNo; }
    void MovePointerToOrigin() override { ++pointerMoves; }
    std::function<void()> whileShown;
    std::vector<std::string> messages, questions;
    int answer = kYes;
    bool nobodyAnswers = false;
    bool yesNo = false;
    int pointerMoves = 0;
};

// A registration screen that writes down what is done to it.
class CFakeScreen : public IRegisterScreen, public IStampSide {
public:
    void ResetScreen(int skip) override { calls.push_back("Reset" + std::to_string(skip)); }
    void SelectStart() override { end = false; }
    void SelectEnd() override { end = true; }
    void BeginStamp() override { calls.push_back("Begin"); }
    void ShowResult() override { calls.push_back("Result " + result); }
    void ShowKeptHere() override { calls.push_back("KeptHere"); }
    void StopReading() override { calls.push_back("Stop"); }
    void ShowReaderAway(bool away) override { calls.push_back(away ? "Away" : "Back"); }
    void ShowBusyRefusal() override { calls.push_back("Busy"); }
    std::string GetShownName() const override { return name; }
    void SetShownName(const std::string& n) override { name = n; }
    void SetResultText(const std::string& text) override { result = text; }
    bool IsEndSelected() const override { return end; }
    std::vector<std::string> calls;
    std::string name, result;
    bool end = false;
};

}  // namespace stampwell::test
