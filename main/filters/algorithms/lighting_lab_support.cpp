#include "filters/algorithms/lighting_lab_support.h"

#include "core/codec/image_codec.h"
#include "core/image/canvas.h"
#include "core/scale/scale_image.h"

#include <QStringList>

#include <algorithm>
#include <charconv>
#include <cstring>
#include <vector>

namespace {

constexpr int32_t kTextureSide = 256;

std::vector<std::string_view> splitCells(std::string_view text)
{
    std::vector<std::string_view> cells;
    size_t start = 0;
    while (start <= text.size()) {
        const size_t comma = text.find(',', start);
        const size_t end = comma == std::string_view::npos ? text.size() : comma;
        cells.push_back(text.substr(start, end - start));
        if (comma == std::string_view::npos)
            break;
        start = comma + 1;
    }
    return cells;
}

std::string_view trim(std::string_view s)
{
    while (!s.empty() && s.front() == ' ')
        s.remove_prefix(1);
    while (!s.empty() && s.back() == ' ')
        s.remove_suffix(1);
    return s;
}

bool parseInt(std::string_view s, int64_t &v)
{
    int base = 10;
    if (s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) {
        s.remove_prefix(2);
        base = 16;
    }
    const auto r = std::from_chars(s.data(), s.data() + s.size(), v, base);
    return r.ec == std::errc() && r.ptr == s.data() + s.size();
}

bool parseFloat(std::string_view s, float &v)
{
    const auto r = std::from_chars(s.data(), s.data() + s.size(), v);
    return r.ec == std::errc() && r.ptr == s.data() + s.size();
}

} // namespace

bool parseLightCells(std::string_view text, SFltLight &light, std::string *error)
{
    initFltLight(light);
    const std::vector<std::string_view> cells = splitCells(text);
    if (cells.size() > 10) {
        if (error)
            *error = "a light has at most ten cells";
        return false;
    }
    for (size_t i = 0; i < cells.size(); ++i) {
        const std::string_view c = trim(cells[i]);
        bool ok;
        if (i == 4 || i == 5 || i == 7 || i == 8) {
            float f = 0;
            ok = parseFloat(c, f);
            (i == 4 ? light.posx : i == 5 ? light.posy : i == 7 ? light.theta : light.phi) = f;
        } else {
            int64_t v = 0;
            ok = parseInt(c, v);
            const int32_t n = int32_t(uint32_t(uint64_t(v)));
            switch (i) {
            case 0:
                light.kind = n;
                break;
            case 1:
                light.power = n;
                break;
            case 2:
                light.color.all = uint32_t(n);
                break;
            case 3:
                light.range = n;
                break;
            case 6:
                light.posz = n;
                break;
            default:
                light.wide = n;
                break;
            }
        }
        if (!ok) {
            if (error)
                *error =
                    "light cell " + std::to_string(i + 1) + " is not a number: " + std::string(c);
            return false;
        }
    }
    return true;
}

void makeLightingLabRecord(SLightingLabRecord &out, const SFltLight &light, uint32_t ambientRGB,
                           int32_t brightness)
{
    std::memcpy(out.block.data(), &light, sizeof light);
    initFltObjComplex(out.rec, 1, uint16_t(sizeof(SFltLight)));
    out.rec.resv0 = out.rec.resv1 = 0;
    out.rec.data0.all = int32_t(ambientRGB & 0x00FFFFFFu); // blue, green, red in bytes 0, 1, 2
    out.rec.data1.all = brightness;
    out.rec.data = out.block;
}

SFloorLabTextures::~SFloorLabTextures() = default;

bool loadFloorLabTextures(const QString &list, SFloorLabTextures &out, QString *error)
{
    QStringList paths = list.split(u',', Qt::SkipEmptyParts);
    if (paths.isEmpty() || paths.size() > 2) {
        if (error)
            *error = QStringLiteral("--texture takes one or two image files");
        return false;
    }
    if (paths.size() == 1)
        paths.append(paths.front());
    for (int slot = 0; slot < 2; ++slot) {
        const std::unique_ptr<TMTC> image = loadImageFile(paths[slot], nullptr);
        if (!image || image->width() < 1 || image->height() < 1) {
            if (error)
                *error = QStringLiteral("cannot read the texture %1").arg(paths[slot]);
            return false;
        }
        auto tex = std::make_unique<TMTC>(kTextureSide, kTextureSide);
        CScaleImageTMTC scaler(image.get(), tex.get());
        if (!scaler.scale(boxFromSize(image->FPSZ()), {0, 0, kTextureSide, kTextureSide})) {
            if (error)
                *error = QStringLiteral("cannot scale the texture %1").arg(paths[slot]);
            return false;
        }
        out.size[size_t(slot)] = image->FPSZ();
        out.tex[size_t(slot)] = std::move(tex);
    }
    return true;
}

void makeFloorLabRecord(SFltFloor &rec, const SFloorLabTextures &textures)
{
    initFltFloor(rec);
    SFltFloorParam &f = rec.sfloor;
    f.version = 3;
    f.y = 30;
    f.eye2scr = 50;
    f.skyheight = 60;
    f.alpha = 100;
    f.farcol.all = 0xFFFFFFFF;
    f.texEnbFlag = 3;
    f.texTypeFlag = 3;
    const auto side = [](int32_t v) { return uint16_t(std::clamp(v, 1, 65535)); };
    f.tex0w = side(textures.size[0].x);
    f.tex0h = side(textures.size[0].y);
    f.tex1w = side(textures.size[1].x);
    f.tex1h = side(textures.size[1].y);
    for (size_t i = 0; i < 2; ++i)
        rec.stex[i].tc = textures.tex[i].get();
}
