#pragma once

#include "app/FileTransfer.h"

#include <QPointer>
#include <QProgressDialog>

class QWidget;

// The copy and move dialogs: a modal progress window with a Cancel button, the
// question before a file is replaced, and the Abort / Retry / Ignore box when
// something fails. The boxes go through MessageBoxes(), so tests answer them.
class TTransferDialogs : public TTransferUi {
public:
    // caption: "Copying..." or "Moving...".
    TTransferDialogs(QWidget* owner, const QString& caption);
    ~TTransferDialogs() override;

    Conflict conflict(const QString& target) override;
    Failure failure(const QString& message) override;
    bool progress(const QString& current, int64_t doneBytes, int64_t totalBytes) override;

    // Lets the (modal) progress window handle its events and tells whether its
    // Cancel was pressed.
    bool pollCancel() override;
    QProgressDialog* progressDialog() const { return m_progress; }

private:
    QPointer<QProgressDialog> m_progress;
};
