import QtQuick 2.14
import QtQuick.Controls 2.14
import QtQuick.Dialogs 1.3
import Kestro 1.0

// The look of the chat: colours, font, size, highlight words, animation, bubbles, debug;
// and the overlay for OBS: its two addresses, the delay, the lines and network access.
Page {
    implicitHeight: 700
    property alias bgChatColor: bgChatColor
    property alias fgChatColor: fgChatColor
    property alias fontChatList: fontChatList
    property alias sizeChatList: sizeChatList
    property alias hlWords: hlWords
    property alias bgHLColor: bgHLColor
    property alias fgHLColor: fgHLColor
    property alias animationList: animationList
    property alias overlayChatCopy: overlayChatCopy
    property alias overlayAlertsCopy: overlayAlertsCopy
    property alias overlayPort: overlayPort
    property alias overlayDelay: overlayDelay
    property alias overlayLines: overlayLines
    property alias overlayFade: overlayFade
    property alias bgChatButton: bgChatChoice.button
    property alias fgChatButton: fgChatChoice.button
    property alias bgHLButton: bgHLChoice.button
    property alias fgHLButton: fgHLChoice.button
    property alias bubbleSwitch: bubbleRow.toggle
    property alias debugSwitch: debugRow.toggle
    property alias overlayLanSwitch: overlayLanRow.toggle
    property alias overlayNotesSwitch: overlayNotesRow.toggle

    ColorDialog {
        id: bgChatColor
        title: qsTr("Выберите цвет фона чата")
        color: Utils.form.bgChatColor
    }
    ColorDialog {
        id: fgChatColor
        title: qsTr("Выберите цвет текста чата")
        color: Utils.form.fgChatColor
    }
    ColorDialog {
        id: bgHLColor
        title: qsTr("Выберите цвет фона выделения")
        color: Utils.form.bgHLColor
    }
    ColorDialog {
        id: fgHLColor
        title: qsTr("Выберите цвет текста выделения")
        color: Utils.form.fgHLColor
    }

    Column {
        width: parent.width
        spacing: 10

        ViewGroup {
            title: qsTr("Чат")
            height: 115
            rowsX: 20
            rowsY: 40
            spacing: 10

            Row {
                spacing: 30
                ColorChoice {
                    id: bgChatChoice
                    text: qsTr("Цвет фона:")
                    labelWidth: 70
                    color: bgChatColor.color
                }
                ColorChoice {
                    id: fgChatChoice
                    text: qsTr("Цвет текста:")
                    labelWidth: 80
                    color: fgChatColor.color
                }
            }
            Row {
                spacing: 10
                ViewLabel { y: 5; width: 80; text: qsTr("Шрифт чата:") }
                ListBox {
                    id: fontChatList
                    objectName: "fontChatList"
                    width: 220; height: 30
                    model: Utils.fontList
                    currentIndex: Utils.form.fontIndex
                }
                ListBox {
                    id: sizeChatList
                    objectName: "sizeChatList"
                    width: 70; height: 30
                    model: Utils.sizeList
                    currentIndex: Utils.form.sizeIndex
                }
            }
        }

        ViewGroup {
            title: qsTr("Выделение по словам")
            height: 210
            rowsX: 10
            rowsY: 31

            Row {
                spacing: 10
                Rectangle {
                    width: 200; height: 170
                    color: "#202020"
                    border.color: "#aaaaaa"
                    ScrollView {
                        anchors.fill: parent
                        TextArea {
                            id: hlWords
                            objectName: "hlWords"
                            wrapMode: TextEdit.Wrap
                            padding: 2
                            font.pixelSize: 12
                            background: null
                            text: Utils.form.hlWords
                        }
                    }
                }
                Column {
                    y: 4
                    spacing: 10
                    ColorChoice {
                        id: bgHLChoice
                        text: qsTr("Цвет фона:")
                        labelWidth: 80
                        color: bgHLColor.color
                    }
                    ColorChoice {
                        id: fgHLChoice
                        text: qsTr("Цвет текста:")
                        labelWidth: 80
                        color: fgHLColor.color
                    }
                }
            }
        }

        ViewGroup {
            title: qsTr("Появление сообщений")
            height: 129
            rowsX: 20
            rowsY: 31
            spacing: 3

            Row {
                spacing: 15
                ViewLabel { y: 5; width: 60; text: qsTr("Анимация:") }
                ListBox {
                    id: animationList
                    objectName: "animationList"
                    width: 315; height: 30
                    model: Utils.animationList
                    translated: true
                    currentIndex: Utils.form.animationIndex
                }
            }
            SwitchRow {
                id: bubbleRow
                text: qsTr("Всплывашки (тест):")
                labelWidth: 129
                toggle.objectName: "bubbleSwitch"
                on: MainWindow.viewTab.bubbles
            }
            SwitchRow {
                id: debugRow
                text: qsTr("Отладка плеера:")
                labelWidth: 129
                toggle.objectName: "debugSwitch"
                on: MainWindow.viewTab.debug
            }
        }

        ViewGroup {
            title: qsTr("Оверлей для OBS")
            height: 210
            rowsX: 20
            rowsY: 34

            Row {
                height: 30
                spacing: 5
                ViewLabel { y: 4; width: 50; text: qsTr("Чат:") }
                Label {
                    objectName: "overlayChatUrl"
                    y: 4; width: 235
                    font.pixelSize: 12
                    elide: Text.ElideMiddle
                    text: StreamOverlay.chatUrl
                }
                SlotButton {
                    id: overlayChatCopy
                    objectName: "overlayChatCopy"
                    width: 95
                    text: qsTr("Копировать")
                }
            }
            Row {
                height: 26
                spacing: 5
                ViewLabel { y: 4; width: 50; text: qsTr("Алерты:") }
                Label {
                    objectName: "overlayAlertsUrl"
                    y: 4; width: 235
                    font.pixelSize: 12
                    elide: Text.ElideMiddle
                    text: StreamOverlay.alertsUrl
                }
                SlotButton {
                    id: overlayAlertsCopy
                    objectName: "overlayAlertsCopy"
                    width: 95
                    text: qsTr("Копировать")
                }
            }
            Row {
                height: 35
                spacing: 3
                ViewLabel { y: 10; width: 50; text: qsTr("Порт:") }
                Rectangle {
                    y: 7; width: 64; height: 20
                    color: "#777777"
                    border.color: "#ffffff"
                    TextInput {
                        id: overlayPort
                        objectName: "overlayPort"
                        x: 2; width: 60; height: 20
                        color: "#ffffff"
                        font.pixelSize: 13
                        clip: true
                        validator: IntValidator { bottom: 1; top: 65534 }
                        text: Utils.form.overlayPort
                    }
                }
                ViewLabel { y: 10; leftPadding: 20; width: 137; text: qsTr("Задержка, с:") }
                SpinBox {
                    id: overlayDelay
                    objectName: "overlayDelay"
                    width: 130; height: 34
                    font.pixelSize: 12
                    from: 0; to: 15
                    value: Utils.form.overlayDelay
                }
            }
            Row {
                height: 41
                spacing: 0
                ViewLabel { y: 10; width: 50; text: qsTr("Строк:") }
                SpinBox {
                    id: overlayLines
                    objectName: "overlayLines"
                    width: 130; height: 34
                    font.pixelSize: 12
                    from: 1; to: 200
                    value: Utils.form.overlayLines
                }
                ViewLabel { y: 10; leftPadding: 10; width: 80; text: qsTr("Гаснут, с:") }
                SpinBox {
                    id: overlayFade
                    objectName: "overlayFade"
                    width: 130; height: 34
                    font.pixelSize: 12
                    from: 0; to: 600
                    value: Utils.form.overlayFade
                }
            }
            SwitchRow {
                id: overlayLanRow
                text: qsTr("Доступ из локальной сети:")
                labelWidth: 167
                toggle.objectName: "overlayLanSwitch"
                on: Utils.form.overlayLan
            }
            SwitchRow {
                id: overlayNotesRow
                text: qsTr("Служебные строки на оверлее:")
                labelWidth: 167
                toggle.objectName: "overlayNotesSwitch"
                on: Utils.form.overlayNotes
            }
        }
    }
}
