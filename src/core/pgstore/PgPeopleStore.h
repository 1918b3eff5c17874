#pragma once

#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "store/IPeopleStore.h"

namespace stampwell {

class CPgConnection;

// The employees as the company database keeps them: stampwell.employees in the register's
// order and their cards in stampwell.cards. Each change runs in one transaction that holds
// both tables against every other writer, so a name or a card never ends up twice.
class CPgPeopleStore : public IPeopleStore {
public:
    CPgPeopleStore(std::string conninfo, std::chrono::milliseconds wait)
        : m_conninfo(std::move(conninfo)), m_wait(wait) {}

    // The clock's data folder: the register as last read is kept there ("DatabaseRegister.txt",
    // CP932), and a tap looks its card up there while the database does not answer.
    void SetClockFolder(std::filesystem::path dataDir) { m_clockFolder = std::move(dataDir); }

    void SetPathSource(std::shared_ptr<const ISettings>) override {}
    int SetCardId(std::string card) override;
    int SetName(std::string name) override;
    int SetPreviousName(std::string name) override;
    int SetMailName(std::string name) override;
    int SetMailAddress(std::string address) override;
    void ClearCardId() override { m_person.cardId.clear(); }
    const std::string& GetCardId() const override { return m_person.cardId; }
    const std::string& GetName() const override { return m_person.personalName; }

    int FindNameByCard() override;
    std::string GetCardIdByName(const std::string& name) const override;
    std::string GetMailNameByName(const std::string& name) const override;
    std::string GetMailAddressByName(const std::string& name) const override;
    bool HasName(const std::string& name) const override;
    int GetCount() const override;
    std::vector<std::string> GetAllNames() const override;
    std::vector<Person> ReadAll() const override;

    int AddRecord() override;
    int ChangeRecord() override;
    int DeleteRecord() override;
    std::string FailureMessage(const std::string& otherwise) const override;

    std::shared_ptr<IPeopleStore> Clone() const override;

private:
    // The first value of a query about one name (empty when there is none).
    std::string Lookup(const std::string& sql, const std::string& name) const;
    // Runs change in a transaction holding both tables; 1 when it was stored.
    int Change(const std::function<bool(CPgConnection&)>& change);

    std::filesystem::path CopyPath() const { return m_clockFolder / "DatabaseRegister.txt"; }
    std::vector<Person> ReadCopy() const;
    void KeepCopy(const std::vector<Person>& people) const;
    // The person of that name in the copy (for the mail of a tap kept beside the clock).
    std::optional<Person> FromCopy(const std::string& name) const;
    bool UsesCopy() const;

    std::filesystem::path m_clockFolder;
    std::string m_conninfo;
    std::chrono::milliseconds m_wait;
    Person m_person;
    std::string m_previousName;
    std::string m_failure;
};

}  // namespace stampwell
