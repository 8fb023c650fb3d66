// The gradient editor: the tool window's gradient set in a list on the left, and on the right the
// general settings (name, shape, back and forth, own attribute, repeat), the stop editor and two
// groups for the selected stop and for the right stop of a joined pair. Every edit goes into the
// set's working gradient at once; apply copies the working gradient into the set.
#pragma once

#include "ui/colour/colour_model.h"
#include "windows/presets/editor_models.h"
#include "windows/presets/preset_editor_base.h"

class CGradMngr;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPainter;
class QPushButton;
class QRadioButton;
class TDropDownMenu;
class TGradientEdit;
class TGradientListView;
class TGradientPreview;
class TGraphicTrackbar;
class TNumEdit;
class TNumMngr;
class TPickerColorCell;

enum TGradEditorType
{
    geCreateGrad,
    geEditGrad
};

class TFormGradEditor : public TFormPresetEditor
{
  public:
    explicit TFormGradEditor(QWidget *owner = nullptr);
    ~TFormGradEditor() override;

    void LoadListSettings() override;
    void SaveListSettings() override;
    TqZListView *ListView() const override;
    QString Path() const override;
    void UpdatePathLabel() override;

    void ListViewChange();
    void GradEditChange();
    void ValueChange(QObject *Sender);
    void ButtonOKClick() override;
    void BtnSplitMouseDown();
    void MenuSetLoadClick(QAction *entry);
    void MenuSetSaveClick();

    TGradientEdit *gradEdit() const { return FGradEdit; }
    TGradientListView *gradList() const { return FGradList; }
    TGradientPreview *gradPreview() const { return FGradPreview; }
    TPickerColorCell *colorCellL() const { return FColorCellL; }
    TPickerColorCell *colorCellR() const { return FColorCellR; }
    TGraphicTrackbar *trackLOpaque() const { return FTrkLOpaque; }
    TGraphicTrackbar *trackROpaque() const { return FTrkROpaque; }

    QGroupBox *GrpGeneral = nullptr, *GroupBox3 = nullptr, *GrpRColor = nullptr;
    QLabel *StaticName = nullptr;
    QLineEdit *EdtName = nullptr;
    QComboBox *CmbType = nullptr;
    QCheckBox *ChkAround = nullptr, *ChkUnique = nullptr, *ChkInfinity = nullptr;
    TNumEdit *EdtRepeat = nullptr;
    TNumMngr *NumRepeat = nullptr;
    QPushButton *BtnFlip = nullptr, *BtnSplit = nullptr;
    QLabel *StaticPosition = nullptr, *LblPositionUnit = nullptr;
    TNumEdit *EdtPosition = nullptr;
    TNumMngr *NumPosition = nullptr;
    QPushButton *BtnCenter = nullptr;
    QRadioButton *RadLFixed = nullptr, *RadLFore = nullptr, *RadLBack = nullptr;
    TPaintBox *BoxLColor = nullptr, *BoxFore1 = nullptr, *BoxBack1 = nullptr;
    QLabel *StaticLOpaque = nullptr, *LblLOpaqueUnit = nullptr;
    TNumEdit *EdtLOpaque = nullptr;
    TNumMngr *NumLOpaque = nullptr;
    QPushButton *BtnUnionL = nullptr, *BtnUnionR = nullptr;
    TDropDownMenu *DropPosition = nullptr;
    QRadioButton *RadRFixed = nullptr, *RadRFore = nullptr, *RadRBack = nullptr;
    TPaintBox *BoxRColor = nullptr, *BoxFore2 = nullptr, *BoxBack2 = nullptr;
    QLabel *StaticROpaque = nullptr, *LblROpaqueUnit = nullptr;
    TNumEdit *EdtROpaque = nullptr;
    TNumMngr *NumROpaque = nullptr;
    QPushButton *BtnDisunion = nullptr;
    TDropDownMenu *DropColor = nullptr;

    // The actions and their menus.
    QAction *ActSplitN[9] = {}; // 2 .. 10
    QAction *ActSplit = nullptr;
    QAction *ActUnionL = nullptr, *ActUnionR = nullptr, *ActDisunion = nullptr;
    QAction *ActCopyL1 = nullptr, *ActCopyR1 = nullptr, *ActCopyL2 = nullptr, *ActCopyR2 = nullptr;
    QAction *ActExchangeL1 = nullptr, *ActExchangeR1 = nullptr, *ActExchangeL2 = nullptr,
            *ActExchangeR2 = nullptr;
    QMenu *PopSplit = nullptr, *PopPosition = nullptr, *PopColor = nullptr;

  protected:
    void resizeEvent(QResizeEvent *ev) override;

  private:
    void buildGeneral();
    void buildStopGroups();
    void buildActions();
    TNumMngr *number(float lo, float hi, float value);
    void ShowAttr(const SGradAttr &a);
    // The actions' states from the stop editor.
    void ActListUpdate();
    void ActSplitExecute(int count);
    void ActSplitCustomExecute();
    void ActColorExecute(TGradColorMove move, bool exchange);
    void ActDisunionExecute();
    void BoxColorPaint(TPaintBox &box, QPainter &p);
    void SetStopType(TGradientEditPosType type, int index, bool right);

    bool FValueUpdate = false;
    bool FDestroying = false;
    TGradEditorType FEditorType = geEditGrad;
    TGradientEdit *FGradEdit = nullptr;
    TPickerColorCell *FColorCellL = nullptr, *FColorCellR = nullptr;
    TGraphicTrackbar *FTrkLOpaque = nullptr, *FTrkROpaque = nullptr;
    CGradMngr *FGradMngr = nullptr;
    TGradientListView *FGradList = nullptr;
    TGradientPreview *FGradPreview = nullptr;
    TColorPickerValue FForeground{}, FBackground{};
};

// Edits the tool window's gradient set; true when closed with the close button (result 1).
// False, without a dialog, when the tool window has no gradient set.
bool showGradientEditor();
// Duplicates the view's selected gradient to the end of its list, then edits the set; answers
// whether the duplicate was made, whatever the dialog's result.
bool duplicateAndEditGradient(TGradientListView &AView);
