#include "document/files/psd_file.h"

#include "core/image/display_canvas.h"
#include "core/mask/mask_manager.h"
#include "core/tiles/block_channel.h"
#include "core/tiles/work_threads.h"
#include "document/edit/edit_ops.h"
#include "document/edit/layer_list_ops.h"
#include "document/files/native_image.h"
#include "document/files/new_document.h"
#include "format/chunk.h"
#include "document/paper/layer_data.h"
#include "document/paper/layer_manager.h"
#include "document/paper/paper.h"
#include "document/paper/paper_host.h"
#include "document/selection/selection_ops.h"
#include "document/view/composition.h"
#include "document/view/outside_picture.h"
#include "platform/codec/psd_codec.h"
#include "platform/desktop/messages.h"

#include <QFileInfo>

#include <algorithm>
#include <cstring>
#include <memory>

using codec::CodecStatus;
using codec::CPsdFile;
using codec::SPsdChannelData;
using codec::SPsdDocInfo;
using codec::SPsdLayerInfo;

namespace {

QString fileNameOnly(const QString &path)
{
    return QFileInfo(path).fileName();
}

// Byte b of a pixel (0 blue, 1 green, 2 red, 3 alpha).
uint8_t &byteOf(sBGRA &p, int b)
{
    return reinterpret_cast<uint8_t *>(&p)[b];
}
uint8_t byteOf(const sBGRA &p, int b)
{
    return reinterpret_cast<const uint8_t *>(&p)[b];
}

void warnReadError(const QString &what, uint8_t code)
{
    showWarning(
        QStringLiteral("%1読み込み中にエラーが検出されました! (err=%2)").arg(what).arg(code));
}

// ---- pixels of tiled images, a row at a time

// Calls put(address, count) for the runs of row y from x0 over w pixels, block by block; the
// blocks are committed. False when a block cannot be had.
template <class Image, class Pixel, class Put>
bool forRowRuns(Image &img, int32_t y, int32_t x0, int32_t w, Put put)
{
    const int32_t unit = img.getUnitSize().x;
    for (int32_t x = x0; x < x0 + w;) {
        Pixel *p = img.seekPixelAddr(x, y, true);
        if (!p)
            return false;
        const int32_t n = std::min(unit - (x % unit), x0 + w - x);
        put(p, x - x0, n);
        x += n;
    }
    return true;
}

// Byte `byte` of the pixels of row y from x0 over w pixels of a layer image into dst.
void readLayerRowByte(const CBlockVMTC &img, int32_t y, int32_t x0, int32_t w, int byte,
                      uint8_t *dst)
{
    const int32_t unit = img.getUnitSize().x;
    for (int32_t x = x0; x < x0 + w;) {
        const SBlockPack *pack = img.seekBlockBP(x / unit, y / unit);
        const int32_t n = std::min(unit - (x % unit), x0 + w - x);
        if (pack && pack->commit) {
            const auto *row = static_cast<const uint8_t *>(pack->vAddr.get()) +
                              (size_t(y % unit) * size_t(unit) + size_t(x % unit)) * 4;
            for (int32_t k = 0; k < n; ++k)
                dst[x - x0 + k] = row[size_t(k) * 4 + size_t(byte)];
        } else {
            const uint8_t v = pack ? byteOf(pack->bgCol, byte) : 0;
            std::memset(dst + (x - x0), v, size_t(n));
        }
        x += n;
    }
}

// The title of a layer record without a name.
QString defaultPsdTitle(const SPsdLayerInfo &info)
{
    const bool noId = info.layerId < 0;
    if (info.index == 0)
        return (noId ? QStringLiteral("(*%1)") : QStringLiteral("(%1)"))
            .arg(QStringLiteral("背景"));
    return (noId ? QStringLiteral("(*%1 %2)") : QStringLiteral("(%1 %2)"))
        .arg(QStringLiteral("レイヤ"))
        .arg(noId ? info.index : info.layerId);
}

// The names of the alpha channels: resource 1045 (Unicode) when present, else 1006 (pascal).
QStringList alphaNames(const CPsdFile &file)
{
    QStringList names;
    auto resource = [&file](uint16_t id) {
        std::vector<uint8_t> b(file.getResource(id, {}));
        if (!b.empty() && file.getResource(id, b) != b.size())
            b.clear();
        return b;
    };
    const std::vector<uint8_t> wide = resource(1045);
    for (size_t at = 0; at + 4 <= wide.size();) {
        const uint64_t n = uint64_t(wide[at]) << 24 | uint64_t(wide[at + 1]) << 16 |
                           uint64_t(wide[at + 2]) << 8 | wide[at + 3];
        at += 4;
        if (n * 2 > wide.size() - at)
            break;
        QString s;
        for (uint64_t k = 0; k < n; ++k, at += 2)
            s.append(QChar(char16_t(wide[at] << 8 | wide[at + 1])));
        while (!s.isEmpty() && s.back() == QChar(0))
            s.chop(1);
        names << s;
    }
    if (!names.isEmpty())
        return names;
    const std::vector<uint8_t> pascal = resource(1006);
    for (size_t at = 0; at < pascal.size();) {
        const size_t n = pascal[at++];
        if (n > pascal.size() - at)
            break;
        names << codec::psdDecodeName(std::span<const uint8_t>(pascal.data() + at, n));
        at += n;
    }
    return names;
}

} // namespace

int32_t psdChannelToByte(int32_t id)
{
    switch (id) {
    case 0:
        return 2;
    case 1:
        return 1;
    case 2:
        return 0;
    case -1:
        return 3;
    default:
        return -1;
    }
}

uint8_t psdCheckImageType(const SPsdDocInfo &doc)
{
    return codec::psdTypeIsReadable(doc) ? uint8_t(CS_OK) : CS_PSD_BAD_TYPE;
}

uint8_t psdErrorToStatus(uint8_t err)
{
    switch (CodecStatus(err & 0x7F)) {
    case CodecStatus::Nothing:
        return CS_OK;
    case CodecStatus::Failed:
        return CS_PSD_FAILED;
    case CodecStatus::NoSupport:
        return CS_PSD_NO_SUPPORT;
    case CodecStatus::NoMemory:
        return CS_NO_MEMORY;
    case CodecStatus::Setup:
        return CS_PSD_SETUP;
    case CodecStatus::Handle:
        return CS_PSD_NOT_READABLE;
    case CodecStatus::Param:
    case CodecStatus::ColorMode:
    case CodecStatus::Compress:
        return CS_PSD_PARAM;
    case CodecStatus::Range:
        return CS_PSD_RANGE;
    case CodecStatus::Exception:
    case CodecStatus::ExceptionSomething:
        return CS_EXCEPTION;
    case CodecStatus::FileOpen:
        return CS_CANNOT_OPEN;
    case CodecStatus::FileRead:
        return CS_READ_FAILED;
    case CodecStatus::FileWrite:
        return CS_WRITE_FAILED;
    case CodecStatus::UserBreak:
        return CS_PSD_USER_BREAK;
    case CodecStatus::UserData:
        return CS_PSD_USER_DATA;
    default:
        return CS_BLOCK_OUT_OF_PLACE;
    }
}

// ---- import

// Every channel of a layer decoded, each into its own buffer: they are separate streams, decoded
// over the work threads at once and placed afterwards in their order.
void decodeLayerChannels(const CPsdFile &file, const SPsdLayerInfo &info,
                         std::vector<SPsdChannelData> &channels, std::vector<CodecStatus> &status)
{
    const int32_t count = std::max(info.channels, 0);
    channels.assign(size_t(count), SPsdChannelData{});
    status.assign(size_t(count), CodecStatus::Nothing);
    parallelRanges(count, 1, [&](int32_t begin, int32_t end) {
        for (int32_t c = begin; c < end; ++c) {
            SPsdChannelData &data = channels[size_t(c)];
            data.layerIndex = info.index;
            data.channelNumber = c;
            status[size_t(c)] = file.getLayerChannel(data);
        }
    });
}

uint8_t importPsdLayer(TPaper &paper, const CPsdFile &file, const SPsdDocInfo &doc,
                       const SPsdLayerInfo &info, IPaperProgress *progress)
{
    // The layer image spans the layer rectangle and the canvas.
    const int64_t x0 = std::min<int64_t>(info.left, 0), y0 = std::min<int64_t>(info.top, 0);
    const int64_t x1 = std::max<int64_t>(info.right, paper.m_paperSize.x);
    const int64_t y1 = std::max<int64_t>(info.bottom, paper.m_paperSize.y);
    if (x1 - x0 > kQziMaxLayerSide || y1 - y0 > kQziMaxLayerSide)
        return CS_LAYER_NOT_CREATED;
    const TLayerMode mode =
        info.mode < uint16_t(TLayerMode::LM_MAX_NUM) ? TLayerMode(info.mode) : TLayerMode::LM_STD;
    const int32_t at = std::clamp(info.index, 0, paper.getLayerCount());
    const int32_t idx = CreateLayer(paper, at, int32_t(x1 - x0), int32_t(y1 - y0), mode,
                                    info.opacity, !(info.flags & codec::kPsdFlagHidden));
    CLayerData *ld = idx >= 0 ? paper.getLayerData(idx) : nullptr;
    if (!ld || !ld->imageTC)
        return CS_LAYER_NOT_CREATED;
    ld->viewPos = {int32_t(-x0), int32_t(-y0)};
    ld->viewSize = paper.m_paperSize;
    ld->maskProtected = info.flags & codec::kPsdFlagProtected;
    if (std::memcmp(info.key.data(), "diss", 4) == 0) {
        ld->ditherEnable = true;
        ld->dither = info.opacity;
        ld->trans = 255;
        ld->mode = TLayerMode::LM_STD;
    }
    const uint8_t both = codec::kPsdFlagBit4Valid | codec::kPsdFlagIrrelevant;
    if ((info.flags & both) == both)
        ld->visible = false;
    if (info.wideName)
        ld->title = *info.wideName;
    else if (!info.nameText().isEmpty())
        ld->title = info.nameText();
    else
        ld->title = defaultPsdTitle(info);
    setFileProgressMessage(progress, ld->title, false);
    ld->ChangeUnderLyrClip(info.clipping != 0);

    CBlockVMTC &img = *ld->imageTC;
    const int32_t dx = int32_t(info.left - x0), dy = int32_t(info.top - y0);
    const int32_t rectW = info.right - info.left;
    bool present[4] = {};
    int32_t read = 0;
    std::vector<SPsdChannelData> channels;
    std::vector<CodecStatus> status;
    decodeLayerChannels(file, info, channels, status);
    for (int32_t c = 0; c < info.channels; ++c) {
        SPsdChannelData &data = channels[size_t(c)];
        const int32_t byte = psdChannelToByte(data.channelId);
        if (codec::succeeded(status[size_t(c)]) && byte >= 0) {
            const bool grey = (doc.imageType == codec::kPsdImageGrey ||
                               doc.imageType == codec::kPsdImageBitmap) &&
                              data.channelId == 0;
            const int32_t w = data.boxW;
            const int32_t rows =
                w > 0 ? int32_t(std::min<int64_t>(data.boxH, data.dataBytes / w)) : 0;
            const int32_t len = std::min(rectW, w);
            for (int32_t r = 0; r < rows && len > 0; ++r) {
                const uint8_t *src = data.buffer.data() + size_t(r) * size_t(w);
                forRowRuns<CBlockVMTC, sBGRA>(
                    img, dy + r, dx, len, [&](sBGRA *p, int32_t off, int32_t n) {
                        for (int32_t k = 0; k < n; ++k) {
                            const uint8_t v = src[off + k];
                            if (grey)
                                byteOf(p[k], 0) = byteOf(p[k], 1) = byteOf(p[k], 2) = v;
                            else
                                byteOf(p[k], byte) = v;
                        }
                    });
            }
            present[byte] = true;
            ++read;
        }
        CPsdFile::freeBuffer(data);
    }
    if (read == 0)
        return CS_PSD_NO_LAYER;
    if (!present[3]) {
        const int32_t rows = info.bottom - info.top;
        for (int32_t r = 0; r < rows && rectW > 0; ++r)
            forRowRuns<CBlockVMTC, sBGRA>(img, dy + r, dx, rectW, [](sBGRA *p, int32_t, int32_t n) {
                for (int32_t k = 0; k < n; ++k)
                    byteOf(p[k], 3) = 255;
            });
    }
    img.shrinkMemory();
    ResizePreview(paper, idx);
    ld->updatePreview();
    return CS_OK;
}

uint8_t importPsdBackground(TPaper &paper, const CPsdFile &file, const SPsdDocInfo &doc)
{
    const int32_t idx = CreateLayer(paper, 0, doc.width, doc.height, TLayerMode::LM_STD, 255, true);
    CLayerData *ld = idx >= 0 ? paper.getLayerData(idx) : nullptr;
    if (!ld || !ld->imageTC)
        return CS_LAYER_NOT_CREATED;
    CBlockVMTC &img = *ld->imageTC;
    int32_t read = 0;
    SPsdChannelData data;
    for (int32_t c = 0; c < std::min(3, int32_t(doc.colorChannels)); ++c) {
        data.channelNumber = c;
        if (!codec::succeeded(file.getDocChannel(data)))
            continue;
        const int32_t w = data.boxW;
        const int32_t rowBytes = doc.imageType == codec::kPsdImageBitmap ? (w + 7) / 8 : w;
        if (rowBytes <= 0)
            continue;
        const int32_t rows = int32_t(std::min<int64_t>(data.boxH, data.dataBytes / rowBytes));
        const int32_t len = std::min(w, int32_t(doc.width));
        for (int32_t r = 0; r < rows && r < doc.height; ++r) {
            const uint8_t *src = data.buffer.data() + size_t(r) * size_t(rowBytes);
            switch (doc.imageType) {
            case codec::kPsdImageGrey:
            case codec::kPsdImageColour:
            case codec::kPsdImageBitmap:
                break;
            default:
                return CS_PSD_BAD_TYPE;
            }
            forRowRuns<CBlockVMTC, sBGRA>(img, r, 0, len, [&](sBGRA *p, int32_t off, int32_t n) {
                for (int32_t k = 0; k < n; ++k) {
                    const int32_t x = off + k;
                    if (doc.imageType == codec::kPsdImageBitmap) {
                        // A set bit is black.
                        const uint8_t v = (src[x / 8] >> (7 - x % 8)) & 1 ? 0 : 255;
                        byteOf(p[k], 0) = byteOf(p[k], 1) = byteOf(p[k], 2) = v;
                    } else if (doc.imageType == codec::kPsdImageGrey) {
                        byteOf(p[k], 0) = byteOf(p[k], 1) = byteOf(p[k], 2) = src[x];
                    } else {
                        byteOf(p[k], 2 - c) = src[x];
                    }
                }
            });
        }
        ++read;
    }
    if (read == 0)
        return CS_PSD_NO_MERGED_CHANNEL;
    ld->fillAlpha(255);
    ld->title = QStringLiteral("(%1)").arg(QStringLiteral("背景"));
    img.shrinkMemory();
    ResizePreview(paper, idx);
    ld->updatePreview();
    return CS_OK;
}

uint8_t importPsdAlphaChannels(TPaper &paper, const CPsdFile &file, const SPsdDocInfo &doc,
                               IPaperProgress *progress)
{
    try {
        CMaskMngr &masks = paper.maskMngr();
        masks.deleteAll();
        const QStringList names = alphaNames(file);
        qsizetype next = 0;
        int32_t made = 0;
        SPsdChannelData data;
        for (int32_t ch = doc.colorChannels; ch < doc.totalChannels; ++ch) {
            const QString name = next < names.size() ? names[next++] : QString();
            if (doc.mergedAlpha && ch == doc.colorChannels)
                continue;
            data.channelNumber = ch;
            if (!codec::succeeded(file.getDocChannel(data)))
                continue;
            auto md = std::make_unique<CMaskData>(masks.getMaskCount(), doc.width, doc.height);
            if (!md->maskTC)
                return CS_PSD_MASK_NOT_MADE;
            const int32_t w = data.boxW;
            const int32_t rows =
                w > 0 ? int32_t(std::min<int64_t>(data.boxH, data.dataBytes / w)) : 0;
            for (int32_t r = 0; r < rows && r < doc.height; ++r) {
                const uint8_t *src = data.buffer.data() + size_t(r) * size_t(w);
                forRowRuns<CBlockVCH, uint8_t>(*md->maskTC, r, 0, std::min(w, int32_t(doc.width)),
                                               [&](uint8_t *p, int32_t off, int32_t n) {
                                                   std::memcpy(p, src + off, size_t(n));
                                               });
            }
            md->title = !name.isEmpty()
                            ? name
                            : QStringLiteral("(%1 %2)").arg(QStringLiteral("マスク")).arg(made + 1);
            setFileProgressMessage(progress, md->title, false);
            md->maskTC->shrinkMemory();
            md->makePreview(doc.width, doc.height);
            if (masks.insertAt(masks.getMaskCount(), md) < 0)
                return CS_PSD_MASK_NOT_ADDED;
            masks.renumberIndex();
            ++made;
            stepProgress(progress);
        }
        return made == 0 ? CS_PSD_NO_MASK : uint8_t(CS_OK);
    } catch (...) {
        return CS_EXCEPTION;
    }
}

namespace {

uint8_t importDocument(CPsdFile &file, const QString &path, TPaper &paper, IPaperProgress *progress)
{
    if (!file.isReadable())
        return CS_PSD_NOT_READABLE;
    SPsdDocInfo doc;
    if (!codec::succeeded(file.getDocInfo(doc)))
        return CS_PSD_NO_DOC_RECORD;
    if (const uint8_t s = psdCheckImageType(doc); s != CS_OK)
        return s;
    const int32_t alphaChannels = doc.totalChannels - doc.colorChannels - doc.mergedAlpha;
    if (progress)
        progress->reset(std::max(int32_t(doc.layerCount), 1) + std::max(alphaChannels, 0));

    TFlowImage *flow = paper.owner() ? paper.owner()->flow() : nullptr;
    paper.maskMngr().deleteAll();
    if (!EventEditCreate(paper, path, flow, doc.width, doc.height, doc.dpiX, true, true))
        return CS_LAYER_NOT_CREATED;
    while (paper.getLayerCount() > 0)
        DeleteLayer(paper, paper.getLayerCount() - 1);

    int32_t made = 0;
    uint8_t status = CS_OK;
    if (doc.layerCount < 1) {
        setFileProgressMessage(progress, QStringLiteral("画像"), false);
        status = importPsdBackground(paper, file, doc);
        made = status == CS_OK ? 1 : 0;
        stepProgress(progress);
    } else {
        setFileProgressMessage(progress, QStringLiteral("レイヤ"), false);
        for (int32_t i = 0; i < doc.layerCount; ++i) {
            SPsdLayerInfo info;
            if (codec::succeeded(file.getLayerInfo(i, info))) {
                status = importPsdLayer(paper, file, doc, info, progress);
                if (status == CS_OK)
                    ++made;
            }
            stepProgress(progress);
        }
    }
    if (status != CS_OK)
        warnReadError(QStringLiteral("レイヤ"), status);

    if (paper.layerMngr().chkIndex(doc.activeLayer))
        EventLayerActive(paper, flow, doc.activeLayer, true);
    else if (paper.getLayerCount() > 0)
        EventLayerActive(paper, flow, std::clamp(paper.ActiveLayer(), 0, paper.getLayerCount() - 1),
                         true);
    paper.layerMngr().setTotalNum(doc.layerRunningNumber >= 1 ? doc.layerRunningNumber - 1
                                                              : doc.layerCount - 1);

    if (doc.colorChannels + doc.mergedAlpha < doc.totalChannels) {
        setFileProgressMessage(progress, QStringLiteral("チャンネル"), false);
        const uint8_t r = importPsdAlphaChannels(paper, file, doc, progress);
        if (r != CS_OK)
            warnReadError(QStringLiteral("マスク"), r);
    }
    CMaskMngr &masks = paper.maskMngr();
    if (!masks.hasMask()) {
        masks.insertMask(0);
        masks.setCurIndex(0);
        masks.resetTotalNum(0);
    } else {
        masks.resetTotalNum(masks.getMaskCount());
        const int32_t idx = masks.insertMask(masks.getMaskCount());
        masks.setCurIndex(idx >= 0 ? idx : 0);
    }
    eventMaskVisible(paper, true, false);
    eventMaskEnable(paper, true, false);
    UpdateVRAM(paper, false, false);
    eventBeginRecording(paper);
    return made > 0 ? uint8_t(CS_OK) : CS_PSD_NO_LAYER;
}

} // namespace

uint8_t loadPsdFile(CPsdFile &file, const QString &path, TPaper &paper)
{
    try {
        std::unique_ptr<IPaperProgress> progress = appOpenProgress(
            0, QStringLiteral("%1ロード中 (%2)").arg(QStringLiteral("画像"), fileNameOnly(path)),
            QString());
        return importDocument(file, path, paper, progress.get());
    } catch (...) {
        return CS_EXCEPTION;
    }
}

uint8_t loadPsdFile(const QString &path, TPaper &paper)
{
    try {
        if (!QFileInfo::exists(path))
            return CS_FILE_MISSING;
        std::unique_ptr<CPsdFile> file;
        if (!codec::succeeded(CPsdFile::open(&path, file)) || !file)
            return CS_PSD_NO_HANDLE;
        return loadPsdFile(*file, path, paper);
    } catch (...) {
        return CS_EXCEPTION;
    }
}

// ---- export

codec::CodecImage makePsdThumbnail(const TMTC &view)
{
    codec::CodecImage out;
    if (!view.isEnable())
        return out;
    const int32_t pw = view.width(), ph = view.height();
    // The largest size of the view's aspect inside 128 x 128.
    int32_t w = 128, h = 128;
    if (pw >= ph)
        h = std::max(1, int32_t(int64_t(ph) * 128 / pw));
    else
        w = std::max(1, int32_t(int64_t(pw) * 128 / ph));
    TMTC small(w, h);
    if (!small.isEnable())
        return out;
    view.FilterSmallenHQ(small);
    const int32_t w4 = (w + 3) / 4 * 4;
    if (!codec::succeeded(codec::makeDib(out, w4, h, 32, 0, 0)))
        return {};
    for (int32_t y = 0; y < h; ++y) {
        uint8_t *row = codec::dibRowFromTop(out, y);
        const auto *src = static_cast<const sBGRA *>(small.seek(0, y));
        for (int32_t x = 0; x < w4; ++x, row += 4) {
            if (x >= w) {
                row[0] = row[1] = row[2] = row[3] = 255;
                continue;
            }
            // On white.
            const uint32_t a = byteOf(src[x], 3);
            for (int k = 0; k < 3; ++k)
                row[k] = uint8_t((byteOf(src[x], k) * a + 255 * (255 - a) + 127) / 255);
            row[3] = 255;
        }
    }
    return out;
}

namespace {

class CPsdExportContext : public codec::SPsdWriteCallbacks
{
  public:
    CPsdExportContext(TPaper &paper, const SPsdDocInfo &doc, const TMTC &picture,
                      codec::CodecImage thumb, IPaperProgress *progress)
        : m_paper(paper), m_doc(doc), m_picture(picture), m_thumb(std::move(thumb)),
          m_progress(progress)
    {
    }

    bool layerRecord(SPsdLayerInfo &info) override
    {
        const CLayerData *ld = m_paper.getLayerData(info.index);
        if (!ld || !ld->imageTC)
            return false;
        info.layerId = ld->uniqueID + 1;
        info.channels = 4;
        const sRect r = ld->getLayerRect();
        info.left = r.x0;
        info.top = r.y0;
        info.right = r.x1;
        info.bottom = r.y1;
        info.mode = uint16_t(ld->mode);
        info.key = {};
        info.opacity = ld->trans;
        info.clipping = ld->getUnderLyrClip() ? 1 : 0;
        info.flags = codec::kPsdFlagBit4Valid | (ld->visible ? 0 : codec::kPsdFlagHidden) |
                     (ld->maskProtected ? codec::kPsdFlagProtected : 0);
        if (ld->ditherEnable) {
            info.opacity = ld->dither;
            info.key = {'d', 'i', 's', 's'};
        }
        QString title = ld->title.left(255);
        if (title.size() == 255 && title.back().isHighSurrogate())
            title.chop(1);
        info.setName(title);
        info.wideName = title;
        return true;
    }

    bool channelId(int32_t layerIndex, int32_t channelNumber, int32_t &id) override
    {
        if (!m_paper.layerMngr().chkIndex(layerIndex) || channelNumber < 0 || channelNumber > 3)
            return false;
        id = channelNumber - 1; // transparency first
        return true;
    }

    bool alphaChannelRecord(codec::SPsdAlphaInfo &info) override
    {
        int32_t k = info.channelNumber - m_doc.colorChannels;
        info.display = -1;
        if (m_doc.mergedAlpha) {
            if (k == 0) {
                info.name = info.wideName = QStringLiteral("透明部分");
                return true;
            }
            --k;
        }
        const CMaskData *md = m_paper.maskMngr().getMask(k);
        if (k < 0 || !md)
            return false;
        info.name = info.wideName = md->title;
        return true;
    }

    void spread(int32_t count, const std::function<void(int32_t, int32_t)> &body) override
    {
        parallelRanges(count, 1, body);
    }

    bool layerChannelData(SPsdChannelData &data) override
    {
        CLayerData *ld = m_paper.getLayerData(data.layerIndex);
        const int32_t byte = psdChannelToByte(data.channelId);
        if (!ld || !ld->imageTC || byte < 0)
            return false;
        const CBlockVMTC &img = *ld->imageTC;
        if (data.channelNumber == 0)
            setFileProgressMessage(m_progress, ld->title, true);
        if (data.boxW != img.width() || data.boxH != img.height())
            return false;
        const size_t bytes = size_t(data.boxW) * size_t(data.boxH);
        if (data.buffer.size() < bytes)
            data.buffer.resize(bytes);
        // Rows only read the layer: any number of them at once.
        parallelRanges(data.boxH, 16, [&](int32_t begin, int32_t end) {
            for (int32_t y = begin; y < end; ++y)
                readLayerRowByte(img, y, 0, data.boxW, byte,
                                 data.buffer.data() + size_t(y) * size_t(data.boxW));
        });
        data.dataBytes = uint32_t(bytes);
        if (data.channelId == 0)
            stepProgress(m_progress);
        if (data.channelNumber == 3)
            ld->imageTC->shrinkMemory();
        return true;
    }

    bool documentChannelData(SPsdChannelData &data) override
    {
        const int32_t w = m_doc.width, h = m_doc.height;
        const size_t plane = size_t(w) * size_t(h);
        data.buffer.assign(plane, 0);
        data.dataBytes = uint32_t(plane);
        if (data.channelNumber < m_doc.colorChannels + m_doc.mergedAlpha) {
            const int32_t byte = psdChannelToByte(data.channelId);
            const TMTC &view = m_picture;
            if (byte < 0 || view.width() < w || view.height() < h)
                return false;
            parallelRanges(h, 16, [&](int32_t begin, int32_t end) {
                for (int32_t y = begin; y < end; ++y) {
                    const auto *src = static_cast<const sBGRA *>(view.seek(0, y));
                    uint8_t *dst = data.buffer.data() + size_t(y) * size_t(w);
                    for (int32_t x = 0; x < w; ++x)
                        dst[x] = byteOf(src[x], byte);
                }
            });
            return true;
        }
        const int32_t k = data.channelNumber - m_doc.colorChannels - m_doc.mergedAlpha;
        const CMaskData *md = m_paper.maskMngr().getMask(k);
        if (!md)
            return false;
        setFileProgressMessage(m_progress, md->title, true);
        if (md->maskTC) {
            const CBlockImage &img = *md->maskTC;
            // Mask pixel (mx, my) lies at document position (mx - viewPos.x, my - viewPos.y).
            for (int32_t y = 0; y < h; ++y) {
                const int32_t my = y + md->viewPos.y;
                if (my < 0 || my >= img.height())
                    continue;
                const int32_t x0 = std::max(0, -md->viewPos.x);
                const int32_t x1 = std::min(w, img.width() - md->viewPos.x);
                for (int32_t x = x0; x < x1; ++x)
                    data.buffer[size_t(y) * size_t(w) + size_t(x)] =
                        uint8_t(std::max(0, md->getMaskValue(x, y)));
            }
        }
        stepProgress(m_progress);
        return true;
    }

    bool thumbnail(codec::BitmapInfoHeader &info, std::vector<uint8_t> &bits) override
    {
        if (m_thumb.bits.empty())
            return false;
        info = m_thumb.info;
        bits = m_thumb.bits;
        return true;
    }

    bool userBreak() override { return false; }

  private:
    TPaper &m_paper;
    const SPsdDocInfo &m_doc;
    const TMTC &m_picture;
    codec::CodecImage m_thumb;
    IPaperProgress *m_progress;
};

} // namespace

uint8_t savePsdFile(const QString &path, TPaper &paper, int32_t version, bool overwrite)
{
    try {
        if (!overwrite && QFileInfo::exists(path))
            return CS_PSD_FILE_EXISTS;
        const CMaskMngr &masks = paper.maskMngr();
        const int32_t lastImage = masks.findLastIndexMaskImage();
        // A file takes 24 channels: masks past the 21st would be lost, so nothing is written.
        if (lastImage + 1 > kPsdMaxMaskChannels)
            return CS_PSD_PARAM;
        std::unique_ptr<CPsdFile> file;
        if (!codec::succeeded(CPsdFile::open(nullptr, file)) || !file)
            return CS_PSD_NO_HANDLE;
        const int steps = paper.getLayerCount() + (lastImage >= 0 ? masks.getMaskCount() : 0);
        std::unique_ptr<IPaperProgress> progress = appOpenProgress(
            steps, QStringLiteral("%1保存中 (%2)").arg(QStringLiteral("画像"), fileNameOnly(path)),
            QString());
        const bool dirty = paper.isVramDirty();
        // Without a picture the merged channels cannot be given and the write fails there.
        TMTC picture;
        composeOutsidePicture(paper, picture);
        codec::CodecImage thumb = makePsdThumbnail(picture);
        // While the canvas colour is hidden the merged image keeps the composite's transparency
        // in the channel after the colours, unless the masks need every channel a file takes.
        const bool mergedAlpha = !paper.bVisCanvasCol && lastImage + 1 < kPsdMaxMaskChannels;

        SPsdDocInfo doc;
        doc.bitsPerPixel = 24;
        doc.width = paper.m_paperSize.x;
        doc.height = paper.m_paperSize.y;
        doc.dpiX = doc.dpiY = paper.m_paperDPI;
        doc.imageType = codec::kPsdImageColour;
        doc.colorChannels = 3;
        doc.totalChannels = 3 + (mergedAlpha ? 1 : 0) + (lastImage + 1);
        doc.layerCount = paper.getLayerCount();
        doc.activeLayer = paper.ActiveLayer();
        doc.layerRunningNumber = paper.layerMngr().getTotalNum() + 1;
        doc.mergedAlpha = mergedAlpha ? 1 : 0;
        doc.alphaPresent = doc.alphaPresent2 = doc.totalChannels > doc.colorChannels ? 255 : 0;

        CPsdExportContext ctx(paper, doc, picture, std::move(thumb), progress.get());
        uint8_t status = psdErrorToStatus(uint8_t(file->setDocInfo(doc)));
        if (status == CS_OK)
            status = psdErrorToStatus(uint8_t(file->setVersion(version)));
        if (status == CS_OK)
            status = psdErrorToStatus(uint8_t(file->write(path, ctx)));
        if (dirty)
            paper.drawOptionalImage();
        return status;
    } catch (...) {
        return CS_EXCEPTION;
    }
}
