#include "dialogs/TextOptionsForm.h"

#include "dialogs/ModalButtons.h"
#include "dialogs/ModeChoice.h"
#include "dialogs/RadioGroup.h"
#include "store/Settings.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QSpinBox>
#include <QVBoxLayout>

// Exact text: the captions of this dialog; the text options and dialog command tests
// pick choices and find the dialog by them.
TTextOptionsForm::TTextOptionsForm(QWidget* parent)
    : QDialog(parent),
      m_keywords(new TRadioGroup(QStringLiteral("Boolean expression"),
                                 {QStringLiteral("AND"), QStringLiteral("OR"), QStringLiteral("NOT")}, this)),
      m_encoding(new TRadioGroup(QStringLiteral("Encoding"),
                                 {QStringLiteral("ANSI"), QStringLiteral("Unicode"), QStringLiteral("Utf-8")},
                                 this)),
      m_insideDocuments(new QCheckBox(QStringLiteral("Search inside documents"), this)),
      m_documentSizeLimit(new QSpinBox(this)), m_documentTimeLimit(new QSpinBox(this))
{
    setWindowTitle(QStringLiteral("Text Search Options"));
    m_keywords->setObjectName(QStringLiteral("rgKeywords"));
    m_encoding->setObjectName(QStringLiteral("rgEncoding"));
    auto* groups = new QHBoxLayout;
    groups->addWidget(m_keywords);
    groups->addWidget(m_encoding);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(groups);
    m_insideDocuments->setObjectName(QStringLiteral("cbInsideDocuments"));
    m_insideDocuments->setToolTip(
        QStringLiteral("Office, OpenDocument, PDF, RTF and Unicode text files are searched in their text; "
                       "other files, and documents whose text cannot be read, in their bytes"));
    m_documentSizeLimit->setRange(1, kMaxDocumentSizeLimit);
    m_documentSizeLimit->setSuffix(QStringLiteral(" MB"));
    m_documentTimeLimit->setRange(1, kMaxDocumentTimeLimit);
    m_documentTimeLimit->setSuffix(QStringLiteral(" s"));
    auto* limits = new QFormLayout;
    limits->addRow(QStringLiteral("Largest document:"), m_documentSizeLimit);
    limits->addRow(QStringLiteral("Time per document:"), m_documentTimeLimit);
    const auto enableLimits = [this](bool on) {
        m_documentSizeLimit->setEnabled(on);
        m_documentTimeLimit->setEnabled(on);
    };
    connect(m_insideDocuments, &QCheckBox::toggled, this, enableLimits);
    enableLimits(false);
    layout->addWidget(m_insideDocuments);
    layout->addLayout(limits);
    layout->addWidget(new TModalButtons(this));
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

bool TTextOptionsForm::Execute(QWidget* parent, TSettings& settings)
{
    TTextOptionsForm form(parent);
    form.m_keywords->setItemIndex(ModeItemIndex(settings.Logic));
    form.m_encoding->setItemIndex(ModeItemIndex(settings.Encoding));
    form.m_insideDocuments->setChecked(settings.SearchInsideDocuments);
    form.m_documentSizeLimit->setValue(settings.DocumentSizeLimit);
    form.m_documentTimeLimit->setValue(settings.DocumentTimeLimit);
    if (form.exec() != QDialog::Accepted)
        return false;
    settings.Logic = ModeOfItem<TTextLogic>(form.m_keywords->itemIndex());
    settings.Encoding = ModeOfItem<TTextEncoding>(form.m_encoding->itemIndex());
    settings.SearchInsideDocuments = form.m_insideDocuments->isChecked();
    settings.DocumentSizeLimit = form.m_documentSizeLimit->value();
    settings.DocumentTimeLimit = form.m_documentTimeLimit->value();
    return true;
}
