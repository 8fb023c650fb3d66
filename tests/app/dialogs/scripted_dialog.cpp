#include "scripted_dialog.h"

#include "support/image_goldens.h"

std::string docdlg::compareWithDialogGolden(const QImage &actual, const QString &name)
{
    return image_goldens::compareWithGolden(actual.convertToFormat(QImage::Format_ARGB32),
                                            QStringLiteral(KAVRIN_TEST_DATA "/app/dialogs"), name,
                                            QStringLiteral("app-golden-failures"));
}
