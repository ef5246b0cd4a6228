#include "dialogs/AutoDetectIPForm.h"

#include "dialogs/ModalButtons.h"
#include "model/IpAddress.h"
#include "model/ScopeEntry.h"
#include "widgets/ProgramIcon.h"

#include <QLabel>
#include <QTreeWidget>
#include <QVBoxLayout>

TAutoDetectIPForm::TAutoDetectIPForm(QWidget* parent, const TInterfaceSource& interfaces)
    : QDialog(parent), m_interfaces(interfaces ? interfaces() : LocalInterfaceAddresses()),
      m_list(new QTreeWidget(this))
{
    setWindowTitle(QStringLiteral("Auto Detect"));
    m_list->setObjectName(QStringLiteral("lvInterfaces"));
    m_list->setHeaderLabels({QStringLiteral("IP Address"), QStringLiteral("Network Mask")});
    m_list->setRootIsDecorated(false);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->setColumnWidth(0, 110);
    const QIcon icon = ProgramIcon();
    for (const TInterfaceAddress& entry : m_interfaces) {
        auto* row = new QTreeWidgetItem(m_list, {IpToText(entry.Address), IpToText(entry.Mask)});
        row->setIcon(0, icon);
    }
    connect(m_list, &QTreeWidget::itemDoubleClicked, this, &TAutoDetectIPForm::accept);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Select an interface to detect the network range."), this));
    layout->addWidget(m_list, 1);
    layout->addWidget(new TModalButtons(this));
    resize(300, 240);
}

void TAutoDetectIPForm::accept()
{
    const int row = m_list->currentItem() && m_list->currentItem()->isSelected()
                        ? m_list->indexOfTopLevelItem(m_list->currentItem())
                        : -1;
    if (row >= 0 && row < int(m_interfaces.size())) {
        const TInterfaceAddress& entry = m_interfaces[size_t(row)];
        const TAddressBlock block = InterfaceAddressBlock(entry.Address, entry.Mask);
        m_rangeBegin = block.First;
        m_rangeEnd = block.Last;
    }
    QDialog::accept();
}
