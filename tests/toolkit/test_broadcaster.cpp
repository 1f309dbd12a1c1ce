#include "toolkit/broadcaster.h"

#include <gtest/gtest.h>

#include <vector>

using namespace vemora;

namespace {

struct Recorder : dxListener {
    Recorder(std::vector<int>* log, int id, bool takes) : log_(log), id_(id), takes_(takes) {}
    bool listener_message(int32_t message, void*) override
    {
        log_->push_back(id_ * 100 + message);
        return takes_;
    }
    std::vector<int>* log_;
    int id_;
    bool takes_;
};

} // namespace

TEST(Broadcaster, AscendingOrderUntilOneTakesIt)
{
    std::vector<int> log;
    Recorder two(&log, 2, false), one(&log, 1, true);
    dxBroadcaster b;
    b.broadcaster_to(&two, 2);
    b.broadcaster_to(&one, 1);
    EXPECT_TRUE(b.broadcaster_message(7, nullptr));
    EXPECT_EQ(log, (std::vector<int>{107})); // order 2 never saw it
    one.takes_ = false;
    log.clear();
    EXPECT_FALSE(b.broadcaster_message(8, nullptr));
    EXPECT_EQ(log, (std::vector<int>{108, 208}));
}

TEST(Broadcaster, AddingAgainMovesTheListener)
{
    std::vector<int> log;
    Recorder a(&log, 1, false), c(&log, 3, false);
    dxBroadcaster b;
    b.broadcaster_to(&a, 1);
    b.broadcaster_to(&c, 3);
    b.broadcaster_to(&a, 5);
    b.broadcaster_message(0, nullptr);
    EXPECT_EQ(log, (std::vector<int>{300, 100})); // asked once, after order 3
    EXPECT_TRUE(b.find_listener(&a));
    b.remove_listener(&a);
    EXPECT_FALSE(b.find_listener(&a));
}

TEST(Broadcaster, NoListenersAnswersFalse)
{
    dxBroadcaster b;
    EXPECT_FALSE(b.broadcaster_message(1, nullptr));
    b.broadcaster_to(nullptr, 1);
    EXPECT_FALSE(b.broadcaster_message(1, nullptr));
}

TEST(Broadcaster, ListenerRemovingAnotherWhileTakingIsSafe)
{
    std::vector<int> log;
    dxBroadcaster b;
    Recorder later(&log, 2, true);
    struct Remover : dxListener {
        dxBroadcaster* b;
        dxListener* victim;
        bool listener_message(int32_t, void*) override
        {
            b->remove_listener(victim);
            return false;
        }
    } remover;
    remover.b = &b;
    remover.victim = &later;
    b.broadcaster_to(&remover, 1);
    b.broadcaster_to(&later, 2);
    EXPECT_FALSE(b.broadcaster_message(1, nullptr));
    EXPECT_TRUE(log.empty());
}
