#include "NMsmtp.h"

#include "MailMime.h"
#include "NetErrors.h"
#include "core/Clock.h"

#include <QRegularExpression>

namespace zarvo {

namespace {

const QString kAuthFailed = QStringLiteral("Authentication failed");

// A reply without a code is no acceptance: a server that answers with noise must not make a
// mail count as delivered.
bool refused(int code, int limit)
{
    return code == 0 || code >= limit;
}

} // namespace

TNMSMTP::TNMSMTP(QObject* parent) : TPowersock(parent)
{
    Port = 25;
}

void TNMSMTP::TimeOutHook()
{
    if (m_canceled || !m_connected) return;
    if (m_busy)
        Cancel();
    else
        closeAndEmpty();
}

QString TNMSMTP::skipContinuation(QString line, QStringList* lines)
{
    // One bound for the whole reply, however many lines it has.
    const QDeadlineTimer until = ioBound();
    if (lines) *lines << line;
    while (line.startsWith(QLatin1Char(' ')) || (line.size() >= 4 && line[3] == QLatin1Char('-'))) {
        line = readLine(until);
        if (lines) *lines << line;
    }
    return line;
}

SmtpExtensions SmtpExtensions::parse(const QStringList& lines)
{
    SmtpExtensions e;
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QString text = lines[i].mid(4).trimmed().toUpper();
        const QStringList words = text.split(QLatin1Char(' '), Qt::SkipEmptyParts);
        if (words.isEmpty()) continue;
        if (words[0] == QLatin1String("STARTTLS")) e.startTls = true;
        if (words[0] == QLatin1String("8BITMIME")) e.eightBitMime = true;
        // Older servers write "AUTH=PLAIN LOGIN".
        QStringList mechanisms;
        if (words[0] == QLatin1String("AUTH")) mechanisms = words.mid(1);
        if (words[0].startsWith(QLatin1String("AUTH=")))
            mechanisms = QStringList{words[0].mid(5)} + words.mid(1);
        if (mechanisms.contains(QLatin1String("PLAIN"))) e.authPlain = true;
        if (mechanisms.contains(QLatin1String("LOGIN"))) e.authLogin = true;
    }
    return e;
}

QStringList TNMSMTP::greet(const QString& verb)
{
    for (int refusals = 0;;) {
        Transaction(verb + singleLine(UserID));
        const int code = ReplyNumber();
        QStringList lines;
        skipContinuation(TransactionReply(), &lines);
        if (!refused(code, 300)) return lines;
        if (refusals == 0 && OnAuthenticationFailed) {
            ++refusals;
            bool handled = false;
            OnAuthenticationFailed(handled);
            if (handled) continue;
        }
        throw NetException(kAuthFailed);
    }
}

void TNMSMTP::secureAndLogIn()
{
    m_extensions = SmtpExtensions::parse(greet(QStringLiteral("EHLO ")));
    if (Security == TlsMode::StartTls) {
        // Asked for, never skipped: without it nothing of the mail, and no password, is sent.
        if (!m_extensions.startTls) tlsFailure(QStringLiteral("the server does not offer STARTTLS"));
        Transaction(QStringLiteral("STARTTLS"));
        const int code = ReplyNumber();
        skipContinuation(TransactionReply());
        if (code != 220)
            tlsFailure(QStringLiteral("the server refused STARTTLS: ") + singleLine(TransactionReply()));
        StartTls();
        // What the server offered in plain text may have been changed on the way.
        m_extensions = SmtpExtensions::parse(greet(QStringLiteral("EHLO ")));
    }
    if (Authenticate) logIn();
}

void TNMSMTP::logIn()
{
    // The values go in base64, so nothing in them can end a command line; a NUL would move the
    // boundary between the name and the password.
    const QByteArray user = singleLine(UserID).toUtf8();
    const QByteArray password = singleLine(Password).toUtf8();
    auto step = [this](const QString& line, int wanted) {
        Transaction(line);
        const int code = ReplyNumber();
        skipContinuation(TransactionReply());
        if (code != wanted) throw NetException(kAuthFailed);
    };
    if (m_extensions.authPlain) {
        step(QStringLiteral("AUTH PLAIN ") + QString::fromLatin1(('\0' + user + '\0' + password).toBase64()),
             235);
    } else if (m_extensions.authLogin) {
        step(QStringLiteral("AUTH LOGIN"), 334);
        step(QString::fromLatin1(user.toBase64()), 334);
        step(QString::fromLatin1(password.toBase64()), 235);
    } else {
        throw NetException(kAuthFailed);
    }
}

void TNMSMTP::refuseAtOrAbove(int limit)
{
    if (refused(ReplyNumber(), limit)) throw NetException(TransactionReply());
}

void TNMSMTP::Connect()
{
    const bool wasBusy = m_busy;
    m_busy = true;
    bool heloDone = false;
    auto finish = [&] {
        if (!wasBusy) m_busy = false;
        if (heloDone && OnConnect) OnConnect(this);
    };
    try {
        connectWithDialogue([&] {
            const QString greeting = ReadLn();
            const int code = replyNumberOf(greeting);
            skipContinuation(greeting);
            if (refused(code, 400)) throw NetException(greeting);
            m_extensions = {};
            if (Security == TlsMode::None && !Authenticate)
                greet(QStringLiteral("HELO "));
            else
                secureAndLogIn();
            heloDone = true;
        });
    } catch (...) {
        finish();
        throw;
    }
    finish();
}

QString TNMSMTP::extractAddress(const QString& text)
{
    // Only the entry's first line is taken apart: whatever follows a line break is not part of
    // the address typed, and must not reach the envelope in its place.
    const auto isBreak = [](QChar c) { return c == QLatin1Char('\r') || c == QLatin1Char('\n'); };
    qsizetype from = 0;
    while (from < text.size() && isBreak(text[from]))
        ++from;
    qsizetype to = from;
    while (to < text.size() && !isBreak(text[to]))
        ++to;
    const QString entry = singleLine(text.mid(from, to - from));

    const qsizetype lt = entry.indexOf(QLatin1Char('<'));
    if (lt >= 0) {
        QString a = entry.mid(lt + 1);
        const qsizetype next = a.indexOf(QLatin1Char('<'));
        if (next >= 0) a.truncate(next);
        const qsizetype gt = a.indexOf(QLatin1Char('>'));
        if (gt >= 0) a.truncate(gt);
        return a;
    }
    if (!entry.contains(QLatin1Char(':'))) return entry;
    return entry.section(QLatin1Char(':'), 1, 1);
}

QByteArray TNMSMTP::bodyStream(const QStringList& body, BodyEncoding encoding)
{
    // Every line, also those inside one entry, ends in CR LF and is dot-stuffed, so no text can
    // end the message before its final "." or leave a bare line end the server may refuse.
    QByteArray out;
    auto put = [&out](const QByteArray& line) {
        if (line.startsWith('.')) out += '.';
        out += line;
        out += "\r\n";
    };
    for (const QString& entry : body) {
        QString text = entry;
        text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"))
            .replace(QLatin1Char('\r'), QLatin1Char('\n'));
        for (const QString& rawLine : text.split(QLatin1Char('\n'))) {
            const QByteArray line = singleLine(rawLine).toUtf8();
            if (encoding != BodyEncoding::QuotedPrintable) {
                put(line);
                continue;
            }
            for (const QByteArray& piece : mime::quotedPrintable(line))
                put(piece);
        }
    }
    return out;
}

BodyEncoding TNMSMTP::bodyEncodingFor(const QStringList& body, bool eightBitMime)
{
    bool ascii = true;
    bool shortLines = true;
    for (const QString& entry : body) {
        if (!mime::isAscii(entry)) ascii = false;
        for (const QString& line : entry.split(QRegularExpression(QStringLiteral("\r\n|\r|\n"))))
            if (line.toUtf8().size() > 998) shortLines = false;
    }
    if (ascii) return BodyEncoding::Ascii;
    // 8-bit text is still bound to lines of 998 bytes.
    return eightBitMime && shortLines ? BodyEncoding::EightBit : BodyEncoding::QuotedPrintable;
}

void TNMSMTP::buildHeader()
{
    // Header values come from settings and events: a line break in one must not start a header
    // line of its own.
    const QChar space(QLatin1Char(' '));
    auto joined = [&](const QStringList& list) {
        QStringList clean;
        for (const QString& e : list)
            clean << mime::headerAddress(singleLine(e, space));
        return clean.join(QLatin1Char(','));
    };
    FinalHeader.clear();
    FinalHeader << QStringLiteral("From: ") + mime::encodedWords(singleLine(PostMessage.FromName, space)) +
                       QLatin1Char('<') + singleLine(PostMessage.FromAddress) + QLatin1Char('>');
    if (!PostMessage.ToAddress.isEmpty())
        FinalHeader << QStringLiteral("To: ") + joined(PostMessage.ToAddress);
    if (!PostMessage.ToCarbonCopy.isEmpty())
        FinalHeader << QStringLiteral("CC: ") + joined(PostMessage.ToCarbonCopy);
    FinalHeader.setValue(QStringLiteral("Subject"),
                         mime::encodedWords(singleLine(PostMessage.Subject, space)));
    FinalHeader.setValue(QStringLiteral("X-Mailer"), singleLine(PostMessage.LocalProgram, space));
    FinalHeader.setValue(QStringLiteral("Reply-To"), singleLine(PostMessage.ReplyTo, space));
    FinalHeader.setValue(QStringLiteral("Date"), singleLine(PostMessage.Date, space));
    FinalHeader << QStringLiteral("Mime-Version: 1.0");
    m_encoding = bodyEncodingFor(PostMessage.Body, m_extensions.eightBitMime);
    if (m_encoding == BodyEncoding::Ascii) {
        FinalHeader << QStringLiteral("Content-Type: text/plain;                        charset=us-ascii");
    } else {
        FinalHeader << QStringLiteral("Content-Type: text/plain; charset=utf-8");
        FinalHeader << (m_encoding == BodyEncoding::EightBit
                            ? QStringLiteral("Content-Transfer-Encoding: 8bit")
                            : QStringLiteral("Content-Transfer-Encoding: quoted-printable"));
    }
    // Every message says when it was written and carries a name of its own (RFC 5322).
    if (PostMessage.Date.isEmpty())
        FinalHeader << QStringLiteral("Date: ") +
                           mime::dateValue(Clock ? Clock->now() : QDateTime::currentDateTime());
    FinalHeader << QStringLiteral("Message-ID: ") + mime::messageId(PostMessage.FromAddress);
}

void TNMSMTP::SendMail()
{
    if (m_busy) return;
    m_busy = true;
    bool delivered = false;
    try {
        buildHeader();
        const QByteArray body = bodyStream(PostMessage.Body, m_encoding);

        for (bool asked = false; !m_connected;) {
            if (asked || !OnConnectionRequired) throw NetException(QStringLiteral("Not Connected"));
            asked = true;
            bool handled = false;
            OnConnectionRequired(handled);
            if (!handled) throw NetException(QStringLiteral("Not Connected"));
        }
        for (bool asked = false;;) {
            const bool anyRecipient = !PostMessage.ToAddress.isEmpty() ||
                                      !PostMessage.ToCarbonCopy.isEmpty() ||
                                      !PostMessage.ToBlindCarbonCopy.isEmpty();
            if (!PostMessage.FromAddress.isEmpty() && anyRecipient) break;
            if (asked || !OnHeaderIncomplete) throw NetException(QStringLiteral("Incomplete Header"));
            asked = true;
            bool handled = false;
            OnHeaderIncomplete(handled, PostMessage.FromAddress.isEmpty() ? 1 : 2);
            if (!handled) throw NetException(QStringLiteral("Incomplete Header"));
            buildHeader();
        }

        if (OnSendStart) OnSendStart(this);
        Transaction(QStringLiteral("RSET"));
        refuseAtOrAbove(400);
        // 8-bit text is announced where the server offered to take it (RFC 6152).
        Transaction(QStringLiteral("MAIL FROM:<") + singleLine(PostMessage.FromAddress) + QLatin1Char('>') +
                    (m_encoding == BodyEncoding::EightBit ? QStringLiteral(" BODY=8BITMIME") : QString()));
        refuseAtOrAbove(400);
        for (const QStringList* list :
             {&PostMessage.ToAddress, &PostMessage.ToCarbonCopy, &PostMessage.ToBlindCarbonCopy}) {
            for (const QString& entry : *list) {
                const QString address = extractAddress(entry);
                if (address.isEmpty()) continue;
                Transaction(QStringLiteral("RCPT TO:<") + address + QLatin1Char('>'));
                if (ReplyNumber() > 300 && OnRecipientNotFound) OnRecipientNotFound(address);
            }
        }
        Transaction(QStringLiteral("DATA"));
        refuseAtOrAbove(400);

        QString head;
        for (const QString& line : FinalHeader)
            head += line + QStringLiteral("\r\n");
        Write(head + QStringLiteral("\r\n\r\n"));
        SendStream(body);
        Transaction(QStringLiteral("."));
        if (refused(ReplyNumber(), 400)) {
            if (OnFailure) OnFailure(this);
            throw NetException(TransactionReply());
        }
        delivered = true;
        if (ClearParams) {
            PostMessage.ToAddress.clear();
            PostMessage.ToCarbonCopy.clear();
            PostMessage.ToBlindCarbonCopy.clear();
            PostMessage.Attachments.clear();
        }
    } catch (...) {
        m_busy = false;
        throw;
    }
    m_busy = false;
    if (delivered && OnSuccess) OnSuccess(this);
}

void TNMSMTP::Disconnect()
{
    m_canceled = false;
    try {
        Transaction(QStringLiteral("QUIT"));
    } catch (...) {
        TPowersock::Disconnect();
        throw;
    }
    TPowersock::Disconnect();
    refuseAtOrAbove(340);
}

} // namespace zarvo
