#include "IntervalGroup.h"

#include "EditorWidgets.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QSignalBlocker>
#include <QTimeEdit>

namespace zarvo {

IntervalGroup::IntervalGroup(Qt::Orientation orientation, QWidget* parent) : QWidget(parent)
{
    const bool across = orientation == Qt::Horizontal;
    m_check = new QCheckBox(QStringLiteral("&Interval"), this);
    m_check->setObjectName(QStringLiteral("IntervalCheckBox"));
    auto* frame = new QGroupBox(this);
    auto* times = new QGridLayout(frame);
    m_begin = makeTimePicker(frame);
    m_begin->setObjectName(QStringLiteral("IBTimePicker"));
    m_end = makeTimePicker(frame);
    m_end->setObjectName(QStringLiteral("IETimePicker"));
    times->addWidget(makeBuddyLabel(QStringLiteral("&Begin"), m_begin, frame), 0, 0);
    times->addWidget(m_begin, 0, 1);
    times->addWidget(makeBuddyLabel(QStringLiteral("E&nd"), m_end, frame), across ? 0 : 1, across ? 2 : 0);
    times->addWidget(m_end, across ? 0 : 1, across ? 3 : 1);

    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->addWidget(m_check, 0, 0);
    grid->addWidget(frame, across ? 0 : 1, across ? 1 : 0);
    if (across) grid->setColumnStretch(2, 1);
    setPickersUsable(false);

    connect(m_check, &QCheckBox::clicked, this, [this](bool on) {
        setPickersUsable(on);
        emit intervalClicked(on);
    });
    connect(m_begin, &QTimeEdit::timeChanged, this, &IntervalGroup::beginChanged);
    connect(m_end, &QTimeEdit::timeChanged, this, &IntervalGroup::onEndChanged);
}

bool IntervalGroup::isOn() const
{
    return m_check->isChecked();
}

QTime IntervalGroup::begin() const
{
    return m_begin->time();
}

QTime IntervalGroup::end() const
{
    return m_end->time();
}

void IntervalGroup::showWindow(bool on, const QTime& begin, const QTime& end)
{
    const QSignalBlocker checkBlock(m_check), beginBlock(m_begin), endBlock(m_end);
    m_check->setChecked(on);
    m_begin->setTime(begin);
    m_end->setTime(end);
    setPickersUsable(on);
}

void IntervalGroup::setPickersUsable(bool on)
{
    m_begin->setEnabled(on);
    m_end->setEnabled(on);
}

void IntervalGroup::onEndChanged(const QTime& end)
{
    if (end < m_begin->time()) {
        const QSignalBlocker block(m_end);
        m_end->setTime(m_begin->time());
    }
    emit endChanged(m_end->time());
}

} // namespace zarvo
