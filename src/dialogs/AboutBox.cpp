#include "dialogs/AboutBox.h"

#include "update/VersionText.h"
#include "widgets/MessageBoxes.h"
#include "widgets/WindowPlacement.h"

#include <QDesktopServices>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QIcon>
#include <QLabel>
#include <QPushButton>

TAboutBox::TAboutBox(const QString& site, QWidget* parent)
    : QDialog(parent), m_openUrl([](const QUrl& url) { return QDesktopServices::openUrl(url); })
{
    setObjectName(QStringLiteral("AboutBox"));
    setWindowTitle(QStringLiteral("About %1").arg(ApplicationTitle()));
    setModal(true);

    auto* icon = new QLabel(this);
    icon->setPixmap(ProgramIcon().pixmap(48, 48));
    auto* name = new QLabel(ApplicationTitle(), this);
    QFont big = name->font();
    big.setBold(true);
    big.setPointSizeF(big.pointSizeF() * 1.5);
    name->setFont(big);
    m_version = new QLabel(VersionCaption(), this);
    m_version->setObjectName(QStringLiteral("VersionLabel"));
    auto* purpose = new QLabel(QStringLiteral("Finds files on the computers of your local network."), this);

    const QString home = site + u'/';
    const QString support = site + QStringLiteral("/support/");
    m_links = new QLabel(QStringLiteral("<a href=\"%1\">%1</a><br><a href=\"%2\">Contact us</a>")
                             .arg(home.toHtmlEscaped(), support.toHtmlEscaped()),
                         this);
    m_links->setObjectName(QStringLiteral("LinksLabel"));
    m_links->setTextFormat(Qt::RichText);
    m_links->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
    m_links->setOpenExternalLinks(false);
    connect(m_links, &QLabel::linkActivated, this, [this](const QString& link) { m_openUrl(QUrl(link)); });

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    m_ok = buttons->button(QDialogButtonBox::Ok);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto* layout = new QGridLayout(this);
    layout->setContentsMargins(15, 15, 15, 10);
    layout->setHorizontalSpacing(15);
    layout->addWidget(icon, 0, 0, 4, 1, Qt::AlignTop);
    layout->addWidget(name, 0, 1);
    layout->addWidget(m_version, 1, 1);
    layout->addWidget(purpose, 2, 1);
    layout->addWidget(m_links, 3, 1);
    layout->addWidget(buttons, 4, 0, 1, 2);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void ShowAboutBox(const QString& site, QWidget* mainWindow, const std::function<void(QDialog&)>& run)
{
    TAboutBox box(site, mainWindow);
    box.adjustSize();
    CentreWindow(&box, mainWindow);
    if (run)
        run(box);
    else
        box.exec();
}
