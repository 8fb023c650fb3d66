// PSD channels are packed and decoded over every thread: on one thread the bands run one after
// another exactly as the one-pass writer and reader did, so the file and the document read back
// must not depend on the thread count.
#include "document/files/psd_file.h"

#include "core/tiles/work_threads.h"
#include "document/events/event_manager.h"
#include "document/paper/headless.h"
#include "document/paper/headless_document.h"
#include "document/paper/layer_data.h"
#include "document/paper/paper.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <random>

namespace {

struct ThreadCount
{
    explicit ThreadCount(int n) { setWorkThreads(n); }
    ~ThreadCount() { setWorkThreads(0); }
};

// Layers of noise, flat patches and untouched areas, with every kind of alpha, on a paper tall
// enough for several bands of rows.
void paintRandomly(TPaper &p, std::mt19937 &rng)
{
    std::uniform_int_distribution<uint32_t> any;
    for (int32_t l = 0; l <= p.MaxLayer(); ++l) {
        CBlockVMTC &img = *p.getLayerData(l)->imageTC;
        const int32_t y0 = int32_t(any(rng) % 40), y1 = p.m_paperSize.y - int32_t(any(rng) % 40);
        for (int32_t y = y0; y < y1; ++y)
            for (int32_t x = 0; x < p.m_paperSize.x; ++x) {
                const uint32_t v = any(rng);
                const uint32_t alpha = (v >> 24) % 3 == 0 ? 0xFF000000u : v & 0xFF000000u;
                img.setPixel(x, y, (x / 50 + y / 50) % 2 ? alpha | (v & 0xFFFFFF) : 0xFF336699u);
            }
    }
}

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

TEST(FastEqualsReference, PsdFilesAndTheirLoadDoNotDependOnTheThreadCount)
{
    std::mt19937 rng(5);
    for (const sSize size : {sSize{1, 1}, sSize{257, 333}}) {
        SCOPED_TRACE(testing::Message() << size.x << "x" << size.y);
        HeadlessDocument src;
        ASSERT_TRUE(setupHeadlessPaper(*src.paper, size, 0xFFFFFF, 3));
        paintRandomly(*src.paper, rng);
        QTemporaryDir dir;
        QByteArray bytes[2];
        QString state[2];
        for (int i = 0; i < 2; ++i) {
            ThreadCount tc(i == 0 ? 1 : 0);
            const QString path = dir.filePath(QStringLiteral("doc%1.psd").arg(i));
            ASSERT_EQ(savePsdFile(path, *src.paper, 6, true), 0);
            bytes[i] = readAll(path);
            // Both loads read the file written on one thread.
            HeadlessDocument back;
            back.paper->eventMngr().stopRecording();
            ASSERT_EQ(loadPsdFile(dir.filePath(QStringLiteral("doc0.psd")), *back.paper), 0);
            state[i] = dumpPaperState(*back.paper);
        }
        EXPECT_FALSE(bytes[0].isEmpty());
        EXPECT_TRUE(bytes[0] == bytes[1]);
        EXPECT_EQ(state[0], state[1]);
    }
}

} // namespace
