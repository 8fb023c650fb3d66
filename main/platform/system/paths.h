// Path strings. The path delimiter is '/'.
#pragma once

#include <QString>

// The file name without directory and without its last extension ("/a/b.tar.gz" gives "b.tar").
QString fileTitle(const QString &path);
// dir with a trailing delimiter ensured, then name. An empty dir gives name unchanged (a relative
// path), not a path from the root.
QString pathJoin(const QString &dir, const QString &name);
