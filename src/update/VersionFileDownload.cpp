#include "update/VersionFileDownload.h"

#include "model/Error.h"
#include "update/NetworkFailureText.h"

#include <QAuthenticator>
#include <QEventLoop>
#include <QNetworkProxyFactory>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>
#include <QUrl>
#include <memory>

namespace {

// The system's proxy configuration for this manager only (the process-wide switch
// would change every other network user of the program too).
class TSystemProxyFactory : public QNetworkProxyFactory {
public:
    QList<QNetworkProxy> queryProxy(const QNetworkProxyQuery& query) override
    {
        return systemProxyForQuery(query);
    }
};

constexpr int kProxyAuthenticationRequired = 407;

struct DeleteLater {
    void operator()(QObject* object) const { object->deleteLater(); }
};

} // namespace

TVersionFileDownload::TVersionFileDownload()
{
    m_manager.setProxyFactory(new TSystemProxyFactory); // the manager owns it
}

void TVersionFileDownload::setProxy(const QNetworkProxy& proxy)
{
    m_manager.setProxy(proxy);
}

QByteArray TVersionFileDownload::fetch(const QString& address, const QString& noCredentialsText)
{
    const QUrl url(address, QUrl::StrictMode);
    if (!url.isValid() || url.host().isEmpty())
        RaiseError(InternetErrorText(12005));

    QNetworkRequest request(url);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    request.setAttribute(QNetworkRequest::CacheSaveControlAttribute, false);
    // Exact text: proxies that cache the version file honour these headers; the update
    // check tests read them from the request.
    request.setRawHeader("Cache-Control", "no-cache");
    request.setRawHeader("Pragma", "no-cache");

    bool credentialsDeclined = false;
    const QMetaObject::Connection proxyPrompt =
        QObject::connect(&m_manager, &QNetworkAccessManager::proxyAuthenticationRequired, &m_manager,
                         [&](const QNetworkProxy& proxy, QAuthenticator* authenticator) {
                             QString user;
                             QString password;
                             const QString name =
                                 QStringLiteral("%1:%2").arg(proxy.hostName()).arg(proxy.port());
                             if (!m_prompt || !m_prompt(name, user, password)) {
                                 credentialsDeclined = true;
                                 return; // no credentials: the reply ends with the proxy's 407
                             }
                             authenticator->setUser(user);
                             authenticator->setPassword(password);
                         });

    const std::unique_ptr<QNetworkReply, DeleteLater> reply(m_manager.get(request));
    QByteArray body;
    bool tooLarge = false;
    bool timedOut = false;
    QEventLoop loop;
    QTimer deadline;
    deadline.setSingleShot(true);
    QObject::connect(reply.get(), &QNetworkReply::readyRead, &loop, [&] {
        body += reply->read(kMaxBodySize + 1 - body.size());
        if (body.size() > kMaxBodySize) {
            tooLarge = true;
            reply->abort();
        }
    });
    QObject::connect(reply.get(), &QNetworkReply::finished, &loop, &QEventLoop::quit);
    QObject::connect(&deadline, &QTimer::timeout, &loop, [&] {
        timedOut = true;
        reply->abort();
    });
    deadline.start(m_timeoutMs);
    if (!reply->isFinished())
        loop.exec();
    deadline.stop();
    QObject::disconnect(proxyPrompt);

    if (!tooLarge)
        body += reply->read(kMaxBodySize + 1 - body.size());
    const QNetworkReply::NetworkError error = reply->error();
    const QString errorText = reply->errorString();
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();

    if (timedOut)
        RaiseError(InternetErrorText(kInternetTimeout));
    if (tooLarge)
        return body;
    if ((status == kProxyAuthenticationRequired ||
         error == QNetworkReply::ProxyAuthenticationRequiredError) &&
        credentialsDeclined)
        RaiseError(noCredentialsText);
    if (error != QNetworkReply::NoError && status == 0)
        RaiseError(NetworkFailureText(error, errorText));
    return body;
}
