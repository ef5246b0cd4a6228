#include "app/Commands.h"

#include "support/QStringPrinter.h"

#include <QSet>
#include <gtest/gtest.h>

namespace {

TEST(CommandsTest, HintsAreCaptionsWithoutAmpersandOrEllipsisUnlessGivenOrAbsent)
{
    EXPECT_EQ(CommandSpec(TCommand::LoadResults).hint, "Load Results");
    EXPECT_EQ(CommandSpec(TCommand::CreateBatchFile).hint, "Create Batch File");
    EXPECT_EQ(CommandSpec(TCommand::Find).hint, "Find In Table");
    EXPECT_EQ(CommandSpec(TCommand::Export).hint, "Export to CSV, XML or HTML");
    EXPECT_EQ(CommandSpec(TCommand::Help).hint, "Display Help");
    EXPECT_EQ(CommandSpec(TCommand::Exit).hint, "Exit Application");
    EXPECT_EQ(CommandSpec(TCommand::AutoCheckEnabled).hint, "");
    EXPECT_EQ(CommandSpec(TCommand::CheckNow).hint, "");
    EXPECT_EQ(CommandSpec(TCommand::LoadProfile).hint, "");
    EXPECT_EQ(CommandSpec(TCommand::SaveProfile).hint, "");
    EXPECT_EQ(HintFromCaption("Only ... inside"), "Only ... inside");
}

TEST(CommandsTest, CaptionsAndShortcutsOfTheMainCommands)
{
    EXPECT_EQ(CommandSpec(TCommand::LoadResults).shortcut, QKeySequence(Qt::Key_F3));
    EXPECT_EQ(CommandSpec(TCommand::SaveResults).shortcut, QKeySequence(Qt::Key_F2));
    EXPECT_EQ(CommandSpec(TCommand::Find).shortcut, QKeySequence("Ctrl+F"));
    EXPECT_EQ(CommandSpec(TCommand::Config).shortcut, QKeySequence("Ctrl+O"));
    EXPECT_EQ(CommandSpec(TCommand::PasswordManagement).shortcut, QKeySequence("Ctrl+P"));
    EXPECT_EQ(CommandSpec(TCommand::Help).shortcut, QKeySequence(Qt::Key_F1));
    EXPECT_EQ(CommandSpec(TCommand::Search).caption, "&Start Search");

    QSet<QString> shortcuts, names;
    for (const TCommandSpec& spec : CommandTable()) {
        EXPECT_FALSE(names.contains(spec.name)) << spec.name;
        names.insert(spec.name);
        if (spec.shortcut.isEmpty())
            continue;
        EXPECT_FALSE(shortcuts.contains(spec.shortcut.toString())) << spec.name;
        shortcuts.insert(spec.shortcut.toString());
    }
}

TEST(CommandsTest, RulesFollowTheSearchStateAndTheList)
{
    const TCommandSpec& save = CommandSpec(TCommand::SaveResults);
    const TCommandSpec& load = CommandSpec(TCommand::LoadResults);
    const TCommandSpec& find = CommandSpec(TCommand::Find);
    const TCommandSpec& clear = CommandSpec(TCommand::ClearResults);

    TAvailabilityState idleEmpty;
    EXPECT_FALSE(IsCommandAvailable(save, idleEmpty));
    EXPECT_TRUE(IsCommandAvailable(load, idleEmpty));
    EXPECT_FALSE(IsCommandAvailable(find, idleEmpty));
    EXPECT_TRUE(IsCommandAvailable(clear, idleEmpty));

    TAvailabilityState runningWithData{true, true, false, false};
    EXPECT_FALSE(IsCommandAvailable(save, runningWithData));
    EXPECT_FALSE(IsCommandAvailable(load, runningWithData));
    EXPECT_TRUE(IsCommandAvailable(find, runningWithData));
    EXPECT_FALSE(IsCommandAvailable(CommandSpec(TCommand::SearchScope), runningWithData));
    EXPECT_TRUE(IsCommandAvailable(CommandSpec(TCommand::Config), runningWithData));

    TAvailabilityState idleWithData{false, true, false, false};
    EXPECT_TRUE(IsCommandAvailable(save, idleWithData));
    EXPECT_TRUE(IsCommandAvailable(CommandSpec(TCommand::Export), idleWithData));
}

TEST(CommandsTest, OnAnFtpHitOnlyOpenAndTheCopyCommandsStayAvailable)
{
    const TAvailabilityState ftpSelected{false, true, true, true};
    const TAvailabilityState shareSelected{false, true, true, false};
    const TAvailabilityState nothingSelected{false, true, false, false};
    for (const TCommandSpec& spec : CommandTable()) {
        if (spec.rule != TAvailability::Selected)
            continue;
        const bool worksOnFtp = spec.command == TCommand::Open || spec.command == TCommand::CopyFullName ||
                                spec.command == TCommand::CopyFileName ||
                                spec.command == TCommand::CopyFilePath ||
                                spec.command == TCommand::CopyFileDrive || spec.command == TCommand::CopyUrl;
        EXPECT_EQ(IsCommandAvailable(spec, ftpSelected), worksOnFtp) << spec.name;
        EXPECT_TRUE(IsCommandAvailable(spec, shareSelected)) << spec.name;
        EXPECT_FALSE(IsCommandAvailable(spec, nothingSelected)) << spec.name;
    }
}

} // namespace
