#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>

#include <optional>

namespace zarvo {

// One value as the file stores it. Only the two types the settings use are told apart; every
// other type, and every value that cannot be decoded, is Other ("stored with another type").
struct RegValue
{
    enum class Type
    {
        Dword,  // dword:xxxxxxxx (or hex(4): with four bytes)
        String, // "quoted" or hex(1):bytes, both REG_SZ
        Other
    };

    Type type = Type::Other;
    quint32 dword = 0;
    QByteArray string; // the bytes as stored: unescaped, or the raw hex(1) bytes, no terminator

    static RegValue fromDword(quint32 v) { return {Type::Dword, v, {}}; }
    static RegValue fromString(QByteArray bytes) { return {Type::String, 0, std::move(bytes)}; }

    bool operator==(const RegValue&) const = default;
};

// The REGEDIT4 text form of one registry key, as regedit exports it:
//
//   REGEDIT4
//
//   [HKEY_LOCAL_MACHINE\Software\Pelmark\Zarvo!]
//   "Port"=dword:0000006e
//   "Pas"=hex(1):8f,3a,c1
//
// Only the values of the one key are interpreted; every other line (comments, other keys, values
// of unknown types, junk) is carried through a rewrite byte for byte. Key and value names compare
// case-insensitively, as in the registry, and of a name given twice the last one counts, as when
// regedit imports the file.
class RegFile
{
public:
    explicit RegFile(QByteArray keyPath);

    // Never fails: what cannot be understood is kept as an unknown line.
    static RegFile parse(const QByteArrayView data, QByteArray keyPath);
    // An unchanged file comes back byte for byte.
    QByteArray toBytes() const;

    // The order in which values should stand in the key; a value that is not yet in the file is
    // inserted next to its neighbours in this order.
    void setValueOrder(QList<QByteArray> names) { m_order = std::move(names); }

    std::optional<RegValue> value(QByteArrayView name) const;
    // Replaces the value where it stands (dropping earlier duplicates) or inserts it. A string
    // is written quoted when it is valid UTF-8 without control characters, otherwise as hex(1).
    void setValue(QByteArrayView name, const RegValue& value);

    static QByteArray formatValueLine(QByteArrayView name, const RegValue& value);

private:
    struct Entry
    {
        QByteArray raw;        // the physical lines without their '\n' (a '\r' stays), joined by '\n'
        bool inKey = false;    // a value of our key
        bool isHeader = false; // a [section] line
        bool opensKey = false; // the header of our key
        bool danglingContinuation = false; // ends in '\' at the end of the file
        QByteArray name{};                 // values of our key only
        RegValue value{};
    };

    qsizetype lastIndexOf(QByteArrayView name) const;
    qsizetype insertionPoint(QByteArrayView name);
    QByteArray newLine(QByteArray text) const;

    QByteArray m_keyPath;
    QList<Entry> m_entries;
    QList<QByteArray> m_order;
    bool m_bom = false;
    bool m_crlf = false;
    bool m_finalNewline = true;
    bool m_modified = false;
};

} // namespace zarvo
