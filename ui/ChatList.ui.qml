import QtQuick 2.14
import QtQuick.Controls 2.14
import QtWebEngine 1.10
import Kestro 1.0

// The merged chat page, its font-size slider and the line for writing to a chat, or to all.
Page {
    property alias chatView: chatView
    property alias chatFontSize: chatFontSize
    property alias chatInput: chatInput
    property alias sendMessage: sendMessage
    property alias sendTarget: sendTarget

    WebEngineView {
        id: chatView
        objectName: "chatView"
        userScripts: WebEngineScript {
            injectionPoint: WebEngineScript.DocumentReady
            worldId: WebEngineScript.MainWorld
            sourceCode: MainWindow.pageLooks
        }
        url: "qrc:/web/chat.html"
        anchors.fill: parent
        anchors.bottomMargin: 42
    }
    Slider {
        id: chatFontSize
        objectName: "chatFontSize"
        from: 12
        to: 28
        stepSize: 1
        snapMode: Slider.SnapAlways
        value: Utils.form.chatFontSize
        height: 10
        padding: 0
        leftInset: 0
        rightInset: 0
        anchors.left: parent.left
        anchors.right: parent.right
        anchors.bottom: parent.bottom
        anchors.bottomMargin: 28
    }
    Rectangle {
        id: chatBG
        height: 22
        color: "#777777"
        border.color: "#ffffff"
        anchors.left: parent.left
        anchors.bottom: parent.bottom
        anchors.right: parent.right
        anchors.rightMargin: 220
    }
    TextInput {
        id: chatInput
        objectName: "chatInput"
        color: "#ffffff"
        font.pixelSize: 16
        height: 20
        clip: true
        text: MainWindow.chatInput.text
        anchors.left: parent.left
        anchors.bottom: parent.bottom
        anchors.right: parent.right
        anchors.margins: 1
        anchors.rightMargin: 220
    }
    ComboBox {
        id: sendTarget
        objectName: "sendTarget"
        model: MainWindow.sendTargets
        textRole: "title"
        valueRole: "id"
        width: 125
        height: 22
        font.pixelSize: 12
        topInset: 0
        bottomInset: 0
        anchors.right: sendMessage.left
        anchors.rightMargin: 5
        anchors.bottom: parent.bottom
    }
    Button {
        id: sendMessage
        objectName: "sendMessage"
        text: qsTr("ОТПРАВИТЬ")
        width: 85
        height: 22
        font.pixelSize: 12
        padding: 0
        topInset: 0
        bottomInset: 0
        anchors.right: parent.right
        anchors.bottom: parent.bottom
    }
}
