#include "update/UpdateFoundDialog.h"

#include "widgets/WindowPlacement.h"

#include <QDesktopServices>
#include <QGroupBox>
#include <QIcon>
#include <QLabel>
#include <QPushButton>

namespace {

constexpr int kWidth = 300;
constexpr int kHeight = 190;
constexpr int kMargin = 10;
constexpr int kIconSize = 32;
constexpr int kButtonTop = 100;

} // namespace

TUpdateFoundDialog::TUpdateFoundDialog(const TUpdateCheckTexts& texts, const TUpdateFound& found,
                                       QWidget* mainWindow)
    : QDialog(mainWindow, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                              Qt::WindowCloseButtonHint),
      m_downloadPage(found.downloadPageUrl),
      m_openUrl([](const QUrl& url) { return QDesktopServices::openUrl(url); })
{
    setObjectName(QStringLiteral("UpdateFoundDialog"));
    setWindowTitle(texts.UpdateFoundCaption);
    setModal(true);
    setFixedSize(kWidth, kHeight);

    m_group = new QGroupBox(this);
    m_group->setGeometry(kMargin, kMargin, kWidth - 2 * kMargin, kHeight - 2 * kMargin);
    const int groupWidth = m_group->width();

    auto* icon = new QLabel(m_group);
    icon->setPixmap(ProgramIcon().pixmap(kIconSize, kIconSize));
    icon->setGeometry(10, 15, kIconSize, kIconSize);

    m_message = new QLabel(MessageText(texts, found), m_group);
    m_message->setObjectName(QStringLiteral("MessageLabel"));
    QFont bold = m_message->font();
    bold.setBold(true);
    m_message->setFont(bold);
    m_message->setWordWrap(true);
    m_message->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_message->setTextInteractionFlags(Qt::TextSelectableByMouse);
    const int textLeft = 10 + kIconSize + 15;
    m_message->setGeometry(textLeft, 15, groupWidth - textLeft - 10, kButtonTop - 20);

    m_download = new QPushButton(texts.DownloadNow, m_group);
    m_download->setObjectName(QStringLiteral("DownloadButton"));
    m_download->setGeometry(30, kButtonTop, groupWidth - 60, 25);
    m_download->setDefault(true);
    connect(m_download, &QPushButton::clicked, this, &TUpdateFoundDialog::download);

    CentreWindow(this, mainWindow);
}

// Exact text: the layout of the update message; the update window tests compare it.
QString TUpdateFoundDialog::MessageText(const TUpdateCheckTexts& texts, const TUpdateFound& found)
{
    return texts.NewVersionAvailable.arg(found.programTitle) + QStringLiteral("\n\n") + texts.YourVersion +
           QStringLiteral(": ") + found.localVersion + u'\n' + texts.NewVersion + QStringLiteral(": ") +
           found.remoteVersion;
}

void TUpdateFoundDialog::download()
{
    m_openUrl(m_downloadPage);
    accept();
}
