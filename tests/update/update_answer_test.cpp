// The update check's decisions without a network: URLs, status rules, the capped body reads
// and the build comparison.
#include "tests/support/build_numbers.h"
#include "update/update_answer.h"

#include <climits>
#include <gtest/gtest.h>
#include <string>

namespace vorlex::update {
namespace {

using Kind = UpdateAnswer::Kind;
using testing::newerBuild;
using testing::olderBuild;
using testing::ownBuild;

TEST(SplitUrl, HttpUrlsGiveHostPortAndPath) {
    const UrlSplit plain = splitUrl("http://update.vorlex.example/vorlex/update");
    ASSERT_EQ(plain.kind, UrlSplit::Kind::http);
    EXPECT_EQ(plain.url, (HttpUrl{"update.vorlex.example", 80, "/vorlex/update"}));

    EXPECT_EQ(splitUrl("HTTP://127.0.0.1:8080").url, (HttpUrl{"127.0.0.1", 8080, "/"}));
    EXPECT_EQ(splitUrl("http://h:/a").url, (HttpUrl{"h", 80, "/a"}));
    EXPECT_EQ(splitUrl("http://h?x=1#top").url, (HttpUrl{"h", 80, "/?x=1"}));
    EXPECT_EQ(splitUrl("http://[::1]:81/v?a#b").url, (HttpUrl{"::1", 81, "/v?a"}));
    // Credentials are never sent: the request goes to the host alone.
    EXPECT_EQ(splitUrl("http://user:pw@h:90/p").url, (HttpUrl{"h", 90, "/p"}));
    // Blanks around the whole URL, as typed into an environment variable.
    EXPECT_EQ(splitUrl(" http://h/p\t").url, (HttpUrl{"h", 80, "/p"}));
}

TEST(SplitUrl, OtherServicesAreNotHttp) {
    for (const char* url : {"https://h/p", "ftp://h/p", "mailto:someone@h", "HTTPS://h"})
        EXPECT_EQ(splitUrl(url).kind, UrlSplit::Kind::notHttp) << url;
}

TEST(SplitUrl, MalformedUrlsAreUnparsable) {
    for (const char* url : {"", "/vorlex/update", "http:/h/p", "http://", "http:///p",
                            "http://h:0/", "http://h:65536/", "http://h:8x/", "http://h:123456/",
                            "http://a b/", "http://h/a b", "http://h/\r\nX: y", "http://[::1/",
                            "http://[zz]/", "http://h\x7f/", "://h", "1http://h/", "http://hö/"})
        EXPECT_EQ(splitUrl(url).kind, UrlSplit::Kind::unparsable) << url;
}

TEST(AtoiLike, ReadsAsAtoi) {
    EXPECT_EQ(atoiLike("1031"), 1031);
    EXPECT_EQ(atoiLike("1032\r\n"), 1032);
    EXPECT_EQ(atoiLike(" \t\n\v\f\r1040 build"), 1040);
    EXPECT_EQ(atoiLike("+7"), 7);
    EXPECT_EQ(atoiLike("-12"), -12);
    EXPECT_EQ(atoiLike("v1032"), 0);
    EXPECT_EQ(atoiLike(""), 0);
    EXPECT_EQ(atoiLike("- 5"), 0);
    EXPECT_EQ(atoiLike("2147483647"), INT_MAX);
    EXPECT_EQ(atoiLike("99999999999999999999999"), INT_MAX);
    EXPECT_EQ(atoiLike("-2147483648"), INT_MIN);
    EXPECT_EQ(atoiLike("-99999999999999999999999"), INT_MIN);
}

TEST(IsNewerBuild, ComparesWithOwnBuild) {
    EXPECT_FALSE(isNewerBuild(ownBuild() + "\n"));
    EXPECT_TRUE(isNewerBuild(newerBuild() + "\n"));
    EXPECT_FALSE(isNewerBuild(olderBuild()));
    EXPECT_FALSE(isNewerBuild("new version"));
    EXPECT_FALSE(isNewerBuild(""));
    EXPECT_TRUE(isNewerBuild("99999999999"));
    // Regression: -1 read as an unsigned number is 4294967295, which would announce a new version.
    EXPECT_FALSE(isNewerBuild("-1"));
    EXPECT_TRUE(isNewerBuild("5", "4"));
}

std::string repeat(char c, std::size_t n) {
    return std::string(n, c);
}

TEST(BodyLines, FirstLineIsVersionRestIsNewsWithLineEnds) {
    BodyLines lines;
    EXPECT_EQ(lines.feed("1032\r\nNew: faster\r\n\r\nlast"), 25u);
    lines.finish();
    EXPECT_EQ(lines.lines(), 4);
    EXPECT_EQ(lines.versionLine(), "1032\r\n");
    EXPECT_EQ(lines.news(), "New: faster\r\n\r\nlast");
}

TEST(BodyLines, StopsAfterFiftyOneReads) {
    std::string body;
    for (int i = 1; i <= 60; ++i)
        body += "line " + std::to_string(i) + "\n";
    BodyLines lines;
    const std::size_t taken = lines.feed(body);
    EXPECT_TRUE(lines.full());
    EXPECT_EQ(taken, body.find("line 52\n"));
    std::string expected;
    for (int i = 2; i <= 51; ++i)
        expected += "line " + std::to_string(i) + "\n";
    EXPECT_EQ(lines.news(), expected);
    EXPECT_EQ(lines.feed("more"), 0u);
}

TEST(BodyLines, LongLinesAreReadInPiecesOf1023) {
    BodyLines lines;
    lines.feed("1\n" + repeat('x', 2 * kMaxLineLength + 5) + "\nend\n");
    lines.finish();
    // The long line takes three reads: 1023, 1023 and 5 characters with its line feed.
    EXPECT_EQ(lines.lines(), 5);
    EXPECT_EQ(lines.news(), repeat('x', 2 * kMaxLineLength + 5) + "\nend\n");

    // A line of exactly 1023 characters ends its read; its line feed is a read of its own.
    BodyLines exact;
    exact.feed(repeat('7', kMaxLineLength) + "\n");
    exact.finish();
    EXPECT_EQ(exact.lines(), 2);
    EXPECT_EQ(exact.versionLine(), repeat('7', kMaxLineLength));
    EXPECT_EQ(exact.news(), "\n");
}

TEST(BodyLines, HoldsNoMoreThanTheCap) {
    const std::string huge = repeat('y', 4 * 1024 * 1024);
    BodyLines lines;
    const std::size_t taken = lines.feed(huge);
    EXPECT_TRUE(lines.full());
    EXPECT_EQ(taken, kMaxBodyLines * kMaxLineLength);
    EXPECT_EQ(lines.versionLine().size() + lines.news().size(), taken);
}

TEST(BodyLines, PiecesGiveTheSameReadsAsTheWhole) {
    std::string body = "1033\n";
    for (int i = 0; i < 70; ++i)
        body += repeat(static_cast<char>('a' + i % 26), static_cast<std::size_t>(i * 37 % 2500)) +
                (i % 3 == 0 ? "\r\n" : "\n");
    BodyLines whole;
    whole.feed(body);
    whole.finish();
    for (const std::size_t piece : {1u, 7u, 1023u, 4096u}) {
        BodyLines split;
        for (std::size_t at = 0; at < body.size() && !split.full(); at += piece)
            split.feed(std::string_view(body).substr(at, piece));
        split.finish();
        EXPECT_EQ(split.lines(), whole.lines()) << piece;
        EXPECT_EQ(split.versionLine(), whole.versionLine()) << piece;
        EXPECT_EQ(split.news(), whole.news()) << piece;
    }
}

TEST(ParseUpdateAnswer, StatusRulesOfTheFirstRequest) {
    EXPECT_EQ(parseUpdateAnswer(401, std::nullopt, "").kind, Kind::accessDenied);
    for (const int status : {404, 500, 304, 307, 308, 204, 100}) {
        const UpdateAnswer answer = parseUpdateAnswer(status, "http://h/p", "1032\n");
        EXPECT_EQ(answer.kind, Kind::serverError) << status;
        EXPECT_EQ(answer.status, status);
    }
    for (const int status : {301, 302, 303}) {
        const UpdateAnswer answer = parseUpdateAnswer(status, "http://mirror:8080/v", "");
        EXPECT_EQ(answer.kind, Kind::redirect) << status;
        EXPECT_EQ(answer.redirectTo, (HttpUrl{"mirror", 8080, "/v"}));
    }
}

TEST(ParseUpdateAnswer, AfterARedirectOnly200Counts) {
    for (const int status : {301, 302, 303, 401, 404}) {
        const UpdateAnswer answer =
            parseUpdateAnswer(status, "http://h/p", "1032\n", Exchange::afterRedirect);
        EXPECT_EQ(answer.kind, Kind::serverError) << status;
        EXPECT_EQ(answer.status, status);
    }
    EXPECT_EQ(
        parseUpdateAnswer(200, std::nullopt, newerBuild() + "\n", Exchange::afterRedirect).kind,
        Kind::newVersion);
}

TEST(ParseUpdateAnswer, RedirectTargets) {
    EXPECT_EQ(parseUpdateAnswer(302, std::nullopt, "").kind, Kind::redirectWithoutLocation);
    EXPECT_EQ(parseUpdateAnswer(302, "", "").kind, Kind::redirectUnparsable);
    EXPECT_EQ(parseUpdateAnswer(302, "/relative/path", "").kind, Kind::redirectUnparsable);
    EXPECT_EQ(parseUpdateAnswer(301, "https://h/p", "").kind, Kind::redirectNotHttp);
    EXPECT_EQ(parseUpdateAnswer(303, "ftp://h/p", "").kind, Kind::redirectNotHttp);
    // The target ends at the line feed; the carriage return before it is not part of it.
    const UpdateAnswer trimmed = parseUpdateAnswer(302, "http://h/next\r\nServer: x", "");
    EXPECT_EQ(trimmed.kind, Kind::redirect);
    EXPECT_EQ(trimmed.redirectTo.path, "/next");
}

TEST(ParseUpdateAnswer, VersionVerdicts) {
    EXPECT_EQ(parseUpdateAnswer(200, std::nullopt, ownBuild() + "\nnews\n").kind,
              Kind::noNewVersion);
    EXPECT_EQ(parseUpdateAnswer(200, std::nullopt, olderBuild() + "\n").kind, Kind::noNewVersion);
    EXPECT_EQ(parseUpdateAnswer(200, std::nullopt, "").kind, Kind::noNewVersion);
    EXPECT_EQ(parseUpdateAnswer(200, std::nullopt, "<html>\n").kind, Kind::noNewVersion);
    const UpdateAnswer newer =
        parseUpdateAnswer(200, "http://ignored/", newerBuild() + "\nFaster.\nSafer.");
    EXPECT_EQ(newer.kind, Kind::newVersion);
    EXPECT_EQ(newer.news, "Faster.\nSafer.");
}

} // namespace
} // namespace vorlex::update
