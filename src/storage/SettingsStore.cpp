#include "SettingsStore.h"

#include "StorageError.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

namespace pagelore {

namespace {

// The one place where names are made case-insensitive.
QString entryKey(const QString &section, const QString &key)
{
    return section.toLower() + QLatin1Char('/') + key.toLower();
}

} // namespace

QString SettingsStore::filePath(const QString &application)
{
    const QString base = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    return base + QLatin1Char('/') + application + QLatin1Char('/') + application + QStringLiteral(".ini");
}

QString SettingsStore::GetSetting(const QString &application, const QString &section, const QString &key)
{
    const QString path = filePath(application);
    if (!QFileInfo(path).isFile())
        return {};
    QSettings settings(path, QSettings::IniFormat);
    if (settings.status() != QSettings::NoError)
        return {};
    return settings.value(entryKey(section, key)).toString();
}

void SettingsStore::SaveSetting(const QString &application, const QString &section, const QString &key,
                                const QString &value)
{
    const QString path = filePath(application);
    const QFileInfo info(path);
    if (!QDir().mkpath(info.absolutePath()) || (info.exists() && !info.isFile()))
        throw StorageError(StorageError::Kind::WriteFailed, path);
    QSettings settings(path, QSettings::IniFormat);
    settings.setValue(entryKey(section, key), value);
    settings.sync();
    if (settings.status() != QSettings::NoError)
        throw StorageError(StorageError::Kind::WriteFailed, path);
}

namespace {

const QString kDataFolderSection = QStringLiteral("FileSave");
const QString kImageFolderSection = QStringLiteral("GazouSave");
const QString kFolderKey = QStringLiteral("Address");

} // namespace

QString DataFolder()
{
    return SettingsStore::GetSetting(kApplicationName, kDataFolderSection, kFolderKey);
}

QString ImageFolder()
{
    return SettingsStore::GetSetting(kApplicationName, kImageFolderSection, kFolderKey);
}

void SaveDataFolder(const QString &folder)
{
    SettingsStore::SaveSetting(kApplicationName, kDataFolderSection, kFolderKey, folder);
}

void SaveImageFolder(const QString &folder)
{
    SettingsStore::SaveSetting(kApplicationName, kImageFolderSection, kFolderKey, folder);
}

} // namespace pagelore
