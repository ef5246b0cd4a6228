#include "dialogs/TextOptionsForm.h"

#include "dialogs/RadioGroup.h"
#include "store/Settings.h"
#include "support/DialogTestSupport.h"

#include <QDialog>
#include <QRadioButton>
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
    EXPECT_EQ(settings.Logic, 1);
    EXPECT_EQ(settings.Encoding, 0);

    EXPECT_TRUE(RunDialog(settings, true, [](TTextOptionsForm* form) {
        form->keywords()->button(0)->click();
        form->encoding()->button(2)->click();
    }));
    EXPECT_EQ(settings.Logic, 0);
    EXPECT_EQ(settings.Encoding, 2);
}

TEST_F(TextOptionsFormTest, StoredValuesOutsideTheItemsSelectNothing)
{
    TSettings settings;
    settings.Logic = 7;
    settings.Encoding = -3;
    EXPECT_FALSE(RunDialog(settings, false, [](TTextOptionsForm* form) {
        EXPECT_EQ(form->keywords()->itemIndex(), -1);
        EXPECT_EQ(form->encoding()->itemIndex(), -1);
    }));
    EXPECT_EQ(settings.Logic, 7);
    EXPECT_EQ(settings.Encoding, -3);

    // OK without a choice stores "nothing chosen".
    EXPECT_TRUE(
        RunDialog(settings, true, [](TTextOptionsForm* form) { form->encoding()->button(1)->click(); }));
    EXPECT_EQ(settings.Logic, -1);
    EXPECT_EQ(settings.Encoding, 1);
}

} // namespace
