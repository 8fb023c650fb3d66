#include "app/dialogs/jpeg_option_dialog.h"

#include "app/dialogs/image_size_dialog_fields.h"
#include "core/profile/app_profile.h"
#include "platform/desktop/messages.h"
#include "ui/fields/edit_boxes.h"
#include "ui/fields/trackbar.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>

#include <memory>
#include <new>

using namespace sizedlg;

namespace {

TNumEdit *addNumEdit(QWidget *parent, TNumMngr &num, const QRect &r)
{
    auto *edit = new TNumEdit(parent);
    edit->setGeometry(r);
    edit->setAlignment(taRightJustify);
    edit->setFormatString(QStringLiteral("%1.0f"));
    edit->setAssociate(&num);
    return edit;
}

TGraphicTrackbar *addTrack(QWidget *parent, const QRect &r)
{
    auto *track = new TGraphicTrackbar(parent);
    track->SetBounds(r.x(), r.y(), r.width(), r.height());
    return track;
}

// A small caption under a slider: left, centred on x or right-aligned at x.
void addEndLabel(QWidget *parent, const QString &text, int x, int y, Qt::Alignment align)
{
    const int w = 48;
    const int left = align == Qt::AlignLeft ? x : align == Qt::AlignRight ? x - w : x - w / 2;
    QLabel *label = addLabel(parent, text, QRect(left, y, w, 14));
    label->setAlignment(align | Qt::AlignVCenter);
}

} // namespace

TFormJpegOption::TFormJpegOption(CAppProfile &profile, QWidget *owner)
    : TDialogBaseForm(owner), FModel(profile)
{
    setWindowTitle(u8("JPEG 設定"));
    setClientSize(kClientWidth, kClientHeight);
    const int left = 12, right = 228; // the sliders' span

    LabelQ = addLabel(this, u8("品質(&Q)"), QRect(left, 12, 64, 16));
    CmbC = new QComboBox(this);
    CmbC->setGeometry(80, 8, 88, 22);
    for (const char *name : kJpegLevelNames)
        CmbC->addItem(u8(name));
    LabelQ->setBuddy(CmbC);
    EditQ = addNumEdit(this, FModel.NumQ, QRect(176, 9, 52, 20));
    TrackQ = addTrack(this, QRect(left, 34, right - left, 16));
    TrackQ->setCenterLine(true);
    TrackQ->OnInFilter = [](QObject *, float &p) { p = TrackQInFilter(p); };
    TrackQ->OnOutFilter = [](QObject *, float &s) { s = TrackQOutFilter(s); };
    addEndLabel(this, u8("最低"), left, 50, Qt::AlignLeft);
    addEndLabel(this, u8("標準"), (left + right) / 2, 50, Qt::AlignHCenter);
    addEndLabel(this, u8("最高"), right, 50, Qt::AlignRight);

    LabelS = addLabel(this, u8("スムーズ(&S)"), QRect(left, 74, 80, 16));
    EditS = addNumEdit(this, FModel.NumS, QRect(176, 71, 52, 20));
    LabelS->setBuddy(EditS);
    TrackS = addTrack(this, QRect(left, 96, right - left, 16));
    addEndLabel(this, u8("なし"), left, 112, Qt::AlignLeft);
    addEndLabel(this, u8("最大"), right, 112, Qt::AlignRight);

    ChkG = new QCheckBox(u8("モノクロ(&G)"), this);
    ChkG->setGeometry(left, 134, 96, 18);
    ChkP = new QCheckBox(u8("プログレッシブ(&P)"), this);
    ChkP->setGeometry(112, 134, 124, 18);

    showModel();
    FModel.OnValueChange = [this] { showModel(); };
    connect(CmbC, &QComboBox::currentIndexChanged, this, [this](int i) {
        if (!m_showing)
            FModel.selectLevel(i);
    });
    TrackQ->OnChange = [this](QObject *) {
        if (!m_showing)
            FModel.setTrackQ(TrackQ->Position());
    };
    TrackS->OnChange = [this](QObject *) {
        if (!m_showing)
            FModel.setTrackS(TrackS->Position());
    };
    connect(ChkG, &QCheckBox::toggled, this, [this](bool on) {
        if (!m_showing)
            FModel.setGrayscale(on);
    });
    connect(ChkP, &QCheckBox::toggled, this, [this](bool on) {
        if (!m_showing)
            FModel.setProgressive(on);
    });

    setTabOrder(CmbC, EditQ);
    setTabOrder(EditQ, EditS);
    setTabOrder(EditS, ChkG);
    setTabOrder(ChkG, ChkP);
    setTabOrder(ChkP, ButtonOK);
}

void TFormJpegOption::showModel()
{
    m_showing = true;
    CmbC->setCurrentIndex(FModel.level());
    TrackQ->setPosition(FModel.trackQ());
    TrackS->setPosition(FModel.trackS());
    ChkG->setChecked(FModel.grayscale());
    ChkP->setChecked(FModel.progressive());
    m_showing = false;
}

void TFormJpegOption::ButtonOKClick()
{
    TDialogBaseForm::ButtonOKClick(); // commits a number still being typed
    FModel.writeProfile();
}

bool showJpegOptionDialog(TJpegSaveOption &value)
{
    if (!gAppProfile)
        return false;
    try {
        auto form = std::make_unique<TFormJpegOption>(*gAppProfile);
        if (doShowModal(*form) != kavrin::mrOk)
            return false;
        value = form->model().CurValue();
        return true;
    } catch (const std::bad_alloc &) {
        return false;
    }
}
