#include "scripted_dialog.h"

#include <QDir>

std::string docdlg::compareWithDialogGolden(const QImage &actual, const QString &name)
{
    const QImage got = actual.convertToFormat(QImage::Format_ARGB32);
    const QString dir = QStringLiteral(KAVRIN_TEST_DATA "/app/dialogs");
    const QString path = dir + u'/' + name + QStringLiteral(".png");
    if (qEnvironmentVariableIntValue("KAVRIN_UPDATE_GOLDENS") == 1) {
        QDir().mkpath(dir);
        got.save(path);
        return {};
    }
    const QImage want = QImage(path).convertToFormat(QImage::Format_ARGB32);
    std::string problem;
    if (want.isNull())
        problem = "no golden " + path.toStdString();
    else if (want != got)
        problem = "pictures differ from " + path.toStdString();
    if (!problem.empty()) {
        QDir().mkpath(QStringLiteral("app-golden-failures"));
        got.save(QStringLiteral("app-golden-failures/") + name + QStringLiteral("_actual.png"));
    }
    return problem;
}
