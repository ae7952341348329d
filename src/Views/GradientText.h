// A line of text or a symbol glyph filled with one colour or with a linear
// gradient between two colours, in any direction across the item's bounds.
#pragma once

#include "GradientFill.h"

#include <QFont>

namespace Trayvane {

class GradientText : public GradientFill
{
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(QString text READ text WRITE setText NOTIFY textChanged FINAL)
    Q_PROPERTY(QFont font READ font WRITE setFont NOTIFY fontChanged FINAL)
    // strokeWidth draws an outline with the fill, to make a single-weight
    // glyph look heavier; with `outlined` only that outline is drawn.
    Q_PROPERTY(bool outlined READ outlined WRITE setOutlined NOTIFY textChanged FINAL)
    // A second text set small into the bottom-trailing corner of the first,
    // with a gap cut around it (a symbol's badge).
    Q_PROPERTY(QString badge READ badge WRITE setBadge NOTIFY textChanged FINAL)

public:
    explicit GradientText(QQuickItem *parent = nullptr);

    QString text() const { return m_text; }
    void setText(const QString &text);
    QFont font() const { return m_font; }
    void setFont(const QFont &font);
    bool outlined() const { return m_outlined; }
    void setOutlined(bool outlined);
    QString badge() const { return m_badge; }
    void setBadge(const QString &badge);

    void paint(QPainter *painter) override;

signals:
    void textChanged();
    void fontChanged();

private:
    void updateImplicitSize();

    QString m_text;
    QFont m_font;
    bool m_outlined = false;
    QString m_badge;
};

} // namespace Trayvane
