// Pattern tiles: what the stroke procedures multiply their alpha by at each pixel when a pattern
// or screentone is in use. CPatObj is the common part (identity, offset, size, zoom, flags, name);
// CPat8 is a plain 8-bit pattern image that repeats over the plane; CPat8Tone is a screentone,
// read from a CToneMaker, with a stored 8-bit tile that previews and tone set files keep.
//
// Pattern values are 0..255: 255 lets the stroke through in full, 0 not at all.
#pragma once

#include "core/base/geometry.h"
#include "paint/tone/tone_maker.h"

#include <QString>

#include <cstdint>
#include <memory>

class CDibCore;
class TChannel;
class TMTC;

enum ePatObjType : int32_t
{
    potStd = 0,  // plain pattern image
    potTone = 1, // screentone
};

// Bits of CPatObj::flags.
inline constexpr int32_t kPatFlagColor = 1; // bit 0: colour enabled
inline constexpr int32_t kPatFlagAlpha = 2; // bit 1: alpha enabled

// The next identity of the process-wide counter (1 first).
int32_t newPatternId();

class CPatObj
{
  public:
    // Disabled, a new identity, potStd, offset 0, size x * y, zoom 100, flags f, no image.
    CPatObj(int32_t x, int32_t y, int32_t f);
    virtual ~CPatObj();
    CPatObj &operator=(const CPatObj &) = delete;

    // A new identity; the old one.
    int32_t setNewID();
    // Stores sw only when the image exists and is allocated; answers that test.
    bool setEnable(bool sw);
    bool isAlphaEnable() const { return (flags & kPatFlagAlpha) != 0; }
    bool isColorEnable() const { return (flags & kPatFlagColor) != 0; }

    // The address of the image byte for a position already wrapped into the pattern.
    virtual void *seek(int32_t x, int32_t y) const = 0;
    // The pattern value at a plane position.
    virtual uint8_t getValue(int32_t x, int32_t y) const = 0;
    // The extent of the offsets that mean something: the size.
    virtual sSize getOfsSize() const;
    // Zoom limits in percent: min 1000 div the shorter side (the working copy keeps at least ten
    // pixels), max 200. An empty pattern allows only 100.
    virtual sRange getZoomRange() const;
    virtual void setName(const QString &str);
    // Copies ch into the image at (0, 0); false here.
    virtual bool copyImage(const TChannel &ch);
    // Draws the pattern at the box's origin; nothing here.
    virtual void drawImage(TMTC &tc, sBox box) const;
    // Covers the box (clipped to tc) band by band from its top, each band as high as the pattern
    // or the rows left, each band piece by piece from the left, each piece drawn by drawImage.
    virtual void drawImageRepeat(TMTC &tc, sBox box) const;
    // The list preview: drawImageRepeat.
    virtual void drawPreview(TMTC &tc, sBox box) const;

    // (x + ofs.x, y + ofs.y) wrapped into 0..size - 1 (never negative), then seek; nullptr for an
    // empty pattern.
    void *seekPattern(int32_t x, int32_t y) const;
    // Steps a byte pointer into the image and its column x one pixel right, back to the row's
    // start at the pattern's width.
    void nextScreenTone(uint8_t *&dat, int32_t &x) const;

    const QString &name() const { return Fname; }
    int32_t id() const { return Fid; }
    const CDibCore *image() const { return imgObj; }

    bool enable = false;
    int32_t Fid = 0;
    ePatObjType objType = potStd;
    sPos ofs;           // offset applied before lookup
    sSize size;         // pattern size
    int32_t zoom = 100; // percent
    int32_t flags = 0;
    QString Fname;

  protected:
    // Copies enable, type, offset, size, zoom, flags and name; a new identity; no image.
    CPatObj(const CPatObj &src);

    CDibCore *imgObj = nullptr; // the image; owned by the subclass
};

// A plain 8-bit pattern image that repeats over the plane.
class CPat8 : public CPatObj
{
  public:
    // An x * y channel filled with 0 becomes the image (none when it cannot be had).
    CPat8(int32_t x, int32_t y, int32_t f);
    // A channel of the source's size with its pixels; Fnega copied.
    explicit CPat8(const CPat8 &src);
    ~CPat8() override;

    void *seek(int32_t x, int32_t y) const override;
    // The byte at the wrapped position, 255 - byte when Fnega.
    uint8_t getValue(int32_t x, int32_t y) const override;
    bool copyImage(const TChannel &ch) override;
    // src's pixels into the image (as far as both reach).
    void copy(const CPat8 &src);
    // Resizes the image (and the pattern's size) to ch's size, then copies ch; the resize result.
    bool update(const TChannel &ch);
    // The pattern's top-left box.w x box.h pixels, clipped to both images, at the box origin:
    // blue, green, red := 255 - byte; alpha untouched.
    void drawImage(TMTC &tc, sBox box) const override;

    const TChannel *channel() const { return memCH.get(); }

    std::unique_ptr<TChannel> memCH; // the 8-bit tile
    bool Fnega = false;              // values inverted on lookup
};

// A screentone. Its values come from a tone maker: its own, or the pattern manager's shared one
// (which then holds the geometry of the last screentone built). The stored tile (memCH) is what
// previews and set files show; strokes read the maker.
class CPat8Tone : public CPat8
{
  public:
    // A 64 x 64 pattern with flags 18, type potTone, initToneAttr, no maker.
    CPat8Tone();
    // The CPat8 part and the attribute; a new maker of its own when the source owns one, else
    // the source's shared maker.
    explicit CPat8Tone(const CPat8Tone &src);
    ~CPat8Tone() override;

    // With maker given the tone uses it without owning it, else it makes one of its own. When ch
    // is null or mk is set, the maker is built from the attribute (dpi / line as the pitch) and
    // must succeed. The attribute is copied and the tone enabled; the stored tile becomes a copy
    // of ch, or is filled from the maker from (0, 0). False for a null attr or a failed build.
    bool build(const SToneAttr *attr, std::shared_ptr<CToneMaker> maker, bool mk,
               const TChannel *ch);
    // (100, 100) when enabled, else the size.
    sSize getOfsSize() const override;
    // min trunc(line * 350 / dpi), max trunc(line * 12750 / dpi): the zooms that keep the pitch
    // within 3.5..127.5 pixels. Only 100 for an attribute no tone can be built from.
    sRange getZoomRange() const override;
    // The pattern's name and the attribute's.
    void setName(const QString &str) override;
    // The maker's tone at (x - ofs.x, y - ofs.y), 255 - tone when Fnega; 0 without a maker.
    uint8_t getValue(int32_t x, int32_t y) const override;
    // Nothing unless enabled and with a maker; the box clipped to tc; blue, green, red of each
    // pixel (x, y) := 255 - getTone(x + dx, y + dy).
    void drawImageWithOffset(TMTC &tc, sBox box, int32_t dx, int32_t dy) const;
    void drawImage(TMTC &tc, sBox box) const override;
    // A screentone covers any box by itself: drawImage.
    void drawImageRepeat(TMTC &tc, sBox box) const override;
    // The stored tile tiled over the box (clipped to tc) with plain copies, then blue, green and
    // red of the box inverted.
    void drawPreview(TMTC &tc, sBox box) const override;

    const CToneMaker *maker() const { return toneMaker.get(); }

    SToneAttr toneAttr;
    std::shared_ptr<CToneMaker> toneMaker;
    bool ownMaker = false;
};

// An enabled plain pattern (flags 2) of ch's size holding a copy of ch, with the zoom and, when
// ofs is given, the offset; nullptr for an empty channel.
std::unique_ptr<CPat8> makePatternOfTile(const TChannel &ch, int32_t zoom, const sPos *ofs);
// A screentone built by CPat8Tone::build(attr, maker, mk, ch) and named attr.name; nullptr when
// building fails or throws.
std::unique_ptr<CPat8Tone> makeScreenTone(const SToneAttr &attr,
                                          const std::shared_ptr<CToneMaker> &maker, bool mk,
                                          const TChannel *ch);
