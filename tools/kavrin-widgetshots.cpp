// Renders the interface's pictures and widgets in a few states to PNG files, for people to look
// at: kavrin-widgetshots OUTDIR [FAMILY...] writes OUTDIR/<family>/<name>.png (every family when
// none is named). --list prints the shots instead. The colours are the fixed table of the tests
// unless --system is given.
#include "app/dialogs/image_size_dialog.h"
#include "app/dialogs/jpeg_option_dialog.h"
#include "app/dialogs/resolution_dialog.h"
#include "core/mask/mask_manager.h"
#include "core/profile/app_profile.h"
#include "document/paper/headless.h"
#include "document/paper/paper.h"
#include "windows/docwin/draw_window.h"
#include "windows/shell_host.h"
#include "windows/toolform/tool_form.h"
#include "app/shortcuts/shortcut_setup_dialog.h"
// ---- document dialogs (layer_dialogs.cpp, new_document_dialog.cpp)
#include "app/dialogs/layer_dialogs.h"
#include "app/dialogs/new_document_dialog.h"
#include "core/tiles/block_channel.h"
#include "core/tiles/block_layer_image.h"
#include "paint/brush/user_blend_modes.h"
#include <QRadioButton>
// ---- end of document dialogs
#include "core/image/display_canvas.h"
#include "core/mask/mask_manager.h"
#include "core/profile/app_profile.h"
#include "document/edit/edit_ops.h"
#include "document/edit/layer_list_ops.h"
#include "document/events/event_file.h"
#include "document/paper/headless.h"
#include "document/paper/headless_app.h"
#include "document/paper/headless_owner.h"
#include "document/paper/layer_data.h"
#include "document/paper/layer_manager.h"
#include "document/paper/paper.h"
#include "document/paper/paper_host.h"
#include "document/stroke/paper_stroke.h"
#include "document/view/composition.h"
#include "filters/dialogs/adjustment_dialogs.h"
#include "filters/dialogs/blur_noise_dialogs.h"
#include "filters/dialogs/histogram.h"
#include "filters/dialogs/levels_dialog.h"
#include "paint/brush/paint_param.h"
#include "paint/presets/method_icons.h"
#include "paint/presets/pen_preset_managers.h"
#include "paint/tone/tone_manager.h"
#include "ui/base/caption_fit.h"
#include "ui/base/qt_translations.h"
#include "ui/base/system_colours.h"
#include "ui/base/user_interface.h"
#include "ui/colour/colour_cells.h"
#include "ui/colour/colour_dialog.h"
#include "ui/colour/colour_pickers.h"
#include "ui/dialogs/event_report.h"
#include "ui/dialogs/file_dialogs.h"
#include "ui/fields/drop_down_menu.h"
#include "ui/fields/label_fields.h"
#include "ui/fields/num_mngr.h"
#include "ui/fields/path_label.h"
#include "ui/fields/popup_sliders.h"
#include "ui/fields/tab_strip.h"
#include "ui/fields/trackbar.h"
#include "ui/forms/base_forms.h"
#include "ui/forms/mru_list.h"
#include "ui/forms/progress.h"
#include "ui/graphics/appearance.h"
#include "ui/graphics/brush_previews.h"
#include "ui/graphics/glyph_manager.h"
#include "ui/graphics/glyph_strip.h"
#include "ui/lists/event_list_view.h"
#include "ui/lists/gradient_list_view.h"
#include "ui/lists/layer_list_views.h"
#include "ui/lists/pen_method_list_view.h"
#include "ui/lists/pen_nib_list_view.h"
#include "ui/lists/preset_previews.h"
#include "ui/lists/swatch_list_view.h"
#include "ui/lists/tone_list_view.h"
#include "ui/preview/preview_frame.h"
#include "ui/views/loupe.h"
#include "ui/views/navigator.h"
#include "ui/views/navigator_preview.h"
#include "windows/dock/dock_float.h"
#include "windows/dock/dock_view.h"
// ---- printing (printing.cpp)
#include "document/paper/document_init.h"
#include "platform/widgets/printing.h"
#include "windows/docwin/draw_window.h"
#include "windows/render_settings.h"
// ---- end of printing
// ---- text (windows/text/font_window.cpp)
#include "windows/text/font_window.h"
// ---- end of text
#include "windows/presets/brush_editor.h"
#include "windows/presets/gradient_editor.h"
#include "windows/presets/nib_editor_frame.h"
#include "windows/presets/preset_popup.h"
#include "windows/presets/tone_editor.h"
#include "windows/presets/value_dialogs.h"
#include "windows/shell_host.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QProgressBar>
#include <QTemporaryDir>
#include <QTimer>

#include <cmath>
#include <cstdio>
#include <functional>
#include <numbers>
#include <utility>
#include <vector>

namespace {

struct Shot
{
    QString family;
    QString name;
    std::function<QImage()> make;
};

QImage copyOf(const TMemoryGraphic &g)
{
    return g.image().copy();
}

// Pictures in rows, each row's pictures side by side, gap pixels apart.
QImage grid(const QList<QList<QImage>> &rows, int gap = 2)
{
    int w = 0, h = 0;
    for (const QList<QImage> &row : rows) {
        int rw = 0, rh = 0;
        for (const QImage &p : row) {
            rw += p.width() + gap;
            rh = std::max(rh, p.height());
        }
        w = std::max(w, rw);
        h += rh + gap;
    }
    QImage out(std::max(w - gap, 1), std::max(h - gap, 1), QImage::Format_ARGB32);
    out.fill(Qt::transparent);
    QPainter p(&out);
    p.setCompositionMode(QPainter::CompositionMode_Source);
    int y = 0;
    for (const QList<QImage> &row : rows) {
        int x = 0, rh = 0;
        for (const QImage &pic : row) {
            p.drawImage(x, y, pic);
            x += pic.width() + gap;
            rh = std::max(rh, pic.height());
        }
        y += rh + gap;
    }
    return out;
}

QImage glyphStrip()
{
    QImage out(3 * kGlyphSize, kGlyphSize * kGlyphTypeCount, QImage::Format_ARGB32);
    out.fill(Qt::transparent);
    QPainter p(&out);
    p.setCompositionMode(QPainter::CompositionMode_Source);
    for (int g = 0; g < kGlyphTypeCount; ++g)
        for (int s = 0; s < kGlyphStateCount; ++s)
            p.drawImage(s * kGlyphSize, g * kGlyphSize,
                        copyOf(*gGlyphManager->GetGlyphs(TqZGlyphType(g), TGlyphState(s))));
    return out;
}

QImage appearanceImages()
{
    const TAppearanceManager &m = *gAppearanceManager;
    QList<QImage> pos, arrowsA, arrowsB, boxes, misc;
    for (int i = 0; i < 8; ++i)
        pos << copyOf(*m.GetPosImage(i));
    for (int t = 0; t < 2; ++t)
        pos << copyOf(*m.GetTabImage(TTabState(t)));
    for (int s = 0; s < 3; ++s)
        pos << copyOf(*m.GetMenuImage(TGlyphState(s)));
    for (int k = 0; k < 13; ++k)
        for (int s = 0; s < 3; ++s)
            (k < 7 ? arrowsA : arrowsB) << copyOf(*m.GetArrowImage(k, TGlyphState(s)));
    for (int t = 0; t < 2; ++t)
        for (int s = 0; s < 3; ++s)
            boxes << copyOf(*m.GetCheckBoxImage(t, TGlyphState(s)))
                  << copyOf(*m.GetEyeImage(t, TGlyphState(s)));
    misc << copyOf(*m.GetLinkImage(0)) << copyOf(*m.GetLinkImage(1)) << copyOf(*m.ActiveImage())
         << copyOf(*m.ClippingImage());
    for (int j = 0; j < 2; ++j)
        for (int s = 0; s < 2; ++s)
            misc << copyOf(*gGradMarkerImages[size_t(j)][size_t(s)]);
    return grid({pos, arrowsA, arrowsB, boxes, misc});
}

QImage shapes()
{
    constexpr float pi = std::numbers::pi_v<float>;
    TMemoryGraphic g(160, 60, clWhite32);
    const TColor32 red = makeColor32(0, 0, 220, 255), blue = makeColor32(220, 60, 0, 255);
    g.FillCircle(TPointSingle{14, 14}, 11, red, blendNormal, blendNormal);
    g.DrawCircle(sPos{30, 3}, 23, 3, blue, blendNormal, blendNormal);
    g.FillEllipse({72, 14}, {14, 6}, pi / 6, red, blendNormal, blendNormal);
    g.FillEllipse({104, 14}, {14, 10}, 0.4f, 0, red, blue, blendNormal, blendNormal);
    g.GradientEllipse({138, 14}, {14, 9}, 0.5f, blue, blendNormal, blendNormal);
    g.FillRightTriangle({2, 32}, {22, 56}, blue, blendNormal, blendNormal);
    g.FillIsoscelesTriangle({26, 32, 50, 56}, red, adBottomTop, blendNormal, blendNormal);
    g.FillIsoscelesTriangle({54, 32, 80, 56}, red, makeColor32(0, 180, 0, 255), blue, adLeftRight,
                            blendNormal, blendNormal);
    const TPointSingle zig[] = {{84, 56}, {96, 34}, {110, 52}, {130, 36}, {156, 54}};
    g.DrawPolyLine(zig, 5, clBlack32, blendNormal, blendNormal);
    return copyOf(g);
}

QImage colourFields()
{
    TMemoryGraphic g(200, 64, clNone32);
    const auto n = blendNormal;
    g.FillHueRectangle({0, 0, 60, 12}, 0, 1, 1, 1, adLeftRight, n, n, true);
    g.FillSaturationValueRectangle({0, 14, 60, 64}, 0.5f, 1, adLeftRight, adBottomTop, n, n, true);
    g.FillHueValueRectangle({64, 0, 124, 64}, 0, 1, 1, adLeftRight, adBottomTop, n, n, true);
    g.FillHueSaturationCircle({128, 0}, 64, 0, 1, 1, n, n, true);
    return copyOf(g);
}

QImage brushShapes()
{
    QList<QImage> row;
    TShapeImageParam p;
    initShapeImageParam(p);
    p.Radius = 20;
    p.MinRadius = 0.5f;
    for (int i = 0; i < 3; ++i) {
        TMemoryGraphic g(56, 56, clWhite32);
        p.Aspect = i == 1 ? 0.4f : 1.0f;
        p.Rotation = i == 1 ? 30 : 0;
        drawBrushShape(g, p, makeColor32(30, 30, 160, 255), makeColor32(200, 190, 250, 255), i == 2,
                       1.0f);
        row << copyOf(g);
    }
    TMemoryGraphic profile(56, 56, clWhite32);
    drawAirMapProfile(profile, {4, 4, 52, 52}, TPaintAirMap::pamRoundTop, 0, 0, clBlack32);
    row << copyOf(profile);
    return grid({row});
}

QImage glyphLabels()
{
    QWidget parent;
    parent.resize(3 * 32, 32);
    parent.setAutoFillBackground(true);
    for (int i = 0; i < 3; ++i) {
        auto *label = new TqZGlyphLabel(&parent);
        label->SetBounds(i * 32, 0, 32, 32);
        label->setGlyphType(i == 2 ? TqZGlyphType::qgZoom : TqZGlyphType::qgPencil5);
        label->SetEnabled(i != 1);
    }
    parent.show();
    return parent.grab().toImage();
}

QImage dialogBase()
{
    TDialogBaseForm dlg;
    dlg.show();
    return dlg.grab().toImage();
}

// The shortcut setup dialog on the default bindings; with duplicate, after Ctrl+N pressed on the
// row of 開く (Ctrl+N belongs to 新規作成).
QImage shortcutSetup(bool duplicate)
{
    CShortCutMngr table;
    table.initShortCutAll();
    TShortCutSetupForm form(table);
    form.show();
    if (duplicate) {
        form.selectRow(2);
        QKeyEvent press(QEvent::KeyPress, Qt::Key_N, Qt::ControlModifier);
        QApplication::sendEvent(form.valueListEditor, &press);
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_N, Qt::ControlModifier);
        QApplication::sendEvent(form.valueListEditor, &release);
    }
    return form.grab().toImage();
}

QImage dialogOkOnly()
{
    TDialogBaseForm dlg;
    dlg.setDialogMode(dmOK);
    dlg.show();
    return dlg.grab().toImage();
}

QImage progressDialog()
{
    TProgressDlg dlg;
    dlg.setCaptions("Progress", QString::fromUtf8("ファイルを読み込んでいます"), "layer 3 / 8");
    dlg.start(nullptr, 8, 3);
    return dlg.grab().toImage();
}

QImage progressBars()
{
    QList<QList<QImage>> rows;
    const struct
    {
        int pos, max;
        TGraphicProgressBarType type;
    } states[] = {{0, 100, gpbPercent},   {45, 100, gpbPercent}, {100, 100, gpbPercent},
                  {150, 100, gpbPercent}, {7, 42, gpbPosition},  {0, 42, gpbRestTime}};
    for (const auto &s : states) {
        TGraphicProgressBar bar;
        bar.SetBounds(0, 0, 160, 18);
        bar.setTextType(s.type);
        bar.SetPositions(s.pos, s.max, 0);
        rows << QList<QImage>{copyOf(bar.picture())};
    }
    return grid(rows);
}

// ---- fields

QImage trackbarPicture(TGraphicTrackbarOrientation o, int w, int h, float p, bool centre,
                       bool enabled)
{
    TGraphicTrackbar bar;
    bar.setOrientation(o);
    bar.SetBounds(0, 0, w, h);
    bar.setPosition(p);
    bar.setCenterLine(centre);
    bar.setEnabled(enabled);
    return copyOf(bar.Image());
}

QImage trackbarVertical()
{
    return trackbarPicture(gtVertical, 14, 109, 0.75f, false, true);
}

QImage trackbars()
{
    return grid({{trackbarPicture(gtHorizontal, 109, 14, 0, false, true),
                  trackbarPicture(gtHorizontal, 109, 14, 0.5f, true, true),
                  trackbarPicture(gtHorizontal, 109, 14, 1, false, false)},
                 {trackbarPicture(gtVertical, 14, 109, 0, false, true),
                  trackbarPicture(gtVertical, 14, 109, 0.5f, true, true),
                  trackbarPicture(gtVertical, 14, 109, 1, false, false),
                  trackbarPicture(gtClockWise, 32, 32, 0.125f, false, true),
                  trackbarPicture(gtClockWise, 32, 32, 0.6f, false, false),
                  trackbarPicture(gtCounterClockWise, 32, 32, 0.125f, false, true),
                  trackbarPicture(gtCounterClockWise, 32, 32, 0.6f, false, false)}},
                4);
}

QImage popupField()
{
    TNumMngr model;
    model.SetValues(nullptr, 25, 0, 100);
    QWidget parent;
    TNumLabelEditPopup field(&parent);
    field.SetBounds(0, 0, 60, 20);
    field.setAssociate(&model);
    return copyOf(field.Image());
}

QImage popupFieldStates()
{
    TNumMngr model;
    model.SetValues(nullptr, 25, 0, 100);
    QList<QImage> row;
    for (int state = 0; state < 3; ++state) {
        QWidget parent;
        TNumLabelEditPopup field(&parent);
        field.SetBounds(0, 0, 60, 20);
        if (state != 1)
            field.setAssociate(&model); // unbound: inactive, "0"
        field.setEnabled(state != 2);
        row << copyOf(field.Image());
    }
    return grid({row}, 4);
}

// The brush editor's strip in its place (352 x 19) with each tab active, then the same tabs
// given a place too narrow for them and fitted to their captions.
QImage tabStrip()
{
    const char *captions[] = {"ブラシ設定", "ペン先設定", "ストロークオプション"};
    QList<QList<QImage>> rows;
    for (int active = 0; active < 3; ++active) {
        TGraphicTabControl tabs;
        tabs.SetBounds(0, 0, 352, 19);
        for (const char *c : captions)
            tabs.AddTab(QString::fromUtf8(c));
        tabs.setActiveIndex(active);
        rows.append({copyOf(tabs.Image())});
    }
    TGraphicTabControl fitted;
    fitted.SetBounds(0, 0, 140, 19);
    for (const char *c : captions)
        fitted.AddTab(QString::fromUtf8(c));
    fitted.setActiveIndex(1);
    fitCaptionWidth(&fitted);
    rows.append({copyOf(fitted.Image())});
    return grid(rows, 4);
}

QImage labelFields()
{
    TNumMngr model;
    model.SetValues(nullptr, 40, 0, 100);
    QWidget parent;
    parent.resize(200, 100);
    auto *num = new TNumLabel(&parent);
    num->SetBounds(4, 4, 36, 16);
    num->setAssociate(&model);
    auto *numEdit = new TNumLabelEdit(&parent);
    numEdit->SetBounds(44, 4, 40, 16);
    numEdit->setAssociate(&model);
    auto *text = new TLabelEdit(&parent);
    text->SetBounds(88, 4, 100, 16);
    text->setCaption("Pencil");
    auto *path = new TPathLabel(&parent);
    path->SetBounds(4, 28, 120, 16);
    path->setPath("/home/user/pictures/a-long-folder-name/cat.qzi");
    path->setModified(true);
    auto *menu = new TDropDownMenu(&parent);
    menu->SetBounds(130, 30, 11, 11);
    parent.show();
    return parent.grab(QRect(0, 0, 192, 48)).toImage();
}

// ---- colour

TColorPickerValue shotColour()
{
    TColorPickerValue v;
    color32ToColorPickerValue(makeColor32(50, 80, 210, 255), v);
    return v;
}

// A picker of type T at w x h in the space, on the fixed colour, as painted.
template <class T> QImage pickerShot(int w, int h, TColorPickerSpace space, bool slider = true)
{
    QWidget parent;
    parent.resize(w, h);
    auto *p = new T(&parent);
    p->SetBounds(0, 0, w, h);
    p->setColorSpace(space);
    p->setSliderColorChange(slider);
    p->setColors(shotColour());
    parent.show();
    return parent.grab(QRect(0, 0, w, h)).toImage();
}

QImage squareBarHSV()
{
    return pickerShot<TColorPicker>(200, 182, cpHSV);
}

QImage squareBarSpaces()
{
    QList<QImage> row1, row2, row3;
    for (TColorPickerSpace s : {cpRGB, cpGRB, cpBRG})
        row1 << pickerShot<TColorPicker>(200, 182, s);
    for (TColorPickerSpace s : {cpSHV, cpVHS, cpHSL})
        row2 << pickerShot<TColorPicker>(200, 182, s);
    for (TColorPickerSpace s : {cpSHL, cpLHS})
        row3 << pickerShot<TColorPicker>(200, 182, s);
    row3 << pickerShot<TColorPicker>(200, 182, cpHSV, false);
    return grid({row1, row2, row3});
}

QImage ringPickers()
{
    return grid({{pickerShot<TTriangleColorPicker>(160, 160, cpHSV),
                  pickerShot<TTriangleColorPicker>(160, 160, cpHSL)},
                 {pickerShot<TCircleColorPicker>(160, 142, cpSHV),
                  pickerShot<TCircleColorPicker>(160, 142, cpVHS),
                  pickerShot<TCircleColorPicker>(160, 142, cpSHL),
                  pickerShot<TCircleColorPicker>(160, 142, cpLHS)}});
}

QImage sliderPickers()
{
    return grid({{pickerShot<TSliderColorPicker>(160, 80, cpRGB),
                  pickerShot<TSliderColorPicker>(160, 80, cpHSV),
                  pickerShot<TSliderColorPicker>(160, 80, cpHSL)},
                 {pickerShot<TSliderColorPicker>(160, 80, cpRGB, false),
                  pickerShot<TSliderColorPicker>(160, 80, cpHSV, false)}});
}

QImage colourCells()
{
    QWidget parent;
    parent.resize(200, 44);
    TColorPickerValue other;
    color32ToColorPickerValue(makeColor32(40, 200, 230, 255), other);
    auto *plain = new TPickerColorCell(&parent);
    plain->SetBounds(2, 2, 40, 40);
    plain->setSelectColor(shotColour());
    auto *initial = new TPickerColorCell(&parent);
    initial->SetBounds(46, 2, 40, 40);
    initial->setDrawInitialColor(true);
    initial->setInitialColor(other);
    initial->setSelectColor(shotColour());
    auto *disabled = new TPickerColorCell(&parent);
    disabled->SetBounds(90, 2, 40, 40);
    disabled->setSelectColor(shotColour());
    disabled->SetEnabled(false);
    auto *twin = new TTwinColorCell(&parent);
    twin->SetBounds(134, 2, 36, 36);
    twin->setForegroundColor(shotColour());
    auto *small = new TTwinColorCell(&parent);
    small->SetBounds(172, 2, 30, 30);
    small->setForegroundColor(other);
    small->setActivePart(tccBackgroundColor);
    parent.show();
    return parent.grab(QRect(0, 0, 204, 44)).toImage();
}

QImage pickerDialog()
{
    TColorPickerForm form;
    form.Start(shotColour());
    form.show();
    return form.grab().toImage();
}

QImage pickerDialogRing()
{
    TColorPickerForm form;
    form.Start(shotColour());
    form.ComboBoxK->setCurrentIndex(1);
    form.show();
    return form.grab().toImage();
}

// ---- controls: pickers, fall-off curve, mode drop-downs, pressure curve, nib shape, gradient
} // namespace

#include "document/paper/document_init.h"
#include "platform/desktop/messages.h"
#include "ui/controls/airmap_controls.h"
#include "ui/controls/nib_shape_editor.h"
#include "ui/controls/gradient_edit.h"
#include "ui/controls/item_picker.h"
#include "ui/controls/mode_drop_downs.h"
#include "ui/controls/pressure_gamma.h"

#include "tool_support.h"

#include <QFileInfo>
#include <QMouseEvent>

namespace {

void pressAt(QWidget *w, QPoint at)
{
    QMouseEvent press(QEvent::MouseButtonPress, at, w->mapToGlobal(at), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(w, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, at, w->mapToGlobal(at), Qt::LeftButton,
                        Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(w, &release);
}

QImage controlItemPickers()
{
    QWidget parent;
    parent.resize(300, 40);
    QList<QImage> row;
    const auto add = [&](TItemPickerType t, bool toolIcon, bool down, bool enabled, bool glyph) {
        TItemPicker *p = glyph ? static_cast<TItemPicker *>(new TqZGlyphButton(&parent))
                               : new TItemButton(&parent);
        if (!glyph)
            p->OnOwnerDraw = [](QObject *, TMemoryGraphic &g) {
                g.Clear();
                g.FillRectangle({3, 3, g.Width() - 3, g.Height() - 3}, clWindowText32(), blendCopy,
                                blendCopy);
            };
        p->SetBounds(0, 0, glyph ? 28 : 30, glyph ? 28 : 20);
        p->setToolIcon(toolIcon || glyph);
        p->setPickerType(t);
        if (down) {
            p->setGroupIndex(1);
            p->setDown(true);
        }
        p->SetEnabled(enabled);
        row << copyOf(p->image());
    };
    add(ipIcon, false, false, true, false);
    add(ipDrop, false, false, true, false);
    add(ipIconDrop, false, false, true, false);
    add(ipDrop, false, true, true, false);
    add(ipDrop, false, false, false, false);
    add(ipIcon, false, false, true, true);
    add(ipIconDrop, false, false, false, true);
    return grid({row});
}

QImage controlAirMapPopup()
{
    QWidget parent;
    parent.resize(120, 60);
    auto *picker = new TAirMapDropDown(&parent);
    picker->SetBounds(4, 4, 40, 24);
    picker->setAirMap(TPaintAirMap::pamRoundTop);
    picker->setFlat(40);
    picker->setAdd(20);
    parent.show();
    pressAt(picker, QPoint(5, 5));
    QImage out;
    if (TPopupBaseForm *form = picker->PopupForm()) {
        out = form->grab(QRect(0, 0, 182, 130)).toImage();
        form->closeWithResult(kavrin::mrOk);
    }
    return out;
}

QImage controlAirMapPickers()
{
    QWidget parent;
    parent.resize(200, 40);
    QList<QImage> row;
    for (TPaintAirMap m :
         {TPaintAirMap::pamLinear, TPaintAirMap::pamCircle, TPaintAirMap::pamPinTop}) {
        auto *p = new TAirMapDropDown(&parent);
        p->SetBounds(0, 0, 40, 24);
        p->setAirMap(m);
        row << copyOf(p->image());
    }
    auto *c = new TAirMapControl(&parent);
    c->SetBounds(0, 0, 98, 96);
    c->SetParams(TPaintAirMap::pamGamma, 0.5f, 0.3f);
    row << copyOf(c->image());
    return grid({row});
}

QImage controlDropDowns()
{
    initialiseDocument(); // the blend-mode names
    QWidget parent;
    parent.resize(300, 40);
    auto *sub = new TSubPaintDropDown(&parent);
    sub->SetBounds(2, 2, 40, 32);
    sub->setSubPaintMode(TSubPaintMode::spmDrawEllipse);
    auto *blend = new TBlendModeDropDwon(&parent);
    blend->SetBounds(46, 2, 110, 22);
    blend->setBlendMode(TBlendMode::bmMultiple);
    auto *narrow = new TBlendModeDropDwon(&parent);
    narrow->SetBounds(160, 2, 44, 22);
    narrow->setBlendMode(TBlendMode::bmLinearlight);
    parent.show();
    return parent.grab(QRect(0, 0, 208, 36)).toImage();
}

QImage controlPressureGamma()
{
    QWidget parent;
    parent.resize(200, 70);
    QList<QImage> row;
    for (float g : {0.5f, 1.0f, 2.5f}) {
        auto *p = new TPressureGamma(&parent);
        p->SetBounds(0, 0, 60, 60);
        p->setGamma(g);
        row << copyOf(p->image());
    }
    return grid({row});
}

QImage controlAspectRotation()
{
    QWidget parent;
    parent.resize(100, 100);
    auto *c = new TAspectRotation(&parent);
    c->SetBounds(0, 0, 86, 88);
    c->OnDrawPreview = [c](QObject *) {
        TMemoryGraphic &g = c->Preview();
        g.FillCircle(TPointSingle{g.Width() / 2.0f, g.Height() / 2.0f}, 12,
                     makeColor32(85, 85, 85, 255), blendNormal, blendKeep);
    };
    c->SetAspectRotation(40, 30);
    c->setSupportDrop(true);
    parent.show();
    c->MouseEnter();
    return parent.grab(QRect(0, 0, 86, 88)).toImage();
}

QImage controlGradientEdit()
{
    QWidget parent;
    parent.resize(240, 30);
    auto *e = new TGradientEdit(&parent);
    e->SetBounds(0, 0, 213, 24);
    e->AddStop(false, 0.3f);
    e->AddStop(false, 0.6f);
    e->AddStop(false, 0.7f);
    e->UnionLeft(3);
    e->SetColor(shotColour(), 1);
    e->SetOpaque(0.4f, 4);
    e->setSelectIndex(1);
    return copyOf(e->image());
}

// ---- lists

// A view placed on a host of the given size and shown, the host's picture.
QImage hosted(QWidget &host, TqZListView &view, QSize size)
{
    host.resize(size);
    view.setParent(&host);
    view.SetBounds(0, 0, size.width(), size.height());
    view.show();
    host.show();
    view.DrawItems();
    return host.grab(QRect(QPoint(0, 0), size)).toImage();
}

// Four built-in gradients and three more: seven.
void fillShotGradients(CGradMngr &m)
{
    m.makeDefault();
    sRGBA a{}, b{};
    a.R = 255;
    b.B = 255;
    b.A = 255;
    for (int i = 0; i < 3; ++i) {
        a.G = uint8_t(80 * i);
        m.appendGrad(a, b);
        m.getGrad(m.count() - 1)->crsg->setName(QStringLiteral("gradient %1").arg(i + 5));
    }
    m.setCurGrad(2);
}

QImage listGrid7()
{
    CGradMngr m;
    fillShotGradients(m);
    QWidget host;
    TGradientListView v;
    v.SetSupportCommand({lvcSelect});
    v.Attach(&m);
    QImage shot = hosted(host, v, QSize(118, 94));
    v.setParent(nullptr);
    return shot;
}

QImage listGradientRows()
{
    CGradMngr m(true);
    fillShotGradients(m);
    QWidget host;
    TGradientListView v;
    v.SetSupportCommand({lvcSelect});
    v.SetListType(lvListM);
    v.Attach(&m);
    QImage shot = hosted(host, v, QSize(180, 130));
    v.setParent(nullptr);
    return shot;
}

QImage listDropStrip()
{
    CGradMngr m;
    fillShotGradients(m);
    QList<QImage> row;
    QWidget host;
    TGradientListView multi, single;
    multi.SetSupportCommand({lvcSelect});
    multi.SetListType(lvDropMulti);
    multi.Attach(&m);
    row << hosted(host, multi, QSize(125, 24));
    multi.setParent(nullptr);
    single.SetSupportCommand({lvcSelect});
    single.SetListType(lvCheckDrop);
    single.Attach(&m);
    single.SetChecked(true);
    row << hosted(host, single, QSize(80, 24));
    single.setParent(nullptr);
    return grid({row});
}

QImage listSwatches()
{
    TSwatchMngr m;
    for (int i = 0; i < 40; ++i)
        m.InsertItem(i, makeColor32(uint8_t(i * 6), uint8_t(240 - i * 5), uint8_t((i * 37) % 256), 255));
    QWidget host;
    TSwatchListView v;
    v.SetSupportCommand({lvcSelect});
    v.Attach(&m);
    v.SelectItem(7, true);
    QImage shot = hosted(host, v, QSize(16 + 10 * 12 + 4, 40));
    v.setParent(nullptr);
    v.Detach();
    return shot;
}

QImage listTones()
{
    CToneMngr m;
    m.makeDefault();
    m.appendPattern(48.0f, 48.0f, 12, 4.0f);
    m.setCurPat(1);
    QWidget host;
    TToneListView v;
    v.SetSupportCommand({lvcSelect});
    v.Attach(&m);
    QImage shot = hosted(host, v, QSize(16 + 3 * 32 + 4, 38));
    v.setParent(nullptr);
    return shot;
}

QImage listNibs()
{
    CPenShapeMngr m;
    m.appendDefaultShapes();
    auto big = std::make_unique<CPenShapeObj>();
    big->enable = true;
    big->setRadiusSingle(100);
    m.appendShape(std::move(big));
    m.setCurIndex(2);
    QWidget host;
    TPenNibListView v;
    v.SetSupportCommand({lvcSelect});
    v.Attach(&m);
    QImage shot = hosted(host, v, QSize(16 + 5 * 32 + 4, 70));
    v.setParent(nullptr);
    return shot;
}

QImage listBrushMethods()
{
    CPenMethodMngr m;
    m.makeDefault();
    QWidget host;
    TPenMethodListView v;
    v.SetSupportCommand({lvcSelect});
    v.Attach(&m, nullptr, nullptr);
    v.SetShowAll(true);
    v.SetSelectIndex(3);
    QImage shot = hosted(host, v, QSize(16 + 5 * 32 + 4, 102));
    v.setParent(nullptr);
    return shot;
}

QImage listPreviews()
{
    TPenNibPreview nib;
    TShapeImageParam p;
    initShapeImageParam(p);
    p.Radius = 12;
    p.Aspect = 0.6f;
    p.Rotation = 30;
    nib.SetShapeImageParam(p);
    nib.SetBounds(0, 0, 40, 40);
    TSwatchPreview swatch;
    swatch.SetColor(makeColor32(40, 120, 220, 255));
    swatch.SetBounds(0, 0, 40, 40);
    CGradMngr grads;
    fillShotGradients(grads);
    TGradientPreview grad;
    SGradAttr attr;
    initGradAttr(attr);
    grad.SetGradient(grads.getGrad(2), attr);
    grad.SetBounds(0, 0, 64, 40);
    CToneMngr tones;
    tones.makeDefault();
    TTonePreview tone;
    tone.SetTone(dynamic_cast<const CPat8 *>(tones.getPattern(0)));
    tone.SetBounds(0, 0, 40, 40);
    return grid({{copyOf(nib.Image()), copyOf(swatch.Image()), copyOf(grad.Image()),
                  copyOf(tone.Image())}});
}

// A picture of red, green and blue ramps over a dark background, half of it translucent.
void paintFilterShotPicture(TMTC &tc, int w, int h)
{
    tc.Resize(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const uint32_t r = uint32_t(x * 255 / std::max(w - 1, 1));
            const uint32_t g = uint32_t(y * 255 / std::max(h - 1, 1));
            const uint32_t b = uint32_t((x + y) % 64 * 3);
            const uint32_t a = x < w / 2 ? 255u : 128u;
            tc.seek32(x, y)->all = a << 24 | r << 16 | g << 8 | b;
        }
}

QImage filterHistograms()
{
    TMTC pic;
    paintFilterShotPicture(pic, 96, 64);
    CMaskData none(0);
    CHistogram h;
    h.SetParams(&pic, {0, 0}, &none, {0, 0, 96, 64});
    QList<QImage> row;
    for (eHistogramType t : {HISTOGRAM_RGB, HISTOGRAM_R, HISTOGRAM_Y}) {
        h.SetHistogramType(t);
        row << h.ViewTC().imageView().copy();
    }
    return grid({row}, 4);
}

QImage filterLevelsBars()
{
    QList<QList<QImage>> rows;
    TLevelsTrackbar in;
    in.SetBounds(0, 0, 264, 12);
    in.SetPosition(ltpMin, 0.1f);
    in.SetPosition(ltpMax, 0.8f);
    in.SetPosition(ltpMid, 0.3f);
    rows << QList<QImage>{copyOf(in.Image())};
    for (TLevelsChannel c : {lcRGB, lcRed, lcGreen, lcBlue}) {
        TLevelsTrackbar out;
        out.setTrackbarType(ltOutput);
        out.SetBounds(0, 0, 264, 12);
        out.setChannel(c);
        out.SetPosition(ltpMin, 0.2f);
        rows << QList<QImage>{copyOf(out.Image())};
    }
    return grid(rows, 4);
}

QImage filterPreviewFrame()
{
    TMTC pic;
    paintFilterShotPicture(pic, 400, 300);
    SPreviewSource src;
    src.canvas = &pic;
    src.layerSize = {400, 300};
    src.effectRect = {100, 100, 300, 200};
    TPreviewFrame frame;
    frame.AttachSource(src);
    // As the dialogs do after attaching: drawn at the centred position.
    frame.DrawViewTC();
    frame.show();
    QList<QImage> row;
    row << frame.grab().toImage();
    frame.Num1->setValue(frame.Num1->ValueMin());
    row << frame.grab().toImage();
    return grid({row}, 4);
}

// A filter dialog's layout as built, before it is attached to a filter.
template <class Dialog> QImage filterDialog()
{
    Dialog d;
    d.show();
    return d.grab().toImage();
}

QImage navigationNavigator()
{
    QWidget parent;
    auto *g = new TGrabberControl(&parent);
    g->SetRotation(30);
    g->SetScale(1);
    QImage surface(TGrabberControl::kWidth, TGrabberControl::kHeight, QImage::Format_ARGB32);
    surface.fill(QColor::fromRgba(clBtnFace32().bgra | 0xFF000000u));
    g->PaintTo(surface, 0, 0);
    return surface;
}

// A small picture with a transparent corner, for the loupe and the preview.
void fillShotCanvas(TMTC &tc, bool transparentCorner)
{
    for (int y = 0; y < tc.height(); ++y)
        for (int x = 0; x < tc.width(); ++x)
            tc.seek32(x, y)->all =
                transparentCorner && x < tc.width() / 3 && y < tc.height() / 3
                    ? 0x00336699u
                    : 0xFF000000u | uint32_t(x * 255 / tc.width()) << 16 |
                          uint32_t(y * 255 / tc.height()) << 8 | 0x60u;
}

QImage navigationLoupe()
{
    QWidget parent;
    TMTC canvas(48, 48);
    fillShotCanvas(canvas, true);
    QList<QImage> row;
    for (TLoupeBackground b : {lbNone, lbCanvas, lbTransparent}) {
        auto *l = new TLoupeControl(&parent);
        l->SetBounds(0, 0, 64, 64);
        l->SetMagnification(0.25f);
        l->SetBackground(b);
        l->DrawImages(canvas, 16, 16, float(std::numbers::pi / 12));
        row << l->Image().presentImage();
    }
    return grid({row});
}

QImage navigationPreview()
{
    QWidget parent, window;
    QList<QImage> row;
    for (float rot : {0.0f, float(std::numbers::pi / 6)}) {
        auto *p = new TPreviewControl(&parent);
        p->SetBounds(0, 0, 120, 100);
        p->SetWindow(&window);
        p->SetDisplaySize({800, 600});
        p->SetClientSize({300, 200});
        p->SetDisplayScale(1);
        p->OnDrawImage = [](QObject *, TMTC &img, int, int) { fillShotCanvas(img, false); };
        p->SetDisplayCenter({500, 250});
        p->SetDisplayRotation(rot);
        p->UpdatePreview({psModifyImage});
        row << p->Image().presentImage();
    }
    return grid({row});
}

QImage documentListsEvents()
{
    QWidget parent;
    parent.resize(180, 140);
    auto *v = new TEventListView(&parent);
    v->SetBounds(0, 0, 160, 140);
    v->SetCanAppend(true);
    for (int i = 0; i < 12; ++i)
        v->AppendItem(TEventCode::ecLayer_Draw_Stroke);
    v->AppendItem(TEventCode::ecImage_Transform_Rotate_90);
    v->AppendItem(TEventCode::ecMask_Create_New);
    v->AppendItem(TEventCode::ecMask_Create_New);
    v->AppendItem(TEventCode::ecLayer_Draw_Stroke);
    parent.show();
    return parent.grab(QRect(0, 0, 180, 140)).toImage();
}

// A document window for the layer list: a headless document, its gate open.
struct ShotDocumentWindow : IDocumentListWindow
{
    ShotDocumentWindow()
    {
        initialiseDocument();
        doc = TPaper::Create(&owner);
        if (doc) {
            owner.attach(*doc);
            setupHeadlessPaper(*doc, {64, 40}, 0xFFFFFF, 4);
        }
    }
    ~ShotDocumentWindow() override
    {
        owner.detach();
        doc.reset();
    }
    TPaper *paper() const override { return doc.get(); }
    TFlowImage *flowImage() const override { return nullptr; }
    bool canAcceptEditCmd(bool, bool, bool) override { return true; }
    void refreshAfterEvent(bool, bool, bool) override {}
    bool isKeyOnly() const override { return false; }
    void updateEventProcs(bool) override {}
    bool doLayerVisAll(bool) override { return false; }
    void doLayerInfoWin() override {}
    void DoMaskInfoWin() override {}

    CHeadlessPaperOwner owner;
    std::unique_ptr<TPaper> doc;
};

QImage documentListsLayers()
{
    ShotDocumentWindow window;
    if (!window.doc)
        return {};
    CLayerMngr &layers = window.doc->layerMngr();
    // A coloured shape on layer 1, a hidden layer 2, layer 3 in a group above 2 and clipped.
    if (CLayerData *l = layers.getLayer(1)) {
        l->trans = 128;
        l->title = QStringLiteral("Colour");
        l->maskProtected = true;
    }
    if (CLayerData *l = layers.getLayer(2))
        l->visible = false;
    if (CLayerData *l = layers.getLayer(3)) {
        l->setGroupLevel(1);
        l->ChangeUnderLyrClip(true);
    }
    layers.setCurIndex(1);
    QWidget parent;
    parent.resize(200, 160);
    auto *v = new TLayerListView(&parent);
    v->SetSupportCommand({lvcSelect, lvcMove, lvcDrag, lvcDrop});
    v->SetBounds(0, 0, 180, 160);
    v->Attach(&window);
    parent.show();
    const QImage out = parent.grab(QRect(0, 0, 200, 160)).toImage();
    v->Detach();
    return out;
}

// ---- dialogs

// Lets the dialogs' file lists fill in (they are read on another thread).
void settle(int ms)
{
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms)
        QApplication::processEvents(QEventLoop::AllEvents, 20);
}

// A folder for the file dialogs: a picture, a recorded event file and a sub-folder.
class DialogFolder
{
  public:
    DialogFolder()
    {
        QImage img(320, 200, QImage::Format_ARGB32);
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x)
                img.setPixelColor(x, y, QColor(x * 255 / 320, y * 255 / 200, 160));
        img.save(path("landscape.png"), "PNG");
        QDir(dir.path()).mkdir(QStringLiteral("sketches"));
        writeEvents();
    }
    QString path(const char *name) const { return dir.filePath(QString::fromUtf8(name)); }
    QString folder() const { return dir.path(); }

  private:
    // A painted document whose recording renames a layer.
    void writeEvents() const
    {
        CHeadlessPaperApp app;
        ShotDocumentWindow window;
        if (!window.doc)
            return;
        TPaper &paper = *window.doc; // 64 x 40, four layers
        if (!startPaintModeQZ5(paper))
            return;
        for (int y = 6; y < 34; ++y)
            for (int x = 8; x < 56; ++x)
                paper.getLayerData(1)->imageTC->setPixel(
                    x, y, 0xFF000000u | uint32_t(x * 3) << 16 | uint32_t(y * 4) << 8 | 0x60);
        UpdateVRAM(paper, false, true);
        const int32_t depth = eventUndoDepth(16);
        if (!paper.eventMngr().startRecording(appMainStroke(), appMainToneMngrFor(&paper), depth,
                                              depth))
            return;
        eventLayerName(paper, paper.getActiveFlow(), 1, QStringLiteral("Sky"), true);
        exportEventFile(path("replay.qe5"), paper, true, -1, -1, true);
    }
    QTemporaryDir dir;
};

// Runs a file dialog procedure and grabs its dialog once prepare has done its part.
QImage grabFileDialog(const std::function<void()> &run,
                      const std::function<void(QFileDialog &)> &prepare)
{
    QImage out;
    QTimer::singleShot(0, [&] {
        auto *d = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
        if (!d)
            return;
        settle(700);
        prepare(*d);
        settle(300);
        out = d->grab().toImage();
        d->reject();
    });
    run();
    return out;
}

// Selects a file of the list, which the preview follows.
void selectInList(QFileDialog &d, const QString &path)
{
    d.selectFile(path);
    if (auto *prev = dynamic_cast<CPrevOpenDialog *>(&d))
        prev->SelectionChange(path);
}

QImage dialogOpenImage()
{
    DialogFolder f;
    QString path, folder = f.folder();
    int index = 7;
    return grabFileDialog(
        [&] { execFileDialog(path, ofAllImagesR, QString(), &index, &folder); },
        [&](QFileDialog &d) { selectInList(d, f.path("landscape.png")); });
}

QImage dialogSaveImage()
{
    DialogFolder f;
    QString path, folder = f.folder();
    int index = 3; // JPEG: the name takes ".jpg"
    return grabFileDialog(
        [&] { execFileDialog(path, ofAllImagesW, QStringLiteral("sketch.qzi"), &index, &folder); },
        [&](QFileDialog &d) {
            // The preview of the file under the pointer; the typed name stays.
            if (auto *prev = dynamic_cast<CPrevOpenDialog *>(&d))
                prev->SelectionChange(f.path("landscape.png"));
        });
}

QImage dialogOpenEvents()
{
    DialogFolder f;
    QString path, folder = f.folder();
    bool stopped = false;
    int index = 6;
    return grabFileDialog(
        [&] { execOpenEventDialog(path, stopped, QStringLiteral("replay"), &index, &folder); },
        [&](QFileDialog &d) { selectInList(d, f.path("replay.qe5")); });
}

QImage dialogSaveEvents()
{
    DialogFolder f;
    QString path, folder = f.folder();
    return grabFileDialog(
        [&] { execSaveEventDialog(path, QStringLiteral("replay.qe4"), nullptr, &folder); },
        [](QFileDialog &) {});
}

QImage dialogEventReport()
{
    std::vector<std::unique_ptr<TMTC>> images;
    TEventReportParam p;
    p.Reason = rrEnd;
    p.FileName = QStringLiteral("replay.qe5");
    p.Continue = true;
    p.Time = 3723042;
    p.Step = 1234;
    const sSize sizes[] = {{97, 64}, {64, 97}, {80, 80}, {97, 97}, {40, 30}, {96, 54}, {120, 120}};
    for (size_t i = 0; i < std::size(sizes); ++i) {
        auto img = std::make_unique<TMTC>(sizes[i].x, sizes[i].y);
        for (int y = 0; y < sizes[i].y; ++y)
            for (int x = 0; x < sizes[i].x; ++x)
                img->seek32(x, y)->all = 0xFF000000u | uint32_t(x * 2 + int(i) * 30) % 256 << 16 |
                                         uint32_t(y * 2) % 256 << 8 | uint32_t(i * 35);
        p.Image[i] = img.get();
        images.push_back(std::move(img));
    }
    TFormEventReport form;
    form.setReport(p);
    form.show();
    settle(100);
    return form.grab().toImage();
}

// A first pane of 200 x 19 with three tabs, the middle one active.
QImage dockTabStrip()
{
    TDockViewManager pane;
    std::vector<std::unique_ptr<TCustomDockView>> views;
    for (const char *caption : {"ツール", "カラー", "レイヤー"}) {
        views.push_back(std::make_unique<TCustomDockView>());
        views.back()->setCaption(QString::fromUtf8(caption));
        pane.AddTab(views.back().get());
    }
    pane.setActiveIndex(1);
    QImage out = copyOf(pane.Image());
    for (auto &v : views)
        pane.RemoveTab(v.get());
    return out;
}

// A palette window with two panes, the lower one collapsed.
QImage dockPaletteWindow()
{
    QWidget mainWindow;
    mainWindow.setGeometry(400, 100, 300, 200);
    TDockFloatManager manager(&mainWindow);
    TDockFloatForm *form = manager.AddForm();
    form->setWindowTitle(QStringLiteral("Palettes"));
    form->move(20, 20);
    const char *captions[] = {"ナビゲーター", "ルーペ", "レイヤー"};
    for (int i = 0; i < 3; ++i) {
        auto *v = new TCustomDockView;
        v->setCaption(QString::fromUtf8(captions[i]));
        v->OnPaint = [v](QObject *) {
            QPainter p(v);
            p.fillRect(v->rect().adjusted(2, 0, -2, -2), Qt::white);
            p.drawText(v->rect(), Qt::AlignCenter, v->Caption());
        };
        form->DockView(i == 2 ? 1 : 0, v);
    }
    form->Pane(1)->setCollapsed(true);
    form->ShowMM();
    settle(50);
    return form->grab().toImage();
}

// ---- toolform (kavrin-widgetshots.cpp)

// A tool window out of the replay display, showing detail; its window or its option view.
struct ShotToolForm
{
    explicit ShotToolForm(TToolDetail detail)
    {
        if (!gAppProfile)
            initialiseAppProfile();
        mainWindow.setGeometry(400, 100, 300, 200);
        form = std::make_unique<TToolForm>(mainWindow, palettes);
        headlessMainForm().setToolForm(form.get(), form->Stroke());
        form->SetPlayMode(false);
        form->changeToolDetail(detail);
        form->UpdateOptionView(true);
    }
    ~ShotToolForm() { headlessMainForm().setToolForm(nullptr, nullptr); }
    QImage optionView()
    {
        form->FOptionView->show();
        settle(50);
        return form->FOptionView->grab().toImage();
    }
    QWidget mainWindow;
    TDockFloatManager palettes{&mainWindow};
    std::unique_ptr<TToolForm> form;
};

QImage toolFormWindow()
{
    ShotToolForm s(TToolDetail::tdPencil5);
    s.form->move(20, 20);
    s.form->show();
    settle(50);
    // The client area: 56 x 330.
    return s.form->Client()->grab().toImage();
}

QImage toolFormOption(TToolDetail detail)
{
    ShotToolForm s(detail);
    return s.optionView();
}

QImage toolFormOptionTransform()
{
    ShotToolForm s(TToolDetail::tdSelectRectangle);
    s.form->FOptionView->show();
    auto w = TDrawWindow::Create();
    if (w && setupHeadlessPaper(*w->paper, {200, 100}, 0xFFFFFF, 1))
    {
        TPaper &p = *w->paper;
        auto md = std::make_unique<CMaskData>(0, 200, 100);
        for (int32_t y = 20; y < 80; ++y)
            for (int32_t x = 50; x < 150; ++x)
                md->maskTC->setPixel(x, y, 255);
        p.maskMngr().deleteAll();
        p.maskMngr().insertAt(0, md);
        p.maskMngr().setCurIndex(0);
        p.bEnbMask = true;
        s.form->SetWindow(w.get());
        w->transformSelect();
    }
    QImage img = s.optionView();
    if (w)
    {
        w->transformEnd(false);
        s.form->SetWindow(nullptr);
    }
    return img;
}
// ---- end of toolform

// ---- presets


QImage presetsDialog(TFormValue &dlg)
{
    dlg.show();
    settle(30);
    return dlg.grab().toImage();
}

QImage presetsValue()
{
    TFormValue dlg;
    return presetsDialog(dlg);
}

QImage presetsSplit()
{
    TFormSplit dlg;
    return presetsDialog(dlg);
}

QImage presetsSelExt()
{
    TFormSelExt dlg;
    return presetsDialog(dlg);
}

QImage presetsNibFrame()
{
    TFramePenNibEditor frame;
    frame.show();
    settle(30);
    return frame.grab(QRect(0, 0, 352, 384)).toImage();
}

// The brush editor over the default sets, handed over as the tool window does.
QImage presetsBrushEditor(TBrushEditorType type)
{
    CPenMethodMngr methods;
    methods.makeDefault();
    methods.setCurIndex(11); // the version-5 watercolour: every effect in use
    CPenShapeMngr nibs;
    nibs.makeDefault();
    nibs.setCurIndex(2);
    methods.setModified(false);
    nibs.setModified(false);
    TPaintParam current(TPaintMode::pmPencil5);
    CHeadlessToolForm &tool = headlessMainForm().tool;
    tool.penMethods = &methods;
    tool.penNibs = &nibs;
    tool.paintParam = &current;
    QImage out;
    {
        TFormBrushEditor e;
        e.SetEditorType(type);
        e.show();
        settle(50);
        out = e.grab(QRect(0, 0, 608, 448)).toImage();
    }
    tool.penMethods = nullptr;
    tool.penNibs = nullptr;
    tool.paintParam = nullptr;
    return out;
}

QImage presetsBrushEditorBrush()
{
    return presetsBrushEditor(TBrushEditorType::beEditPenMtd);
}

QImage presetsBrushEditorNib()
{
    return presetsBrushEditor(TBrushEditorType::beEditPenNib);
}

QImage presetsPopup(TPresetPopupForm *popup)
{
    std::unique_ptr<TPresetPopupForm> f(popup);
    if (!f)
        return {};
    f->show();
    f->ListView()->DrawItems();
    settle(50);
    return f->grab().toImage();
}

QImage presetsBrushPopup()
{
    CPenMethodMngr m;
    m.makeDefault();
    TPenMethodListView view;
    view.Attach(&m, nullptr, nullptr);
    return presetsPopup(createPenMethodPopup(view, &m));
}

QImage presetsGradientPopup()
{
    CGradMngr m;
    fillShotGradients(m);
    TGradientListView view;
    view.Attach(&m);
    return presetsPopup(createGradientPopup(view, &m));
}

QImage presetsTonePopup()
{
    CToneMngr m;
    m.makeDefault();
    TToneListView view;
    view.Attach(&m);
    return presetsPopup(createTonePopup(view, &m));
}

// An editor over a set the headless tool window lends it, grabbed whole.
template <class TForm, class TSet>
QImage presetsEditor(TSet *&slot, TSet &set)
{
    TSet *old = std::exchange(slot, &set);
    QImage shot;
    {
        TForm f;
        f.show();
        f.ListView()->DrawItems();
        settle(50);
        shot = f.grab().toImage();
    }
    slot = old;
    return shot;
}

QImage presetsToneEditor()
{
    CToneMngr m;
    m.makeDefault();
    SToneAttr a;
    a.pattern = tptRound;
    a.dpi = 320;
    a.line = 40;
    a.percent = 30;
    a.degree = 45;
    a.band = 10;
    a.name = QStringLiteral("tone 8px 45° 30, 10%");
    m.appendTone(a, true, nullptr);
    m.setCurPat(2);
    return presetsEditor<TFormToneEditor>(headlessMainForm().tool.tones, m);
}

QImage presetsGradientEditor()
{
    CGradMngr m;
    fillShotGradients(m);
    m.setCurGrad(5);
    CHeadlessToolForm &tool = headlessMainForm().tool;
    const TColorPickerValue fore = tool.foreground, back = tool.background;
    tool.foreground.rgb = {0.8f, 0.1f, 0.1f};
    tool.background.rgb = {1, 1, 0.9f};
    QImage shot = presetsEditor<TFormGradEditor>(tool.gradients, m);
    tool.foreground = fore;
    tool.background = back;
    return shot;
}

// ---- text (windows/text/font_window.cpp)
// The text window over a small document, its face Noto Sans CJK JP and two lines of Japanese.
QImage textFontWindow()
{
    if (!gAppProfile)
        initialiseAppProfile();
    initialiseDocument();
    initialiseWindows();
    std::unique_ptr<TDrawWindow> dw = TDrawWindow::Create();
    if (!dw || !setupHeadlessPaper(*dw->paper, {320, 200}, 0xFFFFFF, 1))
        return {};
    CAppProfile &p = *gAppProfile;
    p.fontFace = QStringLiteral("Noto Sans CJK JP");
    p.fontPoint = 24;
    p.fontCharset = 128;
    p.fontUseFont = true;
    p.fontPreview = false;
    p.fontText = QString::fromUtf8("吾輩は猫である。\n名前はまだ無い。");
    std::unique_ptr<TFontWindow> fw = TFontWindow::create(dw.get());
    if (!fw)
        return {};
    fw->show();
    QImage shot = fw->grab().toImage();
    fw->done(kavrin::mrCancel);
    return shot;
}
// ---- end of text

// ---- printing (printing.cpp)
// A small document in a headless window: a gradient with a disc and stripes over it.
std::unique_ptr<TDrawWindow> printShotWindow()
{
    if (!gAppProfile)
        initialiseAppProfile();
    initialiseDocument();
    initialiseWindows();
    auto w = TDrawWindow::Create();
    if (!w || !setupHeadlessPaper(*w->paper, {64, 40}, 0xFFFFFF, 1))
        return nullptr;
    CLayerData &ld = *w->paper->getLayerData(0);
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 64; ++x) {
            uint32_t c = 0xFF000000u | uint32_t(x * 4) << 16 | uint32_t(y * 6) << 8 | 0x60u;
            const int dx = x - 32, dy = y - 20;
            if (dx * dx + dy * dy < 150)
                c = 0xFFF0F0F0u;
            if ((x / 4) % 4 == 0 && y > 28)
                c = 0xFF2040E0u;
            ld.imageTC->setPixel(x, y, c);
        }
    ld.imageTC->setupTraceRect();
    UpdateVRAM(*w->paper, true, true);
    return w;
}

// The print dialog's preview box as it will look: a page inside a 248 x 248 box, the block of
// copies drawn by the window's preview painter (quality 4 and 1), framed.
QImage printingPreview()
{
    auto w = printShotWindow();
    if (!w)
        return {};
    QList<QImage> row;
    for (int quality : {4, 1}) {
        for (sSize repeat : {sSize{1, 1}, sSize{2, 3}}) {
            TMemoryGraphic box(248, 248, makeColor32(200, 200, 200, 255));
            // An A4 portrait page fitted into the box less 8 pixels.
            const sRect pageRect{4 + (240 - 170) / 2, 4, 4 + (240 - 170) / 2 + 170, 244};
            box.FillRectangle(pageRect, clBlack32, blendCopy, blendCopy);
            const sRect inner{pageRect.x0 + 1, pageRect.y0 + 1, pageRect.x1 - 1, pageRect.y1 - 1};
            box.FillRectangle(inner, makeColor32(255, 255, 255, 255), blendCopy, blendCopy);
            // The copies keep the canvas's aspect (64 x 40) inside a 10 px margin.
            const int cw = (inner.x1 - inner.x0 - 20) / repeat.x;
            const int ch = cw * 40 / 64;
            const sRect work{inner.x0 + 10, inner.y0 + 10, inner.x0 + 10 + cw * repeat.x,
                             inner.y0 + 10 + ch * repeat.y};
            w->DrawPrintFormPreview(nullptr, box, work, repeat, quality);
            box.DrawRectangle({work.x0 - 1, work.y0 - 1, work.x1 + 1, work.y1 + 1}, 1,
                              makeColor32(0, 0, 255, 255), blendCopy, blendCopy);
            row << copyOf(box);
        }
    }
    return grid({row});
}

// A printed page (A6 at 50 dpi, so it stays small): 3 x 2 copies fitted and centred, drawn the
// way a print job draws them.
QImage printingPage()
{
    auto w = printShotWindow();
    if (!w)
        return {};
    w->FPrintValue = TPrintValue{3, 2, true, true, 0, 0, 1};
    TPrinterInfo info;
    info.DPI = QSize(50, 50);
    info.Physical = QSize(206, 291);
    info.Printable = QRect(8, 8, 190, 275);
    QImage page(info.Physical, QImage::Format_RGB32);
    page.fill(Qt::white);
    QPainter p(&page);
    w->printTo(p, info);
    p.setPen(QColor(255, 0, 0));
    p.drawRect(info.Printable.adjusted(0, 0, -1, -1));
    p.end();
    return page;
}
// ---- end of printing

} // namespace

// ---- document-dialogs (image_size_dialog.cpp, resolution_dialog.cpp, jpeg_option_dialog.cpp)
namespace {

// A 640 x 480 canvas at 72 dpi widened to 150 %, its height in centimetres, anchored top-left.
QImage documentImageSize()
{
    TFormImageSize form;
    form.setup(640, 480, 72);
    form.CmbHeight->setCurrentIndex(2);
    form.model().NumWidth.setValue(150);
    form.FPosition->setPosition(ispLeftTop);
    form.show();
    return form.grab().toImage();
}

// A 1000 x 500 image, its width in inches, at 144 dpi.
QImage documentResolution()
{
    TFormResolution form;
    form.setup(1000, 500, 72);
    form.CmbWidth->setCurrentIndex(1);
    form.model().NumResolution.setValue(144);
    form.show();
    return form.grab().toImage();
}

// A 400 x 300 layer scaled to 75 %.
QImage documentScale()
{
    TFormResolution form;
    form.setup(400, 300, 72);
    form.setScalingMode();
    form.model().NumWidth.setValue(75);
    form.show();
    return form.grab().toImage();
}

// The program's default settings with quality 80 typed.
QImage documentJpegOptions()
{
    CAppProfile profile;
    profile.jpegQType = 1;
    profile.jpegQuality = 90;
    profile.jpegQVHigh = 100;
    profile.jpegQHigh = 90;
    profile.jpegQStd = 75;
    profile.jpegQLow = 50;
    profile.jpegUseProgressive = true;
    TFormJpegOption form(profile);
    form.model().NumQ.setValue(80);
    form.model().NumS.setValue(25);
    form.show();
    return form.grab().toImage();
}

} // namespace
// ---- end of document-dialogs
// ---- document dialogs (layer_dialogs.cpp, new_document_dialog.cpp)
QImage documentDialogShot(QDialog &dlg)
{
    dlg.show();
    settle(30);
    return dlg.grab().toImage();
}

// A4 in the vertical orientation, typed name, transparent background.
QImage documentDialogNew()
{
    TFormNew dlg;
    dlg.EdtFileName->setText(QString::fromUtf8("名称未設定 1"));
    dlg.CmbType->setCurrentIndex(documentSizeItemOfType(14));
    dlg.RadVertical->setChecked(true);
    dlg.RadTransparent->setChecked(true);
    return documentDialogShot(dlg);
}

// The screen mode picked: the black item marked as its neutral colour.
QImage documentDialogNewLayer()
{
    initialiseDocument(); // the blend-mode names
    TFormNewLayer dlg;
    dlg.EdtLayerName->setText(QString::fromUtf8("レイヤ 2"));
    dlg.CmbDrawMode->setCurrentIndex(int(layerModeToBlendMode(TLayerMode::LM_SCR)));
    dlg.NumOpaque->setValue(75);
    return documentDialogShot(dlg);
}

QImage documentDialogRotation()
{
    TFormRotation dlg;
    dlg.NumValue->setValue(30);
    return documentDialogShot(dlg);
}

// A 300 x 200 layer (a red band over a half-transparent blue one) under a 240 x 240 canvas at
// (40, -20): the canvas frame reaches past the thumbnail's foot; dithering on.
QImage documentDialogLayerProperties()
{
    initialiseDocument();
    CBlockVMTC image(300, 200);
    image.fillImage(sBox{0, 0, 300, 80}, 0xD03020);
    image.setAlpha(sBox{0, 0, 300, 80}, 255);
    image.fillImage(sBox{60, 80, 180, 100}, 0x2040E0);
    image.setAlpha(sBox{60, 80, 180, 100}, 128);
    TLayerOptionValue v;
    v.X = 40;
    v.Y = -20;
    v.Name = QString::fromUtf8("レイヤ 1");
    v.LayerMode = TLayerMode::LM_MUL;
    v.Opaque = 200;
    v.Dither = true;
    v.DitherDensity = 128;
    TFormLayerOption dlg;
    dlg.setUpLayer(v, image, sSize{240, 240});
    return documentDialogShot(dlg);
}

// A mask without an image: position fields disabled, the grey box of a 4:3 canvas.
QImage documentDialogMaskProperties()
{
    TMaskOptionValue v;
    v.Name = QString::fromUtf8("選択範囲 1");
    TFormLayerOption dlg;
    dlg.setUpMask(v, nullptr, sSize{400, 300});
    return documentDialogShot(dlg);
}
// ---- end of document dialogs

std::vector<Shot> allShots()
{
    return {
        {"navigation", "navigator", navigationNavigator},
        {"navigation", "loupe", navigationLoupe},
        {"navigation", "preview", navigationPreview},
        {"dialogs", "open-image", dialogOpenImage},
        {"dialogs", "save-image", dialogSaveImage},
        {"dialogs", "open-events", dialogOpenEvents},
        {"dialogs", "save-events", dialogSaveEvents},
        {"dialogs", "event-report", dialogEventReport},
        {"documentlists", "event-list", documentListsEvents},
        {"documentlists", "layer-list", documentListsLayers},
        {"lists", "grid-7-items", listGrid7},
        {"lists", "gradient-rows", listGradientRows},
        {"lists", "drop-strips", listDropStrip},
        {"lists", "swatches", listSwatches},
        {"lists", "tones", listTones},
        {"lists", "nibs", listNibs},
        {"lists", "brush-methods", listBrushMethods},
        {"lists", "previews", listPreviews},
        {"controls", "item-pickers", controlItemPickers},
        {"controls", "airmap-popup", controlAirMapPopup},
        {"controls", "airmap-pickers", controlAirMapPickers},
        {"controls", "drop-downs", controlDropDowns},
        {"controls", "pressure-gamma", controlPressureGamma},
        {"controls", "nib-shape-editor", controlAspectRotation},
        {"controls", "gradient-edit", controlGradientEdit},
        {"graphics", "glyph-strip", glyphStrip},
        {"graphics", "appearance-images", appearanceImages},
        {"graphics", "shapes", shapes},
        {"graphics", "colour-fields", colourFields},
        {"graphics", "brush-shapes", brushShapes},
        {"graphics", "glyph-labels", glyphLabels},
        {"forms", "dialog-base", dialogBase},
        {"shortcuts", "setup", [] { return shortcutSetup(false); }},
        {"shortcuts", "setup-duplicate", [] { return shortcutSetup(true); }},
        {"forms", "dialog-ok-only", dialogOkOnly},
        {"forms", "progress-dialog", progressDialog},
        {"forms", "progress-bars", progressBars},
        {"fields", "popup-field", popupField},
        {"fields", "popup-field-states", popupFieldStates},
        {"fields", "trackbar-vertical", trackbarVertical},
        {"fields", "trackbars", trackbars},
        {"fields", "tab-strip", tabStrip},
        {"fields", "label-fields", labelFields},
        {"colour", "square-bar-hsv", squareBarHSV},
        {"colour", "square-bar-spaces", squareBarSpaces},
        {"colour", "ring-pickers", ringPickers},
        {"colour", "slider-pickers", sliderPickers},
        {"colour", "cells", colourCells},
        {"colour", "picker-dialog", pickerDialog},
        {"colour", "picker-dialog-ring", pickerDialogRing},
        {"filters", "histograms", filterHistograms},
        {"filters", "levels-bars", filterLevelsBars},
        {"filters", "preview-frame", filterPreviewFrame},
        {"filters", "dialog-levels", filterDialog<TFormLevels4>},
        {"filters", "dialog-threshold", filterDialog<TFormThreshold4>},
        {"filters", "dialog-hue-saturation", filterDialog<TFormHueSaturation4>},
        {"filters", "dialog-custom", filterDialog<TFormCustom4>},
        {"filters", "dialog-diffuse", filterDialog<TFormDifuse4>},
        {"filters", "dialog-colour-halftone", filterDialog<TFormColorHalftone4>},
        {"dock", "tab-strip", dockTabStrip},
        {"dock", "palette-window", dockPaletteWindow},
        {"presets", "value", presetsValue},
        {"presets", "split", presetsSplit},
        {"presets", "sel-ext", presetsSelExt},
        {"presets", "nib-frame", presetsNibFrame},
        {"presets", "brush-popup", presetsBrushPopup},
        {"presets", "gradient-popup", presetsGradientPopup},
        {"presets", "tone-popup", presetsTonePopup},
        {"presets", "brush-editor", presetsBrushEditorBrush},
        {"presets", "nib-editor", presetsBrushEditorNib},
        {"presets", "tone-editor", presetsToneEditor},
        {"presets", "gradient-editor", presetsGradientEditor},
        // ---- printing (printing.cpp)
        // ---- text (windows/text/font_window.cpp)
        {"text", "font-window", textFontWindow},
        // ---- end of text
        {"printing", "preview", printingPreview},
        {"printing", "page", printingPage},
        // ---- end of printing
        // ---- document-dialogs (image_size_, resolution_, jpeg_option_dialog.cpp)
        {"document-dialogs", "image-size", documentImageSize},
        {"document-dialogs", "resolution", documentResolution},
        {"document-dialogs", "scale", documentScale},
        {"document-dialogs", "jpeg-options", documentJpegOptions},
        // ---- end of document-dialogs
        // ---- document dialogs (layer_dialogs.cpp, new_document_dialog.cpp)
        {"document-dialogs", "new-document", documentDialogNew},
        {"document-dialogs", "new-layer", documentDialogNewLayer},
        {"document-dialogs", "rotation", documentDialogRotation},
        {"document-dialogs", "layer-properties", documentDialogLayerProperties},
        {"document-dialogs", "mask-properties", documentDialogMaskProperties},
        // ---- end of document dialogs
        // ---- toolform (kavrin-widgetshots.cpp)
        {"toolform", "tool-window", toolFormWindow},
        {"toolform", "option-pencil5", [] { return toolFormOption(TToolDetail::tdPencil5); }},
        {"toolform", "option-gradient", [] { return toolFormOption(TToolDetail::tdGradient); }},
        {"toolform", "option-seedfill", [] { return toolFormOption(TToolDetail::tdSeedFill); }},
        {"toolform", "option-transform", toolFormOptionTransform},
        // ---- end of toolform
    };
}

const char kUsage[] = "usage: kavrin-widgetshots [--system] OUTDIR [FAMILY...]\n"
                      "       kavrin-widgetshots --list\n"
                      "  writes OUTDIR/<family>/<name>.png (every family when none is named);\n"
                      "  --list names the shots, --system takes the system's colours\n"
                      "exit 0 done, 1 a shot cannot be written, 2 bad arguments\n";

int usage()
{
    return tool::usageError(kUsage, 2);
}


int main(int argc, char **argv)
{
    tool::startTool("kavrin-widgetshots");
    QStringList args = tool::toolArguments(argc, argv);
    if (tool::asksForHelp(args))
        return tool::printHelp(kUsage);
    const bool list = args.removeAll("--list") > 0;
    const bool system = args.removeAll("--system") > 0;
    // An option it does not know is no folder to write into.
    for (const QString &a : args)
        if (a.startsWith(u'-')) {
            tool::fail(QStringLiteral("unknown option %1").arg(a));
            return usage();
        }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    int qtArgc = 1;
    QApplication app(qtArgc, argv);
    installQtTranslations();
    const std::vector<Shot> shots = allShots();
    if (list) {
        for (const Shot &s : shots)
            std::printf("%s/%s\n", qPrintable(s.family), qPrintable(s.name));
        return 0;
    }
    if (args.isEmpty())
        return usage();
    const QString outDir = args.takeFirst();
    for (const QString &family : args)
        if (std::none_of(shots.begin(), shots.end(),
                         [&](const Shot &s) { return s.family == family; })) {
            tool::fail(QStringLiteral("no family \"%1\"").arg(family));
            return 2;
        }
    if (!QDir().mkpath(outDir) || !QFileInfo(outDir).isDir()) {
        tool::fail(outDir, QStringLiteral("the folder cannot be made"));
        return 1;
    }
    if (!system)
        installSysColorTable(fixedSysColorTable());
    initialiseUserInterface();
    initialiseMethodIcons(); // the brush lists show each method's built-in icon
    int failed = 0;
    for (const Shot &s : shots) {
        if (!args.isEmpty() && !args.contains(s.family))
            continue;
        const QString dir = outDir + u'/' + s.family;
        const QString path = dir + u'/' + s.name + QStringLiteral(".png");
        if (!QDir().mkpath(dir)) {
            tool::fail(dir, QStringLiteral("the folder cannot be made"));
            ++failed;
            continue;
        }
        if (!tool::writePicture(s.make(), path)) {
            ++failed;
            continue;
        }
        std::printf("%s\n", qPrintable(path));
    }
    finaliseMethodIcons();
    finaliseUserInterface();
    return failed ? 1 : 0;
}
