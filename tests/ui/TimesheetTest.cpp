// The month's 出勤簿 as PDF and on paper: the figures of the report, one page per employee.
#include <gtest/gtest.h>

#include <QApplication>
#include <QPrintDialog>
#include <QPrinter>
#include <QTimer>
#include <cstdio>
#include <sstream>

#include "UiSupport.h"
#include "admin_ui/ReportEditDialog.h"
#include "app/MainFrame.h"
#include "app/StampwellApp.h"
#include "corrections/ReportEditSession.h"
#include "folderstore/FolderPeopleStore.h"
#include "officestore/OfficeStores.h"
#include "people/RegisterFile.h"
#include "platform/LocalTime.h"
#include "settings/EnvironmentSettings.h"
#include "support/CliRunner.h"
#include "support/Fakes.h"
#include "support/TestSupport.h"
#include "support/WorkedExample.h"
#include "text/TextCodec.h"

namespace stampwell {

namespace {
std::string Shell(const std::string& command) {
    std::string out;
    std::FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr) return out;
    char buffer[4096];
    std::size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, got);
    ::pclose(pipe);
    return out;
}

// Runs of blanks (and wide spaces) as one blank: pdftotext lays the page out with spaces.
std::string Squash(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size();) {
        const bool wide = text.compare(i, 3, "\xE3\x80\x80") == 0;
        if (text[i] == ' ' || wide) {
            if (out.empty() || out.back() != ' ') out += ' ';
            i += wide ? 3 : 1;
            continue;
        }
        out += text[i++];
    }
    return out;
}

std::vector<std::string> CsvCells(const std::string& line) {
    std::vector<std::string> cells;
    std::stringstream in(line);
    std::string cell;
    while (std::getline(in, cell, ',')) cells.push_back(cell);
    return cells;
}

// The worked example, with 06/05's clock-out corrected to 19:00 with a long reason, a second
// employee with one day and a third with nothing in the month.
constexpr const char* kLongReason =
    "本人がカードを忘れたため上長が退社を確認し入力した時刻に直す（総務部承認済み）";

void MakeMonth(const std::filesystem::path& data) {
    ASSERT_EQ(test::MakeWorkedExample(data), "");
    ASSERT_EQ(test::RunCli(data, "users add --card 0000000000000002 --name 鈴木").exitCode, 0);
    ASSERT_EQ(test::RunCli(data, "users add --card 0000000000000003 --name 田中").exitCode, 0);
    for (const char* at : {"2026-06-03 09:00:00", "2026-06-03 17:00:00"}) {
        ASSERT_EQ(test::RunCli(data, "tap 0000000000000002", test::AtTime(at)).exitCode, 0);
    }
    auto clock = std::make_shared<CManualClock>(CLocalTime::FromLocal(2026, 7, 1, 10, 0));
    CRuntime runtime(data, clock, std::make_shared<test::CRecordingMessageSink>());
    const auto report = OpenWorkStore(runtime);
    report->SetSettings(CreateConfig(runtime));
    CFolderPeopleStore reg{CRegisterFile(runtime)};
    test::CFakePrompt prompt;
    CReportEditSession session(*report, reg, prompt, 1);
    session.SetTrail("admin", clock.get());
    ASSERT_TRUE(session.Select("山田", 2026, 6));
    ASSERT_TRUE(session.Edit(4, 2, "19:00"));
    ASSERT_TRUE(session.Save(kLongReason));
}
}  // namespace

TEST(Timesheet, ThePdfHoldsTheReportsFiguresOnePagePerEmployeeWithFontsEmbedded) {
    if (!test::HasFaketime()) GTEST_SKIP() << "faketime is not installed";
    test::CTempDir dir;
    MakeMonth(dir.Path());
    const auto pdf = dir / "june.pdf";
    const auto made = test::RunCli(
        dir.Path(), "timesheet --year 2026 --month 6 --closing end --pdf '" + pdf.string() + "'",
        test::AtTime("2026-07-01 10:00:00"));
    ASSERT_EQ(made.exitCode, 0) << made.err;
    // Every registered employee gets a page, 田中 with nothing in the month too.
    EXPECT_NE(Shell("pdfinfo '" + pdf.string() + "'").find("Pages:           3"),
              std::string::npos);
    EXPECT_NE(Shell("pdftotext '" + pdf.string() + "' -").find("氏名: 田中"), std::string::npos);
    const std::string fonts = Shell("pdffonts '" + pdf.string() + "'");
    EXPECT_NE(fonts.find("IPAGothic"), std::string::npos) << fonts;
    EXPECT_NE(fonts.find(" yes "), std::string::npos) << fonts;  // embedded

    // Every figure of 山田's page equals the report's line.
    const auto csv = dir / "june.csv";
    ASSERT_EQ(
        test::RunCli(dir.Path(),
                     "report --year 2026 --month 6 --closing end --csv '" + csv.string() + "'",
                     test::AtTime("2026-07-01 10:00:00"))
            .exitCode,
        0);
    const std::string report = CTextCodec::FromCp932(test::ReadBytes(csv));
    const auto yamada = CsvCells(report.substr(report.find("\r\n山田") + 2));
    ASSERT_GE(yamada.size(), 12u);
    const std::string page = Squash(Shell("pdftotext -layout -f 1 -l 1 '" + pdf.string() + "' -"));
    EXPECT_NE(page.find("2026年6月度 出勤簿"), std::string::npos) << page;
    EXPECT_NE(page.find("氏名: 山田"), std::string::npos);
    EXPECT_NE(
        page.find(Squash("出勤日数: " + yamada[1] + "日　合計: " + yamada[2] + "　打刻漏れ: 1日")),
        std::string::npos)
        << page;
    EXPECT_NE(page.find(Squash("休憩: " + yamada[5] + "　実労働: " + yamada[6] + "　残業: " +
                               yamada[7] + "　深夜: " + yamada[8] + "　休日: " + yamada[9])),
              std::string::npos)
        << page;
    // The days: a night past midnight, the rest day, the missing time, the short break and the
    // corrected day with its reason.
    // The long reason wraps within its row: its last words are on the page too.
    const std::string flowing = Shell("pdftotext -f 1 -l 1 '" + pdf.string() + "' -");
    std::string joined;
    for (char c : flowing) {
        if (c != '\n' && c != ' ') joined += c;
    }
    EXPECT_NE(joined.find(std::string("修正（") + kLongReason + "）"), std::string::npos) << joined;
    for (const char* seen : {"25:30", "4:00", "打刻漏れ", "休憩不足", "19:00", "本人確認",
                             "管理者確認", "Stampwell 0."}) {
        EXPECT_NE(page.find(seen), std::string::npos) << seen << "\n" << page;
    }
    std::filesystem::create_directories(STAMPWELL_SCREENSHOT_DIR);
    Shell("pdftoppm -r 80 -png -f 1 -l 1 -singlefile '" + pdf.string() + "' '" +
          (std::filesystem::path(STAMPWELL_SCREENSHOT_DIR) / "timesheet").string() + "'");
    EXPECT_TRUE(
        std::filesystem::exists(std::filesystem::path(STAMPWELL_SCREENSHOT_DIR) / "timesheet.png"));

    // One employee only; a stored file is never overwritten.
    ASSERT_EQ(test::RunCli(dir.Path(),
                           "timesheet --year 2026 --month 6 --closing end --name 鈴木 --pdf '" +
                               pdf.string() + "'",
                           test::AtTime("2026-07-01 10:00:00"))
                  .exitCode,
              0);
    EXPECT_NE(Shell("pdfinfo '" + pdf.string() + "'").find("Pages:           1"),
              std::string::npos);
    EXPECT_EQ(test::RunCli(dir.Path(), "timesheet --year 2026 --month 6 --closing end --pdf '" +
                                           (dir / "KINTAI.dat").string() + "'")
                  .exitCode,
              1);
    // 田中 alone has a page too; a name that is neither registered nor in the records has none.
    const auto alone = dir / "tanaka.pdf";
    EXPECT_EQ(test::RunCli(dir.Path(),
                           "timesheet --year 2026 --month 6 --closing end --name 田中 --pdf '" +
                               alone.string() + "'")
                  .exitCode,
              0);
    EXPECT_NE(Shell("pdfinfo '" + alone.string() + "'").find("Pages:           1"),
              std::string::npos);
    EXPECT_EQ(test::RunCli(dir.Path(),
                           "timesheet --year 2026 --month 6 --closing end --name 佐藤 --pdf '" +
                               (dir / "none.pdf").string() + "'")
                  .exitCode,
              1);
    EXPECT_FALSE(std::filesystem::exists(dir / "none.pdf"));
}

TEST(Timesheet, TheRecordEditScreenPrintsAndSavesTheMonth) {
    if (!test::HasFaketime()) GTEST_SKIP() << "faketime is not installed";
    test::CTestRuntime t;
    MakeMonth(t.dir.Path());
    ASSERT_EQ(test::RunCli(t.dir.Path(), "admins add --id admin --password pw").exitCode, 0);
    t.clock->Set(CLocalTime::FromLocal(2026, 6, 30, 12, 0));
    auto prompt = std::make_shared<test::CFakePrompt>();
    CStampwellApp app(t.runtime, prompt, std::make_shared<test::CFakeSoundPlayer>(),
                      "simulated:" + (t.dir / "card").string());
    ASSERT_TRUE(app.InitInstance());
    test::Settle(app);
    bool done = false;
    test::RunAfterLogin(app, CMainFrame::kEditRecords, [&] {
        CReportEditDialog& dialog = *app.ReportEdit();
        // 印刷… opens Qt's print dialog (closed here without printing).
        bool opened = false;
        QTimer::singleShot(200, [&] {
            if (auto* box = qobject_cast<QPrintDialog*>(QApplication::activeModalWidget())) {
                opened = true;
                box->reject();
            }
        });
        prompt->answer = IPrompt::kNo;  // the shown employee only
        dialog.OnPrint();
        EXPECT_TRUE(opened);
        // Printed to a PDF printer: one page.
        const auto printed = t.dir / "printed.pdf";
        dialog.SetPrintRunner([&](QPrinter& printer) {
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(QString::fromStdString(printed.string()));
            return true;
        });
        dialog.OnPrint();
        EXPECT_NE(Shell("pdfinfo '" + printed.string() + "'").find("Pages:           1"),
                  std::string::npos);
        // PDF保存… for everyone: a page for each registered employee, and the office is told.
        const auto saved = t.dir / "all.pdf";
        dialog.SetPdfChooser([&](const QString& suggested) {
            EXPECT_EQ(suggested, QString::fromUtf8("2026年6月 出勤簿.pdf"));
            return QString::fromStdString(saved.string());
        });
        prompt->answer = IPrompt::kYes;
        dialog.OnSavePdf();
        EXPECT_NE(Shell("pdfinfo '" + saved.string() + "'").find("Pages:           3"),
                  std::string::npos);
        EXPECT_EQ(prompt->messages.back(), "出勤簿を保存しました。");
        done = true;
        dialog.reject();
    });
    EXPECT_TRUE(done);
}

}  // namespace stampwell
