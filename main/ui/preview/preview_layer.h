// TPreviewLayer: the preview frame of the colour-range dialog. It shows the document in paper
// coordinates, either the active layer (the window's work image) or the composed display image,
// chosen in a combo box above the picture.
#pragma once

#include "ui/preview/preview_frame.h"

class QComboBox;
class QLabel;

class TPreviewLayer : public TPreviewFrame
{
  public:
    explicit TPreviewLayer(QWidget *parent = nullptr);
    ~TPreviewLayer() override;

    // The window's document in paper coordinates, centred on the effect rectangle of layer idx;
    // false (nothing shown) without a window, work image or layer, or when the layer has no
    // effect rectangle.
    bool Attach(IPaperOwner *dw, TFlowImage *flow, int32_t idx) override;
    // The frame's placing, then the picture below the combo box and the zoom bar at the bottom.
    void SetBounds(int left, int top, int width, int height);
    // 0 the active layer, 1 the display image.
    int32_t FDisp() const;
    void setFDisp(int32_t disp);

    QLabel *Label2 = nullptr;
    QComboBox *ComboBox1 = nullptr;

  protected:
    bool LoadSource() override;

  private:
    TFlowImage *m_flow = nullptr;
    int32_t m_idx = -1;
};
