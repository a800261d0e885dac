#pragma once

#include "net/NetErrors.h"

#include <QElapsedTimer>
#include <QString>

#include <functional>
#include <typeinfo>

// What an operation failed with: "<class>|<message>", or "" when it succeeded.
inline QString failureOf(const std::function<void()>& op)
{
    try {
        op();
    } catch (const zarvo::EAbortError& e) {
        return QStringLiteral("EAbortError|") + e.message();
    } catch (const zarvo::ESockError& e) {
        return QStringLiteral("ESockError|") + e.message();
    } catch (const zarvo::NetException& e) {
        return QStringLiteral("general|") + e.message();
    }
    return {};
}

// As failureOf, and how long the operation took.
inline QString timedFailureOf(const std::function<void()>& op, qint64& elapsedMs)
{
    QElapsedTimer t;
    t.start();
    const QString f = failureOf(op);
    elapsedMs = t.elapsed();
    return f;
}
