#pragma once

#include "Settings.h"

#include <QString>

#include <functional>

namespace zarvo {

// The settings file: one registry key in REGEDIT4 text form. "Opening the key" means the file
// exists and can be read and written; "creating it" means making its folder and writing it.
// Every write replaces the file atomically and leaves it readable by its owner only.
class SettingsStore
{
public:
    // onRegistryError shows "Error in system registry"; the store never shows anything itself.
    SettingsStore(QString filePath, std::function<void()> onRegistryError);

    const QString& filePath() const { return m_path; }

    // Reads every value into settings (which hold the defaults on entry), or creates the file
    // with the values in memory when there is none.
    void LoadSettings(Settings& settings);

    void SaveParameters(const Settings& settings);
    // The caller copies what it takes from live windows into settings first.
    void SaveWindowSettings(const Settings& settings);
    void SaveStickerSettings(const Settings& settings);
    void SaveCalendarPosition(const Settings& settings);

private:
    void saveExisting(std::span<const char* const> group, const Settings& settings);

    QString m_path;
    std::function<void()> m_onRegistryError;
};

} // namespace zarvo
