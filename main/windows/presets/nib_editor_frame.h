// The nib part of the brush editor: radius (or, for a nib drawn from a picture, its scale),
// minimum radius, flattening, angle, the fall-off curve with its flat and add values, anti-
// aliasing, and the optional nib picture. Each value is a field bound to a value model and most
// have a track bar that follows it; every accepted change raises OnChange, and the owner reads
// the values back with GetPaintParam.
//
// A nib picture is kept as grey (255 white); a brush setting stores each byte inverted, so it is
// inverted on the way in (SetShapeData) and handed back as a channel the setting inverts again.
#pragma once

#include "core/image/channel.h"
#include "ui/base/app_hooks.h"

#include <QImage>
#include <QWidget>

#include <array>
#include <cstdint>
#include <memory>

class QCheckBox;
class QGroupBox;
class QLabel;
class QPushButton;
class TAirMapControl;
class TGraphicTrackbar;
class TItemButton;
class TMTC;
class TNumEdit;
class TNumMngr;
class TPaintBox;
class TPaintParam;
class TqZGlyphLabel;
enum class TPaintAirMap : uint8_t;

class TFramePenNibEditor : public QWidget
{
  public:
    explicit TFramePenNibEditor(QWidget *parent = nullptr);
    ~TFramePenNibEditor() override;

    bool SetPaintParam(const TPaintParam *AParam);
    bool GetPaintParam(TPaintParam *AParam) const;
    // A nib picture from a picture's grey values; nullptr removes it. False (nib kept) when the
    // grey channel cannot be made.
    bool SetShapeTC(const TMTC *TC);
    // A nib picture from a setting's stored bytes (size.x x size.y, inverted, rows top first);
    // none for no data or an empty size.
    bool SetShapeData(const uint8_t *Data, const sSize &Size);
    // Reads a picture file into the nib; a file that cannot be read warns with its path and keeps
    // the nib. What the load button does after its dialog.
    bool LoadShapeFile(const QString &path);

    bool hasShapeImage() const { return FShapeCH != nullptr; }
    const TChannel *shapeChannel() const { return FShapeCH.get(); }
    TAirMapControl *airMapControl() const { return FAirMapControl; }
    // The six curve buttons in TPaintAirMap order of their curves (pamFlat has none).
    const std::array<TItemButton *, 6> &curveButtons() const { return FCurveButtons; }
    TGraphicTrackbar *TrkRadius() const { return FTrkRadius; }

    TNotifyEvent OnChange;

    QGroupBox *GrpShape = nullptr, *GrpAirMap = nullptr, *GrpBitmap = nullptr;
    QLabel *StaticRadius = nullptr, *LblRadiusUnit = nullptr;
    TNumEdit *EdtRadius = nullptr, *EdtScale = nullptr, *EdtMinRad = nullptr;
    TNumEdit *EdtAspect = nullptr, *EdtDegree = nullptr, *EdtFlat = nullptr, *EdtAdd = nullptr;
    TNumMngr *NumRadius = nullptr, *NumScale = nullptr, *NumMinRad = nullptr;
    TNumMngr *NumAspect = nullptr, *NumDegree = nullptr, *NumFlat = nullptr, *NumAdd = nullptr;
    TPaintBox *BoxShape = nullptr;
    QPushButton *BtnShapeLoad = nullptr, *BtnShapeCreate = nullptr, *BtnShapeRemove = nullptr;
    QCheckBox *ChkAntiAlias = nullptr;

  protected:
    void resizeEvent(QResizeEvent *ev) override;

  private:
    void buildShapeGroup();
    void buildAirMapGroup();
    void buildBitmapGroup();
    TNumMngr *number(float lo, float hi, float value);
    TNumEdit *field(QWidget *parent, TNumMngr *num, const char *format, int x, int y);
    void ValueChange(QObject *Sender);
    void setDrawnNib(bool drawn);
    void replaceImage(std::unique_ptr<TChannel> ch);
    void rebuildWork();
    void BoxShapePaint(QPainter &p);
    void BtnShapeLoadClick();
    void BtnShapeCreateClick();
    void BtnShapeRemoveClick();
    void DrawAirMapButton(TPaintAirMap curve, TItemButton &button, class TMemoryGraphic &image);

    TqZGlyphLabel *FLblRadius = nullptr, *FLblMinRad = nullptr, *FLblDegree = nullptr;
    TqZGlyphLabel *FLblFlat = nullptr, *FLblAdd = nullptr;
    TGraphicTrackbar *FTrkRadius = nullptr, *FTrkMinRad = nullptr, *FTrkAspect = nullptr;
    TGraphicTrackbar *FTrkDegree = nullptr;
    TAirMapControl *FAirMapControl = nullptr;
    std::array<TItemButton *, 6> FCurveButtons{};
    QImage FWorkTC;                     // the nib picture scaled for display
    std::unique_ptr<TChannel> FShapeCH; // nullptr for a drawn nib
    bool FValueUpdate = false;
    bool FDestroying = false;
};
