// Qt's own dialogs in the interface's language.
#include "ui/base/qt_translations.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QTranslator>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

namespace {

bool qtJapaneseInstalled()
{
    return QFileInfo::exists(QLibraryInfo::path(QLibraryInfo::TranslationsPath) +
                             QStringLiteral("/qtbase_ja.qm"));
}

// Removes the translator again, so that later tests see Qt's own texts.
struct TranslatorRemover
{
    void operator()(QTranslator *t) const
    {
        QCoreApplication::removeTranslator(t);
        delete t;
    }
};

} // namespace

TEST(NewUserFaultsCaptions, QtsFileDialogSpeaksJapaneseOnceTheTranslationsAreInstalled)
{
    if (!qtJapaneseInstalled())
        GTEST_SKIP() << "Qt's Japanese translations are not installed";
    const std::unique_ptr<QTranslator, TranslatorRemover> translator(installQtTranslations());
    ASSERT_NE(translator, nullptr);
    // The labels and column heads the open and save dialogs show.
    const struct
    {
        const char *context, *source, *disambiguation;
    } texts[] = {{"QFileDialog", "Look in:", nullptr},
                 {"QFileDialog", "File &name:", nullptr},
                 {"QFileDialog", "Files of type:", nullptr},
                 {"QFileDialog", "&Open", nullptr},
                 {"QFileSystemModel", "Size", nullptr},
                 {"QFileSystemModel", "Type", "All other platforms"}};
    for (const auto &t : texts) {
        const QString shown = QCoreApplication::translate(t.context, t.source, t.disambiguation);
        // Japanese: kana or kanji, not the English source.
        EXPECT_TRUE(
            std::any_of(shown.begin(), shown.end(), [](QChar c) { return c.unicode() >= 0x3040; }))
            << t.context << " \"" << t.source << "\" shows \"" << shown.toStdString() << '"';
    }
}
