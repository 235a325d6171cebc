#include <cstring>
#include <map>
#include <string>

#include <gtest/gtest.h>

#include "base/object_pools.h"

namespace {

const int kSize[4] = {0, 12, 1, 4};  // records per pool kind

}  // namespace

// Every reset refills its own records in place: the drawn values in their
// ranges (a draw of 0 becomes 301 for the opponent's x, 5 for its speed and
// 1 for the others'), the rest zero. The unseeded values in order are what
// the replays' pictures show.
TEST(Pools, ResetsRefillInPlaceWithDrawnValuesInTheirRanges)
{
    ObjectRecord* pool[4] = {nullptr, reset_pool(1), reset_pool(2), reset_pool(3)};
    for (int kind : {0, 4, -1}) EXPECT_EQ(reset_pool(kind), nullptr);
    std::map<int, int> speeds[2];  // of the opponent; of falling objects and items
    int bad = 0, opponents_at_301 = 0;
    for (int round = 0; round < 3000; ++round) {
        for (int kind = 1; kind <= 3; ++kind) {
            std::memset(pool[kind], 0x5a, sizeof(ObjectRecord) * kSize[kind]);  // junk in every field
            bad += reset_pool(kind) != pool[kind];
            for (const ObjectRecord* r = pool[kind]; r < pool[kind] + kSize[kind]; ++r) {
                bad += r->frame != (kind == 2) || r->tick != 0 || r->away != 0 || r->spare != 0 || r->type != 0;
                if (kind == 2)
                    bad += r->x < 1 || r->x > 301 || r->x == 300 || r->y != 440 || r->delay < 0 || r->delay > 99, opponents_at_301 += r->x == 301;
                else
                    bad += r->x < 0 || r->x > 599 || r->y < 0 || r->y > 199 || r->delay != 0;
                speeds[kind != 2][r->speed] += 1;
            }
        }
    }
    std::string values;
    for (const auto& counts : speeds) for (const auto& entry : counts) values += std::to_string(entry.first);
    EXPECT_TRUE(bad == 0 && opponents_at_301 > 0 && values == "12351234") << bad << " " << values;
    EXPECT_GT(speeds[0][5] * 4, speeds[0][1] * 3);  // 5 as often as 1
    EXPECT_GT(speeds[1][1] * 2, speeds[1][2] * 3);  // a draw of 0 counts as 1
}
