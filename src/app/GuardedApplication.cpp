#include "GuardedApplication.h"

#include <QMessageBox>

#include <cstdio>
#include <exception>

namespace zarvo {

GuardedApplication::GuardedApplication(int& argc, char** argv) : QApplication(argc, argv) {}

void GuardedApplication::showError(const QString& text)
{
    if (QGuiApplication::platformName() == QLatin1String("offscreen")) {
        std::fprintf(stderr, "zarvo: %s\n", qPrintable(text));
        return;
    }
    QMessageBox::critical(nullptr, QStringLiteral("Zarvo!"), text);
}

bool GuardedApplication::notify(QObject* receiver, QEvent* event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& e) {
        showError(QString::fromLocal8Bit(e.what()));
    } catch (...) {
        showError(QStringLiteral("Unknown exception"));
    }
    return false;
}

} // namespace zarvo
