#include "filters/dialogs/levels_dialog.h"

#include "filters/dialogs/dialog_values.h"
#include "platform/system/clock.h"
#include "ui/fields/edit_boxes.h"
#include "ui/fields/num_mngr.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

#include <algorithm>

namespace {
SLevelsMemo &memo()
{
    return filterDialogMemos().levels;
}
} // namespace

TFormLevels4::TFormLevels4(QWidget *owner) : TFilterRecordForm(owner)
{
    setWindowTitle(u8("レベル補正"));
    // Wide enough that OK and Cancel line up with the column of controls at 304 and the Preview
    // tick's caption fits inside.
    setClientSize(408, 260);
    GroupBoxC = new QGroupBox(this);
    GroupBoxC->setGeometry(8, 8, 288, 244);
    auto *label = new QLabel(u8("チャンネル(&C)"), GroupBoxC);
    label->setGeometry(12, 16, 90, 20);
    CmbC = new QComboBox(GroupBoxC);
    CmbC->addItems(
        {QStringLiteral("RGB"), QStringLiteral("R"), QStringLiteral("G"), QStringLiteral("B")});
    CmbC->setGeometry(104, 16, 72, 22);
    label->setBuddy(CmbC);
    connect(CmbC, &QComboBox::activated, this, [this] { CmbCChange(); });

    HistogramI = new CHistogram(GroupBoxC);
    HistogramI->SetBounds(15, 44, 258, 102);

    NumIMin = makeModel(0, 255, 1);
    NumIMid = makeModel(0.01f, 1.99f, 0.01f);
    NumIMax = makeModel(0, 255, 1);
    NumOMin = makeModel(0, 255, 1);
    NumOMax = makeModel(0, 255, 1);
    const QString whole = QStringLiteral("%1.0f");
    EditIMin = makeEdit(NumIMin, 12, 166, whole);
    EditIMid = makeEdit(NumIMid, 116, 166, QStringLiteral("%1.2f"));
    EditIMax = makeEdit(NumIMax, 220, 166, whole);
    EditOMin = makeEdit(NumOMin, 12, 210, whole);
    EditOMax = makeEdit(NumOMax, 220, 210, whole);
    EditIMin->OnExit = [this](QObject *s) { EditIExit(s); };
    EditIMax->OnExit = [this](QObject *s) { EditIExit(s); };
    auto *in = new QLabel(u8("入力レベル(&I)"), GroupBoxC);
    in->setGeometry(180, 16, 100, 20);
    in->setBuddy(EditIMin);
    auto *out = new QLabel(u8("出力レベル(&O)"), GroupBoxC);
    out->setGeometry(116, 210, 100, 20);
    out->setBuddy(EditOMin);

    TrackI = new TLevelsTrackbar(GroupBoxC);
    TrackI->SetBounds(12, 152, 264, 12);
    TrackI->FFocusControls = {EditIMin, EditIMid, EditIMax};
    TrackI->OnChange = [this](QObject *s) { ValueChange(s); };
    TrackO = new TLevelsTrackbar(GroupBoxC);
    TrackO->setTrackbarType(ltOutput);
    TrackO->SetBounds(12, 196, 264, 12);
    TrackO->FFocusControls = {EditOMin, nullptr, EditOMax};
    TrackO->OnChange = [this](QObject *s) { ValueChange(s); };

    CheckBoxPreview->move(304, 72);
    ChkL = new QCheckBox(u8("リニア(&L)"), this);
    ChkL->setGeometry(304, 100, 88, 20);
    connect(ChkL, &QCheckBox::clicked, this, [this] { ValueChange(ChkL); });
    ButtonD = new QPushButton(u8("初期値(&R)"), this);
    ButtonD->setGeometry(304, 128, 88, 20);
    connect(ButtonD, &QPushButton::clicked, this, [this] { ValueChange(ButtonD); });
    ButtonA = new QPushButton(u8("自動調整(&A)"), this);
    ButtonA->setGeometry(304, 156, 88, 20);
    connect(ButtonA, &QPushButton::clicked, this, [this] { ValueChange(ButtonA); });
}

TNumMngr *TFormLevels4::makeModel(float min, float max, float step)
{
    auto *m = new TNumMngr(this);
    m->beginLoading();
    m->setValueMin(min);
    m->setValueMax(max);
    m->setValue(min);
    m->endLoading();
    m->Amount = step;
    m->OnChange = [this](QObject *s) { ValueChange(s); };
    return m;
}

TNumEdit *TFormLevels4::makeEdit(TNumMngr *model, int left, int top, const QString &format)
{
    auto *e = new TNumEdit(GroupBoxC);
    e->setFormatString(format);
    e->setAlignment(taRightJustify);
    e->setGeometry(left, top, 56, 20);
    e->setAssociate(model);
    return e;
}

int TFormLevels4::Channel() const
{
    return std::max(CmbC->currentIndex(), 0);
}

void TFormLevels4::inputHandlesFollow()
{
    TrackI->SetPosition(ltpMid, NumIMid->Position());
    TrackI->SetPosition(ltpMin, NumIMin->Position());
    TrackI->SetPosition(ltpMax, NumIMax->Position());
}

void TFormLevels4::outputHandlesFollow()
{
    TrackO->SetPosition(ltpMin, NumOMin->Position());
    TrackO->SetPosition(ltpMax, NumOMax->Position());
}

void TFormLevels4::loadColumn(int c)
{
    NumIMin->setValue(float(levelsCell(FCurParam, c, 0)));
    NumIMid->setValue(float(levelsCell(FCurParam, c, 1)) / 100);
    NumIMax->setValue(float(levelsCell(FCurParam, c, 2)));
    NumOMin->setValue(float(levelsCell(FCurParam, c, 3)));
    NumOMax->setValue(float(levelsCell(FCurParam, c, 4)));
    inputHandlesFollow();
    outputHandlesFollow();
}

void TFormLevels4::ResetToDefaults()
{
    FCurParam = levelsRecord(SLevelsMemo{}.columns, false);
    NumIMin->setValue(0);
    NumIMid->setValue(1);
    NumIMax->setValue(255);
    NumOMin->setValue(0);
    NumOMax->setValue(255);
    inputHandlesFollow();
    outputHandlesFollow();
    ChkL->setChecked(memo().linear);
}

void TFormLevels4::SetupControls()
{
    // The histogram shows the layer before filtering.
    if (FltMngr)
        HistogramI->SetParams(*FltMngr);
    CmbC->setCurrentIndex(0);
    ResetToDefaults();
    setPreviewChecked(memo().preview);
}

void TFormLevels4::CmbCChange()
{
    const bool was = UpdateNow;
    UpdateNow = true;
    const int c = Channel();
    HistogramI->SetHistogramType(eHistogramType(c));
    TrackO->setChannel(TLevelsChannel(c));
    loadColumn(c);
    UpdateNow = was;
}

void TFormLevels4::ReadCurParam()
{
    writeLevelsColumn(FCurParam, Channel(), NumIMin->Value(), NumIMid->Value(), NumIMax->Value(),
                      NumOMin->Value(), NumOMax->Value(), ChkL->isChecked());
}

void TFormLevels4::EditIExit(QObject *Sender)
{
    if (NumIMax->Value() > NumIMin->Value())
        return;
    const bool was = UpdateNow;
    UpdateNow = true;
    if (Sender == EditIMin)
        NumIMax->setValue(NumIMin->Value() + 1);
    else
        NumIMin->setValue(NumIMax->Value() - 1);
    TrackI->SetPosition(ltpMin, NumIMin->Position());
    TrackI->SetPosition(ltpMax, NumIMax->Position());
    UpdateNow = was;
    if (UpdateNow)
        return;
    // The repaired range is read and previewed after the usual delay.
    ReadCurParam();
    LastTime = timeGetTime();
    TimerUpdate->start();
}

uint8_t TFormLevels4::ControlChanged(QObject *Sender)
{
    if (Sender == NumIMin) {
        if (NumIMax->Value() > NumIMin->Value()) {
            NumIMin->setValue(std::min(NumIMin->Value(), NumIMax->Value() - 1));
            TrackI->SetPosition(ltpMin, NumIMin->Position());
        }
        return 2;
    }
    if (Sender == NumIMax) {
        if (NumIMax->Value() > NumIMin->Value()) {
            NumIMax->setValue(std::max(NumIMax->Value(), NumIMin->Value() + 1));
            TrackI->SetPosition(ltpMax, NumIMax->Position());
        }
        return 2;
    }
    if (Sender == NumIMid) {
        TrackI->SetPosition(ltpMid, NumIMid->Position());
        return 2;
    }
    if (Sender == NumOMin || Sender == NumOMax) {
        outputHandlesFollow();
        return 2;
    }
    if (Sender == TrackI) {
        switch (TrackI->ChangePart()) {
        case ltpMin:
            NumIMin->setPosition(TrackI->PositionMin());
            if (NumIMax->Value() <= NumIMin->Value()) {
                NumIMin->setValue(NumIMax->Value() - 1);
                TrackI->SetPosition(ltpMin, NumIMin->Position());
            }
            break;
        case ltpMax:
            NumIMax->setPosition(TrackI->PositionMax());
            if (NumIMin->Value() >= NumIMax->Value()) {
                NumIMax->setValue(NumIMin->Value() + 1);
                TrackI->SetPosition(ltpMax, NumIMax->Position());
            }
            break;
        case ltpMid:
            NumIMid->setPosition(TrackI->PositionMid());
            break;
        case ltpNone:
            break;
        }
        return 2;
    }
    if (Sender == TrackO) {
        // An output minimum above the maximum is allowed: the mapping is then inverted.
        if (TrackO->ChangePart() == ltpMin)
            NumOMin->setPosition(TrackO->PositionMin());
        else if (TrackO->ChangePart() == ltpMax)
            NumOMax->setPosition(TrackO->PositionMax());
        return 2;
    }
    if (Sender == ChkL)
        return 1;
    if (Sender == ButtonD) {
        ResetToDefaults();
        return 1;
    }
    if (Sender == ButtonA) {
        ResetToDefaults();
        const SHistogramTables &t = HistogramI->tables();
        uint8_t *b = reinterpret_cast<uint8_t *>(&FCurParam);
        for (int c = 1; c <= 3; ++c) {
            const int table = c - 1;
            const SLevelsAutoRange r =
                levelsAutoRange(t.FMinColor[size_t(table)], t.FMaxColor[size_t(table)]);
            b[0 + c] = uint8_t(r.inMin);
            b[8 + c] = uint8_t(r.inMax);
        }
        // The boxes show the adjusted column of the channel shown, so that reading them back
        // keeps the automatic range.
        loadColumn(Channel());
        return 1;
    }
    return 0;
}

void TFormLevels4::ButtonOKClick()
{
    TFormFilter::ButtonOKClick();
    for (int c = 0; c < 4; ++c)
        for (int k = 0; k < 5; ++k)
            memo().columns[size_t(c)][size_t(k)] = levelsCell(FCurParam, c, k);
    memo().linear = reinterpret_cast<const uint8_t *>(&FCurParam)[20] != 0;
    memo().preview = PreviewChecked();
}

bool execLevelsDialog(sFltObj6 &rec, CFlt4Core &core)
{
    return runFilterDialog<TFormLevels4>(core, rec);
}

bool makeLevelsLastParam(sFltObj6 &rec)
{
    rec = lastLevels(memo());
    return true;
}
