#include "dialogs/LogEngineForm.h"

#include "dialogs/LogExport.h"
#include "model/Error.h"
#include "widgets/FileDialogs.h"
#include "widgets/MessageBoxes.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QScrollBar>
#include <QShowEvent>
#include <QTreeView>
#include <QVBoxLayout>

// Exact text: the window caption (both constructors) the log window tests find it by.
TLogEngineForm::TLogEngineForm(TEngineSearchLog& log, QWidget* parent)
    : TToolWindow(QStringLiteral("Search Log"), QSize(404, 303), parent), m_model(log)
{
    setUp();
}

TLogEngineForm::TLogEngineForm(TLogCopyModel::LogSource source, QWidget* parent)
    : TToolWindow(QStringLiteral("Search Log"), QSize(404, 303), parent), m_model(std::move(source))
{
    setUp();
}

void TLogEngineForm::setUp()
{
    setObjectName(QStringLiteral("LogEngineForm"));
    m_list = new QTreeView(this);
    m_list->setObjectName(QStringLiteral("ListView"));
    m_list->setModel(&m_model);
    m_list->setRootIsDecorated(false);
    m_list->setItemsExpandable(false);
    m_list->setUniformRowHeights(true); // lets a long log scroll without measuring every row
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_list->setIconSize(QSize(16, 16));
    m_list->header()->setStretchLastSection(false);
    m_list->header()->resizeSection(0, 370);

    m_saveButton = new QPushButton(QStringLiteral("&Save"), this);
    m_saveButton->setObjectName(QStringLiteral("SaveButton"));
    connect(m_saveButton, &QPushButton::clicked, this, &TLogEngineForm::save);
    m_closeButton = new QPushButton(QStringLiteral("&Close"), this);
    m_closeButton->setObjectName(QStringLiteral("CloseButton"));
    connect(m_closeButton, &QPushButton::clicked, this, &QWidget::close);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_saveButton);
    buttons->addWidget(m_closeButton);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(kInnerBorder, kInnerBorder, kInnerBorder, kInnerBorder);
    layout->addWidget(m_list);
    layout->addLayout(buttons);

    connect(&m_model, &TLogCopyModel::logChanged, this, &TLogEngineForm::synchronize);
}

void TLogEngineForm::showEvent(QShowEvent* event)
{
    TToolWindow::showEvent(event);
    // Shown by the program (not restored from minimised): copy the whole log afresh.
    if (!event->spontaneous())
        m_model.rebuild();
}

void TLogEngineForm::synchronize()
{
    const QScrollBar* bar = m_list->verticalScrollBar();
    const bool atEnd = bar->value() == bar->maximum();
    if (m_model.synchronize() && atEnd)
        m_list->scrollToBottom();
}

void TLogEngineForm::save()
{
    if (m_model.entries().isEmpty())
        return;
    const QString fileName = m_requestSaveName(this);
    if (fileName.isEmpty())
        return;
    try {
        SaveLogExport(fileName, m_model.entries());
    } catch (const std::exception& error) {
        // Exact text: compared by the log window tests.
        ShowMessageBox(this, QMessageBox::Information, ApplicationTitle(),
                       QStringLiteral("Unable to save the file (%1)").arg(ExceptionMessage(error)));
    }
}

QString TLogEngineForm::DefaultSaveName(QWidget* owner)
{
    return FileDialogs().saveFileName(owner, QStringLiteral("Save Log"),
                                      QStringLiteral("Text files (*.txt)|*.txt"), QStringLiteral(".txt"));
}

TLogEngineForm* ToggleLogView(QAction* action, QWidget* mainWindow, TLogCopyModel::LogSource source)
{
    return ToggleToolWindow<TLogEngineForm>(
        action, mainWindow, [&] { return new TLogEngineForm(std::move(source), mainWindow); });
}
