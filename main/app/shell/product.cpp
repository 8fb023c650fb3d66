#include "app/shell/product.h"

#include "platform/system/environment.h"

QString gAppFileTypeName = QStringLiteral("Kavrin");

void initialiseProductNames()
{
    gAppTitle = QStringLiteral("Kavrin");
    gAppFileTypeName = QStringLiteral("Kavrin");
}

QString makeVersionText(int32_t major, int32_t minor, int32_t release)
{
    return QString::asprintf("%d.%d.%2.2d", major, minor, release);
}
