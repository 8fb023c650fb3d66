// Pickers that choose a value of a fixed list from a popup menu under the picker, the current
// value checked: the drawing sub-mode of a brush tool (shown as its glyph) and the layer's
// blend mode (shown as its name).
#pragma once

#include "core/profile/tool_kinds.h"
#include "paint/brush/user_blend_modes.h"
#include "ui/base/popup_menu.h"
#include "ui/controls/item_picker.h"

#include <vector>

// The menu entries of count values: ids 1000 + i, a separator before each group start, the
// entry of current checked.
std::vector<TPopupMenuEntry> modeMenuEntries(int count, const std::vector<int> &groupStarts,
                                             int current,
                                             const std::function<QString(int)> &caption);

class TSubPaintDropDown : public TItemPicker
{
  public:
    explicit TSubPaintDropDown(QWidget *parent = nullptr);

    TSubPaintMode SubPaintMode() const { return FSubPaintMode; }
    void setSubPaintMode(TSubPaintMode value);
    TGlyphState GlyphState() const { return FGlyphState; }

  protected:
    void UpdateColors() override;
    bool DoPopup(int Index) override;
    int GetItemIndex() override;
    void DrawWork() override;

  private:
    TSubPaintMode FSubPaintMode = TSubPaintMode::spmDrawLocus;
    TGlyphState FGlyphState = gsNone;
};

class TBlendModeDropDwon : public TItemPicker
{
  public:
    explicit TBlendModeDropDwon(QWidget *parent = nullptr);

    TBlendMode BlendMode() const { return FBlendMode; }
    void setBlendMode(TBlendMode value);
    QString BlendModeName() const { return FBlendModeName; }

  protected:
    bool DoPopup(int Index) override;
    int GetItemIndex() override;
    void DrawWork() override;

  private:
    TBlendMode FBlendMode = TBlendMode::bmStandard;
    QString FBlendModeName;
};
