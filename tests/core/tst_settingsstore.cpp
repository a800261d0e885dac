#include "core/Encryptit.h"
#include "core/RegFile.h"
#include "core/Settings.h"
#include "core/SettingsStore.h"

#include "TestDirs.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QTest>

#include <algorithm>

#include <climits>
#include <optional>

#include <sys/stat.h>
#include <unistd.h>

using namespace zarvo;

namespace {

const QByteArray kKey = QByteArrayLiteral("HKEY_LOCAL_MACHINE\\Software\\Pelmark\\Zarvo!");

QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeAll(const QString& path, const QByteArray& data)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(f.write(data), data.size());
}

void copyValue(Settings& to, const Settings& from, const SettingDef& def)
{
    switch (def.kind) {
    case SettingKind::Boolean:
        to.*def.boolField = from.*def.boolField;
        break;
    case SettingKind::Integer:
        to.*def.intField = from.*def.intField;
        break;
    default:
        to.*def.textField = from.*def.textField;
    }
}

// The names of the values in which two settings differ: a readable failure message.
QStringList differences(const Settings& a, const Settings& b)
{
    QStringList names;
    for (const SettingDef& def : settingDefs()) {
        Settings onlyThis = b;
        copyValue(onlyThis, a, def);
        if (!(onlyThis == b)) names << QLatin1String(def.name);
    }
    return names;
}

// Variant 0 has every value different from its default, among them the extremes of the
// integers; variant 1 has every value different from variant 0.
Settings stored(int variant = 0)
{
    Settings s;
    int i = 0;
    for (const SettingDef& def : settingDefs()) {
        ++i;
        switch (def.kind) {
        case SettingKind::Boolean:
            if (variant == 0) s.*def.boolField = !(s.*def.boolField);
            break;
        case SettingKind::Integer:
            s.*def.intField = 1000 * (variant + 1) + i;
            break;
        case SettingKind::Text:
            s.*def.textField =
                QStringLiteral("%1 \"v%2\" C:\\Zürich €").arg(QLatin1String(def.name)).arg(variant);
            break;
        case SettingKind::Password:
            s.*def.textField = QStringLiteral("s3cr3t-ä-%1").arg(variant);
            break;
        }
    }
    if (variant == 0) {
        s.ClockLeft = -1920;
        s.ClockTop = INT_MIN;
        s.StickerLeft = INT_MAX;
        s.StickerTop = -1;
    }
    return s;
}

// The file as another tool would write it, value by value in the reading order.
QByteArray lineFor(const SettingDef& def, const Settings& s)
{
    switch (def.kind) {
    case SettingKind::Boolean:
        return RegFile::formatValueLine(def.name, RegValue::fromDword(s.*def.boolField ? 1 : 0));
    case SettingKind::Integer:
        return RegFile::formatValueLine(def.name, RegValue::fromDword(quint32(s.*def.intField)));
    case SettingKind::Text:
        return RegFile::formatValueLine(def.name, RegValue::fromString((s.*def.textField).toUtf8()));
    case SettingKind::Password:
        return RegFile::formatValueLine(
            def.name, RegValue::fromString(Encrypt((s.*def.textField).toUtf8(), PasswordKey)));
    }
    return {};
}

QByteArray fullFile(const Settings& s)
{
    QByteArray out = "REGEDIT4\n\n[" + kKey + "]\n";
    for (const SettingDef& def : settingDefs())
        out += lineFor(def, s) + '\n';
    return out;
}

bool runningAsRoot()
{
    return geteuid() == 0;
}

// The permission bits as the system has them (Qt reports owner and user bits side by side).
int mode(const QString& path)
{
    struct stat st
    {
    };
    if (stat(QFile::encodeName(path).constData(), &st) != 0) return -1;
    return static_cast<int>(st.st_mode & 07777);
}

// Replaces the line of one value; "$0" in the replacement stands for the line itself.
QByteArray withLine(const QByteArray& file, const QString& name, const QByteArray& replacement)
{
    const QByteArray prefix = '"' + name.toUtf8() + "\"=";
    QList<QByteArray> lines = file.split('\n');
    for (QByteArray& line : lines) {
        if (line.startsWith(prefix)) {
            QByteArray r = replacement;
            r.replace("$0", line);
            r.replace("$lower", line.toLower());
            line = r;
        }
    }
    QByteArray out = lines.join('\n');
    out.replace("\n<deleted>\n", "\n");
    return out;
}

} // namespace

class TestSettingsStore : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void tableIsComplete();
    void groups();
    void firstStartWritesAllDefaults();
    void readsEveryValue();
    void damagedValues_data();
    void damagedValues();
    void damagedFiles_data();
    void damagedFiles();
    void anyNonZeroNumberIsTrue();
    void textIsCutAtZero();
    void oversizedTextsAreCut();
    void roundTrip_data();
    void roundTrip();
    void passwordWhoseScrambledFormIsText();
    void saveOfOneGroupKeepsTheRest_data();
    void saveOfOneGroupKeepsTheRest();
    void unknownLinesAreKept();
    void fileIsReadAgainBeforeEachSave();
    void everyWriteLeavesMode0600();
    void saveParametersCreatesMissingFile();
    void otherSavesDoNotCreateFile();
    void directoryInPlaceOfFile();
    void folderCannotBeMade();
    void unreadableFile();
    void readOnlyFile();
    void oversizedFile();
    void danglingSymlink();
    void fifoInPlaceOfFile();
    void symlinkedFileStaysLink();
    void noCallbackNoCrash();

private:
    Settings load();
    SettingsStore store();

    std::optional<TestDirs> m_dirs;
    QString m_path;
    int m_errors = 0;
};

void TestSettingsStore::init()
{
    m_dirs.emplace();
    m_path = m_dirs->configHome() + QStringLiteral("/zarvo/settings.reg");
    m_errors = 0;
}

void TestSettingsStore::cleanup()
{
    // Make sure the temporary folder can be removed whatever a test did to the file.
    if (QFileInfo(m_path).isFile()) QFile::setPermissions(m_path, QFile::ReadOwner | QFile::WriteOwner);
    m_dirs.reset();
}

SettingsStore TestSettingsStore::store()
{
    return SettingsStore(m_path, [this] { ++m_errors; });
}

Settings TestSettingsStore::load()
{
    Settings s;
    store().LoadSettings(s);
    return s;
}

void TestSettingsStore::tableIsComplete()
{
    const auto defs = settingDefs();
    QCOMPARE(defs.size(), 60u);
    QSet<QString> names;
    for (const SettingDef& def : defs) {
        QVERIFY2(!names.contains(QLatin1String(def.name)), def.name);
        names.insert(QLatin1String(def.name));
        QCOMPARE(findSetting(QLatin1String(def.name)), &def);
        // Each entry reaches a field of its own: changing it through the table changes Settings.
        Settings s;
        switch (def.kind) {
        case SettingKind::Boolean:
            QVERIFY(def.boolField && !def.intField && !def.textField);
            s.*def.boolField = !(s.*def.boolField);
            break;
        case SettingKind::Integer:
            QVERIFY(!def.boolField && def.intField && !def.textField);
            s.*def.intField += 1;
            break;
        case SettingKind::Text:
        case SettingKind::Password:
            QVERIFY(!def.boolField && !def.intField && def.textField);
            s.*def.textField += QLatin1Char('x');
            break;
        }
        QCOMPARE(differences(s, Settings{}), QStringList{QLatin1String(def.name)});
    }
    QCOMPARE(findSetting(QStringLiteral("Pas"))->kind, SettingKind::Password);
    QCOMPARE(findSetting(QStringLiteral("15File"))->textField, &Settings::File15);
    QCOMPARE(findSetting(QStringLiteral("30File"))->textField, &Settings::File30);
    QCOMPARE(findSetting(QStringLiteral("1hFile"))->textField, &Settings::File1h);
    QCOMPARE(findSetting(QStringLiteral("clocktop")), findSetting(QStringLiteral("ClockTop")));
    QVERIFY(!findSetting(QStringLiteral("File15")));
    QCOMPARE(QLatin1String(defs.front().name), QLatin1String("Sound"));
    QCOMPARE(QLatin1String(defs.back().name), QLatin1String("SMTPAuth"));
}

void TestSettingsStore::groups()
{
    auto list = [](std::span<const char* const> group) {
        QStringList out;
        for (const char* name : group) {
            out << QLatin1String(name);
            if (!findSetting(QLatin1String(name))) qWarning("unknown name %s", name);
        }
        return out;
    };
    const QStringList params = list(parametersGroup());
    QCOMPARE(params.size(), 33);
    QCOMPARE(params.mid(13, 4), (QStringList{"Sound1h", "DeleteEvents", "User", "Pas"}));
    QCOMPARE(params.mid(27), (QStringList{"ShowSticker", "ShowMissed", "DesktopNotify", "MailSecurity",
                                          "SMTPSecurity", "SMTPAuth"}));
    QCOMPARE(list(windowGroup()),
             (QStringList{"ClockLeft", "ClockTop", "ClockVisible", "ClockOnTop", "ClockColor", "ClockFSize",
                          "ClockFName", "ClockFColor", "ClockFB", "ClockFI", "ClockFU", "ClockFS",
                          "SecVisible", "Disable", "CalVis", "CalWL", "CalWT"}));
    QCOMPARE(list(stickerGroup()), (QStringList{"StickerLeft", "StickerTop", "StickerColor", "ShowSticker",
                                                "StickerFName", "StickerFColor", "StickerFSize", "StickerFB",
                                                "StickerFI", "StickerFU", "StickerFS"}));
    QCOMPARE(list(calendarGroup()), (QStringList{"CalWL", "CalWT"}));
    // Every value belongs to some group, so that everything read is also written somewhere.
    QSet<QString> all;
    for (const auto& g : {params, list(windowGroup()), list(stickerGroup())})
        for (const QString& n : g)
            all.insert(n);
    QCOMPARE(all.size(), 60);
}

void TestSettingsStore::firstStartWritesAllDefaults()
{
    const Settings s = load();
    QCOMPARE(m_errors, 0);
    QCOMPARE(differences(s, Settings{}), QStringList{});
    QVERIFY(QFileInfo(m_path).isFile());

    const QByteArray data = readAll(m_path);
    QVERIFY(
        data.startsWith("REGEDIT4\n\n[" + kKey + "]\n\"Sound\"=dword:00000001\n\"Show\"=dword:00000001\n"));
    QVERIFY(data.contains("\n\"Pas\"=\"\"\n"));
    QVERIFY(data.contains("\n\"Port\"=dword:0000006e\n"));
    QVERIFY(data.contains("\n\"ClockColor\"=dword:0000ff00\n"));
    QVERIFY(data.contains("\n\"ClockFName\"=\"Arial\"\n"));
    QVERIFY(data.contains("\n\"15File\"=\"\"\n"));
    QVERIFY(data.endsWith(
        "\"CalWT\"=dword:00000000\n\"ShowMissed\"=dword:00000001\n\"DesktopNotify\"=dword:00000001\n"
        "\"MailSecurity\"=dword:00000000\n\"SMTPSecurity\"=dword:00000000\n\"SMTPAuth\"=dword:00000000\n"));

    // All 60, in the reading order, each with its default.
    const RegFile file = RegFile::parse(data, kKey);
    qsizetype lastPos = -1;
    for (const SettingDef& def : settingDefs()) {
        const auto v = file.value(def.name);
        QVERIFY2(v, def.name);
        const qsizetype pos = data.indexOf("\n\"" + QByteArray(def.name) + "\"=");
        QVERIFY2(pos > lastPos, def.name);
        lastPos = pos;
        QCOMPARE(file.toBytes().count("\n\"" + QByteArray(def.name) + "\"="), 1);
        QCOMPARE(lineFor(def, Settings{}), data.mid(pos + 1, data.indexOf('\n', pos + 1) - pos - 1));
    }
    QCOMPARE(data.count('\n'), 3 + 60);

    QCOMPARE(mode(m_path), 0600);
    QCOMPARE(mode(QFileInfo(m_path).absolutePath()), 0700);

    // The next start reads what the first one wrote, and writes nothing.
    QCOMPARE(differences(load(), Settings{}), QStringList{});
    QCOMPARE(readAll(m_path), data);
    QCOMPARE(m_errors, 0);
}

void TestSettingsStore::readsEveryValue()
{
    const QByteArray data = fullFile(stored());
    writeAll(m_path, data);
    QCOMPARE(differences(load(), stored()), QStringList{});
    QCOMPARE(m_errors, 0);
    QCOMPARE(readAll(m_path), data); // loading never writes
}

void TestSettingsStore::damagedValues_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("replacement"); // "<deleted>" removes the line
    QTest::addColumn<QString>("firstDefault");   // this and every later value keep their defaults
    QTest::addColumn<QStringList>("emptyTexts");

    const QByteArray del = "<deleted>";
    QTest::newRow("ClockTop missing") << "ClockTop" << del << "ClockTop" << QStringList{};
    QTest::newRow("Sound missing") << "Sound" << del << "Sound" << QStringList{};
    QTest::newRow("EvNum missing") << "EvNum" << del << "EvNum" << QStringList{};
    QTest::newRow("DeleteEvents missing") << "DeleteEvents" << del << "DeleteEvents" << QStringList{};
    QTest::newRow("CalWT missing") << "CalWT" << del << "CalWT" << QStringList{};
    QTest::newRow("ClockFName missing") << "ClockFName" << del << "" << QStringList{"ClockFName"};
    QTest::newRow("SoundFile missing") << "SoundFile" << del << "" << QStringList{"SoundFile"};
    QTest::newRow("User missing") << "User" << del << "" << QStringList{"User"};
    QTest::newRow("Pas missing") << "Pas" << del << "" << QStringList{"Pas"};
    QTest::newRow("StickerText missing") << "StickerText" << del << "" << QStringList{"StickerText"};
    QTest::newRow("Port as string") << "Port" << QByteArray(R"("Port"="110")") << "Port" << QStringList{};
    QTest::newRow("Port as hex(1)") << "Port" << QByteArray(R"("Port"=hex(1):31,31,30)") << "Port"
                                    << QStringList{};
    QTest::newRow("Port as binary") << "Port" << QByteArray(R"("Port"=hex:6e,00,00,00)") << "Port"
                                    << QStringList{};
    QTest::newRow("Port not hex") << "Port" << QByteArray(R"("Port"=dword:0000006x)") << "Port"
                                  << QStringList{};
    QTest::newRow("Port too long") << "Port" << QByteArray(R"("Port"=dword:0000000006e)") << "Port"
                                   << QStringList{};
    QTest::newRow("Port empty") << "Port" << QByteArray(R"("Port"=)") << "Port" << QStringList{};
    QTest::newRow("Port deletion mark") << "Port" << QByteArray(R"("Port"=-)") << "Port" << QStringList{};
    QTest::newRow("Sound as string") << "Sound" << QByteArray(R"("Sound"="1")") << "Sound" << QStringList{};
    QTest::newRow("ShowSticker as string")
        << "ShowSticker" << QByteArray(R"("ShowSticker"="")") << "ShowSticker" << QStringList{};
    QTest::newRow("ClockFName as dword")
        << "ClockFName" << QByteArray(R"("ClockFName"=dword:00000000)") << "ClockFName" << QStringList{};
    QTest::newRow("Pas as dword") << "Pas" << QByteArray(R"("Pas"=dword:00000000)") << "Pas" << QStringList{};
    QTest::newRow("StickerText as binary")
        << "StickerText" << QByteArray(R"("StickerText"=hex:41)") << "StickerText" << QStringList{};
    QTest::newRow("SoundFile unterminated")
        << "SoundFile" << QByteArray(R"("SoundFile"="C:\a.wav)") << "SoundFile" << QStringList{};
    QTest::newRow("Port in another key")
        << "Port" << QByteArray("[HKEY_CURRENT_USER\\X]\n$0\n[" + kKey + "]") << "Port" << QStringList{};
    QTest::newRow("Port name not quoted")
        << "Port" << QByteArray("Port=dword:0000006e") << "Port" << QStringList{};
    QTest::newRow("garbage around ClockTop")
        << "ClockTop"
        << QByteArray("garbage\n; comment\n]\n\x01\x02\xff\n\n   \n@=\"x\"\n$0\n\"Unknown\"=hex:00") << ""
        << QStringList{};
    // As for regedit, a line starting with '[' opens another key, even a broken one.
    QTest::newRow("stray [ before ClockTop")
        << "ClockTop" << QByteArray("[ oops\n$0") << "ClockTop" << QStringList{};
    QTest::newRow("lower-case name") << "Port" << QByteArray("$lower") << "" << QStringList{};
    QTest::newRow("Port twice, last a string")
        << "Port" << QByteArray("$0\n\"Port\"=\"110\"") << "Port" << QStringList{};
    QTest::newRow("Port twice, last a number")
        << "Port" << QByteArray("\"Port\"=\"110\"\n$0") << "" << QStringList{};
}

void TestSettingsStore::damagedValues()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, replacement);
    QFETCH(QString, firstDefault);
    QFETCH(QStringList, emptyTexts);

    const QByteArray data = withLine(fullFile(stored()), name, replacement);
    QVERIFY(data != fullFile(stored()));
    writeAll(m_path, data);

    Settings expected = stored();
    bool defaults = false;
    for (const SettingDef& def : settingDefs()) {
        defaults = defaults || firstDefault == QLatin1String(def.name);
        if (defaults) copyValue(expected, Settings{}, def);
        if (emptyTexts.contains(QLatin1String(def.name))) (expected.*def.textField).clear();
    }
    QCOMPARE(differences(load(), expected), QStringList{});
    QCOMPARE(m_errors, 0);
    QCOMPARE(readAll(m_path), data);
}

void TestSettingsStore::damagedFiles_data()
{
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<bool>("allRead"); // else everything keeps its default

    const QByteArray full = fullFile(stored());
    QByteArray crlf = full;
    crlf.replace("\n", "\r\n");
    QTest::newRow("crlf") << crlf << true;
    QTest::newRow("no final newline") << full.chopped(1) << true;
    QTest::newRow("bom") << QByteArray("\xEF\xBB\xBF" + full) << true;
    QByteArray loose = full;
    loose.replace("\n\"", "\n  \t\"").replace("\"=", "\" = ").replace("\n", " \n\n");
    QTest::newRow("blanks everywhere") << loose << true;
    QTest::newRow("no REGEDIT4 line") << full.mid(full.indexOf('[')) << true;
    QTest::newRow("key in lower case") << QByteArray(full).replace(kKey, kKey.toLower()) << true;
    QTest::newRow("junk before and after") << QByteArray("\x01\xff junk\n[HKEY_X]\n\"Sound\"=\"x\"\n" + full +
                                                         "\n[HKEY_Y]\n\"Sound\"=\"y\"\n\0\0\0")
                                           << true;
    QTest::newRow("empty") << QByteArray() << false;
    QTest::newRow("blank lines") << QByteArray("\n\r\n  \n") << false;
    QTest::newRow("binary junk") << QByteArray("\0\1\2\3\xff\xfe\xfd\n\0\"Sound\"=dword:0", 20) << false;
    QTest::newRow("values without key") << full.mid(full.indexOf(']') + 2) << false;
    QTest::newRow("values under another key") << QByteArray(full).replace("Pelmark", "Other") << false;
}

void TestSettingsStore::damagedFiles()
{
    QFETCH(QByteArray, data);
    QFETCH(bool, allRead);
    writeAll(m_path, data);
    QCOMPARE(differences(load(), allRead ? stored() : Settings{}), QStringList{});
    QCOMPARE(m_errors, 0);
    QCOMPARE(readAll(m_path), data);
}

void TestSettingsStore::anyNonZeroNumberIsTrue()
{
    QByteArray data = fullFile(Settings{});
    data.replace("\"Sound\"=dword:00000001", "\"Sound\"=dword:ffffffff");
    data.replace("\"Ding15\"=dword:00000000", "\"Ding15\"=dword:00000002");
    data.replace("\"SecVisible\"=dword:00000001", "\"SecVisible\"=dword:00000000");
    writeAll(m_path, data);
    Settings expected;
    expected.Ding15 = true;
    expected.SecVisible = false;
    QCOMPARE(differences(load(), expected), QStringList{});
}

void TestSettingsStore::textIsCutAtZero()
{
    QByteArray data = fullFile(Settings{});
    data.replace("\"SoundFile\"=\"\"", "\"SoundFile\"=hex(1):61,62,00,63");
    data.replace("\"User\"=\"\"", QByteArray("\"User\"=\"us\0er\"", 14));
    writeAll(m_path, data);
    Settings expected;
    expected.SoundFile = QStringLiteral("ab");
    expected.User = QStringLiteral("us");
    QCOMPARE(differences(load(), expected), QStringList{});
}

// A stored text longer than its editor holds is cut as it is read, counted in characters (a
// character outside the BMP is one); the file keeps it whole until its group is saved.
void TestSettingsStore::oversizedTextsAreCut()
{
    const QString emoji = QStringLiteral("\U0001F600");
    Settings s;
    s.StickerText = QString(10'000'000, QLatin1Char('n'));
    s.User = emoji.repeated(40000);
    s.Pas = QString(32767, QLatin1Char('p')); // the longest a line holds: whole
    s.SoundFile = QStringLiteral("\u00e9").repeated(32767);
    const QByteArray data = fullFile(s);
    writeAll(m_path, data);

    Settings expected = s;
    expected.StickerText.truncate(65535);
    expected.User = emoji.repeated(32767);
    QCOMPARE(differences(load(), expected), QStringList{});
    QCOMPARE(readAll(m_path), data);

    s.Pas += QLatin1Char('q');
    writeAll(m_path, fullFile(s));
    QCOMPARE(load().Pas, QString(32767, QLatin1Char('p')));
}

void TestSettingsStore::roundTrip_data()
{
    QTest::addColumn<QString>("password");
    QTest::addColumn<QString>("text");

    QString latin1;
    for (int c = 0; c < 256; ++c)
        latin1 += QChar(c);
    QString zeroScrambled;
    for (int i = 0; zeroScrambled.isEmpty(); ++i) {
        const QString candidate = QStringLiteral("pw%1").arg(i);
        if (Encrypt(candidate.toUtf8(), PasswordKey).contains('\0')) zeroScrambled = candidate;
    }

    QTest::newRow("empty") << QString() << QString();
    QTest::newRow("ascii") << QStringLiteral("secret") << QStringLiteral("Buy milk");
    QTest::newRow("all of latin-1, 0 included") << latin1 << latin1;
    QTest::newRow("scrambled form holds 0") << zeroScrambled << QStringLiteral("x");
    QTest::newRow("non-ascii") << QStringLiteral("Pässwörd€😀日本") << QStringLiteral("Zürich\r\n€ 😀\t日本");
    QTest::newRow("quotes and backslashes")
        << QStringLiteral(R"(a"b\c\\"")") << QStringLiteral(R"(C:\Program Files\"x"\)");
    QTest::newRow("line breaks") << QStringLiteral("a\r\nb\nc") << QStringLiteral("line 1\nline 2\n");
    QTest::newRow("long") << QString(10000, QLatin1Char('p')) << QString(100000, QChar(0x20AC));
}

void TestSettingsStore::roundTrip()
{
    QFETCH(QString, password);
    QFETCH(QString, text);

    Settings s = stored();
    s.Pas = password;
    s.StickerText = text;
    s.File15 = text;
    s.ClockFName = text;
    // A text is read up to its first 0 character; the password whole. Each is cut to what its
    // editor holds: 65535 characters of the sticker's note, 32767 of a line.
    Settings expected = s;
    for (QString* t : {&expected.StickerText, &expected.File15, &expected.ClockFName}) {
        const qsizetype nul = t->indexOf(QChar(0));
        if (nul >= 0) t->truncate(nul);
    }
    expected.StickerText.truncate(65535);
    expected.File15.truncate(32767);
    expected.ClockFName.truncate(32767);

    Settings defaults;
    store().LoadSettings(defaults); // first start
    store().SaveParameters(s);
    store().SaveWindowSettings(s);
    store().SaveStickerSettings(s);
    store().SaveCalendarPosition(s);
    QCOMPARE(m_errors, 0);
    const Settings loaded = load();
    QCOMPARE(differences(loaded, expected), QStringList{});
    QCOMPARE(loaded.Pas, password);

    // The password is stored scrambled, as the bytes Encrypt gives.
    const RegFile file = RegFile::parse(readAll(m_path), kKey);
    QCOMPARE(file.value("Pas")->string.toHex(), Encrypt(password.toUtf8(), PasswordKey).toHex());
    if (!password.isEmpty()) QVERIFY(!readAll(m_path).contains(password.toUtf8()));
}

// A password whose scrambled form a quoted string can carry is stored as that string itself.
void TestSettingsStore::passwordWhoseScrambledFormIsText()
{
    // An ASCII first byte always scrambles to a byte above 0x7f; a search over Latin-1 texts
    // finds one whose scrambled form is plain printable ASCII.
    QString password;
    QByteArray scrambled;
    QRandomGenerator rng(7);
    for (int tries = 0; tries < 1000000 && password.isEmpty(); ++tries) {
        QString candidate;
        for (int n = rng.bounded(1, 4); n > 0; --n)
            candidate += QChar(rng.bounded(0x20, 0x100));
        const QByteArray e = Encrypt(candidate.toUtf8(), PasswordKey);
        if (std::all_of(e.begin(), e.end(),
                        [](char c) { return c > 0x20 && c < 0x7f && c != '"' && c != '\\'; })) {
            password = candidate;
            scrambled = e;
        }
    }
    QVERIFY(!password.isEmpty());
    Settings s;
    s.Pas = password;
    store().SaveParameters(s);
    QVERIFY(readAll(m_path).contains("\n\"Pas\"=\"" + scrambled + "\"\n"));
    QCOMPARE(load().Pas, password);
}

void TestSettingsStore::saveOfOneGroupKeepsTheRest_data()
{
    QTest::addColumn<int>("group");
    QTest::newRow("parameters") << 0;
    QTest::newRow("window") << 1;
    QTest::newRow("sticker") << 2;
    QTest::newRow("calendar") << 3;
}

void TestSettingsStore::saveOfOneGroupKeepsTheRest()
{
    QFETCH(int, group);
    writeAll(m_path, fullFile(stored(0)));
    const Settings inMemory = stored(1);
    QCOMPARE(differences(inMemory, stored(0)).size(), 60);

    SettingsStore st = store();
    std::span<const char* const> names;
    switch (group) {
    case 0:
        st.SaveParameters(inMemory);
        names = parametersGroup();
        break;
    case 1:
        st.SaveWindowSettings(inMemory);
        names = windowGroup();
        break;
    case 2:
        st.SaveStickerSettings(inMemory);
        names = stickerGroup();
        break;
    default:
        st.SaveCalendarPosition(inMemory);
        names = calendarGroup();
    }
    QCOMPARE(m_errors, 0);
    QStringList expected;
    for (const SettingDef& def : settingDefs()) {
        for (const char* n : names) {
            if (QLatin1String(n) == QLatin1String(def.name)) expected << QLatin1String(def.name);
        }
    }
    QCOMPARE(differences(load(), stored(0)), expected);

    // The file differs only in the lines of the group.
    const QList<QByteArray> before = fullFile(stored(0)).split('\n');
    const QList<QByteArray> after = readAll(m_path).split('\n');
    QCOMPARE(after.size(), before.size());
    for (qsizetype i = 0; i < before.size(); ++i) {
        const QByteArray name =
            before[i].startsWith('"') ? before[i].mid(1, before[i].indexOf("\"=") - 1) : "";
        if (expected.contains(QString::fromLatin1(name)))
            QCOMPARE(after[i], lineFor(*findSetting(QString::fromLatin1(name)), inMemory));
        else
            QCOMPARE(after[i], before[i]);
    }
}

void TestSettingsStore::unknownLinesAreKept()
{
    QByteArray data = "REGEDIT4\n; my notes\n\n[HKEY_CURRENT_USER\\Other]\n\"Port\"=dword:00000001\n\n" +
                      fullFile(stored()).mid(10) + "\"Extra\"=\"keep\"\n\x01\xff garbage\n";
    data = withLine(data, "Port", "; before Port\n$0\n@=\"default\"\n\"Unknown\"=hex(2):41,00");
    writeAll(m_path, data);

    Settings s = stored();
    s.Port = 995;
    s.CalWL = 7;
    store().SaveParameters(s);
    store().SaveWindowSettings(s);
    store().SaveStickerSettings(s);
    store().SaveCalendarPosition(s);
    QCOMPARE(m_errors, 0);

    QByteArray expected = data;
    expected.replace("\n\"Port\"=dword:" + QByteArray::number(stored().Port, 16).rightJustified(8, '0'),
                     "\n\"Port\"=dword:000003e3");
    expected.replace("\n\"CalWL\"=dword:" + QByteArray::number(stored().CalWL, 16).rightJustified(8, '0'),
                     "\n\"CalWL\"=dword:00000007");
    QCOMPARE(readAll(m_path), expected);
}

void TestSettingsStore::fileIsReadAgainBeforeEachSave()
{
    Settings s = load();
    QByteArray data = readAll(m_path);
    data.replace("\"Port\"=dword:0000006e", "\"Port\"=dword:00000019");
    data += "; added by hand while the program ran\n";
    writeAll(m_path, data);

    s.ClockLeft = 42;
    store().SaveWindowSettings(s);
    const QByteArray after = readAll(m_path);
    QVERIFY(after.contains("\"Port\"=dword:00000019"));
    QVERIFY(after.endsWith("; added by hand while the program ran\n"));
    QVERIFY(after.contains("\"ClockLeft\"=dword:0000002a"));
}

void TestSettingsStore::everyWriteLeavesMode0600()
{
    const auto wide = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::WriteGroup |
                      QFile::ReadOther | QFile::WriteOther;
    using Save = void (SettingsStore::*)(const Settings&);
    for (Save save : {&SettingsStore::SaveParameters, &SettingsStore::SaveWindowSettings,
                      &SettingsStore::SaveStickerSettings, &SettingsStore::SaveCalendarPosition}) {
        writeAll(m_path, fullFile(stored()));
        QVERIFY(QFile::setPermissions(m_path, wide));
        QCOMPARE(mode(m_path), 0666);
        SettingsStore st = store();
        (st.*save)(stored(1));
        QCOMPARE(mode(m_path), 0600);
        QVERIFY(readAll(m_path) != fullFile(stored()));
    }
    // Nothing but the file is left in the folder: the replace went through a temporary file.
    QCOMPARE(QDir(QFileInfo(m_path).absolutePath())
                 .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             QStringList{QStringLiteral("settings.reg")});
}

void TestSettingsStore::saveParametersCreatesMissingFile()
{
    Settings s = stored();
    store().SaveParameters(s);
    QCOMPARE(m_errors, 0);
    QCOMPARE(mode(m_path), 0600);

    const QByteArray data = readAll(m_path);
    QByteArray expected = "REGEDIT4\n\n[" + kKey + "]\n";
    for (const SettingDef& def : settingDefs()) {
        for (const char* n : parametersGroup()) {
            if (QLatin1String(n) == QLatin1String(def.name)) expected += lineFor(def, s) + '\n';
        }
    }
    QCOMPARE(data, expected);
    // Read back: the parameters come first in the reading order, up to the window's first value.
    Settings loaded = load();
    QCOMPARE(loaded.Port, s.Port);
    QCOMPARE(loaded.Pas, s.Pas);
    QCOMPARE(loaded.ClockLeft, Settings{}.ClockLeft);
}

void TestSettingsStore::otherSavesDoNotCreateFile()
{
    SettingsStore st = store();
    st.SaveWindowSettings(stored());
    st.SaveStickerSettings(stored());
    st.SaveCalendarPosition(stored());
    QCOMPARE(m_errors, 0);
    QVERIFY(!QFileInfo::exists(m_path));
}

void TestSettingsStore::directoryInPlaceOfFile()
{
    QVERIFY(QDir().mkpath(m_path));
    writeAll(m_path + QStringLiteral("/inside"), "x");

    const Settings s = load();
    QCOMPARE(m_errors, 1);
    QCOMPARE(differences(s, Settings{}), QStringList{});

    SettingsStore st = store();
    st.SaveWindowSettings(stored());
    st.SaveStickerSettings(stored());
    st.SaveCalendarPosition(stored());
    QCOMPARE(m_errors, 1);
    st.SaveParameters(stored());
    QCOMPARE(m_errors, 2);
    QVERIFY(QFileInfo(m_path).isDir());
    QCOMPARE(readAll(m_path + QStringLiteral("/inside")), QByteArray("x"));
}

void TestSettingsStore::folderCannotBeMade()
{
    const QString folder = QFileInfo(m_path).absolutePath();
    writeAll(folder, "not a folder");

    QCOMPARE(differences(load(), Settings{}), QStringList{});
    QCOMPARE(m_errors, 1);
    store().SaveParameters(stored());
    QCOMPARE(m_errors, 2);
    store().SaveCalendarPosition(stored());
    QCOMPARE(m_errors, 2);
    QCOMPARE(readAll(folder), QByteArray("not a folder"));
}

void TestSettingsStore::unreadableFile()
{
    if (runningAsRoot())
        QSKIP("root reads a file of mode 000 anyway; directoryInPlaceOfFile and oversizedFile cover "
              "a file that cannot be read");
    const QByteArray data = fullFile(stored());
    writeAll(m_path, data);
    QVERIFY(QFile::setPermissions(m_path, {}));
    QCOMPARE(differences(load(), Settings{}), QStringList{});
    QCOMPARE(m_errors, 1);
    store().SaveWindowSettings(stored(1));
    QCOMPARE(m_errors, 1);
    store().SaveParameters(stored(1));
    QCOMPARE(m_errors, 2);
    QCOMPARE(mode(m_path), 0);
    QVERIFY(QFile::setPermissions(m_path, QFile::ReadOwner));
    QCOMPARE(readAll(m_path), data);
}

// Opening the key asks for reading and writing: a file we may not replace is not opened.
void TestSettingsStore::readOnlyFile()
{
    if (runningAsRoot()) QSKIP("root may write a read-only file");
    const QByteArray data = fullFile(stored());
    writeAll(m_path, data);
    QVERIFY(QFile::setPermissions(m_path, QFile::ReadOwner));
    QCOMPARE(differences(load(), Settings{}), QStringList{});
    QCOMPARE(m_errors, 1);
    store().SaveStickerSettings(stored(1));
    store().SaveParameters(stored(1));
    QCOMPARE(m_errors, 2);
    QCOMPARE(readAll(m_path), data);
}

void TestSettingsStore::oversizedFile()
{
    const QByteArray data = fullFile(stored());
    writeAll(m_path, data);
    const qint64 size = qint64{65} << 20;
    QVERIFY(QFile::resize(m_path, size)); // sparse: costs no disk space
    QCOMPARE(differences(load(), Settings{}), QStringList{});
    QCOMPARE(m_errors, 1);
    store().SaveParameters(stored(1));
    store().SaveWindowSettings(stored(1));
    QCOMPARE(m_errors, 2);
    QCOMPARE(QFileInfo(m_path).size(), size);
    QFile f(m_path);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.read(data.size()), data);
}

void TestSettingsStore::danglingSymlink()
{
    QDir().mkpath(QFileInfo(m_path).absolutePath());
    const QString target = m_dirs->root() + QStringLiteral("/nowhere/settings.reg");
    QVERIFY(QFile::link(target, m_path));
    QCOMPARE(differences(load(), Settings{}), QStringList{});
    QCOMPARE(m_errors, 1);
    store().SaveParameters(stored());
    QCOMPARE(m_errors, 2);
    QVERIFY(QFileInfo(m_path).isSymLink());
    QVERIFY(!QFileInfo::exists(target));
}

void TestSettingsStore::fifoInPlaceOfFile()
{
    QDir().mkpath(QFileInfo(m_path).absolutePath());
    QCOMPARE(mkfifo(QFile::encodeName(m_path).constData(), 0600), 0);
    // Must neither block on the pipe nor replace it.
    QCOMPARE(differences(load(), Settings{}), QStringList{});
    QCOMPARE(m_errors, 1);
    store().SaveParameters(stored());
    QCOMPARE(m_errors, 2);
    struct stat st
    {
    };
    QCOMPARE(lstat(QFile::encodeName(m_path).constData(), &st), 0);
    QVERIFY(S_ISFIFO(st.st_mode));
}

void TestSettingsStore::symlinkedFileStaysLink()
{
    const QString real = m_dirs->root() + QStringLiteral("/dotfiles/settings.reg");
    writeAll(real, fullFile(stored()));
    QDir().mkpath(QFileInfo(m_path).absolutePath());
    QVERIFY(QFile::link(real, m_path));
    QCOMPARE(differences(load(), stored()), QStringList{});
    store().SaveCalendarPosition(stored(1));
    QCOMPARE(m_errors, 0);
    QVERIFY(QFileInfo(m_path).isSymLink());
    QCOMPARE(load().CalWL, stored(1).CalWL);
    QCOMPARE(mode(real), 0600);
}

void TestSettingsStore::noCallbackNoCrash()
{
    QVERIFY(QDir().mkpath(m_path));
    SettingsStore st(m_path, {});
    Settings s;
    st.LoadSettings(s);
    st.SaveParameters(s);
    QCOMPARE(differences(s, Settings{}), QStringList{});
}

QTEST_GUILESS_MAIN(TestSettingsStore)
#include "tst_settingsstore.moc"
