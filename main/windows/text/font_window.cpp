#include "windows/text/font_window.h"

#include "core/image/canvas.h"
#include "core/image/channel.h"
#include "core/pixel/pixel.h"
#include "core/profile/app_profile.h"
#include "document/events/event_manager.h"
#include "document/events/event_record_guard.h"
#include "document/paper/flow_image.h"
#include "document/paper/paper.h"
#include "document/stroke/stroke_pixel_procs.h"
#include "document/view/view_geometry.h"
#include "document/view/view_present.h"
#include "document/view/zoom_cache.h"
#include "paint/render/legacy_dabs.h"
#include "paint/render/stroke_context.h"
#include "paint/stroke/stroke.h"
#include "paint/text/text_glyphs.h"
#include "platform/desktop/messages.h"
#include "platform/desktop/window_message.h"
#include "platform/widgets/window_fit.h"
#include "ui/fields/edit_boxes.h"
#include "ui/fields/num_mngr.h"
#include "ui/graphics/appearance.h"
#include "windows/docwin/draw_window.h"
#include "windows/shell_host.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QFont>
#include <QKeyEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>

#include <algorithm>
#include <new>

namespace {

constexpr int kClientW = 376, kClientH = 253;
constexpr int kMinClientW = 384, kMinClientH = 256;

CAppProfile *profile()
{
    return gAppProfile.get();
}

// Runs the preview's colour through the plain puts, whatever the stroke pipeline installed,
// and puts the pipeline's puts back however the scope is left.
class CPlainPuts
{
  public:
    CPlainPuts() : m_canvasPut(gCanvasPutAt), m_colourPut(pixelPutAlpha)
    {
        gCanvasPutAt = pixelPutPlain;
    }
    ~CPlainPuts() { gCanvasPutAt = m_canvasPut; }
    CPlainPuts(const CPlainPuts &) = delete;
    CPlainPuts &operator=(const CPlainPuts &) = delete;

  private:
    fptrStrokePutTC m_canvasPut;
    StrokeColorPutSwap m_colourPut;
};

// The interface font's face and size in points, for a profile that holds none.
void interfaceFontDefaults(QString &face, int32_t &points)
{
    QFont f;
    if (!pickInterfaceFont(f, SHIFTJIS_CHARSET))
        return;
    face = f.family();
    const int px = f.pixelSize() > 0 ? f.pixelSize() : 12;
    points = std::max(1, (px * 72 + 48) / 96);
}

} // namespace

intptr_t textPosParam(const sPos &pos)
{
    return intptr_t((uint32_t(uint16_t(int16_t(pos.y))) << 16) | uint16_t(int16_t(pos.x)));
}

std::unique_ptr<TFontWindow> TFontWindow::create(TDrawWindow *target, QWidget *owner)
{
    TDrawWindow *dw = mainForm().activeWindow();
    if (!dw)
        dw = target;
    if (!dw || !dw->paper)
        return nullptr;
    std::unique_ptr<TFontWindow> w(new TFontWindow(dw, owner));
    if (!w->FormCreate())
        return nullptr;
    return w;
}

TFontWindow::TFontWindow(TDrawWindow *target, QWidget *owner)
    : TDialogBaseForm(owner), targetDW(target)
{
    setWindowTitle(QString::fromUtf8("文字入力"));
    setSizeGripEnabled(true);
    buildControls();
}

TFontWindow::~TFontWindow()
{
    if (result() != kavrin::mrOk)
        restoreView();
    if (targetDW && targetDW->paper && m_cachesFromPreview) {
        // The zoom caches still hold the preview's pixels (a text made a selection, or it was
        // committed elsewhere than it was previewed): they follow the display image again.
        updateZoomCache(*targetDW->paper);
        targetDW->invalidate(false);
    }
    previewTC.reset();
    if (targetDW && targetDW->flow())
        targetDW->flow()->alpha().PixelFill(0);
}

void TFontWindow::buildControls()
{
    auto label = [this](const char *text, QWidget *buddy) {
        auto *l = new QLabel(QString::fromUtf8(text), this);
        if (buddy)
            l->setBuddy(buddy);
        labels.push_back(l);
        return l;
    };
    auto numField = [this](TNumMngr *&model, TNumEdit *&edit, float lo, float hi, float def) {
        model = new TNumMngr(this);
        model->SetValues(nullptr, def, lo, hi);
        model->setValueDefault(def);
        model->Amount = 1;
        edit = new TNumEdit(this);
        edit->setFormatString(QStringLiteral("%1.0f"));
        edit->setAlignment(taRightJustify);
        edit->setAssociate(model);
        model->OnChange = [this](QObject *) {
            if (!m_updating)
                EditChange();
        };
    };
    ComboBox1 = new QComboBox(this);
    ComboBox2 = new QComboBox(this);
    numField(NumSize, EdtSize, 1, 999, 12);
    numField(NumSpacing, EdtSpacing, -999, 999, 0);
    numField(NumLeading, EdtLeading, -999, 999, 0);
    NumOpaque = new TNumMngr(this);
    NumOpaque->SetValues(nullptr, 100, 1, 100);
    NumOpaque->setValueDefault(100);
    label("フォント(&F)", ComboBox1);
    label("サイズ(&S)", EdtSize);
    label("pt", nullptr);
    label("字間(&T)", EdtSpacing);
    label("px", nullptr);
    label("行間(&L)", EdtLeading);
    label("px", nullptr);
    chkBoxItalic = new QCheckBox(QString::fromUtf8("斜体(&I)"), this);
    chkBoxBold = new QCheckBox(QString::fromUtf8("太字(&B)"), this);
    ChkVert = new QCheckBox(QString::fromUtf8("縦書き(&V)"), this);
    memoText = new QPlainTextEdit(this);
    memoText->setLineWrapMode(QPlainTextEdit::NoWrap);
    memoText->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    memoText->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    memoText->setTabChangesFocus(true);
    chkBoxUseFont =
        new QCheckBox(QString::fromUtf8("選択されているフォントを使用して表示する(&D)"), this);
    chkBoxPreview = new QCheckBox(QString::fromUtf8("プレビュー(&P)"), this);
    setTabOrder(ComboBox1, ComboBox2);
    setTabOrder(ComboBox2, EdtSize);
    setTabOrder(EdtSize, EdtSpacing);
    setTabOrder(EdtSpacing, EdtLeading);
    setTabOrder(EdtLeading, chkBoxItalic);
    setTabOrder(chkBoxItalic, chkBoxBold);
    setTabOrder(chkBoxBold, ChkVert);
    setTabOrder(ChkVert, memoText);
    setTabOrder(memoText, chkBoxUseFont);
    setTabOrder(chkBoxUseFont, chkBoxPreview);
    setTabOrder(chkBoxPreview, ButtonOK);
    setTabOrder(ButtonOK, ButtonCancel);

    connect(ComboBox1, &QComboBox::currentIndexChanged, this, [this] {
        if (!m_updating)
            ComboBox1Change();
    });
    connect(ComboBox2, &QComboBox::currentIndexChanged, this, [this] {
        if (!m_updating)
            ComboBox2Change();
    });
    connect(ChkVert, &QCheckBox::toggled, this, [this] {
        if (!m_updating)
            ChkVertClick();
    });
    for (QCheckBox *b : {chkBoxItalic, chkBoxBold})
        connect(b, &QCheckBox::toggled, this, [this] {
            if (!m_updating)
                refresh();
        });
    connect(chkBoxUseFont, &QCheckBox::toggled, this, [this] {
        if (!m_updating)
            chkBoxUseFontClick();
    });
    connect(chkBoxPreview, &QCheckBox::toggled, this, [this] {
        if (!m_updating)
            chkBoxPreviewClick();
    });
    connect(memoText, &QPlainTextEdit::textChanged, this, [this] {
        if (!m_updating)
            memoTextChange();
    });
    // Key preview: the form sees every key of its controls first.
    for (QWidget *c : findChildren<QWidget *>())
        c->installEventFilter(this);
    setMinimumSize(kMinClientW, kMinClientH);
    setClientSize(kClientW, kClientH);
    layoutControls();
}

void TFontWindow::layoutControls()
{
    const int w = width(), h = height();
    // Row one: the face and its character sets.
    labels[0]->setGeometry(8, 11, 64, 16);
    ComboBox1->setGeometry(72, 8, w - 196, 22);
    ComboBox2->setGeometry(w - 120, 8, 112, 22);
    // Row two: size, spacing, leading with their units.
    labels[1]->setGeometry(8, 39, 64, 16);
    EdtSize->setGeometry(72, 36, 48, 22);
    labels[2]->setGeometry(124, 39, 20, 16);
    labels[3]->setGeometry(148, 39, 44, 16);
    EdtSpacing->setGeometry(192, 36, 44, 22);
    labels[4]->setGeometry(240, 39, 20, 16);
    labels[5]->setGeometry(262, 39, 44, 16);
    EdtLeading->setGeometry(306, 36, 44, 22);
    labels[6]->setGeometry(354, 39, 20, 16);
    // Row three: the style.
    chkBoxItalic->setGeometry(8, 64, 96, 20);
    chkBoxBold->setGeometry(108, 64, 96, 20);
    ChkVert->setGeometry(208, 64, 120, 20);
    // The memo takes what the three bottom rows leave.
    memoText->setGeometry(8, 92, w - 16, std::max(0, h - 156));
    chkBoxUseFont->setGeometry(8, h - 56, w - 16, 20);
    chkBoxPreview->setGeometry(8, h - 28, 120, 20);
    ButtonOK->setGeometry(w - 192, h - 28, 88, 22);
    ButtonCancel->setGeometry(w - 96, h - 28, 88, 22);
}

void TFontWindow::resizeEvent(QResizeEvent *ev)
{
    TDialogBaseForm::resizeEvent(ev);
    layoutControls();
}

bool TFontWindow::FormCreate()
{
    TPaper &paper = *targetDW->paper;
    try {
        previewTC = std::make_unique<TMTC>(paper.m_paperSize);
    } catch (const std::bad_alloc &) {
        previewTC.reset();
    }
    if (!previewTC || previewTC->width() != paper.m_paperSize.x ||
        previewTC->height() != paper.m_paperSize.y || paper.m_paperSize.x <= 0)
        return false;
    dirty = false;
    formFont = font();
    curFont.Name = formFont.family();
    loadSettings();
    fitFormToScreen(this);
    layoutControls();
    fillFaceList();
    ++m_updating;
    const int i = ComboBox1->findText(faceName, Qt::MatchFixedString);
    ComboBox1->setCurrentIndex(i >= 0 ? i : 0);
    --m_updating;
    ComboBox1Change();
    applyFont();
    memoText->setFocus();
    return true;
}

void TFontWindow::loadSettings()
{
    QString defFace = formFont.family();
    int32_t defPoints = 9;
    interfaceFontDefaults(defFace, defPoints);
    faceName = defFace;
    pointNum = defPoints;
    charSet = SHIFTJIS_CHARSET;
    const CAppProfile *p = profile();
    if (!p)
        return;
    if (p->fontDlgPos.x > 0 && p->fontDlgPos.y > 0)
        move(p->fontDlgPos.x, p->fontDlgPos.y);
    if (p->fontDlgSize.x > 0 && p->fontDlgSize.y > 0)
        resize(std::max(p->fontDlgSize.x, kMinClientW), std::max(p->fontDlgSize.y, kMinClientH));
    if (!p->fontFace.isEmpty())
        faceName = p->fontFace;
    if (p->fontPoint > 0)
        pointNum = p->fontPoint;
    if (p->fontCharset >= 0)
        charSet = uint8_t(p->fontCharset);
    spacing = p->fontSpacing;
    leading = p->fontLeading;
    enbPreview = p->fontPreview;
    ++m_updating;
    memoText->setPlainText(p->fontText);
    NumSize->setValue(float(pointNum));
    NumSpacing->setValue(float(spacing));
    NumLeading->setValue(float(leading));
    chkBoxItalic->setChecked(p->fontItalic);
    chkBoxBold->setChecked(p->fontBold);
    chkBoxUseFont->setChecked(p->fontUseFont);
    chkBoxPreview->setChecked(p->fontPreview);
    --m_updating;
}

void TFontWindow::saveSettings()
{
    CAppProfile *p = profile();
    if (!p)
        return;
    p->fontDlgPos = {x(), y()};
    p->fontDlgSize = {width(), height()};
    p->fontFace = faceName;
    p->fontPoint = pointNum;
    p->fontText = memoText->toPlainText();
    p->fontSpacing = spacing;
    p->fontLeading = leading;
    p->fontCharset = charSet;
    p->fontItalic = chkBoxItalic->isChecked();
    p->fontBold = chkBoxBold->isChecked();
    p->fontUseFont = chkBoxUseFont->isChecked();
    p->fontPreview = chkBoxPreview->isChecked();
}

// ---- lists

void TFontWindow::fillFaceList()
{
    ++m_updating;
    ComboBox1->clear();
    ComboBox1->addItems(fontFaceList(ChkVert->isChecked()));
    --m_updating;
}

void TFontWindow::fillCharsetList()
{
    ++m_updating;
    charsets = fontCharsetList(faceName);
    ComboBox2->clear();
    for (const SFontCharset &c : charsets)
        ComboBox2->addItem(c.name, int(c.code));
    ComboBox2->setCurrentIndex(charsets.empty() ? -1 : 0);
    charSet = selectedCharset(charsets, ComboBox2->currentIndex());
    --m_updating;
}

void TFontWindow::ComboBox1Change()
{
    faceName = ComboBox1->currentText();
    fillCharsetList();
    const bool vertical = fontFamilyExists(QLatin1Char('@') + faceName, charSet);
    ++m_updating;
    ChkVert->setEnabled(vertical);
    if (!vertical)
        ChkVert->setChecked(false);
    --m_updating;
    refresh();
}

void TFontWindow::ComboBox2Change()
{
    charSet = selectedCharset(charsets, ComboBox2->currentIndex());
    refresh();
}

void TFontWindow::ChkVertClick()
{
    const QString keep = faceName;
    fillFaceList();
    const int i = ComboBox1->findText(keep, Qt::MatchFixedString);
    ++m_updating;
    ComboBox1->setCurrentIndex(i >= 0 ? i : 0);
    --m_updating;
    if (i < 0)
        ComboBox1Change(); // the face is gone: the first one takes its place
    else
        refresh();
}

void TFontWindow::EditChange()
{
    refresh();
}

void TFontWindow::memoTextChange()
{
    refresh();
}

void TFontWindow::chkBoxUseFontClick()
{
    refresh();
}

void TFontWindow::chkBoxPreviewClick()
{
    enbPreview = chkBoxPreview->isChecked();
    if (enbPreview)
        refresh();
    else {
        restoreView();
        applyFont();
    }
}

bool TFontWindow::DroppedDown() const
{
    return ComboBox1->view()->isVisible() || ComboBox2->view()->isVisible();
}

// ---- the font

void TFontWindow::applyFont()
{
    curFont.Name = ChkVert->isChecked() ? QLatin1Char('@') + faceName : faceName;
    curFont.setSize(pointNum);
    curFont.Charset = charSet;
    curFont.Style = uint8_t((chkBoxItalic->isChecked() ? fsItalic : 0) |
                            (chkBoxBold->isChecked() ? fsBold : 0));
    if (chkBoxUseFont->isChecked()) {
        QFont f(faceName);
        f.setPointSize(std::clamp(pointNum, 1, 999));
        f.setItalic(chkBoxItalic->isChecked());
        f.setBold(chkBoxBold->isChecked());
        memoText->setFont(f);
    } else {
        memoText->setFont(formFont);
    }
}

void TFontWindow::refresh()
{
    pointNum = int32_t(NumSize->Value());
    spacing = int32_t(NumSpacing->Value());
    leading = int32_t(NumLeading->Value());
    if (enbPreview)
        drawPreview();
    else
        applyFont();
}

QString TFontWindow::textForRender() const
{
    QString t = memoText->toPlainText();
    t.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    t.replace(u'\n', QLatin1String("\r\n"));
    return t;
}

int32_t TFontWindow::renderText(sBox &box, LOGFONTW &lf)
{
    TPaper &paper = *targetDW->paper;
    TFlowImage *flow = paper.getActiveFlow();
    if (!flow)
        return -1;
    STextRenderParam prm;
    prm.window = targetDW;
    prm.font = curFont;
    prm.text = textForRender();
    prm.channel = &flow->alpha();
    const sPos lp = convVramPosToLayerPos(paper, paper.ActiveLayer(), dstPos);
    prm.startX = lp.x;
    prm.startY = lp.y;
    prm.letterSpacing = spacing;
    prm.lineSpacing = leading;
    const int32_t n = renderTextToChannel(prm);
    box = prm.box;
    lf = prm.logFont;
    return n;
}

// ---- the preview

void TFontWindow::setDstPos(const sPos &pos)
{
    dstPos = pos;
    if (enbPreview)
        drawPreview();
}

void TFontWindow::drawPreview()
{
    applyFont();
    if (memoText->toPlainText().isEmpty()) {
        restoreView();
        return;
    }
    TPaper &paper = *targetDW->paper;
    TFlowImage *flow = paper.getActiveFlow();
    if (!flow || !previewTC)
        return;
    const sSize size = paper.m_paperSize;
    previewTC->copyArea(paper.vram(), {0, 0}, {0, 0, size.x, size.y});
    sBox box;
    LOGFONTW lf;
    if (renderText(box, lf) <= 0) {
        restoreView();
        targetDW->invalidate(false);
        return;
    }
    const int32_t idx = paper.ActiveLayer();
    const sPos o = getLayerOfs(paper, idx);
    const TStroke *stroke = mainForm().Stroke();
    {
        CPlainPuts plain;
        drawColorThroughChannel(*previewTC, flow->alpha(), {0, 0}, {o.x, o.y, size.x, size.y},
                                stroke ? stroke->m_drawColor : 0u,
                                stroke ? stroke->OpaqueDWORD() : 255u, false);
    }
    updateZoomCache(paper, {0, 0, size.x, size.y}, *previewTC);
    m_cachesFromPreview = true;
    const sPos c = convLayerPosToVramPos(paper, idx, box.pos());
    showPreview({c.x, c.y, box.w, box.h});
}

void TFontWindow::showPreview(const sBox &canvasBox)
{
    TPaper &paper = *targetDW->paper;
    sRect area = boxToRect(canvasBox);
    if (nowSmoothZoom(paper)) {
        // The smoothed view spreads the text past its box: the covered area is measured.
        sRect covered{};
        TFlowImage *flow = paper.getActiveFlow();
        const bool has = flow && flow->alpha().findRect(covered);
        if (!has && !dirty)
            return;
        if (has) {
            const sPos o = getLayerOfs(paper, paper.ActiveLayer());
            rectOffset(covered, -o.x, -o.y);
        }
        area = has ? covered : dirtyRect;
        if (has && dirty)
            rectUnion(area, dirtyRect);
        dirty = area.x1 > area.x0 && area.y1 > area.y0;
        dirtyRect = has ? covered : sRect{};
    } else {
        // The previous place of the text is painted too, so that a moved text leaves nothing.
        if (dirty)
            rectUnion(area, dirtyRect);
        dirty = true;
        dirtyRect = boxToRect(canvasBox);
    }
    paintPreview(rectToBox(area));
}

void TFontWindow::paintPreview(const sBox &box)
{
    TPaper &paper = *targetDW->paper;
    TMTC *dc = targetDW->viewSurface();
    sBox b = box;
    if (!dc || !previewTC || !boxClipToSize(b, paper.m_paperSize))
        return;
    targetDW->EraseBrushGhost();
    if (paper.bVisReverse)
        updateViewREV(paper, dc, *previewTC, b);
    else if (nowSmoothZoom(paper) || !isZoomSimple(paper) || paper.m_degree != 0)
        updateViewROT(paper, dc, *previewTC, b);
    else if (paper.bVisCanvasCol)
        updateViewSTD(paper, *dc, *previewTC, b);
    else if (prepareMixView(paper))
        updateViewMixSTD(paper, dc, paper.mixTC(), *previewTC, b);
    targetDW->showAnts(*dc);
}

void TFontWindow::restoreView(const sBox *box)
{
    if (!dirty || !previewTC || !targetDW || !targetDW->paper)
        return;
    TPaper &paper = *targetDW->paper;
    const sSize size = paper.m_paperSize;
    previewTC->copyArea(paper.vram(), {0, 0}, {0, 0, size.x, size.y});
    if (TFlowImage *flow = paper.getActiveFlow())
        flow->alpha().PixelFill(0);
    const sBox b = box ? *box : sBox{0, 0, size.x, size.y};
    // The smoothed and reduced views read the zoom caches, which the preview drew into.
    updateZoomCache(paper, b);
    if (!box)
        m_cachesFromPreview = false;
    paintPreview(b);
    dirty = false;
}

// ---- closing

void TFontWindow::ButtonOKClick()
{
    TDialogBaseForm::ButtonOKClick();
    TDrawWindow *dw = mainForm().activeWindow();
    if (!dw)
        dw = targetDW;
    TStroke *stroke = mainForm().Stroke();
    if (!dw || dw != targetDW || !stroke)
        return;
    dw->syncObjects();
    TPaper &paper = *dw->paper;
    TFlowImage *flow = paper.getActiveFlow();
    if (!flow)
        return;
    const int32_t idx = paper.ActiveLayer();
    stroke->m_drawLayer = idx;
    prepareStrokeForPaper(*stroke, &paper);
    applyFont();
    sBox box;
    LOGFONTW lf;
    if (renderText(box, lf) > 0) {
        CEventMngr &ev = paper.eventMngr();
        CEventRecordGuard guard(ev);
        const sPos lp = convVramPosToLayerPos(paper, idx, dstPos);
        const bool recorded =
            !ev.isRecording() ||
            ev.pushEventAlphaFont(idx, paper.getActiveMaskIndex(), flow->alpha(), lp, 0,
                                  textForRender(), lf, int16_t(spacing), int16_t(leading),
                                  uint8_t(trgtMask ? 17 : 16));
        if (recorded && dw->doFontDraw(*stroke, box, trgtMask, true)) {
            guard.commit();
            dw->setModified(true);
        }
        paper.setFlow(*flow, idx, true);
    }
    saveSettings();
}

void TFontWindow::done(int r)
{
    if (r != kavrin::mrOk) {
        if (targetDW && targetDW->paper && dirty)
            updateZoomCache(*targetDW->paper);
        restoreView();
    }
    saveSettings();
    TDialogBaseForm::done(r);
}

// ---- messages and keys

bool TFontWindow::event(QEvent *e)
{
    if (e->type() == TWindowMessageEvent::eventType()) {
        TMessage &m = static_cast<TWindowMessageEvent *>(e)->message();
        if (m.msg != kTextPosMessage)
            return TDialogBaseForm::event(e);
        const auto lp = uint32_t(m.lParam);
        setDstPos({int16_t(lp & 0xFFFF), int16_t(lp >> 16)});
        return true;
    }
    return TDialogBaseForm::event(e);
}

bool TFontWindow::eventFilter(QObject *watched, QEvent *e)
{
    if (e->type() == QEvent::KeyPress && watched != memoText)
        return FormKeyDown(static_cast<QKeyEvent *>(e)->key());
    if (e->type() == QEvent::KeyPress && static_cast<QKeyEvent *>(e)->key() == Qt::Key_Escape)
        return FormKeyDown(Qt::Key_Escape);
    return TDialogBaseForm::eventFilter(watched, e);
}

bool TFontWindow::FormKeyDown(int key)
{
    if (DroppedDown())
        return false;
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        ButtonOK->click();
        return true;
    }
    if (key == Qt::Key_Escape) {
        ButtonCancel->click();
        return true;
    }
    return false;
}
