#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "support/harness.h"
#include "world/object_pools.h"

namespace {

const int kSize[4] = {0, 12, 1, 4};  // records per pool kind
std::string bytes(const ObjectRecord* records, int kind) { return {reinterpret_cast<const char*>(records), sizeof(ObjectRecord) * kSize[kind]}; }

}  // namespace

TEST(Pools, FirstResetsDrawTheUnseededSequenceInOrder)
{
    const std::string expected = harness::in_child([] {  // a copy in which rand() is untouched too
        const auto draw = [](int n, int zero = 0) { const int v = std::rand() % n; return v != 0 ? v : zero; };
        std::string records;
        for (int i = 0; i < 17; ++i) {  // 12 falling objects, the opponent, 4 items
            const ObjectRecord r = i == 12 ? ObjectRecord{draw(300, 301), 440, 1, draw(100), 0, draw(4, 5), 0, 0, 0}
                                           : ObjectRecord{draw(600), draw(200), 0, 0, 0, draw(5, 1), 0, 0, 0};
            records.append(reinterpret_cast<const char*>(&r), sizeof r);
        }
        return records;
    });
    std::string drawn = bytes(reset_pool(1), 1);
    drawn += bytes(reset_pool(2), 2), drawn += bytes(reset_pool(3), 3);
    EXPECT_EQ(drawn, expected);
}

TEST(Pools, AResetRefillsOnlyItsOwnPoolInPlaceAndUnknownKindsNone)
{
    ObjectRecord* pool[4] = {nullptr, reset_pool(1), reset_pool(2), reset_pool(3)};
    const auto all = [&] { return bytes(pool[1], 1) + bytes(pool[2], 2) + bytes(pool[3], 3); };
    for (int kind = 1; kind <= 3; ++kind) {
        std::memset(pool[kind], 0x5a, sizeof(ObjectRecord) * kSize[kind]);  // junk in every field
        const std::string before = all();
        EXPECT_EQ(reset_pool(kind), pool[kind]);
        for (const ObjectRecord* r = pool[kind]; r < pool[kind] + kSize[kind]; ++r)
            EXPECT_EQ((std::vector<int>{r->frame, r->tick, r->away, r->spare, r->type}), (std::vector<int>{kind == 2, 0, 0, 0, 0}));
        std::memset(pool[kind], 0x5a, sizeof(ObjectRecord) * kSize[kind]);
        EXPECT_EQ(all(), before) << kind;  // the other pools are untouched
    }
    const std::string before = all();
    for (int kind : {0, 4, -1}) EXPECT_EQ(reset_pool(kind), nullptr);
    EXPECT_EQ(all(), before);
}

TEST(Pools, DrawnValuesStayInTheirRanges)
{
    std::map<int, int> speeds[2];  // of the opponent; of falling objects and items
    int bad = 0, opponents_at_301 = 0;
    for (int round = 0; round < 3000; ++round) {
        const ObjectRecord& o = *reset_pool(2);
        bad += o.x < 1 || o.x > 301 || o.x == 300 || o.delay < 0 || o.delay > 99;
        opponents_at_301 += o.x == 301, speeds[0][o.speed] += 1;
        for (int kind : {1, 3}) {
            const ObjectRecord* r = reset_pool(kind);
            for (int i = 0; i < kSize[kind]; ++i) bad += r[i].x < 0 || r[i].x > 599 || r[i].y < 0 || r[i].y > 199 || r[i].delay != 0, speeds[1][r[i].speed] += 1;
        }
    }
    std::string values;
    for (const auto& counts : speeds) for (const auto& entry : counts) values += std::to_string(entry.first);
    EXPECT_TRUE(bad == 0 && opponents_at_301 > 0 && values == "12351234") << bad << " " << values;
    EXPECT_GT(speeds[0][5] * 4, speeds[0][1] * 3);  // 5 as often as 1
    EXPECT_GT(speeds[1][1] * 2, speeds[1][2] * 3);  // a draw of 0 counts as 1
}
