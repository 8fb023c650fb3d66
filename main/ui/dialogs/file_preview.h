// The preview beside the open and save dialogs: what the selected file holds, as a 126 x 126
// thumbnail, its size in pixels and its modification time. CFilePreview is the logic (no widget);
// TOpenFrame is the panel that shows it.
#pragma once

#include "core/base/geometry.h"
#include "core/image/display_canvas.h"
#include "document/files/file_types.h"
#include "format/image_records.h"

#include <QDateTime>
#include <QString>
#include <QWidget>

#include <memory>

class QCheckBox;
class QLabel;
class TPaintBox;

inline constexpr int kPreviewCanvasSize = 126;

// Reads the head of a native image file; the preview of such files stays disabled while none is
// installed. Returns the previous reader.
TNativeHeadReader installPreviewHeadReader(TNativeHeadReader reader);

class CFilePreview
{
  public:
    CFilePreview();

    // The selection changed to path: the preview is enabled when it is a readable file of a
    // known type whose picture or thumbnail can be read; otherwise disabled, never a message.
    // With showImage false the size is read but the canvas stays filled with colour 0.
    void select(const QString &path, bool showImage);
    // Reads the selected file again (the preview check box changed).
    void reload(bool showImage);

    bool enabled() const { return FenbPrev; }
    const QString &path() const { return pathPrev; }
    frmtType type() const { return frmtPrev; }
    sSize size() const { return imgSize; }
    const QDateTime &time() const { return timePrev; }
    const TTC &canvas() const { return prevTC; }

    // "大きさ: w × h" and "更新日: yyyy/mm/dd hh:nn" when enabled, else "大きさ:" and "更新日:".
    QString sizeText() const;
    QString timeText() const;

  private:
    bool readFileTime();
    bool loadPreview(bool showImage);
    // Puts image (may be null: no thumbnail) into the canvas and takes size; false when the
    // image cannot be scaled.
    bool putImage(const TMTC *image, sSize size, bool showImage);
    void clearCanvas();

    TTC prevTC;
    QDateTime timePrev;
    bool FenbPrev = false;
    frmtType frmtPrev = frmtUnknown;
    QString pathPrev;
    sSize imgSize{};
};

// The panel: the preview's paint box, its two labels and the preview check box. The check box
// starts checked; a click on it reads the preview again.
class TOpenFrame : public QWidget
{
  public:
    explicit TOpenFrame(QWidget *parent = nullptr);
    ~TOpenFrame() override;

    // The preview whose canvas the paint box shows; the captions stay as they are.
    void attach(const CFilePreview &preview);
    // Shows the preview's state: its texts, its picture, and the labels and paint box enabled
    // with it.
    void showPreview(const CFilePreview &preview);
    void setPreviewEnabled(bool on);
    // The extra check box of the event-file open dialog, kept at the panel's bottom.
    QCheckBox *addBottomCheckBox(const QString &caption);

    TPaintBox *PaintBox1;
    QLabel *LabelSize;
    QLabel *LabelUpdateTime;
    QCheckBox *CheckBoxPreview;
    QCheckBox *BottomCheckBox = nullptr;

  protected:
    void resizeEvent(QResizeEvent *ev) override;

  private:
    void PaintBox1Paint(QPainter &painter);

    const CFilePreview *m_preview = nullptr;
};
