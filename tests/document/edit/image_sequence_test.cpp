// Random sequences of the pastes, image commands and canvas changes, with refused calls and
// interleaved undo and redo, on the edit session's document: after every step the stream so far
// replays to the same document and both histories hold the same number of steps; undoing
// everything gives back the start.
#include "core/image/canvas.h"
#include "document/edit/canvas_ops.h"
#include "document/edit/image_commands.h"
#include "document/edit/layer_undo.h"
#include "document/edit/pasting.h"
#include "edit_rig.h"

#include <gtest/gtest.h>

#include <bit>
#include <functional>
#include <limits>
#include <optional>

namespace {

using enum udCmdName;
using RandomOp = std::function<bool(TPaper &, TFlowImage *, std::mt19937 &)>;

// An index of the list, one past either end now and then.
int32_t anyIndex(const TPaper &p, std::mt19937 &r)
{
    return int32_t(r() % uint32_t(p.getLayerCount() + 2)) - 1;
}

// A side of a paper or a layer: 0 (refused) now and then.
int32_t anySide(std::mt19937 &r)
{
    return r() % 12 == 0 ? 0 : int32_t(8 + r() % 60);
}

udCmdName anyKind(std::mt19937 &r)
{
    const udCmdName kinds[] = {udcnCmdFlipLR, udcnCmdFlipTB, udcnCmdNot, udcnCmdRot180};
    return kinds[r() % 4];
}

std::unique_ptr<TMTC> anyImage(std::mt19937 &r)
{
    auto tc = std::make_unique<TMTC>(int32_t(4 + r() % 60), int32_t(4 + r() % 50));
    for (int32_t y = 0; y < tc->height(); ++y)
        for (int32_t x = 0; x < tc->width(); ++x)
            tc->seek32(x, y)->all = (x + y) % 5 == 0 ? uint32_t(r()) : 0x80FF8000u;
    return tc;
}

// A copied layer's attributes, or none.
std::optional<SOlyHeader> anyHeader(std::mt19937 &r)
{
    if (r() % 2 == 0)
        return std::nullopt;
    SOlyHeader h;
    h.flags = uint16_t(r() % 2 ? kOlyVisible : 0) | uint16_t(r() % 2 ? kOlyClipboardSize : 0) |
              uint16_t(r() % 3 == 0 ? kOlyProtected : 0);
    h.mode = uint8_t(r() % 30);
    h.trans = uint8_t(r());
    h.imgSize = {int32_t(r() % 80), int32_t(r() % 70)};
    h.viewPos = {int32_t(r() % 30) - 10, int32_t(r() % 30) - 10};
    h.bgCol = uint32_t(r());
    return h;
}

const std::vector<std::pair<const char *, RandomOp>> &randomOps()
{
    static const std::vector<std::pair<const char *, RandomOp>> ops = {
        {"paste as a new layer",
         [](TPaper &p, TFlowImage *f, std::mt19937 &r) {
             const auto img = anyImage(r);
             const auto h = anyHeader(r);
             const QString name = QStringLiteral("貼り付け%1").arg(r() % 10);
             return r() % 4 == 0 ? eventPasteNewLayerA(p, f, *img, h ? &*h : nullptr, nullptr, true)
                                 : eventPasteNewLayer(p, f, *img, h ? &*h : nullptr,
                                                      h ? &name : nullptr, true);
         }},
        {"paste into a layer",
         [](TPaper &p, TFlowImage *f, std::mt19937 &r) {
             const auto img = anyImage(r);
             return eventLayerPaste(p, f, anyIndex(p, r), *img, nullptr, nullptr, true);
         }},
        {"command on a layer",
         [](TPaper &p, TFlowImage *f, std::mt19937 &r) {
             return r() % 2 ? eventLayerCmd(p, f, anyIndex(p, r), anyKind(r), true)
                            : eventLayerCmdEx(p, f, anyIndex(p, r), -1, anyKind(r), true, true);
         }},
        {"command on several layers",
         [](TPaper &p, TFlowImage *f, std::mt19937 &r) {
             const udCmdName cn = udCmdName(int(anyKind(r)) + 5);
             return r() % 2 ? eventVisLayerCmd(p, f, cn, true) : eventAllLayerCmd(p, f, cn, true);
         }},
        {"quarter turn of a layer",
         [](TPaper &p, TFlowImage *f, std::mt19937 &r) {
             return eventLayerRotate90(p, f, anyIndex(p, r), r() % 2 != 0, true);
         }},
        {"rotation of a layer",
         [](TPaper &p, TFlowImage *f, std::mt19937 &r) {
             const float deg = r() % 10 == 0 ? std::numeric_limits<float>::quiet_NaN()
                                             : float(int32_t(r() % 720) - 360) / 2.0f;
             return r() % 2 ? eventLayerRotate(p, f, anyIndex(p, r), deg, true)
                            : eventLayerRotate2(p, f, anyIndex(p, r), deg, true);
         }},
        {"zoom of a layer",
         [](TPaper &p, TFlowImage *f, std::mt19937 &r) {
             return r() % 2 ? eventLayerZoom(p, f, anyIndex(p, r), anySide(r), anySide(r), true)
                            : eventLayerZoom2(p, f, anyIndex(p, r), anySide(r), anySide(r), true);
         }},
        {"image turn", [](TPaper &p, TFlowImage *f,
                          std::mt19937 &r) { return EventEditRotate(p, f, r() % 2 != 0, true); }},
        {"canvas size",
         [](TPaper &p, TFlowImage *f, std::mt19937 &r) {
             // The commands pass version 1 (version 0 streams come from files only).
             return eventEditResize(p, f, anySide(r), anySide(r), int32_t(r() % 10), 1, true);
         }},
        {"crop",
         [](TPaper &p, TFlowImage *f, std::mt19937 &r) {
             const sBox box{int32_t(r() % 30) - 10, int32_t(r() % 30) - 10, anySide(r), anySide(r)};
             return eventEditCrop(p, f, anyIndex(p, r), box, true, uint16_t(r() % 2));
         }},
        {"resolution",
         [](TPaper &p, TFlowImage *f, std::mt19937 &r) {
             const int32_t w = anySide(r), h = anySide(r);
             const uint16_t ver = 1;
             switch (r() % 3) {
             case 0:
                 return eventEditResolutionOld(p, f, w, h, ver, true);
             case 1:
                 return eventEditResolutionHQ(p, f, w, h, ver, true);
             default:
                 return eventEditResolutionHQ2(p, f, w, h, ver, true);
             }
         }},
        {"trim", [](TPaper &p, TFlowImage *f,
                    std::mt19937 &r) { return eventLayerCutOutside(p, f, anyIndex(p, r), true); }},
    };
    return ops;
}

bool stepUndo(EditSession &s)
{
    int32_t idx = 0;
    sRect rect;
    return eventLayerUndo(s.paper(), s.flow(), idx, rect);
}

bool stepRedo(EditSession &s)
{
    int32_t idx = 0;
    sRect rect;
    return eventLayerRedo(s.paper(), s.flow(), idx, rect);
}

} // namespace

TEST(ImageCommandsLiveReplay, RandomSequencesOfPastesCommandsAndCanvasChangesReplayAndUndo)
{
    LiveReplayApp app;
    const ScopedUndoMax undoMax(100);
    for (int seed = 1; seed <= liveReplayIterations(6); ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        EditSession s{uint32_t(seed), 3};
        ASSERT_TRUE(s.start());
        const QString start = contentOf(s.paper());
        std::mt19937 rng(uint32_t(seed) * 65537u);
        for (int step = 0; step < 30; ++step) {
            std::string what;
            const uint32_t pick = rng() % 10;
            if (pick == 0) {
                what = "undo";
                stepUndo(s);
            } else if (pick == 1) {
                what = "redo";
                stepRedo(s);
            } else {
                if (rng() % 4 == 0)
                    EventLayerActive(s.paper(), s.flow(),
                                     int32_t(rng() % uint32_t(s.paper().getLayerCount())));
                const auto &op = randomOps()[rng() % randomOps().size()];
                what = op.first;
                op.second(s.paper(), s.flow(), rng);
            }
            SCOPED_TRACE("step " + std::to_string(step) + ": " + what);
            ASSERT_TRUE(s.historiesInStep());
            ASSERT_EQ(s.replayDifference(false), "");
        }
        while (s.undo().canUndo())
            ASSERT_TRUE(stepUndo(s));
        EXPECT_EQ(contentOf(s.paper()), start);
    }
}
