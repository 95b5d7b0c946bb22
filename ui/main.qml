import QtQuick 2.14
import QtQuick.Controls 2.14
import QtQuick.Controls.Material 2.14
import QtQuick.Layouts 1.14
import Kestro 1.0

ApplicationWindow {
    id: window
    visible: true
    width: 440
    height: 600
    title: qsTr("Kestro")

    header: TabBar {
        id: tabs
        objectName: "tabs"
        font.pixelSize: 14

        TabButton {
            leftPadding: 4; rightPadding: 4
            text: qsTr("Сервисы")
        }
        TabButton {
            leftPadding: 4; rightPadding: 4
            text: qsTr("Чат")
            onClicked: MainWindow.initChat()
        }
        TabButton {
            leftPadding: 4; rightPadding: 4
            text: qsTr("События")
            onClicked: Utils.initEvents()
        }
        TabButton {
            leftPadding: 4; rightPadding: 4
            text: qsTr("Алерты")
            onClicked: Utils.initAlerts()
        }
        TabButton {
            leftPadding: 4; rightPadding: 4
            text: qsTr("Вид")
        }
    }

    Rectangle {
        id: playerControls
        objectName: "playerControls"
        width: parent.width
        height: 22
        clip: true
        color: Material.background

        Slider {
            id: alertVolume
            objectName: "alertVolume"
            from: 0
            to: 1
            stepSize: 0.05
            padding: 0
            leftInset: 0; rightInset: 0; topInset: 0; bottomInset: 0
            height: 22
            anchors.fill: parent
            anchors.leftMargin: 10
            anchors.rightMargin: 80
            value: Utils.form.alertVolume
            onMoved: Utils.form.alertVolume = value
        }
        Button {
            id: alertStop
            objectName: "alertStop"
            text: qsTr("СТОП")
            x: 370; y: 1; width: 60; height: 20
            padding: 0
            topInset: 0; bottomInset: 0
            font.pixelSize: 12
            onClicked: Alerts.stopPlayer()
        }
    }

    StackLayout {
        id: pages
        objectName: "pages"
        anchors.fill: parent
        anchors.margins: 10
        anchors.topMargin: 25
        currentIndex: tabs.currentIndex

        ServicesForm {
            id: servicesTab
            objectName: "servicesTab"
        }
        ChatList {
            id: chatTab
            objectName: "chatTab"
            chatFontSize.onMoved: MainWindow.viewTab.chatFontSizeMoved(chatFontSize.value)
            chatInput.onAccepted: sendMessage.clicked()
            sendMessage.onClicked: MainWindow.sendMessage()
            sendTarget.onActivated: MainWindow.sendTarget = chatTab.sendTarget.currentValue
            chatView.onContextMenuRequested: request.accepted = true
        }
        EventAlerts {
            id: eventsTab
            objectName: "eventsTab"
        }
        AlertsForm {
            id: alertsTab
            objectName: "alertsTab"
            soundFileDialog.onAccepted: MainWindow.alertsTab.soundFileChosen(soundFileDialog.fileUrl.toString())
            voiceList.onActivated: MainWindow.alertsTab.voiceChosen(index)
        }
        // The View tab is taller than the window: it scrolls.
        ScrollView {
            id: viewScroll
            objectName: "viewTab"
            contentWidth: availableWidth
            contentHeight: viewTab.implicitHeight
            clip: true

            ViewForm {
                id: viewTab
                objectName: "viewForm"
                width: viewScroll.availableWidth
                bgChatButton.onClicked: bgChatColor.open()
                fgChatButton.onClicked: fgChatColor.open()
                bgHLButton.onClicked: bgHLColor.open()
                fgHLButton.onClicked: fgHLColor.open()
                hlWords.onTextChanged: Utils.form.hlWords = hlWords.text
                bgChatColor.onAccepted: MainWindow.viewTab.colorAccepted("bgChatColor", bgChatColor.color.r,
                                                                 bgChatColor.color.g, bgChatColor.color.b)
                fgChatColor.onAccepted: MainWindow.viewTab.colorAccepted("fgChatColor", fgChatColor.color.r,
                                                                 fgChatColor.color.g, fgChatColor.color.b)
                bgHLColor.onAccepted: MainWindow.viewTab.colorAccepted("bgHLColor", bgHLColor.color.r,
                                                               bgHLColor.color.g, bgHLColor.color.b)
                fgHLColor.onAccepted: MainWindow.viewTab.colorAccepted("fgHLColor", fgHLColor.color.r,
                                                               fgHLColor.color.g, fgHLColor.color.b)
                fontChatList.onActivated: MainWindow.viewTab.fontChosen(index)
                sizeChatList.onActivated: MainWindow.viewTab.sizeChosen(index)
                animationList.onActivated: MainWindow.viewTab.animationChosen(index)
                bubbleSwitch.onReleased: MainWindow.viewTab.bubbleReleased(bubbleSwitch.checked)
                debugSwitch.onReleased: MainWindow.viewTab.debugReleased(debugSwitch.checked)
                overlayChatCopy.onClicked: copyText(StreamOverlay.chatUrl)
                overlayAlertsCopy.onClicked: copyText(StreamOverlay.alertsUrl)
                overlayPort.onEditingFinished: {
                    Utils.form.overlayPort = overlayPort.text
                    MainWindow.viewTab.storeOverlay()
                }
                overlayDelay.onValueModified: {
                    Utils.form.overlayDelay = overlayDelay.value
                    MainWindow.viewTab.storeOverlay()
                }
                overlayLines.onValueModified: {
                    Utils.form.overlayLines = overlayLines.value
                    MainWindow.viewTab.storeOverlay()
                }
                overlayFade.onValueModified: {
                    Utils.form.overlayFade = overlayFade.value
                    MainWindow.viewTab.storeOverlay()
                }
                overlayLanSwitch.onReleased: {
                    Utils.form.overlayLan = overlayLanSwitch.checked
                    MainWindow.viewTab.storeOverlay()
                }
                overlayNotesSwitch.onReleased: Utils.form.overlayNotes = overlayNotesSwitch.checked
            }
        }
    }

    Connections {
        target: chatTab.chatInput
        function onTextEdited() { MainWindow.chatInput.text = chatTab.chatInput.text }
    }
    Connections {
        target: MainWindow.alertsTab
        function onSoundDialogRequested() { alertsTab.soundFileDialog.open() }
    }

    // The clipboard is reached through a text field the user never sees.
    TextEdit {
        id: clipboardHelper
        visible: false
    }
    function copyText(text) {
        clipboardHelper.text = text
        clipboardHelper.selectAll()
        clipboardHelper.copy()
    }

    Shortcut {
        sequence: "Shift+Alt+P"
        onActivated: MainWindow.togglePause()
    }
    Shortcut {
        sequence: "Shift+Alt+S"
        onActivated: ChatSpeech.skip()
    }

    Component.onCompleted: MainWindow.start()
}
