#include "update/WaitWindow.h"

#include "widgets/WindowPlacement.h"

#include <QApplication>
#include <QFrame>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>

TWaitWindow::TWaitWindow(QWidget* mainWindow) : QWidget(mainWindow, Qt::Dialog | Qt::FramelessWindowHint)
{
    setObjectName(QStringLiteral("WaitWindow"));
    setWindowModality(Qt::ApplicationModal);
    setFixedSize(200, 60);

    auto* frame = new QFrame(this);
    frame->setFrameStyle(QFrame::Panel | QFrame::Raised);
    frame->setLineWidth(1);
    auto* outer = new QHBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(frame);

    auto* icon = new QLabel(frame);
    icon->setPixmap(ProgramIcon().pixmap(32, 32));
    m_text = new QLabel(frame);
    m_text->setAlignment(Qt::AlignCenter);
    m_text->setWordWrap(true);
    auto* layout = new QHBoxLayout(frame);
    layout->setContentsMargins(10, 10, 10, 10);
    layout->addWidget(icon);
    layout->addWidget(m_text, 1);
}

void TWaitWindow::setText(const QString& text)
{
    m_text->setText(text);
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

QString TWaitWindow::text() const
{
    return m_text->text();
}
