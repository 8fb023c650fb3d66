// The screentone editor: the tool window's tone set in a list on the left, and on the right the
// general settings (name, scale, offset, invert), the settings of a generated screentone and the
// picture of an image pattern. The dialog keeps a working tone rebuilt from the controls on every
// change; apply puts a copy of it in place of the selected item.
#pragma once

#include "core/image/canvas.h"
#include "windows/presets/editor_models.h"
#include "windows/presets/preset_editor_base.h"

#include <memory>
#include <vector>

class CPat8;
class CToneMngr;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPainter;
class QPushButton;
class TChannel;
class TGraphicTrackbar;
class TNumEdit;
class TNumMngr;
class TTonePreview;
class TToneListView;

enum TToneEditorType
{
    teCreateTone,
    teEditTone
};

class TFormToneEditor : public TFormPresetEditor
{
  public:
    explicit TFormToneEditor(QWidget *owner = nullptr);
    ~TFormToneEditor() override;

    void LoadListSettings() override;
    void SaveListSettings() override;
    TqZListView *ListView() const override;
    QString Path() const override;
    void UpdatePathLabel() override;

    void ListViewChange();
    void ValueChange(QObject *Sender);
    void ButtonOKClick() override;
    // The picture's grey values, inverted, become an image pattern named name; nothing for none.
    void SetPatternImage(const TMTC *picture, const QString &name);
    // Reads a picture file into an image pattern; an unreadable file warns with its path and
    // changes nothing. What the load button does after its dialog.
    bool LoadPatternFile(const QString &path);
    void BtnShapeLoadClick();
    void BtnShapeCreateClick();
    void BtnShapeRemoveClick();
    void MenuSetLoadClick(QAction *entry);
    void MenuSetSaveClick();

    // The working tone (a screentone or an image pattern), the image pattern's tile and what the
    // bitmap box shows.
    const CPat8 *workingTone() const { return FToneObj.get(); }
    const TChannel *patternTile() const { return FToneCh.get(); }
    const TMTC &workImage() const { return FWorkTC; }
    bool isPat8Tone() const { return FIsPat8Tone; }
    TToneListView *toneList() const { return FToneList; }
    TTonePreview *tonePreview() const { return FTonePreview; }

    QGroupBox *GrpGeneral = nullptr, *GrpPattern = nullptr, *GrpBitmap = nullptr;
    QLineEdit *EdtName = nullptr;
    TNumEdit *EdtScale = nullptr, *EdtLeft = nullptr, *EdtTop = nullptr;
    TNumMngr *NumScale = nullptr, *NumLeft = nullptr, *NumTop = nullptr;
    QCheckBox *ChkInvert = nullptr;
    QLabel *StaticType = nullptr;
    QComboBox *CmbType = nullptr;
    TNumEdit *EdtLineWidth = nullptr, *EdtDegree = nullptr, *EdtDensity = nullptr,
             *EdtBlur = nullptr;
    TNumMngr *NumLineWidth = nullptr, *NumDegree = nullptr, *NumDensity = nullptr,
             *NumBlur = nullptr;
    QCheckBox *ChkAutoName = nullptr;
    TPaintBox *BoxShape = nullptr;
    QPushButton *BtnShapeLoad = nullptr, *BtnShapeCreate = nullptr, *BtnShapeRemove = nullptr;
    TGraphicTrackbar *FTrkLineWidth = nullptr, *FTrkDensity = nullptr, *FTrkDegree = nullptr,
                     *FTrkBlur = nullptr;

  protected:
    void resizeEvent(QResizeEvent *ev) override;

  private:
    void buildGeneralGroup();
    void buildPatternGroup();
    void buildBitmapGroup();
    TNumMngr *number(float lo, float hi, float value);
    void UpdatePatternControls();
    void clearWork();
    void rebuildWorkingTone();
    SToneControls controls() const;
    void BoxShapePaint(QPainter &p);

    bool FValueUpdate = false;
    bool FApplying = false;
    bool FDestroying = false;
    TToneEditorType FEditorType = teEditTone;
    CToneMngr *FToneMngr = nullptr;
    std::unique_ptr<CPat8> FToneObj;
    std::unique_ptr<TChannel> FToneCh;
    TToneListView *FToneList = nullptr;
    TTonePreview *FTonePreview = nullptr;
    bool FIsPat8Tone = true;
    TMTC FWorkTC;
    std::vector<QWidget *> FPatternControls; // enabled for a generated tone only
};

// Edits the tool window's tone set; true when closed with the close button (result 1). False,
// without a dialog, when the tool window has no tone set.
bool showToneEditor();
// Duplicates the view's selected tone to the end of its list, then edits the set; answers whether
// the duplicate was made, whatever the dialog's result.
bool duplicateAndEditTone(TToneListView &AView);
