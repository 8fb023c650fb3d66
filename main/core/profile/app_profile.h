// The application profile: every user preference and the start-up environment of the process in
// one plain object. Exactly one instance exists, gAppProfile, created empty by
// initialiseAppProfile(); loadProfile() fills it at start from the environment and the key store,
// saveProfile() writes it back at exit, and in between every subsystem reads and writes its fields
// directly.
//
// The store holds one key per section under "Software\Trevolt\Kavrin5": fileIO, config, color,
// paper, window and font. A missing value loads as its default; a value that is not of its type
// loads as its default too; the clamps below are applied on loading.
#pragma once

#include "core/base/geometry.h"
#include "core/pixel/pixel.h"
#include "core/profile/tool_kinds.h"

#include <QString>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>

class CRegistry;
class CRegKey;
struct SStartupEnvironment;

#pragma pack(push, 1)

// The saved placement of one floating palette window.
struct TDockFloatFormParam
{
    int32_t PaneCount = 0;
    bool Visible = false;
    int32_t X = 0, Y = 0, Width = 0, Height = 0;
};

// The saved placement of one palette view.
struct TDockFloatViewParam
{
    int32_t ParentForm = 0, ParentPane = 0, ViewIndex = 0;
    bool Visible = false;
    int32_t Width = 0, Height = 0;
};

// Two 16-bit values overlaid by one 32-bit value.
union TSizeShort
{
    struct
    {
        int16_t cx, cy;
    };
    uint32_t size = 0;
};

// One remembered new-document size (unit of measure, resolution, width and height in that unit).
struct sPaperPreset
{
    int32_t unit = 0;
    int32_t dpi = 0;
    float w = 0, h = 0;
    bool transparent = false;
};

// The saved placement of one pane of a palette window.
struct sFloatPaneParam
{
    int32_t ParentForm = 0, PaneIndex = 0, ViewCount = 0, ActiveView = 0;
    bool Collapse = false;
};

#pragma pack(pop)

static_assert(sizeof(TDockFloatFormParam) == 21 && sizeof(TDockFloatViewParam) == 21);
static_assert(sizeof(sPaperPreset) == 17 && sizeof(sFloatPaneParam) == 17);
static_assert(sizeof(TSizeShort) == 4);

enum class eLangType : uint8_t
{
    ltJapanese = 0,
    ltKorean = 1,
    ltEnglish = 2,
};

// ltJapanese for code page 932 or locale 0x0411 (1041), else ltKorean for 949 or 0x0412 (1042),
// else ltEnglish.
eLangType langTypeOf(uint32_t codePage, uint32_t localeID);

// Slots of the palette layout: palette windows, and panes over all of them.
inline constexpr int kFloatFormSlots = 16;
inline constexpr int kFloatPaneSlots = 16;
inline constexpr int kPaperPresetCount = 6;
inline constexpr int kDockViewCount = 11;

class CAppProfile
{
  public:
    // Start-up environment (not stored).
    uint32_t localeID = 0;
    uint32_t curCP = 0;
    eLangType langType = eLangType::ltJapanese;
    bool platformNT = false;
    int32_t osVersion = 0;
    double rtcFreq = 0;
    double cpuClock = 0;
    int32_t monitorNum = 0;
    sSize screenSize; // the primary screen, for the main window's clamp
    QString appPath;
    QString appName;
    QString tmpPath;
    QString presetPath;

    // Section fileIO.
    QString loadPath, savePath, eventPath;
    QString palPath, palFile;
    QString tonePath, toneFile;
    QString gradPath, gradFile; // stored as gradPath2, gradFile2
    QString penPath, nibFile, brushFile;
    uint32_t FileIODir = 0;
    int32_t pictLoadExtIdx = 0;
    int32_t eventLoadExtIdx = 0;
    bool silentFileIO = false;
    bool jpegUseProgressive = false;
    bool jpegUseSmooth = false;
    int32_t jpegValSmooth = 0;                                         // 0..100
    int32_t jpegQType = 0;                                             // 0..4
    int32_t jpegQuality = 0;                                           // 0..100
    int32_t jpegQVHigh = 0, jpegQHigh = 0, jpegQStd = 0, jpegQLow = 0; // 0..100 each
    int32_t psdSaveVer = 0;                                            // 3..7
    int32_t psdSaveFlags = 0;                                          // loaded, never saved

    // Section config.
    int32_t appVerID = 0; // the settings version; the main window migrates anything below 20
    sSize gridSize;
    int32_t undoMax = 0;
    int32_t fillLimit = 0, fillTarget = 0;
    int32_t wandLimit = 0, wandTarget = 0;
    bool fillAntiAlias = false, wandAntiAlias = false;
    int32_t gradType = 0, gradMap = 0, gradRep = 0, gradRepCnt = 0;
    bool ignoreTablet = false;
    int32_t eventWait = 0; // milliseconds between replay steps
    int32_t tabletType = 0;
    bool rgbPalBarFixed = false;
    bool useRBtnPicker = false; // stored as useRBtnColPicker
    bool useAutoScroll = false;
    bool useFilePreview = false;
    bool useZoomAntialias = false;
    bool showScrollBar = false;
    bool titleFullpath = false;
    int32_t mouseMBtnFunc = 0; // 0..10
    float opaquePaint = 0, opaqueAreaFill = 0, opaqueSeedFill = 0, opaqueGradate = 0;
    float opaqueDraw = 0, opaqueLine = 0, opaqueFont = 0;
    bool DrawToolMode = false;
    bool AutoFreeHand = false;
    bool UseOldShortCut = false; // stored as ShortcutMode
    bool UseLastFile = false;
    int32_t PresetSaveAsQuit = 0;
    uint32_t GridColor = 0;
    bool DrawToolAutoSave = false;
    int32_t DrawToolCursor = 0;
    int32_t OtherToolCursor = 0;
    QString CursorFile;
    bool BrushGhost = false;
    bool ShowGhostCenter = false;
    bool UseGrabCtrl = false;
    bool CellExchange = false;
    uint32_t EnbAutoSize = 0; // stored as AutoSizeAdjust
    bool PlayAntiOff = false;
    bool ForceDispParam = false;
    bool RotZoomDblClk = false;
    bool RotGrabDblClk = false;
    bool ToolFindNext = false;
    bool UseVertSlider = false;
    uint32_t ToolSubMode = 0; // bit mask of the last tool detail per tool button
    bool EnbLblDrag = false, EnbLblDblClk = false; // not stored; true after every load
    // Not stored.
    bool zoomToolAsButton = false, useAutoPopup = false;
    bool fillCenter = false, fillAspectRock = false, selectCenter = false, selectAspectRock = false;

    // Section color (stored as 32-bit values).
    sBGRA colorFG{};
    sBGRA colorBG{};

    // Section paper.
    std::array<sPaperPreset, kPaperPresetCount> paperSizeTbl{};

    // Section window.
    sPos mainWinPos;
    sSize mainWinSize; // -1: no stored size
    bool mainWinMax = false;
    bool childWinMax = false;
    sPos fontDlgPos;
    sSize fontDlgSize;
    int32_t FloatFormCount = 0; // palette windows besides the tool window, 0..16
    std::array<TDockFloatFormParam, kFloatFormSlots> FloatForms{};
    std::array<sFloatPaneParam, kFloatPaneSlots> FloatPanes{}; // every window's panes in sequence
    TDockFloatFormParam ToolFormParam;                         // its PaneCount is not stored
    TDockFloatViewParam OptionViewParam, NavigatorViewParam, LoupeViewParam, QZ5OptionViewParam,
        InfomationViewParam, ColorViewParam, SwatchViewParam, BrushListViewParam, LayerViewParam,
        MaskViewParam, EventViewParam;
    TSizeShort NavigatorContains; // the navigator's forced size, or -1, -1
    bool PreviewCounterRotate = false;
    bool OptionListDblClick = false;
    int32_t ColorSampler = 0;
    int32_t SwathListType = 0, BrushListType = 0, EventCapacity = 0, LayerListType = 0,
            MaskListType = 0;
    int32_t LoupeMagnification = 0;
    bool LoupeCenter = false;
    int32_t LoupeStroking = 0;
    sSize PopBrushListSize, PopPenNibListSize, PopGradListSize, PopToneListSize;
    int32_t PopBrushListType = 0, PopPenNibListType = 0, PopGradListType = 0, PopToneListType = 0;
    int32_t PopGradPrevType = 0, PopTonePrevType = 0;
    int32_t EdtBrushListType = 0, EdtPenNibListType = 0, EdtGradListType = 0, EdtToneListType = 0;

    // Section font (the text tool).
    QString fontFace;
    int32_t fontPoint = 0;
    int32_t fontCharset = 0;
    int32_t fontSpacing = 0;
    int32_t fontLeading = 0;
    bool fontItalic = false, fontBold = false, fontVertical = false, fontUnderline = false,
         fontStrikeOut = false;
    bool fontUseFont = false;
    bool fontPreview = false;
    QString fontText; // not stored

    // The opacity (0..1) of an older tool mode: TOOL_PEN opaquePaint, TOOL_FILL opaqueSeedFill,
    // TOOL_DRAW opaqueDraw, TOOL_AREAFILL and TOOL_FREELINE opaqueAreaFill, TOOL_LINE opaqueLine,
    // TOOL_TEXT opaqueFont, TOOL_GRAD opaqueGradate. Any other mode is ignored by the save and
    // reads as 1.0.
    void saveToolOpaque(TToolMode m, float op);
    float loadToolOpaque(TToolMode m) const;

    // The eleven view placements in their stored order, with the prefix of their value names.
    // i is 0 .. kDockViewCount - 1.
    TDockFloatViewParam &viewParam(int i);
    const TDockFloatViewParam &viewParam(int i) const;
    static QString viewParamName(int i);

    // Fills the start-up environment (and the language type it implies).
    void loadEnvironment(const SStartupEnvironment &env);
    // Loads the sections fileIO, config, color, paper, window and font, in this order, creating
    // their keys when missing. A section whose key cannot be opened takes its defaults. True when
    // every section key was opened.
    bool loadSections(CRegistry &store);
    // Saves the sections window, fileIO, config, color, paper and font, in this order, and writes
    // the store's file. False when a key could not be opened or the file could not be written;
    // saving goes on past a failed value.
    bool saveSections(CRegistry &store);
};

// The process-wide profile; null until initialiseAppProfile().
extern std::unique_ptr<CAppProfile> gAppProfile;

// Creates the empty profile (every field zero or empty), replacing any earlier one.
void initialiseAppProfile();
void finaliseAppProfile();

// What the windows above this library store into the profile before it is saved: the main window
// its state, position and size (mainWinMax, mainWinPos, mainWinSize), the tool window its layout,
// tool sub-modes and last preset files. Installed by the application at start; either may be
// empty.
struct SProfileSaveHooks
{
    std::function<void(CAppProfile &)> savePosition;
    std::function<void(CAppProfile &)> saveToolSettings;
};
void installProfileSaveHooks(SProfileSaveHooks hooks);

// Fills gAppProfile from the start-up environment and the store at registryFilePath(). True
// (false only without a profile).
bool loadProfile();
// Has the main window and then the tool window store their state (the installed hooks), then
// saves gAppProfile to the store at registryFilePath(). False without a profile or when the store
// could not be written.
bool saveProfile();

// Registry helpers, each on an open key and a value name. The readers set v to the stored value
// when it exists and is of the type, else to the default, and answer whether it was used.
bool regReadInt(const CRegKey &key, const QString &name, int32_t &v, int32_t def);
bool regReadInt(const CRegKey &key, const QString &name, uint32_t &v, uint32_t def);
bool regReadColor(const CRegKey &key, const QString &name, sBGRA &c, uint32_t def);
bool regReadBool(const CRegKey &key, const QString &name, bool &b, bool def);
bool regReadSingle(const CRegKey &key, const QString &name, float &f, float def);
bool regReadStr(const CRegKey &key, const QString &name, QString &s, const QString &def);
// The writers answer false, instead of failing otherwise, when the value cannot be written.
bool regWriteInt(CRegKey &key, const QString &name, int32_t v);
bool regWriteInt(CRegKey &key, const QString &name, uint32_t v);
bool regWriteBool(CRegKey &key, const QString &name, bool v);
bool regWriteSingle(CRegKey &key, const QString &name, float v);
bool regWriteStr(CRegKey &key, const QString &name, const QString &v);
