#include "accounts/AccountList.h"

#include "model/Error.h"

#include <atomic>
#include <gtest/gtest.h>
#include <thread>

namespace {

TEST(AccountListTest, KeepsInsertionOrderAndAllowsDuplicates)
{
    TAccountList list;
    EXPECT_EQ(list.Add({"PC1", "anna", "x"}), 0);
    EXPECT_EQ(list.Add({"PC*", "bob", ""}), 1);
    EXPECT_EQ(list.Add({"PC1", "anna", "x"}), 2);
    EXPECT_EQ(list.Count(), 3);
    EXPECT_EQ(list.Get(2), TUnicodeAccount("PC1", "anna", "x"));

    list.Set(1, {"", "", ""});
    EXPECT_EQ(list.Get(1), TUnicodeAccount());
    list.Delete(0);
    EXPECT_EQ(list.Snapshot(), QList<TUnicodeAccount>({{"", "", ""}, {"PC1", "anna", "x"}}));

    list.Append({{"a", "b", "c"}, {"d", "e", "f"}});
    EXPECT_EQ(list.Count(), 4);
    EXPECT_EQ(list.Get(3).Computer, "d");
}

TEST(AccountListTest, IndicesOutsideTheListAreErrors)
{
    TAccountList list;
    list.Add({"PC1", "u", "p"});
    EXPECT_THROW(list.Get(1), EKestrovaError);
    EXPECT_THROW(list.Get(-1), EKestrovaError);
    EXPECT_THROW(list.Set(1, {}), EKestrovaError);
    EXPECT_THROW(list.Delete(5), EKestrovaError);
    EXPECT_EQ(list.Count(), 1);
}

TEST(AccountListTest, ASnapshotIsNotChangedByLaterEdits)
{
    TAccountList list;
    list.Add({"PC1", "u", "p"});
    const QList<TUnicodeAccount> copy = list.Snapshot();
    list.Set(0, {"PC2", "v", "q"});
    list.Add({"PC3", "w", "r"});
    ASSERT_EQ(copy.size(), 1);
    EXPECT_EQ(copy.first().Computer, "PC1");
}

// Workers copy the list while a dialog edits it. Every copy must show the list
// between two whole operations: the pair the dialog appends arrives together, and the
// states the dialog passes through are the only ones seen.
TEST(AccountListTest, WorkersNeverSeeAHalfDoneChange)
{
    TAccountList list;
    list.Add({"base", "", ""});
    std::atomic<bool> done{false};
    std::atomic<int> copies{0};
    std::atomic<int> torn{0};
    std::thread worker([&] {
        while (!done.load()) {
            const QList<TUnicodeAccount> copy = list.Snapshot();
            ++copies;
            bool whole = !copy.isEmpty() && copy.first().Computer == "base";
            if (copy.size() == 2) // after Delete(2): only [base, changed]
                whole = whole && copy.at(1).Computer == "changed";
            else if (copy.size() == 3)
                whole = whole && (copy.at(1).Computer == "a" || copy.at(1).Computer == "changed") &&
                        copy.at(2).Computer == "b";
            else
                whole = whole && copy.size() == 1;
            if (!whole)
                ++torn;
        }
    });
    for (int i = 0; i < 2000 || copies.load() < 100; ++i) {
        list.Append({{"a", "", ""}, {"b", "", ""}});
        list.Set(1, {"changed", "", ""});
        list.Delete(2);
        list.Delete(1);
    }
    done = true;
    worker.join();
    EXPECT_EQ(torn.load(), 0);
    EXPECT_EQ(list.Count(), 1);
}

} // namespace
