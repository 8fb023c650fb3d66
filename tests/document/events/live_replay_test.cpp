// Live == replay: recorded operations replayed onto the same start give the same document.
#include "document/paper/layer_data.h"
#include "document/stroke/paper_stroke.h"
#include "document/view/composition.h"
#include "document/view/view_geometry.h"
#include "paint/stroke/stroke_placement.h"
#include "support/live_replay.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

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

namespace {

struct StrokeCase
{
    ePaintLevel level;
    int points;
};

// A brush chosen by the seed: size, colour, opacity, pressure switches, eraser, screentone,
// gradient.
void randomBrush(LiveReplayApp &app, std::mt19937 &rng)
{
    SPenParam prm;
    initPenParam(prm, int32_t(1 + rng() % 24));
    app.render4.changePenParam(prm);
    app.render5.changePenParam(prm);
    TStroke &st = app.stroke;
    st.SetDrawColor(0xFF000000u | rng());
    st.SetPenWidth(float(1 + rng() % 30));
    st.SetPenMin(float(rng() % 100));
    st.m_opaque = float(20 + rng() % 81) / 100.0f;
    st.SetPenIfSize(rng() % 2 != 0);
    st.SetPenIfTrans(rng() % 2 != 0);
    const TDrawMode modes[] = {TDrawMode::DM_PEN, TDrawMode::DM_PEN, TDrawMode::DM_ERASE,
                               TDrawMode::DM_WC};
    st.SetDrawMode(modes[rng() % 4]);
    st.m_penSpacing = float(2 + rng() % 99) / 50.0f;
    if (app.tones.getCurPat() == nullptr) {
        app.tones.appendPattern(8, 8, 4, 2.0f);
        app.tones.setCurPat(0);
    }
    st.m_bUseTone = rng() % 4 == 0;
    if (app.grads.count() == 0) {
        app.grads.appendGrad(sRGBA{{0, 0, 0, kCrsKindOwn}}, sRGBA{{255, 255, 255, kCrsKindOwn}});
        app.grads.setCurGrad(0);
    }
    st.m_bUseGradation = !st.m_bUseTone && rng() % 4 == 0;
    // An image nib of random size, content, zoom and id, selected as the tool window selects it;
    // or the parameter nib.
    CPenShapeObj &nib = app.nib;
    if (rng() % 3 == 0) {
        TChannel img(int32_t(1 + rng() % 24), int32_t(1 + rng() % 24));
        for (int32_t y = 0; y < img.height(); ++y)
            for (int32_t x = 0; x < img.width(); ++x)
                *img.seek8(x, y) = uint8_t(rng());
        nib.setImage(img, rng() % 2 != 0);
        nib.enable = true;
        nib.changeZoom(nib.zoomRng.min +
                       int32_t(rng() % uint32_t(nib.zoomRng.max - nib.zoomRng.min + 1)));
        if (rng() % 2 != 0)
            nib.setID(int32_t(1 + rng() % 6));
    } else {
        nib.clearImage();
    }
    app.render4.setPenShapeObj(&nib, false, false, false);
    app.render5.setPenShapeObj(&nib, false, false, false);
}

// One stroke of n points at the level, as the document window drives it (undo on).
bool liveStroke(TPaper &paper, ePaintLevel level, int n, std::mt19937 &rng, bool shape = false)
{
    if (!switchPaintLevel(paper, level))
        return false;
    TFlowImage &flow = *paper.getActiveFlow();
    TStroke &st = *paper.getActiveStroke();
    // A shape stroke draws its raw points joined straight, as the shape tools draw.
    st.m_bRawPoint = st.m_bDrawShape = shape;
    if (shape && level == ePaintLevel::PAINT_LEVEL_qZ5) {
        paper.strokeMngr5()->setInterpolateType(eInterpolateType::iptLinear);
        paper.strokeMngr5()->setSmoothLevel(0);
    } else if (shape) {
        paper.strokeMngr4()->setCorrection(eCorrectType::corRaw);
    }
    struct Restore
    {
        TPaper &paper;
        TStroke &st;
        bool shape;
        ~Restore()
        {
            st.m_bRawPoint = st.m_bDrawShape = false;
            if (shape && paper.actPaintLevel < ePaintLevel::PAINT_LEVEL_qZ5)
                paper.strokeMngr4()->setCorrection(eCorrectType::corAvr);
        }
    } restore{paper, st, shape};
    auto point = [&](int i, float &x, float &y, float &p) {
        x = float(rng() % 640) / 10.0f;
        y = float(rng() % 480) / 10.0f;
        p = (i > 0 && rng() % 8 == 0) ? 0.0f : float(rng() % 101) / 100.0f;
    };
    float x, y, p;
    point(0, x, y, p);
    bool ok;
    if (level == ePaintLevel::PAINT_LEVEL_qZ5)
        ok = eventStrokeBegin5(paper, flow, st, x, y, p, true);
    else if (level == ePaintLevel::PAINT_LEVEL_qZ4)
        ok = eventStrokeBegin4(paper, flow, st, x, y, p, true);
    else
        ok = eventStrokeBegin(paper, flow, st, x, y, p, true);
    if (!ok)
        return false;
    for (int i = 1; i < n; ++i) {
        point(i, x, y, p);
        if (level == ePaintLevel::PAINT_LEVEL_qZ5)
            eventStrokeAdd5(paper, flow, st, x, y, p, paper.owner(), true);
        else if (level == ePaintLevel::PAINT_LEVEL_qZ4)
            eventStrokeAdd4(paper, flow, st, x, y, p, paper.owner(), true);
        else
            EventStrokeAdd(paper, flow, st, x, y, p, paper.owner(), true);
    }
    sBox box;
    if (level == ePaintLevel::PAINT_LEVEL_qZ5)
        return eventStrokeEnd5(paper, flow, st, paper.owner(), box, true);
    if (level == ePaintLevel::PAINT_LEVEL_qZ4)
        return eventStrokeEnd4(paper, flow, st, paper.owner(), box, true);
    return EventStrokeEnd(paper, flow, st, paper.owner(), box, true);
}

// A green-to-yellow gradient added to the set and made current, and an opaque pen of the width
// that paints with it.
void useNewGradientPen(LiveReplayApp &app, int width)
{
    app.grads.appendGrad(sRGBA{{20, 200, 40, kCrsKindOwn}}, sRGBA{{250, 240, 10, kCrsKindOwn}});
    app.grads.setCurGrad(app.grads.count() - 1);
    TStroke &st = app.stroke;
    st.SetPenWidth(width);
    st.m_opaque = 1;
    st.SetDrawMode(TDrawMode::DM_PEN);
    st.m_bUseTone = false;
    st.m_bUseGradation = true;
}

} // namespace

TEST(StrokeLiveReplay, StrokesOfEveryLevelAndLength)
{
    LiveReplayApp app;
    const StrokeCase cases[] = {
        {ePaintLevel::PAINT_LEVEL_qZ5, 1},  {ePaintLevel::PAINT_LEVEL_qZ5, 16},
        {ePaintLevel::PAINT_LEVEL_qZ5, 17}, {ePaintLevel::PAINT_LEVEL_qZ5, 90},
        {ePaintLevel::PAINT_LEVEL_qZ4, 1},  {ePaintLevel::PAINT_LEVEL_qZ4, 17},
        {ePaintLevel::PAINT_LEVEL_qZ4, 60}, {ePaintLevel::PAINT_LEVEL_qZ2, 1},
        {ePaintLevel::PAINT_LEVEL_qZ2, 16}, {ePaintLevel::PAINT_LEVEL_qZ2, 60},
    };
    for (const StrokeCase &c : cases) {
        SCOPED_TRACE("level " + std::to_string(int(c.level)) + ", " + std::to_string(c.points) +
                     " points");
        for (int seed = 1; seed <= liveReplayIterations(2); ++seed) {
            expectLiveEqualsReplay(
                basicStart,
                [&](TPaper &paper, uint32_t s) {
                    std::mt19937 rng(s * 977 + uint32_t(c.points));
                    randomBrush(app, rng);
                    return liveStroke(paper, c.level, c.points, rng);
                },
                uint32_t(seed));
        }
    }
}

TEST(StrokeLiveReplay, ShapeStrokesOfEveryLevel)
{
    LiveReplayApp app;
    for (ePaintLevel level : {ePaintLevel::PAINT_LEVEL_qZ2, ePaintLevel::PAINT_LEVEL_qZ4,
                              ePaintLevel::PAINT_LEVEL_qZ5}) {
        SCOPED_TRACE("level " + std::to_string(int(level)));
        for (int seed = 1; seed <= liveReplayIterations(3); ++seed) {
            expectLiveEqualsReplay(
                basicStart,
                [&](TPaper &paper, uint32_t s) {
                    std::mt19937 rng(s * 31);
                    randomBrush(app, rng);
                    return liveStroke(paper, level, int(2 + rng() % 20), rng, true) &&
                           liveStroke(paper, level, int(2 + rng() % 20), rng, false);
                },
                uint32_t(seed));
        }
    }
}

TEST(StrokeLiveReplay, MixedSequencesWithLevelChanges)
{
    LiveReplayApp app;
    const ePaintLevel levels[] = {ePaintLevel::PAINT_LEVEL_qZ2, ePaintLevel::PAINT_LEVEL_qZ4,
                                  ePaintLevel::PAINT_LEVEL_qZ5};
    for (int seed = 1; seed <= liveReplayIterations(4); ++seed) {
        expectLiveEqualsReplay(
            basicStart,
            [&](TPaper &paper, uint32_t s) {
                std::mt19937 rng(s);
                for (int i = 0; i < 5; ++i) {
                    randomBrush(app, rng);
                    if (rng() % 3 == 0 && !changeAttribute(paper, rng()))
                        return false;
                    if (!liveStroke(paper, levels[rng() % 3], int(1 + rng() % 40), rng,
                                    rng() % 4 == 0))
                        return false;
                }
                return true;
            },
            uint32_t(seed));
    }
}

// A gradient stroke paints with the gradient set's working gradient, the one the recorder writes,
// also when the document was made before the set had one or another gradient is chosen after.
TEST(StrokeLiveReplay, GradientStrokesTakeTheWorkingGradientChosenAfterTheDocument)
{
    struct Case
    {
        const char *what;
        bool setBeforeDocument;
    };
    for (const Case c : {Case{"set filled after the document", false},
                         Case{"another gradient chosen after the document", true}}) {
        SCOPED_TRACE(c.what);
        for (ePaintLevel level : {ePaintLevel::PAINT_LEVEL_qZ2, ePaintLevel::PAINT_LEVEL_qZ4,
                                  ePaintLevel::PAINT_LEVEL_qZ5}) {
            SCOPED_TRACE("level " + std::to_string(int(level)));
            LiveReplayApp app;
            if (c.setBeforeDocument) {
                app.grads.appendGrad(sRGBA{{255, 0, 0, kCrsKindOwn}},
                                     sRGBA{{0, 0, 255, kCrsKindOwn}});
                app.grads.setCurGrad(0);
            }
            expectLiveEqualsReplay(basicStart, [&](TPaper &paper, uint32_t) {
                useNewGradientPen(app, 12);
                std::mt19937 rng(7);
                const bool ok = liveStroke(paper, level, 20, rng);
                app.stroke.m_bUseGradation = false;
                return ok;
            });
        }
    }
}

// The document draws from its own copy of the last gradient bound: emptying the gradient set
// (which frees its working gradient) leaves the next gradient stroke painting with that gradient,
// live and replayed alike, and never reading the freed stops.
TEST(StrokeLiveReplay, GradientStrokeAfterTheSetWasEmptied)
{
    for (ePaintLevel level : {ePaintLevel::PAINT_LEVEL_qZ2, ePaintLevel::PAINT_LEVEL_qZ5}) {
        SCOPED_TRACE("level " + std::to_string(int(level)));
        LiveReplayApp app;
        expectLiveEqualsReplay(basicStart, [&](TPaper &paper, uint32_t) {
            useNewGradientPen(app, 10);
            TStroke &st = app.stroke;
            std::mt19937 rng(11);
            bool ok = liveStroke(paper, level, 12, rng);
            app.grads.reset();
            ok = ok && liveStroke(paper, level, 12, rng);
            st.m_bUseGradation = false;
            return ok;
        });
    }
}

// An image nib replays with the image it painted with, whatever its id stood for before in the
// recording; every nib image definition in the stream has an id of its own.
TEST(StrokeLiveReplay, ImageNibsReplayWithTheirOwnImage)
{
    struct Use
    {
        int image;
        int32_t id;
    };
    struct Case
    {
        const char *what;
        std::vector<Use> uses;
    };
    const Case cases[] = {
        {"one id for two images", {{0, 4}, {1, 4}}},
        {"one image under two ids", {{0, 4}, {0, 9}}},
        {"the first image back after another took its id", {{0, 4}, {1, 4}, {0, 4}, {1, 5}}},
    };
    for (const Case &c : cases) {
        for (ePaintLevel level : {ePaintLevel::PAINT_LEVEL_qZ4, ePaintLevel::PAINT_LEVEL_qZ5}) {
            SCOPED_TRACE(std::string(c.what) + ", level " + std::to_string(int(level)));
            LiveReplayApp app;
            expectLiveEqualsReplay(basicStart, [&](TPaper &paper, uint32_t) {
                std::mt19937 rng(3);
                SPenParam prm;
                initPenParam(prm, 9);
                app.render4.changePenParam(prm);
                app.render5.changePenParam(prm);
                app.stroke.SetPenWidth(9);
                for (const Use &u : c.uses) {
                    TChannel img(5 + 6 * u.image, 7 + 3 * u.image);
                    for (int32_t y = 0; y < img.height(); ++y)
                        for (int32_t x = 0; x < img.width(); ++x)
                            *img.seek8(x, y) = uint8_t(u.image ? 255 - x * 20 : x * 30 + y);
                    app.nib.setImage(img, true);
                    app.nib.enable = true;
                    app.nib.setID(u.id);
                    app.render4.setPenShapeObj(&app.nib, false, false, false);
                    app.render5.setPenShapeObj(&app.nib, false, false, false);
                    if (!liveStroke(paper, level, 12, rng))
                        return false;
                }
                std::vector<uint32_t> defined;
                CEventMngr &ev = paper.eventMngr();
                ev.walkPackets(0, ev.topEventPos, [&](const SEventPacketInfo &pk) {
                    uint32_t serial = 0;
                    if (pk.hdr.group == 0 && (pk.hdr.code == 44 || pk.hdr.code == 74) &&
                        ev.readRecordAt(pk.pos + 2, serial))
                        defined.push_back(serial);
                    return true;
                });
                std::sort(defined.begin(), defined.end());
                EXPECT_EQ(std::adjacent_find(defined.begin(), defined.end()), defined.end());
                return true;
            });
        }
    }
}
