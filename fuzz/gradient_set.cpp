// Fuzz target of the gradient set reader: any bytes, read as a .qgs file from memory, then as one
// gradient chunk. Every gradient handed out must be packed and laid out, evaluate without fault
// in every shape, and write and read back unchanged.
#include "format/chunk.h"
#include "paint/gradient/gradation.h"
#include "paint/gradient/gradient_set_file.h"

#include <QBuffer>

#include <cstdlib>

namespace {

void checkGradient(const CColorSlotGroup &g, const SGradAttr &attr)
{
    if (!g.isPacked() || g.enbNum != g.slotMaxIdx + 1 || attr.gradType >= gtMaxNum ||
        attr.gradMap >= gmMaxNum || attr.gradRep >= grMaxNum || attr.gradRepCnt < 1) {
        std::abort();
    }
    for (int32_t n : {-1, 0, 1, 0x7FFF, 0x8000, 0xFFFF, 0x10000, 0x7FFFFFFF}) {
        (void)g.getColor(n);
    }
    for (int gt = 0; gt < gtMaxNum; ++gt) {
        CGradation grad(&g);
        if (!grad.setGradType(gt, attr.gradMap, attr.gradRep, attr.gradRepCnt)) {
            std::abort();
        }
        grad.setPos({0, 0}, {3 << 16, 1 << 16});
        for (const sPos p : {sPos{0, 0}, sPos{2, 1}, sPos{-7, 3}, sPos{100000, -5}}) {
            (void)grad.getColor(p);
        }
    }

    QByteArray bytes;
    QBuffer out(&bytes);
    out.open(QIODevice::WriteOnly);
    if (writeGradChunk(out, g, attr) != CS_OK) {
        std::abort(); // what was read can be written
    }
    QBuffer in(&bytes);
    in.open(QIODevice::ReadOnly);
    CColorSlotGroup back;
    SGradAttr backAttr;
    if (readGradChunk(in, back, backAttr) != CS_OK || !back.compare(g) || back.name != g.name ||
        !(backAttr == attr)) {
        std::abort(); // and reads back the same
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    QByteArray bytes =
        QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    {
        QBuffer stream(&bytes);
        stream.open(QIODevice::ReadOnly);
        SGradSetContents set;
        const uint8_t code = readGradSet(stream, set);
        if (code == CS_OK && set.grads.empty()) {
            std::abort();
        }
        for (const auto &grad : set.grads) {
            checkGradient(*grad->crsg, grad->attr);
        }
    }
    {
        QBuffer stream(&bytes);
        stream.open(QIODevice::ReadOnly);
        CColorSlotGroup g;
        g.setName("unchanged");
        SGradAttr attr;
        if (readGradChunk(stream, g, attr) == CS_OK) {
            checkGradient(g, attr);
        } else if (g.name != "unchanged" || g.slotMaxIdx != -1) {
            std::abort(); // a failed read changes nothing
        }
    }
    return 0;
}
