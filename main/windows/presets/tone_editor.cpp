#include "windows/presets/tone_editor.h"

#include "core/codec/image_codec.h"
#include "core/image/channel.h"
#include "core/profile/app_profile.h"
#include "document/files/file_types.h"
#include "document/paper/paper.h"
#include "document/view/composition.h"
#include "paint/tone/tone_manager.h"
#include "platform/desktop/messages.h"
#include "ui/dialogs/file_dialogs.h"
#include "ui/dialogs/paint_box.h"
#include "ui/fields/edit_boxes.h"
#include "ui/fields/num_mngr.h"
#include "ui/fields/path_label.h"
#include "ui/fields/trackbar.h"
#include "ui/graphics/appearance.h"
#include "ui/lists/preset_previews.h"
#include "ui/lists/tone_list_view.h"
#include "windows/presets/editor_layout.h"
#include "windows/presets/editor_models.h"
#include "windows/presets/preset_files.h"
#include "windows/presets/preset_kinds.h"
#include "windows/shell_host.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>

#include <algorithm>
#include <cmath>

namespace {

using editor_layout::label;
using editor_layout::u8;

TNumEdit *field(QWidget *parent, TNumMngr *num, const char *format, int x, int y)
{
    return editor_layout::field(parent, num, format, x, y, 44);
}

int32_t rounded(float v)
{
    return int32_t(std::trunc(v + 0.5f));
}

QColor qColorOf(TColor32 c)
{
    return QColor(c.r, c.g, c.b);
}

// The first working tone: round dots at 300 dpi and 55 lines, 10 %, a soft edge of 10 steps.
SToneAttr firstToneAttr()
{
    SToneAttr a;
    a.pattern = tptRound;
    a.dpi = 300;
    a.line = 55;
    a.percent = 10;
    a.degree = 0;
    a.band = 10;
    a.genName = true;
    return a;
}

} // namespace

TFormToneEditor::TFormToneEditor(QWidget *owner) : TFormPresetEditor(owner)
{
    setWindowTitle(u8("トーンエディタ"));
    FToneMngr = mainForm().toolForm().toneSet();
    FValueUpdate = true; // the controls' first values are no edits
    buildGeneralGroup();
    buildPatternGroup();
    buildBitmapGroup();
    BtnShapeCreate->setEnabled(mainForm().activePaper() != nullptr);

    if (FToneMngr)
        FToneObj = FToneMngr->createTone(firstToneAttr(), true, nullptr);
    FToneCh = std::make_unique<TChannel>();
    FEditorType = teEditTone;

    FToneList = new TToneListView(this);
    const QRect lr = BoxListView->geometry();
    FToneList->SetListType(lvListS);
    FToneList->SetSupportCommand({lvcSelect, lvcDrag, lvcDrop});
    FToneList->SetBounds(lr.x(), lr.y(), lr.width(), lr.height());
    FToneList->Attach(FToneMngr);
    FToneList->OnChange = [this](QObject *) { ListViewChange(); };
    FTonePreview = new TTonePreview(this);
    const QRect pr = BoxPreview->geometry();
    FTonePreview->SetBounds(pr.x(), pr.y(), pr.width(), pr.height());
    FWorkTC.Resize(BoxShape->width() - 4, BoxShape->height() - 4);
    clearWork();
    CmbType->setCurrentIndex(0);

    connect(MenuSetRevert, &QAction::triggered, this, [this] { MenuSetLoadClick(MenuSetRevert); });
    connect(MenuSetAppend, &QAction::triggered, this, [this] { MenuSetLoadClick(MenuSetAppend); });
    connect(MenuSetOpen, &QAction::triggered, this, [this] { MenuSetLoadClick(MenuSetOpen); });
    connect(MenuSetSave, &QAction::triggered, this, [this] { MenuSetSaveClick(); });

    FValueUpdate = false;
    for (QObject *s : std::initializer_list<QObject *>{NumBlur, NumDensity, NumDegree, NumLineWidth})
        ValueChange(s);
    // Re-selecting loads the selected tone through the list's notification.
    FToneList->SetSelectIndex(FToneList->SelectIndex());
    if (!FToneList->IsValidIndex(FToneList->SelectIndex()))
        ButtonOK->setEnabled(false); // nothing to apply to
    UpdatePathLabel();
}

TFormToneEditor::~TFormToneEditor()
{
    FDestroying = true;
    if (FToneList)
        FToneList->OnChange = nullptr;
    // The working tone was built with the set's shared tone maker, which the set's own working
    // copy paints with: put that copy's geometry back.
    if (FToneMngr && FToneMngr->hasCurPat())
        FToneMngr->makeModifiedTone();
}

TNumMngr *TFormToneEditor::number(float lo, float hi, float value)
{
    return editor_layout::number(this, lo, hi, value, [this](QObject *s) { ValueChange(s); });
}

void TFormToneEditor::buildGeneralGroup()
{
    GrpGeneral = new QGroupBox(u8("一般"), this);
    GrpGeneral->setGeometry(240, 8, 352, 100);
    NumScale = number(1, 200, 100);
    NumLeft = number(0, 99, 0);
    NumTop = number(0, 99, 0);
    label(GrpGeneral, "名前(&N)", 16, 22, 60)->setBuddy(EdtName = new QLineEdit(GrpGeneral));
    EdtName->setGeometry(76, 18, 260, 20);
    EdtName->setMaxLength(100);
    connect(EdtName, &QLineEdit::textChanged, this, [this] { ValueChange(EdtName); });
    label(GrpGeneral, "拡大(&S)", 16, 48, 56)->setBuddy(EdtScale = field(GrpGeneral, NumScale, "%1.0f", 76, 44));
    label(GrpGeneral, "%", 124, 48, 16);
    label(GrpGeneral, "左(&L)", 148, 48, 36)->setBuddy(EdtLeft = field(GrpGeneral, NumLeft, "%1.0f", 184, 44));
    label(GrpGeneral, "px", 232, 48, 20);
    label(GrpGeneral, "上(&T)", 256, 48, 32)->setBuddy(EdtTop = field(GrpGeneral, NumTop, "%1.0f", 288, 44));
    label(GrpGeneral, "px", 336, 48, 14);
    ChkInvert = new QCheckBox(u8("色調反転(&I)"), GrpGeneral);
    ChkInvert->setGeometry(16, 74, 200, 18);
    connect(ChkInvert, &QCheckBox::toggled, this, [this] { ValueChange(ChkInvert); });
}

void TFormToneEditor::buildPatternGroup()
{
    GrpPattern = new QGroupBox(u8("パターン"), this);
    GrpPattern->setGeometry(240, 112, 352, 160);
    NumLineWidth = number(4, 128, 8);
    NumDensity = number(1, 99, 10);
    NumDegree = number(0, 90, 0);
    NumBlur = number(0, 40, 10);
    auto remember = [this](QWidget *w) { FPatternControls.push_back(w); };

    StaticType = label(GrpPattern, "種類(&Y)", 16, 22, 60);
    CmbType = new QComboBox(GrpPattern);
    CmbType->setGeometry(76, 18, 160, 22);
    for (const char *item : {"円(網点)", "円(単純)", "円(コサイン)", "線", "線(X)", "線(Y)",
                             "スクエア", "クロス", "ダイヤモンド", "菱形"})
        CmbType->addItem(u8(item));
    StaticType->setBuddy(CmbType);
    connect(CmbType, &QComboBox::currentIndexChanged, this, [this] { ValueChange(CmbType); });
    remember(StaticType);
    remember(CmbType);

    struct Row
    {
        const char *caption, *unit, *format;
        TNumMngr *num;
        TNumEdit **edit;
        TGraphicTrackbar **track;
        int x, y;
    };
    const Row rows[] = {
        {"線間隔(&W)", "px", "%1.4g", NumLineWidth, &EdtLineWidth, &FTrkLineWidth, 16, 50},
        {"角度(&G)", "°", "%1.0f", NumDegree, &EdtDegree, &FTrkDegree, 184, 50},
        {"濃度(&D)", "%", "%1.0f", NumDensity, &EdtDensity, &FTrkDensity, 16, 92},
        {"ぼかし(&B)", "%", "%1.0f", NumBlur, &EdtBlur, &FTrkBlur, 184, 92},
    };
    for (const Row &r : rows) {
        QLabel *caption = label(GrpPattern, r.caption, r.x, r.y + 2, 64);
        *r.edit = field(GrpPattern, r.num, r.format, r.x + 64, r.y - 2);
        caption->setBuddy(*r.edit);
        QLabel *unit = label(GrpPattern, r.unit, r.x + 112, r.y + 2, 24);
        auto *t = new TGraphicTrackbar(GrpPattern);
        t->SetBounds(r.x, r.y + 22, 152, 12);
        t->OnChange = [this](QObject *s) { ValueChange(s); };
        *r.track = t;
        for (QWidget *w : {static_cast<QWidget *>(caption), static_cast<QWidget *>(*r.edit),
                           static_cast<QWidget *>(unit), static_cast<QWidget *>(t)})
            remember(w);
    }
    ChkAutoName = new QCheckBox(u8("名前の自動生成(&U)"), GrpPattern);
    ChkAutoName->setGeometry(16, 134, 200, 18);
    connect(ChkAutoName, &QCheckBox::toggled, this, [this] { ValueChange(ChkAutoName); });
    remember(ChkAutoName);
}

void TFormToneEditor::buildBitmapGroup()
{
    GrpBitmap = new QGroupBox(u8("ビットマップ"), this);
    GrpBitmap->setGeometry(240, 276, 352, 136);
    BoxShape = new TPaintBox(GrpBitmap);
    BoxShape->setGeometry(16, 16, 152, 108);
    BoxShape->OnPaint = [this](QPainter &p) { BoxShapePaint(p); };
    auto button = [this](const char *text, int y) {
        auto *b = new QPushButton(u8(text), GrpBitmap);
        b->setGeometry(184, y, 152, 20);
        return b;
    };
    BtnShapeLoad = button("読み込み(&I)...", 16);
    BtnShapeCreate = button("画像から作成(&E)", 44);
    BtnShapeRemove = button("取り込み解除(&R)", 72);
    BtnShapeCreate->setEnabled(false);
    BtnShapeRemove->setEnabled(false);
    connect(BtnShapeLoad, &QPushButton::clicked, this, [this] { BtnShapeLoadClick(); });
    connect(BtnShapeCreate, &QPushButton::clicked, this, [this] { BtnShapeCreateClick(); });
    connect(BtnShapeRemove, &QPushButton::clicked, this, [this] { BtnShapeRemoveClick(); });
}

void TFormToneEditor::resizeEvent(QResizeEvent *ev)
{
    TFormPresetEditor::resizeEvent(ev);
    if (!FToneList)
        return;
    // The list and the preview grow with the window; the settings keep to its right edge (the
    // bitmap group too, which would otherwise run under a wider list).
    const int dx = width() - 608, dy = height() - 448;
    FToneList->SetBounds(16, 30, std::max(210 + dx, 16), std::max(291 + dy, 16));
    FTonePreview->SetBounds(16, 328 + dy, std::max(210 + dx, 16), 84);
    for (QGroupBox *g : {GrpGeneral, GrpPattern, GrpBitmap})
        g->move(240 + dx, g->y());
}

// ---- the base's slots

void TFormToneEditor::LoadListSettings()
{
    if (!gAppProfile || !FToneList)
        return;
    const int32_t t = gAppProfile->EdtToneListType;
    if (t >= 0 && t < kListViewTypeCount && FToneList->SupportType().contains(TListViewType(t)))
        FToneList->SetListType(TListViewType(t));
}

void TFormToneEditor::SaveListSettings()
{
    if (gAppProfile && FToneList)
        gAppProfile->EdtToneListType = FToneList->ListType();
}

TqZListView *TFormToneEditor::ListView() const
{
    return FToneList;
}

QString TFormToneEditor::Path() const
{
    return FToneMngr ? FToneMngr->LastPath() : QString();
}

void TFormToneEditor::UpdatePathLabel()
{
    LblPath->setPath(Path());
    LblPath->setModified(FToneMngr && FToneMngr->Modified());
}

// ---- controls

void TFormToneEditor::UpdatePatternControls()
{
    for (QWidget *w : FPatternControls)
        w->setEnabled(FIsPat8Tone);
    BtnShapeRemove->setEnabled(!FIsPat8Tone);
}

void TFormToneEditor::clearWork()
{
    FWorkTC.fillAll(clGrayText32().bgra | 0xFF000000u);
}

void TFormToneEditor::ListViewChange()
{
    if (FDestroying || FApplying || !FToneList)
        return;
    const CPat8 *tone = FToneList->GetItemRef(FToneList->SelectIndex());
    FTonePreview->SetTone(tone);
    if (!tone) {
        ButtonOK->setEnabled(false);
        return;
    }
    const auto *generated = dynamic_cast<const CPat8Tone *>(tone);
    FIsPat8Tone = generated != nullptr;
    UpdatePatternControls();

    // Every control takes the tone's value first; the working tone is then built once from them
    // all, as if each change had rebuilt it.
    FValueUpdate = true;
    if (generated) {
        const SToneAttr &a = generated->toneAttr;
        CmbType->setCurrentIndex(tonePatTypeOf(a.pattern));
        NumLineWidth->setValue(toneLineWidth(a));
        NumDensity->setValue(a.percent);
        NumDegree->setValue(a.degree);
        NumBlur->setValue(float(a.band));
        EdtName->setText(tone->name());
        ChkAutoName->setChecked(a.genName);
    } else {
        clearWork();
        // The selected item's own tile: the set's working copy is already resampled to its zoom.
        FToneCh = tone->channel() ? std::make_unique<TChannel>(*tone->channel())
                                  : std::make_unique<TChannel>();
        showPatternImage(FWorkTC, *FToneCh);
        EdtName->setText(tone->name());
        CmbType->setCurrentIndex(0);
        for (TNumMngr *n : {NumLineWidth, NumDensity, NumDegree, NumBlur})
            n->Reset(nullptr);
        ChkAutoName->setChecked(false);
    }
    FTrkLineWidth->setPosition(NumLineWidth->Position());
    FTrkDensity->setPosition(NumDensity->Position());
    FTrkDegree->setPosition(NumDegree->Position());
    FTrkBlur->setPosition(NumBlur->Position());
    const sRange zoom = tone->getZoomRange();
    const SToneScaleRange r = toneScaleRange(zoom.min, zoom.max);
    NumScale->SetValues(nullptr, float(tone->zoom), float(r.min), float(r.max));
    const sSize ofs = tone->getOfsSize();
    NumLeft->SetValues(nullptr, float(tone->ofs.x), 0, float(ofs.x));
    NumTop->SetValues(nullptr, float(tone->ofs.y), 0, float(ofs.y));
    ChkInvert->setChecked(tone->Fnega);
    FValueUpdate = false;

    ValueChange(nullptr);
    BoxShape->update();
    ButtonOK->setEnabled(false);
    UpdatePathLabel();
}

void TFormToneEditor::ValueChange(QObject *Sender)
{
    if (FValueUpdate || FDestroying || !FToneMngr)
        return;
    FValueUpdate = true;
    const std::pair<TNumMngr *, TGraphicTrackbar *> pairs[] = {
        {NumLineWidth, FTrkLineWidth},
        {NumDensity, FTrkDensity},
        {NumDegree, FTrkDegree},
        {NumBlur, FTrkBlur},
    };
    for (const auto &[num, track] : pairs) {
        if (Sender == num)
            track->setPosition(num->Position());
        else if (Sender == track)
            num->setPosition(track->Position());
    }
    if (Sender == EdtName)
        ChkAutoName->setChecked(false);
    // Only a generated tone is named after its settings: an image pattern keeps its own name.
    if (ChkAutoName->isChecked() && FIsPat8Tone)
        EdtName->setText(toneAutoName(controls()));
    rebuildWorkingTone();
    FValueUpdate = false;
}

SToneControls TFormToneEditor::controls() const
{
    SToneControls c;
    c.pattern = CmbType->currentIndex();
    c.lineWidth = NumLineWidth->Value();
    c.density = NumDensity->Value();
    c.degree = NumDegree->Value();
    c.blur = NumBlur->Value();
    c.autoName = ChkAutoName->isChecked();
    c.name = EdtName->text();
    return c;
}

void TFormToneEditor::rebuildWorkingTone()
{
    const SToneControls c = controls();
    std::unique_ptr<CPat8> tone;
    if (FIsPat8Tone) {
        tone = FToneMngr->createTone(toneAttrFromControls(c), true, nullptr);
    } else {
        if (!FToneCh || !FToneCh->isEnable())
            return;
        tone = FToneMngr->createPattern(*FToneCh, 100, nullptr);
        if (tone)
            tone->setName(c.name);
    }
    if (!tone)
        return;
    FToneObj = std::move(tone);

    const sRange zoom = FToneObj->getZoomRange();
    const SToneScaleRange r = toneScaleRange(zoom.min, zoom.max);
    NumScale->SetValues(nullptr, NumScale->Value(), float(r.min), float(r.max));
    const sSize ofs = FToneObj->getOfsSize();
    NumLeft->SetValues(nullptr, NumLeft->Value(), 0, float(ofs.x));
    NumTop->SetValues(nullptr, NumTop->Value(), 0, float(ofs.y));

    FToneObj->Fnega = ChkInvert->isChecked();
    FToneObj->ofs = {rounded(NumLeft->Value()), rounded(NumTop->Value())};
    FToneObj->zoom = rounded(NumScale->Value());
    FTonePreview->SetTone(FToneObj.get());
    ButtonOK->setEnabled(true);
}

// ---- image patterns

void TFormToneEditor::SetPatternImage(const TMTC *picture, const QString &name)
{
    if (!picture || !FToneMngr || picture->width() <= 0 || picture->height() <= 0)
        return;
    const bool held = FValueUpdate;
    FValueUpdate = true;
    auto ch = std::make_unique<TChannel>(picture->width(), picture->height());
    std::unique_ptr<CPat8> pattern;
    if (ch->isEnable()) {
        picture->makeGrayChannel(*ch);
        for (int32_t y = 0; y < ch->height(); ++y) {
            uint8_t *p = ch->seek8(0, y);
            for (int32_t x = 0; x < ch->width(); ++x)
                p[x] ^= 255;
        }
        pattern = FToneMngr->createPattern(*ch, 100, nullptr);
    }
    if (pattern) {
        pattern->setName(name);
        FToneObj = std::move(pattern);
        EdtName->setText(name);
        FToneCh = std::move(ch);
        clearWork();
        showPatternImage(FWorkTC, *FToneCh);
        FTonePreview->SetTone(FToneObj.get());
        FIsPat8Tone = false;
        UpdatePatternControls();
        ButtonOK->setEnabled(true);
        BoxShape->update();
    }
    FValueUpdate = held;
}

bool TFormToneEditor::LoadPatternFile(const QString &path)
{
    const std::unique_ptr<TMTC> picture = loadImageFile(path, nullptr);
    if (!picture) {
        showWarning(u8("画像ファイルを開くことができませんでした！\r    path = %1").arg(path));
        return false;
    }
    SetPatternImage(picture.get(), QFileInfo(path).completeBaseName());
    return true;
}

void TFormToneEditor::BtnShapeLoadClick()
{
    QString path;
    if (execFileDialog(path, ofGeneralImagesR, gAppProfile ? gAppProfile->loadPath : QString()))
        LoadPatternFile(path);
}

void TFormToneEditor::BtnShapeCreateClick()
{
    TPaper *paper = mainForm().activePaper();
    if (!paper)
        return;
    UpdateVRAM(*paper, false, true);
    SetPatternImage(&paper->vram(), QFileInfo(paper->m_filename).completeBaseName());
}

void TFormToneEditor::BtnShapeRemoveClick()
{
    if (FIsPat8Tone)
        return;
    FIsPat8Tone = true;
    clearWork();
    BoxShape->update();
    UpdatePatternControls();
    if (ChkAutoName->isChecked())
        ValueChange(ChkAutoName);
    else
        ChkAutoName->setChecked(true); // its change runs ValueChange
}

void TFormToneEditor::BoxShapePaint(QPainter &p)
{
    const QRect r = BoxShape->rect();
    p.fillRect(r, qColorOf(clGrayText32()));
    p.setPen(qColorOf(clBtnShadow32()));
    p.drawLine(r.topLeft(), r.topRight());
    p.drawLine(r.topLeft(), r.bottomLeft());
    p.setPen(qColorOf(clBtnHighlight32()));
    p.drawLine(r.bottomLeft(), r.bottomRight());
    p.drawLine(r.topRight(), r.bottomRight());
    p.setPen(qColorOf(clWindowFrame32()));
    p.drawRect(r.adjusted(1, 1, -2, -2));
    if (!FIsPat8Tone && FWorkTC.isEnable())
        p.drawImage(2, 2, FWorkTC.imageView());
}

// ---- apply and the set menu

void TFormToneEditor::ButtonOKClick()
{
    if (FDestroying || !FToneList || !FToneObj)
        return;
    TFormPresetEditor::ButtonOKClick();
    const int index = FToneList->SelectIndex();
    if (FToneList->IsValidIndex(index)) {
        std::unique_ptr<CPat8> copy = copyPatternTile(*FToneObj);
        copy->setNewID();
        // The copy goes in before the old item leaves: the list keeps at least one tone, so
        // deleting first would fail on a one-tone set and leave both.
        FApplying = true;
        const bool placed = FToneList->InsertItem(index, std::move(copy), false);
        if (placed)
            FToneList->DeleteItem(index + 1, false);
        FApplying = false;
        FToneMngr->makeModifiedTone();
        FToneList->UpdateDisplayPosition(true);
    }
    ButtonOK->setEnabled(false);
    UpdatePathLabel();
}

void TFormToneEditor::MenuSetLoadClick(QAction *entry)
{
    if (FDestroying || !FToneMngr)
        return;
    const TSetMenuLoad how = setMenuLoadOf(entry);
    loadPresetSetFromMenu(TPresetKind::Tone, FToneMngr, FToneList, how);
    UpdatePathLabel();
}

void TFormToneEditor::MenuSetSaveClick()
{
    if (FDestroying || !FToneMngr)
        return;
    savePresetSet(TPresetKind::Tone, FToneMngr);
    UpdatePathLabel();
}

// ---- open procedures

bool showToneEditor()
{
    if (!mainForm().toolForm().toneSet())
        return false;
    TFormToneEditor dialog;
    return dialog.ShowModal() == 1;
}

bool duplicateAndEditTone(TToneListView &AView)
{
    if (!mainForm().toolForm().toneSet())
        return false;
    const bool duplicated = AView.DuplicateItem(AView.ItemCount(), AView.SelectIndex(), true);
    showToneEditor();
    return duplicated;
}
