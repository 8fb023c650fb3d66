#include "platform/system/regex.h"

#include <gtest/gtest.h>

TEST(SystemRegex, MatchesAnywhereInTheSubject)
{
    TRegExpr hex(QStringLiteral("[0-9]|[a-f]|[A-F]"));
    ASSERT_TRUE(hex.IsValid());
    struct Case
    {
        const char16_t *subject;
        bool matches;
    } cases[] = {{u"7", true},   {u"c", true},       {u"E", true},
                 {u"g", false},  {u"", false},       {u"xyz", false},
                 {u"xy1", true}, {u"\u0661", false}, {u"\uff21", false}};
    for (const Case &c : cases)
        EXPECT_EQ(hex.Exec(QString::fromUtf16(c.subject)), c.matches)
            << QString::fromUtf16(c.subject).toStdString();

    // Text beyond the Basic Multilingual Plane and a lone surrogate are handled safely.
    TRegExpr any(QStringLiteral("."));
    EXPECT_TRUE(any.Exec(QString::fromUtf16(u"\U0001F600")));
    EXPECT_FALSE(any.Exec(QString(QChar(0xD800))));
}

TEST(SystemRegex, InvalidPatternsAreReported)
{
    TRegExpr bad(QStringLiteral("[0-9"));
    EXPECT_FALSE(bad.IsValid());
    EXPECT_FALSE(bad.ErrorMessage().isEmpty());
    EXPECT_FALSE(bad.Exec(QStringLiteral("1")));
}
