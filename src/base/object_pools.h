// The object record and the three fixed pools of the world.
#pragma once

#include <cstdint>

#include "base/random_numbers.h"

// One falling object, the opponent or one item. What each field means
// depends on the pool; see the passes of the world tick.
struct ObjectRecord {
    std::int32_t x;
    std::int32_t y;
    std::int32_t frame;
    std::int32_t delay;
    std::int32_t tick;
    std::int32_t speed;
    std::int32_t away;
    std::int32_t spare;
    std::int32_t type;
};

// Pool kinds.
constexpr int kPoolFalling = 1;
constexpr int kPoolOpponent = 2;
constexpr int kPoolItems = 3;

constexpr int kFallingPoolSize = 12;
constexpr int kOpponentPoolSize = 1;
constexpr int kItemPoolSize = 4;

// Falling objects and items come back at the top row at an x drawn across
// the field.
constexpr std::int32_t kTopRow = 0;
constexpr int kFieldWidth = 600;

// Puts a falling object or an item back at the top row at x = a random
// number % kFieldWidth. A draw left of `margin` would come too near the
// left edge; each way back moves it elsewhere, so `move_right(x)` says
// where.
template <typename MoveRight>
void put_back_at_top(ObjectRecord& record, std::int32_t margin, MoveRight move_right)
{
    record.y = kTopRow;
    record.x = next_random() % kFieldWidth;
    if (record.x < margin) {
        record.x = move_right(record.x);
    }
}

// Gives every record of pool `kind` fresh starting values, partly drawn
// at random, and answers the pool's first record. The pools never move,
// so the answer is the same address for every reset of a kind. Any other
// kind changes nothing and answers null.
ObjectRecord* reset_pool(int kind);
