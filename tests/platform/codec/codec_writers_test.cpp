#include "platform/codec_test_support.h"

#include "platform/codec/bmp_codec.h"
#include "platform/codec/jpeg_codec.h"
#include "platform/codec/png_codec.h"

#include <QBuffer>

#include <gtest/gtest.h>

using namespace codec;
using namespace codec::test;

// Every writer reports a device that takes no bytes, and refuses a DIB it cannot write.
TEST(CodecWriters, ReportShortWritesAndRefuseOtherDibs)
{
    const CodecImage img = patternDib(300, 200, 24);
    QByteArray data;
    QBuffer readOnly(&data);
    readOnly.open(QIODevice::ReadOnly);
    EXPECT_EQ(bmpWriteImage(readOnly, img.info, img.bits), CodecStatus::FileWrite);
    EXPECT_EQ(pngWriteImage(readOnly, img.info, img.bits), CodecStatus::FileWrite);
    EXPECT_EQ(jpegWriteImage(readOnly, img.info, img.bits, {}), CodecStatus::FileWrite);

    QBuffer sink;
    sink.open(QIODevice::WriteOnly);
    CodecImage sixteen = img;
    sixteen.info.biBitCount = 16;
    EXPECT_EQ(bmpWriteImage(sink, sixteen.info, sixteen.bits), CodecStatus::Param);
    EXPECT_EQ(pngWriteImage(sink, sixteen.info, sixteen.bits), CodecStatus::Param);
    EXPECT_EQ(jpegWriteImage(sink, sixteen.info, sixteen.bits, {}), CodecStatus::Param);
    EXPECT_EQ(sink.size(), 0);
}
