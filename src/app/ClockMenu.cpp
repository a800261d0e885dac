#include "ClockMenu.h"

#include <QAction>

namespace zarvo {

ClockMenu::ClockMenu(QObject* parent) : QObject(parent)
{
    HideItem = m_menu.addAction(QStringLiteral("&Hide"));
    OnTopItem = m_menu.addAction(QStringLiteral("&On top"));
    OnTopItem->setCheckable(true);
    SecItem = m_menu.addAction(QStringLiteral("Hide &seconds"));
    m_menu.addSeparator();
    FontItem = m_menu.addAction(QStringLiteral("&Font..."));
    ColorItem = m_menu.addAction(QStringLiteral("&Color..."));
}

void ClockMenu::setBorrowedItems(const QList<QAction*>& items)
{
    if (hasBorrowedItems()) return;
    m_borrowSeparator = m_menu.addSeparator();
    m_borrowed = items;
    // The same actions as in the tray menu: their captions and enabled states stay in step.
    m_menu.addActions(m_borrowed);
}

void ClockMenu::dropBorrowedItems()
{
    for (QAction* a : std::as_const(m_borrowed))
        m_menu.removeAction(a);
    m_borrowed.clear();
    if (m_borrowSeparator) {
        m_menu.removeAction(m_borrowSeparator);
        delete m_borrowSeparator;
        m_borrowSeparator = nullptr;
    }
}

} // namespace zarvo
