// The undo side of a document: two stacks of records, the undo list (newest first) and the redo
// list of operations that were taken back. CUndoMngr is the pair of stacks with image undo (each
// layer of a level-1 document keeps one, limits 8 and 8); CUndoMngrEx is the document-wide manager
// that every editing operation pushes into (limits undoMax, extension 32).
//
// In CUndoMngrEx the limits count heavy records only (records holding an image or marked
// udutHeavy); light records ride along until the undo list passes the limit plus autoExtCnt.
// Every push that stores a record ends with: add to undo, cleanUndoLimit, cleanRedoAll; records
// that undo and redo move between the lists are trimmed the same way, so neither list ever holds
// more than its limit + autoExtCnt records (the event ring of the document has undoMax + 34
// places).
//
// Pushes hand objects over through the record's typed slot (CUndoObj) and an extras record: on
// true the manager's record holds them by the ownership rule of its command (undo_data.h); on
// false nothing was stored and the caller keeps everything it passed.
//
// Running out of memory while a record is made or filled shows the warning
// "メモリ不足によりアンドゥ情報の保存に失敗しました！"; the half-made record is destroyed and the
// result is false. A pop whose inverse record cannot be made still writes the saved pixels back,
// empties the other list, shows the same warning and reports it through otherListLost(), so that
// the document can drop its event redo (or undo) too.
//
// Records of the complex and mask kinds (layer structure and selection masks) are made and applied
// as undo_structure.h says; the mask pushes are trimmed like every push. The few whose restore
// needs an operation not built yet are refused (a push stores nothing and answers false, a pop
// drops the record and answers false).
#pragma once

#include "core/base/geometry.h"
#include "document/undo/undo_list.h"

#include <QString>

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

class CBlockVMTC;
class CLayerData;
class CLayerMngr;
class CMaskMngr;
class TPaper;

// The warning shown when an undo record cannot be kept.
extern const char16_t *const kUndoMemoryMessage;

// Whatever a push hands over besides its object slot and four values. Taken only when the push
// answers true.
struct SUndoExtras
{
    std::array<QString, 2> text;                // names of a layer or mask rename (old, new)
    std::array<std::vector<uint8_t>, 2> tables; // group-level tables (undo, redo)
    std::vector<uint8_t> bytes;                 // alpha or visibility bytes
    std::vector<int32_t> ids;          // whole unique ids (e.g. the layers a command turned)
    sPos offset;                       // a move of layers by (x, y) (group and linked moves)
    std::unique_ptr<CBlockVMTC> image; // the saved pixels of the image form
    CLayerData *layer2 = nullptr;      // a second layer (merge down)
    CMaskMngr *masks = nullptr;        // a mask manager (resolution change)
    TPaper *paper = nullptr;           // the document of whole-canvas records
    // The running number of default mask titles before a mask operation that took one (-1:
    // the operation took none, the number as it is now is kept).
    int32_t maskTitleNum = -1;
};

class CUndoMngr
{
  public:
    // The two limits; two lists of those limits that cannot extend.
    CUndoMngr(int32_t undo, int32_t redo);
    virtual ~CUndoMngr();
    CUndoMngr(const CUndoMngr &) = delete;
    CUndoMngr &operator=(const CUndoMngr &) = delete;

    bool isUndoEnable() const { return undoMaxCnt > 0; }
    bool isRedoEnable() const { return redoMaxCnt > 0; }
    bool canUndo() const { return !undoList.empty(); }
    bool canRedo() const { return !redoList.empty(); }
    int32_t getUndoCnt() const { return undoList.count(); }
    int32_t getRedoCnt() const { return redoList.count(); }
    int32_t getUndoMaxCnt() const { return undoMaxCnt; }
    int32_t getRedoMaxCnt() const { return redoMaxCnt; }
    const CUndoList &getUndoList() const { return undoList; }
    const CUndoList &getRedoList() const { return redoList; }

    // Destroy every record of one list; how many went.
    int32_t cleanUndoAll() { return undoList.deleteAll(); }
    int32_t cleanRedoAll() { return redoList.deleteAll(); }
    void cleanAll();
    // Destroys the oldest undo records while the count exceeds the undo limit; how many went.
    virtual int32_t cleanUndoLimit();
    // src's limits and a copy of both its lists; true when both copies succeed.
    virtual bool copy(const CUndoMngr &src);

    // An image record of box of tc for layer (idx, id) with command cn: box is widened to whole
    // 32-pixel blocks, also in the caller's box. Then add to undo, cleanUndoLimit, cleanRedoAll.
    // True when a record was stored.
    bool pushUndo(int32_t idx, int32_t id, const CBlockVMTC &tc, sBox &box);
    bool pushUndo(int32_t idx, int32_t id, const CBlockVMTC &tc, sBox &box, udCmdName cn);
    // Takes the newest undo record out (box := its box), writes its pixels back into tc and
    // moves a record of the present pixels of that box to the redo list. True when there was a
    // record.
    bool popUndo(CBlockVMTC &tc, sBox &box);
    // The mirror image: from the redo list into the undo list.
    bool popRedo(CBlockVMTC &tc, sBox &box);
    // The last pop could not keep its inverse record and emptied the other list.
    bool otherListLost() const { return m_otherListLost; }

    uint64_t getUsedMemSize() const;

  protected:
    // Insert rec as the newest record of a list by the list's rules; rec is taken only on
    // success (false when memory runs out).
    virtual bool addUndo(std::unique_ptr<CUndoData> &rec);
    virtual bool addRedo(std::unique_ptr<CUndoData> &rec);
    bool addTo(bool redo, std::unique_ptr<CUndoData> &rec)
    {
        return redo ? addRedo(rec) : addUndo(rec);
    }
    // The end of every push: add to undo, cleanUndoLimit, cleanRedoAll. False (rec kept) when it
    // could not be added.
    bool storeRecord(std::unique_ptr<CUndoData> &rec);
    // A pop of an image record from the undo (redo false) or redo list.
    bool popImage(bool redo, CBlockVMTC &tc, sBox &box);
    // A pop could not keep the inverse of its record: the list it would have gone to is emptied
    // and the user warned.
    void loseOtherList(bool redo);
    CUndoList &listOf(bool redo) { return redo ? redoList : undoList; }

    int32_t undoMaxCnt;
    int32_t redoMaxCnt;
    CUndoList undoList;
    CUndoList redoList;
    bool m_otherListLost = false;
};

class CUndoMngrEx : public CUndoMngr
{
  public:
    using CUndoMngr::popRedo;
    using CUndoMngr::popUndo;
    using CUndoMngr::pushUndo;

    // The base with the two limits, serving document pp whose layer manager is obj (neither
    // owned), with ext records of extension; both lists can extend.
    CUndoMngrEx(TPaper *pp, CLayerMngr *obj, int32_t undo, int32_t redo, int32_t ext);

    TPaper *getOwnerPaper() const { return ownerPaper; }
    CLayerMngr *getOwnerObj() const { return ownerObj; }
    int32_t getAutoExtCnt() const { return autoExtCnt; }
    // Sets the layer manager (after the document swapped its own); answers the previous one.
    CLayerMngr *replaceOwner(CLayerMngr *obj);
    // The base copy, then src's layer manager when src is a document-wide manager too.
    bool copy(const CUndoMngr &src) override;
    // Destroys the oldest undo records while the count exceeds the limit plus the extension.
    int32_t cleanUndoLimit() override;
    // An undo limit of 0 or less sets both limits to 0; a redo limit above the undo limit is
    // lowered to it. A changed limit is stored and the oldest records of its list go while it
    // holds more heavy records than the limit; then each list is trimmed to its limit plus the
    // extension. True when either limit changed.
    bool changeLimit(int32_t undo, int32_t redo);

    // The newest record of a list (nullptr when empty); whether there is one.
    bool getTopUndo(CUndoData *&undo) const;
    bool getTopRedo(CUndoData *&redo) const;
    // That record's layerID; -1 for an empty list.
    int32_t getTopUndoLayerID() const;
    int32_t getTopRedoLayerID() const;
    // Destroy the newest record of a list (a record the document cannot apply); whether there
    // was one.
    bool popUndo() { return undoList.deleteAt(0); }
    bool popRedo() { return redoList.deleteAt(0); }

    // obj is the layer; by the command's data kind: image (box widened to blocks), alpha (the
    // alpha bytes of the clipped box), cmd (the box kept, the layers turned by 12-15 in
    // extras.ids). False for other kinds.
    bool pushUndo(const CUndoObj &obj, sBox &box, udCmdName cn, SUndoExtras &&extras = {});
    // A value record (commands 17-27) of obj: the layer, the document for 17. The names of a
    // rename (25) come in extras.text (old, new).
    bool pushUndo(const CUndoObj &obj, int32_t val1, int32_t val2, udCmdName cn,
                  SUndoExtras &&extras = {});
    // By the command's data kind: image (extras.image taken over whole at (0, 0) as the saved
    // pixels of layer index n0, id n1), value (val1 n0, val2 n1), complex and mask (the records
    // of undo_structure.h: obj and n0..n3 as the operation passes them, the offset, byte blocks,
    // tables and names in extras).
    bool pushUndo(const CUndoObj &obj, udCmdName cn, int32_t n0, int32_t n1, int32_t n2, int32_t n3,
                  SUndoExtras &&extras = {});

    // Applies the newest undo record by its kind and moves its inverse (or itself) to the redo
    // list. obj is the layer the record belongs to (found by getTopUndoLayerID); idx comes in as
    // the active layer index and goes out as the layer to make active; box goes out as the area
    // that changed. False when there is nothing to apply or the restore failed (the record is then
    // dropped); without obj nothing happens.
    bool popUndo(int32_t &idx, CLayerData *obj, sBox &box);
    bool popRedo(int32_t &idx, CLayerData *obj, sBox &box);

  protected:
    // Extendable lists: while the list holds limit or more heavy records its oldest record goes,
    // heavy or not; then rec is inserted as the newest, and the list is trimmed to its limit plus
    // the extension.
    bool addUndo(std::unique_ptr<CUndoData> &rec) override;
    bool addRedo(std::unique_ptr<CUndoData> &rec) override;

  private:
    bool addLimited(CUndoList &list, int32_t limit, std::unique_ptr<CUndoData> &rec);
    // Destroys the oldest redo records while the count exceeds the redo limit plus the extension.
    void trimRedo();
    // Stores a record that holds handed-over objects; when it cannot be stored the objects go
    // back to the caller, the record is destroyed, the user warned.
    bool finishPush(std::unique_ptr<CUndoData> &rec);
    bool pushValue(const CUndoObj &obj, int32_t val1, int32_t val2, udCmdName cn,
                   SUndoExtras &extras);
    bool pushAlpha(CLayerData &ld, sBox &box, udCmdName cn);
    bool pushCmd(CLayerData &ld, const sBox &box, udCmdName cn, SUndoExtras &extras);
    bool pushImage(udCmdName cn, int32_t idx, int32_t id, SUndoExtras &extras);
    bool pushStructure(const CUndoObj &obj, udCmdName cn, int32_t n0, int32_t n1, int32_t n2,
                       int32_t n3, SUndoExtras &extras);
    // Applies the newest complex or mask record of a list in place; a record that cannot be
    // applied changes nothing and is dropped.
    bool restoreStructure(bool redo, int32_t &idx, sBox &box);
    bool popTop(bool redo, int32_t &idx, CLayerData *obj, sBox &box);
    bool popAlpha(bool redo, CLayerData &ld, sBox &box);
    bool popCmd(bool redo, CLayerData &ld, sBox &box);
    bool restoreValue(bool redo, CLayerData &ld, sBox &box);
    bool applyValue(CUndoData &rec, CLayerData &ld);
    // Moves the newest record of one list to the other (a record applied in place).
    void passOn(bool redo);

    TPaper *ownerPaper;
    CLayerMngr *ownerObj;
    int32_t autoExtCnt;
};
