#include "widgets/FileDialogs.h"

#include <QFileDialog>
#include <QFileInfo>

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
        QFileDialog dialog(parent, title);
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        const QStringList captions = FilterCaptions(filter);
        dialog.setNameFilters(captions);
        dialog.setDefaultSuffix(QString(defaultSuffix).remove(0, defaultSuffix.startsWith(u'.') ? 1 : 0));
        dialog.setOption(QFileDialog::DontConfirmOverwrite, false);
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return {};
        if (selectedFilter)
            *selectedFilter = static_cast<int>(captions.indexOf(dialog.selectedNameFilter())) + 1;
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

QStringList FilterCaptions(const QString& filter)
{
    const QStringList parts = filter.split(u'|');
    QStringList captions;
    for (qsizetype i = 0; i < parts.size(); i += 2)
        captions.append(parts.at(i));
    return captions;
}
