#include "Runtime/RefCounted.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

namespace {

class Tracked : public CRefThreadSafeBase<Tracked> {
public:
    explicit Tracked(int* liveCount, const Tracked* watch = nullptr) : live(liveCount), watched(watch) {
        ++*live;
    }
    virtual ~Tracked() {
        --*live;
        if (watched != nullptr) {
            countOfWatchedAtDeath = watched->RefCount();
        }
    }

    CRefPtr<Tracked> next;
    static inline int countOfWatchedAtDeath = -1;

private:
    int* live;
    const Tracked* watched;
};

TEST(CRefPtr, SelfAssignmentKeepsTheCount) {
    int live = 0;
    CRefPtr<Tracked> p(new Tracked(&live));
    CRefPtr<Tracked>& alias = p;
    p = alias;
    p = p.get();
    EXPECT_EQ(p->RefCount(), 1);
    EXPECT_EQ(live, 1);
    p = nullptr;
    EXPECT_EQ(live, 0);
}

TEST(CRefPtr, AssignmentAddsToTheNewObjectBeforeReleasingTheOld) {
    int live = 0;
    CRefPtr<Tracked> fresh(new Tracked(&live));
    CRefPtr<Tracked> p(new Tracked(&live, fresh.get()));
    p = fresh;
    EXPECT_EQ(Tracked::countOfWatchedAtDeath, 2);
    EXPECT_EQ(live, 1);

    // The old object holds the only other reference to the new one.
    CRefPtr<Tracked> head(new Tracked(&live));
    head->next = new Tracked(&live);
    head = head->next;
    EXPECT_EQ(head->RefCount(), 1);
    EXPECT_EQ(live, 2);
}

TEST(CRefPtr, CopiesMovesAndConversions) {
    int live = 0;
    {
        CRefPtr<Tracked> a(new Tracked(&live));
        CRefPtr<Tracked> b = a;
        EXPECT_EQ(a->RefCount(), 2);
        CRefPtr<Tracked> c = std::move(b);
        EXPECT_FALSE(b);
        EXPECT_EQ(a->RefCount(), 2);
        c = std::move(a);
        EXPECT_EQ(c->RefCount(), 1);
        EXPECT_TRUE(a == nullptr);
        EXPECT_EQ(live, 1);
    }
    EXPECT_EQ(live, 0);
}

TEST(CRefThreadSafeBase, ConcurrentReleasesDeleteOnce) {
    int live = 0;
    CRefPtr<Tracked> shared(new Tracked(&live));
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([copy = shared]() mutable {
            for (int i = 0; i < 10000; ++i) {
                CRefPtr<Tracked> local = copy;
            }
        });
    }
    shared = nullptr;
    for (auto& thread : threads) {
        thread.join();
    }
    EXPECT_EQ(live, 0);
}

} // namespace
