// Files of other PSD writers read by ours, and ours read by them. The fixtures in tests/data/psd
// were written once by tests/peers/make_psd_fixtures.sh; document.PsdPeers runs the writers again
// (when they are installed) and has them read what we write.
#include "document/files/psd_file.h"

#include "document/events/event_manager.h"
#include "format/chunk.h"
#include "document/paper/headless.h"
#include "document/paper/layer_data.h"
#include "document/paper/layer_manager.h"
#include "document/paper/paper.h"
#include "platform/codec/psd_codec.h"
#include "support/captured_messages.h"
#include "support/paper_fakes.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

const QString kFixtures = QStringLiteral(KAVRIN_TEST_DATA "/psd");

struct ManifestLine
{
    QString file, index, png, name, key;
    int left = 0, top = 0, right = 0, bottom = 0, opacity = 255;
    bool hidden = false, clipped = false;
};

std::vector<ManifestLine> readManifest(const QString &dir)
{
    std::vector<ManifestLine> out;
    QFile f(QDir(dir).filePath("manifest.txt"));
    if (!f.open(QIODevice::ReadOnly))
        return out;
    for (const QByteArray &raw : f.readAll().split('\n')) {
        const QStringList p = QString::fromUtf8(raw).split(' ');
        if (p.size() < 12)
            continue;
        ManifestLine m;
        m.file = p[0];
        m.index = p[1];
        m.left = p[2].toInt();
        m.top = p[3].toInt();
        m.right = p[4].toInt();
        m.bottom = p[5].toInt();
        m.opacity = p[6].toInt();
        m.hidden = p[7] == "1";
        m.clipped = p[8] == "1";
        m.key = p[9];
        m.png = p[10];
        m.name = p.mid(11).join(' ');
        out.push_back(m);
    }
    return out;
}

// The picture as non-premultiplied ARGB.
QImage picture(const QString &path)
{
    return QImage(path).convertToFormat(QImage::Format_ARGB32);
}

// Alpha equal everywhere (within alphaSlack), colour equal where a pixel shows.
void expectSamePixels(const QImage &want, const std::function<uint32_t(int, int)> &got,
                      const QString &what, int alphaSlack = 0)
{
    ASSERT_FALSE(want.isNull()) << what.toStdString();
    int bad = 0;
    for (int y = 0; y < want.height(); ++y)
        for (int x = 0; x < want.width(); ++x) {
            const uint32_t w = want.pixel(x, y), g = got(x, y);
            const int da = std::abs(int(w >> 24) - int(g >> 24));
            const bool same = da <= alphaSlack && ((w >> 24) == 0 || (w & 0xFFFFFF) == (g & 0xFFFFFF));
            if (!same && bad++ < 3)
                ADD_FAILURE() << what.toStdString() << " at " << x << "," << y << std::hex
                              << " want " << w << " got " << g;
        }
}

uint32_t layerPixel(const codec::CPsdFile &f, int32_t layer, int x, int y, int w, bool grey)
{
    uint32_t px = 0xFF000000u;
    codec::SPsdLayerInfo info;
    if (!codec::succeeded(f.getLayerInfo(layer, info)))
        return 0;
    for (int32_t c = 0; c < info.channels; ++c) {
        codec::SPsdChannelData d;
        d.layerIndex = layer;
        d.channelNumber = c;
        if (!codec::succeeded(f.getLayerChannel(d)) || d.channelId < -1 || d.channelId > 2)
            continue;
        const uint32_t v = d.buffer[size_t(y) * size_t(w) + size_t(x)];
        if (d.channelId == -1)
            px = (px & 0x00FFFFFFu) | v << 24;
        else if (grey)
            px = (px & 0xFF000000u) | v << 16 | v << 8 | v;
        else
            px = (px & ~(0xFFu << (16 - 8 * d.channelId))) | v << (16 - 8 * d.channelId);
    }
    return px;
}

// Our reader gives the layers, names, rectangles, attributes and pixels of every fixture.
void checkFixtures(const QString &dir)
{
    const std::vector<ManifestLine> lines = readManifest(dir);
    ASSERT_GE(lines.size(), 10u) << dir.toStdString();
    CapturedMessages msgs;
    for (const ManifestLine &m : lines) {
        const QString path = QDir(dir).filePath(m.file);
        const QString what = m.file + " " + m.index;
        if (m.index == "merged") {
            HeadlessDocument doc;
            doc.paper->eventMngr().stopRecording();
            const uint8_t r = loadPsdFile(path, *doc.paper);
            if (m.png == "-") {
                EXPECT_EQ(r, CS_PSD_BAD_TYPE) << what.toStdString();
                continue;
            }
            ASSERT_EQ(r, CS_OK) << what.toStdString();
            ASSERT_EQ(doc.paper->getLayerCount(), 1);
            const CLayerData &ld = *doc.paper->getLayerData(0);
            EXPECT_EQ(ld.title, m.name);
            QImage want = picture(QDir(dir).filePath(m.png));
            expectSamePixels(want, [&](int x, int y) { return ld.imageTC->getColor(x, y); }, what);
            continue;
        }
        std::unique_ptr<codec::CPsdFile> f;
        ASSERT_EQ(codec::CPsdFile::open(&path, f), codec::CodecStatus::Nothing) << what.toStdString();
        codec::SPsdDocInfo docInfo;
        ASSERT_EQ(f->getDocInfo(docInfo), codec::CodecStatus::Nothing);
        const bool grey = docInfo.colorChannels == 1;
        codec::SPsdLayerInfo info;
        const int32_t idx = m.index.toInt();
        ASSERT_EQ(f->getLayerInfo(idx, info), codec::CodecStatus::Nothing) << what.toStdString();
        EXPECT_EQ(info.wideName.value_or(info.nameText()), m.name) << what.toStdString();
        EXPECT_EQ(info.nameText(), m.name) << what.toStdString();
        EXPECT_EQ(info.left, m.left) << what.toStdString();
        EXPECT_EQ(info.top, m.top) << what.toStdString();
        EXPECT_EQ(info.right, m.right) << what.toStdString();
        EXPECT_EQ(info.bottom, m.bottom) << what.toStdString();
        EXPECT_EQ(info.opacity, m.opacity) << what.toStdString();
        EXPECT_EQ(bool(info.flags & codec::kPsdFlagHidden), m.hidden) << what.toStdString();
        EXPECT_EQ(info.clipping != 0, m.clipped) << what.toStdString();
        EXPECT_EQ(QByteArray(info.key.data(), 4), m.key.toLatin1()) << what.toStdString();
        HeadlessDocument doc;
        doc.paper->eventMngr().stopRecording();
        if (m.png == "-") {
            // A depth the program does not take: reported, refused by the import.
            EXPECT_NE(docInfo.bitsPerPixel, 8 * docInfo.colorChannels) << what.toStdString();
            EXPECT_EQ(loadPsdFile(path, *doc.paper), CS_PSD_BAD_TYPE) << what.toStdString();
            continue;
        }
        const QImage want = picture(QDir(dir).filePath(m.png));
        const int w = m.right - m.left;
        expectSamePixels(want, [&](int x, int y) { return layerPixel(*f, idx, x, y, w, grey); },
                         what);
        // And the whole file into a document.
        ASSERT_EQ(loadPsdFile(path, *doc.paper), CS_OK) << what.toStdString();
        ASSERT_GT(doc.paper->getLayerCount(), idx);
        const CLayerData &ld = *doc.paper->getLayerData(idx);
        EXPECT_EQ(ld.title, m.name);
        EXPECT_EQ(ld.visible, !m.hidden);
        EXPECT_EQ(ld.viewPos, (sPos{std::max(0, -m.left), std::max(0, -m.top)}));
        const int dx = m.left - std::min(m.left, 0), dy = m.top - std::min(m.top, 0);
        expectSamePixels(want, [&](int x, int y) { return ld.imageTC->getColor(dx + x, dy + y); },
                         what + " in the document");
    }
    EXPECT_TRUE(msgs.warnings.isEmpty()) << msgs.warnings.join('|').toStdString();
}

bool havePeers()
{
    return !QStandardPaths::findExecutable("identify-im6.q16").isEmpty() &&
           !QStandardPaths::findExecutable("convert-im6.q16").isEmpty() &&
           QProcess::execute("/usr/bin/python3", {"-c", "import psd_tools"}) == 0;
}

QString run(const QString &program, const QStringList &args, int *code = nullptr)
{
    QProcess p;
    p.start(program, args);
    p.waitForFinished(120000);
    if (code)
        *code = p.exitCode();
    return QString::fromUtf8(p.readAllStandardOutput());
}

// A document with three layers of every kind of place and attribute, as our writer saves it.
void makeDocument(TPaper &p)
{
    ASSERT_TRUE(setupHeadlessPaper(p, {64, 48}, 0xFFFFFF, 3));
    for (int32_t i = 0; i < 3; ++i) {
        CBlockVMTC &img = *p.getLayerData(i)->imageTC;
        for (int32_t y = 0; y < 48; y += 1)
            for (int32_t x = (y + i) % 3; x < 64; x += 3)
                img.setPixel(x, y, (y % 4 == 0 ? 0x80000000u : 0xFF000000u) |
                                       uint32_t(x * 4 + i * 50) << 16 | uint32_t(y * 5) << 8 |
                                       uint32_t(i * 80));
    }
    p.getLayerData(0)->title = QStringLiteral("背景画像");
    p.getLayerData(1)->title = QStringLiteral("second");
    p.getLayerData(1)->trans = 128;
    p.getLayerData(1)->mode = TLayerMode::LM_MUL;
    p.getLayerData(2)->title = QStringLiteral("top");
    p.getLayerData(2)->visible = false;
}

} // namespace

TEST(PsdPeerFixtures, OurReaderGivesTheirLayersNamesRectsAndPixels)
{
    checkFixtures(kFixtures);
}

TEST(PsdPeers, RegeneratedFixturesReadTheSame)
{
    if (!havePeers())
        GTEST_SKIP() << "ImageMagick or psd-tools not installed (scripts/peers)";
    QTemporaryDir dir;
    int code = -1;
    run("bash", {KAVRIN_TEST_DATA "/../peers/make_psd_fixtures.sh", dir.path()}, &code);
    ASSERT_EQ(code, 0);
    checkFixtures(dir.path());
}

TEST(PsdPeers, TheyReadWhatWeWrite)
{
    if (!havePeers())
        GTEST_SKIP() << "ImageMagick or psd-tools not installed (scripts/peers)";
    HeadlessDocument doc;
    TPaper &p = *doc.paper;
    makeDocument(p);
    QTemporaryDir dir;
    const QString path = dir.filePath("ours.psd");
    ASSERT_EQ(savePsdFile(path, p, 6, true), CS_OK);

    // ImageMagick: the merged picture, then one picture per layer with its label.
    const QStringList ident =
        run("identify-im6.q16", {"-format", "%l|%W|%H\\n", path}).split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(ident.size(), 4) << ident.join(' ').toStdString();
    EXPECT_EQ(ident[1].section('|', 0, 0), QStringLiteral("背景画像"));
    EXPECT_EQ(ident[2].section('|', 0, 0), QStringLiteral("second"));
    EXPECT_EQ(ident[3].section('|', 0, 0), QStringLiteral("top"));
    for (int32_t i = 0; i < 3; ++i) {
        const QString png = dir.filePath(QStringLiteral("im-%1.png").arg(i));
        int code = -1;
        run("convert-im6.q16", {path + QStringLiteral("[%1]").arg(i + 1), "PNG32:" + png}, &code);
        ASSERT_EQ(code, 0);
        // ImageMagick folds the layer's opacity into its alpha.
        const CLayerData &ld = *p.getLayerData(i);
        expectSamePixels(picture(png),
                         [&](int x, int y) {
                             const uint32_t c = ld.imageTC->getColor(x, y);
                             return (c & 0xFFFFFF) | ((c >> 24) * ld.trans + 127) / 255 << 24;
                         },
                         QStringLiteral("ImageMagick layer %1").arg(i), 1);
    }

    // psd-tools: names, boxes, visibility, opacity, mode and pixels.
    const QString script = QStringLiteral(R"(
import sys
from psd_tools import PSDImage
psd = PSDImage.open(sys.argv[1])
for i, l in enumerate(psd):
    print("%s|%s|%d|%d|%s" % (l.name, ",".join(map(str, l.bbox)), l.visible, l.opacity, l.blend_mode.name))
    l.topil().save("%s/pt-%d.png" % (sys.argv[2], i))
)");
    const QStringList rows =
        run("/usr/bin/python3", {"-c", script, path, dir.path()}).split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(rows.size(), 3) << rows.join(' ').toStdString();
    EXPECT_EQ(rows[0], QStringLiteral("背景画像|0,0,64,48|1|255|NORMAL"));
    EXPECT_EQ(rows[1], QStringLiteral("second|0,0,64,48|1|128|MULTIPLY"));
    EXPECT_EQ(rows[2], QStringLiteral("top|0,0,64,48|0|255|NORMAL"));
    for (int32_t i = 0; i < 3; ++i) {
        const CBlockVMTC &img = *p.getLayerData(i)->imageTC;
        expectSamePixels(picture(dir.filePath(QStringLiteral("pt-%1.png").arg(i))),
                         [&](int x, int y) { return img.getColor(x, y); },
                         QStringLiteral("psd-tools layer %1").arg(i));
    }
}

// ---- 1-bit and 16-bit documents, and names in the old one-byte field

// Whatever reads a file's pixels gives one answer: the import's layer is the codec's layer picture,
// and a depth the codec refuses is refused by the import with the code of the type check.
TEST(NewUserFaultsPsdDepth, ImportAndLayerPictureGiveOneAnswer)
{
    CapturedMessages msgs;
    for (const char *name : {"im-1bit.psd", "im-16bit.psd", "im-grey.psd"}) {
        const QString path = kFixtures + "/" + name;
        std::unique_ptr<codec::CPsdFile> f;
        ASSERT_EQ(codec::CPsdFile::open(&path, f), codec::CodecStatus::Nothing) << name;
        codec::SPsdDocInfo info;
        ASSERT_EQ(f->getDocInfo(info), codec::CodecStatus::Nothing) << name;
        codec::CodecImage pic;
        const codec::CodecStatus s = codec::psdGetLayerImage(*f, 0, pic);
        HeadlessDocument doc;
        doc.paper->eventMngr().stopRecording();
        const uint8_t r = loadPsdFile(path, *doc.paper);
        if (s == codec::CodecStatus::ColorMode) {
            EXPECT_EQ(psdCheckImageType(info), CS_PSD_BAD_TYPE) << name;
            EXPECT_EQ(r, CS_PSD_BAD_TYPE) << name;
            continue;
        }
        ASSERT_EQ(s, codec::CodecStatus::Nothing) << name;
        EXPECT_EQ(psdCheckImageType(info), CS_OK) << name;
        ASSERT_EQ(r, CS_OK) << name;
        const CLayerData &ld = *doc.paper->getLayerData(0);
        QImage want(pic.info.biWidth, std::abs(pic.info.biHeight), QImage::Format_ARGB32);
        for (int y = 0; y < want.height(); ++y)
            std::memcpy(want.scanLine(y), codec::dibRowFromTop(pic.info, pic.bits, y),
                        size_t(want.width()) * 4);
        expectSamePixels(want, [&](int x, int y) { return ld.imageTC->getColor(x, y); },
                         QString::fromLatin1(name));
    }
    EXPECT_TRUE(msgs.warnings.isEmpty()) << msgs.warnings.join('|').toStdString();
}

// A reader of the old one-byte field (psd-tools' own records, read as Shift_JIS) gets our names,
// a long one cut at a whole character.
TEST(NewUserFaultsPsdNames, PsdToolsReadsTheOldNameField)
{
    if (QProcess::execute("/usr/bin/python3", {"-c", "import psd_tools"}) != 0)
        GTEST_SKIP() << "psd-tools not installed (scripts/peers)";
    HeadlessDocument doc;
    TPaper &p = *doc.paper;
    ASSERT_TRUE(setupHeadlessPaper(p, {8, 6}, 0xFFFFFF, 2));
    const QString longName(200, QChar(0x3042)); // "あ", two bytes in Shift_JIS
    p.getLayerData(0)->title = QStringLiteral("レイヤ1");
    p.getLayerData(1)->title = longName;
    QTemporaryDir dir;
    const QString path = dir.filePath("names.psd");
    ASSERT_EQ(savePsdFile(path, p, 6, true), CS_OK);
    const QString script = QStringLiteral(R"(
import sys
from psd_tools.psd import PSD
with open(sys.argv[1], "rb") as f:
    psd = PSD.read(f, encoding="shift_jis")
for r in psd.layer_and_mask_information.layer_info.layer_records:
    sys.stdout.buffer.write((r.name + "\n").encode("utf-8"))
)");
    const QStringList rows =
        run("/usr/bin/python3", {"-c", script, path}).split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(rows.size(), 2) << rows.join(' ').toStdString();
    EXPECT_EQ(rows[0].toStdString(), "レイヤ1");
    EXPECT_EQ(rows[1].toStdString(), longName.left(127).toStdString());
}
