// One undo record: what is needed to take back one editing operation of a document and, once taken
// back, to do it again. A record names the operation (cmdName), the kind of data it keeps
// (dataType), the area it covers, the layer it belongs to (by unique id), and the saved data:
// pixels, alpha bytes, a command to apply again, up to four values, or objects taken out of the
// document (layers, masks, lists of layers, layer and mask managers).
//
// Records of the image, alpha and cmd kinds are consumed by an undo or redo (the manager makes the
// record of the opposite direction and destroys the old one). Records of the value, complex and
// mask kinds are applied in place: the restore flips bNowRedo, exchanges values or objects with
// the document and the same record moves to the other list.
//
// Ownership. Pixels, byte blocks, texts and tables are owned by the record (plain members). The
// objects in dataObj, dataLayer2 and dataMasks are held by typed raw pointers whose ownership is
// one function of the command, bNowRedo and dataVal1 (undoOwnership): an object the document
// holds is only referred to, an object taken out of the document is owned. The destructor frees
// exactly what undoOwnership says, nothing else. The document in dataPaper is never owned.
//
// Value cells hold numbers only (indices, colours, halves and bytes packed as the operations pack
// them); unique ids are kept whole in dataIds wherever a half cell would cut them to 16 bits.
#pragma once

#include "core/base/geometry.h"
#include "core/tiles/block_layer_image.h"
#include "document/undo/undo_types.h"

#include <QString>

#include <array>
#include <cstdint>
#include <memory>
#include <variant>
#include <vector>

class CLayerData;
class CLayerMngr;
class CMaskData;
class CMaskMngr;
class TPaper;

// A list of layers kept by a record (entries may be empty).
using TUndoLayerList = std::vector<std::unique_ptr<CLayerData>>;

// The object slot of a record: nothing, or one typed pointer. It never owns by itself; the record
// decides by undoOwnership whether to free what it points at.
class CUndoObj
{
  public:
    using Value = std::variant<std::monostate, CLayerData *, TUndoLayerList *, CLayerMngr *,
                               CMaskData *, CMaskMngr *, TPaper *>;

    CUndoObj() = default;
    CUndoObj(std::nullptr_t) {}
    CUndoObj(CLayerData *p) { set(p); }
    CUndoObj(TUndoLayerList *p) { set(p); }
    CUndoObj(CLayerMngr *p) { set(p); }
    CUndoObj(CMaskData *p) { set(p); }
    CUndoObj(CMaskMngr *p) { set(p); }
    CUndoObj(TPaper *p) { set(p); }

    bool empty() const { return std::holds_alternative<std::monostate>(m_value); }
    // The pointer when the slot holds that type, else nullptr.
    CLayerData *layer() const { return get<CLayerData>(); }
    TUndoLayerList *layerList() const { return get<TUndoLayerList>(); }
    CLayerMngr *layerMngr() const { return get<CLayerMngr>(); }
    CMaskData *mask() const { return get<CMaskData>(); }
    CMaskMngr *maskMngr() const { return get<CMaskMngr>(); }
    TPaper *paper() const { return get<TPaper>(); }
    const Value &value() const { return m_value; }

    // Frees the object by its type (a document is never freed) and empties the slot.
    void destroy();
    // Empties the slot without freeing anything.
    void clear() { m_value = std::monostate{}; }

  private:
    // A null pointer leaves the slot empty.
    template <class T> void set(T *p)
    {
        if (p)
            m_value = p;
    }
    template <class T> T *get() const
    {
        T *const *p = std::get_if<T *>(&m_value);
        return p ? *p : nullptr;
    }

    Value m_value;
};

// What a record of a command owns in its present state.
struct SUndoOwnership
{
    bool obj = false;    // dataObj is freed
    bool layer2 = false; // dataLayer2 is freed
    bool masks = false;  // dataMasks is freed
    // The saved layer manager's layers from index 1 up are the document's: they leave the
    // manager, unfreed, before it is freed (merge all after an undo).
    bool detachShared = false;
};
SUndoOwnership undoOwnership(udCmdName cn, bool bNowRedo, int32_t dataVal1);

class CUndoData
{
  public:
    // An empty record of kind image and command udcnNothing for layer id.
    explicit CUndoData(int32_t id);
    // An image record of command cn for layer id: box is widened to whole 32-pixel blocks in
    // place (the caller's box too), pos and size take it, and image is a new empty layer image
    // of its size (check hasImage and its isEnable). Throws std::bad_alloc.
    CUndoData(int32_t id, sBox &box, udCmdName cn);
    // A copy of src for the copying of a layer's own history: enable, pos, size, layerID, kind,
    // command, byte block, texts, tables, ids and values; the images are copied anew; bNowRedo
    // False, layerIdx -1, no objects. Throws std::bad_alloc, also when an image cannot get the
    // memory of its copy.
    explicit CUndoData(const CUndoData &src);
    CUndoData &operator=(const CUndoData &) = delete;
    // Frees the images and what undoOwnership gives for the present state.
    ~CUndoData();

    // ---- filling (each setter naming a kind frees a previous image and sets enable)
    // Kind image; the record takes tc as its image.
    void setImage(int32_t idx, int32_t id, std::unique_ptr<CBlockVMTC> tc, const sBox &box,
                  udCmdName cn);
    void setCmd(int32_t id, const sBox &box, udCmdName cn);
    void setValue(int32_t id, udCmdName cn, int32_t val0, int32_t val1, int32_t val2, int32_t val3);
    // enable, layerID, kind, command and the four values; nothing else.
    void setAttr(bool enb, int32_t id, udDataType dt, udCmdName cn, int32_t val0, int32_t val1,
                 int32_t val2, int32_t val3);
    // The alpha bytes of box of tc (box clipped to the image in place) into the byte block;
    // kind alpha, pos the clipped origin, size the block's. False, the record unusable, when
    // they cannot be taken.
    bool setAlpha(int32_t id, const CBlockVMTC &tc, sBox &box, udCmdName cn);
    void setImage(std::unique_ptr<CBlockVMTC> tc) { image = std::move(tc); }
    void setIndex(int32_t idx) { layerIdx = idx; }
    void setSize(const sSize &sz) { size = sz; }
    void setPos(int32_t x, int32_t y) { pos = {x, y}; }
    void setPos(const sPos &p) { pos = p; }
    void setBox(const sBox &box);
    void setCmdName(udCmdName cn) { cmdName = cn; }
    // Sets layerID; answers the previous one.
    int32_t replaceLayerID(int32_t id);

    // ---- reading and applying
    // Origin pos; the image's size when there is one, else size.
    void getBox(sBox &box) const;
    sBox getBox() const;
    bool hasImage() const { return image != nullptr; }
    udUpdateType getUpdateType() const { return getUndoCmdUpdateType(cmdName); }
    // Counts against the undo limit: holds an image, or its command is marked heavy.
    bool isHeavy() const;
    void swapValue01();
    // Sets enable, widens box to blocks (in place) and copies that area of src into image at
    // (0, 0). False when there is no image or a block cannot get memory.
    bool copy(const CBlockVMTC &src, sBox &box);
    // The same into dataImage, enable untouched.
    bool copyOptImage(const CBlockVMTC &src, sBox &box);
    // The whole image into dst with its top-left corner at pos.
    bool copyTo(CBlockVMTC &dst) const;
    bool copyOptImageTo(CBlockVMTC &dst) const;
    // A new w x h image holding box of tc at (0, 0); enable on success. Out of memory writes
    // "CUndoData::makeImage: out of memory!" to the debug output and answers false.
    bool makeImage(int32_t w, int32_t h, const CBlockVMTC &tc, sBox box);
    bool makeOptImage(int32_t w, int32_t h, const CBlockVMTC &tc, sBox box);
    // An enabled alpha record with its block: the saved bytes become the alpha of tc over
    // (pos, size), colours kept. False otherwise.
    bool doAlpha(CBlockVMTC &tc) const;
    // A cmd record: applies the command to layer over the record's box. False for other kinds.
    bool doCmd(CLayerData &layer) const;
    // A cmd record: applies the command over the whole image of each layer of the manager that
    // it turned (those in dataIds; every layer when it keeps none), redrawing their previews.
    bool doCmd(CLayerMngr &mngr) const;
    // Bytes held by the record and the objects it keeps; 0 while not enabled.
    uint64_t getUsedMemSize() const;

    bool enable = false;
    bool bNowRedo = false;
    sPos pos;
    sSize size;
    int32_t layerIdx = -1;
    int32_t layerID = -1;
    std::unique_ptr<CBlockVMTC> image;
    udDataType dataType = udDataType::uddtImage;
    udCmdName cmdName = udCmdName::udcnNothing;
    std::unique_ptr<CBlockVMTC> dataImage;
    // Alpha bytes, visibility bytes and the like (row by row for alpha).
    std::vector<uint8_t> dataBytes;
    CUndoObj dataObj;
    int32_t dataVal0 = 0;
    int32_t dataVal1 = 0;
    int32_t dataVal2 = 0;
    int32_t dataVal3 = 0;
    // Blocks kept beside the cells: the names of a layer or mask rename, the group-level tables,
    // whole unique ids, the upper layer of a merge down, the mask manager of a resolution change
    // and the document of whole-canvas records.
    std::array<QString, 2> dataText;
    std::array<std::vector<uint8_t>, 2> dataTables;
    std::vector<int32_t> dataIds;
    CLayerData *dataLayer2 = nullptr;
    CMaskMngr *dataMasks = nullptr;
    TPaper *dataPaper = nullptr;
    // The selection on the other side of a mask record: as it was before the operation while
    // the record waits to be undone, as it was after it once undone. The operations change the
    // current mask, the two selection flags and the running number of default mask titles
    // beside what their record restores; a restore puts these back whole.
    struct SSelectionSide
    {
        bool kept = false;
        int32_t current = -1;
        bool visible = false;
        bool enabled = false;
        int32_t titleNum = 0;
    };
    SSelectionSide selectionSide;

  private:
    // Frees a previous image and sets enable, kind and command.
    void beginKind(udDataType dt, udCmdName cn);
    bool copyInto(std::unique_ptr<CBlockVMTC> &dst, const CBlockVMTC &src, sBox &box);
    bool makeInto(std::unique_ptr<CBlockVMTC> &dst, int32_t w, int32_t h, const CBlockVMTC &tc,
                  sBox box);
};

// Applies a pixel command to one layer over box of image (the document also performs these
// commands with it): the whole-image forms 12-15 act as 7-10. FlipLR: viewPos.x := image width -
// viewPos.x - viewSize.x, the box mirrored left-right; FlipTB likewise in y; Rot180 both position
// updates and a half turn; Not XORs the colours with 0x00FFFFFF; NotAlpha XORs the alpha. Each is
// its own inverse. False, nothing changed, for another command.
bool applyLayerCmd(CLayerData &layer, udCmdName cn, CBlockVMTC &image, sBox box);
