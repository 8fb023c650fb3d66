#include "paint/presets/method_icons.h"

#include "core/image/canvas.h"

#include <array>
#include <memory>

namespace {

constexpr int kIconSize = 32;
using Picture = std::array<const char *, kIconSize>;

// The pictures, one character per pixel, top row first (colours in kPalette).
constexpr Picture kPictures[] = {
    // pencil
    {
        "................................", "................................",
        "................................", ".......................k........",
        "......................kyk.......", ".....................kyyyk......",
        "....................kyyyyyk.....", "...................kyyyyyyyk....",
        "..................kyyyyyyyyyk...", ".................kyyyyyyyyyk....",
        "................kyyyyyyyyyk.....", "...............kyyyyyyyyyk......",
        "..............kyyyyyyyyyk.......", ".............kyyyyyyyyyk........",
        "............kyyyyyyyyyk.........", "...........kyyyyyyyyyk..........",
        "..........ooyyyyyyyyk...........", ".........kyooyyyyyyk............",
        "........kyyyooyyyyk.............", "........kwyyyooyyk..............",
        ".......kwwwyyyook...............", ".......kwwwwyyyo................",
        ".......kwwwwwyk.................", "......kkkwwwkk..................",
        "......kkkkkk....................", ".......kk.......................",
        "................................", "................................",
        "................................", "................................",
        "................................", "................................",
    },
    // watercolor
    {
        "................................", "..........................kk....",
        ".........................krrk...", "........................krrrrk..",
        ".......................krrrrrk..", "......................krrrrrk...",
        ".....................krrrrrk....", "....................krrrrrk.....",
        "...................krrrrrk......", "..................krrrrrk.......",
        ".................krrrrrk........", "................krrrrrk.........",
        "...............krrrrrk..........", "..............krrrrrk...........",
        ".............kssrrrk............", "............kssssrk...bb........",
        "...........ksssssk...bccb.......", "..........ksksssk....bccb.......",
        ".........kskkksk.....bccb.......", ".........kkkkkkk....bccccb......",
        "........kkkkkkkk....bccccb......", ".......kkkkkkkk....bccccccb.....",
        "......kkkkkkkk.....bccccccb.....", ".....kkkkkkkk.....bccccccccb....",
        ".....kkkkkkk......bccccccccb....", ".....kkkkkk.......bccccccccb....",
        "....kkkkkk........bccccccccb....", "....kkkkk..........bccccccb.....",
        ".....kk.............bccccb......", ".....................bbbb.......",
        "................................", "................................",
    },
    // blur
    {
        "................................", "................................",
        "............kkkkkkkk............", "..........kkcccccccckk..........",
        "........kkcccccccccccckk........", ".......kcccccccccccccccck.......",
        "......kcccccccccccccccccck......", ".....kcccccccbbbbbbccccccck.....",
        "....kccccccbbbbbbbbbbcccccck....", "....kcccccbbbbbbbbbbbbccccck....",
        "...kcccccbbbbbbbbbbbbbbccccck...", "...kccccbbbbbbnnnnbbbbbbcccck...",
        "..kcccccbbbbnnnnnnnnbbbbccccck..", "..kccccbbbbbnnnnnnnnbbbbbcccck..",
        "..kccccbbbbnnnnnnnnnnbbbbcccck..", "..kccccbbbbnnnnnnnnnnbbbbcccck..",
        "..kccccbbbbnnnnnnnnnnbbbbcccck..", "..kccccbbbbnnnnnnnnnnbbbbcccck..",
        "..kccccbbbbbnnnnnnnnbbbbbcccck..", "..kcccccbbbbnnnnnnnnbbbbccccck..",
        "...kccccbbbbbbnnnnbbbbbbcccck...", "...kcccccbbbbbbbbbbbbbbccccck...",
        "....kcccccbbbbbbbbbbbbccccck....", "....kccccccbbbbbbbbbbcccccck....",
        ".....kcccccccbbbbbbccccccck.....", "......kcccccccccccccccccck......",
        ".......kcccccccccccccccck.......", "........kkcccccccccccckk........",
        "..........kkcccccccckk..........", "............kkkkkkkk............",
        "................................", "................................",
    },
    // eraser
    {
        "................................", "................................",
        "................................", "................................",
        "................................", "......................kk........",
        ".....................kppk.......", "...................kkppppk......",
        ".................kkpppppppk.....", "................kpppppppppk.....",
        "..............kkpppppppppppk....", "............kkpppppppppppppk....",
        "..........kkppppppppppppppppk...", ".........kwkppppppppppppppppk...",
        ".......kkwwkpppppppppppppppppk..", ".....kkwwwwwkppppppppppppppkk...",
        "...kkwwwwwwwkppppppppppppkk.....", "..kwwwwwwwwwwkpppppppppkk.......",
        "...kwwwwwwwwwkkpppppppk.........", "...kwwwwwwwwwwkpppppkk..........",
        "....kwwwwwwwwwwkppkk............", "....kwwwwwwwwwwkkk..............",
        ".....kwwwwwwwwwk................", ".....kwwwwwwwkk.................",
        "......kwwwwkk...................", ".......kwwk.....................",
        "........kk......................", "................................",
        "................................", "................................",
        "................................", "................................",
    },
    // airbrush
    {
        "................................", "................................",
        "................................", "................................",
        "................................", "..............kkkkkkkkkkkkkkk...",
        "b.........kkkkgggggggggggggggk..", ".........kssssgggggggggggggggk..",
        "..b.bbb..kssssgggggggggggggggk..", ".....bb..kssssgggggggggggggggk..",
        "..........kkkkgggggggggggggggk..", "bb...bbbb.....kkkkkkggggkkkkk...",
        "b...bbbb...........kggggk.......", "..bb...............kggggk.......",
        "...b..............kggggk........", "......b...........kggggk........",
        ".b.b..............kggggk........", "bb..bb............kggggk........",
        "..b..b............kggggk........", ".....b............kggggk........",
        "..................kggggk........", ".................kggggk.........",
        ".................kggggk.........", ".................kggggk.........",
        "..................kkkk..........", "................................",
        "................................", "................................",
        "................................", "................................",
        "................................", "................................",
    },
    // fingertip
    {
        "................................", ".....................kkkkkk.....",
        "....................kffffffk....", "...................kffffffffk...",
        "..................kfffffffffk...", "..................kfffffffffk...",
        ".................kffffffffffk...", "................kfffffffffffk...",
        "...............kffffffffffffk...", "..............kffffffffffffk....",
        ".............kffffffffffffk.....", "............kffffffffffffk......",
        "............kfffffffffffk.......", "...........kfffffffffffk........",
        "..........kfffffwwfffffk........", ".........kfffffwwwwfffk.........",
        "........kfffffwwwwwffk..........", ".......kfffffwwwwwffk...........",
        ".......kffffwwwwwffk............", ".......kffffwwwwffk.............",
        ".......kffffwwwffk..............", ".......kfffffwfffk..............",
        ".......kffffffffk...............", "......mmkffffffk................",
        "....mmmmmkkkkkk.................", "..mmmmmmmm......................",
        ".mmmmmmm........................", ".mmmmm..........................",
        "..mm............................", "................................",
        "................................", "................................",
    },
    // burn
    {
        "................................", "................................",
        ".............kkkkkk.............", "...........kkddddddkk...........",
        ".........kkddddddddddkk.........", "........kddddddddddddddk........",
        ".......kddddddddddddddddk.......", ".......kddddddddddddddddk.......",
        "......kddddddddddddddddddk......", "......kdddddddkkkkdddddddk......",
        ".....kdddddddk....kdddddddk.....", ".....kddddddk......kddddddk.....",
        ".....kddddddk......kddddddk.....", ".....kddddddk......kddddddk.....",
        ".....kddddddk......kddddddk.....", ".....kdddddddk....kdddddddk.....",
        "......kdddddddkkkkdddddddk......", "......kddddddddddddddddddk......",
        ".......kddddddddddddddddk.......", ".......kddddddddddddddddk.......",
        "........kddddddddddddddk........", ".........kkddddddddddkk.........",
        "...........kkddkkddkk...........", ".............kkddkk.............",
        ".............kddddk.............", ".............kddddk.............",
        ".............kddddk.............", ".............kddddk.............",
        ".............kddddk.............", ".............kddddk.............",
        "..............kddk..............", "...............kk...............",
    },
    // dodge
    {
        "................................", ".............kkkkkk.............",
        "...........kkllllllkk...........", "..........kllllllllllk..........",
        ".........kllllllllllllk.........", "........kllllllllllllllk........",
        ".......kllllllllllllllllk.......", ".......kllllllllllllllllk.......",
        "......kllllllllllllllllllk......", "......kllllllllllllllllllk......",
        "......kllllllllllllllllllk......", "......kllllllllllllllllllk......",
        "......kllllllllllllllllllk......", "......kllllllllllllllllllk......",
        ".......kllllllllllllllllk.......", ".......kllllllllllllllllk.......",
        "........kllllllllllllllk........", ".........kllllllllllllk.........",
        "..........kllllllllllk..........", "...........kkllllllkk...........",
        ".............kkkkkk.............", "...............kk...............",
        "...............kk...............", "...............kk...............",
        "...............kk...............", "...............kk...............",
        "...............kk...............", "...............kk...............",
        "...............kk...............", "...............kk...............",
        "...............kk...............", "................................",
    },
    // spread
    {
        "................................", "................................",
        "................................", "................................",
        "................................", "................................",
        "................................", "................................",
        "......................kkkk......", "...............kkkkkkkmmmmk.....",
        "........kkkkkkkmmmmmmmmmmmk.....", "....kkkkmmmmmmmmmmmmmmmmmmk.....",
        "...kmmmmmmmmmmmmmmmmmmmmmmk.....", "...kmmmmmmmmmmmmmmmmmmmmmmk.....",
        "...kmmmmmmmmmmmmmmmmkkkkkk......", "...kmmmmmkkkkkkkkkkk............",
        "....kkkkk.............k.........", "......................kk........",
        ".............ccccccccckkkk......", "....cccccccccccccccccckkkkk.....",
        "....cccccccccccccccccckkkkkkk...", "....cccccccccccccccccckkkkk.....",
        ".............ccccccccckkkk......", "......................kk........",
        "......................k.........", "................................",
        "................................", "................................",
        "................................", "................................",
        "................................", "................................",
    },
};

enum PictureIndex
{
    picPencil,
    picWaterColor,
    picBlur,
    picEraser,
    picAirBrush,
    picFingerTip,
    picBurn,
    picDodge,
    picSpread,
    picCount
};
static_assert(std::size(kPictures) == picCount);

struct PaletteEntry
{
    char key;
    uint8_t r, g, b;
};

constexpr PaletteEntry kPalette[] = {
    {'.', 255, 255, 255}, {'k', 0, 0, 0},       {'y', 255, 200, 40},  {'w', 250, 225, 180},
    {'o', 230, 120, 30},  {'r', 200, 40, 40},   {'s', 170, 170, 180}, {'b', 30, 60, 160},
    {'c', 120, 180, 240}, {'n', 20, 30, 90},    {'p', 240, 140, 160}, {'g', 90, 110, 100},
    {'m', 150, 150, 150}, {'f', 240, 190, 150}, {'d', 90, 60, 40},    {'l', 255, 240, 150},
};

bool paletteColour(char key, sBGRA &colour)
{
    for (const PaletteEntry &e : kPalette)
        if (e.key == key) {
            colour.B = e.b;
            colour.G = e.g;
            colour.R = e.r;
            colour.A = 255;
            return true;
        }
    return false;
}

// Fills the canvas from a picture; false (the canvas left empty) for a malformed picture.
bool decodePicture(const Picture &picture, TMTC &canvas)
{
    if (!canvas.Resize(kIconSize, kIconSize))
        return false;
    for (int y = 0; y < kIconSize; ++y) {
        const char *row = picture[size_t(y)];
        for (int x = 0; x < kIconSize; ++x) {
            sBGRA colour{};
            if (row[x] == 0 || !paletteColour(row[x], colour)) {
                canvas.freeImage();
                return false;
            }
            *static_cast<sBGRA *>(canvas.seek(x, y)) = colour;
        }
    }
    return true;
}

std::array<std::unique_ptr<TMTC>, picCount> gPictures;

// The picture of each icon slot; slot 4 shares the blur picture.
constexpr std::array<PictureIndex, 9> kSlotPictures = {picPencil,    picWaterColor, picBlur,
                                                       picEraser,    picBlur,       picAirBrush,
                                                       picFingerTip, picBurn,       picDodge};

const TMTC *slot(int i)
{
    return gPictures[size_t(kSlotPictures[size_t(i)])].get();
}

} // namespace

void initialiseMethodIcons()
{
    for (int i = 0; i < picCount; ++i) {
        gPictures[size_t(i)] = std::make_unique<TMTC>();
        decodePicture(kPictures[i], *gPictures[size_t(i)]);
    }
}

void finaliseMethodIcons()
{
    for (auto &picture : gPictures)
        picture.reset();
}

const TMTC *getPaintModeIcon(TPaintMode mode)
{
    using enum TPaintMode;
    switch (TPaintMode(uint8_t(mode) & 127)) {
    case pmPencil1:
    case pmPencil4:
    case pmPencil5:
        return slot(0);
    case pmEraser1:
    case pmEraser4:
    case pmEraser5:
        return slot(3);
    case pmWaterColor1:
    case pmWaterColor4:
    case pmWaterColor5:
        return slot(1);
    case pmAirBrush1:
    case pmAirBrush4:
    case pmAirBrush5:
        return slot(5);
    case pmBlur1:
    case pmBlur4:
        return slot(2);
    case pmBlur2:
        return slot(4);
    case pmFingerTip1:
    case pmFingerTip4:
        return slot(6);
    case pmBurn1:
    case pmBurn4:
        return slot(7);
    case pmDodge1:
    case pmDodge4:
        return slot(8);
    case pmSpread4:
        return gPictures[picSpread].get();
    }
    return nullptr;
}
