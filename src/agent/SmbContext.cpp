#include "agent/SmbContext.h"

#include "model/Error.h"

#include <QtGlobal>
#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

namespace {

void copyField(char* out, int capacity, const std::string& value)
{
    if (capacity <= 0)
        return;
    size_t length = std::min(value.size(), size_t(capacity - 1));
    std::memcpy(out, value.data(), length);
    out[length] = '\0';
}

std::string lowered(const char* text)
{
    std::string value = text ? text : "";
    std::transform(value.begin(), value.end(), value.begin(),
                   [](unsigned char c) { return char(std::tolower(c)); });
    return value;
}

} // namespace

SmbContext::SmbContext(bool browse, int requestTimeoutMs)
{
    m_context = smbc_new_context();
    if (!m_context)
        throw std::runtime_error("smbc_new_context failed");

    smbc_setDebug(m_context, qEnvironmentVariableIntValue("KESTROVA_SMB_DEBUG"));
    // The default debug sink is stdout; keep it off the protocol stream.
    smbc_setOptionDebugToStderr(m_context, 1);
    smbc_setOptionUserData(m_context, this);
    smbc_setFunctionAuthDataWithContext(m_context, &SmbContext::authCallback);
    smbc_setOptionUseKerberos(m_context, 0);
    smbc_setOptionFallbackAfterKerberos(m_context, 1);
    smbc_setOptionUseCCache(m_context, 0);
    // Without this a refused password on a share that admits guests silently
    // becomes a guest logon; anonymous logons are made on purpose (empty user).
    smbc_setOptionNoAutoAnonymousLogin(m_context, 1);
    // Otherwise a share list tries port 139 first, and a dead host costs twice.
    // Browsing relies on NetBIOS name services, so a browse agent keeps the
    // library's default ports.
    if (!browse)
        smbc_setPort(m_context, 445);
    smbc_setTimeout(m_context, requestTimeoutMs);
    if (browse)
        smbc_setOptionProtocols(m_context, "NT1", "NT1");

    if (!smbc_init_context(m_context)) {
        int error = errno;
        smbc_free_context(m_context, 1);
        m_context = nullptr;
        throw std::runtime_error("smbc_init_context failed: " + ErrnoText(error).toStdString());
    }
    smbc_set_context(m_context);
}

SmbContext::~SmbContext()
{
    if (m_context)
        smbc_free_context(m_context, 1);
}

SmbContext::Key SmbContext::makeKey(const std::string& server, const std::string& share)
{
    return {lowered(server.c_str()), lowered(share.c_str())};
}

std::pair<bool, SmbContext::Credentials> SmbContext::setCredentials(const std::string& server,
                                                                    const std::string& share,
                                                                    const Credentials& credentials)
{
    Key key = makeKey(server, share);
    std::pair<bool, Credentials> previous{false, {}};
    if (auto found = m_credentials.find(key); found != m_credentials.end())
        previous = {true, found->second};
    m_credentials[key] = credentials;
    return previous;
}

void SmbContext::restoreCredentials(const std::string& server, const std::string& share,
                                    const std::pair<bool, Credentials>& previous)
{
    if (previous.first)
        m_credentials[makeKey(server, share)] = previous.second;
    else
        m_credentials.erase(makeKey(server, share));
}

void SmbContext::forgetCredentials(const std::string& server, const std::string& share)
{
    m_credentials.erase(makeKey(server, share));
}

void SmbContext::purgeConnections()
{
    smbc_getFunctionPurgeCachedServers(m_context)(m_context);
}

const SmbContext::Credentials* SmbContext::lookup(const char* server, const char* share) const
{
    std::string serverKey = lowered(server);
    if (auto found = m_credentials.find({serverKey, lowered(share)}); found != m_credentials.end())
        return &found->second;
    if (auto found = m_credentials.find({serverKey, std::string()}); found != m_credentials.end())
        return &found->second;
    return nullptr;
}

void SmbContext::authCallback(SMBCCTX* context, const char* server, const char* share, char* workgroup,
                              int workgroupLength, char* user, int userLength, char* password,
                              int passwordLength)
{
    auto* self = static_cast<SmbContext*>(smbc_getOptionUserData(context));
    static const Credentials anonymous;
    const Credentials* credentials = self ? self->lookup(server, share) : nullptr;
    if (!credentials)
        credentials = &anonymous;
    // The hints arrive pre-filled ($USER or "guest"); always overwrite them.
    copyField(user, userLength, credentials->user);
    copyField(password, passwordLength, credentials->password);
    if (!credentials->workgroup.empty())
        copyField(workgroup, workgroupLength, credentials->workgroup);
}
