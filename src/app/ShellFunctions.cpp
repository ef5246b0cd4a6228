#include "app/ShellFunctions.h"

#include "app/ManualWindow.h"
#include "model/Error.h"
#include "model/ItemUrl.h"
#include "widgets/UserPrompts.h"

#include <QApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusReply>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSaveFile>

namespace {

// Exact text: the file manager's D-Bus service, path and method names; the desktop
// answers only to these, and the containing-folder tests' fake service registers
// them.
const QString kFileManagerService = QStringLiteral("org.freedesktop.FileManager1");
// A file manager that is started for the call may take a while to answer.
constexpr int kFileManagerCallTimeoutMs = 10000;

std::function<bool(const QString&, const QStringList&)>& ProgramStarter()
{
    static std::function<bool(const QString&, const QStringList&)> starter;
    return starter;
}

bool StartProgram(const QString& program, const QStringList& arguments)
{
    if (ProgramStarter())
        return ProgramStarter()(program, arguments);
    return QProcess::startDetached(program, arguments);
}

// Whether a file manager answers org.freedesktop.FileManager1 now or can be started
// for it by the bus.
bool FileManagerServiceExists(const QDBusConnection& bus)
{
    const QDBusConnectionInterface* names = bus.interface();
    if (!bus.isConnected() || !names)
        return false;
    const QDBusReply<bool> registered = names->isServiceRegistered(kFileManagerService);
    if (registered.isValid() && registered.value())
        return true;
    const QDBusReply<QStringList> activatable = names->activatableServiceNames();
    return activatable.isValid() && activatable.value().contains(kFileManagerService);
}

bool ShowItemsInFileManager(const QString& itemAddress)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!FileManagerServiceExists(bus))
        return false;
    QDBusMessage call =
        QDBusMessage::createMethodCall(kFileManagerService, QStringLiteral("/org/freedesktop/FileManager1"),
                                       kFileManagerService, QStringLiteral("ShowItems"));
    call << QStringList{itemAddress} << QString();
    const QDBusMessage reply = bus.call(call, QDBus::Block, kFileManagerCallTimeoutMs);
    return reply.type() == QDBusMessage::ReplyMessage;
}

std::function<bool(const QUrl&)>& UrlOpener()
{
    static std::function<bool(const QUrl&)> opener;
    return opener;
}

bool OpenUrl(const QUrl& url)
{
    if (UrlOpener())
        return UrlOpener()(url);
    return QDesktopServices::openUrl(url);
}

bool IsUncPath(const QString& name)
{
    return name.startsWith(u"\\\\");
}

bool HasScheme(const QString& name)
{
    const qsizetype colon = name.indexOf(u"://");
    if (colon <= 1) // "C://" is no scheme: a one-letter prefix is a drive
        return false;
    for (qsizetype i = 0; i < colon; ++i) {
        const QChar ch = name.at(i);
        if (!(ch.isLetterOrNumber() || ch == u'+' || ch == u'-' || ch == u'.'))
            return false;
    }
    return true;
}

// A value of a .desktop entry: backslashes and line breaks escaped.
QString DesktopValue(const QString& text)
{
    QString result;
    for (const QChar ch : text) {
        if (ch == u'\\')
            result += QStringLiteral("\\\\");
        else if (ch == u'\n')
            result += QStringLiteral("\\n");
        else if (ch == u'\r')
            result += QStringLiteral("\\r");
        else
            result += ch;
    }
    return result;
}

// An argument of the Exec key: quoted, with the characters the format reserves escaped.
QString ExecArgument(const QString& argument)
{
    QString quoted;
    for (const QChar ch : argument) {
        if (ch == u'"' || ch == u'`' || ch == u'$' || ch == u'\\')
            quoted += u'\\';
        if (ch == u'%')
            quoted += u'%';
        quoted += ch;
    }
    return u'"' + quoted + u'"';
}

} // namespace

QUrl ShellUrlFor(const QString& fileName)
{
    if (IsUncPath(fileName)) {
        QString path = fileName.mid(2);
        path.replace(u'\\', u'/');
        const qsizetype slash = path.indexOf(u'/');
        QUrl url;
        url.setScheme(QStringLiteral("smb"));
        url.setHost(slash < 0 ? path : path.left(slash));
        if (slash >= 0)
            url.setPath(path.mid(slash));
        return url;
    }
    if (HasScheme(fileName))
        return QUrl(fileName);
    return QUrl::fromLocalFile(QFileInfo(fileName).absoluteFilePath());
}

// Exact text: the messages users see when a file cannot be opened, one per code;
// the shell function tests compare them.
QString ShellOpenErrorText(unsigned code)
{
    switch (code) {
    case 0:
        return QStringLiteral("The operating system is out of resources.");
    case 2:
        return QStringLiteral("The specified file was not found.");
    case 3:
        return QStringLiteral("The specified path was not found.");
    case 5:
        return QStringLiteral("Denied access to the specified file.");
    case 8:
        return QStringLiteral("There was not enough memory to complete the operation.");
    case 11:
        return QStringLiteral("The .exe file is invalid.");
    case 26:
        return QStringLiteral("A sharing violation occurred.");
    case 27:
        return QStringLiteral("The file name association is incomplete or invalid.");
    case 28:
        return QStringLiteral("The DDE transaction timed out.");
    case 29:
        return QStringLiteral("The DDE transaction failed.");
    case 30:
        return QStringLiteral("The DDE transaction could not be completed.");
    case 31:
        return QStringLiteral("No program is associated to open this file.");
    case 32:
        return QStringLiteral("The specified dynamic-link library was not found.");
    default:
        return QStringLiteral("Unknown error (%1)").arg(code);
    }
}

void ShellOpen(const QString& fileName)
{
    const QUrl url = ShellUrlFor(fileName);
    if (url.isLocalFile()) {
        const QFileInfo info(url.toLocalFile());
        if (!info.exists()) {
            ShowError(ShellOpenErrorText(info.dir().exists() ? 2 : 3));
            return;
        }
        if (!info.isReadable()) {
            ShowError(ShellOpenErrorText(5));
            return;
        }
    }
    if (!OpenUrl(url))
        ShowError(ShellOpenErrorText(31));
}

QString DesktopAddressFor(const QString& fileName, bool folder)
{
    if (IsUncPath(fileName)) {
        const TItemRecord item = MakeItemRecord(fileName, 0, -1, 0.0, 0);
        return folder ? ItemFolderUrl(item) : ItemUrl(item);
    }
    const QUrl url = ShellUrlFor(fileName);
    if (!folder)
        return url.toString(QUrl::FullyEncoded);
    return url.adjusted(QUrl::RemoveFilename | QUrl::StripTrailingSlash).toString(QUrl::FullyEncoded);
}

void ShowContainingFolder(const QString& fileName)
{
    if (ShowItemsInFileManager(DesktopAddressFor(fileName, false)))
        return;
    if (!StartProgram(QStringLiteral("xdg-open"), {DesktopAddressFor(fileName, true)}))
        ShowError(ShellOpenErrorText(31));
}

void ShowFileProperties(const QString& fileName)
{
    // The freedesktop file manager interface; without a file manager on the session
    // bus nothing happens, as the outcome is not examined.
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.FileManager1"), QStringLiteral("/org/freedesktop/FileManager1"),
        QStringLiteral("org.freedesktop.FileManager1"), QStringLiteral("ShowItemProperties"));
    call << QStringList{ShellUrlFor(fileName).toString()} << QString();
    QDBusConnection::sessionBus().send(call);
}

void CreateShortcut(const QString& target, const QString& arguments, const QString& workingFolder,
                    const QString& linkFile)
{
    // Exact text: the desktop entry keys file managers read from the shortcut; the
    // shell function tests compare the file.
    QString entry = QStringLiteral("[Desktop Entry]\n");
    entry += QStringLiteral("Version=1.0\n");
    entry += QStringLiteral("Name=") +
             DesktopValue(QFileInfo(QString(target).replace(u'\\', u'/')).fileName()) + u'\n';
    if (arguments.isEmpty()) {
        entry += QStringLiteral("Type=Link\n");
        entry +=
            QStringLiteral("URL=") + DesktopValue(ShellUrlFor(target).toString(QUrl::FullyEncoded)) + u'\n';
    } else {
        entry += QStringLiteral("Type=Application\n");
        entry += QStringLiteral("Exec=") + DesktopValue(ExecArgument(target) + u' ' + arguments) + u'\n';
    }
    if (!workingFolder.isEmpty() && !IsUncPath(workingFolder))
        entry += QStringLiteral("Path=") + DesktopValue(workingFolder) + u'\n';

    QSaveFile file(linkFile);
    if (!file.open(QIODevice::WriteOnly) || file.write(entry.toUtf8()) < 0 || !file.commit())
        RaiseError(QStringLiteral("Cannot create the shortcut \"%1\": %2").arg(linkFile, file.errorString()));
    // Desktops run or follow only links their owner marked executable.
    QFile::setPermissions(linkFile,
                          QFile::permissions(linkFile) | QFileDevice::ExeOwner | QFileDevice::ExeUser);
}

QString VendorSiteUrl()
{
    return QStringLiteral("http://www.kestrova.example");
}

void OpenManual(QWidget* owner)
{
    ShowManualWindow(owner ? owner : QApplication::activeWindow());
}

void SetShellUrlOpener(std::function<bool(const QUrl&)> opener)
{
    UrlOpener() = std::move(opener);
}

void SetProgramStarter(std::function<bool(const QString& program, const QStringList& arguments)> starter)
{
    ProgramStarter() = std::move(starter);
}
