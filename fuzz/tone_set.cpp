// Feeds outside bytes to the tone set reader the way a load does, then uses what it accepted: every
// pattern becomes current in turn (building its working copy, screentones through the shared
// maker), is sampled and previewed, and the set is written and read back, which must succeed with
// the same number of patterns.
#include "core/image/canvas.h"
#include "document/format/chunk.h"
#include "paint/tone/tone_manager.h"
#include "paint/tone/tone_set_file.h"

#include <QBuffer>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

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
        mngr.setCurPat(i);
        for (int32_t k = -2; k < 3; ++k) {
            (void)mngr.effectScreenTone(37 * k, -53 * k, 200);
            (void)mngr.getPattern(i)->getValue(-1000 * k, 999 * k);
        }
        mngr.getPattern(i)->drawPreview(preview, {0, 0, 24, 16});
        (void)mngr.getPattern(i)->getZoomRange();
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
