// The export screen as an administrator uses it after the login.
#include <gtest/gtest.h>

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QStandardPaths>
#include <QTest>
#include <QTimer>
#include <filesystem>

#include "UiSupport.h"
#include "admin_ui/ExportDialog.h"
#include "app/MainFrame.h"
#include "app/StampwellApp.h"
#include "controller/RecorderController.h"
#include "people/AdminLoginDialog.h"
#include "platform/LocalTime.h"
#include "settings/ExportSettings.h"
#include "support/CliRunner.h"
#include "support/TestSupport.h"
#include "workfile/WorkReport.h"

namespace stampwell {

namespace {
struct Clock {
    explicit Clock(const std::string& style = "") {
        if (!style.empty()) test::WriteBytes(t.dir / "Style.txt", style);
        test::RunCli(t.dir.Path(), "admins add --id admin --password pw");
        // A month of records around a closing day.
        CWorkReport report(t.runtime);
        for (int day : {19, 20, 21, 25}) {
            t.clock->Set(CLocalTime::FromLocal(2011, 8, day, 9, 0));
            report.SetStamp(day % 2 ? "山田" : "鈴木");
            report.RegisterStamp();
        }
        t.clock->Set(CLocalTime::FromLocal(2011, 8, 25, 9, 5));
        app = std::make_unique<CStampwellApp>(t.runtime, prompt,
                                              std::make_shared<test::CFakeSoundPlayer>(),
                                              "simulated:" + (t.dir / "card").string());
    }
    // Runs body inside the export dialog's modal run, after a password login.
    void WithExport(std::function<void(CExportDialog&)> body) {
        test::RunAfterLogin(*app, CMainFrame::kExport, [this, body] {
            body(*app->Export());
            app->Export()->reject();
        });
    }
    test::CTestRuntime t;
    std::shared_ptr<test::CFakePrompt> prompt = std::make_shared<test::CFakePrompt>();
    std::unique_ptr<CStampwellApp> app;
};

bool Finish(CExportDialog& dialog) {
    return QTest::qWaitFor([&] { return !dialog.IsExportRunning(); }, 10000);
}
}  // namespace

TEST(ExportScreen, ExportsWhatTheCliExportsAndAsksBeforeOverwriting) {
    Clock c;
    ASSERT_TRUE(c.app->InitInstance());
    bool shown = false;
    c.WithExport([&](CExportDialog& dialog) {
        shown = dialog.isVisible();
        EXPECT_TRUE(c.app->Controller()->IsBusy());
        EXPECT_EQ(dialog.Year().value(), 2011);  // from the clock the program runs on
        EXPECT_EQ(dialog.Month().currentText(), QStringLiteral("8"));
        EXPECT_EQ(dialog.Closing().currentText(), QString::fromUtf8("5日"));
        EXPECT_EQ(dialog.FileName().text(), QString::fromUtf8("2011年8月度"));
        // Not the hidden data folder: the documents folder (or home) until one is chosen.
        const QString documents =
            QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
        const std::filesystem::path offered =
            QDir(documents).exists() ? documents.toStdString() : QDir::homePath().toStdString();
        const auto expected = offered / "2011年8月度.csv";
        EXPECT_EQ(dialog.Destination().text().toStdString(), expected.string());
        EXPECT_EQ(
            dialog.Description().text(),
            QString::fromUtf8(
                "指定した締め日の出退勤データをローカルファイルシステムにエクスポートします。"));
        // A name typed by hand goes when the month changes.
        dialog.FileName().setText(QStringLiteral("mine"));
        EXPECT_TRUE(dialog.Destination().text().endsWith(QStringLiteral("mine.csv")));
        dialog.Month().setCurrentIndex(6);
        dialog.Month().setCurrentIndex(7);
        EXPECT_EQ(dialog.FileName().text(), QString::fromUtf8("2011年8月度"));
        dialog.Closing().setCurrentIndex(3);  // 20日
        test::SaveScreenshot(dialog.grab().toImage(), "export");

        ASSERT_TRUE(dialog.OnExport());
        EXPECT_FALSE(dialog.ExportButton().isEnabled());  // while it runs
        ASSERT_TRUE(Finish(dialog));
        EXPECT_TRUE(dialog.ExportButton().isEnabled());
        EXPECT_EQ(c.prompt->messages.back(), "エクスポートが完了しました。");
        test::CTempDir other;
        auto cli =
            test::RunCli(c.t.dir.Path(), "export --year 2011 --month 8 --closing 20 --out '" +
                                             (other / "cli.csv").string() + "'");
        ASSERT_EQ(cli.exitCode, 0) << cli.err;
        EXPECT_EQ(test::ReadBytes(expected), test::ReadBytes(other / "cli.csv"));
        EXPECT_FALSE(test::ReadBytes(expected).empty());

        // Again: asked first; "いいえ" writes nothing.
        test::WriteBytes(expected, "kept");
        c.prompt->yesNo = false;
        EXPECT_FALSE(dialog.OnExport());
        EXPECT_EQ(test::ReadBytes(expected), "kept");
        c.prompt->yesNo = true;
        ASSERT_TRUE(dialog.OnExport());
        ASSERT_TRUE(Finish(dialog));
        EXPECT_EQ(test::ReadBytes(expected), test::ReadBytes(other / "cli.csv"));

        dialog.FileName().clear();
        EXPECT_FALSE(dialog.OnExport());
        EXPECT_EQ(c.prompt->messages.back(), "ファイル名を指定してください。");
    });
    EXPECT_TRUE(shown);
    EXPECT_FALSE(c.app->Controller()->IsBusy());
}

TEST(ExportScreen, AFolderThatCannotBeWrittenOrAStoredFileGivesTheFailureMessage) {
    Clock c;
    ASSERT_TRUE(c.app->InitInstance());
    const std::string work = test::ReadBytes(c.t.dir / "KINTAI.dat");
    c.WithExport([&](CExportDialog& dialog) {
        auto missing = c.t.dir / "gone";
        dialog.SetFolderChooser(
            [&](const QString&) { return QString::fromStdString(missing.string()); });
        dialog.OnBrowse();
        EXPECT_EQ(dialog.FileName().text(), QString::fromUtf8("2011年8月度"));
        ASSERT_TRUE(dialog.OnExport());
        ASSERT_TRUE(Finish(dialog));
        EXPECT_EQ(c.prompt->messages.back(),
                  "エクスポートに失敗しました。出力先のファイルを確認してください。");
        // The folder is kept even so.
        EXPECT_NE(test::ReadBytes(c.t.dir / "ExportSetting.txt").find("gone"), std::string::npos);

        // The work file as the destination: refused, and the records stay.
        dialog.SetFolderChooser(
            [&](const QString&) { return QString::fromStdString(c.t.dir.Path().string()); });
        dialog.OnBrowse();
        dialog.FileName().setText(QStringLiteral("KINTAI"));
        std::filesystem::rename(c.t.dir / "KINTAI.dat", c.t.dir / "KINTAI.csv");
        std::filesystem::create_symlink(c.t.dir / "KINTAI.csv", c.t.dir / "KINTAI.dat");
        c.prompt->yesNo = true;  // "overwrite KINTAI.csv?" – yes, which must still be refused
        ASSERT_TRUE(dialog.OnExport());
        ASSERT_TRUE(Finish(dialog));
        EXPECT_EQ(c.prompt->messages.back(),
                  "エクスポートに失敗しました。出力先のファイルを確認してください。");
    });
    EXPECT_EQ(test::ReadBytes(c.t.dir / "KINTAI.csv"), work);
}

TEST(ExportScreen, RoomModeWordsAndNoWorkFile) {
    Clock c("2");
    ASSERT_TRUE(c.app->InitInstance());
    std::filesystem::remove(c.t.dir / "KINTAI.dat");
    // This test's own folder, not the documents folder another test exported to.
    std::filesystem::create_directories(c.t.dir / "out");
    CExportSettings folder(c.t.runtime);
    folder.SetExportFolder((c.t.dir / "out").string());
    ASSERT_TRUE(folder.SaveSettings());
    c.WithExport([&](CExportDialog& dialog) {
        EXPECT_EQ(
            dialog.Description().text(),
            QString::fromUtf8(
                "指定した締め日の入退室データをローカルファイルシステムにエクスポートします。"));
        ASSERT_TRUE(dialog.OnExport());
        ASSERT_TRUE(Finish(dialog));
        ASSERT_GE(c.prompt->messages.size(), 2u);
        EXPECT_EQ(c.prompt->messages[c.prompt->messages.size() - 2],
                  "エクスポートする入退室データが見つかりません。");
        EXPECT_EQ(c.prompt->messages.back(),
                  "エクスポートに失敗しました。出力先のファイルを確認してください。");
    });
}

}  // namespace stampwell
