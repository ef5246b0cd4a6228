// A results file whose compound-file directory names slots the tree never links
// (found by fuzzing). Reading it must end in an error the window can show, leave
// nothing half-loaded, and leave the reader usable for the next file.
#include "model/Error.h"
#include "store/ResultsFile.h"

#include <QString>
#include <gtest/gtest.h>

namespace {

const QString kUnlinkedEntries =
    QStringLiteral(KESTROVA_SOURCE_DIR "/tests/unit/store/data/unlinked-directory-entries.dat");

TEST(DamagedResultsFileTest, UnlinkedDirectoryEntriesGiveAnErrorAndAnEmptyList)
{
    TItemList list{MakeItemRecord(QStringLiteral("\\\\PC\\s\\old.txt"), 0, -1, 0.0, 1)};
    TIconList icons;
    // Repeated loads: the reader must not keep state from a failed one.
    for (int attempt = 0; attempt < 3; ++attempt) {
        try {
            LoadResultsFromFile(kUnlinkedEntries, list, icons);
            FAIL() << "a damaged results file loaded";
        } catch (const EKestrovaError& error) {
            EXPECT_FALSE(error.message().isEmpty());
        }
        EXPECT_TRUE(list.isEmpty());
        EXPECT_TRUE(icons.isEmpty());
    }
}

} // namespace
