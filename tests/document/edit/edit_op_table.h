// Every recording edit operation of the layer list, the layer attributes and the canvas colour,
// as one table of random calls: operands drawn by the caller's generator, bad ones included, so
// that a sequence of them mixes changes with refused calls.
#pragma once

#include "document/edit/layer_attr.h"
#include "document/edit/layer_list_ops.h"
#include "document/files/new_document.h"
#include "document/paper/paper.h"

#include <functional>
#include <random>
#include <vector>

// The family of an operation: the layer list, the layer attributes, the document.
enum class EditFamily
{
    list,
    attr,
    document,
};

struct EditOpCase
{
    EditFamily family;
    const char *name;
    std::function<bool(TPaper &paper, std::mt19937 &rng)> run;
};

namespace edit_ops_table {

// An index of the list, one past either end now and then.
inline int32_t anyIndex(const TPaper &paper, std::mt19937 &rng)
{
    return int32_t(rng() % uint32_t(paper.getLayerCount() + 2)) - 1;
}

inline TLayerMode anyMode(std::mt19937 &rng)
{
    return TLayerMode(rng() % 24); // 22 and 23 are no modes
}

} // namespace edit_ops_table

inline const std::vector<EditOpCase> &editOpCases()
{
    using namespace edit_ops_table;
    static const std::vector<EditOpCase> cases = {
        {EditFamily::list, "add",
         [](TPaper &p, std::mt19937 &r) {
             return eventLayerAdd(p, nullptr, anyIndex(p, r), p.m_paperSize.x, p.m_paperSize.y,
                                  anyMode(r), int32_t(r() % 256), r() % 4 != 0, true);
         }},
        {EditFamily::list, "add filled",
         [](TPaper &p, std::mt19937 &r) {
             const QString name = r() % 2 ? QStringLiteral("塗り%1").arg(r() % 100) : QString();
             return eventLayerAddEx(p, nullptr, anyIndex(p, r), p.m_paperSize.x + int32_t(r() % 9),
                                    p.m_paperSize.y, anyMode(r), int32_t(r() % 256), uint32_t(r()),
                                    name, r() % 4 != 0, true);
         }},
        {EditFamily::list, "delete",
         [](TPaper &p, std::mt19937 &r) { return EventLayerDelete(p, nullptr, anyIndex(p, r), true); }},
        {EditFamily::list, "duplicate",
         [](TPaper &p, std::mt19937 &r) { return eventLayerCopy(p, nullptr, anyIndex(p, r), true); }},
        {EditFamily::list, "move in the stack",
         [](TPaper &p, std::mt19937 &r) {
             return EventLayerInsert(p, nullptr, anyIndex(p, r), anyIndex(p, r), true);
         }},
        {EditFamily::list, "rename",
         [](TPaper &p, std::mt19937 &r) {
             return eventLayerName(p, nullptr, anyIndex(p, r), QStringLiteral("名前%1").arg(r() % 50),
                                   true);
         }},
        {EditFamily::list, "clear",
         [](TPaper &p, std::mt19937 &r) { return EventLayerClear(p, nullptr, anyIndex(p, r), true); }},
        {EditFamily::list, "alpha fill",
         [](TPaper &p, std::mt19937 &r) {
             return eventLayerMaskFill(p, nullptr, anyIndex(p, r), r() % 256, true);
         }},
        {EditFamily::list, "alpha invert",
         [](TPaper &p, std::mt19937 &r) { return eventLayerMaskNega(p, nullptr, anyIndex(p, r), true); }},
        {EditFamily::list, "protection",
         [](TPaper &p, std::mt19937 &r) {
             return eventLayerMaskProtected(p, anyIndex(p, r), int32_t(r() % 3) - 1, true);
         }},
        {EditFamily::attr, "visibility",
         [](TPaper &p, std::mt19937 &r) {
             return EventLayerVisible(p, anyIndex(p, r), r() % 2 != 0, true);
         }},
        {EditFamily::attr, "group visibility",
         [](TPaper &p, std::mt19937 &r) {
             return doLayerVisible(p, anyIndex(p, r), r() % 2 != 0, true);
         }},
        {EditFamily::attr, "opacity",
         [](TPaper &p, std::mt19937 &r) {
             return EventLayerTrans(p, anyIndex(p, r), uint8_t(r()), true);
         }},
        {EditFamily::attr, "dither",
         [](TPaper &p, std::mt19937 &r) {
             return eventLayerDither(p, anyIndex(p, r), r() % 2 != 0, uint8_t(r()), true);
         }},
        {EditFamily::attr, "blend mode",
         [](TPaper &p, std::mt19937 &r) { return EventLayerMode(p, anyIndex(p, r), anyMode(r), true); }},
        {EditFamily::attr, "show only",
         [](TPaper &p, std::mt19937 &r) { return eventLayerVisOnly(p, anyIndex(p, r), true); }},
        {EditFamily::attr, "show or hide all",
         [](TPaper &p, std::mt19937 &r) {
             return eventLayerVisAll(p, std::max(p.ActiveLayer(), 0), r() % 2 != 0, true);
         }},
        {EditFamily::attr, "invert visibility",
         [](TPaper &p, std::mt19937 &) {
             eventLayerVisFlip(p, p.ActiveLayer(), true);
             return true;
         }},
        {EditFamily::document, "canvas colour",
         [](TPaper &p, std::mt19937 &r) { return EventEditPC(p, r() & 0xFFFFFF, true); }},
    };
    return cases;
}
