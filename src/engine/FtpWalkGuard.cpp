#include "engine/FtpWalkGuard.h"

#include <QCryptographicHash>
#include <algorithm>

bool FtpWalkGuard::enter(const std::vector<FtpListEntry>& entries)
{
    QByteArray print;
    if (entries.size() >= 2) {
        print = fingerprint(entries);
        if (std::find(m_ancestors.begin(), m_ancestors.end(), print) != m_ancestors.end())
            return false;
    }
    m_ancestors.push_back(print);
    return true;
}

void FtpWalkGuard::leave()
{
    if (!m_ancestors.empty())
        m_ancestors.pop_back();
}

bool FtpWalkGuard::shouldWalk(const FtpListEntry& entry)
{
    if (!entry.isDirectory || entry.isSymlink)
        return false;
    // The folder being listed is at depth m_ancestors.size() - 1; its subfolder one deeper.
    if (static_cast<int>(m_ancestors.size()) >= kMaxDepth)
        return false;
    if (!entry.uniqueId.isEmpty()) {
        if (m_walkedIds.contains(entry.uniqueId))
            return false;
        m_walkedIds.insert(entry.uniqueId);
    }
    return true;
}

QByteArray FtpWalkGuard::fingerprint(const std::vector<FtpListEntry>& entries)
{
    QCryptographicHash hash(QCryptographicHash::Sha1);
    for (const FtpListEntry& entry : entries) {
        const QByteArray name = entry.name.toUtf8();
        const char flags = static_cast<char>((entry.isDirectory ? 1 : 0) | (entry.isSymlink ? 2 : 0));
        hash.addData(QByteArray::number(name.size()));
        hash.addData(name);
        hash.addData(QByteArrayView(&flags, 1));
        hash.addData(QByteArrayView(reinterpret_cast<const char*>(&entry.size), sizeof entry.size));
        hash.addData(QByteArrayView(reinterpret_cast<const char*>(&entry.dateTime), sizeof entry.dateTime));
    }
    return hash.result();
}
