#include "Settings.h"

#include <array>

namespace zarvo {

namespace {

constexpr SettingDef boolean(const char* name, bool Settings::*field)
{
    return {name, SettingKind::Boolean, field, nullptr, nullptr};
}

constexpr SettingDef integer(const char* name, int Settings::*field)
{
    return {name, SettingKind::Integer, nullptr, field, nullptr};
}

constexpr SettingDef text(const char* name, QString Settings::*field)
{
    return {name, SettingKind::Text, nullptr, nullptr, field};
}

constexpr SettingDef password(const char* name, QString Settings::*field)
{
    return {name, SettingKind::Password, nullptr, nullptr, field};
}

// The reading order matters: the first missing or mistyped boolean or integer ends the reading,
// and everything after it keeps its default.
constexpr std::array kDefs{
    boolean("Sound", &Settings::Sound),
    boolean("Show", &Settings::Show),
    text("SoundFile", &Settings::SoundFile),
    integer("EvNum", &Settings::EvNum),
    boolean("Ding15", &Settings::Ding15),
    boolean("Ding30", &Settings::Ding30),
    boolean("Ding1h", &Settings::Ding1h),
    boolean("Repeat", &Settings::Repeat),
    text("15File", &Settings::File15),
    text("30File", &Settings::File30),
    text("1hFile", &Settings::File1h),
    boolean("Sound15", &Settings::Sound15),
    boolean("Sound30", &Settings::Sound30),
    boolean("Sound1h", &Settings::Sound1h),
    text("User", &Settings::User),
    password("Pas", &Settings::Pas),
    text("Server", &Settings::Server),
    integer("Port", &Settings::Port),
    integer("Timeout", &Settings::Timeout),
    text("SyncServer", &Settings::SyncServer),
    integer("SyncPort", &Settings::SyncPort),
    integer("SyncTimeout", &Settings::SyncTimeout),
    text("SMTPServer", &Settings::SMTPServer),
    integer("SMTPPort", &Settings::SMTPPort),
    text("ReturnAddress", &Settings::ReturnAddress),
    boolean("DeleteEvents", &Settings::DeleteEvents),
    integer("ClockLeft", &Settings::ClockLeft),
    integer("ClockTop", &Settings::ClockTop),
    boolean("ClockVisible", &Settings::ClockVisible),
    boolean("ClockOnTop", &Settings::ClockOnTop),
    boolean("SecVisible", &Settings::SecVisible),
    integer("ClockColor", &Settings::ClockColor),
    integer("ClockFSize", &Settings::ClockFSize),
    text("ClockFName", &Settings::ClockFName),
    integer("ClockFColor", &Settings::ClockFColor),
    boolean("ClockFB", &Settings::ClockFB),
    boolean("ClockFI", &Settings::ClockFI),
    boolean("ClockFU", &Settings::ClockFU),
    boolean("ClockFS", &Settings::ClockFS),
    integer("StickerLeft", &Settings::StickerLeft),
    integer("StickerTop", &Settings::StickerTop),
    integer("StickerColor", &Settings::StickerColor),
    integer("StickerFSize", &Settings::StickerFSize),
    text("StickerFName", &Settings::StickerFName),
    integer("StickerFColor", &Settings::StickerFColor),
    boolean("StickerFB", &Settings::StickerFB),
    boolean("StickerFI", &Settings::StickerFI),
    boolean("StickerFU", &Settings::StickerFU),
    boolean("StickerFS", &Settings::StickerFS),
    text("StickerText", &Settings::StickerText),
    boolean("ShowSticker", &Settings::ShowSticker),
    boolean("Disable", &Settings::Disable),
    boolean("CalVis", &Settings::CalVis),
    integer("CalWL", &Settings::CalWL),
    integer("CalWT", &Settings::CalWT),
    boolean("ShowMissed", &Settings::ShowMissed),
    boolean("DesktopNotify", &Settings::DesktopNotify),
    integer("MailSecurity", &Settings::MailSecurity),
    integer("SMTPSecurity", &Settings::SMTPSecurity),
    boolean("SMTPAuth", &Settings::SMTPAuth),
};
static_assert(kDefs.size() == 60);

constexpr std::array kParameters{
    "Sound",        "Show",          "SoundFile",    "EvNum",       "Ding15",      "Ding30",
    "Ding1h",       "Repeat",        "15File",       "30File",      "1hFile",      "Sound15",
    "Sound30",      "Sound1h",       "DeleteEvents", "User",        "Pas",         "Server",
    "Port",         "Timeout",       "SyncServer",   "SyncPort",    "SyncTimeout", "SMTPServer",
    "SMTPPort",     "ReturnAddress", "StickerText",  "ShowSticker", "ShowMissed",  "DesktopNotify",
    "MailSecurity", "SMTPSecurity",  "SMTPAuth",
};

constexpr std::array kWindow{
    "ClockLeft",  "ClockTop",    "ClockVisible", "ClockOnTop", "ClockColor", "ClockFSize",
    "ClockFName", "ClockFColor", "ClockFB",      "ClockFI",    "ClockFU",    "ClockFS",
    "SecVisible", "Disable",     "CalVis",       "CalWL",      "CalWT",
};

constexpr std::array kSticker{
    "StickerLeft",  "StickerTop", "StickerColor", "ShowSticker", "StickerFName", "StickerFColor",
    "StickerFSize", "StickerFB",  "StickerFI",    "StickerFU",   "StickerFS",
};

constexpr std::array kCalendar{"CalWL", "CalWT"};

} // namespace

qsizetype settingTextLength(const SettingDef& def)
{
    return def.textField == &Settings::StickerText ? StickerTextLength : SettingLineLength;
}

std::span<const SettingDef> settingDefs()
{
    return kDefs;
}

// Registry value names are case-insensitive, and so is the lookup.
const SettingDef* findSetting(const QString& name)
{
    for (const SettingDef& def : kDefs) {
        if (name.compare(QLatin1String(def.name), Qt::CaseInsensitive) == 0) return &def;
    }
    return nullptr;
}

std::span<const char* const> parametersGroup()
{
    return kParameters;
}
std::span<const char* const> windowGroup()
{
    return kWindow;
}
std::span<const char* const> stickerGroup()
{
    return kSticker;
}
std::span<const char* const> calendarGroup()
{
    return kCalendar;
}

} // namespace zarvo
