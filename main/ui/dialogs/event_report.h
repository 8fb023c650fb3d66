// The summary shown when a replay of recorded events ends: how it ended, the replayed file and
// whether events can be appended to it, the playing time, the number of steps, and up to ten
// small images taken during the replay, laid out in two rows of five cells.
#pragma once

#include "ui/forms/base_forms.h"
#include "ui/graphics/memory_graphic.h"

#include <QString>

#include <array>
#include <cstdint>

class QLabel;
class QWidget;
class TMTC;
class TPaintBox;

enum TReportReason : uint8_t
{
    rrEnd,   // the replay reached its end
    rrStop,  // the user interrupted it
    rrError, // an error stopped it
};

struct TEventReportParam
{
    TReportReason Reason = rrEnd;
    QString FileName;
    bool Continue = false; // events can be appended to the file
    uint32_t Time = 0;     // playing time in milliseconds
    uint32_t Step = 0;     // replayed steps
    // Index images, row by row (not owned); null entries leave their cells empty.
    std::array<const TMTC *, 10> Image{};
};

// "[h 時間 ][m 分 ]s 秒 mmm": hours and minutes only when not 0, milliseconds as three digits.
QString eventReportTimeText(uint32_t ms);
QString eventReportStateText(TReportReason reason);
// "name : 追記可" or "name : 追記不可".
QString eventReportFileText(const QString &fileName, bool canContinue);

// The index image's layout: cells of 97 x 97 at (4 + 102 column, 4 + 102 row).
inline constexpr int kReportIndexWidth = 512;
inline constexpr int kReportIndexHeight = 206;
inline constexpr int kReportCellSize = 97;
inline constexpr int kReportCellPitch = 102;
// Each image centred in its cell and blended by its alpha, with a one-pixel frame around it in
// the window-frame colour at alpha 153. What lies outside the picture is clipped.
void paintReportIndex(TMemoryGraphic &index, const std::array<const TMTC *, 10> &images);

class TFormEventReport : public TDialogBaseForm
{
  public:
    explicit TFormEventReport(QWidget *owner = nullptr);
    ~TFormEventReport() override;

    // Fills every control from the record.
    void setReport(const TEventReportParam &param);
    // Copies the whole index image to the paint box.
    void BoxIndexPaint(QPainter &painter);
    const TMemoryGraphic &IndexImage() const { return FIndexImage; }

    TPaintBox *BoxIndex;
    QLabel *LblState;
    QLabel *LblFileName;
    QLabel *StaticTime;
    QLabel *StaticStep;
    QLabel *LblTime;
    QLabel *LblStep;

  private:
    TMemoryGraphic FIndexImage;
};

// Shows the report modally; false when the dialog cannot be made (no application object, no
// memory).
bool showEventReport(const TEventReportParam &param, QWidget *owner = nullptr);
