// Live == replay: recorded operations replayed onto the same start give the same document.
#include "document/paper/layer_data.h"
#include "document/stroke/paper_stroke.h"
#include "document/view/composition.h"
#include "document/view/view_geometry.h"
#include "paint/stroke/stroke_placement.h"
#include "support/live_replay.h"

#include <gtest/gtest.h>

#include <random>

namespace {

// Two layers with a few pixels, at the newest paint level.
bool basicStart(TPaper &paper, uint32_t seed)
{
    if (!setupHeadlessPaper(paper, {64, 48}, 0xFFFFFF, 2) || !startPaintModeQZ5(paper))
        return false;
    std::mt19937 rng(seed);
    for (int i = 0; i < 40; ++i) {
        CBlockVMTC &img = *paper.getLayerData(int32_t(rng() % 2))->imageTC;
        img.setPixel(int32_t(rng() % 64), int32_t(rng() % 48), 0xFF000000u | rng());
    }
    UpdateVRAM(paper, false, true);
    return true;
}

// A layer attribute changed as the attribute commands change it: recorded, then written.
bool changeAttribute(TPaper &paper, uint32_t seed)
{
    std::mt19937 rng(seed);
    CEventMngr &ev = paper.eventMngr();
    for (int step = 0; step < 6; ++step) {
        const int32_t idx = int32_t(rng() % 2);
        CLayerData &ld = *paper.getLayerData(idx);
        bool ok = true;
        const uint32_t kind = rng() % 6;
        switch (kind) {
        case 0: {
            const uint8_t lm = uint8_t(rng() % 22);
            ok = ev.pushEventLayerMode(idx, lm);
            ld.mode = TLayerMode(lm);
            break;
        }
        case 1: {
            const uint8_t t = uint8_t(rng());
            ok = ev.pushEventLayerTrans(idx, t);
            ld.trans = t;
            break;
        }
        case 2:
            ok = ev.pushEventLayerVisible(idx, !ld.visible);
            ld.visible = !ld.visible;
            break;
        case 3:
            ok = ev.pushEventLayerMaskProtected(idx, !ld.maskProtected);
            ld.maskProtected = !ld.maskProtected;
            break;
        case 4:
            ok = ev.pushEventLayerClipping(idx, !ld.getUnderLyrClip());
            ld.ChangeUnderLyrClip(!ld.getUnderLyrClip());
            break;
        default: {
            const uint8_t d = uint8_t(rng());
            const uint32_t r = rng();
            ok = ev.pushEventLayerDither(idx, true, d, r);
            ld.ditherEnable = true;
            ld.dither = d;
            ld.setDitherState(r);
            break;
        }
        }
        if (!ok)
            return false;
        // Protection changes no pixel: nothing is recomposed (the dither state would move on).
        if (kind != 3) {
            UpdateVRAM(paper, false, true);
            PreviewRefresh(paper, false, idx);
        }
    }
    return true;
}

} // namespace

TEST(LayerAttributeLiveReplay, RandomAttributeChanges)
{
    LiveReplayApp app;
    for (int seed = 1; seed <= liveReplayIterations(6); ++seed)
        expectLiveEqualsReplay(basicStart, changeAttribute, uint32_t(seed));
}
