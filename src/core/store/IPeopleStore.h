#pragma once

#include <memory>
#include <string>
#include <vector>

#include "people/RegisterFile.h"

namespace stampwell {

class ISettings;

// The employees and their cards as stored, whatever keeps them: who a card belongs to, the
// names and mail addresses, and the changes of the employee screens and the command line. The
// working record is set field by field before the operation that uses it. One object is used
// by one thread at a time; Clone gives another for a job on another thread.
class IPeopleStore {
public:
    using Person = CRegisterFile::Record;
    // Byte limits of the fields (CP932): the work file and the mails hold no more.
    static constexpr std::size_t kNameLimit = CRegisterFile::kNameLimit;
    static constexpr std::size_t kMailNameLimit = CRegisterFile::kMailNameLimit;
    static constexpr std::size_t kMailAddressLimit = CRegisterFile::kMailAddressLimit;

    virtual ~IPeopleStore() = default;

    // The settings that say where the register is kept.
    virtual void SetPathSource(std::shared_ptr<const ISettings> settings) = 0;

    virtual int SetCardId(std::string card) = 0;
    virtual int SetName(std::string name) = 0;
    virtual int SetPreviousName(std::string name) = 0;
    virtual int SetMailName(std::string name) = 0;
    virtual int SetMailAddress(std::string address) = 0;
    virtual void ClearCardId() = 0;
    virtual const std::string& GetCardId() const = 0;
    virtual const std::string& GetName() const = 0;

    // The name of the working card's employee into the working record: non-zero when found.
    virtual int FindNameByCard() = 0;
    virtual std::string GetCardIdByName(const std::string& name) const = 0;
    virtual std::string GetMailNameByName(const std::string& name) const = 0;
    virtual std::string GetMailAddressByName(const std::string& name) const = 0;
    virtual bool HasName(const std::string& name) const = 0;
    virtual int GetCount() const = 0;
    virtual std::vector<std::string> GetAllNames() const = 0;
    virtual std::vector<Person> ReadAll() const = 0;

    // Each change is made over the register as stored at that moment, kept from every other
    // writer until it is stored; 0 when refused (a name or card another employee has, a record
    // the store cannot hold, another writer that keeps it too long), with why in
    // FailureMessage.
    virtual int AddRecord() = 0;
    // Replaces the employee of the previous name by the working record.
    virtual int ChangeRecord() = 0;
    virtual int DeleteRecord() = 0;
    virtual std::string FailureMessage(const std::string& otherwise) const = 0;

    // A copy with the working record and the settings.
    virtual std::shared_ptr<IPeopleStore> Clone() const = 0;
};

}  // namespace stampwell
