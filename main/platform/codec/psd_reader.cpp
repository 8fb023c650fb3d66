// Opening a PSD file: every section, record, length, count and offset is checked against the file
// here, once, so that the getters below only decode what is known to lie inside it.
#include "platform/codec/codec_file.h"
#include "platform/codec/psd_internal.h"

#include <zlib.h>

#include <QFile>
#include <QStringDecoder>

#include <algorithm>
#include <cstring>

namespace codec {

namespace {

// Big-endian reads inside [pos, end); a read past end sets ok to false and gives zeros.
struct Cursor
{
    const uint8_t *base = nullptr;
    int64_t pos = 0;
    int64_t end = 0;
    bool ok = true;

    bool need(int64_t n)
    {
        if (!ok || n < 0 || n > end - pos)
            ok = false;
        return ok;
    }
    uint32_t be(int n)
    {
        if (!need(n))
            return 0;
        uint32_t v = 0;
        for (int i = 0; i < n; ++i)
            v = v << 8 | base[pos + i];
        pos += n;
        return v;
    }
    uint8_t u8() { return uint8_t(be(1)); }
    uint16_t u16() { return uint16_t(be(2)); }
    int16_t i16() { return int16_t(be(2)); }
    uint32_t u32() { return be(4); }
    int32_t i32() { return int32_t(be(4)); }
    bool skip(int64_t n)
    {
        if (!need(n))
            return false;
        pos += n;
        return true;
    }
    std::span<const uint8_t> bytes(int64_t n)
    {
        if (!need(n))
            return {};
        std::span<const uint8_t> s(base + pos, size_t(n));
        pos += n;
        return s;
    }
};

constexpr uint32_t fourCC(const char (&s)[5])
{
    return uint32_t(uint8_t(s[0])) << 24 | uint32_t(uint8_t(s[1])) << 16 |
           uint32_t(uint8_t(s[2])) << 8 | uint32_t(uint8_t(s[3]));
}

// A section of a file: its 32-bit length and what follows, which must lie inside the outer cursor.
bool subSection(Cursor &outer, Cursor &inner)
{
    const uint32_t len = outer.u32();
    if (!outer.need(len))
        return false;
    inner = Cursor{outer.base, outer.pos, outer.pos + int64_t(len), true};
    outer.pos += len;
    return true;
}

int32_t colorChannelsOf(int32_t mode, int32_t channels)
{
    switch (mode) {
    case 3: // RGB
    case 9: // Lab
        return 3;
    case 4: // CMYK
        return 4;
    case 7: // multichannel
        return channels;
    default:
        return 1;
    }
}

int32_t imageTypeOf(int32_t mode)
{
    switch (mode) {
    case 0:
        return kPsdImageBitmap;
    case 1:
        return kPsdImageGrey;
    case 3:
        return kPsdImageColour;
    default:
        return kPsdImageOther + mode;
    }
}

int64_t rowBytesOf(int64_t w, int32_t depth) { return (w * depth + 7) / 8; }

// The fewest packed bytes a row of rowBytes bytes can take (a run of 128 in two bytes).
int64_t minPackedRow(int64_t rowBytes) { return rowBytes == 0 ? 0 : 2 * ((rowBytes + 127) / 128); }

// Checks the RLE row counts of rows rows at c (counts then data), which must fill exactly
// dataLen bytes (or fit in them when exact is false); fills rowStarts (absolute offsets) when given.
CodecStatus checkRleRows(Cursor c, int64_t rows, int64_t rowBytes, int64_t dataLen, bool exact,
                         std::vector<int64_t> *rowStarts)
{
    if (!c.need(rows * 2))
        return CodecStatus::FileRead;
    int64_t at = c.pos + rows * 2;
    int64_t sum = 0;
    if (rowStarts)
        rowStarts->reserve(size_t(rows) + 1);
    for (int64_t r = 0; r < rows; ++r) {
        const int64_t n = c.u16();
        if (n < minPackedRow(rowBytes))
            return CodecStatus::FileRead;
        if (rowStarts)
            rowStarts->push_back(at + sum);
        sum += n;
    }
    if (rowStarts)
        rowStarts->push_back(at + sum);
    const int64_t avail = dataLen - rows * 2;
    if (exact ? sum != avail : sum > avail)
        return CodecStatus::FileRead;
    return CodecStatus::Nothing;
}

// zlib cannot expand data more than about 1032 times: a ZIP channel that claims more is refused
// before anything is reserved for it.
bool zipCanHold(int64_t stored, int64_t unpacked) { return unpacked <= stored * 1032 + 1024; }

// Checks one layer channel's data against its box.
CodecStatus checkChannel(const uint8_t *base, const SPsdChannelRef &ch, int32_t depth)
{
    const int64_t rowBytes = rowBytesOf(ch.boxW, depth);
    const int64_t rows = ch.boxH;
    if (ch.length == 0)
        return CodecStatus::Nothing; // nothing stored: the channel reads as Extract
    if (ch.length < 2)
        return CodecStatus::FileRead;
    Cursor c{base, ch.offset, ch.offset + ch.length, true};
    const uint16_t comp = c.u16();
    switch (comp) {
    case 0:
        return ch.length - 2 >= rowBytes * rows ? CodecStatus::Nothing : CodecStatus::FileRead;
    case 1:
        if (rowBytes * rows == 0)
            return CodecStatus::Nothing;
        return checkRleRows(c, rows, rowBytes, ch.length - 2, true, nullptr);
    case 2:
    case 3:
        return zipCanHold(ch.length - 2, rowBytes * rows) ? CodecStatus::Nothing
                                                          : CodecStatus::FileRead;
    default:
        return CodecStatus::Failed;
    }
}

struct SSection
{
    int32_t type = 0; // 0 none or other, 1 open folder, 2 closed folder, 3 end of a folder
};

// The additional information blocks of a layer record.
void readLayerExtras(Cursor c, SPsdLayerInfo &info, SSection &section, CodecStatus &status)
{
    while (c.end - c.pos >= 12) {
        const uint32_t sig = c.u32();
        if (sig != fourCC("8BIM") && sig != fourCC("8B64")) {
            status = CodecStatus::Failed;
            return;
        }
        const uint32_t key = c.u32();
        const uint32_t len = c.u32();
        if (!c.need(len)) {
            status = CodecStatus::FileRead;
            return;
        }
        Cursor d{c.base, c.pos, c.pos + int64_t(len), true};
        if (key == fourCC("luni") && len >= 4) {
            const uint32_t n = d.u32();
            if (!d.need(int64_t(n) * 2)) {
                status = CodecStatus::FileRead;
                return;
            }
            QString s;
            s.reserve(int(n));
            for (uint32_t i = 0; i < n; ++i)
                s.append(QChar(char16_t(d.u16())));
            while (!s.isEmpty() && s.back() == QChar(0))
                s.chop(1);
            info.wideName = s;
        } else if (key == fourCC("lyid") && len >= 4) {
            info.layerId = d.i32();
        } else if ((key == fourCC("lsct") || key == fourCC("lsdk")) && len >= 4) {
            const uint32_t t = d.u32();
            section.type = t <= 3 ? int32_t(t) : 0;
        }
        c.pos += len;
        // Blocks are padded to an even length by most writers, to four by some; a pad byte the
        // length does not count is skipped when it is there.
        if ((len & 1) && c.pos < c.end && c.base[c.pos] == 0)
            ++c.pos;
    }
}

// One layer record at c; the channel lengths go to ref.channels (offsets filled later).
CodecStatus readLayerRecord(Cursor &c, SPsdLayerRef &ref, SSection &section)
{
    SPsdLayerInfo &info = ref.info;
    const int64_t top = c.i32(), left = c.i32(), bottom = c.i32(), right = c.i32();
    const uint16_t nch = c.u16();
    if (!c.ok)
        return CodecStatus::FileRead;
    if (bottom < top || right < left || bottom - top > kPsdMaxLayerSide ||
        right - left > kPsdMaxLayerSide || nch > 56)
        return CodecStatus::Failed;
    info.left = int32_t(left);
    info.top = int32_t(top);
    info.right = int32_t(right);
    info.bottom = int32_t(bottom);
    info.channels = nch;
    for (uint16_t i = 0; i < nch; ++i) {
        SPsdChannelRef ch;
        ch.id = c.i16();
        ch.length = c.u32();
        ch.boxX = info.left;
        ch.boxY = info.top;
        ch.boxW = int32_t(right - left);
        ch.boxH = int32_t(bottom - top);
        ref.channels.push_back(ch);
    }
    const uint32_t sig = c.u32();
    std::array<char, 4> key;
    for (char &k : key)
        k = char(c.u8());
    info.opacity = c.u8();
    info.clipping = c.u8() != 0 ? 1 : 0;
    info.flags = c.u8();
    c.u8(); // filler
    if (!c.ok)
        return CodecStatus::FileRead;
    if (sig != fourCC("8BIM"))
        return CodecStatus::Failed;
    info.mode = psdModeOfBlendKey(key);
    // The key as it is meant: a byte-reversed one turned round.
    const std::array<char, 4> meant = psdBlendKeyOfMode(info.mode);
    std::array<char, 4> reversed = {key[3], key[2], key[1], key[0]};
    info.key = (reversed == meant && key != meant) ? meant : key;

    Cursor extra;
    if (!subSection(c, extra))
        return CodecStatus::FileRead;
    Cursor mask;
    if (!subSection(extra, mask))
        return CodecStatus::FileRead;
    if (mask.end - mask.pos >= 16) {
        const int64_t mt = mask.i32(), ml = mask.i32(), mb = mask.i32(), mr = mask.i32();
        if (mb < mt || mr < ml || mb - mt > kPsdMaxLayerSide || mr - ml > kPsdMaxLayerSide)
            return CodecStatus::Failed;
        for (SPsdChannelRef &ch : ref.channels) {
            if (ch.id < kPsdTransparency) {
                ch.boxX = int32_t(ml);
                ch.boxY = int32_t(mt);
                ch.boxW = int32_t(mr - ml);
                ch.boxH = int32_t(mb - mt);
            }
        }
    }
    Cursor ranges;
    if (!subSection(extra, ranges))
        return CodecStatus::FileRead;
    const uint8_t nameLen = extra.u8();
    const std::span<const uint8_t> name = extra.bytes(nameLen);
    if (!extra.ok)
        return CodecStatus::FileRead;
    info.setName(psdDecodeName(name));
    // The name is padded to a multiple of four with its length byte; a writer that padded less
    // leaves the extras right after it.
    const int64_t padded = (int64_t(nameLen) + 1 + 3) / 4 * 4 - (int64_t(nameLen) + 1);
    if (extra.end - extra.pos >= padded)
        extra.pos += padded;
    CodecStatus status = CodecStatus::Nothing;
    readLayerExtras(extra, info, section, status);
    // The Unicode name, when there is one, is the name.
    if (info.wideName)
        info.setName(*info.wideName);
    return status;
}

void applyFolders(std::vector<SPsdLayerRef> &refs, std::vector<SSection> &sections)
{
    // Records run from the bottom up: a folder's end marker (3) below its members, the folder
    // record (1, 2) above them. Walking down from the top, a folder opens at its record.
    std::vector<bool> hidden{false};
    for (size_t k = refs.size(); k-- > 0;) {
        const int32_t t = sections[k].type;
        if (t == 1 || t == 2) {
            hidden.push_back(hidden.back() || (refs[k].info.flags & kPsdFlagHidden));
        } else if (t == 3) {
            if (hidden.size() > 1)
                hidden.pop_back();
        } else if (hidden.back()) {
            refs[k].info.flags |= kPsdFlagHidden;
        }
    }
}

CodecStatus readLayerInfo(Cursor li, CPsdFile::Impl &d, std::vector<int32_t> &flatOfRecord)
{
    if (li.end == li.pos)
        return CodecStatus::Nothing;
    int32_t count = li.i16();
    if (!li.ok)
        return CodecStatus::FileRead;
    if (count < 0) {
        count = -count;
        d.doc.mergedAlpha = 1;
    }
    std::vector<SPsdLayerRef> refs(static_cast<size_t>(count));
    std::vector<SSection> sections(static_cast<size_t>(count));
    for (int32_t i = 0; i < count; ++i)
        if (CodecStatus s = readLayerRecord(li, refs[size_t(i)], sections[size_t(i)]);
            !succeeded(s))
            return s;
    // The channel data follow the records, layer by layer, channel by channel.
    for (SPsdLayerRef &ref : refs) {
        for (SPsdChannelRef &ch : ref.channels) {
            ch.offset = li.pos;
            if (!li.skip(ch.length))
                return CodecStatus::FileRead;
            if (CodecStatus s = checkChannel(li.base, ch, d.depth); !succeeded(s))
                return s;
        }
    }
    applyFolders(refs, sections);
    flatOfRecord.assign(size_t(count), -1);
    for (int32_t i = 0; i < count; ++i) {
        if (sections[size_t(i)].type != 0)
            continue;
        SPsdLayerRef &ref = refs[size_t(i)];
        ref.info.index = int32_t(d.layers.size());
        flatOfRecord[size_t(i)] = ref.info.index;
        d.doc.layerRunningNumber = std::max(int32_t(d.doc.layerRunningNumber), ref.info.layerId);
        d.layers.push_back(std::move(ref));
    }
    return CodecStatus::Nothing;
}

CodecStatus readResources(Cursor r, CPsdFile::Impl &d)
{
    while (r.pos < r.end) {
        r.u32(); // signature: "8BIM" and a few others, all laid out alike
        const uint16_t id = r.u16();
        const uint8_t nameLen = r.u8();
        r.skip(nameLen + ((nameLen + 1) & 1));
        const uint32_t size = r.u32();
        if (!r.ok || !r.need(size))
            return CodecStatus::FileRead;
        d.resources.emplace(id, std::make_pair(r.pos, int64_t(size)));
        r.pos += size;
        if ((size & 1) && r.pos < r.end)
            ++r.pos;
    }
    return CodecStatus::Nothing;
}

CodecStatus checkMerged(Cursor c, CPsdFile::Impl &d)
{
    d.mergedOffset = c.pos;
    d.mergedEnd = c.end;
    const uint16_t comp = c.u16();
    if (!c.ok)
        return CodecStatus::FileRead;
    const int64_t rowBytes = rowBytesOf(d.doc.width, d.depth);
    const int64_t rows = int64_t(d.doc.totalChannels) * d.doc.height;
    switch (comp) {
    case 0:
        return c.need(rowBytes * rows) ? CodecStatus::Nothing : CodecStatus::FileRead;
    case 1:
        return checkRleRows(c, rows, rowBytes, c.end - c.pos, false, &d.mergedRows);
    case 2:
    case 3:
        return zipCanHold(c.end - c.pos, rowBytes * rows) ? CodecStatus::Nothing
                                                          : CodecStatus::FileRead;
    default:
        return CodecStatus::Failed;
    }
}

uint16_t be16(const uint8_t *p) { return uint16_t(p[0] << 8 | p[1]); }
uint32_t be32(const uint8_t *p) { return uint32_t(be16(p)) << 16 | be16(p + 2); }

// Inflates exactly dst.size() bytes from src.
bool inflateExactly(std::span<const uint8_t> src, std::span<uint8_t> dst)
{
    z_stream z{};
    if (inflateInit(&z) != Z_OK)
        return false;
    z.next_in = const_cast<Bytef *>(src.data());
    z.avail_in = uInt(src.size());
    z.next_out = dst.data();
    z.avail_out = uInt(dst.size());
    const int r = inflate(&z, Z_FINISH);
    const bool ok = (r == Z_STREAM_END || (r == Z_BUF_ERROR && z.avail_out == 0)) &&
                    z.avail_out == 0;
    inflateEnd(&z);
    return ok;
}

// Decodes rows x rowBytes bytes of one stored channel (compression word first) into dst.
CodecStatus decodeStored(const uint8_t *base, int64_t offset, int64_t length, int64_t rows,
                         int64_t rowBytes, int32_t depth, std::span<uint8_t> dst)
{
    if (length < 2)
        return CodecStatus::Extract;
    const uint8_t *p = base + offset;
    const uint16_t comp = be16(p);
    const std::span<const uint8_t> data(p + 2, size_t(length - 2));
    switch (comp) {
    case 0:
        std::memcpy(dst.data(), data.data(), dst.size());
        return CodecStatus::Nothing;
    case 1: {
        const uint8_t *counts = data.data();
        size_t at = size_t(rows) * 2;
        for (int64_t r = 0; r < rows; ++r) {
            const size_t n = be16(counts + r * 2);
            if (!psdUnpackBits(data.subspan(at, n), dst.subspan(size_t(r * rowBytes), size_t(rowBytes))))
                return CodecStatus::Extract;
            at += n;
        }
        return CodecStatus::Nothing;
    }
    case 2:
    case 3:
        if (!inflateExactly(data, dst))
            return CodecStatus::Extract;
        if (comp == 3) {
            if (depth != 8)
                return CodecStatus::ColorMode;
            for (int64_t r = 0; r < rows; ++r) {
                uint8_t *row = dst.data() + r * rowBytes;
                for (int64_t x = 1; x < rowBytes; ++x)
                    row[x] = uint8_t(row[x] + row[x - 1]);
            }
        }
        return CodecStatus::Nothing;
    default:
        return CodecStatus::Extract;
    }
}

bool sizeBuffer(SPsdChannelData &data, int64_t bytes)
{
    if (bytes > int64_t(data.buffer.size())) {
        try {
            data.buffer.resize(size_t(bytes));
        } catch (const std::bad_alloc &) {
            return false;
        }
    }
    data.dataBytes = uint32_t(bytes);
    return true;
}

} // namespace

QString psdDecodeName(std::span<const uint8_t> bytes)
{
    const QByteArrayView v(reinterpret_cast<const char *>(bytes.data()), qsizetype(bytes.size()));
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString s = utf8.decode(v);
    if (!utf8.hasError())
        return s;
    QStringDecoder sjis("Shift_JIS");
    return sjis.isValid() ? QString(sjis.decode(v)) : QString::fromLatin1(v);
}

CodecStatus CPsdFile::Impl::parse()
{
    const auto *base = reinterpret_cast<const uint8_t *>(file.constData());
    Cursor c{base, 0, file.size(), true};
    if (file.size() < 4 || std::memcmp(base, "8BPS", 4) != 0)
        return CodecStatus::Failed;
    c.pos = 4;
    const uint16_t ver = c.u16();
    c.skip(6);
    const uint16_t channels = c.u16();
    const uint32_t height = c.u32();
    const uint32_t width = c.u32();
    depth = c.u16();
    colorMode = c.u16();
    if (!c.ok)
        return CodecStatus::FileRead;
    if (ver == 2)
        return CodecStatus::NoSupport;
    if (ver != 1 || channels < 1 || channels > 56)
        return CodecStatus::Failed;
    if (depth != 1 && depth != 8 && depth != 16 && depth != 32)
        return CodecStatus::Failed;
    if ((colorMode == 0) != (depth == 1) || colorMode > 9 || colorMode == 5 || colorMode == 6)
        return CodecStatus::Failed;
    if (width < 1 || height < 1 || width > uint32_t(kCodecMaxSide) ||
        height > uint32_t(kCodecMaxSide))
        return CodecStatus::Range;
    doc = SPsdDocInfo{};
    doc.width = int32_t(width);
    doc.height = int32_t(height);
    doc.colorChannels = std::min<int32_t>(colorChannelsOf(colorMode, channels), channels);
    doc.bitsPerPixel = depth * doc.colorChannels;
    doc.imageType = imageTypeOf(colorMode);
    doc.totalChannels = channels;
    doc.activeLayer = -1;

    Cursor modeData, res, layerMask;
    if (!subSection(c, modeData) || !subSection(c, res) || !subSection(c, layerMask))
        return CodecStatus::FileRead;
    if (CodecStatus s = readResources(res, *this); !succeeded(s))
        return s;
    std::vector<int32_t> flatOfRecord;
    if (layerMask.end > layerMask.pos) {
        Cursor li;
        if (!subSection(layerMask, li))
            return CodecStatus::FileRead;
        if (CodecStatus s = readLayerInfo(li, *this, flatOfRecord); !succeeded(s))
            return s;
    }
    if (CodecStatus s = checkMerged(c, *this); !succeeded(s))
        return s;

    doc.layerCount = int32_t(layers.size());
    doc.alphaPresent = doc.alphaPresent2 = doc.totalChannels > doc.colorChannels ? 255 : 0;
    doc.dpiX = doc.dpiY = 72;
    uint8_t buf[16];
    if (resource(1005, {}) == 16 && resource(1005, buf) == 16) {
        const int32_t dx = int32_t((uint64_t(be32(buf)) + 0x8000) >> 16);
        const int32_t dy = int32_t((uint64_t(be32(buf + 8)) + 0x8000) >> 16);
        if (dx > 0)
            doc.dpiX = dx;
        doc.dpiY = dy > 0 ? dy : int32_t(doc.dpiX); // a copy: the record is packed
    }
    uint8_t target[2];
    if (resource(1024, {}) == 2 && resource(1024, target) == 2) {
        const uint16_t rec = be16(target);
        if (rec < flatOfRecord.size())
            doc.activeLayer = flatOfRecord[rec];
    }
    readable = true;
    return CodecStatus::Nothing;
}

CodecStatus CPsdFile::openBytes(QByteArray bytes, std::unique_ptr<CPsdFile> &out)
{
    out.reset();
    std::unique_ptr<CPsdFile> f(new CPsdFile);
    f->d->file = std::move(bytes);
    try {
        if (CodecStatus s = f->d->parse(); !succeeded(s))
            return s;
    } catch (const std::bad_alloc &) {
        return CodecStatus::NoMemory;
    }
    out = std::move(f);
    return CodecStatus::Nothing;
}

CodecStatus CPsdFile::open(const QString *path, std::unique_ptr<CPsdFile> &out)
{
    out.reset();
    if (!path) {
        out.reset(new CPsdFile);
        return CodecStatus::Nothing;
    }
    QFile file;
    if (CodecStatus s = openForReading(*path, file); !succeeded(s))
        return s;
    QByteArray bytes = file.readAll();
    if (bytes.size() != file.size())
        return CodecStatus::FileRead;
    return openBytes(std::move(bytes), out);
}

bool CPsdFile::isReadable() const { return d->readable; }

CodecStatus CPsdFile::getDocInfo(SPsdDocInfo &info) const
{
    if (!d->readable && !d->hasDocInfo)
        return CodecStatus::Handle;
    info = d->doc;
    return CodecStatus::Nothing;
}

uint32_t CPsdFile::Impl::resource(uint16_t id, std::span<uint8_t> buffer) const
{
    const auto it = resources.find(id);
    if (it == resources.end())
        return 0;
    const auto [offset, size] = it->second;
    if (!buffer.empty() && buffer.size() >= size_t(size))
        std::memcpy(buffer.data(), file.constData() + offset, size_t(size));
    return uint32_t(size);
}

uint32_t CPsdFile::getResource(uint16_t id, std::span<uint8_t> buffer) const
{
    return d->resource(id, buffer);
}

CodecStatus CPsdFile::getLayerInfo(int32_t index, SPsdLayerInfo &info) const
{
    if (!d->readable)
        return CodecStatus::Handle;
    if (index < 0 || index >= int32_t(d->layers.size()))
        return CodecStatus::Range;
    info = d->layers[size_t(index)].info;
    return CodecStatus::Nothing;
}

CodecStatus CPsdFile::getLayerChannel(SPsdChannelData &data) const
{
    if (!d->readable)
        return CodecStatus::Handle;
    if (data.layerIndex < 0 || data.layerIndex >= int32_t(d->layers.size()))
        return CodecStatus::Range;
    const SPsdLayerRef &ref = d->layers[size_t(data.layerIndex)];
    if (data.channelNumber < 0 || data.channelNumber >= int32_t(ref.channels.size()))
        return CodecStatus::Range;
    const SPsdChannelRef &ch = ref.channels[size_t(data.channelNumber)];
    data.channelId = ch.id;
    data.boxX = ch.boxX;
    data.boxY = ch.boxY;
    data.boxW = ch.boxW;
    data.boxH = ch.boxH;
    data.dataBytes = 0;
    if (!psdTypeIsReadable(d->doc))
        return CodecStatus::ColorMode;
    const int64_t bytes = int64_t(ch.boxW) * ch.boxH;
    if (bytes == 0)
        return CodecStatus::Nothing;
    if (!sizeBuffer(data, bytes))
        return CodecStatus::NoMemory;
    const auto *base = reinterpret_cast<const uint8_t *>(d->file.constData());
    const std::span<uint8_t> dst(data.buffer.data(), size_t(bytes));
    if (d->depth == 8) {
        const CodecStatus s = decodeStored(base, ch.offset, ch.length, ch.boxH, ch.boxW, 8, dst);
        if (!succeeded(s))
            data.dataBytes = 0;
        return s;
    }
    // Bits of a bitmap document's layer: handed out as grey bytes, a set bit black.
    const int64_t rowBytes = rowBytesOf(ch.boxW, 1);
    std::vector<uint8_t> bits(size_t(rowBytes * ch.boxH));
    const CodecStatus s = decodeStored(base, ch.offset, ch.length, ch.boxH, rowBytes, 1, bits);
    if (!succeeded(s)) {
        data.dataBytes = 0;
        return s;
    }
    for (int64_t y = 0; y < ch.boxH; ++y)
        for (int64_t x = 0; x < ch.boxW; ++x)
            dst[size_t(y * ch.boxW + x)] =
                (bits[size_t(y * rowBytes + x / 8)] >> (7 - x % 8)) & 1 ? 0 : 255;
    return CodecStatus::Nothing;
}

CodecStatus CPsdFile::getDocChannel(SPsdChannelData &data) const
{
    if (!d->readable)
        return CodecStatus::Handle;
    const SPsdDocInfo &doc = d->doc;
    if (data.channelNumber < 0 || data.channelNumber >= doc.totalChannels)
        return CodecStatus::Range;
    data.channelId = data.channelNumber < doc.colorChannels ? data.channelNumber : -1;
    data.boxX = data.boxY = 0;
    data.boxW = doc.width;
    data.boxH = doc.height;
    data.dataBytes = 0;
    if (!psdTypeIsReadable(doc))
        return CodecStatus::ColorMode;
    const int64_t rowBytes = rowBytesOf(doc.width, d->depth);
    const int64_t plane = rowBytes * doc.height;
    if (!sizeBuffer(data, plane))
        return CodecStatus::NoMemory;
    const auto *base = reinterpret_cast<const uint8_t *>(d->file.constData());
    const std::span<uint8_t> dst(data.buffer.data(), size_t(plane));
    const uint16_t comp = be16(base + d->mergedOffset);
    CodecStatus s = CodecStatus::Nothing;
    if (comp == 0) {
        std::memcpy(dst.data(), base + d->mergedOffset + 2 + plane * data.channelNumber,
                    size_t(plane));
    } else if (comp == 1) {
        const size_t first = size_t(data.channelNumber) * size_t(doc.height);
        for (int32_t r = 0; r < doc.height && succeeded(s); ++r) {
            const int64_t a = d->mergedRows[first + size_t(r)], b = d->mergedRows[first + size_t(r) + 1];
            if (!psdUnpackBits(std::span<const uint8_t>(base + a, size_t(b - a)),
                               dst.subspan(size_t(r * rowBytes), size_t(rowBytes))))
                s = CodecStatus::Extract;
        }
    } else {
        // One zlib stream holds every channel.
        std::vector<uint8_t> all;
        try {
            all.resize(size_t(plane) * size_t(doc.totalChannels));
        } catch (const std::bad_alloc &) {
            return CodecStatus::NoMemory;
        }
        s = decodeStored(base, d->mergedOffset, d->mergedEnd - d->mergedOffset,
                         int64_t(doc.height) * doc.totalChannels, rowBytes, d->depth, all);
        if (succeeded(s))
            std::memcpy(dst.data(), all.data() + plane * data.channelNumber, size_t(plane));
    }
    if (!succeeded(s))
        data.dataBytes = 0;
    return s;
}

void CPsdFile::freeBuffer(SPsdChannelData &data)
{
    data.buffer = {};
    data.dataBytes = 0;
}

} // namespace codec
