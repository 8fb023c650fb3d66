// The one-number dialogs: TFormValue asks for a value through a field and a track bar bound to
// one value model; the dialogs derived from it (segment count, selection radius, and others
// elsewhere) change only captions, format and range. They do so in a set-up hook that runs
// before the track bar is made, so the track bar is built once, on the final box and range.
#pragma once

#include "ui/forms/base_forms.h"

#include <cstdint>
#include <functional>

class QLabel;
class TFlowImage;
class TGraphicTrackbar;
class TNumEdit;
class TNumMngr;
class TPaintBox;
class TPaper;

class TFormValue : public TDialogBaseForm
{
  public:
    explicit TFormValue(QWidget *owner = nullptr);

    TNumMngr *NumValue = nullptr;
    QLabel *StaticValue = nullptr;
    TNumEdit *EdtValue = nullptr;
    TPaintBox *BoxValue = nullptr;
    QLabel *StaticValueUnit = nullptr;
    TGraphicTrackbar *TrackValue = nullptr;

    // The rounded value a caller takes on OK.
    int roundedValue() const;

  protected:
    // Runs after the caption, field, labels and model are made and before the track bar is:
    // where a derived dialog sets its captions, format, range and box.
    using TSetup = std::function<void(TFormValue &)>;
    TFormValue(QWidget *owner, const TSetup &setup);

  private:
    void NumValueChange();
    void TrackValueChange();

    bool m_syncing = false; // one side is being written from the other
};

// The number of segments of a split: 2 .. 16.
class TFormSplit : public TFormValue
{
  public:
    explicit TFormSplit(QWidget *owner = nullptr);
};

// The selection radius in pixels: 1 .. 32.
class TFormSelExt : public TFormValue
{
  public:
    explicit TFormSelExt(QWidget *owner = nullptr);
};

// Asks for a segment count of at most AMax (and at most 16). On OK writes it and answers true;
// otherwise ACount is left alone. With AMax below 2 no split is possible: false, no dialog.
bool askSplitCount(int &ACount, int AMax);

// Ask for the radius of a grow or shrink, starting from n; on OK n becomes the rounded value.
bool askSelectionGrow(int &n);
bool askSelectionShrink(int &n);

// The menu commands: the window's edit gate, the question, then the mask of the document is
// grown (shrunk) with recording and undo. maskIndex < 0 means the current mask. Errors go to
// the document's handlers. The flow image plays no part; it is taken as the other commands do.
bool expandSelectionCmd(TPaper &paper, TFlowImage *flow, int32_t index, int32_t maskIndex);
bool shrinkSelectionCmd(TPaper &paper, TFlowImage *flow, int32_t index, int32_t maskIndex);
