#include "document/files/legacy_image.h"
#include "core/base/memory_ops.h"

#include "core/image/canvas.h"
#include "document/edit/edit_ops.h"
#include "document/edit/layer_list_ops.h"
#include "document/events/legacy_event_stream.h"
#include "document/files/new_document.h"
#include "document/paper/layer_data.h"
#include "document/paper/layer_manager.h"
#include "document/paper/paper.h"
#include "platform/desktop/cursor.h"
#include "platform/desktop/messages.h"
#include "platform/system/file_stream.h"

#include <QFile>

#include <cstring>
#include <memory>
#include <vector>

namespace {

constexpr uint32_t kMaxLayerMode = 21;

struct SLegacyLayer
{
    uint8_t mode = 0;
    uint8_t trans = 0;
    bool visible = false;
    int64_t dataAt = 0;
    int64_t dataSize = 0;
};

struct SLegacyImage
{
    bool noImage = false;
    int32_t width = 0, height = 0;
    uint32_t canvasColor = 0;
    int32_t active = 0;
    bool noAppend = false;
    std::vector<SLegacyLayer> layers;
    int64_t eventAt = 0;
    int64_t eventSize = 0;
};

// The byte count of the run at p (count byte and pixel bytes), 0 when it is not all there.
int64_t runBytes(const uint8_t *p, int64_t remain)
{
    if (remain < 1)
        return 0;
    const int64_t need = 1 + (p[0] >= 125 ? 3 * int64_t(255 - p[0]) : 3);
    return need <= remain ? need : 0;
}

int64_t runPixels(uint8_t c)
{
    return c >= 125 ? 255 - c : c;
}

// The runs reach w x h pixels inside the data.
bool runsFill(const uint8_t *p, int64_t size, int64_t pixels)
{
    int64_t at = 0, done = 0;
    while (done < pixels) {
        const int64_t n = runBytes(p + at, size - at);
        if (n == 0)
            return false;
        done += runPixels(p[at]);
        at += n;
    }
    return true;
}

// Every field of the file checked against the file before anything is made.
bool parseLegacyImage(const QByteArray &file, SLegacyImage &img)
{
    const auto *p = reinterpret_cast<const uint8_t *>(file.constData());
    const int64_t size = file.size();
    if (size < kLegacyImageHeadSize || legacyImageSignature({p, 4}) != 2)
        return false;
    img.noImage = getAt<uint32_t>(p, 4) != 0;
    img.width = getAt<int32_t>(p, 8);
    img.height = getAt<int32_t>(p, 12);
    img.canvasColor = getAt<uint32_t>(p, 16);
    const int32_t count = int32_t(p[20]) + 1;
    img.active = p[21];
    img.noAppend = p[22] != 0;
    img.eventSize = getAt<uint32_t>(p, 23);
    if (img.width < 1 || img.width > kMaxPaperSide || img.height < 1 || img.height > kMaxPaperSide)
        return false;
    int64_t at = kLegacyImageHeadSize;
    if (!img.noImage) {
        for (int32_t i = 0; i < count; ++i) {
            if (size - at < kLegacyLayerHeadSize)
                return false;
            SLegacyLayer ly;
            ly.mode = p[at];
            ly.trans = p[at + 1];
            ly.visible = p[at + 2] != 0;
            ly.dataSize = getAt<uint32_t>(p, size_t(at + 7));
            ly.dataAt = at + kLegacyLayerHeadSize;
            if (ly.mode > kMaxLayerMode || ly.dataSize > size - ly.dataAt ||
                !runsFill(p + ly.dataAt, ly.dataSize, int64_t(img.width) * img.height))
                return false;
            img.layers.push_back(ly);
            at = ly.dataAt + ly.dataSize;
        }
    }
    img.eventAt = at;
    return img.eventSize <= size - at;
}

// One layer from its runs, through a work canvas of the paper's size.
bool importLayer(TPaper &paper, int32_t i, const SLegacyImage &img, const QByteArray &file,
                 TMTC &canvas)
{
    const SLegacyLayer &ly = img.layers[size_t(i)];
    const int32_t idx =
        CreateLayer(paper, i, img.width, img.height, TLayerMode(ly.mode), ly.trans, ly.visible);
    CLayerData *ld = paper.getLayerData(idx);
    if (!ld || !ld->imageTC)
        return false;
    paper.layerMngr().setDefaultCaption(idx, 1);
    std::vector<uint8_t> pixels(size_t(img.width) * size_t(img.height) * 4, 0);
    int64_t used = 0;
    decodeLegacyRuns(
        {reinterpret_cast<const uint8_t *>(file.constData()) + ly.dataAt, size_t(ly.dataSize)},
        pixels.data(), img.width, img.height, used);
    for (int32_t y = 0; y < img.height; ++y)
        std::memcpy(canvas.seek(0, y), pixels.data() + size_t(y) * size_t(img.width) * 4,
                    size_t(img.width) * 4);
    ld->imageTC->bltFrom(canvas, 0, 0, 255);
    ld->imageTC->shrinkMemory();
    paper.setOldMaskMode(idx, TLayerMode(ly.mode));
    ld->updatePreview();
    return true;
}

void loadEvents(TPaper &paper, const SLegacyImage &img, const QByteArray &file, TEventPacket &event)
{
    if (img.eventSize <= 0)
        return;
    TMyMemory mem(65536);
    mem.WriteFromBuffer(file.constData() + img.eventAt, int32_t(img.eventSize));
    TEventChecker check;
    if (event.LoadFromMemory(mem, check)) {
        event.AddModeProcedure();
        return;
    }
    showWarning(QStringLiteral("イベントデータ部が壊れています! イベント出力は無効です..."));
    event.EventClear();
    paper.m_noEventAddMode = true;
}

} // namespace

int32_t legacyImageSignature(std::span<const uint8_t> head)
{
    if (head.size() < 4 || std::memcmp(head.data(), "WPB", 3) != 0)
        return 0;
    if (head[3] == '2')
        return 2;
    return head[3] == ' ' ? 1 : 0;
}

int64_t decodeLegacyRuns(std::span<const uint8_t> src, uint8_t *dst, int32_t w, int32_t h,
                         int64_t &used)
{
    const int64_t total = int64_t(w) * h;
    int64_t at = 0, done = 0;
    const auto put = [&](const uint8_t *rgb) {
        const int64_t row = h - 1 - done / w; // the data start at the bottom row
        uint8_t *q = dst + (row * w + done % w) * 4;
        q[0] = rgb[2];
        q[1] = rgb[1];
        q[2] = rgb[0];
        q[3] = 0;
        ++done;
    };
    while (done < total) {
        const int64_t n = runBytes(src.data() + at, int64_t(src.size()) - at);
        if (n == 0)
            break;
        const uint8_t c = src[size_t(at)];
        const uint8_t *px = src.data() + at + 1;
        if (c >= 125) {
            for (int64_t k = 0; k < 255 - c && done < total; ++k)
                put(px + 3 * k);
        } else {
            for (int64_t k = 0; k < c && done < total; ++k)
                put(px);
        }
        at += n;
    }
    used = at;
    return done;
}

bool LoadFromFile2(TPaper &paper, TFlowImage *flow, const QString &filename, TEventPacket &event)
{
    QByteArray file;
    {
        std::unique_ptr<QFile> f = tryCreateFileStream(filename, QIODevice::ReadOnly);
        if (f)
            file = f->readAll();
    }
    return importLegacyImage(paper, flow, filename, file, event);
}

bool importLegacyImage(TPaper &paper, TFlowImage *flow, const QString &filename,
                       const QByteArray &file, TEventPacket &event)
{
    WaitCursor wait;
    SLegacyImage img;
    if (!parseLegacyImage(file, img)) {
        showWarning(QStringLiteral("未知の形式です！"));
        return false;
    }
    // A document made anew: nothing a reused one held stays.
    paper.layerMngr().deleteAll();
    if (!EventEditCreate(paper, filename, flow, img.width, img.height, 0, false, true))
        return false;
    changePaperColor(paper, img.canvasColor);
    bool result = false;
    if (!img.noImage) {
        TMTC canvas(img.width, img.height);
        DeleteLayer(paper, 0);
        paper.layerMngr().setTotalNum(0);
        result = canvas.isEnable();
        for (int32_t i = 0; result && i < int32_t(img.layers.size()); ++i)
            result = importLayer(paper, i, img, file, canvas);
        const int32_t active = paper.layerMngr().chkIndex(img.active) ? img.active : 0;
        EventLayerActive(paper, flow, active, true);
    }
    paper.m_noEventAddMode = img.noAppend;
    loadEvents(paper, img, file, event);
    return result;
}

bool LoadFromFile(TPaper &, TFlowImage *, const QString &)
{
    showWarning(QStringLiteral("not implemented!"));
    return false;
}
