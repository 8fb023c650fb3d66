// Saving by type: the native writer's flags, the refused and unknown types, the modified flag,
// flattened pictures of a document hiding its canvas colour, the automatic name by the date, and
// a failed save that keeps the old file.
#include "core/image/canvas.h"
#include "core/mask/mask_manager.h"
#include "document/files/native_image.h"
#include "document/paper/flow_image.h"
#include "document/paper/paper.h"
#include "support/fixed_clock.h"
#include "ui/forms/mru_list.h"
#include "windows/docwin/saving.h"

#include "doc_commands_fixture.h"

#include <QFile>
#include <QImage>
#include <QTemporaryDir>

namespace {

struct Saving : DocCmdFixture
{
    QTemporaryDir dir;
    QString path(const QString &name) const { return dir.filePath(name); }
};

TEST_F(Saving, NativeFlagsFollowMasksAndEvents)
{
    struct SCase
    {
        bool activeMask, secondMask, events;
        uint32_t flags;
    };
    const SCase cases[] = {
        {false, false, false, 5},
        {true, false, false, 7},
        {false, false, true, 13},
        {true, false, true, 15},
        {false, true, false, 7}, // two masks, none active
    };
    for (const SCase &c : cases) {
        SCOPED_TRACE(c.flags);
        auto w = makeWindow({64, 48});
        ASSERT_TRUE(w);
        // A new document records from its start.
        if (!c.events)
            w->paper->eventMngr().stopRecording();
        CMaskMngr &mm = w->paper->maskMngr();
        mm.deleteAll();
        if (c.activeMask)
            select(*w->paper, {{1, 1, 255}});
        if (c.secondMask) {
            for (int i = 0; i < 2; ++i) {
                auto md = std::make_unique<CMaskData>(i);
                mm.insertAt(mm.getMaskCount(), md);
            }
            mm.setCurIndex(-1);
        }
        EXPECT_EQ(w->nativeSaveFlags(), c.flags);
    }
}

TEST_F(Saving, TypesTheProgramCannotWriteAreRefusedWithTheirMessage)
{
    auto w = makeWindow({64, 48});
    ASSERT_TRUE(w);
    const QString wpb = path(QStringLiteral("a.wpb")), odd = path(QStringLiteral("a.xyz"));
    EXPECT_FALSE(w->savePaper(wpb, true));
    EXPECT_FALSE(w->savePaper(odd, true));
    EXPECT_EQ(messages.warnings,
              QStringList({QStringLiteral("この形式での保存はサポートしていません!"),
                           QStringLiteral("%1 は未対応の形式です").arg(odd)}));
    EXPECT_FALSE(QFile::exists(wpb));
    EXPECT_FALSE(QFile::exists(odd));
    EXPECT_TRUE(main().fileMRUList()->Items().isEmpty());
}

TEST_F(Saving, OnlyTheNativeFormatClearsTheModifiedFlag)
{
    auto w = createdWindow({64, 48});
    ASSERT_TRUE(w);
    w->setModifiedFlag(true);
    const QString bmp = path(QStringLiteral("a.bmp"));
    EXPECT_TRUE(w->savePaper(bmp, true));
    EXPECT_TRUE(w->isModified());
    EXPECT_EQ(messages.informations.last(), QStringLiteral("画像をビットマップで保存しました"));
    const QString qzi = path(QStringLiteral("a.qzi"));
    EXPECT_TRUE(w->savePaper(qzi, true));
    EXPECT_FALSE(w->isModified());
    EXPECT_EQ(messages.informations.last(), QStringLiteral("%1 として保存しました").arg(qzi));
    // The last save heads the recent files.
    EXPECT_EQ(main().fileMRUList()->Items().value(0), qzi);
    // The native file reads back.
    auto v = makeWindow({8, 8});
    EXPECT_EQ(loadNativeImage(qzi, *v->paper), 0);
    EXPECT_EQ(v->paper->m_paperSize, (sSize{64, 48}));
}

TEST_F(Saving, AFlattenedPictureOfAHiddenCanvasColourIsComposedOnWhite)
{
    auto w = makeWindow({16, 8});
    ASSERT_TRUE(w);
    TPaper &p = *w->paper;
    // A transparent layer over a hidden grey canvas colour.
    p.getLayerData(0)->imageTC->PixelFill(0x00000000);
    p.getLayerData(0)->imageTC->setPixel(2, 2, 0xFF0000FF);
    p.m_canvascolor = 0x808080;
    p.bVisCanvasCol = false;
    UpdateVRAM(p, true, true);
    const QString png = path(QStringLiteral("a.png"));
    EXPECT_TRUE(w->savePaper(png, false));
    const QImage img(png);
    ASSERT_EQ(img.size(), QSize(16, 8));
    EXPECT_EQ(img.pixel(0, 0) & 0xFFFFFF, 0xFFFFFFu);
    EXPECT_EQ(img.pixel(2, 2) & 0xFFFFFF, 0x0000FFu);
    EXPECT_FALSE(p.bVisCanvasCol);
    EXPECT_EQ(p.m_canvascolor, 0x808080u);
    EXPECT_TRUE(messages.informations.isEmpty()); // no dialog asked for
}

TEST_F(Saving, TheAutomaticNameIsTheDateNumberedFromTwo)
{
    ScopedFixedUtcClock clock(SSystemTime{2025, 3, 1, 3, 12, 0, 0, 0});
    const QString first = makeAutoBmpFileName(dir.path());
    EXPECT_EQ(first, path(QStringLiteral("2025-03-03.bmp")));
    QFile(first).open(QIODevice::WriteOnly);
    EXPECT_EQ(makeAutoBmpFileName(dir.path()), path(QStringLiteral("2025-03-03(2).bmp")));
    QFile(path(QStringLiteral("2025-03-03(2).bmp"))).open(QIODevice::WriteOnly);
    EXPECT_EQ(makeAutoBmpFileName(dir.path()), path(QStringLiteral("2025-03-03(3).bmp")));

    // The window's command saves there, beside its own file.
    auto w = makeWindow({8, 8});
    w->filePath = path(QStringLiteral("doc.qzi"));
    EXPECT_TRUE(w->saveAutoBmp());
    EXPECT_TRUE(QFile::exists(path(QStringLiteral("2025-03-03(3).bmp"))));
}

TEST_F(Saving, AFailedSaveKeepsTheOldFileAndWarns)
{
    auto w = makeWindow({16, 8});
    ASSERT_TRUE(w);
    // A name so long that no temporary file can be made beside it.
    const QString target = path(QString(248, u'a') + QStringLiteral(".bmp"));
    {
        QFile old(target);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("old bytes");
    }
    EXPECT_FALSE(w->savePaper(target, true));
    QFile old(target);
    ASSERT_TRUE(old.open(QIODevice::ReadOnly));
    EXPECT_EQ(old.readAll(), QByteArray("old bytes"));
    EXPECT_EQ(messages.warnings, QStringList(QStringLiteral("%1\rの保存に失敗しました!").arg(target)));
}

TEST_F(Saving, ACancelledJpegDialogSaysNothing)
{
    auto w = makeWindow({16, 8});
    ASSERT_TRUE(w);
    const QString jpg = path(QStringLiteral("a.jpg"));
    EXPECT_FALSE(w->savePaper(jpg, true));
    EXPECT_TRUE(messages.warnings.isEmpty());
    EXPECT_FALSE(QFile::exists(jpg));
    main().jpegAnswer = TJpegSaveOption{0, 90, 0, false, false};
    EXPECT_TRUE(w->savePaper(jpg, true));
    EXPECT_EQ(QImage(jpg).size(), QSize(16, 8));
}

TEST_F(Saving, ALayerIsSavedWithItsAlphaAsBmpOrPng)
{
    auto w = makeWindow({16, 8}, 2);
    ASSERT_TRUE(w);
    TPaper &p = *w->paper;
    p.getLayerData(0)->imageTC->setPixel(1, 1, 0x80FF0000);
    const QString png = path(QStringLiteral("layer.png"));
    EXPECT_TRUE(w->saveLayer(png, 0));
    const QImage img(png);
    ASSERT_EQ(img.size(), QSize(16, 8));
    EXPECT_EQ(qAlpha(img.pixel(1, 1)), 0x80);
    EXPECT_EQ(messages.informations.last(), QStringLiteral("レイヤを保存しました"));
    EXPECT_FALSE(w->saveLayer(path(QStringLiteral("layer.jpg")), 0));
    EXPECT_EQ(messages.warnings.last(), QStringLiteral("jpg は未対応の形式です"));
    // The work image is the active layer's again.
    EXPECT_EQ(w->flow()->layerIdx(), p.ActiveLayer());
}

} // namespace
