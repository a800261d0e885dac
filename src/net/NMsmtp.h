#pragma once

#include "NMExtstr.h"
#include "Powersock.h"

namespace zarvo {

class IClock;

// What a server's EHLO reply offers, of what the sender uses.
struct SmtpExtensions
{
    bool startTls = false;
    bool eightBitMime = false;
    bool authPlain = false;
    bool authLogin = false;
    // From the reply's lines (the first, the server's name, included).
    static SmtpExtensions parse(const QStringList& lines);
};

// How the body goes on the wire.
enum class BodyEncoding
{
    Ascii,          // as typed, under the us-ascii label
    EightBit,       // UTF-8 as it is, where the server takes 8-bit text
    QuotedPrintable // UTF-8 in 7-bit lines
};

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
// (envelope, header, body) and Disconnect ("QUIT"). With security or authentication the opening
// is "EHLO " instead, then STARTTLS and "EHLO " again (RFC 3207) and AUTH PLAIN or LOGIN
// (RFC 4954) as asked; the password never goes over a connection that was to be secured and
// is not.
class TNMSMTP : public TPowersock
{
    Q_OBJECT
public:
    explicit TNMSMTP(QObject* parent = nullptr);

    QString UserID;   // the argument of "HELO " and the log-in name
    QString Password; // for Authenticate
    bool Authenticate = false;
    const IClock* Clock = nullptr; // the "Date:" of a message; the system's clock when none
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
    static QByteArray bodyStream(const QStringList& body, BodyEncoding encoding = BodyEncoding::Ascii);
    // How a body goes to a server that does or does not take 8-bit text.
    static BodyEncoding bodyEncodingFor(const QStringList& body, bool eightBitMime);
    void buildHeader();
    // What the server's last EHLO reply offered (nothing after HELO).
    const SmtpExtensions& Extensions() const { return m_extensions; }

protected:
    void TimeOutHook() override;
    void AbortAction() override { closeAndEmpty(); }

private:
    QString skipContinuation(QString line, QStringList* lines = nullptr);
    void refuseAtOrAbove(int limit);
    // "HELO " or "EHLO " with the user name, asking OnAuthenticationFailed once on a refusal.
    QStringList greet(const QString& verb);
    void secureAndLogIn();
    void logIn();
    bool m_busy = false;
    SmtpExtensions m_extensions;
    BodyEncoding m_encoding = BodyEncoding::Ascii;
};

} // namespace zarvo
