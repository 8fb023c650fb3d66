// The colour picker dialog "カラーピッカー": a large picker of a selectable kind, a cell with the
// new colour above the starting one, number fields for HSV, HSL and RGB and a hexadecimal field.
// ColorChange is the one handler of every change and keeps them all in step.
#pragma once

#include "ui/colour/colour_cells.h"
#include "ui/colour/colour_pickers.h"
#include "ui/fields/edit_boxes.h"
#include "ui/forms/base_forms.h"

#include <array>

class QCheckBox;
class QComboBox;
class QLabel;
class QRadioButton;

// The hexadecimal field: typed characters pass only when they are hexadecimal digits (or
// Backspace); shortcuts and editing keys are not typed characters and pass too.
class THexEdit : public TCustomEditEx
{
  public:
    explicit THexEdit(QWidget *parent = nullptr);

  protected:
    void keyPressEvent(QKeyEvent *ev) override;
};

class TColorPickerForm : public TDialogBaseForm
{
  public:
    explicit TColorPickerForm(QWidget *owner = nullptr);
    ~TColorPickerForm() override;

    // Puts the colour into the cell (as starting and chosen colour) and the picker.
    void Start(const TColorPickerValue &Value);
    // The chosen colour: the cell's.
    TColorPickerValue Result() const { return FColorCell->SelectColor(); }

    TCustomColorPicker *ColorPicker() const { return FColorPicker; }
    TPickerColorCell *ColorCell() const { return FColorCell; }

    void ColorChange(QObject *Sender);
    void ComboBoxKChange();
    // A radio button chose a space.
    void SpaceClick(TColorPickerSpace Space);
    void CheckBoxCClick();
    // The cell was pressed: its starting colour part restores that colour.
    void InitialColorMouseDown(QObject *Sender, Qt::MouseButton Button, Qt::KeyboardModifiers Shift,
                               int X, int Y);
    // The keystroke filter of the hexadecimal field: Key becomes 0 unless it may be typed.
    static void EditSharpKeyPress(QChar &Key);

    QLabel *LabelK;
    QComboBox *ComboBoxK;
    // H, S, V, U, A, L, R, G, B in this order.
    std::array<QRadioButton *, 9> RadioButtons{};
    std::array<QLabel *, 9> Labels{};
    std::array<TNumEdit *, 9> Edits{};
    std::array<TNumMngr *, 9> Nums{};
    QCheckBox *CheckBoxC;
    QLabel *LabelSharp;
    THexEdit *EditSharp;

    enum NumIndex
    {
        iH,
        iS,
        iV,
        iU,
        iA,
        iL,
        iR,
        iG,
        iB,
    };

  private:
    void NumbersFromColor(const TColorPickerValue &Value);
    void NumbersAfterManagerChange(int group);
    void ShowHexFromModels();
    void FollowPicker();
    int numIndex(QObject *Sender) const;

    TCustomColorPicker *FColorPicker = nullptr;
    TPickerColorCell *FColorCell = nullptr;
    std::array<TColorPickerSpace, 3> FColorSpaces{cpHSV, cpLHS, cpHSL};
    bool FColorUpdate = false;
};
