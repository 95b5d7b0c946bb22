import QtQuick 2.14
import QtQuick.Controls 2.14
import QtQuick.Dialogs 1.3
import Kestro 1.0

// The eleven sound slots and the voice of spoken alerts.
Page {
    property alias soundFileDialog: soundFileDialog
    property alias voiceList: voiceList

    FileDialog {
        id: soundFileDialog
        objectName: "soundFileDialog"
        folder: shortcuts.music
        selectExisting: true
        title: MainWindow.alertsTab.soundDialogTitle
    }

    GroupBox {
        id: twitchSubGroup
        title: qsTr("Алерты на Twitch")
        anchors.left: parent.left
        anchors.right: parent.right
        height: 297
    }
    GroupBox {
        id: goodgamePremGroup
        title: qsTr("Алерты на GoodGame")
        anchors.left: parent.left
        anchors.right: parent.right
        y: 302
        height: 87
    }
    GroupBox {
        id: voiceGroup
        title: qsTr("Озвучка")
        anchors.left: parent.left
        anchors.right: parent.right
        y: 394
        height: 63
    }

    // One row a slot, inside its service's group.
    Repeater {
        model: Alerts.soundSlots
        SoundRow {
            y: (modelData.group === "goodgame" ? 332 : 30) + 30 * modelData.place
            label: qsTranslate("AlertsForm", modelData.label)
            prefix: modelData.prefix
            type: modelData.name
        }
    }

    Label {
        id: voiceLabel
        x: 10
        y: 427
        text: qsTr("Голос:")
    }
    ListBox {
        id: voiceList
        objectName: "voiceList"
        x: 60
        y: 422
        width: 200
        height: 30
        editable: false
        model: Utils.voiceList
        translated: true
        currentIndex: Utils.form.voiceIndex
    }
}
