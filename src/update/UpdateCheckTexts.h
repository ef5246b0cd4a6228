#pragma once

#include <QString>

// Every text the update check shows, in one place so that they can be replaced
// together (a translation replaces the whole set). "%1" stands for the program's title.
// Exact text: the update check's boxes and captions; the update check tests find
// and answer them by these texts.
struct TUpdateCheckTexts {
    QString AutoCheckQuestion =
        QStringLiteral("Would you like to check for new versions of %1 automatically?");
    QString Checking = QStringLiteral("Checking for Update");
    QString UpdateFoundCaption = QStringLiteral("Update Found");
    QString NewVersionAvailable = QStringLiteral("New version of %1 is available!");
    QString YourVersion = QStringLiteral("Your version");
    QString NewVersion = QStringLiteral("New version");
    QString DownloadNow = QStringLiteral("&Download Now");
    QString NoNewVersion =
        QStringLiteral("No new version is available at this time. You are using the latest version.");
    QString RemoteError = QStringLiteral("Unable to read remote version information");
    QString UnexpectedError = QStringLiteral("Unexpected exception occured");
    QString NoProxyCredentials = QStringLiteral("No proxy user name and password specified");
    QString UnrecognizedAnswer = QStringLiteral("The server has returned an unrecognized answer");
    QString NoData = QStringLiteral("The server has returned no data");
    QString ProxyCredentialsCaption = QStringLiteral("Proxy Authentication");
    QString NoUpdateSourceItem = QStringLiteral("Check For Updates: No Update Source Configured");
    QString NoUpdateSource = QStringLiteral(
        "No update source is configured. To check for new versions, set VersionFileAddress in the "
        "[AutoUpdate] section of the settings file to the address of a version file.");
    QString ProxyCredentialsPrompt = QStringLiteral("The proxy server %1 asks for a user name and password.");
};
