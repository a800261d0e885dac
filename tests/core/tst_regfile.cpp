#include "core/RegFile.h"

#include <QRandomGenerator>
#include <QTest>

using namespace zarvo;

namespace {

const QByteArray kKey = QByteArrayLiteral("HKEY_LOCAL_MACHINE\\Software\\Pelmark\\Zarvo!");
const QByteArray kHeader = "REGEDIT4\n\n[" + kKey + "]\n";

RegFile parse(const QByteArray& data)
{
    return RegFile::parse(data, kKey);
}

RegValue other()
{
    return {};
}

} // namespace

Q_DECLARE_METATYPE(RegValue)

class TestRegFile : public QObject
{
    Q_OBJECT

private slots:
    void designExample();
    void valueForms_data();
    void valueForms();
    void hexContinuationLines();
    void continuationCutOffByEndOfFile();
    void onlyOurKeyCounts();
    void namesIgnoreCase();
    void lastDuplicateWins();
    void setValueReplacesAndDropsEarlierDuplicates();
    void unchangedFileComesBackByteForByte_data();
    void unchangedFileComesBackByteForByte();
    void setValueKeepsEveryOtherLine();
    void crlfFileGetsCrlfLines();
    void newValuesGoInReadingOrder();
    void emptyFileGetsHeaderAndKey();
    void fileWithoutKeyGetsKeyAppended();
    void stringForm_data();
    void stringForm();
    void veryLongLines();
    void randomJunkRoundTrip();
};

void TestRegFile::designExample()
{
    const RegFile file = parse(kHeader + "\"Sound\"=dword:00000001\n"
                                         "\"SoundFile\"=\"\"\n"
                                         "\"Port\"=dword:0000006e\n"
                                         "\"Pas\"=hex(1):8f,3a,c1\n");
    QCOMPARE(file.value("Sound"), RegValue::fromDword(1));
    QCOMPARE(file.value("SoundFile"), RegValue::fromString(""));
    QCOMPARE(file.value("Port"), RegValue::fromDword(110));
    QCOMPARE(file.value("Pas"), RegValue::fromString(QByteArray::fromHex("8f3ac1")));
    QVERIFY(!file.value("Show"));
}

void TestRegFile::valueForms_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<RegValue>("expected");

    QTest::newRow("dword") << QByteArray("dword:0000006e") << RegValue::fromDword(110);
    QTest::newRow("dword upper") << QByteArray("DWORD:0000006E") << RegValue::fromDword(110);
    QTest::newRow("dword short") << QByteArray("dword:6e") << RegValue::fromDword(110);
    QTest::newRow("dword max") << QByteArray("dword:ffffffff") << RegValue::fromDword(0xffffffffu);
    QTest::newRow("dword empty") << QByteArray("dword:") << other();
    QTest::newRow("dword 9 digits") << QByteArray("dword:000000001") << other();
    QTest::newRow("dword not hex") << QByteArray("dword:0000006g") << other();
    QTest::newRow("dword trailing junk") << QByteArray("dword:6e junk") << other();
    QTest::newRow("dword negative") << QByteArray("dword:-1") << other();
    QTest::newRow("string") << QByteArray("\"110\"") << RegValue::fromString("110");
    QTest::newRow("string empty") << QByteArray("\"\"") << RegValue::fromString("");
    QTest::newRow("string escapes") << QByteArray(R"("a\\b\"c")") << RegValue::fromString(R"(a\b"c)");
    QTest::newRow("string other backslash")
        << QByteArray(R"("C:\sounds\a.wav")") << RegValue::fromString(R"(C:\sounds\a.wav)");
    QTest::newRow("string utf8") << QByteArray("\"Zürich €\"") << RegValue::fromString("Zürich €");
    QTest::newRow("string unterminated") << QByteArray("\"abc") << other();
    QTest::newRow("string escaped end") << QByteArray(R"("abc\")") << other();
    QTest::newRow("string trailing junk") << QByteArray("\"a\"b\"") << other();
    QTest::newRow("hex(1)") << QByteArray("hex(1):8f,3a,c1")
                            << RegValue::fromString(QByteArray::fromHex("8f3ac1"));
    QTest::newRow("hex(1) empty") << QByteArray("hex(1):") << RegValue::fromString("");
    QTest::newRow("hex(1) with 0") << QByteArray("hex(1):41,00,42")
                                   << RegValue::fromString(QByteArray("A\0B", 3));
    QTest::newRow("hex(1) blanks, upper")
        << QByteArray("HEX(1): 8F , 3a") << RegValue::fromString(QByteArray::fromHex("8f3a"));
    QTest::newRow("hex(1) trailing comma")
        << QByteArray("hex(1):8f,3a,") << RegValue::fromString(QByteArray::fromHex("8f3a"));
    QTest::newRow("hex(1) double comma") << QByteArray("hex(1):8f,,3a") << other();
    QTest::newRow("hex(1) 3 digits") << QByteArray("hex(1):8fa") << other();
    QTest::newRow("hex(1) not hex") << QByteArray("hex(1):zz") << other();
    QTest::newRow("hex(1) no colon") << QByteArray("hex(1)8f") << other();
    QTest::newRow("binary") << QByteArray("hex:01,02") << other();
    QTest::newRow("expand string") << QByteArray("hex(2):41,00") << other();
    QTest::newRow("hex(4) dword") << QByteArray("hex(4):6e,00,00,00") << RegValue::fromDword(110);
    QTest::newRow("hex(4) short") << QByteArray("hex(4):6e,00") << other();
    QTest::newRow("qword") << QByteArray("hex(b):6e,00,00,00,00,00,00,00") << other();
    QTest::newRow("delete mark") << QByteArray("-") << other();
    QTest::newRow("bare number") << QByteArray("110") << other();
    QTest::newRow("nothing") << QByteArray("") << other();
}

void TestRegFile::valueForms()
{
    QFETCH(QByteArray, text);
    QFETCH(RegValue, expected);
    const RegFile file = parse(kHeader + "\"V\"=" + text + "\n");
    const auto value = file.value("V");
    QVERIFY(value);
    QCOMPARE(value->type, expected.type);
    QCOMPARE(value->dword, expected.dword);
    QCOMPARE(value->string.toHex(), expected.string.toHex());
    // Blanks around '=' and at the ends of the line change nothing.
    const auto spaced = parse(kHeader + "  \"V\" =  " + text + " \t\r\n").value("V");
    QVERIFY(spaced);
    QCOMPARE(*spaced, *value);
}

void TestRegFile::hexContinuationLines()
{
    const RegFile file = parse(kHeader + "\"Pas\"=hex(1):8f,3a,\\\n"
                                         "  c1,00,\\\n"
                                         "  ff\n"
                                         "\"Port\"=dword:00000019\n");
    QCOMPARE(file.value("Pas"), RegValue::fromString(QByteArray::fromHex("8f3ac100ff")));
    QCOMPARE(file.value("Port"), RegValue::fromDword(25));
}

void TestRegFile::continuationCutOffByEndOfFile()
{
    const QByteArray data = kHeader + "\"Pas\"=hex(1):8f,\\";
    RegFile file = parse(data);
    QCOMPARE(file.value("Pas"), RegValue::fromString(QByteArray::fromHex("8f")));
    QCOMPARE(file.toBytes(), data);

    file.setValue("Port", RegValue::fromDword(25));
    const RegFile again = parse(file.toBytes());
    QCOMPARE(again.value("Pas"), RegValue::fromString(QByteArray::fromHex("8f")));
    QCOMPARE(again.value("Port"), RegValue::fromDword(25));

    // Found by the fuzzer: a line ending in two backslashes, cut off by the end of the file. Only
    // the last backslash continues the line; the blank line put after it must end the value.
    RegFile doubled = parse(kHeader + "\"X\"=hex(1):41,\\\\");
    doubled.setValue("Port", RegValue::fromDword(25));
    QCOMPARE(parse(doubled.toBytes()).value("Port"), RegValue::fromDword(25));
    QCOMPARE(parse(kHeader + "\"X\"=hex(1):41\\\n\n\"Port\"=dword:00000019\n").value("Port"),
             RegValue::fromDword(25));

    // The same in someone else's key, with ours appended after it.
    RegFile foreign = parse("REGEDIT4\n\n[HKEY_CURRENT_USER\\X]\n\"Y\"=hex:01,\\");
    foreign.setValue("Port", RegValue::fromDword(25));
    QCOMPARE(parse(foreign.toBytes()).value("Port"), RegValue::fromDword(25));
}

void TestRegFile::onlyOurKeyCounts()
{
    const RegFile file = parse("\"Before\"=dword:00000001\n"
                               "REGEDIT4\n"
                               "[HKEY_CURRENT_USER\\Software\\Pelmark\\Zarvo!]\n"
                               "\"Other\"=dword:00000001\n"
                               "[hkey_local_machine\\software\\pelmark\\zarvo!]\n"
                               "\"Mine\"=dword:00000002\n"
                               "[-HKEY_LOCAL_MACHINE\\Software\\Pelmark\\Zarvo!]\n"
                               "\"Deleted\"=dword:00000003\n"
                               "[ HKEY_LOCAL_MACHINE\\Software\\Pelmark\\Zarvo! ]\n"
                               "\"Again\"=dword:00000004\n"
                               "[HKEY_LOCAL_MACHINE\\Software\\Pelmark\\Zarvo!\\Sub]\n"
                               "\"Sub\"=dword:00000005\n");
    QVERIFY(!file.value("Before"));
    QVERIFY(!file.value("Other"));
    QCOMPARE(file.value("Mine"), RegValue::fromDword(2));
    QVERIFY(!file.value("Deleted"));
    QCOMPARE(file.value("Again"), RegValue::fromDword(4));
    QVERIFY(!file.value("Sub"));
}

void TestRegFile::namesIgnoreCase()
{
    RegFile file = parse(kHeader + "\"clocktop\"=dword:00000007\n");
    QCOMPARE(file.value("ClockTop"), RegValue::fromDword(7));
    file.setValue("ClockTop", RegValue::fromDword(8));
    QCOMPARE(file.toBytes(), kHeader + "\"ClockTop\"=dword:00000008\n");
}

void TestRegFile::lastDuplicateWins()
{
    const RegFile file = parse(kHeader + "\"Port\"=dword:00000001\n"
                                         "\"Port\"=\"2\"\n"
                                         "\"Port\"=dword:00000003\n"
                                         "\"Show\"=dword:00000001\n"
                                         "\"Show\"=\"x\"\n");
    QCOMPARE(file.value("Port"), RegValue::fromDword(3));
    QCOMPARE(file.value("Show")->type, RegValue::Type::String);
}

void TestRegFile::setValueReplacesAndDropsEarlierDuplicates()
{
    RegFile file = parse(kHeader + "\"Port\"=dword:00000001\n"
                                   "; keep me\n"
                                   "\"Port\"=dword:00000002\n"
                                   "\"Sound\"=dword:00000001\n");
    file.setValue("Port", RegValue::fromDword(25));
    QCOMPARE(file.toBytes(), kHeader + "; keep me\n"
                                       "\"Port\"=dword:00000019\n"
                                       "\"Sound\"=dword:00000001\n");
}

void TestRegFile::unchangedFileComesBackByteForByte_data()
{
    QTest::addColumn<QByteArray>("data");
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("one newline") << QByteArray("\n");
    QTest::newRow("no final newline") << QByteArray(kHeader + "\"Port\"=dword:00000019");
    QTest::newRow("crlf") << QByteArray("REGEDIT4\r\n\r\n[" + kKey + "]\r\n\"Port\"=dword:00000019\r\n");
    QTest::newRow("bom") << QByteArray("\xEF\xBB\xBF" + kHeader);
    QTest::newRow("bom only") << QByteArray("\xEF\xBB\xBF");
    QTest::newRow("binary") << QByteArray("\0\1\2\xff\xfe\r\r\n\n\0", 10);
    QTest::newRow("blanks and comments") << QByteArray(" \n\t\n; comment\n# other\n\n");
    QTest::newRow("continuation") << QByteArray(kHeader + "\"P\"=hex(1):41,\\\r\n  42\r\n");
}

void TestRegFile::unchangedFileComesBackByteForByte()
{
    QFETCH(QByteArray, data);
    QCOMPARE(parse(data).toBytes(), data);
}

void TestRegFile::setValueKeepsEveryOtherLine()
{
    const QByteArray before = "REGEDIT4\n"
                              "; written by hand\n"
                              "\n"
                              "[HKEY_CURRENT_USER\\Foo]\n"
                              "\"Port\"=dword:00000001\n"
                              "\n"
                              "[" +
                              kKey +
                              "]\n"
                              "\"Sound\"=dword:00000001\n"
                              "\"Unknown\"=hex:de,ad\n"
                              "garbage \xff\xfe line\n"
                              "@=\"default value\"\n"
                              "\"Port\"=dword:0000006e\n"
                              "\"Later\"=\"x\"\n";
    RegFile file = parse(before);
    file.setValue("Port", RegValue::fromDword(25));
    QByteArray expected = before;
    expected.replace("\"Port\"=dword:0000006e", "\"Port\"=dword:00000019");
    QCOMPARE(file.toBytes(), expected);
}

void TestRegFile::crlfFileGetsCrlfLines()
{
    RegFile file = parse("REGEDIT4\r\n\r\n[" + kKey + "]\r\n\"Sound\"=dword:00000001\r\n");
    file.setValue("Sound", RegValue::fromDword(0));
    file.setValue("Show", RegValue::fromDword(1));
    QCOMPARE(file.toBytes(), "REGEDIT4\r\n\r\n[" + kKey +
                                 "]\r\n\"Sound\"=dword:00000000\r\n"
                                 "\"Show\"=dword:00000001\r\n");
}

void TestRegFile::newValuesGoInReadingOrder()
{
    RegFile file = parse(kHeader + "\"B\"=dword:00000002\n"
                                   "\"D\"=dword:00000004\n"
                                   "; tail comment\n");
    file.setValueOrder({"A", "B", "C", "D", "E"});
    file.setValue("C", RegValue::fromDword(3));
    file.setValue("E", RegValue::fromDword(5));
    file.setValue("A", RegValue::fromDword(1));
    file.setValue("Z", RegValue::fromDword(26)); // not in the order: after the last value
    QCOMPARE(file.toBytes(), kHeader + "\"A\"=dword:00000001\n"
                                       "\"B\"=dword:00000002\n"
                                       "\"C\"=dword:00000003\n"
                                       "\"D\"=dword:00000004\n"
                                       "\"E\"=dword:00000005\n"
                                       "\"Z\"=dword:0000001a\n"
                                       "; tail comment\n");
}

void TestRegFile::emptyFileGetsHeaderAndKey()
{
    RegFile file = parse({});
    file.setValue("Sound", RegValue::fromDword(1));
    QCOMPARE(file.toBytes(), kHeader + "\"Sound\"=dword:00000001\n");

    RegFile fresh(kKey);
    fresh.setValue("Sound", RegValue::fromDword(1));
    QCOMPARE(fresh.toBytes(), kHeader + "\"Sound\"=dword:00000001\n");
}

void TestRegFile::fileWithoutKeyGetsKeyAppended()
{
    RegFile file = parse("REGEDIT4\n\n[HKEY_CURRENT_USER\\Foo]\n\"X\"=dword:00000001");
    file.setValue("Sound", RegValue::fromDword(1));
    QCOMPARE(file.toBytes(), "REGEDIT4\n\n[HKEY_CURRENT_USER\\Foo]\n\"X\"=dword:00000001\n\n[" + kKey +
                                 "]\n\"Sound\"=dword:00000001\n");
    // A key with its header only: the value goes right under the header.
    RegFile headerOnly = parse(kHeader + "\n[HKEY_CURRENT_USER\\Foo]\n");
    headerOnly.setValue("Sound", RegValue::fromDword(1));
    QCOMPARE(headerOnly.toBytes(), kHeader + "\"Sound\"=dword:00000001\n\n[HKEY_CURRENT_USER\\Foo]\n");
}

void TestRegFile::stringForm_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QByteArray>("line");
    QTest::newRow("plain") << QByteArray("abc") << QByteArray(R"("T"="abc")");
    QTest::newRow("empty") << QByteArray("") << QByteArray(R"("T"="")");
    QTest::newRow("escapes") << QByteArray(R"(C:\a "b")") << QByteArray(R"("T"="C:\\a \"b\"")");
    QTest::newRow("utf8") << QByteArray("Zürich € 😀") << QByteArray("\"T\"=\"Zürich € 😀\"");
    QTest::newRow("newline") << QByteArray("a\nb") << QByteArray("\"T\"=hex(1):61,0a,62");
    QTest::newRow("cr") << QByteArray("a\r") << QByteArray("\"T\"=hex(1):61,0d");
    QTest::newRow("tab") << QByteArray("\t") << QByteArray("\"T\"=hex(1):09");
    QTest::newRow("zero") << QByteArray("\0", 1) << QByteArray("\"T\"=hex(1):00");
    QTest::newRow("del") << QByteArray("\x7f") << QByteArray("\"T\"=hex(1):7f");
    QTest::newRow("invalid utf8") << QByteArray("\xff") << QByteArray("\"T\"=hex(1):ff");
    QTest::newRow("overlong") << QByteArray("\xC0\x80") << QByteArray("\"T\"=hex(1):c0,80");
    QTest::newRow("surrogate") << QByteArray("\xED\xA0\x80") << QByteArray("\"T\"=hex(1):ed,a0,80");
    QTest::newRow("cut utf8") << QByteArray("\xE2\x82") << QByteArray("\"T\"=hex(1):e2,82");
}

void TestRegFile::stringForm()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QByteArray, line);
    QCOMPARE(RegFile::formatValueLine("T", RegValue::fromString(bytes)), line);
    RegFile file(kKey);
    file.setValue("T", RegValue::fromString(bytes));
    QCOMPARE(parse(file.toBytes()).value("T"), RegValue::fromString(bytes));
}

void TestRegFile::veryLongLines()
{
    const QByteArray longText(1 << 20, 'x');
    const QByteArray junk(1 << 20, '\x01');
    RegFile file = parse(kHeader + junk + "\n\"T\"=\"" + longText + "\"\n");
    QCOMPARE(file.value("T"), RegValue::fromString(longText));
    QByteArray bytes(1 << 18, Qt::Uninitialized);
    for (int i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<char>(i);
    file.setValue("B", RegValue::fromString(bytes));
    const RegFile again = parse(file.toBytes());
    QCOMPARE(again.value("B"), RegValue::fromString(bytes));
    QCOMPARE(again.value("T"), RegValue::fromString(longText));
}

// Files cut together from the pieces that make parsing hard: whatever they hold, what we set
// reads back, the rest of the file stays, and the result is stable.
void TestRegFile::randomJunkRoundTrip()
{
    const QList<QByteArray> pieces = {
        "REGEDIT4",
        "[" + kKey + "]",
        "[HKEY_CURRENT_USER\\X]",
        "[",
        "]",
        "\"",
        "\"A\"=",
        "\"B\"=",
        "dword:",
        "0000006e",
        "hex(1):",
        "hex:",
        "41,",
        "\\",
        "\r",
        "\n",
        "\r\n",
        " ",
        "\t",
        "=",
        ";",
        QByteArray("\0", 1),
        "\xff",
        "\xEF\xBB\xBF",
        "\"A\"=hex(1):41,\\\n",
        "@=\"x\"",
        "-",
    };
    QRandomGenerator rng(20240601);
    for (int round = 0; round < 3000; ++round) {
        QByteArray data;
        const int n = rng.bounded(0, 40);
        for (int i = 0; i < n; ++i)
            data += pieces[rng.bounded(static_cast<int>(pieces.size()))];
        RegFile file = parse(data);
        QCOMPARE(file.toBytes(), data);
        file.setValueOrder({"A", "B", "C"});

        QMap<QByteArray, RegValue> set;
        for (const char* name : {"C", "A", "B"}) {
            if (rng.bounded(2) == 0) continue;
            QByteArray bytes(rng.bounded(0, 6), Qt::Uninitialized);
            for (char& c : bytes)
                c = static_cast<char>(rng.bounded(256));
            const RegValue v =
                rng.bounded(2) ? RegValue::fromDword(rng.generate()) : RegValue::fromString(bytes);
            file.setValue(name, v);
            set[name] = v;
        }
        const QByteArray out = file.toBytes();
        const RegFile again = parse(out);
        for (auto it = set.cbegin(); it != set.cend(); ++it) {
            const auto v = again.value(it.key());
            if (!v || *v != it.value())
                QFAIL(qPrintable("value " + it.key() + " lost in " + data.toHex() + " -> " + out.toHex()));
        }
        QCOMPARE(again.toBytes(), out);
        // Lines other than values come through in their order (a continuation line belongs to
        // its value and may go with it).
        if (data.contains('\\')) continue;
        qsizetype from = 0;
        for (const QByteArray& line : data.split('\n')) {
            if (line.trimmed().startsWith('"')) continue;
            const qsizetype at = out.indexOf(line, from);
            if (at < 0) QFAIL(qPrintable("line lost: " + line.toHex() + " in " + data.toHex()));
            from = at + line.size();
        }
    }
}

QTEST_GUILESS_MAIN(TestRegFile)
#include "tst_regfile.moc"
