#include "widgets/ProgramIcon.h"

#include <QApplication>
#include <QStyle>

QIcon ProgramIcon()
{
    const QIcon own = QApplication::windowIcon();
    return own.isNull() ? QApplication::style()->standardIcon(QStyle::SP_ComputerIcon) : own;
}
