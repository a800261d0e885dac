#pragma once

#include <QTime>
#include <QWidget>

class QCheckBox;
class QTimeEdit;

namespace zarvo {

// The start-up message's time window: the "&Interval" box and, in a frame, the "&Begin" and
// "E&nd" pickers, usable only while the box is ticked. The end never goes before the begin: an
// end set earlier snaps to the begin, while a later begin leaves the end where it is.
//
// The Events page writes each change into the row as it comes (the signals); the wizard reads
// the values when it builds its event. Values set from outside are shown without signals.
class IntervalGroup : public QWidget
{
    Q_OBJECT
public:
    // The page's strip lays the pickers out side by side, the wizard's page one above the other.
    explicit IntervalGroup(Qt::Orientation orientation, QWidget* parent = nullptr);

    bool isOn() const;
    QTime begin() const;
    QTime end() const;
    // Shows a window as it is stored, an end before its begin included.
    void showWindow(bool on, const QTime& begin, const QTime& end);

    QCheckBox* checkBox() const { return m_check; }
    QTimeEdit* beginPicker() const { return m_begin; }
    QTimeEdit* endPicker() const { return m_end; }

signals:
    // Only what the user changes.
    void intervalClicked(bool on);
    void beginChanged(const QTime& begin);
    // The end as it stands after snapping.
    void endChanged(const QTime& end);

private:
    void setPickersUsable(bool on);
    void onEndChanged(const QTime& end);

    QCheckBox* m_check = nullptr;
    QTimeEdit* m_begin = nullptr;
    QTimeEdit* m_end = nullptr;
};

} // namespace zarvo
