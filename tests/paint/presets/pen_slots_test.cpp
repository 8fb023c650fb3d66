#include "paint/presets/pen_slots.h"

#include "paint/stroke/stroke.h"
#include "paint/render/stroke_context.h"
#include "platform/system/registry.h"
#include "platform/scoped_env.h"

#include <QTemporaryDir>
#include "support/packed_value.h"

#include <gtest/gtest.h>

namespace {

// Every test gets its own empty key store and a fresh stroke context.
class PenSlotTest : public testing::Test
{
  protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        initStrokePixelProcs();
    }
    void TearDown() override { initStrokePixelProcs(); }

    CRegKey slotKey(CRegistry &store, TDrawMode dm, int n)
    {
        QString path;
        EXPECT_TRUE(makePenSettingRegKey(dm, n, path));
        std::optional<CRegKey> key = store.openKey(path, true);
        EXPECT_TRUE(key.has_value());
        return *key;
    }

    QTemporaryDir m_dir;
    ScopedEnv m_config{"KAVRIN_CONFIG_DIR", m_dir.path().toUtf8()};
};

} // namespace

TEST_F(PenSlotTest, KeyNames)
{
    QString key;
    ASSERT_TRUE(makePenSettingRegKey(TDrawMode::DM_AIRBRUSH, 3, key));
    EXPECT_EQ(key, QStringLiteral("Software\\Trevolt\\Kavrin5\\penSetting\\airbrush3"));
    ASSERT_TRUE(makePenSettingKey(TDrawMode::DM_ERASE, 1, QStringLiteral("R"), key));
    EXPECT_EQ(key, QStringLiteral("R\\penSetting\\eraser1"));
    key = QStringLiteral("kept");
    EXPECT_FALSE(makePenSettingKey(TDrawMode::DM_MAX_NUM, 1, QStringLiteral("R"), key));
    EXPECT_EQ(key, QStringLiteral("kept"));
    EXPECT_EQ(drawModeKeyName(TDrawMode::DM_LIGHTEN), QStringLiteral("lighten"));
    EXPECT_TRUE(drawModeKeyName(TDrawMode(20)).isEmpty());
}

TEST_F(PenSlotTest, BuiltInSlotRecords)
{
    SPenParamQZ2 rec;
    ASSERT_TRUE(initPenParamQZ2(rec, TDrawMode::DM_RUBPEN));
    EXPECT_EQ(valueOf(rec.min), 60.0f);
    EXPECT_EQ(valueOf(rec.width), 15.0f);
    EXPECT_FLOAT_EQ(valueOf(rec.spacing), 0.04f);
    EXPECT_FLOAT_EQ(valueOf(rec.opaque), 0.6f);
    EXPECT_TRUE(rec.ifTrans);
    EXPECT_FALSE(rec.ifSize);
    EXPECT_EQ(valueOf(rec.airMap), 3);
    // The low 7 bits select the mode.
    ASSERT_TRUE(initPenParamQZ2(rec, TDrawMode(0x80 | int(TDrawMode::DM_WC))));
    EXPECT_FLOAT_EQ(valueOf(rec.min), 33.3f);
    EXPECT_EQ(valueOf(rec.speed), 30.0f);
    for (TDrawMode dm : {TDrawMode::DM_BLUR2, TDrawMode::DM_MAX_NUM}) {
        EXPECT_FALSE(initPenParamQZ2(rec, dm));
        EXPECT_EQ(valueOf(rec.min), 100.0f);
        EXPECT_EQ(valueOf(rec.width), 1.0f);
        EXPECT_EQ(valueOf(rec.spacing), 0.5f);
        EXPECT_FALSE(rec.ifSize || rec.ifTrans || rec.ifEdge);
    }
}

TEST_F(PenSlotTest, RecordRoundTripAndIncompleteGroups)
{
    SPenParamQZ2 rec;
    initPenParamQZ2(rec, TDrawMode::DM_WC);
    rec.useTone = true;
    rec.airMap = 4;
    {
        CRegistry store;
        CRegKey key = slotKey(store, TDrawMode::DM_WC, 2);
        ASSERT_TRUE(writePenParamQZ2(key, rec));
        ASSERT_TRUE(store.flush());
    }
    CRegistry store;
    CRegKey key = slotKey(store, TDrawMode::DM_WC, 2);
    SPenParamQZ2 back;
    ASSERT_TRUE(readPenParamQZ2(key, back));
    EXPECT_EQ(memcmp(&back, &rec, sizeof rec), 0);

    // Without "useTone" the groups before it are read and the reading ends there.
    ASSERT_TRUE(key.deleteValue(QStringLiteral("useTone")));
    SPenParamQZ2 partial;
    initPenParamQZ2(partial, TDrawMode::DM_BLUR2);
    EXPECT_FALSE(readPenParamQZ2(key, partial));
    EXPECT_FLOAT_EQ(valueOf(partial.min), 33.3f);
    EXPECT_EQ(valueOf(partial.speed), 30.0f);
    EXPECT_TRUE(partial.ifEdge == rec.ifEdge && partial.ifSize);
    EXPECT_FALSE(partial.useTone);
    EXPECT_EQ(valueOf(partial.airMap), 3);

    // An unreadable value makes its group incomplete.
    ASSERT_TRUE(key.writeString(QStringLiteral("ENV"), QStringLiteral("much")));
    initPenParamQZ2(partial, TDrawMode::DM_BLUR2);
    EXPECT_FALSE(readPenParamQZ2(key, partial));
    EXPECT_FLOAT_EQ(valueOf(partial.min), 33.3f);
    EXPECT_EQ(valueOf(partial.effect), 0.0f);
}

TEST_F(PenSlotTest, StrokeSavesAndLoadsASlot)
{
    TStroke saved(0);
    saved.SetDrawMode(TDrawMode::DM_AIRBRUSH);
    saved.initPenSetting(TDrawMode::DM_AIRBRUSH);
    saved.SetPenWidth(42);
    saved.SetPenGamma(2.5f);
    saved.switchGradation(true, false);
    saved.m_abMap = eAirMap::ABMAP_PINTOP;
    ASSERT_TRUE(saved.SavePenSetting(TDrawMode::DM_AIRBRUSH, 3));

    TStroke loaded(0);
    loaded.SetDrawMode(TDrawMode::DM_AIRBRUSH);
    ASSERT_TRUE(loaded.LoadPenSetting(TDrawMode::DM_AIRBRUSH, 3, true));
    EXPECT_EQ(loaded.m_penWidth, 42.0f);
    EXPECT_EQ(loaded.m_penGamma, 2.5f);
    EXPECT_EQ(loaded.m_penMin, 60.0f);
    EXPECT_FLOAT_EQ(loaded.getOpaque(), 0.1f);
    EXPECT_FLOAT_EQ(loaded.getPenSpacing(), 0.15f);
    EXPECT_TRUE(loaded.m_bUseGradation);
    EXPECT_EQ(loaded.m_abMap, eAirMap::ABMAP_PINTOP);
    EXPECT_EQ(gCurrentAirMap, eAirMap::ABMAP_PINTOP);
}

// A missing slot keeps the built-in settings; out-of-range stored values do not get through.
TEST_F(PenSlotTest, LoadingKeepsWhatTheSlotDoesNotHold)
{
    {
        CRegistry store;
        CRegKey key = slotKey(store, TDrawMode::DM_PEN, 1);
        ASSERT_TRUE(key.writeSingle(QStringLiteral("WIDTH"), 7));
        ASSERT_TRUE(key.writeSingle(QStringLiteral("GAMMA"), 40));
        ASSERT_TRUE(key.writeInt(QStringLiteral("airMap"), 17));
        ASSERT_TRUE(key.writeString(QStringLiteral("opaque"), QStringLiteral("nan")));
        ASSERT_TRUE(store.flush());
    }
    TStroke s(0);
    ASSERT_TRUE(s.LoadPenSetting(TDrawMode::DM_PEN, 1, true));
    EXPECT_EQ(s.m_penWidth, 7.0f);
    EXPECT_EQ(s.m_penMin, 75.0f); // built-in
    EXPECT_EQ(s.m_penGamma, 6.0f);
    EXPECT_EQ(s.getOpaque(), 1.0f);
    EXPECT_EQ(s.m_abMap, eAirMap::ABMAP_LINEAR);

    TStroke fresh(0);
    ASSERT_TRUE(fresh.LoadPenSetting(TDrawMode::DM_LIGHTEN, 5, false));
    EXPECT_EQ(fresh.m_penWidth, 0.0f); // nothing stored, nothing built in without updt
    EXPECT_FALSE(fresh.LoadPenSetting(TDrawMode::DM_MAX_NUM, 1, false));
}
