// A recorded session of layer editing (its own creation, adds, deletes, duplicates, stack moves,
// renames, clears, alpha operations, every attribute, undos and redos) replays from its creation
// packet to the picture and the document text it was recorded with. Set
// KAVRIN_REGENERATE_EVENTS=1 to record the file, its picture and its text again.
#include "document/edit/layer_undo.h"
#include "edit_op_table.h"
#include "edit_rig.h"
#include "support/event_goldens.h"

#include <QFile>
#include <QImage>

#include <gtest/gtest.h>

namespace {

using namespace event_goldens;

const QString kFile = QStringLiteral(KAVRIN_TEST_DATA "/events/layer-session.qe5");
const QString kPicture = QStringLiteral(KAVRIN_TEST_DATA "/events/layer-session.png");
const QString kText = QStringLiteral(KAVRIN_TEST_DATA "/events/layer-session.txt");

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

// Records the session into the file and its picture; the live document's text.
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
    liveText = stateText(*doc.paper);
    setCurrentDrawWindow(nullptr);
}

} // namespace

TEST(LayerListOpsLiveReplay, TheLayerSessionFileReplaysFromItsCreation)
{
    LiveReplayApp app;
    const ScopedFixedClock clock(1000);
    const ScopedUndoMax limit(20);
    if (qEnvironmentVariableIsSet("KAVRIN_REGENERATE_EVENTS") || !QFile::exists(kFile)) {
        QString live;
        recordFile(live);
        QFile text(kText);
        ASSERT_TRUE(text.open(QIODevice::WriteOnly));
        text.write(live.toUtf8());
    }
    // Replayed as the replay tool plays it: a fresh document, its creation from the stream.
    HeadlessDocument doc;
    ASSERT_NO_FATAL_FAILURE(playEventFile(doc, kFile, nullptr));
    doc.owner.eventPlaying = false;
    UpdateVRAM(*doc.paper, false, true);

    QFile text(kText);
    ASSERT_TRUE(text.open(QIODevice::ReadOnly));
    EXPECT_EQ(stateText(*doc.paper).toStdString(),
              QString::fromUtf8(text.readAll()).toStdString());
    expectPicture(pictureOf(doc.paper->vram()), kPicture);
    setCurrentDrawWindow(nullptr);
}

TEST(LayerListOpsLiveReplay, TheLayerSessionMadeLiveEndsAsItsCommittedText)
{
    LiveReplayApp app;
    const ScopedFixedClock clock(1000);
    const ScopedUndoMax limit(20);
    HeadlessDocument doc;
    setCurrentDrawWindow(&doc.owner);
    doc.paper->undoMngrEx()->changeLimit(20, 20);
    ASSERT_TRUE(doc.paper->eventMngr().startRecording(appMainStroke(),
                                                      appMainToneMngrFor(doc.paper.get()),
                                                      eventUndoDepth(20), eventUndoDepth(20)));
    editSession(*doc.paper);
    EXPECT_EQ(doc.paper->eventMngr().getUndoCnt(), doc.paper->undoMngrEx()->getUndoCnt());
    QFile text(kText);
    ASSERT_TRUE(text.open(QIODevice::ReadOnly));
    EXPECT_EQ(stateText(*doc.paper).toStdString(),
              QString::fromUtf8(text.readAll()).toStdString());
    setCurrentDrawWindow(nullptr);
}
