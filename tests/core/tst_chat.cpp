#include "alerts/alerts.h"
#include "chat/chat.h"
#include "common/plural.h"
#include "fakes/chatrig.h"
#include "fakes/recordingpage.h"

#include <QtTest>

Q_DECLARE_METATYPE(MessageParts)

namespace {
MessagePart badge(const QString &title) {
    return MessagePart::image(QStringLiteral("qrc:/images/Twitch.badge.png"),
                              {QStringLiteral("badge")}, title);
}

MessagePart classed(const QString &text, const QStringList &classes) {
    MessagePart part = MessagePart::textPart(text);
    part.classes = classes;
    return part;
}

MessagePart nick(const QString &name, const QString &msgId, const QString &premium = {}) {
    MessagePart part = MessagePart::textPart(name, QStringLiteral("#30d5c8"));
    part.msg_id = msgId;
    part.premium = premium;
    return part;
}

MessagePart titled(const QString &text, const QString &title) {
    MessagePart part = MessagePart::textPart(text);
    part.title = title;
    return part;
}

const QString kTwitchBadge =
    QStringLiteral("<img src=\"qrc:/images/Twitch.badge.png\" class=\"badge\" title=\"%1\"> ");
} // namespace

class TestChat : public QObject {
    Q_OBJECT
private slots:
    void workedExample() {
        MessagePart smile =
            MessagePart::image(QStringLiteral("https://static.goodgame.ru/smile.png"),
                               {"emote", "goodgame"}, "GoodGame: smile", ":smile:");
        MessagePart vasya = nick("Vasya", "goodgame-7");
        vasya.classes = QStringList{"user_nick", "with-icon", "icon-crown"};
        const MessageParts line{
            MessagePart::image("qrc:/images/Goodgame.badge.png", {"badge"}, "GoodGame"), vasya,
            MessagePart::textPart(": "), classed("hi ", {}), smile};

        const BuiltMessage built = Chat::buildHTML(line);
        QCOMPARE(built.html,
                 QStringLiteral("<img src=\"qrc:/images/Goodgame.badge.png\" class=\"badge\" "
                                "title=\"GoodGame\"> <span class=\"nick goodgame-7\"><span "
                                "class=\"user_nick with-icon icon-crown\" style=\"color:#30d5c8;\" "
                                "title=\"Ник: Vasya\">Vasya</span><span>: </span><span>hi "
                                "</span><img src=\"https://static.goodgame.ru/smile.png\" "
                                "class=\"emote goodgame\" title=\"GoodGame: smile\"></span>"));
        QCOMPARE(built.text, QStringLiteral("[GoodGame] Vasya: hi :smile:"));
        // The caller's parts keep their classes.
        QCOMPARE(line.at(1).classes.size(), 3);
    }

    void buildHTML_data() {
        QTest::addColumn<MessageParts>("parts");
        QTest::addColumn<QString>("html");
        QTest::addColumn<QString>("text");

        QTest::newRow("tooltips after badges")
            << MessageParts{badge("moderator"), badge("subscriber"), MessagePart::textPart("Nick"),
                            MessagePart::textPart(": hi"), titled(" x", "own")}
            << kTwitchBadge.arg("moderator") + kTwitchBadge.arg("subscriber") +
                   "<span title=\"Ник: Nick\">Nick</span><span>: hi</span><span title=\"own\"> "
                   "x</span>"
            << "[Moderator] Nick: hi x";
        QTest::newRow("text only has no tooltips or label")
            << MessageParts{titled("a", "ignored"), MessagePart::textPart(" b")}
            << "<span>a</span><span> b</span>"
            << "a b";
        QTest::newRow("highlighted then class then bare")
            << MessageParts{classed("one", {"highlighted"}), classed("two", {"x"}),
                            classed("three", {})}
            << "<div class=\"highlighted\"><span>one</span></div><span "
               "class=\"x\">two</span><span>three</span>"
            << "onetwothree";
        QTest::newRow("addressed closes before premium and nick")
            << MessageParts{nick("N", "twitch-1", "42"), classed("hey", {"addressed", "y"})}
            << "<span class=\"nick twitch-1\"><span class=\"premium-icon-42\"><span "
               "style=\"color:#30d5c8;\">N</span>"
               "<div class=\"addressed\"><span class=\"y\">hey</span></div></span></span>"
            << "Nhey";
        QTest::newRow("styles") << MessageParts{MessagePart::textPart("i", "#888", "italic"),
                                                MessagePart::textPart("b", "", "bold")}
                                << "<span style=\"color:#888;font-style:italic;\">i</span><span "
                                   "style=\"font-weight:bold;\">b</span>"
                                << "ib";
        QTest::newRow("plain text trimmed and collapsed")
            << MessageParts{MessagePart::textPart("  a   b  "), MessagePart::textPart(" c ")}
            << "<span>  a   b  </span><span> c </span>"
            << "a b c";
        QTest::newRow("other part types skipped")
            << MessageParts{MessagePart{}, classed("x", {})} << "<span>x</span>"
            << "x";
        QTest::newRow("empty line") << MessageParts{} << ""
                                    << "";
        QTest::newRow("only unknown parts") << MessageParts{MessagePart{}} << ""
                                            << "";

        // Viewer and service text is data: nothing in it may become an element or attribute.
        MessagePart hostileImage = MessagePart::image("https://x/\"onerror=\"alert(1)",
                                                      {"emote", "a\"b"}, "t\"><script>", "<b>");
        QTest::newRow("hostile image")
            << MessageParts{hostileImage}
            << "<img src=\"https://x/&quot;onerror=&quot;alert(1)\" class=\"emote a&quot;b\" "
               "title=\"t&quot;&gt;&lt;script&gt;\">"
            << "<b>";
        QTest::newRow("hostile nick and text")
            << MessageParts{badge("vip"), nick("<img src=x onerror=alert(1)>", "twitch-\"><i>"),
                            MessagePart::textPart("<img src=\"http://evil/\"> &laquo;'ok'&raquo;")}
            << kTwitchBadge.arg("vip") +
                   "<span class=\"nick twitch-&quot;&gt;&lt;i&gt;\"><span style=\"color:#30d5c8;\" "
                   "title=\"Ник: &lt;img src=x onerror=alert(1)&gt;\">&lt;img src=x "
                   "onerror=alert(1)&gt;</span>"
                   "<span>&lt;img src=\"http://evil/\"&gt; &amp;laquo;'ok'&amp;raquo;</span></span>"
            << "[Vip] <img src=x onerror=alert(1)><img src=\"http://evil/\"> &laquo;'ok'&raquo;";
        QTest::newRow("typed entities are shown as typed")
            << MessageParts{MessagePart::textPart("&lt;b&gt; &amp; &")}
            << "<span>&amp;lt;b&amp;gt; &amp;amp; &amp;</span>"
            << "&lt;b&gt; &amp; &";
        MessagePart own = MessagePart::textPart("- канал &laquo;a&amp;b&raquo; <i>");
        own.markup = true;
        QTest::newRow("own text keeps its entities")
            << MessageParts{own} << "<span>- канал &laquo;a&amp;b&raquo; &lt;i&gt;</span>"
            << "- канал &laquo;a&amp;b&raquo; <i>";
        QTest::newRow("hostile colour cannot add declarations")
            << MessageParts{MessagePart::textPart("x", "red;background:url(https://evil/)",
                                                  "bold\"")}
            << "<span style=\"color:redbackgroundurl(httpsevil);font-weight:bold;\">x</span>"
            << "x";
    }

    void buildHTML() {
        QFETCH(MessageParts, parts);
        QFETCH(QString, html);
        QFETCH(QString, text);
        const BuiltMessage built = Chat::buildHTML(parts);
        QCOMPARE(built.html, html);
        QCOMPARE(built.text, text);
    }

    void plural_data() {
        QTest::addColumn<int>("number");
        QTest::addColumn<QString>("result");
        const QList<QPair<int, const char *>> cases{
            {0, "0 секунд"},    {1, "1 секунду"},  {2, "2 секунды"},     {5, "5 секунд"},
            {11, "11 секунд"},  {12, "12 секунд"}, {14, "14 секунд"},    {21, "21 секунду"},
            {22, "22 секунды"}, {25, "25 секунд"}, {101, "101 секунду"}, {111, "111 секунду"},
            {3, "3 секунды"},   {-1, "-1 секунду"}};
        for (const auto &[number, result] : cases)
            QTest::newRow(QByteArray::number(number)) << number << QString::fromUtf8(result);
    }

    void plural() {
        QFETCH(int, number);
        QFETCH(QString, result);
        QCOMPARE(::plural(number, "секунду", "секунды", "секунд"), result);
    }

    void pageCallEncoding_data() {
        QTest::addColumn<QString>("html");
        QTest::addColumn<bool>("frame");
        QTest::addColumn<QString>("script");
        QTest::newRow("apostrophes and number signs")
            << "<span>it's #1 'x'</span>" << false
            << "('undefined' !== typeof Kestro) && "
               "Kestro.addMessage('%3Cspan%3Eit#apostrophe#s%20%231%20#apostrophe#x#apostrophe#%3C%"
               "2Fspan%3E');";
        QTest::newRow("alert frame is not encoded")
            << "<b>é</b>" << true
            << "('undefined' !== typeof Kestro) && Kestro.addMessage('<div "
               "class=\"alert\">%3Cb%3E%C3%A9%3C%2Fb%3E</div>');";
        QTest::newRow("unencoded marks")
            << "-_.!~*()" << false
            << "('undefined' !== typeof Kestro) && Kestro.addMessage('-_.!~*()');";
    }

    void pageCallEncoding() {
        QFETCH(QString, html);
        QFETCH(bool, frame);
        QFETCH(QString, script);
        QCOMPARE(Chat::addMessageCall(html, frame), script);
    }

    void showInChatDelivers() {
        ChatRig rig;
        rig.chat.showInChat({MessagePart::textPart("a 'b'", "#888", "italic")});
        rig.chat.showInChat({});
        QCOMPARE(rig.chatView.scripts.size(), 1);
        QVERIFY(rig.chatView.scripts.first().contains("#apostrophe#b#apostrophe#"));
        QVERIFY(rig.alertView.scripts.isEmpty());
        QCOMPARE(rig.logBytes("chat"), QByteArray("[2024-05-01 12:00:00] a 'b'\n"));
        QVERIFY(rig.alerts.QUEUE().isEmpty());
    }

    void showInAlerts_data() {
        QTest::addColumn<QString>("settings");
        QTest::addColumn<bool>("withService");
        QTest::addColumn<bool>("voice");
        QTest::addColumn<int>("queued");
        QTest::addColumn<QString>("speech");
        QTest::newRow("voice set") << "{\"alerts\":{\"voice\":\"random\"}}" << true << true << 1
                                   << "Vasya подписался на 2 месяца";
        QTest::newRow("voice setting empty") << "" << true << true << 1 << QString();
        QTest::newRow("alert not to be spoken")
            << "{\"alerts\":{\"voice\":\"alena\"}}" << true << false << 1 << QString();
        QTest::newRow("no service or type")
            << "{\"alerts\":{\"voice\":\"alena\"}}" << false << true << 0 << QString();
    }

    void showInAlerts() {
        QFETCH(QString, settings);
        QFETCH(bool, withService);
        QFETCH(bool, voice);
        QFETCH(int, queued);
        QFETCH(QString, speech);
        ChatRig rig(settings);
        AlertMessage message;
        message.items = {badge("twitch"), MessagePart::textPart("Vasya", "#f00"),
                         MessagePart::textPart(" подписался на  2 месяца")};
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
        QVERIFY(rig.chatView.scripts.first().contains("addMessage('<div class=\"alert\">%3Cimg"));
        QVERIFY(!rig.alertView.scripts.first().contains("<div"));
        const QByteArray line("[2024-05-01 12:00:00] [Twitch] Vasya подписался на 2 месяца\n");
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
