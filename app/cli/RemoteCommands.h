#pragma once

#include "app/cli/ConnectionRows.h"
#include "engine/MibTypes.h"
#include "remote/RemoteAgent.h"

// The engine commands' work on another host's SNMP agent.
namespace wv::cli {

int remoteConnections(const RemoteAgent &agent, bool tcp, bool udp, bool json,
                      const RowOptions &options);
int remoteWalk(const RemoteAgent &agent, const Oid &root, bool json);

} // namespace wv::cli
