#include "forms/zarNotifForm.h"

#include <QApplication>
#include <QListWidget>
#include <QScreen>
#include <QScrollBar>
#include <QtTest>

using zarvo::TzarNotifForm;

namespace {

QStringList lines(const TzarNotifForm& form)
{
    QStringList out;
    for (int i = 0; i < form.zarList()->count(); ++i)
        out << form.zarList()->item(i)->text();
    return out;
}

int widthWithMargin(const TzarNotifForm& form, const QString& text)
{
    return QFontMetrics(form.zarList()->font()).horizontalAdvance(text + QLatin1Char('x'));
}

} // namespace

class TestZarNotifForm : public QObject
{
    Q_OBJECT
private slots:
    void looksAsDesigned()
    {
        TzarNotifForm form;
        QVERIFY(!form.isVisible());
        QCOMPARE(form.windowTitle(), QStringLiteral("Notifications"));
        QCOMPARE(form.size(), QSize(442, 173));
        QCOMPARE(form.minimumSize(), form.maximumSize());
        const Qt::WindowFlags flags = form.windowFlags();
        QVERIFY(flags & Qt::WindowCloseButtonHint);
        QVERIFY(!(flags & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint |
                           Qt::WindowContextHelpButtonHint)));
        QCOMPARE(form.font().pixelSize(), 13);
        QCOMPARE(form.zarList()->selectionMode(), QAbstractItemView::SingleSelection);

        form.AddLine(QStringLiteral("one"));
        QCOMPARE(form.zarList()->geometry(), form.rect());
        QCOMPARE(form.zarList()->visualItemRect(form.zarList()->item(0)).height(), 16);
    }

    void appendsWhileVisibleStartsAfreshWhenHidden()
    {
        TzarNotifForm form;
        form.AddLine(QStringLiteral("a"));
        QVERIFY(form.isVisible());
        const QPoint pos = form.pos();
        form.AddLine(QStringLiteral("b"));
        form.AddLine(QStringLiteral("c"));
        QCOMPARE(lines(form), (QStringList{"a", "b", "c"}));
        QCOMPARE(form.pos(), pos);

        form.close();
        QVERIFY(!form.isVisible());
        QCOMPARE(lines(form).size(), 3); // closing keeps the lines until the next one arrives
        form.AddLine(QStringLiteral("d"));
        QVERIFY(form.isVisible());
        QCOMPARE(lines(form), QStringList{"d"});
    }

    void centredFirstThenWhereItWasLeft()
    {
        TzarNotifForm form;
        form.AddLine(QStringLiteral("first"));
        const QRect screen = form.screen()->availableGeometry();
        QVERIFY2(qAbs(form.geometry().center().x() - screen.center().x()) <= 1 &&
                     qAbs(form.geometry().center().y() - screen.center().y()) <= 1,
                 "not centred");

        const QPoint dragged = screen.topLeft() + QPoint(37, 41);
        form.move(dragged);
        form.close();
        form.AddLine(QStringLiteral("second"));
        QCOMPARE(form.pos(), dragged);
    }

    // The main form runs its start-up work from here, and that work may already add lines.
    void whenCreatedRunsOnAFinishedWindow()
    {
        TzarNotifForm form(nullptr, [&](TzarNotifForm* self) {
            QVERIFY(self);
            self->AddLine(QStringLiteral("startup 1"));
            self->AddLine(QStringLiteral("startup 2"));
        });
        QVERIFY(form.isVisible());
        QCOMPARE(lines(form), (QStringList{"startup 1", "startup 2"}));
    }

    void horizontalExtentFollowsTheWidestLine()
    {
        TzarNotifForm form;
        const QString shortLine = QStringLiteral("Call the bank - 14:30:00");
        const QString longLine = QString(QStringLiteral("A very long notification line ")).repeated(4);
        form.AddLine(shortLine);
        QCOMPARE(form.horizontalExtent(), widthWithMargin(form, shortLine));
        QCOMPARE(form.zarList()->horizontalScrollBar()->maximum(), 0);

        form.AddLine(longLine);
        form.AddLine(shortLine);
        QCOMPARE(form.horizontalExtent(), widthWithMargin(form, longLine));
        QTRY_COMPARE(form.zarList()->horizontalScrollBar()->maximum(),
                     form.horizontalExtent() - form.zarList()->viewport()->width());

        QFont bigger = form.font();
        bigger.setPixelSize(20);
        form.setFont(bigger);
        QCOMPARE(form.horizontalExtent(), widthWithMargin(form, longLine));

        form.zarList()->horizontalScrollBar()->setValue(50);
        delete form.zarList()->takeItem(1);
        QCOMPARE(form.horizontalExtent(), widthWithMargin(form, shortLine));
        QCOMPARE(form.zarList()->horizontalScrollBar()->value(), 0);

        form.zarList()->clear();
        QCOMPARE(form.horizontalExtent(), 0);
        QTRY_COMPARE(form.zarList()->horizontalScrollBar()->maximum(), 0);
    }
};

QTEST_MAIN(TestZarNotifForm)
#include "tst_zarnotifform.moc"
