#pragma once

#include <QDialog>
#include <QPoint>

#include <functional>

class QListWidget;

namespace zarvo {

// The Notifications window: one list of lines, newest at the bottom.
class TzarNotifForm : public QDialog
{
    Q_OBJECT
public:
    // `whenCreated` runs as the last step of the construction, once the window exists; it is
    // given the window, since the caller has no pointer to it yet.
    explicit TzarNotifForm(QWidget* parent = nullptr,
                           const std::function<void(TzarNotifForm*)>& whenCreated = {});
    ~TzarNotifForm() override;

    // The adding rule: appended when visible; when hidden, the list is cleared, the line becomes
    // its only line and the window is shown. (The Show setting is tested by the callers.)
    void AddLine(const QString& text);

    QListWidget* zarList() const { return m_list; }
    int horizontalExtent() const { return m_extent; }

protected:
    void hideEvent(QHideEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    int lineWidth(const QString& text) const;
    void recomputeExtent();
    QListWidget* m_list;
    int m_extent = 0;
    bool m_placed = false;
    QPoint m_lastPos;
};

} // namespace zarvo
