#pragma once

#include <QString>

#include <stdexcept>

namespace wv {

// The fixed messages of the connection engine.
namespace msg {
inline constexpr const char *WinsockStartup = "Failed to initialize Windows Sockets library.";
inline constexpr const char *AgentNotAvailable = "SNMP extension agent library is not available.";
inline constexpr const char *AgentInit = "Error initializing SNMP extension agent.";
inline constexpr const char *Resources = "Error allocating required resources";
inline constexpr const char *QueryFailed = "SNMP query failed.";
inline constexpr const char *UnexpectedEnd = "Unexpected end of query results encountered.";
inline constexpr const char *UnexpectedType = "Unexpected result type";
inline constexpr const char *LockFailure = "Connection list lock failure";
inline constexpr const char *UnlockFailure = "Connection list unlock failure";
inline constexpr const char *NotInThisState =
    "Requested operation is not supported in the current state.";
} // namespace msg

// An exception that carries one message.
class EngineException : public std::runtime_error
{
public:
    explicit EngineException(const QString &message)
        : std::runtime_error(message.toStdString()), m_message(message)
    {
    }
    QString Message() const { return m_message; }

private:
    QString m_message;
};

class EConnListError : public EngineException
{
public:
    using EngineException::EngineException;
};

class EConnListLockError : public EConnListError
{
public:
    using EConnListError::EConnListError;
};

class EConnListUnlockError : public EConnListError
{
public:
    using EConnListError::EConnListError;
};

class EConnListRefreshError : public EConnListError
{
public:
    using EConnListError::EConnListError;
};

class ENetstatError : public EngineException
{
public:
    using EngineException::EngineException;
};

// An index outside a list's bounds.
class EListError : public EngineException
{
public:
    explicit EListError(qsizetype index)
        : EngineException(QStringLiteral("List index out of bounds (%1)").arg(index))
    {
    }
};

} // namespace wv
