#include "filters/dialogs/floor_dialog.h"

#include "core/codec/image_codec.h"
#include "core/profile/app_profile.h"
#include "core/scale/scale_canvas.h"
#include "document/files/file_types.h"
#include "document/paper/paper.h"
#include "filters/commands/paper_filter_host.h"
#include "filters/core/filter_host.h"
#include "filters/dialogs/dialog_values.h"
#include "filters/dialogs/generator_dialogs.h"
#include "platform/desktop/messages.h"
#include "ui/colour/colour_cells.h"
#include "ui/dialogs/file_dialogs.h"
#include "ui/fields/edit_boxes.h"
#include "ui/fields/num_mngr.h"
#include "ui/fields/trackbar.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

#include <cmath>

namespace {
// -999..999 kept inside -wrap..wrap by whole periods, the trackbar's middle at 0.
SNumFieldSpec wrappedSpec(const char *caption, float wrap, const char *unit = "")
{
    SNumFieldSpec s = fieldSpec(caption, -999, 999, unit);
    s.wrapMin = -wrap;
    s.wrapMax = wrap;
    s.useCenter = true;
    return s;
}

constexpr double kDegreesToRadians = 3.14159265358979323846 / 180.0;
constexpr int kRight = 240;

uint16_t sizeField(int32_t v)
{
    return uint16_t(std::clamp(v, 0, 0xFFFF));
}

void setSlotSize(SFltFloorParam &f, int slot, int32_t w, int32_t h)
{
    // The record is packed: its fields are written by value, never through a reference.
    if (slot == kFloorSlotCeiling) {
        f.tex0w = sizeField(w);
        f.tex0h = sizeField(h);
    } else {
        f.tex1w = sizeField(w);
        f.tex1h = sizeField(h);
    }
}

// The rectangle r of src area-averaged into dst (made kFloorTextureSize square).
bool scaleRectInto(TMTC &dst, const TMTC &src, const sRect &r)
{
    if (r.x1 <= r.x0 || r.y1 <= r.y0 || r.x0 < 0 || r.y0 < 0 || r.x1 > src.width() ||
        r.y1 > src.height())
        return false;
    if (!dst.Resize(kFloorTextureSize, kFloorTextureSize))
        return false;
    if (r.x0 == 0 && r.y0 == 0 && r.x1 == src.width() && r.y1 == src.height())
        return scaleCanvasInto(dst, src, false, 0);
    TMTC crop(r.x1 - r.x0, r.y1 - r.y0);
    crop.copyAreaNC(src, {0, 0}, {r.x0, r.y0, r.x1 - r.x0, r.y1 - r.y0});
    return scaleCanvasInto(dst, crop, false, 0);
}

void copyTexture(TMTC &dst, const TMTC &src)
{
    if (dst.Resize(src.width(), src.height()))
        dst.copyImage(src);
}

bool defaultChooseFile(QString &path)
{
    QString folder = gAppProfile ? gAppProfile->loadPath : QString();
    return execFileDialog(path, ofGeneralImagesR, QString(), nullptr, &folder);
}
} // namespace

SFloorMemo::SFloorMemo()
{
    for (Surface &s : surfaces) {
        s.image = std::make_shared<TMTC>(kFloorTextureSize, kFloorTextureSize);
        s.image->fillAll(0);
    }
}

SFloorMemo &floorDialogMemo()
{
    static SFloorMemo memo;
    return memo;
}

void resetFloorDialogMemo()
{
    floorDialogMemo() = SFloorMemo{};
}

void writeFloorParam(SFltFloorParam &rec, const SFloorValues &v)
{
    const int32_t e = roundHalfAway(v.skyheight);
    rec.x = roundHalfAway(v.x) + 50;
    rec.y = float((roundHalfAway(v.y) + 100) * (double(e) / 200.0));
    rec.z = roundHalfAway(v.z) + 50;
    rec.head = float(double(v.head) * kDegreesToRadians);
    rec.pitch = float(double(v.pitch) * kDegreesToRadians);
    rec.bank = 0;
    rec.eye2scr = roundHalfAway(v.eye2scr);
    rec.skyheight = e;
    rec.alpha = roundHalfAway(v.opacity);
    rec.farcol.all = v.fogColour.bgra;
    rec.farcol.A = 255;
    rec.useOrgPic = v.keep ? 1 : 0;
    rec.clear = v.transparent ? 1 : 0;
    rec.texEnbFlag = uint8_t((v.on[0] ? 1 : 0) | (v.on[1] ? 2 : 0));
    rec.texTypeFlag = uint8_t((v.fromFile[0] ? 1 : 0) | (v.fromFile[1] ? 2 : 0));
    rec.drawfar = v.infinite ? 1 : 0;
    rec.version = 3;
    rec.maxfar = uint8_t(std::clamp(roundHalfAway(v.distance), 0, 255));
}

int32_t filterPaperDpi(const CFlt4Core &core)
{
    if (const auto *host = dynamic_cast<const PaperFilterHost *>(core.host()))
        return host->paper().m_paperDPI;
    return 72;
}

bool loadLayerTexture(const CFlt4Core &core, TMTC &dst, sRect *rect)
{
    const TMTC *flow = core.host() ? core.host()->flowCanvas() : nullptr;
    if (!flow)
        return false;
    const sRect &r = core.maskRect();
    if (!scaleRectInto(dst, *flow, r))
        return false;
    if (rect)
        *rect = r;
    return true;
}

// ---------------------------------------------------------------------------------------------
// TFormFloor4

TFormFloor4::TFormFloor4(QWidget *owner) : TFormFilterPreview(owner)
{
    setWindowTitle(u8("床"));
    initFltFloor(FCurParam);
    initFltFloor(FPreParam);
    for (size_t i = 0; i < 2; ++i) {
        FCurTex[i] = std::make_unique<TMTC>(kFloorTextureSize, kFloorTextureSize);
        FPreTex[i] = std::make_unique<TMTC>(kFloorTextureSize, kFloorTextureSize);
        FCurTex[i]->fillAll(0);
        FPreTex[i]->fillAll(0);
        FCurParam.stex[i].tc = FCurTex[i].get();
        FPreParam.stex[i].tc = FPreTex[i].get();
    }
    ChooseTextureFile = defaultChooseFile;

    FieldX = addNumField(this, kControlsLeft, kControlsTop, wrappedSpec("&X", 50));
    FieldY =
        addNumField(this, kControlsLeft, kControlsTop + kControlsRow, fieldSpec("&Y", -100, 100));
    FieldZ =
        addNumField(this, kControlsLeft, kControlsTop + 2 * kControlsRow, wrappedSpec("&Z", 50));
    FieldH = addNumField(this, kControlsLeft, kControlsTop + 3 * kControlsRow,
                         wrappedSpec("角度(&H)", 180, "°"));
    FieldP = addNumField(this, kControlsLeft, kControlsTop + 4 * kControlsRow,
                         wrappedSpec("傾斜(&I)", 90, "°"));
    FieldY.track->setCenterLine(true);
    FieldS = addNumField(this, kControlsLeft, kControlsTop + 5 * kControlsRow,
                         fieldSpec("投影距離(&S)", 0, 400));
    FieldE = addNumField(this, kControlsLeft, kControlsTop + 6 * kControlsRow,
                         fieldSpec("天井高(&E)", 0, 400));

    auto *fog = new QGroupBox(u8("フォグ"), this);
    ChkL = addCheckBox(this, kControlsLeft, kControlsTop + 7 * kControlsRow,
                       u8("現在のレイヤ画像を残す(&L)"));
    const int fogTop = kControlsTop + 7 * kControlsRow + 26;
    fog->setGeometry(kControlsLeft - 8, fogTop, 224, 168);
    ChkI = addCheckBox(fog, 8, 18, u8("無限遠(&N)"));
    FieldD = addNumField(fog, 8, 42, fieldSpec("距離(&D)", 0, 100));
    RadC = new QRadioButton(u8("色(&C)"), fog);
    RadC->setGeometry(8, 88, 64, 20);
    RadT = new QRadioButton(u8("透明(&T)"), fog);
    RadT->setGeometry(120, 88, 80, 20);
    for (QRadioButton *r : {RadC, RadT})
        connect(r, &QRadioButton::clicked, this, [this, r] { ValueChange(r); });
    FCell = new TPickerColorCell(fog);
    FCell->SetBounds(72, 88, 40, 20);
    FCell->OnChange = [this](QObject *s) { ValueChange(s); };
    FieldO = addNumField(fog, 8, 112, fieldSpec("不透明度(&O)", 0, 100, "%"));

    auto *tex = new QGroupBox(u8("テクスチャ"), this);
    tex->setGeometry(kRight - 8, 100, 104, 176);
    ChkR = addCheckBox(tex, 8, 18, u8("天井(&R)"));
    ChkR->setGeometry(8, 18, 88, 20);
    Btn1 = addButton(tex, 8, 40, u8("参照(&B)..."));
    Btn2 = addButton(tex, 8, 62, u8("解除(&M)"));
    ChkF = addCheckBox(tex, 8, 92, u8("床(&F)"));
    ChkF->setGeometry(8, 92, 88, 20);
    Btn3 = addButton(tex, 8, 114, u8("参照(&W)..."));
    Btn4 = addButton(tex, 8, 136, u8("解除(&V)"));

    // The form's values: the dialog opens at them.
    const auto formValue = [](const SNumField &f, float v) {
        f.num->setValueDefault(v);
        f.num->setValue(v);
    };
    formValue(FieldS, 100);
    formValue(FieldE, 100);
    formValue(FieldD, 50);
    formValue(FieldO, 100);
    tracksFollow();
    for (QCheckBox *c : {ChkI, ChkL, ChkR, ChkF})
        c->setChecked(true);
    RadC->setChecked(true);
    setCellColour(*FCell, TColor32{.bgra = 0xFF000000u});
    Btn2->setEnabled(false);
    Btn4->setEnabled(false);
    fitClientHeight(fog->geometry().bottom() + 9);
}

TFormFloor4::~TFormFloor4()
{
    // The preview frame may still point at the records' textures until it goes.
    delete Preview;
    Preview = nullptr;
    delete FCell;
}

void TFormFloor4::SetPreParam(const void *rec)
{
    const auto *r = static_cast<const SFltFloor *>(rec);
    FPreParam.sfloor = r->sfloor;
    for (size_t i = 0; i < 2; ++i) {
        if (r->stex[i].tc && r->stex[i].tc != FPreTex[i].get())
            copyTexture(*FPreTex[i], *r->stex[i].tc);
        FPreParam.stex[i].dpi = r->stex[i].dpi;
        FPreParam.stex[i].path = r->stex[i].path;
    }
}

SFloorValues TFormFloor4::values() const
{
    SFloorValues v;
    v.x = FieldX.num->Value();
    v.y = FieldY.num->Value();
    v.z = FieldZ.num->Value();
    v.head = FieldH.num->Value();
    v.pitch = FieldP.num->Value();
    v.eye2scr = FieldS.num->Value();
    v.skyheight = FieldE.num->Value();
    v.opacity = FieldO.num->Value();
    v.distance = FieldD.num->Value();
    v.transparent = RadT->isChecked();
    v.fogColour = cellColour(*FCell);
    v.infinite = ChkI->isChecked();
    v.keep = ChkL->isChecked();
    v.on = {ChkR->isChecked(), ChkF->isChecked()};
    v.fromFile = FTex;
    return v;
}

void TFormFloor4::ReadCurParam()
{
    writeFloorParam(FCurParam.sfloor, values());
}

void TFormFloor4::LoadTexture(int slot, const TMTC &image, const QString &path, int32_t dpi,
                              const sRect &rect)
{
    if (slot < 0 || slot > 1 || !scaleRectInto(*FCurTex[size_t(slot)], image, rect))
        return;
    SFltTexture &t = FCurParam.stex[size_t(slot)];
    t.dpi = dpi;
    t.path = path;
    setSlotSize(FCurParam.sfloor, slot, rect.x1 - rect.x0, rect.y1 - rect.y0);
}

void TFormFloor4::SetupControls()
{
    for (int slot = 0; slot < 2; ++slot)
        ResetTexture(slot);
    setPreviewChecked(false);
}

bool TFormFloor4::BrowseTexture(int slot)
{
    QString path;
    if (!ChooseTextureFile || !ChooseTextureFile(path))
        return false;
    int32_t dpi = 0;
    const std::unique_ptr<TMTC> image = loadImageFile(path, &dpi);
    if (!image || image->width() <= 0 || image->height() <= 0) {
        showWarning(u8("画像ファイルを開くことができませんでした！\r    path = ") + path);
        return false;
    }
    LoadTexture(slot, *image, path, dpi, {0, 0, image->width(), image->height()});
    return true;
}

bool TFormFloor4::ResetTexture(int slot)
{
    // The effect rectangle, as the opening and the repeat load it (and a replay rebuilds it).
    const TMTC *flow = Attached() && FltMngr->host() ? FltMngr->host()->flowCanvas() : nullptr;
    if (!flow)
        return false;
    const sRect r = FltMngr->maskRect();
    if (r.x1 <= r.x0 || r.y1 <= r.y0)
        return false;
    LoadTexture(slot, *flow, QString(), filterPaperDpi(*FltMngr), r);
    return true;
}

void TFormFloor4::updateSurfaceControls()
{
    const bool roof = ChkR->isChecked(), floor = ChkF->isChecked();
    Btn1->setEnabled(roof);
    Btn2->setEnabled(roof && FTex[0]);
    Btn3->setEnabled(floor);
    Btn4->setEnabled(floor && FTex[1]);
    // One surface always stays on: the other's tick is locked while one is off.
    ChkF->setEnabled(roof);
    ChkR->setEnabled(floor);
}

uint8_t TFormFloor4::ControlChanged(QObject *Sender)
{
    uint8_t a = 0;
    if (pairedChange(Sender, a))
        return a;
    if (Sender == RadC || Sender == RadT) {
        FCell->setEnabled(RadC->isChecked());
        return 1;
    }
    if (Sender == FCell || Sender == ChkI || Sender == ChkL)
        return 1;
    if (Sender == ChkR || Sender == ChkF) {
        updateSurfaceControls();
        return 1;
    }
    QPushButton *const browse[2] = {Btn1, Btn3}, *const release[2] = {Btn2, Btn4};
    for (int slot = 0; slot < 2; ++slot) {
        if (Sender == browse[slot]) {
            if (!BrowseTexture(slot))
                return 0;
            FTex[size_t(slot)] = true;
            release[slot]->setEnabled(true);
            return 1;
        }
        if (Sender == release[slot]) {
            if (!ResetTexture(slot))
                return 0;
            FTex[size_t(slot)] = false;
            release[slot]->setEnabled(false);
            return 1;
        }
    }
    return 0;
}

void TFormFloor4::ButtonOKClick()
{
    TFormFilter::ButtonOKClick();
    SFloorMemo &m = floorDialogMemo();
    m.x = roundHalfAway(FieldX.num->Value());
    m.y = roundHalfAway(FieldY.num->Value());
    m.z = roundHalfAway(FieldZ.num->Value());
    m.head = roundHalfAway(FieldH.num->Value());
    m.pitch = roundHalfAway(FieldP.num->Value());
    m.eye2scr = roundHalfAway(FieldS.num->Value());
    m.skyheight = roundHalfAway(FieldE.num->Value());
    m.opacity = roundHalfAway(FieldO.num->Value());
    m.distance = roundHalfAway(FieldD.num->Value());
    m.transparent = RadT->isChecked();
    m.fogColour = cellColour(*FCell);
    m.infinite = ChkI->isChecked();
    m.keep = ChkL->isChecked();
    const bool on[2] = {ChkR->isChecked(), ChkF->isChecked()};
    for (size_t i = 0; i < 2; ++i) {
        SFloorMemo::Surface &s = m.surfaces[i];
        s.on = on[i];
        s.fromFile = FTex[i];
        if (FTex[i]) {
            s.image = std::make_shared<TMTC>(*FCurTex[i]);
            const SFltFloorParam &f = FCurParam.sfloor;
            s.width = i == 0 ? int32_t(f.tex0w) : int32_t(f.tex1w);
            s.height = i == 0 ? int32_t(f.tex0h) : int32_t(f.tex1h);
        }
    }
    m.preview = PreviewChecked();
}

bool execFloorDialog(SFltFloor &rec, CFlt4Core &core)
{
    return runFilterDialogWith<TFormFloor4>(core, [&rec](TFormFloor4 &dialog) {
        const SFltFloor &cur = dialog.curParam();
        rec.sfloor = cur.sfloor;
        for (size_t i = 0; i < 2; ++i) {
            if (rec.stex[i].tc && cur.stex[i].tc)
                copyTexture(*rec.stex[i].tc, *cur.stex[i].tc);
            rec.stex[i].dpi = cur.stex[i].dpi;
            rec.stex[i].path = cur.stex[i].path;
        }
    });
}

bool makeFloorLastParam(SFltFloor &rec, CFlt4Core &core)
{
    const SFloorMemo &m = floorDialogMemo();
    const int32_t dpi = filterPaperDpi(core);
    for (SFltTexture &t : rec.stex) {
        t.dpi = dpi;
        t.path.clear();
    }
    SFloorValues v;
    v.x = float(m.x);
    v.y = float(m.y);
    v.z = float(m.z);
    v.head = float(m.head);
    v.pitch = float(m.pitch);
    v.eye2scr = float(m.eye2scr);
    v.skyheight = float(m.skyheight);
    v.opacity = float(m.opacity);
    v.distance = float(m.distance);
    v.transparent = m.transparent;
    v.fogColour = m.fogColour;
    v.infinite = m.infinite;
    v.keep = m.keep;
    for (size_t i = 0; i < 2; ++i) {
        v.on[i] = m.surfaces[i].on;
        v.fromFile[i] = m.surfaces[i].on && m.surfaces[i].fromFile && m.surfaces[i].image;
    }
    writeFloorParam(rec.sfloor, v);
    for (int slot = 0; slot < 2; ++slot) {
        const SFloorMemo::Surface &s = m.surfaces[size_t(slot)];
        TMTC *tc = rec.stex[size_t(slot)].tc;
        if (!s.on || !tc)
            continue;
        if (v.fromFile[size_t(slot)]) {
            copyTexture(*tc, *s.image);
            setSlotSize(rec.sfloor, slot, s.width, s.height);
        } else {
            sRect r;
            if (loadLayerTexture(core, *tc, &r))
                setSlotSize(rec.sfloor, slot, r.x1 - r.x0, r.y1 - r.y0);
        }
    }
    return true;
}
