#include "RecordingProgram.h"
#include "platform/ShellOpen.h"
#include "platform/ShellWords.h"
#include "platform/TerminationSignals.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

using zarvo::ShellOpen;

class TestShellOpen : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        // As in the program: its children must not inherit these blocked.
        zarvo::TerminationSignals::block();
    }

    void init()
    {
        m_dir.reset(new QTemporaryDir);
        QDir(m_dir->path()).mkpath("bin");
        QDir(m_dir->path()).mkpath("work dir");
        m_savedPath = qgetenv("PATH");
        qputenv("PATH", (bin() + ':').toUtf8() + m_savedPath);
        m_savedCwd = QDir::currentPath();
        QDir::setCurrent(m_dir->path() + "/work dir");
    }
    void cleanup()
    {
        QDir::setCurrent(m_savedCwd);
        qputenv("PATH", m_savedPath);
        m_dir.reset();
    }

    void splitsLikeAShellWithoutOne_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("words");
        QTest::newRow("blanks") << " a \t b\n c  " << QStringList{"a", "b", "c"};
        QTest::newRow("nothing") << "   " << QStringList{};
        QTest::newRow("double quotes") << "\"a b\" \"c\"\"d\"" << QStringList{"a b", "cd"};
        QTest::newRow("single quotes keep backslashes") << "'a\\ b' 'it''s'" << QStringList{"a\\ b", "its"};
        QTest::newRow("escapes in double quotes") << "\"\\\"\\\\\\$\\`\\x\"" << QStringList{"\"\\$`\\x"};
        QTest::newRow("backslash outside") << "a\\ b \\\"c\\' \\\\" << QStringList{"a b", "\"c'", "\\"};
        QTest::newRow("empty arguments") << "'' \"\" x" << QStringList{"", "", "x"};
        QTest::newRow("line continuation") << "a\\\nb" << QStringList{"ab"};
        QTest::newRow("shell syntax is text")
            << "; rm -rf x | $(id) `id` && * ~ #c >f"
            << QStringList{";", "rm", "-rf", "x", "|", "$(id)", "`id`", "&&", "*", "~", "#c", ">f"};
        QTest::newRow("glued syntax") << "a;b|c$(d)" << QStringList{"a;b|c$(d)"};
        QTest::newRow("open quote runs to the end") << "a \"b c" << QStringList{"a", "b c"};
        QTest::newRow("trailing backslash") << "a\\" << QStringList{"a\\"};
        QTest::newRow("non-ASCII") << "Ünïcødé 'é è' 日本" << QStringList{"Ünïcødé", "é è", "日本"};
    }
    void splitsLikeAShellWithoutOne()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, words);
        QCOMPARE(zarvo::splitShellWords(text), words);
    }

    // The program gets the parameters as the user would have typed them in a terminal, in the
    // program's own folder, and nothing in them is run.
    void startsAProgramWithItsParameters_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("params");
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("plain") << "rec"
                               << "-x 1" << QStringList{"-x", "1"};
        QTest::newRow("no parameters") << "rec"
                                       << "" << QStringList{};
        QTest::newRow("blanks in the path") << "my prog"
                                            << "\"a b\" c" << QStringList{"a b", "c"};
        QTest::newRow("quotes and syntax in the path") << "it's \"q\";$(touch canary)|x"
                                                       << "a" << QStringList{"a"};
        QTest::newRow("non-ASCII path and parameters") << "prögrämm ü"
                                                       << "Grüße 'ß é'" << QStringList{"Grüße", "ß é"};
        QTest::newRow("command injection stays text")
            << "rec"
            << "; touch canary; $(touch canary) `touch canary` | touch canary && touch canary"
            << QStringList{";", "touch", "canary;", "$(touch", "canary)", "`touch", "canary`",
                           "|", "touch", "canary",  "&&",      "touch",   "canary"};
    }
    void startsAProgramWithItsParameters()
    {
        QFETCH(QString, name);
        QFETCH(QString, params);
        QFETCH(QStringList, arguments);
        RecordingProgram program(bin(), name);
        QVERIFY(ShellOpen(program.path(), params));
        QVERIFY(program.waitForRun());
        QCOMPARE(program.arguments(), arguments);
        QCOMPARE(program.workingDir(), QDir::currentPath());
        QVERIFY2(program.signalsUnblocked(), "SIGTERM or SIGINT blocked in the started program");
        QTest::qWait(100); // time for anything a shell would have run
        QVERIFY(!QFile::exists("canary"));
        QVERIFY(!QFile::exists(bin() + "/canary"));
    }

    void aBareNameIsFoundOnPath()
    {
        RecordingProgram program(bin(), "zarvo-rec-bare");
        QVERIFY(ShellOpen("zarvo-rec-bare", "x"));
        QVERIFY(program.waitForRun());
        QCOMPARE(program.arguments(), QStringList{"x"});
    }

    void startsNothingWithoutAProgram_data()
    {
        QTest::addColumn<QString>("path");
        QTest::newRow("empty") << "";
        QTest::newRow("missing file") << "/nonexistent/zarvo/prog";
        QTest::newRow("missing bare name") << "zarvo-no-such-program";
        QTest::newRow("relative missing") << "sub/prog";
    }
    void startsNothingWithoutAProgram()
    {
        QFETCH(QString, path);
        RecordingProgram opener(bin(), "xdg-open");
        QVERIFY(!ShellOpen(path, "a"));
        QTest::qWait(200);
        QVERIFY(!opener.ran());
    }

    // Documents and folders go to the desktop's opener as one absolute path; the parameters are
    // for programs only.
    void opensADocumentThroughTheDesktopOpener_data()
    {
        QTest::addColumn<QString>("relative");
        QTest::addColumn<bool>("folder");
        QTest::newRow("document") << "letter to Ünal; $(x).txt" << false;
        QTest::newRow("folder") << "my folder" << true;
        QTest::newRow("non-executable script") << "-rf.sh" << false;
    }
    void opensADocumentThroughTheDesktopOpener()
    {
        QFETCH(QString, relative);
        QFETCH(bool, folder);
        RecordingProgram opener(bin(), "xdg-open");
        if (folder) {
            QVERIFY(QDir().mkpath(relative));
        } else {
            QFile doc(relative);
            QVERIFY(doc.open(QIODevice::WriteOnly));
            doc.write("#!/bin/sh\ntouch canary\n");
        }
        QVERIFY(ShellOpen(relative, "--param"));
        QVERIFY(opener.waitForRun());
        QCOMPARE(opener.arguments(), QStringList{QDir::current().absoluteFilePath(relative)});
        QVERIFY(opener.signalsUnblocked());
        QVERIFY(!QFile::exists("canary"));
    }

    // A path that names no file but an address with a scheme goes to the desktop's opener as it
    // is; a host name alone is no address here, and nothing that starts with "-" is handed over.
    void opensAnAddressThroughTheDesktopOpener_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("argument"); // empty: the opener is not started
        QTest::newRow("https") << "https://example.org/?a=1&b=2"
                               << "https://example.org/?a=1&b=2";
        QTest::newRow("mailto") << "mailto:me@example.org?subject=hi"
                                << "mailto:me@example.org?subject=hi";
        QTest::newRow("file") << " file:///tmp/zarvo%20test.txt"
                              << "file:///tmp/zarvo%20test.txt";
        QTest::newRow("host name") << "example.org"
                                   << "";
        QTest::newRow("an option") << "--help"
                                   << "";
        QTest::newRow("an option shaped like an address") << "-x:y"
                                                          << "";
    }
    void opensAnAddressThroughTheDesktopOpener()
    {
        QFETCH(QString, path);
        QFETCH(QString, argument);
        RecordingProgram opener(bin(), "xdg-open");
        QCOMPARE(ShellOpen(path, "--param"), !argument.isEmpty());
        if (argument.isEmpty()) {
            QTest::qWait(200);
            QVERIFY(!opener.ran());
            return;
        }
        QVERIFY(opener.waitForRun());
        QCOMPARE(opener.arguments(), QStringList{argument});
        QVERIFY(opener.signalsUnblocked());
    }

private:
    QString bin() const { return m_dir->path() + "/bin"; }

    std::unique_ptr<QTemporaryDir> m_dir;
    QByteArray m_savedPath;
    QString m_savedCwd;
};

QTEST_GUILESS_MAIN(TestShellOpen)
#include "tst_shellopen.moc"
