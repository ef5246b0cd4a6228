#include "dialogs/PasswordEdit.h"

#include <QLineEdit>

namespace {

constexpr char16_t kMaskCharacter = u'\u25CF';

} // namespace

QLineEdit* CreatePasswordEdit(const QString& objectName, QWidget* parent)
{
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(objectName);
    edit->setEchoMode(QLineEdit::Password);
    edit->setStyleSheet(QStringLiteral("lineedit-password-character: %1").arg(int(kMaskCharacter)));
    return edit;
}

QString MaskedPassword(const QString& password)
{
    return QString(password.toUcs4().size(), QChar(kMaskCharacter));
}
