#include "platform/system/registry.h"

#include <QDir>
#include <QSettings>
#include <QStandardPaths>

#include <limits>

namespace {

// A key that exists but holds no value yet is marked by this value, which callers never see.
const QString kKeyMarker = QStringLiteral(".key");

QString joinGroup(const QString &group, const QString &name)
{
    return group.isEmpty() ? name : group + u'/' + name;
}

} // namespace

QString registryFilePath()
{
    const QString overridden = qEnvironmentVariable("KAVRIN_CONFIG_DIR");
    if (!overridden.isEmpty())
        return QDir(overridden).filePath(QStringLiteral("Kavrin5.conf"));
    const QString base = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    return QDir(base).filePath(QStringLiteral("Trevolt/Kavrin5.conf"));
}

CRegistry::CRegistry(const QString &filePath)
    : m_filePath(filePath), m_settings(std::make_unique<QSettings>(filePath, QSettings::IniFormat))
{
}

CRegistry::~CRegistry()
{
    m_settings->sync();
}

// "Software\Trevolt\Kavrin5\a\b" gives the group "a/b"; the root alone gives "". Key names are
// compared without regard to case below the root's own spelling, as the system registry does.
std::optional<QString> CRegistry::groupOf(const QString &path)
{
    const QStringList parts = path.split(u'\\', Qt::SkipEmptyParts);
    const QStringList root = kRegistryRoot.split(u'\\');
    if (parts.size() < root.size())
        return std::nullopt;
    for (qsizetype i = 0; i < root.size(); ++i)
        if (parts[i].compare(root[i], Qt::CaseInsensitive) != 0)
            return std::nullopt;
    const QStringList rest = parts.mid(root.size());
    for (const QString &part : rest)
        if (part.contains(u'/'))
            return std::nullopt;
    return rest.join(u'/');
}

bool CRegistry::keyExists(const QString &path) const
{
    const std::optional<QString> group = groupOf(path);
    if (!group)
        return false;
    if (m_settings->contains(joinGroup(*group, kKeyMarker)))
        return true;
    m_settings->beginGroup(*group);
    const bool used = !m_settings->childKeys().isEmpty() || !m_settings->childGroups().isEmpty();
    m_settings->endGroup();
    return used;
}

std::optional<CRegKey> CRegistry::openKey(const QString &path, bool create)
{
    const std::optional<QString> group = groupOf(path);
    if (!group)
        return std::nullopt;
    if (!keyExists(path)) {
        if (!create || !isWritable())
            return std::nullopt;
        m_settings->setValue(joinGroup(*group, kKeyMarker), QString());
    }
    return CRegKey(*this, *group);
}

bool CRegistry::isWritable() const
{
    return m_settings->isWritable();
}

bool CRegistry::flush()
{
    m_settings->sync();
    return m_settings->status() == QSettings::NoError;
}

std::optional<QString> CRegKey::keyOf(const QString &name) const
{
    if (name.isEmpty() || name == kKeyMarker || name.contains(u'/') || name.contains(u'\\'))
        return std::nullopt;
    return joinGroup(m_group, name);
}

bool CRegKey::valueExists(const QString &name) const
{
    const std::optional<QString> key = keyOf(name);
    return key && m_store->m_settings->contains(*key);
}

QStringList CRegKey::valueNames() const
{
    QSettings &s = *m_store->m_settings;
    s.beginGroup(m_group);
    QStringList names = s.childKeys();
    s.endGroup();
    names.removeAll(kKeyMarker);
    return names;
}

// Every stored value is read through its text, so that a value reads the same whether it was
// written in this run or parsed from the file. A hand-written "a, b" parses as a list: its text is
// the list joined as it was written.
std::optional<QString> CRegKey::text(const QString &name) const
{
    const std::optional<QString> key = keyOf(name);
    if (!key)
        return std::nullopt;
    const QVariant v = m_store->m_settings->value(*key);
    if (!v.isValid())
        return std::nullopt;
    if (v.typeId() == QMetaType::QStringList)
        return v.toStringList().join(QStringLiteral(", "));
    if (!v.canConvert<QString>())
        return std::nullopt;
    return v.toString();
}

std::optional<int32_t> CRegKey::readInt(const QString &name) const
{
    const std::optional<QString> t = text(name);
    if (!t)
        return std::nullopt;
    bool ok = false;
    const qlonglong v = t->trimmed().toLongLong(&ok, 10);
    if (!ok || v < std::numeric_limits<int32_t>::min() || v > std::numeric_limits<uint32_t>::max())
        return std::nullopt;
    // A 32-bit value: an unsigned one above 0x7FFFFFFF keeps its bit pattern.
    return static_cast<int32_t>(static_cast<uint32_t>(v));
}

std::optional<uint32_t> CRegKey::readCardinal(const QString &name) const
{
    const std::optional<int32_t> v = readInt(name);
    if (!v)
        return std::nullopt;
    return static_cast<uint32_t>(*v);
}

std::optional<bool> CRegKey::readBool(const QString &name) const
{
    if (const std::optional<int32_t> v = readInt(name))
        return *v != 0;
    const std::optional<QString> t = text(name);
    if (t && t->trimmed().compare(QStringLiteral("true"), Qt::CaseInsensitive) == 0)
        return true;
    if (t && t->trimmed().compare(QStringLiteral("false"), Qt::CaseInsensitive) == 0)
        return false;
    return std::nullopt;
}

std::optional<double> CRegKey::readDouble(const QString &name) const
{
    const std::optional<QString> t = text(name);
    if (!t)
        return std::nullopt;
    bool ok = false;
    const double v = t->trimmed().toDouble(&ok);
    if (!ok)
        return std::nullopt;
    return v;
}

std::optional<float> CRegKey::readSingle(const QString &name) const
{
    const std::optional<double> v = readDouble(name);
    if (!v)
        return std::nullopt;
    return static_cast<float>(*v);
}

std::optional<QString> CRegKey::readString(const QString &name) const
{
    return text(name);
}

bool CRegKey::canWrite(const QString &name) const
{
    return keyOf(name) && m_store->isWritable();
}

bool CRegKey::writeInt(const QString &name, int32_t v)
{
    if (!canWrite(name))
        return false;
    m_store->m_settings->setValue(*keyOf(name), static_cast<int>(v));
    return true;
}

bool CRegKey::writeCardinal(const QString &name, uint32_t v)
{
    if (!canWrite(name))
        return false;
    m_store->m_settings->setValue(*keyOf(name), static_cast<uint>(v));
    return true;
}

bool CRegKey::writeBool(const QString &name, bool v)
{
    return writeInt(name, v ? 1 : 0);
}

bool CRegKey::writeDouble(const QString &name, double v)
{
    if (!canWrite(name))
        return false;
    // Written in the shortest form that reads back to the same double.
    m_store->m_settings->setValue(*keyOf(name), v);
    return true;
}

bool CRegKey::writeSingle(const QString &name, float v)
{
    return writeDouble(name, static_cast<double>(v));
}

bool CRegKey::writeString(const QString &name, const QString &v)
{
    if (!canWrite(name))
        return false;
    m_store->m_settings->setValue(*keyOf(name), v);
    return true;
}

bool CRegKey::deleteValue(const QString &name)
{
    if (!canWrite(name) || !valueExists(name))
        return false;
    m_store->m_settings->remove(*keyOf(name));
    return true;
}
