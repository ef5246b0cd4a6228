#include "dialogs/BatchFileDialog.h"

#include "support/DialogTestSupport.h"
#include "support/GuiTestApplication.h"
#include "support/QStringPrinter.h"
#include "support/TempDir.h"

#include <QCheckBox>
#include <QFile>
#include <QLineEdit>
#include <QRadioButton>

namespace {

QByteArray ReadFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

class BatchFileDialogTest : public TDialogTest {
protected:
    TItemList hits{MakeItemRecord("\\\\PC1\\docs\\it's.txt", 0, -1, 0.0, 1),
                   MakeItemRecord("\\\\PC2\\docs\\a b.txt", 0, -1, 0.0, 1)};
    TRecordingPrompts messages;
    TRecordingDialogPrompts files;
    TempDir folder;
};

TEST_F(BatchFileDialogTest, ABatchFileIsTheDefaultAndStaysCrLfWithDoubleQuotes)
{
    TBatchFileDialog dialog(hits);
    EXPECT_FALSE(dialog.shellScriptButton()->isChecked());
    EXPECT_FALSE(dialog.mountFolderButton()->isEnabled());
    EXPECT_FALSE(dialog.mountFolderEdit()->isEnabled());
    dialog.templateEdit()->setText("copy <FN> c:\\temp");
    files.saveFileAnswers.push_back(folder.file("out.bat"));
    EXPECT_TRUE(dialog.createBatchFile());
    EXPECT_EQ(files.fileFilters, QStringList({"Batch files (*.bat)|*.bat|.bat"}));
    EXPECT_EQ(ReadFile(folder.file("out.bat")),
              "copy \"\\\\PC1\\docs\\it's.txt\" c:\\temp\r\ncopy \"\\\\PC2\\docs\\a b.txt\" c:\\temp\r\n");
}

TEST_F(BatchFileDialogTest, TheShellScriptChoiceWritesSmbAddressesInSingleQuotes)
{
    TBatchFileDialog dialog(hits);
    dialog.shellScriptButton()->setChecked(true);
    EXPECT_TRUE(dialog.mountFolderButton()->isEnabled());
    EXPECT_FALSE(dialog.mountFolderEdit()->isEnabled()) << "smb:// addresses are the default";
    dialog.templateEdit()->setText("gio copy <FN> /tmp");
    files.saveFileAnswers.push_back(folder.file("out.sh"));
    EXPECT_TRUE(dialog.createBatchFile());
    EXPECT_EQ(files.fileTitles, QStringList({"Save Shell Script"}));
    EXPECT_EQ(files.fileFilters, QStringList({"Shell scripts (*.sh)|*.sh|.sh"}));
    EXPECT_EQ(ReadFile(folder.file("out.sh")), "#!/bin/sh\n"
                                               "gio copy 'smb://PC1/docs/it%27s.txt' /tmp\n"
                                               "gio copy 'smb://PC2/docs/a%20b.txt' /tmp\n");
}

TEST_F(BatchFileDialogTest, AMountFolderIsRequiredWhenChosenAndPrefixesThePaths)
{
    TBatchFileDialog dialog(hits);
    dialog.shellScriptButton()->setChecked(true);
    dialog.mountFolderButton()->setChecked(true);
    EXPECT_TRUE(dialog.mountFolderEdit()->isEnabled());
    dialog.templateEdit()->setText("cp <FN> <FD>/copy");
    dialog.noDuplicatesBox()->setChecked(true);

    EXPECT_FALSE(dialog.createBatchFile());
    EXPECT_EQ(messages.infos, QStringList({"Mount folder is empty"}));
    EXPECT_TRUE(files.fileTitles.isEmpty()) << "no save dialog before the values are complete";

    dialog.mountFolderEdit()->setText(" /mnt/lan/ ");
    files.saveFileAnswers.push_back(folder.file("mount.sh"));
    EXPECT_TRUE(dialog.createBatchFile());
    EXPECT_EQ(ReadFile(folder.file("mount.sh")),
              "#!/bin/sh\n"
              "cp '/mnt/lan/PC1/docs/it'\\''s.txt' '/mnt/lan/PC1/docs'/copy\n"
              "cp '/mnt/lan/PC2/docs/a b.txt' '/mnt/lan/PC2/docs'/copy\n");
}

} // namespace
