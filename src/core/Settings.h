#pragma once

#include <QString>

#include <span>

namespace zarvo {

// The program's whole persistent configuration apart from the events. Field names are the names
// of the stored values; the defaults are the built-in ones used on a first start and whenever a
// value cannot be read.
struct Settings
{
    bool Sound = true;
    bool Show = true;
    QString SoundFile;
    int EvNum = 0;
    bool Ding15 = false;
    bool Ding30 = false;
    bool Ding1h = false;
    bool Repeat = false;
    QString File15; // stored as "15File"
    QString File30; // stored as "30File"
    QString File1h; // stored as "1hFile"
    bool Sound15 = false;
    bool Sound30 = false;
    bool Sound1h = false;
    QString User;
    QString Pas; // plain text in memory, scrambled in the file
    QString Server;
    int Port = 110;
    int Timeout = 3;
    QString SyncServer;
    int SyncPort = 37;
    int SyncTimeout = 3;
    QString SMTPServer;
    int SMTPPort = 25;
    QString ReturnAddress;
    bool DeleteEvents = false;
    int ClockLeft = 0;
    int ClockTop = 0;
    bool ClockVisible = false;
    bool ClockOnTop = false;
    bool SecVisible = true;
    int ClockColor = 65280;
    int ClockFSize = 14;
    QString ClockFName = QStringLiteral("Arial");
    int ClockFColor = 0;
    bool ClockFB = false;
    bool ClockFI = false;
    bool ClockFU = false;
    bool ClockFS = false;
    int StickerLeft = 0;
    int StickerTop = 0;
    int StickerColor = 65280;
    int StickerFSize = 14;
    QString StickerFName = QStringLiteral("Arial");
    int StickerFColor = 0;
    bool StickerFB = false;
    bool StickerFI = false;
    bool StickerFU = false;
    bool StickerFS = false;
    QString StickerText;
    bool ShowSticker = false;
    bool Disable = false;
    bool CalVis = false;
    int CalWL = 0;
    int CalWT = 0;
    bool ShowMissed = true;    // missed reminders reported at start and after a suspend
    bool DesktopNotify = true; // lines also go to the desktop's notification service
    int MailSecurity = 0;      // POP3: 0 none, 1 STARTTLS, 2 TLS from the first byte
    int SMTPSecurity = 0;      // SMTP: the same three
    bool SMTPAuth = false;     // SMTP log-in with the mailbox account

    bool operator==(const Settings&) const = default;
};

enum class SettingKind
{
    Boolean,
    Integer,
    Text,
    Password // a text stored scrambled
};

// One stored value: its name, its kind and where it lives in Settings.
struct SettingDef
{
    const char* name;
    SettingKind kind;
    bool Settings::*boolField = nullptr;
    int Settings::*intField = nullptr;
    QString Settings::*textField = nullptr;
};

// The most characters a text value holds, as its editor takes them: a line edit holds 32767 (the
// password edit too, which widens itself for a stored password longer than its 50), the sticker's
// note is a multi-line text of up to 64 K.
inline constexpr qsizetype SettingLineLength = 32767;
inline constexpr qsizetype StickerTextLength = 65535;
qsizetype settingTextLength(const SettingDef& def);

// All 60 values in their reading order.
std::span<const SettingDef> settingDefs();
const SettingDef* findSetting(const QString& name);

// The four save groups, each in its writing order.
std::span<const char* const> parametersGroup();
std::span<const char* const> windowGroup();
std::span<const char* const> stickerGroup();
std::span<const char* const> calendarGroup();

} // namespace zarvo
