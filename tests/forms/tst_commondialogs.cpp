#include "forms/CommonDialogs.h"

#include <QApplication>
#include <QDialog>
#include <QFontDialog>
#include <QLineEdit>
#include <QTimer>
#include <QtTest>

using namespace zarvo;

class TestCommonDialogs : public QObject
{
    Q_OBJECT
private slots:
    // The font dialog's keys are the dialog's, wherever the keyboard is in the font chooser:
    // Escape cancels it, Enter takes the font. Neither may leave an empty box open.
    void fontDialogKeys_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<bool>("chosen");
        QTest::newRow("escape") << int(Qt::Key_Escape) << false;
        QTest::newRow("enter") << int(Qt::Key_Return) << true;
        QTest::newRow("keypad enter") << int(Qt::Key_Enter) << true;
    }
    void fontDialogKeys()
    {
        QFETCH(int, key);
        QFETCH(bool, chosen);
        bool leftOpen = false;
        bool chooserHidden = false;
        // Typed into the chooser's size box once the dialog runs; whatever happens, the dialog
        // is closed soon after, so a fault fails the test instead of hanging it.
        QTimer::singleShot(0, this, [&] {
            auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            auto* chooser = dialog->findChild<QFontDialog*>();
            QVERIFY(chooser);
            QLineEdit* size = chooser->findChildren<QLineEdit*>().last();
            size->setFocus();
            QTest::keyClick(size, Qt::Key(key));
            chooserHidden = chooser->isHidden(); // hidden of its own accord
            if (dialog->isVisible()) {
                leftOpen = true;
                dialog->reject();
            }
        });
        const QFont initial(QStringLiteral("DejaVu Sans"), 13);
        const auto answer = CommonDialogs::chooseFont(nullptr, {initial, Qt::red});
        QVERIFY(!leftOpen);
        QVERIFY(!chooserHidden);
        QCOMPARE(answer.has_value(), chosen);
        if (chosen) {
            QCOMPARE(answer->font.pointSize(), 13);
            QCOMPARE(answer->color, QColor(Qt::red));
        }
    }
};

QTEST_MAIN(TestCommonDialogs)
#include "tst_commondialogs.moc"
