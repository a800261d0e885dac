#include "DarkPalette.h"
#include "forms/AboutForm.h"

#include <QDesktopServices>
#include <QLabel>
#include <QPushButton>
#include <QtTest>

using namespace zarvo;

namespace {
QString labelText(const TAboutForm& form, const char* name)
{
    const QLabel* l = form.findChild<QLabel*>(QLatin1String(name));
    return l ? l->text() : QStringLiteral("<missing>");
}
} // namespace

// Stands in for the desktop's mail program.
class MailCatcher : public QObject
{
    Q_OBJECT
public:
    QList<QUrl> urls;
public slots:
    void open(const QUrl& url) { urls << url; }
};

class TestAboutForm : public QObject
{
    Q_OBJECT
private slots:
    void systemLines_data()
    {
        QTest::addColumn<QString>("osName");
        QTest::addColumn<int>("major");
        QTest::addColumn<int>("minor");
        QTest::addColumn<int>("build");
        QTest::addColumn<uint>("cpu");
        QTest::addColumn<quint64>("memory");
        QTest::addColumn<QStringList>("lines");
        QTest::newRow("64 MB") << "Linux" << 6 << 1 << 76 << 8664u << quint64(67108864)
                               << QStringList{"OS: Linux 6.1 (Build 76)", "CPU: 8664", "Memory: 65536 K"};
        QTest::newRow("16 TB, past 32 bits of K")
            << "Linux" << 6 << 18 << 44 << 43620u << (quint64(16) << 40)
            << QStringList{"OS: Linux 6.18 (Build 44)", "CPU: 43620", "Memory: 17179869184 K"};
        QTest::newRow("part of a K is dropped")
            << "Linux" << 5 << 10 << 0 << 586u << quint64(2047)
            << QStringList{"OS: Linux 5.10 (Build 0)", "CPU: 586", "Memory: 1 K"};
        QTest::newRow("nothing known")
            << "" << 0 << 0 << 0 << 0u << quint64(0) << QStringList{"OS: unknown", "CPU: 0", "Memory: 0 K"};
    }
    void systemLines()
    {
        QFETCH(QString, osName);
        QFETCH(int, major);
        QFETCH(int, minor);
        QFETCH(int, build);
        QFETCH(uint, cpu);
        QFETCH(quint64, memory);
        QFETCH(QStringList, lines);
        const TAboutForm form(SystemInfo{osName, major, minor, build, cpu, memory});
        QCOMPARE((QStringList{labelText(form, "OSInfoLabel"), labelText(form, "ProcInfoLabel"),
                              labelText(form, "MemInfoLabel")}),
                 lines);
    }

    void kernelRelease_data()
    {
        QTest::addColumn<QString>("release");
        QTest::addColumn<QList<int>>("parts");
        QTest::newRow("distribution kernel") << "6.1.0-18-amd64" << QList<int>{6, 1, 0};
        QTest::newRow("two numbers") << "5.15-rc2" << QList<int>{5, 15, 0};
        QTest::newRow("patch level") << "6.18.44-fc-v1478" << QList<int>{6, 18, 44};
        QTest::newRow("build past 16 bits") << "4.4.70000" << QList<int>{4, 4, 70000 & 0xffff};
        QTest::newRow("absurdly long number") << "99999999999999999999999.1" << QList<int>{0, 1, 0};
        QTest::newRow("no numbers") << "custom" << QList<int>{0, 0, 0};
    }
    void kernelRelease()
    {
        QFETCH(QString, release);
        QFETCH(QList<int>, parts);
        int major = -1, minor = -1, build = -1;
        parseKernelRelease(release, major, minor, build);
        QCOMPARE((QList<int>{major, minor, build}), parts);
    }

    void processorType_data()
    {
        QTest::addColumn<QString>("machine");
        QTest::addColumn<uint>("type");
        QTest::newRow("x86-64") << "x86_64" << 8664u;
        QTest::newRow("i686") << "i686" << 586u;
        QTest::newRow("i386") << "i386" << 386u;
        QTest::newRow("64-bit ARM") << "aarch64" << 0xAA64u;
        QTest::newRow("32-bit ARM") << "armv7l" << 0x1C4u;
        QTest::newRow("unknown") << "sparc64" << 0u;
    }
    void processorType()
    {
        QFETCH(QString, machine);
        QFETCH(uint, type);
        QCOMPARE(processorTypeFor(machine), type);
    }

    void thisMachineAnswers()
    {
        const SystemInfo info = querySystemInfo();
        QCOMPARE(info.osName, QStringLiteral("Linux"));
        QVERIFY(info.osMajor > 0);
        QVERIFY(info.totalMemoryBytes > 16u * 1024 * 1024);
    }

    void looksAsDesigned()
    {
        const TAboutForm form(SystemInfo{});
        QCOMPARE(form.windowTitle(), QStringLiteral("About"));
        QCOMPARE(form.size(), QSize(345, 237));
        QCOMPARE(form.minimumSize(), form.maximumSize());
        QVERIFY(!(form.windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint |
                                        Qt::WindowContextHelpButtonHint)));
        QVERIFY(form.windowFlags() & Qt::WindowCloseButtonHint);
        QVERIFY(labelText(form, "AboutLabel").startsWith(QStringLiteral("Version 4.02\n")));
        QCOMPARE(labelText(form, "MailMeLabel"), TAboutForm::contactAddress());

        const auto* side = form.findChild<QLabel*>(QStringLiteral("AbImage"));
        const auto* title = form.findChild<QLabel*>(QStringLiteral("TitleImage"));
        // At the screen's scale: the "@2x" pictures where it is 2 (see forms.cmake).
        QCOMPARE(side->pixmap().deviceIndependentSize(), QSizeF(69, 197));
        QCOMPARE(title->pixmap().deviceIndependentSize(), QSizeF(157, 50));
        QCOMPARE(side->pixmap().devicePixelRatio(), form.devicePixelRatioF());
        QCOMPARE(title->pixmap().devicePixelRatio(), form.devicePixelRatioF());
        QCOMPARE(side->pixmap().size(), QSize(69, 197) * form.devicePixelRatioF());
        QVERIFY(title->pixmap().hasAlphaChannel());
        QCOMPARE(title->geometry(), QRect(91, 8, 157, 50));
        QCOMPARE(form.findChild<QWidget*>(QStringLiteral("AbPanel"))->geometry(), QRect(8, 8, 71, 199));
        QCOMPARE(form.findChild<QLabel*>(QStringLiteral("MemInfoLabel"))->pos(), QPoint(91, 182));
        const auto* ok = form.findChild<QPushButton*>(QStringLiteral("AboutOKButton"));
        QCOMPARE(ok->geometry(), QRect(261, 205, 75, 25));
        QVERIFY(ok->isDefault());
    }

    // With a dark palette the link takes the palette's link colour, not a fixed blue. With
    // ZARVO_SHOTS set to a folder the box is saved there to be looked at.
    void darkPalette()
    {
        const QPalette saved = QApplication::palette();
        QApplication::setPalette(darkPaletteForTests());
        {
            TAboutForm form(SystemInfo{QStringLiteral("Linux"), 6, 1, 0, 8664, 8ull << 30});
            const auto* link = form.findChild<QLabel*>(QStringLiteral("MailMeLabel"));
            QCOMPARE(link->palette().color(QPalette::WindowText),
                     QApplication::palette().color(QPalette::Link));
            if (const QString dir = qEnvironmentVariable("ZARVO_SHOTS"); !dir.isEmpty()) {
                form.show();
                QVERIFY(QTest::qWaitForWindowExposed(&form));
                form.grab().save(dir + QStringLiteral("/about-dark-x%1.png").arg(form.devicePixelRatioF()));
            }
        }
        QApplication::setPalette(saved);
    }

    void enterCloses()
    {
        TAboutForm form(SystemInfo{});
        form.open();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QTest::keyClick(&form, Qt::Key_Return);
        QVERIFY(!form.isVisible());
        QCOMPARE(form.result(), int(QDialog::Accepted));
    }

    void contactLinkStartsAMail()
    {
        MailCatcher mail;
        QDesktopServices::setUrlHandler(QStringLiteral("mailto"), &mail, "open");
        TAboutForm form(SystemInfo{});
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        auto* link = form.findChild<QLabel*>(QStringLiteral("MailMeLabel"));
        QCOMPARE(link->cursor().shape(), Qt::PointingHandCursor);

        QTest::mouseClick(link, Qt::RightButton);
        QVERIFY(mail.urls.isEmpty());
        QTest::mouseClick(link, Qt::LeftButton);
        QCOMPARE(mail.urls, QList<QUrl>{QUrl(QStringLiteral("mailto:zarvo@example.org"))});
        QDesktopServices::unsetUrlHandler(QStringLiteral("mailto"));
    }
};

QTEST_MAIN(TestAboutForm)
#include "tst_aboutform.moc"
