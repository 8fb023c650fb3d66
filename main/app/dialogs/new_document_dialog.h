// The new document dialog ("新規作成"): file name, size type, orientation, width and height in
// their units, resolution and background. Its state and arithmetic are CNewDocumentModel's; the
// form binds the fields to it and shows it again after every change. The five user sizes go back
// into the profile when the form is destroyed, after OK and Cancel alike.
#pragma once

#include "app/dialogs/new_document_dialog_model.h"
#include "ui/forms/base_forms.h"

#include <QLineEdit>

class QButtonGroup;
class QComboBox;
class QGroupBox;
class QLabel;
class QRadioButton;
class TNumEdit;

// The file-name field: a character a file name may not hold is refused when typed, and removed
// from pasted or dropped text.
class CFileNameEdit : public QLineEdit
{
  public:
    explicit CFileNameEdit(QWidget *parent = nullptr);

  protected:
    void keyPressEvent(QKeyEvent *event) override;

  private:
    void removeRefused();
};

class TFormNew : public TDialogBaseForm
{
  public:
    explicit TFormNew(QWidget *owner = nullptr);
    ~TFormNew() override;

    CNewDocumentModel &model() { return FModel; }

    QLabel *StaticFileName = nullptr;
    CFileNameEdit *EdtFileName = nullptr;
    QLabel *StaticType = nullptr;
    QComboBox *CmbType = nullptr;
    QRadioButton *RadHorizontal = nullptr;
    QRadioButton *RadVertical = nullptr;
    QGroupBox *GrpImage = nullptr;
    QLabel *StaticWidth = nullptr;
    TNumEdit *EdtWidth = nullptr;
    QComboBox *CmbWidth = nullptr;
    QLabel *StaticHeight = nullptr;
    TNumEdit *EdtHeight = nullptr;
    QComboBox *CmbHeight = nullptr;
    QLabel *StaticResolution = nullptr;
    TNumEdit *EdtResolution = nullptr;
    QLabel *StaticResolutionUnit = nullptr;
    QGroupBox *GrpBackground = nullptr;
    QRadioButton *RadWhite = nullptr;
    QRadioButton *RadTransparent = nullptr;

    static constexpr int kClientWidth = 384;
    static constexpr int kClientHeight = 276;

  private:
    void createTypeList();
    void createSizeBox();
    void createBackgroundBox();
    // The model's state into the controls, none of which reports the change back.
    void showModel();

    CNewDocumentModel FModel;
    QButtonGroup *FOrientation = nullptr;
    QButtonGroup *FBackground = nullptr;
};

// The right-hand text of a size type in the list: "297 × 210 mm" for A4, a user size's own
// numbers for types 1..5, nothing for the custom type.
QString documentSizeText(int type, const CNewDocumentModel::TUserSizes &user);

bool showNewDocumentDialog(TNewDocumentValue &value);
