#include <cmath>
#include <random>
#include <string>

#include <gtest/gtest.h>

#include "core/georef/DegreeParser.h"
#include "core/georef/NumberScan.h"

namespace
{

// Two entered texts and what the Add Geo-reference entry makes of them.
struct EntryCase
{
    const char* name;
    const char* easting;
    const char* northing;
    bool accepted;
    double expectedEasting;
    double expectedNorthing;
};

void PrintTo(const EntryCase& c, std::ostream* os) { *os << c.name; }

class EntryCases : public testing::TestWithParam<EntryCase>
{};

TEST_P(EntryCases, ConvertsAsTheGrammarSays)
{
    const EntryCase& c = GetParam();
    double easting = -999, northing = -999;
    EXPECT_EQ(ConvertCoordinateEntries(c.easting, c.northing, &easting, &northing), c.accepted);
    if (c.accepted)
    {
        EXPECT_NEAR(easting, c.expectedEasting, 1e-12);
        EXPECT_NEAR(northing, c.expectedNorthing, 1e-12);
    }
    else
    {
        EXPECT_EQ(easting, -999);
        EXPECT_EQ(northing, -999);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Examples, EntryCases,
    testing::Values(
        EntryCase{"DmsWithLetters", "123 30 0 E", "10 30 15 N", true, 123.5, 10 + 30 / 60.0 + 15 / 3600.0},
        EntryCase{"LowerCaseLettersNegate", "123 30 0 w", "10 30 15 s", true, -123.5, -(10 + 30 / 60.0 + 15 / 3600.0)},
        EntryCase{"DegreeMinuteSecondMarks",
                  "10\xB0"
                  "20'5\"E",
                  "10\xB0"
                  "20'5\"N",
                  true, 10 + 20 / 60.0 + 5 / 3600.0, 10 + 20 / 60.0 + 5 / 3600.0},
        EntryCase{"Utf8DegreeSign", "10\xC2\xB0 20' 5\" E", "1 2 3 N", true, 10 + 20 / 60.0 + 5 / 3600.0,
                  1 + 2 / 60.0 + 3 / 3600.0},
        EntryCase{"DecimalMinutes", "1 2 3 E", "10 30.5 S", true, 1 + 2 / 60.0 + 3 / 3600.0, -(10 + 30.5 / 60)},
        EntryCase{"LatitudeLetterInEasting", "10 30 N", "10 30 N", true, 10, 10},
        EntryCase{"ProjectedCoordinates", "451.5", "887.25", true, 451.5, 887.25},
        EntryCase{"WholeNumbersAlone", "451", "887", true, 451, 887},
        EntryCase{"DecimalDegreesIgnoreLetter", "10.5 E", "10.5 S", true, 10.5, 10.5},
        EntryCase{"DegreeEastingProjectedNorthing", "123 30 0 E", "887", true, 123, 887},
        EntryCase{"NegativeDegreesAddMinutes", "-10 30 0", "5 0 0", true, -9.5, 5},
        EntryCase{"MinusWithLetterFallsBack", "-10 30 0 W", "5 0 0 N", true, -10, 5},
        EntryCase{"AboveOneEighty", "200 0 0", "10 0 0", true, 200, 10},
        EntryCase{"SixtyOneMinutes", "1 0 0 E", "10 61 0 N", true, 1, 10},
        EntryCase{"SixtyMinutesAccepted", "1 0 0 E", "10 60 0 N", true, 1, 11},
        EntryCase{"SixtySecondsAccepted", "1 0 60 E", "1 0 60.5 N", true, 1, 1},
        EntryCase{"EmptyText", "", "10", false, 0, 0},
        EntryCase{"LetterFirst", "N 10 20 30", "10 20 30 N", false, 0, 0},
        EntryCase{"PlusIsPlain", "+10", "+20", true, 10, 20},
        EntryCase{"LeadingTab", "\t10 30 0 E", "10 30 0 N", true, 10, 10},
        EntryCase{"LeadingSpacesAllowed", "   10 30 0 E", " 10 30 0 N", true, 10.5, 10.5},
        EntryCase{"WrongAxisLetter", "10 0 0 E", "10 0 0 E", true, 10, 10},
        EntryCase{"DigitWhereLetterExpected", "10 20 30 40", "1 2 3", true, 10, 1},
        EntryCase{"OverlongDegreesFallBack", "99999999999999999999 0 0 E", "1 0 0 N", true, 1e20, 1},
        EntryCase{"NoNumberAtAll", "abc", "def", false, 0, 0}),
    [](const testing::TestParamInfo<EntryCase>& info) { return std::string(info.param.name); });

TEST(ParseDegrees, ReportsDecimalDegreesOrFailure)
{
    double value = 0;
    EXPECT_TRUE(ParseDegrees("10 30 15 N", &value, false));
    EXPECT_DOUBLE_EQ(value, 10 + 30 / 60.0 + 15 / 3600.0);
    EXPECT_FALSE(ParseDegrees("10 30 15 N", &value, true));
    EXPECT_TRUE(ParseDegrees("180 0 0 W", &value, true));
    EXPECT_DOUBLE_EQ(value, -180);
    EXPECT_FALSE(ParseDegrees("180 0 1 W", &value, true));
    EXPECT_FALSE(ParseDegrees("1.2.3", &value, true));     // degrees may not have a fraction
    EXPECT_TRUE(ParseDegrees("10 1.2.3", &value, true));   // minutes stop at the second point
    EXPECT_DOUBLE_EQ(value, 10 + 1.2 / 60);
    EXPECT_FALSE(ParseDegrees("-", &value, true));
    EXPECT_FALSE(ParseDegrees("2147483648 0 0", &value, true));
    EXPECT_FALSE(ParseDegrees("10 99999999999 0", &value, true));
}

TEST(ParseDegrees, UsesTheGivenHemisphereLetters)
{
    HemisphereLetters german;
    german.pszEast = "O";
    double value = 0;
    EXPECT_TRUE(ParseDegrees("10 0 0 o", &value, true, german));
    EXPECT_EQ(value, 10);
    EXPECT_FALSE(ParseDegrees("10 0 0 E", &value, true, german));
}

TEST(ScanDouble, TakesTheLongestDecimalNumber)
{
    struct
    {
        const char* text;
        bool ok;
        double value;
        size_t consumed;
    } cases[] = {
        {"  12.5xyz", true, 12.5, 6}, {"-.5", true, -0.5, 3}, {"5.", true, 5, 2},       {"1e3", true, 1000, 3},
        {"1e", true, 1, 1},           {"1e+", true, 1, 1},    {"2E-2,", true, 0.02, 4}, {"1e+99999", false, 0, 0},
        {"INF", false, 0, 0},         {"nan", false, 0, 0},   {"0x1", true, 0, 1},      {".", false, 0, 0},
        {"+", false, 0, 0},           {"", false, 0, 0},
    };
    for (const auto& c : cases)
    {
        double value = -1;
        const char* end = nullptr;
        EXPECT_EQ(ScanDouble(c.text, &value, &end), c.ok) << c.text;
        if (c.ok)
        {
            EXPECT_EQ(value, c.value) << c.text;
            EXPECT_EQ(size_t(end - c.text), c.consumed) << c.text;
        }
    }
}

TEST(ScanInt, RefusesValuesOutsideThirtyTwoBits)
{
    int value = 0;
    EXPECT_TRUE(ScanInt("-2147483648", &value, nullptr));
    EXPECT_EQ(value, -2147483647 - 1);
    EXPECT_TRUE(ScanInt(" 2147483647", &value, nullptr));
    EXPECT_EQ(value, 2147483647);
    EXPECT_FALSE(ScanInt("2147483648", &value, nullptr));
    EXPECT_FALSE(ScanInt("-2147483649", &value, nullptr));
    EXPECT_FALSE(ScanInt("123456789012345678901234567890", &value, nullptr));
    EXPECT_FALSE(ScanInt("- 1", &value, nullptr));
}

// Random texts from the grammar's alphabet: no crash (the sanitizers watch),
// and every accepted value keeps the grammar's promises.
TEST(ParseDegrees, RandomTextsKeepTheInvariants)
{
    const char alphabet[] = "0123456789 .-+,:'\"NSEWnsewx\t\xB0\xC2";
    std::mt19937 random(20261207);
    std::uniform_int_distribution<int> length(0, 24), pick(0, sizeof alphabet - 2);
    for (int i = 0; i < 200000; ++i)
    {
        std::string text;
        for (int n = length(random); n > 0; --n)
            text += alphabet[pick(random)];
        double value = 0;
        if (ParseDegrees(text.c_str(), &value, i & 1))
        {
            ASSERT_LE(std::fabs(value), 180.0) << text;
            ASSERT_TRUE(std::isfinite(value)) << text;
        }
        double e = 0, n = 0;
        ConvertCoordinateEntries(text.c_str(), text.c_str(), &e, &n);
    }
}

}   // namespace
