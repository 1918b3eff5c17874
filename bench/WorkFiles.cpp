#include "WorkFiles.h"

#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <map>
#include <sstream>

#include "people/CipherRecordFile.h"
#include "people/Exchanger.h"
#include "platform/LocalTime.h"
#include "text/TextCodec.h"
#include "workfile/WorkLine.h"

namespace stampwell::bench {

namespace fs = std::filesystem;

namespace {
fs::path Root() {
    struct Cleanup {
        fs::path root;
        Cleanup() {
            std::error_code error;
            fs::path base = fs::is_directory("/dev/shm", error) ? fs::path("/dev/shm")
                                                                : fs::temp_directory_path();
            root = base / ("stampwell-bench-" + std::to_string(::getpid()));
            fs::create_directories(root);
        }
        ~Cleanup() {
            std::error_code ignored;
            fs::remove_all(root, ignored);
        }
    };
    static Cleanup cleanup;
    return cleanup.root;
}

void WriteRegister(const fs::path& folder) {
    std::string content =
        "#CardAndNameRegisterFile_V1\r\n#CardID,PersonalName,ReceiveMailName,"
        "ReceiveMailAddress\r\n";
    for (int p = 0; p < CWorkFiles::kPeople; ++p) {
        content += CWorkFiles::Card(p) + "," + CWorkFiles::Name(p) + ",,\r\n";
    }
    std::ofstream(folder / "Register.txt", std::ios::binary) << *CTextCodec::ToCp932(content);
}

void MakeWorkFile(const fs::path& file, int years) {
    std::ofstream out(file, std::ios::binary);
    const std::uint8_t* stream = ExchangerKeystream();
    std::string chunk;
    auto add = [&](const std::string& date, int person, int side) {
        std::string line = WorkLine::Format(*CTextCodec::ToCp932(CWorkFiles::Name(person)), date,
                                            side == 0 ? "09:00" : "18:00", side);
        line.resize(WorkLine::kRecordLength, ' ');
        for (std::size_t i = 0; i < line.size(); ++i)
            line[i] = static_cast<char>(line[i] ^ stream[i]);
        chunk += line;
    };
    // The last full day is 2026/01/02 (a Friday); ten years back from there.
    const int days = years * 365 + years / 4;
    for (int day = days; day >= 1; --day) {
        auto tm = CLocalTime::ToLocal(CLocalTime::FromLocal(2026, 1, 3 - day, 12));
        if (tm->tm_wday == 0 || tm->tm_wday == 6) continue;
        char date[16];
        std::strftime(date, sizeof date, "%Y/%m/%d", &*tm);
        for (int side = 0; side < 2; ++side) {
            for (int p = 0; p < CWorkFiles::kPeople; ++p) add(date, p, side);
        }
        if (chunk.size() > (1 << 22)) {
            out.write(chunk.data(), static_cast<std::streamsize>(chunk.size()));
            chunk.clear();
        }
    }
    // This morning's clock-ins.
    for (int p = 0; p < CWorkFiles::kPeople; ++p) add("2026/01/05", p, 0);
    out.write(chunk.data(), static_cast<std::streamsize>(chunk.size()));
}
}  // namespace

std::string CWorkFiles::Name(int person) {
    return "社員" + std::to_string(person);
}

std::string CWorkFiles::Card(int person) {
    char card[17];
    std::snprintf(card, sizeof card, "%016X", person * 7919 + 1);
    return card;
}

std::int64_t CWorkFiles::Today() {
    return CLocalTime::FromLocal(2026, 1, 5, 9, 30);
}

const fs::path& CWorkFiles::Folder(int years) {
    static std::map<int, fs::path> folders;
    auto it = folders.find(years);
    if (it != folders.end()) return it->second;
    fs::path folder = Root() / ("years" + std::to_string(years));
    fs::create_directories(folder);
    WriteRegister(folder);
    if (years > 0) MakeWorkFile(folder / "KINTAI.dat", years);
    return folders.emplace(years, folder).first->second;
}

fs::path CWorkFiles::CopyOf(int years, const std::string& name) {
    const fs::path& source = Folder(years);
    fs::path copy = Root() / name;
    fs::remove_all(copy);
    fs::create_directories(copy);
    for (const char* file : {"Register.txt", "KINTAI.dat"}) {
        if (fs::exists(source / file)) fs::copy_file(source / file, copy / file);
    }
    return copy;
}

namespace {
std::uint64_t IoCounter(const std::string& wanted) {
    std::ifstream io("/proc/self/io");
    std::string key;
    std::uint64_t value = 0;
    while (io >> key >> value) {
        if (key == wanted) return value;
    }
    return 0;
}
}  // namespace

std::uint64_t CWorkFiles::BytesRead() {
    return IoCounter("rchar:");
}

std::uint64_t CWorkFiles::BytesWritten() {
    return IoCounter("wchar:");
}

}  // namespace stampwell::bench
