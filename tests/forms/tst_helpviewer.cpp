#include "DarkPalette.h"
#include "forms/HelpViewer.h"

#include <QApplication>
#include <QDialog>
#include <QDirIterator>
#include <QFile>
#include <QRegularExpression>
#include <QSet>
#include <QShortcut>
#include <QTextBlock>
#include <QTextBrowser>
#include <QtTest>

using namespace zarvo;

namespace {

QString resourcePath(const QUrl& url)
{
    return QLatin1Char(':') + url.path();
}

QString read(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

double contrast(const QColor& a, const QColor& b)
{
    const auto luminance = [](const QColor& c) {
        const auto ch = [](double v) {
            return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
        };
        return 0.2126 * ch(c.redF()) + 0.7152 * ch(c.greenF()) + 0.0722 * ch(c.blueF());
    };
    const double la = luminance(a), lb = luminance(b);
    return (qMax(la, lb) + 0.05) / (qMin(la, lb) + 0.05);
}

QTextBrowser* browser()
{
    QWidget* w = HelpViewer::helpWindow();
    return w ? w->findChild<QTextBrowser*>() : nullptr;
}

} // namespace

class TestHelpViewer : public QObject
{
    Q_OBJECT
private slots:
    void cleanup() { delete HelpViewer::helpWindow(); }

    void contextNumbersLeadToTheirPages_data()
    {
        QTest::addColumn<int>("context");
        QTest::addColumn<QString>("heading");
        QTest::newRow("wizard") << 11 << "The Events Wizard";
        QTest::newRow("events") << 12 << "Events";
        QTest::newRow("connection") << 14 << "Connection";
        QTest::newRow("parameters") << 17 << "Parameters";
        QTest::newRow("sticker") << 40 << "Sticker note";
        QTest::newRow("unknown") << 13 << "Zarvo! Help";
        QTest::newRow("negative") << -1 << "Zarvo! Help";
    }
    void contextNumbersLeadToTheirPages()
    {
        QFETCH(int, context);
        QFETCH(QString, heading);
        const QString page = read(resourcePath(HelpViewer::contextUrl(context)));
        QVERIFY2(page.contains(QStringLiteral("<h1>") + heading + QStringLiteral("</h1>")),
                 qPrintable(HelpViewer::contextUrl(context).toString()));

        HelpViewer::showContext(context);
        QVERIFY(HelpViewer::helpWindow()->isVisible());
        QCOMPARE(browser()->source(), HelpViewer::contextUrl(context));
        QVERIFY(browser()->toPlainText().contains(heading));
    }

    // Every link and picture of every page leads to something that is there, anchors included,
    // nothing points outside the program, and every page can be reached from the contents.
    void linksResolveAndEveryPageIsReachable()
    {
        static const QRegularExpression ref(QStringLiteral("(?:href|src)=\"([^\"]*)\""));
        QSet<QString> pages;
        QDirIterator it(QStringLiteral(":/help"));
        while (it.hasNext()) {
            const QString p = it.next();
            if (p.endsWith(QLatin1String(".html"))) pages << p;
        }
        QVERIFY(pages.contains(resourcePath(HelpViewer::contentsUrl())));

        QSet<QString> reached{resourcePath(HelpViewer::contentsUrl())};
        QStringList queue{resourcePath(HelpViewer::contentsUrl())};
        while (!queue.isEmpty()) {
            const QString page = queue.takeFirst();
            const QUrl base(QStringLiteral("qrc") + page);
            for (const QRegularExpressionMatch& m : ref.globalMatch(read(page))) {
                const QUrl target = base.resolved(QUrl(m.captured(1)));
                const QString where = page + QStringLiteral(" -> ") + m.captured(1);
                QVERIFY2(target.scheme() == QLatin1String("qrc"), qPrintable(where));
                const QString path = resourcePath(target);
                QVERIFY2(QFile::exists(path), qPrintable(where));
                if (target.hasFragment())
                    QVERIFY2(read(path).contains(QStringLiteral("name=\"%1\"").arg(target.fragment())),
                             qPrintable(where));
                if (path.endsWith(QLatin1String(".html")) && !reached.contains(path)) {
                    reached << path;
                    queue << path;
                }
            }
        }
        QCOMPARE(reached, pages);
    }

    // The pages take their colours from the palette: with a dark one the headings and the text
    // stand out from the dark page. With ZARVO_SHOTS set to a folder the window is saved there.
    void darkPalette()
    {
        const QPalette saved = QApplication::palette();
        QApplication::setPalette(darkPaletteForTests());
        HelpViewer::showContext(17);
        QWidget* help = HelpViewer::helpWindow();
        QVERIFY(QTest::qWaitForWindowExposed(help));
        const QColor page = browser()->palette().color(QPalette::Base);
        int headings = 0;
        for (QTextBlock b = browser()->document()->begin(); b.isValid(); b = b.next()) {
            const QTextCharFormat f = b.charFormat();
            const QColor text = f.foreground().style() == Qt::NoBrush
                                    ? browser()->palette().color(QPalette::Text)
                                    : f.foreground().color();
            QVERIFY2(contrast(text, page) >= 3.0, qPrintable(b.text() + QStringLiteral(": ") + text.name()));
            if (b.blockFormat().headingLevel() > 0) ++headings;
        }
        QVERIFY(headings > 0);
        if (const QString dir = qEnvironmentVariable("ZARVO_SHOTS"); !dir.isEmpty())
            help->grab().save(dir + QStringLiteral("/help-dark-x%1.png").arg(help->devicePixelRatioF()));
        QApplication::setPalette(saved);
    }

    // F1 in the help window is its contents; Escape and Ctrl+W put it away.
    void keys()
    {
        for (const QKeySequence& close : {QKeySequence(Qt::Key_Escape), QKeySequence(Qt::CTRL | Qt::Key_W)}) {
            HelpViewer::showContext(12);
            QWidget* help = HelpViewer::helpWindow();
            QVERIFY(QTest::qWaitForWindowActive(help));
            QTest::keyClick(browser(), Qt::Key_F1);
            QCOMPARE(browser()->source(), HelpViewer::contentsUrl());
            QTest::keySequence(browser(), close);
            QVERIFY2(!help->isVisible(), qPrintable(close.toString()));
        }
    }

    void oneWindowReused()
    {
        HelpViewer::showContext(12);
        QWidget* first = HelpViewer::helpWindow();
        HelpViewer::showContents();
        QCOMPARE(HelpViewer::helpWindow(), first);
        QCOMPARE(browser()->source(), HelpViewer::contentsUrl());
        // Back returns to the page shown before.
        browser()->backward();
        QCOMPARE(browser()->source(), HelpViewer::contextUrl(12));
        // A link followed from a page.
        browser()->setSource(browser()->source().resolved(QUrl(QStringLiteral("connection.html"))));
        QCOMPARE(browser()->source(), HelpViewer::contextUrl(14));
    }

    // Help asked for from a modal dialog belongs to that dialog (a modal window blocks all
    // others) and stays open on its own when the dialog goes.
    void helpFromAModalDialogOutlivesIt()
    {
        HelpViewer::showContents();
        QWidget* help = HelpViewer::helpWindow();
        {
            QDialog dialog;
            dialog.setWindowModality(Qt::ApplicationModal);
            dialog.show();
            HelpViewer::showContext(40, &dialog);
            QCOMPARE(HelpViewer::helpWindow(), help);
            QCOMPARE(help->parentWidget(), &dialog);
            QVERIFY(help->isWindow() && help->isVisible());
            dialog.hide();
            QCOMPARE(help->parentWidget(), nullptr);
            QVERIFY(help->isVisible());
        }
        QCOMPARE(HelpViewer::helpWindow(), help);
        QCOMPARE(browser()->source(), HelpViewer::contextUrl(40));
    }
};

QTEST_MAIN(TestHelpViewer)
#include "tst_helpviewer.moc"
