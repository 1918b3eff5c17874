#pragma once

#include <deque>
#include <memory>
#include <string>

#include "controller/RecorderController.h"
#include "folderstore/FolderPeopleStore.h"
#include "folderstore/FolderWorkStore.h"
#include "people/RegisterFile.h"
#include "reader/FelicaReader.h"
#include "support/Fakes.h"
#include "support/TestSupport.h"
#include "workfile/WorkReport.h"

namespace stampwell::test {

// A reader whose cards are given by the test, one per poll.
class CScriptedReader : public ICardReaderBackend {
public:
    bool Open() override { return true; }
    bool Poll(unsigned char idm[8]) override;
    bool IsDisconnected() override { return disconnected; }
    std::deque<std::string> cards;
    int polls = 0;
    bool disconnected = false;
};

// The card-reading command's world: a controller with a fake screen and prompts, a scripted
// reader, and a real register and work file in a temporary folder holding one employee.
struct CTapBench {
    CTapBench(const std::string& style, const std::string& card, const std::string& name,
              const std::string& mailAddress = {});
    // The card is on the reader for one poll at 2011/08/<day> hour:minute.
    void Tap(int day, int hour, int minute, const std::string& card);
    std::size_t Records() const { return ReadBytes(t.dir / "KINTAI.dat").size() / 51; }

    CTestRuntime t;
    CFakePrompt prompt;
    CFakeScreen screen;
    CScriptedReader* reader = nullptr;
    std::unique_ptr<CRecorderController> controller;
    std::shared_ptr<IPeopleStore> reg;
    std::shared_ptr<IWorkStore> work;
};

}  // namespace stampwell::test
