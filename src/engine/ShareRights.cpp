#include "engine/ShareRights.h"

QString ShareRightsText(TShareRights rights)
{
    switch (rights) {
    case TShareRights::None:
        return QStringLiteral("NO ACCESS");
    case TShareRights::Read:
        return QStringLiteral("READ");
    case TShareRights::ReadWrite:
        return QStringLiteral("READ/WRITE");
    }
    return {};
}
