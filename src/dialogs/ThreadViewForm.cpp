#include "dialogs/ThreadViewForm.h"

#include "dialogs/WorkerListActivities.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QSet>
#include <QStyle>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

constexpr int kWorkerRole = Qt::UserRole;

const void* WorkerOf(const QTreeWidgetItem* item)
{
    // The item keeps the worker's address only to tell workers apart; it is never used as a pointer.
    // NOLINTNEXTLINE(performance-no-int-to-ptr)
    return reinterpret_cast<const void*>(item->data(0, kWorkerRole).value<quintptr>());
}

QIcon ActivityIcon(const QStyle* style, int kind)
{
    switch (kind) {
    case waConnecting:
        return style->standardIcon(QStyle::SP_ComputerIcon);
    case waSearching:
        return style->standardIcon(QStyle::SP_DirIcon);
    case waScanning:
        return style->standardIcon(QStyle::SP_FileIcon);
    default:
        return {};
    }
}

} // namespace

TThreadViewForm::TThreadViewForm(std::unique_ptr<TWorkerActivitySource> source, QWidget* parent)
    : TThreadViewForm(*source, parent)
{
    m_ownedSource = std::move(source);
}

// Exact text: the window's caption and its column caption below are compared by the
// thread view tests.
TThreadViewForm::TThreadViewForm(TWorkerActivitySource& source, QWidget* parent)
    : TToolWindow(QStringLiteral("Working Threads"), QSize(360, 245), parent), m_source(source)
{
    setObjectName(QStringLiteral("ThreadViewForm"));
    m_list = new QTreeWidget(this);
    m_list->setObjectName(QStringLiteral("ListView"));
    m_list->setColumnCount(1);
    m_list->setHeaderLabels({QStringLiteral("Object")});
    m_list->header()->resizeSection(0, 330);
    m_list->setRootIsDecorated(false);
    m_list->setUniformRowHeights(true);
    m_list->setIconSize(QSize(16, 16));

    m_closeButton = new QPushButton(QStringLiteral("&Close"), this);
    m_closeButton->setObjectName(QStringLiteral("CloseButton"));
    connect(m_closeButton, &QPushButton::clicked, this, &QWidget::close);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_closeButton);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(kInnerBorder, kInnerBorder, kInnerBorder, kInnerBorder);
    layout->addWidget(m_list);
    layout->addLayout(buttons);

    m_timer.setInterval(kActivityIntervalMs);
    connect(&m_timer, &QTimer::timeout, this, &TThreadViewForm::refresh);
    m_source.SetOnChange(m_notice.Hook());
    refresh();
}

TThreadViewForm::~TThreadViewForm()
{
    // No notice may be queued to a window that is gone.
    m_source.SetOnChange({});
}

void TThreadViewForm::refresh()
{
    const std::vector<TWorkerActivityLine> lines = m_source.ReadActivities();
    if (lines.empty()) {
        m_timer.stop();
        m_list->clear();
        return;
    }
    if (!m_timer.isActive())
        m_timer.start();

    QSet<const void*> running;
    for (const TWorkerActivityLine& line : lines)
        running.insert(line.worker);
    for (int i = m_list->topLevelItemCount() - 1; i >= 0; --i) {
        if (!running.contains(WorkerOf(m_list->topLevelItem(i))))
            delete m_list->takeTopLevelItem(i);
    }

    QHash<const void*, QTreeWidgetItem*> shown;
    for (int i = 0; i < m_list->topLevelItemCount(); ++i)
        shown.insert(WorkerOf(m_list->topLevelItem(i)), m_list->topLevelItem(i));
    for (const TWorkerActivityLine& line : lines) {
        QTreeWidgetItem* item = shown.value(line.worker);
        if (!item) {
            item = new QTreeWidgetItem(m_list);
            item->setData(0, kWorkerRole, QVariant::fromValue(reinterpret_cast<quintptr>(line.worker)));
            shown.insert(line.worker, item);
        }
        item->setText(0, line.text);
        item->setIcon(0, ActivityIcon(style(), line.kind));
    }
}

TThreadViewForm* ToggleThreadView(QAction* action, QWidget* mainWindow, TWorkerActivitySource& source)
{
    return ToggleToolWindow<TThreadViewForm>(action, mainWindow,
                                             [&] { return new TThreadViewForm(source, mainWindow); });
}

TThreadViewForm* ToggleThreadView(QAction* action, QWidget* mainWindow,
                                  std::function<std::shared_ptr<TWorkerThreadList>()> workers)
{
    return ToggleToolWindow<TThreadViewForm>(action, mainWindow, [&] {
        return new TThreadViewForm(std::make_unique<TWorkerListActivities>(std::move(workers)), mainWindow);
    });
}
