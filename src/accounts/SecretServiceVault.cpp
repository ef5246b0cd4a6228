#include "accounts/SecretServiceVault.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QThread>
#include <QTimer>
#include <qt6keychain/keychain.h>

namespace {

const QString kProbeKey = QStringLiteral("probe: does the keyring answer?");

TVaultReply ReplyOf(QKeychain::Job& job)
{
    TVaultReply reply;
    switch (job.error()) {
    case QKeychain::NoError:
        reply.Status = TVaultReply::TStatus::Done;
        if (auto* read = qobject_cast<QKeychain::ReadPasswordJob*>(&job))
            reply.Password = read->textData();
        break;
    case QKeychain::EntryNotFound:
        reply.Status = TVaultReply::TStatus::NotFound;
        break;
    default:
        reply.Status = TVaultReply::TStatus::Failed;
        reply.Error = QStringLiteral("keyring error %1: %2").arg(int(job.error())).arg(job.errorString());
        break;
    }
    return reply;
}

} // namespace

TSecretServiceVault::TSecretServiceVault(QString service, int timeoutMs, int probeTimeoutMs)
    : m_service(std::move(service)), m_timeoutMs(timeoutMs), m_probeTimeoutMs(probeTimeoutMs)
{
}

QString TSecretServiceVault::Name() const
{
    return QStringLiteral("the desktop's keyring (Secret Service)");
}

bool TSecretServiceVault::Answers()
{
    auto* job = new QKeychain::ReadPasswordJob(m_service);
    job->setKey(kProbeKey);
    const TVaultReply reply = Run(job, m_probeTimeoutMs);
    return reply.Status != TVaultReply::TStatus::Failed;
}

TVaultReply TSecretServiceVault::Read(const QString& key)
{
    auto* job = new QKeychain::ReadPasswordJob(m_service);
    job->setKey(key);
    return Run(job, m_timeoutMs);
}

TVaultReply TSecretServiceVault::Write(const QString& key, const QString& password)
{
    auto* job = new QKeychain::WritePasswordJob(m_service);
    job->setKey(key);
    job->setTextData(password);
    return Run(job, m_timeoutMs);
}

TVaultReply TSecretServiceVault::Remove(const QString& key)
{
    auto* job = new QKeychain::DeletePasswordJob(m_service);
    job->setKey(key);
    return Run(job, m_timeoutMs);
}

TVaultReply TSecretServiceVault::Run(QKeychain::Job* job, int timeoutMs) const
{
    TVaultReply reply;
    if (!QCoreApplication::instance() || QThread::currentThread() != QCoreApplication::instance()->thread()) {
        delete job; // never started
        reply.Error = QStringLiteral("the keyring is reached from the main thread only");
        return reply;
    }
    // Never stored on disk in clear text when the keyring is away.
    job->setInsecureFallback(false);
    job->setAutoDelete(true);
    reply.Error = QStringLiteral("the keyring did not answer within %1 ms").arg(timeoutMs);
    QEventLoop loop;
    bool finished = false;
    // The connections end with the loop, so a job that answers after the time-out
    // touches nothing of this call.
    QObject::connect(job, &QKeychain::Job::finished, &loop, [&](QKeychain::Job* done) {
        reply = ReplyOf(*done);
        finished = true;
        loop.quit();
    });
    QTimer timer;
    timer.setSingleShot(true);
    QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
    job->start();
    timer.start(timeoutMs);
    if (!finished)
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    return reply;
}
