// The yardstick for the program's idle cost: a Qt program that does nothing but keep an icon in
// the tray, run side by side with the program by tools/bench_idle.sh.
#include <QApplication>
#include <QIcon>
#include <QPixmap>
#include <QSystemTrayIcon>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    QPixmap picture(16, 16);
    picture.fill(Qt::darkBlue);
    QSystemTrayIcon icon{QIcon(picture)};
    icon.setToolTip(QStringLiteral("bare"));
    icon.show();
    return QApplication::exec();
}
