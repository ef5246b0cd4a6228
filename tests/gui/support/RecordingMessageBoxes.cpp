#include "support/RecordingMessageBoxes.h"

RecordingMessageBoxes::RecordingMessageBoxes()
{
    SetMessageBoxes(this);
}

RecordingMessageBoxes::~RecordingMessageBoxes()
{
    SetMessageBoxes(nullptr);
}

QMessageBox::StandardButton RecordingMessageBoxes::show(const TMessageBoxRequest& request)
{
    shown.append(request);
    if (!answers.empty()) {
        const QMessageBox::StandardButton answer = answers.front();
        answers.pop_front();
        return answer;
    }
    return UnattendedAnswer(request);
}

QStringList RecordingMessageBoxes::texts() const
{
    QStringList texts;
    for (const TMessageBoxRequest& request : shown)
        texts.append(request.text);
    return texts;
}
