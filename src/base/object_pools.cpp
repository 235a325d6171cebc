#include "base/object_pools.h"

#include "base/random_numbers.h"

namespace {

ObjectRecord falling_pool[kFallingPoolSize];
ObjectRecord opponent_pool[kOpponentPoolSize];
ObjectRecord item_pool[kItemPoolSize];

// A falling object or an item: somewhere in the upper field, falling at
// 1 to 4 pixels a tick (a draw of 0 counts as 1).
void fill_faller(ObjectRecord& record)
{
    record = ObjectRecord{};
    record.x = next_random() % kFieldWidth;
    record.y = next_random() % 200;
    record.speed = next_random() % 5;
    if (record.speed == 0) {
        record.speed = 1;
    }
}

// The opponent: on the ground at x 1..299 or 301, resting 0..99 ticks
// between throws, throwing at 1, 2, 3 or 5 pixels a tick.
void fill_opponent(ObjectRecord& record)
{
    record = ObjectRecord{};
    record.x = next_random() % 300;
    if (record.x == 0) {
        record.x = 301;
    }
    record.delay = next_random() % 100;
    record.speed = next_random() % 4;
    if (record.speed == 0) {
        record.speed = 5;
    }
    record.y = 440;
    record.frame = 1;
}

}  // namespace

ObjectRecord* reset_pool(int kind)
{
    switch (kind) {
    case kPoolFalling:
        for (ObjectRecord& record : falling_pool) {
            fill_faller(record);
        }
        return falling_pool;
    case kPoolOpponent:
        fill_opponent(opponent_pool[0]);
        return opponent_pool;
    case kPoolItems:
        for (ObjectRecord& record : item_pool) {
            fill_faller(record);
        }
        return item_pool;
    default:
        return nullptr;
    }
}
