#pragma once

#include "model/ItemRecord.h"

#include <QDialog>

class QCheckBox;
class QLineEdit;
class QRadioButton;

// "Batch Files": turns the result list into a command script from a one-line template
// with "<FN>", "<FD>" and "<FC>": a .bat file, or a POSIX shell script naming the hits
// by smb:// addresses or by paths below a mount folder the user gives. OK builds the
// lines, asks where to save them and writes them; a failure (empty list, empty
// template, a line that would not run as intended, no mount folder, a write error) is
// shown and the window stays open for a correction.
class TBatchFileDialog : public QDialog {
    Q_OBJECT
public:
    TBatchFileDialog(const TItemList& items, QWidget* parent = nullptr);

    QLineEdit* templateEdit() const { return m_template; }
    QCheckBox* noDuplicatesBox() const { return m_noDuplicates; }
    QRadioButton* shellScriptButton() const { return m_shellScript; }
    QRadioButton* mountFolderButton() const { return m_mountPaths; }
    QLineEdit* mountFolderEdit() const { return m_mountFolder; }

    // What OK does; true when the file was written or the save was cancelled (the
    // window then closes).
    bool createBatchFile();

private:
    const TItemList m_items; // a copy sharing the data: no reference to the caller's list
    QLineEdit* m_template;
    QCheckBox* m_noDuplicates;
    QRadioButton* m_batchFile;
    QRadioButton* m_shellScript;
    QRadioButton* m_smbAddresses;
    QRadioButton* m_mountPaths;
    QLineEdit* m_mountFolder;

    void updateShellControls();
};
