#include "shortcut_test_support.h"

#include "ui/base/system_colours.h"
#include "ui/base/user_interface.h"

#include <QFile>

#include <gtest/gtest.h>

#include <csignal>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The interface state of the whole run, under the fixed colours, for the dialog's tests.
class AppUiEnvironment : public ::testing::Environment
{
  public:
    void SetUp() override
    {
        installSysColorTable(fixedSysColorTable());
        initialiseUserInterface();
    }
    void TearDown() override { finaliseUserInterface(); }
};

[[maybe_unused]] ::testing::Environment *const gAppUiEnvironment =
    ::testing::AddGlobalTestEnvironment(new AppUiEnvironment);

} // namespace

ScopedShortCutFileDialog::ScopedShortCutFileDialog(QString path) : answer(std::move(path))
{
    m_previous = installShortCutFileDialog(
        [this](QString &out, TOpenFilterType kind, const QString &defaultName, const QString &) {
            kinds << kind;
            defaultNames << defaultName;
            if (answer.isEmpty())
                return false;
            out = answer;
            return true;
        });
}

ScopedShortCutFileDialog::~ScopedShortCutFileDialog()
{
    installShortCutFileDialog(m_previous);
}

ScopedUnwritableFolder::ScopedUnwritableFolder(const QString &folder) : m_folder(folder)
{
    const QByteArray path = QFile::encodeName(folder);
    chmod(path.constData(), 0555);
    if (access(path.constData(), W_OK) != 0)
        return;
    // Permissions do not bind root: let no file grow instead.
    m_limited = getrlimit(RLIMIT_FSIZE, &m_limit) == 0;
    if (m_limited) {
        m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit none = m_limit;
        none.rlim_cur = 0;
        setrlimit(RLIMIT_FSIZE, &none);
    }
}

ScopedUnwritableFolder::~ScopedUnwritableFolder()
{
    if (m_limited) {
        setrlimit(RLIMIT_FSIZE, &m_limit);
        std::signal(SIGXFSZ, m_oldHandler);
    }
    chmod(QFile::encodeName(m_folder).constData(), 0755);
}

QByteArray fileBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}
