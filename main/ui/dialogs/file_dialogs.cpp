#include "ui/dialogs/file_dialogs.h"

#include "core/profile/app_profile.h"
#include "paint/presets/pen_preset_managers.h"

#include <QCheckBox>
#include <QEvent>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QGridLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QListView>
#include <QScreen>
#include <QSplitter>
#include <QTreeView>

#include <algorithm>

namespace {

// Position of the extension's dot in the file-name part of name, or -1.
qsizetype extensionDot(const QString &name)
{
    const qsizetype slash = name.lastIndexOf(QLatin1Char('/'));
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return dot > slash ? dot : -1;
}

QString withoutExtension(const QString &name)
{
    const qsizetype dot = extensionDot(name);
    return dot < 0 ? name : name.left(dot);
}

// The file-name field of Qt's own dialog.
QLineEdit *fileNameEdit(const QFileDialog &dialog)
{
    return dialog.findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
}

// Sizes the parts of Qt's dialog to their texts in the dialog's font: the places list to its
// entries, the Size, Type and Date columns of the detail list to their heads and the texts of the
// folder shown (a column the user made wider stays so), and the Name column to what room is left.
// When that room is short of the names (up to about 32 characters) the dialog grows, within the
// screen. It runs when the dialog is shown and each time a folder has been read.
class CFileDialogFitter : public QObject
{
  public:
    explicit CFileDialogFitter(QFileDialog &dialog)
        : QObject(&dialog), m_dialog(dialog),
          m_tree(dialog.findChild<QTreeView *>(QStringLiteral("treeView"))),
          m_places(dialog.findChild<QListView *>(QStringLiteral("sidebar"))),
          m_splitter(dialog.findChild<QSplitter *>(QStringLiteral("splitter")))
    {
        auto *model = dialog.findChild<QFileSystemModel *>(QStringLiteral("qt_filesystem_model"));
        if (!m_tree || !model)
            return;
        QHeaderView *header = m_tree->header();
        header->setStretchLastSection(false);
        header->setSectionResizeMode(0, QHeaderView::Stretch);
        connect(model, &QFileSystemModel::directoryLoaded, this, [this] { fit(); });
        dialog.installEventFilter(this);
    }

  protected:
    bool eventFilter(QObject *watched, QEvent *ev) override
    {
        // Once the dialog is laid out at its size.
        if (watched == &m_dialog && ev->type() == QEvent::Show)
            QMetaObject::invokeMethod(
                this, [this] { fit(); }, Qt::QueuedConnection);
        return false;
    }

  private:
    void fit()
    {
        if (!m_dialog.isVisible())
            return;
        if (const int lack = fitPlaces() + fitColumns(); lack > 0)
            grow(lack);
    }

    void grow(int by)
    {
        int width = m_dialog.width() + by;
        if (const QScreen *screen = m_dialog.screen())
            width = std::min(width, screen->availableGeometry().width());
        if (width > m_dialog.width())
            m_dialog.resize(width, m_dialog.height());
    }

    // The width the places list lacks for its entries (it takes it from the file list).
    int fitPlaces()
    {
        if (!m_places || !m_splitter)
            return 0;
        QList<int> sizes = m_splitter->sizes();
        const int need =
            m_places->sizeHintForColumn(0) + 2 * m_places->frameWidth() + 2 * m_places->spacing();
        if (sizes.size() < 2 || sizes[0] >= need)
            return 0;
        const int lack = need - sizes[0];
        sizes[0] = need;
        sizes[1] -= lack;
        m_splitter->setSizes(sizes);
        return lack;
    }

    // The width the Name column lacks once the other columns fit their texts.
    int fitColumns()
    {
        const QAbstractItemView *view = m_tree; // where measuring a column is public
        QHeaderView *header = m_tree->header();
        int others = 0;
        for (int c = 1; c < header->count(); ++c) {
            header->resizeSection(c, std::max({header->sectionSize(c), header->sectionSizeHint(c),
                                               view->sizeHintForColumn(c)}));
            others += header->sectionSize(c);
        }
        // The list view shows no columns.
        if (!m_tree->isVisible())
            return 0;
        const int names =
            std::min(view->sizeHintForColumn(0), m_tree->fontMetrics().averageCharWidth() * 32);
        const int need = std::max(header->sectionSizeHint(0), names);
        return others + need - m_tree->viewport()->width();
    }

    QFileDialog &m_dialog;
    QTreeView *m_tree;
    QListView *m_places;
    QSplitter *m_splitter;
};

void setModeOptions(QFileDialog &dialog, bool save)
{
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    dialog.setOption(QFileDialog::ReadOnly, false);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, false);
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    // A save dialog asks before overwriting; an open one needs an existing file.
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setSizeGripEnabled(true);
}

// Filters, default extension, folder, filter index and file name of a kind's dialog; the save
// proc follows the dialog's type changes from here on.
void prepareDialog(QFileDialog &dialog, TSaveProc &proc, TOpenFilterType kind, const QString &name,
                   const int *filterIndex, const QString *folder)
{
    const bool save = isSaveFilterType(kind);
    setModeOptions(dialog, save);
    const QStringList filters = fileDialogNameFilters(kind);
    dialog.setNameFilters(filters);
    QString ext;
    getDefaultExt(kind, ext);
    dialog.setDefaultSuffix(ext);
    if (folder && !folder->isEmpty())
        dialog.setDirectory(*folder);
    if (filterIndex && *filterIndex >= 1 && *filterIndex <= filters.size())
        dialog.selectNameFilter(filters[*filterIndex - 1]);
    if (save) {
        const int index = fileDialogFilterIndex(dialog);
        if (const QString e = filterExtension(kind, index); !e.isEmpty())
            dialog.setDefaultSuffix(e.mid(1));
        dialog.selectFile(proc.applyFilterExt(name, index));
    } else {
        dialog.selectFile(name);
    }
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog,
                     [&proc] { proc.TypeChange(); });
}

// The outputs of a dialog that closed with result.
bool takeChoice(const QFileDialog &dialog, int result, bool save, QString &path, int *filterIndex,
                QString *folder)
{
    if (result != QDialog::Accepted)
        return false;
    const QStringList files = dialog.selectedFiles();
    if (files.isEmpty() || files.first().isEmpty())
        return false;
    const QFileInfo chosen(files.first());
    if (!save && !chosen.isFile())
        return false;
    if (filterIndex)
        *filterIndex = fileDialogFilterIndex(dialog);
    if (folder)
        *folder = chosen.absolutePath();
    path = chosen.absoluteFilePath();
    return true;
}

bool runDialog(QFileDialog &dialog, TOpenFilterType kind, const QString &name, QString &path,
               int *filterIndex, QString *folder)
{
    TSaveProc proc(withoutExtension(name), kind, &dialog);
    prepareDialog(dialog, proc, kind, name, filterIndex, folder);
    const int result = dialog.exec();
    return takeChoice(dialog, result, isSaveFilterType(kind), path, filterIndex, folder);
}

} // namespace

// ---- CPrevOpenDialog

CPrevOpenDialog::CPrevOpenDialog(QWidget *owner) : QFileDialog(owner)
{
    setOption(QFileDialog::DontUseNativeDialog, true);
    prevFrame = new TOpenFrame(this);
    // The panel sits at the right of the dialog's own controls, over all their rows.
    if (auto *grid = qobject_cast<QGridLayout *>(layout()))
        grid->addWidget(prevFrame, 0, grid->columnCount(), grid->rowCount(), 1);
    prevFrame->attach(preview);
    connect(this, &QFileDialog::currentChanged, this,
            [this](const QString &path) { SelectionChange(path); });
    connect(prevFrame->CheckBoxPreview, &QCheckBox::clicked, this,
            [this] { CheckBoxPreviewClick(); });
}

CPrevOpenDialog::~CPrevOpenDialog() = default;

void CPrevOpenDialog::SelectionChange(const QString &path)
{
    preview.select(path, prevFrame->CheckBoxPreview->isChecked());
    prevFrame->showPreview(preview);
}

void CPrevOpenDialog::CheckBoxPreviewClick()
{
    preview.reload(prevFrame->CheckBoxPreview->isChecked());
    prevFrame->showPreview(preview);
}

void CPrevOpenDialog::done(int result)
{
    if (gAppProfile)
        gAppProfile->useFilePreview = prevFrame->CheckBoxPreview->isChecked();
    QFileDialog::done(result);
}

CPrevSaveDialog::CPrevSaveDialog(QWidget *owner) : CPrevOpenDialog(owner)
{
    setAcceptMode(QFileDialog::AcceptSave);
}

// ---- TSaveProc

TSaveProc::TSaveProc(const QString &AOriginal, TOpenFilterType AFilter, QFileDialog *ADialog)
    : FOriginal(AOriginal), FSave(isSaveFilterType(AFilter)), FDialog(ADialog), FFilter(AFilter)
{
}

QString TSaveProc::applyFilterExt(const QString &name, int filterIndex) const
{
    const QString ext = filterExtension(FFilter, filterIndex);
    if (ext.isEmpty())
        return name;
    QString base = withoutExtension(name);
    // A field emptied by the user gets the original name back.
    if (base.isEmpty() || base.endsWith(QLatin1Char('/')))
        base += FOriginal;
    return base + ext;
}

void TSaveProc::TypeChange()
{
    if (!FSave || !FDialog)
        return;
    const int index = fileDialogFilterIndex(*FDialog);
    const QString ext = filterExtension(FFilter, index);
    if (ext.isEmpty())
        return;
    FDialog->setDefaultSuffix(ext.mid(1));
    QLineEdit *edit = fileNameEdit(*FDialog);
    const QString present =
        edit ? edit->text() : QFileInfo(FDialog->selectedFiles().value(0)).fileName();
    const QString name = applyFilterExt(present, index);
    if (edit)
        edit->setText(name);
    else
        FDialog->selectFile(name);
}

// ---- the procedures

std::unique_ptr<QFileDialog> createFileDialog(TOpenFilterType kind, QWidget *owner)
{
    std::unique_ptr<QFileDialog> dialog;
    switch (fileDialogClassOf(kind)) {
    case TFileDialogClass::OpenPreview:
        dialog = std::make_unique<CPrevOpenDialog>(owner);
        break;
    case TFileDialogClass::SavePreview:
        dialog = std::make_unique<CPrevSaveDialog>(owner);
        break;
    case TFileDialogClass::Open:
    case TFileDialogClass::Save:
        dialog = std::make_unique<QFileDialog>(owner);
        break;
    case TFileDialogClass::None:
        return nullptr;
    }
    setModeOptions(*dialog, isSaveFilterType(kind));
    new CFileDialogFitter(*dialog);
    return dialog;
}

int fileDialogFilterIndex(const QFileDialog &dialog)
{
    return int(dialog.nameFilters().indexOf(dialog.selectedNameFilter())) + 1;
}

bool execFileDialog(QString &path, TOpenFilterType kind, const QString &defaultName,
                    int *filterIndex, QString *folder)
{
    const std::unique_ptr<QFileDialog> dialog = createFileDialog(kind);
    if (!dialog)
        return false;
    return runDialog(*dialog, kind, defaultName, path, filterIndex, folder);
}

bool execOpenEventDialog(QString &path, bool &stopped, const QString &defaultName, int *filterIndex,
                         QString *folder)
{
    const std::unique_ptr<QFileDialog> dialog = createFileDialog(ofEventsR);
    auto *prev = static_cast<CPrevOpenDialog *>(dialog.get());
    QCheckBox *box = prev->prevFrame->addBottomCheckBox(QString::fromUtf8("停止状態で開く(&A)"));
    QWidget::setTabOrder(prev->prevFrame->CheckBoxPreview, box);
    if (!runDialog(*dialog, ofEventsR, withoutExtension(defaultName), path, filterIndex, folder))
        return false;
    stopped = box->isChecked();
    return true;
}

bool execSaveEventDialog(QString &path, const QString &defaultName, int *filterIndex,
                         QString *folder)
{
    const std::unique_ptr<QFileDialog> dialog = createFileDialog(ofEventsW);
    return runDialog(*dialog, ofEventsW, withoutExtension(defaultName), path, filterIndex, folder);
}

void installFileDialogs()
{
    SPenPresetFileProcs procs = installPenPresetFileProcs({});
    // The sets' dialogs start at their last path: its folder and its name.
    auto run = [](int type, QString &path) {
        if (type < 0 || type >= kOpenFilterTypeCount)
            return false;
        const QFileInfo last(path);
        QString folder = path.isEmpty() ? QString() : last.absolutePath();
        return execFileDialog(path, TOpenFilterType(type), last.fileName(), nullptr, &folder);
    };
    procs.openDialog = run;
    procs.saveDialog = run;
    installPenPresetFileProcs(std::move(procs));
}
