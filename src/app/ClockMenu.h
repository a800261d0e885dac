#pragma once

#include <QList>
#include <QMenu>
#include <QObject>

class QAction;

namespace zarvo {

// The clock window's right-click menu, ClockPopupMenu. On a desktop without a tray it also
// carries the tray menu's items after its own, so that every command stays reachable.
class ClockMenu : public QObject
{
    Q_OBJECT
public:
    explicit ClockMenu(QObject* parent = nullptr);

    QMenu* menu() { return &m_menu; }

    // Appends the given items after a separator (once), or takes them away again.
    void setBorrowedItems(const QList<QAction*>& items);
    void dropBorrowedItems();
    bool hasBorrowedItems() const { return !m_borrowed.isEmpty(); }

    QAction* HideItem;
    QAction* OnTopItem;
    QAction* SecItem;
    QAction* FontItem;
    QAction* ColorItem;

private:
    QMenu m_menu;
    QAction* m_borrowSeparator = nullptr;
    QList<QAction*> m_borrowed;
};

} // namespace zarvo
