#include "dialogs/TextOptionsForm.h"

#include "dialogs/ModalButtons.h"
#include "dialogs/ModeChoice.h"
#include "dialogs/RadioGroup.h"
#include "store/Settings.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

TTextOptionsForm::TTextOptionsForm(QWidget* parent)
    : QDialog(parent),
      m_keywords(new TRadioGroup(QStringLiteral("Boolean expression"),
                                 {QStringLiteral("AND"), QStringLiteral("OR"), QStringLiteral("NOT")}, this)),
      m_encoding(new TRadioGroup(QStringLiteral("Encoding"),
                                 {QStringLiteral("ANSI"), QStringLiteral("Unicode"), QStringLiteral("Utf-8")},
                                 this))
{
    setWindowTitle(QStringLiteral("Text Search Options"));
    m_keywords->setObjectName(QStringLiteral("rgKeywords"));
    m_encoding->setObjectName(QStringLiteral("rgEncoding"));
    auto* groups = new QHBoxLayout;
    groups->addWidget(m_keywords);
    groups->addWidget(m_encoding);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(groups);
    layout->addWidget(new TModalButtons(this));
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

bool TTextOptionsForm::Execute(QWidget* parent, TSettings& settings)
{
    TTextOptionsForm form(parent);
    form.m_keywords->setItemIndex(ModeItemIndex(settings.Logic));
    form.m_encoding->setItemIndex(ModeItemIndex(settings.Encoding));
    if (form.exec() != QDialog::Accepted)
        return false;
    settings.Logic = ModeOfItem<TTextLogic>(form.m_keywords->itemIndex());
    settings.Encoding = ModeOfItem<TTextEncoding>(form.m_encoding->itemIndex());
    return true;
}
