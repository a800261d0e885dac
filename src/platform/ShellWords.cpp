#include "ShellWords.h"

namespace zarvo {

namespace {
bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r';
}
} // namespace

QStringList splitShellWords(const QString& text)
{
    QStringList words;
    QString word;
    bool inWord = false; // '' is a word of its own, so emptiness alone cannot tell
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text.at(i);
        if (isBlank(c)) {
            if (inWord) words.append(word);
            word.clear();
            inWord = false;
            continue;
        }
        inWord = true;
        if (c == u'\\') {
            if (i + 1 >= n) {
                word += c;
            } else if (text.at(i + 1) == u'\n') {
                ++i; // a line continuation joins the lines
            } else {
                word += text.at(++i);
            }
        } else if (c == u'\'') {
            for (++i; i < n && text.at(i) != u'\''; ++i)
                word += text.at(i);
        } else if (c == u'"') {
            for (++i; i < n && text.at(i) != u'"'; ++i) {
                const QChar d = text.at(i);
                if (d == u'\\' && i + 1 < n) {
                    const QChar e = text.at(i + 1);
                    if (e == u'"' || e == u'\\' || e == u'$' || e == u'`') {
                        word += e;
                        ++i;
                        continue;
                    }
                    if (e == u'\n') {
                        ++i;
                        continue;
                    }
                }
                word += d;
            }
        } else {
            word += c;
        }
    }
    if (inWord) words.append(word);
    return words;
}

} // namespace zarvo
