#include "dialogs/AutoDetectIPForm.h"
#include "dialogs/IPAddressControl.h"
#include "dialogs/IPRangeInputForm.h"
#include "dialogs/IPScanOptionsForm.h"
#include "model/DiscoverySettings.h"
#include "model/IpAddress.h"
#include "support/DialogTestSupport.h"
#include "support/QStringPrinter.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QSpinBox>
#include <QTest>
#include <QTreeWidget>
#include <gtest/gtest.h>

namespace {

uint32_t HostOrder(const char* dotted)
{
    return SwapByteOrder32(TextToIp(dotted));
}

std::vector<TInterfaceAddress> TwoInterfaces()
{
    return {{TextToIp("127.0.0.1"), TextToIp("255.0.0.0")},
            {TextToIp("192.168.1.23"), TextToIp("255.255.255.0")}};
}

// Types each part of a dotted address into its field, as the keys of a user would.
void TypeAddress(TIPAddressControl* control, const QString& dotted)
{
    const QStringList parts = dotted.split('.');
    for (int index = 0; index < 4; ++index) {
        control->field(index)->selectAll();
        QTest::keyClicks(control->field(index), parts.value(index));
    }
}

class IPDialogsTest : public TDialogTest {
protected:
    TRecordingDialogPrompts prompts;
};

TEST_F(IPDialogsTest, AddressControlHoldsAHostOrderValue)
{
    TIPAddressControl control;
    EXPECT_TRUE(control.isEmpty());
    control.setIPAddress(0xC0A86401);
    EXPECT_EQ(control.field(0)->text(), "192");
    EXPECT_EQ(control.field(3)->text(), "1");
    EXPECT_EQ(control.ipAddress(), 0xC0A86401u);
    EXPECT_FALSE(control.isEmpty());
    control.setIPAddress(0);
    EXPECT_TRUE(control.isEmpty()); // 0.0.0.0 counts as empty
    control.clear();
    EXPECT_EQ(control.field(0)->text(), "");
    EXPECT_EQ(control.ipAddress(), 0u);
    // Fields left empty count as 0.
    control.field(0)->setText("10");
    EXPECT_EQ(control.ipAddress(), 0x0A000000u);
}

TEST_F(IPDialogsTest, TypingMovesThroughTheFields)
{
    TIPAddressControl control;
    control.show();
    control.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&control));
    control.focusFirstField();
    ASSERT_EQ(QApplication::focusWidget(), control.field(0));
    // Each key goes where the caret is at that moment, as with a real keyboard.
    const auto type = [](const char* keys) {
        for (const char* key = keys; *key; ++key)
            QTest::keyClick(QApplication::focusWidget(), *key);
    };
    type("10.");
    EXPECT_EQ(QApplication::focusWidget(), control.field(1));
    type("1.255"); // a third digit moves on by itself
    EXPECT_EQ(QApplication::focusWidget(), control.field(3));
    type("7");
    EXPECT_EQ(control.ipAddress(), HostOrder("10.1.255.7"));

    // A value above 255 is cut back when the caret leaves the field.
    control.field(2)->setText("999");
    Q_EMIT control.field(2)->editingFinished();
    EXPECT_EQ(control.field(2)->text(), "255");
    EXPECT_EQ(control.ipAddress(), HostOrder("10.1.255.7"));

    // Backspace in an empty field goes back to the one before.
    control.field(3)->setFocus();
    control.field(3)->end(false);
    QTest::keyClick(control.field(3), Qt::Key_Backspace);
    EXPECT_EQ(control.field(3)->text(), "");
    QTest::keyClick(control.field(3), Qt::Key_Backspace);
    EXPECT_EQ(QApplication::focusWidget(), control.field(2));
}

TEST_F(IPDialogsTest, RangeInputRefusesEmptyAddressesWithABeep)
{
    TIPRangeInputForm form;
    form.show();
    EXPECT_EQ(form.windowTitle(), "Add IP range");
    form.accept();
    EXPECT_EQ(prompts.beeps, 1);
    EXPECT_TRUE(form.isVisible());

    form.fromControl()->setIPAddress(HostOrder("192.168.1.10"));
    form.accept();
    EXPECT_EQ(prompts.beeps, 2);
    EXPECT_TRUE(form.isVisible());

    // 0.0.0.0 typed into "From" is empty too.
    form.fromControl()->setIPAddress(0);
    form.toControl()->setIPAddress(HostOrder("192.168.1.1"));
    form.accept();
    EXPECT_EQ(prompts.beeps, 3);
    EXPECT_TRUE(form.isVisible());

    // Reversed order is accepted here; the search rejects it later.
    form.fromControl()->setIPAddress(HostOrder("192.168.1.10"));
    form.accept();
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(form.result(), QDialog::Accepted);
    EXPECT_EQ(form.addressFrom(), HostOrder("192.168.1.10"));
    EXPECT_EQ(form.addressTo(), HostOrder("192.168.1.1"));
    EXPECT_TRUE(prompts.errors.isEmpty());
}

TEST_F(IPDialogsTest, AutoFillsTheRangeOfTheChosenInterface)
{
    TIPRangeInputForm form(nullptr, TwoInterfaces);
    OnNextModal([](QDialog* dialog) {
        auto* detect = qobject_cast<TAutoDetectIPForm*>(dialog);
        ASSERT_NE(detect, nullptr);
        QTreeWidget* list = detect->interfaceList();
        ASSERT_EQ(list->topLevelItemCount(), 2);
        EXPECT_EQ(list->topLevelItem(1)->text(0), "192.168.1.23");
        EXPECT_EQ(list->topLevelItem(1)->text(1), "255.255.255.0");
        list->setCurrentItem(list->topLevelItem(1));
        ClickButton(dialog, "okButton");
    });
    form.autoDetect();
    EXPECT_EQ(form.addressFrom(), HostOrder("192.168.1.0"));
    EXPECT_EQ(form.addressTo(), HostOrder("192.168.1.255"));

    // OK without a row empties both fields.
    OnNextModal([](QDialog* dialog) { ClickButton(dialog, "okButton"); });
    form.autoDetect();
    EXPECT_TRUE(form.fromControl()->isEmpty());
    EXPECT_EQ(form.fromControl()->field(0)->text(), "");
    EXPECT_TRUE(form.toControl()->isEmpty());

    // Cancel keeps what was there.
    form.fromControl()->setIPAddress(HostOrder("10.0.0.1"));
    OnNextModal([](QDialog* dialog) { ClickButton(dialog, "cancelButton"); });
    form.autoDetect();
    EXPECT_EQ(form.addressFrom(), HostOrder("10.0.0.1"));
}

TEST_F(IPDialogsTest, RangeInputCountsTheAddressesAsTypedAndRefusesEqualEnds)
{
    TIPRangeInputForm form;
    form.show();
    TypeAddress(form.fromControl(), "10.0.0.20");
    EXPECT_EQ(form.checkText(), ""); // "To" still empty
    TypeAddress(form.toControl(), "10.0.0.20");
    EXPECT_TRUE(form.checkText().startsWith("Not a valid range")) << form.checkText().toStdString();
    form.accept();
    EXPECT_EQ(prompts.beeps, 1);
    EXPECT_TRUE(form.isVisible());

    form.toControl()->field(3)->selectAll();
    QTest::keyClicks(form.toControl()->field(3), "1");
    EXPECT_EQ(form.checkText(), "20 addresses");
    form.accept();
    EXPECT_EQ(form.result(), QDialog::Accepted);
    EXPECT_EQ(form.rangeEntry(), "10.0.0.1 - 10.0.0.20");
}

TEST_F(IPDialogsTest, AutoDetectOfASlashEightAsksBeforeSixteenMillionAddresses)
{
    const QLocale before;
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    TIPRangeInputForm form(nullptr, TwoInterfaces);
    form.show();
    OnNextModal([](QDialog* dialog) {
        auto* detect = qobject_cast<TAutoDetectIPForm*>(dialog);
        ASSERT_NE(detect, nullptr);
        detect->interfaceList()->setCurrentItem(detect->interfaceList()->topLevelItem(0)); // 127.0.0.1/8
        ClickButton(dialog, "okButton");
    });
    form.autoDetect();
    EXPECT_EQ(form.checkText(), "16,777,216 addresses");
    prompts.yesNoAnswers = {false, true};
    form.accept();
    ASSERT_EQ(prompts.questions.size(), 1);
    EXPECT_TRUE(prompts.questions[0].contains("16,777,216 addresses")) << prompts.questions[0].toStdString();
    EXPECT_TRUE(form.isVisible());
    form.accept();
    EXPECT_EQ(form.result(), QDialog::Accepted);
    EXPECT_EQ(form.rangeEntry(), "127.0.0.0 - 127.255.255.255");
    QLocale::setDefault(before);
}

TEST_F(IPDialogsTest, AutoDetectWithoutInterfacesShowsAnEmptyList)
{
    TAutoDetectIPForm form(nullptr, [] { return std::vector<TInterfaceAddress>(); });
    EXPECT_EQ(form.interfaceList()->topLevelItemCount(), 0);
    form.accept();
    EXPECT_EQ(form.rangeBegin(), 0u);
    EXPECT_EQ(form.rangeEnd(), 0u);
}

TEST_F(IPDialogsTest, AutoDetectReadsThisMachinesInterfaces)
{
    TAutoDetectIPForm form;
    QStringList addresses;
    for (int i = 0; i < form.interfaceList()->topLevelItemCount(); ++i)
        addresses.append(form.interfaceList()->topLevelItem(i)->text(0));
    EXPECT_TRUE(addresses.contains("127.0.0.1")) << addresses.join(' ').toStdString();
}

TEST_F(IPDialogsTest, DiscoveryOptionsShowAndWriteTheSettings)
{
    TIPScanOptionsForm fresh;
    EXPECT_EQ(fresh.findChild<QSpinBox*>("ThreadsLabeledEdit")->value(), 10);
    EXPECT_EQ(fresh.findChild<QSpinBox*>("TimeOutLabeledEdit")->value(), 100);
    EXPECT_EQ(fresh.findChild<QSpinBox*>("ThreadsLabeledEdit")->singleStep(), 10);
    EXPECT_EQ(fresh.findChild<QSpinBox*>("TimeOutLabeledEdit")->maximum(), 5000);

    TIPDiscoverySettings settings;
    settings.TimeOut = 2500;
    settings.MaxThreads = 200;
    settings.ResolveAddress = true;
    settings.Method = (TDiscoveryMethod::NetBios | TDiscoveryMethod::ARP).Bits();
    OnNextModal([](QDialog* dialog) {
        EXPECT_EQ(dialog->findChild<QSpinBox*>("TimeOutLabeledEdit")->value(), 2500);
        EXPECT_EQ(dialog->findChild<QSpinBox*>("ThreadsLabeledEdit")->value(), 200);
        EXPECT_FALSE(dialog->findChild<QCheckBox*>("ICMPCheckBox")->isChecked());
        EXPECT_TRUE(dialog->findChild<QCheckBox*>("NetBiosCheckBox")->isChecked());
        EXPECT_TRUE(dialog->findChild<QCheckBox*>("ARPCheckBox")->isChecked());
        EXPECT_TRUE(dialog->findChild<QCheckBox*>("ResolveIPCheckBox")->isChecked());
        dialog->findChild<QCheckBox*>("ICMPCheckBox")->setChecked(true);
        dialog->findChild<QCheckBox*>("ARPCheckBox")->setChecked(false);
        dialog->findChild<QSpinBox*>("TimeOutLabeledEdit")->setValue(400);
        ClickButton(dialog, "cancelButton");
    });
    EXPECT_FALSE(TIPScanOptionsForm::Execute(nullptr, settings));
    EXPECT_EQ(settings.TimeOut, 2500);
    EXPECT_EQ(settings.Method, (TDiscoveryMethod::NetBios | TDiscoveryMethod::ARP).Bits());

    OnNextModal([](QDialog* dialog) {
        dialog->findChild<QCheckBox*>("ICMPCheckBox")->setChecked(true);
        dialog->findChild<QCheckBox*>("ARPCheckBox")->setChecked(false);
        dialog->findChild<QCheckBox*>("ResolveIPCheckBox")->setChecked(false);
        dialog->findChild<QSpinBox*>("TimeOutLabeledEdit")->setValue(400);
        ClickButton(dialog, "okButton");
    });
    EXPECT_TRUE(TIPScanOptionsForm::Execute(nullptr, settings));
    EXPECT_EQ(settings.TimeOut, 400);
    EXPECT_EQ(settings.MaxThreads, 200);
    EXPECT_FALSE(settings.ResolveAddress);
    EXPECT_EQ(settings.Method, (TDiscoveryMethod::ICMP | TDiscoveryMethod::NetBios).Bits());
}

TEST_F(IPDialogsTest, TheTcpProbeAndTheDiscoveryWindowAreSettings)
{
    TIPDiscoverySettings settings; // a new settings file: all four methods, 1.5 s window
    OnNextModal([](QDialog* dialog) {
        EXPECT_TRUE(dialog->findChild<QCheckBox*>("TCPCheckBox")->isChecked());
        EXPECT_EQ(dialog->findChild<QSpinBox*>("ThreadsLabeledEdit")->value(), 1024);
        EXPECT_EQ(dialog->findChild<QSpinBox*>("DiscoveryWindowEdit")->value(), 1500);
        dialog->findChild<QCheckBox*>("TCPCheckBox")->setChecked(false);
        dialog->findChild<QSpinBox*>("DiscoveryWindowEdit")->setValue(800);
        ClickButton(dialog, "okButton");
    });
    EXPECT_TRUE(TIPScanOptionsForm::Execute(nullptr, settings));
    EXPECT_EQ(settings.Method, 7);
    EXPECT_EQ(settings.DiscoveryWindow, 800);

    // A file of an older version (7): the TCP probe stays off until chosen.
    OnNextModal([](QDialog* dialog) {
        EXPECT_FALSE(dialog->findChild<QCheckBox*>("TCPCheckBox")->isChecked());
        dialog->findChild<QCheckBox*>("TCPCheckBox")->setChecked(true);
        ClickButton(dialog, "okButton");
    });
    EXPECT_TRUE(TIPScanOptionsForm::Execute(nullptr, settings));
    EXPECT_EQ(settings.Method, 15);
}

TEST_F(IPDialogsTest, AtLeastOneDiscoveryMethodMustBeChosen)
{
    TIPDiscoverySettings settings;
    settings.Method = 263 & 0xFF;
    OnNextModal([this](QDialog* dialog) {
        for (const char* name : {"ICMPCheckBox", "NetBiosCheckBox", "ARPCheckBox"})
            dialog->findChild<QCheckBox*>(name)->setChecked(false);
        ClickButton(dialog, "okButton");
        EXPECT_EQ(prompts.warnings, QStringList({"At least one discovery method must be chosen."}));
        EXPECT_TRUE(dialog->isVisible());
        dialog->findChild<QCheckBox*>("ARPCheckBox")->setChecked(true);
        ClickButton(dialog, "okButton");
    });
    EXPECT_TRUE(TIPScanOptionsForm::Execute(nullptr, settings));
    EXPECT_EQ(settings.Method, TDiscoveryMethods(TDiscoveryMethod::ARP).Bits());
}

} // namespace
