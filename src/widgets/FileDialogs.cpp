#include "widgets/FileDialogs.h"

#include <QCheckBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>

namespace {

TFileDialogs* installedDialogs = nullptr;

class TStandardFileDialogs : public TFileDialogs {
public:
    QString openFileName(QWidget* parent, const QString& title, const QString& filter) override
    {
        QFileDialog dialog(parent, title);
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(QFileDialog::ExistingFile);
        dialog.setNameFilters(FilterCaptions(filter));
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return {};
        return dialog.selectedFiles().first();
    }

    QString saveFileName(QWidget* parent, const QString& title, const QString& filter,
                         const QString& defaultSuffix, int* selectedFilter) override
    {
        return runSave(parent, title, filter, defaultSuffix, selectedFilter, QString(), nullptr);
    }

    QString saveFileNameWithOption(QWidget* parent, const QString& title, const QString& filter,
                                   const QString& defaultSuffix, int* selectedFilter,
                                   const QString& optionCaption, bool* checked) override
    {
        return runSave(parent, title, filter, defaultSuffix, selectedFilter, optionCaption, checked);
    }

private:
    static QString runSave(QWidget* parent, const QString& title, const QString& filter,
                           const QString& defaultSuffix, int* selectedFilter, const QString& optionCaption,
                           bool* checked)
    {
        QFileDialog dialog(parent, title);
        QCheckBox* option = nullptr;
        if (checked) {
            // Only Qt's own dialog takes an extra control: below the file name row.
            dialog.setOption(QFileDialog::DontUseNativeDialog, true);
            option = new QCheckBox(optionCaption, &dialog);
            option->setObjectName(QStringLiteral("cbSaveOption"));
            option->setChecked(*checked);
            if (auto* grid = qobject_cast<QGridLayout*>(dialog.layout()))
                grid->addWidget(option, grid->rowCount(), 0, 1, grid->columnCount());
        }
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        const QStringList captions = FilterCaptions(filter);
        dialog.setNameFilters(captions);
        dialog.setDefaultSuffix(QString(defaultSuffix).remove(0, defaultSuffix.startsWith(u'.') ? 1 : 0));
        // A name typed without extension gets the chosen entry's, so that the name the
        // overwrite question shows is the one written.
        QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog,
                         [&dialog, filter](const QString& caption) {
                             const QString suffix = FilterSuffix(filter, caption);
                             if (!suffix.isEmpty())
                                 dialog.setDefaultSuffix(suffix);
                         });
        dialog.setOption(QFileDialog::DontConfirmOverwrite, false);
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return {};
        if (selectedFilter)
            *selectedFilter = static_cast<int>(captions.indexOf(dialog.selectedNameFilter())) + 1;
        if (option)
            *checked = option->isChecked();
        return dialog.selectedFiles().first();
    }
};

} // namespace

TFileDialogs& FileDialogs()
{
    static TStandardFileDialogs standard;
    return installedDialogs ? *installedDialogs : standard;
}

void SetFileDialogs(TFileDialogs* dialogs)
{
    installedDialogs = dialogs;
}

QString FilterSuffix(const QString& filter, const QString& caption)
{
    const QStringList parts = filter.split(u'|');
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        if (parts.at(i) != caption)
            continue;
        const QString& pattern = parts.at(i + 1);
        // One "*.ext" pattern names a suffix; "*.*" or lists do not.
        if (pattern.startsWith(QStringLiteral("*.")) && !pattern.contains(u';') &&
            pattern.indexOf(u'*', 1) < 0)
            return pattern.mid(2);
    }
    return {};
}

QStringList FilterCaptions(const QString& filter)
{
    const QStringList parts = filter.split(u'|');
    QStringList captions;
    for (qsizetype i = 0; i < parts.size(); i += 2)
        captions.append(parts.at(i));
    return captions;
}
