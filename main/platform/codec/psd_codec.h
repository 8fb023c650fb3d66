// PSD files (the public layered format, file version 1) read and written through a handle: the
// merged picture as a DIB, and the handle API the document's PSD bridge drives: open a file (or an
// empty handle for writing), ask for the document record, the layer records, each layer channel,
// the merged channels and image resources by id; or hand over a document record and write the file
// while pulling layers, channels, alpha channels and the thumbnail through callbacks.
//
// Reading: bitmap (1-bit), greyscale and RGB at 8 bits give channels; other colour modes and depths
// (16 and 32 bits among them) are opened and reported (bits per pixel, image type) but give no
// channel, layer picture or merged picture (ColorMode), so that a file gets one answer whichever
// way it is read. Channels may be raw, PackBits (RLE), ZIP or ZIP with prediction. Section
// dividers ("lsct"/"lsdk") are not handed out as layers; their members come flat, and members of a
// hidden folder come hidden. The one-byte names (layer names, resource 1006) are written in
// Shift_JIS, the code page of the program's text, beside their Unicode forms.
// Opening checks every section, record, length, count and offset against the file before anything
// is handed out: Failed for a file that is not a version-1 PSD or a malformed header, FileRead for a
// length, count or offset past its section or the file, Range for a document side outside
// 1..10000; channel data that do not decode answer Extract when they are asked for.
#pragma once

#include "platform/codec/dib.h"

#include <QByteArray>
#include <QString>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <vector>

class QIODevice;

namespace codec {

// The merged picture of the PSD file at path, as a 32-bit bottom-up DIB (alpha 255 unless the file
// keeps a merged transparency channel), with the file's resolution.
[[nodiscard]] CodecStatus psdGetImage(const QString &path, CodecImage &out);
// The same, with the document's width and height.
[[nodiscard]] CodecStatus psdGetImage(const QString &path, CodecImage &out, int32_t &docWidth,
                                      int32_t &docHeight);
[[nodiscard]] CodecStatus psdReadImage(const QByteArray &bytes, CodecImage &out);

// Values of SPsdDocInfo::imageType.
inline constexpr int32_t kPsdImageGrey = 0;
inline constexpr int32_t kPsdImageColour = 1;
inline constexpr int32_t kPsdImageBitmap = 3;
// Other colour modes are reported as this plus the file's colour mode number.
inline constexpr int32_t kPsdImageOther = 16;

// Channel ids of a layer.
inline constexpr int32_t kPsdUserMask = -2;
inline constexpr int32_t kPsdTransparency = -1;

// Layer record flags (the file's flag byte).
inline constexpr uint8_t kPsdFlagProtected = 0x01;
inline constexpr uint8_t kPsdFlagHidden = 0x02;
inline constexpr uint8_t kPsdFlagBit4Valid = 0x08;
inline constexpr uint8_t kPsdFlagIrrelevant = 0x10;

// The largest number of channels a document written by us may have (3 colours + 21 masks).
inline constexpr int32_t kPsdMaxWriteChannels = 24;
// Layer sides read from a file are at most this (the format's own limit).
inline constexpr int32_t kPsdMaxLayerSide = 30000;

// The document record (52 bytes, little-endian, packed).
#pragma pack(push, 1)
struct SPsdDocInfo
{
    int32_t bitsPerPixel = 0;  // bits of the colour channels together (8 per channel: 24 for RGB)
    int32_t reserved0 = 0;
    int32_t width = 0;
    int32_t height = 0;
    int32_t dpiX = 0;
    int32_t dpiY = 0;
    int32_t imageType = 0;     // kPsdImage*
    int32_t colorChannels = 0; // 1 grey or bitmap, 3 RGB, ...
    int32_t totalChannels = 0; // colour, merged transparency and alpha channels
    int32_t layerCount = 0;    // layers handed out (section dividers left out)
    int32_t activeLayer = 0;   // the file's target layer, -1 when it names none
    int32_t layerRunningNumber = 0; // the largest layer id of the file (0: none)
    uint8_t mergedAlpha = 0;   // the first channel after the colours is the merged transparency
    uint8_t alphaPresent = 0;  // 255 when channels in all exceed the colour channels
    uint8_t alphaPresent2 = 0; // the same
    uint8_t reserved1 = 0;
};
#pragma pack(pop)
static_assert(sizeof(SPsdDocInfo) == 52 && std::is_trivially_copyable_v<SPsdDocInfo>);

// One layer record. The fields keep the places of the exchange record (offsets in the comments);
// the wide-name pointer of that record is the optional member at the end.
struct SPsdLayerInfo
{
    int32_t index = 0;          // 0: bottom
    int32_t layerId = -1;       // 4: "lyid", below 0 when the file has none
    int32_t channels = 0;       // 8
    int32_t left = 0;           // 12: rectangle on the canvas (right and bottom exclusive)
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
    uint16_t mode = 3;          // 28: blend mode as a layer-mode ordinal (3: standard)
    std::array<char, 4> key{};  // 30: the file's blend key ("norm"), byte-reversed keys turned
    uint8_t opacity = 255;      // 34
    uint8_t clipping = 0;       // 35: 1 clipped to the layer below
    uint8_t flags = 0;          // 36: kPsdFlag*
    uint16_t reserved37 = 0;    // 37
    uint8_t reserved39 = 0;     // 39
    uint8_t reserved57 = 0;     // 57
    uint8_t reserved58 = 0;     // 58
    std::array<char16_t, 256> name{}; // 63: up to 256 UTF-16 units, zero-terminated when shorter
    std::optional<QString> wideName;  // 575: the "luni" name; on writing, the name to keep whole

    QString nameText() const;
    void setName(const QString &text); // the first 256 units (a cut pair loses its high half)
};

// One channel's bytes: one byte per pixel, rows top-down (bitmap merged channels: (w + 7) / 8
// bytes of bits per row, the high bit first).
struct SPsdChannelData
{
    int32_t layerIndex = 0;    // 0
    int32_t channelNumber = 0; // 4: 0-based, in the layer or in the document
    int32_t channelId = 0;     // 8: -2 user mask, -1 transparency, 0 red (grey), 1 green, 2 blue
    int32_t reserved12 = 0;
    std::vector<uint8_t> buffer; // 16/20: the data; kept between calls and grown when too small
    uint32_t dataBytes = 0;      // 24
    int32_t boxX = 0;            // 28: the data's box on the canvas
    int32_t boxY = 0;
    int32_t boxW = 0;
    int32_t boxH = 0;
};

// One alpha channel of the document, as the writer asks for it.
struct SPsdAlphaInfo
{
    int32_t reserved0 = 0;
    int32_t channelNumber = 0; // 4: in the document
    int32_t display = 0;       // 8: -1 the usual display of an alpha channel
    QString name;              // 44: the pascal-string name (1006)
    QString wideName;          // 48: the Unicode name (1045)
};

// What the writer pulls while it writes. Each answers true, or false to end the writing with
// UserData.
class SPsdWriteCallbacks
{
  public:
    virtual ~SPsdWriteCallbacks() = default;
    // The record of layer info.index (everything but the index is to be filled).
    virtual bool layerRecord(SPsdLayerInfo &info) = 0;
    // The channel id of channel number channelNumber of layer layerIndex.
    virtual bool channelId(int32_t layerIndex, int32_t channelNumber, int32_t &id) = 0;
    // The names of the alpha channel info.channelNumber.
    virtual bool alphaChannelRecord(SPsdAlphaInfo &info) = 0;
    // The bytes of a layer channel: boxW x boxH, into buffer, dataBytes set.
    virtual bool layerChannelData(SPsdChannelData &data) = 0;
    // The bytes of a merged-image channel: width x height of the document.
    virtual bool documentChannelData(SPsdChannelData &data) = 0;
    // The thumbnail as a 24- or 32-bit DIB; false for none (the file then has no thumbnail).
    virtual bool thumbnail(BitmapInfoHeader &info, std::vector<uint8_t> &bits) = 0;
    // Runs body(begin, end) over ranges covering [0, count) that may run at once on other threads
    // (the writer packs bands of rows through it, each into its own bytes): here on this thread.
    virtual void spread(int32_t count, const std::function<void(int32_t, int32_t)> &body)
    {
        if (count > 0)
            body(0, count);
    }
    // Asked between layers; true ends the writing with UserBreak.
    virtual bool userBreak() = 0;
};

// The blend key of a layer-mode ordinal; "norm" for an unknown ordinal.
std::array<char, 4> psdBlendKeyOfMode(uint16_t mode);
// The layer-mode ordinal of a blend key (byte-reversed keys read as their key); 3 (standard) for
// any other key.
uint16_t psdModeOfBlendKey(const std::array<char, 4> &key);

// The documents whose pixels are read: grey or RGB at 8 bits per channel, or a 1-bit bitmap.
bool psdTypeIsReadable(const SPsdDocInfo &doc);

// A handle on one PSD document: opened from a file (reading) or empty (writing).
class CPsdFile
{
  public:
    ~CPsdFile();
    CPsdFile(const CPsdFile &) = delete;
    CPsdFile &operator=(const CPsdFile &) = delete;

    // Opens the file at path for reading (see the top of this file for the codes), or with
    // nullptr makes an empty handle for writing.
    [[nodiscard]] static CodecStatus open(const QString *path, std::unique_ptr<CPsdFile> &out);
    // Opens a file held in memory.
    [[nodiscard]] static CodecStatus openBytes(QByteArray bytes, std::unique_ptr<CPsdFile> &out);

    // The handle holds a readable document.
    bool isReadable() const;
    [[nodiscard]] CodecStatus getDocInfo(SPsdDocInfo &info) const;
    // Copies the resource with id into buffer when it is large enough and answers the resource's
    // size; 0 when there is no such resource. An empty buffer only asks the size.
    uint32_t getResource(uint16_t id, std::span<uint8_t> buffer) const;
    // The record of layer index (bottom = 0): Range for an index out of range.
    [[nodiscard]] CodecStatus getLayerInfo(int32_t index, SPsdLayerInfo &info) const;
    // Channel data.channelNumber of layer data.layerIndex: its id, box and bytes. Range for a
    // layer or channel number out of range, ColorMode for a document that is not readable
    // (psdTypeIsReadable), Extract for data that do not decode to the channel's size. A bitmap
    // document's bits come as bytes, 0 for a set (black) bit and 255 for a clear one.
    [[nodiscard]] CodecStatus getLayerChannel(SPsdChannelData &data) const;
    // Channel data.channelNumber of the merged image, box the whole document.
    [[nodiscard]] CodecStatus getDocChannel(SPsdChannelData &data) const;
    // Releases the buffer a channel call filled.
    static void freeBuffer(SPsdChannelData &data);

    // Writing: the document record (Param for sizes outside 1..10000 or channels outside
    // 3..24), then the version of the program the file is for (Param outside 3..7).
    [[nodiscard]] CodecStatus setDocInfo(const SPsdDocInfo &info);
    [[nodiscard]] CodecStatus setVersion(int32_t version);
    // Builds the whole file through the callbacks, then writes it through a temporary file that
    // replaces path only when complete. Setup without a document record, UserData when a callback
    // answers false, UserBreak, FileOpen or FileWrite.
    [[nodiscard]] CodecStatus write(const QString &path, SPsdWriteCallbacks &callbacks);
    // The same into memory.
    [[nodiscard]] CodecStatus writeBytes(QByteArray &out, SPsdWriteCallbacks &callbacks);

    struct Impl;

  private:
    CPsdFile();
    std::unique_ptr<Impl> d;
};

// The pixels of layer index over its rectangle as a 32-bit bottom-up DIB: transparency, red, green
// and blue from their channels (the one colour channel of a grey or bitmap document in all three),
// alpha 255 without a transparency channel. ColorMode for a document that is not readable (above),
// NoData for an empty rectangle, else the first failure of a channel.
[[nodiscard]] CodecStatus psdGetLayerImage(const CPsdFile &file, int32_t index, CodecImage &out);

// A pascal-string name: UTF-8 when the bytes are valid UTF-8, else Shift_JIS (the code page names
// are written in).
QString psdDecodeName(std::span<const uint8_t> bytes);

// PackBits, as the format keeps its RLE rows. Decoding fills exactly dst.size() bytes from exactly
// src.size() bytes: false when the data end early, run past dst or leave bytes over.
[[nodiscard]] bool psdUnpackBits(std::span<const uint8_t> src, std::span<uint8_t> dst);
// Appends the packed form of one row to out; answers the bytes appended.
uint32_t psdPackBits(std::span<const uint8_t> row, QByteArray &out);

} // namespace codec
