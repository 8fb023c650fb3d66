// Every open and save dialog of the program, run for one of the dialog kinds of
// document/files/file_types.h: Qt's own (non-native) file dialog, with the preview panel at its
// right for the image and event kinds. Save dialogs keep the file name's extension in step with
// the chosen file type (TSaveProc); open dialogs accept only an existing file.
#pragma once

#include "document/files/file_types.h"
#include "ui/dialogs/file_preview.h"

#include <QFileDialog>
#include <QString>

#include <memory>

class QCheckBox;

// An open dialog with the preview panel. The preview follows the current file of the dialog;
// closing the dialog stores the preview check box in the profile (useFilePreview).
class CPrevOpenDialog : public QFileDialog
{
  public:
    explicit CPrevOpenDialog(QWidget *owner = nullptr);
    ~CPrevOpenDialog() override;

    // The selection changed to path: reads the preview and shows it.
    void SelectionChange(const QString &path);

    TOpenFrame *prevFrame;
    CFilePreview preview;

  protected:
    void done(int result) override;

  private:
    void CheckBoxPreviewClick();
};

// The same with the platform's save dialog.
class CPrevSaveDialog : public CPrevOpenDialog
{
  public:
    explicit CPrevSaveDialog(QWidget *owner = nullptr);
};

// Keeps a dialog's file name in step with its chosen file type. For a save kind a type change
// gives the name part of the present file name the new filter's extension; open kinds ignore
// type changes.
class TSaveProc
{
  public:
    // AOriginal: the file name given to the dialog, without its extension.
    TSaveProc(const QString &AOriginal, TOpenFilterType AFilter, QFileDialog *ADialog);

    // name with the extension of filter filterIndex (1-based) in place of its own; name
    // unchanged when that filter has none.
    QString applyFilterExt(const QString &name, int filterIndex) const;
    // The dialog's file type changed.
    void TypeChange();

  private:
    QString FOriginal;
    bool FSave;
    QFileDialog *FDialog;
    TOpenFilterType FFilter;
};

// A new dialog of the kind's class: open or save, with or without preview; null for no kind.
std::unique_ptr<QFileDialog> createFileDialog(TOpenFilterType kind, QWidget *owner = nullptr);

// The dialog's chosen filter, 1-based (0 when none).
int fileDialogFilterIndex(const QFileDialog &dialog);

// Runs the dialog of a kind starting at defaultName, with the filter filterIndex (1-based) and
// the folder when given. True when the user chose a file (for an open kind, one that exists):
// path, filterIndex and folder then receive the choice; otherwise nothing changes. False for no
// kind.
bool execFileDialog(QString &path, TOpenFilterType kind, const QString &defaultName,
                    int *filterIndex = nullptr, QString *folder = nullptr);
// The event-file open dialog with preview and the box "停止状態で開く(&A)" (open the replay
// stopped), whose state goes to stopped.
bool execOpenEventDialog(QString &path, bool &stopped, const QString &defaultName,
                         int *filterIndex = nullptr, QString *folder = nullptr);
// The event-file save dialog with preview, for exporting events.
bool execSaveEventDialog(QString &path, const QString &defaultName, int *filterIndex = nullptr,
                         QString *folder = nullptr);

// Gives the file dialogs to the lower libraries that ask for them (the brush and nib sets).
void installFileDialogs();
