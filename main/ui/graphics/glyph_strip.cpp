#include "ui/graphics/glyph_strip.h"

#include "core/image/dib_core.h"

#include <QPainter>
#include <QPainterPath>

#include <cstring>

namespace {

using G = TqZGlyphType;

const QColor kInk(0, 0, 0);
const QColor kFill(150, 150, 150);

// The engine generation as a small seven-segment digit in the bottom-right corner.
void badge(QPainter &p, char digit)
{
    // Segments a..g of a digit 4 wide and 6 high at (19, 17).
    static const char *const segments[] = {"abcdef", "bc", "abged", "abgcd", "fgbc", "afgcd"};
    const char *on = digit == '1' ? segments[1] : digit == '4' ? segments[4] : segments[5];
    const QPointF o(19, 17);
    auto seg = [&](char s) {
        switch (s) {
        case 'a':
            return QLineF(o + QPointF(0, 0), o + QPointF(4, 0));
        case 'b':
            return QLineF(o + QPointF(4, 0), o + QPointF(4, 3));
        case 'c':
            return QLineF(o + QPointF(4, 3), o + QPointF(4, 6));
        case 'd':
            return QLineF(o + QPointF(0, 6), o + QPointF(4, 6));
        case 'e':
            return QLineF(o + QPointF(0, 3), o + QPointF(0, 6));
        case 'f':
            return QLineF(o + QPointF(0, 0), o + QPointF(0, 3));
        default:
            return QLineF(o + QPointF(0, 3), o + QPointF(4, 3));
        }
    };
    p.save();
    p.setPen(QPen(kInk, 1.2));
    for (const char *s = on; *s; ++s)
        p.drawLine(seg(*s));
    p.restore();
}

void pencil(QPainter &p)
{
    QPolygonF body({{5, 19}, {7, 14}, {16, 5}, {19, 8}, {10, 17}});
    p.setBrush(kFill);
    p.drawPolygon(body);
    p.drawLine(QPointF(7, 14), QPointF(10, 17));
}

void eraser(QPainter &p)
{
    p.setBrush(kFill);
    p.drawPolygon(QPolygonF({{4, 15}, {13, 6}, {19, 12}, {10, 21}}));
    p.drawLine(QPointF(8, 11), QPointF(14, 17));
}

void brush(QPainter &p)
{
    p.drawLine(QPointF(18, 4), QPointF(10, 12));
    QPainterPath tip;
    tip.moveTo(10, 12);
    tip.cubicTo(6, 13, 6, 17, 4, 20);
    tip.cubicTo(8, 19, 12, 18, 12, 14);
    tip.closeSubpath();
    p.setBrush(kFill);
    p.drawPath(tip);
}

void airbrush(QPainter &p)
{
    p.setBrush(kFill);
    p.drawRect(QRectF(10, 8, 9, 5));
    p.drawLine(QPointF(14, 13), QPointF(14, 19));
    for (const QPointF &d :
         {QPointF(4, 7), QPointF(6, 10), QPointF(3, 12), QPointF(7, 14), QPointF(4, 16)})
        p.drawEllipse(d, 0.8, 0.8);
}

void drop(QPainter &p)
{
    QPainterPath path;
    path.moveTo(11, 3);
    path.cubicTo(15, 9, 18, 12, 18, 15);
    path.cubicTo(18, 22, 4, 22, 4, 15);
    path.cubicTo(4, 12, 7, 9, 11, 3);
    p.setBrush(kFill);
    p.drawPath(path);
}

void finger(QPainter &p)
{
    p.setBrush(kFill);
    p.drawRoundedRect(QRectF(7, 3, 8, 18), 4, 4);
    p.drawArc(QRectF(8.5, 4, 5, 5), 0, 180 * 16);
}

void spread(QPainter &p)
{
    for (int i = 0; i < 4; ++i)
        p.drawLine(QPointF(11, 20), QPointF(3 + i * 5, 4 + (i == 0 || i == 3 ? 4 : 0)));
}

void lollipop(QPainter &p, bool filled)
{
    p.setBrush(filled ? QBrush(kInk) : QBrush(kFill));
    p.drawEllipse(QPointF(9, 8), 5, 5);
    p.drawLine(QPointF(12, 12), QPointF(19, 20));
}

void bucket(QPainter &p)
{
    p.setBrush(kFill);
    p.drawPolygon(QPolygonF({{4, 10}, {12, 4}, {19, 11}, {11, 18}}));
    p.drawEllipse(QPointF(19, 18), 2, 2.5);
}

void dashed(QPainter &p)
{
    QPen pen = p.pen();
    pen.setDashPattern({2, 2});
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
}

void magnifier(QPainter &p)
{
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QPointF(10, 10), 6, 6);
    QPen thick = p.pen();
    thick.setWidthF(3);
    p.save();
    p.setPen(thick);
    p.drawLine(QPointF(15, 15), QPointF(20, 20));
    p.restore();
}

void fourArrows(QPainter &p)
{
    p.drawLine(QPointF(12, 3), QPointF(12, 21));
    p.drawLine(QPointF(3, 12), QPointF(21, 12));
    p.setBrush(kInk);
    p.drawPolygon(QPolygonF({{12, 2}, {9, 6}, {15, 6}}));
    p.drawPolygon(QPolygonF({{12, 22}, {9, 18}, {15, 18}}));
    p.drawPolygon(QPolygonF({{2, 12}, {6, 9}, {6, 15}}));
    p.drawPolygon(QPolygonF({{22, 12}, {18, 9}, {18, 15}}));
}

void letterA(QPainter &p)
{
    p.drawLine(QPointF(5, 20), QPointF(12, 4));
    p.drawLine(QPointF(12, 4), QPointF(19, 20));
    p.drawLine(QPointF(8, 14), QPointF(16, 14));
}

void squareOf(QPainter &p, const QBrush &b)
{
    p.setBrush(b);
    p.drawRect(QRectF(4, 4, 16, 16));
}

void crossOut(QPainter &p)
{
    p.drawLine(QPointF(3, 21), QPointF(21, 3));
}

QBrush rampBrush()
{
    QLinearGradient g(4, 0, 20, 0);
    g.setColorAt(0, kInk);
    g.setColorAt(1, QColor(255, 255, 255));
    return QBrush(g);
}

void dots(QPainter &p)
{
    p.save();
    p.setBrush(kInk);
    for (int y = 7; y <= 17; y += 5)
        for (int x = 7; x <= 17; x += 5)
            p.drawEllipse(QPointF(x, y), 1.2, 1.2);
    p.restore();
}

void arrowHead(QPainter &p, QPointF tip, QPointF dir)
{
    const QPointF n(-dir.y(), dir.x());
    p.save();
    p.setBrush(kInk);
    p.drawPolygon(QPolygonF({tip, tip - dir * 4 + n * 2.5, tip - dir * 4 - n * 2.5}));
    p.restore();
}

void penMark(QPainter &p)
{
    p.drawLine(QPointF(14, 10), QPointF(21, 3));
    p.drawLine(QPointF(14, 10), QPointF(12, 12));
}

void drawGlyph(QPainter &p, G g)
{
    switch (g) {
    case G::qgPencil5:
        pencil(p), badge(p, '5');
        break;
    case G::qgPencil4:
        pencil(p), badge(p, '4');
        break;
    case G::qgPencil1:
        pencil(p), badge(p, '1');
        break;
    case G::qgEraser5:
        eraser(p), badge(p, '5');
        break;
    case G::qgSeedEraser:
        eraser(p), p.setBrush(kInk), p.drawEllipse(QPointF(19, 5), 2, 2);
        break;
    case G::qgEraser4:
        eraser(p), badge(p, '4');
        break;
    case G::qgEraser1:
        eraser(p), badge(p, '1');
        break;
    case G::qgWaterColor5:
        brush(p), badge(p, '5');
        break;
    case G::qgWaterColor4:
        brush(p), badge(p, '4');
        break;
    case G::qgWaterColor1:
        brush(p), badge(p, '1');
        break;
    case G::qgAirBrush5:
        airbrush(p), badge(p, '5');
        break;
    case G::qgAirBrush4:
        airbrush(p), badge(p, '4');
        break;
    case G::qgAirBrush1:
        airbrush(p), badge(p, '1');
        break;
    case G::qgBlur4:
        drop(p), badge(p, '4');
        break;
    case G::qgBlur1:
        drop(p), badge(p, '1');
        break;
    case G::qgFingertip4:
        finger(p), badge(p, '4');
        break;
    case G::qgFingertip1:
        finger(p), badge(p, '1');
        break;
    case G::qgSpread4:
        spread(p), badge(p, '4');
        break;
    case G::qgBurn4:
        lollipop(p, true), badge(p, '4');
        break;
    case G::qgBurn1:
        lollipop(p, true), badge(p, '1');
        break;
    case G::qgDodge4:
        lollipop(p, false), badge(p, '4');
        break;
    case G::qgDodge1:
        lollipop(p, false), badge(p, '1');
        break;
    case G::qgDrawLocus: {
        QPainterPath w;
        w.moveTo(3, 16);
        w.cubicTo(8, 2, 12, 24, 21, 7);
        p.drawPath(w);
        break;
    }
    case G::qgDrawLine:
        p.drawLine(QPointF(4, 20), QPointF(20, 4));
        break;
    case G::qgDrawCurve: {
        QPainterPath c;
        c.moveTo(3, 20);
        c.quadTo(6, 2, 21, 6);
        p.drawPath(c);
        break;
    }
    case G::qgDrawMultiLine:
        p.drawPolyline(QPolygonF({{3, 19}, {8, 6}, {15, 16}, {21, 5}}));
        break;
    case G::qgDrawRectangle:
        p.drawRect(QRectF(4, 6, 16, 12));
        break;
    case G::qgDrawEllipse:
        p.drawEllipse(QPointF(12, 12), 8, 6);
        break;
    case G::qgDrawPolygon:
        p.drawPolygon(QPolygonF({{12, 3}, {21, 10}, {17, 20}, {7, 20}, {3, 10}}));
        break;
    case G::qgFillRectangle:
        p.setBrush(kFill), p.drawRect(QRectF(4, 6, 16, 12));
        break;
    case G::qgFillEllipse:
        p.setBrush(kFill), p.drawEllipse(QPointF(12, 12), 8, 6);
        break;
    case G::qgFillPolygon:
        p.setBrush(kFill);
        p.drawPolygon(QPolygonF({{12, 3}, {21, 10}, {17, 20}, {7, 20}, {3, 10}}));
        break;
    case G::qgFillLasso: {
        QPainterPath l;
        l.moveTo(5, 8);
        l.cubicTo(10, 1, 22, 6, 19, 13);
        l.cubicTo(17, 20, 6, 22, 5, 8);
        p.setBrush(kFill);
        p.drawPath(l);
        break;
    }
    case G::qgSeedFill:
        bucket(p);
        break;
    case G::qgGradient:
        squareOf(p, rampBrush());
        break;
    case G::qgSelectRectangle:
        dashed(p), p.drawRect(QRectF(4, 6, 16, 12));
        break;
    case G::qgSelectEllipse:
        dashed(p), p.drawEllipse(QPointF(12, 12), 8, 6);
        break;
    case G::qgSelectPolygon:
        dashed(p);
        p.drawPolygon(QPolygonF({{12, 3}, {21, 10}, {17, 20}, {7, 20}, {3, 10}}));
        break;
    case G::qgSelectLasso: {
        dashed(p);
        QPainterPath l;
        l.moveTo(5, 8);
        l.cubicTo(10, 1, 22, 6, 19, 13);
        l.cubicTo(17, 20, 6, 22, 5, 8);
        p.drawPath(l);
        break;
    }
    case G::qgMagicWand:
        p.drawLine(QPointF(4, 20), QPointF(14, 10));
        p.drawLine(QPointF(17, 3), QPointF(17, 11));
        p.drawLine(QPointF(13, 7), QPointF(21, 7));
        break;
    case G::qgMoveLayer:
        fourArrows(p);
        break;
    case G::qgMoveLayerWithSelection:
        fourArrows(p);
        dashed(p);
        p.drawRect(QRectF(2, 2, 20, 20));
        break;
    case G::qgFillText:
        letterA(p);
        break;
    case G::qgSelectText:
        letterA(p), dashed(p), p.drawRect(QRectF(2, 2, 20, 20));
        break;
    case G::qgCrop:
        p.drawPolyline(QPolygonF({{7, 2}, {7, 17}, {22, 17}}));
        p.drawPolyline(QPolygonF({{2, 7}, {17, 7}, {17, 22}}));
        break;
    case G::qgSpuit:
        p.setBrush(kFill);
        p.drawPolygon(QPolygonF({{4, 20}, {5, 16}, {13, 8}, {16, 11}, {8, 19}}));
        p.setBrush(kInk);
        p.drawEllipse(QPointF(17, 7), 3, 3);
        break;
    case G::qgGrabber:
        p.setBrush(kFill);
        p.drawRoundedRect(QRectF(6, 11, 12, 10), 3, 3);
        for (int x = 7; x <= 16; x += 3)
            p.drawLine(QPointF(x + 0.5, 11), QPointF(x + 0.5, 5));
        break;
    case G::qgDegree:
        p.drawArc(QRectF(4, 4, 16, 16), 30 * 16, 280 * 16);
        arrowHead(p, QPointF(19, 8), QPointF(0.5, -0.87));
        break;
    case G::qgZoom:
        magnifier(p);
        break;
    case G::qgDensity:
        p.drawEllipse(QPointF(12, 12), 8, 8);
        p.setBrush(kInk);
        p.drawPie(QRectF(4, 4, 16, 16), 90 * 16, 180 * 16);
        break;
    case G::qgCreate:
        p.drawRect(QRectF(5, 3, 12, 17));
        p.drawLine(QPointF(17, 15), QPointF(17, 23));
        p.drawLine(QPointF(13, 19), QPointF(21, 19));
        break;
    case G::qgDelete:
        p.drawRect(QRectF(6, 7, 12, 14));
        p.drawLine(QPointF(4, 6), QPointF(20, 6));
        p.drawLine(QPointF(10, 10), QPointF(10, 18));
        p.drawLine(QPointF(14, 10), QPointF(14, 18));
        break;
    case G::qgSave:
        p.drawRect(QRectF(4, 4, 16, 16));
        p.setBrush(kFill);
        p.drawRect(QRectF(8, 4, 8, 6));
        p.drawRect(QRectF(7, 13, 10, 7));
        break;
    case G::qgAntiAlias:
        p.drawPolyline(QPolygonF({{3, 20}, {3, 16}, {7, 16}, {7, 12}, {11, 12}, {11, 8}}));
        p.drawLine(QPointF(12, 20), QPointF(21, 6));
        break;
    case G::qgBrushSpace:
        p.setBrush(kFill);
        for (int x = 5; x <= 19; x += 7)
            p.drawEllipse(QPointF(x, 12), 3, 3);
        break;
    case G::qgPrsDensity:
        penMark(p);
        p.setBrush(kInk);
        p.drawPie(QRectF(2, 10, 11, 11), 90 * 16, 180 * 16);
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QRectF(2, 10, 11, 11));
        break;
    case G::qgPrsRadius:
        penMark(p);
        p.drawEllipse(QPointF(7, 16), 2, 2);
        p.drawEllipse(QPointF(7, 16), 5.5, 5.5);
        break;
    case G::qgNibRadius:
        p.drawEllipse(QPointF(12, 12), 8, 8);
        p.drawLine(QPointF(12, 12), QPointF(20, 12));
        break;
    case G::qgNibMinRadius:
        p.drawEllipse(QPointF(12, 12), 8, 8);
        p.setBrush(kFill);
        p.drawEllipse(QPointF(12, 12), 3.5, 3.5);
        break;
    case G::qgGradNone:
        squareOf(p, Qt::NoBrush), crossOut(p);
        break;
    case G::qgGradUse:
        squareOf(p, rampBrush());
        break;
    case G::qgGradUnUse:
        squareOf(p, rampBrush()), crossOut(p);
        break;
    case G::qgToneNone:
        squareOf(p, Qt::NoBrush), crossOut(p), p.drawEllipse(QPointF(12, 12), 2, 2);
        break;
    case G::qgToneUse:
        squareOf(p, Qt::NoBrush), dots(p);
        break;
    case G::qgToneUnUse:
        squareOf(p, Qt::NoBrush), dots(p), crossOut(p);
        break;
    case G::qgGradLinear:
        p.setBrush(rampBrush());
        p.drawRect(QRectF(4, 4, 16, 9));
        p.drawLine(QPointF(4, 18), QPointF(17, 18));
        arrowHead(p, QPointF(20, 18), QPointF(1, 0));
        break;
    case G::qgGradRadial:
        p.drawEllipse(QPointF(12, 12), 9, 9);
        p.drawEllipse(QPointF(12, 12), 5, 5);
        p.setBrush(kInk);
        p.drawEllipse(QPointF(12, 12), 1.5, 1.5);
        break;
    case G::qgGradCircular:
        p.drawEllipse(QPointF(12, 12), 9, 9);
        p.drawLine(QPointF(12, 12), QPointF(21, 12));
        p.drawArc(QRectF(7, 7, 10, 10), 0, 270 * 16);
        break;
    case G::qgGradReturn:
        p.drawPolyline(QPolygonF({{2, 18}, {7, 6}, {12, 18}, {17, 6}, {22, 18}}));
        break;
    case G::qgGradRepeat:
        p.drawPolyline(QPolygonF({{2, 18}, {8, 6}, {8, 18}, {14, 6}, {14, 18}, {20, 6}, {20, 18}}));
        break;
    case G::qgGradInfinity: {
        QPainterPath inf;
        inf.moveTo(12, 12);
        inf.cubicTo(16, 5, 22, 8, 21, 12);
        inf.cubicTo(20, 17, 16, 18, 12, 12);
        inf.cubicTo(8, 5, 2, 8, 3, 12);
        inf.cubicTo(4, 17, 8, 18, 12, 12);
        p.drawPath(inf);
        break;
    }
    case G::qgGradRemind:
        p.drawLine(QPointF(3, 12), QPointF(18, 12));
        arrowHead(p, QPointF(19, 12), QPointF(1, 0));
        p.drawLine(QPointF(21, 5), QPointF(21, 19));
        break;
    case G::qgZoomIn:
        magnifier(p);
        p.drawLine(QPointF(7, 10), QPointF(13, 10));
        p.drawLine(QPointF(10, 7), QPointF(10, 13));
        break;
    case G::qgZoomOut:
        magnifier(p), p.drawLine(QPointF(7, 10), QPointF(13, 10));
        break;
    case G::qgDisplayGrid:
        for (int i = 0; i < 4; ++i) {
            p.drawLine(QPointF(4 + i * 16 / 3.0, 4), QPointF(4 + i * 16 / 3.0, 20));
            p.drawLine(QPointF(4, 4 + i * 16 / 3.0), QPointF(20, 4 + i * 16 / 3.0));
        }
        break;
    case G::qgColSampAreaS:
        p.setBrush(kFill), p.drawRect(QRectF(8, 8, 8, 8));
        break;
    case G::qgColSampCircleA:
        p.setBrush(kFill), p.drawEllipse(QPointF(12, 12), 8, 8);
        break;
    case G::qgColSampCircleS:
        p.setBrush(kFill), p.drawEllipse(QPointF(12, 12), 4, 4);
        break;
    case G::qgColSampSlider:
        p.drawLine(QPointF(3, 12), QPointF(21, 12));
        p.setBrush(kFill);
        p.drawRect(QRectF(10, 7, 4, 10));
        break;
    case G::qgFlat:
        p.drawPolyline(QPolygonF({{3, 20}, {7, 6}, {17, 6}, {21, 20}}));
        break;
    case G::qgAdd:
        p.drawPolyline(QPolygonF({{3, 20}, {12, 10}, {21, 20}}));
        p.drawLine(QPointF(12, 2), QPointF(12, 8));
        p.drawLine(QPointF(9, 5), QPointF(15, 5));
        break;
    case G::qgOffsetX:
        p.drawLine(QPointF(4, 12), QPointF(20, 12));
        arrowHead(p, QPointF(22, 12), QPointF(1, 0));
        arrowHead(p, QPointF(2, 12), QPointF(-1, 0));
        break;
    case G::qgOffsetY:
        p.drawLine(QPointF(12, 4), QPointF(12, 20));
        arrowHead(p, QPointF(12, 22), QPointF(0, 1));
        arrowHead(p, QPointF(12, 2), QPointF(0, -1));
        break;
    case G::qgInvert:
        p.drawEllipse(QPointF(12, 12), 8, 8);
        p.setBrush(kInk);
        p.drawPie(QRectF(4, 4, 16, 16), -90 * 16, 180 * 16);
        break;
    case G::qgProtectAlpha:
        p.drawRect(QRectF(3, 3, 14, 14));
        p.fillRect(QRectF(3, 3, 7, 7), kFill);
        p.fillRect(QRectF(10, 10, 7, 7), kFill);
        p.setBrush(kInk);
        p.drawRect(QRectF(14, 15, 7, 6));
        p.setBrush(Qt::NoBrush);
        p.drawArc(QRectF(15, 11, 5, 7), 0, 180 * 16);
        break;
    case G::qgExtend:
        p.drawRect(QRectF(8, 8, 8, 8));
        p.drawLine(QPointF(8, 8), QPointF(3, 3));
        p.drawLine(QPointF(16, 16), QPointF(21, 21));
        arrowHead(p, QPointF(2, 2), QPointF(-0.7, -0.7));
        arrowHead(p, QPointF(22, 22), QPointF(0.7, 0.7));
        break;
    case G::qgPlay:
        p.setBrush(kInk), p.drawPolygon(QPolygonF({{7, 4}, {19, 12}, {7, 20}}));
        break;
    case G::qgPause:
        p.setBrush(kInk);
        p.drawRect(QRectF(6, 5, 4, 14));
        p.drawRect(QRectF(14, 5, 4, 14));
        break;
    case G::qgStep:
        p.setBrush(kInk);
        p.drawPolygon(QPolygonF({{5, 5}, {15, 12}, {5, 19}}));
        p.drawRect(QRectF(16, 5, 3, 14));
        break;
    case G::qgStop:
        p.setBrush(kInk), p.drawRect(QRectF(6, 6, 12, 12));
        break;
    case G::qgMenu:
        for (int y = 7; y <= 17; y += 5)
            p.drawLine(QPointF(5, y), QPointF(19, y));
        break;
    case G::qgOptDat:
        p.drawPolygon(QPolygonF({{5, 3}, {15, 3}, {19, 7}, {19, 21}, {5, 21}}));
        for (int y = 10; y <= 17; y += 3)
            p.drawLine(QPointF(8, y), QPointF(16, y));
        break;
    case G::qgOptScale:
        p.drawRect(QRectF(4, 10, 10, 10));
        p.drawLine(QPointF(10, 14), QPointF(19, 5));
        arrowHead(p, QPointF(21, 3), QPointF(0.7, -0.7));
        break;
    case G::qgOptScaleFix:
        p.drawRect(QRectF(4, 10, 10, 10));
        p.drawLine(QPointF(10, 14), QPointF(19, 5));
        arrowHead(p, QPointF(21, 3), QPointF(0.7, -0.7));
        p.drawLine(QPointF(16, 13), QPointF(22, 13));
        break;
    case G::qgOptDst:
        p.drawEllipse(QPointF(12, 12), 7, 7);
        p.drawLine(QPointF(12, 2), QPointF(12, 22));
        p.drawLine(QPointF(2, 12), QPointF(22, 12));
        break;
    }
}

void putLE16(uchar *p, uint16_t v)
{
    p[0] = uchar(v);
    p[1] = uchar(v >> 8);
}

void putLE32(uchar *p, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        p[i] = uchar(v >> (8 * i));
}

} // namespace

QImage drawGlyphPicture(TqZGlyphType glyph)
{
    QImage img(kGlyphSize, kGlyphSize, QImage::Format_ARGB32);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(kInk, 1.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    drawGlyph(p, glyph);
    return img;
}

QByteArray encodeGlyphStrip(const QList<QImage> &pictures)
{
    const int32_t w = kGlyphSize, h = kGlyphSize * int32_t(pictures.size());
    const int32_t stride = w * 3; // 72 bytes: already a multiple of 4
    QByteArray out(54 + stride * h, '\0');
    uchar *b = reinterpret_cast<uchar *>(out.data());
    b[0] = 'B';
    b[1] = 'M';
    putLE32(b + 2, uint32_t(out.size()));
    putLE32(b + 10, 54);
    putLE32(b + 14, 40);
    putLE32(b + 18, uint32_t(w));
    putLE32(b + 22, uint32_t(h)); // positive height: bottom-up rows
    putLE16(b + 26, 1);
    putLE16(b + 28, 24);
    putLE32(b + 34, uint32_t(stride * h));
    for (int32_t y = 0; y < h; ++y) {
        const QImage &pic = pictures[y / kGlyphSize];
        const QRgb *src = reinterpret_cast<const QRgb *>(pic.constScanLine(y % kGlyphSize));
        uchar *row = b + 54 + size_t(h - 1 - y) * stride;
        for (int32_t x = 0; x < w; ++x) {
            const int alpha = qAlpha(src[x]);
            const uchar green = alpha ? uchar(qGreen(src[x])) : 255;
            row[x * 3 + 0] = green; // blue does not count; kept grey with green
            row[x * 3 + 1] = green;
            row[x * 3 + 2] = uchar(alpha);
        }
    }
    return out;
}

const QByteArray &builtinGlyphStrip()
{
    static const QByteArray strip = [] {
        QList<QImage> pictures;
        for (int g = 0; g < kGlyphTypeCount; ++g)
            pictures.append(
                drawGlyphPicture(TqZGlyphType(g)).convertToFormat(QImage::Format_ARGB32));
        return encodeGlyphStrip(pictures);
    }();
    return strip;
}
