// Fuzz target of the PSD import: the bytes are opened as a PSD file and loaded into one headless
// document, reused for every input (loading makes it anew). Nothing may crash, read outside its
// buffers or hang, and a document loaded with success has a layer and a mask.
#include "core/mask/mask_manager.h"
#include "document/events/event_manager.h"
#include "document/files/psd_file.h"
#include "document/paper/document_init.h"
#include "document/paper/headless_owner.h"
#include "document/paper/paper.h"
#include "platform/codec/psd_codec.h"
#include "fuzz_document.h"

#include <cstdlib>
#include <memory>

namespace {

using fuzz_document::check;
using fuzz_document::Doc;

// Large documents and layers cost their memory, not new paths: inputs that ask for more than a
// small size are left out.
bool smallEnough(const codec::CPsdFile &f)
{
    constexpr int32_t kSide = 512;
    codec::SPsdDocInfo doc;
    if (!codec::succeeded(f.getDocInfo(doc)) || doc.width > kSide || doc.height > kSide ||
        doc.layerCount > 64)
        return false;
    for (int32_t i = 0; i < doc.layerCount; ++i) {
        codec::SPsdLayerInfo l;
        if (codec::succeeded(f.getLayerInfo(i, l)) &&
            (l.left < -kSide || l.top < -kSide || l.right > 2 * kSide || l.bottom > 2 * kSide))
            return false;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static Doc doc;
    std::unique_ptr<codec::CPsdFile> f;
    if (!codec::succeeded(codec::CPsdFile::openBytes(
            QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)), f)) ||
        !smallEnough(*f))
        return 0;
    TPaper &paper = *doc.paper;
    paper.eventMngr().stopRecording();
    if (loadPsdFile(*f, QStringLiteral("fuzz.psd"), paper) == 0)
        check(paper.getLayerCount() >= 1 && paper.maskMngr().getMaskCount() >= 1);
    return 0;
}
