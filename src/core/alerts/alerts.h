#pragma once

#include "chat/alertrecord.h"

#include <QList>
#include <QObject>

// The alert queue; playback is driven from here one record at a time.
class Alerts : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    QList<AlertRecord> &QUEUE() { return m_queue; }
    const QList<AlertRecord> &QUEUE() const { return m_queue; }

private:
    QList<AlertRecord> m_queue;
};
