// The base of every filter dialog. TFormFilter is a modal OK/Cancel dialog bound to the filter
// core of the running command: its "Preview" tick shows the filter live in the document window,
// and a 700 ms timer delays that preview while the user drags a control (a control whose change
// answers 2 previews once the user pauses; one that answers 1 previews at once). Dialogs that
// also show the result inside themselves derive from TFormFilterPreview, which adds a
// TPreviewFilter: the preview frame running the filter over the part it shows.
//
// Dialogs are shown through an installable modal runner (the main window installs its own; the
// default runs the dialog's event loop); tests install one that drives the dialog.
#pragma once

#include "filters/core/filter_core.h"
#include "platform/desktop/messages.h"
#include "ui/forms/base_forms.h"
#include "ui/preview/preview_frame.h"

#include <QString>

#include <cstdint>
#include <cstring>
#include <functional>
#include <memory>
#include <span>
#include <vector>

class QAbstractButton;
class QCheckBox;
class QLabel;
class QPushButton;
class QTimer;
class TGraphicTrackbar;
class TNumEdit;
class TNumMngr;

// Shows a dialog modally and answers its modal result (kavrin::mrOk, kavrin::mrCancel).
using FilterModalRunner = std::function<int(QDialog &dialog)>;
// Installs the runner (empty: the default) and answers the previous one.
FilterModalRunner installFilterModalRunner(FilterModalRunner runner);
int runFilterModal(QDialog &dialog);

// What a dialog needs of the core's window: the widget to own it (nullptr without a window) and
// its smooth-zoom setting.
QWidget *filterDialogOwner(const CFlt4Core &core);
bool filterSmoothZoom(const CFlt4Core &core);
// The alpha protection of the core's layer, as records carry it.
bool filterLayerProtected(const CFlt4Core &core);

// The preview frame over a filter core: the shown part of the layer, filtered.
class TPreviewFilter : public TPreviewFrame
{
  public:
    explicit TPreviewFilter(QWidget *parent = nullptr);
    ~TPreviewFilter() override;

    // False unless the core passes CheckParams and the frame could attach to its layer; argp
    // (the dialog's record, argSize its size constant) is what the filter runs with.
    bool Attach(CFlt4Core &core, const void *argp, int32_t argSize);

    CFlt4Core *FltMngr = nullptr;
    const void *ArgPtr = nullptr;
    int32_t ArgSize = 0;

  protected:
    bool LoadSource() override;
};

// A value model with its edit box, its caption, its unit label (when it has a unit) and (for
// most values) its trackbar.
struct SNumField
{
    TNumMngr *num = nullptr;
    TNumEdit *edit = nullptr;
    TGraphicTrackbar *track = nullptr;
    QLabel *caption = nullptr;
    QLabel *unit = nullptr;

    // The widgets it shows, to enable together.
    std::vector<QWidget *> widgets() const;
};

// How a value field is made.
struct SNumFieldSpec
{
    QString caption;
    float min = 0, max = 100;
    float step = 1;
    QString format = QStringLiteral("%1.0f");
    int maxLength = 0;
    bool track = true;
    QString unit;
    // A wrap range (wrapMin < wrapMax) keeps typed values inside it.
    float wrapMin = 0, wrapMax = 0;
    // A centre value bends the trackbar: its middle is the centre.
    bool useCenter = false;
    float center = 0;
};

// A dialog's own text, written in the source as UTF-8.
inline QString u8(const char *s)
{
    return QString::fromUtf8(s);
}

// A field spec from its caption, range and unit (UTF-8); the rest keeps the defaults.
SNumFieldSpec fieldSpec(const char *caption, float min, float max, const char *unit = "");

class TFormFilter : public TDialogBaseForm
{
  public:
    explicit TFormFilter(QWidget *owner = nullptr);
    ~TFormFilter() override;

    QCheckBox *CheckBoxPreview = nullptr;
    QTimer *TimerUpdate = nullptr;
    CFlt4Core *FltMngr = nullptr; // the command's core; not owned
    bool PrePreview = false;
    bool UpdateNow = false;
    uint32_t LastTime = 0;

    bool Attached() const { return FltMngr != nullptr; }

    // ---- what each dialog implements
    virtual void *CurParam() = 0;
    virtual const void *GetPreParam() const = 0;
    virtual int32_t GetParamSize() const = 0;
    virtual void SetPreParam(const void *rec) = 0;
    virtual void ReadCurParam() = 0;
    virtual void SetupControls() = 0;
    // 0 nothing to do, 1 preview now, 2 preview when the timer has run out.
    virtual uint8_t ControlChanged(QObject *Sender) = 0;
    // The Preview tick differs from PrePreview (dialogs add their records).
    virtual bool IsChanged();

    // Binds the core (when it passes CheckParams) and fills the controls from the remembered
    // values with UpdateNow set.
    virtual bool Attach(CFlt4Core &core);
    virtual bool CanUpdateAll(bool Force);
    bool UpdatePreview();
    void RevertPreview();
    bool PreviewChecked() const;
    // Sets the tick as a user would, PrePreview following; outside UpdateNow a change of the
    // tick previews or reverts.
    void setPreviewChecked(bool on);

    // The shared change handler of every control.
    void ValueChange(QObject *Sender);
    void TimerUpdateTimer();
    void CheckBoxPreviewClick();

  protected:
    // FormShow: every caption fitted to its text, then the first preview.
    void showEvent(QShowEvent *ev) override;
    void ButtonOKClick() override;

    // ---- building the controls
    // A value field with its caption at (left, top); the trackbar (if any) below it. The model
    // and the trackbar report to ValueChange; the pair moves together in pairedChange.
    SNumField addNumField(QWidget *parent, int left, int top, const SNumFieldSpec &spec);
    QCheckBox *addCheckBox(QWidget *parent, int left, int top, const QString &caption);
    QPushButton *addButton(QWidget *parent, int left, int top, const QString &caption);
    // The usual pairing: a model moves its trackbar, a trackbar its model (answer 2).
    bool pairedChange(QObject *Sender, uint8_t &answer);
    // A model and its trackbar take value.
    void setField(const SNumField &f, float value);
    // Every trackbar follows its model.
    void tracksFollow();
    // The client height that holds every control placed so far (at least minHeight).
    void fitClientHeight(int minHeight);

  private:
    // A check box or button placed in its parent, reporting its clicks to ValueChange.
    void placeClickable(QAbstractButton *button, int left, int top, int width);

    std::vector<SNumField> FFields;
    int FBottom = 0;
};

class TFormFilterPreview : public TFormFilter
{
  public:
    explicit TFormFilterPreview(QWidget *owner = nullptr);

    TPreviewFilter *Preview = nullptr;

    bool Attach(CFlt4Core &core) override;
    bool CanUpdateAll(bool Force) override;

  protected:
    // Where a dialog's own controls start (below the preview frame), and the height of a value
    // field's row with its trackbar.
    static constexpr int kControlsLeft = 16;
    static constexpr int kControlsTop = 246;
    static constexpr int kControlsRow = 44;
};

// The dialog part of every module: typed current and previewed records.
template <class Base, class Rec, int32_t Size> class TFilterRecordForm : public Base
{
  public:
    using Base::Base;
    void *CurParam() override { return &FCurParam; }
    const void *GetPreParam() const override { return &FPreParam; }
    int32_t GetParamSize() const override { return Size; }
    void SetPreParam(const void *rec) override { FPreParam = *static_cast<const Rec *>(rec); }
    bool IsChanged() override
    {
        return Base::IsChanged() || std::memcmp(&FCurParam, &FPreParam, sizeof(Rec)) != 0;
    }
    const Rec &curParam() const { return FCurParam; }

  protected:
    Rec FCurParam{};
    Rec FPreParam{};
};

// The dialog part of a module whose record carries one block of Data (InitData clears it): the
// current and previewed records point their block at the dialog's own copies.
template <class Base, class Data, auto InitData> class TFilterBlockForm : public Base
{
  public:
    explicit TFilterBlockForm(QWidget *owner = nullptr) : Base(owner)
    {
        InitData(FCurData);
        InitData(FPreData);
        initFltObjComplex(FCurParam, 1, sizeof(Data));
        initFltObjComplex(FPreParam, 1, sizeof(Data));
        FCurParam.data = std::span(reinterpret_cast<const uint8_t *>(&FCurData), sizeof(Data));
        FPreParam.data = std::span(reinterpret_cast<const uint8_t *>(&FPreData), sizeof(Data));
    }
    void *CurParam() override { return &FCurParam; }
    const void *GetPreParam() const override { return &FPreParam; }
    int32_t GetParamSize() const override { return kFltObjComplexSize; }

    const sFltObjComplex &curParam() const { return FCurParam; }
    const Data &curData() const { return FCurData; }

  protected:
    // The block rec carries becomes the previewed data; a short block is left out.
    void setPreData(const sFltObjComplex &rec)
    {
        if (rec.data.size() >= sizeof(Data))
            std::memcpy(&FPreData, rec.data.data(), sizeof(Data));
    }

    sFltObjComplex FCurParam{};
    sFltObjComplex FPreParam{};
    Data FCurData{};
    Data FPreData{};
};

// execDialog of every module: the dialog made over the core's window, attached (refused: no
// dialog, false), shown modally, the preview reverted whatever the answer (the window redrawn
// unless OK), then on OK take(dialog) copies its values out. The dialog is freed on every path.
template <class Dialog, class Take> bool runFilterDialogWith(CFlt4Core &core, Take take)
{
    auto dialog = std::make_unique<Dialog>(filterDialogOwner(core));
    if (!dialog->Attach(core))
        return false;
    int result = kavrin::mrCancel;
    try {
        result = runFilterModal(*dialog);
    } catch (...) {
        // The layer goes back to its backup before the command reports the failure.
        core.Revert(true);
        throw;
    }
    core.Revert(result != kavrin::mrOk);
    if (result != kavrin::mrOk)
        return false;
    take(*dialog);
    return true;
}

// The usual case: the dialog's current record is the result.
template <class Dialog, class Rec> bool runFilterDialog(CFlt4Core &core, Rec &out)
{
    return runFilterDialogWith<Dialog>(core, [&out](Dialog &dialog) { out = dialog.curParam(); });
}
