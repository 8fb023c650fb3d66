// The tool, option and command icons: 24 x 24 pictures in three states (normal, highlighted,
// disabled), tinted once at start from the glyph strip with the cached system colours, and the
// small label that shows one of them and doubles as a horizontal drag handle.
#pragma once

#include "core/profile/glyph_types.h"
#include "core/profile/tool_kinds.h"
#include "ui/base/graphic_control.h"
#include "ui/graphics/memory_graphic.h"

#include <QByteArray>

#include <functional>
#include <memory>
#include <vector>

class TqZGlyphManager
{
  public:
    // Reads the glyph pictures from strip (a 24-bit BMP file, see ui/graphics/glyph_strip.h).
    // A strip that cannot be read leaves every picture in its cleared colour; a short one leaves
    // the glyphs it does not hold cleared.
    explicit TqZGlyphManager(const QByteArray &strip);
    TqZGlyphManager();
    TqZGlyphManager(const TqZGlyphManager &) = delete;
    TqZGlyphManager &operator=(const TqZGlyphManager &) = delete;
    virtual ~TqZGlyphManager();

    TMemoryGraphic *GetGlyphs(TqZGlyphType AIndex, TGlyphState AState) const
    {
        return FGlyphs[size_t(3 * int(AIndex) + AState)].get();
    }
    TGraphicGlyphSet GetGlyphSet(TqZGlyphType AIndex) const;

  private:
    void tint(const QByteArray &strip);

    std::vector<std::unique_ptr<TMemoryGraphic>> FGlyphs;
};

extern TqZGlyphManager *gGlyphManager;

TqZGlyphType paintModeToGlyphType(TPaintMode mode);
TqZGlyphType toolDetailToGlyphType(TToolDetail tool);

// A glyph label: shows one glyph centred and, with the left button held, reports a value that
// moves by 1 for every 100 pixels of horizontal movement.
class TqZGlyphLabel : public TGraphicControl
{
  public:
    explicit TqZGlyphLabel(QWidget *parent = nullptr);
    ~TqZGlyphLabel() override;

    TqZGlyphType GlyphType() const { return FType; }
    void setGlyphType(TqZGlyphType value);
    bool ReadOnly() const { return FReadOnly; }
    void setReadOnly(bool value);
    void SetEnabled(bool value) override;
    // The picture shown (shared, never freed by the label).
    const TMemoryGraphic *image() const { return FImageRef; }
    bool dragging() const { return FDragging; }

    std::function<void(QObject *sender, float &APosition)> OnBeginDrag;
    std::function<void(QObject *sender, float APosition)> OnDrag;
    std::function<void(QObject *sender, float APosition)> OnEndDrag;

  protected:
    void Paint(QPainter &painter) override;
    void MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y,
                   bool dbl) override;
    void MouseMove(Qt::MouseButtons buttons, Qt::KeyboardModifiers shift, int x, int y) override;
    void MouseUp(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y) override;

  private:
    void takeImage();

    TqZGlyphType FType = TqZGlyphType::qgPencil4;
    const TMemoryGraphic *FImageRef = nullptr;
    bool FDragging = false;
    int FLastX = 0;
    float FStartPosition = 0;
    float FPosition = 0;
    bool FReadOnly = false;
};
