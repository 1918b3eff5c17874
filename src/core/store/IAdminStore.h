#pragma once

#include <memory>
#include <string>
#include <vector>

#include "people/AdminFile.h"

namespace stampwell {

// The administrators as stored, whatever keeps them: their IDs, login cards and passwords, the
// login, and the changes of the administrator screens and the command line. Holds the working
// record and the ID of the administrator who is logged in. Clone gives a copy with both.
class IAdminStore {
public:
    using Entry = CAdminFile::Entry;
    using ERefusal = CAdminFile::ERefusal;
    static constexpr std::size_t kIdLimit = CAdminFile::kIdLimit;
    static constexpr std::size_t kPasswordLimit = CAdminFile::kPasswordLimit;
    static constexpr int kMaxAdmins = CAdminFile::kMaxAdmins;

    virtual ~IAdminStore() = default;

    virtual void SetCardId(std::string card) = 0;
    virtual void ClearCardId() = 0;
    virtual void SetId(std::string id) = 0;
    virtual void SetPreviousId(std::string id) = 0;
    virtual void SetPassword(std::string password) = 0;
    virtual void SetLoginId(std::string id) = 0;
    virtual std::string GetCardId() const = 0;
    virtual const std::string& GetId() const = 0;
    virtual const std::string& GetPreviousId() const = 0;
    virtual const std::string& GetPassword() const = 0;
    virtual const std::string& GetLoginId() const = 0;

    virtual int GetCount() const = 0;
    virtual int CheckPassword() const = 0;
    // The ID of the working card's administrator into the working record: non-zero when found.
    virtual int FindIdByCard() = 0;
    virtual int ExistsId() const = 0;
    // The working ID's card and password into the working record.
    virtual void LoadAdmin() = 0;
    virtual void GetIdList(std::vector<std::string>& ids) const = 0;
    virtual std::vector<Entry> GetAdminList() const = 0;

    // Each change is checked (at most kMaxAdmins, a unique ID and card) and made over the
    // administrators as stored at that moment; 0 when refused, with why in LastRefusal.
    virtual int AddAdmin() = 0;
    virtual int ChangeAdmin() = 0;
    virtual int DeleteAdmin() = 0;
    virtual ERefusal LastRefusal() const = 0;
    virtual std::string LastRefusalMessage() const = 0;
    // Whether a stored password never comes back (kept as a hash): LoadAdmin gives none, and a
    // change with no password keeps the one stored.
    virtual bool KeepsPasswordHidden() const = 0;
    // Whether ID, card and password can be stored at all.
    virtual bool Fits(const std::string& id, const std::string& card,
                      const std::string& password) const = 0;

    // The login ID changes only when the check succeeds.
    virtual bool LoginWithPassword(const std::string& id, const std::string& password) = 0;
    virtual bool LoginWithCard(const std::string& card) = 0;

    virtual std::shared_ptr<IAdminStore> Clone() const = 0;
};

}  // namespace stampwell
