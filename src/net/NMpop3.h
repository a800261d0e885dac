#pragma once

#include "Powersock.h"

namespace zarvo {

// Asks a POP3 mailbox for its message count: greeting, USER, PASS, STAT, and QUIT on Disconnect.
// Messages are never listed, retrieved or deleted. With StartTls security, STLS comes between
// the greeting and USER (RFC 2595); with Implicit, the whole dialogue is encrypted.
class TNMPOP3 : public TPowersock
{
    Q_OBJECT
public:
    explicit TNMPOP3(QObject* parent = nullptr);

    QString UserID;
    QString Password;
    int MailCount = 0; // from the last accepted STAT; a failed check leaves it alone

    // The log-in event: fires as Connect ends once the log-in has succeeded, also when STAT
    // was refused afterwards.
    std::function<void(TNMPOP3*)> OnConnect;
    std::function<void(bool& handled)> OnAuthenticationNeeded;
    std::function<void(bool& handled)> OnAuthenticationFailed;

    void Connect() override;
    void Disconnect() override;

    // A reply is accepted when its first space-separated field contains "+OK".
    static bool accepted(const QString& reply);
    // The count of a STAT reply; 0 when its second field is not a number that fits.
    static int statCount(const QString& reply);

protected:
    void TimeOutHook() override;
    void AbortAction() override { closeAndEmpty(); }

private:
    void logIn();
    bool m_busy = false;
};

} // namespace zarvo
