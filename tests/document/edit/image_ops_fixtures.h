// Documents for the tests of the image commands, canvas changes and pastes: three layers on a
// 40 x 30 paper, the middle one (active) reaching 30 pixels past the paper's right edge, the top
// one hidden, random pixels everywhere; optionally a selection.
#pragma once

#include "core/mask/mask_manager.h"
#include "document/paper/headless.h"
#include "document/paper/layer_data.h"
#include "document/paper/layer_manager.h"
#include "document/paper/paper.h"
#include "document/stroke/paper_stroke.h"
#include "document/view/composition.h"
#include "support/live_replay.h"

#include <random>

inline constexpr sSize kOpsPaper{40, 30};

inline void fillSparse(CBlockVMTC &img, std::mt19937 &rng, int count)
{
    for (int i = 0; i < count; ++i)
        img.setPixel(int32_t(rng() % uint32_t(img.width())), int32_t(rng() % uint32_t(img.height())),
                     uint32_t(rng()));
}

inline bool opsStart(TPaper &paper, uint32_t seed, bool selection)
{
    if (!setupHeadlessPaper(paper, kOpsPaper, 0xFFFFFF, 3) || !startPaintModeQZ5(paper))
        return false;
    std::mt19937 rng(seed);
    CLayerData &mid = *paper.getLayerData(1);
    mid.imageTC = std::make_unique<CBlockVMTC>(kOpsPaper.x + 30, kOpsPaper.y);
    for (int32_t i = 0; i < 3; ++i)
        fillSparse(*paper.getLayerData(i)->imageTC, rng, 300);
    paper.getLayerData(2)->visible = false;
    paper.getLayerData(1)->title = QStringLiteral("はみ出し");
    paper.layerMngr().setCurIndex(1);
    if (selection) {
        CMaskData &md = *paper.maskMngr().getActiveMask();
        if (!md.createMask(kOpsPaper.x, kOpsPaper.y))
            return false;
        for (int32_t y = 5; y < 20; ++y)
            for (int32_t x = 8; x < 30; ++x)
                md.maskTC->setPixel(x, y, (x * 37 + y * 11) % 256);
    }
    UpdateVRAM(paper, false, true);
    return true;
}

inline bool opsStartPlain(TPaper &paper, uint32_t seed)
{
    return opsStart(paper, seed, false);
}

inline bool opsStartSelected(TPaper &paper, uint32_t seed)
{
    return opsStart(paper, seed, true);
}

inline std::vector<uint32_t> layerPixels(const CLayerData &ld)
{
    std::vector<uint32_t> v;
    for (int32_t y = 0; y < ld.imageTC->height(); ++y)
        for (int32_t x = 0; x < ld.imageTC->width(); ++x)
            v.push_back(ld.imageTC->getColor(x, y));
    return v;
}
