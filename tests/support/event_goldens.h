// Recorded event files checked against their goldens: a file is played as the replay tool plays
// it, then its picture (and where kept, its document text) must match what it was recorded with.
#pragma once

#include "core/image/canvas.h"
#include "document/events/event_file.h"
#include "document/events/event_manager.h"
#include "document/paper/headless.h"
#include "document/paper/layer_data.h"
#include "document/stroke/paper_stroke.h"
#include "document/stroke/stroke_pixel_procs.h"
#include "document/view/composition.h"
#include "support/paper_fakes.h"

#include <QImage>
#include <QString>

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace event_goldens {

// The start the replay tool makes from a file's blank-start packet.
using BlankStart = std::function<bool(int32_t width, int32_t height, bool transparent)>;

// The start the replay tool makes for --blank-start: one white layer, opaque unless asked.
inline bool blankStart(TPaper &paper, int32_t pw, int32_t ph, bool transparent)
{
    if (!setupHeadlessPaper(paper, {pw, ph}, 0xFFFFFF, 1) || !startPaintModeQZ5(paper))
        return false;
    // The work image is loaded again from the now opaque layer.
    if (!transparent) {
        paper.getLayerData(0)->fillAlpha(255);
        if (!paper.setFlow(*paper.getActiveFlow(), 0, true))
            return false;
    }
    UpdateVRAM(paper, false, true);
    return true;
}

// The composed picture, opaque (the golden is a PNG).
inline QImage pictureOf(const TMTC &img)
{
    QImage out(img.width(), img.height(), QImage::Format_ARGB32);
    for (int32_t y = 0; y < img.height(); ++y)
        for (int32_t x = 0; x < img.width(); ++x)
            out.setPixel(x, y, img.getColor(x, y) | 0xFF000000u);
    return out;
}

// The document text without the undo counts, which differ by design between a live document
// and its replay (the replay runs with undo off).
inline QString stateText(const TPaper &paper)
{
    const QString d = dumpPaperState(paper);
    return d.left(d.lastIndexOf(QStringLiteral("undo undo=")));
}

// Loads the file into doc and plays it to its end: from a blank start made by start, or
// without one from the file's own creation packet. The document stays the current draw window
// in playing state; the caller composes the picture.
inline void playEventFile(HeadlessDocument &doc, const QString &file, const BlankStart &start)
{
    ASSERT_EQ(loadEventFile(file, *doc.paper), 0);
    doc.owner.eventPlaying = true;
    setCurrentDrawWindow(&doc.owner);
    CEventMngr &ev = doc.paper->eventMngr();
    if (start)
        ASSERT_EQ(ev.beginPlayingBlank(start), eEvStartStat::ersOK);
    else
        ASSERT_EQ(ev.beginPlaying(true), eEvStartStat::ersOK) << ev.playError.toStdString();
    eEvPlayStat r = eEvPlayStat::epsContinue;
    int steps = 0;
    while (r == eEvPlayStat::epsContinue && steps++ < 1000)
        r = ev.playEventSingle();
    ASSERT_EQ(r, eEvPlayStat::epsEnd) << ev.playError.toStdString();
}

// Plays the file from the replay tool's blank start and composes the picture.
inline void playFromBlankStart(HeadlessDocument &doc, const QString &file)
{
    playEventFile(doc, file, [&](int32_t pw, int32_t ph, bool t) {
        return blankStart(*doc.paper, pw, ph, t);
    });
    if (!::testing::Test::HasFatalFailure())
        UpdateVRAM(*doc.paper, false, true);
}

// The picture equals the PNG golden: the first differing pixels and the count by row otherwise.
inline void expectPicture(const QImage &got, const QString &golden)
{
    const QImage expected = QImage(golden).convertToFormat(QImage::Format_ARGB32);
    ASSERT_EQ(got.size(), expected.size());
    int differ = 0;
    std::string rows;
    for (int y = 0; y < got.height(); ++y) {
        int inRow = 0;
        for (int x = 0; x < got.width(); ++x)
            if (got.pixel(x, y) != expected.pixel(x, y)) {
                if (differ < 5)
                    ADD_FAILURE() << "pixel (" << x << ", " << y << "): " << std::hex
                                  << got.pixel(x, y) << " replayed, " << expected.pixel(x, y)
                                  << " recorded" << std::dec;
                ++differ;
                ++inRow;
            }
        rows += std::to_string(inRow) + " ";
    }
    EXPECT_EQ(differ, 0) << "differences by row: " << rows;
}

} // namespace event_goldens
