#include "paint/gradient/gradient_manager.h"

#include "paint/gradient/gradient_set_file.h"

#include "paint/gradient_test_support.h"
#include "paint/paint_test_support.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class GradientManagerTest : public testing::Test
{
  protected:
    // The four built-in gradients and a fifth.
    void fill(CGradMngr &m)
    {
        m.makeDefault();
        m.appendGrad(rgbaOf(1, 1, 1, kCrsKindOwn), rgbaOf(2, 2, 2, kCrsKindOwn));
    }

    ProfileScope m_profile;
    MessageRecorder m_messages;
};

SGradAttr rotAttr(bool own)
{
    SGradAttr a;
    a.enbAttr = own;
    a.gradType = gtRot;
    a.gradMap = gmReturn;
    a.gradRep = grEndless;
    a.gradRepCnt = 6;
    return a;
}

} // namespace

TEST_F(GradientManagerTest, BuiltInGradients)
{
    CGradMngr m;
    m.makeDefault();
    ASSERT_EQ(m.count(), 4);
    EXPECT_EQ(m.getGradIdx(), 0);
    for (int32_t i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        const CGradObj &g = *m.getGrad(i);
        EXPECT_EQ(g.crsg->name, QStringLiteral("untitled%1").arg(i + 1));
        EXPECT_TRUE(g.crsg->isPacked());
        EXPECT_FALSE(g.attr.enbAttr);
    }
    EXPECT_TRUE(sameColour(m.getGrad(1)->crsg->getColor(0x10000), rgbaOf(255, 255, 0, 255)));
    EXPECT_TRUE(sameColour(m.getGrad(2)->crsg->getColor(0x8000), rgbaOf(0, 255, 0, 255)))
        << "green sits in the middle";
    const CColorSlotGroup &bands = *m.getGrad(3)->crsg;
    EXPECT_EQ(bands.slotMaxIdx, 5);
    EXPECT_TRUE(sameColour(bands.getColor(0x5000), rgbaOf(0, 0, 255, 255)));
    EXPECT_TRUE(sameColour(bands.getColor(0x8000), rgbaOf(0, 255, 0, 255)));
    EXPECT_TRUE(sameColour(bands.getColor(0xB000), rgbaOf(255, 0, 0, 255)));
}

TEST_F(GradientManagerTest, DeletingKeepsTheCurrentGradientCurrent)
{
    const struct
    {
        int32_t current, deleted, expected; // expected: index of the gradient before deletion
        int32_t index;                      // its index afterwards
    } cases[] = {
        {2, 2, 3, 2}, // the removed current one hands over to the one that takes its place
        {4, 4, 3, 3}, // ... or to the one before it at the end
        {1, 3, 1, 1}, // a later one removed: the current one stays
        {3, 1, 3, 2}, // an earlier one removed: the current one moves down with the list
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << c.current << " " << c.deleted);
        CGradMngr m;
        fill(m);
        m.setCurGrad(c.current);
        const int32_t id = m.getGrad(c.expected)->Fid;
        m.setModified(false);
        ASSERT_TRUE(m.deleteGrad(c.deleted));
        EXPECT_EQ(m.count(), 4);
        EXPECT_EQ(m.getGradIdx(), c.index);
        EXPECT_EQ(m.getActiveGrad()->Fid, id);
        EXPECT_TRUE(m.Modified());
    }
    CGradMngr m;
    fill(m);
    m.setModified(false);
    EXPECT_FALSE(m.deleteGrad(5));
    EXPECT_FALSE(m.deleteGrad(-1));
    EXPECT_FALSE(m.Modified());

    CGradMngr one;
    one.appendGrad(rgbaOf(0, 0, 0, 255), rgbaOf(9, 9, 9, 255));
    one.setCurGrad(0);
    ASSERT_TRUE(one.deleteGrad(0));
    EXPECT_EQ(one.getGradIdx(), -1);
    EXPECT_EQ(one.getActiveGrad(), nullptr);
}

TEST_F(GradientManagerTest, InsertingKeepsTheCurrentAndTheFixedGradientInPlace)
{
    const struct
    {
        bool special;
        int32_t at, expected; // expected: the answer
        int32_t nowIdx;       // index of the current gradient afterwards
    } cases[] = {
        {false, 0, 0, 3},  // before the current one (2): it moves up
        {false, 2, 2, 3},
        {false, 5, 5, 2},  // at the end: appended
        {false, 6, -1, 2}, // past the end
        {false, -1, -1, 2},
        {true, 0, -1, 2},  // nothing goes before the fixed gradient
        {true, 1, 1, 3},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << c.special << " " << c.at);
        CGradMngr m(c.special);
        if (c.special)
            m.makeDefault(); // fixed gradient and four more: 5
        else
            fill(m);
        m.setCurGrad(2);
        const int32_t id = m.getActiveGrad()->Fid;
        m.setModified(false);
        auto grad = std::make_unique<CGradObj>(rgbaOf(3, 3, 3, 255), rgbaOf(4, 4, 4, 255),
                                               QStringLiteral("new"));
        EXPECT_EQ(m.insertGrad(c.at, std::move(grad)), c.expected);
        EXPECT_EQ(m.count(), c.expected < 0 ? 5 : 6);
        EXPECT_EQ(m.Modified(), c.expected >= 0);
        EXPECT_EQ(m.getGradIdx(), c.nowIdx);
        EXPECT_EQ(m.getActiveGrad()->Fid, id);
        if (c.special) {
            EXPECT_TRUE(m.isSpecialIdx(0));
        }
        if (c.expected >= 0) {
            EXPECT_EQ(m.getGrad(c.expected)->crsg->name, QStringLiteral("new"));
        }
    }
}

TEST_F(GradientManagerTest, CurrentGradientAndWorkingCopy)
{
    CGradMngr m;
    int notes = 0;
    m.OnChange = [&](CGradMngr &) { ++notes; };
    EXPECT_EQ(m.setCurGrad(3), -1);
    EXPECT_EQ(m.getModGrad(), nullptr);
    EXPECT_EQ(notes, 0) << "an empty list does not notify";
    EXPECT_FALSE(m.setColors(rgbaOf(0, 0, 0, 0), rgbaOf(0, 0, 0, 1)));

    fill(m);
    notes = 0;
    EXPECT_EQ(m.setCurGrad(-5), 0);
    EXPECT_EQ(m.setCurGrad(99), 4);
    EXPECT_EQ(notes, 2);
    ASSERT_NE(m.getModGrad(), nullptr);
    EXPECT_TRUE(m.getModGrad()->crsg->compare(*m.getGrad(4)->crsg));
    EXPECT_NE(m.getModGrad()->Fid, m.getGrad(4)->Fid)
        << "the working copy is a gradient of its own";

    EXPECT_TRUE(m.changeModGradAttr(rotAttr(true), true));
    EXPECT_EQ(m.getModGrad()->attr, rotAttr(true));
    EXPECT_FALSE(m.getGrad(4)->attr.enbAttr) << "the working copy does not write through";

    EXPECT_EQ(m.duplicateGrad(1), 5);
    EXPECT_TRUE(m.getGrad(5)->crsg->compare(*m.getGrad(1)->crsg));
    EXPECT_EQ(m.duplicateGrad(17), -1);

    m.reset();
    EXPECT_EQ(m.count(), 0);
    EXPECT_EQ(m.getGradIdx(), -1);
    EXPECT_EQ(m.getModGrad(), nullptr);
    EXPECT_FALSE(m.changeModGradAttr(rotAttr(true), false));
}

TEST_F(GradientManagerTest, ChangingAGradient)
{
    CGradMngr m;
    fill(m);
    m.setModified(false);
    const int32_t id = m.getGrad(1)->Fid;
    ASSERT_TRUE(m.changeGradAttr(1, rotAttr(false), false));
    EXPECT_EQ(m.getGrad(1)->attr, rotAttr(false));
    EXPECT_EQ(m.getGrad(1)->Fid, id);
    EXPECT_FALSE(m.Modified()) << "only an attribute of its own modifies the set";
    ASSERT_TRUE(m.changeGradAttr(1, rotAttr(true), true));
    EXPECT_NE(m.getGrad(1)->Fid, id);
    EXPECT_TRUE(m.Modified());
    EXPECT_FALSE(m.changeGradAttr(9, rotAttr(true), true));

    m.setModified(false);
    EXPECT_TRUE(m.changeGradCrsg(0, *m.getGrad(2)->crsg, false));
    EXPECT_TRUE(m.getGrad(0)->crsg->compare(*m.getGrad(2)->crsg));
    EXPECT_TRUE(m.Modified());
    EXPECT_FALSE(m.changeGradCrsg(9, *m.getGrad(2)->crsg, false));
}

TEST_F(GradientManagerTest, CommonAttributeReachesGradientsWithoutTheirOwnAndTheProfile)
{
    CGradMngr m;
    fill(m);
    m.changeGradAttr(0, rotAttr(true), false);
    SGradAttr common = rotAttr(false);
    common.gradType = gtGrade;
    common.gradRepCnt = 4;
    m.setCommonAttr(common);
    EXPECT_EQ(m.CommonAttr(), common);
    EXPECT_EQ(m.getGrad(0)->attr, rotAttr(true)) << "its own attribute stays";
    for (int32_t i = 1; i < m.count(); ++i) {
        EXPECT_EQ(m.getGrad(i)->attr, common);
    }
    EXPECT_EQ(m_profile->gradType, gtGrade);
    EXPECT_EQ(m_profile->gradMap, gmReturn);
    EXPECT_EQ(m_profile->gradRep, grEndless);
    EXPECT_EQ(m_profile->gradRepCnt, 4);

    // A new manager starts from the profile's values.
    CGradMngr fresh;
    EXPECT_EQ(fresh.CommonAttr(), common);
}

TEST_F(GradientManagerTest, TheFixedTwoColourGradient)
{
    m_profile->gradType = 1;
    m_profile->gradRepCnt = 3;
    CGradMngr m(true);
    ASSERT_EQ(m.count(), 1);
    ASSERT_TRUE(m.hasSpecialGrad());
    EXPECT_TRUE(m.isSpecialIdx(0));
    const CGradObj &fixed = *m.getSpecialGrad();
    EXPECT_EQ(fixed.crsg->name, QStringLiteral("** 2色固定 **"));
    EXPECT_EQ(fixed.crsg->getSlot(0)->col.all, rgbaOf(0, 0, 0, kCrsKindForeground).all);
    EXPECT_EQ(fixed.crsg->getSlot(1)->col.all, rgbaOf(255, 255, 255, kCrsKindOwn).all);
    EXPECT_EQ(fixed.attr.gradType, gtRot);
    EXPECT_EQ(fixed.attr.gradRepCnt, 3);
    EXPECT_FALSE(fixed.attr.enbAttr);

    m.makeDefault();
    EXPECT_TRUE(m.isUsingSpecialGrad());
    m.setCommonAttr(rotAttr(false));
    EXPECT_EQ(m.CommonAttr(), rotAttr(false)) << "the fixed gradient holds the common attribute";

    // It follows the foreground colour.
    ASSERT_TRUE(m.setColors(rgbaOf(7, 8, 9, 0), rgbaOf(1, 1, 1, 1)));
    EXPECT_EQ(m.getSpecialGrad()->crsg->getSlot(0)->col.all, rgbaOf(7, 8, 9, 0).all);

    m.setCurGrad(2);
    const int32_t id = m.getActiveGrad()->Fid;
    ASSERT_TRUE(m.useSpecialIndex(false));
    EXPECT_FALSE(m.hasSpecialGrad());
    EXPECT_EQ(m.count(), 4);
    EXPECT_EQ(m.getActiveGrad()->Fid, id);
}

TEST_F(GradientManagerTest, DefaultSetFromThePresetFolders)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    ASSERT_TRUE(QDir(dir.path()).mkpath("preset"));
    {
        CGradMngr source;
        fill(source);
        ASSERT_TRUE(source.save(dir.filePath("preset/default.qgs")));
    }
    m_profile->presetPath = dir.path();
    m_profile->gradPath = dir.filePath("empty");
    CGradMngr m;
    ASSERT_TRUE(m.loadDefault(false));
    EXPECT_EQ(m.count(), 5);
    EXPECT_EQ(m_profile->gradPath, dir.filePath("preset"));
    EXPECT_EQ(m_profile->gradFile, dir.filePath("preset/default.qgs"));
    EXPECT_EQ(m.LastPath(), dir.filePath("preset/default.qgs"));

    // Nothing to find: the built-in set with make, nothing without.
    m_profile->presetPath = dir.filePath("none");
    m_profile->appPath = dir.filePath("none");
    m_profile->gradPath.clear();
    m_profile->gradFile.clear();
    CGradMngr none;
    EXPECT_FALSE(none.loadDefault(false));
    EXPECT_EQ(none.count(), 0);
    CGradMngr built;
    EXPECT_TRUE(built.loadDefault(true));
    EXPECT_EQ(built.count(), 4);
    EXPECT_EQ(m_profile->gradFile, "");
    EXPECT_EQ(built.LastPath(), "");
    EXPECT_TRUE(m_messages.warnings.isEmpty());
}
