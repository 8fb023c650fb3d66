// The screentone and pattern presets of the tool window ("トーン集"): an owning list of pattern
// tiles, the current one, and a working copy of it at the pattern's zoom that the document's stroke
// procedures read through effectScreenTone. CPatMngrBase holds what does not depend on the kind
// of pattern; CToneMngr adds the tone maker that all screentones of the list share and the tone
// set file (.qts, paint/tone/tone_set_file.h), "default.qts" in the preset folder.
#pragma once

#include "paint/tone/pattern_tiles.h"

#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

struct SToneSetItems;

class CPatMngrBase
{
  public:
    // An empty list, no current pattern, no working copy, offset 0, not modified, no last path.
    CPatMngrBase();
    virtual ~CPatMngrBase();
    CPatMngrBase(const CPatMngrBase &) = delete;
    CPatMngrBase &operator=(const CPatMngrBase &) = delete;

    int32_t count() const { return int32_t(m_items.size()); }
    bool isValidIndex(int32_t idx) const { return idx >= 0 && idx < count(); }
    // The list is not empty and the current index is valid.
    virtual bool hasCurPat() const;
    CPatObj *getPattern(int32_t idx) const;
    int32_t getPatIdx() const { return patIdx; }
    CPatObj *getCurPat() const { return curPat; }
    // The working copy, or nullptr.
    CPatObj *getModPat() const { return modPat.get(); }

    // Empties the list: no current pattern, OnChange. The former count.
    virtual int32_t reset();
    // Renames the pattern at idx (and the working copy when idx is current); Modified. False for
    // an invalid idx.
    bool changeName(int32_t idx, const QString &str);
    // An empty list: no current pattern, no working copy, -1. Else n clamped into the list becomes
    // current and the working copy is remade; the index.
    int32_t setCurPat(int32_t n);
    // Adds the pattern; Modified. Its index, -1 for null.
    int32_t appendPattern(std::unique_ptr<CPatObj> pat);
    // Puts the pattern into the list before idx (count appends); Modified. The current pattern
    // stays current. Its index, -1 (the pattern freed) for null or a position outside the list.
    int32_t insertPattern(int32_t idx, std::unique_ptr<CPatObj> pat);
    // Removes and frees a valid idx; Modified. The current pattern stays current when it stays; a
    // removed current one hands over to the pattern that takes its place (the one before it at
    // the end of the list), whose working copy is made. False for an invalid idx.
    bool deletePattern(int32_t idx);
    // Frees the working copy, then OnChange.
    virtual void freeModifiedPattern();
    // Remakes the working copy from the current pattern.
    virtual CPatObj *makeModifiedPattern() = 0;
    // The working copy takes the current pattern's name and offset, and zoom 100 (it is already
    // zoomed); OnChange. The copy, or nullptr.
    virtual CPatObj *updateModifiedPatParam();

    bool Modified() const { return FModified; }
    // Stores the flag and always notifies.
    void setModified(bool v);
    const QString &LastPath() const { return FLastPath; }
    // Stores and notifies only when the path differs.
    void setLastPath(const QString &path);

    // Offset added to positions in effectScreenTone.
    sPos ofsPos;
    // Called after changes of the current pattern, the working copy, Modified or LastPath.
    std::function<void(CPatMngrBase &)> OnChange;

  protected:
    void notify();

    std::vector<std::unique_ptr<CPatObj>> m_items;
    int32_t patIdx = -1;
    CPatObj *curPat = nullptr; // an item of the list
    std::unique_ptr<CPatObj> modPat;
    bool FModified = false;
    QString FLastPath;
};

class CToneMngr : public CPatMngrBase
{
  public:
    // The base, a new shared tone maker and a 256 x 256 work channel.
    CToneMngr();
    ~CToneMngr() override;

    // The current pattern, nullptr when none.
    CPat8 *getActiveTone() const;
    // The pattern at idx when it is a screentone, else nullptr.
    CPat8Tone *getToneObj(int32_t idx) const;
    const std::shared_ptr<CToneMaker> &getToneMaker() const { return toneMaker; }

    // A trunc(w) x trunc(h) pattern (flags 2, enabled) of anti-aliased discs of radius r and value
    // 255 on a square grid of pitch pit starting at trunc(pit * sqrt 2 / 2) on both axes, drawn in
    // the work channel; nullptr when it cannot be made.
    std::unique_ptr<CPat8> createPattern(float w, float h, int32_t pit, float r);
    // An enabled pattern (flags 2) of ch's size holding a copy of ch, with the zoom and, when ofs
    // is given, the offset; nullptr for an empty channel.
    std::unique_ptr<CPat8> createPattern(const TChannel &ch, int32_t zoom, const sPos *ofs) const;
    using CPatMngrBase::appendPattern;
    // createPattern, then appendPattern; -1 when creation fails.
    int32_t appendPattern(float w, float h, int32_t pit, float r);
    int32_t appendPattern(const TChannel &ch, int32_t zoom, const sPos *ofs);
    // A screentone built by CPat8Tone::build(attr, the shared maker, mk, ch) and named
    // attr.name; nullptr when building fails or throws.
    std::unique_ptr<CPat8Tone> createTone(const SToneAttr &attr, bool mk, const TChannel *ch) const;
    // createTone then append; -1 on failure.
    int32_t appendTone(const SToneAttr &attr, bool mk, const TChannel *ch);
    // Appends a copy of the pattern at idx; its index, -1 for an invalid idx or a failure.
    int32_t duplicateTone(int32_t idx);
    // Rebuilds the screentone at idx from attr with the shared maker, renames it to attr.name, a
    // new identity when newid; Modified. False when idx is not a screentone or building fails.
    bool changeToneAttr(int32_t idx, const SToneAttr &attr, bool newid);
    // a multiplied (as a / 255 products) by the working copy's value at (x, y) + ofsPos; a
    // unchanged without a working copy.
    uint8_t effectScreenTone(int32_t x, int32_t y, uint8_t a) const;

    // No current pattern: the working copy is freed. A plain pattern of size w x h at zoom z: a
    // (z * w div 100) x (z * h div 100) copy resampled by area averaging (plain copy at 100). A
    // screentone: a tone built with the shared maker from the current one's attribute with its
    // dpi scaled by z / 100 (a tone that cannot be built leaves no working copy). Then
    // updateModifiedPatParam.
    CPatObj *makeModifiedPattern() override;
    CPat8 *makeModifiedTone();
    // Also copies Fnega.
    CPatObj *updateModifiedPatParam() override;
    // Appends discs of radius 2 at pitch 8 and of radius 3 at pitch 16 (64 x 64 each); makes
    // index 0 current when no valid one is.
    void makeDefault();

    // Reads a tone set file, replacing the list or appending to it; on an error code warns
    // "トーン集の読み込みに失敗しました! (err=%d)". True when it loaded.
    bool load(const QString &path, bool append);
    // The profile's tone file, else "default.qts" in the tone folder, the preset folder's "preset"
    // and the application folder's "preset" (the profile follows the search). When none loads,
    // the built-in set with make, and the profile's file and LastPath are cleared. Whether a set
    // is in place.
    bool loadDefault(bool make);
    // Writes the tone set file; on an error code warns "トーン集の保存に失敗しました! (err=%d)".
    // True on success.
    bool save(const QString &path);

    // The set's name in messages.
    static QString setName();

  private:
    CPatObj *makeModifiedPlain(const CPat8 &cur);
    CPatObj *makeModifiedScreenTone(const CPat8Tone &cur);

    std::shared_ptr<CToneMaker> toneMaker; // shared by the list's screentones
    std::unique_ptr<TChannel> patWork;     // 256 x 256, for drawing dot patterns
};

// What a set file stores of the manager's list: every pattern in order and the current index.
SToneSetItems toneSetItems(const CPatMngrBase &mngr);

// Reads a set file into the manager, replacing its list or appending to it; the screentones read
// share the manager's maker. A file that cannot be read (4 missing, 6 cannot open, 3 an exception,
// and readToneSet's codes) leaves the manager exactly as it was. Replacing makes the stored current
// index (clamped) current and sets LastPath; Modified becomes append. When fewer patterns load than
// the head announced, the warning "%d個の%sが読み込めませんでした！" tells how many were lost.
[[nodiscard]] uint8_t readToneSetFile(const QString &path, CToneMngr &mngr, bool append);

// Writes the manager's set file (writeToneSetFile of toneSetItems). On success the manager's
// LastPath becomes path and Modified false; on failure both stay.
[[nodiscard]] uint8_t writeToneSetFile(const QString &path, CToneMngr &mngr);
