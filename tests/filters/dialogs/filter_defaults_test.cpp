// A filter run with no values of its own takes its dialog's defaults: every pixel function of the
// catalogue has a default record, every cell of it a name, and the record applied to a test
// pattern changes it exactly where the filter at its dialog's defaults does something (levels,
// hue and saturation, brightness and contrast, colour balance, rotate and scale are the identity
// at theirs).
#include "filters/dialogs/filter_defaults.h"

#include "filters/algorithms/algorithm_test_support.h"
#include "filters/algorithms/filter_catalogue.h"
#include "filters/dialogs/dialog_values.h"
#include "paint/gradient/gradient_stops.h"

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <memory>
#include <string>

using namespace algotest;

namespace {

constexpr int32_t kW = 40, kH = 30;

// Gradients with hard shapes, opaque with a soft transparent corner.
std::unique_ptr<CBlockVMTC> pattern()
{
    auto img = std::make_unique<CBlockVMTC>(kW, kH);
    for (int32_t y = 0; y < kH; ++y)
        for (int32_t x = 0; x < kW; ++x) {
            uint32_t r = uint32_t(x * 255 / (kW - 1)), g = uint32_t(y * 255 / (kH - 1));
            uint32_t b = uint32_t(((x / 4 + y / 4) % 2) * 80 + 60);
            if (x > 10 && x < 16 && y > 8 && y < 20)
                r = g = b = 250;
            const uint32_t a = x + y > 60 ? 40 : 255;
            img->setPixel(x, y, a << 24 | r << 16 | g << 8 | b);
        }
    return img;
}

// The record a function takes, built from its default cells as the filter lab builds it.
struct SDefaultRecord
{
    explicit SDefaultRecord(const SFilterCatalogueEntry &e)
    {
        const std::vector<uint32_t> cells = filterDefaultValues(e.name, {kW, kH, false, 1});
        for (uint32_t c : cells)
            for (int k = 0; k < 4; ++k)
                bytes.push_back(uint8_t(c >> (8 * k)));
        if (e.recordSize == kFltObjGradientMapSize)
            buildGradient(cells);
        else if (e.recordSize == kFltObjComplexSize)
            buildComplex();
        else if (e.recordSize == kFltFloorSize)
            buildFloor();
        else if (e.recordSize > 0)
            argp = bytes.data();
    }

    void buildGradient(const std::vector<uint32_t> &cells)
    {
        initFltObjGradientMap(gradient);
        gradient.reverse = (cells.at(0) & 1) != 0;
        gradient.protect = (cells.at(0) & 0x100) != 0;
        for (size_t i = 1; i < cells.size(); ++i) {
            sRGBA c;
            c.R = uint8_t(cells[i] >> 16), c.G = uint8_t(cells[i] >> 8), c.B = uint8_t(cells[i]);
            c.A = 255;
            stops.setColor(int32_t(i - 1), c, 0x10000, uint8_t(cells[i] >> 24));
        }
        stops.refresh();
        gradient.crsg = &stops;
        argp = &gradient;
    }
    void buildComplex()
    {
        const size_t head = 8 * 4;
        const size_t block = bytes.size() - head;
        initFltObjComplex(complex, 1, uint16_t(block));
        std::memcpy(&complex.data0, bytes.data(), head);
        complex.data = std::span<const uint8_t>(bytes.data() + head, block);
        argp = &complex;
    }
    void buildFloor()
    {
        initFltFloor(floor);
        std::memcpy(&floor.sfloor, bytes.data(), sizeof floor.sfloor);
        for (int i = 0; i < 2; ++i) {
            textures[i].Resize(256, 256);
            for (int32_t y = 0; y < 256; ++y)
                for (int32_t x = 0; x < 256; ++x)
                    textures[i].seek32(x, y)->all = ((x ^ y) & 16) ? 0xFFE0E0E0u : 0xFF404080u;
            floor.stex[size_t(i)].tc = &textures[i];
            floor.stex[size_t(i)].dpi = 72;
        }
        argp = &floor;
    }

    std::vector<uint8_t> bytes;
    const void *argp = nullptr;
    sFltObjGradientMap gradient{};
    CColorSlotGroup stops;
    sFltObjComplex complex{};
    SFltFloor floor;
    TMTC textures[2];
};

// Whether the function at its dialog's defaults changes the pattern.
const std::map<std::string, bool> kChanges = {
    {"fltBlur", true}, {"fltBlur2", true}, {"fltBlurMore", true}, {"fltBlurMore2", true},
    {"fltGaussianBlur", true}, {"fltMotionBlur", true}, {"fltRadialBlur", true},
    {"fltMedian", true}, {"fltSharpen", true}, {"fltSharpenMore", true},
    {"fltSharpenCustom", true}, {"fltFindEdges", true}, {"fltEmboss", true},
    {"fltLevels", false}, {"fltHueSaturation", false}, {"fltBrightnessContrast", false},
    {"fltColorBalance", false}, {"fltPosterize", true}, {"fltBinarize", true},
    {"fltInvert", true}, {"fltGrayscale", true}, {"fltSolarize", true},
    {"fltGradientMap", true}, {"fltAlphaViaDensity", true}, {"fltWave", true},
    {"fltWave2", true}, {"fltWave3", true}, {"fltTwirl", true},
    {"fltPolarCoordinates", true}, {"fltPolarCoordinates2", true}, {"fltRotate", false},
    {"fltRotate2", false}, {"fltScale", false}, {"fltScale2", false},
    {"fltFlipHorizontal", true}, {"fltFlipVertical", true}, {"fltRotate180", true},
    {"fltClouds", true}, {"fltPlasma", true}, {"fltCloudsRocks", true}, {"fltTiles", true},
    {"fltNoise", true}, {"fltDiffuse", true}, {"fltMosaic", true}, {"fltColorHalftone", true},
    {"fltCustom", true}, {"fltLighting", true}, {"fltFloor", true}, {"fltFloor2", true},
};

} // namespace

TEST(NewUserFaultsFilterDefaults, EveryFunctionRunsAtItsDefaultsAsItsDialogWould)
{
    initialiseFilters();
    const auto src = pattern();
    for (const SFilterCatalogueEntry &e : filterCatalogue()) {
        SCOPED_TRACE(e.name);
        const auto expected = kChanges.find(e.name);
        ASSERT_NE(expected, kChanges.end()) << "no expectation for " << e.name;
        const SDefaultRecord rec(e);
        ASSERT_EQ(rec.argp == nullptr, e.recordSize == 0);
        const SRunResult r = runFilter(*src, SRunSetup{{0, 0, kW, kH}},
                                       [&](sFlt4Params &p) { return e.fn(p, rec.argp, e.recordSize); });
        ASSERT_TRUE(r.ok);
        EXPECT_EQ(filtertest::firstDifference(*r.image, *src).empty(), !expected->second);
    }
}

TEST(NewUserFaultsFilterDefaults, EveryCellIsNamedAndFixedRecordsAreWhole)
{
    for (const SFilterCatalogueEntry &e : filterCatalogue()) {
        SCOPED_TRACE(e.name);
        const std::vector<SFilterCell> cells = filterDefaultCells(e.name);
        EXPECT_EQ(cells.empty(), e.recordSize == 0);
        for (const SFilterCell &c : cells)
            EXPECT_FALSE(c.name.empty());
        if (e.recordSize > 0 && e.recordSize % 4 == 0 && e.recordSize <= kFltObj6Size) {
            EXPECT_EQ(cells.size() * 4, size_t(e.recordSize));
        }
    }
    EXPECT_TRUE(filterDefaultCells("fltNoSuchFilter").empty());
}

TEST(NewUserFaultsFilterDefaults, LevelsStartAsTheIdentityTheDialogShows)
{
    // All zero (what a record with no cells used to be) maps every input level to black.
    const std::vector<uint32_t> cells = filterDefaultValues("fltLevels");
    ASSERT_EQ(cells.size(), 6u);
    const sFltObj6 dialog = lastLevels(SLevelsMemo{});
    EXPECT_EQ(std::memcmp(cells.data(), &dialog, sizeof dialog), 0);
    EXPECT_EQ(cells[0], 0u);          // input black 0 in every column
    EXPECT_EQ(cells[1], 0x64646464u); // midtone 1.00
    EXPECT_EQ(cells[2], 0xFFFFFFFFu); // input white 255
    EXPECT_EQ(cells[3], 0u);          // output black 0
    EXPECT_EQ(cells[4], 0xFFFFFFFFu); // output white 255
}

TEST(NewUserFaultsFilterDefaults, LayerDependentDefaultsFollowTheLayer)
{
    // Scale keeps the effect rectangle's size; the protection bytes follow the layer's.
    const std::vector<uint32_t> scale = filterDefaultValues("fltScale2", {123, 45, true, 1});
    ASSERT_EQ(scale.size(), 4u);
    EXPECT_EQ(scale[0], 123u);
    EXPECT_EQ(scale[1], 45u);
    EXPECT_EQ(scale[2] & 0xFF, 1u);
    EXPECT_EQ(filterDefaultValues("fltMosaic", {8, 8, true, 1}).at(1), 1u);
    EXPECT_EQ(filterDefaultValues("fltMosaic", {8, 8, false, 1}).at(1), 0u);
    EXPECT_EQ(filterDefaultValues("fltNoise", {8, 8, false, 77}).at(2), 77u);
}
