#include "platform/system/paths.h"

QString fileTitle(const QString &path)
{
    const QString name = path.mid(path.lastIndexOf(u'/') + 1);
    const qsizetype dot = name.lastIndexOf(u'.');
    return dot < 0 ? name : name.left(dot);
}

QString pathJoin(const QString &dir, const QString &name)
{
    if (dir.isEmpty())
        return name;
    return dir.endsWith(u'/') ? dir + name : dir + u'/' + name;
}
