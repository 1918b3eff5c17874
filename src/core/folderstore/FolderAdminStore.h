#pragma once

#include <memory>

#include "platform/Runtime.h"
#include "store/IAdminStore.h"

namespace stampwell {

// The administrators as the folder of files keeps them: Admin.dat in the data folder, 64-byte
// enciphered blocks, changed whole under its lock (CAdminFile).
class CFolderAdminStore : public IAdminStore {
public:
    explicit CFolderAdminStore(CAdminFile file) : m_file(std::move(file)) {}

    void SetCardId(std::string card) override { m_file.SetCardId(std::move(card)); }
    void ClearCardId() override { m_file.ClearCardId(); }
    void SetId(std::string id) override { m_file.SetId(std::move(id)); }
    void SetPreviousId(std::string id) override { m_file.SetPreviousId(std::move(id)); }
    void SetPassword(std::string password) override { m_file.SetPassword(std::move(password)); }
    void SetLoginId(std::string id) override { m_file.SetLoginId(std::move(id)); }
    std::string GetCardId() const override { return m_file.GetCardId(); }
    const std::string& GetId() const override { return m_file.GetId(); }
    const std::string& GetPreviousId() const override { return m_file.GetPreviousId(); }
    const std::string& GetPassword() const override { return m_file.GetPassword(); }
    const std::string& GetLoginId() const override { return m_file.GetLoginId(); }

    int GetCount() const override { return m_file.GetCount(); }
    int CheckPassword() const override { return m_file.CheckPassword(); }
    int FindIdByCard() override { return m_file.FindIdByCard(); }
    int ExistsId() const override { return m_file.ExistsId(); }
    void LoadAdmin() override { m_file.LoadAdmin(); }
    void GetIdList(std::vector<std::string>& ids) const override { m_file.GetIdList(ids); }
    std::vector<Entry> GetAdminList() const override { return m_file.GetAdminList(); }

    int AddAdmin() override { return m_file.AddAdmin(); }
    int ChangeAdmin() override { return m_file.ChangeAdmin(); }
    int DeleteAdmin() override { return m_file.DeleteAdmin(); }
    ERefusal LastRefusal() const override { return m_file.LastRefusal(); }
    std::string LastRefusalMessage() const override { return m_file.LastRefusalMessage(); }
    bool KeepsPasswordHidden() const override { return false; }
    bool Fits(const std::string& id, const std::string& card,
              const std::string& password) const override {
        return CAdminFile::FitsBlock(id, card, password);
    }

    bool LoginWithPassword(const std::string& id, const std::string& password) override {
        return m_file.LoginWithPassword(id, password);
    }
    bool LoginWithCard(const std::string& card) override { return m_file.LoginWithCard(card); }

    std::shared_ptr<IAdminStore> Clone() const override {
        return std::make_shared<CFolderAdminStore>(m_file);
    }

private:
    CAdminFile m_file;
};

}  // namespace stampwell
