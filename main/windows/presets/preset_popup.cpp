#include "windows/presets/preset_popup.h"

#include "core/profile/app_profile.h"
#include "paint/gradient/gradient_manager.h"
#include "paint/presets/pen_preset_managers.h"
#include "paint/presets/pen_presets.h"
#include "paint/tone/pattern_tiles.h"
#include "platform/desktop/messages.h"
#include "ui/base/popup_menu.h"
#include "ui/controls/item_picker.h"
#include "ui/fields/num_mngr.h"
#include "ui/fields/popup_sliders.h"
#include "ui/graphics/appearance.h"
#include "ui/graphics/glyph_manager.h"
#include "ui/lists/gradient_list_view.h"
#include "ui/lists/pen_method_list_view.h"
#include "ui/lists/pen_nib_list_view.h"
#include "ui/lists/preset_previews.h"
#include "ui/lists/swatch_list_view.h"
#include "ui/lists/tone_list_view.h"
#include "windows/presets/preset_files.h"
#include "windows/shell_host.h"

#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QWindow>

#include <algorithm>
#include <cmath>

namespace {

constexpr int kGlyphSize = 11; // the appearance manager's arrow glyphs
constexpr int kCrossGlyph = 6, kDownGlyph = 1;
constexpr int kStripHeight = 120;

QString u8(const char *s)
{
    return QString::fromUtf8(s);
}

const TMemoryGraphic *glyph(int kind, TGlyphState s)
{
    return gAppearanceManager ? gAppearanceManager->GetArrowImage(kind, s) : nullptr;
}

} // namespace

// The client: everything inside the sizing border; its paint and mouse go to the form.
class TPresetPopupClient : public QWidget
{
  public:
    explicit TPresetPopupClient(TPresetPopupForm &form) : QWidget(&form), m_form(form)
    {
        setMouseTracking(true);
    }

  protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter p(this);
        m_form.ClientPaint(p);
    }
    void mouseMoveEvent(QMouseEvent *ev) override { m_form.ClientMouseMove(ev->position().toPoint()); }
    void mousePressEvent(QMouseEvent *ev) override
    {
        m_form.ClientMouseDown(ev->button(), ev->position().toPoint());
    }
    void mouseReleaseEvent(QMouseEvent *ev) override
    {
        m_form.ClientMouseUp(ev->button(), ev->position().toPoint());
    }
    void wheelEvent(QWheelEvent *ev) override
    {
        if (!m_form.ClientWheel(ev->modifiers(), ev->angleDelta().y(), ev->position().toPoint()))
            ev->ignore();
    }

  private:
    TPresetPopupForm &m_form;
};

// ---- construction

TPresetPopupForm::TPresetPopupForm(QWidget *owner) : TPopupBaseForm(owner)
{
    FClient = new TPresetPopupClient(*this);
    setClientExtent(kPopupClientWidth, kPopupClientHeight);
    buildMenu();
}

TPresetPopupForm::~TPresetPopupForm()
{
    FDestroying = true;
    FAnchors.clear();
}

void TPresetPopupForm::buildMenu()
{
    using E = TPresetMenuEntry;
    FOwnMenu = new QMenu(this);
    FMenu = FOwnMenu;
    FMenuEntries.assign(kPresetMenuEntryCount, nullptr);
    const struct
    {
        E e;
        const char *caption;
        bool separatorBefore;
    } order[] = {
        {E::ItemAppend, "新規アイテム(&N)...", false}, {E::ItemDuplicate, "アイテムを複製(&D)", false},
        {E::ItemDelete, "アイテムを削除(&R)...", false}, {E::ItemEdit, "アイテムを編集(&E)...", true},
        {E::DispAll, "全てのアイテムを表示(&L)", true}, {E::DispText, "テキストを表示(&1)", true},
        {E::DispIconS, "アイコン(小)を表示(&2)", false}, {E::DispIconM, "アイコンを表示(&3)", false},
        {E::DispIconL, "アイコン(大)を表示(&4)", false}, {E::DispListS, "リスト(小)を表示(&5)", false},
        {E::DispListM, "リストを表示(&6)", false}, {E::DispListL, "リスト(大)を表示(&7)", false},
        {E::PreviewHide, "プレビューを隠す(&H)", true}, {E::PreviewS, "プレビュー(小)を表示(&P)", false},
        {E::PreviewM, "プレビューを表示(&I)", false}, {E::PreviewL, "プレビュー(大)を表示(&W)", false},
        {E::SetRevert, "セットを復帰(&V)...", true}, {E::SetAppend, "セットを追加(&A)...", false},
        {E::SetSave, "セットを保存(&S)...", false}, {E::SetOpen, "セットの置き換え(&O)...", false},
    };
    for (const auto &o : order) {
        if (o.separatorBefore)
            FOwnMenu->addSeparator();
        QAction *a = FOwnMenu->addAction(u8(o.caption));
        a->setCheckable(o.e >= E::DispAll && o.e <= E::PreviewL);
        a->setEnabled(o.e >= E::DispAll && o.e <= E::PreviewL);
        const E e = o.e;
        connect(a, &QAction::triggered, this, [this, e] {
            if (destroying())
                return;
            if (e <= E::ItemEdit)
                MenuItemChange(e);
            else if (e == E::DispAll)
                ToggleShowAll();
            else if (e <= E::DispListL)
                MenuDispChange(e);
            else if (e <= E::PreviewL) {
                if (FSupportPreview)
                    ChangePreviewHeight(TPopupPreviewHeight(int(e) - int(E::PreviewHide)));
            } else
                MenuSetChange(e);
        });
        FMenuEntries[size_t(o.e)] = a;
    }
}

void TPresetPopupForm::hostList(TqZListView *list, bool withStrip)
{
    FListView = list;
    list->setParent(FClient);
    QRect r = ListRect();
    if (withStrip)
        r.setBottom(r.bottom() - kStripHeight);
    list->SetBounds(r.x(), r.y(), r.width(), r.height());
    anchor(list, true, true, true, true);
    TListViewCommandTypes cmds;
    cmds.insert(lvcSelect);
    cmds.insert(lvcEditDialog);
    list->SetSupportCommand(cmds);
    list->show();
}

void TPresetPopupForm::useDispAll(bool dispAll)
{
    FUseDispAll = true;
    FDispAll = dispAll;
}

void TPresetPopupForm::addClientHeight(int dy, bool raiseMinimum)
{
    const QSize c = clientSize();
    if (raiseMinimum)
        FMinClient.setHeight(c.height() + dy);
    FBuiltClient = QSize(c.width(), c.height() + dy);
    setClientExtent(c.width(), c.height() + dy);
}

TPresetKind TPresetPopupForm::Kind() const
{
    if (dynamic_cast<TPenMethodListView *>(FListView))
        return TPresetKind::PenMethod;
    if (dynamic_cast<TPenNibListView *>(FListView))
        return TPresetKind::PenNib;
    if (dynamic_cast<TSwatchListView *>(FListView))
        return TPresetKind::Swatch;
    if (dynamic_cast<TGradientListView *>(FListView))
        return TPresetKind::Gradient;
    if (dynamic_cast<TToneListView *>(FListView))
        return TPresetKind::Tone;
    return TPresetKind::Other;
}

// ---- geometry

QSize TPresetPopupForm::clientSize() const
{
    return FClient->size();
}

QSize TPresetPopupForm::minimumClientSize() const
{
    return FMinClient;
}

void TPresetPopupForm::setClientExtent(int w, int h)
{
    w = std::max(w, FMinClient.width());
    h = std::max(h, FMinClient.height());
    setMinimumSize(FMinClient.width() + 2 * kPopupFrame, FMinClient.height() + 2 * kPopupFrame);
    resize(w + 2 * kPopupFrame, h + 2 * kPopupFrame);
    FClient->setGeometry(kPopupFrame, kPopupFrame, w, h);
    applyAnchors();
}

QRect TPresetPopupForm::CloseButtonRect() const
{
    return {FClient->width() - kGlyphSize - 2, 2, kGlyphSize, kGlyphSize};
}

QRect TPresetPopupForm::MenuButtonRect() const
{
    return {FClient->width() - kGlyphSize - 2, 20, kGlyphSize, kGlyphSize};
}

QRect TPresetPopupForm::ListRect() const
{
    return {0, 0, FClient->width() - kGlyphSize - 4, FClient->height()};
}

void TPresetPopupForm::anchor(QWidget *w, bool left, bool top, bool right, bool bottom)
{
    FAnchors.push_back({w, left, top, right, bottom, w->geometry(), FClient->size()});
}

TPresetPopupForm::SAnchor *TPresetPopupForm::anchorOf(QWidget *w)
{
    for (SAnchor &a : FAnchors)
        if (a.w == w)
            return &a;
    return nullptr;
}

void TPresetPopupForm::applyAnchors()
{
    const QSize c = FClient->size();
    for (const SAnchor &a : FAnchors) {
        const int dw = c.width() - a.client.width(), dh = c.height() - a.client.height();
        int x = a.at.x(), y = a.at.y(), w = a.at.width(), h = a.at.height();
        if (a.right) {
            if (a.left)
                w += dw;
            else
                x += dw;
        }
        if (a.bottom) {
            if (a.top)
                h += dh;
            else
                y += dh;
        }
        if (auto *g = dynamic_cast<TGraphicControl *>(a.w))
            g->SetBounds(x, y, std::max(w, 0), std::max(h, 0));
        else
            a.w->setGeometry(x, y, std::max(w, 0), std::max(h, 0));
    }
}

void TPresetPopupForm::resizeEvent(QResizeEvent *ev)
{
    TPopupBaseForm::resizeEvent(ev);
    FClient->setGeometry(kPopupFrame, kPopupFrame, std::max(0, width() - 2 * kPopupFrame),
                         std::max(0, height() - 2 * kPopupFrame));
    applyAnchors();
    update();
}

// ---- preview size

void TPresetPopupForm::ChangePreviewHeight(TPopupPreviewHeight New)
{
    if (New == FPreviewHeight)
        return;
    const int D = previewHeightDelta(FPreviewHeight, New);
    FPreviewHeight = New;
    if (D == 0)
        return;
    const int newPx = previewPixelHeight(New);
    for (SAnchor &a : FAnchors) {
        if (dynamic_cast<TPresetPreview *>(a.w)) {
            a.w->setVisible(New != pphNone);
            if (New != pphNone) {
                a.at = QRect(a.at.x(), a.client.height() - newPx - 2 - (a.client.height() -
                                                                       FClient->height()),
                             a.at.width(), newPx);
                // Re-anchored at the current client size.
                a.at.moveTop(FClient->height() - newPx - 2);
                a.at.setWidth(a.w->width());
                a.client = FClient->size();
            }
        } else if (a.bottom) {
            // Grows (top and bottom) or moves down by D: after the window shrinks by D it is
            // where it was.
            if (a.top)
                a.at.setHeight(a.at.height() + D);
            else
                a.at.moveTop(a.at.top() + D);
        }
    }
    FMinClient.setHeight(FMinClient.height() - D);
    FBuiltClient.setHeight(FBuiltClient.height() - D);
    setClientExtent(FClient->width(), FClient->height() - D);
    if (FListView)
        FListView->UpdateDisplayPosition(true);
}

// ---- settings

namespace {

struct SKindProfile
{
    int32_t *listType;
    sSize *clientSize;
    int32_t *previewType; // nullptr: none
};

bool kindProfile(TPresetKind kind, SKindProfile &out)
{
    if (!gAppProfile)
        return false;
    CAppProfile &p = *gAppProfile;
    switch (kind) {
    case TPresetKind::PenMethod:
        out = {&p.PopBrushListType, &p.PopBrushListSize, nullptr};
        return true;
    case TPresetKind::PenNib:
        out = {&p.PopPenNibListType, &p.PopPenNibListSize, nullptr};
        return true;
    case TPresetKind::Gradient:
        out = {&p.PopGradListType, &p.PopGradListSize, &p.PopGradPrevType};
        return true;
    case TPresetKind::Tone:
        out = {&p.PopToneListType, &p.PopToneListSize, &p.PopTonePrevType};
        return true;
    default:
        return false;
    }
}

bool supportedType(const TqZListView &list, int32_t stored)
{
    return stored >= 0 && stored < kListViewTypeCount &&
           list.SupportType().contains(TListViewType(stored));
}

} // namespace

void TPresetPopupForm::LoadSettings()
{
    SKindProfile p;
    if (!FListView || !kindProfile(Kind(), p))
        return;
    if (supportedType(*FListView, *p.listType))
        FListView->SetListType(TListViewType(*p.listType));
    TPopupPreviewHeight h;
    if (p.previewType && previewHeightFromProfile(*p.previewType, h))
        ChangePreviewHeight(h);
    setClientExtent(storedClientExtent(p.clientSize->x, FBuiltClient.width(), FMinClient.width()),
                    storedClientExtent(p.clientSize->y, FBuiltClient.height(),
                                       FMinClient.height()));
}

void TPresetPopupForm::SaveSettings()
{
    SKindProfile p;
    if (!FListView || !kindProfile(Kind(), p))
        return;
    *p.listType = FListView->ListType();
    if (p.previewType)
        *p.previewType = FPreviewHeight;
    *p.clientSize = {FClient->width(), FClient->height()};
}

void TPresetPopupForm::showEvent(QShowEvent *ev)
{
    TPopupBaseForm::showEvent(ev);
    LoadSettings();
}

void TPresetPopupForm::hideEvent(QHideEvent *ev)
{
    TPopupBaseForm::hideEvent(ev);
    if (!FDestroying)
        SaveSettings();
}

// ---- painting and the mouse

void TPresetPopupForm::paintEvent(QPaintEvent *)
{
    // The sizing border.
    QPainter p(this);
    p.fillRect(rect(), palette().color(QPalette::Button));
    p.setPen(palette().color(QPalette::Light));
    p.drawRect(rect().adjusted(0, 0, -1, -1));
    p.setPen(palette().color(QPalette::Dark));
    p.drawRect(rect().adjusted(1, 1, -2, -2));
}

void TPresetPopupForm::mousePressEvent(QMouseEvent *ev)
{
    // A press on the border resizes through the window system.
    const QPoint pt = ev->position().toPoint();
    Qt::Edges edges;
    if (pt.x() < kPopupFrame)
        edges |= Qt::LeftEdge;
    if (pt.x() >= width() - kPopupFrame)
        edges |= Qt::RightEdge;
    if (pt.y() < kPopupFrame)
        edges |= Qt::TopEdge;
    if (pt.y() >= height() - kPopupFrame)
        edges |= Qt::BottomEdge;
    if (edges && ev->button() == Qt::LeftButton && windowHandle())
        windowHandle()->startSystemResize(edges);
    TPopupBaseForm::mousePressEvent(ev);
}

void TPresetPopupForm::ClientPaint(QPainter &p)
{
    if (const TMemoryGraphic *g = glyph(kCrossGlyph, FCloseState))
        p.drawImage(CloseButtonRect().topLeft(), g->image());
    const TGlyphState menuState = FMenu ? FArrowState : gsDisabled;
    if (const TMemoryGraphic *g = glyph(kDownGlyph, menuState))
        p.drawImage(MenuButtonRect().topLeft(), g->image());
}

void TPresetPopupForm::ClientMouseMove(QPoint pt)
{
    if (FDestroying)
        return;
    FCloseState = CloseButtonRect().contains(pt) ? gsActive : gsNone;
    if (FMenu)
        FArrowState = MenuButtonRect().contains(pt) ? gsActive : gsNone;
    FClient->update(CloseButtonRect().united(MenuButtonRect()));
}

void TPresetPopupForm::ClientMouseDown(Qt::MouseButton b, QPoint pt)
{
    if (FDestroying)
        return;
    FCloseDown = CloseButtonRect().contains(pt);
    if (b != Qt::LeftButton || !FMenu || !MenuButtonRect().contains(pt))
        return;
    PresetPopupMenuPopup();
    execPopupMenu(*FMenu, FClient->mapToGlobal(MenuButtonRect().bottomLeft() + QPoint(0, 1)));
    if (FDestroying)
        return;
    FArrowState = gsNone;
    FClient->update(MenuButtonRect());
}

void TPresetPopupForm::ClientMouseUp(Qt::MouseButton b, QPoint pt)
{
    if (FDestroying || b != Qt::LeftButton)
        return;
    const bool close = FCloseDown && CloseButtonRect().contains(pt);
    FCloseDown = false;
    if (close)
        closeWithResult(kavrin::mrOk);
}

bool TPresetPopupForm::ClientWheel(Qt::KeyboardModifiers shift, int delta, QPoint pt)
{
    return FListView && FListView->Scroll(shift, delta, FListView->mapFrom(FClient, pt));
}

// ---- the menu

void TPresetPopupForm::PresetPopupMenuPopup()
{
    if (!FListView || FMenuEntries.empty())
        return;
    TqZListView &l = *FListView;
    const int N = l.ItemCount(), S = l.SelectIndex();
    SPresetMenuInput in;
    in.kind = Kind();
    in.canPut = l.CanPutItem(N);
    in.canDuplicate = l.CanDuplicateItem(N, &l, S);
    in.canDelete = l.CanDeleteItem(S);
    in.canEdit = l.CanEditItem(S);
    in.canAppend = l.CanAppendItem(&l, S);
    in.supported = l.SupportType();
    in.listType = l.ListType();
    in.useDispAll = FUseDispAll;
    in.dispAll = FDispAll;
    in.supportPreview = FSupportPreview;
    in.preview = FPreviewHeight;
    in.setFileExists = presetSetFileExists(presetSetOf(l));
    in.modified = l.Modified();
    const auto state = presetMenuState(in);
    for (size_t i = 0; i < state.size(); ++i) {
        QAction *a = FMenuEntries[i];
        if (!state[i].caption.isEmpty())
            a->setText(state[i].caption);
        a->setVisible(state[i].visible);
        a->setEnabled(state[i].enabled);
        a->setChecked(state[i].checked);
    }
}

void TPresetPopupForm::MenuItemChange(TPresetMenuEntry e)
{
    using E = TPresetMenuEntry;
    TqZListView &l = *FListView;
    const int S = l.SelectIndex();
    switch (e) {
    case E::ItemAppend:
        l.CreateItem(true);
        break;
    case E::ItemEdit:
        l.EditItemValue(S);
        break;
    case E::ItemDelete:
        if (showConfirm(presetDeleteQuestion(Kind()), kavrin::cbYes | kavrin::cbNo) ==
            kavrin::mrYes)
            l.DeleteItem(S, true);
        break;
    case E::ItemDuplicate:
        l.DuplicateItem(l.ItemCount(), S, true);
        break;
    default:
        break;
    }
}

void TPresetPopupForm::MenuDispChange(TPresetMenuEntry e)
{
    FListView->SetListType(kDispEntryTypes[size_t(int(e) - int(TPresetMenuEntry::DispText))]);
}

void TPresetPopupForm::ToggleShowAll()
{
    auto *brushes = dynamic_cast<TPenMethodListView *>(FListView);
    if (!brushes)
        return;
    FDispAll = !FDispAll;
    brushes->SetShowAll(FDispAll);
}

void TPresetPopupForm::MenuSetChange(TPresetMenuEntry e)
{
    using E = TPresetMenuEntry;
    const TPresetKind kind = Kind();
    if (!presetKindInfo(kind).hasSetFile)
        return;
    const TPresetSetRef set = presetSetOf(*FListView);
    bool loaded = false;
    switch (e) {
    case E::SetRevert:
        // An empty path would open the dialog instead of reverting.
        loaded = presetSetFileExists(set) && loadPresetSet(kind, set, presetSetPath(set), false);
        break;
    case E::SetAppend:
        loaded = loadPresetSet(kind, set, QString(), true);
        break;
    case E::SetOpen:
        loaded = loadPresetSet(kind, set, QString(), false);
        break;
    case E::SetSave:
        savePresetSet(kind, set);
        break;
    default:
        break;
    }
    if (loaded && !FDestroying)
        FListView->SelectItem(FListView->SelectIndex(), true);
}

// ---- the attribute strips

namespace {

TqZGlyphButton *stripButton(QWidget *parent, TqZGlyphType g, QRect r, int group, bool allUp)
{
    auto *b = new TqZGlyphButton(parent);
    b->setGlyphType(g);
    b->setGroupIndex(group);
    b->setAllowAllUp(allUp);
    b->SetBounds(r.x(), r.y(), r.width(), r.height());
    return b;
}

TqZGlyphLabel *stripLabel(QWidget *parent, TqZGlyphType g, QRect r)
{
    auto *l = new TqZGlyphLabel(parent);
    l->setGlyphType(g);
    l->SetBounds(r.x(), r.y(), r.width(), r.height());
    return l;
}

TNumLabelEditPopup *stripEdit(QWidget *parent, TNumMngr *num, QRect r, bool centreLine)
{
    auto *e = new TNumLabelEditPopup(parent);
    e->setAssociate(num);
    e->setFormatString(QStringLiteral("%1.0f"));
    e->setCenterLine(centreLine);
    e->setOrientation(gtHorizontal);
    e->SetBounds(r.x(), r.y(), r.width(), r.height());
    return e;
}

TNumMngr *stripNumber(QObject *owner, float lo, float hi, float value, bool centre, float at)
{
    auto *n = new TNumMngr(owner);
    n->beginLoading();
    n->setValueMin(lo);
    n->setValueMax(hi);
    n->setValueDefault(value);
    n->setValue(value);
    if (centre) {
        n->UseCenter = true;
        n->setValueCenter(at);
    }
    n->endLoading();
    n->Amount = n->AmountLow = n->AmountHigh = 1;
    return n;
}

// (left, top, right, bottom) offset down by the list's bottom edge.
QRect stripRect(int top0, int l, int t, int r, int b)
{
    return QRect(QPoint(l, top0 + t), QPoint(r - 1, top0 + b - 1));
}

} // namespace

void TPresetPopupForm::CreateGradientStrip()
{
    const int y0 = FListView->geometry().bottom() + 1, right = FListView->geometry().right() + 1;
    QWidget *c = FClient;
    FBtnGradLine = stripButton(c, TqZGlyphType::qgGradLinear, stripRect(y0, 2, 2, 22, 18), 320, false);
    FBtnGradLine->setDown(true);
    FBtnGradRad = stripButton(c, TqZGlyphType::qgGradRadial, stripRect(y0, 22, 2, 42, 18), 320, false);
    FBtnGradCir = stripButton(c, TqZGlyphType::qgGradCircular, stripRect(y0, 42, 2, 62, 18), 320, false);
    FBtnGradRet = stripButton(c, TqZGlyphType::qgGradReturn, stripRect(y0, 66, 2, 86, 18), 321, true);
    FLblGradRep = stripLabel(c, TqZGlyphType::qgGradRepeat, stripRect(y0, 90, 2, 106, 18));
    FNumGradRep = stripNumber(this, 1, 500, 1, true, 50);
    FEdtGradRep = stripEdit(c, FNumGradRep, stripRect(y0, 108, 2, 145, 18), false);
    FBtnGradInf = stripButton(c, TqZGlyphType::qgGradInfinity, stripRect(y0, 147, 2, 167, 18), 322, true);
    FBtnGradRemind = stripButton(c, TqZGlyphType::qgGradRemind, stripRect(y0, 171, 2, 191, 18), 323, true);
    FGradPreview = new TGradientPreview(c);
    const QRect pr = stripRect(y0, 0, 22, right, 118);
    FGradPreview->SetBounds(pr.x(), pr.y(), pr.width(), pr.height());
    for (QWidget *w : std::initializer_list<QWidget *>{FBtnGradLine, FBtnGradRad, FBtnGradCir,
                                                       FBtnGradRet, FLblGradRep, FEdtGradRep,
                                                       FBtnGradInf, FBtnGradRemind})
        anchor(w, true, false, false, true);
    anchor(FGradPreview, true, false, true, true);
    const std::pair<TGraphicControl *, TGradientHintRole> hints[] = {
        {FLblGradRep, ghrLblGradRep},   {FEdtGradRep, ghrEdtGradRep},
        {FBtnGradInf, ghrBtnGradInf},   {FBtnGradLine, ghrBtnGradLine},
        {FBtnGradRad, ghrBtnGradRad},   {FBtnGradCir, ghrBtnGradCir},
        {FBtnGradRet, ghrBtnGradRet},   {FBtnGradRemind, ghrBtnGradRemind},
    };
    const IToolForm &tool = mainForm().toolForm();
    for (const auto &[control, role] : hints)
        control->setHint(tool.gradientHint(role));
    FNumGradRep->OnChange = [this](QObject *) { ApplyGradAttr(); };
    for (TqZGlyphButton *b : {FBtnGradLine, FBtnGradRad, FBtnGradCir, FBtnGradRet, FBtnGradInf,
                              FBtnGradRemind})
        b->OnClick = [this](QObject *) { ApplyGradAttr(); };
    for (QWidget *w : FClient->findChildren<QWidget *>())
        w->show();
}

void TPresetPopupForm::CreateToneStrip()
{
    const int y0 = FListView->geometry().bottom() + 1, right = FListView->geometry().right() + 1;
    QWidget *c = FClient;
    FNumToneScl = stripNumber(this, 1, 200, 100, true, 100);
    FNumToneX = stripNumber(this, 0, 99, 0, false, 0);
    FNumToneY = stripNumber(this, 0, 99, 0, false, 0);
    FLblToneScl = stripLabel(c, TqZGlyphType::qgZoomIn, stripRect(y0, 2, 2, 18, 18));
    FEdtToneScl = stripEdit(c, FNumToneScl, stripRect(y0, 20, 2, 57, 18), true);
    FLblToneX = stripLabel(c, TqZGlyphType::qgOffsetX, stripRect(y0, 61, 2, 77, 18));
    FEdtToneX = stripEdit(c, FNumToneX, stripRect(y0, 79, 2, 116, 18), false);
    FLblToneY = stripLabel(c, TqZGlyphType::qgOffsetY, stripRect(y0, 120, 2, 136, 18));
    FEdtToneY = stripEdit(c, FNumToneY, stripRect(y0, 138, 2, 175, 18), false);
    FBtnToneInvert = stripButton(c, TqZGlyphType::qgInvert, stripRect(y0, 179, 2, 197, 18), 330, true);
    const QString scale = u8("スケール|スケールの変更"), x = u8("左|開始位置の変更"),
                  y = u8("上|開始位置の変更");
    FLblToneScl->setHint(scale);
    FEdtToneScl->setHint(scale);
    FLblToneX->setHint(x);
    FEdtToneX->setHint(x);
    FLblToneY->setHint(y);
    FEdtToneY->setHint(y);
    FBtnToneInvert->setHint(u8("色調反転|クリック: 色調を反転"));
    FTonePreview = new TTonePreview(c);
    const QRect pr = stripRect(y0, 0, 22, right, 118);
    FTonePreview->SetBounds(pr.x(), pr.y(), pr.width(), pr.height());
    for (QWidget *w : std::initializer_list<QWidget *>{FLblToneScl, FEdtToneScl, FLblToneX,
                                                       FEdtToneX, FLblToneY, FEdtToneY,
                                                       FBtnToneInvert})
        anchor(w, true, false, false, true);
    anchor(FTonePreview, true, false, true, true);
    for (TNumMngr *n : {FNumToneScl, FNumToneX, FNumToneY})
        n->OnChange = [this](QObject *) { ApplyToneAttr(); };
    FBtnToneInvert->OnClick = [this](QObject *) { ApplyToneAttr(); };
    for (QWidget *w : FClient->findChildren<QWidget *>())
        w->show();
}

void TPresetPopupForm::ReadGradAttr()
{
    auto *list = dynamic_cast<TGradientListView *>(FListView);
    if (!list || !FBtnGradLine || FDestroying)
        return;
    FReading = true;
    const SGradAttr attr = list->AliasAttr();
    const bool special = list->Manager() && list->Manager()->isUsingSpecialGrad();
    const SGradButtons b = gradButtonsFromAttr(attr, special);
    FNumGradRep->setValue(float(b.repCount));
    FBtnGradInf->setDown(b.infinite);
    FBtnGradLine->setDown(b.line);
    FBtnGradRad->setDown(b.radial);
    FBtnGradCir->setDown(b.circle);
    FBtnGradRet->setDown(b.ret);
    FBtnGradRemind->SetEnabled(b.remindEnabled);
    FBtnGradRemind->setDown(b.remind);
    FGradPreview->SetGradient(list->AliasRef(), attr);
    FReading = false;
}

void TPresetPopupForm::ApplyGradAttr()
{
    auto *list = dynamic_cast<TGradientListView *>(FListView);
    if (FReading || !list || FDestroying)
        return;
    FReading = true;
    SGradButtons b;
    b.remind = FBtnGradRemind->Down();
    b.repCount = int32_t(std::trunc(FNumGradRep->Value()));
    b.infinite = FBtnGradInf->Down();
    b.line = FBtnGradLine->Down();
    b.radial = FBtnGradRad->Down();
    b.circle = FBtnGradCir->Down();
    b.ret = FBtnGradRet->Down();
    list->SetAliasAttr(gradAttrFromButtons(b));
    FReading = false;
}

void TPresetPopupForm::ReadToneAttr()
{
    auto *list = dynamic_cast<TToneListView *>(FListView);
    if (!list || !FNumToneX || FDestroying)
        return;
    const CPat8 *tone = list->GetSelectItemRef();
    if (!tone)
        return;
    FReading = true;
    const sSize ofs = tone->getOfsSize();
    const sRange zoom = tone->getZoomRange();
    FNumToneX->SetValues(nullptr, float(tone->ofs.x), 0, float(ofs.x));
    FNumToneY->SetValues(nullptr, float(tone->ofs.y), 0, float(ofs.y));
    const SToneScaleRange r = toneScaleRange(zoom.min, zoom.max);
    FNumToneScl->SetValues(nullptr, float(tone->zoom), float(r.min), float(r.max));
    FBtnToneInvert->setDown(tone->Fnega);
    FTonePreview->SetTone(tone);
    FReading = false;
}

void TPresetPopupForm::ApplyToneAttr()
{
    auto *list = dynamic_cast<TToneListView *>(FListView);
    if (FReading || !list || FDestroying)
        return;
    FReading = true;
    list->SetAliasAttr(QPoint(int(std::trunc(FNumToneX->Value())), int(std::trunc(FNumToneY->Value()))),
                       int(std::trunc(FNumToneScl->Value())), FBtnToneInvert->Down());
    FReading = false;
}

// ---- factories

TPresetPopupForm *newPresetPopupForm(QWidget *owner)
{
    return new TPresetPopupForm(owner);
}

namespace {

// The list type: the profile's when the list supports it, else the kind's default.
void setInitialType(TqZListView &list, int32_t stored, TListViewType fallback)
{
    list.SetListType(supportedType(list, stored) ? TListViewType(stored) : fallback);
}

int32_t profileType(int32_t CAppProfile::*member)
{
    return gAppProfile ? (*gAppProfile).*member : -1;
}

} // namespace

TPresetPopupForm *createPenMethodPopup(TPenMethodListView &view, CPenMethodMngr *manager)
{
    if (!manager || manager->count() == 0)
        return nullptr;
    TPresetPopupForm *f = newPresetPopupForm(&view);
    f->addClientHeight(96, false);
    auto *list = new TPenMethodListView(f->Client());
    f->hostList(list, false);
    f->useDispAll(true);
    list->SetShowAll(true);
    list->Attach(manager, nullptr, nullptr);
    TPaintMode mode;
    if (const CPenMethodObj *cur = manager->getCurObj(); cur && getPenMethodPaintMode(mode, *cur))
        list->SetPaintMode(mode);
    setInitialType(*list, profileType(&CAppProfile::PopBrushListType), lvListS);
    f->useDispAll(list->ShowAll());
    f->setOldIndex(list->SelectIndex());
    list->UpdateDisplayPosition(true);
    return f;
}

TPresetPopupForm *createPenNibPopup(QWidget *owner, CPenShapeMngr *manager, CPenShapeObj *item,
                                    int index)
{
    TPresetPopupForm *f = newPresetPopupForm(owner);
    auto *list = new TPenNibListView(f->Client());
    f->hostList(list, false);
    list->Attach(manager);
    if (item)
        list->SetAlias(*item, false);
    list->SetSelectIndex(index);
    list->UpdateDisplayPosition(true);
    setInitialType(*list, profileType(&CAppProfile::PopPenNibListType), lvIconM);
    f->setOldIndex(list->SelectIndex());
    return f;
}

TPresetPopupForm *createSwatchPopup(TSwatchListView &view, TSwatchMngr *manager)
{
    TPresetPopupForm *f = newPresetPopupForm(&view);
    auto *list = new TSwatchListView(f->Client());
    f->hostList(list, false);
    list->Attach(manager);
    list->SetListType(lvIconS);
    f->setOldIndex(list->SelectIndex());
    return f;
}

TPresetPopupForm *createGradientPopup(TGradientListView &view, CGradMngr *manager)
{
    TPresetPopupForm *f = newPresetPopupForm(&view);
    f->setSupportPreview(true);
    f->addClientHeight(kStripHeight, true);
    auto *list = new TGradientListView(f->Client());
    f->hostList(list, true);
    list->Attach(manager);
    setInitialType(*list, profileType(&CAppProfile::PopGradListType), lvIconM);
    f->setOldIndex(list->SelectIndex());
    f->CreateGradientStrip();
    f->ReadGradAttr();
    return f;
}

TPresetPopupForm *createTonePopup(TToneListView &view, CToneMngr *manager)
{
    TPresetPopupForm *f = newPresetPopupForm(&view);
    f->setSupportPreview(true);
    f->addClientHeight(kStripHeight, true);
    auto *list = new TToneListView(f->Client());
    f->hostList(list, true);
    list->Attach(manager);
    setInitialType(*list, profileType(&CAppProfile::PopToneListType), lvIconM);
    f->setOldIndex(list->SelectIndex());
    f->CreateToneStrip();
    f->ReadToneAttr();
    return f;
}

void freePresetPopup(IListPopup *popup)
{
    auto *f = dynamic_cast<TPresetPopupForm *>(popup);
    if (!f)
        return;
    SKindProfile p;
    if (f->ListView() && kindProfile(f->Kind(), p))
        *p.listType = f->ListView()->ListType();
    f->hide();
    f->deleteLater();
}
