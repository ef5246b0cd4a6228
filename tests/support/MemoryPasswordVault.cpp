#include "support/MemoryPasswordVault.h"

namespace {

TVaultReply Failure(const char* why)
{
    TVaultReply reply;
    reply.Error = QString::fromLatin1(why);
    return reply;
}

TVaultReply Outcome(TVaultReply::TStatus status, const QString& password = {})
{
    TVaultReply reply;
    reply.Status = status;
    reply.Password = password;
    return reply;
}

} // namespace

bool MemoryPasswordVault::Answers()
{
    ++probes;
    return answers;
}

TVaultReply MemoryPasswordVault::Read(const QString& key)
{
    ++reads;
    if (!answers)
        return Failure("test vault does not answer");
    const auto entry = entries.constFind(key);
    if (entry == entries.cend())
        return Outcome(TVaultReply::TStatus::NotFound);
    return Outcome(TVaultReply::TStatus::Done, *entry);
}

TVaultReply MemoryPasswordVault::Write(const QString& key, const QString& password)
{
    ++writes;
    if (!answers || refuseWrites)
        return Failure("test vault refuses the write");
    entries.insert(key, password);
    return Outcome(TVaultReply::TStatus::Done);
}

TVaultReply MemoryPasswordVault::Remove(const QString& key)
{
    ++removes;
    if (!answers)
        return Failure("test vault does not answer");
    return Outcome(entries.remove(key) > 0 ? TVaultReply::TStatus::Done : TVaultReply::TStatus::NotFound);
}
