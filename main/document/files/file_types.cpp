#include "document/files/file_types.h"

#include "platform/system/environment.h"

#include <array>
#include <initializer_list>

namespace {

struct SKindRow
{
    const char *defaultExt;
    TFileDialogClass dialog;
    std::array<const char *, 11> accepted; // unused places are null
};

constexpr auto kOpenPreview = TFileDialogClass::OpenPreview;
constexpr auto kSavePreview = TFileDialogClass::SavePreview;
constexpr auto kOpen = TFileDialogClass::Open;
constexpr auto kSave = TFileDialogClass::Save;

#define KAVRIN_ALL_IMAGE_EXTS                                                                      \
    ".qzi", ".wpb", ".bmp", ".jpg", ".jpeg", ".jpe", ".jif", ".jfif", ".jfi", ".png", ".psd"
#define KAVRIN_GENERAL_IMAGE_EXTS                                                                  \
    ".bmp", ".jpg", ".jpeg", ".jpe", ".jif", ".jfif", ".jfi", ".png", ".psd"
#define KAVRIN_PALETTE_EXTS ".qpl", ".aco", ".pcs", ".txt"

// Version-5 event files are ".qe5": the event kinds default to it, the open kind accepts it (and
// its replay twin ".rve"), and the save kind gives nothing else.
const std::array<SKindRow, kOpenFilterTypeCount> kKinds = {{
    {".qzi", kOpenPreview, {KAVRIN_ALL_IMAGE_EXTS}},                                          // 0
    {".bmp", kOpenPreview, {KAVRIN_GENERAL_IMAGE_EXTS}},                                      // 1
    {".qe5", kOpenPreview, {".wpe", ".qes", ".qe3", ".rv3", ".qe4", ".rv4", ".qe5", ".rve"}}, // 2
    {".pmt", kOpen, {".pmt"}},                                                                // 3
    {".psh", kOpen, {".psh"}},                                                                // 4
    {".qpl", kOpen, {KAVRIN_PALETTE_EXTS}},                                                   // 5
    {".qgs", kOpen, {".qgs"}},                                                                // 6
    {".qts", kOpen, {".qts"}},                                                                // 7
    {".qsl", kOpen, {".qsl"}},                                                                // 8
    {".qzi", kSavePreview, {KAVRIN_ALL_IMAGE_EXTS}},                                          // 9
    {".bmp", kSavePreview, {KAVRIN_GENERAL_IMAGE_EXTS}},                                      // 10
    {".qe5", kSavePreview, {".qe5", ".rve"}},                                                 // 11
    {".pmt", kSave, {".pmt"}},                                                                // 12
    {".psh", kSave, {".psh"}},                                                                // 13
    {".qpl", kSave, {KAVRIN_PALETTE_EXTS}},                                                   // 14
    {".qgs", kSave, {".qgs"}},                                                                // 15
    {".qts", kSave, {".qts"}},                                                                // 16
    {".qsl", kSave, {".qsl"}},                                                                // 17
    {".qpl", kOpen, {".qpl"}},                                                                // 18
    {".bmp", kSavePreview, {".bmp", ".png"}},                                                 // 19
    {".cur", kOpen, {".cur", ".ani"}},                                                        // 20
}};

#undef KAVRIN_ALL_IMAGE_EXTS
#undef KAVRIN_GENERAL_IMAGE_EXTS
#undef KAVRIN_PALETTE_EXTS

const SKindRow *rowOf(TOpenFilterType kind)
{
    return isValidFilterType(kind) ? &kKinds[kind] : nullptr;
}

// ---- filter entries

QString u8(const char *s)
{
    return QString::fromUtf8(s);
}

SFileFilterEntry nativeEntry()
{
    return {QStringLiteral("%1 (*.qzi)").arg(gAppTitle), QStringLiteral("*.qzi")};
}

// "P name (*ext)|*ext": the program's own set files.
SFileFilterEntry setEntry(const char *name, const char *ext)
{
    return {QStringLiteral("%1 %2 (*%3)").arg(gAppTitle, u8(name), u8(ext)),
            QStringLiteral("*") + u8(ext)};
}

// "Pv イベント (*a/*b)|*a;*b".
SFileFilterEntry eventEntry(const char *version, const char *ext1, const char *ext2)
{
    return {QStringLiteral("%1%2 %3 (*%4/*%5)")
                .arg(gAppTitle, u8(version), u8("イベント"), u8(ext1), u8(ext2)),
            QStringLiteral("*%1;*%2").arg(u8(ext1), u8(ext2))};
}

const SFileFilterEntry kWpb = {QStringLiteral("Kavrin1.1 (*.wpb)"), QStringLiteral("*.WPB")};
const SFileFilterEntry kBmp = {QStringLiteral("BMP (*.bmp)"), QStringLiteral("*.BMP")};
const SFileFilterEntry kJpeg = {QStringLiteral("JPEG (*.jpg;*.jpeg;*.jpe;*.jif;*.jfif;*.jfi)"),
                                QStringLiteral("*.JPG;*.JPEG;*.JPE;*.JIF;*.JFIF;*.JFI")};
const SFileFilterEntry kPng = {QStringLiteral("PNG (*.png)"), QStringLiteral("*.PNG")};
const SFileFilterEntry kPsd = {QStringLiteral("Photoshop (*.psd)"), QStringLiteral("*.PSD")};

std::vector<SFileFilterEntry> allImagesEntries()
{
    return {nativeEntry(),
            kWpb,
            kBmp,
            kJpeg,
            kPng,
            kPsd,
            {u8("すべての画像"),
             QStringLiteral("*.qzi;*.wpb;*.bmp;*.jpg;*.jpeg;*.jpe;*.jif;*.jfif;*.jfi;*.png;*.psd")},
            {u8("すべてのファイル"), QStringLiteral("*.*")}};
}

std::vector<SFileFilterEntry> eventEntries()
{
    return {eventEntry("5", ".qe5", ".rve"),
            eventEntry("4", ".qe4", ".rv4"),
            eventEntry("3", ".qe3", ".rv3"),
            {gAppTitle + u8("2.2 イベント (*.qes)"), QStringLiteral("*.qes")},
            {u8("Kavrin1.1 イベント (*.wpe)"), QStringLiteral("*.wpe")},
            {u8("すべてのイベント"),
             QStringLiteral("*.wpe;*.qes;*.qe3;*.rv3;*.qe4;*.qe5;*.rv4;*.rve")}};
}

std::vector<SFileFilterEntry> paletteEntries(bool withAll)
{
    std::vector<SFileFilterEntry> e = {
        setEntry("パレット", ".qpl"),
        {u8("Adobe 色見本 (*.aco)"), QStringLiteral("*.aco")},
        {u8("Painter カラーセット (*.pcs/*.txt)"), QStringLiteral("*.pcs;*.txt")}};
    if (withAll)
        e.push_back({u8("すべてのパレット"), QStringLiteral("*.qpl;*.aco;*.pcs;*.txt")});
    return e;
}

} // namespace

bool isValidFilterType(TOpenFilterType kind)
{
    return int(kind) < kOpenFilterTypeCount;
}

bool isSaveFilterType(TOpenFilterType kind)
{
    return (kind >= ofAllImagesW && kind <= ofShortCutW) || kind == ofLayerImagesW;
}

TFileDialogClass fileDialogClassOf(TOpenFilterType kind)
{
    const SKindRow *row = rowOf(kind);
    return row ? row->dialog : TFileDialogClass::None;
}

bool isFileOfType(const QString &ext, TOpenFilterType kind)
{
    const SKindRow *row = rowOf(kind);
    if (!row)
        return false;
    const QString lower = ext.toLower();
    for (const char *a : row->accepted)
        if (a && lower == QLatin1String(a))
            return true;
    return false;
}

bool getDefaultExt(TOpenFilterType kind, QString &ext)
{
    const SKindRow *row = rowOf(kind);
    ext = row ? QString::fromLatin1(row->defaultExt + 1) : QString();
    return row != nullptr;
}

std::vector<SFileFilterEntry> fileFilterEntries(TOpenFilterType kind)
{
    switch (kind) {
    case ofAllImagesR:
        return allImagesEntries();
    case ofGeneralImagesR:
    case ofGeneralImagesW:
        return {kBmp, kJpeg, kPng};
    case ofEventsR:
        return eventEntries();
    case ofPenMethodsR:
    case ofPenMethodsW:
        return {setEntry("ブラシ集", ".pmt")};
    case ofPenShapesR:
    case ofPenShapesW:
        return {setEntry("ペン先集", ".psh")};
    case ofColorPalettesR:
        return paletteEntries(true);
    case ofColorPalettesW:
        return paletteEntries(false);
    case ofGradientsR:
    case ofGradientsW:
        return {setEntry("グラデーション集", ".qgs")};
    case ofScreenTonesR:
    case ofScreenTonesW:
        return {setEntry("トーン集", ".qts")};
    case ofShortCutR:
    case ofShortCutW:
        return {setEntry("ショートカット集", ".qsl")};
    case ofAllImagesW:
        return {nativeEntry(), kBmp, kJpeg, kPng, kPsd};
    case ofEventsW:
        return {eventEntry("5", ".qe5", ".rve")};
    case ofDefaultPaletteR:
        return {setEntry("パレット", ".qpl")};
    case ofLayerImagesW:
        return {kBmp, kPng};
    case ofCursorR:
        return {{u8("カーソル (*.cur)"), QStringLiteral("*.CUR")}};
    }
    return {};
}

bool buildFileFilter(TOpenFilterType kind, QString &filter)
{
    QStringList parts;
    for (const SFileFilterEntry &e : fileFilterEntries(kind))
        parts << e.description << e.patterns;
    filter = parts.join(QLatin1Char('|'));
    return isValidFilterType(kind);
}

QStringList fileDialogNameFilters(TOpenFilterType kind)
{
    QStringList filters;
    for (const SFileFilterEntry &e : fileFilterEntries(kind)) {
        QStringList patterns = e.patterns.split(QLatin1Char(';'), Qt::SkipEmptyParts);
        for (QString &p : patterns)
            if (p == QLatin1String("*.*"))
                p = QStringLiteral("*");
        filters << QStringLiteral("%1 (%2)").arg(e.description, patterns.join(QLatin1Char(' ')));
    }
    return filters;
}

QString filterExtension(TOpenFilterType kind, int filterIndex)
{
    auto pick = [filterIndex](std::initializer_list<const char *> exts) {
        return filterIndex >= 1 && filterIndex <= int(exts.size())
                   ? QString::fromLatin1(exts.begin()[filterIndex - 1])
                   : QString();
    };
    switch (kind) {
    case ofAllImagesR:
        return pick({".qzi", ".wpb", ".bmp", ".jpg", ".png", ".psd"});
    case ofAllImagesW:
        return pick({".qzi", ".bmp", ".jpg", ".png", ".psd"});
    case ofGeneralImagesR:
    case ofGeneralImagesW:
        return pick({".bmp", ".jpg", ".png"});
    case ofEventsR:
        return pick({".qe4", ".qes", ".wpe"});
    case ofColorPalettesR:
    case ofColorPalettesW:
        return pick({".qpl", ".aco", ".pcs"});
    case ofLayerImagesW:
        return pick({".bmp", ".png"});
    default:
        break;
    }
    const SKindRow *row = rowOf(kind);
    return row ? QString::fromLatin1(row->defaultExt) : QString();
}

frmtType fileTypeOfPath(const QString &path)
{
    struct SExtType
    {
        const char *ext;
        frmtType type;
    };
    // ".jif", ".jfif" and ".jfi" are JPEG files too: the dialogs offer them and the image
    // loader reads them.
    static constexpr SExtType kTypes[] = {
        {".wpb", frmtWPB},   {".wpe", frmtWPE},  {".qzi", frmtQZI},  {".qes", frmtQES},
        {".qe5", frmtQE5},   {".rve", frmtQE5},  {".qe4", frmtQE4},  {".rv4", frmtQE4},
        {".qe3", frmtQE3},   {".rv3", frmtQE3},  {".bmp", frmtBMP},  {".jpg", frmtJPEG},
        {".jpeg", frmtJPEG}, {".jpe", frmtJPEG}, {".jif", frmtJPEG}, {".jfif", frmtJPEG},
        {".jfi", frmtJPEG},  {".png", frmtPNG},  {".psd", frmtPSD},
    };
    const QString name = path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    if (dot < 0)
        return frmtUnknown;
    const QString ext = name.mid(dot).toLower();
    for (const SExtType &t : kTypes)
        if (ext == QLatin1String(t.ext))
            return t.type;
    return frmtUnknown;
}
