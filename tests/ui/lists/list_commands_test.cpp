#include "ui/lists/list_commands.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// A collection view over a vector of named items.
class FakeList : public TListViewCommands
{
  public:
    struct Item
    {
        std::string name;
        TListViewItemTypes types;
    };
    std::vector<Item> items;
    bool duplicateFails = false;
    using TListViewCommands::DuplicateItem;

    explicit FakeList(std::initializer_list<const char *> names)
    {
        for (const char *n : names)
            items.push_back({n, {}});
        FSupportCommand = {lvcSelect, lvcMove, lvcDrop};
    }
    int GetItemCount() const override { return int(items.size()); }
    TListViewItemTypes GetItemType(int i) const override { return items[i].types; }
    bool DeleteItem(int Dst, bool) override
    {
        if (!CanDeleteItem(Dst))
            return false;
        items.erase(items.begin() + Dst);
        return true;
    }
    bool DuplicateItem(TListViewCommands *DstView, int Dst, int Src, bool Updt) override
    {
        auto *dst = static_cast<FakeList *>(DstView);
        if (duplicateFails || !dst->CanDuplicateItem(Dst, this, Src))
            return false;
        Dst = std::clamp(Dst, 0, dst->GetItemCount());
        dst->items.insert(dst->items.begin() + Dst, items[Src]);
        if (Updt)
            dst->SelectItem(Dst, true);
        return true;
    }
    std::string names() const
    {
        std::string s;
        for (const Item &i : items)
            s += i.name;
        return s;
    }
};

} // namespace

TEST(ListsCommands, PermissionRules)
{
    FakeList v{"a", "b", "c", "d"};
    v.items[1].types = {lviFixedIndex};
    v.items[2].types = {lviFixedValue, lviFixedName};
    v.items[3].types = {lviDisableDrag};
    FakeList other{"x", "y"};

    EXPECT_TRUE(v.CanPutItem(0));
    EXPECT_FALSE(v.CanPutItem(1));
    EXPECT_TRUE(v.CanPutItem(99)); // invalid Dst: after the last item

    EXPECT_TRUE(v.CanMoveItem(3, 0));
    EXPECT_FALSE(v.CanMoveItem(0, 0)); // onto itself
    EXPECT_FALSE(v.CanMoveItem(1 + 2, 2)); // just after itself
    EXPECT_FALSE(v.CanMoveItem(1, 3)); // before a fixed item
    EXPECT_FALSE(v.CanMoveItem(3, 1)); // a fixed item
    EXPECT_TRUE(v.CanMoveItem(-1, 0)); // -1 means the end
    EXPECT_FALSE(v.CanMoveItem(0, 4));

    EXPECT_TRUE(v.CanAppendItem(&other, 1));
    EXPECT_FALSE(v.CanAppendItem(&other, 2));

    EXPECT_TRUE(v.CanInsertItem(0, &other, 1));
    EXPECT_FALSE(v.CanInsertItem(1, &other, 0));

    EXPECT_TRUE(v.CanDeleteItem(0));
    EXPECT_FALSE(v.CanDeleteItem(1));
    EXPECT_FALSE(v.CanDeleteItem(4));

    EXPECT_TRUE(v.CanDuplicateItem(4, &other, 0));
    EXPECT_FALSE(v.CanDuplicateItem(1, &other, 0));
    EXPECT_FALSE(v.CanDuplicateItem(0, &other, 5));

    EXPECT_TRUE(v.CanEditItem(1));
    EXPECT_FALSE(v.CanEditItem(2));
    EXPECT_FALSE(v.CanEditItem(-1));

    EXPECT_FALSE(v.CanDropItem(0, &v, 3)); // the source refuses drags
    EXPECT_TRUE(v.CanDropItem(4, &v, 2));
    EXPECT_FALSE(v.CanDropItem(3, &v, 2));
    EXPECT_TRUE(other.CanDropItem(0, &v, 2)); // another view inserts
    EXPECT_TRUE(other.CanDropItem(7, &v, 2)); // past the end appends
    EXPECT_FALSE(v.CanDropItem(1, &other, 0));
    EXPECT_EQ(v.AcceptDropItem(4, &v, 0), v.CanDropItem(4, &v, 0));
}

TEST(ListsCommands, MoveReplaceAndPut)
{
    struct Case
    {
        const char *what;
        int dst, src;
        bool replace;
        bool ok;
        const char *after;
        int selected;
    } cases[] = {
        {"move down", 3, 0, false, true, "bcad", 2},
        {"move up", 0, 2, false, true, "cabd", 0},
        {"move to end", 4, 1, false, true, "acdb", 3},
        {"move onto itself", 1, 1, false, false, "abcd", -1},
        {"replace", 1, 3, true, true, "adcd", 1},
        {"replace itself", 2, 2, true, false, "abcd", -1},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        FakeList v{"a", "b", "c", "d"};
        const bool ok = c.replace ? v.ReplaceItem(c.dst, c.src, true) : v.MoveItem(c.dst, c.src, true);
        EXPECT_EQ(ok, c.ok);
        EXPECT_EQ(v.names(), c.after);
        EXPECT_EQ(v.GetSelectIndex(), c.selected);
    }
}

// A copy that fails must leave the collection untouched (no original lost).
TEST(ListsCommands, FailedCopyChangesNothing)
{
    for (int which = 0; which < 3; ++which) {
        FakeList v{"a", "b", "c", "d"};
        v.duplicateFails = true;
        const bool ok = which == 0 ? v.MoveItem(3, 0, true) : which == 1 ? v.MoveItem(0, 2, true)
                                                                          : v.ReplaceItem(1, 3, true);
        EXPECT_FALSE(ok);
        EXPECT_EQ(v.names(), "abcd");
    }
}

TEST(ListsCommands, PutAndDuplicateUseLastIndex)
{
    FakeList v{"a", "b", "c"};
    v.SetLastIndex(0);
    EXPECT_TRUE(v.PutItem(3, true)); // append a copy of the last pressed item
    EXPECT_EQ(v.names(), "abca");
    EXPECT_EQ(v.GetSelectIndex(), 3);
    v.SetLastIndex(1);
    EXPECT_TRUE(v.PutItem(2, true)); // replace c by b
    EXPECT_EQ(v.names(), "abba");
    v.SetLastIndex(0);
    EXPECT_TRUE(v.DuplicateItem(0, true)); // Ctrl+Shift: a copy at its own place
    EXPECT_EQ(v.names(), "aabba");
    EXPECT_FALSE(v.SelectItem(9, true));
}
