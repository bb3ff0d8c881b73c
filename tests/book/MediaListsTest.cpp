// The media lists: the items the ringer, message ringer and picture boxes offer, and the codes
// the book keeps for them.
#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "book/MediaLists.h"

namespace numora {
namespace {

struct CodeCase {
    MediaList list;
    uint16_t code;
    int item;
    const char* title;
};

TEST(MediaListsTest, CodesSelectTheirItemsAndTitles) {
    const CodeCase cases[] = {
        {MediaList::Ringer, 0xFFFF, 0, "Select Ringer"},
        {MediaList::Ringer, 100, 1, "Radetzky March"},
        {MediaList::Ringer, 204, 15, "Bell_5"},
        {MediaList::Ringer, 150, 0, "150"},  // a downloaded sound
        {MediaList::Ringer, 110, 0, "110"},
        {MediaList::MsgRinger, 0xFFFF, 0, "Select Ringer"},
        {MediaList::MsgRinger, 302, 3, "Tone 3"},
        {MediaList::MsgRinger, 305, 0, "305"},
        {MediaList::MsgRinger, 104, 0, "104"},
        {MediaList::Graphic, 0xFFFF, 0, "Select Graphic"},
        {MediaList::Graphic, 3200, 0, "3200"},
    };
    for (const CodeCase& c : cases) {
        EXPECT_EQ(ItemForCode(c.list, c.code), c.item) << c.code;
        EXPECT_EQ(TitleForCode(c.list, c.code), c.title) << c.code;
    }
}

TEST(MediaListsTest, ItemsGiveBackTheirCodes) {
    EXPECT_FALSE(CodeForItem(MediaList::Ringer, 16).has_value());
    EXPECT_FALSE(CodeForItem(MediaList::Ringer, -1).has_value());
    EXPECT_FALSE(CodeForItem(MediaList::Graphic, 1).has_value());
    // Every item round-trips through its code.
    for (MediaList list : {MediaList::Ringer, MediaList::MsgRinger, MediaList::Graphic}) {
        for (int i = 0; i < static_cast<int>(FixedItems(list).size()); ++i) {
            const auto code = CodeForItem(list, i);
            ASSERT_TRUE(code.has_value()) << i;
            EXPECT_EQ(ItemForCode(list, *code), i);
        }
    }
}

}  // namespace
}  // namespace numora
