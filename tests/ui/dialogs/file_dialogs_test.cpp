#include "ui/dialogs/file_dialogs.h"

#include "core/image/canvas.h"
#include "core/profile/app_profile.h"
#include "core/scale/scale_canvas.h"
#include "document/events/event_file.h"
#include "document/files/native_image.h"
#include "paint/presets/pen_preset_managers.h"
#include "support/captured_messages.h"
#include "ui/dialogs/paint_box.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHeaderView>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeView>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

namespace {

std::string str(const QString &s)
{
    return s.toStdString();
}

QLineEdit *nameEdit(QFileDialog &d)
{
    return d.findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
}

// What the dialog's Open or Save button does (QFileDialog keeps accept() to itself).
void pressOpen(QFileDialog &d)
{
    static_cast<QDialog &>(d).accept();
}

// Picks file type index (0-based) in the dialog's type box as a user does.
void chooseType(QFileDialog &d, int index)
{
    auto *combo = d.findChild<QComboBox *>(QStringLiteral("fileTypeCombo"));
    ASSERT_NE(combo, nullptr);
    combo->setCurrentIndex(index);
    emit combo->activated(index);
    emit combo->textActivated(combo->itemText(index));
}

// Runs drive on the modal file dialog that the next call opens; a dialog drive leaves open is
// cancelled, so that the call always returns.
void whenDialogOpens(std::function<void(QFileDialog &)> drive)
{
    QTimer::singleShot(0, [drive] {
        auto *d = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
        if (!d) {
            ADD_FAILURE() << "no file dialog is open";
            return;
        }
        drive(*d);
        if (d->isVisible())
            d->reject();
    });
}

// A folder with a small picture, files that cannot be read, a sub-folder and an event file.
class FileDialogTest : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        // Blue with a red top-left quarter.
        QImage img(300, 200, QImage::Format_ARGB32);
        img.fill(QColor(0, 0, 255));
        for (int y = 0; y < 100; ++y)
            for (int x = 0; x < 150; ++x)
                img.setPixelColor(x, y, QColor(255, 0, 0));
        ASSERT_TRUE(img.save(file("pic.png"), "PNG"));
        write("corrupt.png", "not a picture at all");
        write("A.PSD", "8BPS");
        write("notes.txt", "text");
        ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("sub.png")));
        ASSERT_TRUE(QFile::copy(QStringLiteral(KAVRIN_TEST_DATA "/events/strokes.qe5"),
                                file("strokes.qe5")));
        ASSERT_TRUE(QFile::copy(QStringLiteral(KAVRIN_TEST_DATA "/psd/im-rgb-rle.psd"),
                                file("layers.psd")));
        if (!gAppProfile) {
            initialiseAppProfile();
            ownProfile = true;
        }
    }
    void TearDown() override
    {
        if (ownProfile)
            finaliseAppProfile();
    }

    QString file(const char *name) const { return dir.filePath(QString::fromUtf8(name)); }
    void write(const char *name, const char *bytes) const
    {
        QFile f(file(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }

    QTemporaryDir dir;
    bool ownProfile = false;
};

} // namespace

TEST_F(FileDialogTest, SaveDialogGivesTheNameTheChosenTypesExtension)
{
    QString path = QStringLiteral("unchanged");
    int filterIndex = 1;
    QString folder = dir.path();
    std::string before, after, typedAfter;
    whenDialogOpens([&](QFileDialog &d) {
        before = str(nameEdit(d)->text());
        chooseType(d, 2);
        after = str(nameEdit(d)->text());
        // A name typed without an extension gets the type's extension too.
        nameEdit(d)->setText(QStringLiteral("other"));
        chooseType(d, 3);
        typedAfter = str(nameEdit(d)->text());
        chooseType(d, 2);
        nameEdit(d)->setText(QStringLiteral("sketch"));
        pressOpen(d);
    });
    ASSERT_TRUE(
        execFileDialog(path, ofAllImagesW, QStringLiteral("sketch.qzi"), &filterIndex, &folder));
    EXPECT_EQ(before, "sketch.qzi");
    EXPECT_EQ(after, "sketch.jpg");
    EXPECT_EQ(typedAfter, "other.png");
    EXPECT_EQ(path, file("sketch.jpg"));
    EXPECT_EQ(filterIndex, 3);
    EXPECT_EQ(folder, QFileInfo(dir.path()).absoluteFilePath());
}

TEST_F(FileDialogTest, SaveDialogStartsWithTheGivenFilterAndCancelChangesNothing)
{
    QString path = QStringLiteral("unchanged");
    int filterIndex = 4;
    QString folder = dir.path();
    std::string name, filter;
    whenDialogOpens([&](QFileDialog &d) {
        name = str(nameEdit(d)->text());
        filter = str(d.selectedNameFilter());
        d.reject();
    });
    EXPECT_FALSE(
        execFileDialog(path, ofAllImagesW, QStringLiteral("sketch.qzi"), &filterIndex, &folder));
    EXPECT_EQ(name, "sketch.png");
    EXPECT_EQ(filter, "PNG (*.png) (*.PNG)");
    EXPECT_EQ(path, QStringLiteral("unchanged"));
    EXPECT_EQ(filterIndex, 4);
    EXPECT_EQ(folder, dir.path());
}

TEST_F(FileDialogTest, EventSaveDialogOffersVersionFiveOnly)
{
    QString path, folder = dir.path();
    QStringList filters;
    std::string start;
    whenDialogOpens([&](QFileDialog &d) {
        filters = d.nameFilters();
        start = str(nameEdit(d)->text());
        nameEdit(d)->setText(QStringLiteral("a"));
        pressOpen(d);
    });
    ASSERT_TRUE(execSaveEventDialog(path, QStringLiteral("replay.qe4"), nullptr, &folder));
    ASSERT_EQ(filters.size(), 1);
    EXPECT_EQ(str(filters[0]), "Kavrin5 イベント (*.qe5/*.rve) (*.qe5 *.rve)");
    EXPECT_EQ(start, "replay.qe5");
    EXPECT_EQ(path, file("a.qe5"));
}

TEST_F(FileDialogTest, OpenDialogIgnoresTypeChangesAndTakesAnExistingFile)
{
    QString path, folder = dir.path();
    int filterIndex = 0;
    std::string after;
    bool hasPreview = false;
    whenDialogOpens([&](QFileDialog &d) {
        hasPreview = dynamic_cast<CPrevOpenDialog *>(&d) != nullptr;
        chooseType(d, 2);
        after = str(nameEdit(d)->text());
        chooseType(d, 4);
        nameEdit(d)->setText(QStringLiteral("pic.png"));
        pressOpen(d);
    });
    ASSERT_TRUE(
        execFileDialog(path, ofAllImagesR, QStringLiteral("sketch.qzi"), &filterIndex, &folder));
    EXPECT_TRUE(hasPreview);
    EXPECT_EQ(after, "sketch.qzi");
    EXPECT_EQ(path, file("pic.png"));
    EXPECT_EQ(filterIndex, 5);

    // A name that is no file is no choice: the dialog stays open (Qt says why in a box of its
    // own, closed here) and nothing changes.
    bool stayedOpen = false;
    whenDialogOpens([&](QFileDialog &d) {
        nameEdit(d)->setText(QStringLiteral("missing.png"));
        QTimer::singleShot(0, [&d] {
            QWidget *box = QApplication::activeModalWidget();
            if (box && box != &d)
                box->close();
        });
        pressOpen(d);
        stayedOpen = d.isVisible();
    });
    EXPECT_FALSE(
        execFileDialog(path, ofAllImagesR, QStringLiteral("sketch.qzi"), &filterIndex, &folder));
    EXPECT_TRUE(stayedOpen);
    EXPECT_EQ(path, file("pic.png"));
    EXPECT_EQ(filterIndex, 5);
}

TEST_F(FileDialogTest, OpenEventDialogReturnsItsStoppedBox)
{
    for (bool check : {false, true}) {
        QString path, folder = dir.path();
        int filterIndex = 2;
        bool stopped = !check;
        bool startedUnchecked = false;
        std::string filter, name;
        whenDialogOpens([&](QFileDialog &d) {
            auto &prev = dynamic_cast<CPrevOpenDialog &>(d);
            QCheckBox *box = prev.prevFrame->BottomCheckBox;
            ASSERT_NE(box, nullptr);
            EXPECT_EQ(str(box->text()), "停止状態で開く(&A)");
            EXPECT_EQ(box->y(), prev.prevFrame->height() - 23);
            startedUnchecked = !box->isChecked();
            filter = str(d.selectedNameFilter());
            name = str(nameEdit(d)->text());
            box->setChecked(check);
            nameEdit(d)->setText(QStringLiteral("strokes.qe5"));
            pressOpen(d);
        });
        ASSERT_TRUE(execOpenEventDialog(path, stopped, QStringLiteral("replay.qe5"), &filterIndex,
                                        &folder));
        EXPECT_TRUE(startedUnchecked);
        EXPECT_EQ(stopped, check);
        EXPECT_EQ(filter, "Kavrin4 イベント (*.qe4/*.rv4) (*.qe4 *.rv4)");
        EXPECT_EQ(name, "replay");
        EXPECT_EQ(path, file("strokes.qe5"));
        EXPECT_EQ(filterIndex, 2);
    }
}

TEST_F(FileDialogTest, PreviewFollowsTheSelectedFile)
{
    struct Case
    {
        const char *name;
        bool enabled;
        const char *sizeText;
    };
    const Case cases[] = {
        {"pic.png", true, "大きさ: 300 × 200"},
        {"strokes.qe5", true, nullptr}, // the event head's document size, checked below
        {"sub.png", false, "大きさ:"},  // a folder
        {"corrupt.png", false, "大きさ:"},
        {"notes.txt", false, "大きさ:"},
        {"missing.png", false, "大きさ:"},
        {"A.PSD", false, "大きさ:"},    // a PSD cut after its signature
        {"layers.psd", true, "大きさ: 64 × 48"},
    };
    CapturedMessages messages; // an unreadable file is shown disabled, never with a message
    CPrevOpenDialog d;
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        d.SelectionChange(file(c.name));
        const TOpenFrame &f = *d.prevFrame;
        EXPECT_EQ(d.preview.enabled(), c.enabled);
        EXPECT_EQ(f.LabelSize->isEnabled(), c.enabled);
        EXPECT_EQ(f.LabelUpdateTime->isEnabled(), c.enabled);
        EXPECT_EQ(f.PaintBox1->isEnabled(), c.enabled);
        if (c.sizeText) {
            EXPECT_EQ(str(f.LabelSize->text()), c.sizeText);
        }
        if (!c.enabled) {
            EXPECT_EQ(str(f.LabelUpdateTime->text()), "更新日:");
            EXPECT_EQ(d.preview.canvas().getColor(63, 63) & 0xFFFFFF, 0u);
        } else {
            const QDateTime t = QFileInfo(file(c.name)).lastModified();
            EXPECT_EQ(str(f.LabelUpdateTime->text()),
                      str(t.toString(QStringLiteral("'更新日: 'yyyy/MM/dd HH:mm"))));
        }
    }

    std::unique_ptr<TMTC> thumb;
    sSize docSize{};
    ASSERT_EQ(readEventFileThumbnail(file("strokes.qe5"), thumb, docSize), 0);
    d.SelectionChange(file("strokes.qe5"));
    EXPECT_EQ(d.preview.size(), docSize);
    EXPECT_EQ(str(d.prevFrame->LabelSize->text()),
              str(QString::fromUtf8("大きさ: %1 × %2").arg(docSize.x).arg(docSize.y)));
    EXPECT_TRUE(messages.warnings.isEmpty()) << str(messages.warnings.join(u'\n'));
    EXPECT_TRUE(messages.informations.isEmpty());
}

TEST_F(FileDialogTest, NativeFilePreviewReadsThroughTheInstalledHeadReader)
{
    // The native layout as far as the preview reads it: a head, then the thumbnail chunk.
    {
        QFile f(file("doc.qzi"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        const int32_t head[3] = {0x44414548, 640, 480};
        f.write(reinterpret_cast<const char *>(head), sizeof head);
        TMTC thumb(40, 30);
        thumb.PixelFill(0xFF00FF00);
        ASSERT_EQ(writeThumbnailRecord(f, {640, 480}, thumb, false), 0);
    }
    CPrevOpenDialog d;
    d.SelectionChange(file("doc.qzi"));
    EXPECT_FALSE(d.preview.enabled());

    const TNativeHeadReader before =
        installPreviewHeadReader([](QIODevice &s, sSize &size) -> uint8_t {
            int32_t head[3];
            if (s.read(reinterpret_cast<char *>(head), sizeof head) != sizeof head ||
                head[0] != 0x44414548)
                return 16;
            size = {head[1], head[2]};
            return 0;
        });
    d.SelectionChange(file("doc.qzi"));
    installPreviewHeadReader(before);
    EXPECT_TRUE(d.preview.enabled());
    EXPECT_EQ(str(d.prevFrame->LabelSize->text()), "大きさ: 640 × 480");
    EXPECT_EQ(d.preview.canvas().getColor(63, 63) & 0xFFFFFF, 0x00FF00u);
    EXPECT_EQ(d.preview.canvas().getColor(10, 10) & 0xFFFFFF, 0u);
}

// Without anything installed the preview reads a layered file written by our own writer.
TEST_F(FileDialogTest, NativeFilePreviewOfARealFileShowsItsThumbnailAndSize)
{
    CPrevOpenDialog d;
    const QString path = QStringLiteral(KAVRIN_TEST_DATA "/native/sample.qzi");
    d.SelectionChange(path);
    EXPECT_TRUE(d.preview.enabled());
    EXPECT_EQ(str(d.prevFrame->LabelSize->text()), "大きさ: 64 × 48");

    // The canvas holds the file's thumbnail fitted upright on colour 0.
    std::unique_ptr<TMTC> thumb;
    ASSERT_EQ(readFileThumbnail(path, thumb, nullptr, readImageHeadSize), 0);
    ASSERT_NE(thumb, nullptr);
    TMTC expected(kPreviewCanvasSize, kPreviewCanvasSize);
    ASSERT_TRUE(scaleCanvasInto(expected, *thumb, true, 0));
    const TTC &shown = d.preview.canvas();
    int differ = 0, coloured = 0;
    for (int y = 0; y < kPreviewCanvasSize; ++y)
        for (int x = 0; x < kPreviewCanvasSize; ++x) {
            differ += shown.getColor(x, y) != expected.getColor(x, y);
            coloured += (shown.getColor(x, y) & 0xFFFFFF) != 0;
        }
    EXPECT_EQ(differ, 0);
    EXPECT_GT(coloured, 0) << "the thumbnail is drawn";
}

TEST_F(FileDialogTest, PreviewScalesThePictureUprightAndTheBoxHidesIt)
{
    CPrevOpenDialog d;
    emit d.currentChanged(file("pic.png"));
    ASSERT_TRUE(d.preview.enabled());
    // 300 x 200 fitted into 126 x 126: 126 x 84 from row 21, red in its top-left quarter.
    const TTC &c = d.preview.canvas();
    EXPECT_EQ(c.getColor(5, 30) & 0xFFFFFF, 0xFF0000u);
    EXPECT_EQ(c.getColor(120, 95) & 0xFFFFFF, 0x0000FFu);
    EXPECT_EQ(c.getColor(60, 10) & 0xFFFFFF, 0u);

    // Unchecking the box reads the file again without its picture; the size stays.
    d.prevFrame->CheckBoxPreview->click();
    EXPECT_TRUE(d.preview.enabled());
    EXPECT_EQ(c.getColor(5, 30) & 0xFFFFFF, 0u);
    EXPECT_EQ(str(d.prevFrame->LabelSize->text()), "大きさ: 300 × 200");
    d.prevFrame->CheckBoxPreview->click();
    EXPECT_EQ(c.getColor(5, 30) & 0xFFFFFF, 0xFF0000u);
}

TEST_F(FileDialogTest, PanelStartsDisabledBesideTheFileList)
{
    CPrevOpenDialog d;
    d.resize(700, 400);
    d.show();
    const TOpenFrame &f = *d.prevFrame;
    // The form's 140, wider only where a caption needs it in the font in use.
    EXPECT_GE(f.width(), 140);
    EXPECT_GE(f.height(), 252);
    EXPECT_GT(f.x(), d.width() / 2);
    EXPECT_EQ(f.PaintBox1->geometry(), QRect(0, 5, 128, 128));
    EXPECT_FALSE(f.PaintBox1->isEnabled());
    EXPECT_EQ(f.LabelSize->pos(), QPoint(0, 142));
    EXPECT_EQ(str(f.LabelSize->text()), "大きさ: 0 x 0");
    EXPECT_FALSE(f.LabelSize->isEnabled());
    EXPECT_EQ(f.LabelUpdateTime->pos(), QPoint(0, 166));
    EXPECT_EQ(str(f.LabelUpdateTime->text()), "更新日: 0000/00/00 00:00");
    EXPECT_EQ(f.CheckBoxPreview->pos(), QPoint(0, 186));
    EXPECT_EQ(f.CheckBoxPreview->height(), 20);
    EXPECT_GE(f.CheckBoxPreview->width(), 97);
    EXPECT_EQ(str(f.CheckBoxPreview->text()), "プレビュー(&P)");
    EXPECT_TRUE(f.CheckBoxPreview->isChecked());
    d.reject();
}

// The parts of Qt's dialog and of the panel show their texts whole.
class NewUserFaultsCaptionsFileDialog : public FileDialogTest
{
};

TEST_F(NewUserFaultsCaptionsFileDialog, ColumnsPlacesAndPanelShowTheirTextsWhole)
{
    const std::unique_ptr<QFileDialog> dialog = createFileDialog(ofAllImagesR);
    auto &d = dynamic_cast<CPrevOpenDialog &>(*dialog);
    d.setViewMode(QFileDialog::Detail);
    d.setDirectory(dir.path());
    d.resize(500, 400); // narrower than the columns need: the dialog grows
    d.show();
    auto *tree = d.findChild<QTreeView *>(QStringLiteral("treeView"));
    auto *places = d.findChild<QListView *>(QStringLiteral("sidebar"));
    ASSERT_NE(tree, nullptr);
    ASSERT_NE(places, nullptr);
    const QAbstractItemView *list = tree;
    ASSERT_TRUE(QTest::qWaitFor([&] { return tree->model()->rowCount(tree->rootIndex()) >= 4; }));
    QHeaderView *header = tree->header();
    // The icons and sizes arrive from Qt's reader thread: the list settles a little later (the
    // checks below tell what is wrong if it never does).
    (void)QTest::qWaitFor([&] {
        return header->sectionSize(0) >= list->sizeHintForColumn(0) &&
               header->length() <= tree->viewport()->width();
    });
    for (int c = 1; c < header->count(); ++c) {
        SCOPED_TRACE(str(tree->model()->headerData(c, Qt::Horizontal).toString()));
        EXPECT_GE(header->sectionSize(c), list->sizeHintForColumn(c));
        EXPECT_GE(header->sectionSize(c), header->sectionSizeHint(c));
    }
    EXPECT_GE(header->sectionSize(0), list->sizeHintForColumn(0)) << "the names are short";
    EXPECT_LE(header->length(), tree->viewport()->width()) << "every column in view";
    const QAbstractItemView *placeList = places;
    EXPECT_GE(places->viewport()->width(), placeList->sizeHintForColumn(0));
    for (const QWidget *w : d.prevFrame->findChildren<QWidget *>())
        EXPECT_GE(d.prevFrame->width() - w->x(), w->sizeHint().width()) << str(w->objectName());
    d.reject();
}

TEST_F(FileDialogTest, ClosingStoresThePreviewBox)
{
    for (bool on : {false, true}) {
        gAppProfile->useFilePreview = !on;
        CPrevOpenDialog d;
        EXPECT_TRUE(d.prevFrame->CheckBoxPreview->isChecked());
        d.prevFrame->CheckBoxPreview->setChecked(on);
        d.show();
        d.reject();
        EXPECT_EQ(gAppProfile->useFilePreview, on);
    }
}

TEST_F(FileDialogTest, TypePatternsMatchNamesInAnyCase)
{
    write("b.psd", "8BPS");
    const std::unique_ptr<QFileDialog> d = createFileDialog(ofAllImagesR);
    const QStringList filters = fileDialogNameFilters(ofAllImagesR);
    d->setNameFilters(filters);
    d->setDirectory(dir.path());
    d->show();
    auto *list = d->findChild<QListView *>(QStringLiteral("listView"));
    ASSERT_NE(list, nullptr);
    auto names = [&] {
        QStringList n;
        const QModelIndex root = list->rootIndex();
        for (int r = 0; r < list->model()->rowCount(root); ++r)
            n << list->model()->index(r, 0, root).data().toString();
        n.sort();
        return n;
    };
    auto listed = [&](const QStringList &want) {
        return QTest::qWaitFor([&] { return names() == want; }, 5000);
    };
    // Photoshop's pattern is "*.PSD", the whole set's are lower case.
    d->selectNameFilter(filters[5]);
    EXPECT_TRUE(
        listed({QStringLiteral("A.PSD"), QStringLiteral("b.psd"), QStringLiteral("layers.psd"),
                QStringLiteral("sub.png")}))
        << str(names().join(QLatin1Char(',')));
    d->selectNameFilter(filters[6]);
    EXPECT_TRUE(
        listed({QStringLiteral("A.PSD"), QStringLiteral("b.psd"), QStringLiteral("corrupt.png"),
                QStringLiteral("layers.psd"), QStringLiteral("pic.png"), QStringLiteral("sub.png")}))
        << str(names().join(QLatin1Char(',')));
    d->reject();
}

TEST_F(FileDialogTest, NoKindMakesNoDialog)
{
    const TOpenFilterType noKind = TOpenFilterType(21);
    EXPECT_EQ(createFileDialog(noKind), nullptr);
    QString path = QStringLiteral("kept");
    int index = 2;
    EXPECT_FALSE(execFileDialog(path, noKind, QStringLiteral("a.qzi"), &index));
    EXPECT_EQ(path, QStringLiteral("kept"));
    EXPECT_EQ(index, 2);
}

TEST_F(FileDialogTest, SetDialogsReachThePresetManagers)
{
    SPenPresetFileProcs fake;
    fake.readNibSet = [](const QString &, CPenShapeMngr &, bool) { return 0; };
    const SPenPresetFileProcs saved = installPenPresetFileProcs(fake);
    installFileDialogs();
    const SPenPresetFileProcs procs = installPenPresetFileProcs(saved);
    EXPECT_TRUE(procs.readNibSet); // the readers stay
    ASSERT_TRUE(procs.openDialog);
    ASSERT_TRUE(procs.saveDialog);

    QString path = file("nibs.psh");
    std::string filter, name, folder;
    whenDialogOpens([&](QFileDialog &d) {
        filter = str(d.selectedNameFilter());
        name = str(nameEdit(d)->text());
        folder = str(d.directory().absolutePath());
        d.reject();
    });
    EXPECT_FALSE(procs.openDialog(kFileDialogOpenNibSet, path));
    EXPECT_EQ(filter, "Kavrin ペン先集 (*.psh) (*.psh)");
    EXPECT_EQ(name, "nibs.psh");
    EXPECT_EQ(folder, str(QFileInfo(dir.path()).absoluteFilePath()));

    whenDialogOpens([&](QFileDialog &d) {
        EXPECT_EQ(d.acceptMode(), QFileDialog::AcceptSave);
        pressOpen(d);
    });
    ASSERT_TRUE(procs.saveDialog(kFileDialogSaveMethodSet, path));
    EXPECT_EQ(path, file("nibs.pmt"));
}
