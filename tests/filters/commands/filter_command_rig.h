// A recording headless document for the filter commands: the recorder rig (its document, stroke
// and gradient set installed as application hooks), a window that accepts edits, fake filter
// modules that hand fixed records, a patterned layer 0, and helpers to read the layer and the
// recorded filter events.
#pragma once

#include "core/tiles/block_layer_image.h"
#include "document/events/recorder_rig.h"
#include "document/paper/layer_data.h"
#include "document/undo/undo_manager.h"
#include "filters/commands/filter_commands.h"
#include "filters/commands/paper_filter_host.h"
#include "filters/core/pixel_mechanics.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

struct FakeFilterView : IFilterView
{
    bool accept = true;
    int modifiedCalls = 0;
    int toolViewCalls = 0;
    bool canAcceptEditCmd(bool netOK, bool playOK, bool needPause) override
    {
        EXPECT_TRUE(netOK);
        EXPECT_FALSE(playOK);
        EXPECT_TRUE(needPause);
        return accept;
    }
    bool viewRect(sRect &) override { return false; }
    void setModified(bool) override { ++modifiedCalls; }
    void updateToolViews() override { ++toolViewCalls; }
    bool isSmoothZoom() const override { return false; }
};

// A module that counts its calls and hands the parameters set by fill.
struct FakeModule
{
    int dialogs = 0;
    int lasts = 0;
    bool ok = true;
    std::function<void(SFilterParams &)> fill;
    SFilterModule module()
    {
        SFilterModule m;
        m.execDialog = [this](CFlt4Core &, SFilterParams &p) {
            ++dialogs;
            if (fill)
                fill(p);
            return ok;
        };
        m.makeLastParam = [this](CFlt4Core &, SFilterParams &p) {
            ++lasts;
            if (fill)
                fill(p);
            return ok;
        };
        return m;
    }
};

// A deterministic opaque pattern with some half-transparent pixels in layer idx.
inline void paintFilterPattern(TPaper &paper, int32_t idx, uint32_t salt)
{
    CBlockVMTC &img = *paper.getLayerData(idx)->imageTC;
    uint32_t s = 0x9E3779B9u * salt;
    for (int32_t y = 0; y < img.height(); ++y)
        for (int32_t x = 0; x < img.width(); ++x) {
            s = s * 1664525u + 1013904223u;
            const uint32_t a = (x + y) % 7 == 0 ? 0x80u : 0xFFu;
            img.setPixel(x, y, (s >> 8 & 0x00FFFFFFu) | a << 24);
        }
}

// A selection whose content is r (document coordinates) at value v.
inline bool selectFilterArea(TPaper &paper, const sRect &r, uint8_t v = 255)
{
    CMaskMngr &mm = paper.maskMngr();
    mm.setCurIndex(mm.getMaskCount());
    CMaskData *m = mm.getActiveMask();
    if (!m || !m->createMask(paper.m_paperSize.x, paper.m_paperSize.y))
        return false;
    sRect rr = r;
    m->maskTC->fillArea(rr, v);
    return true;
}

// The filter packets (groups 32-35 and 38) of paper's recording from from on.
inline std::vector<SEventHdr> recordedFilterHeaders(TPaper &paper, uint32_t from = 0)
{
    std::vector<SEventHdr> out;
    CEventMngr &ev = paper.eventMngr();
    ev.walkPackets(from, ev.curLength, [&](const SEventPacketInfo &pk) {
        if ((pk.hdr.group >= 32 && pk.hdr.group <= 35) || pk.hdr.group == 38)
            out.push_back(pk.hdr);
        return true;
    });
    return out;
}

struct FilterCommandRig
{
    FilterCommandRig() : rig(10)
    {
        initialiseFilters();
        clearLastFilter();
        clearFilterModules();
        paint(0, 1);
    }
    ~FilterCommandRig()
    {
        clearFilterModules();
        clearLastFilter();
        installFilterAppHooks({});
    }

    TPaper &paper() { return rig.paper(); }
    TFlowImage &flow() { return rig.doc->flow(); }
    CLayerData &layer(int32_t idx = 0) { return *paper().getLayerData(idx); }

    void paint(int32_t idx, uint32_t salt)
    {
        paintFilterPattern(paper(), idx, salt);
        paper().setFlow(flow(), idx, true);
    }

    std::vector<uint32_t> pixels(int32_t idx = 0)
    {
        const CBlockVMTC &img = *layer(idx).imageTC;
        std::vector<uint32_t> out;
        for (int32_t y = 0; y < img.height(); ++y)
            for (int32_t x = 0; x < img.width(); ++x)
                out.push_back(img.PixelGet(x, y));
        return out;
    }
    void setPixels(const std::vector<uint32_t> &px, int32_t idx = 0)
    {
        CBlockVMTC &img = *layer(idx).imageTC;
        size_t i = 0;
        for (int32_t y = 0; y < img.height(); ++y)
            for (int32_t x = 0; x < img.width(); ++x)
                img.setPixel(x, y, px[i++]);
        paper().setFlow(flow(), idx, true);
    }

    void select(const sRect &r, uint8_t v = 255) { ASSERT_TRUE(selectFilterArea(paper(), r, v)); }

    int32_t undoCount() { return paper().undoMngrEx()->getUndoCnt(); }
    bool undo()
    {
        int32_t idx = 0;
        sBox box;
        CUndoMngrEx &um = *paper().undoMngrEx();
        CLayerData *ld = paper().getLayerData(0);
        const bool ok = um.popUndo(idx, ld, box);
        paper().setFlow(flow(), 0, true);
        return ok;
    }

    // The filter packets (groups 32-35 and 38) recorded from from on.
    std::vector<SEventHdr> filterHeaders(uint32_t from)
    {
        return recordedFilterHeaders(paper(), from);
    }
    // The recorded cells of the first filter packet with this header (after the layer and mask
    // words).
    std::vector<LDATA> cells(SEventHdr hdr, uint32_t from)
    {
        const std::vector<uint8_t> body = rig.body(hdr, from);
        std::vector<LDATA> out;
        for (size_t o = 4; o + 4 <= body.size(); o += 4) {
            LDATA d;
            std::memcpy(&d, body.data() + o, 4);
            out.push_back(d);
        }
        return out;
    }
    uint32_t mark() { return rig.ev().curLength; }

    RecorderRig rig;
    FakeFilterView view;
};
