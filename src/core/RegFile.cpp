#include "RegFile.h"

#include <QString>

namespace zarvo {

namespace {

constexpr QByteArrayView kBom("\xEF\xBB\xBF");

bool sameName(QByteArrayView a, QByteArrayView b)
{
    return qstrnicmp(a.data(), a.size(), b.data(), b.size()) == 0;
}

bool startsWithNoCase(QByteArrayView text, QByteArrayView prefix)
{
    return text.size() >= prefix.size() && sameName(text.first(prefix.size()), prefix);
}

int hexDigit(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Reads up to maxDigits hex digits that must make up the whole text.
std::optional<quint32> parseHex(QByteArrayView text, qsizetype maxDigits)
{
    if (text.isEmpty() || text.size() > maxDigits) return std::nullopt;
    quint32 v = 0;
    for (char c : text) {
        const int d = hexDigit(c);
        if (d < 0) return std::nullopt;
        v = (v << 4) | static_cast<quint32>(d);
    }
    return v;
}

// A quoted string starting at text[0] == '"'. Only \\ and \" are escapes (REGEDIT4); any other
// backslash stands for itself. Returns the unescaped bytes and the index after the closing quote.
std::optional<std::pair<QByteArray, qsizetype>> parseQuoted(QByteArrayView text)
{
    QByteArray out;
    for (qsizetype i = 1; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '"') return std::pair{out, i + 1};
        if (c == '\\' && i + 1 < text.size() && (text[i + 1] == '\\' || text[i + 1] == '"'))
            out += text[++i];
        else
            out += c;
    }
    return std::nullopt;
}

QByteArray escapeQuoted(QByteArrayView text)
{
    QByteArray out;
    out.reserve(text.size() + 2);
    out += '"';
    for (char c : text) {
        if (c == '\\' || c == '"') out += '\\';
        out += c;
    }
    out += '"';
    return out;
}

// "name"=value; the value text is returned as it stands.
struct NameValue
{
    QByteArray name;
    QByteArrayView value;
};

std::optional<NameValue> splitNameValue(QByteArrayView line)
{
    if (!line.startsWith('"')) return std::nullopt;
    auto quoted = parseQuoted(line);
    if (!quoted) return std::nullopt;
    QByteArrayView rest = line.sliced(quoted->second).trimmed();
    if (!rest.startsWith('=')) return std::nullopt;
    return NameValue{std::move(quoted->first), rest.sliced(1).trimmed()};
}

bool isHexForm(QByteArrayView value)
{
    return startsWithNoCase(value, "hex");
}

// "8f,3a,c1" with blanks anywhere and an optional comma at the end, as after joining the
// continuation lines of a long value.
std::optional<QByteArray> parseHexBytes(QByteArrayView text)
{
    QByteArray out;
    QByteArray token;
    auto flush = [&]() {
        const auto v = parseHex(token, 2);
        if (!v) return false;
        out += static_cast<char>(*v);
        token.clear();
        return true;
    };
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == ' ' || c == '\t') continue;
        if (c == ',') {
            if (!flush()) return std::nullopt;
            continue;
        }
        token += c;
        if (token.size() > 2) return std::nullopt;
    }
    if (!token.isEmpty() && !flush()) return std::nullopt;
    return out;
}

RegValue decodeValue(QByteArrayView text)
{
    RegValue other;
    if (text.startsWith('"')) {
        auto quoted = parseQuoted(text);
        if (!quoted || quoted->second != text.size()) return other;
        return RegValue::fromString(std::move(quoted->first));
    }
    if (startsWithNoCase(text, "dword:")) {
        const auto v = parseHex(text.sliced(6), 8);
        return v ? RegValue::fromDword(*v) : other;
    }
    if (startsWithNoCase(text, "hex(")) {
        const qsizetype close = text.indexOf(QByteArrayView("):"));
        if (close < 0) return other;
        const auto type = parseHex(text.sliced(4, close - 4), 8);
        const auto bytes = parseHexBytes(text.sliced(close + 2));
        if (!type || !bytes) return other;
        if (*type == 1) // REG_SZ
            return RegValue::fromString(*bytes);
        if (*type == 4 && bytes->size() == 4) { // REG_DWORD, little-endian
            quint32 v = 0;
            for (int i = 3; i >= 0; --i)
                v = (v << 8) | static_cast<quint8>((*bytes)[i]);
            return RegValue::fromDword(v);
        }
    }
    return other;
}

bool isKeyHeader(QByteArrayView line, QByteArrayView keyPath)
{
    QByteArrayView key = line.sliced(1);
    if (key.endsWith(']')) key.chop(1);
    return sameName(key.trimmed(), keyPath);
}

// A quoted string can carry the text only if it is valid UTF-8 without control characters;
// anything else (a scrambled password, usually) goes out as raw bytes.
bool quotable(const QByteArray& bytes)
{
    for (char c : bytes) {
        const auto u = static_cast<quint8>(c);
        if (u < 0x20 || u == 0x7f) return false;
    }
    return QString::fromUtf8(bytes).toUtf8() == bytes;
}

} // namespace

RegFile::RegFile(QByteArray keyPath) : m_keyPath(std::move(keyPath)) {}

RegFile RegFile::parse(QByteArrayView data, QByteArray keyPath)
{
    RegFile file(std::move(keyPath));
    if (data.startsWith(kBom)) {
        file.m_bom = true;
        data = data.sliced(kBom.size());
    }
    if (data.isEmpty()) return file;

    QList<QByteArrayView> lines;
    for (qsizetype start = 0;;) {
        const qsizetype end = data.indexOf('\n', start);
        if (end < 0) {
            if (start < data.size()) lines.append(data.sliced(start));
            break;
        }
        lines.append(data.sliced(start, end - start));
        start = end + 1;
    }
    file.m_finalNewline = data.endsWith('\n');
    file.m_crlf = !lines.isEmpty() && lines.front().endsWith('\r');

    bool inKey = false;
    for (qsizetype i = 0; i < lines.size();) {
        Entry entry;
        entry.raw = lines[i].toByteArray();
        const QByteArrayView line = lines[i].trimmed();
        ++i;
        if (line.startsWith('[')) {
            entry.isHeader = true;
            inKey = isKeyHeader(line, file.m_keyPath);
            entry.opensKey = inKey;
        } else if (auto nv = splitNameValue(line)) {
            QByteArray valueText = nv->value.toByteArray();
            // A long hex value goes on over lines ending in a backslash, in any key. It is the
            // physical line that must end in one: "41,\\" followed by a blank line ends there.
            if (isHexForm(valueText)) {
                QByteArrayView physical = nv->value;
                while (physical.endsWith('\\')) {
                    valueText.chop(1);
                    if (i >= lines.size()) {
                        entry.danglingContinuation = true;
                        break;
                    }
                    physical = lines[i].trimmed();
                    entry.raw += '\n';
                    entry.raw += lines[i];
                    valueText += physical;
                    ++i;
                }
            }
            if (inKey) {
                entry.inKey = true;
                entry.name = std::move(nv->name);
                entry.value = decodeValue(valueText);
            }
        }
        file.m_entries.append(std::move(entry));
    }
    return file;
}

QByteArray RegFile::toBytes() const
{
    QByteArray out;
    if (m_bom) out += kBom;
    for (qsizetype i = 0; i < m_entries.size(); ++i) {
        const Entry& entry = m_entries[i];
        const bool last = i + 1 == m_entries.size();
        out += entry.raw;
        if (!last || m_finalNewline || m_modified) out += '\n';
        // A continuation cut off by the end of the file would swallow the line we put after it.
        if (entry.danglingContinuation && !last) out += newLine({}) + '\n';
    }
    return out;
}

qsizetype RegFile::lastIndexOf(QByteArrayView name) const
{
    for (qsizetype i = m_entries.size() - 1; i >= 0; --i) {
        if (m_entries[i].inKey && sameName(m_entries[i].name, name)) return i;
    }
    return -1;
}

std::optional<RegValue> RegFile::value(QByteArrayView name) const
{
    const qsizetype i = lastIndexOf(name);
    if (i < 0) return std::nullopt;
    return m_entries[i].value;
}

QByteArray RegFile::newLine(QByteArray text) const
{
    if (m_crlf) text += '\r';
    return text;
}

qsizetype RegFile::insertionPoint(QByteArrayView name)
{
    qsizetype pos = -1;
    for (qsizetype k = 0; k < m_order.size(); ++k) {
        if (sameName(m_order[k], name)) {
            pos = k;
            break;
        }
    }
    if (pos >= 0) {
        for (qsizetype k = pos - 1; k >= 0; --k) {
            const qsizetype at = lastIndexOf(m_order[k]);
            if (at >= 0) return at + 1;
        }
        for (qsizetype k = pos + 1; k < m_order.size(); ++k) {
            for (qsizetype i = 0; i < m_entries.size(); ++i) {
                if (m_entries[i].inKey && sameName(m_entries[i].name, m_order[k])) return i;
            }
        }
    }
    for (qsizetype i = m_entries.size() - 1; i >= 0; --i) {
        if (m_entries[i].inKey || m_entries[i].opensKey) return i + 1;
    }

    // The key is not in the file yet: it gets its section at the end, and a file that was
    // empty gets the header regedit expects.
    if (m_entries.isEmpty()) m_entries.append({.raw = newLine("REGEDIT4")});
    if (!m_entries.back().raw.trimmed().isEmpty() || m_entries.back().danglingContinuation)
        m_entries.append({.raw = newLine({})});
    m_entries.append({.raw = newLine('[' + m_keyPath + ']'), .isHeader = true, .opensKey = true});
    return m_entries.size();
}

void RegFile::setValue(QByteArrayView name, const RegValue& value)
{
    if (value.type == RegValue::Type::Other) return;
    Entry entry{.raw = newLine(formatValueLine(name, value)),
                .inKey = true,
                .name = name.toByteArray(),
                .value = value};
    qsizetype at = lastIndexOf(name);
    if (at >= 0) {
        for (qsizetype i = at - 1; i >= 0; --i) {
            if (m_entries[i].inKey && sameName(m_entries[i].name, name)) {
                m_entries.removeAt(i);
                --at;
            }
        }
        m_entries[at] = std::move(entry);
    } else {
        at = insertionPoint(name);
        m_entries.insert(at, std::move(entry));
    }
    m_modified = true;
}

QByteArray RegFile::formatValueLine(QByteArrayView name, const RegValue& value)
{
    QByteArray line = escapeQuoted(name) + '=';
    switch (value.type) {
    case RegValue::Type::Dword:
        line += "dword:" + QByteArray::number(value.dword, 16).rightJustified(8, '0');
        break;
    case RegValue::Type::String:
        if (quotable(value.string)) {
            line += escapeQuoted(value.string);
        } else {
            line += "hex(1):";
            line += value.string.toHex(',');
        }
        break;
    case RegValue::Type::Other:
        break;
    }
    return line;
}

} // namespace zarvo
