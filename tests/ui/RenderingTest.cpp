#include <gtest/gtest.h>

#include <QFontInfo>
#include <QFontMetrics>
#include <QPainter>
#include <QRawFont>

#include "UiSupport.h"
#include "platform/LocalTime.h"
#include "screen/BackgroundPicture.h"
#include "screen/CaptionLabel.h"
#include "screen/ColorButton.h"
#include "screen/MyList.h"
#include "screen/NameField.h"
#include "screen/TimeRegisterView.h"
#include "settings/EnvironmentSettings.h"
#include "support/TestSupport.h"

namespace stampwell {
using V = CTimeRegisterView;

namespace {
QImage Canvas(const QColor& colour) {
    QImage image(200, 100, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}
}  // namespace

TEST(Rendering, BlendingRulesOfLabelsAndButtons) {
    QWidget parent;
    parent.resize(200, 100);
    CCaptionLabel label(&parent);
    label.setGeometry(10, 10, 100, 40);
    label.SetText(QStringLiteral("X"));
    label.SetColors(QColor(255, 0, 0), QColor(255, 0, 0), Qt::white, 0);
    QImage image = Canvas(QColor(10, 200, 30));
    {
        QPainter painter(&image);
        label.Draw(painter);
    }
    EXPECT_EQ(image.pixelColor(30, 30), QColor(10, 200, 30));  // alpha 0: background untouched

    label.SetColors(QColor(255, 0, 0), QColor(255, 0, 0), Qt::white, 255);
    label.SetOutline(1, CCaptionLabel::kCentre, true);
    image = Canvas(QColor(10, 200, 30));
    {
        QPainter painter(&image);
        label.Draw(painter);
    }
    EXPECT_EQ(image.pixelColor(15, 15), QColor(255, 0, 0));  // a frame at 255 hides it

    label.SetOutline(1, CCaptionLabel::kLeft, false);
    label.SetColors(Qt::white, Qt::white, Qt::yellow, 128);
    image = Canvas(QColor(200, 200, 200));
    {
        QPainter painter(&image);
        label.Draw(painter);
    }
    QColor darkened = image.pixelColor(100, 45);  // no frame: the black bitmap darkens it
    EXPECT_NEAR(darkened.red(), 100, 2);

    CColorButton button(&parent);
    button.setGeometry(10, 50, 80, 40);
    button.SetColors(QColor(255, 0, 0), Qt::white, 255);
    button.SetSelected(false);
    image = Canvas(Qt::black);
    {
        QPainter painter(&image);
        button.Draw(painter);
    }
    EXPECT_EQ(image.pixelColor(15, 55), QColor(64, 64, 64));  // unselected is grey
    button.SetSelected(true);
    {
        QPainter painter(&image);
        button.Draw(painter);
    }
    EXPECT_EQ(image.pixelColor(15, 55), QColor(255, 0, 0));
    // The raised frame's dark edge is the outermost pixel: no line of face colour outside it.
    EXPECT_EQ(image.pixelColor(89, 70), QColor(0, 0, 0));        // right edge
    EXPECT_EQ(image.pixelColor(50, 89), QColor(0, 0, 0));        // bottom edge
    EXPECT_EQ(image.pixelColor(10, 70), QColor(255, 255, 255));  // light left edge
}

TEST(Rendering, ALongNameShrinksUntilItFitsAndLongHistoryLinesAreElided) {
    QWidget parent;
    parent.resize(500, 400);
    CNameField field(&parent);
    field.setGeometry(126, 198, 288, 36);
    field.SetFont(30, 100);
    field.SetText(QString::fromUtf8("山田 太郎"));
    EXPECT_EQ(field.FittedFont().pixelSize(), 30);
    const QString longName = QString::fromUtf8("寿限無寿限無五劫の擦り切れ海砂利水魚");  // 16 wide
    field.SetText(longName);
    QFont fitted = field.FittedFont();
    EXPECT_LT(fitted.pixelSize(), 30);
    EXPECT_LE(QFontMetrics(fitted).horizontalAdvance(longName), field.TextArea().width());

    CMyList list(&parent);
    list.setGeometry(72, 279, 342, 114);
    parent.show();
    const QString shortLine = QString::fromUtf8("2011/08/25 09:05 出社 山田");
    const QString longLine = QString::fromUtf8("2011/08/25 09:05 出社 ") + longName;
    list.SetLines({shortLine + QString(26, QLatin1Char(' ')), longLine});
    EXPECT_EQ(list.ShownLine(0), shortLine);  // the name's padding is no reason to elide
    QString shown = list.ShownLine(1);
    EXPECT_TRUE(shown.endsWith(QChar(0x2026))) << shown.toStdString();
    EXPECT_TRUE(longLine.startsWith(shown.chopped(1)));
    EXPECT_LE(QFontMetrics(ScreenFont("ＭＳ Ｐゴシック", 18, 900)).horizontalAdvance(shown),
              list.viewport()->width() - 8);
}

TEST(Rendering, AWidePictureCoversTheHeightAndIsCentred) {
    test::CTempDir dir;
    QImage wide(1000, 100, QImage::Format_RGB32);
    wide.fill(Qt::red);
    QString path = QString::fromStdString((dir / "wide.bmp").string());
    ASSERT_TRUE(wide.save(path));
    CBackgroundPicture picture;
    ASSERT_TRUE(picture.Load(path));
    QRect area(0, 0, 483, 449);
    EXPECT_EQ(picture.PlacedRect(area), QRect((483 - 4490) / 2, 0, 4490, 449));
    picture.SetFit(CBackgroundPicture::kContain);
    EXPECT_EQ(picture.PlacedRect(area), QRect(0, (449 - 48) / 2, 483, 48));
    EXPECT_FALSE(picture.Load(QString::fromStdString((dir / "missing.bmp").string())));
    EXPECT_FALSE(picture.HasPicture());
}

TEST(Rendering, JapaneseTextUsesARealJapaneseFont) {
    QFont font = ScreenFont("ＭＳ Ｐゴシック", 20, 900);
    EXPECT_TRUE(QFontInfo(font).family().startsWith(QStringLiteral("IPA")))
        << QFontInfo(font).family().toStdString();
    QRawFont raw = QRawFont::fromFont(font);
    const QString text = QString::fromUtf8("勤務時間登録出社退社入室退室履歴");
    for (quint32 glyph : raw.glyphIndexesForString(text)) EXPECT_NE(glyph, 0u);
    EXPECT_TRUE(QFontInfo(QFont(QStringLiteral("MS UI Gothic")))
                    .family()
                    .startsWith(QStringLiteral("IPA")));
}

TEST(Rendering, HistoryListFollowsItsScrollPosition) {
    QWidget parent;
    parent.resize(400, 200);
    CMyList list(&parent);
    list.setGeometry(10, 10, 342, 114);
    parent.show();
    list.SetLines({});
    EXPECT_EQ(list.currentRow(), -1);
    QStringList lines;
    for (int i = 1; i <= 10; ++i) lines << QStringLiteral("line %1").arg(i);
    list.SetLines(lines);
    EXPECT_EQ(list.currentRow(), 9);
    EXPECT_FALSE(list.visualItemRect(list.item(9)).isEmpty());
    EXPECT_TRUE(list.viewport()->rect().intersects(list.visualItemRect(list.item(9))));
}

TEST(Rendering, ScreenshotsOfEveryStateInBothModes) {
    for (std::string style : {"1", "2"}) {
        test::CTestRuntime t;
        for (auto asset : {"ImageTime.bmp"}) {
            std::filesystem::copy_file(
                std::filesystem::path(STAMPWELL_TEST_SCRIPTS) / "../../assets" / asset,
                t.dir / asset);
        }
        test::WriteBytes(t.dir / "Style.txt", style);
        t.clock->Set(CLocalTime::FromLocal(2011, 8, 25, 9, 5, 30));
        test::CFakeSoundPlayer sounds;
        V view(t.runtime, sounds);
        auto settings = CreateConfig(t.runtime);
        view.SetSettings(settings);
        view.show();
        view.UpdateClock();
        const std::string mode = style == "2" ? "room" : "attendance";
        QImage waiting = view.Render();
        test::SaveScreenshot(waiting, mode + "-waiting");
        // The background shows through: the corner below the panels is the picture, not black.
        QColor corner = waiting.pixelColor(470, 440);
        EXPECT_GT(corner.red() + corner.green() + corner.blue(), 60);
        view.BeginStamp();
        view.SetShownName("山田 太郎");
        test::SaveScreenshot(view.Render(), mode + "-processing");
        view.SetResultText(style == "2" ? "09:05 入室" : "09:05 勤務開始");
        view.ShowResult();
        QImage result = view.Render();
        test::SaveScreenshot(result, mode + "-result");
        // The banner is red at alpha 190 over whatever lies below.
        QColor banner = result.pixelColor(view.ControlRect(V::kBanner).left() + 3,
                                          view.ControlRect(V::kBanner).top() + 3);
        EXPECT_GT(banner.red(), 150);
        EXPECT_LT(banner.green(), 100);
        view.SelectEnd();
        view.ResetScreen(0);
        test::SaveScreenshot(view.Render(), mode + "-end-selected");
    }
    // A long name, long history lines and a scroll bar, as the window shows them.
    for (std::string style : {"1", "2"}) {
        test::CTestRuntime t;
        std::filesystem::copy_file(
            std::filesystem::path(STAMPWELL_TEST_SCRIPTS) / "../../assets/ImageTime.bmp",
            t.dir / "ImageTime.bmp");
        test::WriteBytes(t.dir / "Style.txt", style);
        t.clock->Set(CLocalTime::FromLocal(2011, 8, 25, 9, 5, 30));
        test::CFakeSoundPlayer sounds;
        V view(t.runtime, sounds);
        view.SetSettings(CreateConfig(t.runtime));
        view.show();
        view.UpdateClock();
        QStringList lines;
        for (int i = 0; i < 8; ++i) {
            lines << QString::fromUtf8(
                         "2011/08/25 09:0%1 出社 寿限無寿限無五劫の擦り切れ海砂利水魚")
                         .arg(i);
        }
        view.HistoryList().SetLines(lines);
        const std::string mode = style == "2" ? "room" : "attendance";
        test::SaveScreenshot(view.grab().toImage(), mode + "-long-history");
        view.BeginStamp();
        view.SetShownName("寿限無寿限無五劫の擦り切れ海砂利水魚");
        view.SetResultText(style == "2" ? "09:05 入室" : "09:05 勤務開始");
        view.ShowResult();
        EXPECT_FALSE(view.IsControlShown(V::kHistoryCaption));
        test::SaveScreenshot(view.grab().toImage(), mode + "-long-name");
    }
    // No picture: black behind the panels.
    test::CTestRuntime t;
    test::CFakeSoundPlayer sounds;
    V view(t.runtime, sounds);
    view.show();
    EXPECT_EQ(view.Render().pixelColor(470, 440), QColor(0, 0, 0));
}

}  // namespace stampwell
