// The record edit screen as an administrator uses it after the login.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>
#include <QTableWidget>
#include <QTest>
#include <QTimer>

#include "UiSupport.h"
#include "admin_ui/LimitsDialog.h"
#include "admin_ui/ReportEditDialog.h"
#include "admin_ui/TimeCellEdit.h"
#include "admin_ui/TimeGrid.h"
#include "app/MainFrame.h"
#include "app/StampwellApp.h"
#include "controller/RecorderController.h"
#include "corrections/ReportEditSession.h"
#include "people/AdminLoginDialog.h"
#include "platform/FileLock.h"
#include "platform/LocalTime.h"
#include "screen/TimeRegisterView.h"
#include "support/CliRunner.h"
#include "support/Fakes.h"
#include "support/TestSupport.h"
#include "workfile/WorkReport.h"

namespace stampwell {

namespace {
struct Clock {
    explicit Clock(const std::string& style = "",
                   std::chrono::milliseconds lockWait = CFileLock::kDefaultWait) {
        t.runtime.SetLockWait(lockWait);
        if (!style.empty()) test::WriteBytes(t.dir / "Style.txt", style);
        test::RunCli(t.dir.Path(), "admins add --id admin --password pw");
        test::RunCli(t.dir.Path(), "users add --card 1111111111111111 --name 山田");
        test::RunCli(t.dir.Path(), "users add --card 2222222222222222 --name 鈴木");
        CWorkReport report(t.runtime);
        struct End : IStampSide {
            bool IsEndSelected() const override { return end; }
            bool end = false;
        } side;
        report.SetStampSide(&side);
        auto tap = [&](const char* name, int day, int hour, int minute, bool end) {
            side.end = end;
            t.clock->Set(CLocalTime::FromLocal(2011, 8, day, hour, minute));
            report.SetStamp(name);
            report.RegisterStamp();
        };
        tap("山田", 24, 9, 0, false);
        tap("山田", 24, 23, 55, true);  // a wrong clock-out
        tap("鈴木", 24, 9, 10, false);
        tap("山田", 25, 9, 1, false);
        t.clock->Set(CLocalTime::FromLocal(2011, 8, 25, 12, 0));
        app = std::make_unique<CStampwellApp>(t.runtime, prompt,
                                              std::make_shared<test::CFakeSoundPlayer>(),
                                              "simulated:" + (t.dir / "card").string());
    }
    void WithEditor(std::function<void(CReportEditDialog&)> body) {
        test::RunAfterLogin(*app, CMainFrame::kEditRecords,
                            [this, body] { body(*app->ReportEdit()); });
    }
    std::string Records() { return test::RunCli(t.dir.Path(), "records").out; }
    test::CTestRuntime t;
    std::shared_ptr<test::CFakePrompt> prompt = std::make_shared<test::CFakePrompt>();
    std::unique_ptr<CStampwellApp> app;
};

// Moves to a cell and types a time into it, the way a person does.
void TypeInto(CTimeGrid& grid, int row, int column, const char* digits) {
    grid.setFocus();
    grid.setCurrentIndex(grid.model()->index(row, column));
    QTest::keyClick(&grid, Qt::Key_F2);
    ASSERT_NE(grid.Editor(), nullptr);
    QTest::keyClicks(grid.Editor(), QString::fromLatin1(digits));
    QTest::keyClick(grid.Editor(), Qt::Key_Return);
}
}  // namespace

TEST(RecordEditScreen, CorrectClearAndAddAfterMidnightThenSave) {
    Clock c;
    ASSERT_TRUE(c.app->InitInstance());
    test::Settle(*c.app);
    const std::string before = c.Records();
    c.WithEditor([&](CReportEditDialog& dialog) {
        EXPECT_EQ(dialog.windowTitle(), QString::fromUtf8("出退勤編集"));
        EXPECT_EQ(dialog.Users().currentText(), QString::fromUtf8("山田"));
        EXPECT_EQ(dialog.Year().value(), 2011);
        EXPECT_EQ(dialog.Month().currentText(), QStringLiteral("8"));
        CTimeGrid& grid = dialog.Grid();
        auto* model = grid.model();
        EXPECT_EQ(model->rowCount(), 31);
        EXPECT_EQ(model->headerData(1, Qt::Horizontal).toString(), QString::fromUtf8("出社"));
        EXPECT_EQ(model->index(23, 0).data().toString(), QString::fromUtf8("08/24 (水)"));
        EXPECT_EQ(model->index(23, 2).data().toString(), QStringLiteral("23:55"));
        EXPECT_EQ(grid.horizontalHeader()->sectionResizeMode(0), QHeaderView::Fixed);
        // Today (the 25th) is still going on: its open clock-out is no missing time.
        EXPECT_EQ(model->index(24, 3).data().toString(), QString());
        // 09:00-23:55: an hour's break, 5:55 beyond the legal day, 1:55 after 22:00.
        EXPECT_EQ(dialog.Totals().text(),
                  QString::fromUtf8("出勤日数: 1日　合計: 14:55　打刻漏れ: 0日\n"
                                    "実労働: 13:55　残業: 5:55　深夜: 1:55　休日: 0:00"));

        // A typing slip keeps the time that was there and says why.
        TypeInto(grid, 23, 1, "1260");
        EXPECT_EQ(c.prompt->messages.back().rfind("時刻が正しくありません。", 0), 0u);
        EXPECT_EQ(model->index(23, 1).data().toString(), QStringLiteral("09:00"));
        EXPECT_FALSE(dialog.Session().IsModified());

        TypeInto(grid, 23, 1, "0850");  // corrects the clock-in
        EXPECT_EQ(model->index(23, 1).data().toString(), QStringLiteral("08:50"));
        grid.setCurrentIndex(model->index(23, 2));
        QTest::keyClick(&grid, Qt::Key_Delete);  // clears the wrong clock-out
        EXPECT_EQ(model->index(23, 2).data().toString(), QStringLiteral("__:__"));
        EXPECT_TRUE(dialog.Session().IsModified());
        TypeInto(grid, 24, 2, "2510");  // 01:10 after midnight, still the 25th's working day
        EXPECT_EQ(model->index(24, 2).data().toString(), QStringLiteral("25:10"));
        TypeInto(grid, 25, 1, "93");  // 93 hours: not a time
        EXPECT_EQ(model->index(25, 1).data().toString(), QStringLiteral("__:__"));
        EXPECT_EQ(c.prompt->messages.back().rfind("時刻が正しくありません。", 0), 0u);

        // Esc leaves the cell as it was; paste and the date column are refused.
        grid.setCurrentIndex(model->index(24, 1));
        QTest::keyClick(&grid, Qt::Key_F2);
        QApplication::clipboard()->setText(QStringLiteral("12:34"));
        QTest::keyClick(grid.Editor(), Qt::Key_V, Qt::ControlModifier);
        EXPECT_EQ(grid.Editor()->text(), QStringLiteral("09:01"));
        // End goes to the last minute digit, Home to the first hour digit.
        QTest::keyClick(grid.Editor(), Qt::Key_End);
        EXPECT_EQ(grid.Editor()->selectionStart(), 4);
        QTest::keyClick(grid.Editor(), Qt::Key_5);
        EXPECT_EQ(grid.Editor()->text(), QStringLiteral("09:05"));
        QTest::keyClick(grid.Editor(), Qt::Key_Home);
        EXPECT_EQ(grid.Editor()->selectionStart(), 0);
        QTest::keyClick(grid.Editor(), Qt::Key_1);
        EXPECT_EQ(grid.Editor()->text(), QStringLiteral("19:05"));
        QTest::keyClick(grid.Editor(), Qt::Key_7);
        QTest::keyClick(grid.Editor(), Qt::Key_Escape);
        EXPECT_EQ(model->index(24, 1).data().toString(), QStringLiteral("09:01"));
        grid.setCurrentIndex(model->index(24, 0));
        EXPECT_FALSE(grid.BeginEdit());
        grid.setCurrentIndex(model->index(24, 3));
        EXPECT_FALSE(grid.BeginEdit());  // the time worked is not typed
        // The time worked, the day missing a time, and the month's figures.
        EXPECT_EQ(model->headerData(3, Qt::Horizontal).toString(), QString::fromUtf8("勤務時間"));
        EXPECT_EQ(model->index(24, 3).data().toString(), QStringLiteral("16:09"));
        EXPECT_EQ(model->index(23, 3).data().toString(), QString::fromUtf8("打刻漏れ"));
        EXPECT_EQ(dialog.Totals().text(),
                  QString::fromUtf8("出勤日数: 1日　合計: 16:09　打刻漏れ: 1日\n"
                                    "実労働: 15:09　残業: 7:09　深夜: 3:10　休日: 0:00"));
        dialog.Reason().setText(QString::fromUtf8("打刻の訂正"));
        grid.setCurrentIndex(model->index(24, 2));  // a framed time cell in the picture
        test::SaveScreenshot(dialog.grab().toImage(), "record-edit");

        // An editor still open is committed by 保存.
        grid.setCurrentIndex(model->index(2, 1));
        QTest::keyClick(&grid, Qt::Key_F2);
        QTest::keyClicks(grid.Editor(), QStringLiteral("0900"));
        c.prompt->answer = IPrompt::kYes;
        dialog.OnSave();
        EXPECT_EQ(c.prompt->messages.back(), "出退勤編集が完了しました。");
        EXPECT_FALSE(dialog.Session().IsModified());
        dialog.reject();
    });
    const std::string after = c.Records();
    // Exactly those changes and nothing else.
    auto lines = [](const std::string& text) {
        std::vector<std::string> out;
        std::size_t start = 0, end;
        while ((end = text.find('\n', start)) != std::string::npos) {
            std::string line = text.substr(start, end - start);
            out.push_back(line.substr(line.find('\t') + 1));
            start = end + 1;
        }
        std::sort(out.begin(), out.end());
        return out;
    };
    auto pad = [](const char* name) {
        std::string padded = name;
        return padded + std::string(32 - 4, ' ');  // two double-byte characters
    };
    std::vector<std::string> expected = lines(before);
    expected.erase(std::find(expected.begin(), expected.end(), pad("山田") + ",2011/08/24,09:00,"));
    expected.erase(std::find(expected.begin(), expected.end(), pad("山田") + ",2011/08/24,,23:55"));
    expected.push_back(pad("山田") + ",2011/08/24,08:50,");
    expected.push_back(pad("山田") + ",2011/08/25,,25:10");
    expected.push_back(pad("山田") + ",2011/08/03,09:00,");
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(lines(after), expected) << after;
    // The trail names the administrator, the old and new times and the reason.
    auto trail = test::RunCli(c.t.dir.Path(), "edits --name 山田");
    EXPECT_NE(trail.out.find("admin\t山田\t2011/08/24\t出社\t09:00 -> 08:50\t打刻の訂正"),
              std::string::npos)
        << trail.out;
    EXPECT_NE(trail.out.find("2011/08/24\t退社\t23:55 -> -"), std::string::npos);
    EXPECT_NE(trail.out.find("2011/08/25\t退社\t- -> 25:10"), std::string::npos);
    // The screen's history shows the corrected day.
    test::Settle(*c.app);
    auto history = c.app->Screen()->HistoryLines();
    ASSERT_EQ(history.size(), 2);
    EXPECT_TRUE(history[1].startsWith(QString::fromUtf8("2011/08/25 25:10 退社 山田")));
}

TEST(RecordEditScreen, ATapFromAnotherClockWhileTheScreenIsOpenStays) {
    Clock c;
    ASSERT_TRUE(c.app->InitInstance());
    test::Settle(*c.app);
    c.WithEditor([&](CReportEditDialog& dialog) {
        CTimeGrid& grid = dialog.Grid();
        auto* model = grid.model();
        EXPECT_EQ(model->index(23, 2).data().toString(), QStringLiteral("23:55"));
        // Another clock changes that day's clock-out to 18:30 meanwhile.
        pid_t other = ::fork();
        if (other == 0) {
            CWorkReport clock(c.t.runtime);
            struct End : IStampSide {
                bool IsEndSelected() const override { return true; }
            } end;
            clock.SetStampSide(&end);
            c.t.clock->Set(CLocalTime::FromLocal(2011, 8, 24, 18, 30));
            clock.SetStamp("山田");
            const int found = clock.CheckToday();
            ::_exit(found > 0 && clock.OverwriteRecord(found) ? 0 : 1);
        }
        int status = 0;
        ::waitpid(other, &status, 0);
        ASSERT_EQ(WEXITSTATUS(status), 0);
        // Only the clock-in is corrected on screen and saved.
        TypeInto(grid, 23, 1, "0840");
        c.prompt->answer = IPrompt::kYes;
        dialog.OnSave();
        EXPECT_EQ(c.prompt->messages.back(), "出退勤編集が完了しました。");
        // The grid and its totals show the file as it is now.
        EXPECT_EQ(model->index(23, 2).data().toString(), QStringLiteral("18:30"));
        EXPECT_EQ(model->index(23, 3).data().toString(), QStringLiteral("9:50"));
        // The totals label is text set by the screen: only a refresh after the save makes it
        // the file's (before it, the typed 08:40 to the old 23:55 gave 15:15).
        EXPECT_TRUE(dialog.Totals().text().startsWith(
            QString::fromUtf8("出勤日数: 1日　合計: 9:50　打刻漏れ: 0日")))
            << dialog.Totals().text().toStdString();
        dialog.reject();
    });
    const std::string records = c.Records();
    EXPECT_NE(records.find(",2011/08/24,,18:30"), std::string::npos) << records;
    EXPECT_NE(records.find(",2011/08/24,08:40,"), std::string::npos) << records;
    const std::string trail = test::RunCli(c.t.dir.Path(), "edits").out;
    EXPECT_NE(trail.find("2011/08/24\t出社\t09:00 -> 08:40"), std::string::npos) << trail;
    EXPECT_EQ(trail.find("退社"), std::string::npos) << trail;
}

// Another PC stopped while holding the work file's lock: 保存 waits for it once, says so once and
// logs it once, and the change stays on screen.
TEST(RecordEditScreen, ASaveRefusedByAHeldLockWaitsOnceAndSaysSoOnce) {
    Clock c("", std::chrono::milliseconds(1500));
    ASSERT_TRUE(c.app->InitInstance());
    test::Settle(*c.app);
    bool held = false;
    pid_t holder = -1;
    qint64 waited = 0;
    std::string said;
    c.WithEditor([&](CReportEditDialog& dialog) {
        TypeInto(dialog.Grid(), 23, 1, "0840");
        // The month is on screen; now the other PC takes the lock and stops.
        int fds[2];
        if (::pipe(fds) != 0) return;
        holder = ::fork();
        if (holder == 0) {
            const int fd = ::open((c.t.dir / "KINTAI.dat.lock").c_str(), O_RDWR | O_CREAT, 0666);
            ::flock(fd, LOCK_EX);
            char ready = 'x';
            if (::write(fds[1], &ready, 1) != 1) ::_exit(1);
            ::pause();
            ::_exit(0);
        }
        char ready = 0;
        held = ::read(fds[0], &ready, 1) == 1;
        ::close(fds[0]);
        ::close(fds[1]);
        c.prompt->answer = IPrompt::kYes;
        std::filesystem::remove(c.t.dir / "ErrorLog.txt");
        const auto before = c.prompt->messages.size();
        QElapsedTimer elapsed;
        elapsed.start();
        dialog.OnSave();
        waited = elapsed.elapsed();
        for (auto i = before; i < c.prompt->messages.size(); ++i)
            said += c.prompt->messages[i] + "|";
        EXPECT_EQ(dialog.Grid().model()->index(23, 1).data().toString(), QStringLiteral("08:40"));
        c.prompt->yesNo = true;  // leave without saving
        dialog.reject();
    });
    if (holder > 0) {
        ::kill(holder, SIGKILL);
        ::waitpid(holder, nullptr, 0);
    }
    ASSERT_TRUE(held);
    EXPECT_GE(waited, 1500);
    EXPECT_LT(waited, 2900);  // one wait, with room for a loaded machine
    EXPECT_EQ(said,
              "他の端末が処理中のため、保存できませんでした。\nしばらくしてからもう一度保存"
              "してください。|");
    const std::string log = test::ReadBytes(c.t.dir / "ErrorLog.txt");
    std::size_t lines = 0;
    for (std::size_t at = 0; (at = log.find("\r\n", at)) != std::string::npos; at += 2) ++lines;
    EXPECT_EQ(lines, 1u) << log;
    EXPECT_NE(c.Records().find(",2011/08/24,09:00,"), std::string::npos);
}

TEST(RecordEditScreen, UnsavedChangesAreAskedAboutBeforeTheyAreLost) {
    Clock c("2");
    ASSERT_TRUE(c.app->InitInstance());
    test::Settle(*c.app);
    bool stayed = false;
    c.WithEditor([&](CReportEditDialog& dialog) {
        EXPECT_EQ(dialog.windowTitle(), QString::fromUtf8("入退室編集"));
        EXPECT_EQ(dialog.Grid().model()->headerData(2, Qt::Horizontal).toString(),
                  QString::fromUtf8("退室"));
        TypeInto(dialog.Grid(), 0, 1, "0900");
        c.prompt->yesNo = false;
        dialog.Month().setCurrentIndex(6);  // July: asked, and kept in August
        EXPECT_EQ(dialog.Month().currentText(), QStringLiteral("8"));
        EXPECT_EQ(dialog.Grid().model()->index(0, 1).data().toString(), QStringLiteral("09:00"));
        dialog.Users().setCurrentIndex(1);
        EXPECT_EQ(dialog.Users().currentText(), QString::fromUtf8("山田"));
        dialog.reject();
        stayed = dialog.isVisible();
        c.prompt->yesNo = true;
        dialog.reject();
    });
    EXPECT_TRUE(stayed);
    EXPECT_FALSE(c.app->ReportEdit()->isVisible());
    EXPECT_EQ(c.Records().find("2011/08/01"), std::string::npos);  // nothing saved
    EXPECT_FALSE(c.app->Controller()->IsBusy());
}

}  // namespace stampwell

namespace stampwell {

// Keys into the open grid as a person presses them: digits are typed; F starts the edit (F2),
// T is Tab, S Shift+Tab, B BackSpace, D Delete, R Right, E Enter.
TEST(RecordEditScreen, TheEditorsKeysNeverStoreATimeNobodyTyped) {
    struct Case {
        const char* what;
        int row, column;
        const char* keys;
        const char* start;  // row 23 (the 24th): 09:00 and 23:55
        const char* end;
        const char* next;  // the 25th's clock-in (09:01)
        bool refused;
    };
    const Case cases[] = {
        {"Tab ends the edit and edits the next time", 23, 1, "F0900T1845E", "09:00", "18:45",
         "09:01", false},
        {"Shift+Tab goes back", 23, 2, "F1800S0830E", "08:30", "18:00", "09:01", false},
        {"Tab from the clock-out goes to the next day", 23, 2, "F2300T0905E", "09:00", "23:00",
         "09:05", false},
        {"BackSpace leaves a place unfilled", 23, 2, "FBBE", "09:00", "23:55", "09:01", true},
        {"Delete inside the editor too", 23, 1, "FRDE", "09:00", "23:55", "09:01", true},
        {"erasing every digit empties the cell", 23, 1, "FDRDRDRDE", "__:__", "23:55", "09:01",
         false},
        {"an unfilled place then Tab", 23, 1, "FBT1830E", "09:00", "18:30", "09:01", true},
    };
    for (const auto& c : cases) {
        Clock clock;
        ASSERT_TRUE(clock.app->InitInstance());
        test::Settle(*clock.app);
        clock.WithEditor([&](CReportEditDialog& dialog) {
            CTimeGrid& grid = dialog.Grid();
            grid.setFocus();
            grid.setCurrentIndex(grid.model()->index(c.row, c.column));
            for (const char* key = c.keys; *key != '\0'; ++key) {
                QWidget* target = grid.Editor() != nullptr ? static_cast<QWidget*>(grid.Editor())
                                                           : static_cast<QWidget*>(&grid);
                switch (*key) {
                    case 'F':
                        QTest::keyClick(target, Qt::Key_F2);
                        break;
                    case 'T':
                        QTest::keyClick(target, Qt::Key_Tab);
                        break;
                    case 'S':
                        QTest::keyClick(target, Qt::Key_Backtab, Qt::ShiftModifier);
                        break;
                    case 'B':
                        QTest::keyClick(target, Qt::Key_Backspace);
                        break;
                    case 'D':
                        QTest::keyClick(target, Qt::Key_Delete);
                        break;
                    case 'R':
                        QTest::keyClick(target, Qt::Key_Right);
                        break;
                    case 'E':
                        QTest::keyClick(target, Qt::Key_Return);
                        break;
                    default:
                        QTest::keyClick(target, *key);
                        break;
                }
            }
            auto* model = grid.model();
            EXPECT_EQ(model->index(23, 1).data().toString().toStdString(), c.start) << c.what;
            EXPECT_EQ(model->index(23, 2).data().toString().toStdString(), c.end) << c.what;
            EXPECT_EQ(model->index(24, 1).data().toString().toStdString(), c.next) << c.what;
            EXPECT_EQ(grid.Editor(), nullptr) << c.what;
            const bool said =
                !clock.prompt->messages.empty() &&
                clock.prompt->messages.back().rfind("時刻が正しくありません。", 0) == 0;
            EXPECT_EQ(said, c.refused) << c.what;
            clock.prompt->yesNo = true;  // discard on closing
            dialog.reject();
        });
    }
}

}  // namespace stampwell

namespace stampwell {

namespace {
// July 2011: 25 days of 08:00 to 23:30, far past every overtime limit; the clock then stands
// on 2011/08/25.
void WorkLongJuly(Clock& c, const char* name) {
    CWorkReport report(c.t.runtime);
    test::CFixedSide side;
    report.SetStampSide(&side);
    for (int day = 1; day <= 25; ++day) {
        for (bool end : {false, true}) {
            side.end = end;
            c.t.clock->Set(CLocalTime::FromLocal(2011, 7, day, end ? 23 : 8, end ? 30 : 0));
            report.SetStamp(name);
            ASSERT_TRUE(report.RegisterStamp());
        }
    }
    c.t.clock->Set(CLocalTime::FromLocal(2011, 8, 25, 12, 0));
}
}  // namespace

TEST(RecordEditScreen, TheTotalsReadWholeAfterSwitchingToAMonthPastTheLimits) {
    Clock c;
    WorkLongJuly(c, "山田");
    ASSERT_TRUE(c.app->InitInstance());
    test::Settle(*c.app);
    c.WithEditor([&](CReportEditDialog& dialog) {
        EXPECT_EQ(dialog.Totals().text().count(QLatin1Char('\n')), 1);  // August: no limit
        dialog.Month().setCurrentIndex(6);
        QApplication::processEvents();
        const QString text = dialog.Totals().text();
        EXPECT_TRUE(text.contains(QString::fromUtf8("残業上限: 45時間超・60時間超・100時間以上")))
            << text.toStdString();
        // Every line is as wide as its text and all of them are as high as their lines.
        const QFontMetrics metrics(dialog.Totals().font());
        const QRect room = dialog.Totals().contentsRect();
        const QStringList lines = text.split(QLatin1Char('\n'));
        for (const QString& line : lines) {
            EXPECT_LE(metrics.horizontalAdvance(line), room.width()) << line.toStdString();
        }
        EXPECT_GE(room.height(), static_cast<int>(lines.size()) * metrics.lineSpacing());
        EXPECT_LE(dialog.Totals().geometry().bottom(), dialog.rect().bottom());
        test::SaveScreenshot(dialog.grab().toImage(), "record-edit-limit");
        dialog.reject();
    });
}

TEST(RecordEditScreen, ADayWhoseFixedBreakFallsShortIsMarked) {
    Clock c;
    ASSERT_EQ(
        test::RunCli(c.t.dir.Path(), "rules set --windows 12:00-13:00 --from 2000-01-01").exitCode,
        0);
    {
        CWorkReport report(c.t.runtime);
        test::CFixedSide side;
        report.SetStampSide(&side);
        // 13:30-23:30 on the 3rd: ten hours worked and no break inside 12:00-13:00.
        for (bool end : {false, true}) {
            side.end = end;
            c.t.clock->Set(CLocalTime::FromLocal(2011, 8, 3, end ? 23 : 13, 30));
            report.SetStamp("山田");
            ASSERT_TRUE(report.RegisterStamp());
        }
        c.t.clock->Set(CLocalTime::FromLocal(2011, 8, 25, 12, 0));
    }
    ASSERT_TRUE(c.app->InitInstance());
    test::Settle(*c.app);
    c.WithEditor([&](CReportEditDialog& dialog) {
        auto* model = dialog.Grid().model();
        EXPECT_EQ(model->index(2, 3).data().toString(), QString::fromUtf8("休憩不足"));
        EXPECT_TRUE(model->index(2, 3)
                        .data(Qt::ToolTipRole)
                        .toString()
                        .startsWith(QString::fromUtf8("勤務時間 10:00")));
        EXPECT_EQ(model->index(2, 3).data(Qt::ForegroundRole).value<QColor>(), QColor(200, 0, 0));
        EXPECT_TRUE(dialog.Totals().text().contains(QString::fromUtf8("休憩不足: 1日")))
            << dialog.Totals().text().toStdString();
        dialog.reject();
    });
}

}  // namespace stampwell

namespace stampwell {

// ツール > 時間外労働の上限: the agreement year as the command line prints it, limits in red.
TEST(LimitsScreen, TheYearOfTheAgreementAsTheCommandLinePrintsIt) {
    Clock c;
    WorkLongJuly(c, "鈴木");
    ASSERT_TRUE(c.app->InitInstance());
    test::Settle(*c.app);
    EXPECT_EQ(c.app->Frame()->Command(CMainFrame::kLimits)->text(),
              QString::fromUtf8("時間外労働の上限(&L)"));
    const std::string printed =
        test::RunCli(c.t.dir.Path(), "limits --year 2011 --closing end").out;
    bool shown = false;
    test::RunAfterLogin(*c.app, CMainFrame::kLimits, [&] {
        CLimitsDialog& dialog = *c.app->Limits();
        EXPECT_EQ(dialog.Year().value(), 2011);  // August 2011 lies in the year from April 2011
        QTableWidget& table = dialog.Table();
        // The same lines as `stampwell-cli limits`, cell for cell.
        std::string lines;
        for (int c0 = 0; c0 < table.columnCount(); ++c0) {
            lines += (c0 ? "\t" : "") + table.horizontalHeaderItem(c0)->text().toStdString();
        }
        lines += "\n";
        for (int r = 0; r < table.rowCount(); ++r) {
            for (int c0 = 0; c0 < table.columnCount(); ++c0) {
                lines += (c0 ? "\t" : "") + table.item(r, c0)->text().toStdString();
            }
            lines += "\n";
        }
        EXPECT_EQ(lines, printed);
        ASSERT_EQ(table.rowCount(), 2);
        EXPECT_EQ(table.item(1, 0)->text(), QString::fromUtf8("鈴木"));
        // July is the fourth month: its overtime past 45 hours, and the month past 100, in red.
        EXPECT_EQ(table.item(1, 7)->foreground().color(), QColor(200, 0, 0));
        EXPECT_NE(table.item(0, 7)->foreground().color(), QColor(200, 0, 0));
        EXPECT_TRUE(table.item(1, 29)->text().contains(QString::fromUtf8("月100時間以上")));
        // Named below the table, where no scrolling is needed.
        EXPECT_TRUE(dialog.Summary().text().startsWith(QString::fromUtf8("上限を超えた人: 鈴木（")))
            << dialog.Summary().text().toStdString();
        test::SaveScreenshot(dialog.grab().toImage(), "limits");
        shown = true;
        dialog.accept();
    });
    EXPECT_TRUE(shown);
}

}  // namespace stampwell
