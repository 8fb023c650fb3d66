// The owner-drawn look: the system colours converted once into TColor32 (gSysColor32), the small
// shared pictures every control draws (thumbs, tab ends, disc buttons, check boxes, eyes, link,
// active and clipping marks, gradient stop markers), the frame helpers of painter drawing, the
// interface font and two window helpers.
#pragma once

#include "ui/base/app_hooks.h"
#include "ui/graphics/memory_graphic.h"

#include <QFont>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>

#include <array>
#include <memory>
#include <utility>
#include <vector>

class QPainter;
class QWidget;

// ---- the system colour cache
enum TSysColor32Index : int
{
    sc3DDkShadow,
    scBtnFace,
    scBtnHighlight,
    sc3DLight,
    scBtnShadow,
    scActiveBorder,
    scActiveCaption,
    scAppWorkSpace,
    scBackground,
    scBtnText,
    scCaptionText,
    scGradientActiveCaption,
    scGradientInactiveCaption,
    scGrayText,
    scHighlight,
    scHighlightText,
    scHotLight,
    scInactiveBorder,
    scInactiveCaption,
    scInactiveCaptionText,
    scInfoBk,
    scInfoText,
    scMenu,
    scMenuText,
    scScrollBar,
    scWindow,
    scWindowFrame,
    scWindowText,
    // derived
    scBtnFaceClear,
    scHighlightHalf,
    scGrayTextHalf,
    scBtnFaceHalf,
    scBtnFaceThird,
    scBtnFaceTwoThirds,
    kSysColor32Count
};
static_assert(kSysColor32Count == 34);

extern std::array<TColor32, kSysColor32Count> gSysColor32;
// Fills gSysColor32 from getSysColor (ui/base/system_colours.h).
void SetSysColor32();

inline TColor32 cl3DDkShadow32()
{
    return gSysColor32[sc3DDkShadow];
}
inline TColor32 clBtnFace32()
{
    return gSysColor32[scBtnFace];
}
inline TColor32 clBtnHighlight32()
{
    return gSysColor32[scBtnHighlight];
}
inline TColor32 cl3DLight32()
{
    return gSysColor32[sc3DLight];
}
inline TColor32 clBtnShadow32()
{
    return gSysColor32[scBtnShadow];
}
inline TColor32 clActiveBorder32()
{
    return gSysColor32[scActiveBorder];
}
inline TColor32 clActiveCaption32()
{
    return gSysColor32[scActiveCaption];
}
inline TColor32 clAppWorkSpace32()
{
    return gSysColor32[scAppWorkSpace];
}
inline TColor32 clBackground32()
{
    return gSysColor32[scBackground];
}
inline TColor32 clBtnText32()
{
    return gSysColor32[scBtnText];
}
inline TColor32 clCaptionText32()
{
    return gSysColor32[scCaptionText];
}
inline TColor32 clGradientActiveCaption32()
{
    return gSysColor32[scGradientActiveCaption];
}
inline TColor32 clGradientInactiveCaption32()
{
    return gSysColor32[scGradientInactiveCaption];
}
inline TColor32 clGrayText32()
{
    return gSysColor32[scGrayText];
}
inline TColor32 clHighlight32()
{
    return gSysColor32[scHighlight];
}
inline TColor32 clHighlightText32()
{
    return gSysColor32[scHighlightText];
}
inline TColor32 clHotLight32()
{
    return gSysColor32[scHotLight];
}
inline TColor32 clInactiveBorder32()
{
    return gSysColor32[scInactiveBorder];
}
inline TColor32 clInactiveCaption32()
{
    return gSysColor32[scInactiveCaption];
}
inline TColor32 clInactiveCaptionText32()
{
    return gSysColor32[scInactiveCaptionText];
}
inline TColor32 clInfoBk32()
{
    return gSysColor32[scInfoBk];
}
inline TColor32 clInfoText32()
{
    return gSysColor32[scInfoText];
}
inline TColor32 clMenu32()
{
    return gSysColor32[scMenu];
}
inline TColor32 clMenuText32()
{
    return gSysColor32[scMenuText];
}
inline TColor32 clScrollBar32()
{
    return gSysColor32[scScrollBar];
}
inline TColor32 clWindow32()
{
    return gSysColor32[scWindow];
}
inline TColor32 clWindowFrame32()
{
    return gSysColor32[scWindowFrame];
}
inline TColor32 clWindowText32()
{
    return gSysColor32[scWindowText];
}
inline TColor32 clBtnFaceClear32()
{
    return gSysColor32[scBtnFaceClear];
}
inline TColor32 clHighlightHalf32()
{
    return gSysColor32[scHighlightHalf];
}
inline TColor32 clGrayTextHalf32()
{
    return gSysColor32[scGrayTextHalf];
}
inline TColor32 clBtnFaceHalf32()
{
    return gSysColor32[scBtnFaceHalf];
}
inline TColor32 clBtnFaceThird32()
{
    return gSysColor32[scBtnFaceThird];
}
inline TColor32 clBtnFaceTwoThirds32()
{
    return gSysColor32[scBtnFaceTwoThirds];
}

// ---- pictures written as text, one row per "/" part, one character per pixel
// Coverage: "." 0, "a" 32, "b" 64, "c" 85, "d" 128, "e" 204, "f" 255; a value v moves the colour
// channels toward colour by v / 255 (blendNormal), alpha untouched.
void drawCoveragePattern(TMemoryGraphic &g, int32_t x, int32_t y, const char *pattern,
                         TColor32 colour);
// Palette: "." leaves the pixel, "W" window frame, "D" 3D dark shadow, "S" button shadow, "F"
// button face, "L" 3D light, "H" button highlight, written as whole values.
void drawPalettePattern(TMemoryGraphic &g, int32_t x, int32_t y, const char *pattern);

// ---- the manager of the shared pictures
class TAppearanceManager
{
  public:
    // Fills the colour cache, draws every picture and installs ApplicationMessage as the
    // application's message handler (keeping the one found).
    TAppearanceManager();
    // Puts the saved message handler back; the pictures go with the manager.
    ~TAppearanceManager();
    TAppearanceManager(const TAppearanceManager &) = delete;
    TAppearanceManager &operator=(const TAppearanceManager &) = delete;

    TMemoryGraphic *GetPosImage(int Index) const { return FPosImages[size_t(Index)].get(); }
    TMemoryGraphic *GetTabImage(TTabState State) const { return FTabImages[State].get(); }
    TMemoryGraphic *GetMenuImage(TGlyphState State) const { return FMenuImages[State].get(); }
    TMemoryGraphic *GetArrowImage(int Kind, TGlyphState State) const
    {
        return FArrowImages[size_t(3 * Kind + State)].get();
    }
    TMemoryGraphic *GetCheckBoxImage(int Ticked, TGlyphState State) const
    {
        return FCheckBoxImages[size_t(3 * Ticked + State)].get();
    }
    TMemoryGraphic *GetEyeImage(int Visible, TGlyphState State) const
    {
        return FEyeImages[size_t(3 * Visible + State)].get();
    }
    TMemoryGraphic *GetLinkImage(int Linked) const { return FLinkImages[size_t(Linked)].get(); }
    TMemoryGraphic *ActiveImage() const { return FActiveImage.get(); }
    TMemoryGraphic *ClippingImage() const { return FClippingImage.get(); }

    // The application message hook: hands every message on to the saved handler.
    void ApplicationMessage(TMsg &Msg, bool &Handled);

  private:
    using Image = std::unique_ptr<TMemoryGraphic>;

    TMessageEvent FOldMessage;
    std::array<Image, 8> FPosImages;
    std::array<Image, 2> FTabImages;
    std::array<Image, 3> FMenuImages;
    std::array<Image, 39> FArrowImages;
    std::array<Image, 6> FCheckBoxImages;
    std::array<Image, 6> FEyeImages;
    std::array<Image, 2> FLinkImages;
    Image FActiveImage;
    Image FClippingImage;
};

extern TAppearanceManager *gAppearanceManager;

// The gradient editor's stop markers, [joined][selected], 15 x 15.
extern std::array<std::array<TMemoryGraphic *, 2>, 2> gGradMarkerImages;
void createGradMarkerImages();
void freeGradMarkerImages();

// The 7 x 7 coverage pattern of an arrow kind (0..12).
const char *arrowPattern(int kind);

// ---- frames on a painter; colours are 0x00BBGGRR, a FillColor of -1 fills nothing
void drawEdgeRect(QPainter &Canvas, const QRect &Rect, uint32_t TopLeftColor,
                  uint32_t BottomRightColor, int64_t FillColor);
void drawDoubleEdgeRect(QPainter &Canvas, const QRect &Rect, uint32_t OuterTopLeft,
                        uint32_t OuterBottomRight, uint32_t InnerTopLeft, uint32_t InnerBottomRight,
                        int64_t FillColor);
void drawSunkenFrame(QPainter &Canvas, const QRect &Rect, int64_t FillColor);
void drawRaisedPanel(QPainter &Canvas, const QRect &Rect, int64_t FillColor);

// ---- the interface font
// A face installed for the character set: families of its writing system (128, SHIFTJIS_CHARSET,
// is Japanese; any other set asks all families), compared without regard to case. "@Family", the
// vertical face, exists for a family that writes Japanese.
bool fontFamilyExists(const QString &FaceName, uint8_t Charset);
// Faces in order of preference with their heights (negative: character height in pixels).
using TFaceList = std::vector<std::pair<QString, int>>;
const TFaceList &interfaceFaces();
// Sets Font's family and pixel height to the first installed face of faces; false, with Font
// unchanged, when none is installed.
bool pickInterfaceFont(QFont &Font, uint8_t Charset, const TFaceList &faces = interfaceFaces());

// ---- window helpers
// The cursor in the control's coordinates (through its parent); screen coordinates for a
// control without a parent.
void getCursorPosInControl(const QWidget *Control, QPoint &P);
// What the window frame adds to the client area; false when Form is not a window.
bool getNonClientSize(QSize &Size, const QWidget *Form);
