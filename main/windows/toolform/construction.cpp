// The tool window's construction: its buttons, preset sets, views and option controls.
#include "windows/toolform/tool_form.h"
#include "ui/fields/edit_boxes.h"

#include "core/profile/app_profile.h"
#include "paint/brush/paint_param.h"
#include "paint/gradient/gradient_manager.h"
#include "paint/palette/swatches.h"
#include "paint/presets/pen_preset_managers.h"
#include "paint/presets/pen_presets.h"
#include "paint/presets/pen_slots.h"
#include "paint/stroke/stroke.h"
#include "paint/tone/tone_manager.h"
#include "ui/colour/colour_cells.h"
#include "ui/controls/airmap_controls.h"
#include "ui/controls/item_picker.h"
#include "ui/controls/mode_drop_downs.h"
#include "ui/controls/nib_shape_editor.h"
#include "ui/controls/pressure_gamma.h"
#include "ui/fields/label_fields.h"
#include "ui/fields/num_mngr.h"
#include "ui/fields/popup_sliders.h"
#include "ui/graphics/glyph_manager.h"
#include "ui/lists/gradient_list_view.h"
#include "ui/lists/layer_list_views.h"
#include "ui/lists/pen_method_list_view.h"
#include "ui/lists/pen_nib_list_view.h"
#include "ui/lists/tone_list_view.h"
#include "windows/dock/dock_view.h"
#include "windows/presets/preset_popup.h"

#include <QCheckBox>
#include <QLabel>
#include <QMenu>
#include <QPushButton>

namespace {

using G = TqZGlyphType;

constexpr int kClientWidth = 56;
constexpr int kClientHeight = 330;

// The views' captions, in TViewIndex order.
const char *const kViewCaptions[] = {"",       "ナビゲータ", "情報",     "カラー",
                                     "色見本", "ブラシ集",   "レイヤ",   "マスク",
                                     "イベント", "ルーペ",   "ストロークオプション"};

void place(QWidget *w, int l, int t, int r, int b)
{
    if (auto *g = dynamic_cast<TGraphicControl *>(w))
        g->SetBounds(l, t, r - l, b - t);
    else
        w->setGeometry(l, t, r - l, b - t);
}

QLabel *makeText(QWidget *parent, const QString &text)
{
    auto *l = new QLabel(text, parent);
    l->setFont(QFont(QStringLiteral("MS UI Gothic"), 9));
    return l;
}

} // namespace

TToolForm::TToolForm(QWidget &owner, TDockFloatManager &palettes)
    : TDockFloatForm(&owner), FPalMngr(palettes)
{
    setWindowTitle(QStringLiteral("ツール"));
    resize(kClientWidth + FrameSize().width(), kClientHeight + FrameSize().height());
    createToolButtons();
    createManagers();
    createViews();
    createOptionControls();
    createTransformFields();
    createOtherLists();
    FState.FToolSubMode = TToolSubKind::tskDrawLocus;
    // The palettes show a replay until the replay display is left the first time.
    FIsPlay = true;
}

TToolForm::~TToolForm()
{
    IMainForm &main = mainForm();
    if (&main.toolForm() == this)
        headlessMainForm().setToolForm(nullptr, nullptr);
    if (FPopPenNib)
        delete FPopPenNib.data();
    // The lists forget their sets before the sets go.
    if (FDrpPenMtd)
        FDrpPenMtd->Detach();
    if (FLstPenMtd)
        FLstPenMtd->Detach();
    if (FLstPenNib)
        FLstPenNib->Detach();
    if (FChkGrad)
        FChkGrad->Detach();
    if (FDrpGrad)
        FDrpGrad->Detach();
    if (FChkTone)
        FChkTone->Detach();
    if (FLstLyr)
        FLstLyr->Detach();
    if (FLstMask)
        FLstMask->Detach();
    for (auto &v : FViews)
        delete v.data();
}

TNumMngr *TToolForm::makeNum(float min, float max, float def, float amount)
{
    auto *m = new TNumMngr(this);
    m->beginLoading();
    m->setValueMin(min);
    m->setValueMax(max);
    m->setValueDefault(def);
    m->setValue(def);
    m->endLoading();
    m->Amount = amount;
    return m;
}

TNumLabelEditPopup *TToolForm::makeField(QWidget *parent, TNumMngr *model, const QString &hint,
                                         const QString &format)
{
    auto *f = new TNumLabelEditPopup(parent);
    f->setFormatString(format);
    f->setAssociate(model);
    f->setHint(hint);
    return f;
}

TqZGlyphLabel *TToolForm::makeLabel(QWidget *parent, TqZGlyphType glyph, const QString &hint)
{
    auto *l = new TqZGlyphLabel(parent);
    l->setGlyphType(glyph);
    l->setHint(hint);
    l->OnBeginDrag = [this](QObject *s, float &p) { LblBeginDrag(s, p); };
    l->OnDrag = [this](QObject *s, float p) { LblDrag(s, p); };
    l->OnEndDrag = [this](QObject *s, float p) { LblEndDrag(s, p); };
    l->OnDblClick = [this](QObject *s) { LblDblClick(s); };
    return l;
}

TqZGlyphButton *TToolForm::makeToggle(QWidget *parent, TqZGlyphType glyph, int group,
                                      bool allowAllUp, const QString &hint)
{
    auto *b = new TqZGlyphButton(parent);
    b->setGlyphType(glyph);
    b->setGroupIndex(group);
    b->setAllowAllUp(allowAllUp);
    b->setHint(hint);
    return b;
}

void TToolForm::createToolButtons()
{
    QWidget *client = Client();
    for (const SToolButtonRow &row : toolButtonRows())
    {
        auto *b = new TqZGlyphButton(client);
        b->setGlyphType(row.glyph);
        b->setHint(QString::fromUtf8(row.hint));
        b->setGroupIndex(1);
        b->setAllowAllUp(false);
        if (!row.menu.empty())
        {
            auto *menu = new QMenu(this);
            for (const SToolMenuItem &item : row.menu)
            {
                if (isMenuSeparator(item))
                {
                    menu->addSeparator();
                    continue;
                }
                QAction *a = menu->addAction(QString::fromUtf8(item.caption));
                a->setCheckable(true);
                a->setData(int(item.detail));
                connect(a, &QAction::triggered, this, [this, a] { MenuClick(a); });
            }
            connect(menu, &QMenu::aboutToShow, this, [this, menu] { MenuPopup(menu); });
            FToolMenus[size_t(row.kind)] = menu;
            b->setPickerType(ipIconDrop);
            b->PopupMenu = menu;
        }
        place(b, row.bounds.x0, row.bounds.y0, row.bounds.x1, row.bounds.y1);
        b->OnDown = [this](QObject *s) { BtnClick(s); };
        if (row.kind == TToolKind::tkGrabber || row.kind == TToolKind::tkZoom)
            b->OnDblClick = [this](QObject *s) { BtnDblClick(s); };
        FToolButtons[size_t(row.kind)] = b;
    }
    {
        // The pencil starts down; no switch may run from it yet.
        CPaletteGuard g(FState.FPalStat, TPaletteState::psToolModeUpdate);
        FToolButtons[size_t(TToolKind::tkPencil)]->setDown(true);
    }

    FToolCell = new TTwinColorCell(client);
    place(FToolCell, 9, 190, 49, 230);
    NumToolDens = makeNum(1, 100, 100);
    NumToolDens->OnChange = [this](QObject *s) { PaintParamChange(s); };
    EdtToolDens = makeField(client, NumToolDens, QStringLiteral("不透明度|不透明度の変更"));
    place(EdtToolDens, 3, 236, 40, 252);
    place(makeText(client, QStringLiteral("%")), 41, 238, 56, 252);
}

void TToolForm::createManagers()
{
    FStroke = std::make_unique<TStroke>(2);
    FPlayParam = std::make_unique<TPaintParam>(TPaintMode::pmPencil5);
    FPenMtdMngr = std::make_unique<CPenMethodMngr>();
    FPenMtdMngr->loadDefault(true);
    // The legacy pens hold their built-in settings until the saved ones are read.
    FFormarPens = std::make_unique<SFormarPens>();
    for (int t = 0; t < kPenParamQZ2TypeCount; ++t)
        for (int n = 0; n < kPenSlotQZ2Count; ++n)
            initPenParamQZ2(FFormarPens->pens[t][n], penParamTypeToDrawMode(TPenParamQZ2Type(t)));
    FPenNibMngr = std::make_unique<CPenShapeMngr>();
    FPenNibMngr->loadDefault(true);
    FPenNibObj = std::make_unique<CPenShapeObj>();
    FSwatchMngr = std::make_unique<TSwatchMngr>();
    FSwatchMngr->LoadDefault(true);
    FGradMngr = std::make_unique<CGradMngr>();
    FGradMngr->loadDefault(true);
    FToneMngr = std::make_unique<CToneMngr>();
    FToneMngr->loadDefault(true);
}

void TToolForm::createViews()
{
    for (int i = 0; i < kViewCount; ++i)
    {
        auto *v = new TCustomDockView(nullptr);
        v->setCaption(QString::fromUtf8(kViewCaptions[i]));
        FViews[size_t(i)] = v;
    }
    FOptionView = FViews[vwOption];
    FOptionView->resize(224, 144);
    QString caption;
    toolDetailCaption(FState.FToolMode, caption);
    FOptionView->setCaption(caption);
    FQZ5OptionView = FViews[vwQZ5Option];
    FQZ5OptionView->resize(208, 44);
}

void TToolForm::createOptionControls()
{
    QWidget *client = Client();
    QWidget *ov = FOptionView;
    const TListViewCommandTypes selectEdit{lvcSelect, lvcEditDialog};

    FChkGrad = new TGradientListView(client);
    FChkGrad->SetListType(lvCheckDrop);
    FChkGrad->SetSupportCommand(selectEdit);
    place(FChkGrad, 1, 260, 55, 292);
    FChkTone = new TToneListView(client);
    FChkTone->SetListType(lvCheckDrop);
    FChkTone->SetSupportCommand(selectEdit);
    place(FChkTone, 1, 296, 55, 328);
    FChkGrad->Attach(FGradMngr.get());
    FChkTone->Attach(FToneMngr.get());
    FChkGrad->OnChange = FChkGrad->OnChangeManager = [this](QObject *s) { GradientChange(s); };
    FChkTone->OnChange = FChkTone->OnChangeManager = [this](QObject *s) { ToneChange(s); };

    FDrpPenMtd = new TPenMethodListView(ov);
    FDrpPenMtd->SetListType(lvDropMulti);
    FDrpPenMtd->SetSupportCommand(selectEdit);
    FDrpPenMtd->Attach(FPenMtdMngr.get(), FStroke.get(), &FFormarPens->pens);
    FDrpPenMtd->OnChange = FDrpPenMtd->OnChangeManager = [this](QObject *s) {
        PaintParamChange(s);
    };
    FDrpPenMtd->OnChangePaintMode = [this](QObject *s) { FDrpPenMtdChangePaintMode(s); };

    FAspRot = new TAspectRotation(ov);
    FAspRot->OnChange = [this](QObject *s) { PaintParamChange(s); };
    FAspRot->OnShowPopupForm = [this](QObject *s, int x, int y) { FAspRotShowPopup(s, x, y); };
    FDrpSubMode = new TSubPaintDropDown(ov);
    FDrpSubMode->setHint(QStringLiteral("描画方法|クリック: 描画方法の設定メニューを開く"));
    FDrpSubMode->OnChange = [this](QObject *s) { FDrpSubModeChange(s); };
    FDrpAirMap = new TAirMapDropDown(ov);
    FDrpAirMap->setHint(QStringLiteral("濃度分布範囲|クリック: 濃度分布範囲の設定ウィンドウを開く"));
    FDrpAirMap->OnChange = [this](QObject *s) { PaintParamChange(s); };
    FPrsGam = new TPressureGamma(ov);
    FPrsGam->OnChange = [this](QObject *s) { PaintParamChange(s); };

    auto paramChange = [this](QObject *s) { PaintParamChange(s); };
    NumBrushSpace = makeNum(1, 200, 10);
    NumBrushSpace->OnChange = paramChange;
    for (size_t i = 0; i < 3; ++i)
    {
        NumBrushEfct[i] = makeNum(0, 100, 0);
        NumBrushEfct[i]->OnChange = paramChange;
    }
    NumBrushPresG = makeNum(0.05f, 6, 1, 0.05f);
    NumNibRadius = makeNum(0.1f, 500, 1, 0.1f);
    NumNibRadius->beginLoading();
    NumNibRadius->setValueCenter(50);
    NumNibRadius->endLoading();
    NumNibRadius->OnChange = paramChange;
    NumNibShpScl = makeNum(1, 500, 100);
    NumNibShpScl->OnChange = paramChange;
    NumNibMinRad = makeNum(0, 100, 0);
    NumNibMinRad->OnChange = paramChange;
    NumSmoothLevel = makeNum(0, 24, 0);
    NumSmoothLevel->OnChange = paramChange;
    NumSeedRange = makeNum(0, 255, 50);
    NumSeedRange->OnChange = [this](QObject *s) { SeedParamChange(s); };
    NumGradRep = makeNum(1, 500, 1);
    NumGradRep->OnChange = [this](QObject *s) { GradAttrChange(s); };
    NumDispScale = makeNum(1, 3200, 100);
    NumDispRot = makeNum(-180, 180, 0);
    NumLyrDens = makeNum(0, 100, 100);

    FLblOptDens = makeLabel(ov, G::qgDensity, QStringLiteral("不透明度|不透明度の変更"));
    EdtOptDens = makeField(ov, NumToolDens, QStringLiteral("不透明度|不透明度の変更"));
    FLblDensUnit = makeText(ov, QStringLiteral("%"));
    FLblBrushSpace = makeLabel(ov, G::qgBrushSpace, QStringLiteral("間隔|ブラシ間隔の変更"));
    EdtBrushSpace = makeField(ov, NumBrushSpace, QStringLiteral("間隔|ブラシ間隔の変更"));
    for (size_t i = 0; i < 3; ++i)
    {
        FLblBrushEfct[i] = makeLabel(ov, G::qgPencil4, QString());
        EdtBrushEfct[i] = makeField(ov, NumBrushEfct[i], QString());
    }
    FLblNibRadius = makeLabel(ov, G::qgNibRadius, QStringLiteral("半径|ブラシ半径の変更"));
    EdtNibRadius = makeField(ov, NumNibRadius, QStringLiteral("半径|ブラシ半径の変更"),
                             QStringLiteral("%1.1f"));
    EdtNibRadius->OnInFilter = [this](QObject *s, float &p) { EdtNibRadiusInFilter(s, p); };
    EdtNibRadius->OnOutFilter = [this](QObject *s, float &p) { EdtNibRadiusOutFilter(s, p); };
    EdtNibShpScl = makeField(ov, NumNibShpScl, QStringLiteral("倍率|ブラシ倍率の変更"));
    EdtNibShpScl->OnInFilter = [this](QObject *s, float &p) { EdtNibShpSclInFilter(s, p); };
    EdtNibShpScl->OnOutFilter = [this](QObject *s, float &p) { EdtNibShpSclOutFilter(s, p); };
    FLblRadiusUnit = makeText(ov, QStringLiteral("px"));
    FLblNibMinRad = makeLabel(ov, G::qgNibMinRadius, QStringLiteral("最小半径|最小半径の変更"));
    EdtNibMinRad = makeField(ov, NumNibMinRad, QStringLiteral("最小半径|最小半径の変更"));

    FBtnPresDens = makeToggle(ov, G::qgPrsDensity, 300, true,
                              QStringLiteral("筆圧濃度|オン: 筆圧による濃度変更を有効, オフ: "
                                             "筆圧による濃度変更を無効"));
    FBtnPresSize = makeToggle(ov, G::qgPrsRadius, 310, true,
                              QStringLiteral("筆圧サイズ|オン: 筆圧によるブラシ半径の変更を有効, "
                                             "オフ: 筆圧によるブラシ半径の変更を無効"));
    FBtnToolAA = makeToggle(ov, G::qgAntiAlias, 312, true,
                            QStringLiteral("アンチエイリアス|オン: アンチエイリアス有効, "
                                           "オフ:アンチエイリアス無効"));
    FBtnPresDens->OnDown = FBtnPresSize->OnDown = paramChange;
    FBtnToolAA->OnDown = [this](QObject *s) { ToolAntiAliasChange(s); };
    FBtnUseGrad = makeToggle(ov, G::qgGradNone, 0, false, QString());
    FBtnUseTone = makeToggle(ov, G::qgToneNone, 0, false, QString());
    FBtnUseGrad->setPickerType(ipIconDrop);
    FBtnUseTone->setPickerType(ipIconDrop);

    FDrpGrad = new TGradientListView(ov);
    FDrpGrad->SetListType(lvDropMulti);
    FDrpGrad->SetSupportCommand(selectEdit);
    FDrpGrad->Attach(FGradMngr.get());
    FDrpGrad->OnChange = FDrpGrad->OnChangeManager = [this](QObject *s) { GradientChange(s); };
    FLblGradRep = makeLabel(ov, G::qgGradRepeat, QStringLiteral("繰り返し回数|繰り返し回数の変更"));
    EdtGradRep = makeField(ov, NumGradRep, QStringLiteral("繰り返し回数|繰り返し回数の変更"));
    auto gradAttr = [this](QObject *s) { GradAttrChange(s); };
    FBtnGradInf = makeToggle(ov, G::qgGradInfinity, 322, true, QStringLiteral("無限繰り返し"));
    FBtnGradLine = makeToggle(ov, G::qgGradLinear, 320, false, QStringLiteral("線形"));
    FBtnGradRad = makeToggle(ov, G::qgGradRadial, 320, false, QStringLiteral("放射"));
    FBtnGradCir = makeToggle(ov, G::qgGradCircular, 320, false, QStringLiteral("円形"));
    FBtnGradRet = makeToggle(ov, G::qgGradReturn, 321, true, QStringLiteral("折り返し"));
    FBtnGradRemind = makeToggle(ov, G::qgGradRemind, 323, true, QStringLiteral("個別設定"));
    for (TqZGlyphButton *b :
         {FBtnGradInf, FBtnGradLine, FBtnGradRad, FBtnGradCir, FBtnGradRet, FBtnGradRemind})
        b->OnDown = gradAttr;

    FBtnToolSave = makeToggle(ov, G::qgSave, 0, false, QStringLiteral("保存|ブラシの設定を保存"));
    FBtnToolSave->OnClick = [this](QObject *s) { OptionSave(s); };
    FBtnToolNew = makeToggle(ov, G::qgCreate, 0, false, QStringLiteral("新規|新規作成"));
    FBtnToolDel = makeToggle(ov, G::qgDelete, 0, false, QStringLiteral("削除|削除"));
    EdtToolName = new TLabelEdit(ov);
    EdtToolName->OnChange = [this](QObject *s) { ToolNameChange(s); };

    FLblSeedRange = makeText(ov, QStringLiteral("色差の許容誤差"));
    EdtSeedRange = makeField(ov, NumSeedRange, QStringLiteral("色差の許容誤差|色差の許容誤差を設定"));
    ChkSeedUseAll = new QCheckBox(QStringLiteral("表示画像"), ov);
    connect(ChkSeedUseAll, &QCheckBox::clicked, this, [this] { SeedParamChange(ChkSeedUseAll); });
    CheckAspectRock = new QCheckBox(QStringLiteral("縦横比固定"), ov);
    connect(CheckAspectRock, &QCheckBox::clicked, this, [this] { CheckAspectRockClick(); });
    CheckCenter = new QCheckBox(QStringLiteral("中央から作成"), ov);
    connect(CheckCenter, &QCheckBox::clicked, this, [this] { CheckCenterClick(); });
    BtnMoveOK = new QPushButton(QStringLiteral("カーソルキー移動モードを終了"), ov);
    BtnMoveOK->setEnabled(false);
    connect(BtnMoveOK, &QPushButton::clicked, this, [this] { BtnMoveClick(); });

    QWidget *q5 = FQZ5OptionView;
    place(makeText(q5, QStringLiteral("手ぶれ補正")), 4, 4, 70, 20);
    EdtSmoothLevel = makeField(q5, NumSmoothLevel, QStringLiteral("手ぶれ補正強度を設定"));
    place(EdtSmoothLevel, 72, 4, 120, 20);
    CheckBSplineEnable = new QCheckBox(QStringLiteral("曲線補間"), q5);
    place(CheckBSplineEnable, 4, 24, 120, 42);
    connect(CheckBSplineEnable, &QCheckBox::clicked, this,
            [this] { PaintParamChange(CheckBSplineEnable); });

    PopOption = new QMenu(this);
    PopPenNib = new QMenu(this);
    struct SNibItem
    {
        const char *caption;
        int id;
    };
    static constexpr SNibItem kNibItems[] = {
        {"新規ペン先(&N)...", 0},       {"ペン先を複製(&D)...", 1},
        {"ペン先を削除(&R)...", 2},     {"ペン先を編集(&E)...", 3},
        {"-", -1},                      {"アイコンを表示(&1)...", 4},
        {"アイコン(大)を表示(&2)...", 5}, {"リストを表示(&3)...", 6},
        {"リスト(大)を表示(&4)...", 7},   {"-", -1},
        {"ペン先集を復帰(&V)...", 8},   {"ペン先集を保存(&S)...", 9},
        {"ペン先集を追加(&A)...", 10},  {"ペン先集の置き換え(&O)...", 11}};
    for (const SNibItem &it : kNibItems)
    {
        if (it.id < 0)
        {
            PopPenNib->addSeparator();
            continue;
        }
        QAction *a = PopPenNib->addAction(QString::fromUtf8(it.caption));
        a->setData(it.id);
        connect(a, &QAction::triggered, this, [this, a] { MenuPenNibClick(a); });
    }
}

void TToolForm::createTransformFields()
{
    QWidget *ov = FOptionView;
    auto change = [this](QObject *s) { TransformParamChange(s); };
    NumOptDatXRange = makeNum(-10000, 10000, 0);
    NumOptDatYRange = makeNum(-10000, 10000, 0);
    NumOptScaleWRange = makeNum(0, 1600, 100);
    NumOptScaleHRange = makeNum(0, 1600, 100);
    for (TNumMngr **m : {&NumOptRotRange, &NumOptShrHRange, &NumOptShrVRange})
    {
        *m = makeNum(-180, 180, 0);
        (*m)->setWrapAround(true);
        (*m)->SetWraps(nullptr, true, -180, 180);
    }
    for (TNumMngr *m : {NumOptDatXRange, NumOptDatYRange, NumOptScaleWRange, NumOptScaleHRange,
                        NumOptRotRange, NumOptShrHRange, NumOptShrVRange})
        m->OnChange = change;
    EdtOptDatXRange = makeField(ov, NumOptDatXRange, QStringLiteral("X座標|X座標を設定"));
    EdtOptDatYRange = makeField(ov, NumOptDatYRange, QStringLiteral("Y座標|Y座標を設定"));
    EdtOptScaleWRange = makeField(ov, NumOptScaleWRange, QStringLiteral("幅|幅を設定"),
                                  QStringLiteral("%1.1f"));
    EdtOptScaleHRange = makeField(ov, NumOptScaleHRange, QStringLiteral("高さ|高さを設定"),
                                  QStringLiteral("%1.1f"));
    EdtOptRotRange = makeField(ov, NumOptRotRange, QStringLiteral("角度|角度を設定"),
                               QStringLiteral("%1.1f"));
    for (TNumLabelEditPopup *f : {EdtOptScaleWRange, EdtOptScaleHRange})
    {
        f->OnInFilter = [this](QObject *s, float &p) { OptScaleInFilter(s, p); };
        f->OnOutFilter = [this](QObject *s, float &p) { OptScaleOutFilter(s, p); };
    }
    for (TNumLabelEditPopup *f : {EdtOptScaleWRange, EdtOptScaleHRange, EdtOptRotRange})
    {
        f->OnPopupClose = [this](QObject *s) { OptTransEditEnd(s); };
        f->OnEditExit = [this](QObject *s) { OptTransEditEnd(s); };
    }
    FBtnScaleFix = makeToggle(ov, G::qgOptScaleFix, 330, true,
                              QStringLiteral("縦横比を固定|オン: 縦横比固定有効, オフ:縦横比固定無効"));
    BtnTransformApply = new QPushButton(QStringLiteral("適用"), ov);
    BtnTransformCancel = new QPushButton(QStringLiteral("キャンセル"), ov);
    connect(BtnTransformApply, &QPushButton::clicked, this, [this] { BtnTransformApplyClick(); });
    connect(BtnTransformCancel, &QPushButton::clicked, this,
            [this] { BtnTransformCancelClick(); });

    struct SCaption
    {
        const char *text;
        int l, t, r, b;
    };
    static constexpr SCaption kCaptions[] = {
        {"基準点", 4, 4, 62, 20},     {" X:", 62, 4, 76, 20},  {"px", 124, 4, 138, 20},
        {"Y:", 142, 4, 156, 20},      {"px", 204, 4, 220, 20}, {"拡大・縮小", 2, 26, 66, 42},
        {"W:", 64, 26, 76, 42},       {"%", 124, 26, 134, 42}, {"H:", 152, 26, 164, 42},
        {"%", 208, 26, 220, 42},      {"回転", 4, 48, 62, 64}, {"°", 124, 48, 138, 64}};
    for (const SCaption &c : kCaptions)
    {
        QLabel *l = makeText(ov, QString::fromUtf8(c.text));
        place(l, c.l, c.t, c.r, c.b);
        FTransformRows.push_back(l);
    }
    place(EdtOptDatXRange, 76, 4, 124, 20);
    place(EdtOptDatYRange, 156, 4, 204, 20);
    place(EdtOptScaleWRange, 76, 26, 124, 42);
    place(FBtnScaleFix, 134, 24, 152, 44);
    place(EdtOptScaleHRange, 164, 26, 208, 42);
    place(EdtOptRotRange, 76, 48, 124, 64);
    place(BtnTransformApply, 4, 72, 108, 94);
    place(BtnTransformCancel, 114, 72, 218, 94);
    for (QWidget *w : {static_cast<QWidget *>(EdtOptDatXRange), static_cast<QWidget *>(EdtOptDatYRange),
                       static_cast<QWidget *>(EdtOptScaleWRange), static_cast<QWidget *>(EdtOptScaleHRange),
                       static_cast<QWidget *>(EdtOptRotRange), static_cast<QWidget *>(FBtnScaleFix)})
        FTransformRows.push_back(w);
}

void TToolForm::createOtherLists()
{
    FLstPenMtd = new TPenMethodListView(FViews[vwPenMtd]);
    FLstPenMtd->SetListType(lvListS);
    FLstPenMtd->SetSupportCommand({lvcSelect, lvcDelete, lvcEditDialog});
    FLstPenMtd->SetShowAll(true);
    FLstPenMtd->Attach(FPenMtdMngr.get(), FStroke.get(), &FFormarPens->pens);
    FLstPenMtd->OnChange = [this](QObject *s) { FLstPenMtdChange(s); };
    FLstPenNib = new TPenNibListView(FViews[vwPenMtd]);
    FLstPenNib->SetListType(lvIconL);
    FLstPenNib->SetSupportCommand({lvcSelect, lvcDrag, lvcEditDialog});
    FLstPenNib->Attach(FPenNibMngr.get());
    FLstPenNib->OnChange = [this](QObject *s) { FLstPenNibChange(s); };
    const TListViewCommandTypes docCommands{lvcSelect, lvcMove, lvcDrag, lvcDrop, lvcEditDialog};
    FLstLyr = new TLayerListView(FViews[vwLayer]);
    FLstLyr->SetSupportCommand(docCommands);
    FLstMask = new TMaskListView(FViews[vwMask]);
    FLstMask->SetSupportCommand(docCommands);
}
