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
    property alias bubbleSwitch: bubbleSwitch
    property alias debugSwitch: debugSwitch
    property alias overlayChatCopy: overlayChatCopy
    property alias overlayAlertsCopy: overlayAlertsCopy
    property alias overlayPort: overlayPort
    property alias overlayDelay: overlayDelay
    property alias overlayLines: overlayLines
    property alias overlayFade: overlayFade
    property alias overlayLanSwitch: overlayLanSwitch
    property alias bgChatButton: bgChatButton
    property alias fgChatButton: fgChatButton
    property alias bgHLButton: bgHLButton
    property alias fgHLButton: fgHLButton

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

    GroupBox {
        id: chatGroup
        title: qsTr("Чат")
        anchors.left: parent.left
        anchors.right: parent.right
        height: 115
    }
    GroupBox {
        id: hlGroup
        title: qsTr("Выделение по словам")
        anchors.left: parent.left
        anchors.right: parent.right
        y: 125
        height: 210
    }
    GroupBox {
        id: appearanceGroup
        title: qsTr("Появление сообщений")
        anchors.left: parent.left
        anchors.right: parent.right
        y: 345
        height: 129
    }

    ViewLabel { id: bgChatLabel; x: 20; y: 40; width: 70; text: qsTr("Цвет фона:") }
    Swatch { id: bgChatBG; x: 100; y: 40; color: bgChatColor.color }
    SlotButton {
        id: bgChatButton
        x: 130; y: 40; width: 60
        text: qsTr("Выбор")
    }
    ViewLabel { id: fgChatLabel; x: 220; y: 40; width: 90; text: qsTr("Цвет текста:") }
    Swatch { id: fgChatBG; x: 310; y: 40; color: fgChatColor.color }
    SlotButton {
        id: fgChatButton
        x: 340; y: 40; width: 60
        text: qsTr("Выбор")
    }
    ViewLabel { id: fontChatLabel; x: 20; y: 75; width: 70; text: qsTr("Шрифт чата:") }
    ListBox {
        id: fontChatList
        objectName: "fontChatList"
        x: 110; y: 70; width: 220; height: 30
        model: Utils.fontList
        currentIndex: Utils.form.fontIndex
    }
    ListBox {
        id: sizeChatList
        objectName: "sizeChatList"
        x: 340; y: 70; width: 70; height: 30
        model: Utils.sizeList
        currentIndex: Utils.form.sizeIndex
    }

    Rectangle {
        id: hlTextBG
        x: 10; y: 156; width: 200; height: 170
        color: "#202020"
        border.color: "#aaaaaa"
    }
    ScrollView {
        x: 10; y: 156; width: 200; height: 170
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
    ViewLabel { id: bgHLLabel; x: 220; y: 160; width: 70; text: qsTr("Цвет фона:") }
    Swatch { id: bgHLBG; x: 310; y: 160; color: bgHLColor.color }
    SlotButton {
        id: bgHLButton
        x: 340; y: 160; width: 60
        text: qsTr("Выбор")
    }
    ViewLabel { id: fgHLLabel; x: 220; y: 190; width: 90; text: qsTr("Цвет текста:") }
    Swatch { id: fgHLBG; x: 310; y: 190; color: fgHLColor.color }
    SlotButton {
        id: fgHLButton
        x: 340; y: 190; width: 60
        text: qsTr("Выбор")
    }

    ViewLabel { id: animationLabel; x: 20; y: 381; width: 60; text: qsTr("Анимация:") }
    ListBox {
        id: animationList
        objectName: "animationList"
        x: 95; y: 376; width: 315; height: 30
        model: Utils.animationList
        translated: true
        currentIndex: Utils.form.animationIndex
    }
    ViewLabel { id: bubbleLabel; x: 20; y: 415; width: 129; text: qsTr("Всплывашки (тест):") }
    Switch {
        id: bubbleSwitch
        objectName: "bubbleSwitch"
        x: 152; y: 409
        font.pixelSize: 12
        checked: MainWindow.viewTab.bubbles
        text: MainWindow.viewTab.bubbles ? qsTr("ВКЛ") : qsTr("ВЫКЛ")
    }
    ViewLabel { id: debugLabel; x: 20; y: 445; width: 129; text: qsTr("Отладка плеера:") }
    Switch {
        id: debugSwitch
        objectName: "debugSwitch"
        x: 152; y: 439
        font.pixelSize: 12
        checked: MainWindow.viewTab.debug
        text: MainWindow.viewTab.debug ? qsTr("ВКЛ") : qsTr("ВЫКЛ")
    }

    GroupBox {
        id: overlayGroup
        title: qsTr("Оверлей для OBS")
        anchors.left: parent.left
        anchors.right: parent.right
        y: 484
        height: 210
    }
    ViewLabel { x: 20; y: 522; width: 50; text: qsTr("Чат:") }
    Label {
        objectName: "overlayChatUrl"
        x: 75; y: 522; width: 235
        font.pixelSize: 12
        elide: Text.ElideMiddle
        text: StreamOverlay.chatUrl
    }
    SlotButton {
        id: overlayChatCopy
        objectName: "overlayChatCopy"
        x: 315; y: 518; width: 95
        text: qsTr("Копировать")
    }
    ViewLabel { x: 20; y: 552; width: 50; text: qsTr("Алерты:") }
    Label {
        objectName: "overlayAlertsUrl"
        x: 75; y: 552; width: 235
        font.pixelSize: 12
        elide: Text.ElideMiddle
        text: StreamOverlay.alertsUrl
    }
    SlotButton {
        id: overlayAlertsCopy
        objectName: "overlayAlertsCopy"
        x: 315; y: 548; width: 95
        text: qsTr("Копировать")
    }
    ViewLabel { x: 20; y: 584; width: 50; text: qsTr("Порт:") }
    Rectangle {
        x: 73; y: 581; width: 64; height: 20
        color: "#777777"
        border.color: "#ffffff"
    }
    TextInput {
        id: overlayPort
        objectName: "overlayPort"
        x: 75; y: 581; width: 60; height: 20
        color: "#ffffff"
        font.pixelSize: 13
        clip: true
        validator: IntValidator { bottom: 1; top: 65534 }
        text: Utils.form.overlayPort
    }
    ViewLabel { x: 160; y: 584; width: 110; text: qsTr("Задержка, с:") }
    SpinBox {
        id: overlayDelay
        objectName: "overlayDelay"
        x: 280; y: 574; width: 130; height: 34
        font.pixelSize: 12
        from: 0; to: 15
        value: Utils.form.overlayDelay
    }
    ViewLabel { x: 20; y: 619; width: 50; text: qsTr("Строк:") }
    SpinBox {
        id: overlayLines
        objectName: "overlayLines"
        x: 70; y: 609; width: 130; height: 34
        font.pixelSize: 12
        from: 1; to: 200
        value: Utils.form.overlayLines
    }
    ViewLabel { x: 210; y: 619; width: 70; text: qsTr("Гаснут, с:") }
    SpinBox {
        id: overlayFade
        objectName: "overlayFade"
        x: 280; y: 609; width: 130; height: 34
        font.pixelSize: 12
        from: 0; to: 600
        value: Utils.form.overlayFade
    }
    ViewLabel { x: 20; y: 656; width: 170; text: qsTr("Доступ из локальной сети:") }
    Switch {
        id: overlayLanSwitch
        objectName: "overlayLanSwitch"
        x: 190; y: 650
        font.pixelSize: 12
        checked: Utils.form.overlayLan
        text: Utils.form.overlayLan ? qsTr("ВКЛ") : qsTr("ВЫКЛ")
    }
}
