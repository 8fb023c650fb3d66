// Writing and reading a 2048 x 2048 document of 4 layers as a PSD file (our codec through the
// document's import and export), against Magick++ reading the same file into its pictures and
// writing them back, on one thread, in the same run. The last line compares the reads.
#include "document/events/event_manager.h"
#include "document/files/psd_file.h"
#include "document/paper/document_init.h"
#include "document/paper/headless.h"
#include "document/paper/headless_owner.h"
#include "document/paper/layer_data.h"
#include "document/paper/paper.h"

#include "bench_support.h"

#include <Magick++.h>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <list>
#include <memory>

namespace {

constexpr int kSide = 2048;
constexpr int kLayers = 4;

uint32_t samplePixel(int l, int x, int y)
{
    const uint32_t r = uint32_t((x + l * 40) & 0xFF), g = uint32_t((y / 3) & 0xFF);
    const uint32_t b = uint32_t(((x ^ y) >> 2) & 0x3F) + 64 * uint32_t(l);
    return 0xFF000000u | r << 16 | g << 8 | b;
}

struct Doc
{
    Doc()
    {
        initialiseDocument();
        paper = TPaper::Create(&owner);
        owner.attach(*paper);
        paper->eventMngr().stopRecording();
    }
    ~Doc()
    {
        owner.detach();
        paper.reset();
    }
    CHeadlessPaperOwner owner;
    std::unique_ptr<TPaper> paper;
};

struct Fixture
{
    Fixture()
    {
        setupHeadlessPaper(*doc.paper, {kSide, kSide}, 0xFFFFFF, kLayers);
        for (int l = 0; l < kLayers; ++l) {
            CBlockVMTC &img = *doc.paper->getLayerData(l)->imageTC;
            for (int y = 0; y < kSide * 3 / 4; ++y)
                for (int x = 0; x < kSide; ++x)
                    img.setPixel(x, y, samplePixel(l, x, y));
        }
        path = dir.filePath("doc.psd");
        ok = savePsdFile(path, *doc.paper, 6, true) == 0;
    }
    Doc doc;
    QTemporaryDir dir;
    QString path;
    bool ok = false;
};

Fixture *gFix = nullptr;

void bmPsdWrite(benchmark::State &state)
{
    const QString path = gFix->dir.filePath("out.psd");
    for (auto _ : state)
        if (savePsdFile(path, *gFix->doc.paper, 6, true) != 0)
            state.SkipWithError("save failed");
}

void bmPsdRead(benchmark::State &state)
{
    for (auto _ : state) {
        Doc d;
        if (loadPsdFile(gFix->path, *d.paper) != 0)
            state.SkipWithError("load failed");
    }
}

void bmMagickRead(benchmark::State &state)
{
    const std::string path = gFix->path.toStdString();
    for (auto _ : state) {
        std::list<Magick::Image> images;
        Magick::readImages(&images, path);
        if (images.size() != kLayers + 1)
            state.SkipWithError("Magick++ did not read every layer");
    }
}

void bmMagickWrite(benchmark::State &state)
{
    std::list<Magick::Image> images;
    Magick::readImages(&images, gFix->path.toStdString());
    const std::string out = gFix->dir.filePath("magick.psd").toStdString();
    for (auto _ : state)
        Magick::writeImages(images.begin(), images.end(), out);
}

} // namespace

BENCHMARK(bmPsdWrite)->Name("psd/write")->Unit(benchmark::kMillisecond);
BENCHMARK(bmPsdRead)->Name("psd/read")->Unit(benchmark::kMillisecond);
BENCHMARK(bmMagickWrite)->Name("imagemagick/write")->Unit(benchmark::kMillisecond);
BENCHMARK(bmMagickRead)->Name("imagemagick/read")->Unit(benchmark::kMillisecond);

int main(int argc, char **argv)
{
    Magick::InitializeMagick(*argv);
    Magick::ResourceLimits::thread(1);
    Fixture fix;
    if (!fix.ok) {
        std::fprintf(stderr, "the document could not be saved\n");
        return 1;
    }
    gFix = &fix;
    auto t = runBenchmarks(argc, argv);
    std::printf("psd write vs imagemagick: %.2f\n", t["psd/write"] / t["imagemagick/write"]);
    std::printf("psd read vs imagemagick: %.2f\n", t["psd/read"] / t["imagemagick/read"]);
    return 0;
}
