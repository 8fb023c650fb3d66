#include "ui/ui_test_support.h"

#include "ui/base/system_colours.h"
#include "ui/base/user_interface.h"
#include "ui/lists/list_view.h"

#include <QDir>
#include <QPainter>

#include <gtest/gtest.h>

namespace {

// The interface state of the whole run, under the fixed colours.
class UiEnvironment : public ::testing::Environment
{
  public:
    void SetUp() override
    {
        installSysColorTable(fixedSysColorTable());
        initialiseUserInterface();
    }
    void TearDown() override { finaliseUserInterface(); }
};

[[maybe_unused]] ::testing::Environment *const gUiEnvironment =
    ::testing::AddGlobalTestEnvironment(new UiEnvironment);

QImage masked(QImage img, const QList<QRect> &masks)
{
    img = img.convertToFormat(QImage::Format_ARGB32);
    QPainter p(&img);
    p.setCompositionMode(QPainter::CompositionMode_Source);
    for (const QRect &r : masks)
        p.fillRect(r, QColor(255, 0, 255, 255));
    return img;
}

} // namespace

QImage pictureOf(const TMemoryGraphic &g)
{
    return g.image().copy();
}

QImage sideBySide(const QList<QImage> &pictures, int gap)
{
    int w = 0, h = 0;
    for (const QImage &p : pictures) {
        w += p.width() + gap;
        h = std::max(h, p.height());
    }
    QImage out(std::max(w - gap, 1), std::max(h, 1), QImage::Format_ARGB32);
    out.fill(Qt::transparent);
    QPainter painter(&out);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    int x = 0;
    for (const QImage &p : pictures) {
        painter.drawImage(x, 0, p);
        x += p.width() + gap;
    }
    return out;
}

std::string compareWithGolden(const QImage &actual, const QString &name, const QList<QRect> &masks)
{
    const QString path = QStringLiteral(KAVRIN_TEST_DATA "/ui/") + name + QStringLiteral(".png");
    const QImage got = masked(actual, masks);
    if (qEnvironmentVariableIntValue("KAVRIN_UPDATE_GOLDENS") == 1) {
        QDir().mkpath(QStringLiteral(KAVRIN_TEST_DATA "/ui"));
        got.save(path);
        return {};
    }
    const QImage want = QImage(path).convertToFormat(QImage::Format_ARGB32);
    std::string problem;
    if (want.isNull()) {
        problem = "no golden " + path.toStdString();
    } else if (want.size() != got.size()) {
        problem = "size differs from " + path.toStdString();
    } else {
        for (int y = 0; y < got.height() && problem.empty(); ++y)
            for (int x = 0; x < got.width(); ++x)
                if (got.pixel(x, y) != want.pixel(x, y)) {
                    problem = "first difference at (" + std::to_string(x) + ", " +
                              std::to_string(y) + ") of " + name.toStdString();
                    break;
                }
    }
    if (!problem.empty()) {
        QDir().mkpath(QStringLiteral("ui-golden-failures"));
        got.save(QStringLiteral("ui-golden-failures/") + name + QStringLiteral("_actual.png"));
        if (!want.isNull())
            want.save(QStringLiteral("ui-golden-failures/") + name +
                      QStringLiteral("_expected.png"));
    }
    return problem;
}

std::string px(TColor32 c)
{
    return std::to_string(c.b) + "," + std::to_string(c.g) + "," + std::to_string(c.r) + "," +
           std::to_string(c.a);
}

QString itemNames(const TqZListView &v)
{
    QString s;
    for (int i = 0; i < v.ItemCount(); ++i)
        s += v.GetItemName(i) + ' ';
    return s.trimmed();
}
