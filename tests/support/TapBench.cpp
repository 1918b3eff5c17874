#include "support/TapBench.h"

#include "RecorderCommand/RecorderCommand.h"
#include "officestore/OfficeStores.h"
#include "platform/LocalTime.h"

namespace stampwell::test {

bool CScriptedReader::Poll(unsigned char idm[8]) {
    ++polls;
    if (cards.empty()) return false;
    std::string card = cards.front();
    cards.pop_front();
    for (int i = 0; i < 8; ++i)
        idm[i] = static_cast<unsigned char>(std::stoi(card.substr(i * 2, 2), nullptr, 16));
    return true;
}

CTapBench::CTapBench(const std::string& style, const std::string& card, const std::string& name,
                     const std::string& mailAddress) {
    if (!style.empty()) WriteBytes(t.dir / "Style.txt", style);
    controller = std::make_unique<CRecorderController>(t.runtime, prompt);
    controller->SetScreen(&screen, &screen);
    controller->CreateSettingsObjects();
    auto backend = std::make_unique<CScriptedReader>();
    reader = backend.get();
    controller->SetReader(std::make_shared<CFelicaReader>(std::move(backend), true, prompt));
    reg = OpenPeopleStore(t.runtime);
    work = OpenWorkStore(t.runtime);
    controller->AttachRegister(reg.get());
    controller->AttachWorkReport(work.get());
    reg->SetCardId(card);
    reg->SetName(name);
    reg->SetMailName(mailAddress.empty() ? "" : "部長");
    reg->SetMailAddress(mailAddress);
    reg->AddRecord();
}

void CTapBench::Tap(int day, int hour, int minute, const std::string& card) {
    t.clock->Set(CLocalTime::FromLocal(2011, 8, day, hour, minute));
    reader->cards.push_back(card);
    screen.calls.clear();
    controller->GetReadCommand()->Execute();
}

}  // namespace stampwell::test
