#pragma once

#include <QNetworkReply>
#include <QString>

// The messages the update check shows for a failed download. Transport failures are
// given the classic internet error codes and their messages; a code without a
// message reads "Unknown error: %d".
QString InternetErrorText(int code);

// The internet error code of a Qt network failure, or 0 when it has none (then the
// caller shows Qt's own text). Failures of the HTTP exchange itself (an error page
// from the server) are no transport failures: their body is read like any other.
int InternetErrorCode(QNetworkReply::NetworkError error);

// The message for a failed reply: InternetErrorText of its code, else Qt's text.
QString NetworkFailureText(QNetworkReply::NetworkError error, const QString& qtText);

// The code of a request that did not finish within the check's time-out.
constexpr int kInternetTimeout = 12002;
