// A stack of owned undo records with its limit: index 0 is the newest record, the last index the
// oldest. The capacity is the limit (at least 4). A list that cannot extend never grows past its
// capacity: adding to a full list first destroys the oldest record. An extendable list grows; its
// manager enforces the limits.
#pragma once

#include "document/undo/undo_data.h"

#include <cstdint>
#include <deque>
#include <memory>

class CUndoList
{
  public:
    CUndoList(int32_t max, bool ext) { changeLimit(max, ext); }
    // Destroys every record, the oldest first.
    ~CUndoList() { deleteAll(); }
    CUndoList(const CUndoList &) = delete;
    CUndoList &operator=(const CUndoList &) = delete;

    // bCanExtend := ext; capacity := lmt, at least 4.
    void changeLimit(int32_t lmt, bool ext);
    int32_t capacity() const { return m_capacity; }
    int32_t count() const { return int32_t(m_list.size()); }
    bool empty() const { return m_list.empty(); }
    // The records that count against a limit (CUndoData::isHeavy).
    int32_t countHeavy() const;

    // Inserts undo as the newest; a full list that cannot extend first destroys its oldest.
    // undo is taken only on success (false when memory runs out).
    bool addTop(std::unique_ptr<CUndoData> &undo);
    // Destroys and removes the record at a valid idx; whether it did.
    bool deleteAt(int32_t idx);
    bool deleteBottom() { return deleteAt(count() - 1); }
    // Destroys every record from the oldest to the newest; how many there were.
    int32_t deleteAll();
    // Removes the record at a valid idx and hands it over; nullptr for another idx.
    std::unique_ptr<CUndoData> popAt(int32_t idx);
    // The record at a valid idx; nullptr for another idx.
    CUndoData *getAt(int32_t idx) const;
    // src's capacity and bCanExtend, this list's records destroyed, then a copy of each of src's
    // records in order. False when memory runs out (the records copied so far stay).
    bool copy(const CUndoList &src);
    uint64_t getUsedMemSize() const;

    bool bCanExtend = false;

  private:
    std::deque<std::unique_ptr<CUndoData>> m_list;
    int32_t m_capacity = 4;
};
