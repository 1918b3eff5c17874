#include "pgstore/PgScheduleStore.h"

namespace stampwell {

bool CPgScheduleStore::Read(CScheduleBook& book, std::string* refusal) const {
    std::string why;
    const auto text = m_book.Read(why);
    if (!text) {
        if (refusal) *refusal = why;
        return false;
    }
    book.ReadText(*text);
    return true;
}

bool CPgScheduleStore::Apply(const Change& change, IMessageSink& messages) {
    return m_book.Apply(
        [&](std::string& text) -> std::optional<std::string> {
            CScheduleBook book;
            book.ReadText(text);
            auto refused = change(book);
            if (!refused) text = book.FileText();
            return refused;
        },
        messages,
        "他の端末が勤務予定を変更中のため、保存できませんでした。\nしばらくしてからもう一度お試し"
        "ください。");
}

}  // namespace stampwell
