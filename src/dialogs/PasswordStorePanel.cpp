#include "dialogs/PasswordStorePanel.h"

#include "accounts/PasswordKeeper.h"
#include "accounts/PasswordVault.h"
#include "dialogs/DialogPrompts.h"
#include "model/Error.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

namespace {

QString StoreName(const TPasswordKeeper& keeper, TPasswordStore store)
{
    if (store == TPasswordStore::SecretService && keeper.Vault())
        return keeper.Vault()->Name();
    // Exact text: ends "Passwords are kept in ..."; the panel's texts in this file are
    // compared by the password store panel tests.
    return QStringLiteral("the settings file");
}

} // namespace

TPasswordStorePanel::TPasswordStorePanel(TPasswordKeeper& keeper, std::function<void()> persist,
                                         QWidget* parent)
    : QWidget(parent), m_keeper(keeper), m_persist(std::move(persist)), m_where(new QLabel(this)),
      m_move(new QPushButton(this))
{
    m_where->setObjectName(QStringLiteral("lbPasswordStore"));
    m_where->setWordWrap(true);
    m_move->setObjectName(QStringLiteral("moveButton"));
    m_move->setAutoDefault(false);
    connect(m_move, &QPushButton::clicked, this, &TPasswordStorePanel::moveToOtherStore);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_where, 1);
    layout->addWidget(m_move);
    update(0);
}

void TPasswordStorePanel::update(int missing)
{
    const bool inKeyring = m_keeper.Store() == TPasswordStore::SecretService;
    const bool keyringAnswers = m_keeper.VaultAnswers();
    QString text = QStringLiteral("Passwords are kept in %1.").arg(StoreName(m_keeper, m_keeper.Store()));
    if (inKeyring && !keyringAnswers)
        text += QStringLiteral(" No keyring answers now: new passwords go into the settings file.");
    if (missing > 0)
        text += QStringLiteral(
                    " %1 password(s) are missing from the keyring; those accounts are not used to log on "
                    "until their password is entered again.")
                    .arg(missing);
    m_where->setText(text);
    m_move->setText(inKeyring ? QStringLiteral("Move to Settings &File")
                              : QStringLiteral("Move to &Keyring"));
    m_move->setEnabled(inKeyring || keyringAnswers);
    m_move->setToolTip(inKeyring || keyringAnswers ? QString() : QStringLiteral("No keyring answers"));
}

void TPasswordStorePanel::moveToOtherStore()
{
    const TPasswordStore previous = m_keeper.Store();
    const TPasswordStore target = previous == TPasswordStore::SecretService ? TPasswordStore::SettingsFile
                                                                            : TPasswordStore::SecretService;
    if (target == TPasswordStore::SecretService && !m_keeper.VaultAnswers()) {
        DialogPrompts().error(this,
                              QStringLiteral("No keyring answers: the passwords stay in the settings file."));
        return;
    }
    m_keeper.SetStore(target);
    try {
        if (m_persist)
            m_persist();
    } catch (const std::exception& error) {
        m_keeper.SetStore(previous);
        DialogPrompts().error(this, ExceptionMessage(error));
    }
    Q_EMIT moved();
}
