// The per-user key store: a hierarchy of keys holding named values, kept in one INI file.
//
// Key paths are written as the program has always named them, with backslashes, from the root
// "Software\Trevolt\Kavrin5" (for example "Software\Trevolt\Kavrin5\fileIO" or
// "Software\Trevolt\Kavrin5\penSetting\airbrush3"). The root is the file itself,
// $XDG_CONFIG_HOME/Trevolt/Kavrin5.conf (or $KAVRIN_CONFIG_DIR/Kavrin5.conf); the rest of the
// path becomes the INI group. Paths outside the root cannot be opened.
//
// Values keep the types the program stores: 32-bit integers (signed or unsigned), Booleans as the
// numbers 0 and 1, floating values as doubles, and strings. The INI file holds them as text, so a
// value is checked when it is read: a value that does not parse as the requested type reads as
// absent, and callers fall back to their default.
#pragma once

#include <QString>
#include <QStringList>

#include <cstdint>
#include <memory>
#include <optional>

class QSettings;
class CRegKey;

// The root of every key path the program uses.
inline const QString kRegistryRoot = QStringLiteral("Software\\Trevolt\\Kavrin5");

// The store's file: $KAVRIN_CONFIG_DIR/Kavrin5.conf when that variable is set, else
// $XDG_CONFIG_HOME/Trevolt/Kavrin5.conf (~/.config when XDG_CONFIG_HOME is unset). Read anew on
// every call, so tests can point it at a temporary folder.
QString registryFilePath();

// One store file. Changes are kept in memory and written to the file by flush() and on
// destruction; the file is replaced whole (written beside it and renamed), never half-written.
class CRegistry
{
  public:
    explicit CRegistry(const QString &filePath = registryFilePath());
    ~CRegistry();
    CRegistry(const CRegistry &) = delete;
    CRegistry &operator=(const CRegistry &) = delete;

    const QString &filePath() const { return m_filePath; }

    // Opens the key at path; with create a missing key (and its parents) is created. Nothing
    // when the path lies outside the root, when the key is missing and create is false, or when
    // it cannot be created because the store cannot be written.
    std::optional<CRegKey> openKey(const QString &path, bool create);
    bool keyExists(const QString &path) const;

    // False when the store cannot take changes (its file or folder cannot be written).
    bool isWritable() const;
    // Writes pending changes to the file; false when the file could not be written.
    bool flush();

  private:
    friend class CRegKey;
    static std::optional<QString> groupOf(const QString &path);

    QString m_filePath;
    std::unique_ptr<QSettings> m_settings;
};

// An open key of a store. It refers to its store, which must outlive it.
// Value names must not contain '/' or '\'; such a name is never found and never written.
class CRegKey
{
  public:
    bool valueExists(const QString &name) const;
    // Value names in the key, sub-keys excluded, in the store's order.
    QStringList valueNames() const;

    // A 32-bit integer; a stored unsigned value above 0x7FFFFFFF reads as its 32-bit pattern.
    std::optional<int32_t> readInt(const QString &name) const;
    std::optional<uint32_t> readCardinal(const QString &name) const;
    // Any non-zero number is true.
    std::optional<bool> readBool(const QString &name) const;
    // A floating value, stored as a double, rounded to Single.
    std::optional<float> readSingle(const QString &name) const;
    std::optional<double> readDouble(const QString &name) const;
    std::optional<QString> readString(const QString &name) const;

    // Each write answers false, and changes nothing, when the value cannot be written.
    bool writeInt(const QString &name, int32_t v);
    bool writeCardinal(const QString &name, uint32_t v);
    bool writeBool(const QString &name, bool v);
    bool writeSingle(const QString &name, float v);
    bool writeDouble(const QString &name, double v);
    bool writeString(const QString &name, const QString &v);
    bool deleteValue(const QString &name);

  private:
    friend class CRegistry;
    CRegKey(CRegistry &store, QString group) : m_store(&store), m_group(std::move(group)) {}
    std::optional<QString> text(const QString &name) const;
    std::optional<QString> keyOf(const QString &name) const;
    bool canWrite(const QString &name) const;

    CRegistry *m_store; // not owned
    QString m_group;    // INI group, '/'-separated; empty for the root
};
