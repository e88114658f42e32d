// The window chrome's arithmetic and decisions: caption stripes and layout, the title tip's
// rules, the browser fallbacks and the link's failure texts, the About box's texts.
#include "chrome/about_dialog_texts.h"
#include "chrome/caption_geometry.h"
#include "chrome/link_opener.h"
#include "chrome/title_tip_logic.h"
#include "vorlex_version.h"

#include <QUrl>
#include <gtest/gtest.h>
#include <vector>

namespace vorlex::chrome {
namespace {

TEST(CaptionStripes, DarkBlueRisesByOneToTheMiddleAndFallsBack) {
    const auto stripes = captionStripeColours(Rgb{0, 0, 128});
    for (int i = 0; i < captionStripeCount; ++i) {
        const Rgb& s = stripes[static_cast<std::size_t>(i)];
        EXPECT_EQ(s.red, 0) << i;
        EXPECT_EQ(s.green, 0) << i;
        EXPECT_EQ(s.blue, i <= 80 ? 128 + i : 208 - (i - 80)) << i;
    }
    EXPECT_EQ(stripes[0].blue, 128);
    EXPECT_EQ(stripes[80].blue, 208);
    EXPECT_EQ(stripes[159].blue, 129);
}

TEST(CaptionStripes, ComponentAt255StaysThereAndOthersKeepTheirProportion) {
    const auto stripes = captionStripeColours(Rgb{255, 128, 0});
    for (const Rgb& s : stripes) {
        EXPECT_EQ(s.red, 255);
        EXPECT_EQ(s.blue, 0);
        EXPECT_GE(s.green, 128);
        EXPECT_LE(s.green, 169);
    }
    // 128 + 80 * 128 / 255 = 168.16 at the middle.
    EXPECT_EQ(stripes[80].green, 168);
    EXPECT_EQ(stripes[0], (Rgb{255, 128, 0}));
}

TEST(CaptionStripes, EdgeColours) {
    for (const Rgb& s : captionStripeColours(Rgb{0, 0, 0}))
        EXPECT_EQ(s, (Rgb{0, 0, 0}));
    for (const Rgb& s : captionStripeColours(Rgb{255, 255, 255}))
        EXPECT_EQ(s, (Rgb{255, 255, 255}));
    // A strong component that reaches 255 on the way up falls back only to its start.
    const auto bright = captionStripeColours(Rgb{0, 0, 200});
    EXPECT_EQ(bright[55].blue, 255);
    EXPECT_EQ(bright[80].blue, 255);
    EXPECT_EQ(bright[159].blue, 200);
    // Out-of-range components are taken at the nearest bound.
    EXPECT_EQ(captionStripeColours(Rgb{-5, 300, 0})[0], (Rgb{0, 255, 0}));
}

TEST(CaptionStripes, SpansCoverTheAreaWithoutGaps) {
    EXPECT_EQ(captionStripeSpan(0, 320).x, 0);
    EXPECT_EQ(captionStripeSpan(7, 320).x, 14);
    EXPECT_EQ(captionStripeSpan(7, 320).width, 3);
    EXPECT_EQ(captionStripeSpan(159, 100).x, 99);
    EXPECT_EQ(captionStripeSpan(159, 100).width, 1);
    for (const int width : {1, 100, 159, 160, 161, 333, 1000}) {
        std::vector<bool> covered(static_cast<std::size_t>(width), false);
        for (int i = 0; i < captionStripeCount; ++i) {
            const StripeSpan span = captionStripeSpan(i, width);
            for (int x = span.x; x < span.x + span.width && x < width; ++x)
                covered[static_cast<std::size_t>(x)] = true;
        }
        for (int x = 0; x < width; ++x)
            EXPECT_TRUE(covered[static_cast<std::size_t>(x)]) << width << " at " << x;
    }
    EXPECT_EQ(captionStripeSpan(10, -4).width, 1);
}

TEST(CaptionLayout, EachVariantAtTheClassicSizes) {
    const CaptionMetrics m; // 18, 15, 18, 16, edge 2
    const CaptionLayout main = captionLayout(CaptionVariant::main, 400, m);
    EXPECT_EQ(main.painted, (Box{21, 3, 322, 17}));
    EXPECT_EQ(main.barHeight, 21);
    EXPECT_FALSE(main.smallFont);
    ASSERT_TRUE(main.minimiseButton.has_value());
    EXPECT_EQ(main.closeButton, (Box{381, 4, 16, 14}));
    EXPECT_EQ(*main.minimiseButton, (Box{363, 4, 16, 14}));
    EXPECT_EQ(main.title, (Box{23, 5, 320, 15}));

    const CaptionLayout dialog = captionLayout(CaptionVariant::dialog, 400, m);
    EXPECT_EQ(dialog.painted, (Box{5, 3, 373, 17}));
    EXPECT_FALSE(dialog.minimiseButton.has_value());
    EXPECT_EQ(dialog.title, (Box{7, 5, 371, 15}));

    const CaptionLayout tool = captionLayout(CaptionVariant::tool, 400, m);
    EXPECT_EQ(tool.painted, (Box{5, 3, 392, 14}));
    EXPECT_EQ(tool.barHeight, 18);
    EXPECT_TRUE(tool.smallFont);
    EXPECT_FALSE(tool.minimiseButton.has_value());
    EXPECT_EQ(tool.closeButton, (Box{384, 4, 13, 11}));
    // The gradient runs under the tool window's close box, the title stops before it.
    EXPECT_EQ(tool.title, (Box{7, 4, 375, 13}));
}

TEST(CaptionLayout, ButtonsStayInsideTheBarAndClearOfTheTitle) {
    for (const CaptionMetrics& m : {CaptionMetrics{}, captionMetricsFor(22, 19)}) {
        for (const auto variant :
             {CaptionVariant::main, CaptionVariant::dialog, CaptionVariant::tool}) {
            for (const int width : {0, 30, 200, 800}) {
                const CaptionLayout l = captionLayout(variant, width, m);
                EXPECT_GE(l.painted.width, 0);
                EXPECT_GE(l.title.width, 0);
                EXPECT_LE(l.painted.y + l.painted.height, l.barHeight);
                EXPECT_LE(l.closeButton.y + l.closeButton.height, l.barHeight);
                if (width >= 200) {
                    EXPECT_LE(l.title.x + l.title.width, l.closeButton.x);
                    EXPECT_LE(l.closeButton.x + l.closeButton.width, width);
                    if (l.minimiseButton) {
                        EXPECT_LE(l.minimiseButton->x + l.minimiseButton->width, l.closeButton.x);
                    }
                    if (variant != CaptionVariant::tool) {
                        EXPECT_LE(l.painted.x + l.painted.width, l.closeButton.x);
                    }
                }
            }
        }
    }
}

TEST(CaptionLayout, MetricsGrowWithTheTitleFont) {
    const CaptionMetrics classic = captionMetricsFor(13, 11);
    EXPECT_EQ(classic.captionHeight, 18);
    EXPECT_EQ(classic.smallCaptionHeight, 15);
    const CaptionMetrics large = captionMetricsFor(20, 18);
    for (const auto variant : {CaptionVariant::dialog, CaptionVariant::tool}) {
        const CaptionLayout l = captionLayout(variant, 300, large);
        EXPECT_GE(l.title.height, variant == CaptionVariant::tool ? 18 : 20);
    }
    EXPECT_EQ(large.buttonWidth, large.captionHeight);
}

TEST(CaptionLayout, OwnCaptionOnlyAboveEightBitsPerPixel) {
    EXPECT_FALSE(drawsOwnCaption(1));
    EXPECT_FALSE(drawsOwnCaption(8));
    EXPECT_TRUE(drawsOwnCaption(16));
    EXPECT_TRUE(drawsOwnCaption(32));
}

TEST(TitleTipRules, ShowsOnlyArmedWithTheFocus) {
    EXPECT_TRUE(titleTipMayShow(true, true));
    EXPECT_FALSE(titleTipMayShow(false, true));
    EXPECT_FALSE(titleTipMayShow(true, false));
    EXPECT_EQ(titleTipText(QStringLiteral("abc")), QStringLiteral("abc  "));
}

TEST(TitleTipRules, PlacedAtThePointerInsideTheScreen) {
    const QRect owner(100, 200, 300, 120);
    EXPECT_EQ(titleTipGeometry(owner, QPoint(10, 40), QSize(50, 15), QRect()),
              QRect(110, 240, 55, 20));
    const QRect screen(0, 0, 640, 480);
    EXPECT_EQ(titleTipGeometry(owner, QPoint(10, 40), QSize(50, 15), screen),
              QRect(110, 240, 55, 20));
    // Past the right and bottom edges it moves back, keeping its size.
    EXPECT_EQ(titleTipGeometry(QRect(500, 400, 300, 120), QPoint(100, 60), QSize(290, 30), screen),
              QRect(640 - 295, 480 - 35, 295, 35));
}

TEST(TitleTipRules, SixPixelsAwayKeepsItSevenHidesIt) {
    const QPoint anchor(300, 300);
    for (const QPoint d : {QPoint(6, 0), QPoint(-6, 0), QPoint(0, 6), QPoint(0, -6), QPoint(6, 6)})
        EXPECT_FALSE(titleTipPointerLeft(anchor, anchor + d)) << d.x() << "," << d.y();
    for (const QPoint d : {QPoint(7, 0), QPoint(-7, 0), QPoint(0, 7), QPoint(0, -7)})
        EXPECT_TRUE(titleTipPointerLeft(anchor, anchor + d)) << d.x() << "," << d.y();
}

TEST(BrowserCommands, PlaceholderOrLastArgument) {
    const QString url = QStringLiteral("https://vorlex.example.org/");
    EXPECT_EQ(browserCommands(QStringLiteral("firefox"), url),
              (QList<QStringList>{{QStringLiteral("firefox"), url}}));
    // A quoted placeholder gives the address without quotes.
    EXPECT_EQ(browserCommands(QStringLiteral("\"/opt/my browser/run\" \"%s\" --new"), url),
              (QList<QStringList>{
                  {QStringLiteral("/opt/my browser/run"), url, QStringLiteral("--new")}}));
    EXPECT_EQ(browserCommands(QStringLiteral("run \"%1\""), url),
              (QList<QStringList>{{QStringLiteral("run"), url}}));
    EXPECT_EQ(browserCommands(QStringLiteral("lynx:w3m %s::"), url),
              (QList<QStringList>{{QStringLiteral("lynx"), url}, {QStringLiteral("w3m"), url}}));
    EXPECT_TRUE(browserCommands(QString(), url).isEmpty());
    EXPECT_TRUE(browserCommands(QStringLiteral("  "), url).isEmpty());
}

TEST(BrowserCommands, TheAddressIsOneArgumentWhateverItHolds) {
    const QString hostile = QStringLiteral("http://x.example/a b\";rm -rf ~;\"%s");
    const QList<QStringList> commands = browserCommands(QStringLiteral("sh -c"), hostile);
    ASSERT_EQ(commands.size(), 1);
    EXPECT_EQ(commands[0], (QStringList{QStringLiteral("sh"), QStringLiteral("-c"), hostile}));
}

TEST(LinkFailure, TextsByErrorNumber) {
    const QString head = QStringLiteral("Unable to open hyperlink:\n\n");
    EXPECT_EQ(linkFailureText(31),
              head + QStringLiteral(
                         "There is no application associated\nwith the given filename extension."));
    EXPECT_EQ(linkFailureText(2), head + QStringLiteral("The specified file was not found."));
    EXPECT_EQ(linkFailureText(0),
              head + QStringLiteral("The operating system is out\nof memory or resources."));
    EXPECT_EQ(linkFailureText(26), head + QStringLiteral("A sharing violation occurred. "));
    EXPECT_EQ(linkFailureText(99), head + QStringLiteral("Unknown Error (99) occurred."));
    EXPECT_EQ(linkFailureText(-1), head + QStringLiteral("Unknown Error (-1) occurred."));
}

// Steps that record what the opener tries, starting only the programs named in `works`.
struct RecordedSteps {
    bool desktopWorks = false;
    QStringList works;
    QString browser;
    QStringList tried;

    SystemLinkOpener::Steps steps() {
        SystemLinkOpener::Steps s;
        s.desktop = [this](const QUrl& url) {
            tried.push_back(QStringLiteral("desktop ") + url.toString());
            return desktopWorks;
        };
        s.start = [this](const QString& program, const QStringList& arguments) {
            tried.push_back(program + QLatin1Char(' ') + arguments.join(QLatin1Char(' ')));
            return works.contains(program);
        };
        s.browserVariable = [this] { return browser; };
        s.xdgOpen = QStringLiteral("xdg");
        return s;
    }
};

TEST(SystemLinkOpener, DesktopThenEachBrowserThenXdgOpen) {
    const QString url = QStringLiteral("https://vorlex.example.org/");
    {
        RecordedSteps r;
        r.desktopWorks = true;
        r.browser = QStringLiteral("a");
        const LinkOpenResult result = SystemLinkOpener(r.steps()).open(url);
        EXPECT_TRUE(result.opened);
        EXPECT_EQ(r.tried, QStringList{QStringLiteral("desktop ") + url});
    }
    {
        RecordedSteps r;
        r.browser = QStringLiteral("a:b %s");
        r.works = QStringList{QStringLiteral("b")};
        EXPECT_TRUE(SystemLinkOpener(r.steps()).open(url).opened);
        EXPECT_EQ(r.tried, (QStringList{QStringLiteral("desktop ") + url,
                                        QStringLiteral("a ") + url, QStringLiteral("b ") + url}));
    }
    {
        RecordedSteps r;
        r.works = QStringList{QStringLiteral("xdg")};
        EXPECT_TRUE(SystemLinkOpener(r.steps()).open(url).opened);
        EXPECT_EQ(r.tried,
                  (QStringList{QStringLiteral("desktop ") + url, QStringLiteral("xdg ") + url}));
    }
    {
        RecordedSteps r;
        r.browser = QStringLiteral("a");
        const LinkOpenResult result = SystemLinkOpener(r.steps()).open(url);
        EXPECT_FALSE(result.opened);
        EXPECT_EQ(result.error, linkNoAssociation);
        EXPECT_EQ(r.tried.size(), 3);
    }
}

TEST(SystemLinkOpener, AnEmptyAddressIsNotHandedOn) {
    RecordedSteps r;
    r.works = QStringList{QStringLiteral("xdg")};
    const LinkOpenResult result = SystemLinkOpener(r.steps()).open(QStringLiteral("  "));
    EXPECT_FALSE(result.opened);
    EXPECT_EQ(result.error, linkFileNotFound);
    EXPECT_TRUE(r.tried.isEmpty());
}

TEST(AboutTexts, BothLanguages) {
    EXPECT_EQ(aboutText(AboutText::caption, vorlex::store::languageOf(1)),
              QStringLiteral("About program"));
    EXPECT_EQ(aboutText(AboutText::caption, vorlex::store::languageOf(0)),
              QStringLiteral("О программе"));
    EXPECT_EQ(aboutText(AboutText::closeButton, vorlex::store::languageOf(7)),
              QStringLiteral("Close"));
    EXPECT_EQ(aboutText(AboutText::closeButton, vorlex::store::languageOf(0)),
              QStringLiteral("Закрыть"));
    EXPECT_EQ(aboutText(AboutText::version, vorlex::store::languageOf(0)),
              QStringLiteral("Version " VORLEX_VERSION));
    EXPECT_NE(programHomePage(), companyHomePage());
}

} // namespace
} // namespace vorlex::chrome
