#include "common/plural.h"
#include "fakes/chatrig.h"
#include "fakes/lineparts.h"
#include "fakes/samples.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QtTest>

Q_DECLARE_METATYPE(MessageParts)

namespace {
using Part = MessagePart;

// A name's index in the list, 0 when none is given; a name it lacks is a slip in the file.
int indexOf(const QJsonValue &value, const QStringList &names) {
    const int index = value.isUndefined() ? 0 : int(names.indexOf(value.toString()));
    if (index < 0)
        qFatal("chat-looks.json: no such name: %s", qPrintable(value.toString()));
    return index;
}

Author authorFrom(const QJsonObject &json) {
    Author author;
    author.service = json["service"].toString();
    author.login = json["login"].toString();
    author.name = json["name"].toString();
    for (const QJsonValue &id : json["ids"].toArray())
        author.messageIds << id.toString();
    author.icon = json["icon"].toString();
    author.tier = json["tier"].toString();
    author.premiumChannel = json["premium"].toString();
    return author;
}

// A part as the looks file writes it: only what differs from a plain text part.
Part partFrom(const QJsonObject &json) {
    Part part;
    part.kind = json.contains("kind")
                    ? Part::Kind(indexOf(json["kind"],
                                         {"none", "text", "badge", "emote", "reply", "source"}))
                    : Part::Kind::Text;
    part.text = json["text"].toString();
    part.url = json["url"].toString();
    if (json.contains("title"))
        part.title = json["title"].toString();
    part.name = json["name"].toString();
    part.tone = Part::Tone(
        indexOf(json["tone"], {"plain", "author", "rank", "muted", "mode-on", "mode-off"}));
    part.color = json["color"].toString();
    part.manner = Part::Manner(indexOf(json["manner"], {"said", "action", "note", "emphatic"}));
    const QStringList frames{"highlighted", "addressed", "first", "announcement"};
    for (const QJsonValue &frame : json["frames"].toArray())
        part.frames |= 1u << indexOf(frame, frames);
    part.frameColor = json["frameColor"].toString();
    part.emoteSource = json["source"].toString();
    part.overlay = Part::Overlay(indexOf(json["overlay"], {"none", "offset", "zero-width"}));
    if (json.contains("author"))
        part.author = authorFrom(json["author"].toObject());
    part.markup = json["markup"].toBool();
    part.words = json["words"].toBool();
    return part;
}
} // namespace

class TestChat : public QObject {
    Q_OBJECT
private slots:
    // Every look of a line is chosen here, from what the services tell of it; viewer and
    // service text is data: nothing in it may become an element or attribute. The streamer's
    // highlight word is "streamer".
    void render_data() {
        QTest::addColumn<MessageParts>("parts");
        QTest::addColumn<QString>("html");
        QTest::addColumn<QString>("text");
        for (const QJsonValue &row : QJsonDocument::fromJson(testData("chat-looks.json")).array()) {
            MessageParts parts;
            for (const QJsonValue &part : row["parts"].toArray())
                parts << partFrom(part.toObject());
            QTest::newRow(qPrintable(row["row"].toString()))
                << parts << row["html"].toString() << row["text"].toString();
        }
    }

    void render() {
        QFETCH(MessageParts, parts);
        QFETCH(QString, html);
        QFETCH(QString, text);
        ChatRig rig(QStringLiteral("{\"view\":{\"addressed\":{\"words\":[\"streamer\"]}}}"));
        const RenderedLine line = rig.chat.render(parts, RenderedLine::Kind::Chat);
        QCOMPARE(line.html, html);
        QCOMPARE(line.text, text);
        QCOMPARE(line.addressed, html.contains(QLatin1String("\"addressed")));
    }

    void plural_data() {
        QTest::addColumn<int>("number");
        QTest::addColumn<QString>("result");
        const QList<QPair<int, const char *>> cases{
            {0, "0 секунд"},      {1, "1 секунду"},     {2, "2 секунды"},
            {5, "5 секунд"},      {11, "11 секунд"},    {12, "12 секунд"},
            {14, "14 секунд"},    {21, "21 секунду"},   {22, "22 секунды"},
            {25, "25 секунд"},    {101, "101 секунду"}, {111, "111 секунд"},
            {112, "112 секунд"},  {213, "213 секунд"},  {1014, "1014 секунд"},
            {121, "121 секунду"}, {122, "122 секунды"}, {1001, "1001 секунду"},
            {10, "10 секунд"},    {-11, "-11 секунд"},  {3, "3 секунды"},
            {-1, "-1 секунду"}};
        for (const auto &[number, result] : cases)
            QTest::newRow(QByteArray::number(number)) << number << QString::fromUtf8(result);
    }

    void plural() {
        QFETCH(int, number);
        QFETCH(QString, result);
        QCOMPARE(::plural(number, "секунду", "секунды", "секунд"), result);
    }

    void showInAlerts_data() {
        QTest::addColumn<QString>("settings");
        QTest::addColumn<bool>("withService");
        QTest::addColumn<bool>("voice");
        QTest::addColumn<int>("queued");
        QTest::addColumn<QString>("speech");
        QTest::addColumn<bool>("badged");
        QTest::newRow("voice set") << "{\"alerts\":{\"voice\":\"random\"}}" << true << true << 1
                                   << "Vasya подписался на 2 месяца" << true;
        // The words come from the parts: without a badge no word is lost.
        QTest::newRow("no badge") << "{\"alerts\":{\"voice\":\"random\"}}" << true << true << 1
                                  << "Vasya подписался на 2 месяца" << false;
        QTest::newRow("voice setting empty") << "" << true << true << 1 << QString() << true;
        QTest::newRow("alert not to be spoken")
            << "{\"alerts\":{\"voice\":\"alena\"}}" << true << false << 1 << QString() << true;
        QTest::newRow("no service or type")
            << "{\"alerts\":{\"voice\":\"alena\"}}" << false << true << 0 << QString() << true;
    }

    void showInAlerts() {
        QFETCH(QString, settings);
        QFETCH(bool, withService);
        QFETCH(bool, voice);
        QFETCH(int, queued);
        QFETCH(QString, speech);
        QFETCH(bool, badged);
        ChatRig rig(settings);
        AlertMessage message;
        message.items = {MessagePart::textPart("Vasya", MessagePart::Tone::Author, "#f00"),
                         MessagePart::textPart(" подписался на  2 месяца")};
        if (badged)
            message.items.prepend(lineparts::badge("twitch"));
        if (withService) {
            message.service = "Twitch";
            message.type = "subscription";
        }
        message.level = 2;
        message.voice = voice;
        message.mail = QString();

        rig.chat.showInAlerts(message);

        QCOMPARE(rig.alertView.scripts.size(), 1);
        QCOMPARE(rig.chatView.scripts.size(), 1);
        QVERIFY(rig.chatView.scripts.first().endsWith("', true);"));
        QVERIFY(rig.alertView.scripts.first().endsWith("', false);"));
        const QByteArray line = QByteArray("[2024-05-01 12:00:00] ") + (badged ? "[Twitch] " : "") +
                                QByteArray("Vasya подписался на 2 месяца\n");
        QCOMPARE(rig.logBytes("event"), line);
        QCOMPARE(rig.logBytes("chat"), line);
        QCOMPARE(rig.alerts.QUEUE().size(), queued);
        if (!queued)
            return;
        const AlertRecord &record = rig.alerts.QUEUE().first();
        QCOMPARE(record.service, QStringLiteral("Twitch"));
        QCOMPARE(record.type, QStringLiteral("subscription"));
        QCOMPARE(record.level, std::optional<int>(2));
        QCOMPARE(record.text.has_value(), !speech.isNull());
        QCOMPARE(record.text.value_or(QString()), speech);
        QVERIFY(!record.speech.has_value());
        QVERIFY(record.mail.has_value() && record.mail->isNull());
    }

    void emptyAlertIsNotShown() {
        ChatRig rig;
        AlertMessage message;
        message.service = "Goodgame";
        message.type = "premium";
        rig.chat.showInAlerts(message);
        QVERIFY(rig.alertView.scripts.isEmpty() && rig.chatView.scripts.isEmpty());
        QVERIFY(rig.alerts.QUEUE().isEmpty());
        QCOMPARE(rig.logBytes("event"), QByteArray());
    }
};

QTEST_GUILESS_MAIN(TestChat)
#include "tst_chat.moc"
