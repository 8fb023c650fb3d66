// Saving and loading a 4096 x 4096 document of 4 half-filled layers as a native layered file,
// against libpng writing and reading the same 4 layers as 4 PNG files (RGBA, default settings) in
// the same run. libpng works on one thread: our side runs once on one thread and once on all.
// A load builds a document and composes its display, so it is set against libpng's decode plus
// pixman's OVER of the 4 layers (one thread); our layer decode alone (the block runs of each layer
// read into a layer image) is set against libpng's decode alone. The last line compares the saves
// on all threads.
#include "core/tiles/block_layer_image.h"
#include "core/tiles/work_threads.h"
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
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>
#include <pixman.h>
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

// The thread count of a run: 0 all, else that many.
struct Threads
{
    explicit Threads(int64_t n) { setWorkThreads(int(n)); }
    ~Threads() { setWorkThreads(0); }
};

void bmQziSave(benchmark::State &state)
{
    const Threads threads(state.range(0));
    const QString path = gFix->dir.filePath("doc.qzi");
    for (auto _ : state)
        if (!saveNativeImage(path, *gFix->paper, kQziLayers))
            state.SkipWithError("save failed");
}

void bmQziLoad(benchmark::State &state)
{
    const Threads threads(state.range(0));
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

// The layers' block runs alone, one file each, read back into layer images.
void bmQziDecode(benchmark::State &state)
{
    const Threads threads(state.range(0));
    std::vector<QString> paths;
    for (int l = 0; l < kLayers; ++l) {
        paths.push_back(gFix->dir.filePath(QStringLiteral("l%1.blk").arg(l)));
        QFile f(paths.back());
        if (!f.open(QIODevice::WriteOnly) ||
            writeLayerBlocks(f, *gFix->paper->getLayerData(l)->imageTC) != 0)
            state.SkipWithError("blocks not written");
    }
    for (auto _ : state)
        for (const QString &path : paths) {
            QFile f(path);
            CBlockVMTC img(kSide, kSide);
            SQziReadContext ctx;
            ctx.fileSize = f.size();
            if (!f.open(QIODevice::ReadOnly) || readLayerBlocks(f, img, img.getRepSize(), ctx) != 0)
                state.SkipWithError("blocks not read");
            benchmark::DoNotOptimize(img.blockAt(0).commit);
        }
}

void bmPngSave(benchmark::State &state)
{
    for (auto _ : state)
        for (int l = 0; l < kLayers; ++l)
            if (!writePng(gFix->dir.filePath(QStringLiteral("l%1.png").arg(l)),
                          gFix->layers[size_t(l)]))
                state.SkipWithError("png write failed");
}

void writePngs()
{
    for (int l = 0; l < kLayers; ++l)
        writePng(gFix->dir.filePath(QStringLiteral("l%1.png").arg(l)), gFix->layers[size_t(l)]);
}

void bmPngLoad(benchmark::State &state)
{
    writePngs();
    std::vector<uint32_t> px;
    for (auto _ : state)
        for (int l = 0; l < kLayers; ++l)
            if (!readPng(gFix->dir.filePath(QStringLiteral("l%1.png").arg(l)), px))
                state.SkipWithError("png read failed");
}

// The nearest whole to our load: the layers decoded, then composed over the white paper with OVER
// (their alpha taken as premultiplied: the same work for pixman).
void bmPngLoadCompose(benchmark::State &state)
{
    writePngs();
    std::vector<std::vector<uint32_t>> px(kLayers);
    std::vector<uint32_t> display(size_t(kSide) * kSide);
    pixman_image_t *dst =
        pixman_image_create_bits(PIXMAN_a8r8g8b8, kSide, kSide, display.data(), kSide * 4);
    for (auto _ : state) {
        std::fill(display.begin(), display.end(), 0xFFFFFFFFu);
        for (int l = 0; l < kLayers; ++l) {
            std::vector<uint32_t> &p = px[size_t(l)];
            if (!readPng(gFix->dir.filePath(QStringLiteral("l%1.png").arg(l)), p))
                state.SkipWithError("png read failed");
            pixman_image_t *src =
                pixman_image_create_bits(PIXMAN_a8r8g8b8, kSide, kSide, p.data(), kSide * 4);
            pixman_image_composite32(PIXMAN_OP_OVER, src, nullptr, dst, 0, 0, 0, 0, 0, 0, kSide,
                                     kSide);
            pixman_image_unref(src);
        }
        benchmark::ClobberMemory();
    }
    pixman_image_unref(dst);
}

} // namespace

int main(int argc, char **argv)
{
    CHeadlessPaperApp app;
    Fixture fixture;
    gFix = &fixture;
    const int all = workThreads();
    for (const char *name : {"qzi/save", "qzi/load", "qzi/decode-layers"}) {
        auto *fn = std::string(name) == "qzi/save"   ? bmQziSave
                   : std::string(name) == "qzi/load" ? bmQziLoad
                                                     : bmQziDecode;
        benchmark::RegisterBenchmark(name, fn)->Arg(1)->Arg(all)->Unit(benchmark::kMillisecond);
    }
    benchmark::RegisterBenchmark("libpng/save", bmPngSave)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("libpng/load", bmPngLoad)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("libpng+pixman/load-compose", bmPngLoadCompose)
        ->Unit(benchmark::kMillisecond);
    std::map<std::string, double> t = runBenchmarks(argc, argv);
    const std::string one = "/1", many = "/" + std::to_string(all);
    for (const std::string &n :
         {"qzi/save" + one, "qzi/save" + many, "qzi/load" + one, "qzi/load" + many,
          "qzi/decode-layers" + one, "qzi/decode-layers" + many, std::string("libpng/save"),
          std::string("libpng/load"), std::string("libpng+pixman/load-compose")})
        if (t.find(n) == t.end() || t[n] <= 0)
            return 1;
    const auto line = [&](const char *what, const std::string &ours, const std::string &peer) {
        std::printf("%s: %.2f\n", what, t[ours] / t[peer]);
    };
    std::printf("(all = %d threads; libpng and pixman run on 1 thread in every line)\n", all);
    {
        // The progress window must move at least once a second: one thread, the slowest case.
        setWorkThreads(1);
        const QString path = gFix->dir.filePath("doc.qzi");
        int steps = 0;
        const double save = longestProgressGap(
            [&] { saveNativeImage(path, *gFix->paper, kQziLayers); }, steps);
        const int saveSteps = steps;
        CHeadlessPaperOwner owner;
        std::unique_ptr<TPaper> paper = TPaper::Create(&owner);
        owner.attach(*paper);
        const double load = longestProgressGap([&] { loadNativeImage(path, *paper); }, steps);
        owner.detach();
        setWorkThreads(0);
        std::printf("progress, 1 thread: qzi save %d steps, longest gap %.2f s; qzi load %d steps, "
                    "longest gap %.2f s\n",
                    saveSteps, save, steps, load);
    }
    line("qzi layer decode, 1 thread vs libpng decode, 1 thread", "qzi/decode-layers" + one,
         "libpng/load");
    line("qzi layer decode, all threads vs libpng decode, 1 thread", "qzi/decode-layers" + many,
         "libpng/load");
    line("qzi load (document + display), 1 thread vs libpng decode + pixman OVER, 1 thread",
         "qzi/load" + one, "libpng+pixman/load-compose");
    line("qzi load (document + display), all threads vs libpng decode + pixman OVER, 1 thread",
         "qzi/load" + many, "libpng+pixman/load-compose");
    line("qzi save, 1 thread vs libpng, 1 thread", "qzi/save" + one, "libpng/save");
    line("qzi save, all threads vs libpng, 1 thread", "qzi/save" + many, "libpng/save");
    return 0;
}
