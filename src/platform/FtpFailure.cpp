#include "platform/FtpFailure.h"

FtpFailure ClassifyFtpFailure(CURLcode code, long replyCode)
{
    switch (code) {
    case CURLE_OK:
        return FtpFailure::None;
    case CURLE_ABORTED_BY_CALLBACK:
        return FtpFailure::Stopped;
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_CONNECT:
        return FtpFailure::NoServer;
    case CURLE_LOGIN_DENIED:
        return FtpFailure::LoginRefused;
    case CURLE_REMOTE_ACCESS_DENIED: // CWD refused (550)
    case CURLE_REMOTE_FILE_NOT_FOUND:
    case CURLE_FTP_COULDNT_RETR_FILE:
        return FtpFailure::FolderUnavailable;
    case CURLE_FTP_ACCEPT_FAILED:
    case CURLE_FTP_ACCEPT_TIMEOUT:
    case CURLE_FTP_PORT_FAILED:
    case CURLE_FTP_CANT_GET_HOST:
        return FtpFailure::DataConnection;
    case CURLE_RECV_ERROR:
    case CURLE_SEND_ERROR:
    case CURLE_GOT_NOTHING:
    case CURLE_PARTIAL_FILE:
        return FtpFailure::ConnectionLost;
    case CURLE_OPERATION_TIMEDOUT:
        return FtpFailure::TimedOut;
    case CURLE_WRITE_ERROR:
        return FtpFailure::TooLarge;
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_PEER_FAILED_VERIFICATION:
    case CURLE_USE_SSL_FAILED:
    case CURLE_SSL_CACERT_BADFILE:
    case CURLE_SSL_CRL_BADFILE:
    case CURLE_SSL_ISSUER_ERROR:
    case CURLE_SSL_PINNEDPUBKEYNOTMATCH:
    case CURLE_SSL_INVALIDCERTSTATUS:
        return FtpFailure::Tls;
    case CURLE_FTP_WEIRD_PASS_REPLY:
    case CURLE_FTP_WEIRD_SERVER_REPLY:
        // 530 (not logged in) and 421 (service not available) are refusals worded
        // as unexpected replies by some servers.
        if (replyCode == 530)
            return FtpFailure::LoginRefused;
        if (replyCode == 421)
            return FtpFailure::NoServer;
        return FtpFailure::Protocol;
    default:
        // A listing refused with a 4xx/5xx reply to LIST itself.
        if (replyCode == 450 || replyCode == 550)
            return FtpFailure::FolderUnavailable;
        return FtpFailure::Protocol;
    }
}

bool FtpFailureEndsConnection(FtpFailure failure)
{
    return failure != FtpFailure::None && failure != FtpFailure::FolderUnavailable &&
           failure != FtpFailure::TooLarge;
}

PlatformError FtpPlatformError(CURLcode code, long replyCode, const char* detail)
{
    if (code == CURLE_OK)
        return {};
    QString message = QString::fromUtf8(curl_easy_strerror(code));
    if (detail && *detail)
        message += QStringLiteral(": ") + QString::fromUtf8(detail).trimmed();
    if (replyCode > 0)
        // Exact text: users match the FTP reply code in the log; the FTP tests compare it.
        message += QStringLiteral(" (server reply %1)").arg(replyCode);
    return PlatformError{static_cast<int>(code), message};
}
