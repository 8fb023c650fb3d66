// The brush part of the brush editor, in two frames beside the nib frame.
//
// TFramePenMtdEditor (the brush settings tab): the brush's paint mode, name, icon, density,
// spacing, the three mode-specific effects and the pen-pressure response. Reading a setting back
// first resets it to the defaults of the mode chosen in the type drop-down, so that a brush whose
// mode changed carries nothing of the old mode; the nib frame then writes its own values.
//
// TFrameStrokeOpt (the stroke options tab): hand-shake correction and curve interpolation, which
// only version-5 brushes use.
//
// Both show a setting with SetPaintParam, write it back with GetPaintParam and raise OnChange
// after every accepted change of a control.
#pragma once

#include "core/profile/tool_kinds.h"
#include "ui/base/app_hooks.h"

#include <QImage>
#include <QWidget>

#include <array>
#include <memory>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class TGraphicTrackbar;
class TMTC;
class TNumEdit;
class TNumMngr;
class TPaintBox;
class TPaintParam;
class TPressureGamma;
class TqZGlyphLabel;

class TFramePenMtdEditor : public QWidget
{
  public:
    explicit TFramePenMtdEditor(QWidget *parent = nullptr);
    ~TFramePenMtdEditor() override;

    // False for nil; a setting of the older engines (pl1, pl2) answers True and changes nothing.
    bool SetPaintParam(const TPaintParam *AParam);
    // Resets the setting to the chosen mode's defaults, then writes the frame's values (an effect
    // only when the mode uses it; the icon only when it is the user's own). False for nil.
    bool GetPaintParam(TPaintParam *AParam) const;

    // The mode of the visible type drop-down.
    TPaintMode CurrentPaintMode() const;
    // The visible type drop-down.
    QComboBox *CmbType() const { return FActiveCmbType; }
    // The icon shown (nil: none); writing copies it (nil drops it) and scales it for display.
    const TMTC *IconTC() const { return FIconTC.get(); }
    void setIconTC(const TMTC *Value);
    bool UserIcon() const { return FUserIcon; }
    // Reads a picture file as the user's icon; a file that cannot be read warns with its path and
    // keeps the icon. What the load button does after its dialog.
    bool LoadIconFile(const QString &path);

    TqZGlyphLabel *LblEffect(int i) const { return FLblEffect[size_t(i)]; }
    TGraphicTrackbar *TrkEffect(int i) const { return FTrkEffect[size_t(i)]; }
    TGraphicTrackbar *TrkDensity() const { return FTrkDensity; }
    TPressureGamma *PrsGamma() const { return FPrsGamma; }
    const QImage &WorkIcon() const { return FWorkTC; }

    TNotifyEvent OnChange;

    QGroupBox *GrpGeneral = nullptr, *GrpBrush = nullptr, *GrpPressure = nullptr;
    QLineEdit *EdtName = nullptr;
    QComboBox *PM4CmbType = nullptr, *PM5CmbType = nullptr;
    TPaintBox *BoxIcon = nullptr;
    QPushButton *BtnIconLoad = nullptr, *BtnIconRemove = nullptr;
    TNumMngr *NumDensity = nullptr, *NumSpace = nullptr, *NumGamma = nullptr;
    std::array<TNumMngr *, 3> NumEffect{};
    TNumEdit *EdtDensity = nullptr, *EdtSpace = nullptr, *EdtPrsGamma = nullptr;
    std::array<TNumEdit *, 3> EdtEffect{};
    std::array<QLabel *, 3> StaticEffect{};
    QCheckBox *ChkPrsDensity = nullptr, *ChkPrsRadius = nullptr;

  private:
    void buildGeneralGroup();
    void buildBrushGroup();
    void buildPressureGroup();
    TNumMngr *number(float lo, float hi, float value);
    TGraphicTrackbar *track(QWidget *parent, int x, int y);
    void ValueChange(QObject *Sender);
    void UpdateModeControls();
    void BoxIconPaint(class QPainter &p);
    void BtnIconLoadClick();
    void BtnIconRemoveClick();
    void iconChanged();

    TqZGlyphLabel *FLblDensity = nullptr, *FLblSpace = nullptr;
    std::array<TqZGlyphLabel *, 3> FLblEffect{};
    TGraphicTrackbar *FTrkDensity = nullptr, *FTrkSpace = nullptr;
    std::array<TGraphicTrackbar *, 3> FTrkEffect{};
    TPressureGamma *FPrsGamma = nullptr;
    TqZGlyphLabel *FLblPrsDensity = nullptr, *FLblPrsRadius = nullptr;
    bool FValueUpdate = false;
    QImage FWorkTC;                 // the icon scaled for display
    std::unique_ptr<TMTC> FIconTC;  // the icon shown
    bool FUserIcon = false;         // the icon is the user's own, not the mode's
    QComboBox *FActiveCmbType = nullptr;
    bool FDestroying = false;
};

class TFrameStrokeOpt : public QWidget
{
  public:
    explicit TFrameStrokeOpt(QWidget *parent = nullptr);
    ~TFrameStrokeOpt() override;

    bool SetPaintParam(const TPaintParam *AParam);
    bool GetPaintParam(TPaintParam *AParam) const;
    // Disabling first sets the level to 0 and clears interpolation; the number field stays
    // enabled either way.
    void SetControlEnabled(bool enable);

    TGraphicTrackbar *TrkSmoothLevel() const { return FTrkSmoothLevel; }

    TNotifyEvent OnChange;

    QGroupBox *GroupInterpolate = nullptr;
    QLabel *StaticSmoothLevel = nullptr;
    TNumMngr *NumSmoothLevel = nullptr;
    TNumEdit *EdtSmoothLevel = nullptr;
    QCheckBox *CheckInterpolate = nullptr;

  private:
    void ValueChange(QObject *Sender);

    TGraphicTrackbar *FTrkSmoothLevel = nullptr;
    bool FValueUpdate = false;
    bool FDestroying = false;
};
