#pragma once

#include <QObject>

class QQuickItem;
class QQuickWindow;

// The Material controls as they look on OpenGL, under Qt Quick's software scene graph too.
// That graph runs no shaders, so a layer drawn through an effect (Material's elevation
// shadow) shows nothing at all, and it draws Material's ripple at the window's corner and
// never clears it. Here the layers go (the shadow with them) and each ripple gives way to a
// plain highlight of its colour while the control is hovered, focused or pressed.
class SoftwareLook : public QObject {
    Q_OBJECT
public:
    // Looks after the window's controls once its scene graph turns out to be the software one.
    static void applyTo(QQuickWindow &window);

private:
    explicit SoftwareLook(QQuickWindow &window);
    void adopt(QQuickItem *item);
    void flattenLayerOf(QQuickItem *item);
    static void flatten(QObject *layer);
    Q_SLOT void flattenSender();
    void replaceRipple(QQuickItem *ripple);
};
