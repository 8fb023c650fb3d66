// The committed sample files of the native and the oldest formats: each is read back, and the
// native one saves again to the same bytes. KAVRIN_REGENERATE_FILES=1 writes them anew.
#include "core/mask/mask_manager.h"
#include "core/tiles/block_channel.h"
#include "document/events/event_manager.h"
#include "document/events/legacy_event_stream.h"
#include "document/files/legacy_image.h"
#include "document/files/native_image.h"
#include "document/paper/headless.h"
#include "document/paper/layer_data.h"
#include "document/paper/paper.h"
#include "document/view/composition.h"
#include "support/paper_fakes.h"
#include "legacy_image_builder.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

const QString kNative = QStringLiteral(KAVRIN_TEST_DATA "/native/sample.qzi");
const QString kLegacyImage = QStringLiteral(KAVRIN_TEST_DATA "/legacy/sample.wpb");
const QString kLegacyEvents = QStringLiteral(KAVRIN_TEST_DATA "/legacy/sample.wpe");

bool regenerate(const QString &path)
{
    return qEnvironmentVariableIsSet("KAVRIN_REGENERATE_FILES") || !QFile::exists(path);
}

QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeFile(const QString &path, const QByteArray &b)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(b);
}

// Two painted layers (one extended, grouped and clipped) and one mask.
void makeNativeSample(TPaper &paper)
{
    ASSERT_TRUE(setupHeadlessPaper(paper, {64, 48}, 0x00E0D0C0, 2));
    for (int32_t k = 0; k < 300; ++k)
        paper.getLayerData(k % 2)->imageTC->setPixel((k * 7) % 64, (k * 5) % 48,
                                                     0xFF000000u | uint32_t(k * 40503));
    CLayerData &top = *paper.getLayerData(1);
    top.title = QStringLiteral("線画");
    top.setGroupLevel(1);
    top.ChangeUnderLyrClip(true);
    auto md = std::make_unique<CMaskData>(0, 64, 48);
    for (int32_t y = 4; y < 20; ++y)
        for (int32_t x = 2; x < 30; ++x)
            md->maskTC->setPixel(x, y, 180);
    paper.maskMngr().deleteAll();
    ASSERT_GE(paper.maskMngr().insertMask(0, md), 0);
    paper.maskMngr().setCurIndex(0);
    UpdateVRAM(paper, false, false);
}

TEST(NativeImageFile, SampleFileLoadsAndSavesToTheSameBytes)
{
    if (regenerate(kNative)) {
        HeadlessDocument d;
        makeNativeSample(*d.paper);
        QDir().mkpath(QFileInfo(kNative).path());
        ASSERT_TRUE(saveNativeImage(kNative, *d.paper, kQziLayers | kQziMasks | kQziThumbnail));
    }
    HeadlessDocument d;
    d.paper->eventMngr().stopRecording();
    ASSERT_EQ(loadNativeImage(kNative, *d.paper), 0);
    ASSERT_EQ(d.paper->getLayerCount(), 2);
    EXPECT_EQ(d.paper->getLayerData(1)->title, QStringLiteral("線画"));
    EXPECT_EQ(d.paper->maskMngr().getMask(0)->getMaskValue(5, 5), 180);
    QTemporaryDir dir;
    ASSERT_TRUE(
        saveNativeImage(dir.filePath("again.qzi"), *d.paper, kQziLayers | kQziMasks | kQziThumbnail));
    EXPECT_EQ(readFile(dir.filePath("again.qzi")), readFile(kNative));
}

TEST(LegacyImage, SampleFilesLoad)
{
    if (regenerate(kLegacyImage) || regenerate(kLegacyEvents)) {
        LegacyImageBuilder b(40, 30);
        b.layer(3, 255, true, LegacyImageBuilder::fill(40 * 30, 250, 240, 230));
        QByteArray lit("\xe3", 1); // 28 literal pixels: a ramp
        for (int i = 0; i < 28; ++i)
            lit += QByteArray(1, char(i * 9)) + QByteArray(1, char(255 - i * 9)) + QByteArray(1, '\x40');
        b.layer(3, 200, true, lit + LegacyImageBuilder::fill(40 * 30 - 28, 0, 0, 0));
        b.active = 1;
        QByteArray ev = LegacyImageBuilder::createEvents(40, 30);
        ev.chop(2);
        LegacyImageBuilder::put<uint16_t>(ev, 292); // clear layer 0
        ev += '\0';
        LegacyImageBuilder::put<uint16_t>(ev, 0xFFFF);
        b.events = ev;
        writeFile(kLegacyImage, b.bytes());
        writeFile(kLegacyEvents, ev);
    }
    HeadlessDocument d;
    TEventPacket event;
    ASSERT_TRUE(LoadFromFile2(*d.paper, nullptr, kLegacyImage, event));
    EXPECT_EQ(d.paper->getLayerCount(), 2);
    EXPECT_EQ(d.paper->ActiveLayer(), 1);
    EXPECT_EQ(event.eventNum(), 3);
    TEventPacket file;
    TEventChecker check;
    ASSERT_TRUE(file.LoadFromFile(kLegacyEvents, check));
    EXPECT_EQ(check.m_maxX, 40);
    EXPECT_EQ(check.m_criticalEvent, 3);
}

} // namespace
