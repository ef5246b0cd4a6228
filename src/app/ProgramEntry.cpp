#include "app/ProgramEntry.h"

#include "app/CommandLine.h"
#include "app/CommandLineSession.h"
#include "app/IconCache.h"
#include "app/InstanceNames.h"
#include "app/MainWindow.h"
#include "app/QtMainThreadDispatcher.h"
#include "app/ResultsExports.h"
#include "app/SearchEngineFactory.h"
#include "engine/EngineThread.h"
#include "platform/ProgramPath.h"
#include "store/SettingsFile.h"
#include "widgets/UserPrompts.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTextStream>
#include <unistd.h>

namespace {

QStringList Arguments(int argc, char* argv[])
{
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    return arguments;
}

bool HasDisplay()
{
    return !qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") ||
           !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM");
}

} // namespace

int RunProgram(int argc, char* argv[])
{
    const TCommandLine commandLine(Arguments(argc, argv));
    if (commandLine.help()) {
        QTextStream(stdout) << CommandLineHelpText();
        return 0;
    }
    if (commandLine.version()) {
        // Exact text: scripts and packagers read the version from this line; the
        // installed-program test compares it.
        QTextStream(stdout) << "Kestrova " << KESTROVA_VERSION_MAJOR << '.' << KESTROVA_VERSION_MINOR
                            << " Release " << KESTROVA_VERSION_RELEASE << '\n';
        return 0;
    }

    // A typing error in a switch would otherwise go unnoticed: an unattended run ends on it.
    // Exact text: the error-output lines of this function are read by whoever runs the
    // program from a script; the unattended-run tests match the unknown-switch line.
    const QStringList unknown = commandLine.unknownArguments();
    for (const QString& argument : unknown)
        QTextStream(stderr) << "Kestrova: unknown switch \"" << argument << "\" (see kestrova --help).\n";
    if (!unknown.isEmpty() && commandLine.close())
        return 2;

    // Exact text: README names the instance names, by which other programs tell that
    // this one runs.
    const TInstanceNames instanceNames(QStringLiteral("KSVMUTEX"));

    QTemporaryDir runtimeFolder(QDir::tempPath() + QStringLiteral("/kestrova-runtime-XXXXXX"));
    if (!HasDisplay()) {
        if (!commandLine.hide()) {
            QTextStream(stderr) << "Kestrova: no display found. To search without a window, add /hide "
                                   "(see kestrova --help).\n";
            return 1;
        }
        // An unattended run on a machine without a display: the window exists but is
        // never shown, so Qt's offscreen platform serves.
        qputenv("QT_QPA_PLATFORM", "offscreen");
        // Without a session (cron, ssh) there is no runtime folder and Qt warns on stderr,
        // which scripts take for an error: a private one serves for this run.
        if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR") && runtimeFolder.isValid())
            qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtimeFolder.path()));
    }

    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Kestrova"));
    // The window's close ends the program, not the closing of a message box while the
    // window is hidden.
    QApplication::setQuitOnLastWindowClosed(false);
    TIconCache::prepareIconTheme();
    // The installed icon (hicolor theme); a copy that is not installed shows the desktop's search icon.
    QApplication::setWindowIcon(
        QIcon::fromTheme(QStringLiteral("kestrova"), QIcon::fromTheme(QStringLiteral("system-search"))));

    TQtMainThreadDispatcher dispatcher;
    int exitStatus = 0;
    {
        TMainWindow window({SettingsFilePath(ProgramFilePath()), nullptr});
        std::unique_ptr<TSearchEngineLink> engine = CreateSearchEngine(dispatcher, window);
        window.setSearchEngine(engine.get());
        TResultsExports exports(window);
        exports.installCommands();
        TCommandLineSession session(commandLine, window,
                                    [&exports](TCommandLine::ExportKind kind, const QString& fileName) {
                                        return exports.writeExport(kind, fileName);
                                    });
        QObject::connect(&window, &TMainWindow::closing, &application, &QApplication::quit,
                         Qt::QueuedConnection);
        QObject::connect(&session, &TCommandLineSession::terminateRequested, &window, &QWidget::close,
                         Qt::QueuedConnection);

        const bool headless = TMessageBoxPrompts::headless();
        if (session.nothingToSearch(headless)) {
            // Nobody could ever start a search in this run: end it.
            QTextStream(stderr) << "Kestrova: nothing to search: /close without a window needs /mask: "
                                   "(see kestrova --help).\n";
            exitStatus = 2;
        } else {
            if (!commandLine.hide())
                window.show();
            if (session.unattended(headless))
                session.reportOnStderr(::isatty(STDERR_FILENO) == 1);
            session.applyStartSwitches();
            if (session.searchRefused() && session.unattended(headless)) {
                exitStatus = 2; // the refusal went to stderr (or a box); nothing else can happen
            } else {
                QApplication::exec();
                exitStatus = session.exitStatus();
            }
        }
        // Engine threads free themselves after their last step; none may outlive the
        // services the engine link owns.
        TEngineThread::WaitForAllEnded(std::chrono::seconds(10));
        window.setSearchEngine(nullptr);
    }
    return exitStatus;
}
