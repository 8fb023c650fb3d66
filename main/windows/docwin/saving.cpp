// TDrawWindow: saving by the target's type (native, PSD, flattened BMP, JPEG and PNG), saving
// under a new name, the automatic BMP named by the date, one layer as an image, and the export of
// the recorded events. Every writer goes through a temporary file: a failed save keeps the old
// file and says so.
#include "windows/docwin/saving.h"

#include "core/image/canvas.h"
#include "core/image/dib_core.h"
#include "core/mask/mask_manager.h"
#include "core/profile/app_profile.h"
#include "document/events/event_file.h"
#include "document/files/file_types.h"
#include "document/files/native_image.h"
#include "document/files/psd_file.h"
#include "document/paper/flow_image.h"
#include "document/paper/layer_data.h"
#include "document/paper/paper.h"
#include "document/selection/selection_ops.h"
#include "document/view/composition.h"
#include "platform/codec/bmp_codec.h"
#include "platform/codec/jpeg_codec.h"
#include "platform/codec/png_codec.h"
#include "platform/desktop/cursor.h"
#include "platform/desktop/messages.h"
#include "platform/system/clock.h"
#include "ui/forms/mru_list.h"
#include "windows/docwin/draw_window.h"
#include "windows/shell_host.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>


namespace {

CAppProfile &profile()
{
    return *gAppProfile;
}

// The folder a dialog proposes: the document's own when asked for and it exists, else the save
// folder (bit 1) or the load folder.
QString proposedFolder(const QString &docPath, const QString &saveFolder)
{
    const QString own = QFileInfo(docPath).absolutePath();
    if ((profile().FileIODir & 1) != 0 && !docPath.isEmpty() && QDir(own).exists())
        return own;
    return (profile().FileIODir & 2) != 0 ? saveFolder : profile().loadPath;
}

// Where a confirmed dialog's folder is kept.
void storeFolder(const QString &path, QString &saveFolder)
{
    const QString dir = QFileInfo(path).absolutePath();
    if ((profile().FileIODir & 2) != 0)
        saveFolder = dir;
    else
        profile().loadPath = dir;
}

} // namespace

codec::BitmapInfoHeader codecHeaderOf(const tagBITMAPINFOHEADER &info)
{
    codec::BitmapInfoHeader h;
    h.biSize = info.biSize;
    h.biWidth = info.biWidth;
    h.biHeight = info.biHeight;
    h.biPlanes = info.biPlanes;
    h.biBitCount = info.biBitCount;
    h.biCompression = info.biCompression;
    h.biSizeImage = info.biSizeImage;
    h.biXPelsPerMeter = info.biXPelsPerMeter;
    h.biYPelsPerMeter = info.biYPelsPerMeter;
    h.biClrUsed = info.biClrUsed;
    h.biClrImportant = info.biClrImportant;
    return h;
}

std::span<const uint8_t> dibBitsOf(const tagBITMAPINFOHEADER &info, const uint8_t *bits)
{
    const int64_t h = info.biHeight < 0 ? -int64_t(info.biHeight) : int64_t(info.biHeight);
    return {bits, size_t(codec::dibRowBytes(info.biWidth, info.biBitCount) * uint64_t(h))};
}

CExportCanvas::CExportCanvas(TPaper &paper) : m_paper(paper)
{
    if (!paper.bVisCanvasCol) {
        m_shown = true;
        m_colour = paper.m_canvascolor;
        paper.m_canvascolor = 0xFFFFFF;
        paper.bVisCanvasCol = true;
    }
    UpdateVRAM(paper, false, false);
}

CExportCanvas::~CExportCanvas()
{
    if (m_shown) {
        m_paper.m_canvascolor = m_colour;
        m_paper.bVisCanvasCol = false;
        UpdateVRAM(m_paper, true, true);
    } else if (m_paper.isVramDirty()) {
        m_paper.drawOptionalImage();
    }
}

QString makeAutoBmpFileName(const QString &folder)
{
    const SSystemTime t = getSystemTimeUtc();
    const QDateTime utc(QDate(t.wYear, t.wMonth, t.wDay),
                        QTime(t.wHour, t.wMinute, t.wSecond), Qt::UTC);
    const QDate d = utc.isValid() ? utc.toLocalTime().date() : QDate(t.wYear, t.wMonth, t.wDay);
    const QString base = QDir(folder).filePath(QString::asprintf("%d-%.2d-%.2d", d.year(),
                                                                 d.month(), d.day()));
    QString path = base + QStringLiteral(".bmp");
    for (int n = 2; QFileInfo::exists(path); ++n)
        path = QStringLiteral("%1(%2).bmp").arg(base).arg(n);
    return path;
}

uint32_t TDrawWindow::nativeSaveFlags() const
{
    const CMaskMngr &mm = paper->maskMngr();
    uint32_t flags = 1 | 4;
    if (mm.getMaskCount() > 1 || hasActiveMask(*paper))
        flags |= 2;
    if (canSaveEvent())
        flags |= 8;
    return flags;
}

bool TDrawWindow::saveNative(const QString &path)
{
    return saveNativeImage(path, *paper, nativeSaveFlags());
}

bool TDrawWindow::savePsd(const QString &path)
{
    const uint8_t status = savePsdFile(path, *paper, profile().psdSaveVer, true);
    if (status != 0)
        showWarning(QStringLiteral("%1の保存に失敗しました! (err=%2)")
                        .arg(QStringLiteral("PSD "))
                        .arg(status));
    return status == 0;
}

bool TDrawWindow::savePng(const QString &path, const TMTC &image)
{
    tagBITMAPINFOHEADER info{};
    std::unique_ptr<uint8_t[]> bits;
    if (!image.makeBMP24(paper->m_paperDPI, info, bits))
        return false;
    return codec::succeeded(codec::pngSaveImage(
        path, codecHeaderOf(info), dibBitsOf(info, bits.get()), -1));
}

int32_t TDrawWindow::saveJpeg(const QString &path, const TMTC &image)
{
    TJpegSaveOption opt;
    if (!mainForm().showJpegOptionDialog(opt))
        return 2;
    tagBITMAPINFOHEADER info{};
    std::unique_ptr<uint8_t[]> bits;
    if (!image.makeBMP32(paper->m_paperDPI, sBox{0, 0, image.width(), image.height()}, info,
                         bits))
        return 1;
    const codec::JpegSaveOptions rec{opt.Progressive ? -1 : 0, opt.Grayscale ? -1 : 0,
                                     opt.Smooth > 0 ? -1 : 0, opt.Quality, opt.Smooth};
    const codec::CodecStatus st = codec::jpegSaveImage(
        path, codecHeaderOf(info), dibBitsOf(info, bits.get()), rec);
    return codec::succeeded(st) ? 0 : 1;
}

bool TDrawWindow::savePaper(const QString &path, bool dlg)
{
    WaitCursor hourglass;
    const frmtType type = fileTypeOfPath(path);
    QString done;
    QString failure;
    bool ok = false;
    bool silent = false;
    {
        std::unique_ptr<CExportCanvas> canvas;
        if (type != frmtQZI)
            canvas = std::make_unique<CExportCanvas>(*paper);
        const TMTC &image = paper->vram();
        switch (type) {
        case frmtQZI:
            ok = saveNative(path);
            if (ok)
                setModifiedFlag(false);
            done = QStringLiteral("%1 として保存しました").arg(path);
            break;
        case frmtBMP:
            ok = image.saveBitmap(path, paper->m_paperDPI);
            done = QStringLiteral("画像をビットマップで保存しました");
            break;
        case frmtJPEG: {
            const int32_t r = saveJpeg(path, image);
            ok = r == 0;
            silent = r == 2;
            done = QStringLiteral("画像をJPEGで保存しました");
            break;
        }
        case frmtPNG:
            ok = savePng(path, image);
            done = QStringLiteral("%1形式で画像を保存しました").arg(QStringLiteral("PNG"));
            break;
        case frmtPSD:
            ok = savePsd(path);
            done = QStringLiteral("%1 として保存しました").arg(path);
            break;
        case frmtWPB:
            failure = QStringLiteral("この形式での保存はサポートしていません!");
            break;
        default:
            failure = QStringLiteral("%1 は未対応の形式です").arg(path);
            break;
        }
    }
    if (dlg && !silent) {
        if (ok)
            showInformation(done);
        else
            showWarning(failure.isEmpty() ? QStringLiteral("%1\rの保存に失敗しました!").arg(path)
                                          : failure);
    }
    if (ok)
        mainForm().fileMRUList()->InsertItem(0, path);
    return ok;
}

bool TDrawWindow::doSaveAs()
{
    if (isStrokingNow())
        return false;
    QString path = QDir(proposedFolder(filePath, profile().savePath))
                       .filePath(QFileInfo(paper->m_filename).fileName());
    if (!mainForm().execFileDialog(ofAllImagesW, path))
        return false;
    const bool saved = savePaper(path, true);
    if (saved) {
        filePath = path;
        paper->m_filename = path;
        storeFolder(path, profile().savePath);
    }
    updateCaption(false);
    return saved;
}

bool TDrawWindow::saveAutoBmp()
{
    if (!canSave())
        return false;
    const QString own = QFileInfo(filePath).absolutePath();
    QString folder;
    if (!filePath.isEmpty() && QDir(own).exists())
        folder = own;
    else
        folder = (profile().FileIODir & 2) != 0 ? profile().savePath : profile().loadPath;
    const QString path = makeAutoBmpFileName(folder);
    const bool saved = savePaper(path, true);
    if (saved)
        storeFolder(path, profile().savePath);
    return saved;
}

bool TDrawWindow::saveLayer(int32_t idx)
{
    if (idx < 0)
        idx = paper->ActiveLayer();
    const CLayerData *ld = paper->getLayerData(idx);
    if (!canSave() || !ld)
        return false;
    const QString name =
        hasFileName()
            ? QStringLiteral("%1[%2](%3)").arg(QFileInfo(filePath).completeBaseName()).arg(idx).arg(
                  ld->title)
            : QStringLiteral("名称未設定[%1](%2)").arg(idx).arg(ld->title);
    QString folder = QFileInfo(filePath).absolutePath();
    if (!hasFileName() || !QDir(folder).exists())
        folder = (profile().FileIODir & 2) != 0 ? profile().savePath : profile().loadPath;
    QString path = QDir(folder).filePath(name);
    if (!mainForm().execFileDialog(ofLayerImagesW, path))
        return false;
    const bool saved = saveLayer(path, idx);
    if (saved)
        storeFolder(path, profile().savePath);
    return saved;
}

bool TDrawWindow::saveLayer(const QString &path, int32_t idx)
{
    if (idx < 0)
        idx = paper->ActiveLayer();
    const CLayerData *ld = paper->getLayerData(idx);
    if (!ld || !ld->imageTC)
        return false;
    const frmtType type = fileTypeOfPath(path);
    if (type != frmtBMP && type != frmtPNG) {
        showWarning(QStringLiteral("%1 は未対応の形式です").arg(QFileInfo(path).suffix()));
        return false;
    }
    TFlowImage *flow = flowImage.get();
    paper->setFlow(*flow, idx, true);
    const sBox box{0, 0, ld->imageTC->width(), ld->imageTC->height()};
    tagBITMAPINFOHEADER info{};
    std::unique_ptr<uint8_t[]> bits;
    if (!flow->image().makeBMP32(paper->m_paperDPI, box, info, bits)) {
        showWarning(QStringLiteral("メモリ不足のため実行できませんでした！"));
        paper->setFlow(*flow, paper->ActiveLayer(), true);
        return false;
    }
    const std::span<const uint8_t> data = dibBitsOf(info, bits.get());
    bool ok;
    if (type == frmtBMP)
        ok = codec::succeeded(codec::bmpSaveImage(path, codecHeaderOf(info), data));
    else
        ok = codec::succeeded(codec::pngSaveImage(path, codecHeaderOf(info), data, -1));
    // The work image belongs to the active layer again.
    paper->setFlow(*flow, paper->ActiveLayer(), true);
    if (ok)
        showInformation(QStringLiteral("レイヤを保存しました"));
    else
        showWarning(QStringLiteral("レイヤの保存に失敗しました！"));
    return ok;
}

bool TDrawWindow::exportEventDlg()
{
    if (!canSaveEvent() || isStrokingNow())
        return false;
    QString path =
        QDir(proposedFolder(filePath, profile().eventPath))
            .filePath(QFileInfo(paper->m_filename).completeBaseName() + QStringLiteral(".qe5"));
    if (!mainForm().execSaveEventDialog(path))
        return false;
    const bool ok = exportEventFile(path, *paper, true, -1, -1, true);
    if (ok)
        storeFolder(path, profile().eventPath);
    return ok;
}
