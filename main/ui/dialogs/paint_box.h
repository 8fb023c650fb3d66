// A plain drawing area of the dialogs: its owner paints it through OnPaint whenever it is shown.
#pragma once

#include <QPainter>
#include <QWidget>

#include <functional>

class TPaintBox : public QWidget
{
  public:
    explicit TPaintBox(QWidget *parent = nullptr) : QWidget(parent) {}

    std::function<void(QPainter &)> OnPaint;

  protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        if (OnPaint)
            OnPaint(painter);
    }
};
