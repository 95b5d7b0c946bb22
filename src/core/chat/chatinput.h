#pragma once

#include <QObject>

// The state of the chat tab's input line, mirrored by the view.
class ChatInput : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString text READ text WRITE setText NOTIFY textChanged)
public:
    using QObject::QObject;

    QString text() const { return m_text; }
    void setText(const QString &text) {
        if (text == m_text)
            return;
        m_text = text;
        emit textChanged();
    }

signals:
    void textChanged();

private:
    QString m_text;
};
