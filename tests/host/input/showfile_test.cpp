// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "host/input/showparser.h"
#include "tests/support/casename.h"

namespace vexohost {
namespace {

ShowEvent ch(int64_t time, int32_t channel, int32_t value, int line) {
    return {time, 15, channel, value, line};
}

TEST(ShowFile, ParsesPairsRawMessagesRelativeTimesAndComments) {
    const Show show = parseShow(
        "# a comment line\n"
        "\n"
        "0 1=255 2=0   # two channels at once\n"
        "+250 3=-1\n"
        "1000 msg 14 7 -2147483648\n"
        "+0 2147483647=2147483647\r\n",
        "a.show");
    ASSERT_FALSE(show.error) << show.error->toString();
    const std::vector<ShowEvent> expected = {ch(0, 1, 255, 3),
                                             ch(0, 2, 0, 3),
                                             ch(250, 3, -1, 4),
                                             {1000, 14, 7, INT32_MIN, 5},
                                             ch(1000, INT32_MAX, INT32_MAX, 6)};
    EXPECT_EQ(show.events, expected);
}

struct BadLine {
    const char* text;
    int line;
    int column;
    const char* fragment;
};

void PrintTo(const BadLine& c, std::ostream* out) {
    *out << testing::PrintToString(c.text) << " line " << c.line << " column " << c.column;
}

class ShowFileErrors : public testing::TestWithParam<BadLine> {};

TEST_P(ShowFileErrors, NamesFileLineAndColumnAndPlaysNothing) {
    const BadLine& bad = GetParam();
    const Show show = parseShow(bad.text, "bad.show");
    ASSERT_TRUE(show.error);
    EXPECT_TRUE(show.events.empty());
    EXPECT_EQ(show.error->file, "bad.show");
    EXPECT_EQ(show.error->line, bad.line);
    EXPECT_EQ(show.error->column, bad.column);
    EXPECT_NE(show.error->message.find(bad.fragment), std::string::npos) << show.error->message;
}

INSTANTIATE_TEST_SUITE_P(
    Table, ShowFileErrors,
    testing::Values(BadLine{"0 1=1\nabc 1=2\n", 2, 1, "expected a time"},
                    BadLine{"500 1=1\n400 1=2\n", 2, 1, "time goes back"},
                    BadLine{"-5 1=1\n", 1, 1, "expected a time"},
                    BadLine{"0 1=1\n10\n", 2, 3, "expected CHANNEL=VALUE"},
                    BadLine{"0 1=1 x\n", 1, 7, "expected CHANNEL=VALUE"},
                    BadLine{"0 1=2147483648\n", 1, 5, "value is not a 32-bit integer"},
                    BadLine{"0 q=1\n", 1, 3, "channel is not a 32-bit integer"},
                    BadLine{"0 msg 15 1\n", 1, 3, "exactly three numbers"},
                    BadLine{"0 msg 15 1 z\n", 1, 12, "expected a 32-bit integer"},
                    BadLine{"99999999999999999 1=1\n", 1, 1, "time"},
                    // Lines that end in CR alone would read as one.
                    BadLine{"# a show\r0 1=255\r+10 2=3\r", 1, 9, "carriage return inside a line"},
                    // The sum of a time and its predecessor would overflow.
                    BadLine{"100 1=1\n+9223372036854775807 1=1\n", 2, 1, "time too large"},
                    // Junk is shown short and printable.
                    BadLine{"\x01\xffyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyy 1=1\n", 1, 1,
                            "got '\\x01\\xffyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyy' (50 bytes)"}),
    testsupport::CaseName());

TEST(ShowFile, LiveLinesKeepTheirTimeAcrossCalls) {
    TextLineParser parser("<stdin>");
    ShowBatch batch;
    EXPECT_FALSE(parser.parseLine("100 1=5", 1, &batch));
    EXPECT_FALSE(parser.parseLine("+50 2=6", 2, &batch));
    EXPECT_EQ(batch.timeMs, 150);
    const auto error = parser.parseLine("120 3=7", 3, &batch);
    ASSERT_TRUE(error);
    EXPECT_EQ(error->toString(), "<stdin>:3:1: time goes back: 120 ms is before 150 ms");
    EXPECT_TRUE(batch.messages.empty());
}

TEST(OlaRecording, SendsChangedSlotsOfTheFirstUniverse) {
    const Show show = parseShow(
        "OLA Show\n"
        "1 0,10,20\n"
        "100\n"
        "2 255,255\n"  // another universe: only advances time
        "50\n"
        "1 0,11,20,7\n"
        "25\n"
        "1 0,11,20,7\n"
        "25\n"
        "3 1,1,1,1,1\n"  // a third universe
        "5\n"
        "1 9\n",  // a short frame changes only the slots it carries
        "rec.show");
    ASSERT_FALSE(show.error) << show.error->toString();
    EXPECT_EQ(show.format, ShowFormat::Recording);
    EXPECT_EQ(show.universe, 1u);
    const std::vector<ShowEvent> expected = {ch(0, 1, 0, 2),    ch(0, 2, 10, 2),  ch(0, 3, 20, 2),
                                             ch(150, 2, 11, 6), ch(150, 4, 7, 6), ch(205, 1, 9, 12)};
    EXPECT_EQ(show.events, expected);
}

TEST(OlaRecording, ChosenUniverseAndItsErrors) {
    const char* text = "OLA Show\n1 5\n10\n2 6\n";
    const Show second = parseShow(text, "r", ShowOptions{2u});
    ASSERT_FALSE(second.error);
    ASSERT_EQ(second.events.size(), 1u);
    EXPECT_EQ(second.events[0], ch(10, 1, 6, 4));

    EXPECT_TRUE(parseShow(text, "r", ShowOptions{3u}).error);
    const Show bad = parseShow("OLA Show\n1 5,256\n", "r");
    ASSERT_TRUE(bad.error);
    EXPECT_EQ(bad.error->line, 2);
    EXPECT_EQ(bad.error->column, 5);
    const Show badWait = parseShow("OLA Show\n1 5\nsoon\n", "r");
    ASSERT_TRUE(badWait.error);
    EXPECT_EQ(badWait.error->line, 3);
}

}  // namespace
}  // namespace vexohost
