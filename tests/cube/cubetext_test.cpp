// The text rules of the cube collection.

#include "cubekind.h"
#include "cubetext.h"

#include <gtest/gtest.h>

namespace Lorvantic {
namespace {

TEST(CalcMemberStatement, CutsCreateMemberAndExpression) {
    const struct {
        const char* statement;
        const char* text;
    } cases[] = {
        {"CREATE MEMBER [Sales].[Measures].[Profit] AS '[Measures].[Store Sales]-[Measures].[Store Cost]'",
         "[Sales].[Measures].[Profit] "},
        {"create member [x] AS 'y'", "create member [x] "},     // only capitals begin a cut
        {"CREATE MEMBER [a] as 'b'", "[a] as 'b'"},             // only "AS '" in capitals ends it
        {"CREATE MEMBER  [a] AS 'b'", " [a] "},                 // not trimmed
        {"CREATE MEMBER", ""},                                  // nothing after the keyword
        {"CREATE MEMBERX", ""},                                 // the character after it is dropped
        {"CREATE MEMBER_[a]", "[a]"},                           // whatever that character is
        {"  CREATE MEMBER [a] AS 'b'", "  CREATE MEMBER [a] "}, // must begin at the first character
        {"[x] AS 'y' AS 'z'", "[x] "},                          // the first occurrence cuts
        {"AS 'x'", ""},
        {"CREATE MEMBER [a] AS", "[a] AS"},                         // no quote after AS
        {"[Measures].[Quantity] / 2", "[Measures].[Quantity] / 2"}, // nothing to cut
        {"", ""},
        {"CREATE MEMBER [Ä é] AS 'ü'", "[Ä é] "},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CalcMemberStatementText(QString::fromUtf8(c.statement)), QString::fromUtf8(c.text))
            << c.statement;
}

TEST(PrivateDimension, DropsCubeNameAndOneSeparator) {
    const struct {
        const char* full;
        const char* cube;
        const char* name;
    } cases[] = {
        {"Sales^Promotion Media", "Sales", "Promotion Media"},
        {"Sales:Promotion", "Sales", "Promotion"}, // any separator
        {"Other^Name", "Sales", "Name"},           // the cube's name is not compared
        {"Sales^", "Sales", ""},
        {"Sales", "Sales", ""},
        {"Sal", "Sales", ""},
        {"^Name", "", "Name"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(PrivateDimensionName(QString::fromUtf8(c.full), QString::fromUtf8(c.cube)),
                  QString::fromUtf8(c.name))
            << c.full;
}

TEST(CodeTexts, StorageModes) {
    const std::pair<qint32, const char*> cases[] = {
        {0, "MOLAP"},
        {1, "HOLAP"},
        {2, "Unable to determine"},
        {3, "ROLAP"},
        {4, "Unable to determine"},
        {14, "Unable to determine"},
        {15, "ROLAP"},
        {16, "Unable to determine"},
        {-1, "Unable to determine"},
    };
    for (const auto& [code, text] : cases)
        EXPECT_EQ(CubeKind::GetStorageModeText(code), QString::fromUtf8(text)) << code;
}

TEST(CodeTexts, AggregateFunctions) {
    const std::pair<qint32, const char*> cases[] = {
        {0, "SUM"}, {1, "COUNT"}, {2, "MIN"}, {3, "MAX"}, {4, "NONE"}, {-1, "NONE"}, {127, "NONE"},
    };
    for (const auto& [code, text] : cases)
        EXPECT_EQ(CubeKind::GetAggregateFunctionText(code), QString::fromUtf8(text)) << code;
}

} // namespace
} // namespace Lorvantic
