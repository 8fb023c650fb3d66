#include "paint/palette/swatches.h"

#include "paint/colour_file_test_support.h"
#include "paint/paint_test_support.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <string>

namespace {

std::string swatchText(const TSwatchMngr &m)
{
    std::string s;
    for (int32_t i = 0; i < m.ItemCount(); ++i) {
        const TColor32 c = m.GetItem(i)->FColor;
        s += (i ? " " : "") + std::to_string(c.r) + "," + std::to_string(c.g) + "," +
             std::to_string(c.b) + "," + std::to_string(c.a);
    }
    return s;
}

class SwatchTest : public testing::Test
{
  protected:
    void SetUp() override { ASSERT_TRUE(m_dir.isValid()); }
    QString path(const QString &name) const { return m_dir.filePath(name); }

    // Three colours, the last with a 4th byte, and a layout.
    void fill(TSwatchMngr &m)
    {
        m.InsertItem(-1, bgra(1, 2, 3));
        m.InsertItem(-1, bgra(200, 100, 50));
        m.InsertItem(-1, bgra(255, 0, 128, 2));
        m.setItemSize({20, 24});
        m.setRepeatSize({10, 6});
    }

    ProfileScope m_profile;
    MessageRecorder m_messages{kavrin::mrYes};
    QTemporaryDir m_dir;
};

// An .aco file: RGB red, CMYK without ink (white), grey 5000, in this order.
QByteArray acoWithCmyk()
{
    return bytesOf({0, 1, 0,    3,                                        //
                    0, 0, 0xFF, 0xFF, 0,    0,    0,    0,    0,    0,    //
                    0, 2, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, //
                    0, 8, 0x13, 0x88, 0,    0,    0,    0,    0,    0});
}

} // namespace

TEST_F(SwatchTest, BuiltInPalette)
{
    TSwatchMngr m;
    ASSERT_TRUE(m.MakeDefault());
    ASSERT_EQ(m.ItemCount(), 256);
    const struct
    {
        int i, r, g, b;
    } cases[] = {
        {0, 0, 0, 0},         {1, 36, 0, 0},           {7, 255, 0, 0},
        {8, 0, 36, 0},        {3 * 8 + 2, 73, 109, 0}, {64, 0, 0, 0x55},
        {255, 255, 255, 255},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.i);
        const TSwatchItem &item = *m.GetItem(c.i);
        EXPECT_EQ(item.FColor.bgra, bgra(c.r, c.g, c.b).bgra);
        EXPECT_EQ(item.FName, "Undefined");
    }
}

TEST_F(SwatchTest, InsertingAndDeleting)
{
    TSwatchMngr m;
    int notes = 0;
    m.OnChange = [&](TSwatchMngr &) { ++notes; };
    fill(m);
    TSwatchItem named{bgra(9, 9, 9), "nine"};
    EXPECT_TRUE(m.InsertItem(1, named));
    EXPECT_EQ(swatchText(m), "1,2,3,0 9,9,9,0 200,100,50,0 255,0,128,2");
    EXPECT_EQ(m.GetItem(1)->FName, "nine");
    EXPECT_TRUE(m.InsertItem(17, named)) << "an invalid index appends";
    EXPECT_EQ(m.ItemCount(), 5);
    EXPECT_GE(notes, 5);
    m.setModified(false);
    EXPECT_FALSE(m.DeleteItem(5));
    EXPECT_FALSE(m.Modified());
    EXPECT_TRUE(m.DeleteItem(0));
    EXPECT_TRUE(m.Modified());
    EXPECT_EQ(m.ItemCount(), 4);
    EXPECT_EQ(m.GetItem(4), nullptr);
}

TEST_F(SwatchTest, EveryFormatRoundTrips)
{
    const struct
    {
        const char *name;
        const char *colours; // what comes back
        bool layout;
    } cases[] = {
        {"p.qpl", "1,2,3,0 200,100,50,0 255,0,128,2", true},
        {"p.pcs", "1,2,3,0 200,100,50,0 255,0,128,0", true},
        {"P.TXT", "1,2,3,0 200,100,50,0 255,0,128,0", true},
        {"p.aco", "1,2,3,0 200,100,50,0 255,0,128,0", false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        TSwatchMngr out;
        fill(out);
        ASSERT_TRUE(out.Save(path(c.name)));
        EXPECT_EQ(out.LastPath(), path(c.name));
        EXPECT_FALSE(out.Modified());

        TSwatchMngr in;
        in.InsertItem(-1, bgra(7, 7, 7));
        ASSERT_TRUE(in.Load(path(c.name), false));
        EXPECT_EQ(swatchText(in), c.colours);
        EXPECT_EQ(in.LastPath(), path(c.name));
        EXPECT_FALSE(in.Modified());
        EXPECT_EQ(in.ItemSize(), c.layout ? (sSize{20, 24}) : sSize{});
        EXPECT_EQ(in.RepeatSize(), c.layout ? (sSize{10, 6}) : sSize{});
    }
    EXPECT_TRUE(m_messages.warnings.isEmpty()) << m_messages.warnings.join('\n').toStdString();
}

TEST_F(SwatchTest, AppendingAddsAfterTheSwatchesInPlace)
{
    TSwatchMngr out;
    fill(out);
    ASSERT_TRUE(out.Save(path("p.qpl")));
    TSwatchMngr in;
    in.InsertItem(-1, bgra(7, 7, 7));
    in.setModified(false);
    ASSERT_TRUE(in.Load(path("p.qpl"), true));
    EXPECT_EQ(swatchText(in), "7,7,7,0 1,2,3,0 200,100,50,0 255,0,128,2");
    EXPECT_TRUE(in.Modified());
}

TEST_F(SwatchTest, LoadsThatFailLeaveTheSwatchesAsTheyWere)
{
    ASSERT_TRUE(writeFileBytes(path("colors.bmp"), "BM"));
    ASSERT_TRUE(writeFileBytes(path("bad.qpl"), "QPAX and more bytes than a header"));
    ASSERT_TRUE(writeFileBytes(path("empty.txt"), "ROWS 2\r\n"));
    ASSERT_TRUE(writeFileBytes(path("v2.aco"), bytesOf({0, 2, 0, 0})));
    const struct
    {
        const char *name;
        int32_t code;
        QStringList warnings;
    } cases[] = {
        {"colors.bmp", 15, {}},
        {"missing.qpl", 4, {}},
        {"bad.qpl", 37, {"パレットファイルのロードに失敗しました！"}},
        {"empty.txt", 37, {"扱えないパレットデータ形式でした！"}},
        {"v2.aco", 37, {"Invalid ACO version!", "扱えないパレットデータ形式でした！"}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        TSwatchMngr m;
        fill(m);
        m.setLastPath("/before.qpl");
        m.setModified(false);
        m_messages.warnings.clear();
        EXPECT_EQ(m.LoadCode(path(c.name), false), c.code);
        EXPECT_EQ(m_messages.warnings, c.warnings);
        EXPECT_FALSE(m.Load(path(c.name), false));
        EXPECT_EQ(m_messages.warnings.last(),
                  QStringLiteral("色見本の読み込みに失敗しました! (err=%1)").arg(c.code));
        EXPECT_EQ(swatchText(m), "1,2,3,0 200,100,50,0 255,0,128,2");
        EXPECT_EQ(m.ItemSize(), (sSize{20, 24}));
        EXPECT_EQ(m.LastPath(), "/before.qpl");
        EXPECT_FALSE(m.Modified());
    }
}

TEST_F(SwatchTest, ShortBinaryPaletteLoadsWhatIsThereAndWarns)
{
    QByteArray b =
        bytesOf({'Q', 'P', 'A', 'L', 52, 0, 0, 0, 8, 8, 16, 16, 10, 0, 0, 0, 0, 0, 0, 0});
    for (int i = 0; i < 7; ++i) {
        b += bytesOf({i, i, i, 0});
    }
    ASSERT_TRUE(writeFileBytes(path("short.qpl"), b));
    TSwatchMngr m;
    ASSERT_TRUE(m.Load(path("short.qpl"), false));
    EXPECT_EQ(m.ItemCount(), 7);
    EXPECT_EQ(m_messages.warnings, QStringList{"3個のパレットが読み込めませんでした！"});
}

TEST_F(SwatchTest, CmykColoursMayBeDroppedOnRequest)
{
    ASSERT_TRUE(writeFileBytes(path("cmyk.aco"), acoWithCmyk()));
    TSwatchMngr yes;
    ASSERT_TRUE(yes.Load(path("cmyk.aco"), false));
    EXPECT_EQ(
        m_messages.questions,
        QStringList{"CMYKパレットは正常に色を変換できません！\rCMYKパレットは破棄してよいですか？ "
                    "(3色中1色)"});
    EXPECT_EQ(swatchText(yes), "255,0,0,0 127,127,127,2");

    MessageRecorder no(kavrin::mrNo);
    TSwatchMngr kept;
    ASSERT_TRUE(kept.Load(path("cmyk.aco"), false));
    EXPECT_EQ(swatchText(kept), "255,0,0,0 255,255,255,3 127,127,127,2");

    // Only CMYK colours, all dropped: nothing to load, the swatches stay.
    ASSERT_TRUE(
        writeFileBytes(path("only.aco"), bytesOf({0, 1, 0, 1, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0})));
    MessageRecorder drop(kavrin::mrYes);
    TSwatchMngr m;
    fill(m);
    EXPECT_EQ(m.LoadCode(path("only.aco"), false), 37);
    EXPECT_EQ(m.ItemCount(), 3);
}

TEST_F(SwatchTest, FailedSavesKeepTheOldFile)
{
    TSwatchMngr m;
    fill(m);
    ASSERT_TRUE(m.Save(path("p.aco")));
    ASSERT_TRUE(m.Save(path("p.qpl")));
    const QByteArray oldAco = readFileBytes(path("p.aco"));
    const QByteArray oldQpl = readFileBytes(path("p.qpl"));

    // More colours than an .aco file can count.
    TSwatchMngr big;
    for (int i = 0; i < 65536; ++i) {
        big.InsertItem(-1, bgra(i & 255, 0, 0));
    }
    m_messages.warnings.clear();
    EXPECT_FALSE(big.Save(path("p.aco")));
    EXPECT_EQ(m_messages.warnings, QStringList{"パレットファイルの保存に失敗しました! (err=64)"});
    EXPECT_EQ(readFileBytes(path("p.aco")), oldAco);
    EXPECT_TRUE(big.Modified());
    EXPECT_EQ(big.LastPath(), "");

    // A full disk.
    {
        FullDiskScope full(64);
        EXPECT_EQ(big.SaveCode(path("p.qpl")), kPaletteWriteFailed);
    }
    EXPECT_EQ(readFileBytes(path("p.qpl")), oldQpl);

    EXPECT_EQ(big.SaveCode(path("p.bmp")), 15);
    TSwatchMngr empty;
    EXPECT_EQ(empty.SaveCode(path("p.qpl")), 37);
    EXPECT_EQ(big.SaveCode(path("no/such/folder/p.qpl")), kPaletteWriteFailed);
    EXPECT_EQ(readFileBytes(path("p.qpl")), oldQpl);
}

TEST_F(SwatchTest, DefaultPaletteFromThePresetFolders)
{
    ASSERT_TRUE(QDir(m_dir.path()).mkpath("preset"));
    {
        TSwatchMngr source;
        fill(source);
        ASSERT_TRUE(source.Save(path("preset/default.qpl")));
    }
    m_profile->presetPath = m_dir.path();
    m_profile->palPath = path("elsewhere");
    TSwatchMngr m;
    ASSERT_TRUE(m.LoadDefault(false));
    EXPECT_EQ(m.ItemCount(), 3);
    EXPECT_EQ(m_profile->palPath, path("preset"));
    EXPECT_EQ(m_profile->palFile, path("preset/default.qpl"));

    m_profile->presetPath = path("none");
    m_profile->appPath = path("none");
    m_profile->palPath.clear();
    m_profile->palFile.clear();
    TSwatchMngr none;
    EXPECT_FALSE(none.LoadDefault(false));
    TSwatchMngr built;
    EXPECT_TRUE(built.LoadDefault(true));
    EXPECT_EQ(built.ItemCount(), 256);
    EXPECT_EQ(built.LastPath(), "");
    EXPECT_EQ(m_profile->palFile, "");
}
