#include "model/DiscoverySettings.h"

TIPDiscoverySettings IPDiscovery;
