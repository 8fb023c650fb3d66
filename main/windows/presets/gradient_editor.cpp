#include "windows/presets/gradient_editor.h"

#include "core/profile/app_profile.h"
#include "paint/gradient/gradient_manager.h"
#include "ui/base/popup_menu.h"
#include "ui/colour/colour_cells.h"
#include "ui/controls/gradient_edit.h"
#include "ui/dialogs/paint_box.h"
#include "ui/fields/drop_down_menu.h"
#include "ui/fields/edit_boxes.h"
#include "ui/fields/num_mngr.h"
#include "ui/fields/path_label.h"
#include "ui/fields/trackbar.h"
#include "ui/graphics/appearance.h"
#include "ui/lists/gradient_list_view.h"
#include "ui/lists/preset_previews.h"
#include "windows/presets/editor_layout.h"
#include "windows/presets/preset_files.h"
#include "windows/presets/preset_kinds.h"
#include "windows/presets/value_dialogs.h"
#include "windows/shell_host.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>

#include <algorithm>
#include <memory>
#include <utility>

namespace {

using editor_layout::label;
using editor_layout::u8;

TNumEdit *field(QWidget *parent, TNumMngr *num, const char *format, int x, int y)
{
    return editor_layout::field(parent, num, format, x, y, 44);
}

QColor qColorOf(TColor32 c)
{
    return QColor(c.r, c.g, c.b);
}

QColor qColorOf(const TColorPickerValue &v)
{
    return qColorOf(colorPickerValueToColor32(v, 255));
}

} // namespace

TFormGradEditor::TFormGradEditor(QWidget *owner) : TFormPresetEditor(owner)
{
    setWindowTitle(u8("グラデーションエディタ"));
    IToolForm &tool = mainForm().toolForm();
    FGradMngr = tool.gradientSet();
    FForeground = tool.ForegroundColor();
    FBackground = tool.BackgroundColor();
    FEditorType = geEditGrad;
    FValueUpdate = true; // the controls' first values are no edits
    buildGeneral();
    FGradEdit = new TGradientEdit(this);
    FGradEdit->SetBounds(240, 120, 352, 36);
    FGradEdit->setForeground(FForeground);
    FGradEdit->setBackground(FBackground);
    FGradEdit->OnChange = [this](QObject *s) { ValueChange(s); };
    BtnFlip = new QPushButton(u8("位置を反転(&H)"), this);
    BtnFlip->setGeometry(284, 164, 136, 20);
    connect(BtnFlip, &QPushButton::clicked, this, [this] { FGradEdit->FlipPosition(); });
    BtnSplit = new QPushButton(u8("右の区間を分割"), this);
    BtnSplit->setGeometry(420, 164, 136, 20);
    connect(BtnSplit, &QPushButton::pressed, this, [this] { BtnSplitMouseDown(); });
    buildStopGroups();
    buildActions();

    FGradList = new TGradientListView(this);
    const QRect lr = BoxListView->geometry();
    FGradList->SetListType(lvListS);
    FGradList->SetSupportCommand({lvcSelect, lvcDrag, lvcDrop});
    FGradList->SetBounds(lr.x(), lr.y(), lr.width(), lr.height());
    FGradList->Attach(FGradMngr);
    FGradList->OnChange = [this](QObject *) { ListViewChange(); };
    FGradPreview = new TGradientPreview(this);
    const QRect pr = BoxPreview->geometry();
    FGradPreview->SetBounds(pr.x(), pr.y(), pr.width(), pr.height());

    connect(MenuSetRevert, &QAction::triggered, this, [this] { MenuSetLoadClick(MenuSetRevert); });
    connect(MenuSetAppend, &QAction::triggered, this, [this] { MenuSetLoadClick(MenuSetAppend); });
    connect(MenuSetOpen, &QAction::triggered, this, [this] { MenuSetLoadClick(MenuSetOpen); });
    connect(MenuSetSave, &QAction::triggered, this, [this] { MenuSetSaveClick(); });

    FValueUpdate = false;
    FGradList->SetSelectIndex(FGradList->SelectIndex());
    GradEditChange();
    UpdatePathLabel();
}

TFormGradEditor::~TFormGradEditor()
{
    FDestroying = true;
    if (FGradList)
        FGradList->OnChange = nullptr;
}

TNumMngr *TFormGradEditor::number(float lo, float hi, float value)
{
    return editor_layout::number(this, lo, hi, value, [this](QObject *s) { ValueChange(s); });
}

void TFormGradEditor::buildGeneral()
{
    GrpGeneral = new QGroupBox(u8("一般"), this);
    GrpGeneral->setGeometry(240, 8, 352, 104);
    QWidget *g = GrpGeneral;
    StaticName = label(g, "名前(&N)", 16, 22, 60);
    EdtName = new QLineEdit(g);
    EdtName->setGeometry(76, 18, 260, 20);
    EdtName->setMaxLength(100);
    StaticName->setBuddy(EdtName);
    connect(EdtName, &QLineEdit::textChanged, this, [this] { ValueChange(EdtName); });
    QLabel *type = label(g, "種類(&S)", 16, 48, 60);
    CmbType = new QComboBox(g);
    CmbType->setGeometry(76, 44, 100, 22);
    for (const char *item : {"線形", "放射形", "円形"})
        CmbType->addItem(u8(item));
    type->setBuddy(CmbType);
    connect(CmbType, &QComboBox::currentIndexChanged, this, [this] { ValueChange(CmbType); });
    auto check = [this, g](const char *text, int x, int y) {
        auto *c = new QCheckBox(u8(text), g);
        c->setGeometry(x, y, 100, 18);
        connect(c, &QCheckBox::toggled, this, [this, c] { ValueChange(c); });
        return c;
    };
    ChkAround = check("往復(&T)", 192, 46);
    ChkUnique = check("固有設定(&Q)", 264, 46);
    NumRepeat = number(1, 500, 1);
    label(g, "回数(&E)", 16, 76, 60)->setBuddy(EdtRepeat = field(g, NumRepeat, "%1.4g", 76, 72));
    label(g, "回", 124, 76, 20);
    ChkInfinity = check("無限(&I)", 192, 74);
}

void TFormGradEditor::buildStopGroups()
{
    GroupBox3 = new QGroupBox(u8("制御点"), this);
    GroupBox3->setGeometry(240, 188, 352, 124);
    QWidget *g = GroupBox3;
    NumPosition = number(0, 100, 0);
    NumLOpaque = number(0, 100, 100);
    NumROpaque = number(0, 100, 100);

    StaticPosition = label(g, "位置(&P)", 16, 22, 60);
    EdtPosition = field(g, NumPosition, "%1.4g", 76, 18);
    StaticPosition->setBuddy(EdtPosition);
    LblPositionUnit = label(g, "%", 124, 22, 16);
    DropPosition = new TDropDownMenu(g);
    DropPosition->SetBounds(140, 24, 11, 11);
    BtnCenter = new QPushButton(u8("区間の中央に移動(&M)"), g);
    BtnCenter->setGeometry(184, 18, 152, 20);
    connect(BtnCenter, &QPushButton::clicked, this,
            [this] { FGradEdit->MoveCenter(FGradEdit->SelectIndex()); });

    auto radio = [this](QWidget *parent, const char *text, int y) {
        auto *r = new QRadioButton(u8(text), parent);
        r->setGeometry(16, y, 92, 18);
        connect(r, &QRadioButton::toggled, this, [this, r](bool on) {
            if (on)
                ValueChange(r);
        });
        return r;
    };
    auto swatch = [this](QWidget *parent, int y, const TColorPickerValue *colour) {
        auto *b = new TPaintBox(parent);
        b->setGeometry(112, y, 32, 18);
        if (colour)
            b->OnPaint = [this, b, colour](QPainter &p) {
                p.fillRect(b->rect(), qColorOf(*colour));
                BoxColorPaint(*b, p);
            };
        return b;
    };
    RadLFixed = radio(g, "固定色(&F)", 46);
    RadLFore = radio(g, "前景色(&O)", 68);
    RadLBack = radio(g, "背景色(&B)", 90);
    RadLFixed->setChecked(true);
    BoxLColor = swatch(g, 46, nullptr);
    BoxFore1 = swatch(g, 68, &FForeground);
    BoxBack1 = swatch(g, 90, &FBackground);
    FColorCellL = new TPickerColorCell(g);
    FColorCellL->SetBounds(112, 46, 32, 18);
    FColorCellL->OnChange = [this](QObject *s) { ValueChange(s); };
    StaticLOpaque = label(g, "不透明度(&T)", 160, 48, 76);
    EdtLOpaque = field(g, NumLOpaque, "%1.0f", 240, 44);
    StaticLOpaque->setBuddy(EdtLOpaque);
    LblLOpaqueUnit = label(g, "%", 288, 48, 16);
    FTrkLOpaque = new TGraphicTrackbar(g);
    FTrkLOpaque->SetBounds(160, 70, 176, 12);
    FTrkLOpaque->setPosition(1);
    FTrkLOpaque->OnChange = [this](QObject *s) { ValueChange(s); };
    BtnUnionL = new QPushButton(u8("左と結合(&L)"), g);
    BtnUnionL->setGeometry(160, 92, 84, 20);
    BtnUnionR = new QPushButton(u8("右と結合(&R)"), g);
    BtnUnionR->setGeometry(252, 92, 84, 20);

    GrpRColor = new QGroupBox(u8("結合点"), this);
    GrpRColor->setGeometry(240, 316, 352, 96);
    QWidget *r = GrpRColor;
    RadRFixed = radio(r, "固定色(&X)", 20);
    RadRFore = radio(r, "前景色(&G)", 42);
    RadRBack = radio(r, "背景色(&K)", 64);
    RadRFixed->setChecked(true);
    BoxRColor = swatch(r, 20, nullptr);
    BoxFore2 = swatch(r, 42, &FForeground);
    BoxBack2 = swatch(r, 64, &FBackground);
    FColorCellR = new TPickerColorCell(r);
    FColorCellR->SetBounds(112, 20, 32, 18);
    FColorCellR->OnChange = [this](QObject *s) { ValueChange(s); };
    StaticROpaque = label(r, "不透明度(&Y)", 160, 22, 76);
    EdtROpaque = field(r, NumROpaque, "%1.0f", 240, 18);
    StaticROpaque->setBuddy(EdtROpaque);
    LblROpaqueUnit = label(r, "%", 288, 22, 16);
    FTrkROpaque = new TGraphicTrackbar(r);
    FTrkROpaque->SetBounds(160, 44, 176, 12);
    FTrkROpaque->setPosition(1);
    FTrkROpaque->OnChange = [this](QObject *s) { ValueChange(s); };
    BtnDisunion = new QPushButton(u8("結合解除(&D)"), r);
    BtnDisunion->setGeometry(160, 64, 120, 20);
    DropColor = new TDropDownMenu(r);
    DropColor->SetBounds(288, 68, 11, 11);
    for (QWidget *w : r->findChildren<QWidget *>())
        w->setEnabled(false);
}

void TFormGradEditor::buildActions()
{
    PopSplit = new QMenu(this);
    for (int n = 2; n <= 10; ++n) {
        QAction *a = PopSplit->addAction(n < 10 ? QStringLiteral("&%1").arg(n) : u8("1&0"));
        connect(a, &QAction::triggered, this, [this, n] { ActSplitExecute(n); });
        ActSplitN[n - 2] = a;
    }
    PopSplit->addSeparator();
    ActSplit = PopSplit->addAction(u8("カスタム(&C)..."));
    connect(ActSplit, &QAction::triggered, this, [this] { ActSplitCustomExecute(); });

    ActUnionL = new QAction(u8("左と結合(&L)"), this);
    ActUnionR = new QAction(u8("右と結合(&R)"), this);
    ActDisunion = new QAction(u8("結合解除(&D)"), this);
    connect(ActUnionL, &QAction::triggered, this,
            [this] { FGradEdit->UnionLeft(FGradEdit->SelectIndex()); });
    connect(ActUnionR, &QAction::triggered, this,
            [this] { FGradEdit->UnionRight(FGradEdit->SelectIndex()); });
    connect(ActDisunion, &QAction::triggered, this, [this] { ActDisunionExecute(); });
    // The buttons run the actions' commands whatever the actions' states say; the stop editor
    // refuses what cannot be done.
    connect(BtnUnionL, &QPushButton::clicked, this,
            [this] { FGradEdit->UnionLeft(FGradEdit->SelectIndex()); });
    connect(BtnUnionR, &QPushButton::clicked, this,
            [this] { FGradEdit->UnionRight(FGradEdit->SelectIndex()); });
    connect(BtnDisunion, &QPushButton::clicked, this, [this] { ActDisunionExecute(); });

    auto colourAction = [this](const char *text, TGradColorMove move, bool exchange) {
        auto *a = new QAction(u8(text), this);
        connect(a, &QAction::triggered, this,
                [this, move, exchange] { ActColorExecute(move, exchange); });
        return a;
    };
    ActCopyL1 = colourAction("左の色をコピー(&L)", TGradColorMove::Left1, false);
    ActCopyR1 = colourAction("右の色をコピー(&R)", TGradColorMove::Right1, false);
    ActCopyL2 = colourAction("左の色をコピー(&L)", TGradColorMove::Left2, false);
    ActCopyR2 = colourAction("右の色をコピー(&R)", TGradColorMove::Right2, false);
    ActExchangeL1 = colourAction("左の色と入れ替え(&E)", TGradColorMove::Left1, true);
    ActExchangeR1 = colourAction("右の色と入れ替え(&I)", TGradColorMove::Right1, true);
    ActExchangeL2 = colourAction("左の色と入れ替え(&E)", TGradColorMove::Left2, true);
    ActExchangeR2 = colourAction("右の色と入れ替え(&I)", TGradColorMove::Right2, true);
    PopPosition = new QMenu(this);
    PopPosition->addAction(ActCopyL1);
    PopPosition->addAction(ActCopyR1);
    PopPosition->addSeparator();
    PopPosition->addAction(ActExchangeL1);
    PopPosition->addAction(ActExchangeR1);
    PopColor = new QMenu(this);
    PopColor->addAction(ActCopyL2);
    PopColor->addAction(ActCopyR2);
    PopColor->addSeparator();
    PopColor->addAction(ActExchangeL2);
    PopColor->addAction(ActExchangeR2);
    DropPosition->PopupMenu = PopPosition;
    DropColor->PopupMenu = PopColor;
}

void TFormGradEditor::resizeEvent(QResizeEvent *ev)
{
    TFormPresetEditor::resizeEvent(ev);
    if (!FGradList)
        return;
    // The list and the preview grow with the window; everything right of them keeps to its
    // right edge.
    const int dx = width() - 608, dy = height() - 448;
    FGradList->SetBounds(16, 30, std::max(210 + dx, 16), std::max(291 + dy, 16));
    FGradPreview->SetBounds(16, 328 + dy, std::max(210 + dx, 16), 84);
    FGradEdit->SetBounds(240 + dx, 120, 352, 36);
    const std::pair<QWidget *, int> right[] = {
        {GrpGeneral, 240}, {BtnFlip, 284}, {BtnSplit, 420}, {GroupBox3, 240}, {GrpRColor, 240},
    };
    for (const auto &[w, x] : right)
        w->move(x + dx, w->y());
}

// ---- the base's slots

void TFormGradEditor::LoadListSettings()
{
    if (!gAppProfile || !FGradList)
        return;
    const int32_t t = gAppProfile->EdtGradListType;
    if (t >= 0 && t < kListViewTypeCount && FGradList->SupportType().contains(TListViewType(t)))
        FGradList->SetListType(TListViewType(t));
}

void TFormGradEditor::SaveListSettings()
{
    if (gAppProfile && FGradList)
        gAppProfile->EdtGradListType = FGradList->ListType();
}

TqZListView *TFormGradEditor::ListView() const
{
    return FGradList;
}

QString TFormGradEditor::Path() const
{
    return FGradMngr ? FGradMngr->LastPath() : QString();
}

void TFormGradEditor::UpdatePathLabel()
{
    LblPath->setPath(Path());
    LblPath->setModified(FGradMngr && FGradMngr->Modified());
}

// ---- showing

void TFormGradEditor::ListViewChange()
{
    // The editor's own writes into the set (attributes, apply) notify too: those must not reload
    // the stops and lose the selected stop.
    if (FDestroying || FValueUpdate || !FGradList)
        return;
    CGradObj *alias = FGradList->AliasRef();
    BtnFlip->setEnabled(alias != nullptr);
    StaticName->setEnabled(alias != nullptr);
    EdtName->setEnabled(alias != nullptr);
    if (!alias)
        return;
    FGradPreview->SetGradient(alias, FGradList->AliasAttr());
    FValueUpdate = true;
    if (const std::unique_ptr<CColorSlotGroup> packed = alias->crsg->makePacked()) {
        EdtName->setText(packed->name);
        FGradEdit->setColorSlotGroup(*packed);
        ShowAttr(alias->attr);
        GradEditChange();
    }
    FValueUpdate = false;
    ButtonOK->setEnabled(false);
    UpdatePathLabel();
}

void TFormGradEditor::ShowAttr(const SGradAttr &a)
{
    const SGradAttrControls c = gradControlsFromAttr(a);
    ChkUnique->setChecked(c.unique);
    CmbType->setCurrentIndex(c.type);
    ChkAround->setChecked(c.around);
    ChkInfinity->setChecked(c.infinity);
    NumRepeat->setValue(c.repeat);
}

void TFormGradEditor::GradEditChange()
{
    if (FDestroying)
        return;
    const bool held = FValueUpdate;
    FValueUpdate = true;
    const SGradStopControls c = gradStopControls(FGradEdit->stops());
    const int s = c.stop;
    for (QWidget *w : std::initializer_list<QWidget *>{StaticPosition, EdtPosition,
                                                       LblPositionUnit, BtnCenter})
        w->setEnabled(c.position);
    for (QWidget *w : std::initializer_list<QWidget *>{RadLFixed, RadLFore, RadLBack,
                                                       StaticLOpaque, EdtLOpaque, LblLOpaqueUnit})
        w->setEnabled(c.leftColor);
    FTrkLOpaque->SetEnabled(c.leftColor);
    BtnUnionL->setEnabled(c.unionLeft);
    BtnUnionR->setEnabled(c.unionRight);

    auto showStop = [this](int i, TNumMngr *opaque, TGraphicTrackbar *track, QRadioButton *fixed,
                           QRadioButton *fore, QRadioButton *back, TPickerColorCell *cell) {
        float op = 1;
        FGradEdit->GetOpaque(op, i);
        opaque->setValue(op * 100);
        track->setPosition(op);
        TGradientEditPosType type = gepCustom;
        FGradEdit->GetType(type, i);
        (type == gepForeground ? fore : type == gepBackground ? back : fixed)->setChecked(true);
        TColorPickerValue colour{};
        if (FGradEdit->GetColor(colour, i))
            cell->setSelectColor(colour);
    };
    if (c.valid) {
        float pos = 0, lo = 0, hi = 0;
        FGradEdit->GetPosition(pos, s);
        if (!FGradEdit->GetRange(lo, hi, s))
            lo = hi = pos;
        NumPosition->SetValues(nullptr, pos * 100, lo * 100, hi * 100);
        showStop(s, NumLOpaque, FTrkLOpaque, RadLFixed, RadLFore, RadLBack, FColorCellL);
    }
    FColorCellL->SetEnabled(c.leftCell);

    for (QWidget *w : std::initializer_list<QWidget *>{RadRFixed, RadRFore, RadRBack,
                                                       StaticROpaque, EdtROpaque, LblROpaqueUnit,
                                                       BtnDisunion})
        w->setEnabled(c.joinedGroup);
    FTrkROpaque->SetEnabled(c.joinedGroup);
    DropColor->SetEnabled(c.joinedGroup);
    if (c.joined)
        showStop(s + 1, NumROpaque, FTrkROpaque, RadRFixed, RadRFore, RadRBack, FColorCellR);
    FColorCellR->SetEnabled(c.rightCell);
    ActListUpdate();
    FValueUpdate = held;
}

void TFormGradEditor::ActListUpdate()
{
    const TGradientEdit &e = *FGradEdit;
    const int sel = e.SelectIndex();
    for (int n = 2; n <= 10; ++n)
        ActSplitN[n - 2]->setEnabled(e.CanSplit(sel, n));
    ActSplit->setEnabled(e.CanSplit(sel, 2));
    ActUnionL->setEnabled(e.CanUnionLeft(sel));
    ActUnionR->setEnabled(e.CanUnionRight(sel));
    ActDisunion->setEnabled(e.GetUnion(sel) != geuNone);
    const bool before = e.IsValidIndex(sel) && e.IsValidIndex(sel - 1);
    const bool after = e.IsValidIndex(sel) && e.IsValidIndex(sel + 1);
    ActCopyL1->setEnabled(before);
    ActCopyL2->setEnabled(before);
    ActExchangeL1->setEnabled(before);
    ActCopyR1->setEnabled(after);
    ActCopyR2->setEnabled(after);
    ActExchangeR1->setEnabled(after);
    ActExchangeL2->setEnabled(true);
    ActExchangeR2->setEnabled(true);
}

// ---- editing

void TFormGradEditor::SetStopType(TGradientEditPosType type, int index, bool right)
{
    TPickerColorCell *cell = right ? FColorCellR : FColorCellL;
    cell->SetEnabled(type == gepCustom);
    FGradEdit->SetType(type, index);
    if (type == gepCustom)
        FGradEdit->SetColor(cell->SelectColor(), index);
}

void TFormGradEditor::ValueChange(QObject *Sender)
{
    if (FValueUpdate || FDestroying || !FGradEdit)
        return;
    FValueUpdate = true;
    const int sel = FGradEdit->SelectIndex();
    bool enableApply = true;
    if (Sender == NumPosition) {
        FGradEdit->SetPosition(NumPosition->Value() / 100, sel);
    } else if (Sender == FColorCellL || Sender == FColorCellR) {
        const auto *cell = static_cast<TPickerColorCell *>(Sender);
        FGradEdit->SetColor(cell->SelectColor(), Sender == FColorCellL ? sel : sel + 1);
    } else if (Sender == RadLFixed || Sender == RadRFixed) {
        SetStopType(gepCustom, Sender == RadLFixed ? sel : sel + 1, Sender == RadRFixed);
    } else if (Sender == RadLFore || Sender == RadRFore) {
        SetStopType(gepForeground, Sender == RadLFore ? sel : sel + 1, Sender == RadRFore);
    } else if (Sender == RadLBack || Sender == RadRBack) {
        SetStopType(gepBackground, Sender == RadLBack ? sel : sel + 1, Sender == RadRBack);
    } else if (Sender == NumLOpaque || Sender == NumROpaque) {
        auto *num = static_cast<TNumMngr *>(Sender);
        (Sender == NumLOpaque ? FTrkLOpaque : FTrkROpaque)->setPosition(num->Position());
        FGradEdit->SetOpaque(num->Value() / 100, Sender == NumLOpaque ? sel : sel + 1);
    } else if (Sender == FTrkLOpaque || Sender == FTrkROpaque) {
        auto *track = static_cast<TGraphicTrackbar *>(Sender);
        (Sender == FTrkLOpaque ? NumLOpaque : NumROpaque)->setPosition(track->Position());
        FGradEdit->SetOpaque(track->Position(), Sender == FTrkLOpaque ? sel : sel + 1);
    } else if (Sender == CmbType || Sender == ChkAround || Sender == NumRepeat ||
               Sender == ChkInfinity || Sender == ChkUnique) {
        SGradAttrControls c;
        c.unique = ChkUnique->isChecked();
        c.type = CmbType->currentIndex();
        c.around = ChkAround->isChecked();
        c.infinity = ChkInfinity->isChecked();
        c.repeat = NumRepeat->Value();
        const SGradAttr a = gradAttrFromControls(c);
        // Without an attribute of its own the gradient follows the set's common attribute, which
        // the list writes at once: nothing is left for apply to keep.
        FGradList->SetAliasAttr(a);
        enableApply = a.enbAttr || Sender == ChkUnique;
    }

    GradEditChange();
    if (enableApply)
        ButtonOK->setEnabled(true);
    if (CGradObj *alias = FGradList->AliasRef()) {
        alias->crsg->setName(EdtName->text());
        FGradEdit->GetColorSlotGroup(*alias->crsg);
        FGradPreview->SetGradient(alias, FGradList->AliasAttr());
    }
    FValueUpdate = false;
}

void TFormGradEditor::ActSplitExecute(int count)
{
    FGradEdit->Split(FGradEdit->SelectIndex(), count);
}

void TFormGradEditor::ActSplitCustomExecute()
{
    const int sel = FGradEdit->SelectIndex();
    if (!FGradEdit->CanSplit(sel, 2))
        return;
    int count = 2;
    if (askSplitCount(count, FGradEdit->Capacity() - FGradEdit->Count()))
        FGradEdit->Split(sel, count);
}

void TFormGradEditor::ActColorExecute(TGradColorMove move, bool exchange)
{
    const int sel = FGradEdit->SelectIndex();
    const SGradColorMove m = gradColorMove(move, sel, FGradEdit->GetUnion(sel));
    if (exchange)
        FGradEdit->ExchangeColor(m.dst, m.src);
    else
        FGradEdit->CopyColor(m.dst, m.src);
}

void TFormGradEditor::ActDisunionExecute()
{
    const int sel = FGradEdit->SelectIndex();
    if (FGradEdit->GetUnion(sel) == geuNone)
        return;
    FGradEdit->DisUnion(sel);
    FGradEdit->setSelectIndex(sel + 1);
}

void TFormGradEditor::BtnSplitMouseDown()
{
    if (!BtnSplit->isEnabled())
        return;
    ActListUpdate();
    execPopupMenu(*PopSplit, BtnSplit->mapToGlobal(BtnSplit->rect().bottomLeft()));
    BtnSplit->setDown(false);
}

void TFormGradEditor::BoxColorPaint(TPaintBox &box, QPainter &p)
{
    const QRect r = box.rect();
    p.setPen(qColorOf(clGrayText32()));
    p.drawRect(r.adjusted(0, 0, -1, -1));
    p.setPen(qColorOf(clBtnFace32()));
    p.drawRect(r.adjusted(1, 1, -2, -2));
}

// ---- apply and the set menu

void TFormGradEditor::ButtonOKClick()
{
    if (FDestroying || !FGradList)
        return;
    TFormPresetEditor::ButtonOKClick();
    const CGradObj *alias = FGradList->AliasRef();
    const int index = FGradList->SelectIndex();
    if (alias && FGradList->IsValidIndex(index)) {
        FValueUpdate = true; // the list's notification must not reload what was just written
        FGradList->SetItem(index, *alias);
        FValueUpdate = false;
        FGradList->UpdateDisplayPosition(true);
    }
    ButtonOK->setEnabled(false);
    if (FGradMngr)
        FGradMngr->setModified(true);
    UpdatePathLabel();
}

void TFormGradEditor::MenuSetLoadClick(QAction *entry)
{
    if (FDestroying || !FGradMngr)
        return;
    const TSetMenuLoad how = setMenuLoadOf(entry);
    loadPresetSetFromMenu(TPresetKind::Gradient, FGradMngr, FGradList, how);
    UpdatePathLabel();
}

void TFormGradEditor::MenuSetSaveClick()
{
    if (FDestroying || !FGradMngr)
        return;
    savePresetSet(TPresetKind::Gradient, FGradMngr);
    UpdatePathLabel();
}

// ---- open procedures

bool showGradientEditor()
{
    if (!mainForm().toolForm().gradientSet())
        return false;
    TFormGradEditor dialog;
    return dialog.ShowModal() == 1;
}

bool duplicateAndEditGradient(TGradientListView &AView)
{
    if (!mainForm().toolForm().gradientSet())
        return false;
    const bool duplicated = AView.DuplicateItem(AView.ItemCount(), AView.SelectIndex(), true);
    showGradientEditor();
    return duplicated;
}
