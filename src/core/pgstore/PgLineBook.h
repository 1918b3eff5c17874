#pragma once

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace stampwell {

class CPgConnection;
class IMessageSink;

// A book kept as numbered lines of text in one table of the company database (the paid-leave
// book, the work rules): the same lines the folder store keeps in its file, so both read them
// with one parser. A change reads and replaces the lines in one transaction that holds the
// table against every other writer.
class CPgLineBook {
public:
    // table: one of the schema's own tables ("stampwell.leave_book"), never a user's text.
    // wait: how long a change waits for another writer before it is refused as busy.
    CPgLineBook(std::string conninfo, std::string table, std::chrono::milliseconds wait)
        : m_conninfo(std::move(conninfo)), m_table(std::move(table)), m_wait(wait) {}

    // The lines as stored, joined with CR LF. Nothing, with why, when they cannot be read.
    std::optional<std::string> Read(std::string& why) const;
    // change gets the text as stored and returns the new text, or nothing with why set to
    // refuse. False with why (Japanese) when refused or not stored; busy: another writer held
    // the book longer than the wait.
    bool Change(const std::function<std::optional<std::string>(const std::string&)>& change,
                std::string& why, bool* busy = nullptr) const;

    // Change as a screen or command makes it: edit changes the text in place or says why it
    // refuses; whatever keeps the change from being stored is said through messages (busy:
    // the words for another writer that held the book too long).
    bool Apply(const std::function<std::optional<std::string>(std::string& text)>& edit,
               IMessageSink& messages, const std::string& busyWords) const;

    // Replaces the lines of table with text's, in the caller's transaction.
    static bool Store(CPgConnection& connection, const std::string& table, const std::string& text,
                      std::string& why);

private:
    std::string m_conninfo;
    std::string m_table;
    std::chrono::milliseconds m_wait;
};

}  // namespace stampwell
