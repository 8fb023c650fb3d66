// The gradient presets of the tool window ("グラデーション集"): an owning list of gradients, the
// current one, a working copy of it that the document paints with and the editors change, an
// optional fixed two-colour gradient at index 0, and the common attribute that every gradient
// without an attribute of its own follows. The list is kept in a gradient set file (.qgs,
// paint/gradient/gradient_set_file.h), "default.qgs" in the preset folder.
#pragma once

#include "paint/gradient/gradient_stops.h"

#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

struct SGradSetItems;

class CGradMngr
{
  public:
    // An empty list; with sp the fixed gradient at index 0. The common attribute comes from the
    // profile's gradient fields (when there is a profile).
    explicit CGradMngr(bool sp = false);
    ~CGradMngr();
    CGradMngr(const CGradMngr &) = delete;
    CGradMngr &operator=(const CGradMngr &) = delete;

    int32_t count() const { return int32_t(m_items.size()); }

    // sw false removes the fixed gradient; sw true adds it at index 0 when missing: black of
    // kind 0 (following the foreground colour) to a fixed white, named "** 2色固定 **", with the
    // profile's gradient attribute and enbAttr false. True.
    bool useSpecialIndex(bool sw);
    bool isSpecialIdx(int32_t idx) const { return specialIdx >= 0 && idx == specialIdx; }
    bool hasSpecialGrad() const { return specialIdx >= 0; }
    CGradObj *getSpecialGrad() const { return hasSpecialGrad() ? getGrad(specialIdx) : nullptr; }
    bool isUsingSpecialGrad() const { return hasSpecialGrad() && gradIdx == specialIdx; }

    bool isValidIndex(int32_t idx) const { return idx >= 0 && idx < count(); }
    bool hasCurGrad() const { return count() > 0 && isValidIndex(gradIdx); }
    CGradObj *getGrad(int32_t idx) const
    {
        return isValidIndex(idx) ? m_items[size_t(idx)].get() : nullptr;
    }
    // The current gradient, or nullptr.
    CGradObj *getActiveGrad() const { return getGrad(gradIdx); }
    // The working copy, or nullptr before makeModifiedGrad.
    CGradObj *getModGrad() const { return modGrad.get(); }
    int32_t getGradIdx() const { return gradIdx; }

    // The fixed gradient's attribute when present, else the common one.
    SGradAttr CommonAttr() const;
    // Stores a (unless a fixed gradient is present), copies it with enbAttr false into every
    // gradient whose enbAttr is false (the fixed one included), then saveProfile.
    void setCommonAttr(const SGradAttr &a);
    // Writes the common attribute's type, map, repeat mode and count into the profile's fields.
    void saveProfile() const;

    // Every gradient's stops of kind 0 and 1 take fore and back; then the working copy is
    // remade. False when the list is empty.
    bool setColors(sRGBA fore, sRGBA back);
    // Empties the list (the fixed gradient too), no current gradient, no working copy; returns
    // the former count.
    int32_t reset();
    // n clamped into the list becomes current, the working copy is remade, OnChange; returns the
    // index. An empty list: -1, no current gradient, no working copy, no notification.
    int32_t setCurGrad(int32_t n);
    // Appends a two-stop gradient without a name.
    int32_t appendGrad(sRGBA c0, sRGBA c1);
    // Appends and sets Modified; the index, or -1 (the gradient freed) when it cannot be added.
    int32_t appendGrad(std::unique_ptr<CGradObj> grad);
    // Puts grad into the list before idx (count appends) and sets Modified; the current gradient
    // stays current. The fixed gradient keeps index 0: nothing goes before it. The index, or -1
    // (the gradient freed) for a position outside the list or a null gradient.
    int32_t insertGrad(int32_t idx, std::unique_ptr<CGradObj> grad);
    // Removes a valid index; the current index follows (the gradient now at idx when the
    // current one was removed, the one before it when it was the last). Modified. False for an
    // invalid index.
    bool deleteGrad(int32_t idx);
    // Appends a copy of the gradient at idx; its index, or -1.
    int32_t duplicateGrad(int32_t idx);
    // Creates the working copy on first use and copies the current gradient into it.
    CGradObj *makeModifiedGrad();
    // The attribute into the gradient at idx (a new identity with newid); Modified only when
    // attr.enbAttr. False for an invalid index.
    bool changeGradAttr(int32_t idx, const SGradAttr &attr, bool newid);
    // The same on the working copy, without Modified; false without one.
    bool changeModGradAttr(const SGradAttr &attr, bool newid);
    // crsg's stops into the gradient at idx (a new identity with newid), Modified; the copy's
    // result, false for an invalid index.
    bool changeGradCrsg(int32_t idx, const CColorSlotGroup &crsg, bool newid);
    // Appends the four built-in gradients; makes index 0 current when no valid one is.
    void makeDefault();

    // Reads a set file (replacing or appending); on an error code warns
    // "グラデーション集の読み込みに失敗しました! (err=%d)". True when it loaded.
    bool load(const QString &path, bool append);
    // The profile's gradient file, else "default.qgs" in the gradient folder, the preset folder's
    // "preset" and the application folder's "preset" (the profile follows the search). When none
    // loads, the built-in set with make, and the profile's file and LastPath are cleared.
    // Whether a set is in place.
    bool loadDefault(bool make);
    // Writes the set file; on an error code warns "グラデーション集の保存に失敗しました! (err=%d)".
    // True on success.
    bool save(const QString &path);

    bool Modified() const { return FModified; }
    // Stores the flag and always notifies.
    void setModified(bool v);
    const QString &LastPath() const { return FLastPath; }
    // Stores and notifies only when the path differs.
    void setLastPath(const QString &path);

    // Called after changes of the current gradient, Modified or LastPath.
    std::function<void(CGradMngr &)> OnChange;

    // The set's name in messages.
    static QString setName();
    // The name of the fixed gradient.
    static QString specialName();

  private:
    void notify();

    std::vector<std::unique_ptr<CGradObj>> m_items;
    int32_t specialIdx = -1;
    int32_t gradIdx = -1;
    std::unique_ptr<CGradObj> modGrad;
    SGradAttr comAttr;
    bool FModified = false;
    QString FLastPath;
};

// The foreground and background colours of the profile as gradient stop colours: R, G, B with the
// kind byte 0 (foreground) or 1 (background). Black and white without a profile.
sRGBA profileForeStopColor();
sRGBA profileBackStopColor();
// The profile's gradient fields as an attribute (enbAttr false), clamped into the enumerations;
// initGradAttr's values without a profile.
SGradAttr profileGradAttr();

// What a set file stores of the manager's list: every gradient but the fixed one, in order, and
// the current index among them (the fixed gradient is never stored, so the others count one lower
// when it is present; 0 when it is current).
SGradSetItems gradSetItems(const CGradMngr &mngr);

// Reads a set file into the manager, replacing its list or appending to it. A file that cannot
// be read (codes 4 missing, 6 cannot open, and readGradSet's) leaves the manager exactly as it
// was; 48 when not one gradient read could be added to the list.
// When fewer gradients load than the header announced, a warning tells how many were lost.
[[nodiscard]] uint8_t readGradSetFile(const QString &path, CGradMngr &mngr, bool append);

// Writes the manager's set file (writeGradSetFile of gradSetItems). On success the manager's
// LastPath becomes path and Modified false; on failure both stay.
[[nodiscard]] uint8_t writeGradSetFile(const QString &path, CGradMngr &mngr);
