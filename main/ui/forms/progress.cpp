#include "ui/forms/progress.h"

#include "core/image/display_canvas.h"
#include "platform/system/clock.h"
#include "ui/graphics/appearance.h"

#include <QApplication>
#include <QLabel>
#include <QPainter>
#include <QProgressBar>

#include <utility>

namespace {
std::function<QString()> &versionCaption()
{
    static std::function<QString()> provider;
    return provider;
}

QLabel *fixedLabel(QWidget *parent, int x, int y, int w, int h)
{
    auto *l = new QLabel(parent);
    l->setGeometry(x, y, w, h);
    return l;
}
} // namespace

std::function<QString()> setVersionCaptionProvider(std::function<QString()> provider)
{
    return std::exchange(versionCaption(), std::move(provider));
}

TProgressDlg::TProgressDlg(QWidget *owner)
    : TBaseForm(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
{
    setClientSize(272, 88);
    Label1 = fixedLabel(this, 16, 12, 240, 13);
    Label2 = fixedLabel(this, 16, 36, 240, 13);
    Label3 = fixedLabel(this, 224, 61, 32, 13);
    Label3->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    Label3->setText(QStringLiteral("100%"));
    ProgressBar1 = new QProgressBar(this);
    ProgressBar1->setGeometry(16, 60, 205, 15);
    ProgressBar1->setRange(0, 100);
    ProgressBar1->setTextVisible(false);
}

void TProgressDlg::repaintNow()
{
    // The work runs on this thread without returning to the event loop: paint now, and let the
    // window system catch up, but take no user input.
    repaint();
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void TProgressDlg::setCaption(const QString &t)
{
    setWindowTitle(t.isEmpty() && versionCaption() ? versionCaption()() : t);
    repaintNow();
}

void TProgressDlg::setMsg1(const QString &t)
{
    Label1->setText(t);
    repaintNow();
}

void TProgressDlg::setMsg2(const QString &t)
{
    Label2->setText(t);
    repaintNow();
}

void TProgressDlg::setCaptions(const QString &t, const QString &s0, const QString &s1)
{
    setCaption(t);
    setMsg1(s0);
    setMsg2(s1);
}

int TProgressDlg::reset(int stp, int val)
{
    steps = std::max(stp, 1);
    return setStep(val);
}

bool TProgressDlg::start(QWidget *owner, int stp, int val)
{
    ownerForm = owner;
    reset(stp, val);
    if (owner) {
        const QRect g = owner->window()->frameGeometry();
        move(g.center() - QPoint(width() / 2, height() / 2));
    }
    show();
    repaintNow();
    return true;
}

int TProgressDlg::setStep(int v)
{
    value = v;
    int percent = int(int64_t(v) * 100 / steps);
    if (percent > 99)
        percent = 100;
    ProgressBar1->setValue(std::max(percent, 0));
    Label3->setText(QString::number(percent) + u'%');
    repaintNow();
    return percent;
}

int TProgressDlg::getPercent() const
{
    return ProgressBar1->value();
}

std::unique_ptr<TProgressDlg> showProgressDlg(QWidget *AOwner, int Steps, const QString &Msg1,
                                              const QString &Msg2)
{
    try {
        auto dlg = std::make_unique<TProgressDlg>(AOwner);
        dlg->setCaptions(QString(), Msg1, Msg2);
        dlg->start(AOwner, Steps, 0);
        return dlg;
    } catch (...) {
        return nullptr;
    }
}

void setMsg1(TProgressDlg *dlg, const QString &t)
{
    if (dlg)
        dlg->setMsg1(t);
}

void setMsg2(TProgressDlg *dlg, const QString &t)
{
    if (dlg)
        dlg->setMsg2(t);
}

int reset(TProgressDlg *dlg, int stp, int val)
{
    return dlg ? dlg->reset(stp, val) : 0;
}

int setStep(TProgressDlg *dlg, int v)
{
    return dlg ? dlg->setStep(v) : 0;
}

int incStep(TProgressDlg *dlg, int d)
{
    return dlg ? dlg->incStep(d) : 0;
}

// ---- TGraphicProgressBar

TSplitTime splitMilliseconds(uint32_t ms)
{
    TSplitTime t;
    t.hours = ms / 3600000;
    t.minutes = ms % 3600000 / 60000;
    t.seconds = (ms - t.hours * 3600000 - t.minutes * 60000) / 1000;
    t.milliseconds = ms % 1000;
    return t;
}

TGraphicProgressBar::TGraphicProgressBar(QWidget *parent)
    : TGraphicControl(parent), FImage(clBtnFace32())
{
}

void TGraphicProgressBar::setPosition(int32_t v)
{
    if (v != FFraction.Numerator) {
        FFraction.Numerator = v;
        UpdateImage();
    }
}

void TGraphicProgressBar::setPositionMax(int32_t v)
{
    if (v != FFraction.Denominator) {
        FFraction.Denominator = v;
        UpdateImage();
    }
}

void TGraphicProgressBar::setTextType(TGraphicProgressBarType v)
{
    if (v != FTextType) {
        FTextType = v;
        UpdateImage();
    }
}

void TGraphicProgressBar::SetPositions(int32_t APosition, int32_t AMax, uint32_t ATime)
{
    FStartTime = ATime;
    FFraction = {APosition, AMax};
    UpdateImage();
}

void TGraphicProgressBar::SetBounds(int left, int top, int width, int height)
{
    TGraphicControl::SetBounds(left, top, width, height);
    if (width != FImage.Width() || height != FImage.Height()) {
        FImage.SetSize(std::max(width, 4), std::max(height, 4));
        UpdateImage();
    }
}

uint32_t TGraphicProgressBar::elapsedTime() const
{
    return timeGetTime() - FStartTime;
}

uint32_t TGraphicProgressBar::remainingTime() const
{
    if (Position() <= 0)
        return 0;
    // A 64-bit product: the 32-bit one overflows after a few minutes of a long replay.
    const int64_t rest =
        int64_t(elapsedTime()) * (int64_t(PositionMax()) - Position()) / Position();
    return uint32_t(std::clamp<int64_t>(rest, 0, UINT32_MAX));
}

QString TGraphicProgressBar::Text() const
{
    auto timeText = [](const char *format, uint32_t ms) {
        const TSplitTime t = splitMilliseconds(ms);
        return QString::asprintf(format, t.hours, t.minutes, t.seconds, t.milliseconds);
    };
    switch (FTextType) {
    case gpbPercent: {
        const float r = PositionMax() == 0 ? 32767.0f : float(Position()) / float(PositionMax());
        return QString::asprintf("%1.2f%%", std::clamp(double(r) * 100, 0.0, 100.0));
    }
    case gpbPosition:
        return QString::asprintf("%d / %d", Position(), PositionMax());
    case gpbPastTime:
        return timeText("経過: %u:%2.2u:%2.2u.%3.3u", elapsedTime());
    case gpbRestTime:
        return timeText("残り: %u:%2.2u:%2.2u.%3.3u", remainingTime());
    }
    return QString();
}

void TGraphicProgressBar::UpdateImage()
{
    if (!FImage.Prepared() || FImage.Width() < 4 || FImage.Height() < 4)
        return;
    const int32_t W = FImage.Width(), H = FImage.Height();
    FImage.DrawRectangle({0, 0, W, H}, 1, clGrayText32(), blendCopy, blendKeep);
    FImage.DrawRectangle({1, 1, W - 1, H - 1}, 1, clWindow32(), blendCopy, blendKeep);
    const sRect inner{2, 2, W - 2, H - 2};
    FImage.FillRectangle(inner, clBtnFace32(), blendCopy, blendKeep);
    const float r = PositionMax() == 0 ? 32767.0f : float(Position()) / float(PositionMax());
    const double cols = std::trunc(double(r) * (inner.x1 - inner.x0) + 0.5);
    if (cols > 0) // a ratio above 1 runs on to the picture's edge (clipped there)
        FImage.FillRectangle(
            {inner.x0, inner.y0, inner.x0 + int32_t(std::min(cols, 65536.0)), inner.y1},
            clHighlightHalf32(), blendNormal, blendKeep);
    sRect textRect = inner;
    FImage.DrawText(Text(), textRect, font(), clWindowText32(),
                    DT_RIGHT | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS);
    update();
}

void TGraphicProgressBar::Paint(QPainter &painter)
{
    FImage.Draw(painter, 0, 0, width(), height(), 0, 0);
}
