#include "dialogs/SearchScopeForm.h"

#include "dialogs/DialogPrompts.h"
#include "engine/HostList.h"
#include "engine/ScopeHosts.h"
#include "model/DiscoverySettings.h"
#include "model/Error.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QPainter>
#include <QPushButton>
#include <QStyle>
#include <QTreeWidget>
#include <QVBoxLayout>

// The notice painted over the tree while the map is built: a grey rounded rectangle
// 10 pixels inside the tree's area, with the text in bold white 10 pixels further in.
class TScopeBuildNotice : public QWidget {
public:
    explicit TScopeBuildNotice(QWidget* parent) : QWidget(parent)
    {
        setAttribute(Qt::WA_TransparentForMouseEvents);
        parent->installEventFilter(this);
        hide();
    }

    static QString text()
    {
        return QStringLiteral("Please wait while network map is being built. This can take several minutes!");
    }

protected:
    // Covers the whole of the tree's area, also after it was resized.
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == parentWidget() && event->type() == QEvent::Resize)
            setGeometry(parentWidget()->rect());
        return QWidget::eventFilter(watched, event);
    }

    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        const QRect box = rect().adjusted(10, 10, -10, -10);
        painter.setPen(QPen(Qt::black, 1, Qt::SolidLine));
        painter.setBrush(QColor(128, 128, 128));
        painter.drawRoundedRect(box, 10, 10);
        QFont bold = font();
        bold.setBold(true);
        painter.setFont(bold);
        painter.setPen(Qt::white);
        painter.drawText(box.adjusted(10, 10, -10, -10), Qt::TextWordWrap, text());
    }
};

namespace {

QIcon ScopeIcon(int imageIndex)
{
    QStyle* style = QApplication::style();
    switch (imageIndex) {
    case kScopeImageEntireNetwork:
        return style->standardIcon(QStyle::SP_DriveNetIcon);
    case kScopeImageDomain:
        return style->standardIcon(QStyle::SP_DirIcon);
    case kScopeImageProvider:
        return style->standardIcon(QStyle::SP_ComputerIcon);
    default:
        return {};
    }
}

} // namespace

TSearchScopeForm::TSearchScopeForm(std::shared_ptr<NetworkBrowser> browser, QWidget* parent,
                                   std::shared_ptr<HostDiscovery> discovery)
    : QDialog(parent), m_browser(std::move(browser)), m_discovery(std::move(discovery)),
      m_tree(new QTreeWidget(this))
{
    // Exact text: the dialog command tests find the dialog by its title.
    setWindowTitle(QStringLiteral("Search Scope"));
    m_tree->setObjectName(QStringLiteral("TreeView"));
    m_tree->setHeaderHidden(true);
    m_tree->setIndentation(19);
    m_tree->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_tree->setSelectionMode(QAbstractItemView::SingleSelection);
    m_tree->setFixedWidth(224);
    m_notice = new TScopeBuildNotice(m_tree->viewport());

    m_refresh = new QPushButton(QStringLiteral("&Refresh"), this);
    m_refresh->setObjectName(QStringLiteral("ButtonRefresh"));
    m_refresh->setAutoDefault(false);
    connect(m_refresh, &QPushButton::clicked, this, &TSearchScopeForm::refresh);
    m_ok = new QPushButton(QStringLiteral("&OK"), this);
    m_ok->setObjectName(QStringLiteral("okButton"));
    m_ok->setDefault(true);
    connect(m_ok, &QPushButton::clicked, this, &TSearchScopeForm::accept);
    auto* cancel = new QPushButton(QStringLiteral("&Cancel"), this);
    cancel->setObjectName(QStringLiteral("cancelButton"));
    cancel->setAutoDefault(false);
    connect(cancel, &QPushButton::clicked, this, &TSearchScopeForm::reject);

    auto* buttons = new QVBoxLayout;
    buttons->addWidget(m_refresh);
    buttons->addStretch();
    buttons->addWidget(m_ok);
    buttons->addWidget(cancel);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(10, 10, 10, 10);
    layout->addWidget(m_tree);
    layout->addLayout(buttons);
    resize(312 + 20, 206 + 20);

    if (m_discovery) {
        // One host list: a second column tells which sources listed each computer.
        m_tree->setColumnCount(2);
        m_tree->setColumnWidth(0, 200);
        m_tree->setFixedWidth(224 + 200);
        resize(312 + 200 + 20, 206 + 60 + 20);
        m_watch = m_discovery->watch([this](const TFoundHost& host, bool joined) {
            QMetaObject::invokeMethod(
                this, [this, host, joined] { announce(host, joined); }, Qt::QueuedConnection);
        });
    }
}

TSearchScopeForm::~TSearchScopeForm()
{
    m_watch.reset();
    cancelBuild();
}

bool TSearchScopeForm::Execute(QWidget* parent, std::shared_ptr<NetworkBrowser> browser, TScopeRoot& root,
                               std::shared_ptr<HostDiscovery> discovery,
                               std::chrono::milliseconds discoveryWindow)
{
    TSearchScopeForm form(std::move(browser), parent, std::move(discovery));
    form.setDiscoveryWindow(discoveryWindow);
    if (form.exec() != QDialog::Accepted)
        return false;
    AssignScopeRoot(root, form.chosenRoot() ? &*form.chosenRoot() : nullptr);
    return true;
}

void TSearchScopeForm::refresh()
{
    if (m_build.valid() || !m_browser)
        return;
    showBuilding(true);
    m_stop = std::stop_source();
    const quint64 number = ++m_buildNumber;
    const std::chrono::milliseconds window = std::max(std::chrono::milliseconds(0), m_discoveryWindow);
    m_build = std::async(std::launch::async, [this, browser = m_browser.get(), discovery = m_discovery.get(),
                                              window, stop = m_stop.get_token(), number] {
        // Told on the window's thread, also when the build fails. The window waits for
        // this thread before it goes, so the window is there to be told.
        struct Notice {
            TSearchScopeForm* form;
            quint64 number;
            ~Notice()
            {
                QMetaObject::invokeMethod(
                    form, [form = form, number = number] { form->finishBuild(number); },
                    Qt::QueuedConnection);
            }
        } notice{this, number};
        // Multicast discovery listens while the NetBIOS browse runs.
        std::future<std::vector<TFoundHost>> discovered;
        if (discovery && window.count() > 0)
            discovered = std::async(std::launch::async, [discovery, window, stop] {
                return discovery->discover(window, false, stop);
            });
        TScopeNode top = BuildScopeTree(
            *browser, [&stop] { return !stop.stop_requested(); }, discovery != nullptr);
        if (discovered.valid())
            AddDiscoveredHosts(top, discovered.get());
        return top;
    });
}

void TSearchScopeForm::finishBuild(quint64 number)
{
    if (number != m_buildNumber || !m_build.valid())
        return; // stopped, and already waited for
    std::future<TScopeNode> build = std::move(m_build);
    showBuilding(false);
    try {
        m_top = build.get();
        showTree(*m_top);
    } catch (const std::exception& error) {
        DialogPrompts().error(this, ExceptionMessage(error));
        return;
    }
    Q_EMIT buildFinished();
}

void TSearchScopeForm::cancelBuild()
{
    if (!m_build.valid())
        return;
    m_stop.request_stop();
    m_build.wait();
    m_build = {};
    showBuilding(false);
}

void TSearchScopeForm::showBuilding(bool building)
{
    if (building) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        m_notice->setGeometry(m_tree->viewport()->rect());
        m_notice->show();
        m_notice->raise();
    } else {
        QApplication::restoreOverrideCursor();
        m_notice->hide();
    }
    m_refresh->setEnabled(!building);
    m_ok->setEnabled(!building);
}

void TSearchScopeForm::showTree(const TScopeNode& top)
{
    m_tree->setUpdatesEnabled(false);
    m_tree->clear();
    m_resources.clear();
    auto* item = new QTreeWidgetItem(m_tree);
    addNode(item, top);
    m_tree->expandAll();
    m_tree->setUpdatesEnabled(true);
}

void TSearchScopeForm::addNode(QTreeWidgetItem* item, const TScopeNode& node)
{
    item->setText(0, node.Caption);
    item->setIcon(0, ScopeIcon(node.ImageIndex));
    if (!node.ToolTip.isEmpty())
        item->setToolTip(0, node.ToolTip);
    if (m_tree->columnCount() > 1 && node.Sources != 0) {
        item->setText(1, HostSourceNames(node.Sources));
        item->setToolTip(1, node.ToolTip);
    }
    item->setData(0, Qt::UserRole, qulonglong(m_resources.size()));
    m_resources.push_back(node.Resource);
    for (const TScopeNode& child : node.Children)
        addNode(new QTreeWidgetItem(item), child);
}

void TSearchScopeForm::announce(const TFoundHost& host, bool joined)
{
    // Before the first build and while one runs, the next build finds the computer itself.
    if (!m_top || m_build.valid())
        return;
    if (joined) {
        AddDiscoveredHosts(*m_top, {host});
    } else {
        RemoveDiscoveredHost(*m_top, host.Address);
    }
    showTree(*m_top);
}

void TSearchScopeForm::accept()
{
    if (m_build.valid())
        return;
    const QList<QTreeWidgetItem*> selected = m_tree->selectedItems();
    if (selected.isEmpty()) {
        // Exact text: compared by the search scope dialog tests.
        DialogPrompts().error(this, QStringLiteral("Please specify search scope"));
        return;
    }
    const qulonglong index = selected.first()->data(0, Qt::UserRole).toULongLong();
    m_chosen = index < m_resources.size() ? m_resources[size_t(index)] : std::nullopt;
    QDialog::accept();
}

void TSearchScopeForm::reject()
{
    cancelBuild();
    QDialog::reject();
}
