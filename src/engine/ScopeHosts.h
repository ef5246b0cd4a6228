#pragma once

#include "engine/ScopeTree.h"
#include "engine/ports/HostDiscovery.h"

// Puts the computers multicast discovery found into the scope browser's map, so
// that it shows one host list: a computer the map already holds (same name, or
// same address) gains the new sources in its tool tip; any other is added below
// the node of its workgroup or domain (found by caption anywhere in the map, made
// below the top when missing) or below the top when its group is unknown. Nodes
// made here carry kDiscoveryProvider in their resource, so that a search below
// them does not ask the NetBIOS browse for them.
void AddDiscoveredHosts(TScopeNode& top, const std::vector<TFoundHost>& hosts);

// Removes the computer nodes only multicast discovery made whose remote name is
// "\\" + address (a computer that said it leaves).
void RemoveDiscoveredHost(TScopeNode& top, const QString& address);

// The tool tip of a computer's node: "<address> — found by <sources>".
QString ScopeHostToolTip(const QString& address, uint8_t sources);
