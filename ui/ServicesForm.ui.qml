import QtQuick 2.14
import QtQuick.Controls 2.14
import QtQuick.Controls.Material 2.14
import Kestro 1.0

// The service credentials, the two start buttons and the last status line.
Page {
    id: page
    property alias output: output
    property alias twitchHostInput: hostRow.input
    property alias twitchPortInput: portRow.input
    property alias twitchNickInput: nickRow.input
    property alias twitchTokenInput: tokenRow.input
    property alias twitchChannelInput: channelRow.input
    property alias twitchStartButton: twitchStartButton
    property alias goodgamePasswordInput: passwdRow.input
    property alias goodgameLoginInput: loginRow.input
    property alias goodgameChannelInput: channelRowGG.input
    property alias goodgameStartButton: goodgameStartButton
    property alias twitchHostRow: hostRow
    property alias twitchPortRow: portRow
    property alias twitchNickRow: nickRow
    property alias twitchTokenRow: tokenRow
    property alias twitchChannelRow: channelRow
    property alias goodgameLoginRow: loginRow
    property alias goodgamePasswordRow: passwdRow
    property alias goodgameChannelRow: channelRowGG

    GroupBox {
        id: twitchGroup
        title: qsTr("Twitch")
        anchors.top: parent.top
        anchors.left: parent.left
        anchors.right: parent.right
        height: 225
    }
    GroupBox {
        id: goodgameGroup
        title: qsTr("GoodGame")
        anchors.top: parent.top
        anchors.topMargin: 230
        anchors.left: parent.left
        anchors.right: parent.right
        height: 165
    }
    GroupBox {
        id: outputGroup
        title: qsTr("Отладка")
        anchors.left: parent.left
        anchors.right: parent.right
        anchors.bottom: parent.bottom
        height: 120
        padding: 0
        Rectangle {
            id: outputBG
            color: "#222222"
            anchors.left: parent.left
            anchors.right: parent.right
            anchors.bottom: parent.bottom
            anchors.margins: 1
            height: outputGroup.height - 25
            Text {
                id: output
                objectName: "output"
                textFormat: Text.PlainText
                wrapMode: Text.Wrap
                clip: true
                color: "#ababab"
                font.pixelSize: 12
                anchors.left: parent.left
                anchors.right: parent.right
                anchors.bottom: parent.bottom
                anchors.margins: 1
                height: outputBG.height
                text: MainWindow.output
            }
        }
    }

    // Each service's fields, one row every 30 px, and its start button below them.
    Column {
        id: twitchRows
        y: 40
        spacing: 10

        InputRow {
            id: hostRow
            inputName: "twitchHostInput"
            label.text: qsTr("Имя сервера:")
            input.text: Utils.form.twitchHost
            input.cursorVisible: false
            next: portRow.input
            previous: channelRow.input
            button: twitchStartButton
        }
        InputRow {
            id: portRow
            inputName: "twitchPortInput"
            label.text: qsTr("Порт сервера:")
            input.text: Utils.form.twitchPort
            input.cursorVisible: false
            next: nickRow.input
            previous: hostRow.input
            button: twitchStartButton
        }
        InputRow {
            id: nickRow
            inputName: "twitchNickInput"
            label.text: qsTr("Ник бота:")
            input.text: Utils.form.twitchNick
            input.cursorVisible: false
            next: tokenRow.input
            previous: portRow.input
            button: twitchStartButton
        }
        InputRow {
            id: tokenRow
            inputName: "twitchTokenInput"
            label.text: qsTr("OAuth2 токен:")
            input.text: Utils.form.twitchToken
            input.echoMode: TextInput.Password
            input.cursorVisible: false
            next: channelRow.input
            previous: nickRow.input
            button: twitchStartButton
        }
        InputRow {
            id: channelRow
            inputName: "twitchChannelInput"
            label.text: qsTr("Канал:")
            label.textFormat: Text.AutoText
            input.text: Utils.form.twitchChannel
            next: hostRow.input
            previous: tokenRow.input
            button: twitchStartButton
        }
        StartButton {
            id: twitchStartButton
            objectName: "twitchStartButton"
            running: MainWindow.services.twitch.running
        }
    }
    Column {
        id: goodgameRows
        y: 270
        spacing: 10

        InputRow {
            id: loginRow
            inputName: "goodgameLoginInput"
            label.text: qsTr("Логин:")
            label.textFormat: Text.AutoText
            input.text: Utils.form.goodgameLogin
            next: passwdRow.input
            previous: channelRowGG.input
            button: goodgameStartButton
        }
        InputRow {
            id: passwdRow
            inputName: "goodgamePasswordInput"
            label.text: qsTr("Пароль:")
            label.textFormat: Text.AutoText
            input.text: Utils.form.goodgamePassword
            input.echoMode: TextInput.Password
            next: channelRowGG.input
            previous: loginRow.input
            button: goodgameStartButton
        }
        InputRow {
            id: channelRowGG
            inputName: "goodgameChannelInput"
            label.text: qsTr("Канал:")
            label.textFormat: Text.AutoText
            input.text: Utils.form.goodgameChannel
            next: loginRow.input
            previous: passwdRow.input
            button: goodgameStartButton
        }
        StartButton {
            id: goodgameStartButton
            objectName: "goodgameStartButton"
            running: MainWindow.services.goodgame.running
        }
    }

    ConnectionMark {
        objectName: "twitchMark"
        x: 80
        y: 2
        link: MainWindow.services.twitch.link
    }
    ConnectionMark {
        objectName: "goodgameMark"
        x: 110
        y: 232
        link: MainWindow.services.goodgame.link
    }
}
