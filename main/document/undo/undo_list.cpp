#include "document/undo/undo_list.h"

#include <algorithm>
#include <new>

void CUndoList::changeLimit(int32_t lmt, bool ext)
{
    bCanExtend = ext;
    m_capacity = std::max(lmt, 4);
}

int32_t CUndoList::countHeavy() const
{
    return int32_t(
        std::count_if(m_list.begin(), m_list.end(), [](const auto &u) { return u->isHeavy(); }));
}

bool CUndoList::addTop(std::unique_ptr<CUndoData> &undo)
{
    if (!undo)
        return false;
    if (count() >= m_capacity && !bCanExtend)
        deleteBottom();
    try {
        // The slot is made first, so a failure leaves undo with the caller.
        m_list.emplace_front();
    } catch (const std::bad_alloc &) {
        return false;
    }
    m_list.front() = std::move(undo);
    return true;
}

bool CUndoList::deleteAt(int32_t idx)
{
    if (idx < 0 || idx >= count())
        return false;
    // The record leaves the list before it is destroyed: its destructor may free objects.
    std::unique_ptr<CUndoData> u = std::move(m_list[size_t(idx)]);
    m_list.erase(m_list.begin() + idx);
    return true;
}

int32_t CUndoList::deleteAll()
{
    const int32_t n = count();
    while (!m_list.empty())
        deleteBottom();
    return n;
}

std::unique_ptr<CUndoData> CUndoList::popAt(int32_t idx)
{
    if (idx < 0 || idx >= count())
        return nullptr;
    std::unique_ptr<CUndoData> u = std::move(m_list[size_t(idx)]);
    m_list.erase(m_list.begin() + idx);
    return u;
}

CUndoData *CUndoList::getAt(int32_t idx) const
{
    if (idx < 0 || idx >= count())
        return nullptr;
    return m_list[size_t(idx)].get();
}

bool CUndoList::copy(const CUndoList &src)
{
    if (&src == this)
        return true;
    m_capacity = src.m_capacity;
    bCanExtend = src.bCanExtend;
    deleteAll();
    try {
        for (const auto &u : src.m_list)
            m_list.push_back(std::make_unique<CUndoData>(*u));
    } catch (const std::bad_alloc &) {
        return false;
    }
    return true;
}

uint64_t CUndoList::getUsedMemSize() const
{
    uint64_t n = 0;
    for (const auto &u : m_list)
        n += u->getUsedMemSize();
    return n;
}
