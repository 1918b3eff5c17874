#include "pgstore/PgLeaveStore.h"

namespace stampwell {

namespace {
constexpr const char* kWhere = "有給休暇（データベース）";
}

bool CPgLeaveStore::Read(CLeaveBook& book, std::string* refusal) const {
    std::string why;
    const auto text = m_book.Read(why);
    if (!text) {
        if (refusal) *refusal = why;
        return false;
    }
    book.ReadText(*text, kWhere);
    return true;
}

bool CPgLeaveStore::Apply(const Change& change, IMessageSink& messages) {
    return m_book.Apply(
        [&](std::string& text) -> std::optional<std::string> {
            CLeaveBook book;
            book.ReadText(text, kWhere);
            auto refused = change(book);
            if (!refused) text = book.FileText();
            return refused;
        },
        messages,
        "他の端末が有給休暇を変更中のため、保存できませんでした。\nしばらくしてからもう一度お試し"
        "ください。");
}

}  // namespace stampwell
