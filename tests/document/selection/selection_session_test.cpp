// A recorded session of selection work (fills, figures in all four combinations, the wand, the
// bucket fill, growing, colour range, list commands, a split, undos) replays from its creation packet to
// the picture and the document text it was recorded with, masks included. Set
// KAVRIN_REGENERATE_EVENTS=1 to record the file, its picture and its text again.
#include "document/edit/layer_list_ops.h"
#include "document/edit/layer_undo.h"
#include "document/events/event_file.h"
#include "document/files/new_document.h"
#include "document/selection/colour_range.h"
#include "document/selection/figure_fill_ops.h"
#include "document/selection/seed_fill_ops.h"
#include "document/selection/selection_grow.h"
#include "document/selection/selection_ops.h"
#include "document/view/composition.h"
#include "paint/stroke/stroke.h"
#include "../edit/edit_rig.h"

#include "support/event_goldens.h"

#include <QFile>
#include <QImage>

#include <gtest/gtest.h>

namespace {

const QString kFile = QStringLiteral(KAVRIN_TEST_DATA "/events/selection-session.qe5");
const QString kPicture = QStringLiteral(KAVRIN_TEST_DATA "/events/selection-session.png");
const QString kText = QStringLiteral(KAVRIN_TEST_DATA "/events/selection-session.txt");

using enum eMaskAddType;

void undoRedo(TPaper &paper, bool redo)
{
    int32_t idx = paper.ActiveLayer();
    sRect rect;
    ASSERT_TRUE(redo ? eventLayerRedo(paper, nullptr, idx, rect)
                     : eventLayerUndo(paper, nullptr, idx, rect));
}

void selectionSession(TPaper &p)
{
    ASSERT_TRUE(eventEditCreate(p, QString(), nullptr, 64, 48, 64, 48, 72, false, true));
    ASSERT_TRUE(eventLayerAddEx(p, nullptr, 1, 64, 48, TLayerMode::LM_STD, 255, 0x00FFFFFF,
                                QStringLiteral("塗り"), true, true));
    TStroke &st = *p.getActiveStroke();
    st.m_drawColor = 0xFF3060C0;
    ASSERT_TRUE(eventFillRect(p, nullptr, 1, {4, 4}, {40.5f, 30}, true, true));
    const sFPos tri[] = {{30, 2}, {62, 20}, {36, 46}};
    st.m_drawColor = 0xFFC04020;
    ASSERT_TRUE(eventFillPolygon(p, nullptr, 1, tri, true));
    ASSERT_TRUE(eventFillEllipse(p, nullptr, 1, 1, {10, 20}, {30, 44}, true));
    ASSERT_TRUE(eventSelectRect(p, nullptr, 1, {2, 2}, {20, 20}, matNew, true));
    ASSERT_TRUE(eventSelectEllipse(p, nullptr, 1, 1, {14, 10}, {44, 34}, matAdd, true));
    ASSERT_TRUE(eventSelectPolygon(p, nullptr, 1, tri, matSub, true));
    ASSERT_TRUE(eventSelectRect(p, nullptr, 1, {0, 0}, {34, 40}, matAnd, true));
    st.m_drawColor = 0xFF20A040;
    ASSERT_TRUE(eventFillAll(p, nullptr, 1, 0xFF20A040, true, true));
    ASSERT_TRUE(growSelection(p, 1, -1, 3, 0, true));
    ASSERT_TRUE(eventSelectInsert(p, nullptr, 1, -1, true));
    ASSERT_TRUE(eventMagicWand(p, nullptr, 1, {50, 40}, matNew, false, true));
    st.m_drawColor = 0xFF802080;
    ASSERT_TRUE(eventSelectActivate(p, nullptr, 1, 0, true));
    ASSERT_TRUE(eventSelectInvert(p, nullptr, 1, true));
    ASSERT_TRUE(eventSeedFill(p, nullptr, 1, {60, 4}, false, false, true));
    undoRedo(p, false);
    undoRedo(p, true);
    const SPicCol picks[] = {{0xFF3060C0, 1, 40, 0}, {0xFFC04020, 1, 30, 0}};
    SColorMask param;
    param.cnt = 2;
    ASSERT_TRUE(eventSelectActivate(p, nullptr, 1, 1, true));
    ASSERT_TRUE(applyColorRange(p, nullptr, 1, -1, param, picks, true));
    ASSERT_TRUE(shrinkSelection(p, 1, -1, 1, 0, true));
    ASSERT_TRUE(eventSelectBind(p, nullptr, 1, 0, 1, matAdd, true));
    ASSERT_TRUE(eventSelectName(p, nullptr, 1, 1, QStringLiteral("色域"), true));
    undoRedo(p, false);
    ASSERT_TRUE(eventSelectSplitLayer(p, nullptr, 1, -1, 1, false, true));
    ASSERT_TRUE(eventLayerGradation(p, nullptr, 0, {0, 0}, {64, 48}, false, true));
}

void recordFile(QString &liveText)
{
    HeadlessDocument doc;
    setCurrentDrawWindow(&doc.owner);
    CEventMngr &ev = doc.paper->eventMngr();
    doc.paper->undoMngrEx()->changeLimit(20, 20);
    ASSERT_TRUE(ev.startRecording(appMainStroke(), appMainToneMngrFor(doc.paper.get()),
                                  eventUndoDepth(20), eventUndoDepth(20)));
    selectionSession(*doc.paper);
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

TEST(SelectionMaskLiveReplay, TheSelectionSessionFileReplaysFromItsCreation)
{
    LiveReplayApp app;
    const ScopedUndoMax limit(20);
    gAppProfile->fillLimit = 30;
    gAppProfile->wandLimit = 30;
    if (qEnvironmentVariableIsSet("KAVRIN_REGENERATE_EVENTS") || !QFile::exists(kFile)) {
        QString live;
        recordFile(live);
        QFile text(kText);
        ASSERT_TRUE(text.open(QIODevice::WriteOnly));
        text.write(withoutUndoCounts(live).toUtf8());
    }
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
