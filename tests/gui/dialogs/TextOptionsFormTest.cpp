#include "dialogs/TextOptionsForm.h"

#include "dialogs/RadioGroup.h"
#include "store/Settings.h"
#include "support/DialogTestSupport.h"

#include <QCheckBox>
#include <QDialog>
#include <QRadioButton>
#include <QSpinBox>
#include <gtest/gtest.h>

namespace {

class TextOptionsFormTest : public TDialogTest {};

// Runs the dialog on settings; inspect sees it filled, then it closes with OK or Cancel.
bool RunDialog(TSettings& settings, bool ok, const std::function<void(TTextOptionsForm*)>& inspect)
{
    OnNextModal([&](QDialog* dialog) {
        auto* form = qobject_cast<TTextOptionsForm*>(dialog);
        ASSERT_NE(form, nullptr);
        inspect(form);
        ClickButton(dialog, ok ? "okButton" : "cancelButton");
    });
    return TTextOptionsForm::Execute(nullptr, settings);
}

TEST_F(TextOptionsFormTest, DefaultsShowOrAndAnsi)
{
    TSettings settings;
    bool shown = false;
    EXPECT_FALSE(RunDialog(settings, false, [&](TTextOptionsForm* form) {
        shown = true;
        EXPECT_EQ(form->windowTitle(), "Text Search Options");
        EXPECT_EQ(form->keywords()->itemIndex(), 1);
        EXPECT_TRUE(form->keywords()->button(1)->isChecked());
        EXPECT_EQ(form->keywords()->button(1)->text(), "OR");
        EXPECT_EQ(form->encoding()->itemIndex(), 0);
        EXPECT_EQ(form->encoding()->button(0)->text(), "ANSI");
    }));
    EXPECT_TRUE(shown);
}

TEST_F(TextOptionsFormTest, ValuesAreTakenBackOnOkOnly)
{
    TSettings settings;
    EXPECT_FALSE(RunDialog(settings, false, [](TTextOptionsForm* form) {
        form->keywords()->button(2)->click();
        form->encoding()->button(1)->click();
    }));
    EXPECT_EQ(settings.Logic, TTextLogic::Any);
    EXPECT_EQ(settings.Encoding, TTextEncoding::Ansi);

    EXPECT_TRUE(RunDialog(settings, true, [](TTextOptionsForm* form) {
        form->keywords()->button(0)->click();
        form->encoding()->button(2)->click();
    }));
    EXPECT_EQ(settings.Logic, TTextLogic::All);
    EXPECT_EQ(settings.Encoding, TTextEncoding::Utf8);
}

TEST_F(TextOptionsFormTest, StoredValuesOutsideTheItemsSelectNothing)
{
    TSettings settings;
    settings.Logic = TTextLogic::Unknown;
    settings.Encoding = TTextEncoding::Unknown;
    EXPECT_FALSE(RunDialog(settings, false, [](TTextOptionsForm* form) {
        EXPECT_EQ(form->keywords()->itemIndex(), -1);
        EXPECT_EQ(form->encoding()->itemIndex(), -1);
    }));
    EXPECT_EQ(settings.Logic, TTextLogic::Unknown);
    EXPECT_EQ(settings.Encoding, TTextEncoding::Unknown);

    // OK without a choice stores "nothing chosen".
    EXPECT_TRUE(
        RunDialog(settings, true, [](TTextOptionsForm* form) { form->encoding()->button(1)->click(); }));
    EXPECT_EQ(settings.Logic, TTextLogic::Unknown);
    EXPECT_EQ(settings.Encoding, TTextEncoding::Utf16Le);
}

} // namespace

namespace {

TEST_F(TextOptionsFormTest, DocumentOptionsStartOffWithTheirDefaultLimits)
{
    TSettings settings;
    EXPECT_FALSE(RunDialog(settings, false, [](TTextOptionsForm* form) {
        EXPECT_EQ(form->insideDocuments()->text(), "Search inside documents");
        EXPECT_FALSE(form->insideDocuments()->isChecked());
        EXPECT_EQ(form->documentSizeLimit()->value(), 64);
        EXPECT_EQ(form->documentTimeLimit()->value(), 30);
        EXPECT_FALSE(form->documentSizeLimit()->isEnabled());
        form->insideDocuments()->click();
        EXPECT_TRUE(form->documentSizeLimit()->isEnabled());
        EXPECT_TRUE(form->documentTimeLimit()->isEnabled());
    }));
    EXPECT_FALSE(settings.SearchInsideDocuments);
}

TEST_F(TextOptionsFormTest, DocumentOptionsAreTakenBackOnOk)
{
    TSettings settings;
    EXPECT_TRUE(RunDialog(settings, true, [](TTextOptionsForm* form) {
        form->insideDocuments()->click();
        form->documentSizeLimit()->setValue(8);
        form->documentTimeLimit()->setValue(5);
    }));
    EXPECT_TRUE(settings.SearchInsideDocuments);
    EXPECT_EQ(settings.DocumentSizeLimit, 8);
    EXPECT_EQ(settings.DocumentTimeLimit, 5);
}

} // namespace
