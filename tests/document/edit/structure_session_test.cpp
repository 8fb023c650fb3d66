// A recorded session of layer structure (groups, links, clipping, every merge and move, undos and
// redos) replays from its creation packet to the picture and the document text it was recorded
// with. Set
// KAVRIN_REGENERATE_EVENTS=1 to record the file, its picture and its text again.
#include "document/edit/layer_attr.h"
#include "document/edit/layer_group_ops.h"
#include "document/edit/layer_list_ops.h"
#include "document/edit/layer_merge.h"
#include "document/edit/layer_move.h"
#include "document/edit/layer_undo.h"
#include "document/files/new_document.h"
#include "edit_rig.h"

#include "support/event_goldens.h"

#include <QFile>
#include <QImage>

#include <gtest/gtest.h>

namespace {

const QString kFile = QStringLiteral(KAVRIN_TEST_DATA "/events/structure-session.qe5");
const QString kPicture = QStringLiteral(KAVRIN_TEST_DATA "/events/structure-session.png");
const QString kText = QStringLiteral(KAVRIN_TEST_DATA "/events/structure-session.txt");

void undoRedo(TPaper &paper, bool redo)
{
    int32_t idx = 0;
    sRect rect;
    ASSERT_TRUE(redo ? eventLayerRedo(paper, nullptr, idx, rect)
                     : eventLayerUndo(paper, nullptr, idx, rect));
}

// The session, as a user would make it on a new document: layers in groups, linked and clipped,
// merged and moved in every way, with undos and redos between.
void editSession(TPaper &p)
{
    ASSERT_TRUE(eventEditCreate(p, QString(), nullptr, 64, 48, 64, 48, 72, false, true));
    ASSERT_TRUE(eventLayerAddEx(p, nullptr, 1, 64, 48, TLayerMode::LM_STD, 255, 0xFF3060C0,
                                QStringLiteral("頭"), true, true));
    ASSERT_TRUE(eventLayerAddEx(p, nullptr, 2, 30, 20, TLayerMode::LM_MUL, 255, 0xC0C04020,
                                QStringLiteral("乗算"), true, true));
    ASSERT_TRUE(eventLayerAddEx(p, nullptr, 3, 64, 48, TLayerMode::LM_SCR, 200, 0xFF20A040,
                                QString(), true, true));
    ASSERT_TRUE(eventLayerAddEx(p, nullptr, 4, 20, 40, TLayerMode::LM_STD, 255, 0xFFE0E020,
                                QStringLiteral("帯"), true, true));
    ASSERT_TRUE(eventLayerAddEx(p, nullptr, 5, 64, 48, TLayerMode::LM_STD, 160, 0x80FF00FF,
                                QString(), true, true));
    ASSERT_TRUE(eventLayerGroup(p, nullptr, 2, true, true));
    ASSERT_TRUE(eventLayerGroup(p, nullptr, 3, true, true));
    ASSERT_TRUE(EventLayerTrans(p, 1, 128, true));
    ASSERT_TRUE(eventLayerClipping(p, 3, true));
    ASSERT_TRUE(eventLayerLink(p, 4, 5, true));
    ASSERT_TRUE(eventLayerMove(p, nullptr, 4, 12, -6, true));
    ASSERT_TRUE(eventLayerMove(p, nullptr, 1, -5, 3, true));
    undoRedo(p, false);
    undoRedo(p, true);
    ASSERT_TRUE(eventLayerCopy(p, nullptr, 5, true));
    ASSERT_TRUE(eventLayerLink(p, 5, 4, true));
    ASSERT_TRUE(eventLayerMove(p, nullptr, 6, 7, 7, true));
    ASSERT_TRUE(eventLayerBindBelow(p, nullptr, 6, 1, true));
    ASSERT_TRUE(eventLayerGroupInsert(p, nullptr, 1, 3, 6, true));
    ASSERT_TRUE(eventBindClippingGroup(p, 4, true));
    undoRedo(p, false);
    ASSERT_TRUE(eventReleaseClippingGroup(p, 5, true));
    ASSERT_TRUE(eventLayerGroupBind(p, nullptr, 3, 3, true));
    undoRedo(p, false);
    undoRedo(p, true);
    ASSERT_TRUE(EventLayerCombLower(p, nullptr, 2, true));
    ASSERT_TRUE(eventLayerMove(p, nullptr, 1, -9, 0, true));
    ASSERT_TRUE(eventLayerAddEx(p, nullptr, 1, 64, 48, TLayerMode::LM_STD, 255, 0x00FFFFFF,
                                QString(), false, true));
    ASSERT_TRUE(eventBindLayerAll(p, nullptr, 1, 0x30003, true));
    undoRedo(p, false);
    ASSERT_TRUE(eventBindLayerAll(p, nullptr, 0, 0, true));
    undoRedo(p, false);
    undoRedo(p, true);
    // Undo and redo choose the active layer without an event: a recorded step ends the session.
    ASSERT_TRUE(EventLayerTrans(p, 0, 250, true));
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
    ASSERT_TRUE(event_goldens::pictureOf(doc.paper->vram()).save(kPicture, "PNG"));
    liveText = dumpPaperState(*doc.paper);
    setCurrentDrawWindow(nullptr);
}

QString withoutUndoCounts(const QString &dump)
{
    return dump.left(dump.lastIndexOf(QStringLiteral("undo undo=")));
}

} // namespace

TEST(LayerMergeLiveReplay, TheStructureSessionFileReplaysFromItsCreation)
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
    event_goldens::playEventFile(doc, kFile, nullptr);
    ASSERT_FALSE(::testing::Test::HasFatalFailure());
    doc.owner.eventPlaying = false;
    UpdateVRAM(*doc.paper, false, true);

    QFile text(kText);
    ASSERT_TRUE(text.open(QIODevice::ReadOnly));
    EXPECT_EQ(withoutUndoCounts(dumpPaperState(*doc.paper)).toStdString(),
              QString::fromUtf8(text.readAll()).toStdString());
    event_goldens::expectPicture(event_goldens::pictureOf(doc.paper->vram()), kPicture);
    setCurrentDrawWindow(nullptr);
}

TEST(LayerMergeLiveReplay, TheStructureSessionMadeLiveEndsAsItsCommittedText)
{
    LiveReplayApp app;
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
    EXPECT_EQ(withoutUndoCounts(dumpPaperState(*doc.paper)).toStdString(),
              QString::fromUtf8(text.readAll()).toStdString());
    setCurrentDrawWindow(nullptr);
}
