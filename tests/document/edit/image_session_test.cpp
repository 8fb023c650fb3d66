// A recorded session of pastes, image commands, turns, canvas size, crop, resolution and a trim,
// with undo and redo, replays from its blank start to the state and picture it was recorded with.
// Set KAVRIN_REGENERATE_EVENTS=1 to record the file and its goldens again.
#include "core/image/canvas.h"
#include "document/edit/canvas_ops.h"
#include "document/edit/image_commands.h"
#include "document/edit/layer_undo.h"
#include "document/edit/pasting.h"
#include "document/events/event_file.h"
#include "document/undo/undo_fixtures.h"
#include "image_ops_fixtures.h"

#include <QFile>
#include <QImage>

#include <gtest/gtest.h>

namespace {

using enum udCmdName;

const QString kFile = QStringLiteral(KAVRIN_TEST_DATA "/events/image-session.qe5");
const QString kPicture = QStringLiteral(KAVRIN_TEST_DATA "/events/image-session.png");
const QString kState = QStringLiteral(KAVRIN_TEST_DATA "/events/image-session.txt");

bool blankStart(TPaper &paper, int32_t pw, int32_t ph, bool)
{
    if (!setupHeadlessPaper(paper, {pw, ph}, 0xFFFFFF, 1) || !startPaintModeQZ5(paper))
        return false;
    UpdateVRAM(paper, false, true);
    return true;
}

std::unique_ptr<TMTC> gradientImage(int32_t w, int32_t h, uint32_t alpha)
{
    auto tc = std::make_unique<TMTC>(w, h);
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x)
            tc->seek32(x, y)->all = alpha << 24 | uint32_t(x * 7 % 256) << 16 |
                                    uint32_t(y * 5 % 256) << 8 | uint32_t((x + y) * 3 % 256);
    return tc;
}

QImage pictureOf(const TMTC &img)
{
    QImage out(img.width(), img.height(), QImage::Format_ARGB32);
    for (int32_t y = 0; y < img.height(); ++y)
        for (int32_t x = 0; x < img.width(); ++x)
            out.setPixel(x, y, img.getColor(x, y) | 0xFF000000u);
    return out;
}

QString stateText(const TPaper &paper)
{
    const QString d = dumpPaperState(paper);
    return d.left(d.indexOf(QStringLiteral("undo undo=")));
}

void recordSession(LiveReplayApp &app, QImage &picture, QString &state)
{
    HeadlessDocument doc;
    TPaper &paper = *doc.paper;
    ASSERT_TRUE(blankStart(paper, 48, 36, false));
    setCurrentDrawWindow(&doc.owner);
    CEventMngr &ev = paper.eventMngr();
    ASSERT_TRUE(ev.startRecording(&app.stroke, &app.tones, 64, 64));
    ASSERT_TRUE(ev.pushEventCreatePaperEx(48, 36, 48, 36, 72, true, false));
    ASSERT_TRUE(ev.pushEventBegin());
    int32_t idx = 0;
    sRect r;
    SOlyHeader hdr;
    hdr.flags = kOlyVisible | kOlyClipboardSize;
    hdr.mode = uint8_t(TLayerMode::LM_SCR);
    hdr.trans = 180;
    hdr.imgSize = {60, 40};
    const QString title = QStringLiteral("貼り付け");
    ASSERT_TRUE(eventLayerPaste(paper, nullptr, 0, *gradientImage(48, 36, 255), nullptr, nullptr, true));
    ASSERT_TRUE(eventPasteNewLayer(paper, nullptr, *gradientImage(60, 40, 200), &hdr, &title, true));
    ASSERT_TRUE(eventPasteNewLayer(paper, nullptr, *gradientImage(20, 12, 255), nullptr, nullptr, true));
    ASSERT_TRUE(eventLayerCmd(paper, nullptr, 1, udcnCmdFlipLR, true));
    ASSERT_TRUE(EventEditNegaPosi(paper, nullptr, false));
    ASSERT_TRUE(eventLayerRotate(paper, nullptr, 2, 30.0f, true));
    ASSERT_TRUE(eventLayerZoom2(paper, nullptr, 1, 30, 50, true));
    ASSERT_TRUE(eventLayerUndo(paper, nullptr, idx, r));
    ASSERT_TRUE(eventLayerRedo(paper, nullptr, idx, r));
    ASSERT_TRUE(EventEditRotate(paper, nullptr, true, true));
    ASSERT_TRUE(eventEditResize(paper, nullptr, 50, 60, int32_t(pgType::pgtC), 1, true));
    ASSERT_TRUE(eventLayerUndo(paper, nullptr, idx, r));
    ASSERT_TRUE(eventLayerRedo(paper, nullptr, idx, r));
    ASSERT_TRUE(eventLayerCutOutside(paper, nullptr, 1, true));
    ASSERT_TRUE(eventLayerUndo(paper, nullptr, idx, r));
    ASSERT_TRUE(eventEditCrop(paper, nullptr, 0, {4, 6, 40, 44}, true, 1));
    ASSERT_TRUE(eventEditResolutionHQ2(paper, nullptr, 30, 33, 1, true));
    ASSERT_TRUE(eventLayerUndo(paper, nullptr, idx, r));
    ASSERT_TRUE(eventEditResolutionOld(paper, nullptr, 25, 20, 0, true));
    ASSERT_TRUE(exportEventFile(kFile, paper, true, -1, -1, true));
    UpdateVRAM(paper, false, true);
    picture = pictureOf(paper.vram());
    state = stateText(paper);
    setCurrentDrawWindow(nullptr);
}

TEST(ImageCommandsLiveReplay, TheImageSessionReplaysToItsStateAndPicture)
{
    undo_test::ScopedUndoMax undoMax(20);
    LiveReplayApp app;
    if (qEnvironmentVariableIsSet("KAVRIN_REGENERATE_EVENTS") || !QFile::exists(kFile)) {
        QImage picture;
        QString state;
        recordSession(app, picture, state);
        ASSERT_TRUE(picture.save(kPicture, "PNG"));
        QFile f(kState);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(state.toUtf8());
    }
    HeadlessDocument doc;
    ASSERT_EQ(loadEventFile(kFile, *doc.paper), 0);
    doc.owner.eventPlaying = true;
    setCurrentDrawWindow(&doc.owner);
    CEventMngr &ev = doc.paper->eventMngr();
    ASSERT_EQ(ev.beginPlayingBlank([&](int32_t pw, int32_t ph, bool t) {
        return blankStart(*doc.paper, pw, ph, t);
    }),
              eEvStartStat::ersOK);
    eEvPlayStat r = eEvPlayStat::epsContinue;
    int steps = 0;
    while (r == eEvPlayStat::epsContinue && steps++ < 1000)
        r = ev.playEventSingle();
    ASSERT_EQ(r, eEvPlayStat::epsEnd) << ev.playError.toStdString();
    setCurrentDrawWindow(nullptr);
    UpdateVRAM(*doc.paper, false, true);
    QFile f(kState);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(stateText(*doc.paper).toStdString(), QString::fromUtf8(f.readAll()).toStdString());
    const QImage expected = QImage(kPicture).convertToFormat(QImage::Format_ARGB32);
    EXPECT_TRUE(pictureOf(doc.paper->vram()) == expected);
}

} // namespace
