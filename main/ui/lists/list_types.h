#pragma once

#include <cstdint>
#include <initializer_list>

// The enumerations and sets shared by every list view. Their value order is
// stored by other parts of the program: never reorder them.

// A small set of enumeration values kept as bits of Storage.
template <typename E, typename Storage>
class TEnumSet
{
  public:
    constexpr TEnumSet() = default;
    constexpr TEnumSet(std::initializer_list<E> values)
    {
        for (E v : values)
            FBits |= bit(v);
    }
    constexpr bool contains(E v) const { return (FBits & bit(v)) != 0; }
    constexpr TEnumSet &insert(E v)
    {
        FBits |= bit(v);
        return *this;
    }
    constexpr TEnumSet &remove(E v)
    {
        FBits &= static_cast<Storage>(~bit(v));
        return *this;
    }
    constexpr bool empty() const { return FBits == 0; }
    constexpr Storage bits() const { return FBits; }
    static constexpr TEnumSet fromBits(Storage b)
    {
        TEnumSet s;
        s.FBits = b;
        return s;
    }
    friend constexpr bool operator==(TEnumSet a, TEnumSet b) { return a.FBits == b.FBits; }

  private:
    static constexpr Storage bit(E v) { return static_cast<Storage>(Storage(1) << static_cast<int>(v)); }
    Storage FBits = 0;
};

enum TListViewType : uint8_t {
    lvIconS,
    lvIconM,
    lvIconL,
    lvListS,
    lvListM,
    lvListL,
    lvText,
    lvDrop,
    lvCheckDrop,
    lvDropMulti
};
using TListViewTypes = TEnumSet<TListViewType, uint16_t>;
constexpr int kListViewTypeCount = 10;

enum TListViewDirection : uint8_t { lvdTopDown, lvdBottomUp };

enum TListViewItemType : uint8_t { lviDisableDrag, lviFixedIndex, lviFixedName, lviFixedValue };
using TListViewItemTypes = TEnumSet<TListViewItemType, uint8_t>;

enum TListViewCommandType : uint8_t {
    lvcSelect,
    lvcMove,
    lvcAppend,
    lvcInsert,
    lvcReplace,
    lvcDuplicate,
    lvcDelete,
    lvcDrag,
    lvcDrop,
    lvcEditDialog
};
using TListViewCommandTypes = TEnumSet<TListViewCommandType, uint16_t>;

enum TListViewItemState : uint8_t { lviNone, lviSelect, lviDragTarget };
using TListViewItemStatus = TEnumSet<TListViewItemState, uint8_t>;

// Area kinds answered by GetAreaType; 5 is left to subclasses.
enum : uint8_t {
    kAreaItem = 0,
    kAreaCheckBox = 1,
    kAreaButton = 2,
    kAreaEmpty = 3,
    kAreaOutside = 4,
    kAreaCustom = 5
};

inline constexpr bool isIconType(TListViewType t) { return t <= lvIconL; }
inline constexpr bool isListType(TListViewType t) { return t >= lvListS && t <= lvListL; }
inline constexpr bool isGridType(TListViewType t) { return t <= lvText; }
inline constexpr bool isDropType(TListViewType t) { return t >= lvDrop; }
