#pragma once

#include <QString>

namespace pagelore {

// The persistent (application, section, key) -> text store, kept per user in
// an INI file under the user's config folder ($XDG_CONFIG_HOME, normally
// ~/.config/<application>/<application>.ini). Section and key names are
// compared without regard to case.
namespace SettingsStore {

// The empty text when nothing was saved or the file cannot be read.
QString GetSetting(const QString &application, const QString &section, const QString &key);
// Throws StorageError (naming the settings file) when the value cannot be stored.
void SaveSetting(const QString &application, const QString &section, const QString &key, const QString &value);

QString filePath(const QString &application);

}  // namespace SettingsStore

inline const QString kApplicationName = QStringLiteral("Pagelore");

// The two folder settings, the only configuration there is, read afresh on
// every call. Each ends with "/" once chosen, and is empty before.
QString DataFolder();
QString ImageFolder();
// Both throw StorageError naming the settings file.
void SaveDataFolder(const QString &folder);
void SaveImageFolder(const QString &folder);

}  // namespace pagelore
