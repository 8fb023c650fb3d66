// The lighting filter's dialog: one light (point, warm or spot) with its colour, intensity,
// range, place, height, heading, tilt and cone, and the ambient colour with its lightness. The
// thumbnail and the side view show the light as the filter applies it and can be dragged; the
// dialog always opens on the point light's defaults, while the repeat uses the last OK.
#pragma once

#include "core/pixel/pixel.h"
#include "filters/dialogs/filter_dialog.h"

#include <vector>

class QComboBox;
class TLightControl;
class TLightPreview;
class TPickerColorCell;

// One row of the defaults table: what a kind starts with.
struct SLightKindDefaults
{
    TColor32 colour;
    float z, intensity, range, heading, tilt, cone;
};
SLightKindDefaults lightKindDefaults(int32_t kind);
// R 255, G 254, B 199.
TColor32 defaultAmbientColour();

// The remembered values: theta (the negated heading), phi and wide in whole degrees.
struct SLightingMemo
{
    SLightingMemo();
    TColor32 ambient;
    int32_t lightness = 0;
    SFltLight light;
    bool preview = true;
};
SLightingMemo &lightingDialogMemo();
void resetLightingDialogMemo();

class TFormLighting4 : public TFilterBlockForm<TFormFilter, SFltLight, initFltLight>
{
  public:
    explicit TFormLighting4(QWidget *owner = nullptr);
    ~TFormLighting4() override;

    void SetPreParam(const void *rec) override;
    void ReadCurParam() override;
    void SetupControls() override;
    uint8_t ControlChanged(QObject *Sender) override;
    bool IsChanged() override;
    // The thumbnail, then the base; false when either refuses.
    bool Attach(CFlt4Core &core) override;

    QComboBox *CmbK = nullptr;
    TPickerColorCell *FCell1 = nullptr, *FCell2 = nullptr;
    SNumField FieldI, FieldR, FieldL, FieldX, FieldY, FieldD, FieldH, FieldP, FieldF;
    QPushButton *ButtonD = nullptr;
    TLightPreview *FPreview = nullptr;
    TLightControl *FLight = nullptr;

  protected:
    void ButtonOKClick() override;

  private:
    // The kind's defaults into the controls and both views (notify: announce the preview).
    void kindChange(int32_t kind, bool notify);
    void sideViewFollows();
    // The light the controls describe, all but its tilt and heading.
    SFltLight controlsLight() const;

    std::vector<QWidget *> FAngleWidgets;
};

// On OK: the ambient colour and lightness into rec (its one item pointing at light) and the
// light.
bool execLightingDialog(sFltObjComplex &rec, SFltLight &light, CFlt4Core &core);
bool makeLightingLastParam(sFltObjComplex &rec, SFltLight &light);
// The record the remembered values m give (rec's one item pointing at light).
void lightingRecordFromMemo(const SLightingMemo &m, sFltObjComplex &rec, SFltLight &light);
