#include "ui/graphics/appearance.h"

#include "platform/desktop/font.h"
#include "ui/base/system_colours.h"

#include <QFontDatabase>
#include <QPainter>
#include <QWidget>

#include <cstring>

std::array<TColor32, kSysColor32Count> gSysColor32{};
TAppearanceManager *gAppearanceManager = nullptr;
std::array<std::array<TMemoryGraphic *, 2>, 2> gGradMarkerImages{};

namespace {

// The platform colours of entries 0..27, in the order of TSysColor32Index.
constexpr int kSysColorSource[28] = {COLOR_3DDKSHADOW,
                                     COLOR_BTNFACE,
                                     COLOR_BTNHIGHLIGHT,
                                     COLOR_3DLIGHT,
                                     COLOR_BTNSHADOW,
                                     COLOR_ACTIVEBORDER,
                                     COLOR_ACTIVECAPTION,
                                     COLOR_APPWORKSPACE,
                                     COLOR_BACKGROUND,
                                     COLOR_BTNTEXT,
                                     COLOR_CAPTIONTEXT,
                                     COLOR_GRADIENTACTIVECAPTION,
                                     COLOR_GRADIENTINACTIVECAPTION,
                                     COLOR_GRAYTEXT,
                                     COLOR_HIGHLIGHT,
                                     COLOR_HIGHLIGHTTEXT,
                                     COLOR_HOTLIGHT,
                                     COLOR_INACTIVEBORDER,
                                     COLOR_INACTIVECAPTION,
                                     COLOR_INACTIVECAPTIONTEXT,
                                     COLOR_INFOBK,
                                     COLOR_INFOTEXT,
                                     COLOR_MENU,
                                     COLOR_MENUTEXT,
                                     COLOR_SCROLLBAR,
                                     COLOR_WINDOW,
                                     COLOR_WINDOWFRAME,
                                     COLOR_WINDOWTEXT};

TColor32 withAlpha(TColor32 c, uint8_t a)
{
    c.a = a;
    return c;
}

uint8_t coverageOf(char ch)
{
    switch (ch) {
    case 'a':
        return 32;
    case 'b':
        return 64;
    case 'c':
        return 85;
    case 'd':
        return 128;
    case 'e':
        return 204;
    case 'f':
        return 255;
    default:
        return 0;
    }
}

bool paletteColour(char ch, TColor32 &c)
{
    switch (ch) {
    case 'W':
        c = clWindowFrame32();
        return true;
    case 'D':
        c = cl3DDkShadow32();
        return true;
    case 'S':
        c = clBtnShadow32();
        return true;
    case 'F':
        c = clBtnFace32();
        return true;
    case 'L':
        c = cl3DLight32();
        return true;
    case 'H':
        c = clBtnHighlight32();
        return true;
    default:
        return false;
    }
}

// Calls f(x, y, ch) for every character of a "/"-separated pattern.
template <typename F> void forEachCell(const char *pattern, F f)
{
    int32_t x = 0, y = 0;
    for (const char *p = pattern; *p; ++p) {
        if (*p == '/') {
            x = 0;
            ++y;
            continue;
        }
        f(x++, y, *p);
    }
}

// Three-state colours of the disc buttons, check boxes and eyes.
TColor32 ringColour(TGlyphState s)
{
    return s == gsActive ? clHighlight32() : clBtnShadow32();
}
TColor32 discColour(TGlyphState s)
{
    return s == gsActive ? clHighlightText32() : clBtnFace32();
}
TColor32 symbolColour(TGlyphState s)
{
    return s == gsNone ? clWindowText32() : s == gsActive ? clHighlight32() : clGrayText32();
}

constexpr const char *kArrowPatterns[13] = {
    "......./...d.../..dfd../.dfffd./dfffffd/......./.......",
    "......./......./dfffffd/.dfffd./..dfd../...d.../.......",
    "....d../...df../..dff../.dfff../..dff../...df../....d..",
    "..d..../..fd.../..ffd../..fffd./..ffd../..fd.../..d....",
    "...d.../..dfd../.dfffd./abbbbba/.dfffd./..dfd../...d...",
    "...a.../..dbd../.dfbfd./dffbffd/.dfbfd./..dbd../...a...",
    ".a...a./afc.cfa/.cfdfc./..dfd../.cfdfc./afc.cfa/.a...a.",
    "......./......./....cec/....efe/....cec/......./.......",
    "......./......./......./......./..cec../..efe../..cec..",
    "......./......./cec..../efe..../cec..../......./.......",
    "..cec../..efe../..cec../......./......./......./.......",
    "......./...f.../...f.../.fffff./...f.../...f.../.......",
    "......./......./......./.fffff./......./......./.......",
};

constexpr const char *kCheckPattern = "......d/.....df/d...dfd/fd.dfd./dfdfd../.dfd.../..d....";

// Our own pictures of the eyes, the chain link, the active mark and the clipping mark.
constexpr const char *kEyeClosed =
    "........./........./f.......f/df.....fd/.dfffffd./.a.d.d.a./a..a.a..a";
constexpr const char *kEyeOpen =
    "..bfffb../.fd...df./fd.fff.df/f..fff..f/fd.fff.df/.fd...df./..bfffb..";
constexpr const char *kLinkPattern = "..dfffd../..f...f../..f...f../..f.f.f../..dfffd../....f..../"
                                     "..dfffd../..f.f.f../..f...f../..f...f../..dfffd..";
constexpr const char *kActivePattern =
    ".........df/........dfd/.......dfd./......dfd../.....dfd.../....dfd..../...dfd...../"
    "..dff....../.dfff....../dfffd....../ffd........";
constexpr const char *kClippingPattern =
    ".......f./.......f./.......f./.......f./..d....f./.df....f./dffffffd./.df....../..d......";

constexpr const char *kPosPatterns[8] = {
    nullptr,
    "....W..../...WHW.../..WHFSW../.WHFFFSW./WHFFFFFSW/WHFFFFFSW/WHFFFFFSW/WFSSSSSSW/WWWWWWWWW",
    "....W..../...WHW.../..WHFSW../.WHFFFSW./WHFFFFFSW/WHFFFFFSW/WHFFFFFSW/WFSSSSSSW/WWWWWWWWW",
    "....W..../...WHW.../..WHFSW../.WHFFFSW./WHFFFFFSW/WFSSSSSSW/WWWWWWWWW",
    "....W..../...WFW.../..WFSDW../.WFSDSDW./WFSDSDSDW/WFDSDSDDW/WFSDSDSDW/WSDDDDDDW/WWWWWWWWW",
    "....W..../...WHW.../..WHSSW../.WHSFSSW./WHSFSFSSW/WHFSFSFSW/WHSFSFSSW/WSSSSSSSW/WWWWWWWWW",
    "....W..../...WHW.../..WHHLW../.WHHLHLW./WHHLHLHSW/WHLHLHLSW/WHHLHLHSW/WLSSSSSSW/WWWWWWWWW",
    "WWWWWWWWWW/WHHHHHHHFW/WHFFFFFFSW/WHFFFFFFSW/WHFFFFFFSW/WFSSSSSSSW/WWWWWWWWWW",
};
constexpr sSize kPosSizes[8] = {{11, 11}, {9, 9}, {9, 9}, {9, 7}, {9, 9}, {9, 9}, {9, 9}, {10, 7}};

std::unique_ptr<TMemoryGraphic> newImage(int32_t w, int32_t h, TColor32 background)
{
    return std::make_unique<TMemoryGraphic>(w, h, background);
}

// A disc button in state s at (x, y) with a 7 x 7 symbol.
void drawDiscButton(TMemoryGraphic &g, int32_t x, int32_t y, const char *symbol, TGlyphState s)
{
    g.setColor(withAlpha(ringColour(s), 0));
    g.Clear();
    g.FillCircle(sPos{x, y}, 11, ringColour(s), blendCopy, blendNormal);
    g.FillCircle(sPos{x + 1, y + 1}, 9, discColour(s), blendNormal, blendKeep);
    drawCoveragePattern(g, x + 2, y + 2, symbol, symbolColour(s));
}

// A framed box: cleared to fill (alpha 255), a frame, the inside filled again.
void drawBox(TMemoryGraphic &g, TColor32 fill, TColor32 topLeft, TColor32 bottomRight)
{
    g.setColor(withAlpha(fill, 255));
    g.Clear();
    const sRect all{0, 0, g.Width(), g.Height()};
    g.DrawRectangle(all, 1, topLeft, bottomRight, blendCopy, blendNormal);
    g.FillRectangle({1, 1, g.Width() - 1, g.Height() - 1}, fill, blendNormal, blendKeep);
}

// The tab ends: a roof widening by one pixel on each side every two rows.
std::string tabPattern(TTabState state)
{
    std::string out;
    for (int row = 0; row < 18; ++row) {
        std::string line(18, '.');
        const int widen = (row + 1) / 2;
        const int left = state == tsActive && row == 16 ? 0 : std::max(8 - widen, 0);
        const int right = 17 - left;
        if (row == 0) {
            line[8] = line[9] = 'W';
        } else if (row <= 15 || (state == tsActive && row == 16)) {
            for (int x = left; x <= right; ++x)
                line[size_t(x)] = 'F';
            line[size_t(left)] = line[size_t(right)] = 'W';
            if (state == tsActive) {
                line[size_t(left + 1)] = 'H';
                line[size_t(right - 1)] = 'S';
            }
        } else if (row == 16) {
            line.assign(18, 'W');
        } else if (state == tsActive) {
            line.assign(18, 'F');
            line[0] = 'H';
        } else {
            line.assign(18, 'H');
        }
        out += line;
        if (row < 17)
            out += '/';
    }
    return out;
}

void drawGradMarker(TMemoryGraphic &g, bool joined, bool selected)
{
    static const char *const plain[8] = {".......o.......", "......oro......", ".....orrro.....",
                                         "....orrirro....", "...orriiirro...", "..orriiiiirro..",
                                         ".orriiiiiiirro.", "orriiiiiiiiirro"};
    static const char *const split[8] = {".......o.......", "......ooo......", ".....ororo.....",
                                         "....orrorro....", "...orrrorrro...", "..orrirorirro..",
                                         ".orriiroriirro.", "orriiiroriiirro"};
    const TColor32 outline = selected ? clWindowFrame32() : withAlpha(clGrayText32(), 170);
    const TColor32 ring = selected ? clHighlightText32() : withAlpha(clBtnFace32(), 170);
    const TColor32 inside = selected ? clHighlight32() : withAlpha(clGrayText32(), 170);
    for (int32_t y = 0; y < 15; ++y) {
        const char *row = (joined ? split : plain)[y < 8 ? y : 14 - y];
        for (int32_t x = 0; x < 15; ++x) {
            const char ch = row[x];
            g.SetPixel(x, y,
                       ch == 'o'   ? outline
                       : ch == 'r' ? ring
                       : ch == 'i' ? inside
                                   : clBtnFaceClear32());
        }
    }
}

} // namespace

void SetSysColor32()
{
    for (int i = 0; i < 28; ++i)
        gSysColor32[size_t(i)] = colorToColor32(getSysColor(kSysColorSource[i]), 255);
    gSysColor32[scBtnFaceClear] = withAlpha(clBtnFace32(), 0);
    gSysColor32[scHighlightHalf] = withAlpha(clHighlight32(), 128);
    gSysColor32[scGrayTextHalf] = withAlpha(clGrayText32(), 128);
    gSysColor32[scBtnFaceHalf] = withAlpha(clBtnFace32(), 128);
    gSysColor32[scBtnFaceThird] = withAlpha(clBtnFace32(), 85);
    gSysColor32[scBtnFaceTwoThirds] = withAlpha(clBtnFace32(), 170);
}

void drawCoveragePattern(TMemoryGraphic &g, int32_t x, int32_t y, const char *pattern,
                         TColor32 colour)
{
    forEachCell(pattern, [&](int32_t cx, int32_t cy, char ch) {
        const uint8_t v = coverageOf(ch);
        if (v && g.GetContains(x + cx, y + cy))
            g.PutPixel(x + cx, y + cy, colour, byteWeight(v), 0.0f, blendNormal, blendKeep);
    });
}

void drawPalettePattern(TMemoryGraphic &g, int32_t x, int32_t y, const char *pattern)
{
    forEachCell(pattern, [&](int32_t cx, int32_t cy, char ch) {
        TColor32 c;
        if (paletteColour(ch, c))
            g.SetPixel(x + cx, y + cy, c);
    });
}

const char *arrowPattern(int kind)
{
    return kind >= 0 && kind < 13 ? kArrowPatterns[kind] : "";
}

TAppearanceManager::TAppearanceManager()
{
    SetSysColor32();
    for (int i = 0; i < 8; ++i) {
        FPosImages[size_t(i)] = newImage(kPosSizes[i].x, kPosSizes[i].y, clNone32);
        if (i == 0) {
            TMemoryGraphic &g = *FPosImages[0];
            g.DrawCircle(sPos{0, 0}, 11, 4, clBlack32, blendKeep, blendNormal);
            g.DrawCircle(sPos{1, 1}, 9, 2, clWhite32, blendNormal, blendKeep);
        } else {
            drawPalettePattern(*FPosImages[size_t(i)], 0, 0, kPosPatterns[i]);
        }
    }
    for (int t = 0; t < 2; ++t) {
        FTabImages[size_t(t)] = newImage(18, 18, clNone32);
        drawPalettePattern(*FTabImages[size_t(t)], 0, 0, tabPattern(TTabState(t)).c_str());
    }
    for (int s = 0; s < 3; ++s) {
        FMenuImages[size_t(s)] = newImage(17, 15, clBtnFaceClear32());
        drawDiscButton(*FMenuImages[size_t(s)], 3, 2, kArrowPatterns[1], TGlyphState(s));
    }
    for (int k = 0; k < 13; ++k)
        for (int s = 0; s < 3; ++s) {
            Image &img = FArrowImages[size_t(3 * k + s)];
            img = newImage(11, 11, clNone32);
            drawDiscButton(*img, 0, 0, kArrowPatterns[k], TGlyphState(s));
        }
    for (int t = 0; t < 2; ++t)
        for (int s = 0; s < 3; ++s) {
            const TGlyphState st = TGlyphState(s);
            Image &img = FCheckBoxImages[size_t(3 * t + s)];
            img = newImage(11, 11, clNone32);
            const TColor32 box = st == gsNone     ? clWindow32()
                                 : st == gsActive ? clHighlightText32()
                                                  : clBtnFace32();
            img->setColor(withAlpha(ringColour(st), 255));
            img->Clear();
            img->DrawRectangle({0, 0, 11, 11}, 1, ringColour(st), blendCopy, blendNormal);
            img->FillRectangle({1, 1, 10, 10}, box, blendNormal, blendKeep);
            if (t)
                drawCoveragePattern(*img, 2, 2, kCheckPattern, symbolColour(st));
        }
    for (int v = 0; v < 2; ++v)
        for (int s = 0; s < 3; ++s) {
            const TGlyphState st = TGlyphState(s);
            Image &img = FEyeImages[size_t(3 * v + s)];
            img = newImage(13, 13, clNone32);
            if (st == gsActive)
                drawBox(*img, discColour(st), clHighlight32(), clHighlight32());
            else
                drawBox(*img, discColour(st), clBtnShadow32(), clBtnHighlight32());
            drawCoveragePattern(*img, 2, 3, v ? kEyeOpen : kEyeClosed, symbolColour(st));
        }
    for (int l = 0; l < 2; ++l) {
        FLinkImages[size_t(l)] = newImage(13, 13, clNone32);
        drawBox(*FLinkImages[size_t(l)], clBtnFace32(), clBtnShadow32(), clBtnHighlight32());
        if (l)
            drawCoveragePattern(*FLinkImages[1], 2, 1, kLinkPattern, clWindowText32());
    }
    FActiveImage = newImage(13, 13, clNone32);
    drawBox(*FActiveImage, clBtnFace32(), clBtnShadow32(), clBtnHighlight32());
    drawCoveragePattern(*FActiveImage, 1, 1, kActivePattern, clWindowText32());
    FClippingImage = newImage(9, 9, clNone32);
    FClippingImage->setColor(withAlpha(clBtnFace32(), 255));
    FClippingImage->Clear();
    forEachCell(kClippingPattern, [&](int32_t x, int32_t y, char ch) {
        if (const uint8_t v = coverageOf(ch))
            FClippingImage->PutPixel(x, y, clWindowText32(), byteWeight(v), 0.0f, blendNormal,
                                     blendKeep);
        else
            FClippingImage->SetPixel(x, y, clNone32);
    });
    FOldMessage = setApplicationOnMessage(
        [this](TMsg &msg, bool &handled) { ApplicationMessage(msg, handled); });
}

TAppearanceManager::~TAppearanceManager()
{
    setApplicationOnMessage(FOldMessage);
}

void TAppearanceManager::ApplicationMessage(TMsg &Msg, bool &Handled)
{
    if (FOldMessage)
        FOldMessage(Msg, Handled);
}

void createGradMarkerImages()
{
    for (int j = 0; j < 2; ++j)
        for (int s = 0; s < 2; ++s) {
            auto *g = new TMemoryGraphic(15, 15, clBtnFaceClear32());
            drawGradMarker(*g, j, s);
            gGradMarkerImages[size_t(j)][size_t(s)] = g;
        }
}

void freeGradMarkerImages()
{
    for (auto &row : gGradMarkerImages)
        for (TMemoryGraphic *&g : row) {
            delete g;
            g = nullptr;
        }
}

// ---- painter frames

namespace {
QColor fromColorRef(uint32_t c)
{
    return QColor(int(c & 0xFF), int(c >> 8 & 0xFF), int(c >> 16 & 0xFF));
}

// A poly-line that leaves out its last point, as the platform draws them.
void polyLineOpen(QPainter &p, std::initializer_list<QPoint> pts)
{
    const QPoint *prev = nullptr;
    for (const QPoint &pt : pts) {
        if (prev) {
            const QPoint d(pt.x() > prev->x()   ? 1
                           : pt.x() < prev->x() ? -1
                                                : 0,
                           pt.y() > prev->y()   ? 1
                           : pt.y() < prev->y() ? -1
                                                : 0);
            for (QPoint q = *prev; q != pt; q += d)
                p.drawPoint(q);
        }
        prev = &pt;
    }
}
} // namespace

void drawEdgeRect(QPainter &Canvas, const QRect &Rect, uint32_t TopLeftColor,
                  uint32_t BottomRightColor, int64_t FillColor)
{
    // Rect is left, top and exclusive right, bottom: R1, B1 are the last column and row.
    const int L = Rect.left(), T = Rect.top();
    const int R1 = Rect.left() + Rect.width() - 1, B1 = Rect.top() + Rect.height() - 1;
    Canvas.save();
    Canvas.setRenderHint(QPainter::Antialiasing, false);
    Canvas.setPen(QPen(fromColorRef(TopLeftColor), 1));
    polyLineOpen(Canvas, {{L, B1}, {L, T}, {R1, T}});
    Canvas.setPen(QPen(fromColorRef(BottomRightColor), 1));
    polyLineOpen(Canvas, {{R1, T}, {R1, B1}, {L, B1}});
    if (FillColor != -1)
        Canvas.fillRect(QRect(QPoint(L + 1, T + 1), QPoint(R1 - 1, B1 - 1)),
                        fromColorRef(uint32_t(FillColor)));
    Canvas.restore();
}

void drawDoubleEdgeRect(QPainter &Canvas, const QRect &Rect, uint32_t OuterTopLeft,
                        uint32_t OuterBottomRight, uint32_t InnerTopLeft, uint32_t InnerBottomRight,
                        int64_t FillColor)
{
    drawEdgeRect(Canvas, Rect, OuterTopLeft, OuterBottomRight, -1);
    drawEdgeRect(Canvas, Rect.adjusted(1, 1, -1, -1), InnerTopLeft, InnerBottomRight, FillColor);
}

void drawSunkenFrame(QPainter &Canvas, const QRect &Rect, int64_t FillColor)
{
    drawDoubleEdgeRect(Canvas, Rect, getSysColor(COLOR_BTNSHADOW), getSysColor(COLOR_BTNHIGHLIGHT),
                       getSysColor(COLOR_WINDOWFRAME), getSysColor(COLOR_WINDOWFRAME), FillColor);
}

void drawRaisedPanel(QPainter &Canvas, const QRect &Rect, int64_t FillColor)
{
    drawEdgeRect(Canvas, Rect, getSysColor(COLOR_BTNHIGHLIGHT), getSysColor(COLOR_BTNSHADOW),
                 FillColor);
}

// ---- font and window helpers

namespace {

bool familyListed(const QString &FaceName, QFontDatabase::WritingSystem system)
{
    const QStringList families = QFontDatabase::families(system);
    for (const QString &f : families)
        if (f.compare(FaceName, Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

} // namespace

bool fontFamilyExists(const QString &FaceName, uint8_t Charset)
{
    const QFontDatabase::WritingSystem system =
        Charset == SHIFTJIS_CHARSET ? QFontDatabase::Japanese : QFontDatabase::Any;
    // "@Family" is the vertical face of a family; there is one for the families that write
    // Japanese (the font renderer turns their wide characters upright).
    if (FaceName.startsWith(u'@'))
        return FaceName.size() > 1 && familyListed(FaceName.mid(1), QFontDatabase::Japanese) &&
               familyListed(FaceName.mid(1), system);
    return familyListed(FaceName, system);
}

const TFaceList &interfaceFaces()
{
    // The five faces the interface was designed with, then the Japanese face every Linux
    // installation of ours has.
    static const TFaceList faces = {
        {"Tahoma", -11},       {"Microsoft Sans Serif", -11},
        {"MS UI Gothic", -12}, {QString::fromUtf8("ＭＳ Ｐゴシック"), -12},
        {"Arial", -11},        {"Noto Sans CJK JP", -12}};
    return faces;
}

bool pickInterfaceFont(QFont &Font, uint8_t Charset, const TFaceList &faces)
{
    for (const auto &[name, height] : faces)
        if (fontFamilyExists(name, Charset)) {
            Font.setFamily(name);
            Font.setPixelSize(height < 0 ? -height : std::max(height, 1));
            return true;
        }
    return false;
}

void getCursorPosInControl(const QWidget *Control, QPoint &P)
{
    P = QCursor::pos();
    if (Control && Control->parentWidget())
        P = Control->parentWidget()->mapFromGlobal(P) - Control->pos();
}

bool getNonClientSize(QSize &Size, const QWidget *Form)
{
    if (!Form || !Form->isWindow())
        return false;
    const QRect frame = Form->frameGeometry();
    Size = QSize(frame.width() - Form->width(), frame.height() - Form->height());
    return true;
}
