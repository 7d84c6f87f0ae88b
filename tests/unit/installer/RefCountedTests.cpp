#include <gtest/gtest.h>

#include "installer/RefCounted.h"

namespace {

template <typename Model> class Tracked : public CRefCountedT<Model> {
public:
    explicit Tracked(int* destroyed) : m_destroyed(destroyed) {}
    ~Tracked() override { ++*m_destroyed; }

private:
    int* m_destroyed;
};

template <typename Model> void CheckLifetime() {
    int destroyed = 0;
    auto* object = new Tracked<Model>(&destroyed);
    EXPECT_EQ(0, object->GetRefCount());
    {
        CRefCountPtr<Tracked<Model>> first(object);
        EXPECT_EQ(1, object->GetRefCount());
        CRefCountPtr<Tracked<Model>> second = first;
        CRefCountPtr<Tracked<Model>> third;
        third = second;
        EXPECT_EQ(3, object->GetRefCount());
        CRefCountPtr<Tracked<Model>> moved(std::move(second));
        EXPECT_TRUE(second.IsEmpty());
        EXPECT_EQ(3, object->GetRefCount());
        first.Reset();
        third = CRefCountPtr<Tracked<Model>>();
        EXPECT_EQ(1, object->GetRefCount());
        EXPECT_EQ(0, destroyed);
    }
    // Deleted through the base's virtual destructor when the last pointer went.
    EXPECT_EQ(1, destroyed);
}

} // namespace

TEST(RefCounted, FreeThreadedObjectDiesWithItsLastPointer) {
    CheckLifetime<FreeThreadedModel>();
}

TEST(RefCounted, SingleThreadedObjectDiesWithItsLastPointer) {
    CheckLifetime<SingleThreadedModel>();
}

TEST(RefCounted, SelfAssignmentKeepsTheObject) {
    int destroyed = 0;
    CRefCountPtr<Tracked<FreeThreadedModel>> p(new Tracked<FreeThreadedModel>(&destroyed));
    auto& same = p;
    p = same;
    EXPECT_EQ(0, destroyed);
    EXPECT_EQ(1, p->GetRefCount());
}
