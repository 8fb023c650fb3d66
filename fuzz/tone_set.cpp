// Feeds outside bytes to the tone set reader the way a load does, then uses what it accepted: every
// pattern becomes current in turn (building its working copy, screentones through the shared
// maker), is sampled and previewed, and the set is written and read back, which must succeed with
// the same number of patterns. Very large tiles stop early (see kMaxWorkingCopyPixels).
#include "core/image/canvas.h"
#include "format/chunk.h"
#include "paint/tone/tone_manager.h"
#include "paint/tone/tone_set_file.h"

#include <QBuffer>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

// A record of a few hundred bytes may declare a tile of up to 10000 x 10000 pixels (a short
// record's data is filled up with zeros). Reading one is checked like any other; making it a
// working copy, scaled by its zoom, or packing it again takes the sanitized build seconds for a
// single input, so such sets stop early:
// - a plain pattern whose tile or working copy exceeds kMaxWorkingCopyPixels is not made current;
// - a set holding a tile of more than kMaxRoundTripPixels is not written and read back.
constexpr int64_t kMaxWorkingCopyPixels = 256 * 256;
constexpr int64_t kMaxRoundTripPixels = 1024 * 1024;

bool mayBecomeCurrent(const CPatObj &pat)
{
    if (dynamic_cast<const CPat8Tone *>(&pat)) {
        return true; // its working copy is the maker's tile, which is bounded
    }
    // Scaling reads every pixel of the tile and writes every pixel of the copy.
    const int64_t w = std::max<int64_t>(int64_t(pat.zoom) * pat.size.x / 100, 1);
    const int64_t h = std::max<int64_t>(int64_t(pat.zoom) * pat.size.y / 100, 1);
    return w * h <= kMaxWorkingCopyPixels &&
           int64_t(pat.size.x) * pat.size.y <= kMaxWorkingCopyPixels;
}

bool mayRoundTrip(const CToneMngr &mngr)
{
    for (int32_t i = 0; i < mngr.count(); ++i) {
        const sSize size = mngr.getPattern(i)->size;
        if (int64_t(size.x) * size.y > kMaxRoundTripPixels) {
            return false;
        }
    }
    return true;
}

void useSet(CToneMngr &mngr, const uint8_t *data, size_t size)
{
    QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    QBuffer stream(&bytes);
    stream.open(QIODevice::ReadOnly);
    SToneSetContents set;
    if (readToneSet(stream, mngr.getToneMaker(), set) != CS_OK) {
        return;
    }
    for (auto &pat : set.patterns) {
        if (mngr.appendPattern(std::move(pat)) < 0) {
            abort(); // every pattern read must be accepted
        }
    }
    TMTC preview(24, 16);
    for (int32_t i = 0; i < mngr.count(); ++i) {
        if (mayBecomeCurrent(*mngr.getPattern(i))) {
            mngr.setCurPat(i);
        }
        for (int32_t k = -2; k < 3; ++k) {
            (void)mngr.effectScreenTone(37 * k, -53 * k, 200);
            (void)mngr.getPattern(i)->getValue(-1000 * k, 999 * k);
        }
        mngr.getPattern(i)->drawPreview(preview, {0, 0, 24, 16});
        (void)mngr.getPattern(i)->getZoomRange();
    }
    if (!mayRoundTrip(mngr)) {
        return;
    }
    QBuffer out;
    out.open(QIODevice::ReadWrite);
    if (writeToneSet(out, toneSetItems(mngr)) != CS_OK) {
        abort();
    }
    out.seek(0);
    SToneSetContents again;
    if (readToneSet(out, mngr.getToneMaker(), again) != CS_OK ||
        int32_t(again.patterns.size()) != mngr.count()) {
        abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // One manager serves every input, as one serves every load of the program, and each input
    // leaves it with an empty list and no working copy. What carries over is the shared tone
    // maker, whose cache of the last tone's geometry and threshold map spares rebuilding a map of
    // up to half a million pixels that would come out the same (most inputs are small changes of
    // the one before).
    static CToneMngr mngr;
    useSet(mngr, data, size);
    mngr.reset();
    mngr.freeModifiedPattern();
    return 0;
}
