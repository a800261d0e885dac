#pragma once

#include "NMExtstr.h"
#include "Powersock.h"

namespace zarvo {

// The message the mail sender delivers. The program sets only FromAddress, ToAddress, Body,
// Subject and LocalProgram; the rest stay empty.
struct TPostMessage
{
    QString FromName;
    QString FromAddress;
    QStringList ToAddress;
    QStringList ToCarbonCopy;
    QStringList ToBlindCarbonCopy;
    QStringList Body;
    QStringList Attachments; // never sent: the sender writes plain text only
    QString Subject;
    QString LocalProgram;
    QString ReplyTo;
    QString Date;
};

// Delivers one plain-text message through an SMTP server: Connect (greeting, "HELO "), SendMail
// (envelope, header, body) and Disconnect ("QUIT").
class TNMSMTP : public TPowersock
{
    Q_OBJECT
public:
    explicit TNMSMTP(QObject* parent = nullptr);

    QString UserID; // the argument of "HELO "
    TPostMessage PostMessage;
    TExStringList FinalHeader;
    bool ClearParams = true;

    std::function<void(TNMSMTP*)> OnConnect;
    std::function<void(bool& handled)> OnConnectionRequired;
    std::function<void(bool& handled, int missing)> OnHeaderIncomplete;
    std::function<void(TNMSMTP*)> OnSendStart;
    std::function<void(TNMSMTP*)> OnSuccess;
    std::function<void(TNMSMTP*)> OnFailure;
    std::function<void(const QString& address)> OnRecipientNotFound;
    std::function<void(bool& handled)> OnAuthenticationFailed;

    void Connect() override;
    void SendMail();
    void Disconnect() override;

    // The envelope address of one recipient entry, taken from its first line: the bracketed
    // part, else the part after a scheme and ":", else the whole line.
    static QString extractAddress(const QString& entry);
    // The body as it goes on the wire: every line ended by CR LF and dot-stuffed.
    static QByteArray bodyStream(const QStringList& body);
    void buildHeader();

protected:
    void TimeOutHook() override;
    void AbortAction() override { closeAndEmpty(); }

private:
    QString skipContinuation(QString line);
    void refuseAtOrAbove(int limit);
    bool m_busy = false;
};

} // namespace zarvo
