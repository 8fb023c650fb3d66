// Pictures of the list views and previews compared with goldens in tests/data/ui/.
#include "ui/lists/gradient_list_view.h"
#include "ui/lists/pen_nib_list_view.h"
#include "ui/lists/preset_previews.h"
#include "ui/lists/swatch_list_view.h"
#include "ui/lists/tone_list_view.h"

#include "core/image/channel.h"
#include "paint/tone/pattern_tiles.h"
#include "ui/graphics/appearance.h"
#include "ui/ui_test_support.h"

#include <gtest/gtest.h>

namespace {

// A view of n icons in steps of grey.
class GreyView : public TqZListView
{
  public:
    explicit GreyView(int n) : m_count(n)
    {
        FSupportTypes = {lvIconM, lvDropMulti};
        SetSupportCommand({lvcSelect, lvcDrag, lvcDrop});
    }
    int GetItemCount() const override { return m_count; }
    TListViewItemTypes GetItemType(int) const override { return {}; }
    void DrawPreviewIcon(TMemoryGraphic &AImage, const QRect &R, int AIndex,
                         TListViewItemStatus) override
    {
        const uint8_t v = uint8_t(AIndex * 255 / std::max(1, m_count - 1));
        AImage.FillRectangle({R.left(), R.top(), R.right() + 1, R.bottom() + 1},
                             makeColor32(v, uint8_t(255 - v), 128, 255), blendCopy, blendCopy);
    }
    using TqZListView::FDown;

  private:
    int m_count;
};

} // namespace

TEST(ListsGoldens, IconGridAndDropStrip)
{
    GreyView grid(7);
    grid.SetBounds(0, 0, 118, 94);
    grid.SelectItem(1, true);
    grid.SetLastIndex(4);
    grid.FDown = true; // item 4 pressed: the drag target
    grid.DrawItems();
    EXPECT_GOLDEN(pictureOf(grid.Image()), "lists-icon-grid");

    GreyView strip(20);
    strip.SetListType(lvDropMulti);
    strip.SetBounds(0, 0, 111 + 14, 24);
    strip.SelectItem(10, true);
    EXPECT_GOLDEN(pictureOf(strip.Image()), "lists-drop-strip");
}

TEST(ListsGoldens, PresetGrids)
{
    TSwatchMngr swatches;
    for (int i = 0; i < 14; ++i)
        swatches.InsertItem(i, makeColor32(uint8_t(i * 18), uint8_t(200 - i * 12), uint8_t(i * 9), 255));
    TSwatchListView sv;
    sv.SetSupportCommand({lvcSelect});
    sv.SetBounds(0, 0, 16 + 5 * 12 + 4, 40);
    sv.Attach(&swatches);
    sv.SelectItem(3, true);

    CGradMngr grads;
    grads.makeDefault();
    auto clear = std::make_unique<CGradObj>(makeRGBA(255, 0, 0, 255), makeRGBA(0, 0, 255, 255),
                                            QStringLiteral("clear"));
    clear->crsg->setColor(1, makeRGBA(0, 0, 255, 255), 0x10000, 0); // fades out over the board
    clear->refresh();
    grads.appendGrad(std::move(clear));
    grads.setCurGrad(1);
    TGradientListView gv;
    gv.SetSupportCommand({lvcSelect});
    gv.SetBounds(0, 0, 16 + 3 * 32 + 4, 70);
    gv.Attach(&grads);

    CToneMngr tones;
    tones.makeDefault();
    tones.setCurPat(1);
    TToneListView tv;
    tv.SetSupportCommand({lvcSelect});
    tv.SetBounds(0, 0, 16 + 3 * 32 + 4, 38);
    tv.Attach(&tones);

    CPenShapeMngr nibs;
    for (float r : {2.0f, 6.0f, 100.0f}) {
        auto nib = std::make_unique<CPenShapeObj>();
        nib->enable = true;
        nib->setRadiusSingle(r);
        nibs.appendShape(std::move(nib));
    }
    nibs.setCurIndex(1);
    TPenNibListView nv;
    nv.SetSupportCommand({lvcSelect});
    nv.SetDrawRadius(false); // the number's pixels depend on the fonts
    nv.SetBounds(0, 0, 16 + 4 * 32 + 4, 38);
    nv.Attach(&nibs);

    EXPECT_GOLDEN(pictureOf(sv.Image()), "lists-swatch-grid");
    EXPECT_GOLDEN(pictureOf(gv.Image()), "lists-gradient-grid");
    EXPECT_GOLDEN(pictureOf(tv.Image()), "lists-tone-grid");
    EXPECT_GOLDEN(pictureOf(nv.Image()), "lists-nib-icons");
}

TEST(ListsGoldens, Previews)
{
    TPenNibPreview nib;
    TShapeImageParam p;
    initShapeImageParam(p);
    p.Radius = 10;
    p.Aspect = 0.5f;
    p.Rotation = 30;
    nib.SetShapeImageParam(p);
    nib.SetBounds(0, 0, 32, 32);

    TSwatchPreview swatch;
    swatch.SetColor(makeColor32(40, 120, 220, 0));
    swatch.SetBounds(0, 0, 32, 32);

    TGradientPreview grad;
    CGradObj g(makeRGBA(255, 0, 0, 255), makeRGBA(0, 0, 255, 255), QStringLiteral("g"));
    g.crsg->setColor(1, makeRGBA(0, 0, 255, 255), 0x10000, 0);
    g.refresh();
    SGradAttr attr;
    initGradAttr(attr);
    grad.SetGradient(&g, attr);
    grad.SetBounds(0, 0, 48, 32);

    TTonePreview tone;
    CToneMngr tones;
    tones.makeDefault();
    tone.SetTone(dynamic_cast<const CPat8 *>(tones.getPattern(1)));
    tone.SetBounds(0, 0, 32, 32);

    EXPECT_GOLDEN(sideBySide({pictureOf(nib.Image()), pictureOf(swatch.Image()),
                              pictureOf(grad.Image()), pictureOf(tone.Image())}),
                  "lists-previews");
}
