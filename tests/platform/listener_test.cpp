#include "platform/listener.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

std::vector<int> gHeard;

class CRecorder : public CListener {
public:
    explicit CRecorder(int tag) : tag_(tag) {}
    void ListenToMessage(void* event) override {
        gHeard.push_back(tag_);
        if (onHear) onHear(this, event);
    }
    int tag_;
    void (*onHear)(CRecorder*, void*) = nullptr;
};

class ListenerTest : public ::testing::Test {
protected:
    void SetUp() override { gHeard.clear(); }
};

TEST_F(ListenerTest, LinkingAddsEachSideToTheOther) {
    CBroadcaster b;
    CRecorder l(1);
    EXPECT_TRUE(b.AddListener(&l));
    EXPECT_TRUE(b.AddListener(&l));  // no duplicate
    EXPECT_EQ(b.ListenerCount(), 1);
    EXPECT_EQ(l.BroadcasterCount(), 1);
    EXPECT_TRUE(l.IsListeningTo(&b));
    l.StopListening(&b);
    EXPECT_EQ(b.ListenerCount(), 0);
    EXPECT_FALSE(l.IsListeningTo(&b));
}

TEST_F(ListenerTest, BroadcastCallsListenersInListOrderWithTheEvent) {
    CBroadcaster b;
    CRecorder a(1), c(2), d(3);
    b.AddListener(&c);
    b.AddListener(&a);
    b.AddListener(&d);
    int event = 0;
    static int* seen;
    seen = nullptr;
    a.onHear = [](CRecorder*, void* e) { seen = static_cast<int*>(e); };
    b.BroadcastMessage(&event);
    EXPECT_EQ(gHeard, (std::vector<int>{2, 1, 3}));
    EXPECT_EQ(seen, &event);
}

TEST_F(ListenerTest, DestroyingEitherSideUnlinksBoth) {
    CRecorder keeper(1);
    {
        CBroadcaster b;
        b.AddListener(&keeper);
        {
            CRecorder gone(2);
            b.AddListener(&gone);
            EXPECT_EQ(b.ListenerCount(), 2);
        }
        EXPECT_EQ(b.ListenerCount(), 1);
        b.BroadcastMessage(nullptr);
        EXPECT_EQ(gHeard, std::vector<int>{1});
    }
    EXPECT_EQ(keeper.BroadcasterCount(), 0);
}

TEST_F(ListenerTest, ListenersUnlinkedDuringABroadcastAreNotCalled) {
    CBroadcaster b;
    static CRecorder* victim;
    static CBroadcaster* source;
    CRecorder first(1), second(2), third(3);
    victim = &third;
    source = &b;
    // The first listener unlinks itself and the third one.
    first.onHear = [](CRecorder* self, void*) {
        self->StopListening(source);
        victim->StopListening(source);
    };
    b.AddListener(&first);
    b.AddListener(&second);
    b.AddListener(&third);
    b.BroadcastMessage(nullptr);
    EXPECT_EQ(gHeard, (std::vector<int>{1, 2}));
    EXPECT_EQ(b.ListenerCount(), 1);
}

TEST_F(ListenerTest, OneListenerHearsManyBroadcasters) {
    CBroadcaster b1, b2;
    CRecorder l(7);
    b1.AddListener(&l);
    b2.AddListener(&l);
    b1.BroadcastMessage(nullptr);
    b2.BroadcastMessage(nullptr);
    EXPECT_EQ(gHeard, (std::vector<int>{7, 7}));
    l.StopListeningToAll();
    EXPECT_EQ(b1.ListenerCount(), 0);
    EXPECT_EQ(b2.ListenerCount(), 0);
}

}  // namespace
