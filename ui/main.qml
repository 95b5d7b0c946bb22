import QtQuick 2.14
import QtQuick.Controls 2.14
import QtQuick.Controls.Material 2.14
import Kestro 1.0

ApplicationWindow {
    id: window
    visible: true
    width: 440
    height: 600
    title: qsTr("Kestro")

    // The stack holds bgTab and at most one page.
    function showInStack(viewItem) {
        if (stackView.currentItem === viewItem)
            return
        for (var depth = stackView.depth; depth > 0; --depth)
            stackView.pop()
        if (stackView.currentItem !== viewItem)
            stackView.push(viewItem)
    }

    header: TabBar {
        id: tabs
        objectName: "tabs"
        font.pixelSize: 14

        TabButton {
            id: servicesButton
            leftPadding: 4; rightPadding: 4
            text: qsTr(Utils.captions.SERVICES_TITLE)
            onClicked: showInStack(servicesTab)
        }
        TabButton {
            id: chatButton
            leftPadding: 4; rightPadding: 4
            text: qsTr(Utils.captions.CHAT_TITLE)
            onClicked: { showInStack(chatTab); MainWindow.initChat() }
        }
        TabButton {
            id: eventsButton
            leftPadding: 4; rightPadding: 4
            text: qsTr(Utils.captions.EVENTS_TITLE)
            onClicked: { showInStack(eventsTab); Utils.initEvents() }
        }
        TabButton {
            id: alertsButton
            leftPadding: 4; rightPadding: 4
            text: qsTr(Utils.captions.ALERTS_TITLE)
            onClicked: { showInStack(alertsTab); Utils.initAlerts() }
        }
        TabButton {
            id: viewButton
            leftPadding: 4; rightPadding: 4
            text: qsTr(Utils.captions.VIEW_TITLE)
            onClicked: showInStack(viewTab)
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

    StackView {
        id: stackView
        objectName: "stackView"
        anchors.fill: parent
        anchors.margins: 10
        anchors.topMargin: 25
        initialItem: bgTab
        Component.onCompleted: showInStack(servicesTab)

        Rectangle {
            id: bgTab
            objectName: "bgTab"
            color: Material.background
        }
    }

    ServicesForm {
        id: servicesTab
        objectName: "servicesTab"
        visible: false
        twitchStartButton.onClicked: MainWindow.controlChatList()
        goodgameStartButton.onClicked: MainWindow.controlGoodgameChat()
    }
    ChatList {
        id: chatTab
        objectName: "chatTab"
        visible: false
        chatFontSize.onMoved: MainWindow.viewTab.chatFontSizeMoved(chatFontSize.value)
        chatInput.onAccepted: sendMessage.clicked()
        sendMessage.onClicked: MainWindow.sendMessage()
        chatView.onContextMenuRequested: request.accepted = true
    }
    EventAlerts {
        id: eventsTab
        objectName: "eventsTab"
        visible: false
    }
    AlertsForm {
        id: alertsTab
        objectName: "alertsTab"
        visible: false
        soundFileDialog.onAccepted: MainWindow.alertsTab.soundFileChosen(soundFileDialog.fileUrl.toString())
        voiceList.onActivated: MainWindow.alertsTab.voiceChosen(index)
    }
    ViewForm {
        id: viewTab
        objectName: "viewTab"
        visible: false
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
    }

    Connections {
        target: MainWindow.alertsTab
        function onSoundDialogRequested() { alertsTab.soundFileDialog.open() }
    }

    Shortcut {
        sequence: "Shift+Alt+P"
        onActivated: MainWindow.togglePause()
    }

    Component.onCompleted: MainWindow.start()
}
