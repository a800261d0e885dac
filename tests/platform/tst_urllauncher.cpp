#include "RecordingProgram.h"
#include "platform/TerminationSignals.h"
#include "platform/URLLauncher.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

using zarvo::TGoToWeb;

class TestURLLauncher : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { zarvo::TerminationSignals::block(); }

    // Every XDG folder points into a fresh temporary folder; "web" is a program on PATH.
    void init()
    {
        m_dir.reset(new QTemporaryDir);
        for (const char* sub : {"bin", "config", "sysconfig", "data/applications", "sysdata/applications"})
            QDir(m_dir->path()).mkpath(sub);
        m_savedPath = qgetenv("PATH");
        qputenv("PATH", (dir("bin") + ':').toUtf8() + m_savedPath);
        qputenv("XDG_CONFIG_HOME", dir("config").toUtf8());
        qputenv("XDG_CONFIG_DIRS", dir("sysconfig").toUtf8());
        qputenv("XDG_DATA_HOME", dir("data").toUtf8());
        qputenv("XDG_DATA_DIRS", dir("sysdata").toUtf8());
        qunsetenv("XDG_CURRENT_DESKTOP");
        m_web.reset(new RecordingProgram(dir("bin"), "web"));
    }
    void cleanup()
    {
        qputenv("PATH", m_savedPath);
        m_web.reset();
        m_dir.reset();
    }

    // The program is the Exec line's first word on PATH; the parameters are the rest, field
    // codes out and quotes resolved.
    void readsTheExecLine_data()
    {
        QTest::addColumn<QString>("exec");
        QTest::addColumn<QString>("path"); // "@" stands for the bin folder
        QTest::addColumn<QStringList>("parameters");
        QTest::newRow("field code") << "web %u"
                                    << "@/web" << QStringList{};
        QTest::newRow("option and field code") << "web --new-window %U"
                                               << "@/web" << QStringList{"--new-window"};
        QTest::newRow("quoted absolute path") << "\"@/my web\" -a \"%u\""
                                              << "@/my web" << QStringList{"-a"};
        QTest::newRow("quotes, percent, codes") << "web --profile \"a b\" --name=x%% %i %c %k %f %F"
                                                << "@/web" << QStringList{"--profile", "a b", "--name=x%"};
        QTest::newRow("escapes") << "web \"--title=a\\sb\" \"q\\\\\"x\""
                                 << "@/web" << QStringList{"--title=a b", "q\"x"};
        QTest::newRow("through env") << "env A=1 web %u" << QStandardPaths::findExecutable("env")
                                     << QStringList{"A=1", "web"};
        QTest::newRow("not on PATH") << "zarvo-no-such-browser %u"
                                     << "" << QStringList{};
        QTest::newRow("relative path") << "bin/web %u"
                                       << "" << QStringList{};
        QTest::newRow("empty Exec") << ""
                                    << "" << QStringList{};
        QTest::newRow("only a field code") << "%u"
                                           << "" << QStringList{};
    }
    void readsTheExecLine()
    {
        QFETCH(QString, exec);
        QFETCH(QString, path);
        QFETCH(QStringList, parameters);
        exec.replace("@", dir("bin"));
        path.replace("@", dir("bin"));
        RecordingProgram spaced(dir("bin"), "my web");
        write("config/mimeapps.list", "[Default Applications]\nx-scheme-handler/http=browser.desktop\n");
        write("sysdata/applications/browser.desktop",
              "[Desktop Entry]\nType=Application\nName=B\nExec=" + exec + "\n");
        TGoToWeb launcher;
        QCOMPARE(launcher.BrowserPath(), path);
        QCOMPARE(launcher.BrowserParameters(), parameters);
        QCOMPARE(launcher.IsAnyBrowser(), !path.isEmpty());
    }

    // Which desktop entry is the browser: the web-address handler before the HTML handler in any
    // list, the user's lists before the system's, and an entry that is missing or damaged passed
    // over for the next one named.
    void findsTheDefaultBrowser_data()
    {
        QTest::addColumn<QStringList>("files"); // "path|content" pairs under the temporary folder
        QTest::addColumn<QString>("expected");  // desktop id whose program is used; empty: none
        const QString good = "[Desktop Entry]\nType=Application\nExec=%1 %u\n";
        QTest::newRow("nothing recorded") << QStringList{} << "";
        QTest::newRow("html only")
            << QStringList{"config/mimeapps.list|[Default Applications]\ntext/html=a.desktop\n",
                           "data/applications/a.desktop|" + good.arg("a")}
            << "a";
        QTest::newRow("http in a system list beats html in the user's")
            << QStringList{"config/mimeapps.list|[Default Applications]\ntext/html=a.desktop\n",
                           "sysdata/applications/mimeapps.list|[Default "
                           "Applications]\nx-scheme-handler/http=b.desktop\n",
                           "data/applications/a.desktop|" + good.arg("a"),
                           "sysdata/applications/b.desktop|" + good.arg("b")}
            << "b";
        QTest::newRow("user's list first")
            << QStringList{"sysconfig/mimeapps.list|[Default "
                           "Applications]\nx-scheme-handler/http=b.desktop\n",
                           "data/applications/mimeapps.list|[Default "
                           "Applications]\nx-scheme-handler/http=a.desktop\n",
                           "config/mimeapps.list|# comment\n[Added "
                           "Associations]\nx-scheme-handler/http=b.desktop\n"
                           "[Default Applications]\nx-scheme-handler/http=a.desktop;b.desktop;\n",
                           "data/applications/a.desktop|" + good.arg("a"),
                           "data/applications/b.desktop|" + good.arg("b")}
            << "a";
        QTest::newRow("missing and damaged entries passed over")
            << QStringList{"config/mimeapps.list|[Default "
                           "Applications]\nx-scheme-handler/http=gone.desktop; ;bad.desktop;"
                           "hidden.desktop;../../bin/x.desktop;b.desktop\n",
                           "data/applications/bad.desktop|\x01\x02[Desktop Entry\nExec=a %u\n",
                           "data/applications/hidden.desktop|[Desktop Entry]\nHidden=true\nExec=a %u\n",
                           "data/applications/b.desktop|" + good.arg("b")}
            << "b";
        QTest::newRow("vendor folder")
            << QStringList{"config/mimeapps.list|[Default Applications]\ntext/html=v-a.desktop\n",
                           "sysdata/applications/v/a.desktop|" + good.arg("a")}
            << "a";
        QTest::newRow("only a damaged entry")
            << QStringList{"config/mimeapps.list|[Default Applications]\ntext/html=bad.desktop\n",
                           "data/applications/bad.desktop|[Desktop Entry]\nType=Link\nURL=http://x\n"}
            << "";
    }
    void findsTheDefaultBrowser()
    {
        QFETCH(QStringList, files);
        QFETCH(QString, expected);
        RecordingProgram a(dir("bin"), "a"), b(dir("bin"), "b");
        for (const QString& f : files)
            write(f.section('|', 0, 0), f.section('|', 1));
        TGoToWeb launcher;
        QCOMPARE(launcher.BrowserPath(), expected.isEmpty() ? QString() : dir("bin") + '/' + expected);
        QCOMPARE(launcher.IsAnyBrowser(), !expected.isEmpty());
        launcher.Url = "http://x/";
        QCOMPARE(launcher.Execute(), !expected.isEmpty());
        // Before its folder goes away with the test.
        if (!expected.isEmpty()) QVERIFY((expected == u"a" ? a : b).waitForRun());
    }

    void noBrowserWithoutItsProgram()
    {
        write("config/mimeapps.list", "[Default Applications]\nx-scheme-handler/http=w.desktop\n");
        write("data/applications/w.desktop", "[Desktop Entry]\nExec=/nonexistent/zarvo/web %u\n");
        TGoToWeb launcher;
        QVERIFY(!launcher.IsAnyBrowser());
        launcher.Url = "http://x/";
        QVERIFY(!launcher.Execute());
    }

    // The address is one argument after the browser's own, whatever it holds.
    void executeStartsTheBrowserOnTheAddress_data()
    {
        QTest::addColumn<QString>("url");
        QTest::newRow("plain") << "http://127.0.0.1:8080/a?b=c&d=e";
        QTest::newRow("shell syntax") << "http://x/\"a b\";$(touch canary)|`touch canary`";
        QTest::newRow("non-ASCII") << "http://bücher.example/straße";
    }
    void executeStartsTheBrowserOnTheAddress()
    {
        QFETCH(QString, url);
        write("config/mimeapps.list", "[Default Applications]\nx-scheme-handler/http=w.desktop\n");
        write("data/applications/w.desktop", "[Desktop Entry]\nExec=web --new-tab %u\n");
        TGoToWeb launcher;
        QCOMPARE(launcher.BrowserState, zarvo::gwNormal);
        launcher.Url = url;
        QVERIFY(launcher.Execute());
        QVERIFY(m_web->waitForRun());
        QCOMPARE(m_web->arguments(), (QStringList{"--new-tab", url}));
        QVERIFY(m_web->signalsUnblocked());
        QVERIFY(!QFile::exists("canary"));
    }

    // Only an address reaches the browser, as its own argument after the browser's: a URL with
    // a scheme as written, a host name with "http://" in front; nothing that starts with "-".
    void onlyAnAddressReachesTheBrowser_data()
    {
        QTest::addColumn<QString>("url");
        QTest::addColumn<QString>("argument"); // empty: the browser is not started
        QTest::newRow("https") << "https://example.org/a?b=c"
                               << "https://example.org/a?b=c";
        QTest::newRow("blanks around") << "  https://example.org/ \t"
                                       << "https://example.org/";
        QTest::newRow("mailto") << "mailto:me@example.org"
                                << "mailto:me@example.org";
        QTest::newRow("file") << "file:///tmp/a%20b.html"
                              << "file:///tmp/a%20b.html";
        QTest::newRow("host name") << "example.org"
                                   << "http://example.org";
        QTest::newRow("host and path") << "www.example.org/page?x=1"
                                       << "http://www.example.org/page?x=1";
        QTest::newRow("host and port") << "localhost:8080/x"
                                       << "http://localhost:8080/x";
        QTest::newRow("dotted host and port") << "example.org:8080"
                                              << "http://example.org:8080";
        QTest::newRow("an option") << "--new-window"
                                   << "";
        QTest::newRow("an option with a value") << "--renderer-cmd-prefix=touch canary"
                                                << "";
        QTest::newRow("a short option") << "-private"
                                        << "";
        QTest::newRow("an option behind blanks") << "  --new-window"
                                                 << "";
        QTest::newRow("an option before an address") << "-new-tab http://example.org"
                                                     << "";
        QTest::newRow("no host") << "not an address"
                                 << "";
        QTest::newRow("drive letter") << "C:\\pages\\a.html"
                                      << "";
    }
    void onlyAnAddressReachesTheBrowser()
    {
        QFETCH(QString, url);
        QFETCH(QString, argument);
        write("config/mimeapps.list", "[Default Applications]\nx-scheme-handler/http=w.desktop\n");
        write("data/applications/w.desktop", "[Desktop Entry]\nExec=web --new-tab %u\n");
        TGoToWeb launcher;
        launcher.Url = url;
        QCOMPARE(launcher.Execute(), !argument.isEmpty());
        if (argument.isEmpty()) {
            QTest::qWait(200);
            QVERIFY(!m_web->ran());
            return;
        }
        QVERIFY(m_web->waitForRun());
        QCOMPARE(m_web->arguments(), (QStringList{"--new-tab", argument}));
    }

private:
    QString dir(const QString& sub) const { return m_dir->path() + '/' + sub; }
    void write(const QString& relative, const QString& content)
    {
        const QString path = dir(relative);
        QDir().mkpath(QFileInfo(path).path());
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(content.toUtf8());
    }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<RecordingProgram> m_web;
    QByteArray m_savedPath;
};

QTEST_GUILESS_MAIN(TestURLLauncher)
#include "tst_urllauncher.moc"
