#include "widgets/MessageBoxes.h"

#include <QGuiApplication>
#include <QTextStream>

namespace {

TMessageBoxes* installedBoxes = nullptr;

bool Headless()
{
    const QString platform = QGuiApplication::platformName();
    return platform == u"offscreen" || platform == u"minimal";
}

} // namespace

QMessageBox::StandardButton TWidgetMessageBoxes::show(const TMessageBoxRequest& request)
{
    if (Headless()) {
        QTextStream(stderr) << request.caption << ": " << request.text << Qt::endl;
        return UnattendedAnswer(request);
    }
    QMessageBox box(request.icon, request.caption, request.text, request.buttons, request.owner);
    if (request.defaultButton != QMessageBox::NoButton)
        box.setDefaultButton(request.defaultButton);
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

QMessageBox::StandardButton UnattendedAnswer(const TMessageBoxRequest& request)
{
    if (request.defaultButton != QMessageBox::NoButton)
        return request.defaultButton;
    for (unsigned bit = QMessageBox::FirstButton; bit <= QMessageBox::LastButton; bit <<= 1) {
        if (request.buttons.testFlag(static_cast<QMessageBox::StandardButton>(bit)))
            return static_cast<QMessageBox::StandardButton>(bit);
    }
    return QMessageBox::NoButton;
}

TMessageBoxes& MessageBoxes()
{
    static TWidgetMessageBoxes widgets;
    return installedBoxes ? *installedBoxes : widgets;
}

void SetMessageBoxes(TMessageBoxes* boxes)
{
    installedBoxes = boxes;
}

QMessageBox::StandardButton ShowMessageBox(QWidget* owner, QMessageBox::Icon icon, const QString& caption,
                                           const QString& text, QMessageBox::StandardButtons buttons,
                                           QMessageBox::StandardButton defaultButton)
{
    return MessageBoxes().show({owner, icon, caption, text, buttons, defaultButton});
}

// Exact text: the caption of the program's message boxes; the tests find boxes by it.
QString ApplicationTitle()
{
    return QStringLiteral("Kestrova");
}

QString DefaultBoxCaption()
{
    return QStringLiteral("Error");
}
