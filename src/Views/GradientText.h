// A line of text or a symbol glyph filled with one colour or with a linear
// gradient between two colours, in any direction across the item's bounds.
#pragma once

#include <QColor>
#include <QFont>
#include <QPointF>
#include <QQuickPaintedItem>
#include <QtQml/qqmlregistration.h>

namespace Trayvane {

class GradientText : public QQuickPaintedItem
{
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(QString text READ text WRITE setText NOTIFY textChanged FINAL)
    Q_PROPERTY(QFont font READ font WRITE setFont NOTIFY fontChanged FINAL)
    // The fill, or the gradient's start colour when endColor is valid.
    Q_PROPERTY(QColor color READ color WRITE setColor NOTIFY fillChanged FINAL)
    // The gradient's end colour; an invalid colour means a flat fill.
    Q_PROPERTY(QColor endColor READ endColor WRITE setEndColor NOTIFY fillChanged FINAL)
    // Gradient end points in unit coordinates of the item (0,0 top-left).
    Q_PROPERTY(QPointF startPoint READ startPoint WRITE setStartPoint NOTIFY fillChanged FINAL)
    Q_PROPERTY(QPointF endPoint READ endPoint WRITE setEndPoint NOTIFY fillChanged FINAL)
    // Outline drawn with the fill, to make a single-weight glyph look heavier.
    Q_PROPERTY(qreal strokeWidth READ strokeWidth WRITE setStrokeWidth NOTIFY fillChanged FINAL)

public:
    explicit GradientText(QQuickItem *parent = nullptr);

    QString text() const { return m_text; }
    void setText(const QString &text);
    QFont font() const { return m_font; }
    void setFont(const QFont &font);
    QColor color() const { return m_color; }
    void setColor(const QColor &color);
    QColor endColor() const { return m_endColor; }
    void setEndColor(const QColor &color);
    QPointF startPoint() const { return m_startPoint; }
    void setStartPoint(const QPointF &point);
    QPointF endPoint() const { return m_endPoint; }
    void setEndPoint(const QPointF &point);
    qreal strokeWidth() const { return m_strokeWidth; }
    void setStrokeWidth(qreal width);

    void paint(QPainter *painter) override;

signals:
    void textChanged();
    void fontChanged();
    void fillChanged();

private:
    void updateImplicitSize();

    QString m_text;
    QFont m_font;
    QColor m_color = Qt::black;
    QColor m_endColor;
    QPointF m_startPoint{0.0, 0.0};
    QPointF m_endPoint{1.0, 1.0};
    qreal m_strokeWidth = 0.0;
};

} // namespace Trayvane
