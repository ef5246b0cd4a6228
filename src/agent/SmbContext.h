#pragma once

#include <libsmbclient.h>
#include <map>
#include <string>
#include <utility>

// Owns the one libsmbclient context of the agent process and the credentials
// its auth callback hands out.
//
// libsmbclient asks the callback for credentials (server and share as written
// in the URL) whenever it opens a connection. Credentials are kept per
// (server, share); a share without its own falls back to its server's, and a
// server without any gets an anonymous logon (empty user), so that an absent
// logon never turns into the local user's name.
class SmbContext {
public:
    struct Credentials {
        std::string user;
        std::string password;
        std::string workgroup;
    };

    // browse: negotiate SMB1 only (workgroup and server lists need it; the
    // setting is process-global, so only a browse agent uses it).
    SmbContext(bool browse, int requestTimeoutMs);
    ~SmbContext();
    SmbContext(const SmbContext&) = delete;
    SmbContext& operator=(const SmbContext&) = delete;

    SMBCCTX* get() const { return m_context; }

    // Sets the credentials for (server, share) (share empty: the whole server)
    // and returns what was there before, if anything.
    std::pair<bool, Credentials> setCredentials(const std::string& server, const std::string& share,
                                                const Credentials& credentials);
    void restoreCredentials(const std::string& server, const std::string& share,
                            const std::pair<bool, Credentials>& previous);
    void forgetCredentials(const std::string& server, const std::string& share);
    // Drops every cached connection, so the next call connects afresh with the
    // current credentials.
    void purgeConnections();

private:
    using Key = std::pair<std::string, std::string>;
    static Key makeKey(const std::string& server, const std::string& share);
    static void authCallback(SMBCCTX* context, const char* server, const char* share, char* workgroup,
                             int workgroupLength, char* user, int userLength, char* password,
                             int passwordLength);
    const Credentials* lookup(const char* server, const char* share) const;

    SMBCCTX* m_context = nullptr;
    std::map<Key, Credentials> m_credentials;
};
