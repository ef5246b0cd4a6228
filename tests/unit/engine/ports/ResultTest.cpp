#include "engine/ports/Result.h"

#include <cerrno>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

namespace {

struct Base {
    virtual ~Base() = default;
    virtual int kind() const { return 1; }
};

struct Derived : Base {
    int kind() const override { return 2; }
};

Result<std::vector<int>> Numbers(bool fail)
{
    if (fail)
        return PlatformError{ENOENT, QStringLiteral("gone")};
    return std::vector<int>{1, 2, 3};
}

Result<std::unique_ptr<Base>> MakeDerived()
{
    return std::make_unique<Derived>();
}

Result<void> Passes(PlatformError outcome)
{
    return outcome;
}

TEST(ResultTest, ValueIsOkAndCarriesNoError)
{
    const Result<std::vector<int>> result = Numbers(false);
    EXPECT_TRUE(result.ok());
    EXPECT_TRUE(static_cast<bool>(result));
    EXPECT_EQ(result.value(), (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(result.error().code, 0);
    EXPECT_TRUE(result.error().message.isEmpty());
}

TEST(ResultTest, ErrorKeepsCodeAndMessage)
{
    const Result<std::vector<int>> result = Numbers(true);
    EXPECT_FALSE(result.ok());
    EXPECT_FALSE(static_cast<bool>(result));
    EXPECT_EQ(result.error().code, ENOENT);
    EXPECT_EQ(result.error().message, QStringLiteral("gone"));
}

TEST(ResultTest, MoveOnlyValueMovesOut)
{
    Result<std::unique_ptr<int>> result = std::make_unique<int>(7);
    ASSERT_TRUE(result);
    std::unique_ptr<int> taken = std::move(result).value();
    ASSERT_NE(taken, nullptr);
    EXPECT_EQ(*taken, 7);
}

TEST(ResultTest, ConvertsDerivedPointerToBase)
{
    Result<std::unique_ptr<Base>> result = MakeDerived();
    ASSERT_TRUE(result);
    EXPECT_EQ(result.value()->kind(), 2);
}

TEST(ResultTest, ValueCanBeChangedInPlace)
{
    Result<std::vector<int>> result = Numbers(false);
    result.value().push_back(4);
    EXPECT_EQ(result.value().size(), 4u);
}

TEST(ResultTest, VoidSucceedsByDefault)
{
    const Result<void> result;
    EXPECT_TRUE(result.ok());
    EXPECT_EQ(result.error().code, 0);
}

TEST(ResultTest, VoidFromFailedErrorFails)
{
    const Result<void> result = Passes(PlatformError{EACCES, QStringLiteral("denied")});
    EXPECT_FALSE(result);
    EXPECT_EQ(result.error().code, EACCES);
    EXPECT_EQ(result.error().message, QStringLiteral("denied"));
}

TEST(ResultTest, VoidFromEmptyErrorSucceeds)
{
    EXPECT_TRUE(Passes(PlatformError{}).ok());
}

TEST(ResultTest, ErrorPassesOnToAnotherValueType)
{
    const Result<std::vector<int>> failed = Numbers(true);
    const Result<std::unique_ptr<Base>> passed = failed.error();
    EXPECT_FALSE(passed);
    EXPECT_EQ(passed.error().code, ENOENT);
}

} // namespace
