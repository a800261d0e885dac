#include "EvTable.h"

#include <algorithm>
#include <functional>

namespace zarvo {

// Emits AfterScroll at the end of an operation when the current row's position or identity
// changed, however many steps the operation took.
class EvTable::ScrollWatch
{
public:
    explicit ScrollWatch(EvTable& t, bool always = false)
        : m_t(t), m_recNo(t.RecNo()), m_id(t.currentId()), m_always(always)
    {
    }
    ~ScrollWatch()
    {
        if (m_always || m_t.RecNo() != m_recNo || m_t.currentId() != m_id) Q_EMIT m_t.AfterScroll();
    }
    ScrollWatch(const ScrollWatch&) = delete;
    ScrollWatch& operator=(const ScrollWatch&) = delete;

private:
    EvTable& m_t;
    int m_recNo;
    RowId m_id;
    bool m_always;
};

EvTable::EvTable(QObject* parent) : QObject(parent) {}

int EvTable::indexOfId(RowId id) const
{
    const auto it = std::lower_bound(m_ids.cbegin(), m_ids.cend(), id);
    return (it != m_ids.cend() && *it == id) ? int(it - m_ids.cbegin()) : -1;
}

void EvTable::replaceAll(const QVector<EventRecord>& rows)
{
    replaceAll(rows, {});
}

void EvTable::replaceAll(const QVector<EventRecord>& rows, const QVector<RowId>& ids)
{
    ScrollWatch watch(*this, true);
    Q_EMIT aboutToReset();
    const bool wasPending = m_state != State::Browse;
    m_state = State::Browse;
    m_modified = false;
    m_pending = EventRecord();
    m_rows = rows;
    assignIds(ids);
    m_cur = m_rows.isEmpty() ? -1 : 0;
    m_bof = true;
    m_eof = m_rows.isEmpty();
    Q_EMIT rowsReset();
    if (wasPending) Q_EMIT stateChanged();
}

void EvTable::assignIds(const QVector<RowId>& ids)
{
    // Identities must stay unique and ascending (lookups rely on it), and must never come back
    // for a row that is gone: only identities this table gave out, in their order, are kept.
    const bool keep =
        ids.size() == m_rows.size() &&
        std::adjacent_find(ids.cbegin(), ids.cend(), std::greater_equal<RowId>()) == ids.cend() &&
        (ids.isEmpty() || (ids.first() > 0 && ids.last() < m_nextId));
    if (keep) {
        m_ids = ids;
        return;
    }
    m_ids.resize(m_rows.size());
    for (RowId& id : m_ids)
        id = m_nextId++;
}

const EventRecord* EvTable::find(RowId id) const
{
    const int index = indexOfId(id);
    return index < 0 ? nullptr : &m_rows[index];
}

EvTable::RowId EvTable::append(const EventRecord& record)
{
    const int index = int(m_rows.size());
    Q_EMIT rowAboutToBeInserted(index);
    m_rows.append(record);
    const RowId id = m_nextId++;
    m_ids.append(id);
    if (m_state == State::Insert) m_cur = index; // a pending new row stays the one after the last
    Q_EMIT rowInserted(index);
    return id;
}

bool EvTable::update(RowId id, const EventRecord& record)
{
    const int index = indexOfId(id);
    if (index < 0) return false;
    const EventRecord before = m_rows[index];
    if (before == record && before.setMask == record.setMask) return true;
    m_rows[index] = record;
    // The current row's views are told field by field, as if the fields had been written.
    const bool current = m_state != State::Insert && index == m_cur;
    QVector<Field> taken;
    if (current) {
        for (int i = 0; i < FieldCount; ++i) {
            const Field f = fieldAt(i);
            if (before.value(f) == record.value(f) && before.isSet(f) == record.isSet(f)) continue;
            if (m_state == State::Edit) {
                if (record.isSet(f))
                    m_pending.setValue(f, record.value(f));
                else
                    m_pending.clear(f);
            }
            taken << f;
        }
    }
    Q_EMIT rowChanged(index);
    for (const Field f : taken)
        Q_EMIT fieldChanged(f);
    return true;
}

bool EvTable::remove(RowId id)
{
    const int index = indexOfId(id);
    if (index < 0) return false;
    if (m_state != State::Insert && index == m_cur) {
        Delete();
        return true;
    }
    ScrollWatch watch(*this);
    removeAt(index);
    if (index < m_cur || (m_state == State::Insert && m_cur >= m_rows.size())) --m_cur;
    if (m_rows.isEmpty()) {
        m_cur = -1;
        m_bof = m_eof = m_state != State::Insert;
    }
    return true;
}

void EvTable::removeAt(int index)
{
    Q_EMIT rowAboutToBeRemoved(index);
    m_rows.removeAt(index);
    m_ids.removeAt(index);
    Q_EMIT rowRemoved(index);
}

void EvTable::First()
{
    ScrollWatch watch(*this);
    CheckBrowseMode();
    m_cur = m_rows.isEmpty() ? -1 : 0;
    m_bof = true;
    m_eof = m_rows.isEmpty();
}

void EvTable::Last()
{
    ScrollWatch watch(*this);
    CheckBrowseMode();
    m_cur = int(m_rows.size()) - 1;
    m_eof = true;
    m_bof = m_rows.isEmpty();
}

void EvTable::Next()
{
    MoveBy(1);
}

void EvTable::Prior()
{
    MoveBy(-1);
}

void EvTable::MoveBy(int distance)
{
    ScrollWatch watch(*this);
    CheckBrowseMode();
    if (m_rows.isEmpty()) {
        m_cur = -1;
        m_bof = m_eof = true;
        return;
    }
    if (distance == 0 || (distance > 0 && m_eof) || (distance < 0 && m_bof)) return;
    m_bof = m_eof = false;
    const qint64 target = qint64(m_cur) + distance;
    if (target >= m_rows.size()) {
        m_cur = int(m_rows.size()) - 1;
        m_eof = true;
    } else if (target < 0) {
        m_cur = 0;
        m_bof = true;
    } else {
        m_cur = int(target);
    }
}

int EvTable::RecNo() const
{
    if (m_state == State::Insert) return RecordCount() + 1;
    return m_cur + 1;
}

bool EvTable::LocateId(RowId id)
{
    ScrollWatch watch(*this);
    CheckBrowseMode();
    const int index = indexOfId(id);
    if (index < 0) return false;
    m_cur = index;
    m_bof = m_eof = false;
    return true;
}

EvTable::RowId EvTable::currentId() const
{
    if (m_state == State::Insert || m_cur < 0) return 0;
    return m_ids[m_cur];
}

void EvTable::setState(State s)
{
    if (m_state == s) return;
    m_state = s;
    Q_EMIT stateChanged();
}

void EvTable::dropPending()
{
    m_pending = EventRecord();
    m_modified = false;
}

void EvTable::Edit()
{
    if (m_state != State::Browse || m_cur < 0) return;
    m_pending = m_rows[m_cur];
    m_modified = false;
    setState(State::Edit);
}

void EvTable::Append()
{
    ScrollWatch watch(*this);
    CheckBrowseMode();
    m_pending = EventRecord();
    m_modified = false;
    m_bof = m_eof = false;
    setState(State::Insert);
}

void EvTable::Post()
{
    switch (m_state) {
    case State::Browse:
        return;
    case State::Edit: {
        const bool changed = !(m_rows[m_cur] == m_pending) || m_rows[m_cur].setMask != m_pending.setMask;
        m_rows[m_cur] = m_pending;
        dropPending();
        setState(State::Browse);
        if (changed) Q_EMIT rowChanged(m_cur);
        return;
    }
    case State::Insert: {
        // RecNo() was RecordCount()+1 and stays so: the row is appended where it was shown, and
        // the cursor has not moved (no AfterScroll, as a dataset's Post has none).
        Q_EMIT rowAboutToBeInserted(int(m_rows.size()));
        m_rows.append(m_pending);
        m_ids.append(m_nextId++);
        m_cur = int(m_rows.size()) - 1;
        m_bof = m_eof = false;
        dropPending();
        Q_EMIT rowInserted(m_cur);
        setState(State::Browse);
        return;
    }
    }
}

void EvTable::Cancel()
{
    if (m_state == State::Browse) return;
    ScrollWatch watch(*this);
    if (m_state == State::Insert) {
        // Back to the row before the new one: the last row.
        m_cur = int(m_rows.size()) - 1;
        m_bof = m_eof = m_rows.isEmpty();
    }
    dropPending();
    setState(State::Browse);
}

void EvTable::Delete()
{
    if (m_state == State::Insert) {
        Cancel();
        return;
    }
    if (m_cur < 0) return;
    ScrollWatch watch(*this, true);
    if (m_state == State::Edit) {
        dropPending();
        setState(State::Browse);
    }
    const int removed = m_cur;
    Q_EMIT rowAboutToBeRemoved(removed);
    m_rows.removeAt(removed);
    m_ids.removeAt(removed);
    m_bof = false;
    m_eof = false;
    if (m_rows.isEmpty()) {
        m_cur = -1;
        m_bof = m_eof = true;
    } else if (removed >= m_rows.size()) {
        // The last row went: the new last row is current and there is nothing after it.
        m_cur = int(m_rows.size()) - 1;
        m_eof = true;
    }
    Q_EMIT rowRemoved(removed);
}

void EvTable::CheckBrowseMode()
{
    if (m_state == State::Browse) return;
    if (m_modified)
        Post();
    else
        Cancel();
}

const EventRecord& EvTable::current() const
{
    static const EventRecord empty;
    if (m_state != State::Browse) return m_pending;
    if (m_cur < 0) return empty;
    return m_rows[m_cur];
}

QVariant EvTable::FieldByName(const QString& name) const
{
    const auto f = fieldByName(name);
    if (!f) return {};
    return fieldValue(*f);
}

QVariant EvTable::fieldValue(Field f) const
{
    return current().value(f);
}

void EvTable::setFieldValue(Field f, const QVariant& v)
{
    if (m_state == State::Browse) Edit();
    if (m_state == State::Browse) return;
    if (!m_pending.trySetValue(f, v)) return;
    m_modified = true;
    Q_EMIT fieldChanged(f);
}

void EvTable::setFieldByName(const QString& name, const QVariant& v)
{
    if (const auto f = fieldByName(name)) setFieldValue(*f, v);
}

void EvTable::setAllowedChars(Field f, const QString& chars)
{
    if (chars.isEmpty())
        m_allowed.remove(int(f));
    else
        m_allowed.insert(int(f), chars);
}

QString EvTable::allowedChars(Field f) const
{
    return m_allowed.value(int(f));
}

bool EvTable::isCharAllowed(Field f, QChar c) const
{
    const auto it = m_allowed.constFind(int(f));
    return it == m_allowed.cend() || it->contains(c);
}

} // namespace zarvo
