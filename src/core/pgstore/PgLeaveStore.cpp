#include "pgstore/PgLeaveStore.h"

#include "platform/IMessageSink.h"

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
    std::string why;
    bool busy = false;
    std::optional<std::string> refused;
    const bool stored = m_book.Change(
        [&](const std::string& text) -> std::optional<std::string> {
            CLeaveBook book;
            book.ReadText(text, kWhere);
            refused = change(book);
            if (refused) return std::nullopt;
            return book.FileText();
        },
        why, &busy);
    if (!stored) {
        messages.ShowMessage(refused ? *refused
                             : busy ? "他の端末が有給休暇を変更中のため、保存できませんでした。"
                                      "\nしばらくしてからもう一度お試しください。"
                                    : why,
                             EMessageIcon::None);
    }
    return stored;
}

}  // namespace stampwell
