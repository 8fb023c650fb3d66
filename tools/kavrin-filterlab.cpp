// kavrin-filterlab: runs one pixel function of the filter catalogue over a PNG, the way the filter
// core runs it (effect rectangle from the selection, or only the part a view shows, as a preview
// would), and writes the result as a PNG. A developer tool for looking at what the filters do.
//
//   kavrin-filterlab --list
//   kavrin-filterlab --pattern WxH OUT.png
//   kavrin-filterlab IN.png OUT.png --filter NAME [--cells v,...] [--mask M.png] [--protect]
//                    [--view x0,y0,x1,y1] [--light CELLS [--ambient 0xRRGGBB,PERCENT]]
//                    [--texture A.png[,B.png]]
//
// Cells are 32-bit values (decimal, 0x hex or f:Single) laid out little-endian as the record.
// Without --cells the filter runs at its dialog's defaults (--list shows every filter's cells with
// their names and default values; the scale is 100 % of the picture, seeds are 1).
// The gradient map takes cell 0 = reverse (bit 0) and protect (bit 8) and then its stops as
// 0xAARRGGBB (black to white by default); a complex record takes data0..data7 and then its block;
// the floor takes the 63 bytes of its parameters and two 256 x 256 textures.
// The lighting filter also takes its light as "kind,power,colour,range,posx,posy,posz,theta,phi,
// wide" (--light, with the ambient colour and brightness of --ambient, black at 100 % by default);
// the floor takes its ceiling and floor pictures from files (--texture, scaled to 256 x 256), its
// cells then overlaying the parameters.
// The output's extension picks its format; it is written whole or not at all.
// Exit status: 0 applied, 1 refused by the filter, 2 bad arguments, unreadable or unwritable files.
#include "core/image/canvas.h"
#include "core/image/channel.h"
#include "core/mask/mask_manager.h"
#include "core/tiles/block_layer_image.h"
#include "filters/algorithms/filter_catalogue.h"
#include "filters/algorithms/lighting_lab_support.h"
#include "filters/core/filter_core.h"
#include "filters/core/filter_host.h"
#include "filters/core/pixel_mechanics.h"
#include "filters/dialogs/filter_defaults.h"
#include "paint/gradient/gradient_stops.h"
#include "tool_support.h"

#include <QImage>
#include <QString>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace {

constexpr int kApplied = 0, kRefused = 1, kBadArguments = 2;

const char kUsage[] = "usage: kavrin-filterlab --list\n"
                      "       kavrin-filterlab --pattern WxH OUT.png\n"
                      "       kavrin-filterlab IN.png OUT.png --filter NAME [--cells v,...] "
                      "[--mask M.png] [--protect] [--view x0,y0,x1,y1]\n"
                      "                        [--light CELLS [--ambient 0xRRGGBB,PERCENT]] "
                      "[--texture A.png[,B.png]]\n"
                      "The output's extension picks its format (.png, .bmp, .jpg...).\n"
                      "exit 0 applied, 1 refused by the filter, 2 bad arguments, unreadable or\n"
                      "unwritable files\n";

int usage()
{
    return tool::usageError(kUsage, kBadArguments);
}

// One layer, its selection and its flow image, for the filter core.
class LabHost : public IFilterHost
{
  public:
    LabHost(std::unique_ptr<CBlockVMTC> img, std::unique_ptr<CMaskData> m, bool prt)
        : image(std::move(img)), mask(std::move(m)), protect(prt)
    {
        flowCh.Resize(image->width(), image->height());
        refreshFlow(0);
    }
    std::optional<SFilterLayerView> layer(int32_t idx) override
    {
        if (idx != 0)
            return std::nullopt;
        return SFilterLayerView{image.get(), TLayerMode::LM_STD, {}, protect, 1};
    }
    CMaskData *activeMask() override { return mask.get(); }
    int32_t activeMaskIndex() override { return 0; }
    TMTC *flowCanvas() override { return &flow; }
    TChannel *flowAlpha() override { return &flowCh; }
    bool pushUndo(std::unique_ptr<CBlockVMTC> &, int32_t, int32_t) override { return false; }
    void pushEventFilter0(int32_t, int32_t, uint8_t) override {}
    void pushEventFilter2(int32_t, int32_t, uint8_t, const sFltObj2 &) override {}
    void pushEventFilter4(int32_t, int32_t, uint8_t, const sFltObj4 &) override {}
    void pushEventFilter6(int32_t, int32_t, uint8_t, const sFltObj6 &) override {}
    void pushEventFilterComplex(int32_t, int32_t, uint8_t, const sFltObjComplex &) override {}
    void pushEventFilterFloor(int32_t, int32_t, const SFltFloor &) override {}
    void updatePreview(int32_t) override {}
    void refreshFlow(int32_t) override
    {
        flow.Resize(image->width(), image->height());
        image->bltTo(flow, {0, 0}, boxFromSize(image->FPSZ()), 255, false);
        flowCh.PixelFill(0);
    }
    void dispatchViewFast(int32_t, const sRect *, bool) override {}
    bool viewRect(sRect &) override { return false; }
    void setModified(bool) override {}
    void updateToolViews() override {}

    std::unique_ptr<CBlockVMTC> image;
    std::unique_ptr<CMaskData> mask;
    bool protect;
    TMTC flow;
    TChannel flowCh;
};

bool parseCell(const std::string &s, uint32_t &out)
{
    if (s.empty())
        return false;
    char *end = nullptr;
    if (s.rfind("f:", 0) == 0) {
        const float f = std::strtof(s.c_str() + 2, &end);
        if (*end != 0)
            return false;
        std::memcpy(&out, &f, 4);
        return true;
    }
    const bool hex = s.rfind("0x", 0) == 0 || s.rfind("0X", 0) == 0;
    if (hex) {
        const unsigned long long v = std::strtoull(s.c_str() + 2, &end, 16);
        if (*end != 0 || s.size() == 2 || v > 0xFFFFFFFFull)
            return false;
        out = uint32_t(v);
        return true;
    }
    const long long v = std::strtoll(s.c_str(), &end, 10);
    if (*end != 0 || v < -2147483648LL || v > 4294967295LL)
        return false;
    out = uint32_t(v);
    return true;
}

bool parseList(const std::string &s, std::vector<uint32_t> &cells)
{
    size_t from = 0;
    while (from <= s.size()) {
        const size_t comma = s.find(',', from);
        uint32_t v;
        if (!parseCell(s.substr(from, comma == std::string::npos ? std::string::npos : comma - from), v))
            return false;
        cells.push_back(v);
        if (comma == std::string::npos)
            break;
        from = comma + 1;
    }
    return true;
}

std::vector<uint8_t> cellBytes(const std::vector<uint32_t> &cells)
{
    std::vector<uint8_t> b(cells.size() * 4);
    for (size_t i = 0; i < cells.size(); ++i)
        for (int k = 0; k < 4; ++k)
            b[i * 4 + size_t(k)] = uint8_t(cells[i] >> (8 * k));
    return b;
}

// The record a pixel function of that size takes, built from the cells.
struct LabRecord
{
    std::vector<uint8_t> bytes;
    std::unique_ptr<CColorSlotGroup> stops;
    sFltObjGradientMap gradient{};
    sFltObjComplex complex{};
    std::vector<uint8_t> block;
    SFltFloor floor;
    TMTC texture[2];
    SLightingLabRecord light;
    SFloorLabTextures floorTextures;
    const void *argp = nullptr;

    // The lighting filter's record from one light.
    void buildLight(const SFltLight &l, uint32_t ambientRGB, int32_t brightness)
    {
        makeLightingLabRecord(light, l, ambientRGB, brightness);
        argp = &light.rec;
    }
    // The floor over the loaded pictures, the cells overlaying its parameters.
    bool buildFloorFromFiles(const std::vector<uint32_t> &cells)
    {
        makeFloorLabRecord(floor, floorTextures);
        const std::vector<uint8_t> b = cellBytes(cells);
        if (b.size() > sizeof floor.sfloor)
            return false;
        std::memcpy(&floor.sfloor, b.data(), b.size());
        argp = &floor;
        return true;
    }

    bool build(int32_t size, const std::vector<uint32_t> &cells)
    {
        if (size == 0)
            return cells.empty();
        if (size == kFltObjGradientMapSize)
            return buildGradient(cells);
        if (size == kFltObjComplexSize)
            return buildComplex(cells);
        if (size == kFltFloorSize)
            return buildFloor(cells);
        bytes = cellBytes(cells);
        if (bytes.size() > size_t(size))
            return false;
        bytes.resize(size_t(size), 0);
        argp = bytes.data();
        return true;
    }

  private:
    bool buildGradient(const std::vector<uint32_t> &cells)
    {
        initFltObjGradientMap(gradient);
        stops = std::make_unique<CColorSlotGroup>();
        const uint32_t flags = cells.empty() ? 0x100 : cells[0];
        gradient.reverse = (flags & 1) != 0;
        gradient.protect = (flags & 0x100) != 0;
        std::vector<uint32_t> colours(cells.size() > 1 ? cells.begin() + 1 : cells.end(), cells.end());
        if (colours.empty())
            colours = {0xFF000000u, 0xFFFFFFFFu};
        for (size_t i = 0; i < colours.size(); ++i) {
            const uint32_t c = colours[i];
            sRGBA rgba;
            rgba.R = uint8_t(c >> 16), rgba.G = uint8_t(c >> 8), rgba.B = uint8_t(c), rgba.A = 255;
            stops->setColor(int32_t(i), rgba, 0x10000, uint8_t(c >> 24));
        }
        stops->refresh();
        gradient.crsg = stops.get();
        argp = &gradient;
        return true;
    }
    bool buildComplex(const std::vector<uint32_t> &cells)
    {
        const size_t head = std::min<size_t>(cells.size(), 8);
        block = cellBytes(std::vector<uint32_t>(cells.begin() + ptrdiff_t(head), cells.end()));
        if (block.size() > 0xFFFF)
            return false;
        initFltObjComplex(complex, block.empty() ? 0 : 1, uint16_t(block.size()));
        LDATA *d[8] = {&complex.data0, &complex.data1, &complex.data2, &complex.data3,
                       &complex.data4, &complex.data5, &complex.data6, &complex.data7};
        for (size_t i = 0; i < head; ++i)
            d[i]->all = int32_t(cells[i]);
        complex.data = block;
        argp = &complex;
        return true;
    }
    bool buildFloor(const std::vector<uint32_t> &cells)
    {
        initFltFloor(floor);
        std::vector<uint8_t> b = cellBytes(cells);
        if (b.size() > 64)
            return false;
        std::memcpy(&floor.sfloor, b.data(), std::min<size_t>(b.size(), sizeof floor.sfloor));
        for (int i = 0; i < 2; ++i) {
            texture[i].Resize(256, 256);
            for (int32_t y = 0; y < 256; ++y)
                for (int32_t x = 0; x < 256; ++x)
                    texture[i].seek32(x, y)->all = ((x ^ y) & 32) ? 0xFFE0E0E0u : 0xFF404080u;
            floor.stex[size_t(i)].tc = &texture[i];
            floor.stex[size_t(i)].dpi = 72;
        }
        argp = &floor;
        return true;
    }
};

bool loadLayer(const char *path, std::unique_ptr<CBlockVMTC> &layer)
{
    QImage img(QString::fromLocal8Bit(path));
    if (img.isNull())
        return false;
    img = img.convertToFormat(QImage::Format_ARGB32);
    layer = std::make_unique<CBlockVMTC>(img.width(), img.height());
    for (int32_t y = 0; y < img.height(); ++y)
        for (int32_t x = 0; x < img.width(); ++x)
            layer->setPixel(x, y, img.pixel(x, y));
    return true;
}

bool saveLayer(const CBlockVMTC &layer, const char *path)
{
    QImage img(layer.width(), layer.height(), QImage::Format_ARGB32);
    for (int32_t y = 0; y < layer.height(); ++y)
        for (int32_t x = 0; x < layer.width(); ++x)
            img.setPixel(x, y, layer.getColor(x, y));
    return tool::writePicture(img, QString::fromLocal8Bit(path));
}

// Soft colour gradients, a few hard shapes and a transparent lower-right region with a soft edge.
int writePattern(const std::string &size, const char *out)
{
    int w = 0, h = 0;
    if (std::sscanf(size.c_str(), "%dx%d", &w, &h) != 2 || w <= 0 || h <= 0 || w > 16384 || h > 16384)
        return usage();
    if (!tool::checkPictureOutput(QString::fromLocal8Bit(out)))
        return kBadArguments;
    CBlockVMTC layer(w, h);
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x) {
            uint32_t r = uint32_t(x * 255 / std::max(1, w - 1));
            uint32_t g = uint32_t(y * 255 / std::max(1, h - 1));
            uint32_t b = uint32_t(((x / 8 + y / 8) % 2) * 80 + 60);
            if (std::hypot(x - w * 0.3, y - h * 0.35) < std::min(w, h) * 0.15)
                r = g = b = 250;
            if (x > w / 2 && x < w / 2 + std::max(2, w / 40))
                r = g = b = 10;
            const double d = (x - w * 0.65) + (y - h * 0.65);
            const uint32_t a = d < 0 ? 255 : (d > 16 ? 0 : uint32_t(255 - d * 16));
            layer.setPixel(x, y, a << 24 | r << 16 | g << 8 | b);
        }
    return saveLayer(layer, out) ? kApplied : kBadArguments;
}

} // namespace

int main(int argc, char **argv)
{
    tool::startTool("kavrin-filterlab");
    if (tool::asksForHelp(tool::toolArguments(argc, argv)))
        return tool::printHelp(kUsage);
    initialiseFilters();
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() == 1 && args[0] == "--list") {
        for (const SFilterCatalogueEntry &e : filterCatalogue()) {
            std::printf("%-24s %d\n", e.name, e.recordSize);
            int i = 0;
            for (const SFilterCell &c : filterDefaultCells(e.name))
                std::printf("    %2d  0x%08X  %s\n", i++, c.value, c.name.c_str());
        }
        return kApplied;
    }
    if (args.size() == 3 && args[0] == "--pattern")
        return writePattern(args[1], args[2].c_str());
    if (args.size() < 4 || args[0].rfind("--", 0) == 0 || args[1].rfind("--", 0) == 0)
        return usage();

    const SFilterCatalogueEntry *entry = nullptr;
    std::vector<uint32_t> cells;
    bool cellsGiven = false;
    std::string maskPath;
    bool protect = false;
    std::optional<sRect> view;
    std::optional<SFltLight> light;
    uint32_t ambientRGB = 0;
    int32_t brightness = 100;
    std::string texturePaths;
    for (size_t i = 2; i < args.size(); ++i) {
        const std::string &a = args[i];
        const bool hasValue = i + 1 < args.size();
        if (a == "--filter" && hasValue) {
            entry = findFilterEntry(args[++i]);
            if (!entry) {
                tool::fail(QStringLiteral("unknown filter %1 (see --list)")
                               .arg(QString::fromStdString(args[i])));
                return kBadArguments;
            }
        } else if (a == "--cells" && hasValue) {
            if (!parseList(args[++i], cells))
                return usage();
            cellsGiven = true;
        } else if (a == "--mask" && hasValue) {
            maskPath = args[++i];
        } else if (a == "--light" && hasValue) {
            SFltLight l{};
            std::string err;
            if (!parseLightCells(args[++i], l, &err)) {
                tool::fail(QString::fromStdString(err));
                return kBadArguments;
            }
            light = l;
        } else if (a == "--ambient" && hasValue) {
            std::vector<uint32_t> v;
            if (!parseList(args[++i], v) || v.size() != 2)
                return usage();
            ambientRGB = v[0], brightness = int32_t(v[1]);
        } else if (a == "--texture" && hasValue) {
            texturePaths = args[++i];
        } else if (a == "--protect") {
            protect = true;
        } else if (a == "--view" && hasValue) {
            std::vector<uint32_t> v;
            if (!parseList(args[++i], v) || v.size() != 4)
                return usage();
            view = sRect{int32_t(v[0]), int32_t(v[1]), int32_t(v[2]), int32_t(v[3])};
        } else {
            return usage();
        }
    }
    if (!entry)
        return usage();
    if (!tool::checkPictureOutput(QString::fromLocal8Bit(args[1].c_str())))
        return kBadArguments;

    std::unique_ptr<CBlockVMTC> layer;
    if (!loadLayer(args[0].c_str(), layer)) {
        tool::fail(QString::fromLocal8Bit(args[0].c_str()),
                   QStringLiteral("cannot be read as a picture"));
        return kBadArguments;
    }
    auto mask = std::make_unique<CMaskData>(0);
    if (!maskPath.empty()) {
        QImage m(QString::fromStdString(maskPath));
        if (m.isNull()) {
            tool::fail(QString::fromStdString(maskPath),
                       QStringLiteral("cannot be read as a picture"));
            return kBadArguments;
        }
        mask = std::make_unique<CMaskData>(0, m.width(), m.height());
        for (int32_t y = 0; y < m.height(); ++y)
            for (int32_t x = 0; x < m.width(); ++x)
                mask->maskTC->setPixel(x, y, uint32_t(qGray(m.pixel(x, y))));
    }
    LabRecord rec;
    bool built = false;
    if (light) {
        if (entry->recordSize != kFltObjComplexSize || !cells.empty()) {
            tool::fail(QStringLiteral("--light goes with the lighting filter and no cells"));
            return kBadArguments;
        }
        rec.buildLight(*light, ambientRGB, brightness);
        built = true;
    } else if (!texturePaths.empty()) {
        QString err;
        if (entry->recordSize != kFltFloorSize) {
            tool::fail(QStringLiteral("--texture goes with the floor filters"));
            return kBadArguments;
        }
        if (!loadFloorLabTextures(QString::fromStdString(texturePaths), rec.floorTextures, &err)) {
            tool::fail(err);
            return kBadArguments;
        }
        built = rec.buildFloorFromFiles(cells);
    } else {
        if (!cellsGiven)
            cells = filterDefaultValues(entry->name, {layer->width(), layer->height(), protect});
        built = rec.build(entry->recordSize, cells);
    }
    if (!built) {
        tool::fail(QStringLiteral("%1 takes a record of %2 bytes")
                       .arg(QLatin1String(entry->name))
                       .arg(entry->recordSize));
        return kBadArguments;
    }

    LabHost host(std::move(layer), std::move(mask), protect);
    CFlt4Core core;
    if (!core.SetParams(host, 0, entry->fn, false)) {
        tool::fail(QString::fromLocal8Bit(args[0].c_str()), QStringLiteral("no effect rectangle"));
        return kRefused;
    }
    const sRect *vr = view ? &*view : nullptr;
    if (!core.Filter(rec.argp, entry->recordSize, vr)) {
        tool::fail(QString::fromLocal8Bit(args[0].c_str()),
                   QStringLiteral("%1 refused").arg(QLatin1String(entry->name)));
        return kRefused;
    }
    if (!saveLayer(*host.image, args[1].c_str()))
        return kBadArguments;
    return kApplied;
}
