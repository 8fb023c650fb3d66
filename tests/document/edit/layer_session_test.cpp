// A recorded session of layer editing (its own creation, adds, deletes, duplicates, stack moves,
// renames, clears, alpha operations, every attribute, undos and redos) replays from its creation
// packet to the picture and the document text it was recorded with. Set
// KAVRIN_REGENERATE_EVENTS=1 to record the file, its picture and its text again.
#include "document/edit/layer_undo.h"
#include "edit_op_table.h"
#include "edit_rig.h"

#include <QFile>
#include <QImage>

#include <gtest/gtest.h>

namespace {

const QString kFile = QStringLiteral(KAVRIN_TEST_DATA "/events/layer-session.qe5");
const QString kPicture = QStringLiteral(KAVRIN_TEST_DATA "/events/layer-session.png");
const QString kText = QStringLiteral(KAVRIN_TEST_DATA "/events/layer-session.txt");

QImage pictureOf(const TMTC &img)
{
    QImage out(img.width(), img.height(), QImage::Format_ARGB32);
    for (int32_t y = 0; y < img.height(); ++y)
        for (int32_t x = 0; x < img.width(); ++x)
            out.setPixel(x, y, img.getColor(x, y) | 0xFF000000u);
    return out;
}

void undoRedo(TPaper &paper, bool redo)
{
    int32_t idx = 0;
    sRect rect;
    ASSERT_TRUE(redo ? eventLayerRedo(paper, nullptr, idx, rect)
                     : eventLayerUndo(paper, nullptr, idx, rect));
}

// The session, as a user would make it on a new document.
void editSession(TPaper &p)
{
    ASSERT_TRUE(eventEditCreate(p, QString(), nullptr, 64, 48, 64, 48, 72, false, true));
    ASSERT_TRUE(EventEditPC(p, 0xF0E8D8, true));
    ASSERT_TRUE(eventLayerAddEx(p, nullptr, 1, 64, 48, TLayerMode::LM_STD, 255, 0xFF3060C0,
                                QStringLiteral("青"), true, true));
    ASSERT_TRUE(eventLayerAddEx(p, nullptr, 2, 40, 30, TLayerMode::LM_MUL, 200, 0x80C04020,
                                QString(), true, true));
    ASSERT_TRUE(eventLayerAdd(p, nullptr, TLayerMode::LM_SCR, true));
    ASSERT_TRUE(eventLayerMaskFill(p, nullptr, 1, 160, true));
    ASSERT_TRUE(eventLayerMaskNega(p, nullptr, 2, true));
    ASSERT_TRUE(eventLayerCopy(p, nullptr, 1, true));
    ASSERT_TRUE(EventLayerInsert(p, nullptr, 2, 4, true));
    ASSERT_TRUE(eventLayerName(p, nullptr, 0, QStringLiteral("背景"), true));
    ASSERT_TRUE(EventLayerMode(p, 4, TLayerMode::LM_OVLY, true));
    ASSERT_TRUE(EventLayerTrans(p, 1, 128, true));
    ASSERT_TRUE(eventLayerDither(p, 1, true, 180, true));
    ASSERT_TRUE(EventLayerVisible(p, 3, false, true));
    ASSERT_TRUE(eventLayerMaskProtected(p, 1, 1, true));
    ASSERT_TRUE(eventLayerGroupVisible(p, 1, 2, false, true));
    ASSERT_TRUE(eventLayerVisAll(p, 0, true, true));
    ASSERT_TRUE(eventLayerVisOnly(p, 1, true));
    eventLayerVisFlip(p, 1, true);
    ASSERT_TRUE(eventLayerVisAll(p, 0, true, true));
    ASSERT_TRUE(EventLayerClear(p, nullptr, 3, true));
    ASSERT_TRUE(EventLayerDelete(p, nullptr, 3, true));
    undoRedo(p, false);
    undoRedo(p, false);
    undoRedo(p, true);
    ASSERT_TRUE(eventLayerAddEx(p, nullptr, 0, 64, 48, TLayerMode::LM_STD, 255, 0xFFFFFFFF,
                                QStringLiteral("白"), true, true));
    undoRedo(p, false);
    ASSERT_TRUE(eventLayerAddEx(p, nullptr, 5, 24, 48, TLayerMode::LM_ADD, 255, 0xFF204020,
                                QStringLiteral("帯"), true, true));
    ASSERT_TRUE(EventLayerInsert(p, nullptr, 0, 3, true));
    ASSERT_TRUE(EventLayerTrans(p, 4, 90, true));
    undoRedo(p, false);
    undoRedo(p, true);
    // Undo and redo choose the active layer without an event: a recorded step ends the session.
    ASSERT_TRUE(EventLayerTrans(p, 2, 250, true));
}

// Records the session into the file, its picture and its text; the live document's text.
void recordFile(QString &liveText)
{
    HeadlessDocument doc;
    setCurrentDrawWindow(&doc.owner);
    CEventMngr &ev = doc.paper->eventMngr();
    doc.paper->undoMngrEx()->changeLimit(20, 20);
    ASSERT_TRUE(ev.startRecording(appMainStroke(), appMainToneMngrFor(doc.paper.get()),
                                  eventUndoDepth(20), eventUndoDepth(20)));
    editSession(*doc.paper);
    ASSERT_TRUE(exportEventFile(kFile, *doc.paper, true, -1, -1, true));
    UpdateVRAM(*doc.paper, false, true);
    ASSERT_TRUE(pictureOf(doc.paper->vram()).save(kPicture, "PNG"));
    liveText = dumpPaperState(*doc.paper);
    setCurrentDrawWindow(nullptr);
}

QString withoutUndoCounts(const QString &dump)
{
    return dump.left(dump.lastIndexOf(QStringLiteral("undo undo=")));
}

} // namespace

TEST(LayerListOpsLiveReplay, TheLayerSessionFileReplaysFromItsCreation)
{
    LiveReplayApp app;
    const ScopedUndoMax limit(20);
    if (qEnvironmentVariableIsSet("KAVRIN_REGENERATE_EVENTS") || !QFile::exists(kFile)) {
        QString live;
        recordFile(live);
        QFile text(kText);
        ASSERT_TRUE(text.open(QIODevice::WriteOnly));
        text.write(withoutUndoCounts(live).toUtf8());
    }
    // Replayed as the replay tool plays it: a fresh document, its creation from the stream.
    HeadlessDocument doc;
    ASSERT_EQ(loadEventFile(kFile, *doc.paper), 0);
    doc.owner.eventPlaying = true;
    setCurrentDrawWindow(&doc.owner);
    CEventMngr &ev = doc.paper->eventMngr();
    ASSERT_EQ(ev.beginPlaying(true), eEvStartStat::ersOK) << ev.playError.toStdString();
    eEvPlayStat r = eEvPlayStat::epsContinue;
    int steps = 0;
    while (r == eEvPlayStat::epsContinue && steps++ < 1000)
        r = ev.playEventSingle();
    ASSERT_EQ(r, eEvPlayStat::epsEnd) << ev.playError.toStdString();
    doc.owner.eventPlaying = false;
    UpdateVRAM(*doc.paper, false, true);

    QFile text(kText);
    ASSERT_TRUE(text.open(QIODevice::ReadOnly));
    EXPECT_EQ(withoutUndoCounts(dumpPaperState(*doc.paper)).toStdString(),
              QString::fromUtf8(text.readAll()).toStdString());
    const QImage expected = QImage(kPicture).convertToFormat(QImage::Format_ARGB32);
    const QImage got = pictureOf(doc.paper->vram());
    ASSERT_EQ(got.size(), expected.size());
    int differ = 0;
    for (int y = 0; y < got.height(); ++y)
        for (int x = 0; x < got.width(); ++x)
            if (got.pixel(x, y) != expected.pixel(x, y) && differ++ < 5)
                ADD_FAILURE() << "pixel (" << x << ", " << y << "): " << std::hex
                              << got.pixel(x, y) << " replayed, " << expected.pixel(x, y)
                              << " recorded";
    EXPECT_EQ(differ, 0);
    setCurrentDrawWindow(nullptr);
}

TEST(LayerListOpsLiveReplay, TheLayerSessionMadeLiveEndsAsItsCommittedText)
{
    LiveReplayApp app;
    const ScopedUndoMax limit(20);
    HeadlessDocument doc;
    setCurrentDrawWindow(&doc.owner);
    doc.paper->undoMngrEx()->changeLimit(20, 20);
    ASSERT_TRUE(doc.paper->eventMngr().startRecording(
        appMainStroke(), appMainToneMngrFor(doc.paper.get()), eventUndoDepth(20),
        eventUndoDepth(20)));
    editSession(*doc.paper);
    EXPECT_EQ(doc.paper->eventMngr().getUndoCnt(), doc.paper->undoMngrEx()->getUndoCnt());
    QFile text(kText);
    ASSERT_TRUE(text.open(QIODevice::ReadOnly));
    EXPECT_EQ(withoutUndoCounts(dumpPaperState(*doc.paper)).toStdString(),
              QString::fromUtf8(text.readAll()).toStdString());
    setCurrentDrawWindow(nullptr);
}
