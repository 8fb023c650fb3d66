// Feeds outside bytes to the shortcut file reader the way a load does, then uses what it
// accepted: the bindings take their groups, become a view list, are checked key by key, and the
// list is written and read back, which must succeed with the same bindings.
#include "app/shortcuts/shortcut_file.h"
#include "app/shortcuts/shortcut_manager.h"

#include <QFile>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static QTemporaryDir dir;
    const QString in = dir.filePath("in.qsl"), out = dir.filePath("out.qsl");
    QFile file(in);
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(reinterpret_cast<const char *>(data), qint64(size)) != qint64(size))
        return 0;
    file.close();

    CShortCutMngr mngr;
    int status = 0;
    if (!readShortCutFile(in, mngr, status))
        return 0;
    mngr.setType();
    CShortCutMngr view;
    mngr.makeViewList(view);
    for (int i = 0; i < view.count(); ++i) {
        int dup = 0;
        const CShortCutObj &o = *view.getObj(i);
        const TShortCutErrorType e = view.checkError(o, i, dup, true);
        (void)view.getErrorString(o.FKey, o.FShift, o.FCtrl, o.FAlt, e, dup);
        (void)view.getKeyString(i);
    }
    CShortCutMngr again;
    if (!writeShortCutFile(out, mngr, status) || !readShortCutFile(out, again, status) ||
        again.count() != mngr.count())
        abort();
    return 0;
}
