#pragma once

#include "model/ItemRecord.h"
#include "platform/FileStore.h"

#include <QDialog>
#include <optional>

class QFormLayout;

// The properties of a found file or folder: what the search recorded (name,
// place, type, size, date, attributes) and, when its place could be asked, what
// it says now; otherwise why it could not be asked.
class TFilePropertiesDialog : public QDialog {
    Q_OBJECT
public:
    // now: the file's state at its place, or empty with nowError saying why not.
    TFilePropertiesDialog(const TItemRecord& record, const std::optional<FileStoreStat>& now,
                          const QString& nowError, QWidget* parent = nullptr);

    // The value shown for a field label ("Name", "Location", "Type", "Size",
    // "Modified", "Attributes", "Now"); empty when there is no such row.
    QString fieldText(const QString& label) const;

private:
    QFormLayout* m_fields = nullptr;
};
