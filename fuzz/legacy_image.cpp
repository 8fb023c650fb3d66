// Fuzz target of the oldest layered image import: the bytes are imported as a `.wpb` file with
// its event stream into one headless document, reused for every input. Nothing may crash, read
// outside the file or the canvas, or hang; a refused file leaves the document as it was.
#include "document/events/event_manager.h"
#include "document/events/legacy_event_stream.h"
#include "document/files/legacy_image.h"
#include "document/paper/document_init.h"
#include "document/paper/headless_owner.h"
#include "document/paper/paper.h"
#include "fuzz_document.h"

#include <QByteArray>
#include <QtEndian>

#include <cstdlib>
#include <memory>

namespace {

using fuzz_document::check;
using fuzz_document::Doc;

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static Doc doc;
    // Papers of the largest sizes (a file without image data may name any) cost their memory, not
    // new paths.
    if (size >= 16 && int64_t(qFromLittleEndian<int32_t>(data + 8)) *
                              qFromLittleEndian<int32_t>(data + 12) > 256 * 256)
        return 0;
    TPaper &paper = *doc.paper;
    // As the window that opens such a file: nothing recorded (a recording would grow without end
    // over the inputs).
    paper.eventMngr().stopRecording();
    const sSize before = paper.m_paperSize;
    const int32_t layers = paper.getLayerCount();
    // One stream for every input: a new one zeroes its whole first increment each time.
    static TEventPacket event;
    event.EventClear();
    const QByteArray file(reinterpret_cast<const char *>(data), qsizetype(size));
    const bool ok = importLegacyImage(paper, nullptr, QStringLiteral("fuzz.wpb"), file, event);
    if (legacyImageSignature({data, size}) != 2)
        check(!ok && paper.m_paperSize == before && paper.getLayerCount() == layers);
    // A loaded stream is reopened for appending: its end code is gone.
    check(event.memory().writed() == 0 || event.eventNum() >= 2);
    return 0;
}
