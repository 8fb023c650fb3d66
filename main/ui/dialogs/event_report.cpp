#include "ui/dialogs/event_report.h"

#include "core/image/canvas.h"
#include "platform/desktop/messages.h"
#include "ui/dialogs/paint_box.h"
#include "ui/graphics/appearance.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>

#include <memory>
#include <new>

namespace {

QLabel *makeLabel(QWidget *parent, const char *text, int x, int y, int width, Qt::Alignment align)
{
    auto *l = new QLabel(QString::fromUtf8(text), parent);
    l->setGeometry(x, y, width, 16);
    l->setAlignment(align | Qt::AlignVCenter);
    return l;
}

} // namespace

QString eventReportTimeText(uint32_t ms)
{
    const uint32_t hours = ms / 3600000;
    const uint32_t minutes = ms % 3600000 / 60000;
    const uint32_t rest = ms % 60000;
    QString text = QStringLiteral("%1 %2 %3")
                       .arg(rest / 1000)
                       .arg(QString::fromUtf8("秒"))
                       .arg(rest % 1000, 3, 10, QLatin1Char('0'));
    if (minutes != 0)
        text = QStringLiteral("%1 %2 ").arg(minutes).arg(QString::fromUtf8("分")) + text;
    if (hours != 0)
        text = QStringLiteral("%1 %2 ").arg(hours).arg(QString::fromUtf8("時間")) + text;
    return text;
}

QString eventReportStateText(TReportReason reason)
{
    switch (reason) {
    case rrStop:
        return QString::fromUtf8("イベントの再生を中断しました");
    case rrError:
        return QString::fromUtf8("エラーによりイベントの再生を中止しました");
    case rrEnd:
        break;
    }
    return QString::fromUtf8("イベントの再生が終了しました");
}

QString eventReportFileText(const QString &fileName, bool canContinue)
{
    return fileName + QStringLiteral(" : ") +
           QString::fromUtf8(canContinue ? "追記可" : "追記不可");
}

void paintReportIndex(TMemoryGraphic &index, const std::array<const TMTC *, 10> &images)
{
    TColor32 frame = clWindowFrame32();
    frame.a = 153;
    for (int i = 0; i < int(images.size()); ++i) {
        const TMTC *img = images[size_t(i)];
        if (!img || img->width() <= 0 || img->height() <= 0)
            continue;
        const int32_t w = img->width(), h = img->height();
        const int32_t left = 4 + (i % 5) * kReportCellPitch + (kReportCellSize - w) / 2;
        const int32_t top = 4 + (i / 5) * kReportCellPitch + (kReportCellSize - h) / 2;
        // Row by row through seek32, whichever way the canvas stores its rows.
        for (int32_t y = 0; y < h; ++y)
            index.BlendImage(left, top + y, w, 1,
                             reinterpret_cast<const TColor32 *>(img->seek32(0, y)), 0, 0, w, 1,
                             blendNormal, blendKeep);
        index.DrawRectangle({left - 1, top - 1, left + w + 1, top + h + 1}, 1, frame, blendNormal,
                            blendKeep);
    }
}

TFormEventReport::TFormEventReport(QWidget *owner)
    : TDialogBaseForm(owner), FIndexImage(kReportIndexWidth, kReportIndexHeight, clBtnFace32())
{
    setDialogMode(dmOK);
    setWindowTitle(QString::fromUtf8("再生結果"));
    setClientSize(544, 351);

    BoxIndex = new TPaintBox(this);
    BoxIndex->setGeometry(16, 55, kReportIndexWidth, kReportIndexHeight);
    BoxIndex->OnPaint = [this](QPainter &p) { BoxIndexPaint(p); };
    LblState = makeLabel(this, "イベントの再生が終了しました", 16, 8, 512, Qt::AlignHCenter);
    LblFileName = makeLabel(this, "名称未設定 : 追記不可", 16, 32, 512, Qt::AlignHCenter);
    StaticTime = makeLabel(this, "再生時間", 16, 275, 248, Qt::AlignRight);
    StaticStep = makeLabel(this, "ステップ数", 16, 299, 248, Qt::AlignRight);
    LblTime = makeLabel(this, "-", 280, 275, 248, Qt::AlignLeft);
    LblStep = makeLabel(this, "-", 280, 299, 248, Qt::AlignLeft);
    ButtonOK->setText(QString::fromUtf8("閉じる(&C)"));
    ButtonOK->move(440, 323);
}

TFormEventReport::~TFormEventReport() = default;

void TFormEventReport::setReport(const TEventReportParam &param)
{
    LblState->setText(eventReportStateText(param.Reason));
    LblFileName->setText(eventReportFileText(param.FileName, param.Continue));
    paintReportIndex(FIndexImage, param.Image);
    LblTime->setText(eventReportTimeText(param.Time));
    LblStep->setText(QString::fromUtf8("%1 ステップ").arg(param.Step));
    BoxIndex->update();
}

void TFormEventReport::BoxIndexPaint(QPainter &painter)
{
    FIndexImage.Draw(painter, 0, 0, FIndexImage.Width(), FIndexImage.Height(), 0, 0);
}

bool showEventReport(const TEventReportParam &param, QWidget *owner)
{
    if (!qobject_cast<QApplication *>(QCoreApplication::instance()))
        return false;
    std::unique_ptr<TFormEventReport> form;
    try {
        form = std::make_unique<TFormEventReport>(owner);
    } catch (const std::bad_alloc &) {
        return false;
    }
    if (!form->IndexImage().Prepared())
        return false;
    form->setReport(param);
    form->exec();
    return true;
}
