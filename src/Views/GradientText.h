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
    // glyph look heavier.

public:
    explicit GradientText(QQuickItem *parent = nullptr);

    QString text() const { return m_text; }
    void setText(const QString &text);
    QFont font() const { return m_font; }
    void setFont(const QFont &font);

    void paint(QPainter *painter) override;

signals:
    void textChanged();
    void fontChanged();

private:
    void updateImplicitSize();

    QString m_text;
    QFont m_font;
};

} // namespace Trayvane
