#include "corrections/TimeMask.h"

#include "calendar/TimeText.h"

namespace stampwell {

CTimeMask::CTimeMask(std::string text) : m_text(std::move(text)) {
    if (m_text.size() != 5 || m_text[2] != ':') m_text = CTimeText::kEmpty;
}

void CTimeMask::Put(char c) {
    if (m_text[static_cast<std::size_t>(m_selection)] != c) m_modified = true;
    m_text[static_cast<std::size_t>(m_selection)] = c;
}

void CTimeMask::Type(char c) {
    if (c < '0' || c > '9') return;
    Put(c);
    Right();
}

void CTimeMask::Backspace() {
    Put('_');
    Left();
}

void CTimeMask::Delete() {
    Put('_');
}

void CTimeMask::Left() {
    if (m_selection == 3) {
        m_selection = 1;
    } else if (m_selection > 0) {
        --m_selection;
    }
}

void CTimeMask::Right() {
    if (m_selection == 1) {
        m_selection = 3;
    } else if (m_selection < 4) {
        ++m_selection;
    }
}

void CTimeMask::Click(int index) {
    if (index == 2 || index > 4) {
        m_selection = index == 2 ? 3 : 4;
    } else {
        m_selection = index < 0 ? 0 : index;
    }
}

}  // namespace stampwell
