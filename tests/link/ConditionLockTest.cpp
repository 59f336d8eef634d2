#include "link/ConditionLock.h"

#include <gtest/gtest.h>

#include <chrono>
#include <future>

namespace {

using namespace std::chrono;

TEST(ConditionLock, IsTakenOnlyWhileFreeAndOfTheWantedCondition)
{
    ConditionLock lock(2);
    EXPECT_FALSE(lock.lockWhenCondition(1, 0.0));
    EXPECT_TRUE(lock.lockWhenCondition(2, 0.0));
    EXPECT_FALSE(lock.lockWhenCondition(2, 0.0)) << "held";
    lock.unlockWithCondition(1);
    EXPECT_EQ(lock.condition(), 1);
    EXPECT_TRUE(lock.lockWhenCondition(1, 0.0));
}

TEST(ConditionLock, ATimedWaitGivesUpAfterItsTime)
{
    ConditionLock lock(2);
    const auto start = steady_clock::now();
    EXPECT_FALSE(lock.lockWhenCondition(1, 0.2));
    EXPECT_GE(steady_clock::now() - start, milliseconds(195));
}

TEST(ConditionLock, SettingTheConditionWakesAWaiterWithoutReleasing)
{
    ConditionLock lock(2);
    auto waiter = std::async(std::launch::async, [&] { return lock.lockWhenCondition(1); });
    lock.setCondition(1);
    EXPECT_TRUE(waiter.get());
    // The waiter holds it now; setting the condition again does not free it.
    lock.setCondition(1);
    EXPECT_FALSE(lock.lockWhenCondition(1, 0.05));
}

TEST(ConditionLock, InterruptEndsEveryWait)
{
    ConditionLock lock(2);
    auto waiter = std::async(std::launch::async, [&] { return lock.lockWhenCondition(1); });
    lock.interrupt();
    EXPECT_FALSE(waiter.get());
    EXPECT_FALSE(lock.lockWhenCondition(2, 1.0));
}

} // namespace
