#pragma once

#include <QtQml/qqmlregistration.h>
#include <QColor>
#include <QQuickPaintedItem>

// A rounded rectangle filled with a colour or a linear gradient and outlined with a vertical
// gradient: the shape behind glass cards, icon tiles and buttons. Qt Quick's Rectangle has neither
// diagonal fills nor gradient borders, and the software scene graph has no shaders, so this item
// paints with QPainter into a cached texture that is redrawn only when a property or the size
// changes. All properties share one change signal, so no binding of one of them may read
// another. Not final: QML derives from every type it creates.
class RoundedShape : public QQuickPaintedItem {
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(qreal radius READ radius WRITE setRadius NOTIFY appearanceChanged)
    Q_PROPERTY(QColor fillColor READ fillColor WRITE setFillColor NOTIFY appearanceChanged)
    // When valid, the fill runs from fillColor to fillColor2 along `diagonal`.
    Q_PROPERTY(QColor fillColor2 READ fillColor2 WRITE setFillColor2 NOTIFY appearanceChanged)
    // Top-leading to bottom-trailing when true (mirrored in right-to-left), top to bottom when
    // false.
    Q_PROPERTY(bool diagonal READ diagonal WRITE setDiagonal NOTIFY appearanceChanged)
    Q_PROPERTY(bool rightToLeft READ rightToLeft WRITE setRightToLeft NOTIFY appearanceChanged)
    Q_PROPERTY(QColor strokeTop READ strokeTop WRITE setStrokeTop NOTIFY appearanceChanged)
    Q_PROPERTY(QColor strokeBottom READ strokeBottom WRITE setStrokeBottom NOTIFY appearanceChanged)
    Q_PROPERTY(qreal strokeWidth READ strokeWidth WRITE setStrokeWidth NOTIFY appearanceChanged)

public:
    explicit RoundedShape(QQuickItem* parent = nullptr);

    qreal radius() const { return m_radius; }
    QColor fillColor() const { return m_fillColor; }
    QColor fillColor2() const { return m_fillColor2; }
    bool diagonal() const { return m_diagonal; }
    bool rightToLeft() const { return m_rightToLeft; }
    QColor strokeTop() const { return m_strokeTop; }
    QColor strokeBottom() const { return m_strokeBottom; }
    qreal strokeWidth() const { return m_strokeWidth; }

    void setRadius(qreal value);
    void setFillColor(const QColor& value);
    void setFillColor2(const QColor& value);
    void setDiagonal(bool value);
    void setRightToLeft(bool value);
    void setStrokeTop(const QColor& value);
    void setStrokeBottom(const QColor& value);
    void setStrokeWidth(qreal value);

    void paint(QPainter* painter) override;

Q_SIGNALS:
    void appearanceChanged();

private:
    template <typename T>
    void assign(T& member, const T& value);

    qreal m_radius = 0;
    QColor m_fillColor = Qt::transparent;
    QColor m_fillColor2;
    bool m_diagonal = true;
    bool m_rightToLeft = false;
    QColor m_strokeTop = Qt::transparent;
    QColor m_strokeBottom = Qt::transparent;
    qreal m_strokeWidth = 0;
};
