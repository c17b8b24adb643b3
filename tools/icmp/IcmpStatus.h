#pragma once

#include <QString>

#include <stdexcept>

namespace wv {

// Status values the ICMP components report besides the IP status values of
// an echo (0 success, 11001..11050).
namespace IcmpStatus {
constexpr qint32 Success = 0;
constexpr qint32 NoHandle = qint32(0x80000100u);      // no ICMP socket, or ICMP unavailable
constexpr qint32 Stopped = qint32(0x80000103u);       // the task was stopped by the user
constexpr qint32 InProgress = qint32(0x80000104u);    // a task was started while one runs
constexpr qint32 LookupRunning = qint32(0x80000000u); // a host lookup was started while one runs
constexpr qint32 LookupCancelled = qint32(0x80000001u);
constexpr qint32 NoAddress = qint32(0x80000002u);

constexpr qint32 BufferTooSmall = 11001;
constexpr qint32 DestNetUnreachable = 11002;
constexpr qint32 DestHostUnreachable = 11003;
constexpr qint32 DestProtocolUnreachable = 11004;
constexpr qint32 DestPortUnreachable = 11005;
constexpr qint32 NoResources = 11006;
constexpr qint32 PacketTooBig = 11009;
constexpr qint32 TimedOut = 11010;
constexpr qint32 BadRoute = 11012;
constexpr qint32 TtlExpiredTransit = 11013;
constexpr qint32 TtlExpiredReassembly = 11014;
constexpr qint32 ParameterProblem = 11015;
constexpr qint32 SourceQuench = 11016;
constexpr qint32 GeneralFailure = 11050;
} // namespace IcmpStatus

// Sockets error codes the components use for their own failures.
namespace SocketError {
constexpr int NoDescriptors = 10024;
constexpr int NoBufferSpace = 10055;
constexpr int HostNotFound = 11001;
constexpr int TryAgain = 11002;
constexpr int NoRecovery = 11003;
constexpr int NoData = 11004;
} // namespace SocketError

// The text of an IP status value; empty for a value the table lacks.
QString IcmpStatusText(qint32 status);
// The text of a sockets error code; empty for a code the table lacks.
QString SocketErrorText(int code);

// Whether a status ends a trace early: the destination cannot be reached at
// any time-to-live.
bool IsUnreachableStatus(qint32 status);

// What an ICMP component throws when nobody handles its OnError event.
class EPingError : public std::runtime_error
{
public:
    EPingError(qint32 code, const QString &message);
    qint32 code() const { return m_code; }

private:
    qint32 m_code;
};

} // namespace wv
