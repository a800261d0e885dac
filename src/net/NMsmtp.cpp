#include "NMsmtp.h"

#include "NetErrors.h"

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

QString TNMSMTP::skipContinuation(QString line)
{
    // One bound for the whole reply, however many lines it has.
    const QDeadlineTimer until = ioBound();
    while (line.startsWith(QLatin1Char(' ')) || (line.size() >= 4 && line[3] == QLatin1Char('-')))
        line = readLine(until);
    return line;
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
            for (int refusals = 0;;) {
                Transaction(QStringLiteral("HELO ") + singleLine(UserID));
                const int helo = ReplyNumber();
                skipContinuation(TransactionReply());
                if (!refused(helo, 300)) break;
                if (refusals == 0 && OnAuthenticationFailed) {
                    ++refusals;
                    bool handled = false;
                    OnAuthenticationFailed(handled);
                    if (handled) continue;
                }
                throw NetException(kAuthFailed);
            }
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

QByteArray TNMSMTP::bodyStream(const QStringList& body)
{
    // Every line, also those inside one entry, ends in CR LF and is dot-stuffed, so no text can
    // end the message before its final "." or leave a bare line end the server may refuse.
    QByteArray out;
    for (const QString& entry : body) {
        QString text = entry;
        text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"))
            .replace(QLatin1Char('\r'), QLatin1Char('\n'));
        for (const QString& rawLine : text.split(QLatin1Char('\n'))) {
            const QString line = singleLine(rawLine);
            if (line.startsWith(QLatin1Char('.'))) out += '.';
            out += line.toUtf8();
            out += "\r\n";
        }
    }
    return out;
}

void TNMSMTP::buildHeader()
{
    // Header values come from settings and events: a line break in one must not start a header
    // line of its own.
    const QChar space(QLatin1Char(' '));
    auto joined = [&](const QStringList& list) {
        QStringList clean;
        for (const QString& e : list)
            clean << singleLine(e, space);
        return clean.join(QLatin1Char(','));
    };
    FinalHeader.clear();
    FinalHeader << QStringLiteral("From: ") + singleLine(PostMessage.FromName, space) + QLatin1Char('<') +
                       singleLine(PostMessage.FromAddress) + QLatin1Char('>');
    if (!PostMessage.ToAddress.isEmpty())
        FinalHeader << QStringLiteral("To: ") + joined(PostMessage.ToAddress);
    if (!PostMessage.ToCarbonCopy.isEmpty())
        FinalHeader << QStringLiteral("CC: ") + joined(PostMessage.ToCarbonCopy);
    FinalHeader.setValue(QStringLiteral("Subject"), singleLine(PostMessage.Subject, space));
    FinalHeader.setValue(QStringLiteral("X-Mailer"), singleLine(PostMessage.LocalProgram, space));
    FinalHeader.setValue(QStringLiteral("Reply-To"), singleLine(PostMessage.ReplyTo, space));
    FinalHeader.setValue(QStringLiteral("Date"), singleLine(PostMessage.Date, space));
    FinalHeader << QStringLiteral("Mime-Version: 1.0");
    FinalHeader << QStringLiteral("Content-Type: text/plain;                        charset=us-ascii");
}

void TNMSMTP::SendMail()
{
    if (m_busy) return;
    m_busy = true;
    bool delivered = false;
    try {
        buildHeader();
        const QByteArray body = bodyStream(PostMessage.Body);

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
        Transaction(QStringLiteral("MAIL FROM:<") + singleLine(PostMessage.FromAddress) + QLatin1Char('>'));
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
