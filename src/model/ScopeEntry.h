#pragma once

#include <QString>
#include <cstdint>

// Entries of the scope list (computer names, masks and IP ranges) and of the account
// list as the dialogs build them from what the user typed.

// A name in UNC form: two backslashes are put in front unless it already starts with
// them ("server" -> "\\server", "*" -> "\\*", "\\server\share" unchanged).
QString WithUncPrefix(const QString& name);

// A computer name or mask typed, loaded or copied into the scope list: in UNC form
// and in upper case ("pc1" -> "\\PC1").
QString ComputerListEntry(const QString& name);

// The text of a range entry, "192.168.1.1 - 192.168.1.50", from two addresses in host
// order (first field in the most significant byte), written in the order given.
QString IpRangeEntry(uint32_t fromHostOrder, uint32_t toHostOrder);

// The block of addresses an interface belongs to, network and broadcast address
// included, in host order. address and mask are in network order. A mask of n one
// bits spans 2^(32-n) addresses starting at address AND mask; a full mask gives the
// address alone and an empty mask 0.0.0.0 alone (rather than the whole address space).
struct TAddressBlock {
    uint32_t First = 0;
    uint32_t Last = 0;
};
TAddressBlock InterfaceAddressBlock(uint32_t addressNetworkOrder, uint32_t maskNetworkOrder);
