// Writing and reading a 2048 x 2048 document of 4 layers as a PSD file (our codec through the
// document's import and export), against Magick++ reading the same file into its pictures and
// writing them back, in the same run, both sides on one thread and then both on all threads.
// Our read builds a document (layers made, display composed) where Magick++ only decodes: a
// second pair of lines sets our channel decode alone (the file opened and every layer channel
// unpacked) against Magick++'s read. The last line compares the writes on all threads.
#include "core/tiles/work_threads.h"
#include "document/events/event_manager.h"
#include "document/files/psd_file.h"
#include "document/paper/document_init.h"
#include "document/paper/headless.h"
#include "document/paper/headless_owner.h"
#include "document/paper/layer_data.h"
#include "document/paper/paper.h"
#include "platform/codec/psd_codec.h"

#include "bench_support.h"

#include <Magick++.h>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <list>
#include <memory>
#include <string>
#include <vector>

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

// Both sides' thread count for a run: 0 all, else that many.
struct Threads
{
    explicit Threads(int64_t n)
    {
        setWorkThreads(int(n));
        Magick::ResourceLimits::thread(size_t(workThreads()));
    }
    ~Threads()
    {
        setWorkThreads(0);
        Magick::ResourceLimits::thread(1);
    }
};

void bmPsdWrite(benchmark::State &state)
{
    const Threads threads(state.range(0));
    const QString path = gFix->dir.filePath("out.psd");
    for (auto _ : state)
        if (savePsdFile(path, *gFix->doc.paper, 6, true) != 0)
            state.SkipWithError("save failed");
}

void bmPsdRead(benchmark::State &state)
{
    const Threads threads(state.range(0));
    for (auto _ : state) {
        Doc d;
        if (loadPsdFile(gFix->path, *d.paper) != 0)
            state.SkipWithError("load failed");
    }
}

// The codec alone: the file opened and every channel of every layer unpacked, as the import
// asks for them.
void bmPsdDecode(benchmark::State &state)
{
    const Threads threads(state.range(0));
    for (auto _ : state) {
        std::unique_ptr<codec::CPsdFile> file;
        if (!codec::succeeded(codec::CPsdFile::open(&gFix->path, file)))
            state.SkipWithError("open failed");
        codec::SPsdDocInfo doc;
        if (!file || !codec::succeeded(file->getDocInfo(doc)))
            break;
        for (int32_t l = 0; l < doc.layerCount; ++l) {
            codec::SPsdLayerInfo info;
            if (!codec::succeeded(file->getLayerInfo(l, info)))
                state.SkipWithError("no layer");
            std::vector<codec::SPsdChannelData> data(size_t(std::max(info.channels, 0)));
            std::atomic<bool> failed = false;
            parallelRanges(info.channels, 1, [&](int32_t begin, int32_t end) {
                for (int32_t c = begin; c < end; ++c) {
                    data[size_t(c)].layerIndex = l;
                    data[size_t(c)].channelNumber = c;
                    if (!codec::succeeded(file->getLayerChannel(data[size_t(c)])))
                        failed = true;
                }
            });
            if (failed)
                state.SkipWithError("channel not decoded");
        }
    }
}

void bmMagickRead(benchmark::State &state)
{
    const Threads threads(state.range(0));
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
    const Threads threads(state.range(0));
    std::list<Magick::Image> images;
    Magick::readImages(&images, gFix->path.toStdString());
    const std::string out = gFix->dir.filePath("magick.psd").toStdString();
    for (auto _ : state)
        Magick::writeImages(images.begin(), images.end(), out);
}

} // namespace

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
    const int all = workThreads();
    const std::pair<const char *, void (*)(benchmark::State &)> runs[] = {
        {"psd/write", bmPsdWrite},          {"psd/read", bmPsdRead},
        {"psd/decode-channels", bmPsdDecode}, {"imagemagick/write", bmMagickWrite},
        {"imagemagick/read", bmMagickRead}};
    for (const auto &[name, fn] : runs)
        benchmark::RegisterBenchmark(name, fn)->Arg(1)->Arg(all)->Unit(benchmark::kMillisecond);
    auto t = runBenchmarks(argc, argv);
    const auto line = [&](const char *what, const char *ours, const char *peer, int n) {
        const std::string at = "/" + std::to_string(n);
        std::printf("%s, %d thread%s each: %.2f\n", what, n, n == 1 ? "" : "s",
                    t[ours + at] / t[peer + at]);
    };
    std::printf("(all = %d threads)\n", all);
    {
        // The progress window must move at least once a second: one thread, the slowest case.
        setWorkThreads(1);
        int steps = 0;
        const QString out = gFix->dir.filePath("progress.psd");
        const double write = longestProgressGap(
            [&] { savePsdFile(out, *gFix->doc.paper, 6, true); }, steps);
        const int writeSteps = steps;
        Doc d;
        const double read = longestProgressGap([&] { loadPsdFile(gFix->path, *d.paper); }, steps);
        setWorkThreads(0);
        std::printf("progress, 1 thread: psd write %d steps, longest gap %.2f s; psd read %d "
                    "steps, longest gap %.2f s\n",
                    writeSteps, write, steps, read);
    }
    for (int n : {1, all}) {
        line("psd channel decode vs imagemagick read", "psd/decode-channels", "imagemagick/read",
             n);
        line("psd read (document + display) vs imagemagick read", "psd/read", "imagemagick/read",
             n);
    }
    line("psd write vs imagemagick", "psd/write", "imagemagick/write", 1);
    line("psd write vs imagemagick", "psd/write", "imagemagick/write", all);
    return 0;
}
