#include "ProgramIcon.h"

#include "platform/XdgPaths.h"

#include <QIconEngine>
#include <QPainter>

namespace zarvo {

namespace {

constexpr int kSizes[] = {16, 22, 24, 32, 48, 64, 128, 256};

// The compiled pictures under a theme name. A theme icon would take its pictures from the
// installed files too; these stay the program's own whatever the theme holds.
class NamedIconEngine : public QIconEngine
{
public:
    NamedIconEngine(const QIcon& pictures, const QString& name) : m_pictures(pictures), m_name(name) {}

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override
    {
        m_pictures.paint(painter, rect, Qt::AlignCenter, mode, state);
    }
    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override
    {
        return m_pictures.pixmap(size, mode, state);
    }
    QPixmap scaledPixmap(const QSize& size, QIcon::Mode mode, QIcon::State state, qreal scale) override
    {
        return m_pictures.pixmap(size, scale, mode, state);
    }
    QSize actualSize(const QSize& size, QIcon::Mode mode, QIcon::State state) override
    {
        return m_pictures.actualSize(size, mode, state);
    }
    QList<QSize> availableSizes(QIcon::Mode mode, QIcon::State state) override
    {
        return m_pictures.availableSizes(mode, state);
    }
    QString iconName() override { return m_name; }
    bool isNull() override { return m_pictures.isNull(); }
    QString key() const override { return QStringLiteral("zarvo-named"); }
    QIconEngine* clone() const override { return new NamedIconEngine(m_pictures, m_name); }

private:
    QIcon m_pictures;
    QString m_name;
};

} // namespace

QString programIconName(bool disabled)
{
    return disabled ? applicationId() + QStringLiteral("-disabled") : applicationId();
}

QIcon programIcon(bool disabled)
{
    const QString name = programIconName(disabled);
    QIcon pictures;
    for (int size : kSizes)
        pictures.addFile(QStringLiteral(":/icons/hicolor/%1x%1/%2.png").arg(size).arg(name),
                         QSize(size, size));
    // A name the theme does not know would leave some hosts with a blank space instead of the
    // pictures; run from a build folder, the icon is not installed.
    if (!QIcon::hasThemeIcon(name)) return pictures;
    return QIcon(new NamedIconEngine(pictures, name));
}

} // namespace zarvo
