#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "UiSupport.h"
#include "admin_ui/MsgBox.h"
#include "admin_ui/QtPrompt.h"
#include "settings/ChimeDialog.h"
#include "settings/ChimeSettings.h"
#include "support/TestSupport.h"

namespace stampwell {

TEST(MsgBox, YesNoEscapeAndTheTimedYes) {
    test::CTempDir dir;
    {
        CMsgBox box(QStringLiteral("q"), dir.Path());
        EXPECT_EQ(box.WaitMilliseconds(), 60000);
        QTimer::singleShot(0, &box, [&] { box.YesButton()->click(); });
        box.exec();
        EXPECT_EQ(box.GetAnswer(), CMsgBox::kYes);
    }
    {
        CMsgBox box(QStringLiteral("q"), dir.Path());
        QTimer::singleShot(0, &box, [&] { box.NoButton()->click(); });
        box.exec();
        EXPECT_EQ(box.GetAnswer(), CMsgBox::kNo);
    }
    {
        CMsgBox box(QStringLiteral("q"), dir.Path());
        QTimer::singleShot(0, &box, [&] { QTest::keyClick(&box, Qt::Key_Escape); });
        box.exec();
        EXPECT_EQ(box.GetAnswer(), CMsgBox::kNo);
    }
    test::WriteBytes(dir / "Timer.txt", "1");
    CMsgBox box(QString::fromUtf8("本日は既に登録済みです。\r\n新しい時間で上書きしますか？"),
                dir.Path());
    EXPECT_EQ(box.WaitMilliseconds(), 1000);
    QElapsedTimer clock;
    clock.start();
    box.exec();  // nobody answers
    EXPECT_EQ(box.GetAnswer(), CMsgBox::kYes);
    EXPECT_GE(clock.elapsed(), 900);
    test::SaveScreenshot(box.grab().toImage(), "msgbox");

    // A question before a delete: left alone, it answers no, and its no button counts down.
    test::WriteBytes(dir / "Timer.txt", "2");
    CMsgBox destroy(QString::fromUtf8("佐藤花子さんを削除しますか？"), dir.Path(), nullptr,
                    CMsgBox::kNo);
    EXPECT_EQ(destroy.NoButton()->text(), QString::fromUtf8("いいえ（2秒）"));
    EXPECT_EQ(destroy.YesButton()->text(), QString::fromUtf8("はい"));
    EXPECT_TRUE(destroy.NoButton()->isDefault());
    bool countedDown = false;
    QTimer watcher;
    QObject::connect(&watcher, &QTimer::timeout, [&] {
        if (destroy.NoButton()->text() == QString::fromUtf8("いいえ（1秒）") && !countedDown) {
            countedDown = true;
            test::SaveScreenshot(destroy.grab().toImage(), "msgbox-delete");
        }
    });
    watcher.start(20);
    destroy.exec();  // nobody answers
    EXPECT_TRUE(countedDown);
    EXPECT_EQ(destroy.GetAnswer(), CMsgBox::kNo);
}

namespace {
struct Chime {
    Chime() {
        settings = std::make_shared<CChimeSettings>(t.runtime);
        settings->LoadSettings();
        dialog = std::make_unique<CChimeDialog>(settings, prompt);
    }
    void Add(int hourIndex, int minuteIndex) {
        dialog->Hour().setCurrentIndex(hourIndex);
        dialog->Minute().setCurrentIndex(minuteIndex);
        dialog->Add();
    }
    QStringList Items() const {
        QStringList items;
        for (int i = 0; i < dialog->List().count(); ++i) items << dialog->List().item(i)->text();
        return items;
    }
    test::CTestRuntime t;
    test::CFakePrompt prompt;
    std::shared_ptr<CChimeSettings> settings;
    std::unique_ptr<CChimeDialog> dialog;
};
}  // namespace

TEST(ChimeDialog, AddedTimesAreSortedAndOkStoresAndSavesThem) {
    Chime c;
    c.Add(12, 3);
    c.Add(8, 0);
    c.Add(23, 1);
    EXPECT_EQ(c.Items(), (QStringList{"08:00", "12:45", "23:15"}));
    EXPECT_TRUE(c.dialog->GetChimeTimes().empty());  // not before OK
    c.dialog->Enabled().setChecked(true);
    c.dialog->Ok();
    EXPECT_EQ(c.dialog->GetChimeTimes(), (std::vector<std::int64_t>{28800, 45900, 83700}));
    EXPECT_TRUE(c.dialog->IsChimeEnabled());
    // Saved at once, so a crash cannot lose it.
    CChimeSettings reread(c.t.runtime);
    reread.LoadSettings();
    EXPECT_EQ(reread.GetChimeTimes(), (std::vector<std::int64_t>{28800, 45900, 83700}));
}

TEST(ChimeDialog, DuplicateAndTwentyEntryLimits) {
    Chime c;
    c.Add(9, 0);
    c.Add(9, 0);
    EXPECT_EQ(c.prompt.messages, std::vector<std::string>{"既に登録されているチャイム時刻です。"});
    EXPECT_EQ(c.Items().size(), 1);
    for (int i = 0; i < 19; ++i) c.Add(i < 9 ? i : i + 1, 1);
    EXPECT_EQ(c.Items().size(), 20);
    c.Add(23, 3);
    EXPECT_EQ(c.prompt.messages.back(), "チャイム時刻の数は20までです。");
    c.dialog->List().setCurrentRow(0);
    c.dialog->Delete();
    c.Add(23, 3);
    EXPECT_EQ(c.Items().size(), 20);
    EXPECT_EQ(c.Items().back(), QStringLiteral("23:45"));
}

TEST(ChimeDialog, DeleteSelectsTheEntryThatTakesThePlace) {
    Chime c;
    c.Add(8, 0);
    c.Add(9, 0);
    c.Add(10, 0);
    c.dialog->List().clearSelection();
    c.dialog->List().setCurrentRow(-1);
    c.dialog->Delete();
    EXPECT_EQ(c.Items().size(), 3);  // nothing selected: nothing deleted
    c.dialog->List().setCurrentRow(2);
    c.dialog->Delete();
    EXPECT_EQ(c.Items(), (QStringList{"08:00", "09:00"}));
    EXPECT_EQ(c.dialog->List().currentRow(), 1);
    c.dialog->List().setCurrentRow(0);
    c.dialog->Delete();
    EXPECT_EQ(c.dialog->List().currentItem()->text(), QStringLiteral("09:00"));
}

TEST(ChimeDialog, CancelRestoresButEnterAndEscapeKeepUnconfirmedChanges) {
    test::CTestRuntime t;
    test::WriteBytes(t.dir / "Setting2.txt",
                     test::Sjis("チャイム,45000,32400,,,,,,,,,,,,,,,,,,\r\nチャイム使用,1\r\n"));
    test::CFakePrompt prompt;
    auto settings = CreateChimeSettings(t.runtime);
    CChimeDialog dialog(settings, prompt);
    EXPECT_EQ(dialog.List().item(0)->text(), QStringLiteral("09:00"));  // shown sorted
    EXPECT_TRUE(dialog.Enabled().isChecked());
    dialog.show();
    dialog.Enabled().setChecked(false);
    QTest::keyClick(&dialog, Qt::Key_Escape);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_FALSE(dialog.Enabled().isChecked());  // kept until OK or Cancel
    EXPECT_TRUE(dialog.IsChimeEnabled());
    dialog.show();
    QTest::keyClick(&dialog, Qt::Key_Return);
    EXPECT_FALSE(dialog.isVisible());
    dialog.Cancel();
    EXPECT_TRUE(dialog.Enabled().isChecked());
    dialog.Ok();
    EXPECT_EQ(dialog.GetChimeTimes(), (std::vector<std::int64_t>{32400, 45000}));  // stored sorted
    test::SaveScreenshot(dialog.grab().toImage(), "chime-dialog");
}

}  // namespace stampwell

namespace stampwell {

TEST(QtPrompt, ABoxOpensAboveAndCentredOnTheDialogThatAsked) {
    test::CTempDir dir;
    QWidget frame;
    frame.setGeometry(0, 0, 1000, 700);
    frame.show();
    CQtPrompt prompt(dir.Path());
    prompt.SetParent(&frame);
    EXPECT_EQ(prompt.Owner(), &frame);

    QDialog dialog(&frame);
    dialog.setGeometry(600, 400, 300, 200);
    dialog.setModal(true);
    dialog.show();
    EXPECT_EQ(prompt.Owner(), &dialog);
    QWidget* boxParent = nullptr;
    QPoint boxCentre;
    QTimer::singleShot(50, [&] {
        QWidget* box = QApplication::activeModalWidget();
        boxParent = box->parentWidget();
        boxCentre = box->geometry().center();
        box->close();
    });
    prompt.ShowMessage("重複した時刻は登録できません。", EMessageIcon::None);
    EXPECT_EQ(boxParent, &dialog);
    // Centred on the dialog (give or take its frame), far from the main window's centre.
    EXPECT_LT((boxCentre - dialog.geometry().center()).manhattanLength(), 80);
    EXPECT_GT((boxCentre - frame.geometry().center()).manhattanLength(), 300);
}

}  // namespace stampwell

namespace stampwell {

// Enter answers no to every question whose yes discards, replaces or deletes; the questions no
// timer may answer (saving a month, carrying the files to a new place) wait for somebody.
TEST(QtPrompt, EnterNeverAnswersYesToADestructiveQuestionAndNoTimerAnswersAWaitingOne) {
    test::CTempDir dir;
    test::WriteBytes(dir / "Timer.txt", "1");
    CQtPrompt prompt(dir.Path());
    auto pressEnter = [] {
        QTimer::singleShot(50, [] {
            if (QWidget* box = QApplication::activeModalWidget()) {
                QTest::keyClick(box, Qt::Key_Return);
            }
        });
    };
    for (const char* question :
         {"他の端末で変更された日があります。\n上書きしますか？",
          "変更が保存されていません。\n変更を破棄して編集を終了しますか？",
          "既に同名ファイルが存在します。\nこのファイルを上書きしますか？"}) {
        pressEnter();
        EXPECT_FALSE(prompt.AskYesNo(question)) << question;
    }
    pressEnter();
    EXPECT_EQ(prompt.AskQuestion("佐藤花子さんを削除しますか？", IPrompt::kNo), IPrompt::kNo);

    // A waiting question: still open well past Timer.txt's second, with no countdown; then
    // answered by a person.
    bool stillOpen = false;
    QString yesText;
    QTimer::singleShot(1600, [&] {
        auto* box = dynamic_cast<CMsgBox*>(QApplication::activeModalWidget());
        stillOpen = box != nullptr;
        if (box == nullptr) return;
        yesText = box->YesButton()->text();
        box->YesButton()->click();
    });
    EXPECT_EQ(prompt.AskQuestion("このデータで保存しますか？", IPrompt::kNoAnswer), IPrompt::kYes);
    EXPECT_TRUE(stillOpen);
    EXPECT_EQ(yesText, QString::fromUtf8("はい"));
}

}  // namespace stampwell
