#include "dialogs/ConfigForm.h"

#include "dialogs/IPAddressControl.h"
#include "dialogs/IPRangeEditForm.h"
#include "dialogs/IPRangeInputForm.h"
#include "dialogs/IPScanOptionsForm.h"
#include "dialogs/RadioGroup.h"
#include "dialogs/SortedListView.h"
#include "engine/IpRange.h"
#include "model/DateTime.h"
#include "model/DiscoverySettings.h"
#include "store/Settings.h"
#include "support/DialogTestSupport.h"
#include "support/QStringPrinter.h"
#include "support/ShotFiles.h"
#include "support/TempDir.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTest>
#include <gtest/gtest.h>

namespace {

template <typename T> T* Child(QWidget* form, const char* name)
{
    T* child = form->findChild<T*>(name);
    EXPECT_NE(child, nullptr) << name;
    return child;
}

// Every setting the dialog edits, away from its default.
TSettings ChangedSettings()
{
    TSettings settings;
    settings.FilterByDate = true;
    settings.FilterBySize = true;
    settings.DateFrom = EncodeDateTime({2024, 3, 1, 0, 0, 0, 0});
    settings.DateTo = EncodeDateTime({2024, 4, 15, 13, 30, 0, 0});
    settings.SizeMultipleFrom = TSizeUnit::Kilobytes;
    settings.SizeMultipleTo = TSizeUnit::Megabytes;
    settings.SizeFrom = 12;
    settings.SizeTo = 3400;
    settings.FileNameDisplayFormat = 2;
    settings.DateFormat = 3;
    settings.SearchMethod = TSearchType::SpecifiedComputers;
    settings.HiddenResSearchMethod = THiddenShareMode::HiddenOnly;
    settings.FoldersSearchMethod = TFolderListMode::AllExceptSpecified;
    settings.MaxThreads = 42;
    settings.DrawGrid = false;
    settings.MinToTray = true;
    settings.EnableTextSearch = true;
    settings.CompleteMessage = false;
    settings.AutoUnmount = true;
    settings.FtpSearchMode = TFtpMode::SharesAndFtp;
    settings.FtpVerifyCertificates = true;
    settings.ResList = {"\\\\PC2", "\\\\PC1"};
    settings.FolderList = {"temp*", "*\\My Documents"};
    return settings;
}

class ConfigFormTest : public TDialogTest {
protected:
    QAction* action(const char* name) { return Child<QAction>(&form, name); }

    TRecordingDialogPrompts prompts;
    TIPDiscoverySettings discovery;
    TConfigForm form{discovery};
};

TEST_F(ConfigFormTest, ControlsShowTheSettings)
{
    form.load(ChangedSettings());
    EXPECT_TRUE(Child<QCheckBox>(&form, "cbFilterByDate")->isChecked());
    EXPECT_EQ(Child<QDateEdit>(&form, "dpDateFrom")->date(), QDate(2024, 3, 1));
    EXPECT_EQ(Child<QDateEdit>(&form, "dpDateTo")->date(), QDate(2024, 4, 15));
    EXPECT_EQ(Child<QLineEdit>(&form, "edSizeFrom")->text(), "12");
    EXPECT_EQ(Child<QComboBox>(&form, "cmbSizeMultipleFrom")->currentText(), "KB");
    EXPECT_EQ(Child<QComboBox>(&form, "cmbSizeMultipleTo")->currentText(), "MB");
    EXPECT_EQ(Child<QComboBox>(&form, "FileFormatComboBox")->currentText(), "File name only (without path)");
    EXPECT_EQ(Child<QComboBox>(&form, "cmbDateFormat")->currentIndex(), 3);
    EXPECT_EQ(Child<QComboBox>(&form, "cmbDateFormat")->count(), 4);
    EXPECT_FALSE(Child<QCheckBox>(&form, "cbDrawGrid")->isChecked());
    EXPECT_TRUE(Child<QCheckBox>(&form, "cbAutoUnMount")->isChecked());
    EXPECT_EQ(Child<QSpinBox>(&form, "edMaxThreads")->value(), 42);
    EXPECT_EQ(form.searchType()->itemIndex(), 2);
    EXPECT_EQ(Child<TRadioGroup>(&form, "rgAcceptResources")->itemIndex(), 1);
    EXPECT_EQ(Child<TRadioGroup>(&form, "rgFtpMode")->itemIndex(), 1);
    EXPECT_TRUE(Child<QCheckBox>(&form, "cbFtpVerifyCertificates")->isChecked());
    // Both lists sorted; folder entries as stored.
    EXPECT_EQ(form.resourceList()->entries(), QStringList({"\\\\PC1", "\\\\PC2"}));
    EXPECT_EQ(form.folderList()->entries(), QStringList({"*\\My Documents", "temp*"}));
    const QStringList tabs = {"Main", "Net search", "Hidden folders", "Folders", "FTP"};
    for (int i = 0; i < tabs.size(); ++i)
        EXPECT_EQ(form.pages()->tabText(i), tabs[i]);
}

TEST_F(ConfigFormTest, StoreGivesBackWhatWasLoaded)
{
    const TSettings original = ChangedSettings();
    form.load(original);
    TSettings taken;
    form.store(taken);
    TSettings expected = original;
    expected.ResList = {"\\\\PC1", "\\\\PC2"};
    expected.FolderList = {"*\\My Documents", "temp*"};
    EXPECT_EQ(taken, expected);
}

TEST_F(ConfigFormTest, ScopeEntriesFromTheSettingsBecomeUpperCase)
{
    TSettings settings;
    settings.ResList = {"\\\\pc9", "ws-*", "\\\\Alpha"};
    form.load(settings);
    form.store(settings);
    EXPECT_EQ(settings.ResList, QStringList({"\\\\ALPHA", "\\\\PC9", "WS-*"}));
}

TEST_F(ConfigFormTest, ExecuteTakesValuesBackOnOkOnly)
{
    TSettings settings;
    settings.MaxThreads = 10;
    OnNextModal([](QDialog* dialog) {
        Child<QSpinBox>(dialog, "edMaxThreads")->setValue(77);
        Child<QCheckBox>(dialog, "cbMinToTray")->setChecked(true);
        ClickButton(dialog, "cancelButton");
    });
    EXPECT_FALSE(TConfigForm::Execute(nullptr, settings, discovery));
    EXPECT_EQ(settings, TSettings());

    OnNextModal([](QDialog* dialog) {
        Child<QSpinBox>(dialog, "edMaxThreads")->setValue(77);
        Child<QCheckBox>(dialog, "cbMinToTray")->setChecked(true);
        ClickButton(dialog, "okButton");
    });
    EXPECT_TRUE(TConfigForm::Execute(nullptr, settings, discovery));
    EXPECT_EQ(settings.MaxThreads, 77);
    EXPECT_TRUE(settings.MinToTray);
}

TEST_F(ConfigFormTest, SizeTextThatIsNoNumberGivesZeroAndThreadsStayInRange)
{
    TSettings settings;
    form.load(settings);
    Child<QLineEdit>(&form, "edSizeFrom")->setText("");
    Child<QLineEdit>(&form, "edSizeTo")->setText("9999999999"); // above 32 bits
    Child<QSpinBox>(&form, "edMaxThreads")->setValue(1000);
    settings.SizeFrom = 5;
    form.store(settings);
    EXPECT_EQ(settings.SizeFrom, 0);
    EXPECT_EQ(settings.SizeTo, 0);
    EXPECT_EQ(settings.MaxThreads, 255);
}

TEST_F(ConfigFormTest, ChoicesOutsideTheirItemsKeepTheStoredValue)
{
    TSettings settings;
    settings.SearchMethod = TSearchType::Unknown;
    settings.HiddenResSearchMethod = THiddenShareMode::Unknown;
    settings.FoldersSearchMethod = TFolderListMode::Unknown;
    settings.FtpSearchMode = TFtpMode::Unknown;
    settings.SizeMultipleFrom = TSizeUnit::Unknown;
    settings.DateFormat = 5;
    form.load(settings);
    EXPECT_EQ(form.searchType()->itemIndex(), -1);
    EXPECT_EQ(Child<TRadioGroup>(&form, "rgAcceptResources")->itemIndex(), -1);
    EXPECT_EQ(Child<TRadioGroup>(&form, "rgFoldersType")->itemIndex(), -1);
    EXPECT_EQ(Child<TRadioGroup>(&form, "rgFtpMode")->itemIndex(), -1);
    EXPECT_EQ(Child<QComboBox>(&form, "cmbSizeMultipleFrom")->currentIndex(), -1);
    EXPECT_FALSE(form.isIpSearch());
    TSettings taken = settings;
    form.store(taken);
    EXPECT_EQ(taken, settings);

    // Choosing an item then gives its mode.
    Child<TRadioGroup>(&form, "rgFtpMode")->button(2)->click();
    Child<QComboBox>(&form, "cmbSizeMultipleFrom")->setCurrentIndex(0);
    form.store(taken);
    EXPECT_EQ(taken.FtpSearchMode, TFtpMode::FtpOnly);
    EXPECT_EQ(taken.SizeMultipleFrom, TSizeUnit::Megabytes);
    EXPECT_EQ(taken.SearchMethod, TSearchType::Unknown);
}

TEST_F(ConfigFormTest, DatesKeepTheirTimeOfDayWhenOnlyTheDateChanges)
{
    TSettings settings = ChangedSettings();
    form.load(settings);
    Child<QDateEdit>(&form, "dpDateTo")->setDate(QDate(2024, 5, 2));
    form.store(settings);
    EXPECT_DOUBLE_EQ(settings.DateTo, EncodeDateTime({2024, 5, 2, 13, 30, 0, 0}));
    EXPECT_DOUBLE_EQ(settings.DateFrom, EncodeDateTime({2024, 3, 1, 0, 0, 0, 0}));
}

TEST_F(ConfigFormTest, SearchTypeChangesCaptionsHintsAndButtonsButNotTheList)
{
    TSettings settings;
    settings.ResList = {"\\\\PC1"};
    form.load(settings);
    EXPECT_EQ(form.resourceList()->caption(), "Computers");
    EXPECT_EQ(action("addResource")->toolTip(), "Add computer");
    EXPECT_FALSE(action("additionalSettings")->isEnabled());

    form.searchType()->button(3)->click();
    EXPECT_EQ(form.resourceList()->caption(), "IP Range(s)");
    EXPECT_EQ(action("addResource")->toolTip(), "Add IP range");
    EXPECT_EQ(action("deleteResource")->toolTip(), "Delete IP range");
    EXPECT_EQ(action("editResource")->toolTip(), "Edit IP range");
    EXPECT_TRUE(action("additionalSettings")->isEnabled());
    EXPECT_EQ(form.resourceList()->entries(), QStringList({"\\\\PC1"}));

    form.searchType()->button(1)->click();
    EXPECT_EQ(action("deleteResource")->toolTip(), "Delete computer");
    EXPECT_EQ(action("editResource")->toolTip(), "Edit computer");
    EXPECT_FALSE(action("additionalSettings")->isEnabled());
}

TEST_F(ConfigFormTest, WildcardNoteOnlyForListedComputers)
{
    form.show();
    form.pages()->setCurrentIndex(1);
    QLabel* note = nullptr;
    for (QLabel* label : form.findChildren<QLabel*>()) {
        if (label->text().startsWith("You can use wildcards."))
            note = label;
    }
    ASSERT_NE(note, nullptr);
    const bool visibleFor[] = {false, true, true, false};
    for (int type = 0; type < 4; ++type) {
        form.searchType()->setItemIndex(type);
        EXPECT_EQ(note->isVisible(), visibleFor[type]) << type;
    }
}

TEST_F(ConfigFormTest, AddedComputersAreUncAndUpperCaseInSortedOrder)
{
    prompts.inputAnswers = {QString("pc1"), QString("\\\\pc2"), QString(""), std::nullopt, QString("alpha")};
    for (int i = 0; i < 5; ++i)
        form.addResource();
    EXPECT_EQ(prompts.inputs.first(), "Add computer|Enter a computer name|");
    EXPECT_EQ(form.resourceList()->entries(), QStringList({"\\\\ALPHA", "\\\\PC1", "\\\\PC2"}));
}

TEST_F(ConfigFormTest, AddedRangeIsWrittenWithTheHyphenBetweenBlanks)
{
    form.searchType()->setItemIndex(3);
    OnNextModal([](QDialog* dialog) {
        auto* input = qobject_cast<TIPRangeInputForm*>(dialog);
        ASSERT_NE(input, nullptr);
        input->fromControl()->setIPAddress(0xC0A80101);
        input->toControl()->setIPAddress(0xC0A8010A);
        ClickButton(dialog, "okButton");
    });
    form.addResource();
    EXPECT_EQ(form.resourceList()->entries(), QStringList({"192.168.1.1 - 192.168.1.10"}));
    EXPECT_TRUE(prompts.inputs.isEmpty());

    // The search takes the entry as a range of ten addresses.
    uint32_t first = 0;
    uint32_t last = 0;
    EXPECT_TRUE(ParseIPRange(form.resourceList()->entries().first(), first, last));
    EXPECT_EQ(IPRangeCount(first, last), 10u);

    // Entered the wrong way round it is put in order, and the search takes it.
    OnNextModal([](QDialog* dialog) {
        auto* input = qobject_cast<TIPRangeInputForm*>(dialog);
        ASSERT_NE(input, nullptr);
        input->fromControl()->setIPAddress(0x0A000109);
        input->toControl()->setIPAddress(0x0A000101);
        ClickButton(dialog, "okButton");
    });
    form.addResource();
    ASSERT_EQ(form.resourceList()->entries().size(), 2);
    EXPECT_EQ(form.resourceList()->entries().first(), "10.0.1.1 - 10.0.1.9");
    EXPECT_TRUE(ParseIPRange(form.resourceList()->entries().first(), first, last));
}

TEST_F(ConfigFormTest, EditingARangeChecksItAsTypedAndShowsItWhole)
{
    TSettings settings;
    settings.SearchMethod = TSearchType::IpAddressRange;
    settings.ResList = {"127.0.7.1 - 127.0.7.9"};
    form.load(settings);
    form.resourceList()->selectRow(0);
    OnNextModal([](QDialog* dialog) {
        auto* edit = qobject_cast<TIPRangeEditForm*>(dialog);
        ASSERT_NE(edit, nullptr);
        EXPECT_EQ(edit->entryEdit()->text(), "127.0.7.1 - 127.0.7.9");
        EXPECT_EQ(edit->checkText(), "9 addresses");
        // The whole range fits the box.
        const QString longest = "255.255.255.255 - 255.255.255.255";
        EXPECT_GE(edit->entryEdit()->width(), edit->entryEdit()->fontMetrics().horizontalAdvance(longest));

        edit->entryEdit()->selectAll();
        QTest::keyClicks(edit->entryEdit(), "127.0.7.300 - 127.0.7.1");
        EXPECT_FALSE(edit->okEnabled());
        EXPECT_TRUE(edit->checkText().startsWith("Not a valid range")) << edit->checkText().toStdString();
        edit->accept(); // Enter with OK disabled
        EXPECT_TRUE(edit->isVisible());

        edit->entryEdit()->selectAll();
        QTest::keyClicks(edit->entryEdit(), "127.0.7.1 - 127.0.7.20");
        EXPECT_TRUE(edit->okEnabled());
        EXPECT_EQ(edit->checkText(), "20 addresses");
        SaveShotIfAsked(edit, "gui15-range-editor");
        ClickButton(dialog, "okButton");
    });
    form.editResource();
    EXPECT_EQ(form.resourceList()->entries(), QStringList({"127.0.7.1 - 127.0.7.20"}));
    EXPECT_TRUE(prompts.inputs.isEmpty());
}

TEST_F(ConfigFormTest, DeleteAsksFirst)
{
    TSettings settings;
    settings.ResList = {"\\\\PC1", "\\\\PC2"};
    form.load(settings);
    form.deleteResources(); // nothing selected: no question
    EXPECT_TRUE(prompts.questions.isEmpty());

    form.resourceList()->selectRow(1);
    prompts.yesNoAnswers = {false, true};
    form.deleteResources();
    EXPECT_EQ(prompts.questions, QStringList({"Kestrova: Delete 1 items?"}));
    EXPECT_EQ(form.resourceList()->entries().size(), 2);
    form.deleteResources();
    EXPECT_EQ(form.resourceList()->entries(), QStringList({"\\\\PC1"}));
}

TEST_F(ConfigFormTest, EditUpperCasesWithoutPrefix)
{
    TSettings settings;
    settings.ResList = {"\\\\PC1", "\\\\PC5"};
    form.load(settings);
    form.resourceList()->selectRow(1);
    prompts.inputAnswers = {QString(""), std::nullopt, QString("aa")};
    form.editResource();
    form.editResource();
    EXPECT_EQ(form.resourceList()->entries(), QStringList({"\\\\PC1", "\\\\PC5"}));
    form.editResource();
    EXPECT_EQ(prompts.inputs.first(), "Edit value||\\\\PC5");
    // Punctuation sorts before letters.
    EXPECT_EQ(form.resourceList()->entries(), QStringList({"\\\\PC1", "AA"}));
}

TEST_F(ConfigFormTest, LoadReplacesTheListWithTheFilesNames)
{
    TempDir dir;
    TSettings settings;
    settings.ResList = {"\\\\OLD"};
    form.load(settings);
    prompts.openFileAnswers = {dir.write("list.txt", "pc1\r\n\\\\pc2\r\n"), dir.file("missing.txt")};
    form.loadResources();
    EXPECT_EQ(prompts.fileFilters.first(), "List of computers/IP (*.txt)|*.txt");
    EXPECT_EQ(form.resourceList()->entries(), QStringList({"\\\\PC1", "\\\\PC2"}));

    // A file that cannot be read is reported and the list stays as it was.
    form.loadResources();
    EXPECT_EQ(prompts.errors.size(), 1);
    EXPECT_EQ(form.resourceList()->entries(), QStringList({"\\\\PC1", "\\\\PC2"}));
}

TEST_F(ConfigFormTest, RangesLoadedForAnIpSearchKeepTheirForm)
{
    TempDir dir;
    form.searchType()->setItemIndex(3);
    prompts.openFileAnswers = {dir.write("ranges.txt", "10.0.0.1 - 10.0.0.9\r\n")};
    form.loadResources();
    EXPECT_EQ(form.resourceList()->entries(), QStringList({"10.0.0.1 - 10.0.0.9"}));
}

TEST_F(ConfigFormTest, SaveWritesTheListAndNothingWhenItIsEmpty)
{
    TempDir dir;
    prompts.saveFileAnswers = {dir.file("empty.txt"), dir.file("list.txt")};
    form.saveResources();
    EXPECT_EQ(prompts.fileFilters.first(), "List of computers/IP (*.txt)|*.txt|.txt");
    EXPECT_FALSE(QFile::exists(dir.file("empty.txt")));

    TSettings settings;
    settings.ResList = {"\\\\PC2", "\\\\PC1"};
    form.load(settings);
    form.saveResources();
    QFile file(dir.file("list.txt"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), QByteArray("\\\\PC1\r\n\\\\PC2\r\n"));

    prompts.saveFileAnswers = {dir.file("no/folder/x.txt")};
    form.saveResources();
    EXPECT_EQ(prompts.errors.size(), 1);
}

TEST_F(ConfigFormTest, DiscoverySettingsAreWrittenByTheirOwnOk)
{
    TSettings settings;
    settings.SearchMethod = TSearchType::IpAddressRange;
    discovery.MaxThreads = 10;
    OnNextModal([this](QDialog* options) {
        auto* config = qobject_cast<TConfigForm*>(options);
        ASSERT_NE(config, nullptr);
        OnNextModal([](QDialog* dialog) {
            Child<QSpinBox>(dialog, "ThreadsLabeledEdit")->setValue(250);
            ClickButton(dialog, "okButton");
        });
        config->additionalSettings();
        EXPECT_EQ(discovery.MaxThreads, 250);
        ClickButton(options, "cancelButton");
    });
    EXPECT_FALSE(TConfigForm::Execute(nullptr, settings, discovery));
    EXPECT_EQ(discovery.MaxThreads, 250);
}

TEST_F(ConfigFormTest, FolderEntriesAreKeptAsTyped)
{
    prompts.inputAnswers = {QString("My docs"), QString(""), QString("*temp\\db\\*")};
    form.addFolder();
    form.addFolder();
    form.addFolder();
    EXPECT_EQ(prompts.inputs.first(), "Enter a folder name|For example, My documents|");
    EXPECT_EQ(form.folderList()->entries(), QStringList({"*temp\\db\\*", "My docs"}));

    form.folderList()->selectRow(1);
    prompts.inputAnswers = {QString("archive")};
    form.editFolder();
    EXPECT_EQ(prompts.inputs.last(), "Edit folder||My docs");
    EXPECT_EQ(form.folderList()->entries(), QStringList({"*temp\\db\\*", "archive"}));

    form.folderList()->selectRow(0);
    form.deleteFolder();
    EXPECT_EQ(form.folderList()->entries(), QStringList({"archive"}));
    EXPECT_TRUE(prompts.questions.isEmpty());
}

} // namespace
