// An item's picture (a menu bar capture or an application icon), scaled to fit
// the item with its aspect ratio kept and centred.
#pragma once

#include <QImage>
#include <QQuickPaintedItem>
#include <QtQml/qqmlregistration.h>

namespace Trayvane {

class ItemPicture : public QQuickPaintedItem
{
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(QImage image READ image WRITE setImage NOTIFY imageChanged FINAL)

public:
    explicit ItemPicture(QQuickItem *parent = nullptr);

    QImage image() const { return m_image; }
    void setImage(const QImage &image);

    /// The rectangle `source` takes when scaled to fit `bounds`, centred.
    static QRectF fittedRect(const QSizeF &source, const QRectF &bounds);

    void paint(QPainter *painter) override;

signals:
    void imageChanged();

private:
    QImage m_image;
};

} // namespace Trayvane
