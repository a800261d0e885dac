#include "SettingsStore.h"

#include "Encryptit.h"
#include "RegFile.h"
#include "SafeFile.h"
#include "TextLimits.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <optional>

namespace zarvo {

namespace {

const QByteArray kKeyPath = QByteArrayLiteral("HKEY_LOCAL_MACHINE\\Software\\Pelmark\\Zarvo!");

// A settings file is a few kilobytes; one far larger than any sticker text could make it is not
// ours to load into memory, and is treated as a file that cannot be read (and so is never replaced).
constexpr qint64 kMaxFileSize = qint64{64} << 20;

constexpr QFileDevice::Permissions kOwnerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner;

// A stored text longer than its field is cut as it is read (settingTextLength), so that a huge
// value costs neither memory nor time at start-up; the file keeps it until the text's group is
// next saved.
qsizetype maxLength(const SettingDef& def)
{
    return settingTextLength(def);
}

QList<QByteArray> readingOrder()
{
    QList<QByteArray> order;
    for (const SettingDef& def : settingDefs())
        order.append(def.name);
    return order;
}

RegFile emptyFile()
{
    RegFile file(kKeyPath);
    file.setValueOrder(readingOrder());
    return file;
}

enum class KeyState
{
    Opened,
    Missing,
    Unusable // there, but cannot be read, or could not be replaced
};

// "Opening the key": the file is a regular file we can read whole and replace.
KeyState openKey(const QString& path, RegFile& file)
{
    const QFileInfo info(path);
    if (!info.exists() && !info.isSymLink()) return KeyState::Missing;
    if (!info.isFile() || info.size() > kMaxFileSize || !info.isReadable() || !info.isWritable())
        return KeyState::Unusable;
    // Replacing means making a new file beside the real one (the symlink's target, if it is one).
    const QFileInfo target(info.canonicalFilePath());
    if (!QFileInfo(target.absolutePath()).isWritable()) return KeyState::Unusable;

    QFile in(path);
    if (!in.open(QIODevice::ReadOnly)) return KeyState::Unusable;
    // The size was checked above; readAll reserves what the file holds, not the limit.
    const QByteArray data = in.readAll();
    if (in.error() != QFileDevice::NoError || data.size() > kMaxFileSize) return KeyState::Unusable;

    file = RegFile::parse(data, kKeyPath);
    file.setValueOrder(readingOrder());
    return KeyState::Opened;
}

// The folder the program made holds the password too; keep it private.
bool makeFolder(const QString& path)
{
    const QString dir = QFileInfo(path).absolutePath();
    if (QFileInfo(dir).isDir()) return true;
    if (!QDir().mkpath(dir)) return false;
    QFile::setPermissions(dir, kOwnerOnly | QFileDevice::ExeOwner);
    return true;
}

// An atomic replace that leaves the file readable by its owner only, whatever mode it had (the
// mode is set before the first byte goes in).
bool writeFile(const QString& path, const RegFile& file)
{
    return SafeFile::replace(path, file.toBytes(), kOwnerOnly);
}

// "Creating the key": the folder and a file that nobody else could open in the meantime; a file
// that could not be written whole is taken away again, so that the next start creates it afresh.
bool createFile(const QString& path, const RegFile& file)
{
    if (!makeFolder(path)) return false;
    QFile placeholder(path);
    if (!placeholder.open(QIODevice::WriteOnly | QIODevice::NewOnly, kOwnerOnly)) return false;
    placeholder.close();
    if (writeFile(path, file)) return true;
    // Still the empty placeholder: the values never got in. (A file whose content is in place
    // but whose folder could not be synced stays.)
    if (QFileInfo(path).size() == 0) QFile::remove(path);
    return false;
}

RegValue storedForm(const SettingDef& def, const Settings& settings)
{
    switch (def.kind) {
    case SettingKind::Boolean:
        return RegValue::fromDword(settings.*def.boolField ? 1 : 0);
    case SettingKind::Integer:
        return RegValue::fromDword(static_cast<quint32>(settings.*def.intField));
    case SettingKind::Text:
        return RegValue::fromString((settings.*def.textField).toUtf8());
    case SettingKind::Password:
        return RegValue::fromString(Encrypt((settings.*def.textField).toUtf8(), PasswordKey));
    }
    return {};
}

// One step of the guarded reading sequence; false ends it.
bool readValue(const RegFile& file, const SettingDef& def, Settings& settings)
{
    const std::optional<RegValue> value = file.value(def.name);
    switch (def.kind) {
    case SettingKind::Boolean:
    case SettingKind::Integer:
        if (!value || value->type != RegValue::Type::Dword) return false;
        if (def.kind == SettingKind::Boolean)
            settings.*def.boolField = value->dword != 0;
        else
            settings.*def.intField = static_cast<qint32>(value->dword);
        return true;
    case SettingKind::Text:
    case SettingKind::Password:
        if (!value) {
            settings.*def.textField = QString();
            return true;
        }
        if (value->type != RegValue::Type::String) return false;
        if (def.kind == SettingKind::Password) {
            // Read past a 0 byte: the scrambled form may hold one, and so may the password. The
            // scrambling runs byte by byte from the start, so unscrambling the bytes that the
            // longest password can take gives its beginning.
            const QByteArray plain = Decrypt(value->string.left(maxLength(def) * 4), PasswordKey);
            settings.*def.textField = textFromUtf8(plain, maxLength(def));
        } else {
            const qsizetype nul = value->string.indexOf('\0');
            settings.*def.textField =
                textFromUtf8(nul < 0 ? value->string : value->string.left(nul), maxLength(def));
        }
        return true;
    }
    return false;
}

void putGroup(RegFile& file, std::span<const char* const> group, const Settings& settings)
{
    for (const char* name : group) {
        const SettingDef* def = findSetting(QLatin1String(name));
        Q_ASSERT(def);
        if (def) file.setValue(def->name, storedForm(*def, settings));
    }
}

} // namespace

SettingsStore::SettingsStore(QString filePath, std::function<void()> onRegistryError)
    : m_path(std::move(filePath)), m_onRegistryError(std::move(onRegistryError))
{
}

void SettingsStore::LoadSettings(Settings& settings)
{
    RegFile file(kKeyPath);
    switch (openKey(m_path, file)) {
    case KeyState::Opened:
        for (const SettingDef& def : settingDefs()) {
            if (!readValue(file, def, settings)) break;
        }
        return;
    case KeyState::Missing: {
        RegFile fresh = emptyFile();
        for (const SettingDef& def : settingDefs())
            fresh.setValue(def.name, storedForm(def, settings));
        if (createFile(m_path, fresh)) return;
        break;
    }
    case KeyState::Unusable:
        break;
    }
    if (m_onRegistryError) m_onRegistryError();
}

void SettingsStore::SaveParameters(const Settings& settings)
{
    RegFile file(kKeyPath);
    switch (openKey(m_path, file)) {
    case KeyState::Opened:
        putGroup(file, parametersGroup(), settings);
        writeFile(m_path, file); // a failure after opening is silent
        return;
    case KeyState::Missing: {
        RegFile fresh = emptyFile();
        putGroup(fresh, parametersGroup(), settings);
        if (createFile(m_path, fresh)) return;
        break;
    }
    case KeyState::Unusable:
        break;
    }
    if (m_onRegistryError) m_onRegistryError();
}

void SettingsStore::SaveWindowSettings(const Settings& settings)
{
    saveExisting(windowGroup(), settings);
}

void SettingsStore::SaveStickerSettings(const Settings& settings)
{
    saveExisting(stickerGroup(), settings);
}

void SettingsStore::SaveCalendarPosition(const Settings& settings)
{
    saveExisting(calendarGroup(), settings);
}

void SettingsStore::saveExisting(std::span<const char* const> group, const Settings& settings)
{
    RegFile file(kKeyPath);
    if (openKey(m_path, file) != KeyState::Opened) return;
    putGroup(file, group, settings);
    writeFile(m_path, file);
}

} // namespace zarvo
