#pragma once

#include <string>
#include <vector>

#include "leave/LeaveBook.h"

namespace stampwell {

// The tables of paid leave, as the command line prints them and the window shows them: rows of
// cells, the first row the titles.
class CLeaveTables {
public:
    using Table = std::vector<std::vector<std::string>>;
    // One row per grant (基準日,付与日数,取得日数,残日数,失効日,取得義務) as of a day.
    static Table Grants(const CLeaveBook& book, const CLeaveBook::Employee& who, int asOf);
    // The days taken (取得日,区分).
    static Table Days(const CLeaveBook& book, const std::string& name);
    // One row per employee of the book, in Japanese order
    // (氏名,入社日,残日数,次の付与日,次の付与日数,取得義務).
    static Table List(const CLeaveBook& book, int asOf);
    // Cells joined by sep, rows by CR LF (CSV) or LF.
    static std::string Text(const Table& table, char sep, const char* lineEnd);
};

}  // namespace stampwell
