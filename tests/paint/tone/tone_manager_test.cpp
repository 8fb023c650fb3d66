#include "paint/tone/tone_manager.h"

#include "core/image/channel.h"
#include "core/pixel/pixel.h"
#include "paint/paint_test_support.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

SToneAttr toneAttrOf(int32_t shape, float dpi, float line, float percent, float degree)
{
    SToneAttr a;
    initToneAttr(a);
    a.pattern = shape;
    a.dpi = dpi;
    a.line = line;
    a.percent = percent;
    a.degree = degree;
    a.name = QStringLiteral("tone");
    return a;
}

// A channel whose byte at (x, y) is (x + 7 y) mod 256.
std::unique_ptr<TChannel> rampChannel(int32_t w, int32_t h)
{
    auto ch = std::make_unique<TChannel>(w, h);
    for (int32_t y = 0; y < h; ++y) {
        for (int32_t x = 0; x < w; ++x) {
            *ch->seek8(x, y) = uint8_t(x + 7 * y);
        }
    }
    return ch;
}

// A manager of n plain 4 x 4 patterns named "p0", "p1", ...
void fillPlain(CToneMngr &m, int n)
{
    const auto ch = rampChannel(4, 4);
    for (int i = 0; i < n; ++i) {
        const int32_t idx = m.appendPattern(*ch, 100, nullptr);
        m.getPattern(idx)->setName(QStringLiteral("p%1").arg(i));
    }
}

} // namespace

TEST(ToneManager, DefaultPatternsAreDiscGrids)
{
    CToneMngr m;
    m.makeDefault();
    ASSERT_EQ(m.count(), 2);
    EXPECT_EQ(m.getPatIdx(), 0);
    const CPat8 *first = m.getActiveTone();
    ASSERT_TRUE(first);
    EXPECT_EQ(first->size, (sSize{64, 64}));
    EXPECT_EQ(first->flags, kPatFlagAlpha);
    EXPECT_TRUE(first->enable);
    // Discs of radius 2 at pitch 8 from 5 (trunc 8 x sqrt 2 / 2); of radius 3 at pitch 16 from 11.
    EXPECT_EQ(first->getValue(5, 5), 255);
    EXPECT_EQ(first->getValue(13, 61), 255);
    EXPECT_EQ(first->getValue(1, 1), 0);
    EXPECT_EQ(first->getValue(9, 9), 0);
    const CPat8 *second = dynamic_cast<const CPat8 *>(m.getPattern(1));
    EXPECT_EQ(second->getValue(11, 27), 255);
    EXPECT_EQ(second->getValue(11, 19), 0);
    // The working copy is the current pattern at zoom 100.
    ASSERT_TRUE(m.getModPat());
    EXPECT_EQ(m.effectScreenTone(5, 5, 200), 200);
    EXPECT_EQ(m.effectScreenTone(1, 1, 200), 0);
}

TEST(ToneManager, EffectWithoutWorkingCopyKeepsTheAlpha)
{
    CToneMngr m;
    EXPECT_EQ(m.effectScreenTone(3, 4, 123), 123);
    fillPlain(m, 1);
    EXPECT_EQ(m.effectScreenTone(3, 4, 123), 123); // appended, not yet current
}

TEST(ToneManager, ZoomedPlainPatternRepeatsAtItsZoomedSize)
{
    CToneMngr m;
    const auto ch = rampChannel(64, 64);
    const int32_t idx = m.appendPattern(*ch, 50, nullptr);
    m.getPattern(idx)->ofs = {5, 6};
    m.setCurPat(idx);
    const CPatObj *copy = m.getModPat();
    ASSERT_TRUE(copy);
    EXPECT_EQ(copy->size, (sSize{32, 32}));
    EXPECT_EQ(copy->zoom, 100);
    EXPECT_EQ(copy->ofs, (sPos{5, 6}));
    m.ofsPos = {3, -2};
    for (int32_t y = 0; y < 40; y += 3) {
        for (int32_t x = 0; x < 40; x += 5) {
            const uint8_t v = m.effectScreenTone(x, y, 255);
            EXPECT_EQ(m.effectScreenTone(x + 32, y, 255), v);
            EXPECT_EQ(m.effectScreenTone(x, y - 32, 255), v);
            EXPECT_EQ(m.effectScreenTone(x, y, 100), mul255(100, v));
            EXPECT_EQ(v, copy->getValue(x + 3, y - 2));
        }
    }
    // Area averaging halves the ramp: the copy's (0, 0) is the mean of the four source pixels.
    EXPECT_EQ(dynamic_cast<const CPat8 *>(copy)->channel()->getColor(0, 0), (0 + 1 + 7 + 8) / 4);

    // Zoom 100 copies the pixels; the copy takes the pattern's negative flag.
    m.getPattern(idx)->zoom = 100;
    dynamic_cast<CPat8 *>(m.getPattern(idx))->Fnega = true;
    m.setCurPat(idx);
    EXPECT_EQ(m.getModPat()->size, (sSize{64, 64}));
    EXPECT_EQ(m.getModPat()->getValue(2, 1), 255 - 9 - 5 - 7 * 6);
}

TEST(ToneManager, ZoomedScreentoneGrowsItsCells)
{
    CToneMngr m;
    SToneAttr attr = toneAttrOf(tptRound, 320, 40, 30, 0); // pitch 8
    const int32_t idx = m.appendTone(attr, true, nullptr);
    ASSERT_GE(idx, 0);
    m.getPattern(idx)->zoom = 200;
    m.setCurPat(idx);
    const auto *copy = dynamic_cast<const CPat8Tone *>(m.getModPat());
    ASSERT_TRUE(copy);
    EXPECT_EQ(copy->toneAttr.dpi, 640);
    EXPECT_EQ(m.getToneMaker()->d, 16); // the shared maker holds the working copy's geometry
    CToneMaker ref;
    ASSERT_TRUE(ref.buildTone(tptRound, 16, 0, 30, 0));
    for (int32_t x = 0; x < 40; x += 3) {
        EXPECT_EQ(m.effectScreenTone(x, 9, 255), ref.getTone(x, 9));
    }
    // A zoom that no tone can be built at leaves no working copy (and no stale tone).
    m.getPattern(idx)->zoom = 10;
    m.setCurPat(idx);
    EXPECT_EQ(m.getModPat(), nullptr);
    EXPECT_EQ(m.effectScreenTone(0, 0, 77), 77);
}

TEST(ToneManager, DeletingKeepsTheCurrentPatternCurrent)
{
    struct Case
    {
        int32_t current, deleted;
        const char *nowCurrent; // name of the current pattern afterwards
        int32_t nowIdx;
    };
    const Case cases[] = {
        {2, 4, "p2", 2}, // after the current one: unchanged
        {2, 0, "p2", 1}, // before it: the same pattern, one place lower
        {2, 2, "p3", 2}, // the current one: the pattern taking its place
        {4, 4, "p3", 3}, // the current one at the end: the one before it
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << "current " << c.current << ", delete " << c.deleted);
        CToneMngr m;
        fillPlain(m, 5);
        m.setCurPat(c.current);
        m.setModified(false);
        ASSERT_TRUE(m.deletePattern(c.deleted));
        EXPECT_EQ(m.count(), 4);
        EXPECT_EQ(m.getPatIdx(), c.nowIdx);
        EXPECT_EQ(m.getCurPat()->name(), c.nowCurrent);
        EXPECT_EQ(m.getModPat()->name(), c.nowCurrent);
        EXPECT_TRUE(m.Modified());
    }
    CToneMngr m;
    fillPlain(m, 1);
    m.setCurPat(0);
    EXPECT_FALSE(m.deletePattern(1));
    EXPECT_TRUE(m.deletePattern(0));
    EXPECT_EQ(m.getPatIdx(), -1);
    EXPECT_EQ(m.getCurPat(), nullptr);
    EXPECT_EQ(m.getModPat(), nullptr);
}

TEST(ToneManager, InsertingKeepsTheCurrentPatternCurrent)
{
    struct Case
    {
        int32_t at, expected; // expected: the answer
        int32_t nowIdx;       // where "p1", current, is afterwards
    };
    const Case cases[] = {
        {0, 0, 2},  // before the current one: it moves up
        {1, 1, 2},  // at its place: likewise
        {3, 3, 1},  // at the end: appended
        {4, -1, 1}, // past the end: refused
        {-1, -1, 1},
    };
    const auto ch = rampChannel(4, 4);
    for (const Case &c : cases) {
        SCOPED_TRACE(c.at);
        CToneMngr m;
        fillPlain(m, 3);
        m.setCurPat(1);
        m.setModified(false);
        auto pat = m.createPattern(*ch, 100, nullptr);
        pat->setName(QStringLiteral("new"));
        EXPECT_EQ(m.insertPattern(c.at, std::move(pat)), c.expected);
        EXPECT_EQ(m.count(), c.expected < 0 ? 3 : 4);
        EXPECT_EQ(m.Modified(), c.expected >= 0);
        EXPECT_EQ(m.getPatIdx(), c.nowIdx);
        EXPECT_EQ(m.getCurPat()->name(), QStringLiteral("p1"));
        if (c.expected >= 0) {
            EXPECT_EQ(m.getPattern(c.expected)->name(), QStringLiteral("new"));
        }
    }
    CToneMngr m;
    EXPECT_EQ(m.insertPattern(0, nullptr), -1);
}

TEST(ToneManager, CurrentPatternNamesAndNotifications)
{
    CToneMngr m;
    int changes = 0;
    m.OnChange = [&](CPatMngrBase &) { ++changes; };
    EXPECT_EQ(m.setCurPat(3), -1);
    fillPlain(m, 3);
    EXPECT_EQ(m.setCurPat(7), 2); // clamped
    EXPECT_EQ(m.setCurPat(-4), 0);
    EXPECT_TRUE(m.hasCurPat());

    EXPECT_TRUE(m.changeName(0, "renamed"));
    EXPECT_EQ(m.getModPat()->name(), "renamed");
    EXPECT_FALSE(m.changeName(3, "x"));

    changes = 0;
    m.setModified(true);
    m.setModified(true); // always notifies
    m.setLastPath("/a.qts");
    m.setLastPath("/a.qts"); // only on a change
    EXPECT_EQ(changes, 3);

    EXPECT_EQ(m.reset(), 3);
    EXPECT_FALSE(m.hasCurPat());
    EXPECT_EQ(m.getCurPat(), nullptr);
}

TEST(ToneManager, ScreentoneOperations)
{
    CToneMngr m;
    fillPlain(m, 1);
    const SToneAttr attr = toneAttrOf(tptLine, 300, 50, 40, 30);
    const int32_t idx = m.appendTone(attr, true, nullptr);
    ASSERT_EQ(idx, 1);
    EXPECT_EQ(m.getPattern(idx)->name(), "tone");
    EXPECT_EQ(m.getToneObj(0), nullptr);
    ASSERT_TRUE(m.getToneObj(1));
    EXPECT_EQ(m.getToneObj(1)->maker(), m.getToneMaker().get());

    SToneAttr bad = attr;
    bad.line = 0;
    EXPECT_EQ(m.appendTone(bad, true, nullptr), -1);

    SToneAttr other = attr;
    other.percent = 70;
    other.name = "darker";
    const int32_t id = m.getPattern(idx)->id();
    m.setModified(false);
    EXPECT_TRUE(m.changeToneAttr(idx, other, true));
    EXPECT_EQ(m.getToneObj(idx)->toneAttr.percent, 70);
    EXPECT_EQ(m.getPattern(idx)->name(), "darker");
    EXPECT_NE(m.getPattern(idx)->id(), id);
    EXPECT_TRUE(m.Modified());
    EXPECT_FALSE(m.changeToneAttr(0, other, false)); // a plain pattern
    EXPECT_FALSE(m.changeToneAttr(idx, bad, false));

    const int32_t dupTone = m.duplicateTone(idx);
    const int32_t dupPlain = m.duplicateTone(0);
    EXPECT_EQ(dupTone, 2);
    EXPECT_EQ(dupPlain, 3);
    EXPECT_TRUE(m.getToneObj(dupTone));
    EXPECT_EQ(m.getPattern(dupPlain)->getValue(1, 2), m.getPattern(0)->getValue(1, 2));
    EXPECT_EQ(m.duplicateTone(9), -1);
}

TEST(ToneManager, DefaultSetFromTheProfileOrBuiltIn)
{
    MessageRecorder messages;
    ProfileScope profile;
    QTemporaryDir dir;
    profile->tonePath = dir.path();

    // No file anywhere: the built-in set, the profile's file cleared.
    {
        CToneMngr m;
        EXPECT_TRUE(m.loadDefault(true));
        EXPECT_EQ(m.count(), 2);
        EXPECT_TRUE(profile->toneFile.isEmpty());
        EXPECT_TRUE(m.LastPath().isEmpty());
        CToneMngr none;
        EXPECT_FALSE(none.loadDefault(false));
        EXPECT_EQ(none.count(), 0);
    }
    // "default.qts" in the tone folder.
    {
        CToneMngr m;
        fillPlain(m, 3);
        ASSERT_TRUE(m.save(dir.filePath("default.qts")));
    }
    profile->tonePath = dir.path(); // the search above left the profile at its last folder
    CToneMngr m;
    EXPECT_TRUE(m.loadDefault(true));
    EXPECT_EQ(m.count(), 3);
    EXPECT_EQ(profile->toneFile, dir.filePath("default.qts"));
    EXPECT_EQ(m.LastPath(), dir.filePath("default.qts"));
    EXPECT_TRUE(messages.warnings.isEmpty());
}

TEST(ToneManager, LoadAndSaveWarnWithTheirCodes)
{
    MessageRecorder messages;
    QTemporaryDir dir;
    CToneMngr m;
    EXPECT_FALSE(m.load(dir.filePath("none.qts"), false));
    EXPECT_FALSE(m.save(dir.filePath("empty.qts")));
    EXPECT_EQ(messages.warnings, QStringList({"トーン集の読み込みに失敗しました! (err=4)",
                                              "トーン集の保存に失敗しました! (err=37)"}));
}
