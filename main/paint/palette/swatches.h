// The swatch palette ("色見本"): a list of named colours with the cell size and the number of
// cells per row and column the palette view shows, loaded from and saved to palette files of four
// formats (paint/palette/palette_files.h). The default palette is "default.qpl" in the preset folder; 256
// built-in colours serve when none is found.
#pragma once

#include "core/base/geometry.h"
#include "core/pixel/pixel.h"
#include "paint/palette/palette_files.h"

#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

// The save code of a palette file that could not be written.
inline constexpr int32_t kPaletteWriteFailed = 64;

struct TSwatchItem
{
    TColor32 FColor{}; // blue, green, red, 4th byte (the source colour space of an .aco colour)
    QString FName;
};

class TSwatchMngr
{
  public:
    TSwatchMngr() = default;
    TSwatchMngr(const TSwatchMngr &) = delete;
    TSwatchMngr &operator=(const TSwatchMngr &) = delete;

    int32_t ItemCount() const { return int32_t(FList.size()); }
    bool IsValidIndex(int32_t idx) const { return idx >= 0 && idx < ItemCount(); }
    // The item at a valid index, else nullptr.
    TSwatchItem *GetItem(int32_t idx) const
    {
        return IsValidIndex(idx) ? FList[size_t(idx)].get() : nullptr;
    }

    // A new item of that colour named "Undefined", inserted as below.
    bool InsertItem(int32_t idx, TColor32 color);
    // A copy of the item at idx when that is a valid index, else appended; sets modified (also
    // when nothing was added). True when the count grew.
    bool InsertItem(int32_t idx, const TSwatchItem &item);
    // Removes a valid index and sets modified; false otherwise.
    bool DeleteItem(int32_t idx);

    // Reads a palette by the path's type, replacing the swatches or appending to them. Codes:
    // 0 ok, 4 file missing, 15 not a palette type, 37 nothing read, 48 an item cannot be added,
    // 3 exception. A failed load leaves the swatches and sizes as they were. On an error code
    // warns "色見本の読み込みに失敗しました! (err=%d)". True on success.
    bool Load(const QString &path, bool append);
    // The same, answering the code.
    int32_t LoadCode(const QString &path, bool append);
    // Writes the swatches in the path's format, through a temporary file renamed over the target
    // when complete, so a failed save keeps the old file. Codes: 0 ok, 15 not a palette type,
    // 37 no swatches, 1 out of memory, 64 the file could not be written, 3 exception. On an error
    // code warns "パレットファイルの保存に失敗しました! (err=%d)". True on success.
    bool Save(const QString &path);
    int32_t SaveCode(const QString &path);
    // The profile's palette file, else "default.qpl" in the palette folder, then in the preset
    // folder's and the application folder's "preset" (the profile keeps the last folder and file
    // tried). When none loads: with make the built-in palette is appended, the profile's file and
    // LastPath are cleared. Whether a palette is in place.
    bool LoadDefault(bool make);
    // Appends the 256 built-in colours; false at the first failure.
    bool MakeDefault();

    sSize ItemSize() const { return FItemSize; }
    sSize RepeatSize() const { return FRepeatSize; }
    // Set by the palette view: its cell size and its columns x visible rows.
    void setItemSize(sSize s) { FItemSize = s; }
    void setRepeatSize(sSize s) { FRepeatSize = s; }

    bool Modified() const { return FModified; }
    // Stores the flag and always notifies.
    void setModified(bool v);
    const QString &LastPath() const { return FLastPath; }
    // Stores and notifies only when the path differs.
    void setLastPath(const QString &path);
    std::function<void(TSwatchMngr &)> OnChange;

  private:
    void notify();
    int32_t readPalette(const QString &path, ePaletteType type, SPaletteData &data) const;

    std::vector<std::unique_ptr<TSwatchItem>> FList;
    sSize FItemSize;
    sSize FRepeatSize;
    bool FModified = false;
    QString FLastPath;
};

// The i-th built-in colour (0..255): blue index i / 64, green (i / 8) % 8, red i % 8; blue
// b * 0x55, green and red (n << 5) | (n << 2) | (n >> 1), 4th byte 0.
TColor32 defaultSwatchColor(int32_t i);
