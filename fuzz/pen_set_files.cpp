// Feeds outside bytes to the nib set and method set readers the way a load does, then uses what
// they accepted: every item goes into its manager, is copied and read into a paint parameter
// record, and the set is written and read back, which must succeed with the same items. Sets with
// a very large tip image stop after reading (see kMaxUsedTipPixels).
#include "paint/presets/pen_set_files.h"

#include "core/image/channel.h"
#include "format/chunk.h"
#include "paint/brush/paint_param.h"

#include <QBuffer>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

// A record of a few kilobytes may hold a tip image of millions of pixels (zeros pack a thousand
// to one, and a short record is filled up with zeros). Reading it is checked like any other;
// copying it for the list, the paint parameters and the round trip takes the sanitized build most
// of a second for a single input, so a set holding a tip larger than this stops after reading.
constexpr int64_t kMaxUsedTipPixels = 1024 * 1024;

bool tipFits(const CPenShapeObj &nib)
{
    const TChannel *tip = nib.shapeCH.get();
    return !tip || int64_t(tip->width()) * tip->height() <= kMaxUsedTipPixels;
}

// Names read as code-page bytes may grow past the 65535 bytes a written name can hold.
bool namesFit(const QString &name)
{
    return name.size() * 2 <= 0xFFFF;
}

void checkNibs(const QByteArray &bytes)
{
    QBuffer stream;
    stream.setData(bytes);
    stream.open(QIODevice::ReadOnly);
    SNibSetContents set;
    if (readNibSetStream(stream, set) != CS_OK ||
        !std::all_of(set.nibs.begin(), set.nibs.end(), [](auto &nib) { return tipFits(*nib); })) {
        return;
    }
    CPenShapeMngr mngr;
    bool fit = true;
    for (auto &nib : set.nibs) {
        fit = fit && namesFit(nib->name());
        (void)nib->RealRadius();
        if (mngr.appendShape(std::move(nib)) < 0 || mngr.appendShapeDup(*mngr.getObj(0)) < 0) {
            abort(); // every nib read must be accepted and copied
        }
        TPaintParam param(TPaintMode::pmPencil5);
        (void)param.Read(mngr.getObj(mngr.count() - 1));
    }
    QBuffer out;
    out.open(QIODevice::ReadWrite);
    const uint8_t code = writeNibSetStream(out, mngr);
    if (code != CS_OK) {
        if (fit && mngr.count() <= 0xFFFF) {
            abort();
        }
        return;
    }
    out.seek(0);
    SNibSetContents again;
    if (readNibSetStream(out, again) != CS_OK || int32_t(again.nibs.size()) != mngr.count()) {
        abort();
    }
}

void checkMethods(const QByteArray &bytes)
{
    QBuffer stream;
    stream.setData(bytes);
    stream.open(QIODevice::ReadOnly);
    SMethodSetContents set;
    if (readMethodSetStream(stream, set) != CS_OK ||
        !std::all_of(set.methods.begin(), set.methods.end(),
                     [](auto &m) { return !m->shapeObj || tipFits(*m->shapeObj); })) {
        return;
    }
    CPenMethodMngr mngr;
    bool fit = true;
    for (auto &method : set.methods) {
        fit = fit && namesFit(method->methodName) &&
              (!method->shapeObj || namesFit(method->shapeObj->name()));
        if (mngr.appendMethod(std::move(method)) < 0 || mngr.appendMethodDup(*mngr.getObj(0)) < 0) {
            abort();
        }
        TPaintParam param(TPaintMode::pmPencil5);
        (void)param.Read(mngr.getObj(mngr.count() - 1));
        (void)getPenMethodType(*mngr.getObj(0));
    }
    mngr.setShortcutIdx(set.shortcuts[0], set.shortcuts[1], set.shortcuts[2] % mngr.count(), 0,
                        mngr.count() - 1);
    mngr.setSubIndex(set.subIndex, true);
    QBuffer out;
    out.open(QIODevice::ReadWrite);
    const uint8_t code = writeMethodSetStream(out, mngr);
    if (code != CS_OK) {
        // Slots of a list longer than 256 no longer fit their bytes.
        if (fit && mngr.count() <= 256) {
            abort();
        }
        return;
    }
    out.seek(0);
    SMethodSetContents again;
    if (readMethodSetStream(out, again) != CS_OK || int32_t(again.methods.size()) != mngr.count()) {
        abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    checkNibs(bytes);
    checkMethods(bytes);
    return 0;
}
