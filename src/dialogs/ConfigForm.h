#pragma once

#include <QDialog>
#include <QTime>
#include <functional>

class QCheckBox;
class QComboBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QSpinBox;
class QTabWidget;
class QToolBar;
class TRadioGroup;
class TSortedListView;
struct TIPDiscoverySettings;
struct TSettings;

// "Options": result filters, display options, thread limit, the search type with its
// list of computers or IP ranges, hidden-folder handling, the folder list and the FTP
// mode. load() fills the controls from the settings; store() copies every control back
// (the caller does that on OK only). Both lists keep their entries sorted; the scope
// list holds its entries in upper case. "Additional settings" (IP search only) edits
// the discovery settings and writes them as soon as its own dialog is confirmed,
// whatever happens to this one.
//
// Entry point for the main window's "&Options" command:
//     if (TConfigForm::Execute(this, settings.Settings, settings.IPDiscovery, [] { OpenManual(); })) {
//         // lay out the result columns again, ApplyViewSettings, UpdateScopePanel
//     }
class TConfigForm : public QDialog {
    Q_OBJECT
public:
    // openManual runs for "&Help" (the button is disabled without one); discovery
    // is what "Additional settings" edits.
    TConfigForm(TIPDiscoverySettings& discovery, const std::function<void()>& openManual = {},
                QWidget* parent = nullptr);
    ~TConfigForm() override;

    // Fills the dialog from settings, shows it and, on OK only, copies every value
    // back into settings. Returns whether OK was pressed.
    static bool Execute(QWidget* parent, TSettings& settings, TIPDiscoverySettings& discovery,
                        const std::function<void()>& openManual = {});

    void load(const TSettings& settings);
    // Copies the controls into settings. A choice list or radio group showing no item
    // (the stored value was outside its items) keeps the stored value.
    void store(TSettings& settings) const;

    // The scope list's commands.
    void addResource();
    void deleteResources();
    void editResource();
    void loadResources();
    void saveResources();
    void additionalSettings();
    // The folder list's commands.
    void addFolder();
    void deleteFolder();
    void editFolder();

    bool isIpSearch() const;
    TSortedListView* resourceList() const { return m_resources; }
    TSortedListView* folderList() const { return m_folders; }
    TRadioGroup* searchType() const { return m_searchType; }
    QTabWidget* pages() const { return m_pages; }

private:
    QWidget* createMainPage();
    QWidget* createNetSearchPage();
    QWidget* createHiddenFoldersPage();
    QWidget* createFoldersPage();
    QWidget* createFtpPage();
    void updateSearchTypePresentation();

    TIPDiscoverySettings& m_discovery;
    std::function<void()> m_openManual;
    QTabWidget* m_pages = nullptr;
    // "Main"
    QCheckBox* m_filterByDate = nullptr;
    QDateEdit* m_dateFrom = nullptr;
    QDateEdit* m_dateTo = nullptr;
    QCheckBox* m_filterBySize = nullptr;
    QLineEdit* m_sizeFrom = nullptr;
    QLineEdit* m_sizeTo = nullptr;
    QComboBox* m_sizeMultipleFrom = nullptr;
    QComboBox* m_sizeMultipleTo = nullptr;
    QComboBox* m_dateFormat = nullptr;
    QComboBox* m_fileFormat = nullptr;
    QCheckBox* m_enableTextSearch = nullptr;
    QCheckBox* m_drawGrid = nullptr;
    QCheckBox* m_completeMessage = nullptr;
    QCheckBox* m_autoUnmount = nullptr;
    QCheckBox* m_minToTray = nullptr;
    QSpinBox* m_maxThreads = nullptr;
    // The time of day of the stored dates, kept when only the date is picked anew.
    QTime m_dateFromTime;
    QTime m_dateToTime;
    // "Net search"
    TRadioGroup* m_searchType = nullptr;
    TSortedListView* m_resources = nullptr;
    QToolBar* m_resourceBar = nullptr;
    QAction* m_addResource = nullptr;
    QAction* m_deleteResource = nullptr;
    QAction* m_editResource = nullptr;
    QAction* m_additionalSettings = nullptr;
    QLabel* m_wildcardNote = nullptr;
    // "Hidden folders", "Folders", "FTP"
    TRadioGroup* m_acceptResources = nullptr;
    TRadioGroup* m_foldersType = nullptr;
    TSortedListView* m_folders = nullptr;
    TRadioGroup* m_ftpMode = nullptr;
    QCheckBox* m_ftpVerifyCertificates = nullptr;
};
