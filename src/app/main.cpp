#include "app/MainWindow.h"

#include <QApplication>
#include <QTextStream>

#include <cstring>

int main(int argc, char* argv[])
{
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--version") == 0) {
            QTextStream(stdout) << "Kestrova " << KESTROVA_VERSION_MAJOR << '.' << KESTROVA_VERSION_MINOR
                                << " Release " << KESTROVA_VERSION_RELEASE << '\n';
            return 0;
        }
    }
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Kestrova"));
    MainWindow window;
    window.show();
    return QApplication::exec();
}
