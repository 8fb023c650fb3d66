#include "app/dialogs/new_document_dialog.h"

#include "core/base/geometry.h"
#include "document/edit/edit_ops.h"
#include "document/files/clipboard.h"
#include "platform/desktop/messages.h"
#include "ui/base/system_colours.h"
#include "ui/fields/edit_boxes.h"
#include "ui/fields/num_mngr.h"

#include <QAbstractItemView>
#include <QButtonGroup>
#include <QComboBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QStyledItemDelegate>

#include <algorithm>
#include <exception>
#include <initializer_list>
#include <memory>
#include <new>

namespace {

QString u8(const char *s)
{
    return QString::fromUtf8(s);
}

QColor sysColor(int index)
{
    const uint32_t c = getSysColor(index); // 0x00BBGGRR
    return QColor(int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF));
}

QLabel *label(QWidget *parent, const char *text, int x, int y, int w = 80)
{
    auto *l = new QLabel(u8(text), parent);
    l->setGeometry(x, y, w, 16);
    return l;
}

// The list's items: a separator is a grey line across the middle, 4 pixels in from both ends; a
// size type shows its name on the left and its size on the right.
class CSizeTypeDelegate : public QStyledItemDelegate
{
  public:
    CSizeTypeDelegate(const CNewDocumentModel &model, QObject *parent)
        : QStyledItemDelegate(parent), m_model(model)
    {
    }

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override
    {
        const int type = documentSizeTypeOfItem(index.row());
        const QRect r = option.rect;
        if (type < 0) {
            painter->fillRect(r, sysColor(COLOR_WINDOW));
            painter->setPen(sysColor(COLOR_GRAYTEXT));
            const int y = r.top() + r.height() / 2;
            painter->drawLine(r.left() + 4, y, r.right() - 4, y);
            return;
        }
        QStyledItemDelegate::paint(painter, option, index);
        const QString size = documentSizeText(type, m_model.userSizes());
        if (size.isEmpty())
            return;
        const bool selected = option.state.testFlag(QStyle::State_Selected);
        painter->setPen(
            option.palette.color(selected ? QPalette::HighlightedText : QPalette::Text));
        painter->drawText(r.adjusted(4, 0, -4, 0), Qt::AlignRight | Qt::AlignVCenter, size);
    }

    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        QSize s = QStyledItemDelegate::sizeHint(option, index);
        if (documentSizeTypeOfItem(index.row()) < 0)
            s.setHeight(8);
        return s;
    }

  private:
    const CNewDocumentModel &m_model;
};

// A list of the four length units by their names.
QComboBox *unitList(QWidget *parent, const QRect &r)
{
    auto *list = new QComboBox(parent);
    list->setGeometry(r);
    for (const char *name : {"pixel", "inch", "cm", "mm"})
        list->addItem(QString::fromLatin1(name));
    return list;
}

TNumEdit *sizeEdit(QWidget *parent, TNumMngr *num, const QRect &r, const QString &format)
{
    auto *e = new TNumEdit(parent);
    e->setGeometry(r);
    e->setAlignment(taRightJustify);
    e->setFormatString(format);
    e->setAssociate(num);
    return e;
}

// The size of the clipboard's picture, or 0 x 0 when it holds none: the copied area when the
// program's clip box came with it, else the bitmap's own size.
sSize clipboardPictureSize()
{
    int32_t w = 0, h = 0, bits = 0;
    if (!getClipboardDibInfo(w, h, bits))
        return {};
    sBox box;
    if (getClipBoxFromClipboard(box) && box.w > 0 && box.h > 0)
        return box.size();
    return sSize{w, h < 0 ? -h : h};
}

} // namespace

QString documentSizeText(int type, const CNewDocumentModel::TUserSizes &user)
{
    if (type <= kCustomSizeType || type >= kDocumentSizeTypeCount)
        return {};
    SDocumentSizeType size = documentSizeType(type);
    if (isUserSizeType(type)) {
        const sPaperPreset &slot = user[size_t(type - kFirstUserSizeType)];
        size = SDocumentSizeType{TUnitType(slot.unit & 0xFF), slot.dpi, slot.w, slot.h};
    }
    const int unit = std::min<int>(size.unit, kUnitTypeCount - 1);
    return QString::asprintf("%0.5g %s %0.5g %s", double(size.w), "×", double(size.h),
                             kUnitShortNames[size_t(unit)]);
}

// ---- CFileNameEdit

CFileNameEdit::CFileNameEdit(QWidget *parent) : QLineEdit(parent)
{
    // Text that arrives in one piece (a paste, a drop) passes no key filter.
    connect(this, &QLineEdit::textEdited, this, [this] { removeRefused(); });
}

void CFileNameEdit::keyPressEvent(QKeyEvent *event)
{
    const QString text = event->text();
    if (text.size() == 1 && isRefusedFileNameChar(text[0])) {
        event->accept();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

void CFileNameEdit::removeRefused()
{
    const QString clean = withoutRefusedFileNameChars(text());
    if (clean == text())
        return;
    const int cursor = cursorPosition();
    const int removedBefore = cursor - int(withoutRefusedFileNameChars(text().left(cursor)).size());
    setText(clean);
    setCursorPosition(cursor - removedBefore);
}

// ---- TFormNew

TFormNew::TFormNew(QWidget *owner) : TDialogBaseForm(owner), FModel(this)
{
    setWindowTitle(u8("新規作成"));
    setClientSize(kClientWidth, kClientHeight);
    StaticFileName = label(this, "ファイル名(&N)", 12, 14);
    EdtFileName = new CFileNameEdit(this);
    EdtFileName->setGeometry(96, 10, 172, 20);
    StaticFileName->setBuddy(EdtFileName);
    createTypeList();
    createSizeBox();
    createBackgroundBox();

    FModel.OnChanged = [this] { showModel(); };
    CNewDocumentModel::TUserSizes stored{};
    if (gAppProfile)
        std::copy_n(gAppProfile->paperSizeTbl.begin(), kUserSizeCount, stored.begin());
    FModel.start(stored, clipboardPictureSize());
    showModel();

    setTabOrder(EdtFileName, CmbType);
    setTabOrder(CmbType, RadHorizontal);
    setTabOrder(RadHorizontal, RadVertical);
    setTabOrder(RadVertical, EdtWidth);
    setTabOrder(EdtWidth, CmbWidth);
    setTabOrder(CmbWidth, EdtHeight);
    setTabOrder(EdtHeight, CmbHeight);
    setTabOrder(CmbHeight, EdtResolution);
    setTabOrder(EdtResolution, RadWhite);
    setTabOrder(RadWhite, RadTransparent);
    setTabOrder(RadTransparent, ButtonOK);
}

TFormNew::~TFormNew()
{
    // Kept on Cancel too: the user sizes always hold what the dialog last showed.
    if (gAppProfile)
        std::copy(FModel.userSizes().begin(), FModel.userSizes().end(),
                  gAppProfile->paperSizeTbl.begin());
}

void TFormNew::createTypeList()
{
    StaticType = label(this, "種類(&P)", 12, 42);
    CmbType = new QComboBox(this);
    CmbType->setGeometry(96, 38, 172, 22);
    StaticType->setBuddy(CmbType);
    CmbType->setMaxVisibleItems(16);
    for (int item = 0; item < kDocumentSizeItemCount; ++item) {
        const int type = documentSizeTypeOfItem(item);
        if (type < 0)
            CmbType->insertSeparator(item); // not selectable
        else
            CmbType->addItem(documentSizeName(type));
    }
    CmbType->setItemDelegate(new CSizeTypeDelegate(FModel, CmbType));
    CmbType->view()->setMinimumWidth(260);
    connect(CmbType, &QComboBox::currentIndexChanged, this,
            [this](int item) { FModel.selectItem(item); });

    RadHorizontal = new QRadioButton(u8("横位置(&L)"), this);
    RadHorizontal->setGeometry(96, 66, 84, 18);
    RadVertical = new QRadioButton(u8("縦位置(&O)"), this);
    RadVertical->setGeometry(184, 66, 84, 18);
    FOrientation = new QButtonGroup(this);
    FOrientation->addButton(RadHorizontal);
    FOrientation->addButton(RadVertical);
    RadHorizontal->setChecked(true);
    connect(RadVertical, &QRadioButton::toggled, this, [this](bool on) { FModel.setVertical(on); });
}

void TFormNew::createSizeBox()
{
    GrpImage = new QGroupBox(this);
    GrpImage->setGeometry(8, 90, 268, 104);
    QWidget *g = GrpImage;
    const QString pixelFormat = CNewDocumentModel::formatOf(utpixel);
    StaticWidth = label(g, "幅(&W)", 10, 24);
    EdtWidth = sizeEdit(g, FModel.NumWidth, QRect(96, 20, 80, 20), pixelFormat);
    StaticWidth->setBuddy(EdtWidth);
    CmbWidth = unitList(g, QRect(180, 20, 76, 22));
    StaticHeight = label(g, "高さ(&H)", 10, 50);
    EdtHeight = sizeEdit(g, FModel.NumHeight, QRect(96, 46, 80, 20), pixelFormat);
    StaticHeight->setBuddy(EdtHeight);
    CmbHeight = unitList(g, QRect(180, 46, 76, 22));
    StaticResolution = label(g, "解像度(&R)", 10, 76);
    EdtResolution = sizeEdit(g, FModel.NumResolution, QRect(96, 72, 80, 20), pixelFormat);
    StaticResolution->setBuddy(EdtResolution);
    StaticResolutionUnit = label(g, "pixels/inch", 180, 76, 80);
    connect(CmbWidth, &QComboBox::currentIndexChanged, this,
            [this](int i) { FModel.setWidthUnit(TUnitType(i)); });
    connect(CmbHeight, &QComboBox::currentIndexChanged, this,
            [this](int i) { FModel.setHeightUnit(TUnitType(i)); });
}

void TFormNew::createBackgroundBox()
{
    GrpBackground = new QGroupBox(u8("背景"), this);
    GrpBackground->setGeometry(8, 200, 268, 48);
    RadWhite = new QRadioButton(u8("白(&I)"), GrpBackground);
    RadWhite->setGeometry(12, 20, 100, 18);
    RadTransparent = new QRadioButton(u8("透明(&T)"), GrpBackground);
    RadTransparent->setGeometry(120, 20, 100, 18);
    FBackground = new QButtonGroup(this);
    FBackground->addButton(RadWhite);
    FBackground->addButton(RadTransparent);
    RadWhite->setChecked(true);
    connect(RadTransparent, &QRadioButton::toggled, this,
            [this](bool on) { FModel.setTransparent(on); });
}

void TFormNew::showModel()
{
    if (!RadTransparent)
        return; // still being built
    const QSignalBlocker b1(CmbType), b2(RadHorizontal), b3(RadVertical), b4(CmbWidth),
        b5(CmbHeight), b6(RadWhite), b7(RadTransparent);
    CmbType->setCurrentIndex(FModel.typeItem());
    (FModel.vertical() ? RadVertical : RadHorizontal)->setChecked(true);
    RadHorizontal->setEnabled(FModel.orientationEnabled());
    RadVertical->setEnabled(FModel.orientationEnabled());
    CmbWidth->setCurrentIndex(FModel.widthUnit());
    CmbHeight->setCurrentIndex(FModel.heightUnit());
    // Only a change of unit rewrites a field's text: the field being typed into keeps its text.
    const QString wf = CNewDocumentModel::formatOf(FModel.widthUnit());
    if (EdtWidth->FormatString() != wf)
        EdtWidth->setFormatString(wf);
    const QString hf = CNewDocumentModel::formatOf(FModel.heightUnit());
    if (EdtHeight->FormatString() != hf)
        EdtHeight->setFormatString(hf);
    GrpImage->setTitle(FModel.imageCaption());
    (FModel.transparent() ? RadTransparent : RadWhite)->setChecked(true);
    CmbType->view()->viewport()->update();
}

bool showNewDocumentDialog(TNewDocumentValue &value)
{
    try {
        auto form = std::make_unique<TFormNew>();
        form->EdtFileName->setText(value.Name);
        if (doShowModal(*form) != kavrin::mrOk)
            return false;
        value = form->model().result(form->EdtFileName->text());
        return true;
    } catch (const std::bad_alloc &) {
        err_memHandler();
    } catch (const std::exception &e) {
        err_stdHandler(&e);
    }
    return false;
}
