#pragma once

#include <memory>

#include "platform/Runtime.h"
#include "store/IPeopleStore.h"

namespace stampwell {

// The employees as the folder of files keeps them: Register.txt where the settings say (a
// shared folder too), changed whole under its lock, with the copy last read kept in the data
// folder so a tap knows the cards while that folder is away (CRegisterFile).
class CFolderPeopleStore : public IPeopleStore {
public:
    explicit CFolderPeopleStore(CRegisterFile file) : m_file(std::move(file)) {}

    void SetPathSource(std::shared_ptr<const ISettings> settings) override {
        m_file.SetPathSource(std::move(settings));
    }
    int SetCardId(std::string card) override { return m_file.SetCardId(std::move(card)); }
    int SetName(std::string name) override { return m_file.SetName(std::move(name)); }
    int SetPreviousName(std::string name) override {
        return m_file.SetPreviousName(std::move(name));
    }
    int SetMailName(std::string name) override { return m_file.SetMailName(std::move(name)); }
    int SetMailAddress(std::string address) override {
        return m_file.SetMailAddress(std::move(address));
    }
    void ClearCardId() override { m_file.ClearCardId(); }
    const std::string& GetCardId() const override { return m_file.GetCardId(); }
    const std::string& GetName() const override { return m_file.GetName(); }

    int FindNameByCard() override { return m_file.FindNameByCard(); }
    std::string GetCardIdByName(const std::string& name) const override {
        return m_file.GetCardIdByName(name);
    }
    std::string GetMailNameByName(const std::string& name) const override {
        return m_file.GetMailNameByName(name);
    }
    std::string GetMailAddressByName(const std::string& name) const override {
        return m_file.GetMailAddressByName(name);
    }
    bool HasName(const std::string& name) const override { return m_file.HasName(name); }
    int GetCount() const override { return m_file.GetCount(); }
    std::vector<std::string> GetAllNames() const override { return m_file.GetAllNames(); }
    std::vector<Person> ReadAll() const override { return m_file.ReadAll(); }

    int AddRecord() override { return m_file.AddRecord(); }
    int ChangeRecord() override { return m_file.ChangeRecord(); }
    int DeleteRecord() override { return m_file.DeleteRecord(); }
    std::string FailureMessage(const std::string& otherwise) const override {
        return m_file.FailureMessage(otherwise);
    }

    std::shared_ptr<IPeopleStore> Clone() const override {
        return std::make_shared<CFolderPeopleStore>(m_file);
    }

private:
    CRegisterFile m_file;
};

}  // namespace stampwell
