#include "update/NetworkFailureText.h"

// Exact text: the failure texts of the update check, shown after "Unable to read
// remote version information"; the version text and update check tests compare them.
QString InternetErrorText(int code)
{
    switch (code) {
    case 12002:
        return QStringLiteral("The request has timed out.");
    case 12005:
        return QStringLiteral("The URL is invalid.");
    case 12006:
        return QStringLiteral("The URL scheme could not be recognized or is not supported.");
    case 12007:
        return QStringLiteral("The server name could not be resolved.");
    case 12016:
        return QStringLiteral("The requested operation is invalid.");
    case 12017:
        return QStringLiteral("The operation was canceled, usually because the handle was closed.");
    case 12023:
        return QStringLiteral("Direct network access cannot be made at this time.");
    case 12029:
        return QStringLiteral("The attempt to connect to the server failed.");
    case 12030:
        return QStringLiteral("The connection with the server has been terminated.");
    case 12152:
        return QStringLiteral("The server response could not be parsed.");
    case 12156:
        return QStringLiteral("The redirection failed because either the scheme changed or endless loop.");
    default:
        return QStringLiteral("Unknown error: %1").arg(code);
    }
}

int InternetErrorCode(QNetworkReply::NetworkError error)
{
    switch (error) {
    case QNetworkReply::ConnectionRefusedError:
        return 12029;
    case QNetworkReply::RemoteHostClosedError:
        return 12030;
    case QNetworkReply::HostNotFoundError:
        return 12007;
    case QNetworkReply::TimeoutError:
        return kInternetTimeout;
    case QNetworkReply::OperationCanceledError:
        return 12017;
    case QNetworkReply::TemporaryNetworkFailureError:
    case QNetworkReply::NetworkSessionFailedError:
        return 12023;
    case QNetworkReply::TooManyRedirectsError:
    case QNetworkReply::InsecureRedirectError:
        return 12156;
    case QNetworkReply::ProtocolUnknownError:
        return 12006;
    case QNetworkReply::ProtocolInvalidOperationError:
        return 12016;
    case QNetworkReply::ProtocolFailure:
        return 12152;
    default:
        return 0;
    }
}

QString NetworkFailureText(QNetworkReply::NetworkError error, const QString& qtText)
{
    const int code = InternetErrorCode(error);
    return code ? InternetErrorText(code) : qtText;
}
