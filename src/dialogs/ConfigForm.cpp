#include "dialogs/ConfigForm.h"

#include "dialogs/DialogPrompts.h"
#include "dialogs/IPRangeEditForm.h"
#include "dialogs/IPRangeInputForm.h"
#include "dialogs/IPScanOptionsForm.h"
#include "dialogs/ModalButtons.h"
#include "dialogs/ModeChoice.h"
#include "dialogs/RadioGroup.h"
#include "dialogs/SortedListView.h"
#include "model/DateTime.h"
#include "model/DiscoverySettings.h"
#include "model/Error.h"
#include "model/ItemDateText.h"
#include "model/ScopeEntry.h"
#include "store/ComputerListFile.h"
#include "store/Settings.h"
#include "widgets/FileDialogs.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QSpinBox>
#include <QStyle>
#include <QTabWidget>
#include <QToolBar>
#include <QVBoxLayout>

namespace {

// Exact text: the filter of the computer list's open and save dialogs; the Options
// dialog tests compare it.
const QString kListFileFilter = QStringLiteral("List of computers/IP (*.txt)|*.txt");

QLabel* WrappedLabel(const QString& text, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return label;
}

QCheckBox* CheckBox(const QString& caption, const QString& name, QWidget* parent)
{
    auto* box = new QCheckBox(caption, parent);
    box->setObjectName(name);
    return box;
}

QComboBox* ChoiceList(const QStringList& items, const QString& name, QWidget* parent)
{
    auto* box = new QComboBox(parent);
    box->setObjectName(name);
    box->addItems(items);
    return box;
}

QLineEdit* DigitsField(const QString& name, QWidget* parent)
{
    auto* field = new QLineEdit(parent);
    field->setObjectName(name);
    field->setMaxLength(10);
    field->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), field));
    field->setMaximumWidth(90);
    return field;
}

QDateEdit* DatePicker(const QString& name, QWidget* parent)
{
    auto* picker = new QDateEdit(parent);
    picker->setObjectName(name);
    picker->setCalendarPopup(true);
    return picker;
}

QAction* ToolButton(QToolBar* bar, QStyle::StandardPixmap icon, const QString& hint, const QString& name)
{
    QAction* action = bar->addAction(bar->style()->standardIcon(icon), hint);
    action->setObjectName(name);
    action->setToolTip(hint);
    return action;
}

// A size field's text as a number; 0 when it is empty or does not fit.
int32_t SizeFieldValue(const QLineEdit* field)
{
    bool ok = false;
    const int32_t value = field->text().toInt(&ok);
    return ok ? value : 0;
}

// The chosen index, or the stored value when the list shows no item.
int32_t ChosenIndex(int index, int32_t stored)
{
    return index >= 0 ? index : stored;
}

// Today's date at midnight in each of the four date display formats, as the results
// view would show it: short date, long date, short date and short time, long date and
// long time.
QStringList DateFormatSamples()
{
    TItemRecord today;
    today.DateTime = DateTimeFromQDateTime(QDateTime(QDate::currentDate(), QTime(0, 0)));
    QStringList samples;
    for (int format = 0; format < 4; ++format)
        samples.append(ItemDateText(today, format));
    return samples;
}

double DateWithTime(const QDate& date, const QTime& time)
{
    return DateTimeFromQDateTime(QDateTime(date, time.isValid() ? time : QTime(0, 0)));
}

} // namespace

TConfigForm::TConfigForm(TIPDiscoverySettings& discovery, const std::function<void()>& openManual,
                         QWidget* parent)
    : QDialog(parent), m_discovery(discovery), m_openManual(openManual)
{
    // Exact text: the dialog and page captions users find each setting under; the Options
    // dialog tests pick pages by them.
    setWindowTitle(QStringLiteral("Options"));
    m_pages = new QTabWidget(this);
    m_pages->setObjectName(QStringLiteral("PageControl"));
    m_pages->addTab(createMainPage(), QStringLiteral("Main"));
    m_pages->addTab(createNetSearchPage(), QStringLiteral("Net search"));
    m_pages->addTab(createHiddenFoldersPage(), QStringLiteral("Hidden folders"));
    m_pages->addTab(createFoldersPage(), QStringLiteral("Folders"));
    m_pages->addTab(createFtpPage(), QStringLiteral("FTP"));

    auto* help = new QPushButton(QStringLiteral("&Help"), this);
    help->setObjectName(QStringLiteral("helpButton"));
    help->setAutoDefault(false);
    help->setEnabled(bool(m_openManual));
    connect(help, &QPushButton::clicked, this, [this] {
        if (m_openManual)
            m_openManual();
    });
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(help);
    bottom->addStretch();
    bottom->addWidget(new TModalButtons(this));

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_pages, 1);
    layout->addLayout(bottom);
    resize(580, 440);
    updateSearchTypePresentation();
}

TConfigForm::~TConfigForm() = default;

QWidget* TConfigForm::createMainPage()
{
    auto* page = new QWidget;

    auto* filters = new QGroupBox(QStringLiteral("Search results filters"), page);
    m_filterByDate =
        CheckBox(QStringLiteral("Filter by date. File date from"), QStringLiteral("cbFilterByDate"), page);
    m_dateFrom = DatePicker(QStringLiteral("dpDateFrom"), page);
    m_dateTo = DatePicker(QStringLiteral("dpDateTo"), page);
    m_filterBySize =
        CheckBox(QStringLiteral("Filter by size. File size from"), QStringLiteral("cbFilterBySize"), page);
    m_sizeFrom = DigitsField(QStringLiteral("edSizeFrom"), page);
    m_sizeTo = DigitsField(QStringLiteral("edSizeTo"), page);
    const QStringList units = {QStringLiteral("MB"), QStringLiteral("KB"), QStringLiteral("B")};
    m_sizeMultipleFrom = ChoiceList(units, QStringLiteral("cmbSizeMultipleFrom"), page);
    m_sizeMultipleTo = ChoiceList(units, QStringLiteral("cmbSizeMultipleTo"), page);
    auto* filterGrid = new QGridLayout(filters);
    filterGrid->addWidget(m_filterByDate, 0, 0);
    filterGrid->addWidget(m_dateFrom, 0, 1, 1, 2);
    filterGrid->addWidget(new QLabel(QStringLiteral("to"), page), 0, 3);
    filterGrid->addWidget(m_dateTo, 0, 4, 1, 2);
    filterGrid->addWidget(m_filterBySize, 1, 0);
    filterGrid->addWidget(m_sizeFrom, 1, 1);
    filterGrid->addWidget(m_sizeMultipleFrom, 1, 2);
    filterGrid->addWidget(new QLabel(QStringLiteral("to"), page), 1, 3);
    filterGrid->addWidget(m_sizeTo, 1, 4);
    filterGrid->addWidget(m_sizeMultipleTo, 1, 5);

    auto* display = new QGroupBox(QStringLiteral("Display options"), page);
    m_dateFormat = ChoiceList(DateFormatSamples(), QStringLiteral("cmbDateFormat"), page);
    m_fileFormat = ChoiceList({QStringLiteral("Full file name in single column"),
                               QStringLiteral("File name and location separately"),
                               QStringLiteral("File name only (without path)")},
                              QStringLiteral("FileFormatComboBox"), page);
    auto* displayForm = new QFormLayout(display);
    displayForm->addRow(QStringLiteral("Date display format"), m_dateFormat);
    displayForm->addRow(QStringLiteral("File display format"), m_fileFormat);

    auto* misc = new QGroupBox(QStringLiteral("Misc. options"), page);
    m_enableTextSearch =
        CheckBox(QStringLiteral("Enable text search"), QStringLiteral("cbEnableTextSearch"), page);
    m_drawGrid = CheckBox(QStringLiteral("Grid Visible"), QStringLiteral("cbDrawGrid"), page);
    m_completeMessage =
        CheckBox(QStringLiteral("Message when complete"), QStringLiteral("cbCompleteMessage"), page);
    m_autoUnmount = CheckBox(QStringLiteral("Auto unmount shares"), QStringLiteral("cbAutoUnMount"), page);
    m_minToTray = CheckBox(QStringLiteral("Minimise to tray"), QStringLiteral("cbMinToTray"), page);
    m_maxThreads = new QSpinBox(page);
    m_maxThreads->setObjectName(QStringLiteral("edMaxThreads"));
    m_maxThreads->setRange(1, 255);
    auto* miscGrid = new QGridLayout(misc);
    miscGrid->addWidget(m_enableTextSearch, 0, 0);
    miscGrid->addWidget(m_drawGrid, 1, 0);
    miscGrid->addWidget(m_completeMessage, 2, 0);
    miscGrid->addWidget(m_autoUnmount, 0, 1);
    miscGrid->addWidget(m_minToTray, 1, 1);
    auto* threads = new QHBoxLayout;
    threads->addWidget(new QLabel(QStringLiteral("Max. threads"), page));
    threads->addWidget(m_maxThreads);
    threads->addStretch();
    miscGrid->addLayout(threads, 2, 1);

    auto* layout = new QVBoxLayout(page);
    layout->addWidget(filters);
    layout->addWidget(display);
    layout->addWidget(misc);
    layout->addStretch();
    return page;
}

// Exact text: the choices of the three "Search in" groups (here and on the next two
// pages) are clicked by their captions in the Options dialog and search tests.
QWidget* TConfigForm::createNetSearchPage()
{
    auto* page = new QWidget;
    m_searchType = new TRadioGroup(
        QStringLiteral("Search in"),
        {QStringLiteral("Entire network"), QStringLiteral("Excluding these computers"),
         QStringLiteral("Only these computers"), QStringLiteral("Computers with specific IP addresses")},
        page);
    m_searchType->setObjectName(QStringLiteral("rgSearchType"));
    connect(m_searchType, &TRadioGroup::itemIndexChanged, this, &TConfigForm::updateSearchTypePresentation);

    m_resourceBar = new QToolBar(page);
    m_resourceBar->setObjectName(QStringLiteral("resourceToolBar"));
    m_resourceBar->setIconSize(QSize(16, 16));
    m_addResource = ToolButton(m_resourceBar, QStyle::SP_FileDialogNewFolder, QStringLiteral("Add computer"),
                               QStringLiteral("addResource"));
    m_deleteResource = ToolButton(m_resourceBar, QStyle::SP_TrashIcon, QStringLiteral("Delete computer"),
                                  QStringLiteral("deleteResource"));
    m_editResource = ToolButton(m_resourceBar, QStyle::SP_FileDialogDetailedView,
                                QStringLiteral("Edit computer"), QStringLiteral("editResource"));
    QAction* load = ToolButton(m_resourceBar, QStyle::SP_DialogOpenButton, QStringLiteral("Load data"),
                               QStringLiteral("loadResources"));
    QAction* save = ToolButton(m_resourceBar, QStyle::SP_DialogSaveButton, QStringLiteral("Save data"),
                               QStringLiteral("saveResources"));
    m_additionalSettings =
        ToolButton(m_resourceBar, QStyle::SP_FileDialogInfoView, QStringLiteral("Additional settings"),
                   QStringLiteral("additionalSettings"));
    connect(m_addResource, &QAction::triggered, this, &TConfigForm::addResource);
    connect(m_deleteResource, &QAction::triggered, this, &TConfigForm::deleteResources);
    connect(m_editResource, &QAction::triggered, this, &TConfigForm::editResource);
    connect(load, &QAction::triggered, this, &TConfigForm::loadResources);
    connect(save, &QAction::triggered, this, &TConfigForm::saveResources);
    connect(m_additionalSettings, &QAction::triggered, this, &TConfigForm::additionalSettings);

    m_resources = new TSortedListView(QStringLiteral("Computers"), page);
    m_resources->setObjectName(QStringLiteral("lvResources"));
    connect(m_resources, &QTreeWidget::itemDoubleClicked, this, &TConfigForm::editResource);

    m_wildcardNote = new QLabel(QStringLiteral("You can use wildcards. Wildcards are (*) or (?). "), page);

    auto* listColumn = new QVBoxLayout;
    listColumn->addWidget(m_resourceBar);
    listColumn->addWidget(m_resources, 1);
    listColumn->addWidget(m_wildcardNote);
    auto* layout = new QHBoxLayout(page);
    layout->addWidget(m_searchType);
    layout->addLayout(listColumn, 1);
    return page;
}

QWidget* TConfigForm::createHiddenFoldersPage()
{
    auto* page = new QWidget;
    m_acceptResources =
        new TRadioGroup(QStringLiteral("Search in"),
                        {QStringLiteral("Common folders"), QStringLiteral("Only hidden folders"),
                         QStringLiteral("Common and hidden folders")},
                        page);
    m_acceptResources->setObjectName(QStringLiteral("rgAcceptResources"));
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(WrappedLabel(
        QStringLiteral(
            "Kestrova can discover hidden folders automatically and search files on them.\n\n"
            "Hidden folders are shared folders which are not normally visible on a network, but they "
            "can be accessed via their name."),
        page));
    layout->addWidget(m_acceptResources);
    layout->addStretch();
    return page;
}

QWidget* TConfigForm::createFoldersPage()
{
    auto* page = new QWidget;
    m_foldersType = new TRadioGroup(QStringLiteral("Search in"),
                                    {QStringLiteral("All folders"), QStringLiteral("Only specified folders"),
                                     QStringLiteral("All folders except specified")},
                                    page);
    m_foldersType->setObjectName(QStringLiteral("rgFoldersType"));

    auto* bar = new QToolBar(page);
    bar->setObjectName(QStringLiteral("folderToolBar"));
    bar->setIconSize(QSize(16, 16));
    connect(ToolButton(bar, QStyle::SP_FileDialogNewFolder, QStringLiteral("Add folder"),
                       QStringLiteral("addFolder")),
            &QAction::triggered, this, &TConfigForm::addFolder);
    connect(ToolButton(bar, QStyle::SP_TrashIcon, QStringLiteral("Delete folder"),
                       QStringLiteral("deleteFolder")),
            &QAction::triggered, this, &TConfigForm::deleteFolder);
    connect(ToolButton(bar, QStyle::SP_FileDialogDetailedView, QStringLiteral("Edit folder"),
                       QStringLiteral("editFolder")),
            &QAction::triggered, this, &TConfigForm::editFolder);
    m_folders = new TSortedListView(QStringLiteral("Folders"), page);
    m_folders->setObjectName(QStringLiteral("lvFolders"));
    connect(m_folders, &QTreeWidget::itemDoubleClicked, this, &TConfigForm::editFolder);

    auto* explanation = WrappedLabel(
        QStringLiteral(
            "Use this option if you want to include or exclude specific network folders from search. "
            "Wildcards are allowed.\n\nExamples:\n*\\My Documents\nexchange*\n*temp\\db\\*\n\n"),
        page);
    auto* left = new QVBoxLayout;
    left->addWidget(explanation);
    left->addWidget(m_foldersType);
    left->addStretch();
    auto* right = new QVBoxLayout;
    right->addWidget(bar);
    right->addWidget(m_folders, 1);
    auto* layout = new QHBoxLayout(page);
    layout->addLayout(left, 1);
    layout->addLayout(right, 1);
    return page;
}

QWidget* TConfigForm::createFtpPage()
{
    auto* page = new QWidget;
    m_ftpMode =
        new TRadioGroup(QStringLiteral("Search mode"),
                        {QStringLiteral("Only shared resources"), QStringLiteral("Shared and FTP resources"),
                         QStringLiteral("Only FTP resources")},
                        page);
    m_ftpMode->setObjectName(QStringLiteral("rgFtpMode"));
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(WrappedLabel(
        QStringLiteral(
            "Here you can enable search on anonymous LAN FTP servers.\n\n"
            "Please note: the hidden resources settings and the folders settings have no effect for "
            "this search. With the text search on, every FTP file that passes the name, size and date "
            "filters is downloaded and searched, and only the files that contain the text are listed. "
            "Any user names and passwords specified in the password manager also do not apply."),
        page));
    layout->addWidget(m_ftpMode);
    m_ftpVerifyCertificates = CheckBox(QStringLiteral("Check the certificate of FTP servers that use TLS"),
                                       QStringLiteral("cbFtpVerifyCertificates"), page);
    layout->addWidget(m_ftpVerifyCertificates);
    layout->addWidget(WrappedLabel(
        QStringLiteral("Every FTP server is asked for an encrypted connection (TLS); a server that offers "
                       "none is searched in plain FTP. Anonymous servers rarely have a certificate that can "
                       "be checked, so by default the connection is encrypted without checking it. With the "
                       "check on, a server whose certificate does not verify is not searched."),
        page));
    layout->addStretch();
    return page;
}

bool TConfigForm::Execute(QWidget* parent, TSettings& settings, TIPDiscoverySettings& discovery,
                          const std::function<void()>& openManual)
{
    TConfigForm form(discovery, openManual, parent);
    form.load(settings);
    if (form.exec() != QDialog::Accepted)
        return false;
    form.store(settings);
    return true;
}

void TConfigForm::load(const TSettings& settings)
{
    m_filterByDate->setChecked(settings.FilterByDate);
    const QDateTime from = QDateTimeFromDateTime(settings.DateFrom);
    const QDateTime to = QDateTimeFromDateTime(settings.DateTo);
    m_dateFrom->setDate(from.date());
    m_dateTo->setDate(to.date());
    m_dateFromTime = from.time();
    m_dateToTime = to.time();
    m_filterBySize->setChecked(settings.FilterBySize);
    m_sizeFrom->setText(QString::number(settings.SizeFrom));
    m_sizeTo->setText(QString::number(settings.SizeTo));
    m_sizeMultipleFrom->setCurrentIndex(ModeItemIndex(settings.SizeMultipleFrom));
    m_sizeMultipleTo->setCurrentIndex(ModeItemIndex(settings.SizeMultipleTo));
    m_dateFormat->setCurrentIndex(settings.DateFormat);
    m_fileFormat->setCurrentIndex(settings.FileNameDisplayFormat);
    m_enableTextSearch->setChecked(settings.EnableTextSearch);
    m_drawGrid->setChecked(settings.DrawGrid);
    m_completeMessage->setChecked(settings.CompleteMessage);
    m_autoUnmount->setChecked(settings.AutoUnmount);
    m_minToTray->setChecked(settings.MinToTray);
    m_maxThreads->setValue(settings.MaxThreads);

    m_searchType->setItemIndex(ModeItemIndex(settings.SearchMethod));
    QStringList resources;
    resources.reserve(settings.ResList.size());
    for (const QString& entry : settings.ResList)
        resources.append(entry.toUpper());
    m_resources->setEntries(resources);
    m_acceptResources->setItemIndex(ModeItemIndex(settings.HiddenResSearchMethod));
    m_foldersType->setItemIndex(ModeItemIndex(settings.FoldersSearchMethod));
    m_folders->setEntries(settings.FolderList);
    m_ftpMode->setItemIndex(ModeItemIndex(settings.FtpSearchMode));
    m_ftpVerifyCertificates->setChecked(settings.FtpVerifyCertificates);
    updateSearchTypePresentation();
}

void TConfigForm::store(TSettings& settings) const
{
    settings.FilterByDate = m_filterByDate->isChecked();
    settings.DateFrom = DateWithTime(m_dateFrom->date(), m_dateFromTime);
    settings.DateTo = DateWithTime(m_dateTo->date(), m_dateToTime);
    settings.FilterBySize = m_filterBySize->isChecked();
    settings.SizeFrom = SizeFieldValue(m_sizeFrom);
    settings.SizeTo = SizeFieldValue(m_sizeTo);
    settings.SizeMultipleFrom = ChosenMode(m_sizeMultipleFrom->currentIndex(), settings.SizeMultipleFrom);
    settings.SizeMultipleTo = ChosenMode(m_sizeMultipleTo->currentIndex(), settings.SizeMultipleTo);
    settings.DateFormat = ChosenIndex(m_dateFormat->currentIndex(), settings.DateFormat);
    settings.FileNameDisplayFormat =
        uint8_t(ChosenIndex(m_fileFormat->currentIndex(), settings.FileNameDisplayFormat));
    settings.EnableTextSearch = m_enableTextSearch->isChecked();
    settings.DrawGrid = m_drawGrid->isChecked();
    settings.CompleteMessage = m_completeMessage->isChecked();
    settings.AutoUnmount = m_autoUnmount->isChecked();
    settings.MinToTray = m_minToTray->isChecked();
    settings.MaxThreads = m_maxThreads->value();

    settings.SearchMethod = ChosenMode(m_searchType->itemIndex(), settings.SearchMethod);
    settings.ResList = m_resources->entries();
    settings.HiddenResSearchMethod =
        ChosenMode(m_acceptResources->itemIndex(), settings.HiddenResSearchMethod);
    settings.FoldersSearchMethod = ChosenMode(m_foldersType->itemIndex(), settings.FoldersSearchMethod);
    settings.FolderList = m_folders->entries();
    settings.FtpSearchMode = ChosenMode(m_ftpMode->itemIndex(), settings.FtpSearchMode);
    settings.FtpVerifyCertificates = m_ftpVerifyCertificates->isChecked();
}

bool TConfigForm::isIpSearch() const
{
    return ModeOfItem<TSearchType>(m_searchType->itemIndex()) == TSearchType::IpAddressRange;
}

void TConfigForm::updateSearchTypePresentation()
{
    const bool ip = isIpSearch();
    const auto type = ModeOfItem<TSearchType>(m_searchType->itemIndex());
    // Exact text: the list's caption and button hints follow the search type; the
    // Options dialog tests compare both forms.
    m_resources->setCaption(ip ? QStringLiteral("IP Range(s)") : QStringLiteral("Computers"));
    m_addResource->setToolTip(ip ? QStringLiteral("Add IP range") : QStringLiteral("Add computer"));
    m_deleteResource->setToolTip(ip ? QStringLiteral("Delete IP range") : QStringLiteral("Delete computer"));
    m_editResource->setToolTip(ip ? QStringLiteral("Edit IP range") : QStringLiteral("Edit computer"));
    m_wildcardNote->setVisible(type == TSearchType::ExcludedComputers ||
                               type == TSearchType::SpecifiedComputers);
    m_additionalSettings->setEnabled(ip);
}

void TConfigForm::addResource()
{
    if (isIpSearch()) {
        TIPRangeInputForm form(this);
        if (form.exec() == QDialog::Accepted)
            m_resources->addEntry(form.rangeEntry());
        return;
    }
    QString name;
    // Exact text: the prompts of this dialog (here and in the editors below) are found
    // and answered by their captions in the Options dialog and command tests.
    if (DialogPrompts().inputText(this, QStringLiteral("Add computer"),
                                  QStringLiteral("Enter a computer name"), name) &&
        !name.isEmpty())
        m_resources->addEntry(ComputerListEntry(name));
}

void TConfigForm::deleteResources()
{
    const QList<int> rows = m_resources->selectedRows();
    if (rows.isEmpty())
        return;
    if (DialogPrompts().askYesNo(this, QStringLiteral("Kestrova"),
                                 QStringLiteral("Delete %1 items?").arg(rows.size())))
        m_resources->removeEntries(rows);
}

void TConfigForm::editResource()
{
    const int row = m_resources->selectedRow();
    if (row < 0)
        return;
    QString text = m_resources->entries().at(row);
    if (isIpSearch()) {
        // A range is checked as it is typed, in a box wide enough to show it whole.
        TIPRangeEditForm form(text, this);
        if (form.exec() == QDialog::Accepted)
            m_resources->replaceEntry(row, form.entry());
        return;
    }
    if (DialogPrompts().inputText(this, QStringLiteral("Edit value"), QString(), text) && !text.isEmpty())
        m_resources->replaceEntry(row, text.toUpper());
}

void TConfigForm::loadResources()
{
    const QString path = FileDialogs().openFileName(this, QStringLiteral("Load data"), kListFileFilter);
    if (path.isEmpty())
        return;
    // The list is replaced only by a file that could be read, so a failed load
    // loses nothing.
    QStringList entries;
    try {
        entries = LoadComputerList(path, isIpSearch() ? TScopeListKind::IpRanges : TScopeListKind::Computers);
    } catch (const std::exception& error) {
        DialogPrompts().error(this, ExceptionMessage(error));
        return;
    }
    m_resources->setEntries(entries);
}

void TConfigForm::saveResources()
{
    const QString path = FileDialogs().saveFileName(this, QStringLiteral("Save data"), kListFileFilter,
                                                    QStringLiteral(".txt"));
    if (path.isEmpty())
        return;
    try {
        SaveComputerList(path, m_resources->entries());
    } catch (const std::exception& error) {
        DialogPrompts().error(this, ExceptionMessage(error));
    }
}

void TConfigForm::additionalSettings()
{
    if (isIpSearch())
        TIPScanOptionsForm::Execute(this, m_discovery);
}

void TConfigForm::addFolder()
{
    QString folder;
    // Exact text: the folder prompts here and in editFolder are answered by the Options
    // dialog tests.
    if (DialogPrompts().inputText(this, QStringLiteral("Enter a folder name"),
                                  QStringLiteral("For example, My documents"), folder) &&
        !folder.isEmpty())
        m_folders->addEntry(folder);
}

void TConfigForm::deleteFolder()
{
    const int row = m_folders->selectedRow();
    if (row >= 0)
        m_folders->removeEntries({row});
}

void TConfigForm::editFolder()
{
    const int row = m_folders->selectedRow();
    if (row < 0)
        return;
    QString folder = m_folders->entries().at(row);
    if (DialogPrompts().inputText(this, QStringLiteral("Edit folder"), QString(), folder) &&
        !folder.isEmpty())
        m_folders->replaceEntry(row, folder);
}
