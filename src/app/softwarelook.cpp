#include "softwarelook.h"

#include <QPainter>
#include <QQmlComponent>
#include <QQuickPaintedItem>
#include <QQuickWindow>
#include <QSGRendererInterface>
#include <cmath>

namespace {
const char kAdopted[] = "_kestroSoftwareLook";

bool isSoftware(const QQuickWindow &window) {
    const QSGRendererInterface *renderer = window.rendererInterface();
    return renderer && renderer->graphicsApi() == QSGRendererInterface::Software;
}

QQuickItem *itemAt(const QObject *owner, const char *property) {
    return owner ? owner->property(property).value<QQuickItem *>() : nullptr;
}

// The steady state of a ripple as OpenGL shows it: its colour over the control while the
// ripple is active or pressed; a circle where the ripple is unclipped (a switch's handle, a
// slider's), the control's shape otherwise. The waves of a press are left out. The ripple's
// own properties say nothing when they change, so the control's states are followed.
class RippleHighlight : public QQuickPaintedItem {
public:
    explicit RippleHighlight(QQuickItem *ripple)
        : QQuickPaintedItem(ripple)
        , m_ripple(ripple) {
        QObject *control = controlOf(ripple);
        follow(control, {"hovered", "pressed", "down", "visualFocus", "checked", "enabled"});
        // A spin box's ripples follow its two buttons.
        for (const char *button : {"up", "down"}) {
            if (auto *part = control ? control->property(button).value<QObject *>() : nullptr)
                follow(part, {"hovered", "pressed"});
        }
        connect(ripple, &QQuickItem::widthChanged, this, &RippleHighlight::fit);
        connect(ripple, &QQuickItem::heightChanged, this, &RippleHighlight::fit);
        fit();
    }

    void paint(QPainter *painter) override {
        if (!shown())
            return;
        painter->setRenderHint(QPainter::Antialiasing);
        painter->setPen(Qt::NoPen);
        painter->setBrush(m_ripple->property("color").value<QColor>());
        const qreal radius = m_ripple->property("clipRadius").toReal();
        if (round())
            painter->drawEllipse(boundingRect());
        else
            painter->drawRoundedRect(boundingRect(), radius, radius);
    }

private:
    bool shown() const {
        return m_ripple->property("active").toBool() || m_ripple->property("pressed").toBool();
    }
    // The ripple's anchor, or else the control it is drawn in.
    static QObject *controlOf(QQuickItem *ripple) {
        if (auto *anchor = ripple->property("anchor").value<QQuickItem *>())
            return anchor;
        QQuickItem *item = ripple->parentItem();
        while (item && !item->inherits("QQuickControl"))
            item = item->parentItem();
        return item;
    }
    void follow(QObject *source, std::initializer_list<const char *> names) {
        if (!source)
            return;
        const QMetaObject *meta = source->metaObject();
        for (const char *name : names) {
            const int index = meta->indexOfProperty(name);
            if (index >= 0 && meta->property(index).hasNotifySignal())
                QMetaObject::connect(source, meta->property(index).notifySignalIndex(), this,
                                     metaObject()->indexOfSlot("update()"));
        }
    }
    bool round() const {
        return !m_ripple->clip() && m_ripple->property("clipRadius").toReal() <= 0;
    }
    // A round ripple's circle reaches the corners of its square.
    void fit() {
        const QSizeF size = m_ripple->size();
        const qreal side = round() ? std::hypot(size.width(), size.height()) : 0;
        setPosition(round() ? QPointF(size.width() - side, size.height() - side) / 2 : QPointF());
        setSize(round() ? QSizeF(side, side) : size);
    }

    QQuickItem *m_ripple;
};
} // namespace

void SoftwareLook::applyTo(QQuickWindow &window) {
    const auto check = [&window] {
        if (isSoftware(window) && !window.findChild<SoftwareLook *>())
            new SoftwareLook(window);
    };
    if (window.isSceneGraphInitialized())
        return check();
    connect(&window, &QQuickWindow::sceneGraphInitialized, &window, check, Qt::QueuedConnection);
    // Software's context exists with the window: the first frame need not wait for it.
    check();
}

SoftwareLook::SoftwareLook(QQuickWindow &window)
    : QObject(&window) {
    adopt(window.contentItem());
}

// Every item once, and what is added later (a popup's list, a repeater's rows) when it comes.
void SoftwareLook::adopt(QQuickItem *item) {
    if (!item || item->property(kAdopted).toBool())
        return;
    item->setProperty(kAdopted, true);
    connect(item, &QQuickItem::childrenChanged, this, [this, item] {
        for (QQuickItem *child : item->childItems())
            adopt(child);
    });
    if (item->inherits("QQuickControl")) {
        flattenLayerOf(itemAt(item, "background"));
        flattenLayerOf(itemAt(itemAt(item, "indicator"), "handle"));
    }
    if (qstrcmp(item->metaObject()->className(), "QQuickMaterialRipple") == 0)
        replaceRipple(item);
    for (QQuickItem *child : item->childItems())
        adopt(child);
}

// A layer with an effect draws nothing here: the item is drawn plain, and stays so when the
// style's binding turns the layer on again (a button enabled, a colour chosen).
void SoftwareLook::flattenLayerOf(QQuickItem *item) {
    QObject *layer = item ? item->property("layer").value<QObject *>() : nullptr;
    if (!layer || !layer->property("effect").value<QQmlComponent *>())
        return;
    const QMetaProperty enabled =
        layer->metaObject()->property(layer->metaObject()->indexOfProperty("enabled"));
    QMetaObject::connect(layer, enabled.notifySignalIndex(), this,
                         metaObject()->indexOfSlot("flattenSender()"));
    flatten(layer);
}

void SoftwareLook::flattenSender() {
    flatten(sender());
}

void SoftwareLook::flatten(QObject *layer) {
    if (layer->property("enabled").toBool())
        layer->setProperty("enabled", false);
}

void SoftwareLook::replaceRipple(QQuickItem *ripple) {
    ripple->setFlag(QQuickItem::ItemHasContents, false);
    new RippleHighlight(ripple);
}
