#pragma once

#include <QList>
#include <QObject>
#include <QString>

// One output of the machine, as its sound server names it.
struct SoundOutput {
    QString name;        // stable across restarts: what the settings keep
    QString description; // what the streamer reads
};

// The machine's outputs, kept current as devices come and go.
class SoundOutputs : public QObject {
    Q_OBJECT
public:
    enum class Server {
        Asking,  // not answered yet: nothing is known
        Running, // the list is the server's
        Missing, // no sound server answers: the system plays as it chooses
    };

    using QObject::QObject;

    virtual Server server() const = 0;
    virtual QList<SoundOutput> outputs() const = 0;

signals:
    // The list or the server's state changed.
    void changed();
};
