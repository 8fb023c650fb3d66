#include "ui/dialogs/file_preview.h"

#include "core/codec/image_codec.h"
#include "core/scale/scale_canvas.h"
#include "document/events/event_file.h"
#include "document/files/native_image.h"
#include "platform/desktop/cursor.h"
#include "platform/desktop/font.h"
#include "ui/base/caption_fit.h"
#include "ui/dialogs/paint_box.h"
#include "ui/graphics/appearance.h"

#include <QCheckBox>
#include <QFileInfo>
#include <QLabel>
#include <QPainter>

#include <algorithm>
#include <exception>
#include <utility>

namespace {

// The layered file's own head reader; tests may put another in its place.
TNativeHeadReader &headReader()
{
    static TNativeHeadReader reader = readImageHeadSize;
    return reader;
}

} // namespace

TNativeHeadReader installPreviewHeadReader(TNativeHeadReader reader)
{
    return std::exchange(headReader(), std::move(reader));
}

// ---- CFilePreview

CFilePreview::CFilePreview() : prevTC(kPreviewCanvasSize, kPreviewCanvasSize, false)
{
    clearCanvas();
}

void CFilePreview::clearCanvas()
{
    prevTC.fillBox(0, 0, prevTC.width(), prevTC.height(), 0, 255);
}

void CFilePreview::select(const QString &path, bool showImage)
{
    pathPrev = path;
    frmtPrev = fileTypeOfPath(path);
    try {
        FenbPrev = QFileInfo::exists(path) && readFileTime();
        if (FenbPrev)
            FenbPrev = loadPreview(showImage);
    } catch (const std::exception &) {
        FenbPrev = false;
    }
    if (!FenbPrev)
        clearCanvas();
}

void CFilePreview::reload(bool showImage)
{
    select(pathPrev, showImage);
}

bool CFilePreview::readFileTime()
{
    const QFileInfo info(pathPrev);
    if (info.isDir() || !info.isFile())
        return false;
    timePrev = info.lastModified().toLocalTime();
    return timePrev.isValid();
}

bool CFilePreview::loadPreview(bool showImage)
{
    std::unique_ptr<TMTC> image;
    sSize size{};
    switch (frmtPrev) {
    case frmtQZI:
        // Without a head reader this answers a bad tag: the preview stays disabled.
        if (readFileThumbnail(pathPrev, image, &size, headReader()) != 0)
            return false;
        return putImage(image.get(), size, showImage);
    case frmtWPE:
    case frmtQES:
    case frmtQE3:
    case frmtQE4:
    case frmtQE5:
        if (readEventFileThumbnail(pathPrev, image, size) != 0)
            return false;
        return putImage(image.get(), size, showImage);
    case frmtBMP:
    case frmtJPEG:
    case frmtPNG:
    case frmtPSD: {
        WaitCursor wait;
        // A PSD shows its document's size; any other image its own.
        image = loadPsdImage(pathPrev, size);
        if (!image) {
            image = loadImageFile(pathPrev, nullptr);
            if (!image)
                return false;
            size = {image->width(), image->height()};
        }
        return putImage(image.get(), size, showImage);
    }
    default:
        return false;
    }
}

bool CFilePreview::putImage(const TMTC *image, sSize size, bool showImage)
{
    if (showImage && image) {
        if (!scaleCanvasInto(prevTC, *image, true, 0))
            return false;
    } else {
        clearCanvas();
    }
    imgSize = size;
    return true;
}

QString CFilePreview::sizeText() const
{
    if (!FenbPrev)
        return QString::fromUtf8("大きさ:");
    return QString::fromUtf8("大きさ: %1 × %2").arg(imgSize.x).arg(imgSize.y);
}

QString CFilePreview::timeText() const
{
    if (!FenbPrev)
        return QString::fromUtf8("更新日:");
    const QDate d = timePrev.date();
    const QTime t = timePrev.time();
    return QString::fromUtf8("更新日: %1/%2/%3 %4:%5")
        .arg(d.year(), 4, 10, QLatin1Char('0'))
        .arg(d.month(), 2, 10, QLatin1Char('0'))
        .arg(d.day(), 2, 10, QLatin1Char('0'))
        .arg(t.hour(), 2, 10, QLatin1Char('0'))
        .arg(t.minute(), 2, 10, QLatin1Char('0'));
}

// ---- TOpenFrame

TOpenFrame::TOpenFrame(QWidget *parent) : QWidget(parent)
{
    // The program's interface font, as on its forms: the labels' widths are made for it.
    QFont f = font();
    f.setFamily(QStringLiteral("MS UI Gothic"));
    f.setPixelSize(12);
    pickInterfaceFont(f, SHIFTJIS_CHARSET);
    setFont(f);
    setFixedWidth(140);
    setMinimumHeight(252);
    resize(140, 252);
    QPalette pal = palette();
    const TColor32 face = clBtnFace32();
    pal.setColor(QPalette::Window, QColor(face.r, face.g, face.b));
    setPalette(pal);
    setAutoFillBackground(true);

    PaintBox1 = new TPaintBox(this);
    PaintBox1->setGeometry(0, 5, 128, 128);
    PaintBox1->setEnabled(false);
    PaintBox1->OnPaint = [this](QPainter &p) { PaintBox1Paint(p); };
    LabelSize = new QLabel(QString::fromUtf8("大きさ: 0 x 0"), this);
    LabelSize->setGeometry(0, 142, 140, 16);
    LabelSize->setEnabled(false);
    LabelUpdateTime = new QLabel(QString::fromUtf8("更新日: 0000/00/00 00:00"), this);
    // The panel's width rather than 130: with the fonts found here the full date needs it.
    LabelUpdateTime->setGeometry(0, 166, 140, 16);
    LabelUpdateTime->setEnabled(false);
    CheckBoxPreview = new QCheckBox(QString::fromUtf8("プレビュー(&P)"), this);
    CheckBoxPreview->setGeometry(0, 186, 97, 20);
    CheckBoxPreview->setChecked(true);
    // The panel is 140 wide unless a caption needs more in the font in use; the update time's
    // first caption, all zeros, is as wide as any date it shows.
    int right = 140;
    for (QWidget *w : {static_cast<QWidget *>(LabelSize), static_cast<QWidget *>(LabelUpdateTime),
                       static_cast<QWidget *>(CheckBoxPreview)})
        right = std::max(right, w->x() + fitCaptionWidth(w));
    setFixedWidth(right);
}

TOpenFrame::~TOpenFrame() = default;

void TOpenFrame::attach(const CFilePreview &preview)
{
    m_preview = &preview;
}

void TOpenFrame::showPreview(const CFilePreview &preview)
{
    m_preview = &preview;
    LabelSize->setText(preview.sizeText());
    LabelUpdateTime->setText(preview.timeText());
    setPreviewEnabled(preview.enabled());
    PaintBox1->update();
}

void TOpenFrame::setPreviewEnabled(bool on)
{
    LabelSize->setEnabled(on);
    LabelUpdateTime->setEnabled(on);
    PaintBox1->setEnabled(on);
}

QCheckBox *TOpenFrame::addBottomCheckBox(const QString &caption)
{
    BottomCheckBox = new QCheckBox(caption, this);
    BottomCheckBox->setGeometry(0, height() - 23, 140, 14);
    BottomCheckBox->setChecked(false);
    setFixedWidth(std::max(width(), fitCaptionWidth(BottomCheckBox)));
    return BottomCheckBox;
}

void TOpenFrame::resizeEvent(QResizeEvent *ev)
{
    if (BottomCheckBox)
        BottomCheckBox->move(0, height() - 23);
    QWidget::resizeEvent(ev);
}

void TOpenFrame::PaintBox1Paint(QPainter &painter)
{
    const TColor32 shadow = clBtnShadow32();
    painter.fillRect(PaintBox1->rect(), QColor(shadow.r, shadow.g, shadow.b));
    if (m_preview)
        painter.drawImage(1, 1, m_preview->canvas().presentImage());
}
