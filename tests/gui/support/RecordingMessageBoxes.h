#pragma once

#include "widgets/MessageBoxes.h"

#include <QList>
#include <deque>

// Message boxes for tests: records every box and answers from a queue (the box's
// default button, or its first one, when the queue is empty). Installs itself
// while it lives.
class RecordingMessageBoxes : public TMessageBoxes {
public:
    RecordingMessageBoxes();
    ~RecordingMessageBoxes() override;

    QMessageBox::StandardButton show(const TMessageBoxRequest& request) override;

    // The texts shown, in order.
    QStringList texts() const;

    QList<TMessageBoxRequest> shown;
    std::deque<QMessageBox::StandardButton> answers;
};
