#include "processstats.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <unistd.h>

namespace {
// The fields of /proc/PID/stat after the command name, which may hold spaces.
QList<QByteArray> statFields(qint64 pid) {
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return {};
    const QByteArray text = stat.readAll();
    return text.mid(text.lastIndexOf(')') + 2).split(' ');
}

QHash<qint64, qint64> parents() {
    QHash<qint64, qint64> result;
    for (const QString &entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        bool number = false;
        const qint64 pid = entry.toLongLong(&number);
        const QList<QByteArray> fields = number ? statFields(pid) : QList<QByteArray>();
        if (fields.size() > 1)
            result.insert(pid, fields.at(1).toLongLong());
    }
    return result;
}

double cpuSecondsOf(qint64 pid) {
    // utime and stime are the 14th and 15th fields of the whole line.
    const QList<QByteArray> fields = statFields(pid);
    if (fields.size() < 13)
        return 0;
    return double(fields.at(11).toLongLong() + fields.at(12).toLongLong()) /
           sysconf(_SC_CLK_TCK);
}

// A web engine process by its --type switch; any other by its command's name.
QByteArray commandRole(qint64 pid) {
    QFile file(QStringLiteral("/proc/%1/cmdline").arg(pid));
    const QList<QByteArray> words =
        file.open(QIODevice::ReadOnly) ? file.readAll().split('\0') : QList<QByteArray>();
    for (const QByteArray &word : words) {
        if (word.startsWith("--type="))
            return word.mid(7);
    }
    return words.isEmpty() ? QByteArray("gone") : words.first().split('/').last();
}

// The zygote's children are the pages' renderers: they keep its command line.
QByteArray role(qint64 pid) {
    const QByteArray own = commandRole(pid);
    const qint64 parent = statFields(pid).value(1).toLongLong();
    return own == "zygote" && commandRole(parent) == "zygote" ? QByteArray("renderer") : own;
}
} // namespace

QSet<qint64> processFamily(qint64 root) {
    const QHash<qint64, qint64> parentOf = parents();
    QSet<qint64> family{root};
    for (bool grew = true; grew;) {
        grew = false;
        for (auto it = parentOf.begin(); it != parentOf.end(); ++it) {
            if (!family.contains(it.key()) && family.contains(it.value())) {
                family.insert(it.key());
                grew = true;
            }
        }
    }
    return family;
}

qint64 residentBytes(const QSet<qint64> &processes) {
    qint64 total = 0;
    for (const qint64 pid : processes) {
        QFile statm(QStringLiteral("/proc/%1/statm").arg(pid));
        if (!statm.open(QIODevice::ReadOnly))
            continue;
        const QList<QByteArray> fields = statm.readAll().split(' ');
        if (fields.size() > 1)
            total += fields.at(1).toLongLong() * sysconf(_SC_PAGESIZE);
    }
    return total;
}

double cpuSeconds(const QSet<qint64> &processes) {
    double total = 0;
    for (const qint64 pid : processes)
        total += cpuSecondsOf(pid);
    return total;
}

QHash<QByteArray, double> cpuSecondsByRole(qint64 root, const QSet<qint64> &processes) {
    QHash<QByteArray, double> result;
    for (const qint64 pid : processes)
        result[pid == root ? QByteArray("program") : role(pid)] += cpuSecondsOf(pid);
    return result;
}
