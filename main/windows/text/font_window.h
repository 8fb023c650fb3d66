// The text tool window ("文字入力"): the face, character set, size, spacing, leading, style,
// vertical writing and the text of a text the user places on the document window. While it is
// open a preview of the text in the stroke colour is drawn over the document's view (never into
// a layer); a further click on the document moves the text (message kTextPosMessage). OK lays the
// text into the document's flow coverage, records it and commits it through the document window;
// Cancel or closing restores the view. The settings persist in the profile.
#pragma once

#include "core/base/geometry.h"
#include "platform/desktop/font.h"
#include "ui/forms/base_forms.h"
#include "windows/text/font_faces.h"

#include <QString>

#include <cstdint>
#include <memory>
#include <vector>

class QCheckBox;
class QComboBox;
class QLabel;
class QPlainTextEdit;
class TDrawWindow;
class TMTC;
class TNumEdit;
class TNumMngr;

// The text window's private message: lParam's low and high 16-bit halves (signed) are the new
// canvas position of the text.
constexpr uint32_t kTextPosMessage = 0x1315;
// lParam of kTextPosMessage for a canvas position.
intptr_t textPosParam(const sPos &pos);

class TFontWindow : public TDialogBaseForm
{
  public:
    // The window for the main window's active document window (target when there is none);
    // nullptr when there is no window or its preview canvas cannot be had.
    static std::unique_ptr<TFontWindow> create(TDrawWindow *target, QWidget *owner = nullptr);
    // Restores the view unless the result is OK and clears the target's flow coverage.
    ~TFontWindow() override;

    // The text's canvas position; with the preview on, the preview follows.
    void setDstPos(const sPos &pos);
    sPos dstPosition() const { return dstPos; }
    void setTargetMask(bool sw) { trgtMask = sw; }
    bool targetMask() const { return trgtMask; }
    // Either combo box is dropped down (the main window's loop lets keys through then).
    bool DroppedDown() const;
    // The view shows a preview, over dirtyRect (canvas pixels).
    bool isDirty() const { return dirty; }
    sRect dirtyArea() const { return dirtyRect; }
    // The face shown; the font the text is rendered with.
    QString currentFace() const { return faceName; }
    const TFont &currentFont() const { return curFont; }

    // Closing by any way saves the settings; anything but OK restores the view.
    void done(int r) override;

    QComboBox *ComboBox1 = nullptr; // faces
    QComboBox *ComboBox2 = nullptr; // character sets
    TNumEdit *EdtSize = nullptr;
    TNumEdit *EdtSpacing = nullptr;
    TNumEdit *EdtLeading = nullptr;
    TNumMngr *NumSize = nullptr;
    TNumMngr *NumSpacing = nullptr;
    TNumMngr *NumLeading = nullptr;
    TNumMngr *NumOpaque = nullptr; // no control shows it
    QCheckBox *chkBoxItalic = nullptr;
    QCheckBox *chkBoxBold = nullptr;
    QCheckBox *ChkVert = nullptr;
    QPlainTextEdit *memoText = nullptr;
    QCheckBox *chkBoxUseFont = nullptr;
    QCheckBox *chkBoxPreview = nullptr;

  protected:
    void ButtonOKClick() override;
    bool event(QEvent *e) override;
    bool eventFilter(QObject *watched, QEvent *e) override;
    void resizeEvent(QResizeEvent *ev) override;

  private:
    TFontWindow(TDrawWindow *target, QWidget *owner);
    bool FormCreate();
    void buildControls();
    void layoutControls();
    void loadSettings();
    void saveSettings();

    // Control handlers.
    void ComboBox1Change();
    void ComboBox2Change();
    void ChkVertClick();
    void EditChange();
    void memoTextChange();
    void chkBoxUseFontClick();
    void chkBoxPreviewClick();
    // Key preview: Enter closes with OK (a new line in the memo), Esc with Cancel; true when
    // the key was taken.
    bool FormKeyDown(int key);

    void fillFaceList();
    void fillCharsetList();
    void applyFont();
    // The preview when it is on, else only the font.
    void refresh();
    void drawPreview();
    // The memo's text with its lines ended by CR LF, as the renderer and the event expect.
    QString textForRender() const;
    // Lays the text into the active flow coverage at dstPos (layer coordinates of the active
    // layer); answers the glyph count, and the rendered box (layer coordinates) and font.
    int32_t renderText(sBox &box, LOGFONTW &lf);
    void showPreview(const sBox &canvasBox);
    void paintPreview(const sBox &box);
    void restoreView(const sBox *box = nullptr);

    QString faceName;
    int32_t pointNum = 0;
    int32_t spacing = 0;
    int32_t leading = 0;
    TFont curFont;
    sPos dstPos;
    uint8_t charSet = DEFAULT_CHARSET;
    bool trgtMask = false;
    bool enbPreview = false;
    bool dirty = false;
    sRect dirtyRect;
    TDrawWindow *targetDW = nullptr;
    std::unique_ptr<TMTC> previewTC;
    std::vector<SFontCharset> charsets;
    QFont formFont;
    // The zoom caches were rebuilt from the preview and not yet from the display image.
    bool m_cachesFromPreview = false;
    // Control changes made while the window fills its own controls are not the user's.
    int m_updating = 0;
    std::vector<QLabel *> labels;
};
