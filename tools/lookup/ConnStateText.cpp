#include "tools/lookup/ConnStateText.h"

namespace wv {

QString ConnStateDescription(int stateCode)
{
    static const char *const texts[] = {
        "The connection is disconnected and not being used",
        "Your computer is waiting for an incoming connection",
        "Actively trying to establish connection",
        "Initial synchronization of the connection under way, about to connect",
        "Connection has been established, connection is active",
        "Socket closed, shutting down connection",
        "Socket closed, waiting for shutdown from other computer",
        "Remote shut down: waiting for the socket to close",
        "Remote shut down, then closed: awaiting acknowledgement",
        "Closed, then remote shutdown: awaiting ack. Attempting to shut down connection",
        "Wait after close for remote shutdown retransmission",
        "TCP connection control block discarded",
    };
    if (stateCode < 1 || stateCode > 12)
        return QString();
    return QString::fromLatin1(texts[stateCode - 1]);
}

} // namespace wv
