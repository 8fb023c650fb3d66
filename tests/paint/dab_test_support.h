// Fixtures of the dab tests: a capturing put installed in the stroke context, fake strokes and
// documents for the renderer, and helpers that compare captured dabs.
#pragma once

#include "core/pixel/pixel.h"
#include "paint/render/pen_render_host.h"
#include "paint/render/stroke_context.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <utility>
#include <vector>

// One call of a stroke put.
struct CapturedPut
{
    int32_t x, y;
    uint32_t alpha, colour;
    fptrPixelPut4core base; // gStrokeColorPut when the put was made
};

// Installs puts that record every call (and forward nothing) into both slots of the stroke
// context while it lives; the context is reset before and after.
class PutCapture
{
  public:
    PutCapture()
    {
        initStrokePixelProcs();
        s_current = this;
        gCanvasPutAt = [](sBGRA *, int32_t x, int32_t y, uint32_t a, uint32_t c) {
            s_current->canvas.push_back({x, y, a, c, gStrokeColorPut});
        };
        gChannelPutAt = [](uint8_t *, int32_t x, int32_t y, uint32_t a, uint32_t c) {
            s_current->channel.push_back({x, y, a, c, gStrokeColorPut});
        };
    }
    ~PutCapture()
    {
        s_current = nullptr;
        initStrokePixelProcs();
    }
    PutCapture(const PutCapture &) = delete;
    PutCapture &operator=(const PutCapture &) = delete;

    void clear()
    {
        canvas.clear();
        channel.clear();
    }

    std::vector<CapturedPut> canvas;
    std::vector<CapturedPut> channel;

  private:
    static inline PutCapture *s_current = nullptr;
};

// The alpha put at each pixel; a pixel put twice fails the test.
inline std::map<std::pair<int, int>, int> alphaMap(const std::vector<CapturedPut> &puts)
{
    std::map<std::pair<int, int>, int> m;
    for (const CapturedPut &p : puts) {
        const bool fresh = m.emplace(std::make_pair(p.x, p.y), int(p.alpha)).second;
        EXPECT_TRUE(fresh) << "pixel " << p.x << ", " << p.y << " put twice";
    }
    return m;
}

// The alphas of (x0..x1) × (y0..y1) row by row, −1 where nothing was put.
inline std::vector<int> alphaGrid(const std::map<std::pair<int, int>, int> &m, int x0, int y0,
                                  int x1, int y1)
{
    std::vector<int> out;
    for (int y = y0; y <= y1; ++y)
        for (int x = x0; x <= x1; ++x) {
            const auto it = m.find({x, y});
            out.push_back(it == m.end() ? -1 : it->second);
        }
    return out;
}

inline double alphaSum(const std::map<std::pair<int, int>, int> &m)
{
    double sum = 0;
    for (const auto &[pos, a] : m)
        sum += a;
    return sum;
}

class FakeStroke : public IPenRenderStroke
{
  public:
    uint32_t drawColor = 0xFF000000, bgColor = 0x00FFFFFF;
    float opaque = 1.0f, progress = 0;
    bool ifTrans = false, protect = false;
    SWaterColorWork wc;

    uint32_t strokeDrawColor() const override { return drawColor; }
    uint32_t strokeBgColor() const override { return bgColor; }
    float strokeOpaque() const override { return opaque; }
    bool strokePenIfTrans() const override { return ifTrans; }
    float strokePenProgress() const override { return progress; }
    bool strokeProtectsTransparency() const override { return protect; }
    SWaterColorWork &strokeWaterColor() override { return wc; }
};

class FakePaper : public IPenRenderPaper
{
  public:
    bool level5 = true;
    TLayerMode mode = TLayerMode::LM_STD;
    uint32_t selection = 255; // the selection's value everywhere

    bool isPaintLevel5() const override { return level5; }
    TLayerMode strokeLayerMode() const override { return mode; }
    uint32_t selectionAlpha(int32_t, int32_t, uint32_t a) const override
    {
        return mul255(a, selection);
    }
};
