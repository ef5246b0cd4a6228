#pragma once

#include "engine/ports/Result.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <functional>
#include <stop_token>
#include <sys/types.h>

// How an agent runs and how long its client waits for it.
struct SmbAgentOptions {
    bool browse = false;          // SMB1 agent for workgroup and server lists
    int requestTimeoutMs = 10000; // libsmbclient's time-out for each SMB request
    int callTimeoutMs = 120000;   // longest wait for one reply (a huge folder listing)
    int stopGraceMs = 300;        // after a stop is seen, wait this long before ending the agent
    int probeTimeoutMs = 1000;    // TCP connect probe of port 445 before a host's first call
    int prefetchAgents = 0;       // extra agents a share client lists folders ahead on (0: none)
    // What stops a call: the search's stop token, and/or a check of its own (file
    // operations on results bring theirs, so a stopped search cannot stop them).
    // Neither given: calls end only by their time-outs.
    std::stop_token stop;
    std::function<bool()> stopRequested;
};

// One kestrova-smb-agent child process and the socket to it.
//
// Threading and cancellation: one thread drives an agent at a time. Every wait
// for a reply is bounded by callTimeoutMs and notices the options' stop token (or
// their own stop check): once it is set a
// reply still gets stopGraceMs to arrive, then the agent is ended (it may be
// blocked in the network, where nothing else interrupts it). An agent that was
// ended, crashed or stopped answering is dead: that call and every later one
// fail with the reason, and the caller carries on (no signal, no hang).
class SmbAgentProcess {
public:
    explicit SmbAgentProcess(const SmbAgentOptions& options = {});
    ~SmbAgentProcess();
    SmbAgentProcess(const SmbAgentProcess&) = delete;
    SmbAgentProcess& operator=(const SmbAgentProcess&) = delete;

    // Sends a request and waits for its reply: the Ok payload, or an Error reply
    // or any failure of the agent as the error.
    // timeoutMs < 0 stands for the options' callTimeoutMs.
    Result<QByteArray> call(const QByteArray& request, int timeoutMs = -1);
    // The two halves of call, so that requests to several agents can be in
    // flight at once. Each send must be followed by exactly one receive.
    Result<void> send(const QByteArray& request);
    Result<QByteArray> receive(int timeoutMs = -1);

    // A reply (or the agent's end) is waiting to be received: receive will not block.
    bool replyReady() const;
    bool isDead() const { return m_dead; }
    // The process id while it runs (0 before the first call); for tests.
    pid_t pid() const { return m_pid; }
    const SmbAgentOptions& options() const { return m_options; }
    // The stop token of the calls from now on (an agent reused by several searches).
    void setStop(std::stop_token stop) { m_options.stop = std::move(stop); }

    // The command that starts an agent: the override set here (tests), else the
    // program named by KESTROVA_SMB_AGENT, else the program's own agent
    // (SmbAgentPath: beside it, or in libexec when installed). An override may hold a prefix such as
    // "ip netns exec NAME" before the program.
    static void setAgentCommand(const QStringList& command);
    static QStringList agentCommand();

private:
    Result<void> start();
    PlatformError die(const PlatformError& reason);
    void endProcess(int waitMs);

    SmbAgentOptions m_options;
    pid_t m_pid = 0;
    int m_fd = -1;
    bool m_dead = false;
    PlatformError m_deathReason;
};
