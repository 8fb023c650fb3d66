// Fixtures of the older-engine tests: a capture of every put the stroke context receives, and
// small images filled by rule.
#pragma once

#include "core/tiles/block_layer_image.h"
#include "core/image/canvas.h"
#include "core/image/channel.h"
#include "paint/render/stroke_context.h"

#include <cstdint>
#include <functional>
#include <vector>

// One call of a put: position, coverage alpha and the value or colour.
struct SCapturedPut
{
    int32_t x = 0, y = 0;
    uint32_t alpha = 0, value = 0;
    friend bool operator==(const SCapturedPut &, const SCapturedPut &) = default;
};

// While it lives, the stroke context's canvas and channel puts and the canvas put procedure
// record every call instead of writing (or, with passThrough, record and then write as the
// plain puts do). The context is reset on both ends.
class PutCapture
{
  public:
    explicit PutCapture(bool passThrough = false) : m_passThrough(passThrough)
    {
        initStrokePixelProcs();
        s_active = this;
        gCanvasPutAt = canvasPut;
        gChannelPutAt = channelPut;
        m_oldCanvasProc = setCanvasPutProc(canvasProc);
    }
    ~PutCapture()
    {
        setCanvasPutProc(m_oldCanvasProc);
        initStrokePixelProcs();
        s_active = nullptr;
    }
    PutCapture(const PutCapture &) = delete;
    PutCapture &operator=(const PutCapture &) = delete;

    std::vector<SCapturedPut> canvas;  // gCanvasPutAt and the canvas put procedure
    std::vector<SCapturedPut> channel; // gChannelPutAt

    // The canvas puts with alpha above 0.
    std::vector<SCapturedPut> visibleCanvas() const
    {
        std::vector<SCapturedPut> v;
        for (const SCapturedPut &p : canvas)
            if (p.alpha > 0)
                v.push_back(p);
        return v;
    }

  private:
    static void canvasPut(sBGRA *pixel, int32_t x, int32_t y, uint32_t alpha, uint32_t colour)
    {
        s_active->canvas.push_back({x, y, alpha, colour});
        if (s_active->m_passThrough)
            gStrokeColorPut(pixel, colour, alpha);
    }
    static void channelPut(uint8_t *pixel, int32_t x, int32_t y, uint32_t alpha, uint32_t value)
    {
        s_active->channel.push_back({x, y, alpha, value});
        if (s_active->m_passThrough)
            gChannelValuePut(pixel, value, alpha);
    }
    static void canvasProc(TMTC &tc, int32_t x, int32_t y, uint32_t col, int32_t a)
    {
        s_active->canvas.push_back({x, y, uint32_t(a), col});
        if (s_active->m_passThrough && x >= 0 && y >= 0 && x < tc.width() && y < tc.height())
            gStrokeColorPut(tc.seek32(x, y), col, uint32_t(a));
    }

    inline static PutCapture *s_active = nullptr;
    bool m_passThrough;
    fptrCanvasPut m_oldCanvasProc = nullptr;
};

// A w × h canvas whose pixel (x, y) is f(x, y).
inline void fillCanvas(TMTC &tc, int32_t w, int32_t h, const std::function<uint32_t(int, int)> &f)
{
    tc.Resize(w, h);
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x)
            tc.seek32(x, y)->all = f(x, y);
}

// A w × h channel whose byte (x, y) is f(x, y).
inline void fillChannel(TChannel &ch, int32_t w, int32_t h,
                        const std::function<uint8_t(int, int)> &f)
{
    ch.Resize(w, h);
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x)
            *ch.seek8(x, y) = f(x, y);
}

// A w × h layer image whose pixel (x, y) is f(x, y).
inline void fillLayer(CBlockVMTC &img, const std::function<uint32_t(int, int)> &f)
{
    for (int32_t y = 0; y < img.height(); ++y)
        for (int32_t x = 0; x < img.width(); ++x)
            img.setPixel(x, y, f(x, y));
}

inline uint32_t bgra(int r, int g, int b, int a)
{
    return uint32_t(a) << 24 | uint32_t(r) << 16 | uint32_t(g) << 8 | uint32_t(b);
}
