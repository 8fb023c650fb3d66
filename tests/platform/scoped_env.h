// Sets (or unsets) an environment variable for the life of the object and restores it after.
#pragma once

#include <QByteArray>
#include <QtGlobal>

#include <optional>

class ScopedEnv
{
  public:
    ScopedEnv(const char *name, const QByteArray &value) : m_name(name), m_saved(saved(name))
    {
        qputenv(name, value);
    }
    ScopedEnv(const char *name, std::nullopt_t) : m_name(name), m_saved(saved(name))
    {
        qunsetenv(name);
    }
    ~ScopedEnv()
    {
        if (m_saved)
            qputenv(m_name, *m_saved);
        else
            qunsetenv(m_name);
    }
    ScopedEnv(const ScopedEnv &) = delete;
    ScopedEnv &operator=(const ScopedEnv &) = delete;

  private:
    static std::optional<QByteArray> saved(const char *name)
    {
        if (!qEnvironmentVariableIsSet(name))
            return std::nullopt;
        return qgetenv(name);
    }

    const char *m_name;
    std::optional<QByteArray> m_saved;
};
