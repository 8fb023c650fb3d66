// Exact comparison of a rendered picture with a golden PNG. KAVRIN_UPDATE_GOLDENS=1 writes the
// golden instead; on a difference the picture is saved as <failures>/<name>_actual.png so it can
// be looked at or promoted.
#pragma once

#include <QDir>
#include <QImage>
#include <QString>

#include <string>

namespace image_goldens {

// got against <dir>/<name>.png; what went wrong, empty when they agree (or on an update).
inline std::string compareWithGolden(const QImage &got, const QString &dir, const QString &name,
                                     const QString &failures)
{
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
    else if (want != got.convertToFormat(QImage::Format_ARGB32))
        problem = "pictures differ from " + path.toStdString();
    if (!problem.empty()) {
        QDir().mkpath(failures);
        got.save(failures + u'/' + name + QStringLiteral("_actual.png"));
    }
    return problem;
}

} // namespace image_goldens
