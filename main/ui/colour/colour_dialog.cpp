#include "ui/colour/colour_dialog.h"

#include "platform/desktop/messages.h"
#include "platform/system/regex.h"
#include "ui/base/caption_fit.h"

#include <QCheckBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QRadioButton>

#include <cmath>
#include <numbers>

namespace {

// The radio buttons' spaces, in the order of the form's arrays.
constexpr TColorPickerSpace kRadioSpaces[9] = {cpHSV, cpSHV, cpVHS, cpHSL, cpSHL,
                                               cpLHS, cpRGB, cpGRB, cpBRG};
const char *const kCaptions[9] = {"&H", "&S", "&V", "H(&U)", "S(&A)", "&L", "&R", "&G", "&B"};
// Row tops and the x of the radio button, label and edit of each field.
constexpr int kRowY[9] = {118, 142, 166, 118, 142, 166, 202, 226, 250};
constexpr int kColumnX[9][3] = {{312, 330, 344}, {312, 330, 344}, {312, 330, 344},
                                {392, 410, 440}, {392, 410, 440}, {392, 410, 440},
                                {312, 330, 344}, {312, 330, 344}, {312, 330, 344}};
constexpr QRect kPickerPlace(11, 5, 284, 266);
constexpr QRect kCellPlace(312, 8, 56, 56);

constexpr double kPi = std::numbers::pi;

QString hexBytes(int r, int g, int b, bool upper)
{
    QString s = QStringLiteral("%1%2%3")
                    .arg(r, 2, 16, QLatin1Char('0'))
                    .arg(g, 2, 16, QLatin1Char('0'))
                    .arg(b, 2, 16, QLatin1Char('0'));
    return upper ? s.toUpper() : s;
}

bool isHexText(const QString &s)
{
    for (QChar c : s)
        if (!(c.isDigit() && c.unicode() < 128) && !(c >= u'a' && c <= u'f') &&
            !(c >= u'A' && c <= u'F'))
            return false;
    return true;
}

} // namespace

// ---- THexEdit

THexEdit::THexEdit(QWidget *parent) : TCustomEditEx(parent) {}

void THexEdit::keyPressEvent(QKeyEvent *ev)
{
    const QString t = ev->text();
    // Only typed characters go through the filter; keys that type nothing (arrows, Delete,
    // shortcuts) pass.
    if (t.size() == 1 && t[0].unicode() >= 0x20 && !(ev->modifiers() & Qt::ControlModifier)) {
        QChar key = t[0];
        TColorPickerForm::EditSharpKeyPress(key);
        if (key.isNull())
            return;
    }
    TCustomEditEx::keyPressEvent(ev);
}

// ---- TColorPickerForm

TColorPickerForm::TColorPickerForm(QWidget *owner) : TDialogBaseForm(owner)
{
    setWindowTitle(QStringLiteral("カラーピッカー"));
    setClientSize(488, 300);

    LabelK = new QLabel(QStringLiteral("種類(&K)"), this);
    LabelK->move(312, 84);
    ComboBoxK = new QComboBox(this);
    ComboBoxK->addItems({QStringLiteral("エリアとスライダ"), QStringLiteral("色相環とエリア"),
                         QStringLiteral("色相環とスライダ")});
    // 120 wide, or as wide as the longest kind needs in the font in use (the box measures
    // itself once, so only after its items are in).
    ComboBoxK->setGeometry(352, 80, 120, ComboBoxK->sizeHint().height());
    fitCaptionWidth(ComboBoxK);
    LabelK->setBuddy(ComboBoxK);

    for (int i = 0; i < 9; ++i) {
        RadioButtons[i] = new QRadioButton(this);
        RadioButtons[i]->setGeometry(kColumnX[i][0], kRowY[i], 16, 20);
        Labels[i] = new QLabel(QString::fromUtf8(kCaptions[i]), this);
        Labels[i]->move(kColumnX[i][1], kRowY[i] + 2);
        Nums[i] = new TNumMngr(this);
        Nums[i]->Amount = 1;
        const bool hue = i == iH || i == iU, rgb = i >= iR;
        Nums[i]->SetValues(nullptr, 0, hue ? -999 : 0, hue ? 999 : rgb ? 255 : 100);
        if (hue)
            Nums[i]->SetWraps(nullptr, true, 0, 360);
        Edits[i] = new TNumEdit(this);
        Edits[i]->setGeometry(kColumnX[i][2], kRowY[i], 32, 20);
        Edits[i]->setAlignment(taRightJustify);
        Edits[i]->setFormatString(QStringLiteral("%1.0f"));
        Edits[i]->setAssociate(Nums[i]);
        // Leaving a field shows the model's value (a wrapped hue, a clamped number).
        TNumEdit *edit = Edits[i];
        Edits[i]->OnExit = [edit](QObject *) { edit->UpdateValues(); };
        Labels[i]->setBuddy(Edits[i]);
        const TColorPickerSpace space = kRadioSpaces[i];
        connect(RadioButtons[i], &QRadioButton::clicked, this,
                [this, space] { SpaceClick(space); });
        Nums[i]->OnChange = [this](QObject *s) { ColorChange(s); };
    }
    RadioButtons[iH]->setChecked(true);

    CheckBoxC = new QCheckBox(QStringLiteral("スライダの色を変える(&D)"), this);
    CheckBoxC->move(16, 276);
    CheckBoxC->adjustSize();
    CheckBoxC->setChecked(true);
    connect(CheckBoxC, &QCheckBox::clicked, this, [this] { CheckBoxCClick(); });

    LabelSharp = new QLabel(QStringLiteral("#"), this);
    LabelSharp->move(316, 276);
    EditSharp = new THexEdit(this);
    EditSharp->setGeometry(330, 274, 46, 20);
    EditSharp->setAlignment(taRightJustify);
    EditSharp->setMaxLength(6);
    EditSharp->setText(QStringLiteral("000000"));
    connect(EditSharp, &QLineEdit::textChanged, this, [this] { ColorChange(EditSharp); });

    FColorPicker = new TColorPicker(this);
    FColorPicker->SetBounds(kPickerPlace.x(), kPickerPlace.y(), kPickerPlace.width(),
                            kPickerPlace.height());
    FColorPicker->OnChange = [this](QObject *s) { ColorChange(s); };

    FColorCell = new TPickerColorCell(this);
    FColorCell->setDrawInitialColor(true);
    FColorCell->setCallPickerDialog(false);
    FColorCell->SetBounds(kCellPlace.x(), kCellPlace.y(), kCellPlace.width(), kCellPlace.height());
    FColorCell->OnChange = [this](QObject *s) { ColorChange(s); };
    FColorCell->OnMouseDown = [this](QObject *s, Qt::MouseButton b, Qt::KeyboardModifiers m, int x,
                                     int y) { InitialColorMouseDown(s, b, m, x, y); };

    ComboBoxK->setCurrentIndex(0);
    connect(ComboBoxK, &QComboBox::currentIndexChanged, this, [this] { ComboBoxKChange(); });
}

TColorPickerForm::~TColorPickerForm()
{
    // The models go with the form; nothing may answer their last notifications.
    FColorUpdate = true;
    for (TNumMngr *n : Nums)
        n->OnChange = nullptr;
    delete FColorCell;
    delete FColorPicker;
}

void TColorPickerForm::Start(const TColorPickerValue &Value)
{
    FColorCell->setInitialColor(Value);
    FColorCell->setSelectColor(Value);
    FColorPicker->setColors(Value);
}

int TColorPickerForm::numIndex(QObject *Sender) const
{
    for (int i = 0; i < 9; ++i)
        if (Sender == Nums[i])
            return i;
    return -1;
}

void TColorPickerForm::ColorChange(QObject *Sender)
{
    if (FColorUpdate || !FColorPicker || !FColorCell)
        return;
    FColorUpdate = true;
    // Cleared on every way out, an exception's too.
    struct Clear
    {
        bool &flag;
        ~Clear() { flag = false; }
    } clear{FColorUpdate};

    const int n = numIndex(Sender);
    if (Sender == FColorCell) {
        NumbersFromColor(FColorCell->SelectColor());
    } else if (Sender == FColorPicker) {
        if (compareColorPickerValues(FColorCell->SelectColor(), FColorPicker->Colors()) != 0)
            FColorCell->setSelectColor(FColorPicker->Colors());
        NumbersFromColor(FColorPicker->Colors());
    } else if (n >= 0 && FColorPicker->Manager()) {
        TColorManager &m = *FColorPicker->Manager();
        if (n <= iV) {
            m.setHSV({float(Nums[iH]->Value() * kPi / 180), Nums[iS]->Value() / 100,
                      Nums[iV]->Value() / 100});
        } else if (n <= iL) {
            m.setHSL({float(Nums[iU]->Value() * kPi / 180), Nums[iA]->Value() / 100,
                      Nums[iL]->Value() / 100});
        } else {
            m.setRGB({Nums[iR]->Value() / 255, Nums[iG]->Value() / 255, Nums[iB]->Value() / 255});
        }
        NumbersAfterManagerChange(n <= iV ? 0 : n <= iL ? 1 : 2);
        ShowHexFromModels();
        FollowPicker();
    } else if (Sender == EditSharp && FColorPicker->Manager()) {
        const QString text = EditSharp->text().rightJustified(6, u'0');
        if (!isHexText(text)) {
            // Pasted text that is not hexadecimal changes nothing: the field shows the colour.
            const TColor32 c = colorPickerValueToColor32(FColorPicker->Colors(), 255);
            EditSharp->setText(hexBytes(c.r, c.g, c.b, false));
        } else {
            Nums[iR]->setValue(float(text.mid(0, 2).toInt(nullptr, 16)));
            Nums[iG]->setValue(float(text.mid(2, 2).toInt(nullptr, 16)));
            Nums[iB]->setValue(float(text.mid(4, 2).toInt(nullptr, 16)));
            FColorPicker->Manager()->setRGB(
                {Nums[iR]->Value() / 255, Nums[iG]->Value() / 255, Nums[iB]->Value() / 255});
            NumbersAfterManagerChange(2);
            FollowPicker();
        }
    }
    if (isVisible())
        FColorPicker->update();
}

void TColorPickerForm::NumbersFromColor(const TColorPickerValue &Value)
{
    const double d = double(Value.hsv.h) * 180 / kPi;
    int k = int(std::trunc(d + 0.5)) % 360;
    if (k < 0)
        k += 360;
    const TColor32 c = colorPickerValueToColor32(Value, 255);
    Nums[iR]->setValue(c.r);
    Nums[iG]->setValue(c.g);
    Nums[iB]->setValue(c.b);
    Nums[iH]->setValue(float(k));
    Nums[iS]->setValue(Value.hsv.s * 100);
    Nums[iV]->setValue(Value.hsv.v * 100);
    Nums[iU]->setValue(float(k));
    Nums[iA]->setValue(Value.hsl.s * 100);
    Nums[iL]->setValue(Value.hsl.l * 100);
    EditSharp->setText(hexBytes(c.r, c.g, c.b, false));
}

// After the manager took HSV (group 0), HSL (1) or RGB (2) from the numbers, the other numbers
// follow from it.
void TColorPickerForm::NumbersAfterManagerChange(int group)
{
    const TColorPickerValue v = FColorPicker->Colors();
    if (group == 0) {
        Nums[iU]->setValue(Nums[iH]->Value());
    } else if (group == 1) {
        Nums[iH]->setValue(Nums[iU]->Value());
    } else {
        // Not rounded: the model's wrap brings the hue into 0..360.
        Nums[iH]->setValue(float(double(v.hsv.h) * 180 / kPi));
        Nums[iU]->setValue(Nums[iH]->Value());
    }
    if (group != 0) {
        Nums[iS]->setValue(v.hsv.s * 100);
        Nums[iV]->setValue(v.hsv.v * 100);
    }
    if (group != 1) {
        Nums[iA]->setValue(v.hsl.s * 100);
        Nums[iL]->setValue(v.hsl.l * 100);
    }
    if (group != 2) {
        Nums[iR]->setValue(v.rgb.r * 255);
        Nums[iG]->setValue(v.rgb.g * 255);
        Nums[iB]->setValue(v.rgb.b * 255);
    }
}

void TColorPickerForm::ShowHexFromModels()
{
    EditSharp->setText(
        hexBytes(int(Nums[iR]->Value()), int(Nums[iG]->Value()), int(Nums[iB]->Value()), true));
}

void TColorPickerForm::FollowPicker()
{
    FColorPicker->RebuildImage();
    FColorCell->setSelectColor(FColorPicker->Colors());
}

void TColorPickerForm::ComboBoxKChange()
{
    const int item = ComboBoxK->currentIndex();
    static constexpr uint8_t kKinds[3] = {0, 2, 3};
    if (item < 0 || item > 2)
        return;
    if (!switchColorPickerKind(FColorPicker, kKinds[item], FColorSpaces[size_t(item)]))
        return;
    FColorPicker->OnChange = [this](QObject *s) { ColorChange(s); };
    const TColorPickerSpaces supported = FColorPicker->SupportSpaces();
    for (int i = 0; i < 9; ++i) {
        RadioButtons[i]->setEnabled(spaceIn(kRadioSpaces[i], supported));
        if (kRadioSpaces[i] == FColorPicker->ColorSpace())
            RadioButtons[i]->setChecked(true);
    }
    CheckBoxC->setEnabled(kKinds[item] != 2);
}

void TColorPickerForm::SpaceClick(TColorPickerSpace Space)
{
    const int item = ComboBoxK->currentIndex();
    if (!spaceIn(Space, FColorPicker->SupportSpaces()) || item < 0 || item > 2)
        return;
    FColorSpaces[size_t(item)] = Space;
    FColorPicker->setColorSpace(Space);
}

void TColorPickerForm::CheckBoxCClick()
{
    FColorPicker->setSliderColorChange(CheckBoxC->isChecked());
}

void TColorPickerForm::InitialColorMouseDown(QObject *, Qt::MouseButton, Qt::KeyboardModifiers,
                                             int X, int Y)
{
    if (FColorCell->GetPartFromPoint({X, Y}) != pccInitialColor)
        return;
    const TColorPickerValue initial = FColorCell->InitialColor();
    if (compareColorPickerValues(FColorPicker->Colors(), initial) != 0)
        FColorPicker->setColors(initial);
}

void TColorPickerForm::EditSharpKeyPress(QChar &Key)
{
    static const TRegExpr hexDigit(QStringLiteral("[0-9]|[a-f]|[A-F]"));
    if (Key == QChar(8) || hexDigit.Exec(QString(Key)))
        return;
    Key = QChar(0);
}

bool executeColorPickerDialog(TColorPickerValue &Value)
{
    TColorPickerForm form;
    form.Start(Value);
    if (form.exec() != kavrin::mrOk)
        return false;
    Value = form.Result();
    return true;
}
