// Progress display: the small window every long file operation shows while it works (repainted
// at once after every change, since the work holds the event loop), and the owner-drawn progress
// bar of the replay panel with its percentage, position or time text.
#pragma once

#include "core/base/geometry.h"
#include "ui/base/graphic_control.h"
#include "ui/forms/base_forms.h"
#include "ui/graphics/memory_graphic.h"

#include <QString>

#include <cstdint>
#include <functional>
#include <memory>

class QLabel;
class QProgressBar;

class TProgressDlg : public TBaseForm
{
  public:
    explicit TProgressDlg(QWidget *owner = nullptr);

    // Window caption; empty gives the program's version caption.
    void setCaption(const QString &t);
    void setMsg1(const QString &t);
    void setMsg2(const QString &t);
    void setCaptions(const QString &t, const QString &s0, const QString &s1);
    // steps := max(stp, 1), then setStep(val); the percentage.
    int reset(int stp, int val);
    // Shows the dialog (modeless) and repaints it; true.
    bool start(QWidget *owner, int stp, int val);
    // value := v; percentage v * 100 div steps, 100 above 99; shown at once.
    int setStep(int v);
    int incStep(int d) { return setStep(value + d); }
    int getPercent() const;
    int curValue() const { return value; }

    QProgressBar *ProgressBar1 = nullptr;
    QLabel *Label1 = nullptr;
    QLabel *Label2 = nullptr;
    QLabel *Label3 = nullptr;

  private:
    void repaintNow();

    QWidget *ownerForm = nullptr;
    int steps = 1;
    int value = 0;
};

// The caption shown when none is given (the shell installs the version caption); returns the
// previous provider.
std::function<QString()> setVersionCaptionProvider(std::function<QString()> provider);

// Creates, captions and shows the dialog; null when that fails. The caller frees it when done.
std::unique_ptr<TProgressDlg> showProgressDlg(QWidget *AOwner, int Steps, const QString &Msg1,
                                              const QString &Msg2);
// The calls a file operation makes, safe on an absent dialog (they then do nothing and give 0).
void setMsg1(TProgressDlg *dlg, const QString &t);
void setMsg2(TProgressDlg *dlg, const QString &t);
int reset(TProgressDlg *dlg, int stp, int val);
int setStep(TProgressDlg *dlg, int v);
int incStep(TProgressDlg *dlg, int d);

enum TGraphicProgressBarType : uint8_t
{
    gpbPercent,
    gpbPosition,
    gpbPastTime,
    gpbRestTime,
};

// Hours, minutes, seconds and milliseconds of a millisecond count.
struct TSplitTime
{
    uint32_t hours = 0, minutes = 0, seconds = 0, milliseconds = 0;
};
TSplitTime splitMilliseconds(uint32_t ms);

class TGraphicProgressBar : public TGraphicControl
{
  public:
    explicit TGraphicProgressBar(QWidget *parent = nullptr);

    int32_t Position() const { return FFraction.Numerator; }
    void setPosition(int32_t v);
    int32_t PositionMax() const { return FFraction.Denominator; }
    void setPositionMax(int32_t v);
    TGraphicProgressBarType TextType() const { return FTextType; }
    void setTextType(TGraphicProgressBarType v);
    uint32_t StartTime() const { return FStartTime; }
    void setStartTime(uint32_t t) { FStartTime = t; }
    void SetPositions(int32_t APosition, int32_t AMax, uint32_t ATime);

    void SetBounds(int left, int top, int width, int height) override;
    // The text the bar shows now.
    QString Text() const;
    // Milliseconds elapsed since StartTime, and the estimate of those remaining.
    uint32_t elapsedTime() const;
    uint32_t remainingTime() const;
    const TMemoryGraphic &picture() const { return FImage; }

  protected:
    void Paint(QPainter &painter) override;

  private:
    void UpdateImage();

    TMemoryGraphic FImage;
    TFraction FFraction{0, 100};
    uint32_t FStartTime = 0;
    TGraphicProgressBarType FTextType = gpbPercent;
};
