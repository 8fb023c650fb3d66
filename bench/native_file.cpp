// Saving and loading a 4096 x 4096 document of 4 half-filled layers as a native layered file,
// against libpng writing and reading the same 4 layers as 4 PNG files (RGBA, default settings) in
// the same run. The last line compares the saves.
#include "document/events/event_manager.h"
#include "document/files/native_image.h"
#include "document/paper/document_init.h"
#include "document/paper/headless.h"
#include "document/paper/headless_app.h"
#include "document/paper/headless_owner.h"
#include "document/paper/layer_data.h"
#include "document/paper/paper.h"

#include "bench_support.h"

#include <QDir>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>
#include <png.h>

#include <cstdio>
#include <memory>
#include <vector>

namespace {

constexpr int kSide = 4096;
constexpr int kLayers = 4;

// Layer l's pixel: a soft gradient with a little texture over the top half, nothing below.
uint32_t samplePixel(int l, int x, int y)
{
    const uint32_t r = uint32_t((x + l * 40) & 0xFF), g = uint32_t((y / 3) & 0xFF);
    const uint32_t b = uint32_t(((x ^ y) >> 2) & 0x3F) + 64 * uint32_t(l);
    return 0xFF000000u | r << 16 | g << 8 | b;
}

struct Fixture
{
    Fixture()
    {
        initialiseDocument();
        paper = TPaper::Create(&owner);
        owner.attach(*paper);
        setupHeadlessPaper(*paper, {kSide, kSide}, 0xFFFFFF, kLayers);
        paper->eventMngr().stopRecording();
        layers.resize(kLayers);
        for (int l = 0; l < kLayers; ++l) {
            CBlockVMTC &img = *paper->getLayerData(l)->imageTC;
            std::vector<uint32_t> &px = layers[size_t(l)];
            px.assign(size_t(kSide) * kSide, 0x00FFFFFFu);
            for (int y = 0; y < kSide / 2; ++y)
                for (int x = 0; x < kSide; ++x)
                    img.setPixel(x, y, px[size_t(y) * kSide + size_t(x)] = samplePixel(l, x, y));
        }
    }
    ~Fixture()
    {
        owner.detach();
        paper.reset();
    }
    CHeadlessPaperOwner owner;
    std::unique_ptr<TPaper> paper;
    std::vector<std::vector<uint32_t>> layers; // the same pixels, sBGRA, for libpng
    QTemporaryDir dir;
};

Fixture *gFix = nullptr;

bool writePng(const QString &path, const std::vector<uint32_t> &px)
{
    FILE *f = std::fopen(path.toLocal8Bit().constData(), "wb");
    if (!f)
        return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        std::fclose(f);
        return false;
    }
    png_init_io(png, f);
    png_set_IHDR(png, info, kSide, kSide, 8, PNG_COLOR_TYPE_RGB_ALPHA, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_set_bgr(png); // the pixels are B, G, R, A in memory, as the layers hold them
    png_write_info(png, info);
    for (int y = 0; y < kSide; ++y)
        png_write_row(png, reinterpret_cast<png_const_bytep>(px.data() + size_t(y) * kSide));
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return std::fclose(f) == 0;
}

bool readPng(const QString &path, std::vector<uint32_t> &px)
{
    FILE *f = std::fopen(path.toLocal8Bit().constData(), "rb");
    if (!f)
        return false;
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        std::fclose(f);
        return false;
    }
    png_init_io(png, f);
    png_read_info(png, info);
    png_set_bgr(png);
    px.resize(size_t(kSide) * kSide);
    for (int y = 0; y < kSide; ++y)
        png_read_row(png, reinterpret_cast<png_bytep>(px.data() + size_t(y) * kSide), nullptr);
    png_read_end(png, nullptr);
    png_destroy_read_struct(&png, &info, nullptr);
    std::fclose(f);
    return true;
}

void bmQziSave(benchmark::State &state)
{
    const QString path = gFix->dir.filePath("doc.qzi");
    for (auto _ : state)
        if (!saveNativeImage(path, *gFix->paper, kQziLayers))
            state.SkipWithError("save failed");
}

void bmQziLoad(benchmark::State &state)
{
    const QString path = gFix->dir.filePath("doc.qzi");
    saveNativeImage(path, *gFix->paper, kQziLayers);
    CHeadlessPaperOwner owner;
    std::unique_ptr<TPaper> paper = TPaper::Create(&owner);
    owner.attach(*paper);
    for (auto _ : state) {
        paper->eventMngr().stopRecording();
        if (loadNativeImage(path, *paper) != 0)
            state.SkipWithError("load failed");
    }
    owner.detach();
}

void bmPngSave(benchmark::State &state)
{
    for (auto _ : state)
        for (int l = 0; l < kLayers; ++l)
            if (!writePng(gFix->dir.filePath(QStringLiteral("l%1.png").arg(l)),
                          gFix->layers[size_t(l)]))
                state.SkipWithError("png write failed");
}

void bmPngLoad(benchmark::State &state)
{
    for (int l = 0; l < kLayers; ++l)
        writePng(gFix->dir.filePath(QStringLiteral("l%1.png").arg(l)), gFix->layers[size_t(l)]);
    std::vector<uint32_t> px;
    for (auto _ : state)
        for (int l = 0; l < kLayers; ++l)
            if (!readPng(gFix->dir.filePath(QStringLiteral("l%1.png").arg(l)), px))
                state.SkipWithError("png read failed");
}

} // namespace

int main(int argc, char **argv)
{
    CHeadlessPaperApp app;
    Fixture fixture;
    gFix = &fixture;
    benchmark::RegisterBenchmark("qzi/save", bmQziSave)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("qzi/load", bmQziLoad)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("libpng/save", bmPngSave)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("libpng/load", bmPngLoad)->Unit(benchmark::kMillisecond);
    std::map<std::string, double> t = runBenchmarks(argc, argv);
    for (const char *n : {"qzi/save", "qzi/load", "libpng/save", "libpng/load"})
        if (t.find(n) == t.end() || t[n] <= 0)
            return 1;
    std::printf("qzi load vs libpng: %.2f\n", t["qzi/load"] / t["libpng/load"]);
    std::printf("qzi save vs libpng: %.2f\n", t["qzi/save"] / t["libpng/save"]);
    return 0;
}
