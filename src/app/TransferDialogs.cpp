#include "app/TransferDialogs.h"

#include "widgets/MessageBoxes.h"

#include <QApplication>
#include <QProgressDialog>

namespace {

// The progress bar counts in KiB: an int holds 2 TiB of them.
int ProgressUnits(int64_t bytes)
{
    return int(std::min<int64_t>(bytes / 1024, std::numeric_limits<int>::max()));
}

} // namespace

TTransferDialogs::TTransferDialogs(QWidget* owner, const QString& caption)
{
    m_progress = new QProgressDialog(caption, QStringLiteral("Cancel"), 0, 0, owner);
    m_progress->setObjectName(QStringLiteral("TransferProgress"));
    m_progress->setWindowTitle(ApplicationTitle());
    m_progress->setWindowModality(Qt::ApplicationModal);
    // Shown at once: being modal, it keeps the other windows from starting
    // anything while the transfer lets events run.
    m_progress->setMinimumDuration(0);
    m_progress->setAutoClose(false);
    m_progress->setAutoReset(false);
}

TTransferDialogs::~TTransferDialogs()
{
    delete m_progress;
}

TTransferUi::Conflict TTransferDialogs::conflict(const QString& target)
{
    // Exact text: the replace question's caption and text; the file operation tests
    // find the box by them.
    const auto answer = ShowMessageBox(
        m_progress, QMessageBox::Question, QStringLiteral("Confirm File Replace"),
        QStringLiteral("This folder already contains a file named \"%1\".\n\nDo you want to replace it?")
            .arg(target),
        QMessageBox::Yes | QMessageBox::YesToAll | QMessageBox::No | QMessageBox::NoToAll |
            QMessageBox::Cancel,
        QMessageBox::No);
    switch (answer) {
    case QMessageBox::Yes:
        return Conflict::Replace;
    case QMessageBox::YesToAll:
        return Conflict::ReplaceAll;
    case QMessageBox::No:
        return Conflict::Skip;
    case QMessageBox::NoToAll:
        return Conflict::SkipAll;
    default:
        return Conflict::Cancel;
    }
}

TTransferUi::Failure TTransferDialogs::failure(const QString& message)
{
    const auto answer =
        ShowMessageBox(m_progress, QMessageBox::Warning, DefaultBoxCaption(), message,
                       QMessageBox::Abort | QMessageBox::Retry | QMessageBox::Ignore, QMessageBox::Abort);
    switch (answer) {
    case QMessageBox::Retry:
        return Failure::Retry;
    case QMessageBox::Ignore:
        return Failure::Ignore;
    default:
        return Failure::Abort;
    }
}

bool TTransferDialogs::progress(const QString& current, int64_t doneBytes, int64_t totalBytes)
{
    if (!m_progress)
        return false;
    if (!current.isEmpty())
        m_progress->setLabelText(current);
    m_progress->setMaximum(std::max(1, ProgressUnits(totalBytes)));
    m_progress->setValue(std::min(ProgressUnits(doneBytes), m_progress->maximum()));
    // setValue lets a modal progress window process its events, Cancel included;
    // this keeps it current while it waits for its minimum duration too.
    QApplication::processEvents();
    return !m_progress->wasCanceled();
}

bool TTransferDialogs::pollCancel()
{
    if (!m_progress)
        return true;
    if (m_progress->isVisible())
        QApplication::processEvents();
    return m_progress->wasCanceled();
}
