// The user's collections of nib presets (CPenShapeMngr) and method presets (CPenMethodMngr): an
// owning list with a current item, a modified flag, the last file path and a change notification,
// stored as set files in the preset folder and rebuilt from built-in defaults when no valid file
// is found. Neither keeps a working copy: the editors work on a TPaintParam and write it back.
#pragma once

#include "paint/presets/pen_presets.h"

#include <QString>

#include <algorithm>
#include <array>
#include <functional>
#include <memory>
#include <vector>

class CPenShapeMngr;
class CPenMethodMngr;

// The set-file readers and writers and the file dialogs the managers call. They belong to other
// modules (the dialogs to the user interface), which install them at start-up; tests install
// fakes. Readers and writers answer the set files' status codes (0 ok); the dialogs answer false
// when cancelled and run with the file dialog types of the sets (open: 4 nibs, 3 methods; save:
// 13 nibs, 12 methods), starting at the given path.
struct SPenPresetFileProcs
{
    std::function<int(const QString &path, CPenShapeMngr &mngr, bool append)> readNibSet;
    std::function<int(const QString &path, CPenShapeMngr &mngr)> writeNibSet;
    std::function<int(const QString &path, CPenMethodMngr &mngr, bool append)> readMethodSet;
    std::function<int(const QString &path, CPenMethodMngr &mngr)> writeMethodSet;
    std::function<bool(int type, QString &path)> openDialog;
    std::function<bool(int type, QString &path)> saveDialog;
};

// Installs the procedures and returns the previous ones. Without a reader a load answers 6
// (cannot open), without a writer a save 5 (cannot create); without a dialog it is cancelled.
SPenPresetFileProcs installPenPresetFileProcs(SPenPresetFileProcs procs);

inline constexpr int kFileDialogOpenNibSet = 4;
inline constexpr int kFileDialogOpenMethodSet = 3;
inline constexpr int kFileDialogSaveNibSet = 13;
inline constexpr int kFileDialogSaveMethodSet = 12;

// What both managers share: the owning list of T, the current index (-1 none), the modified flag,
// the last path and the notification. Notifications go to OnChange (with the manager M) whenever
// the current index, the modified flag or the last path is set.
template <class T, class M> class CPresetListMngr
{
  public:
    virtual ~CPresetListMngr() = default;

    int32_t count() const { return int32_t(m_items.size()); }
    bool isValid(int32_t idx) const { return idx >= 0 && idx < count(); }
    int32_t curIndex() const { return m_curIndex; }
    // A valid idx becomes current; notifies in any case; answers validity.
    bool setCurIndex(int32_t idx);
    T *getObj(int32_t idx) const { return isValid(idx) ? m_items[size_t(idx)].get() : nullptr; }
    T *getCurObj() const { return getObj(m_curIndex); }
    // Deletes every item (front first) and sets the indices to -1; returns the former count.
    virtual int32_t reset();

    bool Modified() const { return FModified; }
    // Stores the flag and always notifies.
    void setModified(bool v);
    const QString &LastPath() const { return FLastPath; }
    // Stores and notifies only when the path differs.
    void setLastPath(const QString &path);
    // Orders the list by less (equal items keep their order); the current item stays current.
    void sortItems(const std::function<bool(const T &, const T &)> &less);
    std::function<void(M &)> OnChange;

  protected:
    // Inserts at 0 <= idx <= count (count appends) and sets modified; -1 (obj freed) otherwise.
    int32_t insertItem(int32_t idx, std::unique_ptr<T> obj);
    // Removes and frees a valid item, pulls the current index back into the list, sets modified.
    bool deleteItem(int32_t idx);
    virtual void itemInserted(int32_t) {}
    virtual void itemDeleted(int32_t) {}
    void notify();

    std::vector<std::unique_ptr<T>> m_items;
    int32_t m_curIndex = -1;
    bool FModified = false;
    QString FLastPath;
};

// The nib presets ("ペン先集").
class CPenShapeMngr : public CPresetListMngr<CPenShapeObj, CPenShapeMngr>
{
  public:
    static const QString &setName();

    int32_t insertShape(int32_t idx, std::unique_ptr<CPenShapeObj> obj);
    int32_t appendShape(std::unique_ptr<CPenShapeObj> obj);
    // A new nib from the record; -1 (the nib freed) when appending fails.
    int32_t appendShape(const SPenShapeData &data);
    // A copy of src; -1 when the copy fails.
    int32_t appendShapeDup(const CPenShapeObj &src);
    bool deleteShape(int32_t idx);
    // The nib's record whatever its enable flag; False for an invalid index.
    bool getCurData(SPenShapeData &data) const;
    bool getData(int32_t idx, SPenShapeData &data) const;

    // Appends the seven built-in nibs, makes index 0 current; returns how many were added.
    int32_t appendDefaultShapes();
    // The built-in nibs; True when something was added.
    bool makeDefault();

    // Reads a set file (replacing or appending); on an error warns with the code. True when the
    // reader succeeded.
    bool load(const QString &path, bool append);
    // Asks for the file first; False when cancelled.
    bool load(bool append);
    // Writes the set file; on an error warns with the code. True on success.
    bool save(const QString &path);
    bool save();
    // The default set: the profile's nib file, "default.psh" in the pen folder, then in the preset
    // folder's and the application folder's "preset" (the profile follows the search); with make
    // the built-in nibs when none loads. Whether a set is in place.
    bool loadDefault(bool make);
};

// The method presets ("ブラシ集"), with the secondary (eraser) method and five shortcut slots.
class CPenMethodMngr : public CPresetListMngr<CPenMethodObj, CPenMethodMngr>
{
  public:
    static const QString &setName();

    int32_t reset() override;

    int32_t insertMethod(int32_t idx, std::unique_ptr<CPenMethodObj> obj);
    int32_t appendMethod(std::unique_ptr<CPenMethodObj> obj);
    // A new method from the record, with the name and a nib when given; -1 (freed) when
    // appending fails.
    int32_t appendMethod(const SPenMethodData &mtd, const SPenShapeData *shp, const QString &name);
    int32_t appendMethodDup(const CPenMethodObj &src);
    bool deleteMethod(int32_t idx);

    int32_t subIndex() const { return m_subIndex; }
    // A valid idx becomes the sub index (True, no notification); otherwise, with need, the sub
    // index := idx clamped into the list, then notifies and answers whether it is valid.
    bool setSubIndex(int32_t idx, bool need);
    bool isSubIndexValid() const { return isValid(m_subIndex); }
    // Stores the five slots and enables them.
    void setShortcutIdx(int32_t sc0, int32_t sc1, int32_t sc2, int32_t sc3, int32_t sc4);
    // The five slots; answers whether they are enabled.
    bool getShortcutIdx(int32_t &sc0, int32_t &sc1, int32_t &sc2, int32_t &sc3, int32_t &sc4) const;
    bool bEnbShortcut() const { return m_bEnbShortcut; }
    const std::array<int32_t, 5> &shortcutTbl() const { return m_shortcutTbl; }

    // The first method with the id: its index (-1), or the method (nil) and its index.
    int32_t findIndex(int32_t id) const;
    CPenMethodObj *getObjFromID(int32_t id, int32_t &idx) const;
    // The sub index when valid, else the first eraser method, else -1.
    int32_t findDefaultEraser() const;

    // The list holds methods of all 13 version-4 and version-5 paint modes.
    bool check() const;
    // Appends a default method for every version-4 and version-5 mode that no method has, in
    // enumeration order; True when all 13 are then present, False at the first failure.
    bool makeDefault();

    // Reads a set file; on an error warns with the code and answers False. A set that loads but
    // lacks modes is completed with defaults (answer: whether that succeeded).
    bool load(const QString &path, bool append);
    bool load(bool append);
    bool save(const QString &path);
    bool save();
    // The default set: the profile's brush file, "default.pmt" in the pen folder, then in the
    // preset folder's and the application folder's "preset"; with make the built-in methods when
    // none loads. Whether a complete set is in place.
    bool loadDefault(bool make);

  protected:
    void itemInserted(int32_t idx) override;
    void itemDeleted(int32_t idx) override;

  private:
    void clampShortcuts();

    int32_t m_subIndex = -1;
    bool m_bEnbShortcut = false;
    std::array<int32_t, 5> m_shortcutTbl{};
};

// ---- template members

template <class T, class M> bool CPresetListMngr<T, M>::setCurIndex(int32_t idx)
{
    const bool valid = isValid(idx);
    if (valid)
        m_curIndex = idx;
    notify();
    return valid;
}

template <class T, class M> int32_t CPresetListMngr<T, M>::reset()
{
    const int32_t n = count();
    while (!m_items.empty())
        m_items.erase(m_items.begin());
    m_curIndex = -1;
    return n;
}

template <class T, class M> void CPresetListMngr<T, M>::setModified(bool v)
{
    FModified = v;
    notify();
}

template <class T, class M> void CPresetListMngr<T, M>::setLastPath(const QString &path)
{
    if (path == FLastPath)
        return;
    FLastPath = path;
    notify();
}

template <class T, class M>
int32_t CPresetListMngr<T, M>::insertItem(int32_t idx, std::unique_ptr<T> obj)
{
    if (!obj || idx < 0 || idx > count())
        return -1;
    m_items.insert(m_items.begin() + idx, std::move(obj));
    itemInserted(idx);
    setModified(true);
    return idx;
}

template <class T, class M> bool CPresetListMngr<T, M>::deleteItem(int32_t idx)
{
    if (!isValid(idx))
        return false;
    m_items.erase(m_items.begin() + idx);
    if (m_curIndex >= count())
        m_curIndex = count() - 1;
    itemDeleted(idx);
    setModified(true);
    return true;
}

template <class T, class M>
void CPresetListMngr<T, M>::sortItems(const std::function<bool(const T &, const T &)> &less)
{
    const T *current = getCurObj();
    std::stable_sort(m_items.begin(), m_items.end(),
                     [&](const std::unique_ptr<T> &a, const std::unique_ptr<T> &b) {
                         return less(*a, *b);
                     });
    for (int32_t i = 0; current && i < count(); ++i)
        if (m_items[size_t(i)].get() == current)
            m_curIndex = i;
}

template <class T, class M> void CPresetListMngr<T, M>::notify()
{
    if (OnChange)
        OnChange(static_cast<M &>(*this));
}
