import QtQuick 2.14
import QtQuick.Controls 2.14
import Kestro 1.0

// Chat read aloud: which lines, how, in which voice and how loud, and a skip of the line
// being read.
Item {
    id: group
    implicitHeight: rows.y + rows.implicitHeight + 10

    // The alerts' voice list, its first entry standing for the alerts' own voice.
    readonly property var voices: {
        var list = Utils.voiceList.slice()
        list[0] = {"text": "как у алертов", "name": "", "enabled": true}
        return list
    }
    readonly property var whoValues: ["all", "members", "moderators"]

    GroupBox {
        title: qsTr("Озвучка чата")
        anchors.fill: parent
    }
    Column {
        id: rows
        x: 10
        y: 28
        width: parent.width - 20
        spacing: 2

        SwitchRow {
            objectName: "chatSpeechRow"
            text: qsTr("Читать чат:")
            labelWidth: 130
            on: Utils.form.chatSpeechEnabled
            toggle.objectName: "chatSpeechSwitch"
            toggle.onReleased: Utils.form.chatSpeechEnabled = toggle.checked
        }
        Row {
            spacing: 3
            ViewLabel { y: 8; width: 130; text: qsTr("Кого:") }
            ComboBox {
                objectName: "chatSpeechWho"
                width: 260
                height: 30
                font.pixelSize: 12
                model: [qsTr("все"), qsTr("подписчики, VIP и модераторы"), qsTr("только модераторы")]
                currentIndex: Math.max(0, group.whoValues.indexOf(Utils.form.chatSpeechWho))
                onActivated: Utils.form.chatSpeechWho = group.whoValues[index]
            }
        }
        SwitchRow {
            text: qsTr("Читать ник:")
            labelWidth: 130
            on: Utils.form.chatSpeechNick
            toggle.onReleased: Utils.form.chatSpeechNick = toggle.checked
        }
        SwitchRow {
            text: qsTr("Пропускать !команды:")
            labelWidth: 130
            on: Utils.form.chatSpeechCommands
            toggle.onReleased: Utils.form.chatSpeechCommands = toggle.checked
        }
        Row {
            spacing: 3
            height: 26
            ViewLabel { y: 4; width: 130; text: qsTr("Не читать ники:") }
            Rectangle {
                width: 260
                height: 22
                color: "#777777"
                border.color: "#ffffff"
                TextInput {
                    objectName: "chatSpeechIgnored"
                    anchors.fill: parent
                    anchors.margins: 3
                    color: "#ffffff"
                    font.pixelSize: 12
                    clip: true
                    text: Utils.form.chatSpeechIgnored
                    onTextEdited: Utils.form.chatSpeechIgnored = text
                }
            }
        }
        Row {
            spacing: 3
            ViewLabel { y: 10; width: 80; text: qsTr("Длина:") }
            SpinBox {
                width: 130; height: 34
                font.pixelSize: 12
                from: 20; to: 2000; stepSize: 10
                editable: true
                value: Utils.form.chatSpeechLength
                onValueModified: Utils.form.chatSpeechLength = value
            }
            ViewLabel { y: 10; leftPadding: 10; width: 70; text: qsTr("Очередь:") }
            SpinBox {
                width: 110; height: 34
                font.pixelSize: 12
                from: 1; to: 50
                value: Utils.form.chatSpeechQueue
                onValueModified: Utils.form.chatSpeechQueue = value
            }
        }
        Row {
            spacing: 3
            ViewLabel { y: 8; width: 130; text: qsTr("Голос:") }
            ListBox {
                objectName: "chatSpeechVoice"
                width: 200
                height: 30
                editable: false
                model: group.voices
                translated: true
                currentIndex: Utils.form.chatSpeechVoiceIndex
                onActivated: Utils.form.chatSpeechVoiceIndex = index
            }
        }
        Row {
            spacing: 3
            ViewLabel { y: 12; width: 130; text: qsTr("Громкость:") }
            Slider {
                width: 150
                from: 0; to: 1
                value: Utils.form.chatSpeechVolume
                onMoved: Utils.form.chatSpeechVolume = value
            }
            Button {
                objectName: "chatSpeechSkip"
                width: 110
                height: 30
                font.pixelSize: 12
                enabled: ChatSpeech.speaking
                text: qsTr("Пропустить")
                onClicked: ChatSpeech.skip()
            }
        }
        Row {
            spacing: 3
            ViewLabel { y: 8; width: 130; text: qsTr("Вывод чтения чата:") }
            OutputChoice {
                objectName: "chatSpeechOutput"
                setting: "chatSpeechOutput"
            }
        }
        WaitingList {
            width: parent.width
            namePrefix: "chatSpeechQueue"
            model: ChatSpeech.waitingRows
            onTakeOut: ChatSpeech.takeOut(key)
        }
    }
}
