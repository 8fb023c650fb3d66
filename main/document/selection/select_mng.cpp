#include "document/selection/select_mng.h"

#include <new>

void TAnts::GetRegion(const TChannel &)
{
    // The outline is not captured: nothing ever draws it.
    m_bufnum = 0;
    m_antbuf.clear();
}

sSize TSelectMng::previewSize(int32_t w, int32_t h)
{
    // The factor is held as a float and the product is not: 48 / 100 as a float lies just
    // below 0.48, so 50 * f truncates to 23 and the preview is 48 x 24 (a float product would
    // round up to 24).
    if (h < w) {
        const float f = 48.0f / float(w);
        return {kPreviewEdge, int32_t(double(h) * double(f)) + 1};
    }
    const float f = 48.0f / float(h);
    return {int32_t(double(w) * double(f)) + 1, kPreviewEdge};
}

TSelectMng::TSelectMng(int32_t width, int32_t height) : m_width(width), m_height(height)
{
    initSlot(m_select[0]);
}

void TSelectMng::initSlot(Slot &s) const
{
    auto image = std::make_unique<TChannel>();
    if (!image->Resize(m_width, m_height))
        throw std::bad_alloc();
    image->PixelFill(0);
    const sSize ps = previewSize(m_width, m_height);
    auto preview = std::make_unique<TTC>(ps, false);
    if (preview->width() != ps.x || preview->height() != ps.y)
        throw std::bad_alloc();
    preview->PixelFill(0xFFFFFFFF);
    s.image = std::move(image);
    s.preview = std::move(preview);
    s.ants = std::make_unique<TAnts>();
    s.disabled = true;
}

bool TSelectMng::Resize(int32_t width, int32_t height)
{
    if (width < 1 || height < 1)
        return false;
    try {
        // Everything is made before the store changes, so that a failure leaves it whole.
        std::vector<std::unique_ptr<TChannel>> resized;
        for (uint32_t i = 0; i < m_activeSelect; ++i) {
            if (!m_select[i].image) {
                resized.emplace_back();
                continue;
            }
            auto ch = std::make_unique<TChannel>();
            if (!ch->Resize(width, height))
                return false;
            // The old selection no longer fits the new size: the slot starts empty.
            ch->PixelFill(0);
            resized.push_back(std::move(ch));
        }
        const int32_t ow = m_width, oh = m_height;
        m_width = width;
        m_height = height;
        Slot fresh;
        try {
            initSlot(fresh);
        } catch (const std::bad_alloc &) {
            m_width = ow;
            m_height = oh;
            return false;
        }
        for (uint32_t i = 0; i < m_activeSelect; ++i)
            if (resized[i])
                m_select[i].image = std::move(resized[i]);
        m_select[m_activeSelect] = std::move(fresh);
        return true;
    } catch (const std::bad_alloc &) {
        return false;
    }
}

bool TSelectMng::SelectDisabled(int32_t index) const
{
    return !slotOk(index) || m_select[size_t(index)].disabled;
}

bool TSelectMng::EventSelectPoly(int32_t index, std::span<const sPos> points, TBoolMode)
{
    if (!slotOk(index) || points.size() < 3)
        return false;
    Slot &s = m_select[size_t(index)];
    const TChannel *base = m_select[0].image.get();
    if (!s.image || !s.preview || !base)
        return false;
    TChannel ch;
    if (!ch.Resize(base->width(), base->height()))
        return false;
    ch.PixelFill(0);
    ch.DrawPolygon(points);
    ch.Blt(*s.image, 0, 0);
    s.preview->PixelFill(0xFF000000);
    s.disabled = false;
    return true;
}

TSelect TSelectMng::Select() const
{
    const Slot &s = m_select[m_activeSelect];
    return {s.image.get(), s.preview.get(), s.ants.get(), s.disabled};
}

bool TSelectMng::EventSelectDisabled(int32_t index)
{
    if (!slotOk(index))
        return false;
    Slot &s = m_select[size_t(index)];
    s.disabled = true;
    if (s.image)
        s.image->PixelFill(0);
    if (s.preview)
        s.preview->PixelFill(0xFFFFFFFF);
    return true;
}

const TChannel *TSelectMng::slotImage(int32_t index) const
{
    return slotOk(index) ? m_select[size_t(index)].image.get() : nullptr;
}

const TTC *TSelectMng::slotPreview(int32_t index) const
{
    return slotOk(index) ? m_select[size_t(index)].preview.get() : nullptr;
}
