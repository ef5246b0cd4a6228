#include "engine/DiscoverySettings.h"

TIPDiscoverySettings IPDiscovery;
