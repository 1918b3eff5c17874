#include <benchmark/benchmark.h>

#include <cstdio>

#include "BenchSupport.h"
#include "people/AdminFile.h"
#include "people/RegisterFile.h"
#include "platform/FileSystem.h"
#include "text/JapaneseOrder.h"
#include "text/TextCodec.h"

namespace stampwell {

namespace {
constexpr int kPeople = 10000;

std::string CardOf(int i) {
    char card[17];
    std::snprintf(card, sizeof card, "%016X", i * 7919 + 1);
    return card;
}

std::shared_ptr<CRegisterFile> TenThousandPeople() {
    static std::shared_ptr<CRegisterFile> reg = [] {
        auto dir = bench::BenchDir("register");
        std::string content =
            "#CardAndNameRegisterFile_V1\r\n#CardID,PersonalName,ReceiveMailName,"
            "ReceiveMailAddress\r\n";
        for (int i = 0; i < kPeople; ++i) {
            content += CardOf(i) + ",社員" + std::to_string(i) + ",上司,boss@example.com\r\n";
        }
        // Names are written here in UTF-8 and converted to CP932 as one file.
        CFileSystem::WriteWholeFile(dir / "Register.txt", "tmp", *CTextCodec::ToCp932(content));
        return std::make_shared<CRegisterFile>(bench::BenchRuntime(dir));
    }();
    return reg;
}
}  // namespace

static void BM_Register_FindNameByCard_Last(benchmark::State& state) {
    auto reg = TenThousandPeople();
    reg->SetCardId(CardOf(kPeople - 1));
    for (auto _ : state) benchmark::DoNotOptimize(reg->FindNameByCard());
}
BENCHMARK(BM_Register_FindNameByCard_Last)->Unit(benchmark::kMillisecond);

static void BM_Register_GetAllNames(benchmark::State& state) {
    auto reg = TenThousandPeople();
    for (auto _ : state) benchmark::DoNotOptimize(reg->GetAllNames());
}
BENCHMARK(BM_Register_GetAllNames)->Unit(benchmark::kMillisecond);

// A damaged 1 MB Admin.dat: the listing reads it once.
static void BM_Admins_ListDamaged1MB(benchmark::State& state) {
    auto dir = bench::BenchDir("admins");
    std::string junk(1 << 20, 'x');
    for (std::size_t i = 0; i < junk.size(); ++i) junk[i] = static_cast<char>(i * 7919 % 251);
    CFileSystem::WriteWholeFile(dir / "Admin.dat", "tmp", junk);
    CAdminFile admins(bench::BenchRuntime(dir));
    for (auto _ : state) benchmark::DoNotOptimize(admins.GetAdminList());
}
BENCHMARK(BM_Admins_ListDamaged1MB)->Unit(benchmark::kMillisecond);

}  // namespace stampwell

namespace stampwell {

// The employee list's order: 1,000 names of kanji, kana and Latin letters, keyed and sorted.
static void BM_JapaneseOrder_Sort1000(benchmark::State& state) {
    static const char* const kFamily[] = {"佐藤", "鈴木", "たかはし", "タナカ", "ｲﾄｳ", "Watanabe",
                                          "山本", "中村", "小林", "ＫＡＴＯ"};
    std::vector<std::string> names;
    for (int i = 0; i < 1000; ++i) {
        names.push_back(std::string(kFamily[i % 10]) + " " + std::to_string(i * 7919 % 1000));
    }
    for (auto _ : state) {
        auto copy = names;
        CJapaneseOrder::Sort(copy);
        benchmark::DoNotOptimize(copy);
    }
}
BENCHMARK(BM_JapaneseOrder_Sort1000)->Unit(benchmark::kMillisecond);

}  // namespace stampwell
