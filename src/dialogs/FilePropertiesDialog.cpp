#include "dialogs/FilePropertiesDialog.h"

#include "model/CountText.h"
#include "model/DateTime.h"

#include <QDateTime>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QFormLayout>
#include <QLabel>
#include <QLocale>
#include <QMimeDatabase>
#include <QVBoxLayout>

namespace {

QString DateText(const QDateTime& moment)
{
    return QLocale().toString(moment, QLocale::ShortFormat);
}

QString SizeWithBytes(int64_t size)
{
    if (size < 1000)
        return CountText(size, QStringLiteral("byte"), QStringLiteral("bytes")); // "1 byte", not "1 bytes"
    return QStringLiteral("%1 (%2 bytes)").arg(SizeText(size), QLocale().toString(qlonglong(size)));
}

QString TypeOf(const TItemRecord& record)
{
    if (IsFolderItem(record))
        return QStringLiteral("Folder");
    const QMimeType type = QMimeDatabase().mimeTypeForFile(FileStorePath::NameOf(record.FileName),
                                                           QMimeDatabase::MatchExtension);
    return type.comment();
}

} // namespace

TFilePropertiesDialog::TFilePropertiesDialog(const TItemRecord& record,
                                             const std::optional<FileStoreStat>& now, const QString& nowError,
                                             QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("FilePropertiesDialog"));
    setWindowTitle(QStringLiteral("%1 Properties").arg(FileStorePath::NameOf(record.FileName)));

    m_fields = new QFormLayout;
    const auto add = [&](const QString& label, const QString& value) {
        auto* text = new QLabel(value, this);
        text->setTextInteractionFlags(Qt::TextSelectableByMouse);
        text->setWordWrap(true);
        m_fields->addRow(label + u':', text);
    };
    // Local paths (files reached outside the network) separate with "/".
    // Exact text: the field captions below; the file operation tests read fields by
    // them ("Now" among them).
    const bool local = !IsFtpItem(record) && !FileStorePath::IsUnc(record.FileName);
    add(QStringLiteral("Name"), local ? FileStorePath::NameOf(record.FileName) : ItemName(record));
    add(QStringLiteral("Location"), local ? QFileInfo(record.FileName).path() : ItemLocation(record));
    add(QStringLiteral("Type"), TypeOf(record));
    if (!IsFolderItem(record))
        add(QStringLiteral("Size"), SizeWithBytes(record.Size));
    add(QStringLiteral("Modified"), DateText(QDateTimeFromDateTime(record.DateTime)));
    const QString attributes = ItemAttributesText(record);
    add(QStringLiteral("Attributes"), attributes.isEmpty() ? QStringLiteral("none") : attributes);
    if (now) {
        QString state = now->folder ? QStringLiteral("a folder") : SizeWithBytes(now->size);
        state += QStringLiteral(", modified ") + DateText(QDateTime::fromSecsSinceEpoch(now->writeTime));
        add(QStringLiteral("Now"), state);
    } else if (!nowError.isEmpty()) {
        add(QStringLiteral("Now"), nowError);
    }

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(m_fields);
    layout->addWidget(buttons);
    setMinimumWidth(360);
}

QString TFilePropertiesDialog::fieldText(const QString& label) const
{
    for (int row = 0; row < m_fields->rowCount(); ++row) {
        auto* name = qobject_cast<QLabel*>(m_fields->itemAt(row, QFormLayout::LabelRole)->widget());
        auto* value = qobject_cast<QLabel*>(m_fields->itemAt(row, QFormLayout::FieldRole)->widget());
        if (name && value && name->text() == label + u':')
            return value->text();
    }
    return {};
}
