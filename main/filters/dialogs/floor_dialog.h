// The floor filter's dialog: the camera, the fog and the two textures (slot 0 the ceiling, slot
// 1 the floor), each taken from the layer's effect rectangle or from an image file. Unlike the
// other dialogs it opens at its form's values, not at those of its last OK, and its records own
// their two 256 x 256 texture images.
#pragma once

#include "core/image/canvas.h"
#include "core/pixel/pixel.h"
#include "filters/dialogs/filter_dialog.h"

#include <array>
#include <functional>
#include <memory>

class QCheckBox;
class QPushButton;
class QRadioButton;
class TPickerColorCell;

inline constexpr int32_t kFloorTextureSize = 256;

// What the floor module remembers of its last OK, in the dialog's units (whole degrees).
struct SFloorMemo
{
    SFloorMemo();
    int32_t x = 0, y = 0, z = 0, head = 0, pitch = 0;
    int32_t eye2scr = 100, skyheight = 100;
    bool transparent = true;
    TColor32 fogColour{};
    int32_t opacity = 100;
    int32_t distance = 50;
    bool infinite = true;
    bool keep = true;
    struct Surface
    {
        bool on = true;
        bool fromFile = false;
        std::shared_ptr<TMTC> image; // the file texture of the last OK
        int32_t width = kFloorTextureSize, height = kFloorTextureSize;
    };
    std::array<Surface, 2> surfaces;
    bool preview = true;
};

SFloorMemo &floorDialogMemo();
void resetFloorDialogMemo();

// The floor values as the dialog shows them.
struct SFloorValues
{
    float x = 0, y = 0, z = 0, head = 0, pitch = 0; // degrees for head and pitch
    float eye2scr = 100, skyheight = 100, opacity = 100, distance = 50;
    bool transparent = false;
    TColor32 fogColour{};
    bool infinite = true, keep = true;
    std::array<bool, 2> on{true, true};
    std::array<bool, 2> fromFile{false, false};
};
// Fills every field of rec but the texture sizes (version 3, bank 0).
void writeFloorParam(SFltFloorParam &rec, const SFloorValues &v);

// The resolution of the core's document (72 without a document).
int32_t filterPaperDpi(const CFlt4Core &core);
// The core's effect rectangle of the flow image scaled into dst (256 x 256); false when there is
// no flow image or the rectangle is empty or leaves it.
bool loadLayerTexture(const CFlt4Core &core, TMTC &dst, sRect *rect = nullptr);

class TFormFloor4 : public TFormFilterPreview
{
  public:
    explicit TFormFloor4(QWidget *owner = nullptr);
    ~TFormFloor4() override;

    void *CurParam() override { return &FCurParam; }
    const void *GetPreParam() const override { return &FPreParam; }
    int32_t GetParamSize() const override { return kFltFloorSize; }
    void SetPreParam(const void *rec) override;
    void ReadCurParam() override;
    void SetupControls() override;
    uint8_t ControlChanged(QObject *Sender) override;
    // Every expiry and request previews again.
    bool IsChanged() override { return true; }

    // The rectangle rect of image, area-averaged into the slot's texture, with its resolution,
    // path and size.
    void LoadTexture(int slot, const TMTC &image, const QString &path, int32_t dpi,
                     const sRect &rect);
    // A file chosen and read into the slot; false on Cancel or an unreadable file (warned).
    bool BrowseTexture(int slot);
    // The slot from the layer's effect rectangle again; false when there is none.
    bool ResetTexture(int slot);

    const SFltFloor &curParam() const { return FCurParam; }
    bool RoofTex() const { return FTex[0]; }
    bool FloorTex() const { return FTex[1]; }

    // The open dialog for a texture file (path holds the starting folder); tests replace it.
    std::function<bool(QString &path)> ChooseTextureFile;

    SNumField FieldX, FieldY, FieldZ, FieldH, FieldP, FieldS, FieldE, FieldD, FieldO;
    QCheckBox *ChkI = nullptr, *ChkL = nullptr, *ChkR = nullptr, *ChkF = nullptr;
    QRadioButton *RadC = nullptr, *RadT = nullptr;
    TPickerColorCell *FCell = nullptr;
    QPushButton *Btn1 = nullptr, *Btn2 = nullptr, *Btn3 = nullptr, *Btn4 = nullptr;

  protected:
    void ButtonOKClick() override;

  private:
    // The surface ticks and buttons after a change of ChkR or ChkF.
    void updateSurfaceControls();
    SFloorValues values() const;

    SFltFloor FCurParam{};
    SFltFloor FPreParam{};
    std::array<std::unique_ptr<TMTC>, 2> FCurTex, FPreTex;
    std::array<bool, 2> FTex{false, false}; // FRoofTex, FFloorTex
};

// The record must hold its two texture images; OK gives them the dialog's textures.
bool execFloorDialog(SFltFloor &rec, CFlt4Core &core);
bool makeFloorLastParam(SFltFloor &rec, CFlt4Core &core);
