#include "queuerows.h"

int QueueRows::rowCount(const QModelIndex &parent) const {
    return parent.isValid() ? 0 : m_rows.size();
}

QVariant QueueRows::data(const QModelIndex &index, int role) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid))
        return {};
    const QueueRow &row = m_rows.at(index.row());
    switch (role) {
    case KeyRole:
        return row.key;
    case TextRole:
    case Qt::DisplayRole:
        return row.text;
    case PlayingRole:
        return row.playing;
    default:
        return {};
    }
}

QHash<int, QByteArray> QueueRows::roleNames() const {
    return {{KeyRole, "key"}, {TextRole, "text"}, {PlayingRole, "playing"}};
}

void QueueRows::insert(int at, const QueueRow &row) {
    const bool wasPlaying = playing();
    beginInsertRows({}, at, at);
    m_rows.insert(at, row);
    endInsertRows();
    changed(wasPlaying);
}

void QueueRows::remove(qint64 key) {
    const int at = indexOf(key);
    if (at < 0)
        return;
    const bool wasPlaying = playing();
    beginRemoveRows({}, at, at);
    m_rows.remove(at);
    endRemoveRows();
    changed(wasPlaying);
}

void QueueRows::truncate(int rows) {
    if (rows >= m_rows.size())
        return;
    const bool wasPlaying = playing();
    beginRemoveRows({}, rows, m_rows.size() - 1);
    m_rows.resize(rows);
    endRemoveRows();
    changed(wasPlaying);
}

void QueueRows::setPlaying(qint64 key) {
    const int at = indexOf(key);
    if (at < 0 || m_rows.at(at).playing)
        return;
    m_rows[at].playing = true;
    emit dataChanged(index(at), index(at), {PlayingRole});
    if (at == 0)
        emit playingChanged();
}

int QueueRows::indexOf(qint64 key) const {
    for (int at = 0; at < m_rows.size(); ++at) {
        if (m_rows.at(at).key == key)
            return at;
    }
    return -1;
}

void QueueRows::changed(bool wasPlaying) {
    emit countChanged();
    if (playing() != wasPlaying)
        emit playingChanged();
}
