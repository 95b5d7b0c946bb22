#pragma once

#include <QAbstractListModel>
#include <QString>
#include <QVector>

// One row of a queue in view: what waits to be played, or the one playing.
struct QueueRow {
    qint64 key = 0;
    QString text; // plain text: shown, never read as markup
    bool playing = false;
};

// A queue's rows for the view, changed one row at a time: a long queue (a gift bomb, a raid
// train) costs the view one new row per new record, not the whole list again.
class QueueRows : public QAbstractListModel {
    Q_OBJECT
    Q_PROPERTY(int count READ count NOTIFY countChanged)
    // The first row is the one playing.
    Q_PROPERTY(bool playing READ playing NOTIFY playingChanged)
public:
    enum Role { KeyRole = Qt::UserRole + 1, TextRole, PlayingRole };

    int rowCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

    int count() const { return m_rows.size(); }
    bool playing() const { return !m_rows.isEmpty() && m_rows.first().playing; }
    const QVector<QueueRow> &rows() const { return m_rows; }

    void append(const QueueRow &row) { insert(m_rows.size(), row); }
    void prepend(const QueueRow &row) { insert(0, row); }
    void remove(qint64 key);
    // Every row from `rows` on goes.
    void truncate(int rows);
    void setPlaying(qint64 key);

signals:
    void countChanged();
    void playingChanged();

private:
    void insert(int at, const QueueRow &row);
    int indexOf(qint64 key) const;
    // Says the new count, and the first row's mark when it changed.
    void changed(bool wasPlaying);

    QVector<QueueRow> m_rows;
};
