// A Japanese desktop program through and through: Qt's own buttons and file dialogs in
// Japanese, dialogs without minimise or maximise, fields that look as read-only as they are,
// the export that shows it is working, the first-run box over the clock.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "UiSupport.h"
#include "admin_ui/ExportDialog.h"
#include "admin_ui/QtPrompt.h"
#include "admin_ui/ReportEditDialog.h"
#include "app/MainFrame.h"
#include "app/StampwellApp.h"
#include "controller/RecorderController.h"
#include "people/AdminModifyDialog.h"
#include "people/UserRegisterDialog.h"
#include "platform/LocalTime.h"
#include "settings/ConfigDialog.h"
#include "settings/ExportSettings.h"
#include "support/CliRunner.h"
#include "support/TestSupport.h"
#include "workfile/WorkReport.h"

namespace stampwell {

namespace {
QString Plain(QString text) {
    return text.remove(QLatin1Char('&'));
}

struct Clock {
    explicit Clock(bool withAdmin = true) {
        if (withAdmin) test::RunCli(t.dir.Path(), "admins add --id admin --password pw");
        t.clock->Set(CLocalTime::FromLocal(2011, 8, 25, 9, 5));
        app = std::make_unique<CStampwellApp>(t.runtime, prompt,
                                              std::make_shared<test::CFakeSoundPlayer>(),
                                              "simulated:" + (t.dir / "card").string());
    }
    test::CTestRuntime t;
    std::shared_ptr<test::CFakePrompt> prompt = std::make_shared<test::CFakePrompt>();
    std::unique_ptr<CStampwellApp> app;
};
}  // namespace

TEST(JapaneseDesktop, AQuestionBoxAnswersWithHaiAndIie) {
    test::CTempDir dir;
    CQtPrompt prompt(dir.Path());
    QStringList buttons;
    QTimer::singleShot(50, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        for (QAbstractButton* button : box->buttons()) buttons << Plain(button->text());
        test::SaveScreenshot(box->grab().toImage(), "question");
        box->button(QMessageBox::No)->click();
    });
    EXPECT_FALSE(prompt.AskYesNo("変更を破棄して設定を変更しますか？"));
    EXPECT_TRUE(buttons.contains(QString::fromUtf8("はい(Y)"))) << buttons.join(',').toStdString();
    EXPECT_TRUE(buttons.contains(QString::fromUtf8("いいえ(N)")))
        << buttons.join(',').toStdString();
    // A plain message's button too.
    QString ok;
    QTimer::singleShot(50, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        ok = Plain(box->buttons().front()->text());
        box->buttons().front()->click();
    });
    prompt.ShowMessage("お知らせ", EMessageIcon::None);
    EXPECT_EQ(ok, QStringLiteral("OK"));
}

// The print dialog's options (copies, colour, double-sided printing) read Japanese although Qt's
// catalogue lacks some of them.
TEST(JapaneseDesktop, ThePrintDialogsOptionsAreJapanese) {
    QPrinter printer(QPrinter::HighResolution);
    QPrintDialog dialog(&printer);
    QStringList texts;
    for (auto* label : dialog.findChildren<QLabel*>()) texts << label->text();
    for (auto* button : dialog.findChildren<QAbstractButton*>()) texts << button->text();
    for (auto* group : dialog.findChildren<QGroupBox*>()) texts << group->title();
    for (auto* combo : dialog.findChildren<QComboBox*>()) {
        for (int i = 0; i < combo->count(); ++i) texts << combo->itemText(i);
    }
    for (const char* english :
         {"Double Sided Printing", "Long side binding", "Short side binding", "Pages", "Copies",
          "Copies:", "Collate", "Color Mode", "Grayscale", "Print range", "Output Settings"}) {
        EXPECT_FALSE(texts.contains(QString::fromLatin1(english))) << english;
    }
    EXPECT_TRUE(texts.contains(QString::fromUtf8("両面印刷")));
}

TEST(JapaneseDesktop, BrowseOpensAJapaneseOpenDialogThatAddsTheExtension) {
    Clock c;
    ASSERT_TRUE(c.app->InitInstance());
    test::RunAfterLogin(*c.app, CMainFrame::kEnvironment);
    CConfigDialog* config = c.app->Config();
    ASSERT_TRUE(config->isVisible());
    std::filesystem::create_directories(c.t.dir / "share");
    QStringList labels;
    QString accept, kind, size;
    bool openMode = false;
    QTimer::singleShot(100, [&] {
        auto* chooser = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(chooser, nullptr);
        openMode = chooser->acceptMode() == QFileDialog::AcceptOpen;
        accept = chooser->labelText(QFileDialog::Accept);
        for (QLabel* label : chooser->findChildren<QLabel*>()) labels << label->text();
        test::SaveScreenshot(chooser->grab().toImage(), "browse");
        // Sizes, dates and kinds in Japanese whatever LANG says.
        kind = chooser->iconProvider()->type(
            QFileInfo(QString::fromStdString((c.t.dir / "share").string())));
        size = QLocale::system().formattedDataSize(434);
        // A new work file in a new shared folder, typed without its extension.
        chooser->setDirectory(QString::fromStdString((c.t.dir / "share").string()));
        auto* name = chooser->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        ASSERT_NE(name, nullptr);
        name->setText(QString::fromUtf8("新しい勤務"));
        QMetaObject::invokeMethod(chooser, "accept");
    });
    config->OnBrowse(CConfigDialog::kWorkPath);
    EXPECT_TRUE(openMode);
    EXPECT_EQ(accept, QString::fromUtf8("選択"));
    EXPECT_EQ(kind, QString::fromUtf8("フォルダー"));
    EXPECT_EQ(size, QString::fromUtf8("434 バイト"));
    // The dialog's own labels are Japanese ("ファイル名:", "ファイルの種類:").
    EXPECT_TRUE(labels.join('|').contains(QString::fromUtf8("ファイル名")))
        << labels.join('|').toStdString();
    EXPECT_EQ(config->PathField(CConfigDialog::kWorkPath).text().toStdString(),
              (c.t.dir / "share" / "新しい勤務.dat").string());
    config->reject();
}

TEST(JapaneseDesktop, DialogsHaveNoMinimiseOrMaximiseAndStateFieldsLookReadOnly) {
    Clock c;
    ASSERT_TRUE(c.app->InitInstance());
    const std::vector<QDialog*> dialogs = {c.app->Config(), c.app->Export(), c.app->ReportEdit(),
                                           c.app->Admins()};
    for (QDialog* dialog : dialogs) {
        const auto flags = dialog->windowFlags();
        EXPECT_FALSE(flags.testFlag(Qt::WindowMinimizeButtonHint))
            << dialog->windowTitle().toStdString();
        EXPECT_FALSE(flags.testFlag(Qt::WindowMaximizeButtonHint))
            << dialog->windowTitle().toStdString();
        EXPECT_TRUE(flags.testFlag(Qt::WindowCloseButtonHint));
    }
    auto looksReadOnly = [](const QLineEdit& field) {
        return field.isReadOnly() &&
               field.palette().color(QPalette::Base) == field.palette().color(QPalette::Window);
    };
    EXPECT_TRUE(looksReadOnly(c.app->Config()->PathField(CConfigDialog::kWorkPath)));
    EXPECT_TRUE(looksReadOnly(c.app->Export()->Destination()));
    CUserRegisterDialog form(*c.app->Controller(), c.app->Frame());
    EXPECT_TRUE(looksReadOnly(form.CardState()));
    EXPECT_FALSE(form.windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
}

TEST(JapaneseDesktop, AnExportShowsItIsWorkingAndAfterTheWindowClosedNamesItsFile) {
    Clock c;
    CWorkReport report(c.t.runtime);
    for (int i = 0; i < 2000; ++i) {
        c.t.clock->Set(CLocalTime::FromLocal(2011, 8, 1 + i % 28, 9, i % 60));
        report.SetStamp("社員" + std::to_string(i % 50));
        report.RegisterStamp();
    }
    c.t.clock->Set(CLocalTime::FromLocal(2011, 8, 25, 9, 5));
    // A folder of the test's own: the documents folder is shared with every other run.
    std::filesystem::create_directory(c.t.dir / "out");
    CExportSettings folder(c.t.runtime);
    folder.SetExportFolder((c.t.dir / "out").string());
    ASSERT_TRUE(folder.SaveSettings());
    ASSERT_TRUE(c.app->InitInstance());
    CExportDialog* exporter = c.app->Export();
    exporter->Prepare();
    exporter->show();
    exporter->Closing().setCurrentIndex(5);
    ASSERT_TRUE(exporter->OnExport());
    EXPECT_TRUE(exporter->Progress().isVisible());
    EXPECT_FALSE(exporter->ExportButton().isEnabled());
    test::SaveScreenshot(exporter->grab().toImage(), "export-running");
    const std::string file = exporter->Destination().text().toStdString();
    exporter->reject();  // closed while it runs
    ASSERT_TRUE(QTest::qWaitFor([&] { return !exporter->IsExportRunning(); }, 20000));
    EXPECT_FALSE(exporter->Progress().isVisible());
    EXPECT_EQ(c.prompt->messages.back(), "エクスポートが完了しました。\n" + file);
    // With the window open, the message is the window's own.
    exporter->show();
    c.prompt->answer = IPrompt::kYes;  // overwrite
    c.prompt->yesNo = true;
    ASSERT_TRUE(exporter->OnExport());
    ASSERT_TRUE(QTest::qWaitFor([&] { return !exporter->IsExportRunning(); }, 20000));
    EXPECT_EQ(c.prompt->messages.back(), "エクスポートが完了しました。");
    exporter->reject();
}

TEST(JapaneseDesktop, TheFirstRunBoxOpensOverTheClock) {
    test::CTestRuntime t;
    auto prompt = std::make_shared<CQtPrompt>(t.dir.Path());
    CStampwellApp app(t.runtime, prompt, std::make_shared<test::CFakeSoundPlayer>(),
                      "simulated:" + (t.dir / "card").string());
    ASSERT_TRUE(app.InitInstance());
    prompt->SetParent(app.Frame());
    app.Frame()->setGeometry(400, 300, 800, 600);
    QPoint boxCentre;
    bool closedList = false;
    QTimer::singleShot(300, [&] {
        QWidget* box = QApplication::activeModalWidget();
        ASSERT_NE(box, nullptr);
        boxCentre = box->geometry().center();
        qobject_cast<QMessageBox*>(box)->buttons().front()->click();
        // The administrator list follows; close it and end.
        QTimer::singleShot(100, [&] {
            if (QWidget* list = QApplication::activeModalWidget()) {
                closedList = true;
                list->hide();
                qobject_cast<QDialog*>(list)->done(QDialog::Rejected);
            }
        });
    });
    EXPECT_TRUE(QTest::qWaitFor([&] { return closedList; }, 5000));
    EXPECT_LT((boxCentre - app.Frame()->geometry().center()).manhattanLength(), 120)
        << boxCentre.x() << "," << boxCentre.y();
}

}  // namespace stampwell
