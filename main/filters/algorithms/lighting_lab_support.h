// What the filter lab needs to run this family's pixel functions from a command line: the light
// of the lighting filter given as cells, and the floor's two texture slots loaded from image
// files the way the floor dialog loads a texture (scaled into 256 x 256, the repetition size the
// file's own size).
#pragma once

#include "document/events/filter_records.h"

#include <QString>

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

class TMTC;

// "kind,power,colour,range,posx,posy,posz,theta,phi,wide": kind 0 point, 1 warm, 2 spot; the
// colour as 0xRRGGBB (or a decimal sBGRA value); posx and posy fractions of the area; theta and
// phi in radians; wide in degrees. Trailing cells may be left out (they stay 0). False, with a
// message in error, for a cell that is not a number or more than ten cells.
bool parseLightCells(std::string_view text, SFltLight &light, std::string *error = nullptr);

// The lighting filter's record with the light as the block's one item: ambient colour
// (0xRRGGBB) and brightness in percent. rec.data points into block.
struct SLightingLabRecord
{
    sFltObjComplex rec{};
    std::array<uint8_t, sizeof(SFltLight)> block{};

    SLightingLabRecord() = default;
    SLightingLabRecord(const SLightingLabRecord &) = delete;
    SLightingLabRecord &operator=(const SLightingLabRecord &) = delete;
};
void makeLightingLabRecord(SLightingLabRecord &out, const SFltLight &light, uint32_t ambientRGB,
                           int32_t brightness);

// The floor's two slot images, owned here; the record refers to them.
struct SFloorLabTextures
{
    std::array<std::unique_ptr<TMTC>, 2> tex;
    std::array<sSize, 2> size{}; // the files' sizes: the repetition sizes
    ~SFloorLabTextures();
};
// "A.png[,B.png]": A into slot 0 (the ceiling), B (or A again) into slot 1 (the floor), each
// scaled into 256 x 256 with the area-average resampler. False, with a message, when a file cannot
// be read.
bool loadFloorLabTextures(const QString &list, SFloorLabTextures &out, QString *error = nullptr);
// A version-3 floor record (initFltFloor, both slots drawn from files) over the loaded images.
void makeFloorLabRecord(SFltFloor &rec, const SFloorLabTextures &textures);
