#include "paint/tone/tone_maker.h"

#include "core/image/channel.h"

#include <QFile>
#include <QString>
#include <gtest/gtest.h>

#include <cmath>

namespace {

struct ToneCase
{
    int32_t pattern;
    float pitch;
    float degree;
    float percent;
    int32_t band;
};

// The fraction of full ink over a window of the plane.
double inkFraction(const CToneMaker &m, int32_t w, int32_t h)
{
    double sum = 0;
    for (int32_t y = 0; y < h; ++y) {
        for (int32_t x = 0; x < w; ++x) {
            sum += m.getTone(x, y);
        }
    }
    return sum / (255.0 * w * h);
}

// The simple dot's threshold evaluated straight on the plane, without the tile.
double simpleDotThreshold(const CToneMaker &m, int32_t x, int32_t y)
{
    const double px = x + 0.5, py = y + 0.5;
    const double u = (m.cn * px - m.sn * py) / m.d, v = (m.sn * px + m.cn * py) / m.d;
    const double cu = 2 * (u - std::floor(u)) - 1, cv = 2 * (v - std::floor(v)) - 1;
    return -(1 - cu * cu - cv * cv);
}

// Each case as a 16 x 16 window of tone values in hexadecimal, from (-5, -3) so that the fold of
// negative positions is covered too.
QByteArray toneCellsText(const std::vector<ToneCase> &cases)
{
    QByteArray out;
    for (const ToneCase &c : cases) {
        CToneMaker m;
        out += QStringLiteral("shape %1 (%2) pitch %3 angle %4 density %5 band %6\n")
                   .arg(c.pattern)
                   .arg(getTonePatTypeName(c.pattern))
                   .arg(c.pitch)
                   .arg(c.degree)
                   .arg(c.percent)
                   .arg(c.band)
                   .toUtf8();
        if (!m.buildTone(c.pattern, c.pitch, c.degree, c.percent, c.band)) {
            out += "refused\n";
            continue;
        }
        for (int32_t y = -3; y < 13; ++y) {
            for (int32_t x = -5; x < 11; ++x) {
                out += QByteArray::number(m.getTone(x, y), 16).rightJustified(2, '0');
            }
            out += '\n';
        }
    }
    return out;
}

} // namespace

TEST(ToneMaker, FitsTheSuperCell)
{
    struct Case
    {
        float pitch, degree;
        bool valid;
        int32_t n, A, B;
    };
    const Case cases[] = {
        {2, 0, false, 0, 0, 0},    // 100 dpi at 50 lines: too fine
        {3, 0, true, 1, 0, 3},     // the finest pitch
        {2.9f, 0, false, 0, 0, 0}, // 10 cells make 29 pixels: 2.9 stays too fine
        {128, 0, true, 1, 0, 128}, // the coarsest
        {129, 0, false, 0, 0, 0},
        {8, 0, true, 1, 0, 8}, // axis-aligned: one cell, d x d
        {8, 90, true, 1, 8, 0},
        {8, 45, true, 32, 181, 181}, // 32 cells come within 0.05 of whole pixels
        {10, 22.5f, true, 46, 176, 425},
        {6, 30, true, 5, 15, 26},
        {8, 180, false, 0, 0, 0}, // the side vector leaves the first quadrant
        {8, 179.99f, false, 0, 0, 0},
        {1e-20f, 0, false, 0, 0, 0},
        {0, 0, false, 0, 0, 0},
        {NAN, 0, false, 0, 0, 0},
        {8, INFINITY, false, 0, 0, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << c.pitch << " px at " << c.degree << " degrees");
        CToneMaker m;
        ASSERT_EQ(m.buildTone(tptRound, c.pitch, c.degree, 50, 0), c.valid);
        if (!c.valid) {
            EXPECT_EQ(m.tile(), nullptr);
            continue;
        }
        EXPECT_EQ(m.n, c.n);
        EXPECT_EQ(m.A, c.A);
        EXPECT_EQ(m.B, c.B);
        EXPECT_EQ(m.tile()->width(), c.A + c.B);
        EXPECT_EQ(m.tile()->height(), std::max(c.A, c.B));
        EXPECT_NEAR(m.d, std::hypot(c.A, c.B) / c.n, 1e-4);
        EXPECT_EQ(m.k, float((c.B - c.A) / 2));
    }
}

TEST(ToneMaker, RefusedRequestKeepsTheToneInForce)
{
    CToneMaker m;
    ASSERT_TRUE(m.buildTone(tptRound, 8, 0, 30, 0));
    const uint32_t before = m.getTone(3, 3);
    EXPECT_FALSE(m.buildTone(tptRound, 2, 0, 30, 0));
    EXPECT_FALSE(m.buildTone(tptRound, 8, 0, NAN, 0));
    EXPECT_EQ(m.d, 8);
    EXPECT_EQ(m.getTone(3, 3), before);
    EXPECT_EQ(CToneMaker().getTone(0, 0), 0u); // no tile yet: no ink
}

TEST(ToneMaker, WorkedLineToneAtPitch4)
{
    // tptLineY at 0 degrees, pitch 4: the rows of the 4 x 4 tile (k = 2) sit at y = 2.5, 3.5,
    // 4.5, 5.5 and get V = 0.25, 0.75, -0.75, -0.25, so thresholds -0.25, -0.75, 0.75, 0.25,
    // normalised to 1/3, 0, 1, 2/3. Percentages 0-24 rank at 0, 25-49 at 1/3, 50-74 at 2/3,
    // 75-100 at 1.
    CToneMaker m;
    ASSERT_TRUE(m.buildTone(tptLineY, 4, 0, 50, 0));
    EXPECT_FLOAT_EQ(m.mapTbl[24].value, 0);
    EXPECT_FLOAT_EQ(m.mapTbl[25].value, 1.0f / 3);
    EXPECT_EQ(m.mapTbl[50].num, 4);
    EXPECT_EQ(m.mapTbl[50].back, 0);
    EXPECT_EQ(m.mapTbl[50].fwd, 24);
    EXPECT_EQ(m.mapTbl[60].back, 10);
    // Density 50: thresholds up to 2/3 are inked, so every row but the one at y = 4.5 (mod 4).
    for (int32_t y = -4; y < 8; ++y) {
        for (int32_t x = -3; x < 5; ++x) {
            EXPECT_EQ(m.getTone(x, y), (y % 4 == 0) ? 0u : 255u) << x << ", " << y;
        }
    }
}

TEST(ToneMaker, DensityEnds)
{
    CToneMaker m;
    ASSERT_TRUE(m.buildTone(tptSimpleDot, 8, 0, 100, 0));
    EXPECT_EQ(inkFraction(m, 32, 32), 1.0);
    // Density 0 with a hard edge inks only the pixels of the lowest threshold: the four centre
    // pixels of each 8 x 8 cell.
    ASSERT_TRUE(m.buildTone(tptSimpleDot, 8, 0, 0, 0));
    EXPECT_EQ(inkFraction(m, 32, 32), 4.0 / 64);
    EXPECT_EQ(m.getTone(3, 3), 255u);
    EXPECT_EQ(m.getTone(0, 0), 0u);
    // Densities outside 0..100 are clamped.
    ASSERT_TRUE(m.buildTone(tptSimpleDot, 8, 0, 250, 0));
    EXPECT_EQ(m.percent, 100);
}

TEST(ToneMaker, InkFollowsTheDensity)
{
    for (const float angle : {0.0f, 30.0f, 45.0f}) {
        CToneMaker m;
        double last = -1;
        for (int p = 10; p <= 90; p += 20) {
            ASSERT_TRUE(m.buildTone(tptRound, 16, angle, float(p), 0));
            const double ink = inkFraction(m, 128, 128);
            EXPECT_NEAR(ink, p / 100.0, 0.035) << angle << " degrees, " << p << " %";
            EXPECT_GT(ink, last);
            last = ink;
        }
    }
}

TEST(ToneMaker, InkedPixelsAreThoseOfTheLowestThresholds)
{
    // Whatever the angle, the fold of every plane position into the tile must find a pixel of the
    // same place in its cell: the inked pixels are then exactly those below one threshold.
    for (const ToneCase &c :
         {ToneCase{tptSimpleDot, 10, 22.5f, 30, 0}, ToneCase{tptSimpleDot, 6, 30, 60, 0},
          ToneCase{tptSimpleDot, 8, 45, 20, 0}, ToneCase{tptSimpleDot, 7.3f, 71, 45, 0}}) {
        SCOPED_TRACE(testing::Message() << c.pitch << " px at " << c.degree << " degrees");
        CToneMaker m;
        ASSERT_TRUE(m.buildTone(c.pattern, c.pitch, c.degree, c.percent, c.band));
        double maxInked = -2, minBlank = 2;
        for (int32_t y = -300; y < 300; y += 3) {
            for (int32_t x = -300; x < 300; x += 2) {
                const double t = simpleDotThreshold(m, x, y);
                if (m.getTone(x, y) == 255) {
                    maxInked = std::max(maxInked, t);
                } else {
                    minBlank = std::min(minBlank, t);
                }
            }
        }
        ASSERT_GT(maxInked, -2);
        ASSERT_LT(minBlank, 2);
        EXPECT_LT(maxInked, minBlank + 1e-4); // the same place computed two ways
    }
}

TEST(ToneMaker, BandMakesASoftEdge)
{
    CToneMaker m;
    ASSERT_TRUE(m.buildTone(tptRound, 12, 0, 50, 0));
    for (int32_t x = 0; x < 12; ++x) {
        const uint32_t t = m.getTone(x, 6);
        EXPECT_TRUE(t == 0 || t == 255) << t;
    }
    ASSERT_TRUE(m.buildTone(tptRound, 12, 0, 50, 20));
    EXPECT_LT(m.limitL, m.limitR);
    int partial = 0;
    for (int32_t y = 0; y < 12; ++y) {
        for (int32_t x = 0; x < 12; ++x) {
            const uint32_t t = m.getTone(x, y);
            partial += (t != 0 && t != 255);
        }
    }
    EXPECT_GT(partial, 10);
}

TEST(ToneMaker, LineShapesRunAlongTheRotatedAxes)
{
    // At 0 degrees the ramp across the cell in x gives vertical lines, the one in y horizontal.
    CToneMaker mx, my;
    ASSERT_TRUE(mx.buildTone(tptLineX, 8, 0, 40, 0));
    ASSERT_TRUE(my.buildTone(tptLineY, 8, 0, 40, 0));
    for (int32_t y = 0; y < 16; ++y) {
        for (int32_t x = 0; x < 16; ++x) {
            EXPECT_EQ(mx.getTone(x, y), mx.getTone(x, 0));
            EXPECT_EQ(my.getTone(x, y), my.getTone(0, y));
        }
    }
    // 40 % ranks at the 26th of 64 thresholds, the lowest of the fourth column: 4 of 8 columns.
    EXPECT_EQ(inkFraction(mx, 16, 16), 0.5);
}

TEST(ToneMaker, RepeatsWithTheSuperCell)
{
    CToneMaker m;
    ASSERT_TRUE(m.buildTone(tptCosDot, 6, 30, 45, 10));
    for (int32_t y = -20; y < 20; ++y) {
        for (int32_t x = -20; x < 20; ++x) {
            const uint32_t t = m.getTone(x, y);
            EXPECT_EQ(m.getTone(x + m.B, y - m.A), t);
            EXPECT_EQ(m.getTone(x + m.A, y + m.B), t);
        }
    }
}

TEST(ToneMaker, FillReadsThePlane)
{
    CToneMaker m;
    ASSERT_TRUE(m.buildTone(tptDiamond, 9, 15, 60, 5));
    TChannel ch(20, 10);
    EXPECT_TRUE(m.fill(ch, -7, 4));
    for (int32_t y = 0; y < 10; ++y) {
        for (int32_t x = 0; x < 20; ++x) {
            EXPECT_EQ(ch.getColor(x, y), m.getTone(x - 7, y + 4));
        }
    }
}

TEST(ToneMaker, ShapeNames)
{
    EXPECT_EQ(getTonePatTypeName(tptRound), QStringLiteral("円(網)"));
    EXPECT_EQ(getTonePatTypeName(tptCosDot), QStringLiteral("円(Cos)"));
    EXPECT_EQ(getTonePatTypeName(tptRhomboid), QStringLiteral("菱形"));
    EXPECT_EQ(getTonePatTypeName(tptMaxNum), QStringLiteral("???"));
    EXPECT_EQ(getTonePatTypeName(-1), QStringLiteral("???"));
    EXPECT_EQ(tonePatTypeOf(12), tptRhomboid);
    EXPECT_EQ(tonePatTypeOf(-3), tptRound);

    // A shape above 9 builds as 9.
    CToneMaker a, b;
    ASSERT_TRUE(a.buildTone(42, 8, 10, 50, 0));
    ASSERT_TRUE(b.buildTone(tptRhomboid, 8, 10, 50, 0));
    EXPECT_EQ(a.getTone(5, 2), b.getTone(5, 2));
}

TEST(ToneMaker, MatchesTheReviewedCells)
{
    std::vector<ToneCase> cases;
    for (int32_t shape = 0; shape < tptMaxNum; ++shape) {
        cases.push_back({shape, 8, 0, 40, 0});
    }
    cases.push_back({tptRound, 6, 30, 50, 0});
    cases.push_back({tptRound, 8, 45, 20, 10});
    cases.push_back({tptSimpleDot, 10, 22.5f, 30, 0});
    cases.push_back({tptLine, 6, 30, 40, 10});
    cases.push_back({tptCosDot, 12, 60, 70, 5});
    cases.push_back({tptDiamond, 9, 15, 60, 0});

    const QString golden = QStringLiteral(KAVRIN_TEST_DATA "/tones/tone_cells.txt");
    const QByteArray actual = toneCellsText(cases);
    QFile in(golden);
    const QByteArray expected = in.open(QIODevice::ReadOnly) ? in.readAll() : QByteArray();
    if (actual != expected) {
        QFile out(golden + QStringLiteral("_actual"));
        if (out.open(QIODevice::WriteOnly)) {
            out.write(actual);
        }
    }
    EXPECT_EQ(actual.toStdString(), expected.toStdString());
}
