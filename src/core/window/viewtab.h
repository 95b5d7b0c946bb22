#pragma once

#include <QObject>

class Alerts;
class Page;
class Utils;

// What the View tab's controls ask: chat colours, font and size, animation, bubbles and the
// player's debug log, each stored and shown in the chat page at once.
class ViewTab : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool bubbles READ bubbles NOTIFY switchesChanged)
    Q_PROPERTY(bool debug READ debug NOTIFY switchesChanged)
public:
    ViewTab(Utils &utils, Alerts &alerts, Page &chatView);

    bool bubbles() const { return m_bubbles; }
    bool debug() const;

    Q_INVOKABLE void chatFontSizeMoved(int value);
    // A colour dialog was accepted; components 0…1.
    Q_INVOKABLE void colorAccepted(const QString &dialog, qreal red, qreal green, qreal blue);
    Q_INVOKABLE void fontChosen(int index);
    Q_INVOKABLE void sizeChosen(int index);
    Q_INVOKABLE void animationChosen(int index);
    Q_INVOKABLE void bubbleReleased(bool on);
    Q_INVOKABLE void debugReleased(bool on);
    // An overlay control changed its settings field: stored at once.
    Q_INVOKABLE void storeOverlay();

signals:
    void switchesChanged();

private:
    void pageCall(const QString &method, const QString &data);
    void applyFontSize(int value);

    Utils &m_utils;
    Alerts &m_alerts;
    Page &m_chatView;
    bool m_bubbles = false;
};
