#pragma once

#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QStringList>
#include <functional>

// Two seconds of the seeds mutated at random (runs cut out, noise put in, runs of the text
// copied elsewhere), each mutant handed to `feed`. Returns how many there were.
inline int feedMutants(const QStringList &seeds, const QString &noise, quint32 seed,
                       const std::function<void(const QString &)> &feed) {
    QRandomGenerator random(seed);
    QElapsedTimer timer;
    timer.start();
    int fed = 0;
    for (; timer.elapsed() < 2000; ++fed) {
        QString text = seeds.at(random.bounded(seeds.size()));
        for (int edits = random.bounded(8); edits > 0 && !text.isEmpty(); --edits) {
            const int at = random.bounded(text.size());
            const int kind = random.bounded(3);
            if (kind == 0)
                text.remove(at, random.bounded(1, 20));
            else if (kind == 1)
                text.insert(at, noise.at(random.bounded(noise.size())));
            else
                text.insert(at, text.mid(random.bounded(text.size()), random.bounded(30)));
        }
        feed(text);
    }
    return fed;
}
