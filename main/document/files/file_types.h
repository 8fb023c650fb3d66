// The file types of the program: the 21 kinds of open and save dialog with their constant table
// (default extension, accepted extensions, filter text, dialog class), the extension that follows
// a save dialog's chosen filter, and the recognition of a file's type by its extension. Pure
// functions over constant data; the dialogs themselves are in ui/dialogs/file_dialogs.h.
#pragma once

#include <QString>
#include <QStringList>

#include <cstdint>
#include <vector>

// The dialog kinds, in stored order. 9 to 17 and 19 save, the others open. A value above 20 is
// no kind: every function below refuses it.
enum TOpenFilterType : uint8_t
{
    ofAllImagesR = 0,
    ofGeneralImagesR = 1,
    ofEventsR = 2,
    ofPenMethodsR = 3,
    ofPenShapesR = 4,
    ofColorPalettesR = 5,
    ofGradientsR = 6,
    ofScreenTonesR = 7,
    ofShortCutR = 8,
    ofAllImagesW = 9,
    ofGeneralImagesW = 10,
    ofEventsW = 11,
    ofPenMethodsW = 12,
    ofPenShapesW = 13,
    ofColorPalettesW = 14,
    ofGradientsW = 15,
    ofScreenTonesW = 16,
    ofShortCutW = 17,
    ofDefaultPaletteR = 18,
    ofLayerImagesW = 19,
    ofCursorR = 20,
};
inline constexpr int kOpenFilterTypeCount = 21;

// What kind of dialog a kind runs.
enum class TFileDialogClass : uint8_t
{
    None, // not a kind
    Open,
    Save,
    OpenPreview,
    SavePreview,
};

// A file's type by its extension.
enum frmtType : uint8_t
{
    frmtUnknown,
    frmtWPB,
    frmtWPE,
    frmtQZI,
    frmtQES,
    frmtQE3,
    frmtQE4,
    frmtQE5,
    frmtBMP,
    frmtJPEG,
    frmtPNG,
    frmtPSD,
    frmtPMT,
    frmtPSH,
    frmtQPL,
    frmtQGS,
    frmtQTS,
};

// One entry of a filter: its description and its patterns joined by ";" ("*.JPG;*.JPEG").
struct SFileFilterEntry
{
    QString description;
    QString patterns;
};

bool isValidFilterType(TOpenFilterType kind);
// A save kind (9 to 17, 19).
bool isSaveFilterType(TOpenFilterType kind);
TFileDialogClass fileDialogClassOf(TOpenFilterType kind);

// True when ext (with its dot, any case) is one the kind accepts; false for no kind.
bool isFileOfType(const QString &ext, TOpenFilterType kind);
// The kind's default extension without its dot; false and empty for no kind.
bool getDefaultExt(TOpenFilterType kind, QString &ext);
// The filter text: every entry's description and patterns, all joined by "|"; the product's
// name is gAppTitle. False and empty for no kind.
bool buildFileFilter(TOpenFilterType kind, QString &filter);
// The entries of the filter text, in order; empty for no kind.
std::vector<SFileFilterEntry> fileFilterEntries(TOpenFilterType kind);
// The same entries as name filters of Qt's file dialog, "description (pattern pattern ...)".
// A pattern "*.*" becomes "*": every file, as it means where the table comes from.
QStringList fileDialogNameFilters(TOpenFilterType kind);

// The extension (with its dot) a save dialog gives the file name when filter filterIndex
// (1-based) of the kind is chosen; empty when that filter has none.
QString filterExtension(TOpenFilterType kind, int filterIndex);

// The type of the file by the extension of its name (from the last ".", any case).
frmtType fileTypeOfPath(const QString &path);
