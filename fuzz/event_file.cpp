// Fuzz target of the event-file readers: the bytes are read as an event file (its thumbnail
// skipped) into a document's recorder; whatever they hold, a refused file leaves the recorder
// empty and an accepted one holds exactly the data its head announces.
#include "document/events/event_file.h"
#include "document/events/event_manager.h"
#include "document/paper/document_init.h"
#include "document/paper/headless_owner.h"
#include "document/paper/paper.h"

#include <QBuffer>

#include <cstdlib>
#include <memory>

namespace {

void check(bool ok)
{
    if (!ok)
        std::abort();
}

struct Doc
{
    Doc()
    {
        initialiseDocument();
        paper = TPaper::Create(&owner);
        check(paper != nullptr);
    }
    CHeadlessPaperOwner owner;
    std::unique_ptr<TPaper> paper;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static Doc doc;
    CEventMngr &ev = doc.paper->eventMngr();
    QBuffer buf;
    buf.setData(reinterpret_cast<const char *>(data), qsizetype(size));
    buf.open(QIODevice::ReadOnly);
    const uint8_t r = readEventData(buf, *doc.paper, nullptr);
    if (r != 0)
        check(ev.curLength == 0 && ev.eventCnt == 0);
    else
        check(ev.curLength == ev.topEventPos);
    buf.seek(0);
    SEvFileHead head;
    (void)readEventChunkHead(buf, head);
    return 0;
}
