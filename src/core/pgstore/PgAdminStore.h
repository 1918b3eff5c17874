#pragma once

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "pgstore/PgConnection.h"
#include "store/IAdminStore.h"

namespace stampwell {

// The administrators in the company database: each password kept only as a salted, slow,
// one-way hash (CPasswordHash), so the working record never gets a stored password back (an
// administrator changing their record types it again). Each change is one transaction holding
// the table, with the limit of three and the unique ID and card checked in it.
class CPgAdminStore : public IAdminStore {
public:
    CPgAdminStore(std::string conninfo, std::chrono::milliseconds wait)
        : m_conninfo(std::move(conninfo)), m_wait(wait) {}

    void SetCardId(std::string card) override { m_cardId = std::move(card); }
    void ClearCardId() override { m_cardId.clear(); }
    void SetId(std::string id) override { m_id = std::move(id); }
    void SetPreviousId(std::string id) override { m_previousId = std::move(id); }
    void SetPassword(std::string password) override { m_password = std::move(password); }
    void SetLoginId(std::string id) override { m_loginId = std::move(id); }
    std::string GetCardId() const override { return m_cardId; }
    const std::string& GetId() const override { return m_id; }
    const std::string& GetPreviousId() const override { return m_previousId; }
    const std::string& GetPassword() const override { return m_password; }
    const std::string& GetLoginId() const override { return m_loginId; }

    int GetCount() const override;
    int CheckPassword() const override;
    int FindIdByCard() override;
    int ExistsId() const override;
    // The card only: the password is not kept in a form that could be shown.
    void LoadAdmin() override;
    void GetIdList(std::vector<std::string>& ids) const override;
    std::vector<Entry> GetAdminList() const override;

    int AddAdmin() override;
    int ChangeAdmin() override;
    int DeleteAdmin() override;
    ERefusal LastRefusal() const override { return m_refusal; }
    std::string LastRefusalMessage() const override;
    bool KeepsPasswordHidden() const override { return true; }
    bool Fits(const std::string& id, const std::string& card,
              const std::string& password) const override;

    bool LoginWithPassword(const std::string& id, const std::string& password) override;
    bool LoginWithCard(const std::string& card) override;

    std::shared_ptr<IAdminStore> Clone() const override {
        return std::make_shared<CPgAdminStore>(*this);
    }

private:
    struct Stored {
        std::string id, card, hash;
    };
    struct Listed {
        std::string id;
        bool hasCard = false;
    };
    std::unique_ptr<CPgConnection> Connect(std::string& why) const;
    // The administrators in their order; false when they cannot be read.
    bool ReadAll(std::vector<Listed>& admins) const;
    // Nothing when the server could not be asked.
    std::optional<bool> IsPassword(const std::string& id, const std::string& password) const;
    // The ID of the card's administrator, empty for none; nothing when the server could not be
    // asked.
    std::optional<std::string> IdOfCard(const std::string& card) const;
    // change runs in a transaction holding the table; it returns the refusal or kNone.
    int Change(const std::function<ERefusal(CPgConnection&, const std::vector<Stored>&)>& change);

    std::string m_conninfo;
    std::chrono::milliseconds m_wait;
    std::string m_cardId, m_id, m_previousId, m_password, m_loginId;
    ERefusal m_refusal = ERefusal::kNone;
    std::string m_why;
};

}  // namespace stampwell
