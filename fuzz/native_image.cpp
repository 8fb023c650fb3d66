// Fuzz target of the native layered image reader: the bytes are loaded as a `.qzi` file into one
// headless document, reused for every input (loading makes it anew). Nothing may crash, read
// outside its buffers or hang, and a loaded document always has a layer and a mask.
#include "core/mask/mask_manager.h"
#include "document/events/event_manager.h"
#include "document/files/native_image.h"
#include "format/chunk.h"
#include "document/paper/document_init.h"
#include "document/paper/headless_owner.h"
#include "document/paper/paper.h"
#include "fuzz_document.h"

#include <QBuffer>
#include <QtEndian>

#include <cstdlib>
#include <memory>

namespace {

using fuzz_document::check;
using fuzz_document::Doc;

// Documents and layers of the largest sizes cost their memory, not new paths: inputs that ask for
// more than a small size are left out.
bool smallEnough(const uint8_t *data, size_t size)
{
    constexpr int32_t kSide = 256;
    if (size < 56)
        return true;
    const auto i32 = [&](size_t at) { return qFromLittleEndian<int32_t>(data + at); };
    if (i32(8) > kSide || i32(12) > kSide)
        return false;
    for (size_t at = 56; at + 8 + 32 <= size;) {
        const uint32_t len = qFromLittleEndian<uint32_t>(data + at + 4);
        if (qFromLittleEndian<uint32_t>(data + at) == chunkTag("QLYR") &&
            (i32(at + 8 + 24) > kSide || i32(at + 8 + 28) > kSide))
            return false;
        if (qFromLittleEndian<uint32_t>(data + at) == chunkTag("QMSK") && at + 8 + 40 <= size &&
            (i32(at + 8 + 24) > kSide || i32(at + 8 + 28) > kSide))
            return false;
        at += 8 + size_t(len);
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static Doc doc;
    if (!smallEnough(data, size))
        return 0;
    TPaper &paper = *doc.paper;
    paper.eventMngr().stopRecording();
    QBuffer buf;
    buf.setData(reinterpret_cast<const char *>(data), qsizetype(size));
    buf.open(QIODevice::ReadOnly);
    if (loadNativeImage(buf, QStringLiteral("fuzz.qzi"), paper) == 0)
        check(paper.getLayerCount() >= 1 && paper.maskMngr().getMaskCount() >= 1);
    return 0;
}
