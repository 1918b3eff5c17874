#pragma once

#include <string>

namespace stampwell {

// The cell editor's mask over "HH:MM": one character is always selected, typing overwrites it,
// and the colon is never selected.
class CTimeMask {
public:
    explicit CTimeMask(std::string text);

    const std::string& Text() const { return m_text; }
    int Selection() const { return m_selection; }
    bool IsModified() const { return m_modified; }

    // A digit replaces the selected character and moves right; other characters are ignored.
    void Type(char c);
    // Backspace: "_" in place of the selected character, then one to the left.
    void Backspace();
    // Delete: "_" in place of the selected character, which stays selected.
    void Delete();
    void Left();
    void Right();
    // A click on character index i (the colon selects 3, past the end selects 4).
    void Click(int index);

private:
    void Put(char c);

    std::string m_text;
    int m_selection = 0;
    bool m_modified = false;
};

}  // namespace stampwell
